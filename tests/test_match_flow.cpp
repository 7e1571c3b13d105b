// Whole matches with a human codebreaker on the virtual console, played by a driver that reads
// the board: the P and Z of every trial, the secret and the trial count at the end.
#include <string>
#include <vector>

#include "calendar/clock_text.h"
#include "calendar/virtual_date.h"
#include "match/board.h"
#include "match/encoder_store.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

// Plays the codebreaker (and, when asked, the human encoder) from what the screen shows.
struct BoardDriver {
    int Length = 3;
    std::string Signs;  // the range in index order
    std::vector<std::string> Candidates;
    std::string EncoderSecret;  // the human encoder's secret when it answers
    bool AnswersAsEncoder = false;
    uint8_t NewGameKey = 'n';
    std::string FirstTrial;  // typed as the first trial when set
    std::vector<std::string> Typed;
    int TypedFor = 0, PFor = 0, ZFor = 0;
    int LastColumn = 0, LastRow = 0;
    bool Ended = false;

    void Prepare(const std::string& range, int length, bool repetitions) {
        Signs = range;
        Length = length;
        Candidates.clear();
        std::vector<int> d(static_cast<size_t>(length), 0);
        for (;;) {
            std::string code;
            for (int k : d) code += Signs[static_cast<size_t>(k)];
            bool distinct = true;
            for (size_t i = 0; i < code.size(); ++i)
                for (size_t j = i + 1; j < code.size(); ++j)
                    distinct = distinct && code[i] != code[j];
            if (repetitions || distinct) Candidates.push_back(code);
            size_t k = 0;
            while (k < d.size() && ++d[k] == static_cast<int>(Signs.size())) d[k++] = 0;
            if (k == d.size()) break;
        }
    }
    static Score Of(const std::string& trial, const std::string& secret) {
        return ScoreTrial(MakeCode(trial.c_str()), MakeCode(secret.c_str()),
                          static_cast<int>(trial.size()));
    }
    // Reads the answer of the trial typed last and keeps the candidates that would give it.
    void Learn() {
        if (Typed.empty()) return;
        int column = LastColumn, row = LastRow;
        if (MatchBoard.TrialCount > RingTrials) column = 2, row = RowsPerColumn - 1;
        int p = CellChar(PColumn(column), TrialY(row)) - '0';
        int z = CellChar(ZColumn(column), TrialY(row)) - '0';
        std::vector<std::string> kept;
        for (const std::string& c : Candidates) {
            Score s = Of(Typed.back(), c);
            if (s.P == p && s.Z == z) kept.push_back(c);
        }
        Candidates = kept;
    }
    void operator()() {
        const int n = MatchBoard.TrialCount;
        const int x = WhereX(), y = WhereY();
        if (x == 70 && y == 25 && !Ended) {
            Ended = true;
            VirtualQueueKey(NewGameKey);
            return;
        }
        const int column = MatchBoard.Column, row = MatchBoard.Row;
        if (n == 0) return;  // the match is still being prepared
        if (TypedFor != n && x == CodeStartX(column) && y == TrialY(row) && CellChar(x, y) == '.') {
            Learn();
            if (Typed.size() >= 40) {  // lost: give up rather than play on for ever
                VirtualQueueKey(KeyEsc);
                TypedFor = n;
                return;
            }
            std::string trial = Typed.empty() && !FirstTrial.empty() ? FirstTrial
                                : Candidates.empty()                 ? std::string(Length, Signs[0])
                                                                     : Candidates.front();
            VirtualQueueKeys(trial);
            Typed.push_back(trial);
            TypedFor = n;
            LastColumn = column;
            LastRow = row;
            return;
        }
        if (!AnswersAsEncoder || TypedFor != n) return;
        Score s = Of(Typed.back(), EncoderSecret);
        if (PFor != n && x == PColumn(column) && y == TrialY(row)) {
            VirtualQueueKey(static_cast<uint8_t>('0' + s.P));
            PFor = n;
        } else if (ZFor != n && x == ZColumn(column) && y == TrialY(row)) {
            VirtualQueueKey(static_cast<uint8_t>('0' + s.Z));
            ZFor = n;
        }
    }
};

class MatchFlowTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        Language = LanguageKind::English;
        ClockState.German = false;
        MemoryBudget = BudgetForLevel(4);
    }
    void TearDown() override {
        VirtualSetKeyFeeder(nullptr);
        ReleaseEncoderStore();
        VirtualSession::TearDown();
    }
    void Conditions(char first, char last, int length, bool repetitions, bool computerEncodes,
                    bool fixed, bool driverPlays = true) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        Settings.ComputerEncodes = computerEncodes;
        Settings.ComputerGuesses = 0;
        Settings.AnswerFixed = fixed;
        BuildSignTablesFromSettings();
        if (driverPlays)
            Driver.Prepare(std::string(IndexSign + 1, IndexSign + 1 + SignCount), length,
                           repetitions);
    }
    MatchOutcome Play() {
        VirtualSetKeyFeeder([this] { Driver(); });
        MatchOutcome outcome = PlayMatch();
        VirtualSetKeyFeeder(nullptr);
        return outcome;
    }
    std::string Shown(int column, int length) { return RowText(25, column, length); }
    BoardDriver Driver;
};

TEST_F(MatchFlowTest, AgainstTheComputersFixedSecret) {
    Conditions('a', 'f', 4, false, true, true);
    SeedRandom(2026);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    ASSERT_EQ(Driver.Candidates.size(), 1u) << ScreenDump();
    // The solving trial is the secret; the end line shows it and the trial count.
    EXPECT_EQ(Driver.Typed.back(), std::string(SecretCode.begin(), SecretCode.begin() + 4));
    EXPECT_TRUE(ScreenHas(1, 25, "Answer:  " + Driver.Typed.back()));
    EXPECT_TRUE(ScreenHas(45, 25, std::to_string(Driver.Typed.size())));
    EXPECT_TRUE(ScreenHas(1, 19, "| Game end "));
    EXPECT_TRUE(ScreenHas(60, 25, "New Game? Yes."));
    EXPECT_FALSE(ClockState.ClockActive);
    EXPECT_FALSE(MatchState.BrokenOff);
}

TEST_F(MatchFlowTest, AgainstTheComputerAsAnAdversary) {
    Conditions('a', 'e', 3, true, true, false);
    Driver.NewGameKey = 'j';
    EXPECT_EQ(Play(), MatchOutcome::NewMatch);
    EXPECT_TRUE(MatchState.Solved);
    EXPECT_EQ(std::string(SecretCode.begin(), SecretCode.begin() + 3), Driver.Typed.back());
    EXPECT_TRUE(ScreenHas(1, 25, "Answer:  " + Driver.Typed.back()));
    EXPECT_TRUE(ScreenHas(45, 25, std::to_string(Driver.Typed.size())));
    // The adversary keeps the most codes: it never loses in fewer than three trials here.
    EXPECT_GE(Driver.Typed.size(), 3u);
    EXPECT_EQ(EncoderStore.Count, 0);  // released at the end
}

TEST_F(MatchFlowTest, TwoHumansWithAFixedSecret) {
    Conditions('0', '9', 4, false, false, true);
    SecretCode = MakeCode("4712");  // typed in the conditions dialog
    Driver.NewGameKey = 'Z';
    EXPECT_EQ(Play(), MatchOutcome::NewMatch);
    EXPECT_EQ(Driver.Typed.back(), "4712");
    EXPECT_TRUE(ScreenHas(10, 25, "4712"));
}

TEST_F(MatchFlowTest, TwoHumansWithASecretThatIsNotFixed) {
    Conditions('a', 'd', 3, true, false, false);
    Driver.AnswersAsEncoder = true;
    Driver.EncoderSecret = "dab";
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
    EXPECT_EQ(Driver.Typed.back(), "dab");
    EXPECT_TRUE(ScreenHas(10, 25, "dab"));
    EXPECT_TRUE(ScreenHas(45, 25, std::to_string(Driver.Typed.size())));
}

TEST_F(MatchFlowTest, TheBoardOfAMatchThatIsNotFixed) {
    Conditions('a', 'd', 3, true, true, false);
    Driver.NewGameKey = KeyEsc;
    // The first trial's answer is visible once the second is asked for.
    Play();
    EXPECT_TRUE(ScreenHas(1, 9, "| The answercode is not fixed.        |*|  1|"));
    EXPECT_TRUE(ScreenHas(1, 25, "Answer:  "));
}

