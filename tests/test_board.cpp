// The match board: its rows in both languages, the trial table and the end of a match.
#include <cstring>

#include "calendar/clock_text.h"
#include "match/board.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class BoardTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        MatchBoard = MatchBoardRecord{};
    }
    void Conditions(char first, char last, int length, bool repetitions) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        BuildSignTablesFromSettings();
    }
    void Draw(LanguageKind language, int worstCase) {
        Language = language;
        ClockState.German = language == LanguageKind::German;
        DrawMatchBoard(worstCase);
    }
    // Every drawn row is 79 wide: a frame character in column 79, nothing in column 80.
    void ExpectFramed() {
        for (int row = 2; row <= 24; ++row) {
            EXPECT_EQ(CellChar(1, row), '|') << row << "\n" << ScreenDump();
            EXPECT_EQ(CellChar(79, row), '|') << row << "\n" << ScreenDump();
            EXPECT_EQ(CellChar(80, row), ' ') << row;
        }
        EXPECT_EQ(CellChar(1, 1), '_');
        EXPECT_EQ(CellChar(79, 1), '_');
    }
};

const char* const kT = "|*|   |         | | |*|   |         | | |";

TEST_F(BoardTest, GermanBoardForTheDefaultConditions) {
    Draw(LanguageKind::German, 5);
    ExpectFramed();
    EXPECT_TRUE(ScreenHas(
        1, 1, "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___"));
    EXPECT_TRUE(ScreenHas(
        1, 4, "| 0123456789                               |   Der Code kann mit maximal 5    |"));
    EXPECT_TRUE(ScreenHas(
        1, 5, "| 4 Zeichen ohne Wiederholung       (0123) |   Versuchen geknackt werden.     |"));
    EXPECT_TRUE(ScreenHas(
        1, 7,
        "| Das Leerzeichen \" \"/\"*\" darf zum    |*|Nr.|  Code   |P|Z|*|Nr.|  Code   |P|Z|"));
    EXPECT_TRUE(ScreenHas(
        1, 8, "| Raten nicht zuhilfegenommen werden. |*|___|_________|_|_|*|___|_________|_|_|"));
    EXPECT_TRUE(ScreenHas(
        1, 9, "| Der zu ratende Code ist fest.       |*|  1|  ....   | | |*|   |         | | |"));
    EXPECT_TRUE(ScreenHas(1, 10, std::string("| Vorhandene CPU >= 80386 + 80387.    ") + kT));
    EXPECT_TRUE(ScreenHas(1, 12, std::string("| Das Raetsel stammt vom Computer.    ") + kT));
    EXPECT_TRUE(ScreenHas(1, 13, std::string("|                                     ") + kT));
    EXPECT_TRUE(ScreenHas(1, 14, std::string("| Die Loesung stammt von              ") + kT));
    EXPECT_TRUE(ScreenHas(1, 15, std::string("| .                                   ") + kT));
    EXPECT_TRUE(ScreenHas(1, 17, std::string("| Spielbeginn:                        ") + kT));
    EXPECT_TRUE(ScreenHas(1, 18, std::string("|                .   Uhr,    Sekunden.") + kT));
    EXPECT_TRUE(ScreenHas(1, 21, std::string("| Spieldauer : 00 Std. 00 Min. 00 Sek.") + kT));
    EXPECT_TRUE(ScreenHas(1, 23, std::string("| Antwortzeit: 00 Std. 00 Min. 00 Sek.") + kT));
    EXPECT_TRUE(ScreenHas(
        1, 24, "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|"));
    EXPECT_TRUE(ScreenHas(
        1, 25, "Loesung:               Benoetigte Versuche:             Neues Spiel? Ja. "));
    // Nothing scrolled: row 25 was written without a line end.
    EXPECT_EQ(WhereY(), 9);
}

