// The computer's thinking at the top memory level, headless on the virtual console with a fixed
// seed and no time limit: the first real search (the first after the opening book) of several
// long codes with repetitions, whole matches at the largest conditions, and whole matches at
// small and repetition-free sets. Per search it prints the candidates, the eligible trial codes
// (those the search has to examine), the trial codes examined, those given up by a bound before
// all candidates were classified, those that took the verdict of a twin examined before, the
// (trial code, candidate) pairs classified, the CPU seconds of the search, the pairs per second
// and the process's peak memory so far; per set the longest search and the peak memory.
//
// The run ends with the longest search and the peak memory of all sets, and a signature: the
// trials played and a hash of every trial code and answer. A change meant only for speed leaves
// it as it is. The sets added later (8 over 8 without repetitions, fixed and not, and 9 over 7
// fixed) have a signature line of their own, so that the first one still covers the sets it
// always covered.
//
// Arguments (optional): the names of sets (for instance 7x9 or match5x31) play those sets alone,
// in the run's order, with the same decisions as in the whole run; --list names the sets.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "breaker/candidate_store.h"
#include "breaker/class_pass.h"
#include "breaker/engine_state.h"
#include "breaker/search_progress.h"
#include "breaker/shuffle.h"
#include "breaker/trial_choice.h"
#include "breaker/twin_trials.h"
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

constexpr uint64_t kSeed = 20261208;
constexpr int kLevel = 8;

struct ThinkSet {
    const char* Name;
    int Length;
    int Signs;
    bool Repetitions;
    bool Fixed;       // a fixed secret; otherwise the computer answers as the encoder of a
                      // code that is not fixed, keeping the largest class open
    bool WholeMatch;  // otherwise only up to the first real search
    int Matches;      // whole matches one after the other (a new secret each)
};

// The not-fixed first searches are the hardest the opening can leave: the encoder always keeps
// the most codes open. The whole not-fixed matches at the largest sets are the longest here
// (up to a minute and more each); the small and repetition-free sets and the default 4 over 10
// play several matches.
const ThinkSet kSets[] = {
    {"5x31", 5, 31, true, false, false, 1},
    {"7x9", 7, 9, true, false, false, 1},
    {"7x10", 7, 10, true, false, false, 1},
    {"7x12", 7, 12, true, false, false, 1},
    {"6x17", 6, 17, true, false, false, 1},
    {"8x8", 8, 8, true, false, false, 1},
    {"9x7", 9, 7, true, false, false, 1},
    {"match5x31", 5, 31, true, true, true, 1},
    {"match6x10", 6, 10, true, false, true, 1},
    {"match6x17", 6, 17, true, false, true, 1},
    {"match7x12", 7, 12, true, false, true, 1},
    {"match8x8", 8, 8, true, false, true, 1},
    {"match9x7", 9, 7, true, false, true, 1},
    {"match7x7norep", 7, 7, false, true, true, 5},
    {"match6x6norep", 6, 6, false, true, true, 10},
    {"match3x36", 3, 36, true, true, true, 10},
    {"match9x3", 9, 3, true, false, true, 10},
    {"match4x10", 4, 10, true, true, true, 20},
    // Added later, with a signature of their own: the one over the sets above stays as it was.
    // The repetition-free 8 over 8 (every candidate holds the same signs) and the fixed 9 over 7,
    // whose late searches meet a handful of candidates with tens of millions of trial codes.
    {"match8x8norep", 8, 8, false, false, true, 1},
    {"match8x8norepfixed", 8, 8, false, true, true, 1},
    {"match9x7fixed", 9, 7, true, true, true, 1},
};
// The sets from this one on sign apart.
constexpr size_t kFirstLaterSet = 18;

// The longest real search and the peak memory, of a set and of the whole run.
struct Extremes {
    double LongestSearch = 0;
    double PeakMiB = 0;
    void Add(const Extremes& other) {
        LongestSearch = std::max(LongestSearch, other.LongestSearch);
        PeakMiB = std::max(PeakMiB, other.PeakMiB);
    }
};

struct Signature {
    int64_t Trials = 0;
    TrialHash Hash;
    void AddTrial(const TrialRow& row, int length) {
        ++Trials;
        Hash.Add(row, length);
    }
};

std::string CodeText(const TrialRow& row, int length) {
    return std::string(row.Signs.data(), size_t(length));
}

// Whether the computer may break codes of the set at the level.
bool CapacityOk(const ThinkSet& c) {
    Settings.MemoryLevel = kLevel;
    CapacityCheck(c.Signs, c.Length, c.Repetitions, true, false, false);
    return CanGuess != 0;
}

