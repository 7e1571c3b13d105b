// The shuffle's draws per record, the buckets' counting sort (in cache-sized partitions where
// they fit) and the replay of each bucket's insertions into its stretch of the trial chain.
#include "breaker/shuffle.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "shell/console/console.h"

uint32_t ShuffleBuckets[ShuffleBucketCount];

namespace {

// Per partition of buckets: where its next record goes, then where it ends.
uint32_t PartitionCursor[(ShuffleBucketCount + kPartitionBuckets - 1) / kPartitionBuckets];

// How many buckets may hold anything; 0 when the table is known to be empty.
uint32_t DirtyBuckets = 0;

// Bucket j (0-based) of a bucket's entries in enumeration order is inserted at place i of the
// entries before it, or appended when i reaches the believed count. The stretch holds the
// bucket's records in enumeration order; entries [0, j) are the bucket as built so far.
void ReplayBucket(uint32_t* entries, const uint8_t* points, const uint32_t* draws, uint32_t count) {
    for (uint32_t j = 1; j < count; ++j) {
        const uint32_t record = entries[j];
        const uint32_t k = BelievedCount(j);
        // Insertion points up to 255 fit the byte; beyond that the draw itself is read.
        const uint32_t i = j < 256 ? points[j] : draws[record] >> ShufflePointShift;
        if (i >= k) continue;  // after the last entry: it already stands there
        std::memmove(entries + i + 1, entries + i, sizeof(uint32_t) * (j - i));
        entries[i] = record;
    }
}

// Random(n) made from the words [pos, end) of the source: false, with pos left anywhere, when
// they do not suffice.
inline bool DrawFromWords(const uint32_t* words, int& pos, int end, uint32_t n, uint32_t& out) {
    out = 0;
    if (n <= 1) return true;  // Random takes no word then
    if (pos >= end) return false;
    uint64_t m = uint64_t(words[pos++]) * n;
    uint32_t low = static_cast<uint32_t>(m);
    if (low < n) {
        const uint32_t threshold = static_cast<uint32_t>(-n) % n;
        while (low < threshold) {
            if (pos >= end) return false;
            m = uint64_t(words[pos++]) * n;
            low = static_cast<uint32_t>(m);
        }
    }
    out = static_cast<uint32_t>(m >> 32);
    return true;
}

// Words of the source looked at in one go, and how far ahead of the word being drawn from the
// bucket counters are fetched into the cache.
constexpr int kWordWindow = 4096;
constexpr int kFetchAhead = 32;

}  // namespace

uint32_t DrawShufflePlace(uint32_t bucketCount) {
    if (bucketCount > DirtyBuckets) DirtyBuckets = bucketCount;
    const uint32_t bucket = Random(bucketCount);
    const uint32_t entries = ShuffleBuckets[bucket]++;
    const uint32_t point = entries == 0 ? 0 : Random(BelievedCount(entries) + 1);
    return bucket | point << ShufflePointShift;
}

// The counter of the bucket a record draws is a random place in a 5 MB table, and the next
// draw depends on it (a bucket with entries draws an insertion point too). The words of the
// source are known ahead, though: each is fetched as if it were a bucket draw, so the counter
// of every real bucket draw is in the cache when it is reached.
void DrawShufflePlaces(uint32_t bucketCount, uint32_t* draws, int32_t count) {
    if (bucketCount > DirtyBuckets) DirtyBuckets = bucketCount;
    uint32_t words[kWordWindow];
    int32_t r = 0;
    while (r < count) {
        // About two words per record; a few more for the rare second tries.
        const int64_t wanted = 2 * int64_t(count - r) + 64;
        const int end = wanted < kWordWindow ? static_cast<int>(wanted) : kWordWindow;
        PeekRandomWords(words, end);
        int pos = 0;
        int fetched = 0;
        while (r < count) {
            const int ahead = pos + kFetchAhead < end ? pos + kFetchAhead : end;
            for (; fetched < ahead; ++fetched)
                __builtin_prefetch(&ShuffleBuckets[(uint64_t(words[fetched]) * bucketCount) >> 32],
                                   1);
            const int start = pos;
            uint32_t bucket = 0;
            uint32_t point = 0;
            if (!DrawFromWords(words, pos, end, bucketCount, bucket)) {
                pos = start;
                break;
            }
            const uint32_t entries = ShuffleBuckets[bucket];
            if (entries > 0 && !DrawFromWords(words, pos, end, BelievedCount(entries) + 1, point)) {
                pos = start;
                break;
            }
            ShuffleBuckets[bucket] = entries + 1;
            draws[r++] = bucket | point << ShufflePointShift;
        }
        SkipRandomWords(pos);
        // A record that needs more words than a whole window is drawn the plain way.
        if (pos == 0 && r < count) draws[r++] = DrawShufflePlace(bucketCount);
    }
}

