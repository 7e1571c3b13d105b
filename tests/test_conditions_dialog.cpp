// Walks through the conditions dialog on the virtual console.
#include "breaker/search_progress.h"
#include "setup/conditions_dialog.h"
#include "setup_fixture.h"

namespace {

class ConditionsDialogTest : public SetupTest {
protected:
    // Draws the screen and runs the dialog on the queued keys; an exhausted script gives Ctrl-C,
    // which leaves the walk and the prompt for the menu.
    // The dialog is entered as from the menu, without asking the 1st player's name again.
    ConditionsOutcome Run() {
        SkipEncoderName = true;
        OpenConditions();
        return ConditionsDialog();
    }
    void TwoHumans(bool fixed) {
        Settings.ComputerEncodes = 0;
        Settings.ComputerGuesses = 0;
        Settings.AnswerFixed = fixed ? 1 : 0;
        SetName(Settings.EncoderName, "Anna");
        SetName(Settings.BreakerName, "Bert");
    }
    void Range(char first, char last) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        BuildSignTablesFromSettings();
    }
    static void Keys(const std::string& keys) { VirtualQueueKeys(keys); }
    static void Key(uint8_t key) { VirtualQueueKey(key); }
};

// The set of signs of row 15: 36 columns from column 30, then the frame.
std::string SignSetField(const std::string& signs) {
    return signs + std::string(36 - signs.size(), ' ') + std::string(13, ' ') + "|";
}

// From the prompt into the walk, accepting the time limit, sound, first and last sign.
const std::string kToCodeLength = std::string("3") + "\r\r\r\r";

TEST_F(ConditionsDialogTest, LengthNineOverSixSignsForcesRepetitionsAndSkipsTheirField) {
    Range('a', 'f');
    Keys(kToCodeLength + "9");
    Keys("j");  // on the vacant-sign field: repetitions are not asked
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.CodeLength, 9);
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    EXPECT_EQ(Settings.VacantAllowed, 1);
    EXPECT_EQ(UserVacantAllowed, 1);
    EXPECT_TRUE(ScreenHas(30, 16, "9"));
    EXPECT_TRUE(ScreenHas(30, 17, "Ja.  "));
    EXPECT_TRUE(ScreenHas(30, 18, "Ja.  "));
    EXPECT_TRUE(ScreenHas(46, 18, "........."));
}

TEST_F(ConditionsDialogTest, LengthNineOverTenSignsKeepsTheRepetitionsField) {
    Keys(kToCodeLength + "9");
    Keys("j");  // on the repetitions field
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
    EXPECT_EQ(Settings.VacantAllowed, 0);
    EXPECT_TRUE(ScreenHas(30, 17, "Ja.  "));
    EXPECT_TRUE(ScreenHas(30, 18, "Nein."));
}

TEST_F(ConditionsDialogTest, ShorterCodeCutsTheAnswerDotsBack) {
    Keys(kToCodeLength + "7");
    Key(KeyBackspace);  // from the repetitions field back to the length
    Keys("2");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.CodeLength, 2);
    EXPECT_TRUE(ScreenHas(46, 18, "..       "));
    EXPECT_TRUE(ScreenHas(30, 16, "2"));
}

TEST_F(ConditionsDialogTest, LastSignEqualToTheFirstIsRefused) {
    Keys("3\r\r\r");            // to the last sign
    Keys("0");                  // the first sign: refused
    VirtualQueueExtended('c');  // an extended key is no sign
    Keys("B");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.LastSign, 'b');
    EXPECT_EQ(SignCount, 12);
    EXPECT_TRUE(ScreenHas(30, 14, "b"));
    EXPECT_TRUE(ScreenHas(30, 15, SignSetField("0123456789ab")));
}

TEST_F(ConditionsDialogTest, SmallestAndLargestRange) {
    Keys("3\r\r\r1");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(SignCount, 2);
    EXPECT_TRUE(ScreenHas(30, 15, SignSetField("01")));

    Keys("3\r\rz");  // first sign z: the range moves round the ring and keeps two signs
    Keys("y");       // last sign: the sign before the first
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.FirstSign, 'z');
    EXPECT_EQ(Settings.LastSign, 'y');
    EXPECT_EQ(SignCount, 36);
    EXPECT_TRUE(ScreenHas(30, 15, "z0123456789abcdefghijklmnopqrstuvwxy"));
}

TEST_F(ConditionsDialogTest, FirstSignXKeepsTenSigns) {
    Keys("3\r\rx");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.FirstSign, 'x');
    EXPECT_EQ(Settings.LastSign, '6');
    EXPECT_EQ(SignCount, 10);
    EXPECT_TRUE(ScreenHas(30, 13, "x"));
    EXPECT_TRUE(ScreenHas(30, 14, "6"));
    EXPECT_TRUE(ScreenHas(30, 15, SignSetField("xyz0123456")));
}

