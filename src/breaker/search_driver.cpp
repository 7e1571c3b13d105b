// The loop control of the computer's search.
#include "breaker/search_driver.h"

#include <string>

#include "breaker/candidate_store.h"
#include "breaker/long_work.h"
#include "breaker/search_progress.h"
#include "breaker/trial_chain.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

// Writes a text and puts the cursor back.
void WriteBack(int column, int row, const std::string& text) {
    const int x = WhereX();
    const int y = WhereY();
    WriteAt(column, row, text);
    GotoXY(x, y);
}

// An early stop by F4: counted up to 999 on row 15. (Out of line, as the notice below: the
// check after every trial code stays small.)
[[gnu::noinline]] void CountBreak() {
    SearchProgressRecord& p = SearchProgress;
    if (p.BreakCount >= 999) return;
    ++p.BreakCount;
    const bool german = InGerman();
    if (p.BreakCount == 1) {
        WriteBack(3, 15, german ? "Zahl der Unterbrechungen: 1." : "Number of breaks: 1.");
    } else {
        WriteBack(german ? 29 : 21, 15, std::to_string(p.BreakCount) + ".");
    }
}

// The time limit has cut a search: said once per match on row 11.
[[gnu::noinline]] void LimitNotice() {
    SearchProgressRecord& p = SearchProgress;
    if (!p.LimitNoticePending) return;
    p.LimitNoticePending = 0;
    const std::string tens = std::to_string(Settings.TimeLimitTens);
    WriteBack(1, 11,
              InGerman() ? "| Zeit begrenzt auf " + tens + "0 Sek./Versuch.  |"
                         : "| The timelimit is " + tens + "0 seconds/trial.  |");
}

// F4 acts only in a search that has run more than 5 seconds, is expected to need more than 5
// further seconds and more than 13 in all (a negative or saturated estimate counts as long).
bool F4Stops() {
    const SearchProgressRecord& p = SearchProgress;
    if (!p.StopRequested || p.ItemsDone <= p.MinItems) return false;
    const int64_t elapsed = p.SearchElapsed;
    const int64_t remaining = p.SearchRemaining;
    if (elapsed <= 500) return false;
    if (!(remaining > 500 || remaining < 0)) return false;
    return elapsed + remaining > 1300 || elapsed + remaining < 0 || remaining < 0;
}

bool TimeLimitStops() {
    const SearchProgressRecord& p = SearchProgress;
    return p.TimeLimitActive && p.SearchElapsed >= p.TimeLimit && p.ItemsDone > p.MinItems;
}

}  // namespace

void StartSearch(int32_t trialNumber) {
    SearchProgressRecord& p = SearchProgress;
    p.StopRequested = 0;
    ClockState.GuessRunning = true;
    p.ItemsTotal = CandidateStore.TrialCount;
    p.SearchElapsed = 0;
    p.SearchRemaining = 0;
    ResetSearchLineTimes();
    p.MinItems = trialNumber + 6;
}

void BeginScan(int32_t itemsTotal, bool realSearch) {
    SearchProgressRecord& p = SearchProgress;
    BeginWorkItems(itemsTotal);
    if (p.MinItems > p.ItemsTotal) p.MinItems = p.ItemsTotal;
    ClockState.TrialMarkRequested = true;
    ClockState.ProgressMarkRequested = true;
    p.SearchDisplayOn = realSearch ? 1 : 0;
}

ItemVerdict SearchItemDone(bool realSearch) {
    SearchProgressRecord& p = SearchProgress;
    CountWorkItem();
    const WorkKey key = WorkTick();
    if (key == WorkKey::BreakOff) return ItemVerdict::BreakOff;
    if (key == WorkKey::Stop && realSearch) p.StopRequested = 1;
    // When every code is examined the scan ends anyway: nothing is cut, nothing is counted.
    if (p.ItemsDone >= p.ItemsTotal) return ItemVerdict::GoOn;
    if (F4Stops()) {
        CountBreak();
        return ItemVerdict::Stop;
    }
    if (TimeLimitStops()) {
        LimitNotice();
        return ItemVerdict::Stop;
    }
    return ItemVerdict::GoOn;
}

void RotateAfterStop(int32_t examined, int32_t& bestIndex) {
    const int32_t count = CandidateStore.TrialCount;
    if (count <= 2 || examined <= 0 || examined >= count) return;
    RotateTrialChain(examined);
    if (bestIndex >= 0)
        bestIndex = bestIndex < examined ? bestIndex + (count - examined) : bestIndex - examined;
}

void EndScan() {
    SearchProgress.SearchDisplayOn = 0;
    const int x = WhereX();
    const int y = WhereY();
    WriteAt(35, 25,
            InGerman() ? "00.00.00 .......... ben" UML_OE "tigte Zeit: 00.00.00"
                       : "00.00.00 .......... time yet needed: 00.00.00");
    ResetSearchLineTimes();
    GotoXY(x, y);
    ClockState.GuessRunning = false;
}
