// The field block of the two date screens and its digit editor: the cursor moves between the
// positions by table, a digit is bounded by what its field can take, and the date is then put
// right (month and day ranges, the ten days dropped in October 1582) and, on the system clock
// screen, written to the machine's clock.
#include "calendar/date_editor.h"

#include <string>

#include "calendar/calendar_rules.h"
#include "calendar/clock_text.h"
#include "calendar/date_text.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/language.h"

DateFieldsRecord DateFields;

namespace {

DateFieldsRecord& F = DateFields;

constexpr int kYearRow = 18, kMonthRow = 19, kDayRow = 20, kWeekdayRow = 21;
constexpr int kHourRow = 23, kMinuteRow = 24, kSecondRow = 25;
constexpr int kValueColumn = 37;

const char* const kGermanMonths[12] = {
    "Januar)   ", "Februar)  ", "M" UML_AE "rz)     ", "April)    ", "Mai)      ", "Juni)     ",
    "Juli)     ", "August)   ", "September)",          "Oktober)  ", "November) ", "Dezember) "};
const char* const kEnglishMonths[12] = {"January)  ", "February) ", "March)    ", "April)    ",
                                        "May)      ", "June)     ", "July)     ", "August)   ",
                                        "September)", "October)  ", "November) ", "December) "};
const char* const kGermanWeekdays[7] = {"Sonntag.   ", "Montag.    ", "Dienstag.  ", "Mittwoch.  ",
                                        "Donnerstag.", "Freitag.   ", "Samstag.   "};
const char* const kEnglishWeekdays[7] = {"Sunday.   ", "Monday.   ", "Tuesday.  ", "Wednesday.",
                                         "Thursday. ", "Friday.   ", "Saturday. "};

// The columns and rows of the fourteen positions.
constexpr int kColumn[14] = {37, 38, 39, 40, 37, 38, 37, 38, 37, 38, 37, 38, 37, 38};
constexpr int kRow[14] = {18, 18, 18, 18, 19, 19, 20, 20, 23, 23, 24, 24, 25, 25};

using P = FieldPosition;

// Moves by up, down, left, right.
struct Moves {
    P Up, Down, Left, Right;
};
constexpr Moves kDateMoves[8] = {
    {P::DayTens, P::MonthTens, P::YearUnits, P::YearHundreds},     // year thousands
    {P::DayUnits, P::MonthUnits, P::YearThousands, P::YearTens},   // year hundreds
    {P::DayUnits, P::MonthUnits, P::YearHundreds, P::YearUnits},   // year tens
    {P::DayUnits, P::MonthUnits, P::YearTens, P::YearThousands},   // year units
    {P::YearThousands, P::DayTens, P::MonthUnits, P::MonthUnits},  // month tens
    {P::YearHundreds, P::DayUnits, P::MonthTens, P::MonthTens},    // month units
    {P::MonthTens, P::YearThousands, P::DayUnits, P::DayUnits},    // day tens
    {P::MonthUnits, P::YearHundreds, P::DayTens, P::DayTens},      // day units
};
constexpr Moves kDateAndTimeMoves[14] = {
    {P::SecondTens, P::MonthTens, P::YearUnits, P::YearHundreds},       // year thousands
    {P::SecondUnits, P::MonthUnits, P::YearThousands, P::YearTens},     // year hundreds
    {P::SecondUnits, P::MonthUnits, P::YearHundreds, P::YearUnits},     // year tens
    {P::SecondUnits, P::MonthUnits, P::YearTens, P::YearThousands},     // year units
    {P::YearThousands, P::DayTens, P::MonthUnits, P::MonthUnits},       // month tens
    {P::YearHundreds, P::DayUnits, P::MonthTens, P::MonthTens},         // month units
    {P::MonthTens, P::HourTens, P::DayUnits, P::DayUnits},              // day tens
    {P::MonthUnits, P::HourUnits, P::DayTens, P::DayTens},              // day units
    {P::DayTens, P::MinuteTens, P::HourUnits, P::HourUnits},            // hour tens
    {P::DayUnits, P::MinuteUnits, P::HourTens, P::HourTens},            // hour units
    {P::HourTens, P::SecondTens, P::MinuteUnits, P::MinuteUnits},       // minute tens
    {P::HourUnits, P::SecondUnits, P::MinuteTens, P::MinuteTens},       // minute units
    {P::MinuteTens, P::YearThousands, P::SecondUnits, P::SecondUnits},  // second tens
    {P::MinuteUnits, P::YearHundreds, P::SecondTens, P::SecondTens},    // second units
};

int Index(P position) {
    return static_cast<int>(position);
}

P Pick(const Moves& moves, EditAction move) {
    switch (move) {
        case EditAction::Up:
            return moves.Up;
        case EditAction::Down:
            return moves.Down;
        case EditAction::Left:
            return moves.Left;
        default:
            return moves.Right;
    }
}

bool ThirtyDayMonth(int month) {
    return month == 4 || month == 6 || month == 9 || month == 11;
}

std::string YearDigits(int year) {
    std::string digits = std::to_string(year);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return digits;
}

std::string Units(int value) {
    return std::string(1, static_cast<char>('0' + value % 10));
}

// The upper bound of the day range for the month.
int DayBound(int month, bool leap) {
    return DaysInMonth(month, leap);
}

// Writes a two-digit value at the value column: only its units digit when the tens stay.
void RedrawTwoDigits(int row, int value, int shown) {
    if (value / 10 != shown / 10) {
        WriteAt(kValueColumn, row, TwoDigits(value));
    } else {
        WriteAt(kValueColumn + 1, row, Units(value));
    }
}

int LeapColumn(bool german) {
    return german ? 47 : 46;
}

bool IsF1(uint8_t code) {
    return code == ExtF1 || code == ExtShiftF1 || code == ExtCtrlF1 || code == ExtAltF1;
}

// Puts the remembered date back; on the system clock screen only a date set on the screen is
// undone, so that a screen left open over midnight does not turn the clock back a day.
void RestoreRememberedDate(bool live) {
    bool differs =
        F.Year != F.RememberedYear || F.Month != F.RememberedMonth || F.Day != F.RememberedDay;
    if (!differs || (live && !F.DateSet)) return;
    F.Year = F.RememberedYear;
    F.Month = F.RememberedMonth;
    F.Day = F.RememberedDay;
    F.Weekday = F.RememberedWeekday;
    F.Leap = F.RememberedLeap;
    // A refused restore leaves the date set on the screen standing, and F1 may try again.
    if (live && SetDate(F.Year, F.Month, F.Day)) F.DateSet = false;
    UpdateFields(live);
}

}  // namespace

