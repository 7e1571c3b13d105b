// The names of twin trial codes: a name per code that all its twins share, made from the rows of
// its blocks (the columns of its signs in rising order, free signs numbered by how they spread),
// with the blocks that may trade places put in an order no trade changes. A code is read once,
// through tables made per search, with few branches that depend on its signs.
#include "breaker/twin_trials.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "breaker/sign_tables.h"
#include "breaker/twin_search.h"
#include "match/code.h"

namespace {

// Tied blocks are tried in at most this many orders.
constexpr int kMaxOrders = 24;

// A code as its names read it: its signs (a dead or vacant one as 0), its free signs in the
// order met, and how often each free sign stands in it.
struct NamedCode {
    uint8_t Signs[MaxCodeLength];
    uint8_t Free[MaxCodeLength];
    int Frees = 0;
    uint8_t Count[RingSize + 1];
};

void ReadNamedCode(const uint8_t* signs, NamedCode& code) {
    const TwinSearch& t = Twins;
    std::memset(code.Count, 0, sizeof code.Count);
    int frees = 0;
    for (int k = 0; k < t.Length; ++k) {
        const uint8_t sign = signs[k] <= RingSize ? signs[k] : 0;
        const uint8_t free = t.FreeSign[sign];
        code.Signs[k] = sign;
        code.Free[frees] = sign;
        frees += free & (code.Count[sign] == 0);
        code.Count[sign] = static_cast<uint8_t>(code.Count[sign] + free);
    }
    code.Frees = frees;
}

// The name of the code under one way of trading: per row the columns of its signs in rising
// order, six bits each, the free signs numbered by how they spread over the rows.
uint64_t NameUnder(const RowMap& map, const NamedCode& code) {
    const TwinSearch& t = Twins;
    const int length = t.Length;
    uint8_t row[MaxCodeLength];
    for (int k = 0; k < length; ++k) row[k] = map.Row[t.BlockOf[k]];
    // How often each free sign stands in each row, the first row highest; the free signs that
    // spread alike are interchangeable, the others are numbered by their spread.
    uint64_t spread[MaxCodeLength] = {};
    uint8_t symbol[RingSize + 1] = {};
    for (int f = 0; f < code.Frees; ++f) symbol[code.Free[f]] = static_cast<uint8_t>(f);
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = code.Signs[k];
        const uint64_t in = uint64_t(0) - t.FreeSign[sign];
        spread[symbol[sign]] += in & (uint64_t(1) << (4 * (MaxCodeLength - 1 - row[k])));
    }
    for (int f = 0; f < code.Frees; ++f) {
        int rank = 0;
        for (int o = 0; o < code.Frees; ++o)
            rank += spread[o] > spread[f] || (spread[o] == spread[f] && o < f);
        symbol[code.Free[f]] = static_cast<uint8_t>(t.Fixed + 1 + rank);
    }
    uint8_t name[MaxCodeLength];
    uint8_t fill[MaxCodeLength];
    for (int b = 0; b < t.Blocks; ++b) fill[b] = t.RowStart[b];
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = code.Signs[k];
        const uint8_t column = map.Column[t.NameColumn[sign]];
        name[fill[row[k]]++] = t.FreeSign[sign] ? symbol[sign] : column;
    }
    for (int b = 0; b < t.Blocks; ++b) {
        const int from = t.RowStart[b];
        const int to = t.RowStart[b + 1];
        for (int i = from + 1; i < to; ++i) {
            const uint8_t v = name[i];
            int j = i;
            for (; j > from && name[j - 1] > v; --j) name[j] = name[j - 1];
            name[j] = v;
        }
    }
    uint64_t packed = 0;
    for (int k = 0; k < length; ++k) packed = (packed << 6) | name[k];
    return packed;
}

// A mark per block that no trade changes, in four bits a count: how many of its signs cannot
// score, are the block's own sign of the trial, another block's; how many of the block's own
// sign stand elsewhere; and per free sign in it how often that sign stands in the code.
void BlockMarks(const NamedCode& code, uint64_t* mark) {
    const TwinSearch& t = Twins;
    for (int b = 0; b <= MaxCodeLength; ++b) mark[b] = 0;
    for (int k = 0; k < t.Length; ++k) {
        const uint8_t sign = code.Signs[k];
        const int b = t.BlockOf[k];
        mark[b] += t.OwnMark[b][sign] + t.FreeMark[code.Count[sign]];
        mark[t.TargetBlock[sign]] += t.TargetMark[b][sign];
    }
}

