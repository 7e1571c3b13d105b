// Twin trial codes, the search as a whole: the trials answered in the match, the blocks of
// positions and the columns of signs that they allow to move, whether a search looks for twins
// and how (by name or by record number), and its end. The names are made in twin_names.cpp,
// remembered in twin_slots.cpp, and the marks by record number are set in twin_marks.cpp.
#include "breaker/twin_trials.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_search.h"
#include "match/code.h"

int32_t TwinMinCandidates = 4096;
int64_t TrialCodesTwinned = 0;
TwinSearch Twins;

namespace {

// A match has far fewer trials than this; should one have more, twins are no longer sought.
constexpr int kMaxAnswered = 64;
uint8_t Answered[kMaxAnswered][MaxCodeLength];
int AnsweredCount = 0;
bool AnsweredOverflow = false;

// Remembered codes: at most this many slots (8 bytes each, and 16 bytes of counts beside).
constexpr size_t kMaxSlots = size_t(1) << 21;
// When only the codes that reach a count are named, fewer slots serve: they are far fewer.
constexpr size_t kMaxLateSlots = size_t(1) << 20;
// Searches with fewer candidates than TwinMinCandidates look for twins when they would classify
// at least this many (trial code, candidate) pairs in full.
constexpr double kLeastTwinPairs = double(int64_t(1) << 30);

// The blocks of positions and the columns of the signs, from the answered trials.
void MakeBlocks(int length) {
    TwinSearch& t = Twins;
    uint8_t first[MaxCodeLength];  // the first position of each block
    t.Blocks = 0;
    for (int k = 0; k < length; ++k) {
        int b = 0;
        for (; b < t.Blocks; ++b) {
            bool same = true;
            for (int a = 0; a < AnsweredCount && same; ++a)
                same = Answered[a][k] == Answered[a][first[b]];
            if (same) break;
        }
        if (b == t.Blocks) first[t.Blocks++] = static_cast<uint8_t>(k);
        t.BlockOf[k] = static_cast<uint8_t>(b);
    }
    uint8_t size[MaxCodeLength] = {};
    for (int k = 0; k < length; ++k) ++size[t.BlockOf[k]];
    t.RowStart[0] = 0;
    for (int b = 0; b < t.Blocks; ++b)
        t.RowStart[b + 1] = static_cast<uint8_t>(t.RowStart[b] + size[b]);

    uint8_t held[RingSize + 1] = {};
    for (int a = 0; a < AnsweredCount; ++a)
        for (int k = 0; k < length; ++k) held[Answered[a][k]] = 1;
    t.Fixed = 0;
    for (int sign = 0; sign <= RingSize; ++sign) {
        if (!SignAlive[sign])
            t.ColumnOf[sign] = 0;
        else if (held[sign])
            t.ColumnOf[sign] = static_cast<uint8_t>(++t.Fixed);
        else
            t.ColumnOf[sign] = kFree;
    }

    RowMap& identity = t.Identity;
    for (int b = 0; b < MaxCodeLength; ++b) identity.Row[b] = static_cast<uint8_t>(b);
    for (int c = 0; c < RingSize + 2; ++c) identity.Column[c] = static_cast<uint8_t>(c);

    t.Trading = false;
    t.KindCount = 0;
    if (AnsweredCount != 1) return;
    for (int b = 0; b < t.Blocks; ++b) {
        t.BlockColumn[b] = t.ColumnOf[Answered[0][first[b]]];
        if (t.BlockColumn[b] != 0) t.ColumnBlock[t.BlockColumn[b]] = static_cast<uint8_t>(b);
    }
    bool sorted[MaxCodeLength] = {};
    for (int b = 0; b < t.Blocks; ++b) {
        if (sorted[b]) continue;
        uint8_t* kind = t.Kinds[t.KindCount];
        int count = 0;
        for (int o = b; o < t.Blocks; ++o) {
            if (sorted[o] || size[o] != size[b] ||
                (t.BlockColumn[o] == 0) != (t.BlockColumn[b] == 0))
                continue;
            sorted[o] = true;
            kind[count++] = static_cast<uint8_t>(o);
        }
        if (count < 2) continue;
        t.KindSize[t.KindCount++] = static_cast<uint8_t>(count);
        t.Trading = true;
    }
}

}  // namespace

void NoteAnsweredTrial(const uint8_t* signs, int length) {
    if (AnsweredCount == kMaxAnswered) {
        AnsweredOverflow = true;
        return;
    }
    std::memset(Answered[AnsweredCount], 0, MaxCodeLength);
    std::memcpy(Answered[AnsweredCount], signs, static_cast<size_t>(length));
    ++AnsweredCount;
}

void ForgetAnsweredTrials() {
    AnsweredCount = 0;
    AnsweredOverflow = false;
}

void BeginTwinSearch(int32_t codes, bool lateNaming) {
    EndTwinSearch();
    const CandidateStoreRecord& s = CandidateStore;
    TwinSearch& t = Twins;
    t.Length = s.Length;
    // Few candidates are counted quickly, unless there are very many codes to count them for.
    const bool large = s.CandidateCount >= TwinMinCandidates ||
                       double(codes) * double(s.CandidateCount) >= kLeastTwinPairs;
    if (AnsweredOverflow || codes < 2 || !large || s.Length < 1 || s.Length > MaxCodeLength) return;
    MakeBlocks(s.Length);
    PrepareNames();
    // Twins need two positions that may swap or two signs that may trade places; free signs
    // alone are left to the symmetry filter.
    const bool swaps = t.Blocks < t.Length;
    if (!swaps && !t.Trading) return;
    if (!t.Trading && s.Numbered) {
        t.On = BeginMarking();
        return;
    }
    // The ways of swapping and trading: a code has at most this many twins. When the codes
    // would still leave more names than the slots can hold, most twins would find no verdict
    // and the names would only cost time.
    double ways = 1;
    for (int b = 0; b < t.Blocks; ++b)
        for (int i = 2; i <= t.RowStart[b + 1] - t.RowStart[b]; ++i) ways *= i;
    for (int j = 0; j < t.KindCount; ++j)
        for (int i = 2; i <= t.KindSize[j]; ++i) ways *= i;
    t.Early = codes / ways <= static_cast<double>(kMaxSlots / 2);
    if (!t.Early && !lateNaming) return;
    t.SlotLimit = t.Early ? kMaxSlots : kMaxLateSlots;
    t.On = true;
    t.Full = false;
}

bool TwinsSought() {
    return Twins.On;
}

bool TwinsNamedEarly() {
    return Twins.On && !Twins.Marking && Twins.Early;
}

bool TwinsMarked() {
    return Twins.On && Twins.Marking;
}

void EndTwinSearch() {
    FreeSlots();
    FreeMarks();
    Twins.On = false;
    Twins.Full = false;
}
