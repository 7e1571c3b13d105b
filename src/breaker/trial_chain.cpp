// The trial chain of the candidate store.
#include "breaker/trial_chain.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/long_work.h"
#include "shell/console/console.h"

namespace {

// Places of the chain moved in one piece between two glances.
constexpr int32_t kMovePiece = 1 << 20;

bool RecordHolds(int64_t record, const uint8_t* signs) {
    const CandidateStoreRecord& s = CandidateStore;
    for (int k = 0; k < s.Length; ++k)
        if (s.Positions[k][record] != signs[k]) return false;
    return true;
}

// The record number from the odometer that numbers the records: digit k (the fastest first)
// is the value whose sign SignMap gives at position PosMap[k]. -1 when the maps do not fit.
int64_t RecordFromMaps(const uint8_t* signs) {
    const CandidateStoreRecord& s = CandidateStore;
    uint8_t digitOf[RingSize + 1];
    std::memset(digitOf, 0xFF, sizeof digitOf);
    for (int v = s.LowDigit; v <= s.Signs && v <= RingSize; ++v)
        if (SignMap[v] <= RingSize) digitOf[SignMap[v]] = static_cast<uint8_t>(v);
    const int64_t base = s.Signs - s.LowDigit + 1;
    int64_t record = 0;
    int64_t weight = 1;
    for (int k = 1; k <= s.Length; ++k) {
        const int position = PosMap[k];
        if (position < 1 || position > s.Length) return -1;
        const uint8_t sign = signs[position - 1];
        if (sign > RingSize || digitOf[sign] == 0xFF) return -1;
        record += (digitOf[sign] - s.LowDigit) * weight;
        weight *= base;
    }
    // With the vacant sign in play the all-vacant code has no record.
    return s.VacantInPlay ? record - 1 : record;
}

// A chain much shorter than the store is cheaper to walk than the records in their order.
bool ChainIsShort() {
    const CandidateStoreRecord& s = CandidateStore;
    return s.TrialCount < s.Records / 16;
}

#if defined(__AVX2__)
// What a byte at a position stands for, in three rows of 16 for the byte shuffle: bytes above
// 47 are read as 47, which like every byte above RingSize stands for sign 0.
struct ByteTable {
    alignas(16) uint8_t Entry[48] = {};
};

ByteTable RankTable(const SymmetryRule& rule) {
    ByteTable table;
    for (int v = 0; v < 48; ++v) table.Entry[v] = rule.Rank[v <= RingSize ? v : 0];
    return table;
}

ByteTable FlagTable(const uint8_t* flags) {
    ByteTable table;
    for (int v = 0; v <= RingSize; ++v) table.Entry[v] = flags[v];
    return table;
}

// 32 records at once: the table entry for each byte.
inline __m256i LookUp(__m256i bytes, const __m256i* rows) {
    bytes = _mm256_min_epu8(bytes, _mm256_set1_epi8(47));
    const __m256i low = _mm256_and_si256(bytes, _mm256_set1_epi8(15));
    const __m256i first = _mm256_shuffle_epi8(rows[0], low);
    const __m256i second = _mm256_shuffle_epi8(rows[1], low);
    const __m256i third = _mm256_shuffle_epi8(rows[2], low);
    const __m256i above15 = _mm256_cmpgt_epi8(bytes, _mm256_set1_epi8(15));
    const __m256i above31 = _mm256_cmpgt_epi8(bytes, _mm256_set1_epi8(31));
    return _mm256_blendv_epi8(_mm256_blendv_epi8(first, second, above15), third, above31);
}

inline void LoadRows(const ByteTable& table, __m256i* rows) {
    for (int r = 0; r < 3; ++r)
        rows[r] = _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table.Entry + 16 * r)));
}

// The bits of 32 records from a vector of 0xFF (set) and 0 bytes; record is a multiple of 32.
inline void StoreBits(uint64_t* bits, int32_t record, __m256i set) {
    const uint32_t word = static_cast<uint32_t>(_mm256_movemask_epi8(set));
    std::memcpy(reinterpret_cast<uint8_t*>(bits) + record / 8, &word, sizeof word);
}

