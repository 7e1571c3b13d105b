// The benchmark matches: the settings and the stores set as the match flow sets them, the
// board stepped row by row, the clocks, and the hash of the trials played.
#include "bench_match.h"

#include <time.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "breaker/answer_order.h"
#include "breaker/engine_state.h"
#include "breaker/search_progress.h"
#include "breaker/sign_tables.h"
#include "calendar/clock_text.h"
#include "match/code.h"
#include "shell/console/console.h"
#include "shell/settings.h"

namespace {

void SetConditions(const MatchConditions& c, int timeLimitTens) {
    SettingsRecord& s = Settings;
    s.FirstSign = 'a';
    BuildSignTables('a');
    s.LastSign = IndexSign[c.Signs];
    s.CodeLength = static_cast<uint8_t>(c.Length);
    s.RepetitionsAllowed = c.Repetitions;
    s.VacantAllowed = c.Vacant;
    s.ComputerEncodes = 1;
    s.ComputerGuesses = 1;
    s.AnswerFixed = c.Fixed;
    s.SoundOn = 0;
    s.TimeLimitTens = static_cast<uint8_t>(timeLimitTens);
    BuildSignTablesFromSettings();
}

}  // namespace

void StartMatch(const MatchConditions& c, int timeLimitTens) {
    SetConditions(c, timeLimitTens);
    const int n = SignCount;
    SetTimeLimits(timeLimitTens);
    SetupAnswerOrder(c.Length);
    MatchBoard = MatchBoardRecord{};
    DrawMatchBoard(0);
    StartMatchClock(true);
    ClockState.ClockActive = true;
    SignsKnown = !c.Repetitions && c.Length == n ? 1 : 0;
    ResetEngineState(n, c.Vacant && n == 2 && c.Length >= 4);
    SecretCode = c.Fixed ? MakeRandomSecret(c.Length, n, c.Repetitions) : BlankCode();
}

void NextPlace() {
    MatchBoardRecord& b = MatchBoard;
    const int n = ++b.TrialCount;
    if (n <= RingTrials) {
        b.Column = n <= RowsPerColumn ? 1 : 2;
        b.Row = n <= RowsPerColumn ? n : n - RowsPerColumn;
    } else {
        b.Slot = b.Slot % RingTrials + 1;
        b.Column = 2;
        b.Row = RowsPerColumn;
    }
    GotoXY(CodeStartX(b.Column), TrialY(b.Row));
}

TrialRow& CurrentRow() {
    const MatchBoardRecord& b = MatchBoard;
    return MatchBoard.Rows[b.TrialCount <= RingTrials ? b.TrialCount : b.Slot];
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double PeakMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void TrialHash::Add(const TrialRow& row, int length) {
    auto add = [&](uint8_t byte) {
        Value ^= byte;
        Value *= 1099511628211ull;
    };
    for (int k = 0; k < length; ++k) add(static_cast<uint8_t>(row.Signs[k]));
    add(row.P);
    add(row.Z);
}
