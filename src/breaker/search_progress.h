// The counters of the computer's search that the clock line reads and writes.
#pragma once

#include <cstdint>

#include "match/code.h"

struct SearchProgressRecord {
    int32_t ItemsDone = 0;        // trial codes examined (records built during a store build)
    int32_t ItemsTotal = 0;       // trial codes to examine
    int32_t MinItems = 0;         // examined before an early stop is allowed
    int32_t TenthsShown = 0;      // asterisks drawn on the progress line, 0..10
    int64_t NextTenthAt = 0;      // items done when the stars are next looked at
    int32_t SearchElapsed = 0;    // hundredths since the search started
    int32_t SearchRemaining = 0;  // estimated hundredths still needed
    int32_t TimeLimit = 1000;     // hundredths; 0 = no limit
    int32_t TimeLimitSlack = 1099;
    int32_t TimeLimitTenth = 100;
    uint8_t TimeLimitActive = 0;
    uint8_t StopRequested = 0;
    uint16_t BreakCount = 0;
    uint8_t LimitNoticePending = 1;
    uint8_t SearchDisplayOn = 0;
    Code BestCode{};  // the best trial so far, shown on a redraw-code request
    // The estimate goes by the pace of the later items: the bounds of the search make the
    // trial codes cheaper as it goes on. It is taken from the stretch since PaceItems were
    // done (PaceElapsed hundredths in); the next stretch starts at NextPaceItems, and a
    // stretch is replaced once the items have doubled since its successor began.
    int32_t PaceItems = 0;
    int32_t PaceElapsed = 0;
    int32_t NextPaceItems = 0;
    int32_t NextPaceElapsed = 0;
};
extern SearchProgressRecord SearchProgress;

// Recomputes the time limit of a search from the setting in tens of seconds.
void SetTimeLimits(int timeLimitTens);
