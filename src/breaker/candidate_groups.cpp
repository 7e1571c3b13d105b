// The candidates grouped by their multiset of signs: the bounds and the P-only count.
#include "breaker/candidate_groups.h"

#include <algorithm>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/class_bounds.h"
#include "breaker/group_class_sums.h"
#include "breaker/group_place_counts.h"
#include "breaker/grouped_count.h"
#include "breaker/lanes.h"
#include "breaker/length_copies.h"
#include "breaker/long_work.h"
#include "breaker/multiset_ranks.h"
#include "breaker/multiset_totals.h"
#include "shell/console/console.h"

CandidateGroupsRecord CandidateGroups;

namespace {

// Below this many candidates the plain class pass is quicker: the bounds and tables of the groups
// cost more per trial code than counting so few candidates one by one.
constexpr int32_t kMinCandidates = 4096;
// Multiset tables larger than this are not made (no admitted condition comes near it).
constexpr int64_t kMaxTableSize = int64_t(1) << 22;
// The pair counts are kept when they take at most this many bytes, and at most kPairsPerCandidate
// times the candidates' own bytes: over many signs they are mostly zeros, and clearing and
// filling them would cost more than they save.
constexpr size_t kMaxPairBytes = size_t(64) << 20;
constexpr size_t kPairsPerCandidate = 8;
// A class is bounded by its third moment when it holds more than this many candidates. Below,
// counting costs less than the bound.
constexpr int64_t kLeastCubicClass = 16384;
// The slack behind the last candidate: a vector read never leaves the arrays.
constexpr int32_t kSlack = 64;

size_t AlignUp(size_t bytes) {
    return (bytes + 63) / 64 * 64;
}

// Room for this many groups in a per-group array: whole vectors and one more.
size_t RoomFor(size_t groups) {
    return (groups + 63) / 32 * 32;
}

// The rows per sign, place and pair of places close up to the room the groups need now (at
// most the room they had), so that the rows a trial code reads lie side by side; the entries
// behind the last group stay zero.
void CloseUpGroupRoom() {
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t before = static_cast<size_t>(g.GroupRoom);
    const size_t room = std::min(before, RoomFor(static_cast<size_t>(g.Count)));
    for (size_t sign = 0; sign < static_cast<size_t>(g.Signs); ++sign) {
        uint8_t* row = g.SignCounts + sign * room;
        std::memmove(row, g.SignCounts + sign * before, static_cast<size_t>(g.Count));
        std::memset(row + g.Count, 0, room - static_cast<size_t>(g.Count));
    }
    g.GroupRoom = static_cast<int32_t>(room);
}

// The packed copy of the candidates, where there is one; zero behind the last. False when a
// break-off waits: the groups are then of no use.
bool PackPositions() {
    CandidateGroupsRecord& g = CandidateGroups;
    for (int c = 0; c < g.PackedColumns; ++c) {
        if (GlanceBefore(g.Candidates)) return false;
        uint8_t* packed = g.Packed[c];
        const uint8_t* low = g.Positions[2 * c];
        const uint8_t* high = 2 * c + 1 < g.Length ? g.Positions[2 * c + 1] : nullptr;
        for (int32_t i = 0; i < g.Candidates; ++i)
            packed[i] = static_cast<uint8_t>(low[i] | (high != nullptr ? high[i] << 4 : 0));
        std::memset(packed + g.Candidates, 0, static_cast<size_t>(g.Capacity - g.Candidates));
    }
    return true;
}

}  // namespace

