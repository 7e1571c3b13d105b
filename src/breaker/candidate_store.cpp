// The computer's code stores.
#include "breaker/candidate_store.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "breaker/candidate_groups.h"
#include "breaker/long_work.h"
#include "breaker/opening_book.h"
#include "breaker/record_ranks.h"
#include "breaker/search_progress.h"
#include "breaker/shared_signs.h"
#include "breaker/shuffle.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_trials.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/encoder_store.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/settings.h"

CandidateStoreRecord CandidateStore;
FixedTrial FixedTrialRecord;
uint8_t PosMap[MaxCodeLength + 1];
uint8_t SignMap[RingSize + 1];

namespace {

// The shuffle's draw per record while the store is built: in the candidate arrays' block when
// that has room (their pages are then fresh only once), else a block of its own.
uint32_t* Draws = nullptr;
bool DrawsOwnBlock = false;

// The passes over all records after the enumeration (the sorting and replaying of the shuffle,
// the candidate chain) are done in slices of a few milliseconds, with the keyboard and the clock
// looked at between them, so that Esc acts there at once too.
constexpr int32_t kRecordSlice = 1 << 18;
constexpr uint32_t kBucketSlice = 1 << 14;
// Records whose shuffle places are drawn together.
constexpr int32_t kDrawStretch = 2048;

size_t RecordBytes(int32_t records, size_t width) {
    return static_cast<size_t>(records) * width;
}

void FreeDraws() {
    if (Draws != nullptr && DrawsOwnBlock)
        StoreFree(Draws, RecordBytes(CandidateStore.Allocated, sizeof(uint32_t)));
    Draws = nullptr;
    DrawsOwnBlock = false;
}

void FreeCandidateArrays() {
    CandidateStoreRecord& s = CandidateStore;
    for (uint8_t*& column : s.Positions) {
        if (column != nullptr) StoreFree(column, RecordBytes(s.Allocated, 1));
        column = nullptr;
    }
    if (s.Marks != nullptr) StoreFree(s.Marks, RecordBytes(s.Allocated, 1));
    if (s.TrialChain != nullptr)
        StoreFree(s.TrialChain, RecordBytes(s.Allocated, sizeof(uint32_t)));
    if (s.ChainMarks != nullptr) StoreFree(s.ChainMarks, s.ChainMarksBytes);
    FreeDraws();
    // The candidate arrays are one block, from the first position's array on.
    if (s.CandidatePositions[0] != nullptr)
        StoreFree(s.CandidatePositions[0], RecordBytes(s.CandidateCapacity, size_t(s.Length)));
    s = CandidateStoreRecord{};
    ReleaseCandidateGroups();
    EndTwinSearch();
    EndRecordRanks();
    EndSharedSigns();
}

// Between two stretches of the build: true when Esc or Ctrl-C breaks it off.
bool TickAndBreakOff() {
    return WorkTick() == WorkKey::BreakOff;
}

// The number of codes of length L whose digits run from low to n, the all-vacant one left out.
int64_t OdometerTotal(int length, int low, int n) {
    int64_t total = 1;
    for (int k = 0; k < length; ++k) total *= n + 1 - low;
    return low == 0 ? total - 1 : total;
}

// One block of the store; false when it cannot be had or Esc breaks the build off while the
// block is given its pages (the keyboard is looked at after each block).
template <typename Item>
bool Allocate(Item*& block, size_t bytes) {
    block = static_cast<Item*>(StoreAllocate(bytes));
    return block != nullptr && !TickAndBreakOff();
}

// Everything the store needs, in one go after the machine has said it can back it.
bool AllocateArrays(int length, int32_t records, int32_t candidates) {
    CandidateStoreRecord& s = CandidateStore;
    const int32_t capacity = (candidates + CandidateBlock - 1) / CandidateBlock * CandidateBlock;
    const size_t candidateBytes = RecordBytes(capacity, size_t(length));
    const bool drawsInside = candidateBytes >= RecordBytes(records, sizeof(uint32_t));
    const size_t perRecord =
        static_cast<size_t>(length) + 1 + (drawsInside ? 1 : 2) * sizeof(uint32_t);
    const size_t bytes = RecordBytes(records, perRecord) + candidateBytes;
    if (!StoreMayUse(bytes)) return false;
    s.Allocated = records;
    for (int k = 0; k < length; ++k)
        if (!Allocate(s.Positions[k], RecordBytes(records, 1))) return false;
    if (!Allocate(s.Marks, RecordBytes(records, 1))) return false;
    if (!Allocate(s.TrialChain, RecordBytes(records, sizeof(uint32_t)))) return false;
    if (capacity > 0) {
        uint8_t* block = static_cast<uint8_t*>(StoreAllocate(candidateBytes));
        if (block == nullptr) return false;
        s.CandidateCapacity = capacity;
        for (int k = 0; k < length; ++k)
            s.CandidatePositions[k] = block + RecordBytes(capacity, size_t(k));
        if (TickAndBreakOff()) return false;
    }
    if (drawsInside) {
        Draws = reinterpret_cast<uint32_t*>(s.CandidatePositions[0]);
    } else {
        Draws = static_cast<uint32_t*>(StoreAllocate(RecordBytes(records, sizeof(uint32_t))));
        if (Draws == nullptr) return false;
        DrawsOwnBlock = true;
        if (TickAndBreakOff()) return false;
    }
    return true;
}

// The odometer of the enumeration, d[1] fastest, writing the codes' signs into the position
// columns (through PosMap and SignMap) a run at a time: the two fastest digits go through all
// their values in one run, the slower ones stand still in it.
struct Odometer {
    int Length = 0;
    int Low = 1;
    int Base = 0;                  // values per digit
    int32_t Offset = 0;            // the two fastest digits as one number, d[1] + Base x d[2]
    uint8_t Digit[MaxCodeLength];  // d[3..L] (the first two are in Offset)
    uint8_t* Column[MaxCodeLength];
    uint8_t Fastest[(RingSize + 1) * (RingSize + 1)];  // the sign of d[1] by Offset
    uint8_t Second[(RingSize + 1) * (RingSize + 1)];   // the sign of d[2] by Offset
};

void StartOdometer(Odometer& o, int length, int n, int low) {
    CandidateStoreRecord& s = CandidateStore;
    o.Length = length;
    o.Low = low;
    o.Base = n + 1 - low;
    for (int k = 0; k < length; ++k) {
        o.Column[k] = s.Positions[PosMap[k + 1] - 1];
        o.Digit[k] = static_cast<uint8_t>(low);
    }
    for (int t = 0; t < o.Base * o.Base; ++t) {
        o.Fastest[t] = SignMap[low + t % o.Base];
        o.Second[t] = SignMap[low + t / o.Base];
    }
    // With the vacant sign in play the all-vacant code is skipped: the odometer starts one on.
    o.Offset = low == 0 ? 1 : 0;
}

// Writes the codes of the records [from, to) and moves the odometer on behind them.
void WriteCodes(Odometer& o, int32_t from, int32_t to) {
    const int32_t block = o.Base * o.Base;
    int32_t r = from;
    while (r < to) {
        const int32_t run = std::min(block - o.Offset, to - r);
        std::memcpy(o.Column[0] + r, o.Fastest + o.Offset, static_cast<size_t>(run));
        std::memcpy(o.Column[1] + r, o.Second + o.Offset, static_cast<size_t>(run));
        for (int k = 2; k < o.Length; ++k)
            std::memset(o.Column[k] + r, SignMap[o.Digit[k]], static_cast<size_t>(run));
        r += run;
        o.Offset += run;
        if (o.Offset == block) {
            // The lowest slower digit that can still grow grows, those below restart.
            o.Offset = 0;
            int j = 2;
            while (j < o.Length && o.Digit[j] == o.Low + o.Base - 1)
                o.Digit[j++] = static_cast<uint8_t>(o.Low);
            if (j < o.Length) ++o.Digit[j];
        }
    }
}

// Every code of the odometer, each a record: its signs placed through PosMap and SignMap, its
// shuffle place drawn. False when it was broken off.
bool EnumerateCodes(int length, int n, int low, int32_t total) {
    CandidateStoreRecord& s = CandidateStore;
    static Odometer odometer;
    StartOdometer(odometer, length, n, low);
    // The keyboard is looked at per record; the codes are written and the shuffle places drawn
    // a stretch of records at a time (the draws do not depend on the keyboard or the clock). A
    // break-off draws for the records before it, as one record at a time would have.
    int32_t done = 0;
    for (int32_t r = 0; r < total; ++r) {
        if (WorkStep() == WorkKey::BreakOff) {
            DrawShufflePlaces(ShuffleBucketCount, Draws + done, r - done);
            return false;
        }
        s.Records = r + 1;
        CountWorkItem();
        if (r + 1 - done == kDrawStretch) {
            WriteCodes(odometer, done, r + 1);
            DrawShufflePlaces(ShuffleBucketCount, Draws + done, kDrawStretch);
            done = r + 1;
        }
    }
    WriteCodes(odometer, done, total);
    DrawShufflePlaces(ShuffleBucketCount, Draws + done, total - done);
    return true;
}

// The chain stands: the insertion points go from the mark bytes, the draws are freed.
bool ChainTrialsDone(int32_t total) {
    CandidateStoreRecord& s = CandidateStore;
    std::memset(s.Marks, 0, RecordBytes(total, 1));
    FreeDraws();
    s.TrialCount = total;
    s.ChainMarksValid = false;
    return true;
}

// The trial chain: the buckets in index order, each in the order its insertions give.
bool ChainTrials(int32_t total) {
    CandidateStoreRecord& s = CandidateStore;
    // The insertion points are kept beside the sorted records in the mark bytes, which the
    // symmetry filter only needs once the store stands.
    uint8_t* points = s.Marks;
    if (FewRecords(ShuffleBucketCount, total)) {
        ChainFewRecords(ShuffleBucketCount, Draws, total, s.TrialChain, points);
        if (TickAndBreakOff()) return false;
        return ChainTrialsDone(total);
    }
    BucketStarts(ShuffleBucketCount);
    // In two passes that stay in the cache when the partitions fit their scratch array (they
    // always do within the memory levels), else in one.
    const bool partitioned = PartitionsFit(ShuffleBucketCount, static_cast<uint32_t>(total));
    for (int32_t from = 0; from < total; from += kRecordSlice) {
        const int32_t to = total - from > kRecordSlice ? from + kRecordSlice : total;
        if (partitioned)
            PartitionRecords(Draws, from, to, s.TrialChain);
        else
            ScatterRecords(Draws, from, to, s.TrialChain, points);
        if (TickAndBreakOff()) return false;
    }
    uint32_t start = 0;
    for (uint32_t b = 0; b < static_cast<uint32_t>(ShuffleBucketCount); b += kBucketSlice) {
        if (partitioned)
            start =
                SortAndReplayPartitions(b, b + kBucketSlice, start, s.TrialChain, points, Draws);
        else
            start = ReplayBuckets(b, b + kBucketSlice, start, s.TrialChain, points, Draws);
        if (TickAndBreakOff()) return false;
    }
    return ChainTrialsDone(total);
}

// to[r] = from[total - 1 - r] for the places r of [first, last), eight bytes at a time.
void ReverseCopy(const uint8_t* from, uint8_t* to, int32_t total, int32_t first, int32_t last) {
    int32_t r = first;
    for (; r + 8 <= last; r += 8) {
        uint64_t word;
        std::memcpy(&word, from + (total - r - 8), sizeof word);
        word = __builtin_bswap64(word);
        std::memcpy(to + r, &word, sizeof word);
    }
    for (; r < last; ++r) to[r] = from[total - 1 - r];
}

// The candidate chain in allocation order, newest record first: with repetitions and no
// vacant sign every record, otherwise those without the vacant sign and, without
// repetitions, without a repeated sign. False when it was broken off.
bool ChainCandidates(int length, bool vacant, bool repetitions) {
    CandidateStoreRecord& s = CandidateStore;
    const int32_t total = s.Records;
    int32_t count = 0;
    if (repetitions && !vacant) {
        for (int32_t first = 0; first < total; first += kRecordSlice) {
            const int32_t last = total - first > kRecordSlice ? first + kRecordSlice : total;
            for (int k = 0; k < length; ++k)
                ReverseCopy(s.Positions[k], s.CandidatePositions[k], total, first, last);
            if (TickAndBreakOff()) return false;
        }
        count = total;
    } else {
        for (int32_t r = total - 1; r >= 0; --r) {
            if ((r & (kRecordSlice - 1)) == 0 && TickAndBreakOff()) return false;
            uint64_t seen = 0;
            bool candidate = true;
            for (int k = 0; k < length && candidate; ++k) {
                const uint8_t sign = s.Positions[k][r];
                const uint64_t bit = uint64_t(1) << sign;
                if (sign == 0 || (!repetitions && (seen & bit) != 0)) candidate = false;
                seen |= bit;
            }
            if (!candidate) continue;
            if (count == s.CandidateCapacity) break;  // cannot happen: the room is counted
            for (int k = 0; k < length; ++k) s.CandidatePositions[k][count] = s.Positions[k][r];
            ++count;
        }
    }
    for (int k = 0; k < length && count < s.CandidateCapacity; ++k)
        std::memset(s.CandidatePositions[k] + count, 0,
                    static_cast<size_t>(s.CandidateCapacity - count));
    s.CandidateCount = count;
    return true;
}

bool BreakOff() {
    SearchProgress.SearchDisplayOn = 0;
    ReleaseCandidateStore(true);
    return false;
}

bool Build(bool matchRepetitions, bool repetitions) {
    SettingsRecord& settings = Settings;
    const int length = settings.CodeLength;
    const int n = SignCount;
    const bool vacant = settings.VacantAllowed != 0 && n == 2 && length >= 4;

    // A store of an earlier match goes first.
    FreeCandidateArrays();
    ClearShuffleBuckets();
    ResetSignAlive(n);
    for (uint8_t& seen : SignSeen) seen = 0;
    CandidateStoreRecord& s = CandidateStore;
    s.Length = length;
    s.Signs = n;
    s.VacantInPlay = vacant;
    s.LowDigit = vacant ? 0 : 1;
    s.CandidateRepetitions = repetitions;

    const int64_t total64 = OdometerTotal(length, s.LowDigit, n);
    const int32_t total =
        total64 > 0 && total64 < int64_t(1) << 31 ? static_cast<int32_t>(total64) : 0;
    SearchProgressRecord& p = SearchProgress;
    p.TimeLimitActive = 0;
    ClockState.TrialMarkRequested = true;
    ClockState.ProgressMarkRequested = true;
    ClockState.RedrawCodeRequested = false;
    BeginWorkItems(total);
    p.MinItems = total;
    p.SearchDisplayOn = 1;

    // The first trial, shown at once while the store is built.
    uint8_t positions[MaxCodeLength];
    for (int k = 0; k < length; ++k) positions[k] = static_cast<uint8_t>(k + 1);
    uint8_t signs[RingSize];
    for (int v = 0; v < n; ++v) signs[v] = static_cast<uint8_t>(v + 1);
    DrawPermutation(positions, length, PosOrder + 1);
    SignOrder[0] = 0;
    DrawPermutation(signs, n, SignOrder + 1);
    BuildOpeningTrial(length, n, matchRepetitions, true, vacant);

    // The random maps from odometer digits to positions and signs.
    DrawPermutation(positions, length, PosMap + 1);
    DrawPermutation(signs, n, SignMap + 1);
    SignMap[0] = 0;

    const int64_t candidates = CodeUniverse(length, n, repetitions);
    if (total == 0 || !AllocateArrays(length, total, static_cast<int32_t>(candidates)))
        return BreakOff();
    if (!EnumerateCodes(length, n, s.LowDigit, total)) return BreakOff();
    if (!ChainTrials(total)) return BreakOff();
    if (TickAndBreakOff()) return BreakOff();
    if (!ChainCandidates(length, vacant, repetitions)) return BreakOff();
    if (TickAndBreakOff()) return BreakOff();
    p.TimeLimitActive = p.TimeLimit > 0 ? 1 : 0;
    s.DigitBase = static_cast<uint32_t>(n + 1 - s.LowDigit);
    s.DigitMagic = UINT64_MAX / s.DigitBase + 1;
    for (int k = 0; k < length; ++k) s.DigitPlace[k] = static_cast<uint8_t>(PosMap[k + 1] - 1);
    for (uint32_t d = 0; d < s.DigitBase; ++d) s.DigitSign[d] = SignMap[s.LowDigit + d];
    s.Numbered = s.DigitBase >= 2;
    s.Ready = true;
    return true;
}

}  // namespace

