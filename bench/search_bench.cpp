// Self-play of the computer as codebreaker, headless on the virtual console with a fixed seed:
// for each set of conditions the matches, the trials (min / mean / max), the wall time per
// match, the (trial code, candidate) pairs classified per second while searching, the store
// build rate, the longest search (CPU seconds) and the peak memory. Then one large scan on its
// own (L = 6 over 10 signs with repetitions: the first real search, a million trial codes
// against the candidates the opening leaves) for the class pass's speed.
//
// The default run has no time limit and ends with a signature line (total trials and total
// classified pairs): a change meant only for speed leaves it unchanged.
//
// Arguments (optional): length signs repetitions(0/1) fixed(0/1) matches [timeLimitTens]
// plays that one set instead, with the virtual clock following the real one.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/class_pass.h"
#include "breaker/engine_state.h"
#include "breaker/search_progress.h"
#include "breaker/shuffle.h"
#include "breaker/trial_chain.h"
#include "breaker/trial_choice.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/code.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/console/console_virtual.h"
#include "shell/language.h"
#include "shell/settings.h"
#include "support/bench_match.h"

namespace {

using Clock = std::chrono::steady_clock;

// The keyboard stays open and silent. With followReal set the virtual clock keeps up with the
// real one, so that time limits act; a deadline (real seconds from now) presses Esc. Without
// either the real clock is not read: the search asks for a key after every trial code, and
// the reading would cost the search as much as the game's own clock tick.
bool FollowReal = false;
Clock::time_point LastFeed;
Clock::time_point EscAt = Clock::time_point::max();
void Feed() {
    if (FollowReal) {
        const auto now = Clock::now();
        const int64_t hundredths =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - LastFeed).count() / 10;
        if (hundredths > 0) {
            VirtualAdvanceClock(hundredths);
            LastFeed += std::chrono::milliseconds(hundredths * 10);
        }
    }
    if (EscAt != Clock::time_point::max() && Clock::now() >= EscAt) VirtualQueueKey(KeyEsc);
}

struct Conditions {
    int Length;
    int Signs;
    bool Repetitions;
    bool Fixed;
    bool Vacant;
    int Matches;
};

struct Totals {
    int64_t Trials = 0;
    int64_t Pairs = 0;
    TrialHash Decisions;
};

// Plays one set of conditions and prints its line; false when a match did not end solved.
bool PlaySet(const Conditions& c, int timeLimitTens, Totals& totals) {
    int minTrials = 1 << 30, maxTrials = 0;
    int64_t trials = 0;
    double searchSeconds = 0, buildSeconds = 0, wall = 0, longest = 0;
    int64_t pairs = 0, records = 0;
    bool allSolved = true;
    for (int match = 0; match < c.Matches; ++match) {
        const auto start = Clock::now();
        StartMatch({c.Length, c.Signs, c.Repetitions, c.Fixed, c.Vacant}, timeLimitTens);
        NextPlace();
        const auto buildStart = Clock::now();
        const bool built = BuildCandidateStore(c.Repetitions);
        ClearShuffleBuckets();
        buildSeconds += Seconds(buildStart);
        if (!built) {
            std::printf("  the store could not be built\n");
            return false;
        }
        records += CandidateStore.Records;
        int n = 1;
        for (;; ++n) {
            TrialRow& row = CurrentRow();
            uint8_t key = 0;
            const int64_t before = PairsClassified;
            const auto searchStart = Clock::now();
            const double cpuStart = CpuSeconds();
            ChooseTrial(row.Signs, row.P, row.Z, key);
            searchSeconds += Seconds(searchStart);
            longest = std::max(longest, CpuSeconds() - cpuStart);
            pairs += PairsClassified - before;
            if (key == KeyEsc || key == KeyCtrlC) {
                allSolved = false;
                break;
            }
            totals.Decisions.Add(row, c.Length);
            if (row.P == c.Length) break;
            NextPlace();
        }
        ReleaseCandidateStore(true);
        wall += Seconds(start);
        trials += n;
        minTrials = std::min(minTrials, n);
        maxTrials = std::max(maxTrials, n);
    }
    std::printf(
        "L %d N %2d %-7s %-9s %s| %4d matches | trials %d / %.3f / %d | %8.2f ms/match | "
        "%7.0f M pairs/s | build %6.1f M records/s | longest search %.2f s CPU | peak %.0f MiB\n",
        c.Length, c.Signs, c.Repetitions ? "rep" : "no-rep", c.Fixed ? "fixed" : "not-fixed",
        c.Vacant ? "vacant " : "", c.Matches, minTrials, double(trials) / c.Matches, maxTrials,
        wall * 1000 / c.Matches, searchSeconds > 0 ? pairs / searchSeconds / 1e6 : 0.0,
        buildSeconds > 0 ? records / buildSeconds / 1e6 : 0.0, longest, PeakMiB());
    totals.Trials += trials;
    totals.Pairs += pairs;
    return allSolved;
}

