// The system clock screen (menu 2) and the virtual date screen (menu 3) on the virtual console.
#include <string>

#include "calendar/calendar_rules.h"
#include "calendar/date_editor.h"
#include "calendar/system_clock_screen.h"
#include "calendar/virtual_date.h"
#include "calendar/virtual_date_screen.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class CalendarScreenTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        DateFields = DateFieldsRecord{};
    }
    static void Down(int times = 1) {
        for (int i = 0; i < times; ++i) VirtualQueueExtended(ExtDown);
    }
    static bool ClockDateIs(int year, int month, int day) {
        DateValue date = GetDate();
        return date.Year == year && date.Month == month && date.Day == day;
    }
    // Where a text stands on the screen (column 0 when it is nowhere).
    static std::pair<int, int> Find(const std::string& text) {
        for (int row = 1; row <= ScreenHeight; ++row) {
            size_t at = RowText(row).find(text);
            if (at != std::string::npos) return {static_cast<int>(at) + 1, row};
        }
        return {0, 0};
    }
    static ::testing::AssertionResult Marked(const std::string& text) {
        auto [column, row] = Find(text);
        if (column == 0)
            return ::testing::AssertionFailure() << "\"" << text << "\" not shown\n"
                                                 << ScreenDump();
        return ScreenHasIn(column, row, text, HighlightAttributeInUse);
    }
    static void NothingInTheLastColumn() {
        for (int row = 1; row <= ScreenHeight; ++row) EXPECT_EQ(CellChar(80, row), ' ') << row;
    }
};

// ---- System clock screen ----------------------------------------------------------------------

TEST_F(CalendarScreenTest, SystemClockScreenGerman) {
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_TRUE(ScreenHasIn(
        1, 1, "Bitte stellen Sie Datum und Uhrzeit ein (benoetigt Administrationsrechte):",
        HighlightAttributeInUse));
    EXPECT_TRUE(Marked("Beachten Sie dabei bitte folgendes:"));
    EXPECT_TRUE(Marked("Wochentag"));
    EXPECT_TRUE(Marked("Schaltjahr"));
    EXPECT_TRUE(Marked("sofortige Aenderung von Datum, bzw. Uhrzeit"));
    EXPECT_TRUE(Marked("Wochentagskalender ab 1980"));
    EXPECT_TRUE(Marked("F1"));
    EXPECT_TRUE(ScreenHas(1, 17, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHasIn(1, 18,
                            "                Jahr (1980 - ?\?\?\?): 2026 (ist kein Schaltjahr.)",
                            NormalAttributeInUse));
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 12.  (Dezember) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 31): 08. "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Wochentag         : Dienstag.   "));
    EXPECT_TRUE(ScreenHas(1, 22, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHas(1, 23, "                Stunde   (00 - 23): 12 Uhr, "));
    EXPECT_TRUE(ScreenHas(1, 24, "                Minute   (00 - 59): 00 Minuten und "));
    EXPECT_TRUE(ScreenHas(1, 25, "                Sekunde  (00 - 59): 00 Sekunden. "));
    NothingInTheLastColumn();
    EXPECT_EQ(TextAttr, NormalAttributeInUse);
}

