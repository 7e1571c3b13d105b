// The candidate store filled by hand: every record in odometer order in blocks from
// StoreAllocate, the position and sign maps set to identity, and the chains read back as text.
#include "support/candidate_fill.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "match/code.h"
#include "shell/console/console.h"

namespace {

uint8_t IndexOf(char c) {
    return c == VacantSign ? 0 : SignIndex[static_cast<uint8_t>(c)];
}

std::string TextOf(const uint8_t* const* columns, int length, int64_t i) {
    std::string text;
    for (int k = 0; k < length; ++k) text.push_back(IndexSign[columns[k][i]]);
    return text;
}

}  // namespace

uint32_t FilledRecord(const std::string& code) {
    const CandidateStoreRecord& s = CandidateStore;
    int64_t record = 0;
    int64_t weight = 1;
    for (size_t k = 0; k < code.size(); ++k) {
        record += (IndexOf(code[k]) - s.LowDigit) * weight;
        weight *= s.Signs - s.LowDigit + 1;
    }
    return static_cast<uint32_t>(s.VacantInPlay ? record - 1 : record);
}

void FillCandidateStore(int length, int n, bool vacant, const std::vector<std::string>& trials,
                        const std::vector<std::string>& candidates) {
    ReleaseCandidateStore(true);
    CandidateStoreRecord& s = CandidateStore;
    s.Length = length;
    s.Signs = n;
    s.VacantInPlay = vacant;
    s.LowDigit = vacant ? 0 : 1;
    int64_t records = 1;
    for (int k = 0; k < length; ++k) records *= n + 1 - s.LowDigit;
    if (vacant) --records;
    s.Records = static_cast<int32_t>(records);
    s.Allocated = s.Records;
    const size_t bytes = static_cast<size_t>(records);
    for (int k = 0; k < length; ++k) s.Positions[k] = static_cast<uint8_t*>(StoreAllocate(bytes));
    s.Marks = static_cast<uint8_t*>(StoreAllocate(bytes));
    std::memset(s.Marks, 0, bytes);
    s.TrialChain = static_cast<uint32_t*>(StoreAllocate(bytes * sizeof(uint32_t)));
    for (int k = 1; k <= length; ++k) PosMap[k] = static_cast<uint8_t>(k);
    for (int v = 0; v <= RingSize; ++v) SignMap[v] = static_cast<uint8_t>(v);

    uint8_t d[MaxCodeLength];
    for (int k = 0; k < length; ++k) d[k] = static_cast<uint8_t>(s.LowDigit);
    if (vacant) d[0] = 1;
    for (int64_t r = 0; r < records; ++r) {
        for (int k = 0; k < length; ++k) s.Positions[k][r] = d[k];
        int j = 0;
        while (j < length && d[j] == n) d[j++] = static_cast<uint8_t>(s.LowDigit);
        if (j < length) ++d[j];
    }

    s.TrialCount = static_cast<int32_t>(trials.size());
    for (size_t i = 0; i < trials.size(); ++i) s.TrialChain[i] = FilledRecord(trials[i]);

    const int32_t capacity = static_cast<int32_t>((candidates.size() + CandidateBlock) /
                                                  CandidateBlock * CandidateBlock);
    s.CandidateCapacity = capacity;
    auto* block = static_cast<uint8_t*>(StoreAllocate(size_t(capacity) * size_t(length)));
    for (int k = 0; k < length; ++k) {
        s.CandidatePositions[k] = block + size_t(capacity) * size_t(k);
        std::memset(s.CandidatePositions[k], 0, size_t(capacity));
        for (size_t i = 0; i < candidates.size(); ++i)
            s.CandidatePositions[k][i] = IndexOf(candidates[i][k]);
    }
    s.CandidateCount = static_cast<int32_t>(candidates.size());
    s.Ready = true;
}

std::vector<std::string> TrialChainCodes() {
    const CandidateStoreRecord& s = CandidateStore;
    std::vector<std::string> codes;
    for (int32_t i = 0; i < s.TrialCount; ++i)
        codes.push_back(TextOf(s.Positions, s.Length, s.TrialChain[i]));
    return codes;
}

std::vector<std::string> CandidateCodes() {
    const CandidateStoreRecord& s = CandidateStore;
    std::vector<std::string> codes;
    for (int32_t i = 0; i < s.CandidateCount; ++i)
        codes.push_back(TextOf(s.CandidatePositions, s.Length, i));
    return codes;
}
