// The sums over the candidate groups per M-class of a trial code: sizes, totals of P, and the
// sums of the pair and triple counts.
#include "breaker/group_class_sums.h"

#include <algorithm>

#include "breaker/lanes.h"
#include "breaker/length_copies.h"

namespace {

// The groups are taken GroupLanes at a time: a byte (HalfLanes) or 16 bits (WordLanes) each.
constexpr int GroupLanes = LaneCount / 2;

inline __attribute__((always_inline)) int64_t WordSum(const WordLanes& words) {
    int64_t sum = 0;
    for (int i = 0; i < GroupLanes; ++i) sum += words[i];
    return sum;
}

// One pass over the groups: M of every group (into GroupM), its total of P (into GroupTotal),
// and per M-class what Kind asks for. 16-bit sums are emptied before they can overflow.
template <int Length, ClassSumKind Kind>
inline __attribute__((always_inline)) void ClassSums(const TrialPattern& pattern, int64_t* size,
                                                     int64_t* total) {
    constexpr bool Sizes = Kind == ClassSumKind::SizesAndTotals;
    constexpr bool Sums = Kind != ClassSumKind::None;
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const uint8_t* column[Length];
    HalfLanes limit[Length];
    const int slots = pattern.Slots;
    for (int j = 0; j < slots; ++j) {
        column[j] = g.SignCounts + static_cast<size_t>(pattern.SlotSign[j] - 1) * room;
        limit[j] = HalfLanes{} + pattern.SlotCount[j];
    }
    const uint16_t* place[Length];
    int places = 0;
    for (int k = 0; k < Length; ++k) {
        const uint8_t sign = pattern.Position[k];
        if (sign == 0xFF || sign < 1 || sign > g.Signs) continue;
        place[places++] = g.PlaceCounts + (static_cast<size_t>(k) * g.Signs + (sign - 1)) * room;
    }
    WordLanes sizeSum[Length + 1];
    WordLanes totalSum[Length + 1];
    for (int v = 0; v <= Length; ++v) sizeSum[v] = totalSum[v] = WordLanes{};
    // A group's total of P is at most L times its size.
    const int64_t most = int64_t(g.LargestGroup) * (places > 0 ? places : 1);
    const int64_t roundsPerEmpty = std::max<int64_t>(1, 65535 / std::max<int64_t>(1, most));
    int64_t rounds = 0;
    auto empty = [&] {
        if (!Sums) return;
#pragma GCC unroll 9
        for (int v = 1; v <= Length; ++v) {
            total[v] += WordSum(totalSum[v]);
            totalSum[v] = WordLanes{};
            if (Sizes) {
                size[v] += WordSum(sizeSum[v]);
                sizeSum[v] = WordLanes{};
            }
        }
        rounds = 0;
    };
    const int32_t count = g.Count;
    uint8_t* __restrict groupM = g.GroupM;
    uint16_t* __restrict groupTotal = g.GroupTotal;
    for (int32_t base = 0; base < count; base += GroupLanes) {
        HalfLanes m{};
        for (int j = 0; j < slots; ++j) {
            const HalfLanes c = *reinterpret_cast<const HalfLanesAnywhere*>(column[j] + base);
            m += c < limit[j] ? c : limit[j];
        }
        *reinterpret_cast<HalfLanesAnywhere*>(groupM + base) = m;
        WordLanes p{};
        for (int i = 0; i < places; ++i)
            p += *reinterpret_cast<const WordLanesAnywhere*>(place[i] + base);
        *reinterpret_cast<WordLanesAnywhere*>(groupTotal + base) = p;
        if (!Sums) continue;
        const WordLanes wide = __builtin_convertvector(m, WordLanes);
        WordLanes groupSize{};
        if (Sizes) groupSize = *reinterpret_cast<const WordLanesAnywhere*>(g.GroupSize + base);
#pragma GCC unroll 9
        for (int v = 1; v <= Length; ++v) {
            const WordLanes mask =
                reinterpret_cast<WordLanes>(wide == WordLanes{} + static_cast<uint16_t>(v));
            totalSum[v] += p & mask;
            if (Sizes) sizeSum[v] += groupSize & mask;
        }
        if (++rounds >= roundsPerEmpty) empty();
    }
    empty();
    if (Sizes) {
        int64_t all = g.Candidates;
        for (int v = 1; v <= Length; ++v) all -= size[v];
        size[0] = all;
    }
}

template <int Length>
inline __attribute__((always_inline)) void ClassSumsOf(const TrialPattern& pattern,
                                                       ClassSumKind kind, int64_t* size,
                                                       int64_t* total) {
    switch (kind) {
        case ClassSumKind::None:
            return ClassSums<Length, ClassSumKind::None>(pattern, size, total);
        case ClassSumKind::Totals:
            return ClassSums<Length, ClassSumKind::Totals>(pattern, size, total);
        default:
            return ClassSums<Length, ClassSumKind::SizesAndTotals>(pattern, size, total);
    }
}

// The same pass where a group's total of P may pass 16 bits: 32 bits per group, LaneCount / 4
// groups at a time. GroupTotal keeps at most 65,535: beyond it only the group's place among its
// class's groups would change.
void WideClassSums(const TrialPattern& pattern, ClassSumKind kind, int64_t* size, int64_t* total) {
    CandidateGroupsRecord& g = CandidateGroups;
    GroupMs(pattern);
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const int length = pattern.Length;
    const uint16_t* place[MaxCodeLength];
    int places = 0;
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = pattern.Position[k];
        if (sign == 0xFF || sign < 1 || sign > g.Signs) continue;
        place[places++] = g.PlaceCounts + (static_cast<size_t>(k) * g.Signs + (sign - 1)) * room;
    }
    typedef uint16_t QuarterWords __attribute__((vector_size(LaneCount / 2)));
    typedef int32_t SignedDwords __attribute__((vector_size(LaneCount)));
    typedef uint32_t DwordsAnywhere __attribute__((vector_size(LaneCount), aligned(4), may_alias));
    constexpr int kStep = LaneCount / 4;
    SignedDwords lane;
    for (int i = 0; i < kStep; ++i) lane[i] = i;
    DwordLanes totalSum[MaxCodeLength + 1];
    DwordLanes sizeSum[MaxCodeLength + 1];
    for (int v = 0; v <= length; ++v) totalSum[v] = sizeSum[v] = DwordLanes{};
    const int32_t count = g.Count;
    for (int32_t base = 0; base < count; base += kStep) {
        DwordLanes p{};
        for (int i = 0; i < places; ++i)
            p += __builtin_convertvector(
                *reinterpret_cast<const QuarterWordsAnywhere*>(place[i] + base), DwordLanes);
        const DwordLanes most = DwordLanes{} + 65535u;
        *reinterpret_cast<QuarterWordsAnywhere*>(g.GroupTotal + base) =
            __builtin_convertvector(p < most ? p : most, QuarterWords);
        if (kind == ClassSumKind::None) continue;
        // Behind the last group M is left from before: those lanes count for nothing.
        const DwordLanes live = reinterpret_cast<DwordLanes>(lane + base < count);
        const DwordLanes m =
            __builtin_convertvector(*reinterpret_cast<const QuarterBytesAnywhere*>(g.GroupM + base),
                                    DwordLanes) &
            live;
        DwordLanes groupSize{};
        if (kind == ClassSumKind::SizesAndTotals)
            groupSize = (*reinterpret_cast<const DwordsAnywhere*>(g.Start + base + 1) -
                         *reinterpret_cast<const DwordsAnywhere*>(g.Start + base)) &
                        live;
        for (int v = 1; v <= length; ++v) {
            const DwordLanes mask = reinterpret_cast<DwordLanes>(m == DwordLanes{} + uint32_t(v));
            totalSum[v] += p & mask;
            sizeSum[v] += groupSize & mask;
        }
    }
    if (kind == ClassSumKind::None) return;
    int64_t all = g.Candidates;
    for (int v = 1; v <= length; ++v) {
        for (int i = 0; i < kStep; ++i) {
            total[v] += totalSum[v][i];
            size[v] += sizeSum[v][i];
            all -= sizeSum[v][i];
        }
    }
    if (kind == ClassSumKind::SizesAndTotals) size[0] = all;
}

