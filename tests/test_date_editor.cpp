// The date fields: repairs after a digit, digit ranges, skipped positions, cursor moves and the
// incremental redraw of the field block.
#include <string>

#include "calendar/calendar_rules.h"
#include "calendar/date_editor.h"
#include "support/virtual_session.h"

namespace {

using P = FieldPosition;

class DateEditorTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        DateFields = DateFieldsRecord{};
        DateFields.German = true;
    }
    // An edited date on the calendar screen (not live), drawn as the screen draws it.
    void Show(int year, int month, int day, bool german = true) {
        DateFieldsRecord& f = DateFields;
        f.German = german;
        f.Year = static_cast<uint16_t>(year);
        f.Month = static_cast<uint16_t>(month);
        f.Day = static_cast<uint16_t>(day);
        f.Leap = LeapYear(year);
        f.Weekday = static_cast<uint16_t>(WeekdayOf(year, month, day));
        WriteFieldBlock(false);
    }
    // A digit typed at a position of the calendar screen, repaired and shown.
    void Type(P position, int digit) {
        ApplyDigit(position, digit);
        NormaliseDate(false);
        UpdateFields(false);
    }
    static bool DateIs(int year, int month, int day) {
        return DateFields.Year == year && DateFields.Month == month && DateFields.Day == day;
    }
};

TEST_F(DateEditorTest, FebruaryRepairsFollowTheCalendarRule) {
    Show(1900, 2, 19);
    Type(P::DayTens, 2);  // 29 February 1900 does not exist
    EXPECT_TRUE(DateIs(1900, 2, 28));
    Show(1500, 2, 19);
    Type(P::DayTens, 2);  // a Julian leap year
    EXPECT_TRUE(DateIs(1500, 2, 29));
    Show(2024, 2, 29);
    Type(P::YearUnits, 3);
    EXPECT_TRUE(DateIs(2023, 2, 28));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 28): 28."));
    EXPECT_TRUE(ScreenHas(37, 18, "2023 (ist kein Schaltjahr.)"));
}

TEST_F(DateEditorTest, TheTenDroppedDaysOf1582AreSkipped) {
    Show(1582, 10, 4);
    EXPECT_EQ(DateFields.Weekday, 4);
    Type(P::DayUnits, 7);
    EXPECT_TRUE(DateIs(1582, 10, 17));
    EXPECT_TRUE(ScreenHas(37, 20, "17."));
    EXPECT_TRUE(ScreenHas(37, 21, "Sonntag.   "));
    Show(1582, 10, 4);
    Type(P::DayUnits, 5);
    EXPECT_TRUE(DateIs(1582, 10, 15));
    EXPECT_TRUE(ScreenHas(37, 21, "Freitag.   "));
    // Other years keep their October days.
    Show(1583, 10, 4);
    Type(P::DayUnits, 7);
    EXPECT_TRUE(DateIs(1583, 10, 7));
}

TEST_F(DateEditorTest, MonthAndDayRepairs) {
    Show(2026, 10, 15);
    Type(P::MonthUnits, 5);  // 15 becomes May
    EXPECT_TRUE(DateIs(2026, 5, 15));
    Show(2026, 12, 15);
    Type(P::MonthUnits, 9);  // 19 becomes September
    EXPECT_TRUE(DateIs(2026, 9, 15));
    Show(2026, 10, 15);
    Type(P::MonthUnits, 0);
    EXPECT_TRUE(DateIs(2026, 10, 15));
    Type(P::MonthTens, 0);  // month 0 becomes 10
    EXPECT_TRUE(DateIs(2026, 10, 15));
    Show(2026, 1, 15);
    Type(P::MonthUnits, 0);
    EXPECT_TRUE(DateIs(2026, 10, 15));
    Show(2026, 3, 10);
    Type(P::DayTens, 0);  // day 0 becomes 10
    EXPECT_TRUE(DateIs(2026, 3, 10));
    Show(2026, 3, 15);
    Type(P::DayTens, 3);  // 35 becomes 30
    EXPECT_TRUE(DateIs(2026, 3, 30));
    Show(2026, 1, 31);
    Type(P::MonthUnits, 4);  // 31 April becomes 30 April
    EXPECT_TRUE(DateIs(2026, 4, 30));
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 04.  (April)    "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 30): 30."));
    Show(2026, 1, 31);
    Type(P::MonthUnits, 2);
    EXPECT_TRUE(DateIs(2026, 2, 28));
    Show(2024, 1, 30);
    Type(P::MonthUnits, 2);
    EXPECT_TRUE(DateIs(2024, 2, 29));
}

