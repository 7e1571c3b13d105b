// The computer's capacity limits by memory level. (The limit tables arrive with the game setup;
// until then the computer is held able to take either role.)
#include "setup/capacity.h"

int32_t MemoryBudget = 0;
uint8_t CanGuess = 1;
uint8_t CanVary = 1;

int32_t BudgetForLevel(int level) {
    static const int32_t kBudget[9] = {0,         673280,    5386240,   43089920,  86179840,
                                       172359680, 344719360, 689438720, 1374199248};
    if (level < 1 || level > 8) level = 4;
    return kBudget[level];
}

void CapacityCheck(int, int, bool, bool, bool, bool) {
    CanGuess = 1;
    CanVary = 1;
}
