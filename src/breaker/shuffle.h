// The shuffle of the candidate store: every new record goes into one of 1,310,720 buckets at a
// random place, and the buckets in index order make the trial chain.
//
// The order is that of bucket lists into which each record is linked as it is built: a record
// drawn for a bucket with entries already becomes entry i of that bucket (0 = the new first
// entry) for the drawn insertion point i = Random(k + 1), where k is the count the bucket
// believes it holds: its number of entries while that is at most 256, beyond that 256 and 255
// in turn; i = k always appends after the last entry. Linking records one at a time costs a
// cache miss per link, so the build only draws (bucket, insertion point) per record, then
// groups the records by bucket with a counting sort and replays each bucket's insertions in
// its own small stretch of the trial order. The result is the same order.
#pragma once

#include <cstdint>

// While a store is built: the number of entries of each bucket; after BucketStarts the place
// in the trial order at which the next record of the bucket goes.
extern uint32_t ShuffleBuckets[];

// A drawn place: the bucket in the low bits, the insertion point above them.
constexpr int ShufflePointShift = 21;
constexpr uint32_t ShuffleBucketMask = (1u << ShufflePointShift) - 1;

// The count a bucket believes it holds after `entries` entries (at least 1).
inline uint32_t BelievedCount(uint32_t entries) {
    return entries <= 256 ? entries : 256 - (entries & 1);
}

// Draws the bucket (Random(bucketCount)) and, for a bucket with entries already, the insertion
// point (Random(k + 1)) of the next record, and counts it in its bucket.
uint32_t DrawShufflePlace(uint32_t bucketCount);
// The same for count records one after the other, with the same draws, faster.
void DrawShufflePlaces(uint32_t bucketCount, uint32_t* draws, int32_t count);

// The counting sort: turns the bucket counts into start places, then puts the records
// [from, to) at the next place of their bucket (within a bucket in enumeration order), with
// the low byte of their insertion point beside them.
void BucketStarts(uint32_t bucketCount);
void ScatterRecords(const uint32_t* draws, int32_t from, int32_t to, uint32_t* order,
                    uint8_t* points);
// The same grouping in two passes that stay in the cache, for tables of many buckets: first
// the records go to partitions of kPartitionBuckets buckets (in enumeration order), then each
// partition is grouped by bucket in a scratch array and its buckets replayed at once.
// PartitionsFit (after BucketStarts) tells whether every partition fits the scratch array and
// sets the partitions' places; PartitionRecords puts the records [from, to) there;
// SortAndReplayPartitions does the buckets [from, to) (from a multiple of kPartitionBuckets),
// whose records stand from place start on, and returns the place behind the last of them.
constexpr uint32_t kPartitionBuckets = 2048;
constexpr uint32_t kPartitionRecords = 1 << 17;
bool PartitionsFit(uint32_t bucketCount, uint32_t records);
void PartitionRecords(const uint32_t* draws, int32_t from, int32_t to, uint32_t* order);
uint32_t SortAndReplayPartitions(uint32_t from, uint32_t to, uint32_t start, uint32_t* order,
                                 uint8_t* points, const uint32_t* draws);
// Replays the insertions of the buckets [from, to), whose records stand from place start on;
// returns the place behind the last of them.
uint32_t ReplayBuckets(uint32_t from, uint32_t to, uint32_t start, uint32_t* order,
                       const uint8_t* points, const uint32_t* draws);

// With few records in many buckets, walking every bucket costs more than the records: they are
// sorted by bucket instead (a counting pass over runs of at least 2^kFewRunShift buckets, then
// each run in place, enumeration order kept), and only the buckets that hold any are replayed and
// emptied. FewRecords tells when; ChainFewRecords does it all after the draws, in place of
// BucketStarts, the grouping and the replay, and leaves the buckets empty.
constexpr int kFewRecordsShare = 8;
constexpr int kFewRunShift = 7;
bool FewRecords(uint32_t bucketCount, int32_t records);
void ChainFewRecords(uint32_t bucketCount, const uint32_t* draws, int32_t records, uint32_t* order,
                     uint8_t* points);

// The whole shuffle of the records 0..records-1 without interruption, for any bucket count up
// to 1,310,720: draws[records] and points[records] are working space, order[records] receives
// the trial order. The buckets are cleared afterwards.
void ShuffleOrder(int32_t records, uint32_t bucketCount, uint32_t* draws, uint8_t* points,
                  uint32_t* order);

// Empties every bucket; done at start-up and after every store build, however it ended.
void ClearShuffleBuckets();
