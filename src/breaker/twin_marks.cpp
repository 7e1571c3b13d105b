// Twin trial codes by record number: where no trade is allowed and the store numbers its records,
// a code that lost marks its twins' records (a bit per record: every order within each block, up
// to a cap, its free signs renamed so that the twin meets them in the code's own order, the one
// renaming the symmetry filter lets through), and the scan passes over a marked code unread.
#include "breaker/twin_trials.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_search.h"
#include "match/code.h"
#include "shell/console/console.h"

TwinMarkRecord TwinMarkBits;

namespace {

// A code that lost marks at most this many of its twins.
constexpr int kMaxMarks = 512;
// A block's orders listed, at most.
constexpr int kMaxOrders = 720;
// No place: after every place of the code.
constexpr uint8_t kNoPlace = 0xFF;

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

// What one order of a block's signs adds to a twin's record number: the digits of its signs that
// are not free, and per free sign of the code (numbered by where the code meets it first) the
// weights of the places it holds and the first of them. Parts add up block by block; a twin's
// free signs are then renamed to the code's own in the order the twin meets them.
template <int Frees>
struct OrderPart {
    uint32_t Fixed;
    uint32_t Weight[Frees];
    uint8_t First[Frees];
};

// The part of no place at all.
template <int Frees>
OrderPart<Frees> EmptyPart() {
    OrderPart<Frees> part;
    part.Fixed = 0;
    for (int f = 0; f < Frees; ++f) {
        part.Weight[f] = 0;
        part.First[f] = kNoPlace;
    }
    return part;
}

template <int Frees>
void AddPart(OrderPart<Frees>& sum, const OrderPart<Frees>& part) {
    sum.Fixed += part.Fixed;
    for (int f = 0; f < Frees; ++f) {
        sum.Weight[f] += part.Weight[f];
        sum.First[f] = std::min(sum.First[f], part.First[f]);
    }
}

// The record number of the twin whose parts add up to `sum`, its free signs renamed so that it
// meets them in the code's order (digit[f]: the digit of the code's f-th free sign). Under the
// symmetry filter this is the one renaming of the twin that the scan may examine.
template <int Frees>
uint32_t RenamedNumber(const OrderPart<Frees>& sum, const uint32_t* digit) {
    uint32_t number = sum.Fixed;
    for (int f = 0; f < Frees; ++f) {
        int met = 0;
        for (int g = 0; g < Frees; ++g) met += sum.First[g] < sum.First[f] ? 1 : 0;
        number += sum.Weight[f] * digit[met];
    }
    return number;
}

// Lists the distinct orders of block b's signs of the code (`freeOf[sign]`: the sign's number
// among the code's free signs, or Frees for a sign that is not free), rising, at most
// kMaxOrders; returns how many.
template <int Frees>
int ListOrders(const uint8_t* code, const uint8_t* freeOf, int b, OrderPart<Frees>* parts) {
    const TwinSearch& t = Twins;
    const uint8_t* places = t.BlockPlaces[b];
    const int size = t.RowStart[b + 1] - t.RowStart[b];
    uint8_t order[MaxCodeLength];
    for (int i = 0; i < size; ++i) {
        const uint8_t v = code[places[i]];
        int j = i;
        for (; j > 0 && order[j - 1] > v; --j) order[j] = order[j - 1];
        order[j] = v;
    }
    int count = 0;
    do {
        OrderPart<Frees>& part = parts[count++];
        part = EmptyPart<Frees>();
        for (int i = 0; i < size; ++i) {
            const uint8_t place = places[i];
            const int f = freeOf[order[i]];
            if (f == Frees) {
                part.Fixed += t.Weight[place] * t.DigitOf[order[i]];
            } else {
                part.Weight[f] += t.Weight[place];
                part.First[f] = std::min(part.First[f], place);
            }
        }
    } while (count < kMaxOrders && NextArrangement(order, size));
    return count;
}

void MarkNumber(uint32_t number) {
    TwinMarkRecord& m = TwinMarkBits;
    if (number < Twins.Offset) return;
    const uint32_t record = number - Twins.Offset;
    if (record / 64 < m.Count) m.Words[record / 64] |= uint64_t(1) << (record % 64);
}

// Marks the records of the code's twins: every order of the signs within each block, the
// blocks' orders combined like an odometer (the first block's innermost), each renamed to meet
// the code's free signs in the code's order; up to kMaxMarks of them (fewer only means fewer
// codes passed over), and not the code's own record: the scan is past it.
template <int Frees>
void MarkRenamedArrangements(const uint8_t* code, const uint8_t* freeOf, const uint32_t* digit) {
    const TwinSearch& t = Twins;
    // The blocks' orders side by side: a block of n places has at most min(n!, 720) of them, so
    // all blocks of at most 9 places together have at most 720 + 9.
    OrderPart<Frees> pool[kMaxOrders + MaxCodeLength];
    const OrderPart<Frees>* parts[MaxCodeLength];
    int count[MaxCodeLength] = {};
    int used = 0;
    for (int b = 0; b < t.Blocks; ++b) {
        parts[b] = pool + used;
        count[b] = ListOrders(code, freeOf, b, pool + used);
        used += count[b];
    }
    uint32_t self = 0;
    for (int k = 0; k < t.Length; ++k) self += t.Weight[k] * t.DigitOf[code[k]];
    uint32_t numbers[kMaxMarks];
    int listed = 0;
    int at[MaxCodeLength] = {};
    while (listed < kMaxMarks) {
        OrderPart<Frees> outer = EmptyPart<Frees>();
        for (int b = 1; b < t.Blocks; ++b) AddPart(outer, parts[b][at[b]]);
        for (int i = 0; i < count[0] && listed < kMaxMarks; ++i) {
            OrderPart<Frees> sum = outer;
            AddPart(sum, parts[0][i]);
            numbers[listed++] = RenamedNumber(sum, digit);
        }
        int b = 1;
        while (b < t.Blocks && ++at[b] == count[b]) at[b++] = 0;
        if (b >= t.Blocks) break;
    }
    // The marks are set apart from the sums, so that many of them wait for memory at once.
    for (int i = 0; i < listed; ++i) {
        const uint32_t record = numbers[i] - t.Offset;
        if (record / 64 < TwinMarkBits.Count)
            __builtin_prefetch(&TwinMarkBits.Words[record / 64], 1);
    }
    for (int i = 0; i < listed; ++i)
        if (numbers[i] != self) MarkNumber(numbers[i]);
}

// Every class's total at once, a lane each (at most L + 1 classes); a class's totals stay below
// 2^31 (L times the candidates).
typedef int32_t ClassTotals __attribute__((vector_size(64)));

// The arrangements of a multiset from place k on, with the totals and the number so far: every
// leaf whose totals leave a range is marked. Bounds per place (the least and the most entry any
// sign of the multiset gives there, summed over the places still open) pass over a branch in
// which every leaf keeps within every range. Lanes of no class keep within their range always.
struct ArrangementWalk {
    int Length;
    int Slots;
    uint8_t Left[MaxCodeLength];
    uint32_t Digit[MaxCodeLength];  // per sign of the multiset its weight-one digit
    ClassTotals Entry[MaxCodeLength][MaxCodeLength];  // [place][slot]: what the sign adds there
    ClassTotals LowAfter[MaxCodeLength + 1];  // [place]: the least the places from there add
    ClassTotals HighAfter[MaxCodeLength + 1];
    ClassTotals Least;
    ClassTotals Most;
};

void WalkArrangements(ArrangementWalk& w, int k, ClassTotals total, uint32_t number) {
    // Every leaf below keeps within every range: nothing to mark.
    const ClassTotals outside =
        (total + w.LowAfter[k] < w.Least) | (total + w.HighAfter[k] > w.Most);
    typedef uint64_t ClassWords __attribute__((vector_size(64)));
    const ClassWords words = reinterpret_cast<ClassWords>(outside);
    uint64_t any = 0;
    for (int i = 0; i < 8; ++i) any |= words[i];
    if (any == 0) return;
    if (k == w.Length) {
        MarkNumber(number);  // not certain at a leaf: some total lies outside its range
        return;
    }
    const uint32_t weight = Twins.Weight[k];
    for (int j = 0; j < w.Slots; ++j) {
        if (w.Left[j] == 0) continue;
        --w.Left[j];
        WalkArrangements(w, k + 1, total + w.Entry[k][j], number + weight * w.Digit[j]);
        ++w.Left[j];
    }
}

}  // namespace

