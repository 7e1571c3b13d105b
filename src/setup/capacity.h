// The computer's capacity limits by memory level: how large a game its code stores may take on.
#pragma once

#include <cstdint>
#include <string>

constexpr int MemoryLevelCount = 8;
constexpr int32_t BudgetCeiling = 1374199248;  // level 8, and the cap of the usable budget

extern int32_t MemoryBudget;   // bytes of the memory level in use
extern int32_t AppliedBudget;  // the budget the limit table was last computed for (-5 at start)
extern int32_t UsableBudget;   // AppliedBudget rounded down to a multiple of 16, capped
extern uint8_t BudgetChanged;  // 1 when the last capacity check recomputed the table

// For each code length 2..9 the largest sign count the computer can still guess with, and the
// values last written on the conditions screen.
extern uint8_t MaxSigns[10];
extern uint8_t ShownMaxSigns[10];

extern uint16_t RecordSize;         // block size of one code of the codebreaker's store
extern uint16_t EncoderRecordSize;  // block size of one secret of the encoder's store
extern int32_t CodeTotal;           // codes of the codebreaker's universe
extern int32_t SecretTotal;         // secrets of the encoder's store

extern uint8_t CanGuess;  // the computer can break codes under the current conditions
extern uint8_t CanVary;   // a not-fixed answer is possible

int32_t BudgetForLevel(int level);
// " 1 MiB" .. "  2 GiB": the label of a level, right-aligned in 7 characters.
const char* MemoryLabel(int level);

// Recomputes MaxSigns when the budget differs from the applied one (and sets BudgetChanged);
// the caps are applied in every case. Run by the store release.
void UpdateMaxSigns();

// The row 8 values of the conditions screen: a 2-character field per code length 2..9 (" -"
// for 0 or 1), separated by three blanks: 37 characters.
std::string MaxSignsText(const uint8_t (&table)[10]);

// Decides what the computer can take on under the conditions and switches off what it cannot;
// with show set it updates the conditions screen. freeAll is handed on to the store release.
void CapacityCheck(int n, int length, bool repetitions, bool freeAll, bool show, bool vacant);

// The number of trials within which the computer cracks every secret; 0 when none is stated.
uint8_t TrialBound(int length, int n, bool repetitions, bool vacant);
