// What the computer as codebreaker carries from trial to trial within one match.
#pragma once

#include <cstdint>

extern uint8_t OpeningPhase;       // the next trial comes from the opening book
extern uint8_t FillerSign;         // a sign proved absent, used as the book's filler
extern uint8_t PossibleSignCount;  // signs that can still occur in the secret
extern uint8_t DeadBlankKept;      // a dead sign was kept once as a blank
extern uint8_t VacantInTrials;     // trial codes with the vacant sign are still kept
extern uint8_t KillList[37];       // signs killed by the current answer, in order
extern int KillCount;

// The one place that resets, at the start of every match, what the computer carries from trial
// to trial: the fields above, the signs tried and the answered trials, and the search's
// counters of breaks and its notices (n signs; vacantInPlay: the vacant sign is in play for the
// computer). What belongs to a store is made anew with the store: the candidate store's build
// sets the live signs (SignAlive, SignSeen) and the chains, the encoder's store the live signs.
void ResetEngineState(int n, bool vacantInPlay);
