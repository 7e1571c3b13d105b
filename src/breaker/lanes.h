// The vectors of the class counts. They are as wide as the machine the game is built for takes
// without emulation: 64 bytes where it has AVX-512 for bytes, 32 where it has AVX2, 16 otherwise
// (the portable build). Every count is written for LaneCount lanes, so the same code serves
// every width and decides the same.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#if defined(__AVX512BW__)
constexpr int LaneCount = 64;
#elif defined(__AVX2__)
constexpr int LaneCount = 32;
#else
constexpr int LaneCount = 16;
#endif

// LaneCount codes (or groups) side by side, one byte each; the Anywhere types read and write
// at any address.
typedef uint8_t Lanes __attribute__((vector_size(LaneCount)));
typedef uint8_t LanesAnywhere __attribute__((vector_size(LaneCount), aligned(1), may_alias));
// Half as many, 16 bits each, and the bytes they are widened from.
typedef uint16_t WordLanes __attribute__((vector_size(LaneCount)));
typedef uint16_t WordLanesAnywhere __attribute__((vector_size(LaneCount), aligned(2), may_alias));
typedef uint8_t HalfLanes __attribute__((vector_size(LaneCount / 2)));
typedef uint8_t HalfLanesAnywhere
    __attribute__((vector_size(LaneCount / 2), aligned(1), may_alias));
// A quarter as many, 32 bits each, and the 16-bit values and bytes they are widened from.
typedef uint32_t DwordLanes __attribute__((vector_size(LaneCount)));
typedef uint32_t DwordLanesAnywhere __attribute__((vector_size(LaneCount), aligned(2), may_alias));
typedef uint16_t QuarterWordsAnywhere
    __attribute__((vector_size(LaneCount / 2), aligned(2), may_alias));
typedef uint8_t QuarterBytesAnywhere
    __attribute__((vector_size(LaneCount / 4), aligned(1), may_alias));

inline __attribute__((always_inline)) Lanes LoadLanes(const uint8_t* at) {
    return *reinterpret_cast<const LanesAnywhere*>(at);
}

inline __attribute__((always_inline)) void StoreLanes(uint8_t* at, Lanes lanes) {
    *reinterpret_cast<LanesAnywhere*>(at) = lanes;
}

// A comparison's verdict per lane: -1 where it holds, 0 elsewhere.
typedef int8_t LaneVerdicts __attribute__((vector_size(LaneCount)));

// One more in every lane where the comparison holds. With AVX-512 the verdict stays a mask and
// the addition is masked; otherwise the -1 is subtracted.
inline __attribute__((always_inline)) Lanes AddWhere(Lanes to, LaneVerdicts where) {
#if defined(__AVX512BW__)
    return where ? to + 1 : to;
#else
    return to - reinterpret_cast<Lanes>(where);
#endif
}

// Every lane holding the same value.
inline __attribute__((always_inline)) Lanes LanesOf(uint8_t value) {
    return Lanes{} + value;
}

// The sum of the bytes of all lanes.
inline __attribute__((always_inline)) int64_t LaneSum(Lanes lanes) {
    typedef uint64_t Quads __attribute__((vector_size(LaneCount)));
    Quads q = reinterpret_cast<Quads>(lanes);
    const uint64_t bytes = 0x00FF00FF00FF00FFull;
    const uint64_t words = 0x0000FFFF0000FFFFull;
    q = (q & bytes) + ((q >> 8) & bytes);
    q = (q & words) + ((q >> 16) & words);
    q = (q & 0xFFFFFFFFull) + (q >> 32);
    int64_t sum = 0;
    for (int i = 0; i < LaneCount / 8; ++i) sum += static_cast<int64_t>(q[i]);
    return sum;
}

// Candidates a bit each: LaneCount / 8 words of 64 side by side (the grouped count's sign
// planes).
typedef uint64_t BitLanes __attribute__((vector_size(LaneCount)));
typedef uint64_t BitLanesAnywhere __attribute__((vector_size(LaneCount), aligned(8), may_alias));
constexpr int BitLaneWords = LaneCount / 8;
constexpr int32_t PlaneSpan = BitLaneWords * 64;  // candidates a vector of bits

inline __attribute__((always_inline)) BitLanes LoadBitLanes(const uint64_t* at) {
    return *reinterpret_cast<const BitLanesAnywhere*>(at);
}

// Bit i set where lane i's comparison holds: LaneCount bits.
inline __attribute__((always_inline)) uint64_t LaneBits(LaneVerdicts where) {
#if defined(__AVX512BW__)
    return _mm512_movepi8_mask(reinterpret_cast<__m512i>(where));
#elif defined(__AVX2__)
    return static_cast<uint32_t>(_mm256_movemask_epi8(reinterpret_cast<__m256i>(where)));
#elif defined(__SSE2__)
    return static_cast<uint16_t>(_mm_movemask_epi8(reinterpret_cast<__m128i>(where)));
#else
    uint64_t bits = 0;
    for (int i = 0; i < LaneCount; ++i) bits |= uint64_t(where[i] != 0) << i;
    return bits;
#endif
}

// How many bits each word holds.
inline __attribute__((always_inline)) BitLanes BitCounts(BitLanes words) {
#if defined(__AVX512VPOPCNTDQ__) && defined(__AVX512BW__)
    return reinterpret_cast<BitLanes>(_mm512_popcnt_epi64(reinterpret_cast<__m512i>(words)));
#else
    BitLanes counts;
    for (int i = 0; i < BitLaneWords; ++i)
        counts[i] = static_cast<uint64_t>(__builtin_popcountll(words[i]));
    return counts;
#endif
}
