// The live clock of the match screen: date and time texts, durations, the search line.
#include <time.h>

#include <algorithm>

#include "breaker/search_progress.h"
#include "calendar/calendar_rules.h"
#include "calendar/clock_text.h"
#include "calendar/date_text.h"
#include "calendar/virtual_date.h"
#include "shell/console/console.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

std::string YearDigits(int year) {
    std::string digits = std::to_string(year);
    return std::string(4 - digits.size(), '0') + digits;
}

TEST(DateText, GermanDatesFillTwentyThreeColumns) {
    EXPECT_EQ(GermanDateText(2026, 12, 7, 1), "Montag, 7.12.2026,     ");
    EXPECT_EQ(GermanDateText(2026, 12, 31, 4), "Donnerstag, 31.12.2026,");
    EXPECT_EQ(GermanDateText(2027, 1, 4, 1), "Montag, 4.1.2027,      ");
    EXPECT_EQ(GermanDateText(99, 3, 9, 0), "Sonntag, 9.3.0099,     ");
    EXPECT_EQ(GermanDateText(10000, 1, 1, 6), "Samstag, 1.1.10000,    ");
}

TEST(DateText, EnglishWeekdaysAreShortenedByTheSlack) {
    EXPECT_EQ(EnglishDateText(2026, 3, 26, 4), "Thurs., 26th March 2026,");
    EXPECT_EQ(EnglishDateText(2026, 5, 6, 3), "Wednesday, 6th May 2026,");
    EXPECT_EQ(EnglishDateText(2026, 5, 13, 3), "Weds., 13th May 2026,   ");
    EXPECT_EQ(EnglishDateText(2026, 12, 1, 2), "Tuesday, 1st Dec. 2026, ");
    EXPECT_EQ(EnglishDateText(2026, 9, 22, 2), "Tues., 22nd Sept. 2026, ");
    EXPECT_EQ(EnglishDateText(2026, 4, 3, 5), "Friday, 3rd April 2026, ");
    EXPECT_EQ(EnglishDateText(2026, 10, 24, 6), "Sat., 24th Oct. 2026,   ");
    EXPECT_EQ(EnglishDateText(2026, 10, 3, 6), "Saturday, 3rd Oct. 2026,");
    EXPECT_EQ(EnglishDateText(99, 6, 23, 0), "Sunday, 23rd June 0099, ");
    // A fifth year digit is counted against the slack.
    EXPECT_EQ(EnglishDateText(10000, 1, 1, 6), "Sat., 1st Jan. 10000,   ");
}

TEST(DateText, EveryDateOfTheCalendarFitsBothFields) {
    // The width of a field depends on the weekday, the day, the month and the number of year
    // digits only: every date of 0000..9999 is one of the combinations checked here, and
    // every year is checked with its digits and its comma once.
    bool checked[13][32][7] = {};
    for (int year = 0; year <= 9999; ++year) {
        std::string first = EnglishDateText(year, 1, 1, WeekdayOf(year, 1, 1));
        ASSERT_NE(first.find(YearDigits(year) + ","), std::string::npos) << first;
        for (int month = 1; month <= 12; ++month) {
            int days = DaysInMonth(month, LeapYear(year));
            for (int day = 1; day <= days; ++day) {
                if (year == 1582 && month == 10 && day > 4 && day < 15) continue;
                int weekday = WeekdayOf(year, month, day);
                if (checked[month][day][weekday]) continue;
                checked[month][day][weekday] = true;
                std::string english = EnglishDateText(year, month, day, weekday);
                ASSERT_EQ(english.size(), 24u) << english;
                ASSERT_NE(english.find(YearDigits(year) + ","), std::string::npos) << english;
                ASSERT_EQ(GermanDateText(year, month, day, weekday).size(), 23u);
            }
        }
    }
}

TEST(DateText, TwelveHourClock) {
    EXPECT_EQ(EnglishTimeText(0, 5, 7), "12:05 a.m., 07");
    EXPECT_EQ(EnglishTimeText(9, 30, 0), "09:30 a.m., 00");
    EXPECT_EQ(EnglishTimeText(12, 0, 59), "12:00 p.m., 59");
    EXPECT_EQ(EnglishTimeText(13, 1, 1), "01:01 p.m., 01");
    EXPECT_EQ(EnglishTimeText(14, 5, 7), "02:05 p.m., 07");
    EXPECT_EQ(GermanTimeText(14, 52, 7), "14.52 Uhr, 07");
    EXPECT_EQ(GermanTimeText(24, 0, 0), "00.00 Uhr, 00");
}

