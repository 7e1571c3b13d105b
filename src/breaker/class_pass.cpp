// The class pass: per block of 256 codes, vector loops over the position arrays give each code
// a class byte (M shl 4) or P, and a histogram split over four tables counts them. The search
// classifies the candidate chain with it (giving up a trial code once it has lost), the
// thinning keeps one class of the chain, and the encoder's store classifies its codes with the
// same block pass.
#include "breaker/class_pass.h"

#include <algorithm>
#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/long_work.h"
#include "breaker/sign_tables.h"

int64_t PairsClassified = 0;
int64_t TrialCodesAbandoned = 0;

namespace {

constexpr int kBlock = ClassBlockSize;

// The class bytes of one whole block of codes (the arrays have room for whole blocks; what lies
// behind the last code is classified but never counted), P alone when M is known. Everything
// for LaneCount codes stays in registers: every comparison that holds adds one to its lane.
template <int Length>
inline __attribute__((always_inline)) void ClassBlock(const SpreadPattern& t,
                                                      const uint8_t* const* columns, int32_t base,
                                                      uint8_t* classes) {
    const uint8_t* from[Length];
    for (int k = 0; k < Length; ++k) from[k] = columns[k] + base;
    for (int i = 0; i < kBlock; i += LaneCount) {
        Lanes column[Length];
#pragma GCC unroll 9
        for (int k = 0; k < Length; ++k) column[k] = LoadLanes(from[k] + i);
        Lanes p{};
#pragma GCC unroll 9
        for (int k = 0; k < Length; ++k) p = AddWhere(p, column[k] == t.Position[k]);
        if (!t.KnownM) {
            Lanes m{};
            for (int j = 0; j < t.Slots; ++j) {
                Lanes c{};
#pragma GCC unroll 9
                for (int k = 0; k < Length; ++k) c = AddWhere(c, column[k] == t.Sign[j]);
                m += c < t.Limit[j] ? c : t.Limit[j];
            }
            p |= m << 4;
        }
        StoreLanes(classes + i, p);
    }
}

// The class bytes that can occur, with the class each stands for.
struct ClassList {
    uint8_t Byte[55];
    uint8_t M[55];
    uint8_t P[55];
    int Count = 0;
};

ClassList ClassesOf(int length, int knownM) {
    ClassList list;
    for (int m = 0; m <= length; ++m) {
        for (int p = 0; p <= m; ++p) {
            if (knownM >= 0 && m != knownM) continue;
            list.Byte[list.Count] = static_cast<uint8_t>(knownM >= 0 ? p : (m << 4) | p);
            list.M[list.Count] = static_cast<uint8_t>(m);
            list.P[list.Count] = static_cast<uint8_t>(p);
            ++list.Count;
        }
    }
    return list;
}

}  // namespace

void MakeTrialPattern(const uint8_t* signs, int length, TrialPattern& pattern) {
    pattern = TrialPattern{};
    pattern.Length = length;
    uint8_t counts[RingSize + 1];
    uint64_t held = 0;  // the live signs the code holds, a bit each
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = signs[k];
        const bool live = sign <= RingSize && SignAlive[sign] != 0;
        pattern.Position[k] = live ? sign : 0xFF;
        if (!live) continue;
        const uint64_t bit = uint64_t(1) << sign;
        counts[sign] = (held & bit) != 0 ? counts[sign] + 1 : 1;
        held |= bit;
    }
    for (; held != 0; held &= held - 1) {
        const int sign = __builtin_ctzll(held);
        pattern.SlotSign[pattern.Slots] = static_cast<uint8_t>(sign);
        pattern.SlotCount[pattern.Slots] = counts[sign];
        ++pattern.Slots;
    }
}

void SpreadTrialPattern(const TrialPattern& pattern, bool knownM, SpreadPattern& spread) {
    spread.Length = pattern.Length;
    spread.KnownM = knownM;
    for (int k = 0; k < pattern.Length; ++k) spread.Position[k] = LanesOf(pattern.Position[k]);
    for (int j = 0; j < pattern.Slots; ++j) {
        spread.Sign[j] = LanesOf(pattern.SlotSign[j]);
        spread.Limit[j] = LanesOf(pattern.SlotCount[j]);
    }
    spread.Slots = pattern.Slots;
}

void ClassifyBlock(const SpreadPattern& spread, const uint8_t* const* columns, int32_t base,
                   uint8_t* classes) {
    switch (spread.Length) {
        case 2:
            return ClassBlock<2>(spread, columns, base, classes);
        case 3:
            return ClassBlock<3>(spread, columns, base, classes);
        case 4:
            return ClassBlock<4>(spread, columns, base, classes);
        case 5:
            return ClassBlock<5>(spread, columns, base, classes);
        case 6:
            return ClassBlock<6>(spread, columns, base, classes);
        case 7:
            return ClassBlock<7>(spread, columns, base, classes);
        case 8:
            return ClassBlock<8>(spread, columns, base, classes);
        default:
            return ClassBlock<9>(spread, columns, base, classes);
    }
}

void CountClassBytes(const uint8_t* classes, int32_t count, uint32_t (*histogram)[ClassByteCount]) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        ++histogram[0][classes[i]];
        ++histogram[1][classes[i + 1]];
        ++histogram[2][classes[i + 2]];
        ++histogram[3][classes[i + 3]];
    }
    for (; i < count; ++i) ++histogram[0][classes[i]];
}

