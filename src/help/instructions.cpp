// The operating instructions in German and English: eighteen rows of marked text above the
// main menu.
#include "help/instructions.h"

#include "help/marked_text.h"
#include "shell/language.h"

namespace {

const char* const kEnglish[InstructionRows] = {
    "                            {Operating instructions:}",
    "",
    " - All input is made with the keyboard; every consistent command acts at once,",
    "   without {CR}/{Enter}.",
    " - {Esc} (\"{Escape}\") leaves a screen or breaks a game off. {9} in the menu, {Esc} on",
    "   the language screen or {Ctrl C} in the menu ends the program.",
    " - {Backspace} (\"{<--}\", \"{Ctrl H}\") and {PgUp} show the previous page of a text,",
    "   any other key shows the next page.",
    " - {Digit} and {letter} keys select, enter and change values (on the number pad,",
    "   mind the {Num} key).",
    " - {CR}/{Enter} accepts a proposed value and goes on.",
    " - {Backspace} and {del} correct while guessing.",
    " - The function key {F4} makes the computer end its guessing soon.",
    " - The {cursor keys} move within the code while guessing.",
    " - The {space bar} or {*} stands for the vacant sign when it is allowed.",
    "",
    "",
    "",
};

const char* const kGerman[InstructionRows] = {
    "                             {Bedienungsanleitung:}",
    "",
    " - Alle Eingaben erfolgen " UML_UE "ber die Tastatur; jeder schl" UML_UE "ssige Befehl wirkt",
    "   sofort, ohne {CR}/{Enter}.",
    " - {Esc} (\"{Escape}\") verl" UML_AE "sst einen Bildschirm oder bricht ein Spiel ab.",
    "   {9} im Men" UML_UE ", {Esc} in der Sprachwahl oder {Strg C} im Men" UML_UE
    " beendet das Programm.",
    " - {Backspace} (\"{<--}\", \"{Strg H}\") und {PgUp} zeigen die vorige Seite eines",
    "   Textes, jede andere Taste die n" UML_AE "chste Seite.",
    " - {Ziffern}- und {Buchstaben}tasten w" UML_AE "hlen aus, geben ein und " UML_AE "ndern",
    "   (auf dem Ziffernblock die Taste {Num} beachten).",
    " - {CR}/{Enter} " UML_UE "bernimmt einen vorgeschlagenen Wert und geht weiter.",
    " - {Backspace} und {del} korrigieren beim Raten.",
    " - Die Funktionstaste {F4} veranlasst den Computer, sein Raten bald zu beenden.",
    " - Die {Cursortasten} bewegen beim Raten die Schreibmarke innerhalb des Codes.",
    " - Die {Leertaste} oder {*} steht f" UML_UE "r das Leerzeichen, wenn es erlaubt ist.",
    "",
    "",
    "",
};

}  // namespace

void WriteOperatingInstructions() {
    const char* const* lines = InGerman() ? kGerman : kEnglish;
    for (int i = 0; i < InstructionRows; ++i) WriteMarkedLine(lines[i]);
}
