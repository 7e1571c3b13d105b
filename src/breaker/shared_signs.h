// The search where every candidate holds the same signs and only their order is open (without
// repetitions when the code is as long as the range, and at any set once the answers have left
// candidates of one multiset). A trial code then has one M against every candidate, a
// candidate's class is given by P alone, and P is a sum over the places of "the candidate holds
// the trial's sign here". So the class sizes of every trial code can be counted before the scan,
// in the order of the codes' own digits, codes with the same first places sharing the work:
// per beginning, the candidates' P over those places and their signs at the last three places
// are counted once, and each way of ending the code then takes a handful of vector additions.
//
// Each code keeps its largest class (two bytes a code); the codes of the least largest class of
// all keep their sums of squares too, in a list. The scan walks the chain as always and passes
// over a code whose largest class exceeds the best's at its time, or equals it with more squares
// where the squares are kept: such a code is strictly worse than that best. Every other code is
// counted in full and judged as always, so ties still go on to the squares, the candidate test
// and the random draw.
#pragma once

#include <cstdint>

// A search begins: the table is made when it is a real one with more candidates than the count
// of few candidates takes, every candidate holds the same signs and the memory is granted.
// False when not (the search counts its other ways).
bool BeginSharedSigns(bool realSearch);
// The table of every record for the candidates as they stand, whatever their number. False when
// the candidates do not hold the same signs, the store's records are not numbered, the memory
// is refused, or Esc or Ctrl-C is waiting (left for the search's next tick to act on).
bool MakeSharedSignTable();
// Whether the search at hand passes codes over by the table.
bool SharedSignsOn();
// The search is over: the table goes.
void EndSharedSigns();

// A record's largest class, and its sum of squares (-1 where it is not kept).
int32_t SharedLargestClass(uint32_t record);
int64_t SharedSquares(uint32_t record);
// Whether what is kept of a record shows it strictly worse than the best so far.
bool SharedSignsLoses(uint32_t record, int32_t bestMax, int64_t bestSquares);
// What is kept of a record the scan reaches soon is asked for from memory.
void PrefetchSharedSigns(uint32_t record);
