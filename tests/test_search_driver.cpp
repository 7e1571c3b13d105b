// The loop control of the computer's search, driven by the virtual clock: a key feeder moves the
// clock on by a fixed step for every trial code examined (the search looks for a key after
// each) and presses F4 or F6 at a chosen moment.
#include <algorithm>
#include <string>
#include <vector>

#include "breaker/answer_order.h"
#include "breaker/candidate_store.h"
#include "breaker/engine_state.h"
#include "breaker/search_progress.h"
#include "breaker/sign_tables.h"
#include "breaker/trial_choice.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/code.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/candidate_fill.h"
#include "support/virtual_session.h"

namespace {

class SearchDriverTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        Language = LanguageKind::English;
        VirtualSetKeyFeeder([this] { Feed(); });
    }
    void TearDown() override {
        VirtualSetKeyFeeder(nullptr);
        ReleaseCandidateStore(true);
        VirtualSession::TearDown();
    }

    // Length 5 over a..f with repetitions (7,776 codes, all of them candidates); the trial chain
    // holds the first `chain` codes. The answer comes from the fixed secret; the book is done
    // and the symmetry filter off, so every code of the chain is one item of the search.
    void Start(int chain, int timeLimitTens = 0) {
        ClockState.German = InGerman();
        Settings.FirstSign = 'a';
        Settings.LastSign = 'f';
        Settings.CodeLength = 5;
        Settings.RepetitionsAllowed = 1;
        Settings.VacantAllowed = 0;
        Settings.ComputerEncodes = 1;
        Settings.ComputerGuesses = 1;
        Settings.AnswerFixed = 1;
        Settings.TimeLimitTens = static_cast<uint8_t>(timeLimitTens);
        SetTimeLimits(timeLimitTens);
        BuildSignTablesFromSettings();
        SetupAnswerOrder(5);
        MatchBoard = MatchBoardRecord{};
        DrawMatchBoard(0);
        StartMatchClock(true);
        ClockState.ClockActive = true;
        ResetEngineState(SignCount, false);
        SignsKnown = 0;
        std::vector<std::string> all;
        const std::string signs = "abcdef";
        for (int i = 0; i < 7776; ++i) {
            std::string code;
            for (int k = 0, v = i; k < 5; ++k, v /= 6) code.push_back(signs[v % 6]);
            all.push_back(code);
        }
        std::vector<std::string> trials(all.begin(), all.begin() + chain);
        FillCandidateStore(5, 6, false, trials, all);
        ResetSignAlive(6);
        OpeningPhase = 0;
        PossibleSignCount = 2;
        SearchProgress.TimeLimitActive = timeLimitTens > 0 ? 1 : 0;
        SecretCode = MakeCode("fedcb");
        NextPlace();
    }
    void NextPlace() {
        MatchBoardRecord& b = MatchBoard;
        const int n = ++b.TrialCount;
        b.Column = n <= 15 ? 1 : 2;
        b.Row = n <= 15 ? n : n - 15;
        WriteTrialNumber(b.Column, b.Row, n);
        GotoXY(CodeStartX(b.Column), TrialY(b.Row));
    }
    // One trial; the feeder's clock step and key apply from now on.
    uint8_t Trial(int64_t step, int keyAt = 0, uint8_t code = ExtF4) {
        Step = step;
        Calls = 0;
        KeyAt = keyAt;
        KeyCode = code;
        SearchProgress.StopRequested = 0;
        uint8_t key = 0;
        TrialRow& row = MatchBoard.Rows[MatchBoard.TrialCount];
        ChooseTrial(row.Signs, row.P, row.Z, key);
        return key;
    }
    std::string Played() {
        const TrialRow& row = MatchBoard.Rows[MatchBoard.TrialCount];
        return std::string(row.Signs.begin(), row.Signs.begin() + 5);
    }
    void Feed() {
        VirtualAdvanceClock(Step);
        if (++Calls == KeyAt) {
            VirtualQueueKey(KeyExtended);
            VirtualQueueKey(KeyCode);
        }
    }
    int64_t Step = 0;
    int Calls = 0;
    int KeyAt = 0;
    uint8_t KeyCode = ExtF4;
};

const char* const kRow15 = "| the computer.                       |";
const char* const kRow11 = "|_____________________________________|";