namespace {

// The sizes of the groups' arrays.
struct GroupShape {
    int Length = 0;
    int Signs = 0;
    int32_t Capacity = 0;  // room per position array
    size_t Rows = 0;       // multisets
    size_t Room = 0;       // room for groups
    bool Pairs = false;    // the pair counts are kept
};

// Lays the arrays out one behind the other from `block` on (null: only counts the bytes, which
// it returns).
size_t LayOutGroups(const GroupShape& shape, uint8_t* block) {
    CandidateGroupsRecord& g = CandidateGroups;
    const int length = shape.Length;
    const size_t signs = static_cast<size_t>(shape.Signs);
    const size_t capacity = static_cast<size_t>(shape.Capacity);
    const size_t rows = shape.Rows;
    const size_t room = shape.Room;
    size_t at = 0;
    auto take = [&](size_t bytes) {
        uint8_t* place = block != nullptr ? block + at : nullptr;
        at += AlignUp(bytes);
        return place;
    };
    uint8_t* positions = take(capacity * static_cast<size_t>(length));
    for (int k = 0; k < length; ++k)
        g.Positions[k] =
            positions != nullptr ? positions + static_cast<size_t>(k) * capacity : nullptr;
    g.PackedColumns = signs <= 14 ? (length + 1) / 2 : 0;
    uint8_t* packed = take(capacity * static_cast<size_t>(g.PackedColumns));
    for (int c = 0; c < (MaxCodeLength + 1) / 2; ++c)
        g.Packed[c] = packed != nullptr && c < g.PackedColumns
                          ? packed + static_cast<size_t>(c) * capacity
                          : nullptr;
    g.Start = reinterpret_cast<int32_t*>(take((room + 1) * sizeof(int32_t)));
    g.Order = reinterpret_cast<int32_t*>(take(room * sizeof(int32_t)));
    g.Members = reinterpret_cast<int32_t*>(take(room * sizeof(int32_t)));
    g.SignCounts = take(room * signs);
    g.GroupM = take(room);
    g.Verdict = reinterpret_cast<MultisetVerdict*>(take(rows));
    g.PlaceCounts = reinterpret_cast<uint16_t*>(
        take(room * static_cast<size_t>(length) * signs * sizeof(uint16_t)));
    g.GroupSize = reinterpret_cast<uint16_t*>(take(room * sizeof(uint16_t)));
    g.ClassSizes = reinterpret_cast<int32_t*>(take(rows * (MaxCodeLength + 1) * sizeof(int32_t)));
    g.SizeBound = reinterpret_cast<int64_t*>(take(rows * 2 * sizeof(int64_t)));
    g.ClassOrder = take(rows * (MaxCodeLength + 1));
    g.TotalsAt = reinterpret_cast<int32_t*>(take(rows * sizeof(int32_t)));
    g.CheckedAt = reinterpret_cast<uint32_t*>(take(rows * sizeof(uint32_t)));
    g.Level = take(room);
    g.GroupTotal = reinterpret_cast<uint16_t*>(take(room * sizeof(uint16_t)));
    g.GroupScale = reinterpret_cast<float*>(take(room * sizeof(float)));
    g.PairCounts = nullptr;
    if (shape.Pairs) {
        const size_t placePairs = static_cast<size_t>(length) * (length - 1) / 2;
        g.PairCounts =
            reinterpret_cast<uint16_t*>(take(placePairs * signs * signs * room * sizeof(uint16_t)));
    }
    return at;
}

// A counting sort by rank: the candidates of each multiset, in chain order, one group; then
// how often every group holds each sign. False when a break-off waits.
bool SortIntoGroups(const GroupShape& shape, int32_t candidates) {
    CandidateGroupsRecord& g = CandidateGroups;
    const CandidateStoreRecord& s = CandidateStore;
    const int length = shape.Length;
    int32_t* slot = g.ClassSizes;  // per rank: how many, then where the next goes
    std::memset(slot, 0, shape.Rows * sizeof(int32_t));
    uint32_t rank[LaneCount];
    for (int32_t i = 0; i < candidates; i += LaneCount) {
        if (GlanceAt(i)) return false;
        CandidateRanks(length, i, rank);
        const int n = std::min<int32_t>(LaneCount, candidates - i);
        for (int lane = 0; lane < n; ++lane) ++slot[rank[lane]];
    }
    int32_t groups = 0;
    int32_t next = 0;
    for (size_t r = 0; r < shape.Rows; ++r) {
        if (slot[r] == 0) continue;
        g.Start[groups++] = next;
        const int32_t size = slot[r];
        slot[r] = next;
        next += size;
    }
    g.Start[groups] = next;
    g.Count = groups;
    for (int32_t base = 0; base < candidates; base += LaneCount) {
        if (GlanceAt(base)) return false;
        CandidateRanks(length, base, rank);
        const int n = std::min<int32_t>(LaneCount, candidates - base);
        for (int lane = 0; lane < n; ++lane) {
            const int32_t to = slot[rank[lane]]++;
            for (int k = 0; k < length; ++k)
                g.Positions[k][to] = s.CandidatePositions[k][base + lane];
        }
    }
    for (int k = 0; k < length; ++k)
        std::memset(g.Positions[k] + candidates, 0,
                    static_cast<size_t>(shape.Capacity - candidates));
    std::memset(g.SignCounts, 0, shape.Room * static_cast<size_t>(shape.Signs));
    for (int32_t group = 0; group < groups; ++group) {
        const int32_t first = g.Start[group];
        for (int k = 0; k < length; ++k) {
            const uint8_t sign = g.Positions[k][first];
            if (sign >= 1 && sign <= shape.Signs)
                ++g.SignCounts[static_cast<size_t>(sign - 1) * shape.Room + group];
        }
    }
    return true;
}

}  // namespace

