// The date and time texts of the match screen.
#pragma once

#include <string>

// German date: weekday, day, month, four-digit year and a comma, padded to 23 characters.
std::string GermanDateText(int year, int month, int day, int weekday);
// English date: weekday (shortened when the line is long), day with its ordinal suffix, month
// name, four-digit year and a comma, padded to 24 characters.
std::string EnglishDateText(int year, int month, int day, int weekday);
// "14.52 Uhr, 07"
std::string GermanTimeText(int hour, int minute, int second);
// "02:05 p.m., 07"
std::string EnglishTimeText(int hour, int minute, int second);
// The minutes with what follows them up to the seconds: "05 p.m., " (English) / "52 Uhr, ".
std::string EnglishMinuteText(int hour, int minute);
// Two digits with a leading zero.
std::string TwoDigits(int value);
