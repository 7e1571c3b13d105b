// The candidates grouped by their multiset of signs, for the search.
//
// Two candidates that hold the same signs in another order have the same number M of common
// signs with any trial code. So the candidates split into the M-classes of a trial code group
// by group: the size of every M-class is known before a single candidate is classified, and
// within a group only P is left to count. That gives the search lower bounds on a trial code's
// largest class and sum of squares, with which a trial code that must end strictly worse than
// the best so far is given up early (it could never be a new best nor a tie, so no choice and
// no random draw changes), and a cheaper count for the rest.
//
// The grouped copy holds the same candidates as the candidate chain, ordered by group; the
// chain keeps its own order for everything that depends on it. The copy is made at the first
// real search of a match that is large enough to gain from it, and thinned with the chain after
// every answer. Should its memory be refused, the search goes on without it and chooses the
// same.
//
// The groups are laid out in memory, made, thinned and released in group_layout.cpp; numbered by
// their multisets' ranks in multiset_ranks.h; their place, pair and triple counts are made in
// group_place_counts.h and summed per M-class in group_class_sums.h; the per-multiset totals of
// P and their ranges are in multiset_totals.h; the bounds a trial code meets before the count,
// in their order, in grouped_bounds.cpp; and the count itself in grouped_count.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "breaker/class_pass.h"

// What a search knows of the trial codes with one multiset of signs.
enum class MultisetVerdict : uint8_t {
    Unknown = 0,   // nothing yet
    Lost = 1,      // every code with these signs loses for the rest of the search
    Measured = 2,  // the sizes of its M-classes are in ClassSizes[rank * 10 ..]
};

struct CandidateGroupsRecord {
    bool Ready = false;    // the groups hold the candidates as they stand
    bool Refused = false;  // the memory was refused in this match: not asked for again
    int Length = 0;
    int Signs = 0;
    int32_t Candidates = 0;
    int32_t Capacity = 0;  // room per position array, with a vector's slack behind the last
    uint8_t* Positions[MaxCodeLength] = {};  // [k][n]: the candidates, group by group
    // Where there are no sign planes, the same candidates two places to a byte, place 2c in the
    // low half of Packed[c] and place 2c+1 in the high half: the count reads half the bytes in
    // groups too small for the planes. With at most 14 signs it holds the signs. With more
    // (PackedByGroup) it holds each sign as its place among the signs its group holds (0 for
    // the least; a group holds at most 9, SignMask[g] has bit s for each sign s it holds).
    // Null (and PackedColumns 0) with the planes.
    uint8_t* Packed[(MaxCodeLength + 1) / 2] = {};
    int PackedColumns = 0;
    bool PackedByGroup = false;
    uint64_t* SignMask = nullptr;
    // With at most 7 signs also as bit planes, in chunks of PlaneSpan
    // candidates: chunk c holds PlaneCount planes one behind the other, plane k * PlaneBits + j
    // of BitLaneWords words giving bit j of the sign at place k+1 of each candidate (the signs
    // are numbered from 1, so 0 is held by no candidate). A chunk is read front to back: the
    // count reads PlaneBits bits a candidate and place instead of a byte, and finds P for 64
    // candidates a word at once. PlaneBits is 3 where there are planes, else 0. Zero behind the
    // last candidate, and a chunk of slack.
    uint64_t* SignPlanes = nullptr;
    int PlaneBits = 0;
    int PlaneCount = 0;
    int32_t Count = 0;  // groups
    // Multisets of L signs over the signs of the range and one more symbol for a sign that
    // cannot score: every group and every trial code has its rank below this.
    int32_t TableSize = 0;
    int32_t* Start = nullptr;       // [g]: the first candidate of group g; Start[Count] = all
    uint8_t* SignCounts = nullptr;  // [(sign - 1) * GroupRoom + g]: how often group g holds it
    uint8_t* GroupM = nullptr;      // scratch per group: M against the trial code at hand
    int32_t* Order = nullptr;       // scratch per group: the groups ordered by M
    int32_t* Members = nullptr;     // scratch per group: the groups of one class
    // [rank]: what this search knows of a trial multiset (cleared to Unknown per search).
    MultisetVerdict* Verdict = nullptr;
    int32_t* ClassSizes = nullptr;
    // [rank * 2]: for a measured multiset the least largest class and the least sum of squares
    // that its class sizes allow, wherever its signs stand: the first bound a trial code meets.
    int64_t* SizeBound = nullptr;
    // [rank * (MaxCodeLength + 1) ..]: a measured multiset's M-classes from the largest down.
    uint8_t* ClassOrder = nullptr;
    // Per measured multiset the totals of P that each of its signs gives every M-class from each
    // place: [(m * L + k) * slots + j] for the j-th of its live signs (rising) at place k+1. With
    // them a trial code's totals of P per class take L x (L + 1) additions instead of a pass over
    // the groups. TotalsAt[rank] is 1 + the multiset's start in Totals; while it has none, minus
    // the number of its codes that summed the groups themselves (cleared per search). Totals is a
    // block of its own that grows as the search needs it (up to a bound); without room the groups
    // are summed per trial code.
    int32_t* TotalsAt = nullptr;
    int32_t* Totals = nullptr;
    size_t TotalsRoom = 0;
    size_t TotalsUsed = 0;
    bool TotalsRefused = false;
    // [rank]: the best so far (numbered) against which the whole multiset was last found able to
    // win on its totals of P; 0 while it was not checked in this search.
    uint32_t* CheckedAt = nullptr;
    // [((k * N) + sign - 1) * GroupRoom + g]: the candidates of group g with the sign at
    // position k+1. What a trial code's positions match, summed over a group, is the group's
    // total of P: with it the mean P of every M-class is known before counting.
    uint16_t* PlaceCounts = nullptr;
    // The rows per sign, place and pair of places are this many groups apart: whole vectors and
    // one more beyond the groups as they stand, closed up as the groups thin out (the per-group
    // arrays keep the room they were made with). The entries behind the last group are zero.
    int32_t GroupRoom = 0;
    uint16_t* GroupSize = nullptr;  // [g]: the candidates of group g (while they fit)
    int32_t LargestGroup = 0;
    uint8_t* Level = nullptr;  // scratch per group: where it stands in its class's order
    // [((pair * N + sign - 1) * N + other sign - 1) * GroupRoom + g], pair numbering the places
    // k < k': the candidates of group g with the one sign at place k+1 and the other at k'+1
    // (at most 7! each). With them the spread of P in every M-class is known too. Made apart
    // from the block, after every answer, where they take little memory for the groups as they
    // stand (null otherwise).
    uint16_t* PairCounts = nullptr;
    size_t PairBlockBytes = 0;
    // While no pair count passes 255 the same counts a byte each (rows GroupRoom bytes apart):
    // counted so where no group holds more than 255 candidates, else narrowed into the first
    // half of the block. The pair totals read half as much.
    bool PairBytes = false;
    // [((triple * N + sign - 1) * N + sign - 1) * N + sign - 1) * GroupRoom + g], triple
    // numbering the places k < k' < k'': the candidates of group g with the three signs at those
    // places. With them the third moment of P in every M-class is known too. Made apart from the
    // block once the groups are few enough for them to take little memory (null until then).
    // A byte each: used only while LargestTriple is above 0 (no count passed 255).
    uint8_t* TripleCounts = nullptr;
    size_t TripleBytes = 0;
    // The largest entry of the pair and of the triple counts: how many rows a 16-bit sum takes.
    int32_t LargestPair = 0;
    int32_t LargestTriple = 0;
    // Scratch per group: its total of P against the trial code at hand (at most 65,535).
    uint16_t* GroupTotal = nullptr;
    // Per group: 256 over its size, for placing it among its class's groups by its mean P.
    float* GroupScale = nullptr;
    // The passes over all groups that trial codes have needed so far (a sum, the pair totals, a
    // count): a code that needed one was costly to give up.
    int64_t Passes = 0;
    void* Block = nullptr;  // all of the above in one allocation
    size_t BlockBytes = 0;
    // What the block and the pair counts took when the groups were first laid out in the match
    // (0 until then): laid out anew or given pair counts later, they never take more.
    size_t Grant = 0;
};
extern CandidateGroupsRecord CandidateGroups;
// The sign planes are made only for at least this many candidates: only then do many groups
// fill their chunks, and only then did the store's build take more memory (its draws, 4 bytes
// a record) than the planes take beside the groups (at most 4.5 bytes a candidate), so that
// they never raise the program's peak. A speed choice (the tests lower it).
extern int32_t PlaneMinCandidates;