TEST_F(CalendarScreenTest, SystemClockScreenEnglish) {
    Language = LanguageKind::English;
    VirtualSetClock(2024, 2, 29, 0, 5, 9, 0);
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_TRUE(ScreenHasIn(
        1, 1, "Please set the right date and time (administration rights are required):",
        HighlightAttributeInUse));
    EXPECT_TRUE(Find("If date and time are o.k., please press 'CR'/'ENTER'.").first > 0)
        << ScreenDump();
    EXPECT_TRUE(Marked("Please note the following:"));
    EXPECT_TRUE(Marked("day of the week"));
    EXPECT_TRUE(Marked("leap-year"));
    EXPECT_TRUE(Marked("immediate change of the date respectively the time"));
    EXPECT_TRUE(Marked("calendar (from 1980)"));
    EXPECT_TRUE(Marked("'F1'"));
    EXPECT_TRUE(ScreenHas(1, 18, "                Year (1980 - ?\?\?\?): 2024 (is a leap-year.) "));
    EXPECT_TRUE(ScreenHas(1, 19, "                Month    (01 - 12): 02   (February) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Day      (01 - 29): 29 "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Day of the week   : Thursday. "));
    EXPECT_TRUE(ScreenHas(1, 23, "                Hour     (00 - 23): 00 (= 12 a.m.) "));
    EXPECT_TRUE(ScreenHas(1, 24, "                Minute   (00 - 59): 05 minutes and "));
    EXPECT_TRUE(ScreenHas(1, 25, "                Second   (00 - 59): 09 seconds. "));
    NothingInTheLastColumn();
}

TEST_F(CalendarScreenTest, TheFieldsFollowTheClock) {
    Language = LanguageKind::English;
    VirtualSetClock(2026, 12, 31, 12, 59, 58, 0);
    VirtualQueueKeyAfter(KeyEsc, 300);
    SystemClockScreen();
    EXPECT_TRUE(ScreenHas(1, 23, "                Hour     (00 - 23): 13 (= 01 p.m.) "));
    EXPECT_TRUE(ScreenHas(1, 24, "                Minute   (00 - 59): 00 minutes and "));
    EXPECT_TRUE(ScreenHas(1, 25, "                Second   (00 - 59): 01 seconds. "));

    // Over midnight into a new year.
    VirtualSetClock(2026, 12, 31, 23, 59, 59, 0);
    VirtualQueueKeyAfter(KeyEsc, 200);
    SystemClockScreen();
    EXPECT_TRUE(ScreenHas(1, 18, "                Year (1980 - ?\?\?\?): 2027 (is no leap-year.)"));
    EXPECT_TRUE(ScreenHas(1, 19, "                Month    (01 - 12): 01   (January)  "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Day      (01 - 31): 01 "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Day of the week   : Friday.   "));
    EXPECT_TRUE(ScreenHas(1, 23, "                Hour     (00 - 23): 00 (= 12 a.m.) "));
    EXPECT_TRUE(ScreenHas(1, 25, "                Second   (00 - 59): 01 seconds. "));
    EXPECT_EQ(VirtualClockSets(), 0);
}

TEST_F(CalendarScreenTest, ADigitIsWrittenToTheClockAtOnce) {
    Down(3);                // year thousands -> month tens -> day tens -> hour tens
    VirtualQueueKeys("3");  // not allowed on the hour tens: ignored, the cursor stays
    VirtualQueueKeys("0");  // 12 -> 02
    VirtualQueueKeys("9");  // hour units: 02 -> 09
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_EQ(VirtualClockSets(), 2);
    EXPECT_EQ(GetTime().Hour, 9);
    EXPECT_TRUE(ClockDateIs(2026, 12, 8));
    EXPECT_TRUE(ScreenHas(37, 23, "09 Uhr,"));
    // The cursor went on to the hour tens.
    EXPECT_EQ(WhereX(), 37);
    EXPECT_EQ(WhereY(), 23);
}

TEST_F(CalendarScreenTest, AnHourAboveTwentyThreeBecomesTwenty) {
    VirtualSetClock(2026, 12, 8, 19, 30, 0, 0);
    VirtualQueueExtended(ExtCtrlDown);
    VirtualQueueExtended(ExtAltDown);
    Down();
    VirtualQueueKeys("2");
    VirtualQueueKey(KeyEnter);
    SystemClockScreen();
    TimeValue time = GetTime();
    EXPECT_EQ(time.Hour, 20);
    EXPECT_EQ(time.Minute, 30);
    EXPECT_TRUE(ScreenHas(1, 23, "                Stunde   (00 - 23): 20 Uhr,"));
}

TEST_F(CalendarScreenTest, ThirtyFirstOfJanuaryBecomesThirtiethOfApril) {
    VirtualSetClock(2026, 1, 31, 10, 0, 0, 0);
    Down();                          // month tens (January has them)
    VirtualQueueExtended(ExtRight);  // month units
    VirtualQueueKeys("4");
    VirtualQueueKey(KeyCtrlC);
    SystemClockScreen();
    EXPECT_TRUE(ClockDateIs(2026, 4, 30));
    EXPECT_EQ(VirtualClockSets(), 1);  // one change of the date, written at once
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 04.  (April)    "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 30): 30."));
    EXPECT_TRUE(ScreenHas(37, 21, "Donnerstag."));
}

TEST_F(CalendarScreenTest, ARefusedChangeShowsTheRealClock) {
    VirtualRefuseClockChanges(true);
    Down(3);
    VirtualQueueKeys("0");  // hour 02, refused
    VirtualQueueExtended(ExtUp);
    VirtualQueueExtended(ExtUp);
    VirtualQueueKeys("1");  // month units: November, refused
    VirtualQueueKeyAfter(KeyEsc, 50);
    SystemClockScreen();
    EXPECT_EQ(VirtualClockSets(), 0);
    EXPECT_EQ(GetTime().Hour, 12);
    EXPECT_TRUE(ScreenHas(1, 23, "                Stunde   (00 - 23): 12 Uhr,"));
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 12.  (Dezember) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 31): 08."));
}