bool BuildCandidateStore() {
    return BuildCandidateStore(Settings.RepetitionsAllowed != 0);
}

bool BuildCandidateStore(bool candidateRepetitions) {
    // A new store is a new match: no trial of it has been answered yet.
    ForgetAnsweredTrials();
    // The rule of the build is passed on, never written into the settings: a signal that ends
    // the program saves them from inside the build.
    const bool built = Build(Settings.RepetitionsAllowed != 0, candidateRepetitions);
    ClearShuffleBuckets();
    return built;
}

void TrimCandidateStore() {
    CandidateStoreRecord& s = CandidateStore;
    if (s.CandidatePositions[0] != nullptr) {
        const size_t kept = RecordBytes(s.CandidateCount + CandidateBlock, 1);
        const size_t capacity = RecordBytes(s.CandidateCapacity, 1);
        for (int k = 0; k < s.Length; ++k) {
            const size_t column = RecordBytes(s.CandidateCapacity, size_t(k));
            StoreTrim(s.CandidatePositions[0], column + kept, column + capacity);
        }
    }
    if (s.TrialChain != nullptr)
        StoreTrim(s.TrialChain, RecordBytes(s.TrialCount, sizeof(uint32_t)),
                  RecordBytes(s.Allocated, sizeof(uint32_t)));
}

// A store of at least this many bytes of positions is a large match (see ReleaseCandidateStore).
constexpr size_t kGiveBackBytes = size_t(1) << 20;

void ReleaseCandidateStore(bool freeAll) {
    if (freeAll) {
        // Only a large match leaves enough behind in the heap to be worth handing back: the
        // walk through the heap costs a small match a good part of its time.
        const bool large =
            RecordBytes(CandidateStore.Allocated, size_t(CandidateStore.Length)) >= kGiveBackBytes;
        FreeCandidateArrays();
        ReleaseEncoderStore();
        if (large) StoreGiveBack();
        ClockState.RedrawCodeRequested = false;
    }
    UpdateMaxSigns();
}