TEST(DayHundredths, DifferencesAreTakenModuloOneDay) {
    EXPECT_EQ(DayHundredths(23, 59, 59, 99), DayLength - 1);
    EXPECT_EQ(DayDifference(DayHundredths(0, 0, 5, 0), DayHundredths(23, 59, 50, 0)), 1500);
    EXPECT_EQ(DayDifference(500, 200), 300);
    EXPECT_EQ(DayDifference(200, 200), 0);
}

// The terminal reads the time of day after every item of a long work, from a coarse clock and
// a local time worked out once per second: over two seconds every reading is the local time of
// a moment between the machine's readings around it, in the same second, and it moves on with
// them.
TEST(MachineClock, TheTerminalsTimeOfDayFollowsTheLocalClockFromSecondToSecond) {
    struct Terminal {
        ConsoleKind Was = ActiveConsole;
        Terminal() { ActiveConsole = ConsoleKind::Terminal; }
        ~Terminal() { ActiveConsole = Was; }
    } terminal;
    auto sameSecond = [](time_t at, const TimeValue& t) {
        struct tm local;
        localtime_r(&at, &local);
        return local.tm_hour == t.Hour && local.tm_min == t.Minute &&
               std::min(local.tm_sec, 59) == t.Second;
    };
    int seconds = 0;
    int last = -1;
    const time_t start = time(nullptr);
    while (time(nullptr) <= start + 2) {
        struct timespec before;
        struct timespec after;
        clock_gettime(CLOCK_REALTIME, &before);
        const TimeValue t = GetTime();
        clock_gettime(CLOCK_REALTIME, &after);
        ASSERT_TRUE(sameSecond(before.tv_sec, t) || sameSecond(after.tv_sec, t))
            << t.Hour << ":" << t.Minute << ":" << t.Second;
        ASSERT_TRUE(t.Hundredths >= 0 && t.Hundredths <= 99);
        if (t.Second != last) ++seconds;
        last = t.Second;
        const struct timespec pause = {0, 2000000};
        nanosleep(&pause, nullptr);
    }
    EXPECT_GE(seconds, 3);
}

// The clock on a match screen whose time rows stand as the board draws them.
class ClockTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        SearchProgress = SearchProgressRecord{};
    }
    void DrawFrame(bool german) {
        ClockState.German = german;
        if (german) {
            WriteAt(1, 19, "| Datum/Zeit :                        ");
            WriteAt(1, 20, "|                .   Uhr,    Sekunden.");
            WriteAt(1, 21, "| Spieldauer : 00 Std. 00 Min. 00 Sek.");
            WriteAt(1, 22, "| Ratezeit   : 00 Std. 00 Min. 00 Sek.");
            WriteAt(1, 23, "| Antwortzeit: 00 Std. 00 Min. 00 Sek.");
        } else {
            WriteAt(1, 19, "| Date/time :                         ");
            WriteAt(1, 20, "|               :    .m.,    seconds. ");
            WriteAt(1, 21, "| Time total: 00 hours 00 min. 00 sec.");
            WriteAt(1, 22, "| to guess  : 00 hours 00 min. 00 sec.");
            WriteAt(1, 23, "| to answer : 00 hours 00 min. 00 sec.");
            WriteAt(1, 25,
                    "This trial: time already guessed: 00.00.00 .......... time yet needed: "
                    "00.00.00");
        }
    }
    // A match started now; the board writes the current date and time once.
    void StartMatch(bool german, bool computerGuesses) {
        DrawFrame(german);
        StartMatchClock(computerGuesses);
        const ClockStateRecord& c = ClockState;
        WriteAt(DateColumn(), 19,
                german ? GermanDateText(c.Year, c.Month, c.Day, c.Weekday)
                       : EnglishDateText(c.Year, c.Month, c.Day, c.Weekday));
        WriteAt(TimeColumn(), 20,
                german ? GermanTimeText(c.Hour, c.Minute, c.Second)
                       : EnglishTimeText(c.Hour, c.Minute, c.Second));
        ClockState.ClockActive = true;
        GotoXY(50, 9);
    }
    void TickAfter(int64_t hundredths) {
        VirtualAdvanceClock(hundredths);
        ClockTick();
    }
};

