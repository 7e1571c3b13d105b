// The twins of a search: the blocks of positions and the columns of signs that the answered
// trials allow to move, a name per trial code that all its twins share, and the slots that
// remember per name whether the code lost or what it counted.
#include "breaker/twin_trials.h"

#include <algorithm>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "match/code.h"
#include "shell/console/console.h"

int32_t TwinMinCandidates = 4096;
int64_t TrialCodesTwinned = 0;

namespace {

// A match has far fewer trials than this; should one have more, twins are no longer sought.
constexpr int kMaxAnswered = 64;
uint8_t Answered[kMaxAnswered][MaxCodeLength];
int AnsweredCount = 0;
bool AnsweredOverflow = false;

// A sign's column in a code's name: 0 for a sign that cannot score, 1.. for a live sign of an
// answered trial, and kFree for a live sign that no answered trial holds.
constexpr uint8_t kFree = 0xFF;
// Tied blocks are tried in at most this many orders.
constexpr int kMaxOrders = 24;
// Remembered codes: at most this many slots (8 bytes each, and 16 bytes of counts beside).
constexpr size_t kMaxSlots = size_t(1) << 21;
// When only the codes that reach a count are named, fewer slots serve: they are far fewer.
constexpr size_t kMaxLateSlots = size_t(1) << 20;
constexpr size_t kFirstSlots = size_t(1) << 12;
// A code that lost marks at most this many of its twins.
constexpr int kMaxMarks = 512;
// Searches with fewer candidates than TwinMinCandidates look for twins when they would classify
// at least this many (trial code, candidate) pairs in full.
constexpr double kLeastTwinPairs = double(int64_t(1) << 30);

// One way of trading the answered trial's signs: the row each block of positions goes to, and
// the column each of its signs becomes.
struct RowMap {
    uint8_t Row[MaxCodeLength];
    uint8_t Column[RingSize + 2];
};

// A slot holds the name plus one (0: empty), with kLostMark set when the code lost. Names use
// at most 54 bits. The counts of a code that did not lose stand beside, at the same place in
// SlotCounts: a lookup reads them only for such a code, so the slots the scan walks at random
// stay small.
constexpr uint64_t kLostMark = uint64_t(1) << 63;
struct SlotCounts {
    int64_t Squares;
    int32_t MaxClass;
    uint8_t IsCandidate;
};

struct TwinSearch {
    bool On = false;
    bool Early = false;  // every code is named, before it is examined
    size_t SlotLimit = 0;
    int Length = 0;
    int Fixed = 0;  // columns of live signs of the answered trials
    // Positions at which every answered trial holds the same sign form a block; block b is
    // row b of a code's name, RowStart[b] .. RowStart[b + 1] - 1 in it.
    uint8_t BlockOf[MaxCodeLength] = {};
    uint8_t RowStart[MaxCodeLength + 1] = {};
    int Blocks = 0;
    uint8_t ColumnOf[RingSize + 1] = {};
    // After a single answered trial: blocks of one size whose signs are both live or both
    // unable to score may trade places. Kinds[j] lists the blocks of kind j, rising.
    bool Trading = false;
    uint8_t Kinds[MaxCodeLength][MaxCodeLength] = {};
    uint8_t KindSize[MaxCodeLength] = {};
    int KindCount = 0;
    uint8_t BlockColumn[MaxCodeLength] = {};  // the column of the trial's sign in the block
    uint8_t ColumnBlock[RingSize + 2] = {};   // the block of a live sign's column
    RowMap Identity;
    uint64_t* Slots = nullptr;
    SlotCounts* Counts = nullptr;
    size_t Capacity = 0;  // slots, a power of two
    size_t Used = 0;
    bool Full = false;  // no more room will be asked for
    // Where no trade is allowed, twins are found by their record numbers instead of names: a
    // code that lost marks the records of its twins (a bit per record), and the scan passes
    // over a marked code without reading its signs.
    bool Marking = false;
    uint64_t* Marks = nullptr;
    size_t MarkWords = 0;
    uint32_t Weight[MaxCodeLength] = {};  // per position what its digit counts in the number
    uint8_t DigitOf[RingSize + 1] = {};   // per sign its digit
    uint32_t Offset = 0;                  // 1 with the vacant sign in play
    uint8_t Free[RingSize + 1] = {};      // the free signs, rising
    int FreeCount = 0;
    uint8_t BlockPlaces[MaxCodeLength][MaxCodeLength] = {};  // per block its positions
    double MostTwins = 0;  // the orders within the blocks times the renamings of free signs
};
TwinSearch Twins;

void FreeMarks() {
    if (Twins.Marks != nullptr) StoreFree(Twins.Marks, Twins.MarkWords * sizeof(uint64_t));
    Twins.Marks = nullptr;
    Twins.MarkWords = 0;
    Twins.Marking = false;
}

void FreeSlots() {
    if (Twins.Slots != nullptr) StoreFree(Twins.Slots, Twins.Capacity * sizeof(uint64_t));
    if (Twins.Counts != nullptr) StoreFree(Twins.Counts, Twins.Capacity * sizeof(SlotCounts));
    Twins.Slots = nullptr;
    Twins.Counts = nullptr;
    Twins.Capacity = 0;
    Twins.Used = 0;
}

size_t Home(uint64_t key, size_t capacity) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & (capacity - 1);
}

