// The live clock of the match screen.
#pragma once

#include <cstdint>

struct ClockStateRecord {
    bool ClockActive = false;  // master switch: set for the duration of a match
    bool German = true;        // language of the match screen
    uint16_t Hour = 0, Minute = 0, Second = 0, Hundredths = 0;
    uint16_t Year = 0, Month = 0, Day = 0, Weekday = 0;
};
extern ClockStateRecord ClockState;

// Called over and over by every key-wait loop; draws at most once a second, on the match screen.
void ClockTick();
// Reads the machine's date and time into the clock state.
void RefreshClockText();
