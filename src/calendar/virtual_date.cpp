// The virtual game date's state and the step to the next day: a month ends by its length under
// the calendar's leap rule, and 4 October 1582 is followed by the 15th.
#include "calendar/virtual_date.h"

#include "calendar/calendar_rules.h"

bool VirtualDateOn = false;
GameDate VirtualDate;
GameDate VirtualNextDate;
bool FirstVirtualDayShown = true;

GameDate NextDay(GameDate date) {
    GameDate next = date;
    next.Weekday = date.Weekday == 6 ? 0 : date.Weekday + 1;
    bool shortMonth = date.Month == 4 || date.Month == 6 || date.Month == 9 || date.Month == 11;
    if (date.Month == 12 && date.Day == 31) {
        next.Year = date.Year + 1;
        next.Month = 1;
        next.Day = 1;
    } else if (date.Day == 31 || (date.Day == 30 && shortMonth) ||
               (date.Month == 2 && date.Day == 29) ||
               (date.Month == 2 && date.Day == 28 && !LeapYear(date.Year))) {
        next.Month = date.Month + 1;
        next.Day = 1;
    } else if (date.Year == 1582 && date.Month == 10 && date.Day == 4) {
        next.Day = 15;
    } else {
        next.Day = date.Day + 1;
    }
    return next;
}