TEST_F(ClockTest, InactiveClockDrawsNothingAndKeepsTheCursor) {
    DrawFrame(true);
    GotoXY(7, 3);
    ClockTick();
    VirtualAdvanceClock(500);
    ClockTick();
    EXPECT_TRUE(ScreenHas(1, 20, "|                .   Uhr,    Sekunden."));
    EXPECT_EQ(WhereX(), 7);
    EXPECT_EQ(WhereY(), 3);
}

TEST_F(ClockTest, GermanRowsFollowTheClock) {
    VirtualSetClock(2026, 12, 7, 14, 52, 7, 30);
    StartMatch(true, false);
    EXPECT_TRUE(ScreenHas(1, 19, "| Datum/Zeit : Montag, 7.12.2026,     "));
    EXPECT_TRUE(ScreenHas(1, 20, "|              14.52 Uhr, 07 Sekunden."));
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 20, "|              14.52 Uhr, 08 Sekunden."));
    EXPECT_TRUE(ScreenHas(1, 21, "| Spieldauer : 00 Std. 00 Min. 01 Sek."));
    EXPECT_TRUE(ScreenHas(1, 23, "| Antwortzeit: 00 Std. 00 Min. 01 Sek."));
    EXPECT_EQ(WhereX(), 50);
    EXPECT_EQ(WhereY(), 9);
    TickAfter(5900);  // a minute later (the clock draws only when the second moves on)
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 20, "|              14.53 Uhr, 08 Sekunden."));
    EXPECT_TRUE(ScreenHas(1, 21, "| Spieldauer : 00 Std. 01 Min. 01 Sek."));
    TickAfter(359900);  // an hour later
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 20, "|              15.53 Uhr, 08 Sekunden."));
    EXPECT_TRUE(ScreenHas(1, 21, "| Spieldauer : 01 Std. 01 Min. 01 Sek."));
    EXPECT_TRUE(ScreenHas(1, 22, "| Ratezeit   : 00 Std. 00 Min. 00 Sek."));
}

TEST_F(ClockTest, EnglishRowsUseTheTwelveHourClock) {
    VirtualSetClock(2026, 3, 26, 11, 59, 58, 0);
    StartMatch(false, true);
    EXPECT_TRUE(ScreenHas(1, 19, "| Date/time : Thurs., 26th March 2026,"));
    EXPECT_TRUE(ScreenHas(1, 20, "|             11:59 a.m., 58 seconds. "));
    TickAfter(200);
    EXPECT_TRUE(ScreenHas(1, 20, "|             12:00 p.m., 00 seconds. "));
    // The computer guesses: its stopwatch runs from the start.
    EXPECT_TRUE(ScreenHas(1, 22, "| to guess  : 00 hours 00 min. 02 sec."));
    EXPECT_TRUE(ScreenHas(1, 23, "| to answer : 00 hours 00 min. 00 sec."));
}

TEST_F(ClockTest, DrawingHappensOncePerSecondAndOnlyWhereSomethingChanged) {
    VirtualSetClock(2026, 12, 7, 10, 0, 0, 0);
    StartMatch(true, false);
    // Marks in cells that only a fuller redraw would touch.
    WriteAt(16, 20, "#");  // hour tens
    WriteAt(27, 20, "#");  // seconds tens
    WriteAt(16, 19, "#");  // date
    GotoXY(50, 9);
    TickAfter(50);  // same second: nothing at all
    EXPECT_EQ(CellChar(28, 20), '0');
    TickAfter(50);
    EXPECT_EQ(CellChar(28, 20), '1');  // the units digit alone
    EXPECT_EQ(CellChar(27, 20), '#');
    EXPECT_EQ(CellChar(16, 20), '#');
    EXPECT_EQ(CellChar(16, 19), '#');
    TickAfter(900);  // 10 seconds: both second digits
    EXPECT_TRUE(ScreenHas(27, 20, "10"));
    EXPECT_EQ(CellChar(16, 20), '#');
}

