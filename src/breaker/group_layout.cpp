// The candidate groups' layout in memory: made for the candidates as they stand, thinned with
// the chain after every answer, released.
#include "breaker/candidate_groups.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "breaker/candidate_store.h"
#include "breaker/group_class_sums.h"
#include "breaker/group_place_counts.h"
#include "breaker/lanes.h"
#include "breaker/long_work.h"
#include "breaker/multiset_ranks.h"
#include "shell/console/console.h"

CandidateGroupsRecord CandidateGroups;
int32_t PlaneMinCandidates = int32_t(1) << 18;

namespace {

// Below this many candidates the plain class pass is quicker: the bounds and tables of the groups
// cost more per trial code than counting so few candidates one by one.
constexpr int32_t kMinCandidates = 4096;
// Multiset tables larger than this are not made (no admitted condition comes near it).
constexpr int64_t kMaxTableSize = int64_t(1) << 22;
// The slack behind the last candidate: a vector read never leaves the arrays.
constexpr int32_t kSlack = 64;

size_t AlignUp(size_t bytes) {
    return (bytes + 63) / 64 * 64;
}

// Room for this many groups in a per-group array: whole vectors and one more.
size_t RoomFor(size_t groups) {
    return (groups + 63) / 32 * 32;
}

// The rows per sign, place and pair of places close up to the room the groups need now (at
// most the room they had), so that the rows a trial code reads lie side by side; the entries
// behind the last group stay zero.
void CloseUpGroupRoom() {
    CandidateGroupsRecord& g = CandidateGroups;
    const size_t before = static_cast<size_t>(g.GroupRoom);
    const size_t room = std::min(before, RoomFor(static_cast<size_t>(g.Count)));
    for (size_t sign = 0; sign < static_cast<size_t>(g.Signs); ++sign) {
        uint8_t* row = g.SignCounts + sign * room;
        std::memmove(row, g.SignCounts + sign * before, static_cast<size_t>(g.Count));
        std::memset(row + g.Count, 0, room - static_cast<size_t>(g.Count));
    }
    g.GroupRoom = static_cast<int32_t>(room);
}

// The packed copy by the groups' own signs (PackedByGroup): the signs every group holds (its
// first candidate's), then each candidate's sign as its place among them; zero behind the last.
// Group by group: the places of the group's own signs (at most L of them) serve every column.
bool PackByGroup() {
    CandidateGroupsRecord& g = CandidateGroups;
    uint8_t placeOf[64] = {};
    int64_t next = GlanceItems;
    for (int32_t group = 0; group < g.Count; ++group) {
        const int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        if (GlanceAfter(int64_t(from) * g.PackedColumns, next)) return false;
        uint64_t mask = 0;
        for (int k = 0; k < g.Length; ++k) mask |= uint64_t(1) << g.Positions[k][from];
        g.SignMask[group] = mask;
        uint8_t place = 0;
        for (uint64_t bits = mask; bits != 0; bits &= bits - 1)
            placeOf[__builtin_ctzll(bits)] = place++;
        for (int c = 0; c < g.PackedColumns; ++c) {
            uint8_t* packed = g.Packed[c];
            const uint8_t* low = g.Positions[2 * c];
            if (2 * c + 1 < g.Length) {
                const uint8_t* high = g.Positions[2 * c + 1];
                for (int32_t i = from; i < to; ++i)
                    packed[i] = static_cast<uint8_t>(placeOf[low[i]] | placeOf[high[i]] << 4);
            } else {
                for (int32_t i = from; i < to; ++i) packed[i] = placeOf[low[i]];
            }
        }
    }
    for (int c = 0; c < g.PackedColumns; ++c)
        std::memset(g.Packed[c] + g.Candidates, 0, static_cast<size_t>(g.Capacity - g.Candidates));
    return true;
}

// The packed copy of the candidates, where there is one; zero behind the last. False when a
// break-off waits: the groups are then of no use.
bool PackPositions() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (g.PackedByGroup) return PackByGroup();
    for (int c = 0; c < g.PackedColumns; ++c) {
        if (GlanceBefore(g.Candidates)) return false;
        uint8_t* packed = g.Packed[c];
        const uint8_t* low = g.Positions[2 * c];
        const uint8_t* high = 2 * c + 1 < g.Length ? g.Positions[2 * c + 1] : nullptr;
        for (int32_t i = 0; i < g.Candidates; ++i)
            packed[i] = static_cast<uint8_t>(low[i] | (high != nullptr ? high[i] << 4 : 0));
        std::memset(packed + g.Candidates, 0, static_cast<size_t>(g.Capacity - g.Candidates));
    }
    return true;
}