// The counts of LaneCount / 2 groups from a row, in 16 bits.
inline WordLanes RowWords(const uint16_t* at) {
    return *reinterpret_cast<const WordLanesAnywhere*>(at);
}
inline WordLanes RowWords(const uint8_t* at) {
    return __builtin_convertvector(*reinterpret_cast<const HalfLanesAnywhere*>(at), WordLanes);
}

// Per M-class of the plan the sum over its groups of the given rows (each a count per group), by
// the groups' M (in GroupM), added into out; no entry of the rows passes `largest`. A group's
// sum of `chunk` rows fits in 16 bits: the rows are summed chunk by chunk, LaneCount / 2 groups
// at a time, and the chunks in 32 bits (the even groups in the low half of each word pair, the
// odd ones in the high half), then spread over the classes. A single row always fits: its
// counts are kept in 16 bits or in bytes. A class's sum stays below 2^32: at most 36 pairs of
// places for each of fewer than 2^26 candidates (the capacity limits keep every store below 44
// million codes), and the triples are kept only while they stay below 2^31.
template <typename Entry>
void RowTotals(const Entry* const* row, int rows, int largest, const ClassPlan& plan, int least,
               int64_t leastSize, int64_t* out) {
    const CandidateGroupsRecord& g = CandidateGroups;
    // Only the classes of at least leastSize candidates (and at least one) that can hold a P of
    // `least` or more get a sum.
    int classes[MaxCodeLength + 1];
    int n = 0;
    for (int v = least; v <= plan.Length; ++v)
        if (plan.Size[v] > 0 && plan.Size[v] >= leastSize) classes[n++] = v;
    if (rows == 0 || n == 0) return;
    const int chunk = std::max(1, 65535 / std::max(1, largest));
    constexpr int kStep = LaneCount / 2;
    DwordLanes sum[MaxCodeLength + 1];
    for (int c = 0; c < n; ++c) sum[c] = DwordLanes{};
    const int32_t count = g.Count;
    // The rows are read from memory far away (the triples' table is megabytes): the first lines
    // of every row are asked for at once, the rest a few lines ahead, each line once.
    constexpr int kLine = 64 / sizeof(Entry);  // entries a line
    constexpr int kAhead = 4 * kLine;
    for (int r = 0; r < rows; ++r)
        for (int a = 0; a < kAhead && a < count; a += kLine) __builtin_prefetch(row[r] + a);
    for (int32_t base = 0; base < count; base += kStep) {
        DwordLanes even{};
        DwordLanes odd{};
        // The lines some steps ahead are asked for as a step begins a line.
        if (base % kLine == 0 && base + kAhead < count)
            for (int r = 0; r < rows; ++r) __builtin_prefetch(row[r] + base + kAhead);
        for (int first = 0; first < rows; first += chunk) {
            const int last = std::min(rows, first + chunk);
            WordLanes pairs{};
            for (int r = first; r < last; ++r) pairs += RowWords(row[r] + base);
            even += reinterpret_cast<DwordLanes>(pairs) & 0xFFFF;
            odd += reinterpret_cast<DwordLanes>(pairs) >> 16;
        }
        const DwordLanes m = reinterpret_cast<DwordLanes>(__builtin_convertvector(
            *reinterpret_cast<const HalfLanesAnywhere*>(g.GroupM + base), WordLanes));
        const DwordLanes evenM = m & 0xFFFF;
        const DwordLanes oddM = m >> 16;
        for (int c = 0; c < n; ++c) {
            const DwordLanes value = DwordLanes{} + uint32_t(classes[c]);
            sum[c] = evenM == value ? sum[c] + even : sum[c];
            sum[c] = oddM == value ? sum[c] + odd : sum[c];
        }
    }
    for (int c = 0; c < n; ++c) {
        int64_t total = 0;
        for (int i = 0; i < LaneCount / 4; ++i) total += sum[c][i];
        out[classes[c]] += total;
    }
}