TEST_F(CalendarScreenTest, FunctionKeyOneRestoresTheDateInOneStep) {
    Down(2);                 // day tens
    VirtualQueueKeys("19");  // 18, then 19 December
    VirtualQueueExtended(ExtUp);
    VirtualQueueExtended(ExtRight);
    VirtualQueueKeys("1");  // month units: November
    VirtualQueueExtended(ExtF1);
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_TRUE(ClockDateIs(2026, 12, 8));
    EXPECT_EQ(VirtualClockSets(), 4);  // three changes and one restore
    EXPECT_TRUE(ScreenHas(37, 19, "12.  (Dezember) "));
    EXPECT_TRUE(ScreenHas(37, 20, "08."));
    EXPECT_TRUE(ScreenHas(37, 21, "Dienstag.  "));

    // Unchanged: F1 does nothing.
    VirtualQueueExtended(ExtF1);
    VirtualQueueExtended(ExtAltF1);
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_EQ(VirtualClockSets(), 4);
}

TEST_F(CalendarScreenTest, FunctionKeyOneDoesNotTurnTheClockBackOverMidnight) {
    // F1 arrives after midnight: no date was set on the screen, so nothing is undone.
    VirtualSetClock(2026, 12, 8, 23, 59, 59, 50);
    VirtualQueueKeyAfter(KeyExtended, 100);
    VirtualQueueKey(ExtF1);
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_TRUE(ClockDateIs(2026, 12, 9));
    EXPECT_EQ(VirtualClockSets(), 0);
    EXPECT_TRUE(ScreenHas(37, 20, "09."));

    // A date the machine refused was not set either: F1 after midnight leaves the clock alone,
    // although the machine would now take a change.
    DateFields = DateFieldsRecord{};
    VirtualSetClock(2026, 12, 8, 23, 59, 59, 0);
    VirtualRefuseClockChanges(true);
    VirtualSetPollObserver([] {
        if (GetDate().Day == 9) VirtualRefuseClockChanges(false);
    });
    Down(2);
    VirtualQueueKeys("1");  // 18 December, refused
    VirtualQueueKeyAfter(KeyExtended, 200);
    VirtualQueueKey(ExtF1);
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    EXPECT_TRUE(ClockDateIs(2026, 12, 9));
    EXPECT_EQ(VirtualClockSets(), 0);
}

TEST_F(CalendarScreenTest, TheClockScreenCountsLeapYearsByTheGregorianRule) {
    VirtualSetClock(2024, 2, 29, 10, 0, 0, 0);
    VirtualQueueKeys("1500");
    VirtualQueueKey(KeyEsc);
    SystemClockScreen();
    // 29 February 1500 is no day of the machine's calendar: it becomes the 28th.
    EXPECT_TRUE(ClockDateIs(1500, 2, 28));
    EXPECT_TRUE(ScreenHas(37, 18, "1500 (ist kein Schaltjahr.)"));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 28): 28."));
}

// ---- Virtual date screen ----------------------------------------------------------------------

class VirtualDateScreenTest : public CalendarScreenTest {
protected:
    GameDate Date{1, 1, 1, 0};
    bool InUse = true;
    void Run() { VirtualDateScreen(Date, InUse); }
    bool DateIs(int year, int month, int day, int weekday) const {
        return Date.Year == year && Date.Month == month && Date.Day == day &&
               Date.Weekday == weekday;
    }
};

TEST_F(VirtualDateScreenTest, GermanScreen) {
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(ScreenHasIn(
        1, 1, "Bitte stellen Sie Ihr virtuelles Spieldatum ein:", HighlightAttributeInUse));
    EXPECT_TRUE(Marked("Beachten Sie dabei bitte folgendes:"));
    EXPECT_TRUE(Marked("sofortige Aenderung des virtuellen Spieldatums"));
    EXPECT_TRUE(Marked("Wochentagskalender von 0000 bis 9999"));
    EXPECT_TRUE(
        ScreenHas(1, 18, "                Jahr (0000 - 9999): 2026 (ist kein Schaltjahr.)"));
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 12.  (Dezember) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 31): 08."));
    EXPECT_TRUE(ScreenHas(1, 21, "                Wochentag         : Dienstag.  "));
    EXPECT_TRUE(ScreenHas(1, 22, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHas(
        1, 23, "   Auf Donnerstag, den 4. Oktober 1582 folgt Freitag, der 15. Oktober 1582."));
    EXPECT_NE(RowText(24).find("Gregorianische"), std::string::npos);
    EXPECT_NE(RowText(25).find("Julianischen"), std::string::npos);
    NothingInTheLastColumn();
    // The cursor stands on the year thousands.
    EXPECT_EQ(WhereX(), 37);
    EXPECT_EQ(WhereY(), 18);
}

