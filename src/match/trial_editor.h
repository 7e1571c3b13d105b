// The trial editor: a human types a trial in place on the board, and the trial is answered
// against a fixed secret, by the computer as encoder of a code that is not fixed, or by the
// human encoder with only answers that some remaining code would give.
#pragma once

#include <cstdint>

#include "match/board.h"
#include "match/code.h"

// Per match: the sign counts of a fixed secret, and whether the vacant sign may be typed.
struct MatchRulesRecord {
    SignCounts SecretCounts{};  // the count of the secret per sign index
    bool VacantInForce = false;
    bool Repetitions = false;
    bool Fixed = true;
    bool ComputerEncodes = true;
};
extern MatchRulesRecord MatchRules;

// Types and answers one trial at the board's current position (MatchBoard.Column and .Row).
// The trial goes into the row; lastKey is 27 when the match was broken off. P = L solves it.
void EditAndAnswerTrial(TrialRow& row, uint8_t& lastKey);
