// The course of one match, from the conditions dialog's start to the question "New game?".
#pragma once

#include <cstdint>

enum class MatchOutcome { NewMatch, BackToStart };

struct MatchStateRecord {
    bool BrokenOff = false;
    bool Solved = false;
    uint8_t LastKey = 0;
};
extern MatchStateRecord MatchState;

MatchOutcome PlayMatch();
