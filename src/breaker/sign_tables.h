// What the match knows about the signs, by sign index 0..36 (0 is the vacant sign).
#pragma once

#include <cstdint>

extern uint8_t SignAlive[37];  // the sign may still occur in the secret; 0 for the vacant sign
extern uint8_t SignTried[37];  // the sign has been part of a trial of this match
extern uint8_t SignSeen[37];   // scratch flags of the dead-sign detection
// All remaining codes hold the same multiset of signs: only their order is open.
extern uint8_t SignsKnown;

// SignAlive for the signs 1..n of the range, none for the vacant sign.
void ResetSignAlive(int n);
