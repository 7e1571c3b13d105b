// Speed of the candidate store build (enumeration, shuffle, trial and candidate chains) on the
// largest store of the top memory level, code length 5 over 31 signs with repetitions
// (28,629,151 records), or on the game given as arguments: length signs repetitions(0/1)
// vacant(0/1) [builds]. The store's memory comes from the machine exactly as in the program
// (mapped pages with the same advice), so the first build pays for fresh pages as a user's
// does. Prints the CPU seconds and records per second of each build and the peak memory
// against the budget the capacity check reserves for the store (record size x code total).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "breaker/candidate_store.h"
#include "breaker/search_progress.h"
#include "match/board.h"
#include "match/code.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/console/console_virtual.h"
#include "shell/settings.h"
#include "support/bench_match.h"

namespace {

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const int length = argc > 1 ? std::atoi(argv[1]) : 5;
    const int n = argc > 2 ? std::atoi(argv[2]) : 31;
    const bool repetitions = argc > 3 ? std::atoi(argv[3]) != 0 : true;
    const bool vacant = argc > 4 ? std::atoi(argv[4]) != 0 : false;
    const int builds = argc > 5 ? std::atoi(argv[5]) : 2;
    if (length < 2 || length > MaxCodeLength || n < 2 || n > RingSize) {
        std::printf("usage: store_bench [length 2..9] [signs 2..36] [repetitions] [vacant]\n");
        return 2;
    }
    StartVirtualConsole();
    VirtualUseMachineHeap(true);
    // A key far in the future: the input stays open and no key is waiting.
    VirtualQueueKeyAfter('x', int64_t(1) << 40);
    SetDefaultSettings();
    Settings.FirstSign = 'a';
    BuildSignTables('a');
    SignCount = n;
    Settings.LastSign = IndexSign[n];
    Settings.CodeLength = static_cast<uint8_t>(length);
    Settings.RepetitionsAllowed = repetitions;
    Settings.VacantAllowed = vacant;
    Settings.ComputerGuesses = 1;
    MatchBoard = MatchBoardRecord{};

    MemoryBudget = BudgetForLevel(MemoryLevelCount);
    CapacityCheck(n, length, repetitions, true, false, vacant);
    const double budget = double(RecordSize) * CodeTotal;
    std::printf("L = %d, N = %d, %s repetitions%s: record size %u, %d codes, budget %.0f MB%s\n",
                length, n, repetitions ? "with" : "without", vacant ? ", vacant sign" : "",
                unsigned(RecordSize), CodeTotal, budget / 1e6,
                CanGuess ? "" : " (beyond the top memory level)");

    SeedRandom(20250101);
    for (int build = 1; build <= builds; ++build) {
        auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        if (!BuildCandidateStore()) {
            std::printf("the store could not be built\n");
            return 1;
        }
        const double cpu = CpuSeconds() - cpuStart;
        const double seconds = Seconds(start);
        const CandidateStoreRecord& s = CandidateStore;
        std::printf(
            "build %d: %d records, %d candidates in %.3f s = %.1f M records/s, %.3f s CPU\n", build,
            s.Records, s.CandidateCount, seconds, s.Records / seconds / 1e6, cpu);
        start = std::chrono::steady_clock::now();
        ReleaseCandidateStore(true);
        std::printf("  release %.3f s\n", Seconds(start));
    }
    const double peak = double(PeakKiB()) * 1024;
    std::printf(
        "peak memory %.0f MB = %.2f of the store budget (target at 5 over 31: the first build "
        "within 1.5 s of CPU, the peak within the budget)\n",
        peak / 1e6, budget > 0 ? peak / budget : 0.0);
    return 0;
}