// The symmetry filter's verdict for the records in their order, 32 at a time, as
// EligibleCode gives it one by one, as bytes and as bits (a 32-bit word per 32 records); the
// records behind the last whole 32 are left to the caller, whose number is returned.
int32_t MarkEligibleWide(const SymmetryRule& rule, uint64_t* bits) {
    CandidateStoreRecord& s = CandidateStore;
    __m256i rows[3];
    const ByteTable table = RankTable(rule);
    LoadRows(table, rows);
    const __m256i one = _mm256_set1_epi8(1);
    const __m256i two = _mm256_set1_epi8(2);
    int32_t record = 0;
    for (; record + 32 <= s.Records; record += 32) {
        (void)GlanceAt(record);
        __m256i met = _mm256_setzero_si256();
        __m256i bad = _mm256_setzero_si256();
        for (int k = 0; k < s.Length; ++k) {
            const __m256i rank = LookUp(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.Positions[k] + record)),
                rows);
            const __m256i untried = _mm256_cmpgt_epi8(rank, one);
            const __m256i j = _mm256_sub_epi8(rank, two);
            bad = _mm256_or_si256(bad, _mm256_cmpeq_epi8(rank, one));
            bad = _mm256_or_si256(bad, _mm256_and_si256(untried, _mm256_cmpgt_epi8(j, met)));
            met = _mm256_sub_epi8(met, _mm256_and_si256(untried, _mm256_cmpeq_epi8(j, met)));
        }
        const __m256i marks = _mm256_andnot_si256(bad, one);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(s.Marks + record), marks);
        if (bits != nullptr) StoreBits(bits, record, _mm256_cmpeq_epi8(marks, one));
    }
    return record;
}

// For the records in their order, 32 at a time: 1 where the code holds a flagged sign, as
// bytes and, with bits given, as bits. The records behind the last whole 32 are left to the
// caller, whose number is returned.
int32_t MarkHoldingWide(const uint8_t* flags, uint64_t* bits) {
    CandidateStoreRecord& s = CandidateStore;
    __m256i rows[3];
    const ByteTable table = FlagTable(flags);
    LoadRows(table, rows);
    int32_t record = 0;
    for (; record + 32 <= s.Records; record += 32) {
        (void)GlanceAt(record);
        __m256i any = _mm256_setzero_si256();
        for (int k = 0; k < s.Length; ++k)
            any = _mm256_or_si256(any, LookUp(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                                  s.Positions[k] + record)),
                                              rows));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(s.Marks + record), any);
        if (bits != nullptr) StoreBits(bits, record, _mm256_cmpeq_epi8(any, _mm256_set1_epi8(1)));
    }
    return record;
}

#else
// Where the machine the game is built for has no AVX2, the records are marked one by one.
int32_t MarkEligibleWide(const SymmetryRule&, uint64_t*) {
    return 0;
}
int32_t MarkHoldingWide(const uint8_t*, uint64_t*) {
    return 0;
}
#endif

// The bits for the chain's places, and behind them as many for the records in their order,
// made when first needed; null when refused.
uint64_t* ChainMarksRoom() {
    CandidateStoreRecord& s = CandidateStore;
    s.ChainMarksValid = false;
    if (s.ChainMarks != nullptr) return s.ChainMarks;
    const size_t bytes = 2 * ((static_cast<size_t>(s.Records) + 63) / 64) * sizeof(uint64_t);
    if (bytes == 0 || !StoreMayUse(bytes)) return nullptr;
    s.ChainMarks = static_cast<uint64_t*>(StoreAllocate(bytes));
    if (s.ChainMarks != nullptr) s.ChainMarksBytes = bytes;
    return s.ChainMarks;
}