TEST_F(ConditionsDialogTest, TwoHumansWithAFixedAnswerGoStraightToTheRiddleAndTheSecret) {
    TwoHumans(true);
    SetName(Settings.EncoderName, "");  // were the name asked, the digits would not reach it
    Keys("n");                          // computer sets the riddle? no
    Keys("0123");                       // the secret
    Keys("1");                          // play
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Secret(), "0123     ");
    EXPECT_TRUE(ScreenHas(46, 18, "0123     "));
    EXPECT_FALSE(SkipEncoderName);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConditionsDialogTest, BackspaceAtThePromptContinuesTheSecret) {
    TwoHumans(true);
    Keys("\r0123");
    Key(KeyBackspace);  // at the prompt: the last sign is typed again
    Keys("5");
    Key(KeyEnter);
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Secret(), "0125     ");
    EXPECT_TRUE(ScreenHas(46, 18, "0125"));
}

TEST_F(ConditionsDialogTest, TheLastSignOfTheSecretIsFilledAutomatically) {
    TwoHumans(true);
    Range('a', 'd');
    Keys("\r");
    Keys("cC");  // a repeated sign is refused
    Keys("e");   // outside the range
    Key(KeyEnter);
    VirtualQueueExtended('a');  // an extended key is no sign
    Keys("*. ad");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Secret(), "cadb     ");
    EXPECT_TRUE(ScreenHas(46, 18, "cadb     "));

    // Continued at the prompt: the third sign and the automatic fourth are typed again.
    Keys("\r");
    Keys("cad");
    Key(KeyBackspace);
    Keys("b1");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Secret(), "cabd     ");
}

TEST_F(ConditionsDialogTest, BackspaceInTheSecretStepsBackAndEscShowsTheDotsAgain) {
    TwoHumans(true);
    Keys("\r01");
    Key(KeyBackspace);
    Keys("9");
    Key(KeyEsc);  // back to the riddle field, dots again
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_TRUE(ScreenHas(46, 18, "....     "));
    EXPECT_EQ(Secret().substr(0, 2), "09");
}

TEST_F(ConditionsDialogTest, BackspaceAtTheTimeLimitReturnsToThePrompt) {
    Keys("35");         // time limit 50 seconds, on to the sound
    Key(KeyBackspace);  // the sound steps back to the start of the walk
    Key(KeyBackspace);  // the time limit back to the prompt
    Keys("1");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Settings.TimeLimitTens, 5);
    EXPECT_EQ(SearchProgress.TimeLimit, 5000);
    EXPECT_TRUE(ScreenHas(71, 10, "50 Sek. |"));
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConditionsDialogTest, EscAtTheTimeLimitLeavesAndEscElsewhereRestartsTheWalk) {
    Keys("3\r");
    Key(KeyEsc);  // on the sound: the walk starts again at the time limit
    Keys("7");
    Key(KeyEsc);  // on the sound again
    Key(KeyEsc);  // on the time limit: to the menu
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.TimeLimitTens, 7);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
}

TEST_F(ConditionsDialogTest, TheWholeWalkWithTheNameOfTheCodebreaker) {
    Keys("3\r\r\r\r\r\r\r\r\r");    // B..J
    Keys("hans-peter mueller\rj");  // K
    Key(KeyEnter);                  // L
    Key(KeyCtrlC);                  // the prompt: end
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Name(Settings.BreakerName), "Hans-Peter Mueller");
    EXPECT_TRUE(ScreenHas(38, 24, "Hans-Peter Mueller             "));
    EXPECT_FALSE(SkipEncoderName);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
}

TEST_F(ConditionsDialogTest, TheComputerAsCodebreakerShowsInRowTwentyFour) {
    Language = LanguageKind::English;
    SetName(Settings.BreakerName, "Bert");
    Keys("3\r\r\r\r\r\r\r\r");  // B..I
    Keys("y");                  // J: the computer guesses; the name is not asked
    Keys("n");                  // L: the computer no longer sets the riddle
    Keys("Anna\rj");            // M: the 1st player's name, then the prompt
    Keys("4");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.ComputerGuesses, 1);
    EXPECT_EQ(Settings.ComputerEncodes, 0);
    EXPECT_TRUE(ScreenHas(64, 13, "Yes. "));
    EXPECT_TRUE(ScreenHas(71, 17, "No.  "));
    EXPECT_TRUE(ScreenHas(38, 24, "*** The computer ***           "));
    EXPECT_TRUE(ScreenHas(38, 23, "Anna                           "));
    // With the computer guessing the human answers: no secret is asked.
    EXPECT_EQ(Secret(), "         ");
}

TEST_F(ConditionsDialogTest, ImpossibleNotFixedAnswerSkipsItsFieldAndTheGuesser) {
    Range('a', 'l');
    Settings.AnswerFixed = 0;
    Settings.ComputerGuesses = 1;
    Keys(kToCodeLength + "9");
    Keys("n");      // G: no repetitions
    Key(KeyEnter);  // H
    Keys("n");      // the name of the 2nd player: neither I nor J is asked
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(CanVary, 0);
    EXPECT_EQ(Settings.AnswerFixed, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_TRUE(ScreenHas(30, 19, "Ja.  "));
    EXPECT_TRUE(ScreenHas(57, 13, "Nein."));
    EXPECT_TRUE(ScreenHas(38, 24, "N"));
}

TEST_F(ConditionsDialogTest, ChangedRangeFromTheWalkIsCheckedBeforeTheMenu) {
    // The range shrinks below the code length and the walk is left with Ctrl-C at once.
    Keys("3\r\r\r1");
    Key(KeyCtrlC);
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Settings.RepetitionsAllowed, 1);
}

