// Calendar arithmetic of the two calendar screens: leap years, month lengths and weekdays, with
// the Julian calendar up to 4 October 1582 and the Gregorian calendar from 15 October 1582.
#pragma once

// The calendar's leap rule: up to 1582 every year divisible by 4 (the year 0 too); after 1582
// a year divisible by 4 and not by 100, or divisible by 400.
bool LeapYear(int year);
// The Gregorian rule for every year; the machine's clock counts by it.
bool GregorianLeapYear(int year);
// Days of a month (1..12) for a year with the given leap flag.
int DaysInMonth(int month, bool leap);
// 0 = Sunday .. 6 = Saturday, for any date of the years 0000..9999 that the calendar has.
int WeekdayOf(int year, int month, int day);