// Marks the records from `from` on one by one, as bytes and (with bits given) as bits; a word
// the vector pass began keeps only the bits below `from`.
template <typename Verdict>
void MarkOneByOne(int32_t from, uint64_t* bits, Verdict verdict) {
    CandidateStoreRecord& s = CandidateStore;
    if (bits != nullptr && (from & 63) != 0) bits[from >> 6] &= ~uint64_t(0) >> (64 - (from & 63));
    for (int32_t record = from; record < s.Records; ++record) {
        (void)GlanceAt(record);
        const uint64_t mark = verdict(static_cast<uint32_t>(record)) ? 1 : 0;
        s.Marks[record] = static_cast<uint8_t>(mark);
        if (bits == nullptr) continue;
        if ((record & 63) == 0) bits[record >> 6] = 0;
        bits[record >> 6] |= mark << (record & 63);
    }
}

// The record bits behind the chain's bits, or null.
uint64_t* RecordBitsIn(uint64_t* room) {
    if (room == nullptr) return nullptr;
    return room + (static_cast<size_t>(CandidateStore.Records) + 63) / 64;
}

// The mark of the record at place i of the chain, from the record bits when there are any,
// else from the bytes; the mark kAhead places on is asked for from memory meanwhile (the chain
// is random in the records).
inline uint64_t ChainRecordMark(const uint64_t* recordBits, int32_t i) {
    constexpr int32_t kAhead = 64;
    const CandidateStoreRecord& s = CandidateStore;
    const uint32_t* chain = s.TrialChain;
    const bool ahead = i + kAhead < s.TrialCount;
    const uint32_t record = chain[i];
    if (recordBits != nullptr) {
        if (ahead) __builtin_prefetch(recordBits + (chain[i + kAhead] >> 6));
        return (recordBits[record >> 6] >> (record & 63)) & 1;
    }
    if (ahead) __builtin_prefetch(s.Marks + chain[i + kAhead]);
    return s.Marks[record] != 0 ? 1 : 0;
}

}  // namespace

void PrefetchRecord(uint32_t record) {
    const CandidateStoreRecord& s = CandidateStore;
    if (s.Numbered) return;
    for (int k = 0; k < s.Length; ++k) __builtin_prefetch(s.Positions[k] + record);
}

void RecordSigns(uint32_t record, uint8_t* signs) {
    const CandidateStoreRecord& s = CandidateStore;
    if (!s.Numbered) {
        for (int k = 0; k < s.Length; ++k) signs[k] = s.Positions[k][record];
        return;
    }
    // The signs from the record's number: no reads at random places of the store. Numbers
    // stay below 2^32, where the product with the rounded-up reciprocal divides exactly.
    __extension__ typedef unsigned __int128 Product;
    const uint32_t base = s.DigitBase;
    uint32_t value = record + (s.VacantInPlay ? 1 : 0);
    for (int k = 0; k < s.Length; ++k) {
        const uint32_t rest = static_cast<uint32_t>((Product(s.DigitMagic) * value) >> 64);
        signs[s.DigitPlace[k]] = s.DigitSign[value - rest * base];
        value = rest;
    }
}

int64_t FindRecord(const uint8_t* signs) {
    const CandidateStoreRecord& s = CandidateStore;
    const int64_t guess = RecordFromMaps(signs);
    if (guess >= 0 && guess < s.Records && RecordHolds(guess, signs)) return guess;
    for (int64_t record = 0; record < s.Records; ++record)
        if (RecordHolds(record, signs)) return record;
    return -1;
}

int32_t TrialIndexOf(uint32_t record) {
    const CandidateStoreRecord& s = CandidateStore;
    for (int32_t i = 0; i < s.TrialCount; ++i) {
        (void)GlanceAt(i);
        if (s.TrialChain[i] == record) return i;
    }
    return -1;
}

bool EligibleCode(const uint8_t* signs, int length, const SymmetryRule& rule) {
    // The usable untried signs must first occur in their order: the j-th new one met is the
    // one of rank j.
    int met = 0;
    for (int k = 0; k < length; ++k) {
        const uint8_t rank = rule.Rank[signs[k] <= RingSize ? signs[k] : 0];
        if (rank == SymmetryRule::Excluded) return false;
        if (rank < 2) continue;
        const int j = rank - 2;
        if (j == met) {
            ++met;
        } else if (j > met) {
            return false;
        }
    }
    return true;
}

