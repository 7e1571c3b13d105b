// The key-wait loop every screen uses: the clock line stays live while the program waits.
#pragma once

#include <cstdint>

// Calls ClockTick until a key is waiting, then reads it. An extended key gives 0; its code
// follows with ReadKey.
uint8_t WaitKey();
// Reads a key and, for an extended key, its code: returns the key and stores the code (0 for
// an ordinary key).
uint8_t WaitKeyWithCode(uint8_t& extendedCode);