void BucketStarts(uint32_t bucketCount) {
    uint32_t sum = 0;
    for (uint32_t b = 0; b < bucketCount; ++b) {
        const uint32_t count = ShuffleBuckets[b];
        ShuffleBuckets[b] = sum;
        sum += count;
    }
}

void ScatterRecords(const uint32_t* draws, int32_t from, int32_t to, uint32_t* order,
                    uint8_t* points) {
    // The bucket counters and the places they point to are random places in large tables:
    // the counters are fetched well ahead, the places a little less far ahead (a counter that
    // moves in between only costs a miss).
    constexpr int32_t kCounterAhead = 32;
    constexpr int32_t kPlaceAhead = 16;
    for (int32_t r = from; r < to; ++r) {
        if (r + kCounterAhead < to)
            __builtin_prefetch(&ShuffleBuckets[draws[r + kCounterAhead] & ShuffleBucketMask], 1);
        if (r + kPlaceAhead < to) {
            const uint32_t ahead = ShuffleBuckets[draws[r + kPlaceAhead] & ShuffleBucketMask];
            __builtin_prefetch(&order[ahead], 1);
            __builtin_prefetch(&points[ahead], 1);
        }
        const uint32_t draw = draws[r];
        const uint32_t place = ShuffleBuckets[draw & ShuffleBucketMask]++;
        order[place] = static_cast<uint32_t>(r);
        points[place] = static_cast<uint8_t>(draw >> ShufflePointShift);
    }
}

bool PartitionsFit(uint32_t bucketCount, uint32_t records) {
    const uint32_t partitions = (bucketCount + kPartitionBuckets - 1) / kPartitionBuckets;
    for (uint32_t q = 0; q < partitions; ++q) {
        const uint32_t first = q * kPartitionBuckets;
        const uint32_t next = first + kPartitionBuckets;
        const uint32_t end = next < bucketCount ? ShuffleBuckets[next] : records;
        if (end - ShuffleBuckets[first] > kPartitionRecords) return false;
        PartitionCursor[q] = ShuffleBuckets[first];
    }
    return true;
}

void PartitionRecords(const uint32_t* draws, int32_t from, int32_t to, uint32_t* order) {
    for (int32_t r = from; r < to; ++r) {
        const uint32_t q = (draws[r] & ShuffleBucketMask) / kPartitionBuckets;
        order[PartitionCursor[q]++] = static_cast<uint32_t>(r);
    }
}

uint32_t SortAndReplayPartitions(uint32_t from, uint32_t to, uint32_t start, uint32_t* order,
                                 uint8_t* points, const uint32_t* draws) {
    static uint32_t scratch[kPartitionRecords];
    constexpr uint32_t kDrawAhead = 16;
    for (uint32_t first = from; first < to; first += kPartitionBuckets) {
        const uint32_t last = first + kPartitionBuckets < to ? first + kPartitionBuckets : to;
        // The partition stands in order[start, end): its records in enumeration order.
        const uint32_t end = PartitionCursor[first / kPartitionBuckets];
        for (uint32_t place = start; place < end; ++place) {
            if (place + kDrawAhead < end) __builtin_prefetch(&draws[order[place + kDrawAhead]]);
            const uint32_t record = order[place];
            const uint32_t draw = draws[record];
            const uint32_t target = ShuffleBuckets[draw & ShuffleBucketMask]++;
            scratch[target - start] = record;
            points[target] = static_cast<uint8_t>(draw >> ShufflePointShift);
        }
        std::memcpy(order + start, scratch, sizeof(uint32_t) * (end - start));
        start = ReplayBuckets(first, last, start, order, points, draws);
    }
    return start;
}

