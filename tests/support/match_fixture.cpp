// The match fixture and its drivers: the conditions written into the record, the sign tables
// built from them, and the drivers reading the board's current trial row through the cursor
// and the cells of its P and Z columns.
#include "support/match_fixture.h"

#include <utility>

#include "breaker/candidate_store.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/console/console_virtual.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"

void ApplyConditions(const MatchConditions& c) {
    Settings.FirstSign = c.First;
    Settings.LastSign = c.Last;
    Settings.CodeLength = static_cast<uint8_t>(c.Length);
    Settings.RepetitionsAllowed = c.Repetitions;
    Settings.VacantAllowed = c.Vacant;
    UserVacantAllowed = c.Vacant;
    Settings.ComputerEncodes = c.ComputerEncodes;
    Settings.ComputerGuesses = c.ComputerGuesses;
    Settings.AnswerFixed = c.Fixed;
    Settings.TimeLimitTens = static_cast<uint8_t>(c.TimeLimitTens);
    BuildSignTablesFromSettings();
}

std::string RangeSigns() {
    return std::string(IndexSign + 1, IndexSign + 1 + SignCount);
}

std::string SecretText() {
    return std::string(SecretCode.begin(), SecretCode.begin() + Settings.CodeLength);
}

Score ScoreOf(const std::string& trial, const std::string& secret) {
    return ScoreTrial(MakeCode(trial.c_str()), MakeCode(secret.c_str()),
                      static_cast<int>(trial.size()));
}

bool AtNewGamePrompt() {
    return WhereX() == 70 && WhereY() == 25;
}

bool SayToNewGame(bool& said, uint8_t key) {
    if (said || !AtNewGamePrompt()) return false;
    said = true;
    VirtualQueueKey(key);
    return true;
}

MatchOutcome PlayMatchFedBy(std::function<void()> feeder) {
    VirtualSetKeyFeeder(std::move(feeder));
    const MatchOutcome outcome = PlayMatch();
    VirtualSetKeyFeeder(nullptr);
    return outcome;
}

void MatchSession::SetUp() {
    VirtualSession::SetUp();
    ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
    ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
    Language = LanguageKind::English;
    ClockState.German = false;
    MemoryBudget = BudgetForLevel(4);
}

void MatchSession::TearDown() {
    VirtualSetKeyFeeder(nullptr);
    VirtualFailAllocation(0);
    ReleaseCandidateStore(true);  // the encoder's store with it
    VirtualSession::TearDown();
}

bool AnswerTyper::AwaitsP(int n) const {
    return PFor != n && WhereX() == PColumn(MatchBoard.Column) &&
           WhereY() == TrialY(MatchBoard.Row);
}

void AnswerTyper::operator()(int n, const Score& s) {
    const int x = WhereX(), column = MatchBoard.Column;
    if (WhereY() != TrialY(MatchBoard.Row)) return;
    if (x == PColumn(column) && PFor != n) {
        PFor = n;
        VirtualQueueKey(static_cast<uint8_t>('0' + s.P));
    } else if (x == ZColumn(column) && ZFor != n) {
        ZFor = n;
        VirtualQueueKey(static_cast<uint8_t>('0' + s.Z));
    }
}

void HumanBreaker::Prepare(const std::string& signs, int length, bool repetitions) {
    Signs = signs;
    Length = length;
    Candidates.clear();
    std::vector<size_t> d(static_cast<size_t>(length), 0);
    for (;;) {
        std::string code;
        for (size_t k : d) code += Signs[k];
        bool distinct = true;
        for (size_t i = 0; i < code.size(); ++i)
            for (size_t j = i + 1; j < code.size(); ++j) distinct = distinct && code[i] != code[j];
        if (repetitions || distinct) Candidates.push_back(code);
        size_t k = 0;
        while (k < d.size() && ++d[k] == Signs.size()) d[k++] = 0;
        if (k == d.size()) break;
    }
}

void HumanBreaker::Learn() {
    if (Typed.empty()) return;
    int column = LastColumn, row = LastRow;
    // Once the board scrolls, the current trial is the last row of the second column and the
    // trial typed before it stands just above.
    if (MatchBoard.TrialCount > RingTrials) column = 2, row = RowsPerColumn - 1;
    const int p = CellChar(PColumn(column), TrialY(row)) - '0';
    const int z = CellChar(ZColumn(column), TrialY(row)) - '0';
    std::vector<std::string> kept;
    for (const std::string& c : Candidates) {
        const Score s = ScoreOf(Typed.back(), c);
        if (s.P == p && s.Z == z) kept.push_back(c);
    }
    Candidates = kept;
}

void HumanBreaker::operator()() {
    const int x = WhereX(), y = WhereY();
    if (SayToNewGame(Ended, NewGameKey)) return;
    const int n = MatchBoard.TrialCount;
    const int column = MatchBoard.Column, row = MatchBoard.Row;
    // The match is still being prepared, or the computer is the codebreaker.
    if (n == 0 || Settings.ComputerGuesses != 0) return;
    if (TypedFor != n && x == CodeStartX(column) && y == TrialY(row) && CellChar(x, y) == '.') {
        Learn();
        TypedFor = n;
        if (static_cast<int>(Typed.size()) >= GiveUpAfter) {
            VirtualQueueKey(KeyEsc);
            return;
        }
        std::string trial = Candidates.empty() ? std::string(static_cast<size_t>(Length), Signs[0])
                                               : Candidates.front();
        if (Typed.empty() && !FirstTrial.empty()) trial = FirstTrial;
        VirtualQueueKeys(trial);
        Typed.push_back(trial);
        LastColumn = column;
        LastRow = row;
        return;
    }
    if (!EncoderSecret.empty() && !Typed.empty() && TypedFor == n)
        Answers(n, ScoreOf(Typed.back(), EncoderSecret));
}
