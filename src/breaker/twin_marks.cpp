// Twin trial codes by record number: where no trade is allowed and the store numbers its records,
// a code that lost marks its twins' records (a bit per record, every order within each block, up
// to a cap, the free signs renamed back to the order the code meets them in: of the renamings
// the symmetry filter lets only that one through), and the scan passes over a marked code unread.
#include "breaker/twin_trials.h"

#include <algorithm>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_search.h"
#include "match/code.h"
#include "shell/console/console.h"

namespace {

// A code that lost marks at most this many of its twins.
constexpr int kMaxMarks = 512;
// A code given up cheaply marks its twins only when it has at least this many: with a handful,
// a mark costs more than the bounds that would give each twin up again.
constexpr int kManyTwins = 8;

// The next arrangement of n small values in rising order of arrangements; false after the last.
bool NextArrangement(uint8_t* v, int n) {
    int i = n - 2;
    while (i >= 0 && v[i] >= v[i + 1]) --i;
    if (i < 0) return false;
    int j = n - 1;
    while (v[j] <= v[i]) --j;
    std::swap(v[i], v[j]);
    for (int a = i + 1, b = n - 1; a < b; ++a, --b) std::swap(v[a], v[b]);
    return true;
}

int BlockSize(int b) {
    return Twins.RowStart[b + 1] - Twins.RowStart[b];
}

// Puts block b's signs of the code in rising order (by its positions) and returns how many
// distinct orders they have.
int SortBlock(uint8_t* code, int b) {
    static constexpr int kFactorial[MaxCodeLength + 1] = {1,   1,   2,    6,     24,
                                                          120, 720, 5040, 40320, 362880};
    const uint8_t* places = Twins.BlockPlaces[b];
    const int size = BlockSize(b);
    uint8_t v[MaxCodeLength];
    for (int i = 0; i < size; ++i) {
        const uint8_t sign = code[places[i]];
        int j = i;
        for (; j > 0 && v[j - 1] > sign; --j) v[j] = v[j - 1];
        v[j] = sign;
    }
    int orders = kFactorial[size];
    for (int i = 0; i < size;) {
        int run = 1;
        while (i + run < size && v[i + run] == v[i]) ++run;
        orders /= kFactorial[run];
        i += run;
    }
    for (int i = 0; i < size; ++i) code[places[i]] = v[i];
    return orders;
}

// The next arrangement of the code within its moving blocks, the first block's orders running
// innermost, like an odometer; false after the last.
bool NextTwin(uint8_t* code, const uint8_t* moving, int count) {
    for (int j = 0; j < count; ++j) {
        const uint8_t* places = Twins.BlockPlaces[moving[j]];
        const int size = BlockSize(moving[j]);
        uint8_t v[MaxCodeLength];
        for (int i = 0; i < size; ++i) v[i] = code[places[i]];
        const bool next = NextArrangement(v, size);
        // The last order is the falling one: reversed, the block starts over.
        if (!next)
            for (int a = 0, z = size - 1; a < z; ++a, --z) std::swap(v[a], v[z]);
        for (int i = 0; i < size; ++i) code[places[i]] = v[i];
        if (next) return true;
    }
    return false;
}

// The record number of a code whose free signs first occur in another order than in `first`
// (the order of the code that marks): they are renamed to `first`'s in the order they occur.
// Under the symmetry filter only this renaming can be examined, the others are not eligible.
uint32_t RenamedNumber(const uint8_t* code, const uint8_t* first, int frees) {
    const TwinSearch& t = Twins;
    uint8_t met[MaxCodeLength];
    int seen = 0;
    uint32_t number = 0;
    for (int k = 0; k < t.Length; ++k) {
        uint8_t sign = code[k];
        if (t.ColumnOf[sign] == kFree) {
            int f = 0;
            while (f < seen && met[f] != sign) ++f;
            if (f == seen) met[seen++] = sign;
            sign = first[f < frees ? f : 0];
        }
        number += t.Weight[k] * t.DigitOf[sign];
    }
    return number;
}

uint32_t NumberOf(const uint8_t* code) {
    const TwinSearch& t = Twins;
    uint32_t number = 0;
    for (int k = 0; k < t.Length; ++k) number += t.Weight[k] * t.DigitOf[code[k]];
    return number;
}

void Mark(uint32_t number) {
    TwinSearch& t = Twins;
    if (number < t.Offset) return;
    const uint32_t record = number - t.Offset;
    if (record / 64 < t.MarkWords) t.Marks[record / 64] |= uint64_t(1) << (record % 64);
}

}  // namespace

