// The grouped count: P of every candidate, class by class, over the groups; the count loops.
#include "breaker/grouped_count.h"

#include <algorithm>

#include "breaker/candidate_groups.h"
#include "breaker/lanes.h"

namespace {

// Groups of fewer candidates than this are counted from the packed positions even where there
// are sign planes: a chunk of the planes costs about as much as this many candidates two places
// a byte.
constexpr int32_t kLeastPlaneGroup = PlaneSpan;

// The grouped candidates' arrays that the byte count reads: one per place, or one per two
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

// The same for the packed copy by the groups' own signs, where a sign is its place among the
// signs of the group (mask: bit s for sign s): per place the trial's sign there as the group
// numbers it, 15 (held by no candidate) for a sign the group does not hold; `sign` is the
// trial's, 0 where it cannot score.
template <int Length>
inline __attribute__((always_inline)) void SpreadGroupPlaces(const uint8_t* sign, uint64_t mask,
                                                             Lanes* position) {
    auto place = [&](int k) -> uint8_t {
        if (k >= Length) return 0;
        const uint64_t below = (uint64_t(1) << sign[k]) - 1;
        return (mask >> sign[k] & 1) != 0 ? static_cast<uint8_t>(__builtin_popcountll(mask & below))
                                          : 15;
    };
    for (int c = 0; c < ColumnsOf<Length, true>(); ++c)
        position[c] = LanesOf(static_cast<uint8_t>(place(2 * c) | place(2 * c + 1) << 4));
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

// The cubics of a class are tried at a look once the class has counted another this many-th of
// its candidates (at least 256) since they were last tried: what the counts so far add to the
// third moment changes slowly, and the cubics cost more than the other bounds of a look.
constexpr int64_t kCubicsPerClass = 16;

// What a class's count has found so far, and when its bounds are looked at: the counts of
// the values of P pile up in lanes and are emptied into the plan at every look.
struct Tally {
    ClassPlan& Plan;
    const int M;
    const int32_t BestMax;
    const int64_t BestSquares;
    int64_t SinceEmpty = 0;  // candidates counted since the lanes were emptied
    int64_t SinceLook = 0;   // candidates counted since the bounds were looked at
    int64_t NextLook = 256;  // the bounds cannot be passed before this many more
    int64_t NextCubic = 0;   // the count of the class at which the cubics are next tried
    // Candidates counted: true when it is time to look at the bounds.
    bool Counted(int64_t n, int64_t& pairs) {
        SinceEmpty += n;
        Plan.Done[M] += n;
        pairs += n;
        SinceLook += n;
        return SinceLook >= NextLook;
    }
    // The lanes' counts of P = 1.. are in `placed` (their sum): what is left had P = 0.
    void Emptied(int64_t placed) {
        Plan.Counts[M][0] += SinceEmpty - placed;
        SinceEmpty = 0;
    }
    // After emptying: whether the trial code has lost by the counts so far.
    bool Loses() {
        const bool cubics = Plan.Done[M] >= NextCubic;
        if (cubics)
            NextCubic = Plan.Done[M] + std::max<int64_t>(256, Plan.Size[M] / kCubicsPerClass);
        Plan.Bounds[M] = ClassBound(Plan, M, BestMax, INT64_MAX, cubics);
        SinceLook = 0;
        int64_t boundMax = 0;
        if (::Loses(Plan, BestSquares, boundMax)) return true;
        // The largest class grows by one candidate at most: it cannot pass the best's sooner.
        NextLook = std::max<int64_t>(256, int64_t(BestMax) - boundMax);
        return false;
    }
    // At the class's end: whether the trial code lost.
    bool LosesAtEnd() {
        Plan.Bounds[M] = ClassBound(Plan, M, BestMax, INT64_MAX, false);
        int64_t boundMax = 0;
        return ::Loses(Plan, BestSquares, boundMax);
    }
};

// The count of P from the position arrays, a byte a candidate and place: the trial's signs
// spread over the lanes, and per value of P a count in byte lanes, emptied before they can
// overflow. Top is at least m, the largest P the class can hold; P = 0 is left to the caller.
template <int Length, int Top, bool Packed>
struct ByteCount {
    Lanes Position[ColumnsOf<Length, Packed>()];
    uint8_t Sign[Length];  // packed: the trial's signs, 0 where one cannot score
    Lanes Iota;
    Lanes Value[Top + 1];
    Lanes Count[Top + 1];
    int Rounds = 0;  // vectors counted since the lanes were emptied (at most 255)

    explicit ByteCount(const TrialPattern& pattern) {
        SpreadPlaces<Length, Packed>(pattern, Position);
        if constexpr (Packed) {
            const int signs = CandidateGroups.Signs;
            for (int k = 0; k < Length; ++k) {
                const uint8_t sign = pattern.Position[k];
                Sign[k] = sign >= 1 && sign <= signs ? sign : 0;
            }
        }
        for (int i = 0; i < LaneCount; ++i) Iota[i] = static_cast<uint8_t>(i);
        for (int v = 1; v <= Top; ++v) Value[v] = LanesOf(static_cast<uint8_t>(v));
        for (int v = 1; v <= Top; ++v) Count[v] = Lanes{};
    }
    // The group's candidates come next: packed by the groups' own signs, the trial's signs as
    // the group numbers them.
    inline __attribute__((always_inline)) void EnterGroup(int32_t group) {
        if constexpr (Packed)
            if (CandidateGroups.PackedByGroup)
                SpreadGroupPlaces<Length>(Sign, CandidateGroups.SignMask[group], Position);
    }
    // Counts the n (at most 256) candidates from `from` on.
    inline __attribute__((always_inline)) void Stretch(int32_t from, int32_t n) {
        for (int32_t i = 0; i < n; i += LaneCount) {
            Lanes p = PlacesHit<Length, Packed>(Position, from + i);
            if (n - i < LaneCount)
                p |= reinterpret_cast<Lanes>(Iota >= LanesOf(static_cast<uint8_t>(n - i)));
#pragma GCC unroll 9
            for (int v = 1; v <= Top; ++v) Count[v] = AddWhere(Count[v], p == Value[v]);
            ++Rounds;
        }
    }
    bool Full() const {
        return Rounds >= 240;
    }
    // Adds the counts into the class's row; returns how many candidates they placed.
    int64_t Empty(int64_t* row) {
        int64_t placed = 0;
        for (int v = 1; v <= Top; ++v) {
            const int64_t c = LaneSum(Count[v]);
            row[v] += c;
            placed += c;
            Count[v] = Lanes{};
        }
        Rounds = 0;
        return placed;
    }
};

// Asks for the memory of the stretch [ahead, end) (at most 256 candidates) in the arrays the
// byte count reads.
template <int Length, bool Packed>
inline __attribute__((always_inline)) void PrefetchStretch(int32_t ahead, int32_t end) {
    const CandidateGroupsRecord& g = CandidateGroups;
    end = std::min(end, ahead + 256);
    for (int c = 0; c < ColumnsOf<Length, Packed>(); ++c) {
        const uint8_t* column = Packed ? g.Packed[c] : g.Positions[c];
        for (int32_t b = ahead & ~63; b < end; b += 64) __builtin_prefetch(column + b);
    }
}

// The stretch the count reads after [from, from + n) of group o of the class's order: the rest
// of the group, or the start of the class's next group.
inline void NextStretch(const ClassPlan& plan, int32_t o, int32_t from, int32_t n, int32_t to,
                        int32_t& ahead, int32_t& end) {
    const CandidateGroupsRecord& g = CandidateGroups;
    ahead = from + n;
    end = to;
    if (ahead >= to) {
        if (o + 1 >= plan.ClassGroups) {
            end = ahead;
            return;
        }
        ahead = g.Start[g.Order[o + 1]];
        end = g.Start[g.Order[o + 1] + 1];
    }
}

// Counts P for the candidates of one M-class, group after group, from the position arrays (with
// Packed two places a byte), and gives up as soon as the bounds show the trial code strictly
// worse than the best. False then.
template <int Length, int Top, bool Packed>
inline __attribute__((always_inline)) bool CountClass(const TrialPattern& pattern, int m,
                                                      ClassPlan& plan, int32_t bestMax,
                                                      int64_t bestSquares, int64_t& pairs) {
    const CandidateGroupsRecord& g = CandidateGroups;
    ByteCount<Length, Top, Packed> bytes(pattern);
    Tally tally{plan, m, bestMax, bestSquares};
    for (int32_t o = 0; o < plan.ClassGroups; ++o) {
        const int32_t group = g.Order[o];
        int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        bytes.EnterGroup(group);
        while (from < to) {
            const int32_t n = std::min<int32_t>(to - from, 256);
            // The memory of the next stretch is asked for while this one is counted.
            int32_t ahead = 0;
            int32_t end = 0;
            NextStretch(plan, o, from, n, to, ahead, end);
            PrefetchStretch<Length, Packed>(ahead, end);
            bytes.Stretch(from, n);
            from += n;
            if (tally.Counted(n, pairs)) {
                tally.Emptied(bytes.Empty(plan.Counts[m]));
                if (tally.Loses()) return false;
            } else if (bytes.Full()) {
                tally.Emptied(bytes.Empty(plan.Counts[m]));
            }
        }
    }
    tally.Emptied(bytes.Empty(plan.Counts[m]));
    return !tally.LosesAtEnd();
}

// One full adder of bit planes: the sum's bit and its carry.
inline __attribute__((always_inline)) void AddBits(BitLanes a, BitLanes b, BitLanes c,
                                                   BitLanes& sum, BitLanes& carry) {
    const BitLanes ab = a ^ b;
    sum = ab ^ c;
    carry = (a & b) | (c & ab);
}

// P of the PlaneSpan candidates of a chunk, as four bit planes (P <= 9): per place the
// candidates whose sign there is the trial's (every bit of it agrees), then those hits added up
// in a tree of full adders.
template <int Length, int Bits>
inline __attribute__((always_inline)) void PlaneHits(const uint64_t* chunk, const BitLanes* want,
                                                     BitLanes* p) {
    BitLanes hit[9];
#pragma GCC unroll 9
    for (int k = 0; k < 9; ++k) {
        if (k >= Length) {
            hit[k] = BitLanes{};
            continue;
        }
        BitLanes differ{};
#pragma GCC unroll 4
        for (int j = 0; j < Bits; ++j)
            differ |= LoadBitLanes(chunk + (k * Bits + j) * BitLaneWords) ^ want[k * Bits + j];
        hit[k] = ~differ;
    }
    BitLanes s1, c1, s2, c2, s3, c3, c4, s5, c5;
    AddBits(hit[0], hit[1], hit[2], s1, c1);
    AddBits(hit[3], hit[4], hit[5], s2, c2);
    AddBits(hit[6], hit[7], hit[8], s3, c3);
    AddBits(s1, s2, s3, p[0], c4);
    AddBits(c1, c2, c3, s5, c5);
    p[1] = s5 ^ c4;
    const BitLanes c6 = s5 & c4;
    p[2] = c5 ^ c6;
    p[3] = c5 & c6;
}

// The candidates of the chunk from `first` on that lie in [from, to).
inline __attribute__((always_inline)) BitLanes EdgeBits(int32_t first, int32_t from, int32_t to) {
    typedef int64_t Places __attribute__((vector_size(LaneCount)));
    Places base;
    for (int i = 0; i < BitLaneWords; ++i) base[i] = int64_t(first) + 64 * i;
    const Places none{};
    const Places all = none + 64;
    auto clamp = [&](Places bits) {
        bits = bits < none ? none : bits;
        return bits > all ? all : bits;
    };
    // The bits below a count of 0..64.
    auto below = [&](Places bits) {
        const BitLanes shifted = (BitLanes{} + 1) << reinterpret_cast<BitLanes>(bits & 63);
        return bits == all ? ~BitLanes{} : shifted - 1;
    };
    return below(clamp(to - base)) & ~below(clamp(from - base));
}

// The same count from the sign planes, a chunk at a time: the trial's sign at every place is
// spread over its bits (a sign that cannot score becomes 0, which no candidate holds), and the
// candidates of each value of P are counted word by word.
template <int Length, int Bits, int Top>
inline __attribute__((always_inline)) bool CountPlaneClass(const TrialPattern& pattern, int m,
                                                           ClassPlan& plan, int32_t bestMax,
                                                           int64_t bestSquares, int64_t& pairs) {
    const CandidateGroupsRecord& g = CandidateGroups;
    constexpr int kPlanes = Length * Bits;
    BitLanes want[kPlanes];
    for (int k = 0; k < Length; ++k) {
        const uint8_t sign = pattern.Position[k];
        const int value = sign < (1 << Bits) ? sign : 0;
        for (int j = 0; j < Bits; ++j)
            want[k * Bits + j] = (value >> j & 1) != 0 ? ~BitLanes{} : BitLanes{};
    }
    BitLanes count[Top + 1];
    for (int v = 1; v <= Top; ++v) count[v] = BitLanes{};
    // Groups too small to fill a good part of a chunk are counted two places a byte.
    ByteCount<Length, Top, false> bytes(pattern);
    Tally tally{plan, m, bestMax, bestSquares};
    auto empty = [&] {
        int64_t placed = bytes.Empty(plan.Counts[m]);
        for (int v = 1; v <= Top; ++v) {
            int64_t c = 0;
            for (int i = 0; i < BitLaneWords; ++i) c += static_cast<int64_t>(count[v][i]);
            plan.Counts[m][v] += c;
            placed += c;
            count[v] = BitLanes{};
        }
        tally.Emptied(placed);
    };
    const uint64_t* planes = g.SignPlanes;
    constexpr size_t kChunkWords = size_t(kPlanes) * BitLaneWords;
    for (int32_t o = 0; o < plan.ClassGroups; ++o) {
        const int32_t group = g.Order[o];
        const int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        if (to - from < kLeastPlaneGroup) {
            if (o + 1 < plan.ClassGroups)
                PrefetchStretch<Length, false>(g.Start[g.Order[o + 1]],
                                               g.Start[g.Order[o + 1] + 1]);
            bytes.Stretch(from, to - from);
            if (tally.Counted(to - from, pairs)) {
                empty();
                if (tally.Loses()) return false;
            } else if (bytes.Full()) {
                tally.Emptied(bytes.Empty(plan.Counts[m]));
            }
            continue;
        }
        // The first lines of the class's next group are asked for while this one is counted.
        if (o + 1 < plan.ClassGroups) {
            const uint64_t* next =
                planes + size_t(g.Start[g.Order[o + 1]] / PlaneSpan) * kChunkWords;
            for (size_t line = 0; line < kChunkWords; line += 8) __builtin_prefetch(next + line);
        }
        for (int32_t first = from / PlaneSpan * PlaneSpan; first < to; first += PlaneSpan) {
            BitLanes p[4];
            PlaneHits<Length, Bits>(planes + size_t(first / PlaneSpan) * kChunkWords, want, p);
            const int32_t low = std::max(from, first);
            const int32_t high = std::min(to, first + PlaneSpan);
            if (low != first || high != first + PlaneSpan) {
                const BitLanes edge = EdgeBits(first, from, to);
                for (BitLanes& bits : p) bits &= edge;
            }
#pragma GCC unroll 9
            for (int v = 1; v <= Top; ++v) {
                const BitLanes is = ((v & 1) ? p[0] : ~p[0]) & ((v & 2) ? p[1] : ~p[1]) &
                                    ((v & 4) ? p[2] : ~p[2]) & ((v & 8) ? p[3] : ~p[3]);
                count[v] += BitCounts(is);
            }
            if (tally.Counted(high - low, pairs)) {
                empty();
                if (tally.Loses()) return false;
            }
        }
    }
    empty();
    return !tally.LosesAtEnd();
}

// The count of a class of the given length, its P values counted up to the first of 3, 6 and L
// that is at least m: three copies of the count per length rather than one per class, at the
// cost of a few values that stay at zero. Bits 0: from the position arrays, 1: from the packed
// ones, 3 or 4: from the sign planes.
template <int Length, int Bits>
inline __attribute__((always_inline)) bool CountClassTop(const TrialPattern& pattern, int m,
                                                         ClassPlan& plan, int32_t bestMax,
                                                         int64_t bestSquares, int64_t& pairs) {
    if constexpr (Bits <= 1) {
        constexpr bool Packed = Bits == 1;
        if constexpr (Length > 3) {
            if (m <= 3)
                return CountClass<Length, 3, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
        }
        if constexpr (Length > 6) {
            if (m <= 6)
                return CountClass<Length, 6, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
        }
        return CountClass<Length, Length, Packed>(pattern, m, plan, bestMax, bestSquares, pairs);
    } else {
        if constexpr (Length > 3) {
            if (m <= 3)
                return CountPlaneClass<Length, Bits, 3>(pattern, m, plan, bestMax, bestSquares,
                                                        pairs);
        }
        if constexpr (Length > 6) {
            if (m <= 6)
                return CountPlaneClass<Length, Bits, 6>(pattern, m, plan, bestMax, bestSquares,
                                                        pairs);
        }
        return CountPlaneClass<Length, Bits, Length>(pattern, m, plan, bestMax, bestSquares, pairs);
    }
}

// Each length's count, from positions or planes, is a procedure of its own, called once per
// counted class: apart, they measure faster than inlined into the search.
#define ZK_COUNT_CLASS_OF(Length, Bits, Name)                                                   \
    __attribute__((noinline)) bool Name(const TrialPattern& pattern, int m, ClassPlan& plan,    \
                                        int32_t bestMax, int64_t bestSquares, int64_t& pairs) { \
        return CountClassTop<Length, Bits>(pattern, m, plan, bestMax, bestSquares, pairs);      \
    }
ZK_COUNT_CLASS_OF(2, 0, CountClass2)
ZK_COUNT_CLASS_OF(3, 0, CountClass3)
ZK_COUNT_CLASS_OF(4, 0, CountClass4)
ZK_COUNT_CLASS_OF(5, 0, CountClass5)
ZK_COUNT_CLASS_OF(6, 0, CountClass6)
ZK_COUNT_CLASS_OF(7, 0, CountClass7)
ZK_COUNT_CLASS_OF(8, 0, CountClass8)
ZK_COUNT_CLASS_OF(9, 0, CountClass9)
ZK_COUNT_CLASS_OF(2, 1, CountPackedClass2)
ZK_COUNT_CLASS_OF(3, 1, CountPackedClass3)
ZK_COUNT_CLASS_OF(4, 1, CountPackedClass4)
ZK_COUNT_CLASS_OF(5, 1, CountPackedClass5)
ZK_COUNT_CLASS_OF(6, 1, CountPackedClass6)
ZK_COUNT_CLASS_OF(7, 1, CountPackedClass7)
ZK_COUNT_CLASS_OF(8, 1, CountPackedClass8)
ZK_COUNT_CLASS_OF(9, 1, CountPackedClass9)
ZK_COUNT_CLASS_OF(2, 3, CountPlaneClass2)
ZK_COUNT_CLASS_OF(3, 3, CountPlaneClass3)
ZK_COUNT_CLASS_OF(4, 3, CountPlaneClass4)
ZK_COUNT_CLASS_OF(5, 3, CountPlaneClass5)
ZK_COUNT_CLASS_OF(6, 3, CountPlaneClass6)
ZK_COUNT_CLASS_OF(7, 3, CountPlaneClass7)
ZK_COUNT_CLASS_OF(8, 3, CountPlaneClass8)
ZK_COUNT_CLASS_OF(9, 3, CountPlaneClass9)
#undef ZK_COUNT_CLASS_OF

bool CountClassOf(int length, const TrialPattern& pattern, int m, ClassPlan& plan, int32_t bestMax,
                  int64_t bestSquares, int64_t& pairs) {
    typedef bool (*Count)(const TrialPattern&, int, ClassPlan&, int32_t, int64_t, int64_t&);
    static const Count plain[] = {CountClass2, CountClass3, CountClass4, CountClass5,
                                  CountClass6, CountClass7, CountClass8, CountClass9};
    static const Count packed[] = {CountPackedClass2, CountPackedClass3, CountPackedClass4,
                                   CountPackedClass5, CountPackedClass6, CountPackedClass7,
                                   CountPackedClass8, CountPackedClass9};
    static const Count planes[] = {CountPlaneClass2, CountPlaneClass3, CountPlaneClass4,
                                   CountPlaneClass5, CountPlaneClass6, CountPlaneClass7,
                                   CountPlaneClass8, CountPlaneClass9};
    const int at = std::min(std::max(length, 2), 9) - 2;
    const int bits = CandidateGroups.PlaneBits;
    const Count count = bits == 3                           ? planes[at]
                        : CandidateGroups.PackedColumns > 0 ? packed[at]
                                                            : plain[at];
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
    // The class's groups to the front, without a branch on a group's class.
    int32_t* __restrict member = g.Members;
    int32_t members = 0;
    for (int32_t i = 0; i < count; ++i) {
        member[members] = i;
        members += groupM[i] == m;
    }
    // The mean P over M in 256ths; rounding only moves a group among its neighbours.
    const float classM = static_cast<float>(m);
    for (int32_t j = 0; j < members; ++j) {
        const int32_t i = member[j];
        const float level = static_cast<float>(total[i]) * scale[i] / classM;
        groupLevel[j] =
            static_cast<uint8_t>(kLevels - 1 - (level < kLevels - 1 ? int(level) : kLevels - 1));
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