// Room for twice as many slots; false when it is refused (the old slots stay).
bool Grow() {
    const size_t capacity = Twins.Capacity == 0 ? kFirstSlots : Twins.Capacity * 2;
    if (capacity > Twins.SlotLimit) return false;
    uint64_t* slots = static_cast<uint64_t*>(StoreAllocate(capacity * sizeof(uint64_t)));
    if (slots == nullptr) return false;
    SlotCounts* counts = static_cast<SlotCounts*>(StoreAllocate(capacity * sizeof(SlotCounts)));
    if (counts == nullptr) {
        StoreFree(slots, capacity * sizeof(uint64_t));
        return false;
    }
    std::memset(slots, 0, capacity * sizeof(uint64_t));
    for (size_t i = 0; i < Twins.Capacity; ++i) {
        const uint64_t slot = Twins.Slots[i];
        if (slot == 0) continue;
        size_t at = Home(slot & ~kLostMark, capacity);
        while (slots[at] != 0) at = (at + 1) & (capacity - 1);
        slots[at] = slot;
        if ((slot & kLostMark) == 0) counts[at] = Twins.Counts[i];
    }
    const size_t used = Twins.Used;
    FreeSlots();
    Twins.Slots = slots;
    Twins.Counts = counts;
    Twins.Capacity = capacity;
    Twins.Used = used;
    return true;
}

// The blocks of positions and the columns of the signs, from the answered trials.
void MakeBlocks(int length) {
    TwinSearch& t = Twins;
    uint8_t first[MaxCodeLength];  // the first position of each block
    t.Blocks = 0;
    for (int k = 0; k < length; ++k) {
        int b = 0;
        for (; b < t.Blocks; ++b) {
            bool same = true;
            for (int a = 0; a < AnsweredCount && same; ++a)
                same = Answered[a][k] == Answered[a][first[b]];
            if (same) break;
        }
        if (b == t.Blocks) first[t.Blocks++] = static_cast<uint8_t>(k);
        t.BlockOf[k] = static_cast<uint8_t>(b);
    }
    uint8_t size[MaxCodeLength] = {};
    for (int k = 0; k < length; ++k) ++size[t.BlockOf[k]];
    t.RowStart[0] = 0;
    for (int b = 0; b < t.Blocks; ++b)
        t.RowStart[b + 1] = static_cast<uint8_t>(t.RowStart[b] + size[b]);

    uint8_t held[RingSize + 1] = {};
    for (int a = 0; a < AnsweredCount; ++a)
        for (int k = 0; k < length; ++k) held[Answered[a][k]] = 1;
    t.Fixed = 0;
    for (int sign = 0; sign <= RingSize; ++sign) {
        if (!SignAlive[sign])
            t.ColumnOf[sign] = 0;
        else if (held[sign])
            t.ColumnOf[sign] = static_cast<uint8_t>(++t.Fixed);
        else
            t.ColumnOf[sign] = kFree;
    }

    RowMap& identity = t.Identity;
    for (int b = 0; b < MaxCodeLength; ++b) identity.Row[b] = static_cast<uint8_t>(b);
    for (int c = 0; c < RingSize + 2; ++c) identity.Column[c] = static_cast<uint8_t>(c);

    t.Trading = false;
    t.KindCount = 0;
    if (AnsweredCount != 1) return;
    for (int b = 0; b < t.Blocks; ++b) {
        t.BlockColumn[b] = t.ColumnOf[Answered[0][first[b]]];
        if (t.BlockColumn[b] != 0) t.ColumnBlock[t.BlockColumn[b]] = static_cast<uint8_t>(b);
    }
    bool sorted[MaxCodeLength] = {};
    for (int b = 0; b < t.Blocks; ++b) {
        if (sorted[b]) continue;
        uint8_t* kind = t.Kinds[t.KindCount];
        int count = 0;
        for (int o = b; o < t.Blocks; ++o) {
            if (sorted[o] || size[o] != size[b] ||
                (t.BlockColumn[o] == 0) != (t.BlockColumn[b] == 0))
                continue;
            sorted[o] = true;
            kind[count++] = static_cast<uint8_t>(o);
        }
        if (count < 2) continue;
        t.KindSize[t.KindCount++] = static_cast<uint8_t>(count);
        t.Trading = true;
    }
}

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

