// The answer to the computer's trial and the thinning it brings: the candidates of the answer's
// class stay, signs that can no longer occur die, and the trial codes holding them go.
#pragma once

#include <cstdint>

#include "breaker/chosen_trial.h"
#include "match/code.h"

// The answer to the chosen trial (the fixed secret's, the not-fixed encoder's or the human's);
// false when the human broke the match off.
bool AnswerTrial(const Code& trial, const BestTrial& best, int& p, int& z, uint8_t& keyOut);
// Shows the computer's own answer.
void ShowAnswer(const TrialPlace& at, int p, int z);
// Keeps the candidates of the answer's class; false when none is left.
bool KeepAnswerClass(const uint8_t* trial, int p, int z, bool signsKnownOnEntry);
// Thins the trial codes after the answer; false when Esc or Ctrl-C broke the match off.
bool ThinTrialCodes(const BestTrial& best, bool realSearch, int p, int z, bool signsKnownOnEntry);
