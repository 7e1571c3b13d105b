// The place, pair and triple counts per candidate group: made from the candidates.
#include "breaker/group_place_counts.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/long_work.h"
#include "shell/console/console.h"

namespace {

// The triple counts are kept when they are at most this many, for at least this many
// candidates. Below, counting costs less than the bound.
constexpr size_t kMaxTripleEntries = size_t(16) << 20;
constexpr int32_t kLeastTripleCandidates = 65536;
// The pair counts are kept when at 16 bits an entry they take at most this many bytes, and at
// most kPairsPerCandidate times the candidates' own bytes (CountPairs) or kPairsPerTrialCode
// bytes a trial code: over many signs they are mostly zeros, and where the candidates are few
// and the trial codes few too, clearing and filling them after every answer would cost more
// than they save.
constexpr size_t kMaxPairBytes = size_t(64) << 20;
constexpr size_t kPairsPerCandidate = 8;
constexpr size_t kPairsPerTrialCode = 2;

// Clears a large array a piece at a time, with a glance between the pieces; false when a
// break-off waits.
bool Clear(void* array, size_t bytes) {
    constexpr size_t kPiece = size_t(4) << 20;
    uint8_t* at = static_cast<uint8_t*>(array);
    for (size_t done = 0; done < bytes; done += kPiece) {
        if (done > 0 && WorkGlance()) return false;
        std::memset(at + done, 0, std::min(kPiece, bytes - done));
    }
    return true;
}

// The row of a candidate's signs at the given places (the first place's highest).
template <int Places>
inline size_t RowOf(const uint8_t* const* column, size_t n, int32_t i) {
    size_t row = 0;
    for (int c = 0; c < Places; ++c) row = row * n + (column[c][i] - 1);
    return row;
}

// Counts per group the candidates with each combination of signs at the given places, into the
// rows of `counts` (numbered by the signs, the first place's highest, GroupRoom apart). False
// when a break-off waits. Counts that pass what an entry holds set `wrapped`.
// A group of many candidates is counted in a small table of its own first and then written
// row by row: the rows lie GroupRoom apart, and a count straight into them takes a line of
// memory per candidate.
template <int Places, typename Entry>
bool CountAt(Entry* counts, const int (&place)[Places], bool& wrapped) {
    const CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const size_t n = static_cast<size_t>(g.Signs);
    const uint8_t* column[Places];
    for (int c = 0; c < Places; ++c) column[c] = g.Positions[place[c]];
    size_t rows = 1;
    for (int c = 0; c < Places; ++c) rows *= n;
    constexpr size_t kLocalRows = 4096;
    uint32_t local[kLocalRows];
    constexpr uint32_t kMost = static_cast<Entry>(~Entry(0));
    int64_t next = GlanceItems;
    for (int32_t group = 0; group < g.Count; ++group) {
        if (GlanceAfter(g.Start[group], next)) return false;
        const int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        Entry* at = counts + static_cast<size_t>(group);
        if (rows > kLocalRows || size_t(to - from) * 4 < rows) {
            for (int32_t i = from; i < to; ++i)
                wrapped |= ++at[RowOf<Places>(column, n, i) * room] == 0;
            continue;
        }
        std::memset(local, 0, rows * sizeof(uint32_t));
        for (int32_t i = from; i < to; ++i) ++local[RowOf<Places>(column, n, i)];
        for (size_t row = 0; row < rows; ++row) {
            if (local[row] == 0) continue;
            wrapped |= local[row] > kMost;
            at[row * room] = static_cast<Entry>(local[row]);
        }
    }
    return true;
}

// The largest of `entries` counts.
template <typename Entry>
int32_t LargestEntry(const Entry* counts, size_t entries) {
    Entry largest = 0;
    for (size_t i = 0; i < entries; ++i) largest = std::max(largest, counts[i]);
    return largest;
}

// The block of its own that counts of `bytes` are kept in: kept while it is large enough, made
// anew where they grow, freed where they do not fit or the memory is refused. True when held.
template <typename Entry>
bool KeepBlock(Entry*& block, size_t& held, size_t bytes, bool fit) {
    if (fit && bytes <= held) return true;
    StoreFree(block, held);
    block = nullptr;
    held = 0;
    if (!fit || !StoreMayUse(bytes)) return false;
    block = static_cast<Entry*>(StoreAllocate(bytes));
    if (block == nullptr) return false;
    held = bytes;
    return true;
}

// The pair counts, where they now take little memory (made on the first such call, made anew
// where they grow, freed where they would not fit). Up to 7 places, or while no group holds more
// than 255 candidates, they are counted a byte each, else in 16 bits and narrowed where they
// stay below 256. False when a break-off waits.
bool CountPairs() {
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const size_t n = static_cast<size_t>(g.Signs);
    const size_t placePairs = static_cast<size_t>(g.Length) * (g.Length - 1) / 2;
    const size_t entries = placePairs * n * n * room;
    // The candidates' density over the multisets admits them, not the groups they happen to
    // form: judged at 16 bits an entry against the candidates' bytes, as if there were a group
    // for every multiset (or every candidate, if fewer).
    const size_t wide = entries * sizeof(uint16_t);
    const size_t denseGroups = static_cast<size_t>(std::min(g.TableSize, g.Candidates));
    const size_t denseBytes =
        placePairs * n * n * ((denseGroups + 63) / 32 * 32) * sizeof(uint16_t);
    const bool dense =
        denseBytes <= kPairsPerCandidate * static_cast<size_t>(g.Candidates) * g.Length;
    // A pair count is at most the arrangements of the other L - 2 signs: below 256 up to 7
    // places, and never above the group's size.
    const bool narrow = g.Length <= 7 || g.LargestGroup <= 255;
    const size_t bytes = narrow ? entries : wide;
    const bool many = bytes <= kPairsPerTrialCode * static_cast<size_t>(CandidateStore.TrialCount);
    // Where the groups are first laid out, only the candidates' density admits them; later the
    // trial codes may too, within the memory the groups were granted then.
    const bool fit = (g.Grant == 0 ? wide <= kMaxPairBytes && dense
                                   : bytes <= kMaxPairBytes && (dense || many) &&
                                         g.BlockBytes + bytes <= g.Grant);
    if (!KeepBlock(g.PairCounts, g.PairBlockBytes, bytes, fit)) return true;
    if (!Clear(g.PairCounts, bytes)) return false;
    bool wrapped = false;  // neither wraps: at most 7! codes of a group per pair of signs
    auto count = [&](auto* counts) {
        size_t pair = 0;
        for (int k = 0; k < g.Length; ++k)
            for (int l = k + 1; l < g.Length; ++l, ++pair)
                if (!CountAt(counts + pair * n * n * room, {k, l}, wrapped)) return false;
        g.LargestPair = LargestEntry(counts, entries);
        return true;
    };
    if (narrow) {
        g.PairBytes = true;
        return count(reinterpret_cast<uint8_t*>(g.PairCounts));
    }
    if (!count(g.PairCounts)) return false;
    // Each byte goes below the word it comes from: the block is narrowed front to back.
    g.PairBytes = g.LargestPair <= 255;
    if (g.PairBytes) {
        uint8_t* bytesOf = reinterpret_cast<uint8_t*>(g.PairCounts);
        for (size_t i = 0; i < entries; ++i) bytesOf[i] = static_cast<uint8_t>(g.PairCounts[i]);
    }
    return true;
}

// The triple counts, where they now take little memory (made on the first such call, freed
// where they would not). They are kept a byte each, half the memory the sums read: where a
// count passes 255 they are not used after this answer (LargestTriple 0). False when a
// break-off waits.
bool CountTriples() {
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    const size_t n = static_cast<size_t>(g.Signs);
    const size_t triples = static_cast<size_t>(g.Length) * (g.Length - 1) * (g.Length - 2) / 6;
    const size_t bytes = triples * n * n * n * room;
    // A class's sum of the triples stays below 2^31 (TripleTotals adds them in 32 bits).
    const bool fit = g.Length >= 3 && bytes <= kMaxTripleEntries &&
                     g.Candidates >= kLeastTripleCandidates &&
                     triples * static_cast<size_t>(g.Candidates) < (size_t(1) << 31);
    if (!KeepBlock(g.TripleCounts, g.TripleBytes, bytes, fit)) return true;
    if (!Clear(g.TripleCounts, bytes)) return false;
    size_t triple = 0;
    bool wrapped = false;
    for (int k = 0; k < g.Length; ++k)
        for (int l = k + 1; l < g.Length; ++l)
            for (int j = l + 1; j < g.Length; ++j, ++triple)
                if (!CountAt(g.TripleCounts + triple * n * n * n * room, {k, l, j}, wrapped))
                    return false;
    if (!wrapped) g.LargestTriple = LargestEntry(g.TripleCounts, bytes);
    return true;
}

}  // namespace

