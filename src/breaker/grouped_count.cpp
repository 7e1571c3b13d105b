// The grouped count: P of every candidate, class by class, over the groups; the count loops.
#include "breaker/grouped_count.h"

#include <algorithm>

#include "breaker/candidate_groups.h"
#include "breaker/lanes.h"

namespace {

// The grouped candidates' position arrays that the count reads: one per place, or one per two
// places when they are packed.
template <int Length, bool Packed>
constexpr int ColumnsOf() {
    return Packed ? (Length + 1) / 2 : Length;
}

// The trial's signs spread over the lanes, column by column. Packed, a sign the halves cannot
// hold (or that cannot score) becomes 15, which no candidate holds.
template <int Length, bool Packed>
inline __attribute__((always_inline)) void SpreadPlaces(const TrialPattern& pattern,
                                                        Lanes* position) {
    if constexpr (Packed) {
        auto half = [&](int k) -> uint8_t {
            if (k >= Length) return 0;
            const uint8_t sign = pattern.Position[k];
            return sign <= 14 ? sign : 15;
        };
        for (int c = 0; c < ColumnsOf<Length, Packed>(); ++c)
            position[c] = LanesOf(static_cast<uint8_t>(half(2 * c) | half(2 * c + 1) << 4));
    } else {
        for (int k = 0; k < Length; ++k) position[k] = LanesOf(pattern.Position[k]);
    }
}

// P of the LaneCount grouped candidates from `at` on.
template <int Length, bool Packed>
inline __attribute__((always_inline)) Lanes PlacesHit(const Lanes* position, int32_t at) {
    const CandidateGroupsRecord& g = CandidateGroups;
    Lanes p{};
    if constexpr (Packed) {
        const Lanes lowHalf = LanesOf(0x0F);
        const Lanes highHalf = LanesOf(0xF0);
        constexpr int Columns = ColumnsOf<Length, Packed>();
#pragma GCC unroll 5
        for (int c = 0; c < Columns; ++c) {
            const Lanes x = LoadLanes(g.Packed[c] + at) ^ position[c];
            p = AddWhere(p, (x & lowHalf) == Lanes{});
            if (2 * c + 1 < Length) p = AddWhere(p, (x & highHalf) == Lanes{});
        }
    } else {
#pragma GCC unroll 9
        for (int k = 0; k < Length; ++k)
            p = AddWhere(p, LoadLanes(g.Positions[k] + at) == position[k]);
    }
    return p;
}

// Counts P for the candidates of one M-class, group after group, and gives up as soon as the
// bounds show the trial code strictly worse than the best. False then.
// Top is at least m, the largest P the class can hold; P = 0 is what the other counts leave.
// With Packed the candidates are read two places to a byte.
template <int Length, int Top, bool Packed>
inline __attribute__((always_inline)) bool CountClass(const TrialPattern& pattern, int m,
                                                      ClassPlan& plan, int32_t bestMax,
                                                      int64_t bestSquares, int64_t& pairs) {
    const CandidateGroupsRecord& g = CandidateGroups;
    constexpr int Columns = ColumnsOf<Length, Packed>();
    Lanes position[Columns];
    SpreadPlaces<Length, Packed>(pattern, position);
    Lanes iota;
    for (int i = 0; i < LaneCount; ++i) iota[i] = static_cast<uint8_t>(i);
    Lanes value[Top + 1];
    for (int v = 1; v <= Top; ++v) value[v] = LanesOf(static_cast<uint8_t>(v));
    Lanes count[Top + 1];
    for (int v = 1; v <= Top; ++v) count[v] = Lanes{};
    int rounds = 0;          // vectors counted since the lanes were emptied (at most 255)
    int64_t sinceEmpty = 0;  // candidates counted since then
    int64_t sinceLook = 0;   // candidates counted since the bounds were looked at
    int64_t nextLook = 256;  // the bounds cannot be passed before this many more
    auto empty = [&] {
        int64_t placed = 0;
        for (int v = 1; v <= Top; ++v) {
            const int64_t c = LaneSum(count[v]);
            plan.Counts[m][v] += c;
            placed += c;
            count[v] = Lanes{};
        }
        plan.Counts[m][0] += sinceEmpty - placed;
        sinceEmpty = 0;
        rounds = 0;
    };
    auto look = [&] {
        empty();
        plan.Bounds[m] = ClassBound(plan, m, bestMax);
        sinceLook = 0;
        int64_t boundMax = 0;
        if (Loses(plan, bestSquares, boundMax)) return true;
        // The largest class grows by one candidate at most: it cannot pass the best's sooner.
        nextLook = std::max<int64_t>(256, int64_t(bestMax) - boundMax);
        return false;
    };
    for (int32_t o = 0; o < plan.ClassGroups; ++o) {
        const int32_t group = g.Order[o];
        int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        while (from < to) {
            const int32_t n = std::min<int32_t>(to - from, 256);
            // The memory of the next stretch is asked for while this one is counted: within the
            // group, or the start of the class's next group.
            int32_t ahead = from + n;
            if (ahead >= to && o + 1 < plan.ClassGroups) ahead = g.Start[g.Order[o + 1]];
            for (int c = 0; c < Columns; ++c)
                for (int b = 0; b < 256; b += 64)
                    __builtin_prefetch((Packed ? g.Packed[c] : g.Positions[c]) + ahead + b);
            for (int32_t i = 0; i < n; i += LaneCount) {
                Lanes p = PlacesHit<Length, Packed>(position, from + i);
                if (n - i < LaneCount)
                    p |= reinterpret_cast<Lanes>(iota >= LanesOf(static_cast<uint8_t>(n - i)));
#pragma GCC unroll 9
                for (int v = 1; v <= Top; ++v) count[v] = AddWhere(count[v], p == value[v]);
                ++rounds;
            }
            from += n;
            sinceEmpty += n;
            plan.Done[m] += n;
            pairs += n;
            sinceLook += n;
            if (sinceLook >= nextLook) {
                if (look()) return false;
            } else if (rounds >= 240) {
                empty();
            }
        }
    }
    empty();
    plan.Bounds[m] = ClassBound(plan, m, bestMax);
    int64_t boundMax = 0;
    return !Loses(plan, bestSquares, boundMax);
}

// The count of a class of the given length, its P values counted up to the first of 3, 6 and L
// that is at least m: three copies of the count per length rather than one per class, at the
// cost of a few values that stay at zero.
template <int Length, bool Packed>
inline __attribute__((always_inline)) bool CountClassTop(const TrialPattern& pattern, int m,
                                                         ClassPlan& plan, int32_t bestMax,
                                                         int64_t bestSquares, int64_t& pairs) {
    if constexpr (Length > 3) {
        if (m <= 3)
            return CountClass<Length, 3, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
    }
    if constexpr (Length > 6) {
        if (m <= 6)
            return CountClass<Length, 6, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
    }
    return CountClass<Length, Length, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
}

// Each length's count, packed or not, is a procedure of its own, called once per counted class:
// apart, they measure faster than inlined into the search.
#define ZK_COUNT_CLASS_OF(Length, Packed, Name)                                                 \
    __attribute__((noinline)) bool Name(const TrialPattern& pattern, int m, ClassPlan& plan,    \
                                        int32_t bestMax, int64_t bestSquares, int64_t& pairs) { \
        return CountClassTop<Length, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);    \
    }
