// The totals of P per multiset: their table, made once per search, and their ranges over all
// orders of the multiset's signs.
#include "breaker/multiset_totals.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "breaker/candidate_groups.h"
#include "breaker/group_class_sums.h"
#include "breaker/lanes.h"
#include "shell/console/console.h"

namespace {

// The per-multiset totals of P take at most this many bytes; their room starts at the least
// and doubles as they need it.
constexpr size_t kMaxTotalsBytes = size_t(32) << 20;
constexpr size_t kLeastTotalsBytes = size_t(64) << 10;
// The codes of a multiset that sum the groups themselves before its totals are tabled.
constexpr int32_t kCodesBeforeTotals = 16;

// Room for at least `entries` totals, the ones made kept; false when it would pass
// kMaxTotalsBytes or is refused (then no more is asked for in this match).
bool GrowTotals(size_t entries) {
    CandidateGroupsRecord& g = CandidateGroups;
    size_t room = std::max(g.TotalsRoom * 2, kLeastTotalsBytes / sizeof(int32_t));
    while (room < entries) room *= 2;
    if (g.TotalsRefused || room * sizeof(int32_t) > kMaxTotalsBytes) return false;
    int32_t* totals = static_cast<int32_t*>(StoreAllocate(room * sizeof(int32_t)));
    if (totals == nullptr) {
        g.TotalsRefused = true;
        return false;
    }
    if (g.TotalsUsed > 0) std::memcpy(totals, g.Totals, g.TotalsUsed * sizeof(int32_t));
    StoreFree(g.Totals, g.TotalsRoom * sizeof(int32_t));
    g.Totals = totals;
    g.TotalsRoom = room;
    return true;
}

// The least and the largest sum that a class's entries can take over the orders of the
// multiset's signs, bounded two ways: every place takes one of its entries (the least or the
// largest of them; a place that may hold a sign unable to score adds nothing), and every sign
// takes as many places as it has occurrences (the least or the largest entries of its column).
void EntrySumRange(const int32_t* block, int length, int slots, const uint8_t* occurs, bool blanks,
                   int64_t& lowest, int64_t& highest) {
    int64_t placeLow = 0;
    int64_t placeHigh = 0;
    for (int k = 0; k < length; ++k) {
        int32_t low = block[k * slots];
        int32_t high = low;
        for (int j = 1; j < slots; ++j) {
            low = std::min(low, block[k * slots + j]);
            high = std::max(high, block[k * slots + j]);
        }
        placeLow += blanks ? 0 : low;
        placeHigh += high;
    }
    int64_t signLow = 0;
    int64_t signHigh = 0;
    for (int j = 0; j < slots; ++j) {
        int32_t column[MaxCodeLength];
        for (int k = 0; k < length; ++k) {
            const int32_t v = block[k * slots + j];
            int i = k;
            for (; i > 0 && column[i - 1] > v; --i) column[i] = column[i - 1];
            column[i] = v;
        }
        for (int i = 0; i < occurs[j]; ++i) {
            signLow += column[i];
            signHigh += column[length - 1 - i];
        }
    }
    lowest = std::max(placeLow, signLow);
    highest = std::min(placeHigh, signHigh);
}

// One row of counts (one per group) summed over the groups of each of the given classes (M in
// GroupM), into out[m * stride]: LaneCount / 2 groups a step, in 16 bits per group and class,
// emptied into 32 bits (the even groups' lanes and the odd ones') before they can overflow: no
// count passes the largest group nor 8!, and a sum never passes the candidates. The entries
// behind the last group are zero.
void SumByClass(const uint16_t* row, const int* classes, int held, int32_t* out, size_t stride) {
    const CandidateGroupsRecord& g = CandidateGroups;
    constexpr int kStep = LaneCount / 2;
    const int32_t roundsPerEmpty = 65535 / std::clamp<int32_t>(g.LargestGroup, 1, 40320);
    WordLanes value[MaxCodeLength + 1];
    WordLanes sum[MaxCodeLength + 1];
    DwordLanes wide[MaxCodeLength + 1];
    for (int c = 0; c < held; ++c) {
        value[c] = WordLanes{} + static_cast<uint16_t>(classes[c]);
        sum[c] = WordLanes{};
        wide[c] = DwordLanes{};
    }
    auto empty = [&] {
        for (int c = 0; c < held; ++c) {
            wide[c] += (reinterpret_cast<DwordLanes>(sum[c]) & 0xFFFF) +
                       (reinterpret_cast<DwordLanes>(sum[c]) >> 16);
            sum[c] = WordLanes{};
        }
    };
    int32_t rounds = 0;
    for (int32_t base = 0; base < g.Count; base += kStep) {
        const WordLanes counts = *reinterpret_cast<const WordLanesAnywhere*>(row + base);
        const WordLanes m = __builtin_convertvector(
            *reinterpret_cast<const HalfLanesAnywhere*>(g.GroupM + base), WordLanes);
        for (int c = 0; c < held; ++c) sum[c] = m == value[c] ? sum[c] + counts : sum[c];
        if (++rounds >= roundsPerEmpty) {
            empty();
            rounds = 0;
        }
    }
    empty();
    for (int c = 0; c < held; ++c) {
        int64_t total = 0;
        for (int i = 0; i < LaneCount / 4; ++i) total += wide[c][i];
        out[static_cast<size_t>(classes[c]) * stride] = static_cast<int32_t>(total);
    }
}

}  // namespace

