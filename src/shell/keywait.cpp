#include "shell/keywait.h"

#include "calendar/clock_text.h"
#include "shell/console/console.h"

uint8_t WaitKey() {
    for (;;) {
        ClockTick();
        if (KeyPressed()) return ReadKey();
        IdlePause();
    }
}

uint8_t WaitKeyWithCode(uint8_t& extendedCode) {
    uint8_t key = WaitKey();
    extendedCode = key == KeyExtended ? ReadKey() : 0;
    return key;
}