bool PrepareCandidateGroups() {
    CandidateGroupsRecord& g = CandidateGroups;
    const CandidateStoreRecord& s = CandidateStore;
    if (g.Ready) {
        if (g.Candidates == s.CandidateCount && g.Length == s.Length) return true;
        ReleaseCandidateGroups();
    }
    if (g.Refused) return false;
    const int length = s.Length;
    const int signs = s.Signs;
    const int32_t candidates = s.CandidateCount;
    if (candidates < kMinCandidates || length < 2 || length > MaxCodeLength || signs < 1 ||
        signs + length >= 46)
        return false;
    const int64_t table = Binomial[signs + length][length];
    if (table > kMaxTableSize) return false;

    GroupShape shape;
    shape.Length = length;
    shape.Signs = signs;
    shape.Capacity = (candidates + kSlack + 31) / 32 * 32;
    shape.Rows = static_cast<size_t>(table);
    // Candidates of one multiset never outnumber its arrangements, so that no place count
    // passes 8! = 40,320.
    shape.Room = RoomFor(std::min<size_t>(shape.Rows, static_cast<size_t>(candidates)));
    const size_t placePairs = static_cast<size_t>(length) * (length - 1) / 2;
    const size_t pairBytes = placePairs * signs * signs * shape.Room * sizeof(uint16_t);
    shape.Pairs = pairBytes <= kMaxPairBytes &&
                  pairBytes <= kPairsPerCandidate * static_cast<size_t>(candidates) * length;
    const size_t bytes = LayOutGroups(shape, nullptr);
    uint8_t* block = StoreMayUse(bytes) ? static_cast<uint8_t*>(StoreAllocate(bytes)) : nullptr;
    if (block == nullptr) {
        g = CandidateGroupsRecord{};
        g.Refused = true;
        return false;
    }
    LayOutGroups(shape, block);
    g.Block = block;
    g.BlockBytes = bytes;
    g.Length = length;
    g.Signs = signs;
    g.Capacity = shape.Capacity;
    g.TableSize = static_cast<int32_t>(table);
    g.GroupRoom = static_cast<int32_t>(shape.Room);
    g.Candidates = candidates;
    // Esc meanwhile: the search goes on without the groups and breaks off at its first tick.
    const bool sorted = SortIntoGroups(shape, candidates);
    if (sorted) CloseUpGroupRoom();
    if (!sorted || !PackPositions() || !CountPlaces()) {
        ReleaseCandidateGroups();
        return false;
    }
    g.Ready = true;
    return true;
}

