// Whole match boards compared cell by cell: three condition sets in each language.
#include <cstring>

#include "calendar/clock_text.h"
#include "match/board.h"
#include "setup/capacity.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

// Rows 1..25, columns 1..79. The opening-pattern field of row 5 (columns 32..43) comes from
// the opening book and is checked on its own.
const char* const kGermanTwoSigns[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|Ein Spiel fuer zwei: einer denkt sich einen Code aus, der andere knackt ihn. |",
    "|_____________________________________________________________________________|",
    "| ab                                       |   Der Code kann mit genau 3      |",
    "| 2 Zeichen mit Wiederholung               |   Versuchen geknackt werden.     |",
    "|__________________________________________|__________________________________|",
    "| Das Leerzeichen \" \"/\"*\" darf zum    |*|Nr.|  Code   |P|Z|*|Nr.|  Code   |P|Z|",
    "| Raten zuhilfegenommen werden.       |*|___|_________|_|_|*|___|_________|_|_|",
    "| Der zu ratende Code ist nicht fest. |*|  1|   ..    | | |*|   |         | | |",
    "| Vorhandene CPU >= 80386 + 80387.    |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Das Raetsel stammt vom Computer.    |*|   |         | | |*|   |         | | |",
    "|                                     |*|   |         | | |*|   |         | | |",
    "| Die Loesung stammt von              |*|   |         | | |*|   |         | | |",
    "| Eva.                                |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Spielbeginn:                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Datum/Zeit :                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Spieldauer : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Ratezeit   : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Antwortzeit: 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "       Bereits verstrichene Zeit: 00.00.00 .......... benoetigte Zeit: 00.00.00",
};

const char* const kGermanNineLong[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|Ein Spiel fuer zwei: einer denkt sich einen Code aus, der andere knackt ihn. |",
    "|_____________________________________________________________________________|",
    "| 0123456789                               |   Der Code kann mit maximal 11   |",
    "| 9 Zeichen ohne Wiederholung              |   Versuchen geknackt werden.     |",
    "|__________________________________________|__________________________________|",
    "| Das Leerzeichen \" \"/\"*\" darf zum    |*|Nr.|  Code   |P|Z|*|Nr.|  Code   |P|Z|",
    "| Raten nicht zuhilfegenommen werden. |*|___|_________|_|_|*|___|_________|_|_|",
    "| Der zu ratende Code ist fest.       |*|  1|.........| | |*|   |         | | |",
    "| Vorhandene CPU >= 80386 + 80387.    |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Das Raetsel stammt von              |*|   |         | | |*|   |         | | |",
    "| Jo-Anne Miller.                     |*|   |         | | |*|   |         | | |",
    "| Die Loesung stammt von              |*|   |         | | |*|   |         | | |",
    "| Karl Otto.                          |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Spielbeginn:                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Datum/Zeit :                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Spieldauer : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Ratezeit   : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Antwortzeit: 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "Loesung:               Benoetigte Versuche:             Neues Spiel? Ja.       ",
};

const char* const kGermanAllSigns[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|Ein Spiel fuer zwei: einer denkt sich einen Code aus, der andere knackt ihn. |",
    "|_____________________________________________________________________________|",
    "| klmnopqrstuvwxyz0123456789abcdefghij     |   Der Code kann mit maximal 14   |",
    "| 5 Zeichen mit Wiederholung               |   Versuchen geknackt werden.     |",
    "|__________________________________________|__________________________________|",
    "| Das Leerzeichen \" \"/\"*\" darf zum    |*|Nr.|  Code   |P|Z|*|Nr.|  Code   |P|Z|",
    "| Raten nicht zuhilfegenommen werden. |*|___|_________|_|_|*|___|_________|_|_|",
    "| Der zu ratende Code ist fest.       |*|  1|         | | |*|   |         | | |",
    "| Vorhandene CPU >= 80386 + 80387.    |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Das Raetsel stammt vom Computer.    |*|   |         | | |*|   |         | | |",
    "|                                     |*|   |         | | |*|   |         | | |",
    "| Die Loesung stammt vom Computer.    |*|   |         | | |*|   |         | | |",
    "|                                     |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Spielbeginn:                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Datum/Zeit :                        |*|   |         | | |*|   |         | | |",
    "|                .   Uhr,    Sekunden.|*|   |         | | |*|   |         | | |",
    "| Spieldauer : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Ratezeit   : 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "| Antwortzeit: 00 Std. 00 Min. 00 Sek.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "Aktueller Versuch: geratene Zeit: 00.00.00 .......... benoetigte Zeit: 00.00.00",
};

const char* const kEnglishTwoSigns[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|     A game for two: one devises a secret code, the other one cracks it.     |",
    "|_____________________________________________________________________________|",
    "| ab                                       | It is possible to crack the code |",
    "| 2 signs with repetition                  | with 3 trials.                   |",
    "|__________________________________________|__________________________________|",
    "| The vacant sign ' '/'*' may be used |*|No.|  Code   |P|S|*|No.|  Code   |P|S|",
    "| for guessing.                       |*|___|_________|_|_|*|___|_________|_|_|",
    "| The answercode is not fixed.        |*|  1|   ..    | | |*|   |         | | |",
    "| Available CPU >= 80386 + 80387.     |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| The riddle comes from               |*|   |         | | |*|   |         | | |",
    "| the computer.                       |*|   |         | | |*|   |         | | |",
    "| The solution comes from             |*|   |         | | |*|   |         | | |",
    "| Eva.                                |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Game start:                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Date/time :                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Time total: 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to guess  : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to answer : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "Initialisation:     time elapsed: 00.00.00 .......... time yet needed: 00.00.00",
};

