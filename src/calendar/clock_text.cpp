// The live clock of the match screen: every tick reads the time and keeps the codebreaker's
// stopwatch and the search marks; at most once a second it redraws only the digits that
// changed, and the search line estimates the time still needed from the pace of later items.
#include "calendar/clock_text.h"

#include <algorithm>
#include <string>

#include "breaker/search_progress.h"
#include "calendar/date_text.h"
#include "calendar/virtual_date.h"
#include "match/code.h"
#include "shell/console/console.h"
#include "shell/settings.h"

ClockStateRecord ClockState;

namespace {

constexpr int32_t kHundredHours = 36000000;
constexpr int kDurationRow[3] = {21, 22, 23};
constexpr int kDurationColumnGerman = 16;
constexpr int kDurationColumnEnglish = 15;

ClockStateRecord& C = ClockState;

int32_t Now() {
    return DayHundredths(C.Hour, C.Minute, C.Second, C.Hundredths);
}

ShownTime Split(int32_t hundredths) {
    int32_t seconds = hundredths / 100;
    ShownTime t;
    t.Hours = static_cast<int16_t>(seconds / 3600);
    t.Minutes = static_cast<int16_t>(seconds / 60 % 60);
    t.Seconds = static_cast<int16_t>(seconds % 60);
    return t;
}

// Rewrites a field of the form hours, separator, minutes, separator, seconds where it changed:
// all of it when the hours changed, from the minutes on when the minutes changed, else the
// seconds, and only the units digit when the tens stayed.
void RedrawTime(int row, int column, int minuteColumn, int secondColumn, ShownTime& shown,
                ShownTime now, const char* hourSeparator, const char* minuteSeparator) {
    if (now.Hours != shown.Hours) {
        WriteAt(column, row,
                TwoDigits(now.Hours) + hourSeparator + TwoDigits(now.Minutes) + minuteSeparator +
                    TwoDigits(now.Seconds));
    } else if (now.Minutes != shown.Minutes) {
        WriteAt(minuteColumn, row,
                TwoDigits(now.Minutes) + minuteSeparator + TwoDigits(now.Seconds));
    } else if (now.Seconds / 10 != shown.Seconds / 10) {
        WriteAt(secondColumn, row, TwoDigits(now.Seconds));
    } else if (now.Seconds != shown.Seconds) {
        WriteAt(secondColumn + 1, row, std::string(1, char('0' + now.Seconds % 10)));
    }
    shown = now;
}

void DrawDate() {
    if (C.German) {
        WriteAt(DateColumn(), 19, GermanDateText(C.Year, C.Month, C.Day, C.Weekday));
    } else {
        WriteAt(DateColumn(), 19, EnglishDateText(C.Year, C.Month, C.Day, C.Weekday));
    }
}

void DrawTimeOfDay() {
    int column = TimeColumn();
    if (C.Hour != C.ShownHour) {
        WriteAt(column, 20,
                C.German ? GermanTimeText(C.Hour, C.Minute, C.Second)
                         : EnglishTimeText(C.Hour, C.Minute, C.Second));
    } else if (C.Minute != C.ShownMinute) {
        if (C.German) {
            WriteAt(19, 20, TwoDigits(C.Minute) + " Uhr, " + TwoDigits(C.Second));
        } else {
            WriteAt(18, 20, EnglishMinuteText(C.Hour, C.Minute) + TwoDigits(C.Second));
        }
    } else if (C.Second / 10 != C.ShownSecond / 10) {
        WriteAt(27, 20, TwoDigits(C.Second));
    } else if (C.Second != C.ShownSecond) {
        WriteAt(28, 20, std::string(1, char('0' + C.Second % 10)));
    }
    C.ShownHour = C.Hour;
    C.ShownMinute = C.Minute;
    C.ShownSecond = C.Second;
}

void DrawDuration(int index, int32_t value) {
    if (!C.DurationEnabled[index]) return;
    ShownTime now = Split(value);
    if (value >= kHundredHours) {
        now = ShownTime{99, 59, 59};
        C.DurationEnabled[index] = false;
    }
    int column = C.German ? kDurationColumnGerman : kDurationColumnEnglish;
    RedrawTime(kDurationRow[index], column, 24, 32, C.DurationShown[index], now,
               C.German ? " Std. " : " hours ", C.German ? " Min. " : " min. ");
}

// hundredths capped to what a 32-bit field holds
int32_t Saturate(int64_t value) {
    return value > 2147483647 ? 2147483647 : static_cast<int32_t>(value);
}

void DrawStars(int count) {
    WriteAt(44, 25, std::string(static_cast<size_t>(count), '*'));
}

void DrawSearchLine(int cursorX, int cursorY, int32_t now) {
    SearchProgressRecord& s = SearchProgress;
    if (C.RedrawCodeRequested) {
        C.RedrawCodeRequested = false;
        std::string signs;
        for (int i = 0; i < Settings.CodeLength; ++i) {
            char c = s.BestCode[static_cast<size_t>(i)];
            uint8_t index = IsSignCharacter(c) ? SignIndex[static_cast<uint8_t>(c)] : 0;
            signs.push_back(IndexSign[index <= RingSize ? index : 0]);
        }
        WriteAt(cursorX, cursorY, signs);
    }
    int32_t a = DayDifference(C.ProgressMark, C.TrialMark);
    int32_t done = s.ItemsDone;
    int32_t total = s.ItemsTotal;
    if (a > 0 && done > 0 && done < total) {
        // The pace of the later items: from the stretch that began when between a quarter and
        // half of the items done so far were done (all of them while there are few).
        if (done >= 2 * s.NextPaceItems && done >= 8) {
            s.PaceItems = s.NextPaceItems;
            s.PaceElapsed = s.NextPaceElapsed;
            s.NextPaceItems = done;
            s.NextPaceElapsed = a;
        }
        int64_t items = done - s.PaceItems;
        int64_t time = a - s.PaceElapsed;
        if (items <= 0 || time <= 0) {
            items = done;
            time = a;
        }
        int64_t perItem = time / items;
        int64_t since = DayDifference(now, C.ProgressMark);
        int64_t lessen = std::min(perItem, since);
        s.SearchRemaining = Saturate(int64_t(total - done) * time / items - lessen);
        if (s.TimeLimitActive && int64_t(s.TimeLimitSlack) - a < s.SearchRemaining) {
            s.SearchRemaining = std::max<int32_t>(0, s.TimeLimitSlack - a);
            if (done <= s.MinItems) {
                int32_t needed = Saturate(int64_t(s.MinItems - done) * time / items - lessen);
                s.SearchRemaining = std::max(s.SearchRemaining, needed);
            }
            if (s.TimeLimitTenth > 0 && s.MinItems > 0) {
                int64_t stars =
                    std::min<int64_t>({a / s.TimeLimitTenth, 10, int64_t(done) * 10 / s.MinItems});
                if (stars > s.TenthsShown) {
                    DrawStars(static_cast<int>(stars));
                    s.TenthsShown = static_cast<int32_t>(stars);
                }
            }
        }
    } else {
        s.SearchRemaining = 0;
        if (done >= total && s.TenthsShown < 10) {
            s.TenthsShown = 10;
            DrawStars(10);
        }
    }
    s.SearchElapsed = DayDifference(now, C.TrialMark);
    if (C.TrialTimeEnabled) {
        ShownTime elapsed = Split(s.SearchElapsed);
        if (s.SearchElapsed >= kHundredHours) {
            elapsed = ShownTime{99, 59, 59};
            C.TrialTimeEnabled = false;
        }
        RedrawTime(25, 35, 38, 41, C.SearchShown[0], elapsed, ".", ".");
    }
    if (s.SearchRemaining >= 0) {
        ShownTime remaining = Split(s.SearchRemaining);
        if (s.SearchRemaining >= kHundredHours) remaining = ShownTime{99, 59, 59};
        RedrawTime(25, 72, 75, 78, C.SearchShown[1], remaining, ".", ".");
    }
}

// What the clock shows, once its second has turned: the date, the time of day, the durations
// and the search line; the cursor is put back.
[[gnu::noinline]] void DrawClock(int32_t now) {
    const int cursorX = WhereX();
    const int cursorY = WhereY();
    if (!VirtualDateOn) {
        DateValue date = GetDate();
        C.Year = static_cast<uint16_t>(date.Year);
        C.Month = static_cast<uint16_t>(date.Month);
        C.Day = static_cast<uint16_t>(date.Day);
        C.Weekday = static_cast<uint16_t>(date.Weekday);
    }
    int32_t wholeNow = now - now % 100;
    int32_t elapsed = DayDifference(wholeNow, C.MatchStartTime);
    if (VirtualDateOn) {
        const GameDate* shown = nullptr;
        if (wholeNow >= C.MatchStartTime && !FirstVirtualDayShown) {
            FirstVirtualDayShown = true;
            shown = &VirtualDate;
        } else if (wholeNow < C.MatchStartTime && FirstVirtualDayShown) {
            FirstVirtualDayShown = false;
            shown = &VirtualNextDate;
        }
        if (shown != nullptr) {
            C.Year = static_cast<uint16_t>(shown->Year);
            C.Month = static_cast<uint16_t>(shown->Month);
            C.Day = static_cast<uint16_t>(shown->Day);
            C.Weekday = static_cast<uint16_t>(shown->Weekday);
        }
    }
    int32_t guess = C.GuessAccumulated;
    if (C.GuessRunning) guess += DayDifference(now, C.GuessStartedAt);
    guess -= guess % 100;
    int32_t answer = std::max(0, elapsed - guess);

    if (C.Day != C.ShownDay) {
        C.ShownDay = C.Day;
        DrawDate();
    }
    DrawTimeOfDay();
    DrawDuration(0, elapsed);
    DrawDuration(1, guess);
    DrawDuration(2, answer);
    if (SearchProgress.SearchDisplayOn) DrawSearchLine(cursorX, cursorY, now);
    GotoXY(cursorX, cursorY);
}

}  // namespace