// What the chain must be after a stopped search: the codes not reached first, then those
// examined, without the played one and without codes holding a sign just killed.
std::vector<std::string> Rotated(const std::vector<std::string>& before, int examined,
                                 const std::string& played) {
    std::vector<std::string> order(before.begin() + examined, before.end());
    order.insert(order.end(), before.begin(), before.begin() + examined);
    std::vector<std::string> kept;
    for (const std::string& code : order) {
        if (code == played) continue;
        bool killed = false;
        for (int i = 0; i < KillCount; ++i)
            killed = killed || code.find(IndexSign[KillList[i]]) != std::string::npos;
        if (!killed) kept.push_back(code);
    }
    return kept;
}

TEST_F(SearchDriverTest, F4StopsALongSearchAfterFiveSecondsAndTheNextSearchTakesTheRest) {
    Start(4000);
    const std::vector<std::string> before = TrialChainCodes();
    // F4 after 2 seconds of a search that would take 40: it acts once 5 seconds have passed.
    ASSERT_EQ(Trial(1, 200), 0);
    const int done = SearchProgress.ItemsDone;
    EXPECT_GT(done, 500);
    EXPECT_LT(done, 700);
    EXPECT_TRUE(ScreenHas(1, 15, "| Number of breaks: 1.                |"));
    EXPECT_EQ(SearchProgress.BreakCount, 1);
    // No code is lost: those not examined lead the chain now.
    const std::vector<std::string> after = TrialChainCodes();
    EXPECT_EQ(after, Rotated(before, done, Played()));
    ASSERT_EQ(after.front(), before[static_cast<size_t>(done)]);

    // The next search starts there; a second F4 stop counts 2.
    NextPlace();
    PossibleSignCount = 2;  // still without the symmetry filter
    ASSERT_EQ(Trial(1, 300), 0);
    const int second = SearchProgress.ItemsDone;
    EXPECT_GT(second, 500);
    EXPECT_LT(second, static_cast<int>(after.size()));
    EXPECT_TRUE(ScreenHas(1, 15, "| Number of breaks: 2.                |"));
    EXPECT_EQ(TrialChainCodes(), Rotated(after, second, Played()));
}

TEST_F(SearchDriverTest, F4DoesNothingInShortSearches) {
    // A search of 4 seconds: F4 at 2 seconds is remembered but never acts.
    Start(400);
    ASSERT_EQ(Trial(1, 100), 0);
    EXPECT_EQ(SearchProgress.ItemsDone, 400);
    EXPECT_EQ(SearchProgress.StopRequested, 1);
    EXPECT_EQ(SearchProgress.BreakCount, 0);
    EXPECT_TRUE(ScreenHas(1, 15, kRow15));
    // 11 seconds in all: after 5 seconds only 6 more are expected, less than 13 in all.
    Start(1100);
    ASSERT_EQ(Trial(1, 200), 0);
    EXPECT_EQ(SearchProgress.ItemsDone, 1100);
    EXPECT_TRUE(ScreenHas(1, 15, kRow15));
}

TEST_F(SearchDriverTest, F4AndF6InEveryShiftStateAskForAStop) {
    const uint8_t stops[] = {ExtF4,     ExtF6,     ExtShiftF4, ExtShiftF6,
                             ExtCtrlF4, ExtCtrlF6, ExtAltF4,   ExtAltF6};
    for (uint8_t code : stops) {
        Start(20);
        ASSERT_EQ(Trial(1, 5, code), 0);
        EXPECT_EQ(SearchProgress.StopRequested, 1) << int(code);
    }
    for (uint8_t code : {ExtF5, ExtF3, ExtShiftF1, uint8_t(61)}) {
        Start(20);
        ASSERT_EQ(Trial(1, 5, code), 0);
        EXPECT_EQ(SearchProgress.StopRequested, 0) << int(code);
        EXPECT_EQ(SearchProgress.ItemsDone, 20);
    }
    // The book's trial is no search: F4 there is ignored.
    Start(20);
    OpeningPhase = 1;
    FixedTrialRecord = FixedTrial{};
    for (int k = 0; k < 5; ++k) FixedTrialRecord.Signs[k] = static_cast<uint8_t>(k < 3 ? 1 : 2);
    ASSERT_EQ(Trial(1, 1), 0);
    EXPECT_EQ(SearchProgress.StopRequested, 0);
    EXPECT_EQ(Played(), "aaabb");
}

