// Fills the code-breaker's candidate store without the build, for tests that need a store of a
// given shape: every code of length L over the signs 1..n (0..n with the vacant sign, the
// all-vacant code left out) as records in odometer order (position 1 fastest) under identity
// maps, then the trial chain and the candidate chain from lists of codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Codes are written as sign text of the current range, '*' for the vacant sign. The sign
// tables must stand (BuildSignTablesFromSettings). Memory comes from StoreAllocate, as in the
// build, so ReleaseCandidateStore frees it.
void FillCandidateStore(int length, int n, bool vacant, const std::vector<std::string>& trials,
                        const std::vector<std::string>& candidates);

// The record number of a code in such a store.
uint32_t FilledRecord(const std::string& code);

// The codes of the trial chain and of the candidate chain, in chain order.
std::vector<std::string> TrialChainCodes();
std::vector<std::string> CandidateCodes();