int32_t DayHundredths(int hour, int minute, int second, int hundredths) {
    return hour * 360000 + minute * 6000 + second * 100 + hundredths;
}

int32_t DayDifference(int32_t later, int32_t earlier) {
    int32_t difference = later - earlier;
    return difference < 0 ? difference + DayLength : difference;
}

int DateColumn() {
    return ClockState.German ? 16 : 15;
}
int TimeColumn() {
    return ClockState.German ? 16 : 15;
}

void ClockTick() {
    TimeValue time = GetTime();
    C.Hour = static_cast<uint16_t>(time.Hour % 24);
    C.Minute = static_cast<uint16_t>(time.Minute);
    C.Second = static_cast<uint16_t>(time.Second);
    C.Hundredths = static_cast<uint16_t>(time.Hundredths);
    if (!C.ClockActive) return;

    int32_t now = Now();
    if (C.GuessRunning != C.GuessSeenRunning) {
        C.GuessSeenRunning = C.GuessRunning;
        if (C.GuessRunning) {
            C.GuessStartedAt = now;
        } else {
            C.GuessAccumulated += DayDifference(now, C.GuessStartedAt);
        }
    }
    if (C.TrialMarkRequested) {
        C.TrialMark = now;
        C.TrialMarkRequested = false;
        // A new search or build: its estimate starts from its own first items.
        SearchProgressRecord& p = SearchProgress;
        p.PaceItems = p.PaceElapsed = p.NextPaceItems = p.NextPaceElapsed = 0;
    }
    if (C.ProgressMarkRequested) {
        C.ProgressMark = now;
        C.ProgressMarkRequested = false;
    }
    if (C.Second == C.ShownSecond) return;  // all drawing at most once a second
    DrawClock(now);
}

