// Twin trial codes by record number: where no trade is allowed and the store numbers its records,
// a code that lost marks its twins' records (a bit per record, every order within each block and
// every renaming of the free signs, up to a cap), and the scan passes over a marked code unread.
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

// Marks the records of the code's twins under one renaming of the free signs: every order of
// the signs within each block, the blocks' orders combined like an odometer, until `left`
// marks are spent (each is a twin; fewer only means fewer codes passed over).
void MarkArrangements(const uint8_t* signs, int& left) {
    TwinSearch& t = Twins;
    constexpr int kMaxOrders = 720;
    uint32_t part[MaxCodeLength][kMaxOrders];
    int parts[MaxCodeLength] = {};
    for (int b = 0; b < t.Blocks; ++b) {
        const int size = t.RowStart[b + 1] - t.RowStart[b];
        uint8_t order[MaxCodeLength];
        for (int i = 0; i < size; ++i) {
            const uint8_t v = signs[t.BlockPlaces[b][i]];
            int j = i;
            for (; j > 0 && order[j - 1] > v; --j) order[j] = order[j - 1];
            order[j] = v;
        }
        do {
            uint32_t sum = 0;
            for (int i = 0; i < size; ++i)
                sum += t.Weight[t.BlockPlaces[b][i]] * t.DigitOf[order[i]];
            part[b][parts[b]++] = sum;
        } while (parts[b] < kMaxOrders && NextArrangement(order, size));
    }
    // The first block's orders run innermost, over the sum of the other blocks' parts.
    int at[MaxCodeLength] = {};
    while (true) {
        uint32_t outer = 0;
        for (int b = 1; b < t.Blocks; ++b) outer += part[b][at[b]];
        for (int i = 0; i < parts[0]; ++i) {
            if (left == 0) return;
            const uint32_t number = outer + part[0][i];
            if (number >= t.Offset) {
                const uint32_t record = number - t.Offset;
                if (record / 64 < t.MarkWords) t.Marks[record / 64] |= uint64_t(1) << (record % 64);
            }
            --left;
        }
        int b = 1;
        while (b < t.Blocks && ++at[b] == parts[b]) at[b++] = 0;
        if (b >= t.Blocks) return;
    }
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
    t.FreeCount = 0;
    for (int sign = 0; sign <= RingSize; ++sign)
        if (t.ColumnOf[sign] == kFree) t.Free[t.FreeCount++] = static_cast<uint8_t>(sign);
    uint8_t fill[MaxCodeLength] = {};
    for (int k = 0; k < s.Length; ++k) {
        const int b = t.BlockOf[k];
        t.BlockPlaces[b][fill[b]++] = static_cast<uint8_t>(k);
    }
    t.MostTwins = 1;
    for (int b = 0; b < t.Blocks; ++b)
        for (int i = 2; i <= fill[b]; ++i) t.MostTwins *= i;
    for (int i = 2; i <= t.FreeCount; ++i) t.MostTwins *= i;
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

bool ManyTwins() {
    // A mark costs a few percent of the bounds that give a code up without a pass over the
    // groups; with a handful of twins, half of them behind the scan already, it does not pay.
    return Twins.MostTwins >= 8;
}

void MarkTwins(const uint8_t* signs) {
    const TwinSearch& t = Twins;
    const int length = t.Length;
    int left = kMaxMarks;
    // Every renaming of the free signs (as far as the marks go), in the order of their
    // permutations; the identity first.
    uint8_t renamed[RingSize + 1];
    for (int sign = 0; sign <= RingSize; ++sign) renamed[sign] = static_cast<uint8_t>(sign);
    uint8_t image[RingSize + 1];
    std::memcpy(image, t.Free, static_cast<size_t>(t.FreeCount));
    do {
        for (int f = 0; f < t.FreeCount; ++f) renamed[t.Free[f]] = image[f];
        uint8_t code[MaxCodeLength];
        for (int k = 0; k < length; ++k) code[k] = renamed[signs[k] <= RingSize ? signs[k] : 0];
        MarkArrangements(code, left);
    } while (left > 0 && NextArrangement(image, t.FreeCount));
}
