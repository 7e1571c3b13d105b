// The ranks of multisets of signs: every candidate and every trial code is numbered by the
// multiset of its signs, in colex order of the combination it gives, below C(N + L, L) (the N
// signs of the range and one more symbol for a sign that cannot score). The candidate groups
// are kept in rank order, and what a search knows of a trial multiset is kept under its rank.
// The rank of one code is always inline: the search takes it for every trial code it meets.
#pragma once

#include <cstdint>

#include "breaker/class_pass.h"
#include "breaker/length_copies.h"
#include "match/code.h"

// C(n, k) for n < 46, k <= 9.
struct BinomialTable {
    uint32_t Of[46][MaxCodeLength + 1] = {};
    constexpr BinomialTable() {
        for (int n = 0; n < 46; ++n) {
            Of[n][0] = 1;
            for (int k = 1; k <= MaxCodeLength; ++k)
                Of[n][k] = n == 0 ? 0 : Of[n - 1][k - 1] + Of[n - 1][k];
        }
    }
};
inline constexpr BinomialTable Binomials;
inline constexpr const uint32_t (&Binomial)[46][MaxCodeLength + 1] = Binomials.Of;

// The rank of a multiset of symbols (sorted in place): the i-th smallest symbol a gives the
// combination element a + i, ranked in colex order. Below C(symbols + length - 1, length).
// The symbols are sorted by a fixed network of exchanges, without a branch.
template <int Length>
inline __attribute__((always_inline)) uint32_t RankOfLength(uint8_t* symbols) {
    uint8_t s[Length];
    for (int i = 0; i < Length; ++i) s[i] = symbols[i];
#pragma GCC unroll 9
    for (int i = 1; i < Length; ++i) {
#pragma GCC unroll 9
        for (int j = i; j > 0; --j) {
            const uint8_t a = s[j - 1];
            const uint8_t b = s[j];
            s[j - 1] = a < b ? a : b;
            s[j] = a < b ? b : a;
        }
    }
    uint32_t rank = 0;
    for (int i = 0; i < Length; ++i) rank += Binomial[s[i] + i][i + 1];
    for (int i = 0; i < Length; ++i) symbols[i] = s[i];
    return rank;
}

inline __attribute__((always_inline)) uint32_t RankOf(uint8_t* symbols, int length) {
    return ByLength(length, [&](auto L) { return RankOfLength<L>(symbols); });
}

// The ranks of the LaneCount candidates of the chain from `from` on (its columns have room for
// whole blocks behind the last).
void CandidateRanks(int length, int32_t from, uint32_t* rank);
// The rank of the trial code's multiset, signs that cannot score counted as one symbol 0.
uint32_t TrialRank(const TrialPattern& pattern);
