// The fixed order in which the computer as encoder weighs the possible answers: among the
// answers that keep the most codes open, the earliest in this order is given.
#pragma once

#include <cstdint>

extern uint8_t AnswerOrderP[55];  // entries 1..AnswerOrderCount
extern uint8_t AnswerOrderM[55];  // M = P + Z
extern int AnswerOrderCount;

void SetupAnswerOrder(int length);

// The answer of the computer as encoder of a code that is not fixed, from the codes per class
// [M][P] that each answer would keep: the largest class, the earliest in the order among
// equals.
void EncoderAnswer(const int32_t classTable[10][10], int& p, int& m);