TEST_F(BoardTest, EnglishBoardWithNamesVacantSignAndNotFixedCode) {
    Conditions('a', 'f', 4, true);
    UserVacantAllowed = 1;
    Settings.AnswerFixed = 0;
    Settings.ComputerEncodes = 0;
    std::memcpy(Settings.EncoderName + 1, "Anna-Lena Berg", 14);
    std::memcpy(Settings.BreakerName + 1, "Marcus Aurelius Antoninus Pius", 30);
    Draw(LanguageKind::English, 12);
    ExpectFramed();
    EXPECT_TRUE(ScreenHas(
        1, 4, "| abcdef                                   | It is possible to crack the code |"));
    EXPECT_TRUE(ScreenHas(
        1, 5, "| 4 signs with repetition           (aabb) | with 12 trials.                  |"));
    EXPECT_TRUE(ScreenHas(
        1, 7, "| The vacant sign ' '/'*' may be used |*|No.|  Code   |P|S|*|No.|  Code   |P|S|"));
    EXPECT_TRUE(ScreenHas(1, 8, "| for guessing.                       "));
    EXPECT_TRUE(ScreenHas(1, 9, "| The answercode is not fixed.        "));
    EXPECT_TRUE(ScreenHas(1, 10, "| Available CPU >= 80386 + 80387.     "));
    EXPECT_TRUE(ScreenHas(1, 12, "| The riddle comes from               "));
    EXPECT_TRUE(ScreenHas(1, 13, "| Anna-Lena Berg.                     "));
    EXPECT_TRUE(ScreenHas(1, 14, "| The solution comes from             "));
    EXPECT_TRUE(ScreenHas(1, 15, "| Marcus Aurelius Antoninus Pius.     "));
    EXPECT_TRUE(ScreenHas(1, 18, "|               :    .m.,    seconds. "));
    EXPECT_TRUE(ScreenHas(1, 22, "| to guess  : 00 hours 00 min. 00 sec."));
    EXPECT_TRUE(ScreenHas(
        1, 25, "Initialisation:     time elapsed: 00.00.00 .......... time yet needed: 00.00.00"));
}

TEST_F(BoardTest, DifficultyTexts) {
    Draw(LanguageKind::German, 9);
    EXPECT_TRUE(ScreenHas(44, 4, "|   Der Code kann mit maximal 9    |"));
    Draw(LanguageKind::German, 12);
    EXPECT_TRUE(ScreenHas(44, 4, "|   Der Code kann mit maximal 12   |"));
    Settings.AnswerFixed = 0;
    Draw(LanguageKind::German, 7);
    EXPECT_TRUE(ScreenHas(44, 4, "|   Der Code kann mit genau 7      |"));
    Draw(LanguageKind::English, 0);
    EXPECT_TRUE(ScreenHas(44, 4, "|" + std::string(34, ' ') + "|"));
    EXPECT_TRUE(ScreenHas(45, 5, std::string(34, ' ') + "|"));
    Settings.AnswerFixed = 1;
    Draw(LanguageKind::English, 8);
    EXPECT_TRUE(ScreenHas(45, 5, " with 8 trials or less.           |"));
}

TEST_F(BoardTest, TheComputerGuesserHasNoDotsAndASearchLine) {
    Settings.ComputerGuesses = 1;
    Settings.ComputerEncodes = 1;
    Conditions('a', 'j', 9, false);
    Draw(LanguageKind::German, 0);
    ExpectFramed();
    EXPECT_TRUE(ScreenHas(1, 15, std::string("|                                     ") + kT));
    EXPECT_TRUE(ScreenHas(41, 9, "|  1|         |"));
    EXPECT_TRUE(ScreenHas(
        1, 25, "Aktueller Versuch: geratene Zeit: 00.00.00 .......... benoetigte Zeit: 00.00.00"));
}

