// The conditions screen.
#include "setup/conditions_screen.h"

#include <string>

#include "match/code.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

constexpr int kInnerWidth = 77;  // columns 2..78 between the frame bars

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string Underscores(size_t count) {
    return std::string(count, '_');
}

// A framed row: '|', the inner text padded to 77 columns, '|'.
std::string Framed(const std::string& inner) {
    std::string row = "|";
    row += Padded(inner, kInnerWidth);
    row += '|';
    return row;
}

// The left panel of rows 12..19: the label and its value, then the panel's bar at column 36.
std::string LeftPanel(const std::string& labelAndValue) {
    return Padded(labelAndValue, 34) + "|";
}

std::string YesNo(uint8_t flag) {
    return YesNoText(flag != 0);
}

std::string SignSetText() {
    std::string set(IndexSign + 1, IndexSign + 1 + SignCount);
    return Padded(set, 36);
}

std::string AnswerDots() {
    return Padded(std::string(Settings.CodeLength, '.'), 9);
}

std::string MaxSignsValues() {
    return MaxSignsText(MaxSigns) + "   " + "    ";
}

const char* ComputerText() {
    return InGerman() ? "*** Der Computer ***           " : "*** The computer ***           ";
}

std::string NameText(const char* field) {
    if (field[1] == ' ') return std::string(NameWidth, ' ');
    return std::string(field + 1, NameWidth);
}

std::string PlayerText(bool computer, const char* field) {
    return computer ? ComputerText() : NameText(field);
}

void WriteRow(const std::string& text) {
    WriteText(text);
    WriteLine();
}

void DrawGerman() {
    const SettingsRecord& s = Settings;
    WriteRow(Framed(" 2 - 9  Zeichen mit/ohne Wiederholungsm" UML_OE "glichkeit."));
    WriteRow(Framed(" Zur Verf" UML_UE "gung stehender Zeichensatz: a,..,z,0,..,9."));
    WriteRow(Framed(" Der Computer kann h" UML_OE "chstens folgende Codes erraten:"));
    WriteRow(Framed(std::string(" L" UML_AE "nge des Codes        ") + " " + ":" +
                    "       2    3    4    5    6    7    8    9       "));
    WriteRow(
        Framed(std::string(" Gr" UML_OE UML_SZ "e des Zeichensatzes:      ") + MaxSignsValues()));
    WriteRow(Framed(Underscores(77)));
    WriteRow(std::string("| Gew" UML_UE "nschte Spielbedingungen:    | Zeitbegrenzung (nur f" UML_UE
                         "r den PC):") +
             static_cast<char>('0' + s.TimeLimitTens) + "0 Sek. " + "|");
    WriteRow(Framed(Underscores(34) + "|" + " (00 Sek. bedeutet keine Zeitbegrenzung.) "));
    WriteRow(Framed(LeftPanel(" Ton              :         " + YesNo(s.SoundOn))));
    WriteRow(Framed(LeftPanel(std::string(" Kleinstes Zeichen:         ") + s.FirstSign) +
                    " Soll der PC raten? " + YesNo(s.ComputerGuesses)));
    WriteRow(Framed(LeftPanel(std::string(" Gr" UML_OE UML_SZ "tes "
                                          "Zeichen:         ") +
                              s.LastSign)));
    WriteRow(Framed(" Zeichensatz      :         " + SignSetText()));
    WriteRow(Framed(std::string(" L" UML_AE "nge des Codes "
                                ":         ") +
                    static_cast<char>('0' + s.CodeLength) + "     " + "_" + Underscores(42)));
    WriteRow(Framed(LeftPanel(" Wiederholung von Zeichen?  " + YesNo(s.RepetitionsAllowed)) +
                    " Soll der PC eine L" UML_OE "sung vorgeben? " + YesNo(s.ComputerEncodes)));
    WriteRow(Framed(LeftPanel(" Sind Leerzeichen erlaubt?  " + YesNo(s.VacantAllowed)) +
                    " L" UML_OE "sung " + AnswerDots()));
    WriteRow(Framed(LeftPanel(" Ist die L" UML_OE "sung fest?      " + YesNo(s.AnswerFixed))));
    WriteRow(Framed(Underscores(34) + "|" + " Bitte w" UML_AE "hlen Sie (1, 2, 3 oder 4): 1.   "));
    WriteRow(Framed(" 1.: Spiel zu diesen Bed. -  2.: Revanche -  3.: Bed. " UML_AE
                    "ndern -  4.: Ende.   "));
    WriteRow(Framed(Underscores(77)));
    WriteRow(
        Framed(" 1. Spieler,"
               "denkt sich R" UML_AE "tsel aus: " +
               PlayerText(s.ComputerEncodes != 0, s.EncoderName) + " O.K.? Ja."));
    WriteRow(
        Framed(" 2. Spieler,"
               "knackt den Code      "
               " "
               ": " +
               PlayerText(s.ComputerGuesses != 0, s.BreakerName) + " O.K.? Ja."));
}

