// The codebreaker's state from trial to trial within a match, and its reset at the start of
// every match.
#include "breaker/engine_state.h"

#include "breaker/search_progress.h"
#include "breaker/sign_tables.h"
#include "breaker/twin_trials.h"

uint8_t OpeningPhase = 1;
uint8_t FillerSign = 0;
uint8_t PossibleSignCount = 0;
uint8_t DeadBlankKept = 0;
uint8_t VacantInTrials = 0;
uint8_t KillList[37];
int KillCount = 0;

void ResetEngineState(int n, bool vacantInPlay) {
    OpeningPhase = 1;
    FillerSign = 0;
    PossibleSignCount = static_cast<uint8_t>(n);
    DeadBlankKept = vacantInPlay ? 1 : 0;
    VacantInTrials = vacantInPlay ? 1 : 0;
    KillCount = 0;
    ForgetAnsweredTrials();
    for (uint8_t& tried : SignTried) tried = 0;
    SearchProgress.LimitNoticePending = 1;
    SearchProgress.BreakCount = 0;
    SearchProgress.StopRequested = 0;
    SearchProgress.SearchDisplayOn = 0;
}
