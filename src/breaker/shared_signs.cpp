// The keys of every trial code where the candidates share their signs, and the scan's look-up.
#include "breaker/shared_signs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/class_pass.h"
#include "breaker/few_candidates.h"
#include "breaker/long_work.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"

namespace {

// The table takes at most this much memory (3 bytes a record at most).
constexpr size_t kMaxKeyBytes = size_t(128) << 20;
// Searches that examine fewer than one record in this many count their other ways.
constexpr int32_t kLeastShareExamined = 8;
// The codes of the least largest class keep their squares while there are at most this many
// (and at most one in 8 records).
constexpr size_t kMostLeast = size_t(1) << 18;
constexpr int kEndPlaces = 3;

// The candidates of one P per lane, 16 bits each: P never exceeds 9, and no count exceeds the
// candidates, at most 65,535. Differences may wrap in between; the counts that come out do not.
typedef uint16_t PLanes __attribute__((vector_size(32)));
typedef uint32_t WidePLanes __attribute__((vector_size(64)));
constexpr int kPLanes = 16;

struct SharedSignsRecord {
    bool On = false;
    // Per record its largest class, and in the bits below it as much of its sum of squares as
    // finds room (the squares' lowest bits dropped): a larger key is a strictly worse code.
    uint16_t* Keys = nullptr;
    size_t KeyBytes = 0;
    int SquareBits = 0;
    int SquareShift = 0;
    // The least largest class of any record, and while it is complete the list of the records
    // that have it (rising) with their squares.
    uint32_t Least = UINT32_MAX;
    bool LeastListed = true;
    uint32_t* LeastRecords = nullptr;
    uint32_t* LeastSquares = nullptr;
    size_t LeastCount = 0;
    size_t LeastRoom = 0;
};
SharedSignsRecord Shared;

// The candidates' P over the beginning so far, and per candidate its cell: its signs at the
// last three places, each numbered among the shared signs from 1 (0: a sign no candidate holds).
struct Beginnings {
    int Length = 0;
    int32_t Candidates = 0;
    int Cells = 0;  // signs numbered 0..Cells-1 per place
    uint8_t SignNumber[RingSize + 1] = {};
    uint8_t CellOfDigit[RingSize + 2] = {};
    std::vector<uint16_t> Cell;
    std::vector<std::vector<uint8_t>> Partial;  // [depth][candidate]
    // Per cell of the three places (outer, middle, inner: digits 2, 1, 0), the candidates per
    // partial P, then the sums over one or two of the places.
    std::vector<PLanes> Full, OuterMiddle, OuterInner, MiddleInner, Outer, Middle, Inner;
    PLanes None{};
    uint32_t Codes = 0;  // codes per beginning: base^3
    int64_t Done = 0;    // codes keyed so far
    int64_t NextGlance = GlanceItems;
    bool Broken = false;
};

// Multiplies the counts by (x - 1) as polynomials in x over P: each lane takes the one below
// less its own.
inline __attribute__((always_inline)) PLanes Step(PLanes lanes) {
    const PLanes up = __builtin_shufflevector(lanes, PLanes{}, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                              11, 12, 13, 14);
    return up - lanes;
}

// A code's largest class is kept; where it is the least so far, its squares too.
inline __attribute__((always_inline)) void Keep(uint32_t record, PLanes sizes) {
    PLanes most = sizes;
    PLanes other =
        __builtin_shufflevector(most, most, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7);
    most = most > other ? most : other;
    other =
        __builtin_shufflevector(most, most, 4, 5, 6, 7, 0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 14, 15);
    most = most > other ? most : other;
    other =
        __builtin_shufflevector(most, most, 2, 3, 0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    most = most > other ? most : other;
    const uint32_t largest = most[0] > most[1] ? most[0] : most[1];
    WidePLanes wide = __builtin_convertvector(sizes, WidePLanes);
    wide *= wide;
    uint32_t squares = 0;  // at most the candidates squared, below 2^32
    for (int i = 0; i < kPLanes; ++i) squares += wide[i];
    Shared.Keys[record] =
        static_cast<uint16_t>((largest << Shared.SquareBits) | (squares >> Shared.SquareShift));
    if (largest > Shared.Least) return;
    if (largest < Shared.Least) {
        Shared.Least = largest;
        Shared.LeastListed = true;
        Shared.LeastCount = 0;
    }
    if (!Shared.LeastListed) return;
    if (Shared.LeastCount == Shared.LeastRoom) {
        Shared.LeastListed = false;
        return;
    }
    Shared.LeastRecords[Shared.LeastCount] = record;
    Shared.LeastSquares[Shared.LeastCount++] = squares;
}

// Whether every candidate holds the same signs; numbers them (from 1, per digit) for the cells.
bool OneMultiset(Beginnings& b) {
    const CandidateStoreRecord& s = CandidateStore;
    uint8_t first[RingSize + 1] = {};
    for (int k = 0; k < s.Length; ++k) ++first[s.CandidatePositions[k][0]];
    for (int32_t c = 1; c < s.CandidateCount; ++c) {
        uint8_t count[RingSize + 1] = {};
        for (int k = 0; k < s.Length; ++k) ++count[s.CandidatePositions[k][c]];
        if (std::memcmp(count, first, sizeof count) != 0) return false;
    }
    int cells = 1;
    for (int sign = 1; sign <= RingSize; ++sign)
        if (first[sign] > 0) b.SignNumber[sign] = static_cast<uint8_t>(cells++);
    b.Cells = cells;
    for (uint32_t d = 0; d < s.DigitBase; ++d) b.CellOfDigit[d] = b.SignNumber[s.DigitSign[d]];
    return first[0] == 0;
}

void SetUp(Beginnings& b) {
    const CandidateStoreRecord& s = CandidateStore;
    b.Length = s.Length;
    b.Candidates = s.CandidateCount;
    const int w = b.Cells;
    const size_t padded = static_cast<size_t>(b.Candidates + 63) / 64 * 64;
    b.Cell.assign(padded, 0);
    const uint8_t* numberOf = b.SignNumber;
    const uint8_t* outer = s.CandidatePositions[s.DigitPlace[2]];
    const uint8_t* middle = s.CandidatePositions[s.DigitPlace[1]];
    const uint8_t* inner = s.CandidatePositions[s.DigitPlace[0]];
    for (int32_t c = 0; c < b.Candidates; ++c)
        b.Cell[c] = static_cast<uint16_t>((numberOf[outer[c]] * w + numberOf[middle[c]]) * w +
                                          numberOf[inner[c]]);
    b.Partial.assign(static_cast<size_t>(b.Length - kEndPlaces + 1), std::vector<uint8_t>(padded));
    b.Full.assign(static_cast<size_t>(w * w * w), PLanes{});
    b.OuterMiddle.assign(static_cast<size_t>(w * w), PLanes{});
    b.OuterInner.assign(static_cast<size_t>(w * w), PLanes{});
    b.MiddleInner.assign(static_cast<size_t>(w * w), PLanes{});
    b.Outer.assign(static_cast<size_t>(w), PLanes{});
    b.Middle.assign(static_cast<size_t>(w), PLanes{});
    b.Inner.assign(static_cast<size_t>(w), PLanes{});
    b.Codes = s.DigitBase * s.DigitBase * s.DigitBase;
}

// The candidates per cell and partial P for one beginning, and the sums over the places.
void CountCells(Beginnings& b, const uint8_t* partial) {
    const int w = b.Cells;
    std::fill(b.Full.begin(), b.Full.end(), PLanes{});
    uint16_t* full = reinterpret_cast<uint16_t*>(b.Full.data());
    for (int32_t c = 0; c < b.Candidates; ++c) ++full[b.Cell[c] * kPLanes + partial[c]];
    std::fill(b.OuterInner.begin(), b.OuterInner.end(), PLanes{});
    std::fill(b.MiddleInner.begin(), b.MiddleInner.end(), PLanes{});
    std::fill(b.Outer.begin(), b.Outer.end(), PLanes{});
    std::fill(b.Middle.begin(), b.Middle.end(), PLanes{});
    std::fill(b.Inner.begin(), b.Inner.end(), PLanes{});
    b.None = PLanes{};
    for (int u = 1; u < w; ++u) {
        for (int v = 1; v < w; ++v) {
            PLanes row{};
            for (int t = 1; t < w; ++t) {
                const PLanes cell = b.Full[(u * w + v) * w + t];
                row += cell;
                b.OuterInner[u * w + t] += cell;
                b.MiddleInner[v * w + t] += cell;
            }
            b.OuterMiddle[u * w + v] = row;
            b.Outer[u] += row;
            b.Middle[v] += row;
        }
        b.None += b.Outer[u];
    }
    for (int t = 1; t < w; ++t)
        for (int u = 1; u < w; ++u) b.Inner[t] += b.OuterInner[u * w + t];
}

// The keys of the codes of one beginning, from the number of its first code on. For a candidate
// of partial P v that holds the code's sign at a set E of the last places, x^P = x^v times the
// product over E of (1 + (x - 1)); summed over the candidates, the class sizes are the sum over
// sets S of the last places of (x - 1)^|S| times the candidates that hold the code's signs at
// least at S, per v: one look-up per S.
void KeyEndings(Beginnings& b, uint32_t number) {
    const CandidateStoreRecord& s = CandidateStore;
    const int w = b.Cells;
    const uint32_t base = s.DigitBase;
    const uint32_t skip = s.VacantInPlay ? 1 : 0;
    for (uint32_t d2 = 0; d2 < base; ++d2) {
        const int u = b.CellOfDigit[d2];
        for (uint32_t d1 = 0; d1 < base; ++d1) {
            const int v = b.CellOfDigit[d1];
            const PLanes begun =
                b.None + Step(b.Outer[u] + b.Middle[v] + Step(b.OuterMiddle[u * w + v]));
            const PLanes* full = &b.Full[(u * w + v) * w];
            const PLanes* outerInner = &b.OuterInner[u * w];
            const PLanes* middleInner = &b.MiddleInner[v * w];
            for (uint32_t d0 = 0; d0 < base; ++d0) {
                const int t = b.CellOfDigit[d0];
                const PLanes ended =
                    b.Inner[t] + Step(outerInner[t] + middleInner[t] + Step(full[t]));
                const uint32_t at = number + d0;
                if (at >= skip) Keep(at - skip, begun + Step(ended));
            }
            number += base;
        }
    }
}

// The beginnings depth first, the digits of the record numbers from the slowest on.
void WalkBeginnings(Beginnings& b, int depth, uint32_t number) {
    const CandidateStoreRecord& s = CandidateStore;
    const int prefix = b.Length - kEndPlaces;
    if (b.Broken) return;
    if (depth == prefix) {
        CountCells(b, b.Partial[static_cast<size_t>(depth)].data());
        KeyEndings(b, number * b.Codes);
        b.Done += b.Codes;
        if (b.Done >= b.NextGlance) {
            b.NextGlance = b.Done + GlanceItems;
            ClockTick();
            b.Broken = WorkGlance();
        }
        return;
    }
    const int digit = b.Length - 1 - depth;
    const uint8_t* column = s.CandidatePositions[s.DigitPlace[digit]];
    const uint8_t* from = b.Partial[static_cast<size_t>(depth)].data();
    uint8_t* to = b.Partial[static_cast<size_t>(depth + 1)].data();
    const size_t padded = b.Partial[0].size();
    for (uint32_t d = 0; d < s.DigitBase; ++d) {
        const uint8_t sign = s.DigitSign[d];
        for (size_t c = 0; c < padded; ++c) to[c] = from[c] + (column[c] == sign ? 1 : 0);
        WalkBeginnings(b, depth + 1, number * s.DigitBase + d);
    }
}

int BitWidth(uint64_t value) {
    int bits = 0;
    for (; value > 0; value >>= 1) ++bits;
    return bits;
}

}  // namespace

bool MakeSharedSignTable() {
    const CandidateStoreRecord& s = CandidateStore;
    EndSharedSigns();
    const int32_t n = s.CandidateCount;
    if (!s.Numbered || n < 1 || n > 65535 || s.Length < kEndPlaces || s.Records <= 0) return false;
    uint64_t total = 1;
    for (int k = 0; k < s.Length; ++k) total *= s.DigitBase;
    if (total - (s.VacantInPlay ? 1 : 0) != static_cast<uint64_t>(s.Records)) return false;
    Beginnings b;
    if (!OneMultiset(b)) return false;
    // The keys, then the list of the least largest class: at most a byte a record.
    const size_t room = std::min(kMostLeast, static_cast<size_t>(s.Records) / 8);
    const size_t keyBytes = (static_cast<size_t>(s.Records) * sizeof(uint16_t) + 3) / 4 * 4;
    const size_t bytes = keyBytes + 2 * room * sizeof(uint32_t);
    if (bytes > kMaxKeyBytes || !StoreMayUse(bytes)) return false;
    // The table takes the groups' place: they go first, so that the two never take memory
    // together (a later search without the table makes them anew).
    ReleaseCandidateGroups();
    uint8_t* block = static_cast<uint8_t*>(StoreAllocate(bytes));
    if (block == nullptr) return false;
    Shared.Keys = reinterpret_cast<uint16_t*>(block);
    Shared.KeyBytes = bytes;
    Shared.LeastRecords = reinterpret_cast<uint32_t*>(block + keyBytes);
    Shared.LeastSquares = Shared.LeastRecords + room;
    Shared.LeastRoom = room;
    Shared.SquareBits = 16 - BitWidth(static_cast<uint64_t>(n));
    Shared.SquareShift = std::max(0, BitWidth(uint64_t(n) * uint64_t(n)) - Shared.SquareBits);
    SetUp(b);
    WalkBeginnings(b, 0, 0);
    if (b.Broken) {
        EndSharedSigns();
        return false;
    }
    Shared.On = true;
    return true;
}

bool BeginSharedSigns(bool realSearch) {
    EndSharedSigns();
    // The table is made for every record: worth it where a good share of them is examined.
    const CandidateStoreRecord& s = CandidateStore;
    if (!realSearch || s.CandidateCount < 2 || s.TrialCount < s.Records / kLeastShareExamined)
        return false;
    return MakeSharedSignTable();
}

bool SharedSignsOn() {
    return Shared.On;
}

void EndSharedSigns() {
    if (Shared.Keys != nullptr) StoreFree(Shared.Keys, Shared.KeyBytes);
    Shared = SharedSignsRecord{};
}

int32_t SharedLargestClass(uint32_t record) {
    return Shared.Keys[record] >> Shared.SquareBits;
}

int64_t SharedSquares(uint32_t record) {
    if (SharedLargestClass(record) != static_cast<int32_t>(Shared.Least) || !Shared.LeastListed)
        return -1;
    const uint32_t* at =
        std::lower_bound(Shared.LeastRecords, Shared.LeastRecords + Shared.LeastCount, record);
    return Shared.LeastSquares[at - Shared.LeastRecords];
}

bool SharedSignsLoses(uint32_t record, int32_t bestMax, int64_t bestSquares) {
    if (bestMax == INT32_MAX) return false;
    const uint32_t best =
        (static_cast<uint32_t>(bestMax) << Shared.SquareBits) |
        static_cast<uint32_t>(static_cast<uint64_t>(bestSquares) >> Shared.SquareShift);
    const uint32_t key = Shared.Keys[record];
    const bool loses =
        key > best || ((key >> Shared.SquareBits) == static_cast<uint32_t>(bestMax) &&
                       SharedSquares(record) > bestSquares);
    if (loses) ++TrialCodesAbandoned;
    return loses;
}

void PrefetchSharedSigns(uint32_t record) {
    __builtin_prefetch(Shared.Keys + record);
}