namespace {

// The best so far as the grouped count last saw it, numbered as it changes (from 1 on in each
// search; a multiset's CheckedAt is 0 until it is checked).
struct BestSeenRecord {
    int32_t Max = -1;
    int64_t Squares = -1;
    uint32_t Epoch = 1;
};
BestSeenRecord BestSeen;

}  // namespace

void BeginGroupedSearch() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (!g.Ready) return;
    std::memset(g.Verdict, 0, static_cast<size_t>(g.TableSize));
    std::memset(g.TotalsAt, 0, static_cast<size_t>(g.TableSize) * sizeof(int32_t));
    std::memset(g.CheckedAt, 0, static_cast<size_t>(g.TableSize) * sizeof(uint32_t));
    BestSeen = BestSeenRecord{};
    g.TotalsUsed = 0;
}

namespace {

// Whether class sizes with the bound in `bound` (the least largest class, the least sum of
// squares) must end strictly worse than the best so far.
bool SizeBoundLoses(const int64_t* bound, int32_t bestMax, int64_t bestSquares) {
    return bound[0] > bestMax || (bound[0] >= bestMax && bound[1] > bestSquares);
}

}  // namespace

bool GroupedRankLost(uint32_t rank) {
    return CandidateGroups.Verdict[rank] == MultisetVerdict::Lost;
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

namespace {

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
// With fitsFrom (the last check before the count), the least height every class was found to
// fit at goes there, for the bounds that follow not to try it again; with the pair totals a
// class is tried one below the best's largest class first, which those bounds ask too.
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
        if (fitsFrom != nullptr && plan.Pairs && h == bestMax && fits(h - 1)) {
            fitsFrom[m] = h - 1;
            continue;
        }
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

// The sizes of the M-classes (known from the trial's multiset alone, and kept for it) and the
// totals of P of every class, then the moments of P as far as the tables go: false as soon as
// they show the trial code lost. A multiset whose classes cannot split finely enough loses for
// the rest of the search. M and the total of P of every group are left in GroupM and GroupTotal,
// and the bound of every class in plan.Bounds.
bool PlanClasses(const TrialPattern& pattern, uint32_t rank, ClassPlan& plan, int32_t bestMax,
                 int64_t bestSquares) {
    CandidateGroupsRecord& g = CandidateGroups;
    const int length = pattern.Length;
    plan.Length = length;
    if (bestMax != BestSeen.Max || bestSquares != BestSeen.Squares) {
        BestSeen.Max = bestMax;
        BestSeen.Squares = bestSquares;
        ++BestSeen.Epoch;
    }
    ClassTotals totals;
    if (g.Verdict[rank] != MultisetVerdict::Measured) {
        MeasureMultiset(pattern, rank, plan);
        totals.Summed = true;
    } else {
        const int32_t* sizes = g.ClassSizes + static_cast<size_t>(rank) * (MaxCodeLength + 1);
        for (int m = 0; m <= length; ++m) plan.Size[m] = sizes[m];
    }
    if (SizeBoundLoses(g.SizeBound + 2 * static_cast<size_t>(rank), bestMax, bestSquares)) {
        g.Verdict[rank] = MultisetVerdict::Lost;
        return false;
    }
    if (!totals.Summed) {
        totals.Table = PlaceTotalsOf(pattern, rank);
        if (totals.Table != nullptr) {
            PlaceEntries(pattern, totals);
            if (WholeMultisetLoses(pattern, rank, plan, totals.Table, bestMax, bestSquares)) {
                g.Verdict[rank] = MultisetVerdict::Lost;
                return false;
            }
        } else {
            SumClasses(pattern, ClassSumKind::Totals, plan.Size, plan.Total);
            totals.Summed = true;
        }
    }
    // The mean P of every class is known too; it may force a class further apart.
    int64_t fitsFrom[MaxCodeLength + 1];
    for (int m = 0; m <= length; ++m) fitsFrom[m] = INT64_MAX;
    const bool pairsFollow = g.PairCounts != nullptr;
    if (MomentsLose(plan, totals, rank, bestMax, bestSquares, pairsFollow ? nullptr : fitsFrom))
        return false;
    if (!totals.Summed) {
        for (int m = 1; m <= length; ++m) plan.Total[m] = TotalOf(plan, totals, m);
        SumClasses(pattern, ClassSumKind::None, plan.Size, plan.Total);
        totals.Summed = true;
    }
    // And so is the spread of P, from the pairs of places that hold the trial's signs.
    if (g.PairCounts != nullptr) {
        ++g.Passes;
        PairTotals(pattern, plan);
        plan.Pairs = true;
        if (MomentsLose(plan, totals, rank, bestMax, bestSquares, fitsFrom)) return false;
        // And the third moment, where the triples are kept: the classes that could pass the
        // highest class the best allows, from the largest down.
        if (g.LargestTriple > 0 && bestMax != INT32_MAX &&
            plan.Size[g.ClassOrder[static_cast<size_t>(rank) * (MaxCodeLength + 1)]] >
                kLeastCubicClass) {
            TripleTotals(pattern, plan);
            plan.Triples = true;
            const int64_t h = HighestClass(rank, bestMax, bestSquares);
            const uint8_t* order = g.ClassOrder + static_cast<size_t>(rank) * (MaxCodeLength + 1);
            for (int c = 0; c <= length; ++c) {
                const int m = order[c];
                if (plan.Size[m] <= std::max<int64_t>(h, kLeastCubicClass)) break;
                if (m > 0 && !CubicFits(plan, m, h)) return false;
            }
        }
    }
    plan.Moments = true;
    return !BoundsLose(plan, bestMax, bestSquares, fitsFrom);
}

}  // namespace

namespace {

// The plan of the trial code between PlanGroupedCount and CountPlannedGrouped.
ClassPlan Planned;

}  // namespace

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

void KeepGroupedCandidates(const TrialPattern& pattern, int m, int p) {
    CandidateGroupsRecord& g = CandidateGroups;
    if (!g.Ready) return;
    const int length = pattern.Length;
    GroupMs(pattern);
    const size_t room = static_cast<size_t>(g.GroupRoom);
    int32_t kept = 0;
    int32_t groups = 0;
    int64_t next = GlanceItems;
    for (int32_t group = 0; group < g.Count; ++group) {
        const int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        (void)GlanceAfter(from, next);
        if (g.GroupM[group] != m) continue;
        const int32_t first = kept;
        for (int32_t i = from; i < to; ++i) {
            int hits = 0;
            for (int k = 0; k < length; ++k) hits += g.Positions[k][i] == pattern.Position[k];
            if (hits != p) continue;
            for (int k = 0; k < length; ++k) g.Positions[k][kept] = g.Positions[k][i];
            ++kept;
        }
        if (kept == first) continue;
        g.Start[groups] = first;
        for (int sign = 0; sign < g.Signs; ++sign)
            g.SignCounts[sign * room + static_cast<size_t>(groups)] =
                g.SignCounts[sign * room + static_cast<size_t>(group)];
        ++groups;
    }
    g.Start[groups] = kept;
    g.Count = groups;
    g.Candidates = kept;
    CloseUpGroupRoom();
    // The groups must hold exactly the chain's candidates; should they not, they are dropped
    // and the search goes on without them (as after Esc, when the match breaks off anyway).
    if (!PackPositions() || !CountPlaces() || kept != CandidateStore.CandidateCount)
        ReleaseCandidateGroups();
}

void ReleaseCandidateGroups() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (g.Block != nullptr) StoreFree(g.Block, g.BlockBytes);
    StoreFree(g.Totals, g.TotalsRoom * sizeof(int32_t));
    StoreFree(g.TripleCounts, g.TripleBytes);
    g = CandidateGroupsRecord{};
}
