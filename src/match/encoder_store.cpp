#include "match/encoder_store.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "breaker/search_progress.h"
#include "breaker/vector_clones.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"

EncoderStoreRecord EncoderStore;

namespace {

constexpr int kBlock = 256;  // codes classified together in registers

size_t ChunkBytes(int length) {
    return size_t(length + 1) * EncoderChunkCodes;
}
uint8_t* PositionArray(const EncoderChunk& chunk, int k) {
    return chunk.Block + size_t(k) * EncoderChunkCodes;
}
uint8_t* ClassArray(const EncoderChunk& chunk) {
    return chunk.Block + size_t(EncoderStore.Length) * EncoderChunkCodes;
}

bool AddChunk() {
    EncoderStoreRecord& s = EncoderStore;
    if (s.ChunkCount == s.ChunkCapacity) {
        int32_t capacity = s.ChunkCapacity == 0 ? 64 : s.ChunkCapacity * 2;
        auto* grown = static_cast<EncoderChunk*>(
            StoreAllocate(sizeof(EncoderChunk) * static_cast<size_t>(capacity)));
        if (grown == nullptr) return false;
        if (s.Chunks != nullptr) {
            std::memcpy(grown, s.Chunks, sizeof(EncoderChunk) * static_cast<size_t>(s.ChunkCount));
            StoreFree(s.Chunks, sizeof(EncoderChunk) * static_cast<size_t>(s.ChunkCapacity));
        }
        s.Chunks = grown;
        s.ChunkCapacity = capacity;
    }
    auto* block = static_cast<uint8_t*>(StoreAllocate(ChunkBytes(s.Length)));
    if (block == nullptr) return false;
    // Touch the class bytes now, so that the first answer does not pay for fresh pages.
    std::memset(block + size_t(s.Length) * EncoderChunkCodes, 0, EncoderChunkCodes);
    s.Chunks[s.ChunkCount] = EncoderChunk{block, 0};
    ++s.ChunkCount;
    return true;
}

// The keyboard during the build: Esc and Ctrl-C break off, everything else is dropped.
bool BreakOffRequested() {
    if (!KeyPressed()) return false;
    uint8_t key = ReadKey();
    if (key == KeyExtended) {
        (void)ReadKey();
        return false;
    }
    return key == KeyEsc || key == KeyCtrlC;
}

// One code counted: the progress stars of row 25 grow by tenths.
void CountProgress(int64_t& nextTenthAt) {
    SearchProgressRecord& p = SearchProgress;
    ++p.ItemsDone;
    ClockState.ProgressMarkRequested = true;
    if (p.ItemsDone < nextTenthAt) return;
    int tenths = static_cast<int>(int64_t(p.ItemsDone) * 10 / p.ItemsTotal);
    if (tenths > 10) tenths = 10;
    if (tenths > p.TenthsShown) {
        int x = WhereX();
        int y = WhereY();
        WriteAt(44, 25, std::string(static_cast<size_t>(tenths), '*'));
        GotoXY(x, y);
        p.TenthsShown = tenths;
    }
    nextTenthAt = (int64_t(p.TenthsShown + 1) * p.ItemsTotal + 9) / 10;
}

// Advances the odometer (position 0 fastest) to the next code; false after the last one.
// Without repetitions every position skips the signs held by the slower positions.
bool NextCode(uint8_t* d, int length, int n, bool repetitions, uint8_t* used) {
    for (int j = 0; j < length; ++j) {
        if (!repetitions) used[d[j]] = 0;
        int v = d[j] + 1;
        if (!repetitions)
            while (v <= n && used[v]) ++v;
        if (v <= n) {
            d[j] = static_cast<uint8_t>(v);
            if (!repetitions) used[v] = 1;
            // The faster positions start again from the lowest signs they may hold.
            for (int k = j - 1; k >= 0; --k) {
                int w = 1;
                if (!repetitions)
                    while (used[w]) ++w;
                d[k] = static_cast<uint8_t>(w);
                if (!repetitions) used[w] = 1;
            }
            return true;
        }
    }
    return false;
}

}  // namespace

int64_t CodeUniverse(int length, int n, bool repetitions) {
    int64_t total = 1;
    for (int i = 0; i < length; ++i) total *= repetitions ? n : n - i;
    return total < 0 ? 0 : total;
}

void ReleaseEncoderStore() {
    EncoderStoreRecord& s = EncoderStore;
    for (int32_t i = 0; i < s.ChunkCount; ++i) StoreFree(s.Chunks[i].Block, ChunkBytes(s.Length));
    if (s.Chunks != nullptr)
        StoreFree(s.Chunks, sizeof(EncoderChunk) * static_cast<size_t>(s.ChunkCapacity));
    s = EncoderStoreRecord{};
}