int32_t MarkEligible(const SymmetryRule& rule) {
    CandidateStoreRecord& s = CandidateStore;
    uint8_t signs[MaxCodeLength];
    int32_t count = 0;
    uint64_t* bits = ChainMarksRoom();
    uint64_t word = 0;
    // The verdict of place i goes into the chain's bits too.
    auto place = [&](int32_t i, uint64_t eligible) {
        count += static_cast<int32_t>(eligible);
        word |= eligible << (i & 63);
        if ((i & 63) == 63 || i + 1 == s.TrialCount) {
            if (bits != nullptr) bits[i >> 6] = word;
            word = 0;
        }
    };
    if (s.Marks == nullptr || ChainIsShort()) {
        for (int32_t i = 0; i < s.TrialCount; ++i) {
            (void)GlanceAt(i);
            RecordSigns(s.TrialChain[i], signs);
            const bool eligible = EligibleCode(signs, s.Length, rule);
            if (s.Marks != nullptr) s.Marks[s.TrialChain[i]] = eligible ? 1 : 0;
            place(i, eligible ? 1 : 0);
        }
        s.ChainMarksValid = bits != nullptr;
        return count;
    }
    // In record order the positions are read front to back; the chain then only looks up one
    // mark per code, in chain order, which is random in the records: asked for ahead. Where
    // there is room the marks are bits too, eight times closer together than the bytes.
    uint64_t* recordBits = RecordBitsIn(bits);
    MarkOneByOne(MarkEligibleWide(rule, recordBits), recordBits, [&](uint32_t r) {
        RecordSigns(r, signs);
        return EligibleCode(signs, s.Length, rule);
    });
    for (int32_t i = 0; i < s.TrialCount; ++i) {
        (void)GlanceAt(i);
        place(i, ChainRecordMark(recordBits, i));
    }
    s.ChainMarksValid = bits != nullptr;
    return count;
}

bool EligibleAt(int32_t index, const SymmetryRule& rule) {
    const CandidateStoreRecord& s = CandidateStore;
    if (s.ChainMarksValid) return (s.ChainMarks[index >> 6] >> (index & 63)) & 1;
    const uint32_t record = s.TrialChain[index];
    if (s.Marks != nullptr) return s.Marks[record] != 0;
    uint8_t signs[MaxCodeLength];
    RecordSigns(record, signs);
    return EligibleCode(signs, s.Length, rule);
}

int32_t NextEligible(int32_t from, const SymmetryRule& rule) {
    const CandidateStoreRecord& s = CandidateStore;
    const int32_t count = s.TrialCount;
    if (from >= count) return count;
    if (s.ChainMarksValid) {
        const uint64_t* bits = s.ChainMarks;
        const int32_t words = (count + 63) / 64;
        int32_t w = from >> 6;
        uint64_t word = bits[w] & (~uint64_t(0) << (from & 63));
        while (word == 0) {
            if (++w >= words) return count;
            word = bits[w];
        }
        return std::min<int32_t>(count, w * 64 + __builtin_ctzll(word));
    }
    if (s.Marks == nullptr) {
        while (from < count && !EligibleAt(from, rule)) ++from;
        return from;
    }
    constexpr int32_t kAhead = 64;
    const uint32_t* chain = s.TrialChain;
    const uint8_t* eligible = s.Marks;
    for (int32_t i = from; i < count; ++i) {
        if (i + kAhead < count) __builtin_prefetch(eligible + chain[i + kAhead]);
        if (eligible[chain[i]] != 0) return i;
    }
    return count;
}

