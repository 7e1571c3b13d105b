// The totals of P per multiset: for a trial multiset whose codes keep coming, the totals of P
// that each of its signs gives every M-class from each place, tabled once per search (Totals,
// TotalsAt). A trial code's totals of P per class then take L x (L + 1) additions instead of a
// pass over the groups; and over all orders of the multiset's signs they lie within a range
// that, once per multiset and best so far, may show every code of the multiset lost and else
// is kept behind the table, for each of its codes to be held against.
#pragma once

#include <cstddef>
#include <cstdint>

#include "breaker/class_bounds.h"
#include "breaker/class_pass.h"

// The multiset's totals of P per class, place and sign (see Totals), made from the groups on
// first use; null when Totals has no room left for them, and for the multiset's first codes
// (they sum the groups themselves).
int32_t* PlaceTotalsOf(const TrialPattern& pattern, uint32_t rank);

// What a trial code's count starts from, as far as its multiset and its places tell before a
// candidate is read: the totals of P of its classes come from the multiset's table where there
// is one (Entry: per place the entry of its sign within a class's block, -1 for a sign that
// cannot score), else from a pass over the groups.
struct ClassTotals {
    int32_t* Table = nullptr;
    int Entry[MaxCodeLength] = {};
    int64_t PerClass = 0;
    bool Summed = false;  // plan.Total holds every class's total (and GroupM is the trial's)
};

// Per place of the trial code the entry of its sign within a class's block of the multiset's
// table.
inline void PlaceEntries(const TrialPattern& pattern, ClassTotals& totals) {
    int8_t slotOf[256];
    slotOf[0xFF] = -1;
    for (int j = 0; j < pattern.Slots; ++j) slotOf[pattern.SlotSign[j]] = static_cast<int8_t>(j);
    for (int k = 0; k < pattern.Length; ++k) {
        const int j = slotOf[pattern.Position[k]];
        totals.Entry[k] = j < 0 ? -1 : k * pattern.Slots + j;
    }
    totals.PerClass = static_cast<int64_t>(pattern.Length) * pattern.Slots;
}

// Behind a multiset's table: per class the least and the largest total of P that lets it stay
// at or below the largest class the best so far allows (good while CheckedAt is the best's).
inline int32_t* RangesOf(int32_t* table, int length, int slots) {
    return table + static_cast<size_t>(length + 1) * length * slots;
}

// The total of P of class m: from the multiset's table, or as summed.
inline int64_t TotalOf(const ClassPlan& plan, const ClassTotals& totals, int m) {
    if (totals.Summed) return plan.Total[m];
    const int32_t* block = totals.Table + m * totals.PerClass;
    int64_t sum = 0;
    for (int k = 0; k < plan.Length; ++k)
        if (totals.Entry[k] >= 0) sum += block[totals.Entry[k]];
    return sum;
}

// Whether every code of the multiset loses on the totals of P alone. Whatever the order of its
// signs, a class's total lies within EntrySumRange; when no total in that range lets some
// class stay at or below h, no code can.
// The totals each class may end with and stay at or below h go behind the table (see
// RangesOf), for the multiset's codes to be held against until the best changes.
bool MultisetMomentsLose(const ClassPlan& plan, int32_t* table, int slots, const uint8_t* occurs,
                         bool blanks, int64_t h);
