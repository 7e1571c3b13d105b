// The trial chain of the candidate store (record numbers in chain order): reading its codes,
// the symmetry filter's verdicts, and the changes a search and an answer make to it. Every
// change keeps the order of the codes that stay and keeps TrialCount true.
#pragma once

#include <cstdint>

#include "match/code.h"

// The signs of a record, positions 1..L in signs[0..L-1].
void RecordSigns(uint32_t record, uint8_t* signs);
// Asks the memory for a record's signs ahead of their use.
void PrefetchRecord(uint32_t record);
// The record holding the code, or -1 when the store has none.
int64_t FindRecord(const uint8_t* signs);
// The place of a record on the trial chain, or -1.
int32_t TrialIndexOf(uint32_t record);

// The symmetry filter: signs never tried are interchangeable, so of the codes that differ only
// by a renaming of untried signs one is examined. Rank per sign index: 0 for a tried sign,
// Excluded for an untried sign that may not appear, 2 + j for the j-th usable untried sign.
struct SymmetryRule {
    static constexpr uint8_t Excluded = 1;
    uint8_t Rank[RingSize + 1] = {};
};
// A code is eligible when it holds no excluded sign and the usable untried signs it holds are
// a leading part of their order and first occur in that order.
bool EligibleCode(const uint8_t* signs, int length, const SymmetryRule& rule);
// Marks the verdict of every record (in the store's Eligible bytes, when it has them) and
// counts the eligible codes on the trial chain.
int32_t MarkEligible(const SymmetryRule& rule);
// The verdict for the code at place index of the chain, from the marks or tested anew.
bool EligibleAt(int32_t index, const SymmetryRule& rule);
// The first place from `from` on whose code is eligible, or TrialCount when none is left. The
// marks of the places ahead are asked for from memory while the walk goes on.
int32_t NextEligible(int32_t from, const SymmetryRule& rule);

// Moves the code at place index to the head of the chain; the others keep their order.
void MoveToFront(int32_t index);
// The first `examined` codes go behind the others: the next search starts with the codes
// this one did not reach.
void RotateTrialChain(int32_t examined);
// Removes the code at place index.
void UnlinkTrial(int32_t index);
// Removes every code holding a sign whose flag (by sign index 0..36) is set.
void RemoveTrialsHolding(const uint8_t* signFlags);
// The chain becomes the candidates themselves, in candidate order (one or two of them).
void TrialChainFromCandidates();
