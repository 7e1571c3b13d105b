// The course of one match: the board drawn, the stores built for the roles in play, a trial
// after another until the code is solved or the match broken off, and the question of a new
// match.
#include "match/match_flow.h"

#include <string>

#include "breaker/answer_order.h"
#include "breaker/candidate_store.h"
#include "breaker/engine_state.h"
#include "breaker/search_progress.h"
#include "breaker/shuffle.h"
#include "breaker/sign_tables.h"
#include "breaker/trial_choice.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/code.h"
#include "match/encoder_store.h"
#include "match/trial_editor.h"
#include "setup/capacity.h"
#include "setup/conditions_dialog.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

MatchStateRecord MatchState;

namespace {

// A not-fixed riddle of the computer over 6, 27, 31 or 36 signs of length six is played without
// repetitions, whatever the setting says (the setting itself stays as it is).
bool WithoutRepetitions(bool computerEncodes, bool fixed, int length, int n) {
    return computerEncodes && !fixed && length == 6 && (n == 6 || n == 27 || n == 31 || n == 36);
}

// Builds the store of every code the encoder may still choose, with the progress line of
// row 25; false when it was broken off or memory ran out.
bool InitialiseEncoderStore(bool repetitions) {
    const int x = WhereX();
    const int y = WhereY();
    ResetSignAlive(SignCount);
    SearchProgressRecord& p = SearchProgress;
    p.SearchDisplayOn = 1;
    p.TimeLimitActive = 0;
    p.ItemsTotal = static_cast<int32_t>(CodeUniverse(Settings.CodeLength, SignCount, repetitions));
    p.MinItems = p.ItemsTotal;
    ClockState.TrialMarkRequested = true;
    ClockState.ProgressMarkRequested = true;
    bool built = BuildEncoderStore(Settings.CodeLength, SignCount, repetitions);
    if (!built) ReleaseCandidateStore(true);
    p.SearchDisplayOn = 0;
    // The answer line stands however the initialisation ended, so "New game?" is always there.
    WriteAnswerLine();
    GotoXY(x, y);
    return built;
}

void PrepareTrial(bool humanGuesses) {
    SearchProgress.StopRequested = 0;
    MatchBoardRecord& b = MatchBoard;
    int32_t n = ++b.TrialCount;
    if (n <= RingTrials) {
        b.Column = n <= RowsPerColumn ? 1 : 2;
        b.Row = n <= RowsPerColumn ? static_cast<int>(n) : static_cast<int>(n) - RowsPerColumn;
        b.Rows[n].Number = static_cast<int16_t>(n);
        WriteTrialNumber(b.Column, b.Row, static_cast<int>(n));
    } else {
        b.Slot = b.Slot % RingTrials + 1;
        b.Rows[b.Slot].Number = static_cast<int16_t>(n % 1000);
        b.Column = 2;
        b.Row = RowsPerColumn;
        RedrawScrolledTable(humanGuesses);
    }
    if (n == 2) WriteAt(32, 5, std::string(11, ' '));
    GotoXY(CodeStartX(b.Column), TrialY(b.Row));
}

TrialRow& CurrentRow() {
    const MatchBoardRecord& b = MatchBoard;
    return MatchBoard.Rows[b.TrialCount <= RingTrials ? b.TrialCount : b.Slot];
}

MatchOutcome AskNewMatch() {
    for (;;) {
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) continue;
        switch (key) {
            case KeyEnter:
            case 'j':
            case 'J':
            case 'y':
            case 'Y':
            case 'z':
            case 'Z':
                return MatchOutcome::NewMatch;
            case KeyEsc:
            case KeyCtrlC:
            case 'n':
            case 'N':
                return MatchOutcome::BackToStart;
            default:
                break;
        }
    }
}

}  // namespace

MatchOutcome PlayMatch() {
    SettingsRecord& s = Settings;
    // Preparation: the conditions as the capacity check leaves them, saved, with the vacant
    // sign switched off for a computer codebreaker that cannot use it.
    PrepareMatchStart();
    const int n = SignCount;
    const int length = s.CodeLength;
    const bool repetitions = s.RepetitionsAllowed != 0;
    const bool fixed = s.AnswerFixed != 0;
    const bool computerGuesses = s.ComputerGuesses != 0;
    const bool computerEncodes = s.ComputerEncodes != 0;
    SignsKnown = !repetitions && length == n ? 1 : 0;
    SetupAnswerOrder(length);
    int worstCase = TrialBound(length, n, repetitions, s.VacantAllowed != 0);
    MatchBoard = MatchBoardRecord{};
    DrawMatchBoard(worstCase);

    if (!(fixed && !computerEncodes && !computerGuesses)) SecretCode = BlankCode();
    if (computerEncodes && fixed) SecretCode = MakeRandomSecret(length, n, repetitions);

    MatchState = MatchStateRecord{};
    ResetEngineState(n, s.VacantAllowed != 0);
    StartMatchClock(computerGuesses);
    WriteMatchStartTimes();
    ClockState.ClockActive = true;
    GotoXY(CodeStartX(1), TrialY(1));

    MatchRules = MatchRulesRecord{};
    MatchRules.VacantInForce = s.VacantAllowed != 0;
    MatchRules.Repetitions = repetitions;
    MatchRules.Fixed = fixed;
    MatchRules.ComputerEncodes = computerEncodes;

    if (!fixed && !computerGuesses) {
        // A not-fixed riddle of the computer over six signs of length six is played without
        // repetitions; the setting itself stays as it is.
        const bool buildRepetitions =
            repetitions && !WithoutRepetitions(computerEncodes, fixed, length, n);
        if (!InitialiseEncoderStore(buildRepetitions)) {
            MatchState.BrokenOff = true;
            MatchState.LastKey = KeyEsc;
        }
    }
    if (computerGuesses) {
        // The code-breaker's store of every code, built with the first trial on show. The same
        // not-fixed riddle of the computer is played without repetitions here too; the
        // repetition setting comes back however the build ends.
        SetTimeLimits(s.TimeLimitTens);
        const bool candidateRepetitions =
            repetitions && !WithoutRepetitions(computerEncodes, fixed, length, n);
        const bool built = BuildCandidateStore(candidateRepetitions);
        ClearShuffleBuckets();
        if (!built) {
            MatchState.BrokenOff = true;
            MatchState.LastKey = KeyEsc;
        }
    }
    if (fixed && SecretCode[0] != ' ') MatchRules.SecretCounts = CountSigns(SecretCode, length);
    if (!computerGuesses) Beep();

    while (!MatchState.BrokenOff && !MatchState.Solved) {
        PrepareTrial(!computerGuesses);
        TrialRow& row = CurrentRow();
        uint8_t lastKey = 0;
        if (computerGuesses) {
            ChooseTrial(row.Signs, row.P, row.Z, lastKey);
        } else {
            EditAndAnswerTrial(row, lastKey);
        }
        MatchState.LastKey = lastKey;
        if (lastKey == KeyEsc || lastKey == KeyCtrlC) {
            MatchState.BrokenOff = true;
        } else if (row.P == length) {
            MatchState.Solved = true;
        }
    }

    s.VacantAllowed = UserVacantAllowed;
    ReleaseCandidateStore(true);
    WriteMatchEnd(computerGuesses, MatchState.BrokenOff, SecretCode);
    ClockTick();
    ClockState.ClockActive = false;
    GotoXY(70, 25);
    return AskNewMatch();
}
