// The date fields and the digit editor that the system clock screen and the virtual date screen
// share: one digit position at a time is overwritten, every digit takes effect at once, and the
// field block on rows 18 to 25 is redrawn only where it changed.
#pragma once

#include <cstdint>
#include <string>

struct DateFieldsRecord {
    // The date being edited (on the system clock screen: the machine's date as last read).
    uint16_t Year = 0, Month = 1, Day = 1, Weekday = 0;
    bool Leap = false;
    uint16_t Hour = 0, Minute = 0, Second = 0, Hundredths = 0;  // system clock screen only
    // What the screen shows now; a field is redrawn only when it differs.
    uint16_t ShownYear = 0, ShownMonth = 1, ShownDay = 1, ShownWeekday = 0;
    bool ShownLeap = false;
    uint16_t ShownHour = 0, ShownMinute = 0, ShownSecond = 0;
    // The date when the screen was opened; F1 puts it back.
    uint16_t RememberedYear = 0, RememberedMonth = 1, RememberedDay = 1, RememberedWeekday = 0;
    bool RememberedLeap = false;
    bool Live = false;     // the fields follow the machine's clock, changes are written to it
    bool German = true;    // language of the screen
    bool DateSet = false;  // live: a date has been written to the clock since the screen opened
};
extern DateFieldsRecord DateFields;

// The digit positions of the field block.
enum class FieldPosition {
    YearThousands,
    YearHundreds,
    YearTens,
    YearUnits,
    MonthTens,
    MonthUnits,
    DayTens,
    DayUnits,
    HourTens,
    HourUnits,
    MinuteTens,
    MinuteUnits,
    SecondTens,
    SecondUnits,
};

enum class EditAction { Digit, Up, Down, Left, Right, Restore, End };
struct EditKey {
    EditAction Action = EditAction::End;
    int Digit = 0;  // for EditAction::Digit
};

int PositionColumn(FieldPosition position);
int PositionRow(FieldPosition position);
bool IsTimePosition(FieldPosition position);
// Month tens exist only for the months 1, 2, 10, 11, 12; the day units are passed over while
// the day is 30 in a month of 30 days.
bool PositionSkipped(FieldPosition position);
// A skipped position stands for its right-hand neighbour: month units, day tens.
FieldPosition ResolvePosition(FieldPosition position);
// The highest digit the position accepts for the fields as they stand (the lowest is 0).
int HighestDigit(FieldPosition position);
// Overwrites one digit of the fields.
void ApplyDigit(FieldPosition position, int digit);
// The cursor moves: the date-only editor of the virtual date screen, and the date and time
// editor of the system clock screen. A digit moves on as Right does.
FieldPosition MoveOnDate(FieldPosition from, EditAction move);
FieldPosition MoveOnDateAndTime(FieldPosition from, EditAction move);

// Repairs the date after a digit; with apply (the system clock screen, which counts leap years
// by the machine's Gregorian rule) a changed date is written to the clock.
void NormaliseDate(bool apply);
// After a digit on a time position: an hour above 23 becomes 20, and a changed time is written
// to the clock.
void ApplyTimeRule();
// Brings the fields up to date (live: from the machine's clock) and redraws what changed.
void UpdateFields(bool live);
// Waits for one key the editor acts on. F1 puts the remembered date back (when it differs)
// before it is returned as Restore.
EditKey DateEditKey(bool live, int highest);

// Copies the fields into the shown ones and writes the whole field block: rows 18 to 21, and
// on the system clock screen the time on rows 23 to 25.
void WriteFieldBlock(bool live);
// Takes the fields as the remembered date.
void RememberDate();
// One step of the editor at the cursor position: places the cursor, waits for a key and acts
// on it. Returns false when the editor ends.
bool DateEditStep(bool live, FieldPosition& position);

// The texts of the field block.
const char* MonthNameText(int month, bool german);
const char* WeekdayText(int weekday, bool german);
const char* LeapText(bool leap, bool german);
// The twelve-hour form written at column 43 of row 23: "12 a", "01 p" ...
std::string TwelveHourText(int hour);
