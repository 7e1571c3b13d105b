// The ranks of multisets of signs: of the candidates a block at a time, and of a trial code.
#include "breaker/multiset_ranks.h"

#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/lanes.h"
#include "breaker/sign_tables.h"

namespace {

// The ranks of the LaneCount candidates of the chain from `from` on: the same network of
// exchanges as RankOfLength, lane by lane.
template <int Length>
void CandidateRanksOfLength(int32_t from, uint32_t* rank) {
    Lanes v[Length];
    for (int k = 0; k < Length; ++k) v[k] = LoadLanes(CandidateStore.CandidatePositions[k] + from);
#pragma GCC unroll 9
    for (int i = 1; i < Length; ++i) {
#pragma GCC unroll 9
        for (int j = i; j > 0; --j) {
            const Lanes a = v[j - 1];
            const Lanes b = v[j];
            const Lanes less = reinterpret_cast<Lanes>(a < b);
            v[j - 1] = (a & less) | (b & ~less);
            v[j] = (b & less) | (a & ~less);
        }
    }
    uint8_t sorted[Length][LaneCount];
    for (int k = 0; k < Length; ++k) StoreLanes(sorted[k], v[k]);
    for (int lane = 0; lane < LaneCount; ++lane) {
        uint32_t sum = 0;
        for (int i = 0; i < Length; ++i) sum += Binomial[sorted[i][lane] + i][i + 1];
        rank[lane] = sum;
    }
}

}  // namespace

void CandidateRanks(int length, int32_t from, uint32_t* rank) {
    ByLength(length, [&](auto L) { CandidateRanksOfLength<L>(from, rank); });
}

uint32_t TrialRank(const TrialPattern& pattern) {
    uint8_t symbols[MaxCodeLength];
    for (int k = 0; k < pattern.Length; ++k)
        symbols[k] = pattern.Position[k] == 0xFF ? 0 : pattern.Position[k];
    return RankOf(symbols, pattern.Length);
}

uint32_t GroupedRank(const uint8_t* signs, int length) {
    uint8_t symbols[MaxCodeLength];
    for (int k = 0; k < length; ++k) {
        const uint8_t sign = signs[k];
        symbols[k] = sign <= RingSize && SignAlive[sign] != 0 ? sign : 0;
    }
    return RankOf(symbols, length);
}
