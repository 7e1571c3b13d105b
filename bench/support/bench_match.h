// What the benchmark programs share: a match started as the match flow starts it, headless on
// the virtual console, the board stepped from trial to trial, and the clocks they read.
#pragma once

#include <chrono>
#include <cstdint>

#include "match/board.h"

// The conditions of a benchmark match; the signs start at 'a', the computer plays both sides.
struct MatchConditions {
    int Length;
    int Signs;
    bool Repetitions;
    bool Fixed;   // a fixed secret; otherwise the computer answers as a not-fixed encoder
    bool Vacant;  // vacant places allowed
};

// The match start as the match flow makes it, up to the build; the first trial's place is
// still to be taken by NextPlace.
void StartMatch(const MatchConditions& c, int timeLimitTens);

// Moves the board to the place of the next trial, the ring included.
void NextPlace();

// The row of the trial at the board's current place.
TrialRow& CurrentRow();

// The CPU seconds of the process so far.
double CpuSeconds();

// The peak resident memory of the process, in MiB: since it started, or since the last
// ResetPeakMemory where the kernel can reset the mark.
double PeakMiB();
void ResetPeakMemory();

// The wall seconds since a point of the steady clock.
double Seconds(std::chrono::steady_clock::time_point since);

// A hash of every trial code and answer played, in order: what a change meant only for speed
// leaves as it is.
struct TrialHash {
    uint64_t Value = 1469598103934665603ull;
    void Add(const TrialRow& row, int length);
};