void MarkLosingArrangements(const ArrangementTest& test) {
    if (TwinMarkBits.Count == 0) return;
    ArrangementWalk w;
    w.Length = test.Length;
    w.Slots = test.Slots;
    for (int j = 0; j < test.Slots; ++j) {
        w.Left[j] = test.Count[j];
        w.Digit[j] = Twins.DigitOf[test.Sign[j]];
    }
    const ClassTotals none{};
    w.Least = none + INT32_MIN;
    w.Most = none + INT32_MAX;
    for (int k = 0; k <= test.Length; ++k) w.LowAfter[k] = w.HighAfter[k] = none;
    for (int k = 0; k < test.Length; ++k)
        for (int j = 0; j < test.Slots; ++j) w.Entry[k][j] = none;
    for (int c = 0; c < test.Classes; ++c) {
        w.Least[c] = test.Least[c];
        w.Most[c] = test.Most[c];
        for (int k = test.Length - 1; k >= 0; --k) {
            int32_t low = INT32_MAX;
            int32_t high = INT32_MIN;
            for (int j = 0; j < test.Slots; ++j) {
                const int32_t entry = test.Entries[c][k * test.Slots + j];
                w.Entry[k][j][c] = entry;
                low = std::min(low, entry);
                high = std::max(high, entry);
            }
            w.LowAfter[k][c] = w.LowAfter[k + 1][c] + low;
            w.HighAfter[k][c] = w.HighAfter[k + 1][c] + high;
        }
    }
    WalkArrangements(w, 0, none, 0);
}