TEST_F(SearchDriverTest, TheBreakCountStopsAt999) {
    Start(4000);
    SearchProgress.BreakCount = 9;
    ASSERT_EQ(Trial(1, 200), 0);
    EXPECT_EQ(SearchProgress.BreakCount, 10);
    EXPECT_TRUE(ScreenHas(21, 15, "10."));
    Start(4000);
    SearchProgress.BreakCount = 999;
    ASSERT_EQ(Trial(1, 200), 0);
    EXPECT_LT(SearchProgress.ItemsDone, 700);  // still stopped
    EXPECT_EQ(SearchProgress.BreakCount, 999);
    EXPECT_TRUE(ScreenHas(1, 15, kRow15));
}

TEST_F(SearchDriverTest, TheTimeLimitCutsSearchesAndIsAnnouncedOncePerMatch) {
    Start(4000, 1);
    ASSERT_EQ(Trial(1), 0);
    const int done = SearchProgress.ItemsDone;
    EXPECT_GE(done, 1000);
    EXPECT_LT(done, 1150);
    EXPECT_TRUE(ScreenHas(1, 11, "| The timelimit is 10 seconds/trial.  |"));
    EXPECT_EQ(SearchProgress.LimitNoticePending, 0);
    EXPECT_EQ(SearchProgress.BreakCount, 0);
    // The second cut of the match says nothing.
    WriteAt(1, 11, kRow11);
    NextPlace();
    ASSERT_EQ(Trial(1), 0);
    EXPECT_LT(SearchProgress.ItemsDone, 1150);
    EXPECT_TRUE(ScreenHas(1, 11, kRow11));
}

TEST_F(SearchDriverTest, TheTimeLimitWaitsForTheMinimumOfCodes) {
    // 20 seconds per code: the limit of 10 seconds acts once more codes than the trial's
    // number plus 6 are done.
    Start(100, 1);
    ASSERT_EQ(Trial(2000), 0);
    EXPECT_EQ(SearchProgress.MinItems, 7);
    EXPECT_EQ(SearchProgress.ItemsDone, 8);
}

TEST_F(SearchDriverTest, WithoutATimeLimitTheSearchRunsToTheEnd) {
    Start(4000, 0);
    ASSERT_EQ(Trial(1), 0);
    EXPECT_EQ(SearchProgress.ItemsDone, 4000);
    EXPECT_TRUE(ScreenHas(1, 11, kRow11));
    EXPECT_EQ(SearchProgress.LimitNoticePending, 1);
}

TEST_F(SearchDriverTest, GermanTextsOfTheStops) {
    Language = LanguageKind::German;
    Start(4000, 1);
    ASSERT_EQ(Trial(1), 0);
    EXPECT_TRUE(ScreenHas(1, 11, "| Zeit begrenzt auf 10 Sek./Versuch.  |"));
    Start(4000, 0);
    ASSERT_EQ(Trial(1, 200), 0);
    EXPECT_TRUE(ScreenHas(1, 15, "| Zahl der Unterbrechungen: 1.        |"));
    Start(4000, 0);
    SearchProgress.BreakCount = 1;
    ASSERT_EQ(Trial(1, 200), 0);
    EXPECT_TRUE(ScreenHas(29, 15, "2."));
}

TEST_F(SearchDriverTest, TheProgressLineDuringAndAfterASearch) {
    Start(4000, 0);
    std::string halfway, clock;
    VirtualSetKeyFeeder([&] {
        Feed();
        if (Calls == 2001) {
            halfway = RowText(25, 44, 10);
            clock = RowText(25, 35, 8);
        }
    });
    ASSERT_EQ(Trial(1), 0);
    EXPECT_EQ(halfway, "*****.....");
    EXPECT_EQ(clock, "00.00.20");
    // Once the trial is made the line is back to zero and dots.
    EXPECT_TRUE(ScreenHas(
        1, 25, "This trial: time already guessed: 00.00.00 .......... time yet needed: 00.00.00"));
    EXPECT_EQ(SearchProgress.SearchDisplayOn, 0);
}

}  // namespace