void CandidateClass(const TrialPattern& pattern, int32_t index, int& m, int& p) {
    const CandidateStoreRecord& s = CandidateStore;
    uint8_t counts[256] = {};
    p = 0;
    for (int k = 0; k < pattern.Length; ++k) {
        const uint8_t sign = s.CandidatePositions[k][index];
        p += sign == pattern.Position[k];
        ++counts[sign];
    }
    m = 0;
    for (int j = 0; j < pattern.Slots; ++j)
        m += std::min(counts[pattern.SlotSign[j]], pattern.SlotCount[j]);
}

int FirstCandidateM(const TrialPattern& pattern) {
    if (CandidateStore.CandidateCount == 0) return 0;
    int m = 0, p = 0;
    CandidateClass(pattern, 0, m, p);
    return m;
}

void FinishClassCounts(int length, ClassCounts& out) {
    out.MaxClass = 0;
    out.Squares = 0;
    for (int m = 0; m <= length; ++m) {
        for (int p = 0; p <= m; ++p) {
            const int32_t c = out.Table[m][p];
            out.MaxClass = std::max(out.MaxClass, c);
            out.Squares += int64_t(c) * c;
        }
    }
    out.IsCandidate = out.Table[length][length] == 1;
}

bool ClassifyCandidates(const TrialPattern& pattern, int knownM, int32_t bestMax,
                        int64_t bestSquares, ClassCounts& out) {
    const CandidateStoreRecord& s = CandidateStore;
    const uint8_t* const* columns = s.CandidatePositions;
    const int32_t total = s.CandidateCount;
    const bool known = knownM >= 0;
    const ClassList list = ClassesOf(pattern.Length, knownM);
    uint32_t histogram[4][ClassByteCount];
    std::memset(histogram, 0, sizeof histogram);
    SpreadPattern spread;
    SpreadTrialPattern(pattern, known, spread);

    // Largest class and sum of squares so far; the trial code has lost once its largest class
    // is past the best, or equal to it with a sum of squares that the candidates still to come
    // (each adding at least one) must carry past the best. Below the best's largest class by d,
    // it cannot lose within the next d candidates, so the next look waits that long.
    int64_t nextLook = 0;
    auto lost = [&](int32_t done) {
        int32_t largest = 0;
        int64_t squares = 0;
        for (int e = 0; e < list.Count; ++e) {
            const uint8_t b = list.Byte[e];
            const int32_t c = static_cast<int32_t>(histogram[0][b] + histogram[1][b] +
                                                   histogram[2][b] + histogram[3][b]);
            largest = std::max(largest, c);
            squares += int64_t(c) * c;
        }
        nextLook = done + std::max<int64_t>(1, int64_t(bestMax) - largest);
        return largest > bestMax || (largest == bestMax && squares + (total - done) > bestSquares);
    };

    alignas(LaneCount) uint8_t classes[kBlock];
    int32_t base = 0;
    bool defeated = false;
    while (base < total) {
        const int count = static_cast<int>(std::min<int32_t>(kBlock, total - base));
        (void)GlanceAt(base);
        ClassifyBlock(spread, columns, base, classes);
        CountClassBytes(classes, count, histogram);
        base += count;
        if ((base >= nextLook || base == total) && lost(base)) {
            defeated = true;
            break;
        }
    }
    PairsClassified += base;
    if (defeated) {
        ++TrialCodesAbandoned;
        return false;
    }

    std::memset(out.Table, 0, sizeof out.Table);
    for (int e = 0; e < list.Count; ++e) {
        const uint8_t b = list.Byte[e];
        out.Table[list.M[e]][list.P[e]] = static_cast<int32_t>(histogram[0][b] + histogram[1][b] +
                                                               histogram[2][b] + histogram[3][b]);
    }
    FinishClassCounts(pattern.Length, out);
    return true;
}

void KeepCandidates(const TrialPattern& pattern, int knownM, int m, int p) {
    CandidateStoreRecord& s = CandidateStore;
    const uint8_t* const* columns = s.CandidatePositions;
    const bool known = knownM >= 0;
    const uint8_t wanted = static_cast<uint8_t>(known ? p : (m << 4) | p);
    const int32_t total = s.CandidateCount;
    SpreadPattern spread;
    SpreadTrialPattern(pattern, known, spread);
    alignas(LaneCount) uint8_t classes[kBlock];
    int32_t kept = 0;
    for (int32_t base = 0; base < total; base += kBlock) {
        const int count = static_cast<int>(std::min<int32_t>(kBlock, total - base));
        (void)GlanceAt(base);
        ClassifyBlock(spread, columns, base, classes);
        // Every write lands at or before the place just read, so the block compacts in place.
        int32_t next = kept;
        for (int k = 0; k < pattern.Length; ++k) {
            uint8_t* column = s.CandidatePositions[k];
            int32_t w = kept;
            for (int i = 0; i < count; ++i) {
                column[w] = column[base + i];
                w += classes[i] == wanted;
            }
            next = w;
        }
        if (pattern.Length == 0) {
            for (int i = 0; i < count; ++i) next += classes[i] == wanted;
        }
        kept = next;
    }
    s.CandidateCount = kept;
}

void SignsOfCandidates(uint8_t* seen) {
    const CandidateStoreRecord& s = CandidateStore;
    uint8_t any[256] = {};
    for (int k = 0; k < s.Length; ++k) {
        (void)GlanceBefore(s.CandidateCount);
        const uint8_t* column = s.CandidatePositions[k];
        for (int32_t i = 0; i < s.CandidateCount; ++i) any[column[i]] = 1;
    }
    for (int sign = 0; sign <= RingSize; ++sign) seen[sign] = any[sign];
}
