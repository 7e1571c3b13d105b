// The successor of the virtual date across months, years, leap days and the calendar reform.
#include <gtest/gtest.h>

#include "calendar/virtual_date.h"

namespace {

GameDate Day(int year, int month, int day, int weekday) {
    return GameDate{year, month, day, weekday};
}

::testing::AssertionResult Follows(GameDate from, GameDate expected) {
    GameDate next = NextDay(from);
    if (next.Year == expected.Year && next.Month == expected.Month && next.Day == expected.Day &&
        next.Weekday == expected.Weekday)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << from.Day << "." << from.Month << "." << from.Year << " gave " << next.Day << "."
           << next.Month << "." << next.Year << " (weekday " << next.Weekday << ")";
}

TEST(NextDay, MonthAndYearEnds) {
    EXPECT_TRUE(Follows(Day(2026, 1, 31, 6), Day(2026, 2, 1, 0)));
    EXPECT_TRUE(Follows(Day(2026, 4, 30, 4), Day(2026, 5, 1, 5)));
    EXPECT_TRUE(Follows(Day(2026, 6, 30, 2), Day(2026, 7, 1, 3)));
    EXPECT_TRUE(Follows(Day(2026, 9, 29, 2), Day(2026, 9, 30, 3)));
    EXPECT_TRUE(Follows(Day(2026, 11, 30, 1), Day(2026, 12, 1, 2)));
    EXPECT_TRUE(Follows(Day(2026, 12, 31, 4), Day(2027, 1, 1, 5)));
    EXPECT_TRUE(Follows(Day(2026, 8, 31, 1), Day(2026, 9, 1, 2)));
    EXPECT_TRUE(Follows(Day(2026, 12, 8, 2), Day(2026, 12, 9, 3)));
    // The day after the last year of the calendar has a fifth digit.
    EXPECT_TRUE(Follows(Day(9999, 12, 31, 5), Day(10000, 1, 1, 6)));
}

TEST(NextDay, LeapYearsJulianUpTo1582AndGregorianAfter) {
    EXPECT_TRUE(Follows(Day(1900, 2, 28, 3), Day(1900, 3, 1, 4)));
    EXPECT_TRUE(Follows(Day(2000, 2, 28, 1), Day(2000, 2, 29, 2)));
    EXPECT_TRUE(Follows(Day(2000, 2, 29, 2), Day(2000, 3, 1, 3)));
    EXPECT_TRUE(Follows(Day(2100, 2, 28, 0), Day(2100, 3, 1, 1)));
    EXPECT_TRUE(Follows(Day(1500, 2, 28, 3), Day(1500, 2, 29, 4)));
    EXPECT_TRUE(Follows(Day(1582, 2, 28, 3), Day(1582, 3, 1, 4)));
    EXPECT_TRUE(Follows(Day(1584, 2, 28, 2), Day(1584, 2, 29, 3)));
    EXPECT_TRUE(Follows(Day(1700, 2, 28, 0), Day(1700, 3, 1, 1)));
    EXPECT_TRUE(Follows(Day(0, 2, 28, 0), Day(0, 2, 29, 1)));
    EXPECT_TRUE(Follows(Day(2027, 2, 28, 0), Day(2027, 3, 1, 1)));
}

TEST(NextDay, TheReformDropsTenDays) {
    EXPECT_TRUE(Follows(Day(1582, 10, 4, 4), Day(1582, 10, 15, 5)));
    EXPECT_TRUE(Follows(Day(1582, 10, 3, 3), Day(1582, 10, 4, 4)));
    EXPECT_TRUE(Follows(Day(1583, 10, 4, 2), Day(1583, 10, 5, 3)));
}

TEST(NextDay, AYearOfStepsComesBackToTheSameDate) {
    // 2026 is no leap year: 365 steps from 8 December 2026 (a Tuesday) reach 8 December 2027,
    // a Wednesday.
    GameDate date = Day(2026, 12, 8, 2);
    for (int i = 0; i < 365; ++i) date = NextDay(date);
    EXPECT_EQ(date.Year, 2027);
    EXPECT_EQ(date.Month, 12);
    EXPECT_EQ(date.Day, 8);
    EXPECT_EQ(date.Weekday, 3);
    // Through the reform year 1582 takes only 355 days.
    date = Day(1582, 1, 1, 1);
    int steps = 0;
    while (date.Year == 1582) {
        date = NextDay(date);
        ++steps;
    }
    EXPECT_EQ(steps, 355);
}

}  // namespace