bool BuildEncoderStore(int length, int n, bool repetitions) {
    ReleaseEncoderStore();
    EncoderStoreRecord& s = EncoderStore;
    s.Length = length;
    SearchProgressRecord& p = SearchProgress;
    int64_t total = CodeUniverse(length, n, repetitions);
    p.ItemsDone = 0;
    p.ItemsTotal = static_cast<int32_t>(total);
    p.TenthsShown = 0;
    int64_t nextTenthAt = (total + 9) / 10;
    if (total <= 0 || !StoreMayUse(static_cast<size_t>(total) * static_cast<size_t>(length + 1))) {
        ReleaseEncoderStore();
        return false;
    }

    uint8_t d[MaxCodeLength];
    uint8_t used[RingSize + 2] = {};
    for (int k = length - 1; k >= 0; --k) {
        // The first code: the lowest signs, each taken once without repetitions.
        int w = 1;
        if (!repetitions)
            while (used[w]) ++w;
        d[k] = static_cast<uint8_t>(w);
        if (!repetitions) used[w] = 1;
    }
    uint32_t sinceTick = 0;
    EncoderChunk* chunk = nullptr;
    do {
        if (++sinceTick == 256) {
            sinceTick = 0;
            ClockTick();
        }
        if (BreakOffRequested()) {
            ReleaseEncoderStore();
            return false;
        }
        if (chunk == nullptr || chunk->Used == EncoderChunkCodes) {
            if (!AddChunk()) {
                ReleaseEncoderStore();
                return false;
            }
            chunk = &s.Chunks[s.ChunkCount - 1];
        }
        int32_t i = chunk->Used++;
        for (int k = 0; k < length; ++k) PositionArray(*chunk, k)[i] = d[k];
        ++s.Count;
        CountProgress(nextTenthAt);
    } while (NextCode(d, length, n, repetitions, used));
    return true;
}

// The per-block class pass: simple byte loops over a block of codes, which the compiler turns
// into vector code.
ZK_VECTOR_CLONES void ClassifyEncoderStore(const uint8_t* trial, const uint8_t* liveSigns,
                                           bool signsKnown, int32_t classTable[10][10],
                                           int& knownM) {
    const EncoderStoreRecord& s = EncoderStore;
    const int length = s.Length;
    for (int m = 0; m < 10; ++m)
        for (int q = 0; q < 10; ++q) classTable[m][q] = 0;
    // Slots: the live signs of the trial, each with how often the trial holds it.
    uint8_t slotSign[MaxCodeLength];
    uint8_t slotCount[MaxCodeLength];
    int slots = 0;
    for (int sign = 1; sign <= RingSize; ++sign) {
        if (!liveSigns[sign]) continue;
        int occurrences = 0;
        for (int k = 0; k < length; ++k) occurrences += trial[k] == sign;
        if (occurrences == 0) continue;
        slotSign[slots] = static_cast<uint8_t>(sign);
        slotCount[slots] = static_cast<uint8_t>(occurrences);
        ++slots;
    }
    uint8_t position[MaxCodeLength];
    for (int k = 0; k < length; ++k) position[k] = trial[k] == 0 ? 0xFF : trial[k];

    knownM = -1;
    if (signsKnown && s.Count > 0) {
        uint8_t first[MaxCodeLength];
        FirstEncoderCode(first);
        int m = 0;
        for (int j = 0; j < slots; ++j) {
            int c = 0;
            for (int k = 0; k < length; ++k) c += first[k] == slotSign[j];
            m += std::min<int>(c, slotCount[j]);
        }
        knownM = m;
    }

    uint32_t histogram[4][256] = {};
    for (int32_t ci = 0; ci < s.ChunkCount; ++ci) {
        const EncoderChunk& chunk = s.Chunks[ci];
        uint8_t* classes = ClassArray(chunk);
        // Whole blocks only: the chunk's arrays have room for them, and what lies behind the
        // last code is classified but never counted.
        for (int32_t base = 0; base < chunk.Used; base += kBlock) {
            constexpr int count = kBlock;
            uint8_t p[kBlock] = {};
            uint8_t m[kBlock] = {};
            for (int k = 0; k < length; ++k) {
                const uint8_t* column = PositionArray(chunk, k) + base;
                const uint8_t t = position[k];
                for (int i = 0; i < count; ++i)
                    p[i] = static_cast<uint8_t>(p[i] + (column[i] == t));
            }
            if (knownM < 0) {
                for (int j = 0; j < slots; ++j) {
                    uint8_t c[kBlock] = {};
                    const uint8_t sign = slotSign[j];
                    for (int k = 0; k < length; ++k) {
                        const uint8_t* column = PositionArray(chunk, k) + base;
                        for (int i = 0; i < count; ++i)
                            c[i] = static_cast<uint8_t>(c[i] + (column[i] == sign));
                    }
                    const uint8_t limit = slotCount[j];
                    for (int i = 0; i < count; ++i)
                        m[i] = static_cast<uint8_t>(m[i] + std::min(c[i], limit));
                }
                for (int i = 0; i < count; ++i)
                    classes[base + i] = static_cast<uint8_t>((m[i] << 4) | p[i]);
            } else {
                for (int i = 0; i < count; ++i) classes[base + i] = p[i];
            }
        }
        int32_t i = 0;
        for (; i + 4 <= chunk.Used; i += 4) {
            ++histogram[0][classes[i]];
            ++histogram[1][classes[i + 1]];
            ++histogram[2][classes[i + 2]];
            ++histogram[3][classes[i + 3]];
        }
        for (; i < chunk.Used; ++i) ++histogram[0][classes[i]];
    }
    for (int c = 0; c < 256; ++c) {
        int32_t total = static_cast<int32_t>(histogram[0][c] + histogram[1][c] + histogram[2][c] +
                                             histogram[3][c]);
        if (total == 0) continue;
        int m = knownM >= 0 ? knownM : c >> 4;
        int q = knownM >= 0 ? c : c & 15;
        if (m < 10 && q < 10) classTable[m][q] += total;
    }
}