TEST_F(DateEditorTest, TheYearZero) {
    Show(2000, 1, 1);
    Type(P::YearThousands, 0);
    Type(P::YearHundreds, 0);
    Type(P::YearTens, 0);
    EXPECT_TRUE(DateIs(0, 1, 1));
    EXPECT_TRUE(ScreenHas(37, 18, "0000 (ist ein Schaltjahr.) "));
    EXPECT_TRUE(ScreenHas(37, 21, "Donnerstag."));
    Type(P::YearUnits, 1);
    EXPECT_TRUE(ScreenHas(37, 18, "0001 (ist kein Schaltjahr.)"));
    EXPECT_TRUE(ScreenHas(37, 21, "Samstag.   "));
}

TEST_F(DateEditorTest, DigitRanges) {
    DateFieldsRecord& f = DateFields;
    auto at = [&](int month, int day, bool leap) {
        f.Month = static_cast<uint16_t>(month);
        f.Day = static_cast<uint16_t>(day);
        f.Leap = leap;
    };
    at(5, 15, false);
    for (P p : {P::YearThousands, P::YearHundreds, P::YearTens, P::YearUnits, P::MonthUnits,
                P::MinuteUnits, P::SecondUnits})
        EXPECT_EQ(HighestDigit(p), 9);
    EXPECT_EQ(HighestDigit(P::MonthTens), 1);
    EXPECT_EQ(HighestDigit(P::DayTens), 3);
    EXPECT_EQ(HighestDigit(P::DayUnits), 9);
    at(2, 15, false);
    EXPECT_EQ(HighestDigit(P::DayTens), 2);
    EXPECT_EQ(HighestDigit(P::DayUnits), 9);
    at(2, 20, false);
    EXPECT_EQ(HighestDigit(P::DayUnits), 8);
    at(2, 28, true);
    EXPECT_EQ(HighestDigit(P::DayUnits), 9);
    at(1, 30, false);
    EXPECT_EQ(HighestDigit(P::DayUnits), 1);
    at(1, 31, false);
    EXPECT_EQ(HighestDigit(P::DayUnits), 1);
    at(1, 29, false);
    EXPECT_EQ(HighestDigit(P::DayUnits), 9);
    f.Hour = 19;
    EXPECT_EQ(HighestDigit(P::HourTens), 2);
    EXPECT_EQ(HighestDigit(P::HourUnits), 9);
    f.Hour = 20;
    EXPECT_EQ(HighestDigit(P::HourUnits), 3);
    EXPECT_EQ(HighestDigit(P::MinuteTens), 5);
    EXPECT_EQ(HighestDigit(P::SecondTens), 5);
}

TEST_F(DateEditorTest, SkippedPositions) {
    DateFieldsRecord& f = DateFields;
    for (int month = 1; month <= 12; ++month) {
        f.Month = static_cast<uint16_t>(month);
        f.Day = 15;
        bool offered = month <= 2 || month >= 10;
        EXPECT_EQ(PositionSkipped(P::MonthTens), !offered) << month;
        EXPECT_EQ(ResolvePosition(P::MonthTens), offered ? P::MonthTens : P::MonthUnits);
        f.Day = 30;
        bool thirty = month == 4 || month == 6 || month == 9 || month == 11;
        EXPECT_EQ(PositionSkipped(P::DayUnits), thirty) << month;
        EXPECT_EQ(ResolvePosition(P::DayUnits), thirty ? P::DayTens : P::DayUnits);
    }
    f.Month = 4;
    f.Day = 29;
    EXPECT_FALSE(PositionSkipped(P::DayUnits));
}

