#include "breaker/shuffle.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "shell/console/console.h"

uint32_t ShuffleBuckets[ShuffleBucketCount];

namespace {

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

}  // namespace

uint32_t DrawShufflePlace(uint32_t bucketCount) {
    if (bucketCount > DirtyBuckets) DirtyBuckets = bucketCount;
    const uint32_t bucket = Random(bucketCount);
    const uint32_t entries = ShuffleBuckets[bucket]++;
    const uint32_t point = entries == 0 ? 0 : Random(BelievedCount(entries) + 1);
    return bucket | point << ShufflePointShift;
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
    for (int32_t r = from; r < to; ++r) {
        const uint32_t draw = draws[r];
        const uint32_t place = ShuffleBuckets[draw & ShuffleBucketMask]++;
        order[place] = static_cast<uint32_t>(r);
        points[place] = static_cast<uint8_t>(draw >> ShufflePointShift);
    }
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

void ShuffleOrder(int32_t records, uint32_t bucketCount, uint32_t* draws, uint8_t* points,
                  uint32_t* order) {
    ClearShuffleBuckets();
    for (int32_t r = 0; r < records; ++r) draws[r] = DrawShufflePlace(bucketCount);
    BucketStarts(bucketCount);
    ScatterRecords(draws, 0, records, order, points);
    ReplayBuckets(0, bucketCount, 0, order, points, draws);
    ClearShuffleBuckets();
}

void ClearShuffleBuckets() {
    std::memset(ShuffleBuckets, 0, sizeof(uint32_t) * DirtyBuckets);
    DirtyBuckets = 0;
}
