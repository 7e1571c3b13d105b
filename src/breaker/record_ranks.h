// The rank of a trial code's multiset of signs straight from its record number, for the search
// over a store whose records are numbered.
//
// A record's number holds its signs as digits. The low, the middle and the high digits each
// give, from a table made for the search, how often every symbol occurs among them (a sign that
// cannot score counts as symbol 0), packed into fields of one 64-bit word: the sum of the three
// words is the code's multiset. Its rank (the same as GroupedRank of the code's signs) is
// remembered per packed word in a small hash table, and made from the counts the first time. A
// code whose multiset is known to lose is then passed over without its signs being read.
//
// The search asks this of nearly every code it meets, so the two steps a code takes every time
// (its packed word, and the rank of a word met before) are written out here for the scan's loop.
#pragma once

#include <cstddef>
#include <cstdint>

struct RecordRanksRecord {
    bool On = false;
    int Length = 0;
    int Symbols = 0;    // the signs and symbol 0
    int FieldBits = 0;  // per symbol in a packed word
    uint32_t Offset = 0;
    // The numbers of the low and the middle digits: DigitBase to the power of their count, and
    // 2^64 over it rounded up.
    uint32_t LowBase = 0;
    uint64_t LowMagic = 0;
    uint32_t MiddleBase = 0;
    uint64_t MiddleMagic = 0;
    // Packed counts of the low, the middle and the high digits, by their number: three small
    // tables rather than two large ones, so that all of them stay in the nearest cache.
    uint64_t* Low = nullptr;
    uint64_t* Middle = nullptr;
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
extern RecordRanksRecord RecordRanks;

// Makes the tables for a new search (the signs alive as they stand). False, and nothing made,
// when the store is not numbered, its symbols do not fit the packing, or the memory is refused:
// the ranks then come from the signs.
bool BeginRecordRanks(int32_t tableSize);
inline bool RecordRanksOn() {
    return RecordRanks.On;
}
uint32_t RecordRank(uint32_t record);
// The rank of a packed word not found at its home slot: looked for further on, and made and
// remembered when it is new.
uint32_t RememberRank(uint64_t packed, size_t home);
// Frees the tables.
void EndRecordRanks();

// The home slot of a packed word.
inline size_t RankHome(uint64_t packed) {
    return static_cast<size_t>((packed * 0x9E3779B97F4A7C15ull) >> RecordRanks.Shift);
}

// RecordRank in two steps, a few codes apart: the record's packed multiset (its rank's slot is
// asked for from memory meanwhile), then its rank.
inline uint64_t RecordMultiset(uint32_t record) {
    const RecordRanksRecord& r = RecordRanks;
    // Numbers stay below 2^32, where the product with the rounded-up reciprocal divides exactly.
    __extension__ typedef unsigned __int128 Product;
    const uint32_t number = record + r.Offset;
    const uint32_t above = static_cast<uint32_t>((Product(r.LowMagic) * number) >> 64);
    const uint32_t high = static_cast<uint32_t>((Product(r.MiddleMagic) * above) >> 64);
    const uint64_t packed =
        r.Low[number - above * r.LowBase] + r.Middle[above - high * r.MiddleBase] + r.High[high];
    __builtin_prefetch(&r.Slots[RankHome(packed)]);
    return packed;
}

inline uint32_t RankOfMultiset(uint64_t packed) {
    const size_t home = RankHome(packed);
    const RecordRanksRecord::Slot& slot = RecordRanks.Slots[home];
    return slot.Key == packed ? static_cast<uint32_t>(slot.Rank) : RememberRank(packed, home);
}