TEST_F(MatchFlowTest, EscInTheFirstTrialBreaksTheMatchOff) {
    Conditions('a', 'f', 4, false, true, true);
    VirtualQueueKeys("ab");
    VirtualQueueKey(KeyEsc);
    VirtualQueueKey('n');
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    // The secret of a fixed code is shown; no trial count.
    EXPECT_TRUE(ScreenHas(1, 25,
                          "Answer:  " + std::string(SecretCode.begin(), SecretCode.begin() + 4) +
                              "                 Trials made:                 New Game? Yes."));
    EXPECT_EQ(WhereX(), 70);
    EXPECT_EQ(WhereY(), 25);
}

TEST_F(MatchFlowTest, EscDuringTheEncoderStoreBuild) {
    Conditions('a', 't', 5, true, true, false, false);  // 3,200,000 codes
    VirtualQueueKeyAfter(KeyEsc, 0);
    VirtualQueueKey('N');
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(EncoderStore.Count, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    // The answer line stands, no secret and no count.
    EXPECT_TRUE(ScreenHas(
        1, 25, "Answer:                       Trials made:                 New Game? Yes.      "));
}

TEST_F(MatchFlowTest, AnAllocationFailureDuringTheBuildEndsTheMatch) {
    Conditions('a', 'h', 6, true, true, false, false);  // 262,144 codes, four chunks
    VirtualFailAllocation(4);
    VirtualQueueKeyAfter('n', 0);
    Driver.NewGameKey = 'n';
    VirtualSetKeyFeeder([this] {
        if (WhereX() == 70 && WhereY() == 25 && !Driver.Ended) {
            Driver.Ended = true;
            VirtualQueueKey('n');
        }
    });
    VirtualClearKeys();
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    // A new match under the same conditions works.
    VirtualFailAllocation(0);
    Driver = BoardDriver{};
    Driver.Prepare("abcdefgh", 6, true);
    Driver.FirstTrial = "aabbcc";
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
}

TEST_F(MatchFlowTest, TheSecondTrialClearsTheOpeningFieldAndTheClockRuns) {
    Conditions('a', 'f', 4, false, true, true);
    SeedRandom(7);
    // Every trial takes the player seven seconds.
    VirtualSetKeyFeeder([this] {
        VirtualAdvanceClock(700);
        Driver();
    });
    PlayMatch();
    VirtualSetKeyFeeder(nullptr);
    EXPECT_TRUE(ScreenHas(32, 5, std::string(11, ' ')));
    // The match took time: the total time row is not zero any more.
    const int seconds = 7 * static_cast<int>(Driver.Typed.size());
    EXPECT_TRUE(ScreenHas(15, 21, "00 hours 00 min. " + std::to_string(seconds))) << ScreenDump();
    EXPECT_TRUE(ScreenHas(15, 22, "00 hours 00 min. " + std::to_string(seconds)));
    EXPECT_TRUE(ScreenHas(15, 23, "00 hours 00 min. 00"));
}

TEST_F(MatchFlowTest, TheBoardShowsTheVirtualDateAndMovesOnAtMidnight) {
    Conditions('a', 'f', 4, false, true, true);
    VirtualDateOn = true;
    VirtualDate = GameDate{9999, 12, 31, 5};
    VirtualNextDate = NextDay(VirtualDate);
    FirstVirtualDayShown = true;
    VirtualSetClock(2026, 12, 8, 23, 59, 58, 0);
    VirtualQueueKeyAfter(KeyEsc, 300);  // the player waits three seconds, then breaks off
    VirtualQueueKey('n');
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(ScreenHas(1, 17, "| Game start: Friday, 31st Dec. 9999, "));
    EXPECT_TRUE(ScreenHas(1, 19, "| Game end  : Sat., 1st Jan. 10000,   "));
    EXPECT_TRUE(ScreenHas(1, 20, "|             12:00 a.m., 01 seconds. "));
    VirtualDateOn = false;
}

}  // namespace