TEST_F(ClockTest, AMatchAcrossMidnight) {
    VirtualSetClock(2026, 12, 31, 23, 59, 50, 0);
    StartMatch(true, false);
    TickAfter(1500);  // 00:00:05
    EXPECT_TRUE(ScreenHas(1, 21, "| Spieldauer : 00 Std. 00 Min. 15 Sek."));
    EXPECT_TRUE(ScreenHas(1, 19, "| Datum/Zeit : Freitag, 1.1.2027,     "));
    EXPECT_TRUE(ScreenHas(1, 20, "|              00.00 Uhr, 05 Sekunden."));
}

TEST_F(ClockTest, TheGuessTimerAccumulatesAcrossMidnight) {
    VirtualSetClock(2026, 12, 7, 23, 58, 0, 0);
    StartMatch(true, false);
    TickAfter(6000);  // 23:59:00
    ClockState.GuessRunning = true;
    ClockTick();
    TickAfter(12000);  // 00:01:00
    ClockState.GuessRunning = false;
    ClockTick();
    EXPECT_EQ(ClockState.GuessAccumulated, 12000);
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 22, "| Ratezeit   : 00 Std. 02 Min. 00 Sek."));
    EXPECT_TRUE(ScreenHas(1, 23, "| Antwortzeit: 00 Std. 01 Min. 01 Sek."));
}

TEST_F(ClockTest, DurationsStopAtNinetyNineHours) {
    VirtualSetClock(2026, 12, 7, 8, 0, 0, 0);
    StartMatch(false, false);
    ClockState.GuessAccumulated = 36000000 - 100;
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 22, "| to guess  : 99 hours 59 min. 59 sec."));
    ClockState.GuessAccumulated = 36000000;
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 22, "| to guess  : 99 hours 59 min. 59 sec."));
    EXPECT_FALSE(ClockState.DurationEnabled[1]);
    ClockState.GuessAccumulated = 100;
    TickAfter(100);  // the row stays as it is for the rest of the match
    EXPECT_TRUE(ScreenHas(1, 22, "| to guess  : 99 hours 59 min. 59 sec."));
}

TEST_F(ClockTest, TheVirtualDateSwitchesAtMidnight) {
    VirtualDateOn = true;
    VirtualDate = GameDate{9999, 12, 31, 5};
    VirtualNextDate = NextDay(VirtualDate);
    FirstVirtualDayShown = true;
    VirtualSetClock(2026, 12, 7, 23, 59, 58, 0);
    StartMatch(false, false);
    EXPECT_TRUE(ScreenHas(1, 19, "| Date/time : Friday, 31st Dec. 9999, "));
    TickAfter(100);
    EXPECT_TRUE(ScreenHas(1, 19, "| Date/time : Friday, 31st Dec. 9999, "));
    TickAfter(200);  // 00:00:00
    EXPECT_TRUE(ScreenHas(1, 19, "| Date/time : Sat., 1st Jan. 10000,   "));
    EXPECT_FALSE(FirstVirtualDayShown);
    VirtualDateOn = false;
}

TEST_F(ClockTest, AClockBeyondTheYear9999IsReadAsThatDayOf9999WithItsWeekday) {
    VirtualSetClock(10000, 1, 1, 10, 0, 0, 0);  // a Saturday
    StartMatch(false, false);
    EXPECT_TRUE(ScreenHas(1, 19, "| Date/time : Friday, 1st Jan. 9999,   "));
    VirtualSetClock(10000, 2, 29, 10, 0, 0, 0);  // 9999 has no 29 February
    DateValue date = GetDate();
    EXPECT_EQ(date.Year, 9999);
    EXPECT_EQ(date.Month, 2);
    EXPECT_EQ(date.Day, 28);
    EXPECT_EQ(date.Weekday, 0);
}

class SearchLineTest : public ClockTest {
protected:
    void StartSearch(int total, int minItems) {
        SearchProgressRecord& s = SearchProgress;
        s.ItemsTotal = total;
        s.MinItems = minItems;
        s.ItemsDone = 0;
        s.TenthsShown = 0;
        s.SearchDisplayOn = 1;
        ClockState.TrialMarkRequested = true;
        ClockState.ProgressMarkRequested = true;
        ClockTick();
    }
    // One item done, the given hundredths after the previous one.
    void Item(int64_t hundredths) {
        VirtualAdvanceClock(hundredths);
        ++SearchProgress.ItemsDone;
        ClockState.ProgressMarkRequested = true;
        ClockTick();
    }
    int Stars() {
        int n = 0;
        for (int c = 44; c <= 53; ++c) n += CellChar(c, 25) == '*';
        return n;
    }
};

