// The encoder's store: its chunks built code by code with the long-work tick between them,
// every code classified by the class pass of the computer's search, and one class kept by a
// stable compaction per chunk (with a glance at the keyboard per chunk).
#include "match/encoder_store.h"

#if defined(__SSSE3__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <string>

#include "breaker/class_pass.h"
#include "breaker/long_work.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"

EncoderStoreRecord EncoderStore;

namespace {

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
    const int64_t total = CodeUniverse(length, n, repetitions);
    BeginWorkItems(static_cast<int32_t>(total));
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
    EncoderChunk* chunk = nullptr;
    do {
        if (WorkStep() == WorkKey::BreakOff) {
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
        CountWorkItem();
    } while (NextCode(d, length, n, repetitions, used));
    return true;
}

void ClassifyEncoderStore(const uint8_t* trial, bool signsKnown, int32_t classTable[10][10],
                          int& knownM) {
    const EncoderStoreRecord& s = EncoderStore;
    const int length = s.Length;
    for (int m = 0; m < 10; ++m)
        for (int q = 0; q < 10; ++q) classTable[m][q] = 0;
    TrialPattern pattern;
    MakeTrialPattern(trial, length, pattern);
    // In place every sign counts but the vacant one: M alone is taken over the live signs.
    for (int k = 0; k < length; ++k) pattern.Position[k] = trial[k] == 0 ? 0xFF : trial[k];
    knownM = -1;
    if (signsKnown && s.Count > 0) {
        uint8_t first[MaxCodeLength];
        FirstEncoderCode(first);
        int counts[RingSize + 1] = {};
        for (int k = 0; k < length; ++k) ++counts[first[k]];
        int m = 0;
        for (int j = 0; j < pattern.Slots; ++j)
            m += std::min<int>(counts[pattern.SlotSign[j]], pattern.SlotCount[j]);
        knownM = m;
    }
    SpreadPattern spread;
    SpreadTrialPattern(pattern, knownM >= 0, spread);

    uint32_t histogram[4][ClassByteCount] = {};
    for (int32_t ci = 0; ci < s.ChunkCount; ++ci) {
        (void)GlanceBefore(s.Count);
        const EncoderChunk& chunk = s.Chunks[ci];
        uint8_t* classes = ClassArray(chunk);
        const uint8_t* columns[MaxCodeLength];
        for (int k = 0; k < length; ++k) columns[k] = PositionArray(chunk, k);
        // Whole blocks only: the chunk's arrays have room for them, and what lies behind the
        // last code is classified but never counted.
        for (int32_t base = 0; base < chunk.Used; base += ClassBlockSize)
            ClassifyBlock(spread, columns, base, classes + base);
        CountClassBytes(classes, chunk.Used, histogram);
    }
    for (int c = 0; c < ClassByteCount; ++c) {
        const int32_t total = static_cast<int32_t>(histogram[0][c] + histogram[1][c] +
                                                   histogram[2][c] + histogram[3][c]);
        if (total == 0) continue;
        const int m = knownM >= 0 ? knownM : c >> 4;
        const int q = knownM >= 0 ? c : c & 15;
        if (m < 10 && q < 10) classTable[m][q] += total;
    }
}

namespace {

#if defined(__SSSE3__)
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

// Stable compaction of one chunk, sixteen codes at a time with byte shuffles. Each store writes
// eight bytes at the packed place, never beyond the sixteen codes already loaded.
int32_t CompactChunk(EncoderChunk& chunk, uint8_t answerByte) {
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
#else
// Stable compaction of one chunk, one code at a time, where the machine has no byte shuffles.
int32_t CompactChunk(EncoderChunk& chunk, uint8_t answerByte) {
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
#endif

}  // namespace

void KeepEncoderClass(uint8_t answerByte) {
    EncoderStoreRecord& s = EncoderStore;
    int64_t remaining = 0;
    for (int32_t ci = 0; ci < s.ChunkCount; ++ci) {
        (void)GlanceBefore(s.Count);
        EncoderChunk& chunk = s.Chunks[ci];
        chunk.Used = CompactChunk(chunk, answerByte);
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
