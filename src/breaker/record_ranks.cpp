// The multisets' ranks from the record numbers: the tables of the low, the middle and the high
// digits, the hash table of the ranks met, and the rank made from a multiset's counts.
#include "breaker/record_ranks.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "shell/console/console.h"

RecordRanksRecord RecordRanks;

namespace {

// C(n, k) for n < 46, k <= 9, as the grouped count ranks multisets.
uint32_t Binomial(int n, int k) {
    static uint32_t table[46][MaxCodeLength + 1];
    static bool made = false;
    if (!made) {
        for (int m = 0; m < 46; ++m) {
            table[m][0] = 1;
            for (int j = 1; j <= MaxCodeLength; ++j)
                table[m][j] = m == 0 ? 0 : table[m - 1][j - 1] + table[m - 1][j];
        }
        made = true;
    }
    return table[n][k];
}

// The packed counts of the symbols of `digits` digits of a number, the fastest first.
uint64_t PackedDigits(uint32_t number, int digits) {
    const CandidateStoreRecord& s = CandidateStore;
    const RecordRanksRecord& r = RecordRanks;
    uint64_t packed = 0;
    for (int k = 0; k < digits; ++k) {
        const uint8_t sign = s.DigitSign[number % s.DigitBase];
        const int symbol = sign <= RingSize && SignAlive[sign] != 0 ? sign : 0;
        packed += uint64_t(1) << (symbol * r.FieldBits);
        number /= s.DigitBase;
    }
    return packed;
}

// The rank of the multiset whose counts are packed: its symbols in rising order, the i-th
// smallest a giving C(a + i, i + 1).
uint32_t RankOfCounts(uint64_t packed) {
    const RecordRanksRecord& r = RecordRanks;
    const uint64_t mask = (uint64_t(1) << r.FieldBits) - 1;
    uint32_t rank = 0;
    int i = 0;
    for (int symbol = 0; symbol < r.Symbols && i < r.Length; ++symbol)
        for (uint64_t c = (packed >> (symbol * r.FieldBits)) & mask; c > 0; --c, ++i)
            rank += Binomial(symbol + i, i + 1);
    return rank;
}

}  // namespace

bool BeginRecordRanks(int32_t tableSize) {
    EndRecordRanks();
    const CandidateStoreRecord& s = CandidateStore;
    RecordRanksRecord& r = RecordRanks;
    if (!s.Numbered || s.Length < 2 || s.Length > MaxCodeLength || s.DigitBase < 2) return false;
    int bits = 1;
    while ((1 << bits) <= s.Length) ++bits;
    const int symbols = s.Signs + 1;
    if (symbols * bits > 64) return false;
    // The low and the middle digits at least one each (a division by 1 has no 64-bit
    // reciprocal); the high ones may be none, their table then the one empty count.
    const int lowDigits = s.Length < 6 ? 1 : s.Length / 3;
    const int middleDigits = s.Length < 4 ? 1 : (s.Length - lowDigits) / 2;
    const int highDigits = s.Length - lowDigits - middleDigits;
    uint64_t lowBase = 1;
    uint64_t middleBase = 1;
    uint64_t highCount = 1;
    for (int k = 0; k < s.Length; ++k)
        (k < lowDigits                  ? lowBase
         : k < lowDigits + middleDigits ? middleBase
                                        : highCount) *= s.DigitBase;
    size_t capacity = 64;
    int log = 6;
    while (capacity < 2 * static_cast<size_t>(tableSize)) {
        capacity *= 2;
        ++log;
    }
    const size_t tables = (lowBase + middleBase + highCount) * sizeof(uint64_t);
    const size_t bytes = tables + capacity * sizeof(RecordRanksRecord::Slot);
    if (highCount > UINT32_MAX || !StoreMayUse(bytes)) return false;
    r.Block = StoreAllocate(bytes);
    if (r.Block == nullptr) return false;
    r.BlockBytes = bytes;
    r.Length = s.Length;
    r.Symbols = symbols;
    r.FieldBits = bits;
    r.Offset = s.VacantInPlay ? 1 : 0;
    r.LowBase = static_cast<uint32_t>(lowBase);
    r.LowMagic = UINT64_MAX / lowBase + 1;
    r.MiddleBase = static_cast<uint32_t>(middleBase);
    r.MiddleMagic = UINT64_MAX / middleBase + 1;
    r.HighCount = static_cast<uint32_t>(highCount);
    r.Low = static_cast<uint64_t*>(r.Block);
    r.Middle = r.Low + lowBase;
    r.High = r.Middle + middleBase;
    r.Slots = reinterpret_cast<RecordRanksRecord::Slot*>(r.High + highCount);
    r.Capacity = capacity;
    r.Shift = 64 - log;
    for (uint32_t n = 0; n < r.LowBase; ++n) r.Low[n] = PackedDigits(n, lowDigits);
    for (uint32_t n = 0; n < r.MiddleBase; ++n) r.Middle[n] = PackedDigits(n, middleDigits);
    for (uint32_t n = 0; n < r.HighCount; ++n) r.High[n] = PackedDigits(n, highDigits);
    std::memset(r.Slots, 0, capacity * sizeof(RecordRanksRecord::Slot));
    r.On = true;
    return true;
}

uint32_t RememberRank(uint64_t packed, size_t at) {
    RecordRanksRecord& r = RecordRanks;
    while (r.Slots[at].Key != packed) {
        if (r.Slots[at].Key == 0) {
            r.Slots[at].Key = packed;
            r.Slots[at].Rank = RankOfCounts(packed);
            break;
        }
        at = (at + 1) & (r.Capacity - 1);
    }
    return static_cast<uint32_t>(r.Slots[at].Rank);
}

uint32_t RecordRank(uint32_t record) {
    return RankOfMultiset(RecordMultiset(record));
}

void EndRecordRanks() {
    RecordRanksRecord& r = RecordRanks;
    if (r.Block != nullptr) StoreFree(r.Block, r.BlockBytes);
    r = RecordRanksRecord{};
}
