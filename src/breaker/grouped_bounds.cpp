// The bounds a trial code meets over the candidate groups before a candidate is counted, in
// their order, and the grouped count's entries for the search.
#include "breaker/candidate_groups.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "breaker/class_bounds.h"
#include "breaker/group_class_sums.h"
#include "breaker/grouped_count.h"
#include "breaker/multiset_ranks.h"
#include "breaker/multiset_totals.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_trials.h"

namespace {

// A class is bounded by its third moment when it holds more than this many candidates. Below,
// counting costs less than the bound.
constexpr int64_t kLeastCubicClass = 16384;

// The best so far as the grouped count last saw it, numbered as it changes (from 1 on in each
// search; a multiset's CheckedAt is 0 until it is checked).
struct BestSeenRecord {
    int32_t Max = -1;
    int64_t Squares = -1;
    uint32_t Epoch = 1;
};
BestSeenRecord BestSeen;

// Whether class sizes with the bound in `bound` (the least largest class, the least sum of
// squares) must end strictly worse than the best so far.
bool SizeBoundLoses(const int64_t* bound, int32_t bestMax, int64_t bestSquares) {
    return bound[0] > bestMax || (bound[0] >= bestMax && bound[1] > bestSquares);
}

// Bounds every class of the plan before the count and tells whether the trial code has lost;
// fitsFrom[m] is the height class m was last found to fit at (see MomentsLose).
bool BoundsLose(ClassPlan& plan, int32_t bestMax, int64_t bestSquares, const int64_t* fitsFrom) {
    for (int m = 0; m <= plan.Length; ++m)
        plan.Bounds[m] = ClassBound(plan, m, bestMax, fitsFrom[m]);
    int64_t boundMax = 0;
    return Loses(plan, bestSquares, boundMax);
}

// The sizes of the M-classes of a multiset not measured yet in this search, with the totals of
// P of every class; they, the bound they give and the classes from the largest down are kept
// for the multiset's other codes.
void MeasureMultiset(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan) {
    CandidateGroupsRecord& g = CandidateGroups;
    SumClasses(pattern, ClassSumKind::SizesAndTotals, plan.Size, plan.Total);
    const size_t at = static_cast<size_t>(rank) * (MaxCodeLength + 1);
    int32_t* sizes = g.ClassSizes + at;
    uint8_t* order = g.ClassOrder + at;
    int64_t largest = 0;
    int64_t squares = 0;
    for (int m = 0; m <= plan.Length; ++m) {
        sizes[m] = static_cast<int32_t>(plan.Size[m]);
        int o = m;
        for (; o > 0 && plan.Size[order[o - 1]] < plan.Size[m]; --o) order[o] = order[o - 1];
        order[o] = static_cast<uint8_t>(m);
        if (plan.Size[m] == 0) continue;
        const Bound bound = ClassBound(plan, m, INT32_MAX);
        largest = std::max(largest, bound.Max);
        squares += bound.Squares;
    }
    g.SizeBound[2 * static_cast<size_t>(rank)] = largest;
    g.SizeBound[2 * static_cast<size_t>(rank) + 1] = squares;
    g.Verdict[rank] = MultisetVerdict::Measured;
}

// The largest class the best so far leaves a trial code: it loses at bestMax - 1 when the sizes
// alone already force more squares than the best's, else above bestMax.
int64_t HighestClass(uint32_t rank, int32_t bestMax, int64_t bestSquares) {
    const int64_t squares = CandidateGroups.SizeBound[2 * static_cast<size_t>(rank) + 1];
    return squares > bestSquares ? int64_t(bestMax) - 1 : bestMax;
}

// Before a single candidate is counted, the class sizes alone bound the largest class and the
// sum of squares (SizeBound); the moments of P (the totals, and with plan.Pairs the pair totals)
// can only show a class unable to stay at or below some size h. The trial code loses when one
// cannot stay at or below the best's largest class, or one below it when the sizes alone
// already force more squares than the best's. Tried from the largest class down.
// With fitsFrom (the last check before the count), the height every class was found to fit at
// goes there, for the bounds that follow not to try it again. Only that height is tried: most
// codes that get this far lose to the third moment or the count, and the bounds before the count
// ask one below the best's largest class themselves, for the few that reach them.
bool MomentsLose(ClassPlan& plan, const ClassTotals& totals, uint32_t rank, int32_t bestMax,
                 int64_t bestSquares, int64_t* fitsFrom) {
    const CandidateGroupsRecord& g = CandidateGroups;
    if (bestMax == INT32_MAX) return false;
    const int64_t h = HighestClass(rank, bestMax, bestSquares);
    const uint8_t* order = g.ClassOrder + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    const int64_t none[MaxCodeLength + 1] = {};
    // On the totals alone, the ranges the multiset's check left behind its table tell.
    const int32_t* ranges =
        totals.Table != nullptr && !plan.Pairs && g.CheckedAt[rank] == BestSeen.Epoch
            ? RangesOf(totals.Table, plan.Length, static_cast<int>(totals.PerClass / plan.Length))
            : nullptr;
    for (int c = 0; c <= plan.Length; ++c) {
        const int m = order[c];
        if (plan.Size[m] == 0) break;
        if (m == 0) continue;  // P = 0 throughout: the size alone tells
        // A class of at most h candidates fits at h whatever its moments (MomentFits).
        if (plan.Size[m] <= h) {
            if (fitsFrom != nullptr) fitsFrom[m] = h;
            continue;
        }
        plan.Total[m] = TotalOf(plan, totals, m);
        if (ranges != nullptr) {
            if (plan.Total[m] < ranges[2 * m] || plan.Total[m] > ranges[2 * m + 1]) return true;
            if (fitsFrom != nullptr) fitsFrom[m] = h;
            continue;
        }
        int64_t value[MaxCodeLength + 1];
        int64_t count[MaxCodeLength + 1];
        const int n = ValuesOf(m, plan.Length, none, value, count);
        auto fits = [&](int64_t height) {
            return MomentFits(value, count, n, m == plan.Length, plan.Size[m], plan.Total[m],
                              plan.Pairs, plan.PairTotal[m], height);
        };
        if (!fits(h)) return true;
        if (fitsFrom != nullptr) fitsFrom[m] = h;
    }
    return false;
}

// Once per multiset and best so far: whether every code of the multiset can be passed over.
bool WholeMultisetLoses(const TrialPattern& pattern, uint32_t rank, const ClassPlan& plan,
                        int32_t* table, int32_t bestMax, int64_t bestSquares) {
    CandidateGroupsRecord& g = CandidateGroups;
    if (bestMax == INT32_MAX || g.CheckedAt[rank] == BestSeen.Epoch) return false;
    g.CheckedAt[rank] = BestSeen.Epoch;
    int live = 0;
    for (int j = 0; j < pattern.Slots; ++j) live += pattern.SlotCount[j];
    return MultisetMomentsLose(plan, table, pattern.Slots, pattern.SlotCount, live < pattern.Length,
                               HighestClass(rank, bestMax, bestSquares));
}

// The best so far as the grouped count sees it now: a new one takes the next number.
void SeeBest(int32_t bestMax, int64_t bestSquares) {
    if (bestMax == BestSeen.Max && bestSquares == BestSeen.Squares) return;
    BestSeen.Max = bestMax;
    BestSeen.Squares = bestSquares;
    ++BestSeen.Epoch;
}

// The sizes of the M-classes into plan.Size: measured for a multiset met for the first time in
// this search (with the totals of P of every class: totals.Summed), else as measured before.
void KnownClassSizes(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan,
                     ClassTotals& totals) {
    const CandidateGroupsRecord& g = CandidateGroups;
    if (g.Verdict[rank] != MultisetVerdict::Measured) {
        MeasureMultiset(pattern, rank, plan);
        totals.Summed = true;
        return;
    }
    const int32_t* sizes = g.ClassSizes + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    for (int m = 0; m <= plan.Length; ++m) plan.Size[m] = sizes[m];
}

// The totals of P of the classes of a multiset measured before: from the multiset's table where
// it has one, after the check of the whole multiset against the best so far (true: every code
// of it loses), else from a pass over the groups.
bool MultisetTotalsLose(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan,
                        ClassTotals& totals, int32_t bestMax, int64_t bestSquares) {
    totals.Table = PlaceTotalsOf(pattern, rank);
    if (totals.Table == nullptr) {
        SumClasses(pattern, ClassSumKind::Totals, plan.Size, plan.Total);
        totals.Summed = true;
        return false;
    }
    PlaceEntries(pattern, totals);
    return WholeMultisetLoses(pattern, rank, plan, totals.Table, bestMax, bestSquares);
}

// The third moment of P, where the triples are kept: the classes that could pass the highest
// class the best allows, from the largest down, each held against the cubics of P; true when
// one cannot stay at or below it.
bool ThirdMomentLoses(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan, int32_t bestMax,
                      int64_t bestSquares) {
    const CandidateGroupsRecord& g = CandidateGroups;
    const uint8_t* order = g.ClassOrder + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    if (g.LargestTriple <= 0 || bestMax == INT32_MAX || plan.Size[order[0]] <= kLeastCubicClass)
        return false;
    const int64_t h = HighestClass(rank, bestMax, bestSquares);
    // Only the classes the cubics are tried on need their triples.
    plan.TripleFrom = std::max<int64_t>(h, kLeastCubicClass) + 1;
    TripleTotals(pattern, plan, plan.TripleFrom);
    plan.Triples = true;
    for (int c = 0; c <= plan.Length; ++c) {
        const int m = order[c];
        if (plan.Size[m] <= std::max<int64_t>(h, kLeastCubicClass)) break;
        if (m > 0 && !CubicFits(plan, m, h)) return true;
    }
    return false;
}

// Per multiset (by its rank's low bits: a shared count only moves when the walk happens) the
// codes lost on their totals against its kept ranges since its arrangements were last walked.
constexpr uint32_t kLossSlots = 4096;
int32_t RangeLosses[kLossSlots];
// The walk costs a few nanoseconds an arrangement and spares a few hundred a code it marks: it
// is made once a multiset has lost one code for every kArrangementsPerLoss of its arrangements.
constexpr int64_t kArrangementsPerLoss = 32;

// A code lost on its totals against the ranges its multiset keeps for the best so far: where
// twins are marked by record number and its multiset's codes keep losing so, every arrangement
// of the multiset whose totals leave the ranges is marked (each is strictly worse than the best,
// as the code was), and the scan passes over those still to come unread.
void MarkRangeLosers(const TrialPattern& pattern, uint32_t rank, const ClassPlan& plan,
                     const ClassTotals& totals, int64_t h) {
    if (!TwinsMarked()) return;
    int64_t arrangements = 1;
    int live = 0;
    for (int j = 0; j < pattern.Slots; ++j) {
        for (int i = 1; i <= pattern.SlotCount[j]; ++i)
            arrangements = arrangements * (live + i) / i;
        live += pattern.SlotCount[j];
    }
    // A sign that cannot score stands for any of them: such multisets are left alone.
    if (live < pattern.Length) return;
    int32_t& losses = RangeLosses[rank % kLossSlots];
    if (++losses * kArrangementsPerLoss < arrangements) return;
    losses = 0;
    ArrangementTest test;
    test.Length = pattern.Length;
    test.Slots = pattern.Slots;
    for (int j = 0; j < pattern.Slots; ++j) {
        test.Sign[j] = pattern.SlotSign[j];
        test.Count[j] = pattern.SlotCount[j];
    }
    const int32_t* ranges =
        RangesOf(totals.Table, plan.Length, static_cast<int>(totals.PerClass / plan.Length));
    for (int m = 1; m <= plan.Length; ++m) {
        if (plan.Size[m] <= h) continue;  // fits at h whatever its total
        test.Entries[test.Classes] = totals.Table + m * totals.PerClass;
        test.Least[test.Classes] = ranges[2 * m];
        test.Most[test.Classes] = ranges[2 * m + 1];
        ++test.Classes;
    }
    MarkLosingArrangements(test);
}

// The sizes of the M-classes (known from the trial's multiset alone, and kept for it) and the
// totals of P of every class, then the moments of P as far as the tables go: false as soon as
// they show the trial code lost. A multiset whose classes cannot split finely enough loses for
// the rest of the search. M of every group is left in GroupM, for a code that goes on to its
// count also its total of P in GroupTotal, and the bound of every class in plan.Bounds.
bool PlanClasses(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan, int32_t bestMax,
                 int64_t bestSquares) {
    CandidateGroupsRecord& g = CandidateGroups;
    const int length = pattern.Length;
    plan.Length = length;
    SeeBest(bestMax, bestSquares);
    ClassTotals totals;
    KnownClassSizes(pattern, rank, plan, totals);
    if (SizeBoundLoses(g.SizeBound + 2 * static_cast<size_t>(rank), bestMax, bestSquares) ||
        (!totals.Summed && MultisetTotalsLose(pattern, rank, plan, totals, bestMax, bestSquares))) {
        g.Verdict[rank] = MultisetVerdict::Lost;
        return false;
    }
    // The mean P of every class is known too; it may force a class further apart.
    int64_t fitsFrom[MaxCodeLength + 1];
    for (int m = 0; m <= length; ++m) fitsFrom[m] = INT64_MAX;
    const bool pairsFollow = g.PairCounts != nullptr;
    if (MomentsLose(plan, totals, rank, bestMax, bestSquares, pairsFollow ? nullptr : fitsFrom)) {
        if (totals.Table != nullptr && g.CheckedAt[rank] == BestSeen.Epoch)
            MarkRangeLosers(pattern, rank, plan, totals, HighestClass(rank, bestMax, bestSquares));
        return false;
    }
    // The groups' M for the sums that follow; their totals of P, which only the count reads (to
    // order a class's groups), wait until the code reaches it.
    const bool groupTotalsLeft = !totals.Summed;
    if (groupTotalsLeft) {
        for (int m = 1; m <= length; ++m) plan.Total[m] = TotalOf(plan, totals, m);
        GroupMs(pattern);
        ++g.Passes;
        totals.Summed = true;
    }
    // And so is the spread of P, from the pairs of places that hold the trial's signs, and
    // where the triples are kept its third moment.
    if (g.PairCounts != nullptr) {
        ++g.Passes;
        // Every height the moments are asked at is at least one below the best's largest
        // class: a smaller class fits whatever its pairs (MomentFits), so only the larger need
        // them.
        PairTotals(pattern, plan, bestMax);
        plan.Pairs = true;
        if (MomentsLose(plan, totals, rank, bestMax, bestSquares, fitsFrom)) return false;
        if (ThirdMomentLoses(pattern, rank, plan, bestMax, bestSquares)) return false;
    }
    plan.Moments = true;
    if (BoundsLose(plan, bestMax, bestSquares, fitsFrom)) return false;
    if (groupTotalsLeft) SumClasses(pattern, ClassSumKind::None, plan.Size, plan.Total);
    return true;
}

// The plan of the trial code between PlanGroupedCount and CountPlannedGrouped.
ClassPlan Planned;

}  // namespace