// The chunks of the sign planes, where there are some; zero behind the last candidate. False
// when a break-off waits: the groups are then of no use.
bool MakeSignPlanes() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (g.PlaneBits == 0) return true;
    const int32_t chunks = (g.Candidates + PlaneSpan - 1) / PlaneSpan;
    const size_t chunkWords = static_cast<size_t>(g.PlaneCount) * BitLaneWords;
    for (int32_t c = 0; c < chunks; ++c) {
        if (GlanceAt(c * PlaneSpan)) return false;
        uint64_t* chunk = g.SignPlanes + static_cast<size_t>(c) * chunkWords;
        for (int k = 0; k < g.Length; ++k) {
            for (int word = 0; word < BitLaneWords; ++word) {
                const int32_t first = c * PlaneSpan + word * 64;
                const int32_t held = g.Candidates - first;
                uint64_t bits[4] = {};
                for (int i = 0; i < 64 && held > 0; i += LaneCount) {
                    const Lanes lanes = LoadLanes(g.Positions[k] + first + i);
                    for (int j = 0; j < g.PlaneBits; ++j)
                        bits[j] |= LaneBits(((lanes >> j) & 1) != Lanes{}) << i;
                }
                // Behind the last candidate the position arrays hold what they held before.
                const uint64_t mask = held >= 64  ? ~uint64_t(0)
                                      : held <= 0 ? 0
                                                  : (uint64_t(1) << held) - 1;
                for (int j = 0; j < g.PlaneBits; ++j)
                    chunk[(k * g.PlaneBits + j) * BitLaneWords + word] = bits[j] & mask;
            }
        }
    }
    std::memset(g.SignPlanes + static_cast<size_t>(chunks) * chunkWords, 0,
                chunkWords * sizeof(uint64_t));
    return true;
}

// The sizes of the groups' arrays.
struct GroupShape {
    int Length = 0;
    int Signs = 0;
    int32_t Capacity = 0;  // room per position array
    size_t Rows = 0;       // multisets
    size_t Room = 0;       // room for groups
    bool Planes = false;   // the sign planes are kept
};

// Lays the arrays out one behind the other from `block` on (null: only counts the bytes, which
// it returns).
size_t LayOutGroups(const GroupShape& shape, uint8_t* block) {
    CandidateGroupsRecord& g = CandidateGroups;
    const int length = shape.Length;
    const size_t signs = static_cast<size_t>(shape.Signs);
    const size_t capacity = static_cast<size_t>(shape.Capacity);
    const size_t rows = shape.Rows;
    const size_t room = shape.Room;
    size_t at = 0;
    auto take = [&](size_t bytes) {
        uint8_t* place = block != nullptr ? block + at : nullptr;
        at += AlignUp(bytes);
        return place;
    };
    uint8_t* positions = take(capacity * static_cast<size_t>(length));
    for (int k = 0; k < length; ++k)
        g.Positions[k] =
            positions != nullptr ? positions + static_cast<size_t>(k) * capacity : nullptr;
    g.PackedColumns = !shape.Planes ? (length + 1) / 2 : 0;
    g.PackedByGroup = signs > 14;
    uint8_t* packed = take(capacity * static_cast<size_t>(g.PackedColumns));
    for (int c = 0; c < (MaxCodeLength + 1) / 2; ++c)
        g.Packed[c] = packed != nullptr && c < g.PackedColumns
                          ? packed + static_cast<size_t>(c) * capacity
                          : nullptr;
    g.PlaneBits = shape.Planes ? 3 : 0;
    g.PlaneCount = length * g.PlaneBits;
    const size_t chunks = (capacity + PlaneSpan - 1) / PlaneSpan + 1;
    g.SignPlanes = reinterpret_cast<uint64_t*>(
        take(chunks * static_cast<size_t>(g.PlaneCount) * BitLaneWords * sizeof(uint64_t)));
    g.Start = reinterpret_cast<int32_t*>(take((room + 1) * sizeof(int32_t)));
    g.Order = reinterpret_cast<int32_t*>(take(room * sizeof(int32_t)));
    g.Members = reinterpret_cast<int32_t*>(take(room * sizeof(int32_t)));
    g.SignCounts = take(room * signs);
    g.GroupM = take(room);
    g.Verdict = reinterpret_cast<MultisetVerdict*>(take(rows));
    g.PlaceCounts = reinterpret_cast<uint16_t*>(
        take(room * static_cast<size_t>(length) * signs * sizeof(uint16_t)));
    g.GroupSize = reinterpret_cast<uint16_t*>(take(room * sizeof(uint16_t)));
    g.ClassSizes = reinterpret_cast<int32_t*>(take(rows * (MaxCodeLength + 1) * sizeof(int32_t)));
    g.SizeBound = reinterpret_cast<int64_t*>(take(rows * 2 * sizeof(int64_t)));
    g.ClassOrder = take(rows * (MaxCodeLength + 1));
    g.TotalsAt = reinterpret_cast<int32_t*>(take(rows * sizeof(int32_t)));
    g.CheckedAt = reinterpret_cast<uint32_t*>(take(rows * sizeof(uint32_t)));
    g.Level = take(room);
    g.GroupTotal = reinterpret_cast<uint16_t*>(take(room * sizeof(uint16_t)));
    g.GroupScale = reinterpret_cast<float*>(take(room * sizeof(float)));
    g.SignMask =
        g.PackedByGroup ? reinterpret_cast<uint64_t*>(take(room * sizeof(uint64_t))) : nullptr;
    return at;
}