// The marks of a new search: a bit per record, the digits of the record numbers, the free signs
// and the positions of every block. False when the memory is refused (no twins are sought).
bool BeginMarking() {
    const CandidateStoreRecord& s = CandidateStore;
    TwinSearch& t = Twins;
    TwinMarkRecord& m = TwinMarkBits;
    const size_t words = (static_cast<size_t>(s.Records) + 63) / 64;
    m.Words = static_cast<uint64_t*>(StoreAllocate(words * sizeof(uint64_t)));
    if (m.Words == nullptr) return false;
    m.Count = words;
    std::memset(m.Words, 0, words * sizeof(uint64_t));
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
    TwinMarkRecord& m = TwinMarkBits;
    if (m.Words != nullptr) StoreFree(m.Words, m.Count * sizeof(uint64_t));
    m = TwinMarkRecord{};
    Twins.Marking = false;
}

bool ManyTwins() {
    // A mark costs a few percent of the bounds that give a code up without a pass over the
    // groups; with a handful of twins, half of them behind the scan already, it does not pay.
    return Twins.MostTwins >= 8;
}

void MarkTwins(const uint8_t* signs) {
    const TwinSearch& t = Twins;
    // The code's free signs numbered in the order it meets them, and their digits.
    uint8_t code[MaxCodeLength];
    uint8_t freeOf[RingSize + 1];
    std::memset(freeOf, MaxCodeLength, sizeof freeOf);
    uint32_t digit[MaxCodeLength] = {};
    int frees = 0;
    for (int k = 0; k < t.Length; ++k) {
        code[k] = signs[k] <= RingSize ? signs[k] : 0;
        if (t.ColumnOf[code[k]] == kFree && freeOf[code[k]] == MaxCodeLength) {
            digit[frees] = t.DigitOf[code[k]];
            freeOf[code[k]] = static_cast<uint8_t>(frees++);
        }
    }
    // A sign that is not free is numbered past the last free one: Frees, the most free signs the
    // marking is made for (1, 2, or any number up to a code's length; the numbers unused then
    // hold no place and add nothing).
    const int numbered = frees <= 1 ? 1 : frees == 2 ? 2 : MaxCodeLength;
    for (int sign = 0; sign <= RingSize; ++sign)
        if (freeOf[sign] == MaxCodeLength) freeOf[sign] = static_cast<uint8_t>(numbered);
    if (numbered == 1) return MarkRenamedArrangements<1>(code, freeOf, digit);
    if (numbered == 2) return MarkRenamedArrangements<2>(code, freeOf, digit);
    MarkRenamedArrangements<MaxCodeLength>(code, freeOf, digit);
}
