// The human encoder's answer to a trial on the board: P, then Z, one digit each. Only an answer
// that some remaining code would give is taken; a value that is the only one possible appears
// without a key; Backspace at Z goes back to a typed P.
#pragma once

#include <cstdint>

// table[M][P] holds the remaining codes per answer class. The digits go to the P and Z columns
// of the board's current trial row. lastKey is the last key read. False when Esc or Ctrl-C
// broke the match off (the caller ends it).
bool ReadHumanAnswer(const int32_t table[10][10], int& p, int& z, uint8_t& lastKey);