// Makes the groups for the candidates as they stand, when the store is large enough to gain
// from them and they are not made yet. False when the search goes on without them.
bool PrepareCandidateGroups();
// A new search: the trial multisets given up by the last one may win again.
void BeginGroupedSearch();
// The rank of a trial code's multiset of signs (signs that cannot score as one), below
// TableSize: what the search knows of the code's multiset is kept under it.
uint32_t GroupedRank(const uint8_t* signs, int length);
// Whether the multiset of that rank is already known to lose for the rest of the search.
inline bool GroupedRankLost(uint32_t rank) {
    return CandidateGroups.Verdict[rank] == MultisetVerdict::Lost;
}
// Whether the trial code's multiset of signs is known to lose against the best so far, from
// what the search has measured of it, without a look at the candidates: its codes need no
// pattern and no count. A multiset found lost here stays lost for the search.
bool GroupedMultisetLoses(uint32_t rank, int32_t bestMax, int64_t bestSquares);
// Whether the trial code's totals of P leave the ranges its multiset keeps for the best so far
// (the first moment, as PlanGroupedCount would find it first), read straight from its signs and
// the multiset's table: a code lost so is passed over as PlanGroupedCount would pass it. False
// when the multiset has no table or no ranges for this best yet, or the code keeps within them.
bool GroupedRangesLose(const uint8_t* signs, uint32_t rank, int32_t bestMax, int64_t bestSquares);
// Like ClassifyCandidates, over the groups: false (counts incomplete) when the trial code is
// given up as strictly worse than the best so far.
bool ClassifyGrouped(const TrialPattern& pattern, int32_t bestMax, int64_t bestSquares,
                     ClassCounts& out);
// The same in two steps: PlanGroupedCount bounds the trial code by what is known before a
// candidate is read (false: given up); CountPlannedGrouped then counts that same code against
// the same best.
bool PlanGroupedCount(const TrialPattern& pattern, uint32_t rank, int32_t bestMax,
                      int64_t bestSquares);
bool CountPlannedGrouped(const TrialPattern& pattern, int32_t bestMax, int64_t bestSquares,
                         ClassCounts& out);
// Keeps the candidates of class (m, p) in the groups, as KeepCandidates does in the chain.
void KeepGroupedCandidates(const TrialPattern& pattern, int m, int p);
// Frees the groups; the next match makes them anew.
void ReleaseCandidateGroups();
