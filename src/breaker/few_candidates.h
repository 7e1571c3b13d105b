// The count where the candidates are few and the trial codes many (late in a match, or over few
// signs without repetitions): every trial code is still examined, and what costs is what each
// costs before its first candidate is read. Here the candidates are copied once per search into
// a small table, one 64-byte record each (its sign per place and how often it holds every sign),
// and a trial code's class against a candidate takes one comparison of the places and one
// minimum of the counts, with no plan, no bound and no pattern made beforehand.
//
// The count is exact and gives up only a code that is strictly worse than the best so far: it
// stops once a class holds more candidates than the best's largest class, or once the largest
// class so far is at least the best's and the squares so far pass the best's (the squares only
// grow as candidates are added, and so does the largest class). A code that is not given up
// gets its complete counts, as from the other counts, and is judged by them; so every tie still
// goes on to the squares, to whether the code may be the secret and to the random draw.
#pragma once

#include <cstdint>

#include "breaker/class_pass.h"

// Searches with at most this many candidates count them here.
constexpr int32_t FewCandidatesMost = 128;

// A search begins: the candidates are copied when it is a real one (not the opening book's
// trial) and they are few enough. False when not (the search counts them its other ways).
bool BeginFewCandidates(bool realSearch);
// Whether the search at hand counts here.
bool FewCandidatesOn();
// The search is over.
void EndFewCandidates();
// Counts the candidates per class against a trial code (its sign index per place). False, with
// the counts incomplete, when the code is given up as strictly worse than the best so far
// (bestMax, bestSquares); true with the complete counts in `out` otherwise.
bool CountFewCandidates(const uint8_t* signs, int32_t bestMax, int64_t bestSquares,
                        ClassCounts& out);
