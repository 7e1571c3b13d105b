// The match board: the whole screen drawn for the conditions in force (signs and difficulty,
// the vacant sign, who sets and who solves the riddle, the time rows), the places of the trial
// rows, the scrolled table of the last 30 trials and the answer line at the end of a match.
#include "match/board.h"

#include "breaker/opening_book.h"
#include "calendar/clock_text.h"
#include "calendar/date_text.h"
#include "shell/console/console.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"

MatchBoardRecord MatchBoard;

namespace {

const char* const kT0 = "|*|___|_________|_|_|*|___|_________|_|_|";
const char* const kT1 = "|*|  1|         | | |*|   |         | | |";
const char* const kT = "|*|   |         | | |*|   |         | | |";
const char* const kSeparator =
    "|_____________________________________|*|   |         | | |*|   |         | | |";

std::string Centred(std::string text, size_t width) {
    if (text.size() > width) text.resize(width);
    size_t left = (width - text.size()) / 2;
    return std::string(left, ' ') + text + std::string(width - left - text.size(), ' ');
}

std::string NameOf(const char* field) {
    std::string name(field + 1, 31);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

// Row 13 or 15 for a human player: the name with a point, in 32 characters, then four spaces.
std::string NameRow(const char* field) {
    std::string text = NameOf(field) + ".";
    text.resize(32, ' ');
    return "| " + text + "    ";
}

void Row(const std::string& text) {
    WriteLine(text);
}

void DifficultyTexts(int x, std::string& a, std::string& b) {
    std::string digits = std::to_string(x);
    std::string pad = x < 10 ? " " : "";
    bool fixed = Settings.AnswerFixed != 0;
    if (x <= 0) {
        a = "|" + std::string(34, ' ') + "|";
        b = std::string(34, ' ') + "|";
    } else if (InGerman()) {
        a = fixed ? "|   Der Code kann mit maximal " + digits + "   " + pad + "|"
                  : "|   Der Code kann mit genau " + digits + "     " + pad + "|";
        b = "   Versuchen geknackt werden.     |";
    } else {
        a = "| It is possible to crack the code |";
        b = fixed ? " with " + digits + " trials or less." + std::string(10, ' ') + pad + "|"
                  : " with " + digits + " trials." + std::string(18, ' ') + pad + "|";
    }
}

std::string RepetitionText() {
    bool with = Settings.RepetitionsAllowed != 0;
    if (InGerman()) return with ? " Zeichen mit Wiederholung   " : " Zeichen ohne Wiederholung  ";
    return with ? " signs with repetition      " : " signs without repetition   ";
}

std::string StatusLine() {
    if (Settings.ComputerGuesses) {
        return InGerman() ? "Aktueller Versuch: geratene Zeit: 00.00.00 .......... ben" UML_OE
                            "tigte Zeit: 00.00.00"
                          : "This trial: time already guessed: 00.00.00 .......... time yet "
                            "needed: 00.00.00";
    }
    if (Settings.AnswerFixed) {
        return InGerman() ? "L" UML_OE "sung:               Ben" UML_OE
                            "tigte Versuche:             Neues Spiel? Ja."
                          : "Answer:                       Trials made:                 New "
                            "Game? Yes.";
    }
    return InGerman() ? "       Bereits verstrichene Zeit: 00.00.00 .......... ben" UML_OE
                        "tigte Zeit: 00.00.00"
                      : "Initialisation:     time elapsed: 00.00.00 .......... time yet needed: "
                        "00.00.00";
}

}  // namespace

int TrialY(int row) {
    return 8 + row;
}
int CodeStartX(int column) {
    return column == 1 ? (101 - Settings.CodeLength) / 2 : (141 - Settings.CodeLength) / 2;
}
int NumberX(int column) {
    return column == 1 ? 42 : 62;
}
int PColumn(int column) {
    return column == 1 ? 56 : 76;
}
int ZColumn(int column) {
    return column == 1 ? 58 : 78;
}

std::string OpeningPatternField() {
    const int length = Settings.CodeLength;
    const bool repetitions = Settings.RepetitionsAllowed != 0;
    const bool filler = SignCount == 2 && UserVacantAllowed != 0;
    const char* pattern = OpeningPattern(length, SignCount, repetitions, filler);
    // Two signs of length two with repetitions open with aa or ab at random: nothing to show.
    if (pattern == nullptr) return std::string(12, ' ');
    std::string field(static_cast<size_t>(9 - length), ' ');
    field += '(';
    for (int k = 0; k < length; ++k)
        field += pattern[k] == '_' ? VacantSign : IndexSign[pattern[k] - 'a' + 1];
    return field + ") ";
}

void DrawMatchBoard(int worstCase) {
    bool german = InGerman();
    ClearScreen();
    GotoXY(1, 1);
    Row("___  ***  Zamikovantorel  **  Windows - 32-Bit - Version  2025-01-01.  ***  ___");
    Row("|" +
        Centred(german ? "Ein Spiel f" UML_UE "r zwei: einer denkt sich einen Code aus, der "
                         "andere knackt ihn."
                       : "A game for two: one devises a secret code, the other one cracks it.",
                77) +
        "|");
    Row("|_____________________________________________________________________________|");
    std::string a, b;
    DifficultyTexts(worstCase, a, b);
    std::string signs(IndexSign + 1, IndexSign + 1 + SignCount);
    signs.resize(41, ' ');
    Row("| " + signs + a);
    Row("| " + std::string(1, char('0' + Settings.CodeLength)) + RepetitionText() +
        OpeningPatternField() + "|" + b);
    Row("|__________________________________________|__________________________________|");
    bool vacant = UserVacantAllowed != 0;
    if (german) {
        Row("| Das Leerzeichen \" \"/\"*\" darf zum    |*|Nr.|  Code   |P|Z|*|Nr.|  Code   |P|Z|");
        Row(std::string(vacant ? "| Raten zuhilfegenommen werden.       "
                               : "| Raten nicht zuhilfegenommen werden. ") +
            kT0);
        Row(std::string("|") +
            (Settings.AnswerFixed ? " Der zu ratende Code ist fest.       "
                                  : " Der zu ratende Code ist nicht fest. ") +
            kT1);
        Row(ProcessorLineGerman + kT);
    } else {
        Row(vacant
                ? "| The vacant sign ' '/'*' may be used |*|No.|  Code   |P|S|*|No.|  Code   |P|S|"
                : "| The vacant sign ' '/'*' cannot be   |*|No.|  Code   |P|S|*|No.|  Code   "
                  "|P|S|");
        Row(std::string(vacant ? "| for guessing.                       "
                               : "| used for guessing.                  ") +
            kT0);
        Row(std::string("|") +
            (Settings.AnswerFixed ? " The answercode is fixed.            "
                                  : " The answercode is not fixed.        ") +
            kT1);
        Row(ProcessorLineEnglish + kT);
    }
    Row(kSeparator);
    // Who sets the riddle (rows 12, 13) and who solves it (rows 14, 15).
    for (int part = 0; part < 2; ++part) {
        bool computer = part == 0 ? Settings.ComputerEncodes : Settings.ComputerGuesses;
        const char* name = part == 0 ? Settings.EncoderName : Settings.BreakerName;
        std::string first, second;
        if (german) {
            const char* start =
                part == 0 ? " Das R" UML_AE "tsel stammt vo" : " Die L" UML_OE "sung stammt vo";
            first = std::string("|") + start + (computer ? "m Computer.    " : "n              ");
            second = computer ? "|                                     " : NameRow(name);
        } else {
            first = part == 0 ? "| The riddle comes from               "
                              : "| The solution comes from             ";
            second = computer ? "| the computer.                       " : NameRow(name);
        }
        Row(first + kT);
        Row(second + kT);
    }
    Row(kSeparator);
    std::string timeTemplate =
        german ? "                .   Uhr,    Sekunden." : "               :    .m.,    seconds. ";
    Row(std::string("|") +
        (german ? " Spielbeginn:                        "
                : " Game start:                         ") +
        kT);
    Row("|" + timeTemplate + kT);
    Row(std::string("|") +
        (german ? " Datum/Zeit :                        "
                : " Date/time :                         ") +
        kT);
    Row("|" + timeTemplate + kT);
    Row(std::string("|") +
        (german ? " Spieldauer : 00 Std. 00 Min. 00 Sek."
                : " Time total: 00 hours 00 min. 00 sec.") +
        kT);
    Row(std::string("|") +
        (german ? " Ratezeit   : 00 Std. 00 Min. 00 Sek."
                : " to guess  : 00 hours 00 min. 00 sec.") +
        kT);
    Row(std::string("|") +
        (german ? " Antwortzeit: 00 Std. 00 Min. 00 Sek."
                : " to answer : 00 hours 00 min. 00 sec.") +
        kT);
    Row("|_____________________________________|_|___|_________|_|_|_|___|_________|_|_|");
    WriteText(StatusLine());
    if (!Settings.ComputerGuesses)
        WriteAt(CodeStartX(1), TrialY(1),
                std::string(static_cast<size_t>(Settings.CodeLength), '.'));
}

void WriteMatchStartTimes() {
    const ClockStateRecord& c = ClockState;
    bool german = c.German;
    std::string date = german ? GermanDateText(c.Year, c.Month, c.Day, c.Weekday)
                              : EnglishDateText(c.Year, c.Month, c.Day, c.Weekday);
    std::string time = german ? GermanTimeText(c.Hour, c.Minute, c.Second)
                              : EnglishTimeText(c.Hour, c.Minute, c.Second);
    for (int row : {17, 19}) WriteAt(DateColumn(), row, date);
    for (int row : {18, 20}) WriteAt(TimeColumn(), row, time);
}

std::string TrialNumberText(int number) {
    std::string digits = std::to_string(number);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, ' ') + digits;
}

