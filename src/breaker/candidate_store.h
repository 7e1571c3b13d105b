// The computer's code stores: every code of the codebreaker's universe, and (match/encoder_store)
// every possible secret for the encoder of a code that is not fixed.
//
// The codebreaker's store keeps its codes as structure-of-arrays, indexed by the record number
// in odometer order (0 .. CodeTotal-1): one byte array per position holding sign indexes (0 is
// the vacant sign), and a mark byte per record (Marks). The three chains are
// kept as arrays that preserve exactly the orders the game defines:
//   - the allocation chain is the records newest first, so it needs no storage at all;
//   - the trial chain is an array of record numbers in chain order (shuffled order, rotated
//     after an early stop; removals keep the order);
//   - the candidate chain is compacted: the positions of the candidates in chain order
//     (allocation order, that is newest first), copied into arrays of their own so that the
//     class-counting loop reads contiguous bytes. Filtering keeps the order.
// Memory: L + 1 bytes and a 4-byte trial link per record, L bytes per candidate, and while the
// store is built 4 bytes per record for the shuffle (breaker/shuffle.h), inside the candidate
// arrays' block when that has room (with repetitions from L = 4 on); never more than
// RecordSize x CodeTotal plus a small fixed overhead. Before anything is allocated the build
// asks whether the machine can back all of it, and treats a no like a refused allocation.
// From the first real search on, the search holds the candidates once more, grouped by their
// signs (breaker/candidate_groups.h); they are then the part of the codes that the first
// answers left, and the search goes on without the groups when the machine cannot back them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "match/code.h"

constexpr int32_t ShuffleBucketCount = 20 * 65536;
// The candidate arrays have room for whole blocks of this many codes; the bytes behind the last
// candidate are zero.
constexpr int32_t CandidateBlock = 256;

struct CandidateStoreRecord {
    int Length = 0;  // L
    int Signs = 0;   // N, the signs of the range
    bool VacantInPlay = false;
    int LowDigit = 1;                        // 0 when the vacant sign is in play
    int32_t Records = 0;                     // records built (CodeTotal when complete)
    uint8_t* Positions[MaxCodeLength] = {};  // [k][record]: sign index at position k+1
    // [record]: a mark byte per record, which each of its three uses overwrites: while the store
    // is built, the shuffle's insertion points; in a search, the symmetry filter's verdict (1:
    // eligible); after an answer, 1 where the code holds a sign that can no longer occur.
    uint8_t* Marks = nullptr;
    uint32_t* TrialChain = nullptr;  // record numbers, TrialCount of them, head first
    int32_t TrialCount = 0;
    // [k][n]: the n-th candidate of the chain; one block of L x CandidateCapacity bytes that
    // starts at CandidatePositions[0].
    uint8_t* CandidatePositions[MaxCodeLength] = {};
    int32_t CandidateCount = 0;
    int32_t CandidateCapacity = 0;
    bool Ready = false;  // all chains set
    // The records are the odometer's codes in order (the store was built, not filled by other
    // means): digit k, the fastest first, of a record's number in base DigitBase (the number
    // plus one with the vacant sign in play, whose all-vacant code has no record) puts the sign
    // DigitSign[digit] at position DigitPlace[k].
    bool Numbered = false;
    uint32_t DigitBase = 0;
    uint64_t DigitMagic = 0;  // 2^64 over DigitBase, rounded up: a division by a product
    uint8_t DigitPlace[MaxCodeLength] = {};
    uint8_t DigitSign[RingSize + 1] = {};
    int32_t Allocated = 0;              // records the per-record arrays have room for
    bool CandidateRepetitions = false;  // the repetition rule the candidate chain was built with
    // The symmetry filter's verdicts in chain order, a bit per place: made with the marks and
    // good while ChainMarksValid (changes to the chain other than a move to the front end it).
    // Behind them, as many bits for the marks in record order. Null while not made or when the
    // memory was refused; ChainMarksBytes covers both.
    uint64_t* ChainMarks = nullptr;
    size_t ChainMarksBytes = 0;
    bool ChainMarksValid = false;
};
extern CandidateStoreRecord CandidateStore;

// A trial prepared by the opening book: sign indexes at positions 1..L and the count of every
// sign index 0..36.
struct FixedTrial {
    uint8_t Signs[MaxCodeLength] = {};
    uint8_t Counts[RingSize + 1] = {};
};
extern FixedTrial FixedTrialRecord;

extern uint8_t PosMap[MaxCodeLength + 1];  // 1-based: the position a record's digit k goes to
extern uint8_t SignMap[RingSize + 1];      // the sign index a digit value stands for

// Builds the store for the conditions in the settings (the repetition setting as it stands),
// showing the first trial of the opening book at once and progress stars on row 25. Returns
// false when Esc or Ctrl-C broke it off or memory ran out; the store is then released.
bool BuildCandidateStore();
// The same, with the candidate chain built under the given repetition rule (a not-fixed riddle
// of the computer over six signs of length six is played without repetitions): the first trial
// follows the repetition setting as it stands, which the build leaves untouched throughout. The
// vacant sign is in play when the vacant setting is on, the range has two signs and the code
// has four positions or more.
bool BuildCandidateStore(bool candidateRepetitions);

// After the candidates and the trial chain have been thinned: the pages behind the last
// candidate of every column (past the zeros of its last block) and behind the chain's last code
// go back to the machine, so that a later search does not hold the room the first one needed.
void TrimCandidateStore();

// Frees the stores (when freeAll is set) and recomputes the capacity table of the memory level
// when the budget has changed since it was last computed. Safe to call at any time, repeatedly.
void ReleaseCandidateStore(bool freeAll);