void DrawEnglish() {
    const SettingsRecord& s = Settings;
    WriteRow(Framed(" 2 - 9  signs with/without the possibility of repetitions."));
    WriteRow(Framed(" You can choose from the following signs: a,..,z,0,..,9."));
    WriteRow(Framed(" The computer at most can guess one of the following codes:"));
    WriteRow(Framed(" Length of the code          :    2    3    4    5    6    7    8    9"));
    WriteRow(Framed(" Max. number of allowed signs:   " + MaxSignsValues()));
    WriteRow(Framed(Underscores(77)));
    WriteRow(Framed(std::string(" Please choose now:               ") + "|" +
                    " Timelimit (only for computer): " + static_cast<char>('0' + s.TimeLimitTens) +
                    "0 sec.   "));
    WriteRow(Framed(Underscores(34) + "|" + " (00 sec. means no timelimit.)            "));
    WriteRow(Framed(LeftPanel(" Sound             :        " + YesNo(s.SoundOn))));
    WriteRow(Framed(LeftPanel(std::string(" First sign        :        ") + s.FirstSign) +
                    " Shall the computer guess? " + YesNo(s.ComputerGuesses)));
    WriteRow(Framed(LeftPanel(std::string(" Last  sign        :        ") + s.LastSign)));
    WriteRow(Framed(" Set of signs      :        " + SignSetText()));
    WriteRow(Framed(std::string(" Length of the code:        ") +
                    static_cast<char>('0' + s.CodeLength) + "     " + "_" + Underscores(42)));
    WriteRow(Framed(LeftPanel(" Repetitions of signs?      " + YesNo(s.RepetitionsAllowed)) +
                    " Shall the computer ask a riddle? " + YesNo(s.ComputerEncodes)));
    WriteRow(Framed(LeftPanel(" Are vacant signs allowed?  " + YesNo(s.VacantAllowed)) +
                    " Answer: " + AnswerDots()));
    WriteRow(Framed(LeftPanel(" Is the answer fixed?       " + YesNo(s.AnswerFixed))));
    WriteRow(Framed(Underscores(34) + "|" + " Please choose now (1, 2, 3 or 4):  1.    "));
    WriteRow(
        Framed(" 1: Game on these conditions -  2: Rematch -  3: Change conditons -  4: End. "));
    WriteRow(Framed(Underscores(77)));
    WriteRow(Framed(" 1st player,who devises the riddle: " +
                    PlayerText(s.ComputerEncodes != 0, s.EncoderName) + " O.K.? Yes"));
    WriteRow(Framed(" 2nd player,who cracks the code   : " +
                    PlayerText(s.ComputerGuesses != 0, s.BreakerName) + " O.K.? Yes"));
}

}  // namespace

int TimeLimitColumn() {
    return InGerman() ? 71 : 69;
}
int ComputerGuessesColumn() {
    return InGerman() ? 57 : 64;
}
int ComputerEncodesColumn() {
    return InGerman() ? 73 : 71;
}
int PromptColumn() {
    return InGerman() ? 74 : 73;
}

const char* YesNoText(bool yes) {
    if (InGerman()) return yes ? "Ja.  " : "Nein.";
    return yes ? "Yes. " : "No.  ";
}

void ConditionsScreen() {
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    for (int length = 2; length <= MaxCodeLength; ++length)
        ShownMaxSigns[length] = MaxSigns[length];

    WriteRow(Underscores(79));
    WriteText("|" + std::string(31, ' ') + "Zamikovantorel" + std::string(22, ' ') + "| ");
    SetTextAttr(HighlightAttributeInUse);
    WriteText(MemoryLabel(MemoryLevelInUse));
    SetTextAttr(NormalAttributeInUse);
    WriteRow(" |");
    WriteRow("|" + std::string(29, ' ') + std::string(18, '*') + std::string(20, ' ') + "|" +
             Underscores(9) + "|");
    if (InGerman()) {
        DrawGerman();
    } else {
        DrawEnglish();
    }
    WriteText(Framed(Underscores(77)));
}

void ShowYesNo(int column, int row, bool yes) {
    WriteAt(column, row, YesNoText(yes));
}

void ShowMaxSignsRow() {
    WriteAt(MaxSignsColumn, MaxSignsRow, MaxSignsText(ShownMaxSigns));
}

void ShowAnswerFixedValue() {
    ShowYesNo(ValueColumn, AnswerFixedRow, Settings.AnswerFixed != 0);
}

void ShowComputerGuessesValue() {
    ShowYesNo(ComputerGuessesColumn(), ComputerGuessesRow, Settings.ComputerGuesses != 0);
}

void ShowName(int row, const char* field) {
    WriteAt(NameColumn, row, std::string(field + 1, NameWidth));
}

void ShowComputerText(int row) {
    WriteAt(NameColumn, row, ComputerText());
}

void ShowEncoderRow() {
    WriteAt(NameColumn, EncoderRow,
            PlayerText(Settings.ComputerEncodes != 0, Settings.EncoderName));
}

void ShowBreakerRow() {
    WriteAt(NameColumn, BreakerRow,
            PlayerText(Settings.ComputerGuesses != 0, Settings.BreakerName));
}

void ShowAnswerDots() {
    WriteAt(AnswerColumn, AnswerRow, AnswerDots());
}

void ShowSignSet() {
    WriteAt(ValueColumn, SignSetRow, SignSetText());
}