const char* MonthNameText(int month, bool german) {
    int index = (month >= 1 && month <= 12) ? month - 1 : 0;
    return german ? kGermanMonths[index] : kEnglishMonths[index];
}

const char* WeekdayText(int weekday, bool german) {
    int index = ((weekday % 7) + 7) % 7;
    return german ? kGermanWeekdays[index] : kEnglishWeekdays[index];
}

const char* LeapText(bool leap, bool german) {
    if (german) return leap ? "ein Schaltjahr.) " : "kein Schaltjahr.)";
    return leap ? "a leap-year.) " : "no leap-year.)";
}

std::string TwelveHourText(int hour) {
    hour %= 24;
    if (hour == 0) return "12 a";
    return TwoDigits(hour > 12 ? hour - 12 : hour) + (hour < 12 ? " a" : " p");
}

int PositionColumn(FieldPosition position) {
    return kColumn[Index(position)];
}

int PositionRow(FieldPosition position) {
    return kRow[Index(position)];
}

bool IsTimePosition(FieldPosition position) {
    return Index(position) >= Index(P::HourTens);
}

bool PositionSkipped(FieldPosition position) {
    if (position == P::MonthTens) return F.Month % 10 >= 3;
    if (position == P::DayUnits) return F.Day == 30 && ThirtyDayMonth(F.Month);
    return false;
}

