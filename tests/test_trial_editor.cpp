// A human's trial: typing it on the board and the answer it gets.
#include "breaker/answer_order.h"
#include "breaker/sign_tables.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/encoder_store.h"
#include "match/trial_editor.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class TrialEditorTest : public VirtualSession {
protected:
    void Conditions(char first, char last, int length, bool repetitions, bool vacant) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        Settings.ComputerGuesses = 0;
        BuildSignTablesFromSettings();
        MatchRules = MatchRulesRecord{};
        MatchRules.VacantInForce = vacant;
        MatchRules.Repetitions = repetitions;
        SetupAnswerOrder(length);
        Language = LanguageKind::English;
        ClockState.German = false;
        MatchBoard = MatchBoardRecord{};
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        DrawMatchBoard(0);
        ClockState.ClockActive = true;
    }
    void FixedSecret(const char* secret) {
        MatchRules.Fixed = true;
        SecretCode = MakeCode(secret);
        MatchRules.SecretCounts = CountSigns(SecretCode, Settings.CodeLength);
    }
    void NotFixed(bool computerEncodes) {
        MatchRules.Fixed = false;
        MatchRules.ComputerEncodes = computerEncodes;
        SecretCode = BlankCode();
        ResetSignAlive(SignCount);
        SignsKnown = 0;
        // The build tests the keyboard per code: keep the input open, with no key waiting.
        VirtualClearKeys();
        VirtualQueueKeyAfter('x', int64_t(1) << 40);
        ASSERT_TRUE(
            BuildEncoderStore(Settings.CodeLength, SignCount, Settings.RepetitionsAllowed != 0));
        VirtualClearKeys();
    }
    // The next trial on the board, as the match flow prepares it.
    TrialRow& NextTrial() {
        ++MatchBoard.TrialCount;
        int n = MatchBoard.TrialCount;
        MatchBoard.Column = n <= 15 ? 1 : 2;
        MatchBoard.Row = n <= 15 ? n : n - 15;
        MatchBoard.Rows[n].Number = static_cast<int16_t>(n);
        WriteTrialNumber(MatchBoard.Column, MatchBoard.Row, n);
        return MatchBoard.Rows[n];
    }
    // Types the keys of a trial and answers it; returns the last key.
    uint8_t Trial(const std::string& keys, TrialRow*& row) {
        VirtualQueueKeys(keys);
        return Answer(row);
    }
    // Answers with the keys queued so far. The input stays open a while after them (the
    // answer looks for a waiting key), then ends.
    uint8_t Answer(TrialRow*& row) {
        VirtualQueueKeyAfter('x', 100000);
        row = &NextTrial();
        uint8_t last = 0;
        EditAndAnswerTrial(*row, last);
        VirtualClearKeys();
        return last;
    }
    std::string TrialText(const TrialRow& row) {
        return std::string(row.Signs.begin(), row.Signs.begin() + Settings.CodeLength);
    }
};

TEST_F(TrialEditorTest, TypingTheLastSignCompletesAndScores) {
    Conditions('a', 'f', 4, false, false);
    FixedSecret("abcd");
    TrialRow* row = nullptr;
    EXPECT_EQ(Trial("dbca", row), 0);
    EXPECT_EQ(TrialText(*row), "dbca");
    EXPECT_EQ(row->P, 2);
    EXPECT_EQ(row->Z, 2);
    EXPECT_TRUE(ScreenHas(41, 9, "|  1|  dbca   |2|2|"));
    EXPECT_EQ(WhereX(), 58);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_TRUE(ClockState.ClockActive);
    // The second trial gets its dots first; the solving trial stops the clock.
    EXPECT_EQ(Trial("abcd", row), 0);
    EXPECT_TRUE(ScreenHas(41, 10, "|  2|  abcd   |4|0|"));
    EXPECT_FALSE(ClockState.ClockActive);
}

TEST_F(TrialEditorTest, CursorWrapsAndEnterCompletesNothing) {
    Conditions('a', 'f', 4, true, false);
    FixedSecret("aabb");
    TrialRow* row = nullptr;
    // Left from position 1 goes to position 4; Enter on 4 goes to 1; upper case is folded and
    // a sign beyond the range ignored.
    // Left from position 1 to 4: D there, wrapping to 1; a; Enter steps over 2; g is beyond
    // the range; C at 3; Enter on 4 wraps to 1 and completes nothing; Right, b at 2.
    VirtualQueueExtended(ExtLeft);
    VirtualQueueKeys(std::string("Da") + char(KeyEnter) + "gC" + char(KeyEnter));
    VirtualQueueExtended(ExtRight);
    VirtualQueueKeys("b");
    EXPECT_EQ(Answer(row), 0);
    EXPECT_EQ(TrialText(*row), "abcd");
}

TEST_F(TrialEditorTest, CorrectionsWithBackspaceAndDelete) {
    Conditions('a', 'f', 4, true, false);
    FixedSecret("ffff");
    TrialRow* row = nullptr;
    // Backspace empties the place under the cursor and steps left; Del empties it and steps
    // right.
    VirtualQueueKeys(std::string("ab") + char(KeyBackspace) + char(KeyBackspace) + "cd");
    VirtualQueueExtended(ExtDel);
    VirtualQueueKeys("e");
    VirtualQueueExtended(ExtRight);
    VirtualQueueExtended(ExtRight);
    VirtualQueueKeys("f");
    EXPECT_EQ(Answer(row), 0);
    EXPECT_TRUE(ScreenHas(48, 9, "cdfe"));
    EXPECT_EQ(TrialText(*row), "cdfe");
}

