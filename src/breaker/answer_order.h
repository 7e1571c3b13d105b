// The fixed order in which the computer as encoder weighs the possible answers: among the
// answers that keep the most codes open, the earliest in this order is given.
#pragma once

#include <cstdint>

extern uint8_t AnswerOrderP[55];  // entries 1..AnswerOrderCount
extern uint8_t AnswerOrderM[55];  // M = P + Z
extern int AnswerOrderCount;

void SetupAnswerOrder(int length);