// Where a move leads, as column and row of the cursor.
struct Move {
    int FromColumn, FromRow;
    EditAction Action;
    int ToColumn, ToRow;
};

P PositionAt(int column, int row) {
    for (int i = 0; i <= static_cast<int>(P::SecondUnits); ++i) {
        P p = static_cast<P>(i);
        if (PositionColumn(p) == column && PositionRow(p) == row) return p;
    }
    ADD_FAILURE() << "no position at " << column << "," << row;
    return P::YearThousands;
}

TEST_F(DateEditorTest, MovesOfTheDateEditor) {
    // Month 1 and day 15: no position is skipped.
    DateFields.Month = 1;
    DateFields.Day = 15;
    using A = EditAction;
    const Move moves[] = {
        {37, 18, A::Up, 37, 20},    {37, 18, A::Down, 37, 19},  {37, 18, A::Left, 40, 18},
        {37, 18, A::Right, 38, 18}, {38, 18, A::Up, 38, 20},    {38, 18, A::Down, 38, 19},
        {38, 18, A::Left, 37, 18},  {38, 18, A::Right, 39, 18}, {39, 18, A::Up, 38, 20},
        {39, 18, A::Down, 38, 19},  {39, 18, A::Left, 38, 18},  {39, 18, A::Right, 40, 18},
        {40, 18, A::Up, 38, 20},    {40, 18, A::Down, 38, 19},  {40, 18, A::Left, 39, 18},
        {40, 18, A::Right, 37, 18}, {37, 19, A::Up, 37, 18},    {37, 19, A::Down, 37, 20},
        {37, 19, A::Left, 38, 19},  {37, 19, A::Right, 38, 19}, {38, 19, A::Up, 38, 18},
        {38, 19, A::Down, 38, 20},  {38, 19, A::Left, 37, 19},  {38, 19, A::Right, 37, 19},
        {37, 20, A::Up, 37, 19},    {37, 20, A::Down, 37, 18},  {37, 20, A::Left, 38, 20},
        {37, 20, A::Right, 38, 20}, {38, 20, A::Up, 38, 19},    {38, 20, A::Down, 38, 18},
        {38, 20, A::Left, 37, 20},  {38, 20, A::Right, 37, 20},
    };
    for (const Move& m : moves) {
        P to = MoveOnDate(PositionAt(m.FromColumn, m.FromRow), m.Action);
        EXPECT_EQ(PositionColumn(to), m.ToColumn) << m.FromColumn << "," << m.FromRow;
        EXPECT_EQ(PositionRow(to), m.ToRow) << m.FromColumn << "," << m.FromRow;
    }
    // Moves onto a skipped position go on to its right-hand neighbour.
    DateFields.Month = 4;
    DateFields.Day = 30;
    EXPECT_EQ(MoveOnDate(P::YearThousands, A::Down), P::MonthUnits);
    EXPECT_EQ(MoveOnDate(P::MonthUnits, A::Left), P::MonthUnits);
    EXPECT_EQ(MoveOnDate(P::YearHundreds, A::Up), P::DayTens);
    EXPECT_EQ(MoveOnDate(P::DayTens, A::Right), P::DayTens);
    EXPECT_EQ(MoveOnDate(P::MonthUnits, A::Down), P::DayTens);
}