ZK_COUNT_CLASS_OF(2, false, CountClass2)
ZK_COUNT_CLASS_OF(3, false, CountClass3)
ZK_COUNT_CLASS_OF(4, false, CountClass4)
ZK_COUNT_CLASS_OF(5, false, CountClass5)
ZK_COUNT_CLASS_OF(6, false, CountClass6)
ZK_COUNT_CLASS_OF(7, false, CountClass7)
ZK_COUNT_CLASS_OF(8, false, CountClass8)
ZK_COUNT_CLASS_OF(9, false, CountClass9)
ZK_COUNT_CLASS_OF(2, true, CountPackedClass2)
ZK_COUNT_CLASS_OF(3, true, CountPackedClass3)
ZK_COUNT_CLASS_OF(4, true, CountPackedClass4)
ZK_COUNT_CLASS_OF(5, true, CountPackedClass5)
ZK_COUNT_CLASS_OF(6, true, CountPackedClass6)
ZK_COUNT_CLASS_OF(7, true, CountPackedClass7)
ZK_COUNT_CLASS_OF(8, true, CountPackedClass8)
ZK_COUNT_CLASS_OF(9, true, CountPackedClass9)
#undef ZK_COUNT_CLASS_OF

bool CountClassOf(int length, const TrialPattern& pattern, int m, ClassPlan& plan, int32_t bestMax,
                  int64_t bestSquares, int64_t& pairs) {
    typedef bool (*Count)(const TrialPattern&, int, ClassPlan&, int32_t, int64_t, int64_t&);
    static const Count plain[] = {CountClass2, CountClass3, CountClass4, CountClass5,
                                  CountClass6, CountClass7, CountClass8, CountClass9};
    static const Count packed[] = {CountPackedClass2, CountPackedClass3, CountPackedClass4,
                                   CountPackedClass5, CountPackedClass6, CountPackedClass7,
                                   CountPackedClass8, CountPackedClass9};
    const int at = std::min(std::max(length, 2), 9) - 2;
    const Count count = CandidateGroups.PackedColumns > 0 ? packed[at] : plain[at];
    return count(pattern, m, plan, bestMax, bestSquares, pairs);
}

