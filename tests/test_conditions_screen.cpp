// The conditions screen, cell by cell.
#include "setup_fixture.h"

namespace {

using ConditionsScreenTest = SetupTest;

const char* const kDefaultGerman[25] = {
    "_______________________________________________________________________________",
    "|                               Zamikovantorel                      | 128 MiB |",
    "|                             ******************                    |_________|",
    "| 2 - 9  Zeichen mit/ohne Wiederholungsmoeglichkeit.                          |",
    "| Zur Verfuegung stehender Zeichensatz: a,..,z,0,..,9.                        |",
    "| Der Computer kann hoechstens folgende Codes erraten:                        |",
    "| Laenge des Codes         :       2    3    4    5    6    7    8    9       |",
    "| Groesse des Zeichensatzes:      36   36   34   17   11    8    6    5       |",
    "|_____________________________________________________________________________|",
    "| Gewuenschte Spielbedingungen:    | Zeitbegrenzung (nur fuer den PC):10 Sek. |",
    "|__________________________________| (00 Sek. bedeutet keine Zeitbegrenzung.) |",
    "| Ton              :         Nein. |                                          |",
    "| Kleinstes Zeichen:         0     | Soll der PC raten? Nein.                 |",
    "| Groesstes Zeichen:         9     |                                          |",
    "| Zeichensatz      :         0123456789                                       |",
    "| Laenge des Codes :         4     ___________________________________________|",
    "| Wiederholung von Zeichen?  Nein. | Soll der PC eine Loesung vorgeben? Ja.   |",
    "| Sind Leerzeichen erlaubt?  Nein. | Loesung ....                             |",
    "| Ist die Loesung fest?      Ja.   |                                          |",
    "|__________________________________| Bitte waehlen Sie (1, 2, 3 oder 4): 1.   |",
    "| 1.: Spiel zu diesen Bed. -  2.: Revanche -  3.: Bed. aendern -  4.: Ende.   |",
    "|_____________________________________________________________________________|",
    "| 1. Spieler,denkt sich Raetsel aus: *** Der Computer ***            O.K.? Ja.|",
    "| 2. Spieler,knackt den Code       :                                 O.K.? Ja.|",
    "|_____________________________________________________________________________|",
};
const char* const kDefaultEnglish[25] = {
    "_______________________________________________________________________________",
    "|                               Zamikovantorel                      | 128 MiB |",
    "|                             ******************                    |_________|",
    "| 2 - 9  signs with/without the possibility of repetitions.                   |",
    "| You can choose from the following signs: a,..,z,0,..,9.                     |",
    "| The computer at most can guess one of the following codes:                  |",
    "| Length of the code          :    2    3    4    5    6    7    8    9       |",
    "| Max. number of allowed signs:   36   36   34   17   11    8    6    5       |",
    "|_____________________________________________________________________________|",
    "| Please choose now:               | Timelimit (only for computer): 10 sec.   |",
    "|__________________________________| (00 sec. means no timelimit.)            |",
    "| Sound             :        No.   |                                          |",
    "| First sign        :        0     | Shall the computer guess? No.            |",
    "| Last  sign        :        9     |                                          |",
    "| Set of signs      :        0123456789                                       |",
    "| Length of the code:        4     ___________________________________________|",
    "| Repetitions of signs?      No.   | Shall the computer ask a riddle? Yes.    |",
    "| Are vacant signs allowed?  No.   | Answer: ....                             |",
    "| Is the answer fixed?       Yes.  |                                          |",
    "|__________________________________| Please choose now (1, 2, 3 or 4):  1.    |",
    "| 1: Game on these conditions -  2: Rematch -  3: Change conditons -  4: End. |",
    "|_____________________________________________________________________________|",
    "| 1st player,who devises the riddle: *** The computer ***            O.K.? Yes|",
    "| 2nd player,who cracks the code   :                                 O.K.? Yes|",
    "|_____________________________________________________________________________|",
};

void ExpectScreen(const char* const (&rows)[25]) {
    for (int row = 1; row <= 25; ++row) {
        std::string expected = rows[row - 1];
        ASSERT_EQ(expected.size(), 79u) << "row " << row;
        EXPECT_TRUE(ScreenHas(1, row, expected + " ")) << "row " << row;
    }
}

// Every cell but the memory label is in the normal attribute; the label is highlighted.
void ExpectAttributes() {
    for (int row = 1; row <= 25; ++row)
        for (int column = 1; column <= 80; ++column) {
            bool label = row == 2 && column >= 71 && column <= 77;
            EXPECT_EQ(CellAttr(column, row), label ? HighlightAttributeInUse : NormalAttributeInUse)
                << "(" << column << "," << row << ")";
        }
}

TEST_F(ConditionsScreenTest, DefaultSettingsInGerman) {
    OpenConditions();
    ExpectScreen(kDefaultGerman);
    ExpectAttributes();
    // The last row ends without a line end: nothing scrolled.
    EXPECT_EQ(WhereY(), 25);
}

TEST_F(ConditionsScreenTest, DefaultSettingsInEnglish) {
    Language = LanguageKind::English;
    OpenConditions();
    ExpectScreen(kDefaultEnglish);
    ExpectAttributes();
}

TEST_F(ConditionsScreenTest, WrappedRangeAndTheComputerInBothRoles) {
    Language = LanguageKind::English;
    Settings.FirstSign = 'y';
    Settings.LastSign = 'b';  // y, z, 0..9, a, b
    Settings.CodeLength = 5;
    Settings.TimeLimitTens = 0;
    Settings.SoundOn = 1;
    Settings.RepetitionsAllowed = 1;
    Settings.VacantAllowed = 1;
    Settings.ComputerEncodes = 1;
    Settings.ComputerGuesses = 1;
    Settings.AnswerFixed = 0;
    SetName(Settings.EncoderName, "Anna");
    SetName(Settings.BreakerName, "Bert");
    UseLevel(3);
    OpenConditions();
    EXPECT_EQ(SignCount, 14);
    EXPECT_EQ(Settings.ComputerGuesses, 1);  // 14 signs of length 5 fit into 64 MiB
    EXPECT_TRUE(ScreenHas(
        1, 2,
        "|" + std::string(31, ' ') + "Zamikovantorel" + std::string(22, ' ') + "|  64 MiB |"));
    EXPECT_TRUE(ScreenHas(
        1, 8, "| Max. number of allowed signs:   36   36   30   15   10    7    5    4       |"));
    EXPECT_TRUE(ScreenHas(
        1, 10, "| Please choose now:               | Timelimit (only for computer): 00 sec.   |"));
    EXPECT_TRUE(ScreenHas(
        1, 12, "| Sound             :        Yes.  |                                          |"));
    EXPECT_TRUE(ScreenHas(
        1, 13, "| First sign        :        y     | Shall the computer guess? Yes.           |"));
    EXPECT_TRUE(ScreenHas(
        1, 14, "| Last  sign        :        b     |                                          |"));
    EXPECT_TRUE(ScreenHas(
        1, 15, "| Set of signs      :        yz0123456789ab                                   |"));
    EXPECT_TRUE(ScreenHas(
        1, 16, "| Length of the code:        5     ___________________________________________|"));
    EXPECT_TRUE(ScreenHas(
        1, 17, "| Repetitions of signs?      Yes.  | Shall the computer ask a riddle? Yes.    |"));
    EXPECT_TRUE(ScreenHas(
        1, 18, "| Are vacant signs allowed?  Yes.  | Answer: .....                            |"));
    EXPECT_TRUE(ScreenHas(
        1, 19, "| Is the answer fixed?       No.   |                                          |"));
    // The names stay in the record but the rows show the computer.
    EXPECT_TRUE(ScreenHas(
        1, 23, "| 1st player,who devises the riddle: *** The computer ***            O.K.? Yes|"));
    EXPECT_TRUE(ScreenHas(
        1, 24, "| 2nd player,who cracks the code   : *** The computer ***            O.K.? Yes|"));
    EXPECT_EQ(Name(Settings.EncoderName), "Anna");
}

TEST_F(ConditionsScreenTest, LongNamesOfTwoHumansAndTheWholeRing) {
    Settings.FirstSign = 'a';
    Settings.LastSign = '9';  // all 36 signs
    Settings.CodeLength = 9;
    Settings.ComputerEncodes = 0;
    Settings.ComputerGuesses = 0;
    SetName(Settings.EncoderName, "Hans-Peter Mueller-Luedenscheid");  // 31 characters
    SetName(Settings.BreakerName, "Dr. A. Z.");
    UseLevel(1);
    OpenConditions();
    EXPECT_TRUE(ScreenHasIn(71, 2, "  1 MiB", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHas(
        1, 8, "| Groesse des Zeichensatzes:      36   24   12    7    5    4    3    3       |"));
    EXPECT_TRUE(ScreenHas(
        1, 15, "| Zeichensatz      :         abcdefghijklmnopqrstuvwxyz0123456789             |"));
    EXPECT_TRUE(ScreenHas(
        1, 18, "| Sind Leerzeichen erlaubt?  Nein. | Loesung .........                        |"));
    EXPECT_TRUE(ScreenHas(
        1, 23, "| 1. Spieler,denkt sich Raetsel aus: Hans-Peter Mueller-Luedenscheid O.K.? Ja.|"));
    EXPECT_TRUE(ScreenHas(
        1, 24, "| 2. Spieler,knackt den Code       : Dr. A. Z.                       O.K.? Ja.|"));
}

TEST_F(ConditionsScreenTest, RowEightShowsDashesForLengthsTheComputerCannotTake) {
    // A budget far below the smallest level leaves the longer codes without any sign count.
    AppliedBudget = -5;
    MemoryBudget = 1000;
    Recheck();
    ConditionsScreen();
    EXPECT_TRUE(ScreenHas(35, 8, " 5    3    2    -    -    -    -    -       |"));
}

}  // namespace