void NoteAnsweredTrial(const uint8_t* signs, int length) {
    if (AnsweredCount == kMaxAnswered) {
        AnsweredOverflow = true;
        return;
    }
    std::memset(Answered[AnsweredCount], 0, MaxCodeLength);
    std::memcpy(Answered[AnsweredCount], signs, static_cast<size_t>(length));
    ++AnsweredCount;
}

void ForgetAnsweredTrials() {
    AnsweredCount = 0;
    AnsweredOverflow = false;
}

void BeginTwinSearch(int32_t codes, bool lateNaming) {
    EndTwinSearch();
    const CandidateStoreRecord& s = CandidateStore;
    TwinSearch& t = Twins;
    t.Length = s.Length;
    // Few candidates are counted quickly, unless there are very many codes to count them for.
    const bool large = s.CandidateCount >= TwinMinCandidates ||
                       double(codes) * double(s.CandidateCount) >= kLeastTwinPairs;
    if (AnsweredOverflow || codes < 2 || !large || s.Length < 1 || s.Length > MaxCodeLength) return;
    MakeBlocks(s.Length);
    // Twins need two positions that may swap or two signs that may trade places; free signs
    // alone are left to the symmetry filter.
    const bool swaps = t.Blocks < t.Length;
    if (!swaps && !t.Trading) return;
    if (!t.Trading && s.Numbered) {
        t.On = BeginMarking();
        return;
    }
    // The ways of swapping and trading: a code has at most this many twins. When the codes
    // would still leave more names than the slots can hold, most twins would find no verdict
    // and the names would only cost time.
    double ways = 1;
    for (int b = 0; b < t.Blocks; ++b)
        for (int i = 2; i <= t.RowStart[b + 1] - t.RowStart[b]; ++i) ways *= i;
    for (int j = 0; j < t.KindCount; ++j)
        for (int i = 2; i <= t.KindSize[j]; ++i) ways *= i;
    t.Early = codes / ways <= static_cast<double>(kMaxSlots / 2);
    if (!t.Early && !lateNaming) return;
    t.SlotLimit = t.Early ? kMaxSlots : kMaxLateSlots;
    t.On = true;
    t.Full = false;
}

bool TwinsSought() {
    return Twins.On;
}

bool TwinsNamedEarly() {
    return Twins.On && !Twins.Marking && Twins.Early;
}

bool TwinsMarked() {
    return Twins.On && Twins.Marking;
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

namespace {

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

void PrefetchTwin(uint64_t key) {
    const TwinSearch& t = Twins;
    if (t.Capacity > 0) __builtin_prefetch(&t.Slots[Home(key, t.Capacity)]);
}

TwinVerdict LookUpTwin(uint64_t key) {
    TwinVerdict verdict;
    const TwinSearch& t = Twins;
    if (t.Capacity == 0) return verdict;
    for (size_t at = Home(key, t.Capacity);; at = (at + 1) & (t.Capacity - 1)) {
        const uint64_t slot = t.Slots[at];
        if (slot == 0) return verdict;
        if ((slot & ~kLostMark) != key) continue;
        verdict.Known = true;
        verdict.Lost = (slot & kLostMark) != 0;
        if (!verdict.Lost) {
            const SlotCounts& counts = t.Counts[at];
            verdict.MaxClass = counts.MaxClass;
            verdict.Squares = counts.Squares;
            verdict.IsCandidate = counts.IsCandidate != 0;
        }
        return verdict;
    }
}

void RememberTwin(uint64_t key, bool lost, const ClassCounts& counts) {
    TwinSearch& t = Twins;
    // Half full asks for more room; without it the slots fill up to three quarters.
    if ((t.Used + 1) * 2 > t.Capacity && !t.Full && !Grow()) t.Full = true;
    if (t.Capacity == 0 || (t.Used + 1) * 4 > t.Capacity * 3) return;
    size_t at = Home(key, t.Capacity);
    while (t.Slots[at] != 0) {
        if ((t.Slots[at] & ~kLostMark) == key) return;
        at = (at + 1) & (t.Capacity - 1);
    }
    t.Slots[at] = key | (lost ? kLostMark : 0);
    if (!lost) t.Counts[at] = SlotCounts{counts.Squares, counts.MaxClass, counts.IsCandidate};
    ++t.Used;
}

void EndTwinSearch() {
    FreeSlots();
    FreeMarks();
    Twins.On = false;
    Twins.Full = false;
}