namespace {

// Stable compaction of one chunk, one code at a time.
int32_t CompactChunkPlain(EncoderChunk& chunk, uint8_t answerByte) {
    const uint8_t* classes = ClassArray(chunk);
    int32_t kept = 0;
    for (int k = 0; k < EncoderStore.Length; ++k) {
        uint8_t* column = PositionArray(chunk, k);
        int32_t w = 0;
        for (int32_t i = 0; i < chunk.Used; ++i) {
            column[w] = column[i];
            w += classes[i] == answerByte;
        }
        kept = w;
    }
    return kept;
}

// For every pattern of kept codes among eight, the byte shuffle that packs them to the front.
struct PackTable {
    alignas(16) uint8_t Low[256][8];
    alignas(16) uint8_t High[256][8];
    uint8_t Kept[256];
    PackTable() {
        for (int mask = 0; mask < 256; ++mask) {
            int n = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if ((mask >> bit & 1) == 0) continue;
                Low[mask][n] = static_cast<uint8_t>(bit);
                High[mask][n] = static_cast<uint8_t>(bit + 8);
                ++n;
            }
            for (int j = n; j < 8; ++j) Low[mask][j] = High[mask][j] = 0x80;
            Kept[mask] = static_cast<uint8_t>(n);
        }
    }
};
const PackTable kPack;

// The same compaction sixteen codes at a time with byte shuffles. Each store writes eight
// bytes at the packed place, never beyond the sixteen codes already loaded.
__attribute__((target("ssse3"))) int32_t CompactChunkShuffled(EncoderChunk& chunk,
                                                              uint8_t answerByte) {
    const uint8_t* classes = ClassArray(chunk);
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(answerByte));
    const int32_t used = chunk.Used;
    int32_t kept = 0;
    for (int k = 0; k < EncoderStore.Length; ++k) {
        uint8_t* column = PositionArray(chunk, k);
        int32_t w = 0;
        for (int32_t i = 0; i < used; i += 16) {
            __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(classes + i));
            uint32_t mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, wanted)));
            if (used - i < 16) mask &= (1u << (used - i)) - 1;
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + i));
            uint32_t low = mask & 0xFF;
            uint32_t high = mask >> 8;
            __m128i packedLow = _mm_shuffle_epi8(
                v, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kPack.Low[low])));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(column + w), packedLow);
            w += kPack.Kept[low];
            __m128i packedHigh = _mm_shuffle_epi8(
                v, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kPack.High[high])));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(column + w), packedHigh);
            w += kPack.Kept[high];
        }
        kept = w;
    }
    return kept;
}

bool ShufflesAvailable() {
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}

}  // namespace

void KeepEncoderClass(uint8_t answerByte) {
    EncoderStoreRecord& s = EncoderStore;
    int64_t remaining = 0;
    const bool shuffled = ShufflesAvailable();
    for (int32_t ci = 0; ci < s.ChunkCount; ++ci) {
        EncoderChunk& chunk = s.Chunks[ci];
        chunk.Used = shuffled ? CompactChunkShuffled(chunk, answerByte)
                              : CompactChunkPlain(chunk, answerByte);
        remaining += chunk.Used;
    }
    s.Count = remaining;
}

__attribute__((noinline)) void FirstEncoderCode(uint8_t* signs) {
    const EncoderStoreRecord& s = EncoderStore;
    for (int32_t ci = 0; ci < s.ChunkCount; ++ci) {
        const EncoderChunk& chunk = s.Chunks[ci];
        if (chunk.Used == 0) continue;
        for (int k = 0; k < s.Length; ++k) signs[k] = PositionArray(chunk, k)[0];
        return;
    }
}
