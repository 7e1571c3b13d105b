// The opening book of the computer as codebreaker: while every answer has been 0/0, its trials
// are fixed patterns of repeated and distinct signs, chosen by code length, number of usable
// signs and the repetition rule, laid out over a random order of the positions and filled with
// a random order of the usable signs.
#pragma once

#include <cstdint>

#include "match/code.h"

// PosOrder[1..L]: the position that the k-th letter of the pattern goes to.
extern uint8_t PosOrder[MaxCodeLength + 1];
// SignOrder[1..n]: the sign index that letter a, b, ... stands for; SignOrder[0] is the filler,
// a sign that cannot score (the vacant sign for the first trial, otherwise FillerSign).
extern uint8_t SignOrder[RingSize + 1];

// A random order of the m entries of list: for f = 1..m the (Random(m + 1 - f) + 1)-th of the
// entries still left is taken out and becomes order[f - 1].
void DrawPermutation(const uint8_t* list, int m, uint8_t* order);

// The book's pattern for code length L (2..9), n usable signs and the repetition rule: letters
// 'a'.. for SignOrder[1..], '_' for the filler. With fillerAllowed and n = 2 the filler variant
// is taken where the book has one. Returns nullptr for L = 2, n = 2 with repetitions, where the
// opening is drawn at random (aa or ab). n outside 2..36 is taken as the nearest of the two.
const char* OpeningPattern(int length, int n, bool repetitions, bool fillerAllowed);

// How many patterns the book lists for (L, n, repetitions): 1 for every L = 2..9 and
// n = 2..36 in a sound book.
int OpeningBookListings(int length, bool repetitions, int n);

// Fills FixedTrialRecord from the book with the current PosOrder and SignOrder. With show set
// the trial's signs are written at the current trial's place on the match board and the
// cursor is put back at the start of that place.
void BuildOpeningTrial(int length, int n, bool repetitions, bool show, bool fillerAllowed);

// The next opening trial over the signs still alive, after an answer of 0/0: a fresh order of
// the positions and of the live signs, FillerSign as the filler, the filler variant allowed.
void PrepareNextOpening();
