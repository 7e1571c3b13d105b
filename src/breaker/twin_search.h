// The record of a twin search, shared by its parts: the blocks of positions and the columns of the
// signs that the answered trials allow to move (twin_trials.cpp), the names and their slots
// (twin_names.cpp, twin_slots.cpp), and the marks by record number (twin_marks.cpp). Only these
// files include it; the rest of the engine sees twin_trials.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "breaker/sign_tables.h"
#include "match/code.h"

// A sign's column in a code's name: 0 for a sign that cannot score, 1.. for a live sign of an
// answered trial, and kFree for a live sign that no answered trial holds.
constexpr uint8_t kFree = 0xFF;

// One way of trading the answered trial's signs: the row each block of positions goes to, and
// the column each of its signs becomes.
struct RowMap {
    uint8_t Row[MaxCodeLength];
    uint8_t Column[RingSize + 2];
};

// A slot holds the name plus one (0: empty), with kLostMark set when the code lost. Names use
// at most 54 bits. The counts of a code that did not lose stand beside, at the same place in
// SlotCounts: a lookup reads them only for such a code, so the slots the scan walks at random
// stay small.
constexpr uint64_t kLostMark = uint64_t(1) << 63;
struct SlotCounts {
    int64_t Squares;
    int32_t MaxClass;
    uint8_t IsCandidate;
};

struct TwinSearch {
    bool On = false;
    bool Early = false;  // every code is named, before it is examined
    size_t SlotLimit = 0;
    int Length = 0;
    int Fixed = 0;  // columns of live signs of the answered trials
    // Positions at which every answered trial holds the same sign form a block; block b is
    // row b of a code's name, RowStart[b] .. RowStart[b + 1] - 1 in it.
    uint8_t BlockOf[MaxCodeLength] = {};
    uint8_t RowStart[MaxCodeLength + 1] = {};
    int Blocks = 0;
    uint8_t ColumnOf[RingSize + 1] = {};
    // After a single answered trial: blocks of one size whose signs are both live or both
    // unable to score may trade places. Kinds[j] lists the blocks of kind j, rising.
    bool Trading = false;
    uint8_t Kinds[MaxCodeLength][MaxCodeLength] = {};
    uint8_t KindSize[MaxCodeLength] = {};
    int KindCount = 0;
    uint8_t BlockColumn[MaxCodeLength] = {};  // the column of the trial's sign in the block
    uint8_t ColumnBlock[RingSize + 2] = {};   // the block of a live sign's column
    RowMap Identity;
    // For the names, per sign: 1 for a free sign; its column, 0 for a free one; the block whose
    // trial sign it is (MaxCodeLength for none); per block what it adds to the block's mark
    // and to that block's; and what a free sign adds per count in the code (twin_names.cpp).
    uint8_t FreeSign[RingSize + 1] = {};
    uint8_t NameColumn[RingSize + 1] = {};
    uint8_t TargetBlock[RingSize + 1] = {};
    uint16_t OwnMark[MaxCodeLength][RingSize + 1] = {};
    uint16_t TargetMark[MaxCodeLength][RingSize + 1] = {};
    uint64_t FreeMark[MaxCodeLength + 1] = {};
    uint64_t* Slots = nullptr;
    SlotCounts* Counts = nullptr;
    size_t Capacity = 0;  // slots, a power of two
    size_t Used = 0;
    bool Full = false;  // no more room will be asked for
    // Where no trade is allowed, twins are found by their record numbers instead of names: a
    // code that lost marks the records of its twins (a bit per record), and the scan passes
    // over a marked code without reading its signs.
    // The bits themselves are TwinMarkBits (twin_trials.h), which the scan reads inline.
    bool Marking = false;
    uint32_t Weight[MaxCodeLength] = {};  // per position what its digit counts in the number
    uint8_t DigitOf[RingSize + 1] = {};   // per sign its digit
    uint32_t Offset = 0;                  // 1 with the vacant sign in play
    uint8_t Free[RingSize + 1] = {};      // the free signs, rising
    int FreeCount = 0;
    uint8_t BlockPlaces[MaxCodeLength][MaxCodeLength] = {};  // per block its positions
    double MostTwins = 0;  // the orders within the blocks times the renamings of free signs
};
extern TwinSearch Twins;

// The marks of a new search (twin_marks.cpp); false when the memory is refused.
bool BeginMarking();
// Gives back the marks' memory.
void FreeMarks();
// The tables the names read, for a new search (twin_names.cpp).
void PrepareNames();
// Gives back the slots' memory (twin_slots.cpp).
void FreeSlots();
