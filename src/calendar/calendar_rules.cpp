// The calendar arithmetic: the leap rules, the month lengths of a common year, and the weekday
// from the years and leap days before the date, counted the Julian or the Gregorian way.
#include "calendar/calendar_rules.h"

namespace {

// Days before each month in a common year.
constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

}  // namespace

bool GregorianLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool LeapYear(int year) {
    if (year <= 1582) return year % 4 == 0;
    return GregorianLeapYear(year);
}

int DaysInMonth(int month, bool leap) {
    if (month < 1 || month > 12) return 31;
    return kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

int WeekdayOf(int year, int month, int day) {
    int base = 3;  // 1 January 0000 was a Thursday: the year 0 needs no count of years before
    if (year != 0) {
        int f = year - 1;
        bool julian = year < 1582 || (year == 1582 && (month < 10 || (month == 10 && day < 10)));
        if (julian) {
            base = (f / 4 + year + 4) % 7;
        } else {
            base = (f / 4 + year + 6 - f / 100 + f / 400) % 7;
        }
    }
    if (LeapYear(year) && month > 2) base += 1;
    if (month >= 1 && month <= 12) base += kDaysBefore[month - 1];
    return (base + day) % 7;
}