void RefreshClockText() {
    TimeValue time = GetTime();
    DateValue date = GetDate();
    C.Hour = static_cast<uint16_t>(time.Hour % 24);
    C.Minute = static_cast<uint16_t>(time.Minute);
    C.Second = static_cast<uint16_t>(time.Second);
    C.Hundredths = static_cast<uint16_t>(time.Hundredths);
    C.Year = static_cast<uint16_t>(date.Year);
    C.Month = static_cast<uint16_t>(date.Month);
    C.Day = static_cast<uint16_t>(date.Day);
    C.Weekday = static_cast<uint16_t>(date.Weekday);
}

void StartMatchClock(bool computerGuesses) {
    C.GuessRunning = computerGuesses;
    C.GuessSeenRunning = computerGuesses;
    C.GuessAccumulated = 0;
    for (ShownTime& shown : C.DurationShown) shown = ShownTime{};
    for (ShownTime& shown : C.SearchShown) shown = ShownTime{};
    RefreshClockText();
    ClockTick();
    if (VirtualDateOn) {
        C.Year = static_cast<uint16_t>(VirtualDate.Year);
        C.Month = static_cast<uint16_t>(VirtualDate.Month);
        C.Day = static_cast<uint16_t>(VirtualDate.Day);
        C.Weekday = static_cast<uint16_t>(VirtualDate.Weekday);
        FirstVirtualDayShown = true;
    }
    C.ShownDay = C.Day;
    C.ShownHour = C.Hour;
    C.ShownMinute = C.Minute;
    C.ShownSecond = C.Second;
    C.MatchStartTime = DayHundredths(C.Hour, C.Minute, C.Second, 0);
    C.GuessStartedAt = C.MatchStartTime;
    C.TrialMark = C.MatchStartTime + C.Hundredths;
    C.ProgressMark = C.TrialMark;
    C.TrialMarkRequested = false;
    C.ProgressMarkRequested = false;
    C.RedrawCodeRequested = false;
    for (bool& enabled : C.DurationEnabled) enabled = true;
    C.TrialTimeEnabled = true;
}

void ResetSearchLineTimes() {
    int x = WhereX();
    int y = WhereY();
    WriteAt(35, 25, "00.00.00");
    WriteAt(72, 25, "00.00.00");
    C.SearchShown[0] = ShownTime{};
    C.SearchShown[1] = ShownTime{};
    GotoXY(x, y);
}