TEST_F(VirtualDateScreenTest, EnglishScreen) {
    Language = LanguageKind::English;
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(ScreenHasIn(
        1, 1, "Please set the right virtual date of the game:", HighlightAttributeInUse));
    EXPECT_TRUE(Find("If the virtual date is o.k., please press 'CR'/'ENTER'.").first > 0)
        << ScreenDump();
    EXPECT_TRUE(Marked("immediate change of the virtual date of the game"));
    EXPECT_TRUE(Marked("calendar from 0000 to 9999"));
    EXPECT_TRUE(ScreenHas(1, 18, "                Year (0000 - 9999): 2026 (is no leap-year.)"));
    EXPECT_TRUE(ScreenHas(1, 19, "                Month    (01 - 12): 12   (December) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Day      (01 - 31): 08 "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Day of the week   : Tuesday.   "));
    EXPECT_TRUE(ScreenHas(
        1, 23, "    Thursday, 4th October 1582 is followed by Friday, 15th October 1582. "));
    EXPECT_TRUE(
        ScreenHas(1, 24, "    At this time the Gregorian Calendar replaced the Julian Calendar. "));
    EXPECT_TRUE(ScreenHas(1, 25, std::string(80, ' ')));
    NothingInTheLastColumn();
}

TEST_F(VirtualDateScreenTest, TodayMeansNoVirtualDate) {
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_FALSE(InUse);
    EXPECT_TRUE(DateIs(2026, 12, 8, 2));

    // Changed and changed back.
    VirtualQueueKeys("1");  // 1026
    VirtualQueueExtended(ExtLeft);
    VirtualQueueKeys("2");
    VirtualQueueKey(KeyEnter);
    Run();
    EXPECT_FALSE(InUse);
    EXPECT_TRUE(DateIs(2026, 12, 8, 2));
    EXPECT_EQ(VirtualClockSets(), 0);  // the machine's clock is never touched
}

TEST_F(VirtualDateScreenTest, TheLastDayOfTheCalendar) {
    VirtualQueueKeys("9999");          // the cursor wraps back to the year thousands
    VirtualQueueExtended(ExtAltDown);  // month tens
    Down();                            // day tens
    VirtualQueueKeys("3");             // 38 -> 30
    VirtualQueueKeys("9");             // day units allow only 0 and 1 now: ignored
    VirtualQueueKeys("1");
    VirtualQueueKey(KeyEnter);
    Run();
    EXPECT_TRUE(InUse);
    EXPECT_TRUE(DateIs(9999, 12, 31, 5));
    EXPECT_TRUE(ScreenHas(37, 21, "Freitag.   "));
    GameDate next = NextDay(Date);
    EXPECT_EQ(next.Year, 10000);
    EXPECT_EQ(next.Month, 1);
    EXPECT_EQ(next.Day, 1);
    EXPECT_EQ(next.Weekday, 6);
}

TEST_F(VirtualDateScreenTest, FunctionKeyOneReturnsToTodayAndSwitchesTheDateOff) {
    for (uint8_t f1 : {ExtF1, ExtShiftF1, ExtCtrlF1, ExtAltF1}) {
        VirtualQueueKeys("1");
        VirtualQueueExtended(f1);
        VirtualQueueKey(KeyEsc);
        Run();
        EXPECT_FALSE(InUse) << int(f1);
        EXPECT_TRUE(DateIs(2026, 12, 8, 2));
        EXPECT_TRUE(ScreenHas(37, 18, "2026"));
    }
    // F1 leaves the cursor where it stands: the next digit goes to the year hundreds.
    VirtualQueueKeys("1");
    VirtualQueueExtended(ExtF1);
    VirtualQueueKeys("1");
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(InUse);
    EXPECT_TRUE(DateIs(2126, 12, 8, WeekdayOf(2126, 12, 8)));
}

TEST_F(VirtualDateScreenTest, MonthTensAreNotOfferedForMarchToSeptember) {
    Down();                 // month tens of December
    VirtualQueueKeys("1");  // 12 stays, cursor to the units
    VirtualQueueKeys("0");  // October; cursor to the tens
    VirtualQueueExtended(ExtLeft);
    VirtualQueueKeys("5");  // 15 -> May; the tens are skipped, the cursor stays on the units
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 05.  (Mai)      "));
    EXPECT_EQ(WhereX(), 38);
    EXPECT_EQ(WhereY(), 19);
    EXPECT_TRUE(InUse);
    EXPECT_TRUE(DateIs(2026, 5, 8, 5));
}

TEST_F(VirtualDateScreenTest, TheReformDaysAndTheLeapRuleOfTheCalendar) {
    // The day first: on the way, 1582 would turn days 5 to 14 of October into 15 to 24.
    Down();                  // month tens
    VirtualQueueKeys("10");  // October
    Down();                  // day tens
    VirtualQueueKeys("04");  // 4 October 2026
    VirtualQueueExtended(ExtUp);
    VirtualQueueExtended(ExtUp);  // year thousands
    VirtualQueueKeys("1582");     // Thursday, 4 October 1582
    Down(2);                      // day tens
    VirtualQueueExtended(ExtCtrlLeft);
    VirtualQueueKeys("7");  // 7 October does not exist: 17 October
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(DateIs(1582, 10, 17, 0));
    EXPECT_TRUE(ScreenHas(37, 20, "17."));
    EXPECT_TRUE(ScreenHas(37, 21, "Sonntag.   "));

    // 29 February 1500 stands in the Julian calendar.
    VirtualQueueKeys("1500");
    Down();                  // month tens
    VirtualQueueKeys("02");  // February
    Down();                  // day tens
    VirtualQueueKeys("29");
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(DateIs(1500, 2, 29, WeekdayOf(1500, 2, 29)));
    EXPECT_TRUE(ScreenHas(37, 18, "1500 (ist ein Schaltjahr.) "));
    GameDate next = NextDay(Date);
    EXPECT_EQ(next.Month, 3);
    EXPECT_EQ(next.Day, 1);
}

TEST_F(VirtualDateScreenTest, IgnoredKeysChangeNothing) {
    VirtualQueueKeys("xA ");
    VirtualQueueExtended(ExtF4);
    VirtualQueueExtended(ExtPgDn);
    Down();                 // month tens
    VirtualQueueKeys("5");  // above 1: ignored
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_FALSE(InUse);
    EXPECT_EQ(WhereX(), 37);
    EXPECT_EQ(WhereY(), 19);
    EXPECT_TRUE(ScreenHas(37, 19, "12."));
}

TEST_F(VirtualDateScreenTest, ModifiedArrowKeysMoveLikeThePlainOnes) {
    VirtualQueueExtended(ExtCtrlRight);  // year hundreds
    VirtualQueueExtended(ExtAltRight);   // year tens
    VirtualQueueExtended(ExtAltLeft);    // year hundreds
    VirtualQueueExtended(ExtCtrlUp);     // day units
    VirtualQueueExtended(ExtAltUp);      // month units
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_EQ(WhereX(), 38);
    EXPECT_EQ(WhereY(), 19);
}

// ---- Through the menu -------------------------------------------------------------------------

TEST_F(CalendarScreenTest, MenuThreeSetsTheVirtualDateAndMenuTwoSwitchesItOff) {
    VirtualQueueKeys("d3");
    VirtualQueueKeys("1");  // 8 December 1026
    VirtualQueueKey(KeyEnter);
    VirtualQueueKeys("9");
    RunProgram();
    EXPECT_TRUE(VirtualDateOn);
    EXPECT_EQ(VirtualDate.Year, 1026);
    EXPECT_EQ(VirtualDate.Weekday, WeekdayOf(1026, 12, 8));
    EXPECT_EQ(VirtualNextDate.Year, 1026);
    EXPECT_EQ(VirtualNextDate.Day, 9);
    EXPECT_EQ(VirtualClockSets(), 0);

    StartVirtualConsole();
    VirtualSetProgramPath(Directory + "/zamikovantorel");
    VirtualQueueKeys("d3");
    VirtualQueueKeys("1");
    VirtualQueueKey(KeyEnter);
    VirtualQueueKeys("2");
    VirtualQueueKey(KeyEsc);
    VirtualQueueKeys("9");
    RunProgram();
    EXPECT_FALSE(VirtualDateOn);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

}  // namespace