const char* const kEnglishNineLong[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|     A game for two: one devises a secret code, the other one cracks it.     |",
    "|_____________________________________________________________________________|",
    "| 0123456789                               | It is possible to crack the code |",
    "| 9 signs without repetition               | with 11 trials or less.          |",
    "|__________________________________________|__________________________________|",
    "| The vacant sign ' '/'*' cannot be   |*|No.|  Code   |P|S|*|No.|  Code   |P|S|",
    "| used for guessing.                  |*|___|_________|_|_|*|___|_________|_|_|",
    "| The answercode is fixed.            |*|  1|.........| | |*|   |         | | |",
    "| Available CPU >= 80386 + 80387.     |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| The riddle comes from               |*|   |         | | |*|   |         | | |",
    "| Jo-Anne Miller.                     |*|   |         | | |*|   |         | | |",
    "| The solution comes from             |*|   |         | | |*|   |         | | |",
    "| Karl Otto.                          |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Game start:                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Date/time :                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Time total: 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to guess  : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to answer : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "Answer:                       Trials made:                 New Game? Yes.      ",
};

const char* const kEnglishAllSigns[25] = {
    "___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___",
    "|     A game for two: one devises a secret code, the other one cracks it.     |",
    "|_____________________________________________________________________________|",
    "| klmnopqrstuvwxyz0123456789abcdefghij     | It is possible to crack the code |",
    "| 5 signs with repetition                  | with 14 trials or less.          |",
    "|__________________________________________|__________________________________|",
    "| The vacant sign ' '/'*' cannot be   |*|No.|  Code   |P|S|*|No.|  Code   |P|S|",
    "| used for guessing.                  |*|___|_________|_|_|*|___|_________|_|_|",
    "| The answercode is fixed.            |*|  1|         | | |*|   |         | | |",
    "| Available CPU >= 80386 + 80387.     |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| The riddle comes from               |*|   |         | | |*|   |         | | |",
    "| the computer.                       |*|   |         | | |*|   |         | | |",
    "| The solution comes from             |*|   |         | | |*|   |         | | |",
    "| the computer.                       |*|   |         | | |*|   |         | | |",
    "|_____________________________________|*|   |         | | |*|   |         | | |",
    "| Game start:                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Date/time :                         |*|   |         | | |*|   |         | | |",
    "|               :    .m.,    seconds. |*|   |         | | |*|   |         | | |",
    "| Time total: 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to guess  : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "| to answer : 00 hours 00 min. 00 sec.|*|   |         | | |*|   |         | | |",
    "|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|",
    "This trial: time already guessed: 00.00.00 .......... time yet needed: 00.00.00",
};

class WholeBoardTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
    }
    void Language_(bool german) {
        Language = german ? LanguageKind::German : LanguageKind::English;
        ClockState.German = german;
    }
    // a..b, length 2, repetitions, vacant sign, not fixed, riddle from the computer, Eva guesses.
    void TwoSigns() {
        SetDefaultSettings();
        Settings.FirstSign = 'a';
        Settings.LastSign = 'b';
        Settings.CodeLength = 2;
        Settings.RepetitionsAllowed = 1;
        UserVacantAllowed = 1;
        Settings.AnswerFixed = 0;
        std::memcpy(Settings.BreakerName + 1, "Eva", 3);
        BuildSignTablesFromSettings();
        DrawMatchBoard(TrialBound(2, 2, true, true));
    }
    // 0..9, length 9, no repetitions, fixed, two named humans.
    void NineLong() {
        SetDefaultSettings();
        Settings.CodeLength = 9;
        Settings.ComputerEncodes = 0;
        std::memcpy(Settings.EncoderName + 1, "Jo-Anne Miller", 14);
        std::memcpy(Settings.BreakerName + 1, "Karl Otto", 9);
        BuildSignTablesFromSettings();
        UserVacantAllowed = 0;
        DrawMatchBoard(TrialBound(9, 10, false, false));
    }
    // All 36 signs from k, length 5, repetitions, fixed, the computer in both roles.
    void AllSigns() {
        SetDefaultSettings();
        Settings.FirstSign = 'k';
        Settings.LastSign = 'j';
        Settings.CodeLength = 5;
        Settings.RepetitionsAllowed = 1;
        Settings.ComputerGuesses = 1;
        BuildSignTablesFromSettings();
        UserVacantAllowed = 0;
        DrawMatchBoard(TrialBound(5, 36, true, false));
    }
    void ExpectScreen(const char* const (&rows)[25]) {
        for (int row = 1; row <= 25; ++row) {
            std::string expected = rows[row - 1];
            if (row == 5) {
                EXPECT_TRUE(ScreenHas(1, 5, expected.substr(0, 31)));
                EXPECT_TRUE(ScreenHas(44, 5, expected.substr(43)));
            } else {
                EXPECT_TRUE(ScreenHas(1, row, expected));
            }
            EXPECT_EQ(CellChar(80, row), ' ') << row;
        }
    }
};

TEST_F(WholeBoardTest, GermanBoards) {
    Language_(true);
    TwoSigns();
    ExpectScreen(kGermanTwoSigns);
    NineLong();
    ExpectScreen(kGermanNineLong);
    AllSigns();
    ExpectScreen(kGermanAllSigns);
}

TEST_F(WholeBoardTest, EnglishBoards) {
    Language_(false);
    TwoSigns();
    ExpectScreen(kEnglishTwoSigns);
    NineLong();
    ExpectScreen(kEnglishNineLong);
    AllSigns();
    ExpectScreen(kEnglishAllSigns);
}

}  // namespace