bool PairsMayFit(int32_t groups) {
    const CandidateGroupsRecord& g = CandidateGroups;
    const size_t placePairs = static_cast<size_t>(g.Length) * (g.Length - 1) / 2;
    const size_t n = static_cast<size_t>(g.Signs);
    return placePairs * n * n * static_cast<size_t>(groups) <= kMaxPairBytes;
}

bool CountPlaces() {
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    if (!Clear(g.PlaceCounts, room * static_cast<size_t>(g.Length) * static_cast<size_t>(g.Signs) *
                                  sizeof(uint16_t)))
        return false;
    std::memset(g.GroupSize, 0, room * sizeof(uint16_t));
    std::memset(g.GroupScale, 0, room * sizeof(float));
    g.LargestGroup = 0;
    g.LargestTriple = 0;  // the triples wait for their own count
    for (int32_t group = 0; group < g.Count; ++group) {
        const int32_t size = g.Start[group + 1] - g.Start[group];
        g.GroupSize[group] = static_cast<uint16_t>(size);
        g.GroupScale[group] = 256.0f / static_cast<float>(size);
        g.LargestGroup = std::max(g.LargestGroup, size);
    }
    bool wrapped = false;  // 16 bits hold them: at most 8! codes of a group per sign and place
    for (int k = 0; k < g.Length; ++k)
        if (!CountAt(g.PlaceCounts + static_cast<size_t>(k) * g.Signs * room, {k}, wrapped))
            return false;
    return CountPairs() && CountTriples();
}
