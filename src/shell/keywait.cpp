// The key-wait loop: until a key comes the clock ticks and the machine rests between polls; the
// second code of an extended key is read straight after it where the caller wants it.
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
