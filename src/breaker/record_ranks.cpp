// The multisets' ranks from the record numbers: the tables of the low and the high digits, the
// hash table of the ranks met, and the rank made from a multiset's counts.
#include "breaker/record_ranks.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "shell/console/console.h"

namespace {

struct RecordRanksRecord {
    bool On = false;
    int Length = 0;
    int Symbols = 0;    // the signs and symbol 0
    int FieldBits = 0;  // per symbol in a packed word
    uint32_t Offset = 0;
    uint32_t LowBase = 0;  // the low digits' numbers: DigitBase to the power of their count
    uint64_t LowMagic = 0;
    uint64_t* Low = nullptr;  // packed counts of the low digits, by their number
    uint64_t* High = nullptr;
    uint32_t HighCount = 0;
    // Packed words (0: empty) and their ranks, a power of two of them.
    struct Slot {
        uint64_t Key;
        uint64_t Rank;
    };
    Slot* Slots = nullptr;
    size_t Capacity = 0;
    int Shift = 0;  // 64 - log2(Capacity)
    void* Block = nullptr;
    size_t BlockBytes = 0;
};
RecordRanksRecord Ranks;

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
    const RecordRanksRecord& r = Ranks;
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
    const RecordRanksRecord& r = Ranks;
    const uint64_t mask = (uint64_t(1) << r.FieldBits) - 1;
    uint32_t rank = 0;
    int i = 0;
    for (int symbol = 0; symbol < r.Symbols && i < r.Length; ++symbol)
        for (uint64_t c = (packed >> (symbol * r.FieldBits)) & mask; c > 0; --c, ++i)
            rank += Binomial(symbol + i, i + 1);
    return rank;
}

size_t Home(uint64_t key) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> Ranks.Shift);
}

}  // namespace

bool BeginRecordRanks(int32_t tableSize) {
    EndRecordRanks();
    const CandidateStoreRecord& s = CandidateStore;
    RecordRanksRecord& r = Ranks;
    if (!s.Numbered || s.Length < 2 || s.Length > MaxCodeLength || s.DigitBase < 2) return false;
    int bits = 1;
    while ((1 << bits) <= s.Length) ++bits;
    const int symbols = s.Signs + 1;
    if (symbols * bits > 64) return false;
    const int lowDigits = s.Length / 2;
    uint64_t lowBase = 1;
    uint64_t highCount = 1;
    for (int k = 0; k < s.Length; ++k) (k < lowDigits ? lowBase : highCount) *= s.DigitBase;
    size_t capacity = 64;
    int log = 6;
    while (capacity < 2 * static_cast<size_t>(tableSize)) {
        capacity *= 2;
        ++log;
    }
    const size_t tables = (lowBase + highCount) * sizeof(uint64_t);
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
    r.HighCount = static_cast<uint32_t>(highCount);
    r.Low = static_cast<uint64_t*>(r.Block);
    r.High = r.Low + lowBase;
    r.Slots = reinterpret_cast<RecordRanksRecord::Slot*>(r.High + highCount);
    r.Capacity = capacity;
    r.Shift = 64 - log;
    for (uint32_t n = 0; n < r.LowBase; ++n) r.Low[n] = PackedDigits(n, lowDigits);
    for (uint32_t n = 0; n < r.HighCount; ++n) r.High[n] = PackedDigits(n, s.Length - lowDigits);
    std::memset(r.Slots, 0, capacity * sizeof(RecordRanksRecord::Slot));
    r.On = true;
    return true;
}

bool RecordRanksOn() {
    return Ranks.On;
}

uint64_t RecordMultiset(uint32_t record) {
    const RecordRanksRecord& r = Ranks;
    // Numbers stay below 2^32, where the product with the rounded-up reciprocal divides exactly.
    __extension__ typedef unsigned __int128 Product;
    const uint32_t number = record + r.Offset;
    const uint32_t high = static_cast<uint32_t>((Product(r.LowMagic) * number) >> 64);
    const uint64_t packed = r.Low[number - high * r.LowBase] + r.High[high];
    __builtin_prefetch(&r.Slots[Home(packed)]);
    return packed;
}

uint32_t RankOfMultiset(uint64_t packed) {
    RecordRanksRecord& r = Ranks;
    size_t at = Home(packed);
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
    RecordRanksRecord& r = Ranks;
    if (r.Block != nullptr) StoreFree(r.Block, r.BlockBytes);
    r = RecordRanksRecord{};
}