// The groups the candidates make: how many multisets they hold, a bit per multiset. -1 when a
// break-off waits.
int32_t CountGroups(int length, int32_t candidates, size_t rows) {
    std::vector<uint64_t> seen((rows + 63) / 64);
    int32_t groups = 0;
    uint32_t rank[LaneCount];
    for (int32_t i = 0; i < candidates; i += LaneCount) {
        if (GlanceAt(i)) return -1;
        CandidateRanks(length, i, rank);
        const int n = std::min<int32_t>(LaneCount, candidates - i);
        for (int lane = 0; lane < n; ++lane) {
            uint64_t& word = seen[rank[lane] / 64];
            const uint64_t bit = uint64_t(1) << (rank[lane] % 64);
            groups += (word & bit) == 0;
            word |= bit;
        }
    }
    return groups;
}

// A counting sort by rank: the candidates of each multiset, in chain order, one group; then
// how often every group holds each sign. False when a break-off waits.
bool SortIntoGroups(const GroupShape& shape, int32_t candidates) {
    CandidateGroupsRecord& g = CandidateGroups;
    const CandidateStoreRecord& s = CandidateStore;
    const int length = shape.Length;
    int32_t* slot = g.ClassSizes;  // per rank: how many, then where the next goes
    std::memset(slot, 0, shape.Rows * sizeof(int32_t));
    uint32_t rank[LaneCount];
    for (int32_t i = 0; i < candidates; i += LaneCount) {
        if (GlanceAt(i)) return false;
        CandidateRanks(length, i, rank);
        const int n = std::min<int32_t>(LaneCount, candidates - i);
        for (int lane = 0; lane < n; ++lane) ++slot[rank[lane]];
    }
    int32_t groups = 0;
    int32_t next = 0;
    for (size_t r = 0; r < shape.Rows; ++r) {
        if (slot[r] == 0) continue;
        g.Start[groups++] = next;
        const int32_t size = slot[r];
        slot[r] = next;
        next += size;
    }
    g.Start[groups] = next;
    g.Count = groups;
    for (int32_t base = 0; base < candidates; base += LaneCount) {
        if (GlanceAt(base)) return false;
        CandidateRanks(length, base, rank);
        const int n = std::min<int32_t>(LaneCount, candidates - base);
        for (int lane = 0; lane < n; ++lane) {
            const int32_t to = slot[rank[lane]]++;
            for (int k = 0; k < length; ++k)
                g.Positions[k][to] = s.CandidatePositions[k][base + lane];
        }
    }
    for (int k = 0; k < length; ++k)
        std::memset(g.Positions[k] + candidates, 0,
                    static_cast<size_t>(shape.Capacity - candidates));
    std::memset(g.SignCounts, 0, shape.Room * static_cast<size_t>(shape.Signs));
    for (int32_t group = 0; group < groups; ++group) {
        const int32_t first = g.Start[group];
        for (int k = 0; k < length; ++k) {
            const uint8_t sign = g.Positions[k][first];
            if (sign >= 1 && sign <= shape.Signs)
                ++g.SignCounts[static_cast<size_t>(sign - 1) * shape.Room + group];
        }
    }
    return true;
}

}  // namespace