TEST_F(BoardTest, SignRowAndCodeGeometry) {
    Conditions('k', 'j', 9, true);  // all 36 signs
    Draw(LanguageKind::English, 0);
    EXPECT_TRUE(ScreenHas(1, 4, "| klmnopqrstuvwxyz0123456789abcdefghij     |"));
    EXPECT_EQ(CodeStartX(1), 46);
    EXPECT_EQ(CodeStartX(2), 66);
    EXPECT_TRUE(ScreenHas(46, 9, "........."));
    Conditions('a', 'f', 2, true);
    EXPECT_EQ(CodeStartX(1), 49);
    EXPECT_EQ(CodeStartX(2), 69);
    EXPECT_EQ(TrialNumberText(7), "  7");
    EXPECT_EQ(TrialNumberText(42), " 42");
    EXPECT_EQ(TrialNumberText(0), "  0");
}

TEST_F(BoardTest, TheScrolledTableShowsTheLastThirtyTrials) {
    Conditions('a', 'f', 4, false);
    Draw(LanguageKind::English, 0);
    // Trials 1..30 in their slots, then trial 31 takes slot 1.
    for (int n = 1; n <= 30; ++n) {
        TrialRow& row = MatchBoard.Rows[n];
        row.Number = static_cast<int16_t>(n);
        row.Signs = MakeCode(n % 2 ? "abcd" : "fedc");
        row.P = static_cast<uint8_t>(n % 5);
        row.Z = static_cast<uint8_t>(n % 3);
    }
    MatchBoard.Slot = 1;
    MatchBoard.Rows[1].Number = 31;
    RedrawScrolledTable(true);
    // Trial 2 at the top of column 1, trial 31 at the bottom of column 2 with dots.
    EXPECT_TRUE(ScreenHas(41, 9, "|  2|  fedc   |2|2|"));
    EXPECT_TRUE(ScreenHas(41, 23, "| 16|  fedc   |1|1|"));
    EXPECT_TRUE(ScreenHas(61, 9, "| 17|  abcd   |2|2|"));
    EXPECT_TRUE(ScreenHas(61, 23, "| 31|  ....   | | |"));
    // Trial 1000 shows as 0.
    MatchBoard.Slot = 10;
    MatchBoard.Rows[10].Number = 1000 % 1000;
    RedrawScrolledTable(false);
    EXPECT_TRUE(ScreenHas(61, 23, "|  0|         | | |"));
    EXPECT_TRUE(ScreenHas(41, 9, "| 11|  abcd   |1|2|"));
}

TEST_F(BoardTest, EndOfAMatch) {
    Draw(LanguageKind::English, 5);
    ClockState.German = false;
    MatchBoard.TrialCount = 7;
    WriteMatchEnd(false, false, MakeCode("0815"));
    EXPECT_TRUE(ScreenHas(1, 19, "| Game end  "));
    EXPECT_TRUE(ScreenHas(
        1, 25, "Answer:  0815                 Trials made:  7              New Game? Yes."));
    EXPECT_EQ(WhereX(), 70);
    EXPECT_EQ(WhereY(), 25);

    Settings.ComputerGuesses = 1;
    Draw(LanguageKind::German, 5);
    ClockState.German = true;
    MatchBoard.TrialCount = 12;
    WriteMatchEnd(true, true, BlankCode());  // broken off, no secret known
    EXPECT_TRUE(ScreenHas(1, 19, "| Spielende  "));
    EXPECT_TRUE(ScreenHas(
        1, 25, "Loesung:               Benoetigte Versuche:             Neues Spiel? Ja.       "));
    EXPECT_EQ(WhereX(), 70);
}

TEST_F(BoardTest, TheAnswerLineAfterTheInitialisation) {
    Settings.AnswerFixed = 0;
    Draw(LanguageKind::German, 5);
    WriteAnswerLine();
    EXPECT_TRUE(ScreenHas(
        1, 25, "Loesung:               Benoetigte Versuche:             Neues Spiel? Ja.       "));
    EXPECT_EQ(RowText(25).find("Versuche: ") + 1 + 10, 45u);
    Draw(LanguageKind::English, 5);
    WriteAnswerLine();
    EXPECT_TRUE(ScreenHas(
        1, 25, "Answer:                       Trials made:                 New Game? Yes.      "));
}

}  // namespace
