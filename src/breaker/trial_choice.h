// The thinking of the computer as codebreaker, one call per trial: it picks the trial code that
// splits the remaining candidates best (minimax over the answer classes: the smaller largest
// class wins, then the smaller sum of squared class sizes, then a code that may itself be the
// secret, then chance), gets the answer from its own secret, from its own encoder of a code
// that is not fixed, or from the human, and thins the candidates, the signs and the trial
// codes by that answer.
#pragma once

#include <cstdint>

#include "match/code.h"

// Makes the computer's trial at the board's current place. codeOut, pOut and zOut are the
// trial's row. keyOut is Esc when the match was broken off (the store is then released);
// while the human answers it holds the last key read. pOut = L solves the match; the store is
// then released and SecretCode holds the code.
void ChooseTrial(Code& codeOut, uint8_t& pOut, uint8_t& zOut, uint8_t& keyOut);