bool PrepareCandidateGroups() {
    CandidateGroupsRecord& g = CandidateGroups;
    const CandidateStoreRecord& s = CandidateStore;
    if (g.Ready) {
        if (g.Candidates == s.CandidateCount && g.Length == s.Length) return true;
        ReleaseCandidateGroups();
    }
    if (g.Refused) return false;
    const int length = s.Length;
    const int signs = s.Signs;
    const int32_t candidates = s.CandidateCount;
    if (candidates < kMinCandidates || length < 2 || length > MaxCodeLength || signs < 1 ||
        signs + length >= 46)
        return false;
    const int64_t table = Binomial[signs + length][length];
    if (table > kMaxTableSize) return false;

    GroupShape shape;
    shape.Length = length;
    shape.Signs = signs;
    shape.Capacity = (candidates + kSlack + 31) / 32 * 32;
    shape.Rows = static_cast<size_t>(table);
    // The per-group arrays have room for the groups as they are; they only thin out.
    const int32_t groups = CountGroups(length, candidates, shape.Rows);
    if (groups < 0) return false;
    shape.Room = RoomFor(static_cast<size_t>(groups));
    // Four bits a sign (8 to 14 signs) count slower than the packed copy: planes only with three.
    shape.Planes = candidates >= PlaneMinCandidates && signs <= 7;
    const size_t bytes = LayOutGroups(shape, nullptr);
    uint8_t* block = StoreMayUse(bytes) ? static_cast<uint8_t*>(StoreAllocate(bytes)) : nullptr;
    if (block == nullptr) {
        g = CandidateGroupsRecord{};
        g.Refused = true;
        return false;
    }
    LayOutGroups(shape, block);
    g.Block = block;
    g.BlockBytes = bytes;
    g.Length = length;
    g.Signs = signs;
    g.Capacity = shape.Capacity;
    g.TableSize = static_cast<int32_t>(table);
    g.GroupRoom = static_cast<int32_t>(shape.Room);
    g.Candidates = candidates;
    // Esc meanwhile: the search goes on without the groups and breaks off at its first tick.
    const bool sorted = SortIntoGroups(shape, candidates);
    if (sorted) CloseUpGroupRoom();
    if (!sorted || !PackPositions() || !MakeSignPlanes() || !CountPlaces()) {
        ReleaseCandidateGroups();
        return false;
    }
    if (g.Grant == 0) g.Grant = g.BlockBytes + g.PairBlockBytes;
    g.Ready = true;
    return true;
}

void KeepGroupedCandidates(const TrialPattern& pattern, int m, int p) {
    CandidateGroupsRecord& g = CandidateGroups;
    if (!g.Ready) return;
    // Where the answer leaves fewer than half the candidates the block was laid out for, a later
    // search lays it out anew for those left: what it no longer uses is given back, and their
    // pair counts may then be kept. Not where the groups of the answer's class are too many for
    // pair counts even so: thinning them costs less than a new layout.
    GroupMs(pattern);
    const int32_t left = CandidateStore.CandidateCount;
    if (left >= kMinCandidates && left < g.Capacity / 2) {
        int32_t classGroups = 0;
        for (int32_t group = 0; group < g.Count; ++group) classGroups += g.GroupM[group] == m;
        if (PairsMayFit(classGroups)) {
            const size_t grant = g.Grant;
            ReleaseCandidateGroups();
            g.Grant = grant;
            return;
        }
    }
    const int length = pattern.Length;
    const size_t room = static_cast<size_t>(g.GroupRoom);
    int32_t kept = 0;
    int32_t groups = 0;
    int64_t next = GlanceItems;
    for (int32_t group = 0; group < g.Count; ++group) {
        const int32_t from = g.Start[group];
        const int32_t to = g.Start[group + 1];
        (void)GlanceAfter(from, next);
        if (g.GroupM[group] != m) continue;
        const int32_t first = kept;
        for (int32_t i = from; i < to; ++i) {
            int hits = 0;
            for (int k = 0; k < length; ++k) hits += g.Positions[k][i] == pattern.Position[k];
            if (hits != p) continue;
            for (int k = 0; k < length; ++k) g.Positions[k][kept] = g.Positions[k][i];
            ++kept;
        }
        if (kept == first) continue;
        g.Start[groups] = first;
        for (int sign = 0; sign < g.Signs; ++sign)
            g.SignCounts[sign * room + static_cast<size_t>(groups)] =
                g.SignCounts[sign * room + static_cast<size_t>(group)];
        ++groups;
    }
    g.Start[groups] = kept;
    g.Count = groups;
    g.Candidates = kept;
    CloseUpGroupRoom();
    // The groups must hold exactly the chain's candidates; should they not, they are dropped
    // and the search goes on without them (as after Esc, when the match breaks off anyway).
    if (!PackPositions() || !MakeSignPlanes() || !CountPlaces() ||
        kept != CandidateStore.CandidateCount)
        ReleaseCandidateGroups();
}

void ReleaseCandidateGroups() {
    CandidateGroupsRecord& g = CandidateGroups;
    if (g.Block != nullptr) StoreFree(g.Block, g.BlockBytes);
    StoreFree(g.Totals, g.TotalsRoom * sizeof(int32_t));
    StoreFree(g.PairCounts, g.PairBlockBytes);
    StoreFree(g.TripleCounts, g.TripleBytes);
    g = CandidateGroupsRecord{};
}
