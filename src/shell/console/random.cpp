// The one random source of the program: xoshiro256** seeded through splitmix64.
#include <cstdint>

#include "shell/console/console.h"

namespace {

uint64_t State[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 1};

uint64_t Rotl(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

uint64_t Next() {
    const uint64_t result = Rotl(State[1] * 5, 7) * 9;
    const uint64_t t = State[1] << 17;
    State[2] ^= State[0];
    State[3] ^= State[1];
    State[1] ^= State[2];
    State[0] ^= State[3];
    State[2] ^= t;
    State[3] = Rotl(State[3], 45);
    return result;
}

}  // namespace

void SeedRandom(uint64_t seed) {
    for (uint64_t& word : State) {
        seed += 0x9E3779B97F4A7C15ull;
        uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        word = z ^ (z >> 31);
    }
}

void PeekRandomWords(uint32_t* words, int count) {
    const uint64_t saved[4] = {State[0], State[1], State[2], State[3]};
    for (int i = 0; i < count; ++i) words[i] = static_cast<uint32_t>(Next() >> 32);
    for (int i = 0; i < 4; ++i) State[i] = saved[i];
}

void SkipRandomWords(int count) {
    for (int i = 0; i < count; ++i) (void)Next();
}

// Lemire's multiply-and-reject: exactly uniform, one multiplication in the common case.
uint32_t Random(uint32_t n) {
    if (n <= 1) return 0;
    uint64_t m = static_cast<uint64_t>(static_cast<uint32_t>(Next() >> 32)) * n;
    uint32_t low = static_cast<uint32_t>(m);
    if (low < n) {
        const uint32_t threshold = static_cast<uint32_t>(-n) % n;
        while (low < threshold) {
            m = static_cast<uint64_t>(static_cast<uint32_t>(Next() >> 32)) * n;
            low = static_cast<uint32_t>(m);
        }
    }
    return static_cast<uint32_t>(m >> 32);
}