void BeginGroupedSearch() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (!g.Ready) return;
    std::memset(g.Verdict, 0, static_cast<size_t>(g.TableSize));
    std::memset(g.TotalsAt, 0, static_cast<size_t>(g.TableSize) * sizeof(int32_t));
    std::memset(g.CheckedAt, 0, static_cast<size_t>(g.TableSize) * sizeof(uint32_t));
    BestSeen = BestSeenRecord{};
    g.TotalsUsed = 0;
    std::memset(RangeLosses, 0, sizeof RangeLosses);
}

bool GroupedMultisetLoses(uint32_t rank, int32_t bestMax, int64_t bestSquares) {
    CandidateGroupsRecord& g = CandidateGroups;
    const MultisetVerdict verdict = g.Verdict[rank];
    if (verdict == MultisetVerdict::Measured &&
        SizeBoundLoses(g.SizeBound + 2 * static_cast<size_t>(rank), bestMax, bestSquares))
        g.Verdict[rank] = MultisetVerdict::Lost;
    if (g.Verdict[rank] != MultisetVerdict::Lost) return false;
    ++TrialCodesAbandoned;
    return true;
}

bool GroupedRangesLose(const uint8_t* signs, uint32_t rank, int32_t bestMax, int64_t bestSquares) {
    const CandidateGroupsRecord& g = CandidateGroups;
    if (bestMax == INT32_MAX || g.Verdict[rank] != MultisetVerdict::Measured ||
        g.TotalsAt[rank] <= 0)
        return false;
    SeeBest(bestMax, bestSquares);
    if (g.CheckedAt[rank] != BestSeen.Epoch) return false;
    // The code's live signs, each numbered by its place among them (its slot in the table).
    const int length = g.Length;
    uint64_t live = 0;
    for (int k = 0; k < length; ++k)
        if (signs[k] <= RingSize && SignAlive[signs[k]] != 0) live |= uint64_t(1) << signs[k];
    const int slots = __builtin_popcountll(live);
    int entry[MaxCodeLength];
    for (int k = 0; k < length; ++k) {
        const uint64_t bit = signs[k] <= RingSize ? uint64_t(1) << signs[k] : 0;
        entry[k] = (live & bit) != 0 ? k * slots + __builtin_popcountll(live & (bit - 1)) : -1;
    }
    int32_t* table = g.Totals + (g.TotalsAt[rank] - 1);
    const int64_t perClass = int64_t(length) * slots;
    const int32_t* ranges = RangesOf(table, length, slots);
    const int64_t h = HighestClass(rank, bestMax, bestSquares);
    const uint8_t* order = g.ClassOrder + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    const int32_t* sizes = g.ClassSizes + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    // As MomentsLose holds the classes against the ranges, from the largest down.
    bool lost = false;
    for (int c = 0; c <= length && !lost; ++c) {
        const int m = order[c];
        if (sizes[m] == 0) break;
        if (m == 0 || sizes[m] <= h) continue;
        const int32_t* block = table + m * perClass;
        int64_t total = 0;
        for (int k = 0; k < length; ++k)
            if (entry[k] >= 0) total += block[entry[k]];
        lost = total < ranges[2 * m] || total > ranges[2 * m + 1];
    }
    if (!lost) return false;
    // Lost as PlanClasses finds it: its multiset's arrangements may be marked likewise.
    if (TwinsMarked()) {
        TrialPattern pattern;
        MakeTrialPattern(signs, length, pattern);
        ClassPlan plan;
        plan.Length = length;
        for (int m = 0; m <= length; ++m) plan.Size[m] = sizes[m];
        ClassTotals totals;
        totals.Table = table;
        PlaceEntries(pattern, totals);
        MarkRangeLosers(pattern, rank, plan, totals, h);
    }
    ++TrialCodesAbandoned;
    return true;
}

