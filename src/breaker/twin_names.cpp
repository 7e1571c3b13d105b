// The names of twin trial codes: a name per code that all its twins share, made from the rows of
// its blocks (the columns of its signs in rising order, free signs numbered by how they spread),
// with the blocks that may trade places put in an order no trade changes.
#include "breaker/twin_trials.h"

#include <algorithm>
#include <cstdint>

#include "breaker/sign_tables.h"
#include "breaker/twin_search.h"
#include "match/code.h"

namespace {

// Tied blocks are tried in at most this many orders.
constexpr int kMaxOrders = 24;

uint64_t Mix(uint64_t x) {
    x ^= x >> 31;
    x *= 0x7FB5D329728EA185ull;
    x ^= x >> 27;
    x *= 0x81DADEF4BC2DD44Dull;
    return x ^ (x >> 33);
}

// The name of the code under one way of trading: per row the columns of its signs in rising
// order, six bits each, the free signs numbered by how they spread over the rows.
uint64_t NameUnder(const RowMap& map, const uint8_t* signs) {
    const TwinSearch& t = Twins;
    const int length = t.Length;
    uint8_t name[MaxCodeLength];
    uint8_t fill[MaxCodeLength];
    for (int b = 0; b < t.Blocks; ++b) fill[b] = t.RowStart[b];
    uint8_t freeSign[MaxCodeLength];
    uint64_t spread[MaxCodeLength];
    int frees = 0;
    for (int k = 0; k < length; ++k) {
        const int row = map.Row[t.BlockOf[k]];
        const uint8_t sign = signs[k];
        uint8_t column = t.ColumnOf[sign <= RingSize ? sign : 0];
        if (column == kFree) {
            int f = 0;
            while (f < frees && freeSign[f] != sign) ++f;
            if (f == frees) {
                freeSign[frees] = sign;
                spread[frees++] = 0;
            }
            // How often the free sign stands in each row, the first row highest.
            spread[f] += uint64_t(1) << (4 * (MaxCodeLength - 1 - row));
            column = static_cast<uint8_t>(0x80 | f);
        } else {
            column = map.Column[column];
        }
        name[fill[row]++] = column;
    }
    if (frees > 0) {
        // Free signs that spread alike are interchangeable: number them by their spread.
        uint8_t number[MaxCodeLength];
        for (int f = 0; f < frees; ++f) {
            int rank = 0;
            for (int o = 0; o < frees; ++o)
                rank += spread[o] > spread[f] || (spread[o] == spread[f] && o < f);
            number[f] = static_cast<uint8_t>(t.Fixed + 1 + rank);
        }
        for (int k = 0; k < length; ++k)
            if (name[k] & 0x80) name[k] = number[name[k] & 0x7F];
    }
    uint64_t packed = 0;
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
    for (int k = 0; k < length; ++k) packed = (packed << 6) | name[k];
    return packed;
}

// A mark per block that no trade changes: what the code holds in the block, and where it holds
// the signs of the block's columns.
void BlockMarks(const uint8_t* signs, uint64_t* mark) {
    const TwinSearch& t = Twins;
    const int length = t.Length;
    uint64_t plain[MaxCodeLength] = {};
    uint8_t freeSign[MaxCodeLength];
    uint8_t freeCount[MaxCodeLength];
    int frees = 0;
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = signs[k];
        if (t.ColumnOf[sign <= RingSize ? sign : 0] != kFree) continue;
        int f = 0;
        while (f < frees && freeSign[f] != sign) ++f;
        if (f == frees) {
            freeSign[frees] = sign;
            freeCount[frees++] = 0;
        }
        ++freeCount[f];
    }
    uint8_t column[MaxCodeLength];
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = signs[k];
        const int b = t.BlockOf[k];
        const uint8_t c = t.ColumnOf[sign <= RingSize ? sign : 0];
        column[k] = c;
        if (c == 0) {
            plain[b] += 1;
        } else if (c == kFree) {
            int f = 0;
            while (freeSign[f] != sign) ++f;
            plain[b] += Mix(0x100 + freeCount[f]);
        } else {
            const int target = t.ColumnBlock[c];
            plain[b] += target == b ? 0x10000 : 0x100000;
            plain[target] += uint64_t(1) << 32;
        }
    }
    for (int b = 0; b < t.Blocks; ++b) mark[b] = Mix(plain[b]);
    for (int k = 0; k < length; ++k) {
        const uint8_t c = column[k];
        if (c == 0 || c == kFree) continue;
        const int from = t.BlockOf[k];
        const int target = t.ColumnBlock[c];
        mark[from] += Mix(plain[target] ^ 0x5A5A);
        mark[target] += Mix(plain[from] ^ 0xA5A5);
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

uint64_t TwinKey(const uint8_t* signs) {
    const TwinSearch& t = Twins;
    if (!t.Trading) return NameUnder(t.Identity, signs) + 1;
    // Blocks that may trade places go to the rows of their kind in the order of what the code
    // holds in them and where it holds their signs, which no trade changes. Blocks that tie
    // are tried in every order (up to kMaxOrders of them), and the least name is taken.
    uint64_t mark[MaxCodeLength];
    BlockMarks(signs, mark);
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
        const uint64_t name = NameUnder(map, signs);
        if (name < least) least = name;
        if (n + 1 == orders) break;
        NextOrder(mark, order);
    }
    return least + 1;
}