// Plays one match of a set; false when it could not be played to its end.
bool PlayMatch(const ThinkSet& c, Signature& total, Extremes& extremes) {
    Settings.MemoryLevel = kLevel;
    StartMatch({c.Length, c.Signs, c.Repetitions, c.Fixed, false}, 0);
    CapacityCheck(c.Signs, c.Length, c.Repetitions, true, false, false);
    NextPlace();
    const double buildStart = CpuSeconds();
    const bool built = BuildCandidateStore(c.Repetitions);
    ClearShuffleBuckets();
    std::printf("  store: %d records built in %.2f s CPU\n", CandidateStore.Records,
                CpuSeconds() - buildStart);
    if (!built) {
        std::printf("  the store could not be built\n");
        return false;
    }
    Signature own;
    bool ended = false;
    double thinking = 0;
    for (int trial = 1;; ++trial) {
        TrialRow& row = CurrentRow();
        const bool real = OpeningPhase == 0;
        const int32_t candidates = CandidateStore.CandidateCount;
        // One code left: it is played without a search.
        const bool known = candidates == 1 || CandidateStore.TrialCount == 1;
        const int64_t pairsBefore = PairsClassified;
        const int64_t abandonedBefore = TrialCodesAbandoned;
        const int64_t twinnedBefore = TrialCodesTwinned;
        uint8_t key = 0;
        const double start = CpuSeconds();
        ChooseTrial(row.Signs, row.P, row.Z, key);
        const double seconds = CpuSeconds() - start;
        if (key == KeyEsc || key == KeyCtrlC) {
            std::printf("  trial %d: broken off\n", trial);
            break;
        }
        own.AddTrial(row, c.Length);
        total.AddTrial(row, c.Length);
        if (real && !known) extremes.LongestSearch = std::max(extremes.LongestSearch, seconds);
        if (real && known) {
            std::printf("  trial %2d %s %d/%d | the secret is known\n", trial,
                        CodeText(row, c.Length).c_str(), row.P, row.Z);
        } else if (real) {
            thinking += seconds;
            const SearchProgressRecord& p = SearchProgress;
            const int64_t pairs = PairsClassified - pairsBefore;
            const bool cut = p.ItemsDone < p.ItemsTotal;
            std::printf(
                "  trial %2d %s %d/%d | %9d candidates | %8d eligible | %8d examined%s | "
                "%8lld abandoned | %8lld twinned | %14lld pairs | %8.2f s CPU | %6.0f M pairs/s | "
                "peak %4.0f MiB\n",
                trial, CodeText(row, c.Length).c_str(), row.P, row.Z, candidates, p.ItemsTotal,
                p.ItemsDone, cut ? " cut" : "    ",
                static_cast<long long>(TrialCodesAbandoned - abandonedBefore),
                static_cast<long long>(TrialCodesTwinned - twinnedBefore),
                static_cast<long long>(pairs), seconds, seconds > 0 ? pairs / seconds / 1e6 : 0.0,
                ::PeakMiB());
        }
        if (row.P == c.Length) {
            ended = true;
            break;
        }
        if (real && !c.WholeMatch) {
            ended = true;
            break;
        }
        NextPlace();
    }
    extremes.PeakMiB = std::max(extremes.PeakMiB, PeakMiB());
    ReleaseCandidateStore(true);
    std::printf("  %s: %lld trials, %.2f s CPU in real searches, decisions %016llx\n",
                ended ? "done" : "NOT DONE", static_cast<long long>(own.Trials), thinking,
                static_cast<unsigned long long>(own.Hash.Value));
    return ended;
}

// Plays the matches of one set from the seed; false when one could not be played to its end.
bool PlaySet(const ThinkSet& c, Signature& total, Extremes& run) {
    SeedRandom(kSeed);
    ResetPeakMemory();
    std::printf("%s: L %d N %d %s %s, level %d%s\n", c.Name, c.Length, c.Signs,
                c.Repetitions ? "rep" : "no-rep", c.Fixed ? "fixed" : "not-fixed", kLevel,
                CapacityOk(c) ? "" : " (NOT ADMITTED at this level)");
    Extremes extremes;
    bool ended = true;
    for (int match = 0; match < c.Matches && ended; ++match) ended = PlayMatch(c, total, extremes);
    std::printf("  set: longest search %.2f s CPU, peak %.0f MiB\n", extremes.LongestSearch,
                extremes.PeakMiB);
    run.Add(extremes);
    return ended;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            for (const ThinkSet& c : kSets)
                std::printf("%-18s L %d N %2d %-6s %-9s %s\n", c.Name, c.Length, c.Signs,
                            c.Repetitions ? "rep" : "no-rep", c.Fixed ? "fixed" : "not-fixed",
                            c.WholeMatch ? (c.Matches > 1 ? "whole matches" : "whole match")
                                         : "first real search");
            return 0;
        }
        only.push_back(argv[i]);
    }
    StartVirtualConsole();
    VirtualUseMachineHeap(true);  // the stores' memory as the program takes it
    // A key far in the future: the input stays open and no key is waiting.
    VirtualQueueKeyAfter('x', int64_t(1) << 50);
    VirtualSetPauseStep(0);
    SetDefaultSettings();
    Language = LanguageKind::English;
    ClockState.German = false;
    MemoryBudget = BudgetForLevel(kLevel);
    UpdateMaxSigns();

    Signature total;
    Signature later;
    Extremes run;
    bool played = false;
    bool allDone = true;
    const double start = CpuSeconds();
    for (size_t i = 0; i < std::size(kSets); ++i) {
        const ThinkSet& c = kSets[i];
        if (!only.empty() && std::find(only.begin(), only.end(), c.Name) == only.end()) continue;
        played = true;
        allDone = PlaySet(c, i < kFirstLaterSet ? total : later, run) && allDone;
        std::fflush(stdout);
    }
    if (!played) {
        std::printf("no set of those names (--list names them)\n");
        return 2;
    }
    std::printf("run: %.1f s CPU, longest search %.2f s CPU, peak %.0f MiB%s\n",
                CpuSeconds() - start, run.LongestSearch, run.PeakMiB,
                allDone ? "" : ", NOT ALL DONE");
    std::printf("signature: %lld trials, decisions %016llx\n", static_cast<long long>(total.Trials),
                static_cast<unsigned long long>(total.Hash.Value));
    std::printf("signature of the later sets: %lld trials, decisions %016llx\n",
                static_cast<long long>(later.Trials),
                static_cast<unsigned long long>(later.Hash.Value));
    return allDone ? 0 : 1;
}