TEST_F(ConditionsDialogTest, BackspaceAtThePromptGoesToTheRiddleField) {
    Key(KeyBackspace);
    Keys("n");        // L: a human sets the riddle
    Keys("anna\rj");  // M: the 1st player's name
    Keys("4321");     // N: the secret of two humans with a fixed answer
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(Name(Settings.EncoderName), "Anna");
    EXPECT_EQ(Secret(), "4321     ");
    EXPECT_TRUE(ScreenHas(38, 23, "Anna "));
}

TEST_F(ConditionsDialogTest, ThePromptIgnoresExtendedKeysAndEnterPlays) {
    VirtualQueueExtended('1');
    VirtualQueueExtended(ExtDown);
    Keys("x5");
    Key(KeyEnter);
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_EQ(WhereX(), 74);
    EXPECT_EQ(WhereY(), 20);
}

// ---- Rematch ------------------------------------------------------------------------------

TEST_F(ConditionsDialogTest, RematchOfTheComputerAgainstItselfPlaysOn) {
    Settings.ComputerEncodes = 1;
    Settings.ComputerGuesses = 1;
    Keys("2");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Settings.ComputerEncodes, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 1);
}

TEST_F(ConditionsDialogTest, RematchHandsTheRiddleToTheComputer) {
    Settings.ComputerEncodes = 0;
    Settings.ComputerGuesses = 1;
    SetName(Settings.EncoderName, "Anna");
    Keys("2");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Settings.ComputerEncodes, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_EQ(Name(Settings.BreakerName), "Anna");  // Anna now guesses
    EXPECT_EQ(Name(Settings.EncoderName), "");
}

TEST_F(ConditionsDialogTest, RematchHandsTheGuessingToTheComputerWhenItCan) {
    SetName(Settings.BreakerName, "Bert");
    Keys("2");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Settings.ComputerEncodes, 0);
    EXPECT_EQ(Settings.ComputerGuesses, 1);
    EXPECT_EQ(Name(Settings.EncoderName), "Bert");
}

TEST_F(ConditionsDialogTest, RematchIsIgnoredWhenTheComputerCannotGuess) {
    Settings.CodeLength = 6;
    Range('a', 'z');  // 26 signs of length 6: no computer guesser
    Keys("2");
    Keys("4");
    EXPECT_EQ(Run(), ConditionsOutcome::ToMenu);
    EXPECT_EQ(CanGuess, 0);
    EXPECT_EQ(Settings.ComputerEncodes, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConditionsDialogTest, RematchOfTwoHumansWithoutAFixedAnswerSwapsTheNames) {
    TwoHumans(false);
    Keys("2");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Name(Settings.EncoderName), "Bert");
    EXPECT_EQ(Name(Settings.BreakerName), "Anna");
    EXPECT_EQ(Settings.ComputerEncodes, 0);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
}

TEST_F(ConditionsDialogTest, RematchOfTwoHumansWithAFixedAnswerAsksTheNewEncodersSecret) {
    TwoHumans(true);
    Keys("\r0123");  // riddle field, the first secret
    Keys("2");       // rematch: Bert sets the riddle now
    Keys("4567");
    Keys("1");
    EXPECT_EQ(Run(), ConditionsOutcome::StartMatch);
    EXPECT_EQ(Secret(), "4567     ");
    EXPECT_EQ(Name(Settings.EncoderName), "Bert");
    EXPECT_EQ(Name(Settings.BreakerName), "Anna");
    EXPECT_TRUE(ScreenHas(38, 23, "Bert "));
    EXPECT_TRUE(ScreenHas(38, 24, "Anna "));
    EXPECT_TRUE(ScreenHas(46, 18, "4567     "));
}

// ---- The match start ------------------------------------------------------------------------

TEST_F(ConditionsDialogTest, TheMatchStartSavesTheUsersVacantChoice) {
    Settings.VacantAllowed = 1;
    Settings.ComputerGuesses = 1;
    Settings.ComputerEncodes = 1;
    OpenConditions();
    PrepareMatchStart();
    // Over ten signs the computer guesser does without the vacant sign; the file keeps it.
    EXPECT_EQ(Settings.VacantAllowed, 0);
    EXPECT_EQ(UserVacantAllowed, 1);
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[10], 1);
    EXPECT_TRUE(ScreenHas(1, 1, std::string(80, ' ')));

    // Over two signs of four positions it plays with it.
    Settings.VacantAllowed = 1;
    Range('0', '1');
    Settings.RepetitionsAllowed = 1;
    PrepareMatchStart();
    EXPECT_EQ(Settings.VacantAllowed, 1);
    EXPECT_EQ(CodeTotal, 80);
}

}  // namespace
