// Whole matches with a human codebreaker on the virtual console, played by a driver that reads
// the board: the P and Z of every trial, the secret and the trial count at the end.
#include <string>

#include "calendar/clock_text.h"
#include "calendar/virtual_date.h"
#include "match/encoder_store.h"
#include "match/match_flow.h"
#include "shell/settings.h"
#include "support/match_fixture.h"

namespace {

class MatchFlowTest : public DrivenMatch<HumanBreaker> {
protected:
    void Conditions(char first, char last, int length, bool repetitions, bool computerEncodes,
                    bool fixed, bool driverPlays = true) {
        MatchConditions c{first, last, length, repetitions, false, computerEncodes, false, fixed};
        c.TimeLimitTens = Settings.TimeLimitTens;  // no search to limit: the record's stays
        ApplyConditions(c);
        if (driverPlays) Driver.Prepare(RangeSigns(), length, repetitions);
    }
};

TEST_F(MatchFlowTest, AgainstTheComputersFixedSecret) {
    Conditions('a', 'f', 4, false, true, true);
    SeedRandom(2026);
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    ASSERT_EQ(Driver.Candidates.size(), 1u) << ScreenDump();
    // The solving trial is the secret; the end line shows it and the trial count.
    EXPECT_EQ(Driver.Typed.back(), SecretText());
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
    EXPECT_EQ(SecretText(), Driver.Typed.back());
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
    Driver.EncoderSecret = "dab";  // the human encoder answers as well
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
                          "Answer:  " + SecretText() +
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
    VirtualSetKeyFeeder([this] { (void)SayToNewGame(Driver.Ended); });
    VirtualClearKeys();
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.BrokenOff);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    // A new match under the same conditions works.
    VirtualFailAllocation(0);
    Driver = HumanBreaker{};
    Driver.Prepare("abcdefgh", 6, true);
    Driver.FirstTrial = "aabbcc";
    EXPECT_EQ(Play(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
}

TEST_F(MatchFlowTest, TheSecondTrialClearsTheOpeningFieldAndTheClockRuns) {
    Conditions('a', 'f', 4, false, true, true);
    SeedRandom(7);
    // Every trial takes the player seven seconds.
    PlayMatchFedBy([this] {
        VirtualAdvanceClock(700);
        Driver();
    });
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
