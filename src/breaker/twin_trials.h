// Twin trial codes: codes that the answers so far cannot tell apart (places swapped where every
// answered trial holds one sign, free signs renamed, after a single answered trial its blocks
// traded), so that they split the candidates into classes of the same sizes.
//
// The search examines one code of each set of twins: a twin of a code that lost loses, a twin of
// a code counted in full is judged by those counts, and one that equals the best is examined in
// full, so that it draws for the tie. Where no trade is allowed and the store numbers its
// records, a code that lost marks its twins' records instead, and the scan passes over a marked
// code unread. Why this is exact: README.md, section 5. The search's record is twin_search.h;
// twin_trials.cpp sets a search up, twin_names.cpp names, twin_slots.cpp remembers the verdicts,
// twin_marks.cpp marks by record number.
#pragma once
#include <cstddef>
#include <cstdint>

#include "breaker/class_pass.h"
#include "match/code.h"

// What the search knows of a trial code's twins.
struct TwinVerdict {
    bool Known = false;    // a twin was examined before in this search
    bool Lost = false;     // it was given up or lost: strictly worse than the best at its time
    int32_t MaxClass = 0;  // otherwise its counts
    int64_t Squares = 0;
    bool IsCandidate = false;
};

// Notes a trial whose answer had at least one common sign (every such answer of the match).
void NoteAnsweredTrial(const uint8_t* signs, int length);
// A new match: no trial answered yet.
void ForgetAnsweredTrials();

// A new search over at most `codes` trial codes. Twins are looked for only when the search is
// large enough to gain and the answers leave some positions or signs interchangeable. Every
// code is named before it is examined when the names would not far outnumber the slots; else,
// where lateNaming allows it, only the codes that the bounds do not give up before their count.
void BeginTwinSearch(int32_t codes, bool lateNaming);
bool TwinsSought();
bool TwinsNamedEarly();
// Where no trade is allowed (and the records are numbered), twins are not named: a code that
// lost marks its twins' records, and the scan passes over a marked code unread.
bool TwinsMarked();
// The marks: a bit per record, set by a twin that lost (none while no marks are set).
struct TwinMarkRecord {
    uint64_t* Words = nullptr;
    size_t Count = 0;  // words
};
extern TwinMarkRecord TwinMarkBits;
// The scan reads a mark for nearly every code: these stay inline.
inline bool TwinMarked(uint32_t record) {
    const TwinMarkRecord& m = TwinMarkBits;
    return record / 64 < m.Count && ((m.Words[record / 64] >> (record % 64)) & 1) != 0;
}
// Asks the memory for a record's mark ahead of its TwinMarked.
inline void PrefetchTwinMark(uint32_t record) {
    const TwinMarkRecord& m = TwinMarkBits;
    if (record / 64 < m.Count) __builtin_prefetch(&m.Words[record / 64]);
}
// Marks the twins of a code that was given up or lost (at most a few hundred of them).
void MarkTwins(const uint8_t* signs);
// Whether a code has many twins to mark: then even a code given up cheaply marks its twins.
bool ManyTwins();
// The arrangements of one multiset of live signs over the places (Sign[j] held Count[j] times),
// and a test of their totals of P: per class c < Classes, Entries[c][k * Slots + j] is what sign
// j at place k adds to the class's total, which must lie in [Least[c], Most[c]].
struct ArrangementTest {
    int Length = 0;
    int Slots = 0;
    uint8_t Sign[MaxCodeLength] = {};
    uint8_t Count[MaxCodeLength] = {};
    int Classes = 0;
    const int32_t* Entries[MaxCodeLength + 1] = {};
    int32_t Least[MaxCodeLength + 1] = {};
    int32_t Most[MaxCodeLength + 1] = {};
};
// Marks the record of every arrangement with some class's total outside its range: codes that
// are strictly worse than the best, as the ranges were made against it (only while marking).
void MarkLosingArrangements(const ArrangementTest& test);
// The name shared by all twins of a code (only while TwinsSought()).
uint64_t TwinKey(const uint8_t* signs);
TwinVerdict LookUpTwin(uint64_t key);
// Asks the memory for where a name's verdict would be, ahead of its LookUpTwin.
void PrefetchTwin(uint64_t key);
// Remembers a code's verdict for its twins (its counts when it was counted in full and did not
// lose). When the memory for more is refused, the search goes on remembering no more.
void RememberTwin(uint64_t key, bool lost, const ClassCounts& counts);
// The search ends: its memory is given back.
void EndTwinSearch();

// Searches look for twins with at least this many candidates, or with fewer when they have
// very many trial codes to count them for (tests lower it).
extern int32_t TwinMinCandidates;
// Trial codes whose verdict came from a twin, since the program started.
extern int64_t TrialCodesTwinned;
