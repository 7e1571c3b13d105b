// The texts of the rules, short (one page) and detailed (four pages), in German and English,
// made into pages for the pager, and the information line of the language screen.
#include "help/rules_pages.h"

#include "shell/console/console.h"
#include "shell/language.h"

namespace {

// ---- Short rules ------------------------------------------------------------------------------

const char* const kShortGerman[] = {
    "                            {***  Spielregeln !  ***}",
    "",
    " Zamikovantorel ist ein Spiel f" UML_UE "r zwei Spieler, in dem ein geheimer Code zu",
    " knacken ist. Spieler 1 denkt sich den Code aus, Spieler 2 versucht ihn mit",
    " m" UML_OE "glichst wenigen Versuchen zu finden. Jeder Versuch wird mit zwei Zahlen",
    " beantwortet: {P} z" UML_AE "hlt die Stellen, an denen Versuch und Code " UML_UE
    "bereinstimmen,",
    " {Z} die weiteren Zeichen, die in beiden vorkommen, aber an anderen Stellen.",
    " Beispiel: Code abc, Versuch acd: P = 1 (das a), Z = 1 (das c).",
    " Der Code ist geknackt, sobald P gleich der L" UML_AE "nge des Codes ist.",
    "",
    " Der Computer kann jede der beiden Rollen " UML_UE "bernehmen, ein Spiel zweier",
    " Menschen leiten oder gegen sich selbst spielen. Dauert seine Suche zu lange,",
    " so bricht {Esc} sie ab; {F4} k" UML_UE "rzt sie ab und l" UML_AE
    "sst ihn sofort entscheiden.",
    "",
    " Vor jedem Spiel legen Sie die Bedingungen fest:",
    " - die erlaubten Zeichen (Ziffern und Buchstaben) und die L" UML_AE "nge des Codes,",
    " - ob ein Zeichen im Code mehrfach vorkommen darf (Wiederholungen),",
    " - ob Versuche das Leerzeichen enthalten d" UML_UE "rfen, eingegeben als Leertaste",
    "   oder {*}; es stimmt mit keinem Zeichen des Codes " UML_UE "berein. Beispiel: Code",
    "   abc, Versuch a*b: eine richtige Stelle (das a) und ein Zeichen an anderer",
    "   Stelle (das b): P = 1, Z = 1.",
    " - einen festen oder einen variablen Antwortcode: beim variablen darf Spieler 1",
    "   den Code im Rahmen der schon gegebenen Antworten " UML_AE "ndern; das macht das",
    "   R" UML_AE "tsel schwerer.",
    " Zur" UML_UE "ck ins Men" UML_UE ": {Esc} oder eine andere Taste.",
};

const char* const kShortEnglish[] = {
    "                         {***  Rules of the game !  ***}",
    "",
    " Zamikovantorel is a game of code breaking for two players. Player 1 thinks up",
    " a secret code, player 2 tries to find it with as few trials as possible.",
    " Every trial is answered with two numbers: {P} counts the places in which trial",
    " and code agree, {S} the further signs that occur in both, but at other places.",
    " Example: code abc, trial acd: P = 1 (the a), S = 1 (the c).",
    " The code is broken as soon as P equals the length of the code.",
    "",
    " The computer can take either role, lead a match between two people, or play",
    " against itself. When its search takes too long, {Esc} breaks it off, and {F4}",
    " cuts it short and makes the computer decide at once.",
    "",
    " Before every match you choose the conditions:",
    " - the allowed signs (digits and letters) and the length of the code,",
    " - whether a sign may occur in the code more than once (repetitions),",
    " - whether trials may hold the vacant sign, typed as space or {*}; it agrees",
    "   with no sign of the code. Example: code abc, trial a*b: one right place",
    "   (the a) and one sign at another place (the b): P = 1, S = 1.",
    " - a fixed or a variable answer code: with a variable code player 1 may change",
    "   the code within the bounds of the answers already given, which makes the",
    "   riddle harder.",
    "",
    " Back to the menu: {Esc} or any other key.",
};

// ---- Detailed rules, German -------------------------------------------------------------------

const char* const kDetailedGerman1[] = {
    "               {Zamikovantorel - das Spiel vom Knacken eines Codes}",
    "",
    " {Das klassische Spiel}",
    "",
    " Das klassische Spiel wird von zwei Spielern mit Papier und Bleistift gespielt.",
    " Spieler 1 schreibt einen geheimen Code aus vier verschiedenen Ziffern auf und",
    " h" UML_AE "lt ihn verdeckt. Spieler 2 nennt einen Versuch aus vier Ziffern, und",
    " Spieler 1 beantwortet ihn mit zwei Zahlen:",
    "  {P}: die Zahl der Ziffern des Versuchs, die an derselben Stelle stehen wie im",
    "     Code,",
    "  {Z}: die Zahl der weiteren Ziffern des Versuchs, die im Code an einer anderen",
    "     Stelle vorkommen.",
    " Versuch um Versuch grenzt Spieler 2 die m" UML_OE "glichen Codes ein, bis ein Versuch",
    " mit P = 4 beantwortet wird. Dann werden die Rollen getauscht; wer weniger",
    " Versuche gebraucht hat, gewinnt.",
    "",
    " {Beispiel:}   geheimer Code   2 9 3 4",
    "             Versuch         2 4 7 3",
    "",
    " Die beiden Codes stimmen nur an der ersten Stelle " UML_UE "berein, in der 2: P = 1.",
    " Die Ziffern 4 und 3 kommen in beiden Codes vor, aber an anderen Stellen:",
    " Z = 1 + 1 = 2. Die 7 steht nicht im Code, und die 9 wurde nicht versucht:",
    " sie z" UML_AE "hlen nicht.",
    "",
    " Seite 1 von 4.   Weiter: {PgDn} oder eine andere Taste.   Men" UML_UE ": {Esc}.",
};

const char* const kDetailedGerman2[] = {
    "             {Die vorliegende wesentlich erweiterte Computerversion:}",
    "",
    " Ein Spiel verl" UML_AE "uft wie das klassische Spiel. Der Computer kann den Code",
    " stellen oder knacken, oder er leitet ein Spiel zweier Menschen und beantwortet",
    " als Schiedsrichter ihre Versuche; er kann sogar gegen sich selbst spielen.",
    "",
    " {Unterschiede zum Originalspiel:}",
    " - Die Zeichen: Buchstaben und Ziffern stehen in einem Ring, a bis z, dann 0",
    "   bis 9 und dann wieder a. Sie schneiden ein zusammenh" UML_AE "ngendes St" UML_UE
    "ck aus dem",
    "   Ring heraus, indem Sie das erste und das letzte Zeichen w" UML_AE "hlen; erstes",
    "   Zeichen y und letztes Zeichen b zum Beispiel ergeben y, z, 0 bis 9, a, b.",
    " - Der Code ist 2 bis 9 Zeichen lang.",
    " - Ein Zeichen darf mehrfach im Code vorkommen, wenn Sie Wiederholungen",
    "   erlauben.",
    " - Versuche d" UML_UE "rfen das Leerzeichen enthalten, wenn Sie es erlauben: Es wird",
    "   als Leertaste oder {*} eingegeben, als {*} gezeigt und stimmt mit keinem",
    "   Zeichen des Codes " UML_UE "berein. (W" UML_AE "hrend ein Versuch getippt wird, zeigt",
    "   ein Punkt {.} eine noch leere Stelle.)",
    "   Beispiel: Code acab, Versuch *a*b: das b steht an seiner Stelle, und das a",
    "   kommt im Code an anderer Stelle vor: P = 1, Z = 1.",
    " - Der Antwortcode kann fest sein wie im klassischen Spiel, oder variabel",
    "   (siehe die n" UML_AE "chste Seite).",
    "",
    "",
    " Seite 2 von 4.  Weiter: {PgDn}, andere Taste.  Zur" UML_UE "ck: {PgUp}, {<--}.  Men" UML_UE
    ": {Esc}.",
};

const char* const kDetailedGerman3[] = {
    "                        {Fester und variabler Antwortcode}",
    "",
    " Bei {festem} Antwortcode legt Spieler 1 den Code vor dem ersten Versuch fest",
    " und beantwortet jeden Versuch danach. Bei {variablem} Antwortcode steht kein",
    " Code fest: Jede Antwort muss nur zu allen fr" UML_UE "heren Antworten passen, und",
    " Spieler 1 darf jedes Mal die Antwort w" UML_AE "hlen, die die meisten Codes offen",
    " l" UML_AE "sst. Das tut der Computer als Codegeber; so wird das R" UML_AE "tsel schwerer.",
    "",
    " {Beispiel:} Zeichen a und b, Code mit 2 Zeichen, Wiederholungen erlaubt. Es",
    " gibt vier m" UML_OE "gliche Codes: aa, ab, ba und bb. Der Ratende versucht ba; die",
    " vier Codes beantworten diesen Versuch so:",
    "      aa: P 1, Z 0      ab: P 0, Z 2      ba: P 2, Z 0      bb: P 1, Z 0",
    " Der Codegeber hat also nur drei m" UML_OE "gliche Antworten:",
    " - P 2, Z 0: Der Code ist ba; schon der erste Versuch hat ihn geknackt.",
    " - P 0, Z 2: Nur ab bleibt " UML_UE "brig; der zweite Versuch knackt ihn.",
    " - P 1, Z 0: aa und bb bleiben beide m" UML_OE "glich. Ein variabler Codegeber",
    "   gibt diese Antwort.",
    " Versucht der Ratende danach aa, so antwortet der variable Codegeber P 0, Z 0",
    " statt P 2, Z 0 und beh" UML_AE "lt bb als Code; erst der dritte Versuch, bb, knackt",
    " ihn. Bei festem Code aa h" UML_AE "tte schon der zweite Versuch gewonnen.",
    "",
    "",
    "",
    "",
    " Seite 3 von 4.  Weiter: {PgDn}, andere Taste.  Zur" UML_UE "ck: {PgUp}, {<--}.  Men" UML_UE
    ": {Esc}.",
};

const char* const kDetailedGerman4[] = {
    "                   {Hier das Spiel noch einmal im " UML_CAP_UE "berblick:}",
    "",
    " Zeichen 0 bis 9, Code mit 4 Zeichen, ohne Wiederholungen; der geheime Code",
    " ist 6173.",
    "",
    "       {Nr.  Code  P  Z}",
    "         1  0123  2  0",
    "         2  4567  0  2",
    "         3  0145  1  0",
    "         4  0673  2  1",
    "         5  6173  4  0",
    "",
    " Bemerkungen:",
    " Versuch 1: Zwei der Zeichen 0, 1, 2, 3 stehen im Code, beide an ihrer Stelle.",
    " Versuch 2: Zwei der Zeichen 4, 5, 6, 7 stehen im Code, aber an anderen",
    "            Stellen. Also hat der Code zwei Zeichen aus jeder Gruppe, und 8",
    "            und 9 kommen nicht vor.",
    " Versuch 3: Nur eines der Zeichen 0, 1, 4, 5 steht im Code, an seiner Stelle.",
    "            Zu allen drei Antworten passen nur noch 0673, 0726, 6173 und 7126.",
    " Versuch 4: Diese vier Codes beantworten 0673 alle verschieden; die Antwort",
    "            P 2, Z 1 l" UML_AE "sst nur 6173 " UML_UE "brig.",
    " Versuch 5: Der Code ist mit dem f" UML_UE "nften Versuch geknackt.",
    "",
    "",
    " Seite 4 von 4.   Zur" UML_UE "ck: {PgUp} oder {<--}.   Men" UML_UE
    ": {Esc} oder eine andere Taste.",
};

// ---- Detailed rules, English ------------------------------------------------------------------

const char* const kDetailedEnglish1[] = {
    "                  {Zamikovantorel - the game of breaking a code}",
    "",
    " {The classic game}",
    "",
    " The classic game is played by two players with pencil and paper. Player 1",
    " writes down a secret code of four different digits and keeps it hidden.",
    " Player 2 names a trial of four digits, and player 1 answers it with two",
    " numbers:",
    "  {P}: the number of digits of the trial that stand in the same place as in",
    "     the code,",
    "  {S}: the number of further digits of the trial that occur in the code, but",
    "     at another place.",
    " Trial by trial, player 2 narrows the possible codes down until a trial is",
    " answered with P = 4. Then the roles change; whoever needed fewer trials wins.",
    "",
    " {Example:}   secret code   2 9 3 4",
    "            trial         2 4 7 3",
    "",
    " The two codes agree only in the first place, the 2: P = 1.",
    " The digits 4 and 3 occur in both codes, but at other places: S = 1 + 1 = 2.",
    " The 7 is not in the code, and the 9 was not tried: they do not count.",
    "",
    "",
    "",
    " Page 1 of 4.   Next: {PgDn} or any other key.   Menu: {Esc}.",
};

const char* const kDetailedEnglish2[] = {
    "              {The present fundamentally improved computerversion:}",
    "",
    " A match runs as in the classic game. The computer can set the code or break",
    " it, or it leads a match between two people and answers their trials as a",
    " referee; it can even play against itself.",
    "",
    " {Differences to the original game:}",
    " - The signs: letters and digits stand in a ring, a to z, then 0 to 9, and",
    "   then a again. You cut a contiguous part out of the ring by choosing the",
    "   first and the last sign; first sign y and last sign b, for example, give",
    "   the signs y, z, 0 to 9, a, b.",
    " - The code is 2 to 9 signs long.",
    " - A sign may occur in the code more than once, if you allow repetitions.",
    " - Trials may hold the vacant sign, if you allow it: it is typed as space or",
    "   {*}, shown as {*}, and agrees with no sign of the code. (While a trial is",
    "   being typed, a dot {.} shows a position that is still empty.)",
    "   Example: code acab, trial *a*b: the b stands in its place, and the a occurs",
    "   in the code at another place: P = 1, S = 1.",
    " - The answer code can be fixed, as in the classic game, or variable (see the",
    "   next page).",
    "",
    "",
    "",
    "",
    " Page 2 of 4.   Next: {PgDn} or any other key.   Back: {PgUp}, {<--}.   Menu: {Esc}.",
};

const char* const kDetailedEnglish3[] = {
    "                         {Fixed and variable answer code}",
    "",
    " With a {fixed} answer code player 1 settles the code before the first trial",
    " and answers every trial against it. With a {variable} answer code no code is",
    " settled: every answer only has to agree with all earlier answers, and the",
    " encoder may choose, each time, the answer that leaves the most codes open.",
    " The computer as encoder does just that, and so the riddle becomes harder.",
    "",
    " {Example:} signs a and b, code length 2, repetitions allowed. Four codes are",
    " possible: aa, ab, ba and bb. The codebreaker tries ba; the four codes would",
    " answer this trial so:",
    "      aa: P 1, S 0      ab: P 0, S 2      ba: P 2, S 0      bb: P 1, S 0",
    " So the encoder has only three possible answers:",
    " - P 2, S 0: the code is ba; the first trial has broken it.",
    " - P 0, S 2: only ab is left; the second trial breaks it.",
    " - P 1, S 0: aa and bb are both still possible. A variable encoder gives",
    "   this answer.",
    " If the codebreaker then tries aa, the variable encoder answers P 0, S 0",
    " rather than P 2, S 0 and keeps bb as the code; only the third trial, bb,",
    " breaks it. With the fixed code aa the second trial would have won.",
    "",
    "",
    "",
    "",
    " Page 3 of 4.   Next: {PgDn} or any other key.   Back: {PgUp}, {<--}.   Menu: {Esc}.",
};

const char* const kDetailedEnglish4[] = {
    "                         {Here is a review of the game:}",
    "",
    " Signs 0 to 9, code length 4, no repetitions; the secret code is 6173.",
    "",
    "       {No.  Code  P  S}",
    "         1  0123  2  0",
    "         2  4567  0  2",
    "         3  0145  1  0",
    "         4  0673  2  1",
    "         5  6173  4  0",
    "",
    " Remarks:",
    " Trial 1: two of the signs 0, 1, 2, 3 are in the code, both in their places.",
    " Trial 2: two of the signs 4, 5, 6, 7 are in the code, but at other places.",
    "          So the code has two signs of each group, and 8 and 9 are not in it.",
    " Trial 3: only one of the signs 0, 1, 4, 5 is in the code, in its place.",
    "          Only 0673, 0726, 6173 and 7126 still agree with all three answers.",
    " Trial 4: these four codes would all answer 0673 differently; the answer",
    "          P 2, S 1 leaves only 6173.",
    " Trial 5: the code is broken with the fifth trial.",
    "",
    "",
    "",
    "",
    " Page 4 of 4.   Back: {PgUp} or {<--}.   Menu: {Esc} or any other key.",
};

template <size_t N>
constexpr HelpPage Page(const char* const (&rows)[N]) {
    return HelpPage{rows, static_cast<int>(N)};
}

const HelpPage kShortGermanPages[] = {Page(kShortGerman)};
const HelpPage kShortEnglishPages[] = {Page(kShortEnglish)};
const HelpPage kDetailedGermanPages[] = {Page(kDetailedGerman1), Page(kDetailedGerman2),
                                         Page(kDetailedGerman3), Page(kDetailedGerman4)};
const HelpPage kDetailedEnglishPages[] = {Page(kDetailedEnglish1), Page(kDetailedEnglish2),
                                          Page(kDetailedEnglish3), Page(kDetailedEnglish4)};

}  // namespace

HelpText ShortRulesText(bool german) {
    return german ? HelpText{kShortGermanPages, 1} : HelpText{kShortEnglishPages, 1};
}

HelpText DetailedRulesText(bool german) {
    return german ? HelpText{kDetailedGermanPages, 4} : HelpText{kDetailedEnglishPages, 4};
}

void ShowShortRules() {
    HelpPager(ShortRulesText(InGerman()));
}

void ShowDetailedRules() {
    HelpPager(DetailedRulesText(InGerman()));
}

void WriteInformationBlock() {
    WriteLine(" Geschrieben in C++ und gebaut mit CMake / written in C++ and built with CMake.");
}