TEST_F(DateEditorTest, MovesOfTheDateAndTimeEditor) {
    DateFields.Month = 11;
    DateFields.Day = 15;
    using A = EditAction;
    const Move moves[] = {
        {37, 18, A::Up, 37, 25},    {37, 18, A::Down, 37, 19},  {37, 18, A::Left, 40, 18},
        {37, 18, A::Right, 38, 18}, {38, 18, A::Up, 38, 25},    {38, 18, A::Down, 38, 19},
        {38, 18, A::Left, 37, 18},  {38, 18, A::Right, 39, 18}, {39, 18, A::Up, 38, 25},
        {39, 18, A::Down, 38, 19},  {39, 18, A::Left, 38, 18},  {39, 18, A::Right, 40, 18},
        {40, 18, A::Up, 38, 25},    {40, 18, A::Down, 38, 19},  {40, 18, A::Left, 39, 18},
        {40, 18, A::Right, 37, 18}, {37, 19, A::Up, 37, 18},    {37, 19, A::Down, 37, 20},
        {37, 19, A::Left, 38, 19},  {37, 19, A::Right, 38, 19}, {38, 19, A::Up, 38, 18},
        {38, 19, A::Down, 38, 20},  {38, 19, A::Left, 37, 19},  {38, 19, A::Right, 37, 19},
        {37, 20, A::Up, 37, 19},    {37, 20, A::Down, 37, 23},  {37, 20, A::Left, 38, 20},
        {37, 20, A::Right, 38, 20}, {38, 20, A::Up, 38, 19},    {38, 20, A::Down, 38, 23},
        {38, 20, A::Left, 37, 20},  {38, 20, A::Right, 37, 20}, {37, 23, A::Up, 37, 20},
        {37, 23, A::Down, 37, 24},  {37, 23, A::Left, 38, 23},  {37, 23, A::Right, 38, 23},
        {38, 23, A::Up, 38, 20},    {38, 23, A::Down, 38, 24},  {38, 23, A::Left, 37, 23},
        {38, 23, A::Right, 37, 23}, {37, 24, A::Up, 37, 23},    {37, 24, A::Down, 37, 25},
        {37, 24, A::Left, 38, 24},  {37, 24, A::Right, 38, 24}, {38, 24, A::Up, 38, 23},
        {38, 24, A::Down, 38, 25},  {38, 24, A::Left, 37, 24},  {38, 24, A::Right, 37, 24},
        {37, 25, A::Up, 37, 24},    {37, 25, A::Down, 37, 18},  {37, 25, A::Left, 38, 25},
        {37, 25, A::Right, 38, 25}, {38, 25, A::Up, 38, 24},    {38, 25, A::Down, 38, 18},
        {38, 25, A::Left, 37, 25},  {38, 25, A::Right, 37, 25},
    };
    for (const Move& m : moves) {
        P to = MoveOnDateAndTime(PositionAt(m.FromColumn, m.FromRow), m.Action);
        EXPECT_EQ(PositionColumn(to), m.ToColumn) << m.FromColumn << "," << m.FromRow;
        EXPECT_EQ(PositionRow(to), m.ToRow) << m.FromColumn << "," << m.FromRow;
    }
    DateFields.Month = 6;
    DateFields.Day = 30;
    EXPECT_EQ(MoveOnDateAndTime(P::YearTens, A::Down), P::MonthUnits);
    EXPECT_EQ(MoveOnDateAndTime(P::HourUnits, A::Up), P::DayTens);
}

TEST_F(DateEditorTest, DigitEffects) {
    DateFieldsRecord& f = DateFields;
    f.Year = 2026;
    ApplyDigit(P::YearThousands, 7);
    EXPECT_EQ(f.Year, 7026);
    ApplyDigit(P::YearHundreds, 3);
    EXPECT_EQ(f.Year, 7326);
    ApplyDigit(P::YearTens, 9);
    EXPECT_EQ(f.Year, 7396);
    ApplyDigit(P::YearUnits, 0);
    EXPECT_EQ(f.Year, 7390);
    f.Hour = 14;
    ApplyDigit(P::HourTens, 2);
    EXPECT_EQ(f.Hour, 24);
    ApplyDigit(P::HourUnits, 1);
    EXPECT_EQ(f.Hour, 21);
    f.Minute = 7;
    ApplyDigit(P::MinuteTens, 5);
    EXPECT_EQ(f.Minute, 57);
    ApplyDigit(P::MinuteUnits, 0);
    EXPECT_EQ(f.Minute, 50);
    f.Second = 42;
    ApplyDigit(P::SecondTens, 0);
    EXPECT_EQ(f.Second, 2);
    ApplyDigit(P::SecondUnits, 9);
    EXPECT_EQ(f.Second, 9);
}