void MoveToFront(int32_t index) {
    CandidateStoreRecord& s = CandidateStore;
    uint32_t* chain = s.TrialChain;
    if (index <= 0 || index >= s.TrialCount) return;
    // The codes before it move up one place, a piece at a time from the back.
    const uint32_t front = chain[index];
    for (int32_t end = index; end > 0;) {
        const int32_t from = end > kMovePiece ? end - kMovePiece : 0;
        std::memmove(chain + from + 1, chain + from, sizeof(uint32_t) * size_t(end - from));
        end = from;
        if (end > 0) (void)WorkGlance();
    }
    chain[0] = front;
    if (!s.ChainMarksValid) return;
    // The bits of the places before it move up one, its own goes to the front.
    uint64_t* bits = s.ChainMarks;
    const int32_t w = index >> 6;
    const int b = index & 63;
    const uint64_t moved = (bits[w] >> b) & 1;
    const uint64_t below = b == 0 ? 0 : ~uint64_t(0) >> (64 - b);
    const uint64_t above = b == 63 ? 0 : ~uint64_t(0) << (b + 1);
    bits[w] = (bits[w] & above) | ((bits[w] & below) << 1) | (w > 0 ? bits[w - 1] >> 63 : moved);
    for (int32_t j = w - 1; j >= 0; --j)
        bits[j] = (bits[j] << 1) | (j > 0 ? bits[j - 1] >> 63 : moved);
}

void RotateTrialChain(int32_t examined) {
    CandidateStoreRecord& s = CandidateStore;
    if (examined <= 0 || examined >= s.TrialCount) return;
    s.ChainMarksValid = false;
    std::rotate(s.TrialChain, s.TrialChain + examined, s.TrialChain + s.TrialCount);
}

void UnlinkTrial(int32_t index) {
    CandidateStoreRecord& s = CandidateStore;
    if (index < 0 || index >= s.TrialCount) return;
    s.ChainMarksValid = false;
    std::memmove(s.TrialChain + index, s.TrialChain + index + 1,
                 sizeof(uint32_t) * static_cast<size_t>(s.TrialCount - index - 1));
    --s.TrialCount;
}

void RemoveTrialsHolding(const uint8_t* signFlags) {
    CandidateStoreRecord& s = CandidateStore;
    s.ChainMarksValid = false;
    uint8_t flags[256] = {};
    for (int sign = 0; sign <= RingSize; ++sign) flags[sign] = signFlags[sign] ? 1 : 0;
    uint8_t signs[MaxCodeLength];
    auto holds = [&](uint32_t record) {
        RecordSigns(record, signs);
        uint8_t any = 0;
        for (int k = 0; k < s.Length; ++k) any |= flags[signs[k]];
        return any != 0;
    };
    int32_t kept = 0;
    if (s.Marks != nullptr && !ChainIsShort()) {
        // The marks of the symmetry filter serve as scratch (bytes and bits): they are made anew
        // by every search that uses them. Record order reads the positions front to back.
        uint64_t* recordBits = RecordBitsIn(ChainMarksRoom());
        MarkOneByOne(MarkHoldingWide(flags, recordBits), recordBits, holds);
        // Behind the places read, the codes kept close up (kept never passes i).
        uint32_t* chain = s.TrialChain;
        for (int32_t i = 0; i < s.TrialCount; ++i) {
            (void)GlanceAt(i);
            const uint32_t record = chain[i];
            const uint64_t held = ChainRecordMark(recordBits, i);
            chain[kept] = record;
            kept += held == 0;
        }
    } else {
        for (int32_t i = 0; i < s.TrialCount; ++i) {
            (void)GlanceAt(i);
            const uint32_t record = s.TrialChain[i];
            s.TrialChain[kept] = record;
            kept += !holds(record);
        }
    }
    s.TrialCount = kept;
}

void TrialChainFromCandidates() {
    CandidateStoreRecord& s = CandidateStore;
    s.ChainMarksValid = false;
    int32_t count = 0;
    uint8_t signs[MaxCodeLength];
    for (int32_t i = 0; i < s.CandidateCount && i < 2; ++i) {
        for (int k = 0; k < s.Length; ++k) signs[k] = s.CandidatePositions[k][i];
        const int64_t record = FindRecord(signs);
        if (record >= 0) s.TrialChain[count++] = static_cast<uint32_t>(record);
    }
    s.TrialCount = count;
}
