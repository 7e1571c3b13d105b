// The sums over the candidate groups per M-class of a trial code: M of every group, the
// groups' totals of P (from the place counts), and per class the sizes, the totals of P, and
// from the pair and triple counts the sums of P(P-1)/2 and P(P-1)(P-2)/6 that the moment bounds
// take (class_bounds.h). Each is one vector pass over the groups, in 16 bits where the sums fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "breaker/candidate_groups.h"
#include "breaker/class_bounds.h"
#include "breaker/class_pass.h"

// M of every group against the trial code.
inline __attribute__((always_inline)) void GroupMs(const TrialPattern& pattern) {
    CandidateGroupsRecord& g = CandidateGroups;
    const int32_t count = g.Count;
    uint8_t* __restrict m = g.GroupM;
    std::memset(m, 0, static_cast<size_t>(count));
    for (int j = 0; j < pattern.Slots; ++j) {
        const uint8_t* __restrict column =
            g.SignCounts + static_cast<size_t>(pattern.SlotSign[j] - 1) * g.GroupRoom;
        const uint8_t limit = pattern.SlotCount[j];
        for (int32_t i = 0; i < count; ++i) m[i] += column[i] < limit ? column[i] : limit;
    }
}

// What a pass over the groups sums per M-class besides M and the total of P of every group.
enum class ClassSumKind {
    None,            // nothing: the per-multiset totals gave the classes' totals of P
    Totals,          // the sum of the groups' totals of P
    SizesAndTotals,  // and of their sizes
};

// M of every group goes into GroupM, its total of P into GroupTotal; per M-class the sums that
// kind asks for (in size and total, [m] for class m), in 16 bits where they fit.
void SumClasses(const TrialPattern& pattern, ClassSumKind kind, int64_t* size, int64_t* total);
// Per M-class of at least leastSize candidates the sum of P(P-1)/2 over its candidates, into
// plan.PairTotal: the pairs of places that hold the trial's signs, counted per group and summed
// by the groups' M (in GroupM). A smaller class keeps its entry: the fits of the moments never
// read it for a class no larger than the height asked (MomentFits).
void PairTotals(const TrialPattern& pattern, ClassPlan& plan, int64_t leastSize);
// Per M-class of at least leastSize candidates the sum of P(P-1)(P-2)/6 over its candidates,
// into plan.TripleTotal, from the triples of places.
void TripleTotals(const TrialPattern& pattern, ClassPlan& plan, int64_t leastSize);
