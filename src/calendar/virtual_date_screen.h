// Main menu entry 3: the weekday calendar for the years 0000 to 9999, whose date becomes the
// virtual game date that the match screen shows instead of today's.
#pragma once

#include "calendar/virtual_date.h"

// Edits a date digit by digit. On return date holds the date that stood on the screen with its
// weekday, and inUse tells whether it differs from today (today itself means no virtual date).
void VirtualDateScreen(GameDate& date, bool& inUse);