// Per kind its blocks ordered by mark; the number of orders of the runs of tied blocks is
// returned.
int OrderByMarks(const uint64_t* mark, uint8_t (*order)[MaxCodeLength]) {
    const TwinSearch& t = Twins;
    int orders = 1;
    for (int j = 0; j < t.KindCount; ++j) {
        const int count = t.KindSize[j];
        uint8_t* o = order[j];
        for (int i = 0; i < count; ++i) {
            const uint8_t b = t.Kinds[j][i];
            int at = i;
            for (; at > 0 && mark[o[at - 1]] > mark[b]; --at) o[at] = o[at - 1];
            o[at] = b;
        }
        for (int i = 0; i < count;) {
            int run = 1;
            while (i + run < count && mark[o[i + run]] == mark[o[i]]) ++run;
            for (int r = 2; r <= run; ++r) orders *= r;
            i += run;
        }
    }
    return orders;
}

// The next order within the runs of tied blocks, like an odometer.
void NextOrder(const uint64_t* mark, uint8_t (*order)[MaxCodeLength]) {
    const TwinSearch& t = Twins;
    for (int j = 0; j < t.KindCount; ++j) {
        bool carried = true;
        uint8_t* o = order[j];
        const int count = t.KindSize[j];
        for (int i = 0; i < count && carried;) {
            int run = 1;
            while (i + run < count && mark[o[i + run]] == mark[o[i]]) ++run;
            if (run > 1) carried = !std::next_permutation(o + i, o + i + run);
            i += run;
        }
        if (!carried) break;
    }
}

}  // namespace

void PrepareNames() {
    TwinSearch& t = Twins;
    for (int sign = 0; sign <= RingSize; ++sign) {
        const uint8_t column = t.ColumnOf[sign];
        t.FreeSign[sign] = column == kFree ? 1 : 0;
        t.NameColumn[sign] = column == kFree ? 0 : column;
        // A sign of the trial marks the block it stands in and, standing elsewhere, its own
        // block; the others mark nothing beyond their block (a spare slot takes the rest).
        const bool trial = t.Trading && column != 0 && column != kFree;
        const int target = trial ? t.ColumnBlock[column] : MaxCodeLength;
        t.TargetBlock[sign] = static_cast<uint8_t>(target);
        for (int b = 0; b < t.Blocks; ++b) {
            t.OwnMark[b][sign] = static_cast<uint16_t>(column == 0   ? 1
                                                       : !trial      ? 0
                                                       : target == b ? 0x10
                                                                     : 0x100);
            t.TargetMark[b][sign] = static_cast<uint16_t>(trial && target != b ? 0x1000 : 0);
        }
    }
    t.FreeMark[0] = 0;
    for (int n = 1; n <= MaxCodeLength; ++n) t.FreeMark[n] = uint64_t(1) << (12 + 4 * n);
}

uint64_t TwinKey(const uint8_t* signs) {
    const TwinSearch& t = Twins;
    NamedCode code;
    ReadNamedCode(signs, code);
    if (!t.Trading) return NameUnder(t.Identity, code) + 1;
    // Blocks that may trade places go to the rows of their kind in the order of what the code
    // holds in them and where it holds their signs, which no trade changes. Blocks that tie
    // are tried in every order (up to kMaxOrders of them), and the least name is taken.
    uint64_t mark[MaxCodeLength + 1];
    BlockMarks(code, mark);
    uint8_t order[MaxCodeLength][MaxCodeLength];
    int orders = OrderByMarks(mark, order);
    if (orders > kMaxOrders) orders = 1;
    RowMap map = t.Identity;
    uint64_t least = ~uint64_t(0);
    for (int n = 0; n < orders; ++n) {
        for (int j = 0; j < t.KindCount; ++j) {
            for (int i = 0; i < t.KindSize[j]; ++i) {
                const int b = order[j][i];
                const int row = t.Kinds[j][i];
                map.Row[b] = static_cast<uint8_t>(row);
                if (t.BlockColumn[b] != 0) map.Column[t.BlockColumn[b]] = t.BlockColumn[row];
            }
        }
        const uint64_t name = NameUnder(map, code);
        if (name < least) least = name;
        if (n + 1 == orders) break;
        NextOrder(mark, order);
    }
    return least + 1;
}
