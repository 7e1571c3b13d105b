// The live clock of the match screen. (Its drawing arrives with the match board; outside a
// match it only keeps the cursor where it was.)
#include "calendar/clock_text.h"

#include "shell/console.h"

ClockStateRecord ClockState;

void ClockTick() {
    if (!ClockState.ClockActive) return;
}

void RefreshClockText() {
    TimeValue time = GetTime();
    DateValue date = GetDate();
    ClockState.Hour = static_cast<uint16_t>(time.Hour % 24);
    ClockState.Minute = static_cast<uint16_t>(time.Minute);
    ClockState.Second = static_cast<uint16_t>(time.Second);
    ClockState.Hundredths = static_cast<uint16_t>(time.Hundredths);
    ClockState.Year = static_cast<uint16_t>(date.Year);
    ClockState.Month = static_cast<uint16_t>(date.Month);
    ClockState.Day = static_cast<uint16_t>(date.Day);
    ClockState.Weekday = static_cast<uint16_t>(date.Weekday);
}
