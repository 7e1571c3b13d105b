// The computer's capacity limits by memory level.
#pragma once

#include <cstdint>

extern int32_t MemoryBudget;  // bytes of the memory level in use
extern uint8_t CanGuess;      // the computer can break codes under the current conditions
extern uint8_t CanVary;       // a not-fixed answer is possible

int32_t BudgetForLevel(int level);

// Decides what the computer can take on under the conditions and switches off what it cannot;
// with show set it updates the conditions screen. freeAll is handed on to the store release.
void CapacityCheck(int n, int length, bool repetitions, bool freeAll, bool show, bool vacant);
