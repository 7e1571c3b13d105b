// The rank of a trial code's multiset of signs straight from its record number, for the search
// over a store whose records are numbered.
//
// A record's number holds its signs as digits. The low digits and the high digits each give,
// from a table made for the search, how often every symbol occurs among them (a sign that cannot
// score counts as symbol 0), packed into fields of one 64-bit word: the sum of the two words is
// the code's multiset. Its rank (the same as GroupedRank of the code's signs) is remembered per
// packed word in a small hash table, and made from the counts the first time. A code whose
// multiset is known to lose is then passed over without its signs being read.
#pragma once

#include <cstdint>

// Makes the tables for a new search (the signs alive as they stand). False, and nothing made,
// when the store is not numbered, its symbols do not fit the packing, or the memory is refused:
// the ranks then come from the signs.
bool BeginRecordRanks(int32_t tableSize);
bool RecordRanksOn();
uint32_t RecordRank(uint32_t record);
// The same in two steps, a few codes apart: the record's packed multiset (its rank's place is
// asked for from memory meanwhile), then its rank.
uint64_t RecordMultiset(uint32_t record);
uint32_t RankOfMultiset(uint64_t packed);
// Frees the tables.
void EndRecordRanks();
