// The computer's trial as the choice hands it to the answer: the best trial code of the scan, the
// trial row's place on the board, and the few small helpers both sides use (trial_choice.cpp
// chooses, trial_answer.cpp answers and thins).
#pragma once

#include <cstdint>
#include <string>

#include "breaker/class_pass.h"
#include "breaker/sign_tables.h"
#include "match/code.h"
#include "shell/console/console.h"
#include "shell/settings.h"

inline int Length() {
    return Settings.CodeLength;
}

inline Code CodeOf(const uint8_t* signs, int length) {
    Code code = BlankCode();
    for (int k = 0; k < length; ++k)
        code[static_cast<size_t>(k)] = IndexSign[signs[k] <= RingSize ? signs[k] : 0];
    return code;
}

inline void WriteDigit(int x, int y, int value) {
    WriteAt(x, y, std::string(1, char('0' + value)));
}

// The best trial code of the scan so far.
struct BestTrial {
    bool Found = false;
    ClassCounts Counts{};
    uint8_t Signs[MaxCodeLength] = {};
    int32_t Index = -1;     // its place on the trial chain; -1 for the opening book's trial
    uint32_t TieCount = 2;  // reservoir counter for equal trial codes
};

// Where the computer's trial row stands on the board.
struct TrialPlace {
    int X = 0, Y = 0;    // the code
    int PX = 0, ZX = 0;  // its answer
};