// Whether a trial's sign at a place can score: a sign of the range.
bool Scores(uint8_t sign) {
    return sign != 0xFF && sign >= 1 && sign <= CandidateGroups.Signs;
}

}  // namespace

void SumClasses(const TrialPattern& pattern, ClassSumKind kind, int64_t* size, int64_t* total) {
    CandidateGroupsRecord& g = CandidateGroups;
    ++g.Passes;
    if (int64_t(g.LargestGroup) * pattern.Length <= 65535) {
        return ByLength(pattern.Length,
                        [&](auto L) { ClassSumsOf<L>(pattern, kind, size, total); });
    }
    WideClassSums(pattern, kind, size, total);
}

// At most 36 pairs of places for each of fewer than 2^26 candidates: below 2^32 a class.
void PairTotals(const TrialPattern& pattern, ClassPlan& plan, int64_t leastSize) {
    const CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const size_t signs = static_cast<size_t>(g.Signs);
    const int length = pattern.Length;
    size_t at[MaxCodeLength * (MaxCodeLength - 1) / 2];
    int rows = 0;
    size_t pair = 0;
    for (int k = 0; k < length; ++k) {
        for (int l = k + 1; l < length; ++l, ++pair) {
            const uint8_t a = pattern.Position[k];
            const uint8_t b = pattern.Position[l];
            if (!Scores(a) || !Scores(b)) continue;
            at[rows++] = ((pair * signs + (a - 1)) * signs + (b - 1)) * room;
        }
    }
    auto total = [&](auto* counts) {
        decltype(counts) row[MaxCodeLength * (MaxCodeLength - 1) / 2];
        for (int r = 0; r < rows; ++r) row[r] = counts + at[r];
        RowTotals(row, rows, g.LargestPair, plan, 2, leastSize, plan.PairTotal);
    };
    if (g.PairBytes)
        total(reinterpret_cast<const uint8_t*>(g.PairCounts));
    else
        total(static_cast<const uint16_t*>(g.PairCounts));
}

void TripleTotals(const TrialPattern& pattern, ClassPlan& plan, int64_t leastSize) {
    const CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const size_t n = static_cast<size_t>(g.Signs);
    const int length = pattern.Length;
    const uint8_t* row[MaxCodeLength * (MaxCodeLength - 1) * (MaxCodeLength - 2) / 6];
    int rows = 0;
    size_t triple = 0;
    for (int k = 0; k < length; ++k) {
        for (int l = k + 1; l < length; ++l) {
            for (int j = l + 1; j < length; ++j, ++triple) {
                const uint8_t a = pattern.Position[k];
                const uint8_t b = pattern.Position[l];
                const uint8_t c = pattern.Position[j];
                if (!Scores(a) || !Scores(b) || !Scores(c)) continue;
                row[rows++] =
                    g.TripleCounts + (((triple * n + (a - 1)) * n + (b - 1)) * n + (c - 1)) * room;
            }
        }
    }
    RowTotals(row, rows, g.LargestTriple, plan, 3, leastSize, plan.TripleTotal);
}