FieldPosition ResolvePosition(FieldPosition position) {
    if (!PositionSkipped(position)) return position;
    return position == P::MonthTens ? P::MonthUnits : P::DayTens;
}

int HighestDigit(FieldPosition position) {
    switch (position) {
        case P::MonthTens:
            return 1;
        case P::DayTens:
            return F.Month == 2 ? 2 : 3;
        case P::DayUnits:
            if (F.Day > 29) return 1;
            if (F.Month == 2 && !F.Leap && F.Day >= 20) return 8;
            return 9;
        case P::HourTens:
            return 2;
        case P::HourUnits:
            return F.Hour >= 20 ? 3 : 9;
        case P::MinuteTens:
        case P::SecondTens:
            return 5;
        default:
            return 9;
    }
}

void ApplyDigit(FieldPosition position, int d) {
    auto set = [](uint16_t& field, int value) { field = static_cast<uint16_t>(value); };
    switch (position) {
        case P::YearThousands:
            set(F.Year, d * 1000 + F.Year % 1000);
            break;
        case P::YearHundreds:
            set(F.Year, F.Year / 1000 * 1000 + d * 100 + F.Year % 100);
            break;
        case P::YearTens:
            set(F.Year, F.Year / 100 * 100 + d * 10 + F.Year % 10);
            break;
        case P::YearUnits:
            set(F.Year, F.Year / 10 * 10 + d);
            break;
        case P::MonthTens:
            set(F.Month, d * 10 + F.Month % 10);
            break;
        case P::MonthUnits:
            set(F.Month, F.Month / 10 * 10 + d);
            break;
        case P::DayTens:
            set(F.Day, d * 10 + F.Day % 10);
            break;
        case P::DayUnits:
            set(F.Day, F.Day / 10 * 10 + d);
            break;
        case P::HourTens:
            set(F.Hour, d * 10 + F.Hour % 10);
            break;
        case P::HourUnits:
            set(F.Hour, F.Hour / 10 * 10 + d);
            break;
        case P::MinuteTens:
            set(F.Minute, d * 10 + F.Minute % 10);
            break;
        case P::MinuteUnits:
            set(F.Minute, F.Minute / 10 * 10 + d);
            break;
        case P::SecondTens:
            set(F.Second, d * 10 + F.Second % 10);
            break;
        case P::SecondUnits:
            set(F.Second, F.Second / 10 * 10 + d);
            break;
    }
}

FieldPosition MoveOnDate(FieldPosition from, EditAction move) {
    int index = Index(from);
    if (index >= 8) return P::YearThousands;
    return ResolvePosition(Pick(kDateMoves[index], move));
}

FieldPosition MoveOnDateAndTime(FieldPosition from, EditAction move) {
    return ResolvePosition(Pick(kDateAndTimeMoves[Index(from)], move));
}

void NormaliseDate(bool apply) {
    if (F.Month > 12) F.Month = static_cast<uint16_t>(F.Month - 10);
    if (F.Month == 0) F.Month = 10;
    if (F.Day == 0) F.Day = 10;
    if (F.Day > 31) F.Day = 30;
    if (F.Day == 31 && ThirtyDayMonth(F.Month)) F.Day = 30;
    F.Leap = apply ? GregorianLeapYear(F.Year) : LeapYear(F.Year);
    if (F.Month == 2 && F.Day > 28) F.Day = F.Leap ? 29 : 28;
    if (F.Year == 1582 && F.Month == 10 && F.Day >= 5 && F.Day <= 14) {
        F.Day = static_cast<uint16_t>(F.Day + 10);
    }
    if (apply && (F.Day != F.ShownDay || F.Month != F.ShownMonth || F.Year != F.ShownYear)) {
        if (SetDate(F.Year, F.Month, F.Day)) F.DateSet = true;
    }
}

void ApplyTimeRule() {
    if (F.Hour > 23) F.Hour = 20;
    if (F.Hour != F.ShownHour || F.Minute != F.ShownMinute || F.Second != F.ShownSecond) {
        SetTime(F.Hour, F.Minute, F.Second, F.Hundredths);
    }
}