// The first real search of L = 6 over 10 signs with repetitions, cut after a few seconds.
// The class count itself: the first trial codes of the chain counted against every candidate,
// with no best to lose against, by groups (P alone) and one candidate at a time.
void ClassCountSpeed() {
    const CandidateStoreRecord& s = CandidateStore;
    const int codes = std::min<int32_t>(200, s.TrialCount);
    uint8_t signs[MaxCodeLength];
    ClassCounts counts;
    auto pass = [&](bool grouped) {
        const auto start = Clock::now();
        for (int i = 0; i < codes; ++i) {
            RecordSigns(s.TrialChain[i], signs);
            TrialPattern pattern;
            MakeTrialPattern(signs, s.Length, pattern);
            if (grouped)
                ClassifyGrouped(pattern, INT32_MAX, INT64_MAX, counts);
            else
                ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, counts);
        }
        return double(codes) * s.CandidateCount / Seconds(start) / 1e6;
    };
    const bool groups = PrepareCandidateGroups();
    if (groups) BeginGroupedSearch();
    const double byGroups = groups ? pass(true) : 0;
    const double oneByOne = pass(false);
    std::printf(
        "class count: %d trial codes against all %d candidates: %.0f M pairs/s by groups (P "
        "alone), %.0f M pairs/s one candidate at a time\n",
        codes, s.CandidateCount, byGroups, oneByOne);
}

void LargeScan() {
    const Conditions c{6, 10, true, true, false, 1};
    StartMatch({c.Length, c.Signs, c.Repetitions, c.Fixed, c.Vacant}, 0);
    NextPlace();
    const auto buildStart = Clock::now();
    if (!BuildCandidateStore(true)) {
        std::printf("large scan: the store could not be built\n");
        return;
    }
    ClearShuffleBuckets();
    const double build = Seconds(buildStart);
    // The opening's trials until the book is done.
    for (;;) {
        TrialRow& row = CurrentRow();
        uint8_t key = 0;
        ChooseTrial(row.Signs, row.P, row.Z, key);
        NextPlace();
        if (key != 0 || row.P == c.Length) {
            std::printf("large scan: the match ended in the book\n");
            ReleaseCandidateStore(true);
            return;
        }
        if (!OpeningPhase) break;
    }
    const int32_t candidates = CandidateStore.CandidateCount;
    const int32_t trialCodes = CandidateStore.TrialCount;
    ClassCountSpeed();
    TrialRow& row = CurrentRow();
    uint8_t key = 0;
    const int64_t before = PairsClassified;
    EscAt = Clock::now() + std::chrono::seconds(4);
    const auto start = Clock::now();
    ChooseTrial(row.Signs, row.P, row.Z, key);
    const double seconds = Seconds(start);
    EscAt = Clock::time_point::max();
    VirtualClearKeys();
    const int64_t pairs = PairsClassified - before;
    // What a count of every candidate for every examined code would classify: the bounds give
    // most codes up early, so the pairs classified are far fewer.
    const double covered = double(SearchProgress.ItemsDone) * double(candidates);
    std::printf(
        "large scan: L 6 N 10 rep, %d records built in %.2f s, first real search over %d trial "
        "codes and %d candidates: %d codes examined%s in %.2f s, %.0f M pairs/s classified, "
        "%.0f M pairs/s of a full count\n",
        CandidateStore.Records > 0 ? CandidateStore.Records : 1000000, build, trialCodes,
        candidates, SearchProgress.ItemsDone, key == KeyEsc ? " (cut)" : "", seconds,
        pairs / seconds / 1e6, covered / seconds / 1e6);
    ReleaseCandidateStore(true);
}

}  // namespace

int main(int argc, char** argv) {
    StartVirtualConsole();
    VirtualSetKeyFeeder(Feed);
    // A whole match at the largest sets looks for a key hundreds of millions of times.
    VirtualSetSilentFeedLimit(INT64_MAX);
    VirtualSetPauseStep(0);
    VirtualUseMachineHeap(true);  // the stores' memory as the program takes it
    SetDefaultSettings();
    Language = LanguageKind::English;
    ClockState.German = false;
    MemoryBudget = BudgetForLevel(8);
    UpdateMaxSigns();
    SeedRandom(20260101);
    LastFeed = Clock::now();

    Totals totals;
    if (argc > 5) {
        const Conditions c{std::atoi(argv[1]),
                           std::atoi(argv[2]),
                           std::atoi(argv[3]) != 0,
                           std::atoi(argv[4]) != 0,
                           false,
                           std::atoi(argv[5])};
        const int tens = argc > 6 ? std::atoi(argv[6]) : 0;
        FollowReal = tens > 0;
        PlaySet(c, tens, totals);
        return 0;
    }
    const Conditions sets[] = {
        {4, 6, true, true, false, 200}, {4, 6, false, true, false, 200},
        {4, 6, true, false, false, 50}, {3, 8, true, true, false, 100},
        {4, 2, true, true, true, 50},   {5, 8, true, true, false, 10},
        {6, 6, false, true, false, 10}, {5, 9, false, true, false, 5},
    };
    const auto start = Clock::now();
    bool solved = true;
    for (const Conditions& c : sets) solved = PlaySet(c, 0, totals) && solved;
    std::printf("default run: %.1f s%s\n", Seconds(start), solved ? "" : ", NOT ALL SOLVED");
    LargeScan();
    // The pairs a search classifies are what the bounds save, so they are not part of the
    // signature; the decisions are.
    std::printf("classified pairs: %lld\n", static_cast<long long>(totals.Pairs));
    std::printf("signature: %lld trials, decisions %016llx\n",
                static_cast<long long>(totals.Trials),
                static_cast<unsigned long long>(totals.Decisions.Value));
    return 0;
}