void WriteTrialNumber(int column, int row, int number) {
    WriteAt(NumberX(column), TrialY(row), TrialNumberText(number));
}

void RedrawScrolledTable(bool humanGuesses) {
    const int length = Settings.CodeLength;
    for (int column = 1; column <= 2; ++column) {
        for (int row = 1; row <= RowsPerColumn; ++row) {
            int slot = (15 * column + row + MatchBoard.Slot - 16) % RingTrials + 1;
            const TrialRow& trial = MatchBoard.Rows[slot];
            WriteTrialNumber(column, row, trial.Number);
            bool current = column == 2 && row == RowsPerColumn;
            if (current) {
                WriteAt(CodeStartX(column), TrialY(row),
                        std::string(static_cast<size_t>(length), humanGuesses ? '.' : ' '));
                WriteAt(PColumn(column), TrialY(row), " | ");
            } else {
                WriteAt(CodeStartX(column), TrialY(row),
                        std::string(trial.Signs.begin(), trial.Signs.begin() + length));
                WriteAt(PColumn(column), TrialY(row), std::string(1, char('0' + trial.P)));
                WriteAt(ZColumn(column), TrialY(row), std::string(1, char('0' + trial.Z)));
            }
        }
    }
}

void WriteAnswerLine() {
    WriteAt(1, 25,
            InGerman() ? "L" UML_OE "sung:               Ben" UML_OE
                         "tigte Versuche:             Neues Spiel? Ja.       "
                       : "Answer:                       Trials made:                 New Game? "
                         "Yes.      ");
}

void WriteMatchEnd(bool computerGuessed, bool brokenOff, const Code& secret) {
    bool german = ClockState.German;
    WriteAt(3, 19, german ? "Spielende " : "Game end ");
    if (computerGuessed) {
        WriteAt(1, 25, german ? "L" UML_OE "sung: " : "Answer: ");
        WriteAt(24, 25, german ? "Ben" UML_OE "tigte Versuche: " : "        Trials made:");
        WriteAt(57, 25, german ? "Neues Spiel? Ja.       " : "   New game? Yes.      ");
        WriteAt(9, 25, std::string(15, ' '));
        WriteAt(44, 25, std::string(13, ' '));
    }
    if (secret[0] != ' ')
        WriteAt(10, 25, std::string(secret.begin(), secret.begin() + Settings.CodeLength));
    if (!brokenOff) {
        GotoXY(45, 25);
        WriteInt(MatchBoard.TrialCount);
    }
    GotoXY(70, 25);
}