TEST_F(SearchLineTest, WithoutALimitTheStarsComeOnlyAtTheEnd) {
    VirtualSetClock(2026, 12, 7, 9, 0, 0, 0);
    StartMatch(false, true);
    SearchProgress.TimeLimitActive = 0;
    StartSearch(100, 7);
    for (int i = 0; i < 99; ++i) Item(10);
    EXPECT_EQ(Stars(), 0);
    // The estimate was last made at the full second: 90 items in 9 s, 10 more take 1 s.
    EXPECT_EQ(SearchProgress.SearchRemaining, 100);
    EXPECT_TRUE(ScreenHas(35, 25, "00.00.09"));
    EXPECT_TRUE(ScreenHas(72, 25, "00.00.01"));
    Item(10);
    EXPECT_EQ(Stars(), 10);
    EXPECT_EQ(SearchProgress.TenthsShown, 10);
}

TEST_F(SearchLineTest, TheEstimateFollowsTheAverageTimePerItem) {
    VirtualSetClock(2026, 12, 7, 9, 0, 0, 0);
    StartMatch(false, true);
    StartSearch(1000, 7);
    for (int i = 0; i < 100; ++i) Item(50);  // half a second each: 50 s so far
    // 900 items left at 0.5 s: 450 s, shown as 00.07.30.
    EXPECT_EQ(SearchProgress.SearchRemaining, 45000);
    EXPECT_TRUE(ScreenHas(72, 25, "00.07.30"));
    EXPECT_TRUE(ScreenHas(35, 25, "00.00.50"));
    EXPECT_EQ(SearchProgress.SearchElapsed, 5000);
}

// The bounds of the search make later trial codes cheaper than the first: the estimate goes by
// the pace of the later ones, not by the average since the start.
TEST_F(SearchLineTest, TheEstimateFollowsTheRecentPaceWhenItemsGetCheaper) {
    VirtualSetClock(2026, 12, 7, 9, 0, 0, 0);
    StartMatch(false, true);
    StartSearch(1000, 7);
    for (int i = 0; i < 100; ++i) Item(100);  // a second each
    for (int i = 0; i < 300; ++i) Item(10);   // then a tenth of a second each
    // 600 items left at a tenth of a second: about 60 s (the average since the start would
    // say 195 s).
    EXPECT_GE(SearchProgress.SearchRemaining, 5500);
    EXPECT_LE(SearchProgress.SearchRemaining, 6100);
    // A new search starts again from its own items.
    StartSearch(1000, 7);
    for (int i = 0; i < 100; ++i) Item(50);
    EXPECT_EQ(SearchProgress.SearchRemaining, 45000);
}

TEST_F(SearchLineTest, UnderATimeLimitStarsGrowWithTimeAndNeverShrink) {
    VirtualSetClock(2026, 12, 7, 9, 0, 0, 0);
    StartMatch(true, true);
    SetTimeLimits(1);  // 10 seconds
    SearchProgress.TimeLimitActive = 1;
    StartSearch(100000, 7);
    int previous = 0;
    for (int i = 0; i < 200; ++i) {
        Item(7);
        int stars = Stars();
        ASSERT_GE(stars, previous);
        ASSERT_LE(stars, 10);
        previous = stars;
    }
    // 14 s have passed: all ten tenths of the limit are shown; the estimate is the slack left.
    EXPECT_EQ(Stars(), 10);
    EXPECT_EQ(SearchProgress.SearchRemaining, 0);
}

TEST_F(SearchLineTest, TheBestTrialIsRedrawnWhereTheTrialWillStand) {
    VirtualSetClock(2026, 12, 7, 9, 0, 0, 0);
    Settings.CodeLength = 4;
    BuildSignTablesFromSettings();
    StartMatch(false, true);
    StartSearch(10, 7);
    GotoXY(69, 9);
    SearchProgress.BestCode = MakeCode("3141");
    ClockState.RedrawCodeRequested = true;
    Item(100);
    EXPECT_TRUE(ScreenHas(69, 9, "3141"));
    EXPECT_EQ(WhereX(), 69);
    EXPECT_EQ(WhereY(), 9);
}

}  // namespace
