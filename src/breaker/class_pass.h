// The inner loops of the computer's search: how the remaining candidates split over the answer
// classes of one trial code, and the thinning of the candidates by an answer. The class of a
// block of codes is computed here for both of the computer's stores.
//
// A class is the pair (M, P): P the positions where trial and candidate hold the same sign, M
// the common signs counted over the live signs only. The candidates are classified a block at a
// time by simple byte loops that the compiler turns into vector code, then counted in a
// histogram.
#pragma once

#include <cstdint>

#include "breaker/lanes.h"
#include "match/code.h"

// The class pass reads and classifies the codes in blocks of this many.
constexpr int ClassBlockSize = 256;
// A class byte is (M shl 4) or P, or P alone while M is known: all below this.
constexpr int ClassByteCount = 160;

// A trial code made ready for classifying: its sign per position (0xFF where the sign cannot
// score, being dead or vacant) and its slot list, every live sign it holds with how often.
struct TrialPattern {
    int Length = 0;
    uint8_t Position[MaxCodeLength] = {};
    uint8_t SlotSign[MaxCodeLength] = {};
    uint8_t SlotCount[MaxCodeLength] = {};
    int Slots = 0;
};
void MakeTrialPattern(const uint8_t* signs, int length, TrialPattern& pattern);

struct ClassCounts {
    int32_t Table[10][10];  // candidates per class, [M][P]
    int32_t MaxClass;
    int64_t Squares;   // the sum of the squared class sizes
    bool IsCandidate;  // class (L, L) holds one candidate: the trial itself may be the secret
};

// Completes a record whose Table holds the candidates per class of a trial code of the given
// length, zero in every class that cannot occur: the largest class, the sum of squares and
// whether the trial itself may be the secret.
void FinishClassCounts(int length, ClassCounts& out);

// A trial pattern spread over the lanes once, for classifying many blocks of codes.
struct SpreadPattern {
    int Length = 0;
    bool KnownM = false;  // the class bytes hold P alone
    Lanes Position[MaxCodeLength];
    Lanes Sign[MaxCodeLength];
    Lanes Limit[MaxCodeLength];
    int Slots = 0;
};
void SpreadTrialPattern(const TrialPattern& pattern, bool knownM, SpreadPattern& spread);
// The class bytes of the ClassBlockSize codes from `base` on in the position arrays `columns`
// (one per position, with room for whole blocks): every code of the candidate store and of the
// encoder's store is classified here.
void ClassifyBlock(const SpreadPattern& spread, const uint8_t* const* columns, int32_t base,
                   uint8_t* classes);
// Adds the class bytes to a histogram split over four tables (summed by the caller).
void CountClassBytes(const uint8_t* classes, int32_t count, uint32_t (*histogram)[ClassByteCount]);

// M of the first candidate; used while the signs are known, when every candidate has the same.
int FirstCandidateM(const TrialPattern& pattern);

// Counts the candidates per class. knownM >= 0 puts every candidate in M = knownM and compares
// P alone. The count stops as soon as the trial code cannot beat the best so far: its largest
// class above bestMax, or equal to it with a sum of squares that must end above bestSquares.
// Returns false then (the counts are incomplete); true with complete counts otherwise.
bool ClassifyCandidates(const TrialPattern& pattern, int knownM, int32_t bestMax,
                        int64_t bestSquares, ClassCounts& out);

// The class of one candidate of the chain.
void CandidateClass(const TrialPattern& pattern, int32_t index, int& m, int& p);

// Keeps, in their order, the candidates of class (m, p); with knownM >= 0 P alone decides.
void KeepCandidates(const TrialPattern& pattern, int knownM, int m, int p);

// Marks every sign index that some candidate holds (seen[0..36]).
void SignsOfCandidates(uint8_t* seen);

// (trial code, candidate) pairs classified since the program started: the search's work.
extern int64_t PairsClassified;
// Trial codes given up by a bound before their classes were complete.
extern int64_t TrialCodesAbandoned;
