// The date and time texts: German dates with the full weekday, English dates whose weekday is
// shortened when the month name, the day and the year leave it too little room, and the
// English time of day on the twelve-hour clock.
#include "calendar/date_text.h"

namespace {

const char* const kGermanWeekdays[7] = {"Sonntag, ",    "Montag, ",  "Dienstag, ", "Mittwoch, ",
                                        "Donnerstag, ", "Freitag, ", "Samstag, "};
const char* const kEnglishMonths[12] = {"Jan. ", "Feb. ", "March ", "April ", "May ",  "June ",
                                        "July ", "Aug. ", "Sept. ", "Oct. ",  "Nov. ", "Dec. "};

std::string YearText(int year) {
    std::string digits = std::to_string(year);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return digits;
}

std::string PadTo(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

const char* OrdinalSuffix(int day) {
    if (day == 1 || day == 21 || day == 31) return "st ";
    if (day == 2 || day == 22) return "nd ";
    if (day == 3 || day == 23) return "rd ";
    return "th ";
}

}  // namespace

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

std::string GermanDateText(int year, int month, int day, int weekday) {
    std::string text = kGermanWeekdays[weekday % 7];
    text += std::to_string(day) + "." + std::to_string(month) + "." + YearText(year) + ",";
    return PadTo(text, 23);
}

std::string EnglishDateText(int year, int month, int day, int weekday) {
    const std::string monthName = kEnglishMonths[(month - 1) % 12];
    int slack = 6 - static_cast<int>(monthName.size()) + (day < 10 ? 1 : 0);
    if (year > 9999) --slack;  // a fifth year digit takes one place of the slack
    std::string name;
    switch (weekday % 7) {
        case 0:
            name = "Sunday, ";
            break;
        case 1:
            name = "Monday, ";
            break;
        case 2:
            name = slack > 0 ? "Tuesday, " : "Tues., ";
            break;
        case 3:
            name = slack > 2 ? "Wednesday, " : "Weds., ";
            break;
        case 4:
            name = slack > 1 ? "Thursday, " : "Thurs., ";
            break;
        case 5:
            name = "Friday, ";
            break;
        default:
            name = slack > 1 ? "Saturday, " : "Sat., ";
            break;
    }
    std::string text =
        name + std::to_string(day) + OrdinalSuffix(day) + monthName + YearText(year) + ",";
    return PadTo(text, 24);
}

std::string GermanTimeText(int hour, int minute, int second) {
    return TwoDigits(hour % 24) + "." + TwoDigits(minute) + " Uhr, " + TwoDigits(second);
}

std::string EnglishMinuteText(int hour, int minute) {
    return TwoDigits(minute) + (hour % 24 < 12 ? " a.m., " : " p.m., ");
}

std::string EnglishTimeText(int hour, int minute, int second) {
    int h = hour % 24;
    int shown = h == 0 ? 12 : (h > 12 ? h - 12 : h);
    return TwoDigits(shown) + ":" + EnglishMinuteText(h, minute) + TwoDigits(second);
}
