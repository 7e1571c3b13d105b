// Whole matches with the computer as codebreaker, on the virtual console: against its own fixed
// secret, against its own encoder of a code that is not fixed, and against a human encoder
// played by a driver that reads the board and types the P and Z it is asked for.
#include <set>
#include <string>

#include "breaker/candidate_store.h"
#include "breaker/search_progress.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/code.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "shell/settings.h"
#include "support/match_fixture.h"

namespace {

// Answers the computer's trials as a human encoder with a secret (none: the computer answers
// itself) and says no to "New game?".
struct EncoderDriver {
    std::string Secret;
    bool TriesAnImpossibleP = false;
    int EscInTrial = 0;  // presses Esc after a while in the search for this trial
    int ImpossibleTyped = 0;
    AnswerTyper Answers;
    int Calls = 0;
    bool Ended = false;

    void operator()() {
        if (SayToNewGame(Ended)) return;
        const int n = MatchBoard.TrialCount;
        if (EscInTrial != 0 && n == EscInTrial && ++Calls == 30) {
            VirtualQueueKey(KeyEsc);
            return;
        }
        const int y = WhereY();
        if (Secret.empty() || y != TrialY(MatchBoard.Row) || n == 0) return;
        const std::string trial =
            RowText(y, CodeStartX(MatchBoard.Column), static_cast<int>(Secret.size()));
        if (TriesAnImpossibleP && ImpossibleTyped == 0 && Answers.AwaitsP(n)) {
            ++ImpossibleTyped;
            VirtualQueueKey('9');
            return;
        }
        Answers(n, ScoreOf(trial, Secret));
    }
};

class ComputerMatchTest : public DrivenMatch<EncoderDriver> {
protected:
    void Conditions(char first, char last, int length, bool repetitions, bool computerEncodes,
                    bool fixed, bool vacant = false) {
        ApplyConditions({first, last, length, repetitions, vacant, computerEncodes, true, fixed});
    }
    int Length() const { return Settings.CodeLength; }
    std::string Code(int n) const {
        const TrialRow& row = MatchBoard.Rows[n];
        return std::string(row.Signs.begin(), row.Signs.begin() + Length());
    }
    // Every answer on the board is the score of its trial against the secret.
    void ExpectAnswersFit(const std::string& secret) {
        for (int n = 1; n <= MatchBoard.TrialCount; ++n) {
            const TrialRow& row = MatchBoard.Rows[n];
            const Score s = ScoreTrial(row.Signs, MakeCode(secret.c_str()), Length());
            EXPECT_EQ(row.P, s.P) << "trial " << n << " " << Code(n);
            EXPECT_EQ(row.Z, s.Z) << "trial " << n << " " << Code(n);
            const int column = n <= 15 ? 1 : 2, line = TrialY(n <= 15 ? n : n - 15);
            EXPECT_TRUE(ScreenHas(CodeStartX(column), line, Code(n)));
            EXPECT_TRUE(ScreenHas(PColumn(column), line,
                                  std::string(1, char('0' + s.P)) + "|" + char('0' + s.Z)));
        }
    }
    void ExpectSolvedWithin(int bound) {
        EXPECT_TRUE(MatchState.Solved);
        EXPECT_FALSE(MatchState.BrokenOff);
        const int n = MatchBoard.TrialCount;
        EXPECT_LE(n, bound);
        EXPECT_EQ(MatchBoard.Rows[n].P, Length());
        const std::string secret = SecretText();
        EXPECT_EQ(Code(n), secret);
        EXPECT_TRUE(ScreenHas(1, 25, "Answer:  " + secret));
        EXPECT_TRUE(ScreenHas(45, 25, std::to_string(n)));
        EXPECT_TRUE(ScreenHas(60, 25, "New game? Yes."));
        EXPECT_FALSE(ClockState.ClockActive);
        EXPECT_EQ(VirtualHeapInUse(), 0u);
        ExpectAnswersFit(secret);
    }
};

TEST_F(ComputerMatchTest, AgainstItsOwnFixedSecret) {
    for (uint64_t seed : {3u, 4u, 5u}) {
        Conditions('a', 'f', 4, false, true, true);
        Driver = EncoderDriver{};
        SeedRandom(seed);
        EXPECT_EQ(Play(), MatchOutcome::BackToStart);
        ExpectSolvedWithin(TrialBound(4, 6, false, false));
        // The book's first trial: four different signs.
        const std::string first = Code(1);
        EXPECT_EQ(std::set<char>(first.begin(), first.end()).size(), 4u) << first;
    }
}

TEST_F(ComputerMatchTest, AgainstItsOwnEncoderOfACodeThatIsNotFixed) {
    Conditions('a', 'f', 4, true, true, false);
    SeedRandom(11);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    ExpectSolvedWithin(TrialBound(4, 6, true, false));
    EXPECT_TRUE(ScreenHas(1, 9, "| The answercode is not fixed.        |"));
}

TEST_F(ComputerMatchTest, AgainstAHumanEncoderWhoTypesTheAnswers) {
    // A fixed code of a human: the secret is cleared at the start and the human answers every
    // trial; a digit that no code would give is ignored and the prompt stays.
    Conditions('a', 'f', 4, true, false, true);
    SecretCode = MakeCode("cafe");
    Driver.Secret = "cafe";
    Driver.TriesAnImpossibleP = true;
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_EQ(Driver.ImpossibleTyped, 1);
    ExpectSolvedWithin(TrialBound(4, 6, true, false));
    EXPECT_EQ(SecretText(), "cafe");
}

TEST_F(ComputerMatchTest, AgainstAHumanEncoderWithoutAFixedCode) {
    Conditions('a', 'g', 5, false, false, false);
    Driver.Secret = "gbdae";
    SeedRandom(8);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    ExpectSolvedWithin(TrialBound(5, 7, false, false) > 0 ? TrialBound(5, 7, false, false) : 8);
}

TEST_F(ComputerMatchTest, EscDuringTheComputersSearchBreaksTheMatchOff) {
    Conditions('a', 'h', 5, true, true, true);
    SeedRandom(21);
    Driver.EscInTrial = 2;
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(MatchBoard.TrialCount, 2);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_EQ(CandidateStore.Records, 0);
    // The fixed secret is shown, no trial count.
    const std::string secret = SecretText();
    EXPECT_TRUE(ScreenHas(
        1, 25,
        "Answer:  " + secret + "                 Trials made:                New game? Yes."));
}

TEST_F(ComputerMatchTest, EscOrNoMemoryDuringTheBuildEndsTheMatchBeforeTheFirstTrial) {
    Conditions('a', 'h', 5, true, true, true);
    Driver.EscInTrial = -1;  // never in a trial
    const auto escInTheBuild = [this] {
        if (MatchBoard.TrialCount == 0 && ++Driver.Calls == 100) VirtualQueueKey(KeyEsc);
        Driver();
    };
    EXPECT_EQ(PlayMatchFedBy(escInTheBuild), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(MatchBoard.TrialCount, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_TRUE(ScreenHas(60, 25, "New game? Yes."));

    Conditions('a', 'h', 5, true, true, true);
    Driver = EncoderDriver{};
    VirtualFailAllocation(2);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(MatchBoard.TrialCount, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
}

TEST_F(ComputerMatchTest, SixOverSixWithoutAFixedCodeIsPlayedWithoutRepetitions) {
    Conditions('a', 'f', 6, true, true, false);
    SeedRandom(5);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
    const std::string secret = SecretText();
    EXPECT_EQ(std::set<char>(secret.begin(), secret.end()).size(), 6u) << secret;
    ExpectAnswersFit(secret);
    // The setting itself is unchanged, on the board and in the record.
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    EXPECT_TRUE(ScreenHas(1, 5, "| 6 signs with repetition "));
}

TEST_F(ComputerMatchTest, TheVacantSignOverTwoSigns) {
    Conditions('a', 'b', 4, true, true, true, true);
    UserVacantAllowed = 1;
    SeedRandom(2);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    ExpectSolvedWithin(TrialBound(4, 2, true, true) > 0 ? TrialBound(4, 2, true, true) : 6);
    // The book's first trial is three equal signs and a blank.
    const std::string first = Code(1);
    EXPECT_EQ(std::count(first.begin(), first.end(), '*'), 1) << first;
    EXPECT_EQ(Settings.VacantAllowed, 1);
}

TEST_F(ComputerMatchTest, NoVacantSignOverSixSignsAndTheSettingStays) {
    Conditions('a', 'f', 4, true, true, true, true);
    SeedRandom(9);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
    for (int n = 1; n <= MatchBoard.TrialCount; ++n)
        EXPECT_EQ(Code(n).find('*'), std::string::npos) << Code(n);
    EXPECT_EQ(Settings.VacantAllowed, 1);
}

}  // namespace
