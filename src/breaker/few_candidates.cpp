// The few candidates of a search in records of their own, and their count per trial code.
#include "breaker/few_candidates.h"

#include <cstring>

#include "breaker/candidate_store.h"

namespace {

typedef uint8_t Bytes16 __attribute__((vector_size(16)));
typedef uint64_t Quads2 __attribute__((vector_size(16)));

// One candidate: its sign per place (0xFE behind the last place, which no trial sign equals)
// and how often it holds each sign index.
struct alignas(64) FewRecord {
    Bytes16 Place;
    Bytes16 Count[3];
};
static_assert(3 * 16 > RingSize, "a count per sign index");

struct FewCandidatesRecord {
    bool On = false;
    int Length = 0;
    int32_t Count = 0;
    FewRecord Records[FewCandidatesMost];
};
FewCandidatesRecord Few;

// The sum of 16 bytes whose total stays below 256.
inline int ByteSum(Bytes16 bytes) {
    const Quads2 quads = reinterpret_cast<Quads2>(bytes) * 0x0101010101010101ull;
    return static_cast<int>((quads[0] >> 56) + (quads[1] >> 56));
}

}  // namespace

bool BeginFewCandidates(bool realSearch) {
    const CandidateStoreRecord& s = CandidateStore;
    Few.On = false;
    if (!realSearch || s.CandidateCount <= 0 || s.CandidateCount > FewCandidatesMost) return false;
    Few.Length = s.Length;
    Few.Count = s.CandidateCount;
    for (int32_t n = 0; n < s.CandidateCount; ++n) {
        FewRecord& record = Few.Records[n];
        uint8_t place[16];
        uint8_t count[48] = {};
        std::memset(place, 0xFE, sizeof place);
        for (int k = 0; k < s.Length; ++k) {
            const uint8_t sign = s.CandidatePositions[k][n];
            place[k] = sign;
            ++count[sign];
        }
        std::memcpy(&record.Place, place, sizeof place);
        std::memcpy(record.Count, count, sizeof count);
    }
    Few.On = true;
    return true;
}

bool FewCandidatesOn() {
    return Few.On;
}

void EndFewCandidates() {
    Few.On = false;
}

bool CountFewCandidates(const uint8_t* signs, int32_t bestMax, int64_t bestSquares,
                        ClassCounts& out) {
    const int length = Few.Length;
    uint8_t place[16];
    uint8_t count[48] = {};
    std::memset(place, 0xFF, sizeof place);
    for (int k = 0; k < length; ++k) {
        place[k] = signs[k];
        ++count[signs[k]];
    }
    Bytes16 trialPlace;
    Bytes16 trialCount[3];
    std::memcpy(&trialPlace, place, sizeof place);
    std::memcpy(trialCount, count, sizeof count);
    // Counts per class 10 M + P, and each candidate's class for the table at the end.
    int32_t sizes[100] = {};
    uint8_t classOf[FewCandidatesMost];
    int32_t largest = 0;
    int64_t squares = 0;
    int32_t n = 0;
    bool lost = false;
    for (; n < Few.Count; ++n) {
        const FewRecord& record = Few.Records[n];
        const Bytes16 hit = reinterpret_cast<Bytes16>(record.Place == trialPlace) & 1;
        Bytes16 common = record.Count[0] < trialCount[0] ? record.Count[0] : trialCount[0];
        common += record.Count[1] < trialCount[1] ? record.Count[1] : trialCount[1];
        common += record.Count[2] < trialCount[2] ? record.Count[2] : trialCount[2];
        const int c = 10 * ByteSum(common) + ByteSum(hit);
        classOf[n] = static_cast<uint8_t>(c);
        const int32_t q = ++sizes[c];
        squares += 2 * int64_t(q) - 1;
        if (q > largest) largest = q;
        if (largest > bestMax || (largest >= bestMax && squares > bestSquares)) {
            lost = true;
            ++n;
            break;
        }
    }
    PairsClassified += n;
    if (lost) {
        ++TrialCodesAbandoned;
        return false;
    }
    std::memset(out.Table, 0, sizeof out.Table);
    for (int32_t i = 0; i < n; ++i) out.Table[classOf[i] / 10][classOf[i] % 10] = sizes[classOf[i]];
    FinishClassCounts(length, out);
    return true;
}