// The marks of a new search: a bit per record, the digits of the record numbers, the free signs
// and the positions of every block. False when the memory is refused (no twins are sought).
bool BeginMarking() {
    const CandidateStoreRecord& s = CandidateStore;
    TwinSearch& t = Twins;
    t.MarkWords = (static_cast<size_t>(s.Records) + 63) / 64;
    t.Marks = static_cast<uint64_t*>(StoreAllocate(t.MarkWords * sizeof(uint64_t)));
    if (t.Marks == nullptr) {
        t.MarkWords = 0;
        return false;
    }
    std::memset(t.Marks, 0, t.MarkWords * sizeof(uint64_t));
    uint32_t weight = 1;
    for (int k = 0; k < s.Length; ++k) {
        t.Weight[s.DigitPlace[k]] = weight;
        weight *= s.DigitBase;
    }
    std::memset(t.DigitOf, 0, sizeof t.DigitOf);
    for (uint32_t digit = 0; digit < s.DigitBase && digit <= RingSize; ++digit)
        if (s.DigitSign[digit] <= RingSize)
            t.DigitOf[s.DigitSign[digit]] = static_cast<uint8_t>(digit);
    t.Offset = s.VacantInPlay ? 1 : 0;
    uint8_t fill[MaxCodeLength] = {};
    for (int k = 0; k < s.Length; ++k) {
        const int b = t.BlockOf[k];
        t.BlockPlaces[b][fill[b]++] = static_cast<uint8_t>(k);
    }
    t.Marking = true;
    return true;
}

void FreeMarks() {
    if (Twins.Marks != nullptr) StoreFree(Twins.Marks, Twins.MarkWords * sizeof(uint64_t));
    Twins.Marks = nullptr;
    Twins.MarkWords = 0;
    Twins.Marking = false;
}

bool TwinMarked(uint32_t record) {
    const TwinSearch& t = Twins;
    return record / 64 < t.MarkWords && ((t.Marks[record / 64] >> (record % 64)) & 1) != 0;
}

void PrefetchTwinMark(uint32_t record) {
    const TwinSearch& t = Twins;
    if (record / 64 < t.MarkWords) __builtin_prefetch(&t.Marks[record / 64]);
}

// The code's own record is not marked: the scan is past it.
void MarkTwins(const uint8_t* signs, bool costly) {
    const TwinSearch& t = Twins;
    const int length = t.Length;
    uint8_t code[MaxCodeLength];
    for (int k = 0; k < length; ++k) code[k] = signs[k] <= RingSize ? signs[k] : 0;
    const uint32_t self = NumberOf(code);
    // The blocks whose signs may move, each in rising order to begin with.
    uint8_t moving[MaxCodeLength];
    int count = 0;
    int64_t twins = 1;
    for (int b = 0; b < t.Blocks; ++b) {
        if (BlockSize(b) < 2) continue;
        const int orders = SortBlock(code, b);
        if (orders < 2) continue;
        moving[count++] = static_cast<uint8_t>(b);
        twins = std::min<int64_t>(twins * orders, kMaxMarks);
    }
    if (count == 0 || (!costly && twins < kManyTwins)) return;
    // With two free signs or more, an order may change which comes first: each arrangement is
    // renamed back to the code's own order of them.
    uint8_t first[MaxCodeLength];
    int frees = 0;
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = signs[k] <= RingSize ? signs[k] : 0;
        if (t.ColumnOf[sign] != kFree) continue;
        int f = 0;
        while (f < frees && first[f] != sign) ++f;
        if (f == frees) first[frees++] = sign;
    }
    int left = kMaxMarks;
    do {
        const uint32_t number = frees < 2 ? NumberOf(code) : RenamedNumber(code, first, frees);
        if (number != self) Mark(number);
    } while (--left > 0 && NextTwin(code, moving, count));
}