void UpdateFields(bool live) {
    int cursorX = WhereX();
    int cursorY = WhereY();
    if (live) {
        DateValue date = GetDate();
        TimeValue time = GetTime();
        F.Year = static_cast<uint16_t>(date.Year);
        F.Month = static_cast<uint16_t>(date.Month);
        F.Day = static_cast<uint16_t>(date.Day);
        F.Weekday = static_cast<uint16_t>(date.Weekday);
        F.Hour = static_cast<uint16_t>(time.Hour % 24);
        F.Minute = static_cast<uint16_t>(time.Minute);
        F.Second = static_cast<uint16_t>(time.Second);
        F.Hundredths = static_cast<uint16_t>(time.Hundredths);
        F.Leap = GregorianLeapYear(F.Year);
    } else {
        F.Leap = LeapYear(F.Year);
        F.Weekday = static_cast<uint16_t>(WeekdayOf(F.Year, F.Month, F.Day));
    }

    if (F.Year != F.ShownYear) {
        F.ShownYear = F.Year;
        WriteAt(kValueColumn, kYearRow, YearDigits(F.Year));
        if (F.Leap != F.ShownLeap) {
            F.ShownLeap = F.Leap;
            WriteAt(LeapColumn(F.German), kYearRow, LeapText(F.Leap, F.German));
            if (F.Month == 2) WriteAt(33, kDayRow, F.Leap ? "9" : "8");
        }
    }
    if (F.Month != F.ShownMonth) {
        if (F.Month / 10 != F.ShownMonth / 10) {
            WriteAt(kValueColumn, kMonthRow, TwoDigits(F.Month));
        } else {
            WriteAt(kValueColumn + 1, kMonthRow, Units(F.Month));
        }
        F.ShownMonth = F.Month;
        WriteAt(43, kMonthRow, MonthNameText(F.Month, F.German));
        WriteAt(32, kDayRow, TwoDigits(DayBound(F.Month, F.Leap)));
    }
    if (F.Day != F.ShownDay) {
        RedrawTwoDigits(kDayRow, F.Day, F.ShownDay);
        F.ShownDay = F.Day;
    }
    if (F.Weekday != F.ShownWeekday) {
        F.ShownWeekday = F.Weekday;
        WriteAt(kValueColumn, kWeekdayRow, WeekdayText(F.Weekday, F.German));
    }
    if (live) {
        if (F.Hour != F.ShownHour) {
            RedrawTwoDigits(kHourRow, F.Hour, F.ShownHour);
            F.ShownHour = F.Hour;
            if (!F.German) WriteAt(43, kHourRow, TwelveHourText(F.Hour));
        }
        if (F.Minute != F.ShownMinute) {
            RedrawTwoDigits(kMinuteRow, F.Minute, F.ShownMinute);
            F.ShownMinute = F.Minute;
        }
        if (F.Second != F.ShownSecond) {
            RedrawTwoDigits(kSecondRow, F.Second, F.ShownSecond);
            F.ShownSecond = F.Second;
        }
    }
    GotoXY(cursorX, cursorY);
}

EditKey DateEditKey(bool live, int highest) {
    for (;;) {
        if (live) {
            // The fields follow the clock while the screen waits for a key.
            for (;;) {
                UpdateFields(true);
                if (KeyPressed()) break;
                ClockTick();
                IdlePause();
            }
        } else {
            UpdateFields(false);
        }
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyCtrlC || key == KeyEnter || key == KeyEsc) return EditKey{EditAction::End, 0};
        if (key >= '0' && key <= '9') {
            if (key - '0' <= highest) return EditKey{EditAction::Digit, key - '0'};
            continue;
        }
        if (key != KeyExtended) continue;
        if (IsF1(code)) {
            RestoreRememberedDate(live);
            return EditKey{EditAction::Restore, 0};
        }
        switch (code) {
            case ExtUp:
            case ExtCtrlUp:
            case ExtAltUp:
                return EditKey{EditAction::Up, 0};
            case ExtDown:
            case ExtCtrlDown:
            case ExtAltDown:
                return EditKey{EditAction::Down, 0};
            case ExtLeft:
            case ExtCtrlLeft:
            case ExtAltLeft:
                return EditKey{EditAction::Left, 0};
            case ExtRight:
            case ExtCtrlRight:
            case ExtAltRight:
                return EditKey{EditAction::Right, 0};
            default:
                break;
        }
    }
}

