// The sign tables of the match and their reset for the signs of the range.
#include "breaker/sign_tables.h"

uint8_t SignAlive[37];
uint8_t SignTried[37];
uint8_t SignSeen[37];
uint8_t SignsKnown = 0;

void ResetSignAlive(int n) {
    for (int s = 0; s <= 36; ++s) SignAlive[s] = s >= 1 && s <= n ? 1 : 0;
}
