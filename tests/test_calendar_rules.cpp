// Leap years and weekdays of the calendar from 0000 to 9999, and the successor of a date.
#include <gtest/gtest.h>

#include <cstdint>

#include "calendar/calendar_rules.h"
#include "calendar/virtual_date.h"

namespace {

// An independent day count: the Julian day number by the usual month-shift formula, in the
// Julian calendar before 15 October 1582 and in the Gregorian calendar from then on.
int64_t JulianDayNumber(int year, int month, int day) {
    int64_t a = (14 - month) / 12;
    int64_t y = year + 4800 - a;
    int64_t m = month + 12 * a - 3;
    int64_t base = day + (153 * m + 2) / 5 + 365 * y + y / 4;
    bool gregorian = year > 1582 || (year == 1582 && (month > 10 || (month == 10 && day >= 15)));
    if (gregorian) return base - y / 100 + y / 400 - 32045;
    return base - 32083;
}

int DaysOfMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap =
        year <= 1582 ? year % 4 == 0 : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

TEST(CalendarRules, WeekdayOfEveryDayAgreesWithTheJulianDayNumber) {
    int64_t previous = JulianDayNumber(0, 1, 1) - 1;
    int64_t days = 0;
    for (int year = 0; year <= 9999; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysOfMonth(year, month); ++day) {
                if (year == 1582 && month == 10 && day >= 5 && day <= 14) continue;
                int64_t jdn = JulianDayNumber(year, month, day);
                // The count runs on without a gap, also over the ten dropped days.
                ASSERT_EQ(jdn, previous + 1) << day << "." << month << "." << year;
                previous = jdn;
                ASSERT_EQ(WeekdayOf(year, month, day), static_cast<int>((jdn + 1) % 7))
                    << day << "." << month << "." << year;
                ++days;
            }
        }
    }
    // 10000 years of 365.25 days, less the ten days of the reform and the 63 leap days that
    // the Gregorian rule drops in 1700, 1800, 1900, 2100, ... 9900.
    EXPECT_EQ(days, 3652500 - 10 - 63);
}

TEST(CalendarRules, KnownWeekdays) {
    EXPECT_EQ(WeekdayOf(1582, 10, 4), 4);   // Thursday
    EXPECT_EQ(WeekdayOf(1582, 10, 15), 5);  // Friday
    EXPECT_EQ(WeekdayOf(1, 1, 1), 6);       // Saturday
    EXPECT_EQ(WeekdayOf(0, 1, 1), 4);       // Thursday
    EXPECT_EQ(WeekdayOf(2026, 12, 7), 1);   // Monday
    EXPECT_EQ(WeekdayOf(1582, 10, 17), 0);  // Sunday
    EXPECT_EQ(WeekdayOf(0, 12, 31), 5);     // the year 0 has 366 days: 1 January 0001 follows
    EXPECT_EQ(WeekdayOf(9999, 12, 31), 5);  // Friday
    EXPECT_EQ(WeekdayOf(2000, 2, 29), 2);   // Tuesday
}

TEST(CalendarRules, LeapYearsJulianUpTo1582GregorianAfter) {
    EXPECT_TRUE(LeapYear(0));
    EXPECT_TRUE(LeapYear(4));
    EXPECT_TRUE(LeapYear(1500));
    EXPECT_TRUE(LeapYear(1100));
    EXPECT_FALSE(LeapYear(1582));
    EXPECT_TRUE(LeapYear(1584));
    EXPECT_FALSE(LeapYear(1700));
    EXPECT_FALSE(LeapYear(1900));
    EXPECT_TRUE(LeapYear(2000));
    EXPECT_TRUE(LeapYear(2024));
    EXPECT_FALSE(LeapYear(2023));
    // The machine's clock counts by the Gregorian rule in every year.
    EXPECT_FALSE(GregorianLeapYear(1500));
    EXPECT_TRUE(GregorianLeapYear(1600));
    EXPECT_TRUE(GregorianLeapYear(0));
    EXPECT_EQ(DaysInMonth(2, true), 29);
    EXPECT_EQ(DaysInMonth(2, false), 28);
    EXPECT_EQ(DaysInMonth(4, true), 30);
    EXPECT_EQ(DaysInMonth(12, false), 31);
}

TEST(CalendarRules, NextDayWalksTheWholeCalendarInStepWithTheWeekdays) {
    GameDate date{0, 1, 1, WeekdayOf(0, 1, 1)};
    int64_t steps = 0;
    while (date.Year <= 9999) {
        ASSERT_EQ(date.Weekday, WeekdayOf(date.Year, date.Month, date.Day))
            << date.Day << "." << date.Month << "." << date.Year;
        ASSERT_LE(date.Day, DaysOfMonth(date.Year, date.Month));
        date = NextDay(date);
        ++steps;
    }
    EXPECT_EQ(steps, 3652500 - 10 - 63);
    // The last day of the calendar is followed by a day with a fifth year digit.
    EXPECT_EQ(date.Year, 10000);
    EXPECT_EQ(date.Month, 1);
    EXPECT_EQ(date.Day, 1);
    EXPECT_EQ(date.Weekday, 6);
}

}  // namespace