void WriteFieldBlock(bool live) {
    F.ShownYear = F.Year;
    F.ShownMonth = F.Month;
    F.ShownDay = F.Day;
    F.ShownWeekday = F.Weekday;
    F.ShownLeap = F.Leap;
    F.ShownHour = F.Hour;
    F.ShownMinute = F.Minute;
    F.ShownSecond = F.Second;
    const bool g = F.German;
    const std::string pad(16, ' ');
    std::string yearLabel = g ? "Jahr (" : "Year (";
    yearLabel += live ? "1980 - ?\?\?\?): " : "0000 - 9999): ";
    WriteAt(1, kYearRow,
            pad + yearLabel + YearDigits(F.Year) + (g ? " (ist " : " (is ") + LeapText(F.Leap, g));
    WriteAt(1, kMonthRow,
            pad + (g ? "Monat" : "Month") + "    (01 - 12): " + TwoDigits(F.Month) +
                (g ? ".  (" : "   (") + MonthNameText(F.Month, g));
    WriteAt(1, kDayRow,
            pad + (g ? "Tag  " : "Day  ") + "    (01 - " + TwoDigits(DayBound(F.Month, F.Leap)) +
                "): " + TwoDigits(F.Day) + (g ? "." : ""));
    WriteAt(
        1, kWeekdayRow,
        pad + (g ? "Wochentag      " : "Day of the week") + "   : " + WeekdayText(F.Weekday, g));
    if (!live) return;
    if (g) {
        WriteAt(1, kHourRow, pad + "Stunde   (00 - 23): " + TwoDigits(F.Hour) + " Uhr,");
        WriteAt(1, kMinuteRow, pad + "Minute   (00 - 59): " + TwoDigits(F.Minute) + " Minuten und");
        WriteAt(1, kSecondRow, pad + "Sekunde  (00 - 59): " + TwoDigits(F.Second) + " Sekunden.");
    } else {
        WriteAt(1, kHourRow,
                pad + "Hour     (00 - 23): " + TwoDigits(F.Hour) + " (= " + TwelveHourText(F.Hour) +
                    ".m.)");
        WriteAt(1, kMinuteRow, pad + "Minute   (00 - 59): " + TwoDigits(F.Minute) + " minutes and");
        WriteAt(1, kSecondRow, pad + "Second   (00 - 59): " + TwoDigits(F.Second) + " seconds.");
    }
}

void RememberDate() {
    F.RememberedYear = F.Year;
    F.RememberedMonth = F.Month;
    F.RememberedDay = F.Day;
    F.RememberedWeekday = F.Weekday;
    F.RememberedLeap = F.Leap;
}

bool DateEditStep(bool live, FieldPosition& position) {
    position = ResolvePosition(position);
    GotoXY(PositionColumn(position), PositionRow(position));
    EditKey key = DateEditKey(live, HighestDigit(position));
    switch (key.Action) {
        case EditAction::End:
            return false;
        case EditAction::Restore:
            position = ResolvePosition(position);
            break;
        case EditAction::Digit:
            ApplyDigit(position, key.Digit);
            if (IsTimePosition(position)) {
                ApplyTimeRule();
            } else {
                NormaliseDate(live);
            }
            UpdateFields(live);
            position = live ? MoveOnDateAndTime(position, EditAction::Right)
                            : MoveOnDate(position, EditAction::Right);
            break;
        default:
            position =
                live ? MoveOnDateAndTime(position, key.Action) : MoveOnDate(position, key.Action);
            break;
    }
    GotoXY(PositionColumn(position), PositionRow(position));
    return true;
}