int32_t* PlaceTotalsOf(const TrialPattern& pattern, uint32_t rank) {
    CandidateGroupsRecord& g = CandidateGroups;
    if (g.TotalsAt[rank] > 0) return g.Totals + (g.TotalsAt[rank] - 1);
    // A table costs about as much as summing the groups for a few dozen codes: it is made for
    // a multiset whose codes keep coming.
    if (g.TotalsAt[rank] > -kCodesBeforeTotals) {
        --g.TotalsAt[rank];
        return nullptr;
    }
    const int length = pattern.Length;
    const size_t perClass = static_cast<size_t>(length) * pattern.Slots;
    const size_t entries = (perClass + 2) * (static_cast<size_t>(length) + 1);
    if (g.TotalsUsed + entries > g.TotalsRoom && !GrowTotals(g.TotalsUsed + entries))
        return nullptr;
    GroupMs(pattern);
    int32_t* table = g.Totals + g.TotalsUsed;
    std::memset(table, 0, entries * sizeof(int32_t));
    // Only the classes that hold candidates get entries; class 0 has P = 0 throughout.
    const int32_t* sizes = g.ClassSizes + static_cast<size_t>(rank) * (MaxCodeLength + 1);
    int classes[MaxCodeLength + 1];
    int held = 0;
    for (int m = 1; m <= length; ++m)
        if (sizes[m] > 0) classes[held++] = m;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    for (int k = 0; k < length; ++k)
        for (int j = 0; j < pattern.Slots; ++j)
            SumByClass(g.PlaceCounts +
                           (static_cast<size_t>(k) * g.Signs + (pattern.SlotSign[j] - 1)) * room,
                       classes, held, table + k * pattern.Slots + j, perClass);
    g.TotalsAt[rank] = static_cast<int32_t>(g.TotalsUsed + 1);
    g.TotalsUsed += entries;
    return table;
}

bool MultisetMomentsLose(const ClassPlan& plan, int32_t* table, int slots, const uint8_t* occurs,
                         bool blanks, int64_t h) {
    const int length = plan.Length;
    const int64_t none[MaxCodeLength + 1] = {};
    for (int m = 1; m <= length; ++m) {
        if (plan.Size[m] == 0) continue;
        const int32_t* block = table + static_cast<size_t>(m) * length * slots;
        int64_t lowest = 0;
        int64_t highest = 0;
        EntrySumRange(block, length, slots, occurs, blanks, lowest, highest);
        int64_t value[MaxCodeLength + 1];
        int64_t count[MaxCodeLength + 1];
        const int n = ValuesOf(m, length, none, value, count);
        int64_t least = 0;
        int64_t most = 0;
        if (!TotalRange(value, count, n, m == length, plan.Size[m], h, least, most) ||
            highest < least || lowest > most)
            return true;
        int32_t* range = RangesOf(table, length, slots) + 2 * m;
        range[0] = static_cast<int32_t>(std::max<int64_t>(least, INT32_MIN));
        range[1] = static_cast<int32_t>(std::min<int64_t>(most, INT32_MAX));
    }
    return false;
}