uint32_t ReplayBuckets(uint32_t from, uint32_t to, uint32_t start, uint32_t* order,
                       const uint8_t* points, const uint32_t* draws) {
    for (uint32_t b = from; b < to; ++b) {
        const uint32_t end = ShuffleBuckets[b];  // after the scatter: the bucket's end
        if (end - start > 1) ReplayBucket(order + start, points + start, draws, end - start);
        start = end;
    }
    return start;
}

namespace {

// The counters of a counting pass over runs of 2^shift buckets: one a run and one more.
size_t RunCounters(uint32_t bucketCount, int shift) {
    return size_t((bucketCount - 1) >> shift) + 2;
}

}  // namespace

bool FewRecords(uint32_t bucketCount, int32_t records) {
    return int64_t(records) * kFewRecordsShare <= int64_t(bucketCount);
}

void ChainFewRecords(uint32_t bucketCount, const uint32_t* draws, int32_t records, uint32_t* order,
                     uint8_t* points) {
    // The records by bucket: first by the bucket's high bits in a counting pass (enumeration
    // order kept), its counters in the points' bytes (written only afterwards, so the pass needs
    // no memory of its own: a run spans as many buckets as that asks), then each small run by
    // the whole bucket, in place and stably.
    int shift = kFewRunShift;
    while (shift < ShufflePointShift &&
           RunCounters(bucketCount, shift) * sizeof(uint32_t) > size_t(records))
        ++shift;
    const size_t runs = RunCounters(bucketCount, shift);
    auto bucketOf = [&](uint32_t record) { return draws[record] & ShuffleBucketMask; };
    if (runs * sizeof(uint32_t) <= size_t(records)) {
        uint32_t* runStart = reinterpret_cast<uint32_t*>(points);
        std::memset(runStart, 0, runs * sizeof(uint32_t));
        for (int32_t r = 0; r < records; ++r) ++runStart[(bucketOf(r) >> shift) + 1];
        for (size_t q = 1; q < runs; ++q) runStart[q] += runStart[q - 1];
        for (int32_t r = 0; r < records; ++r)
            order[runStart[bucketOf(r) >> shift]++] = static_cast<uint32_t>(r);
    } else {
        for (int32_t r = 0; r < records; ++r) order[r] = static_cast<uint32_t>(r);
    }
    for (int32_t i = 1; i < records; ++i) {
        const uint32_t record = order[i];
        const uint32_t bucket = bucketOf(record);
        int32_t j = i;
        for (; j > 0 && bucketOf(order[j - 1]) > bucket; --j) order[j] = order[j - 1];
        order[j] = record;
    }
    // Each bucket's insertions replayed in its stretch, its counter emptied.
    for (int32_t i = 0; i < records; ++i)
        points[i] = static_cast<uint8_t>(draws[order[i]] >> ShufflePointShift);
    for (int32_t i = 0; i < records;) {
        const uint32_t bucket = bucketOf(order[i]);
        int32_t end = i + 1;
        while (end < records && bucketOf(order[end]) == bucket) ++end;
        if (end - i > 1) ReplayBucket(order + i, points + i, draws, static_cast<uint32_t>(end - i));
        ShuffleBuckets[bucket] = 0;
        i = end;
    }
    DirtyBuckets = 0;
}

void ShuffleOrder(int32_t records, uint32_t bucketCount, uint32_t* draws, uint8_t* points,
                  uint32_t* order) {
    ClearShuffleBuckets();
    DrawShufflePlaces(bucketCount, draws, records);
    if (FewRecords(bucketCount, records))
        return ChainFewRecords(bucketCount, draws, records, order, points);
    BucketStarts(bucketCount);
    if (PartitionsFit(bucketCount, static_cast<uint32_t>(records))) {
        PartitionRecords(draws, 0, records, order);
        SortAndReplayPartitions(0, bucketCount, 0, order, points, draws);
    } else {
        ScatterRecords(draws, 0, records, order, points);
        ReplayBuckets(0, bucketCount, 0, order, points, draws);
    }
    ClearShuffleBuckets();
}

void ClearShuffleBuckets() {
    std::memset(ShuffleBuckets, 0, sizeof(uint32_t) * DirtyBuckets);
    DirtyBuckets = 0;
}
