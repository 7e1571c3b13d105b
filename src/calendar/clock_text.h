// The live clock of the match screen: the current date and time, the three match durations
// and, while the computer searches, the search line of row 25.
#pragma once

#include <cstdint>

constexpr int32_t DayLength = 8640000;  // hundredths of a second in a day

// A time of day in hundredths since midnight.
int32_t DayHundredths(int hour, int minute, int second, int hundredths);
// later - earlier, taken modulo one day.
int32_t DayDifference(int32_t later, int32_t earlier);

struct ShownTime {
    int16_t Hours = 0, Minutes = 0, Seconds = 0;
};

struct ClockStateRecord {
    bool ClockActive = false;  // master switch: set for the duration of a match
    bool German = true;        // language of the match screen
    uint16_t Hour = 0, Minute = 0, Second = 0, Hundredths = 0;
    uint16_t Year = 0, Month = 0, Day = 0, Weekday = 0;
    uint16_t ShownDay = 0, ShownHour = 0, ShownMinute = 0, ShownSecond = 0;
    int32_t MatchStartTime = 0;  // whole seconds, hundredths part zero
    // The codebreaker's stopwatch.
    bool GuessRunning = false;
    bool GuessSeenRunning = false;
    int32_t GuessAccumulated = 0;
    int32_t GuessStartedAt = 0;
    bool DurationEnabled[3] = {false, false, false};  // rows 21, 22, 23
    ShownTime DurationShown[3];
    int32_t TrialMark = 0;
    int32_t ProgressMark = 0;
    bool TrialMarkRequested = false;
    bool ProgressMarkRequested = false;
    bool RedrawCodeRequested = false;
    bool TrialTimeEnabled = false;
    ShownTime SearchShown[2];  // the elapsed and the remaining field of row 25
};
extern ClockStateRecord ClockState;

// Called over and over by every key-wait loop; draws at most once a second, on the match screen.
void ClockTick();
// Reads the machine's date and time into the clock state.
void RefreshClockText();

// The match start: language, stopwatch, marks and the last-shown values; the date fields take
// the virtual date when one is in use. ClockActive is set by the caller once the board stands.
void StartMatchClock(bool computerGuesses);
// Resets the two time fields of row 25 to zero on the screen and in the last-shown values.
void ResetSearchLineTimes();

// The columns of the clock fields on the match screen.
int DateColumn();  // row 19 (and row 17 for the match start)
int TimeColumn();  // row 20 (and row 18)