TEST_F(TrialEditorTest, TheVacantSignOnlyWhenInForce) {
    Conditions('a', 'b', 4, true, false);
    FixedSecret("abab");
    TrialRow* row = nullptr;
    EXPECT_EQ(Trial(" *+~abab", row), 0);
    EXPECT_EQ(TrialText(*row), "abab");
    Conditions('a', 'b', 4, true, true);
    FixedSecret("abab");
    EXPECT_EQ(Trial(" a*b", row), 0);
    EXPECT_EQ(TrialText(*row), "*a*b");
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 1);
}

TEST_F(TrialEditorTest, EscBreaksTheMatchOff) {
    Conditions('0', '9', 4, false, false);
    FixedSecret("1234");
    TrialRow* row = nullptr;
    EXPECT_EQ(Trial(std::string("12") + char(KeyEsc), row), KeyEsc);
    EXPECT_FALSE(ClockState.ClockActive);
    EXPECT_FALSE(ClockState.GuessRunning);
    EXPECT_EQ(Trial(std::string("1") + char(KeyCtrlC), row), KeyEsc);
}

TEST_F(TrialEditorTest, TheComputerEncoderKeepsTheLargestClass) {
    Conditions('a', 'c', 2, true, false);  // nine codes aa..cc
    NotFixed(true);
    TrialRow* row = nullptr;
    // Against ab: aa, bb (1/0), ba (0/2), ab (2/0), ac, cb (1/0), ca, bc (0/1), cc (0/0).
    // The classes 1/0 (4 codes) is the largest.
    EXPECT_EQ(Trial("ab", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 0);
    EXPECT_EQ(EncoderStore.Count, 4);
    // The same trial again gives the same answer without touching the store.
    EXPECT_EQ(Trial("ab", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(EncoderStore.Count, 4);
    // aa, ac, bb, cb remain; against cc: ac and cb give 1/0, aa and bb give 0/0: a tie, and
    // the earlier answer in the order for two signs (1/0 before 0/0) wins.
    EXPECT_EQ(Trial("cc", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 0);
    EXPECT_EQ(EncoderStore.Count, 2);
    // Against ca, ac gives 0/2 and cb 1/0: 1/0 comes first in the order, cb is left and the
    // secret is known.
    EXPECT_EQ(Trial("ca", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(EncoderStore.Count, 1);
    EXPECT_EQ(std::string(SecretCode.begin(), SecretCode.begin() + 2), "cb");
    EXPECT_EQ(Trial("cb", row), 0);
    EXPECT_EQ(row->P, 2);
    EXPECT_EQ(row->Z, 0);
    EXPECT_FALSE(ClockState.ClockActive);
}

TEST_F(TrialEditorTest, TheAdversarysAnswerToBaOverAB) {
    Conditions('a', 'b', 2, true, false);
    NotFixed(true);
    TrialRow* row = nullptr;
    // ba itself 2/0, ab 0/2, aa and bb 1/0: the largest class.
    EXPECT_EQ(Trial("ba", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 0);
    EXPECT_EQ(EncoderStore.Count, 2);
}

TEST_F(TrialEditorTest, DeadSignsAreAnsweredAtOnce) {
    Conditions('a', 'f', 3, false, false);
    NotFixed(true);
    SignAlive[4] = SignAlive[5] = SignAlive[6] = 0;  // d, e, f proved absent
    int64_t codes = EncoderStore.Count;
    TrialRow* row = nullptr;
    EXPECT_EQ(Trial("def", row), 0);
    EXPECT_EQ(row->P, 0);
    EXPECT_EQ(row->Z, 0);
    EXPECT_EQ(EncoderStore.Count, codes);
    EXPECT_TRUE(ScreenHas(46, 9, "   def   |0|0|"));
}

TEST_F(TrialEditorTest, TheHumanEncoderTypesOnlyPossibleAnswers) {
    Conditions('a', 'd', 4, false, false);  // 24 orders of abcd: the signs are known
    NotFixed(false);
    SignsKnown = 1;
    TrialRow* row = nullptr;
    // Every code gives M = 4 against dcba: only P is asked, Z follows. P = 3 is impossible
    // and ignored; 1 is taken, Z = 3 follows without a key.
    EXPECT_EQ(Trial("dcba3x1", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 3);
    EXPECT_TRUE(ScreenHas(56, 9, "1|3"));
    EXPECT_EQ(EncoderStore.Count, 8);
}

TEST_F(TrialEditorTest, TheHumanEncoderCanStepBackFromZToP) {
    Conditions('a', 'f', 3, false, false);
    NotFixed(false);
    TrialRow* row = nullptr;
    // P 1, then Backspace back to P, 0, Z: 9 impossible, 1 taken.
    std::string keys = std::string("abc1") + char(KeyBackspace) + "091";
    EXPECT_EQ(Trial(keys, row), 0);
    EXPECT_EQ(row->P, 0);
    EXPECT_EQ(row->Z, 1);
    // What remains gives exactly 0/1 against abc.
    EXPECT_GT(EncoderStore.Count, 0);
}

TEST_F(TrialEditorTest, NothingIsTypedWhenTheAnswerIsForced) {
    Conditions('a', 'b', 2, true, false);  // aa, ab, ba, bb
    NotFixed(false);
    TrialRow* row = nullptr;
    // Against ab: aa and bb give 1/0, ab 2/0, ba 0/2. P = 1 is typed, Z = 0 follows.
    EXPECT_EQ(Trial("ab1", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 0);
    EXPECT_EQ(EncoderStore.Count, 2);
    // aa and bb both give 1/0 against ba: the answer needs no key at all.
    EXPECT_EQ(Trial("ba", row), 0);
    EXPECT_EQ(row->P, 1);
    EXPECT_EQ(row->Z, 0);
    EXPECT_TRUE(ScreenHas(56, 10, "1|0"));
    EXPECT_EQ(VirtualBeeps(), 0);  // the sound is off
}

}  // namespace