// The groups of class m into Order, those whose candidates hold the most signs in place first
// (sorted by 256ths of the class's largest P): what they take of the class's total of P leaves
// the others less to spread, so the bound rises quickly where the class must end up lopsided.
// Done class by class as the count reaches it: most trial codes are given up in their first.
void OrderClassGroups(ClassPlan& plan, int m) {
    CandidateGroupsRecord& g = CandidateGroups;
    constexpr int kLevels = 256;
    int32_t start[kLevels] = {};
    const int32_t count = g.Count;
    const uint8_t* __restrict groupM = g.GroupM;
    const uint16_t* __restrict total = g.GroupTotal;
    const float* __restrict scale = g.GroupScale;
    uint8_t* __restrict groupLevel = g.Level;
    // The mean P over M in 256ths; rounding only moves a group among its neighbours.
    const float classM = static_cast<float>(m);
    for (int32_t i = 0; i < count; ++i) {
        const float level = static_cast<float>(total[i]) * scale[i] / classM;
        groupLevel[i] =
            static_cast<uint8_t>(kLevels - 1 - (level < kLevels - 1 ? int(level) : kLevels - 1));
    }
    // The class's groups and their levels to the front, without a branch on a group's class.
    int32_t* __restrict member = g.Members;
    int32_t members = 0;
    for (int32_t i = 0; i < count; ++i) {
        member[members] = i;
        groupLevel[members] = groupLevel[i];
        members += groupM[i] == m;
    }
    // Four counts per level, so that groups of one level in a row do not wait on each other.
    int32_t counts[4][kLevels] = {};
    for (int32_t j = 0; j < members; ++j) ++counts[j & 3][groupLevel[j]];
    int32_t next = 0;
    for (int l = 0; l < kLevels; ++l) {
        start[l] = next;
        next += counts[0][l] + counts[1][l] + counts[2][l] + counts[3][l];
    }
    plan.ClassGroups = next;
    int32_t* __restrict order = g.Order;
    for (int32_t j = 0; j < members; ++j) order[start[groupLevel[j]]++] = member[j];
}

}  // namespace

bool CountClasses(const TrialPattern& pattern, ClassPlan& plan, int32_t bestMax,
                  int64_t bestSquares) {
    ++CandidateGroups.Passes;
    const int length = plan.Length;
    int classes[MaxCodeLength + 1];
    int n = 0;
    for (int m = 0; m <= length; ++m) {
        if (plan.Size[m] == 0) continue;
        if (m == 0) {
            // No common sign, no sign in place.
            plan.Counts[0][0] = plan.Size[0];
            plan.Done[0] = plan.Size[0];
            continue;
        }
        classes[n++] = m;
    }
    std::stable_sort(classes, classes + n,
                     [&](int a, int b) { return plan.Size[a] > plan.Size[b]; });
    int64_t pairs = 0;
    bool lost = false;
    for (int c = 0; c < n && !lost; ++c) {
        OrderClassGroups(plan, classes[c]);
        lost = !CountClassOf(length, pattern, classes[c], plan, bestMax, bestSquares, pairs);
    }
    PairsClassified += pairs;
    return !lost;
}