bool PlanGroupedCount(const TrialPattern& pattern, uint32_t rank, int32_t bestMax,
                      int64_t bestSquares) {
    Planned = ClassPlan{};
    if (CandidateGroups.Verdict[rank] == MultisetVerdict::Lost ||
        !PlanClasses(pattern, rank, Planned, bestMax, bestSquares)) {
        ++TrialCodesAbandoned;
        return false;
    }
    return true;
}

bool CountPlannedGrouped(const TrialPattern& pattern, int32_t bestMax, int64_t bestSquares,
                         ClassCounts& out) {
    ClassPlan& plan = Planned;
    if (!CountClasses(pattern, plan, bestMax, bestSquares)) {
        ++TrialCodesAbandoned;
        return false;
    }
    std::memset(out.Table, 0, sizeof out.Table);
    for (int m = 0; m <= plan.Length; ++m)
        for (int p = 0; p <= m; ++p) out.Table[m][p] = static_cast<int32_t>(plan.Counts[m][p]);
    FinishClassCounts(plan.Length, out);
    return true;
}

bool ClassifyGrouped(const TrialPattern& pattern, int32_t bestMax, int64_t bestSquares,
                     ClassCounts& out) {
    return PlanGroupedCount(pattern, TrialRank(pattern), bestMax, bestSquares) &&
           CountPlannedGrouped(pattern, bestMax, bestSquares, out);
}
