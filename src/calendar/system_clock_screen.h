// Main menu entry 2: the machine's date and time, shown live and set digit by digit.
#pragma once

// Every accepted digit is written to the machine's clock at once; a change the machine refuses
// simply does not show, because the fields keep following the real clock.
void SystemClockScreen();
