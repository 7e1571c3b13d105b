// The virtual game date: a date of 0000..9999 that the match screen shows instead of today's.
#pragma once

struct GameDate {
    int Year = 0, Month = 0, Day = 0;
    int Weekday = 0;  // 0 = Sunday .. 6 = Saturday
};

extern bool VirtualDateOn;
extern GameDate VirtualDate;      // the day the match starts on
extern GameDate VirtualNextDate;  // its successor, shown once a match runs past midnight
extern bool FirstVirtualDayShown;

// The day after a date: Julian leap years up to 1582, Gregorian after, and the ten days
// dropped in October 1582.
GameDate NextDay(GameDate date);