TEST_F(DateEditorTest, FieldBlockInBothLanguages) {
    Show(2026, 3, 9, true);
    EXPECT_TRUE(
        ScreenHas(1, 18, "                Jahr (0000 - 9999): 2026 (ist kein Schaltjahr.)"));
    EXPECT_TRUE(ScreenHas(1, 19, "                Monat    (01 - 12): 03.  (Maerz)     "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Tag      (01 - 31): 09.  "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Wochentag         : Montag.    "));
    ClearScreen();
    Show(2024, 2, 29, false);
    EXPECT_TRUE(ScreenHas(1, 18, "                Year (0000 - 9999): 2024 (is a leap-year.) "));
    EXPECT_TRUE(ScreenHas(1, 19, "                Month    (01 - 12): 02   (February) "));
    EXPECT_TRUE(ScreenHas(1, 20, "                Day      (01 - 29): 29 "));
    EXPECT_TRUE(ScreenHas(1, 21, "                Day of the week   : Thursday. "));
}

TEST_F(DateEditorTest, OnlyWhatChangedIsRedrawn) {
    Show(2026, 1, 12);
    // Marks in cells that must stay as they are.
    WriteAt(37, 20, "X");
    Type(P::DayUnits, 3);  // 12 -> 13: the units digit alone
    EXPECT_TRUE(ScreenHas(37, 20, "X3."));
    Type(P::DayTens, 2);  // 13 -> 23: both digits
    EXPECT_TRUE(ScreenHas(37, 20, "23."));
    WriteAt(37, 19, "X");
    WriteAt(32, 20, "XX");
    Type(P::MonthUnits, 2);  // January -> February: units digit, name and day range
    EXPECT_TRUE(ScreenHas(37, 19, "X2.  (Februar)  "));
    EXPECT_TRUE(ScreenHas(32, 20, "28): 23."));
    // A new year with another leap flag rewrites the leap text, and in February the last
    // digit of the day range.
    WriteAt(32, 20, "X");
    WriteAt(41, 18, "XXXXXX");
    Type(P::YearUnits, 8);
    EXPECT_TRUE(ScreenHas(37, 18, "2028XXXXXXein Schaltjahr.) "));
    EXPECT_TRUE(ScreenHas(32, 20, "X9): 23."));
    // The same leap flag: only the year digits.
    WriteAt(47, 18, "X");
    Type(P::YearTens, 4);
    EXPECT_TRUE(ScreenHas(37, 18, "2048XXXXXXXin Schaltjahr.) "));
    EXPECT_TRUE(DateFields.ShownLeap);
    // Nothing changed: nothing is written.
    WriteAt(37, 21, "XXXXXXXXXXX");
    UpdateFields(false);
    EXPECT_TRUE(ScreenHas(37, 21, "XXXXXXXXXXX"));
    // The cursor is put back where it was.
    GotoXY(5, 7);
    Type(P::DayUnits, 4);
    EXPECT_EQ(WhereX(), 5);
    EXPECT_EQ(WhereY(), 7);
}

TEST_F(DateEditorTest, TwelveHourForms) {
    EXPECT_EQ(TwelveHourText(0), "12 a");
    EXPECT_EQ(TwelveHourText(1), "01 a");
    EXPECT_EQ(TwelveHourText(11), "11 a");
    EXPECT_EQ(TwelveHourText(12), "12 p");
    EXPECT_EQ(TwelveHourText(13), "01 p");
    EXPECT_EQ(TwelveHourText(23), "11 p");
}

}  // namespace
