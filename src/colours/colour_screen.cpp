// The colour screen: the colour table on the left, the instruction panel on the right, and the
// rules by which a key changes the pair of attributes (a colour display refuses a background
// equal to a text colour; a monochrome one repairs what would become invisible).
#include "colours/colour_screen.h"

#include <string>

#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

constexpr uint8_t kTableAttribute = 0x07;  // the screen and the table: light grey on black
constexpr int kPanelColumn = 41;
constexpr int kPanelTop = 3;
constexpr int kPanelWidth = 38;  // between the frame bars at columns 41 and 80

// Panel rows 4 to 22; the {marked} phrases are shown in the highlight attribute.
const char* const kGermanPanel[19] = {
    " Bitte w" UML_AE "hlen Sie eine gut lesbare",
    " Kombination aus Hintergrundfarbe,",
    " Standard-Textfarbe und",
    " {hervorgehobener Textfarbe}.",
    "",
    " Die Ziffern w" UML_AE "hlen den Hintergrund,",
    " die Buchstaben die Textfarbe: kleine",
    " Buchstaben f" UML_UE "r Standardtext, {Gro" UML_SZ "-}",
    " {buchstaben f" UML_UE "r hervorgehobenen Text}.",
    " Jede " UML_CAP_AE "nderung wirkt sofort.",
    "",
    " Beispiel: Dieser Text steht in der",
    " Standard-Textfarbe,",
    " {dieser in hervorgehobener Textfarbe}.",
    "",
    " Passen Ihnen die Farben, so beenden",
    " Sie mit der Taste \"CR\"/\"ENTER\".",
    "",
    "",
};

const char* const kEnglishPanel[19] = {
    " Please choose an easily readable",
    " combination of background colour,",
    " standard text colour and colour for",
    " {emphasized text}.",
    "",
    " The numerals choose the background,",
    " the letters the colour of the text:",
    " small letters for standard text and",
    " {capital letters for emphasized text}.",
    " Every change takes effect at once.",
    "",
    " Example: This text is written in the",
    " standard textcolour, and",
    " {this text with emphasized textcolour}.",
    "",
    " When the colours suit you, finish",
    " with the 'CR'/'ENTER' - key.",
    "",
    "",
};

// The swatch colour of each row of the colour table; the letter of row i is 'a' + i.
constexpr uint8_t kRowColour[16] = {0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};

uint8_t Background(uint8_t attribute) {
    return static_cast<uint8_t>(attribute >> 4);
}
uint8_t Foreground(uint8_t attribute) {
    return static_cast<uint8_t>(attribute & 0x0F);
}

size_t VisibleLength(const char* text) {
    size_t length = 0;
    for (const char* c = text; *c != '\0'; ++c)
        if (*c != '{' && *c != '}') ++length;
    return length;
}

// Writes one panel row from column 41: the pieces of the chosen part, passing over the others.
void DrawPanelRow(int row, const std::string& text, PanelPart part) {
    int column = kPanelColumn;
    bool marked = false;
    std::string run;
    int runColumn = column;
    auto flush = [&]() {
        bool wanted = marked ? part != PanelPart::StandardOnly : part != PanelPart::MarkedOnly;
        if (wanted && !run.empty()) {
            SetTextAttr(marked ? HighlightAttributeInUse : NormalAttributeInUse);
            WriteAt(runColumn, row, run);
        }
        run.clear();
        runColumn = column;
    };
    for (char c : text) {
        if (c == '{' || c == '}') {
            flush();
            marked = c == '{';
            continue;
        }
        run.push_back(c);
        ++column;
    }
    flush();
    SetTextAttr(NormalAttributeInUse);
}

}  // namespace

void DrawColourPanel(PanelPart part) {
    const char* const* lines = InGerman() ? kGermanPanel : kEnglishPanel;
    DrawPanelRow(kPanelTop, " " + std::string(kPanelWidth, '_') + " ", part);
    for (int i = 0; i < 19; ++i) {
        std::string inner = lines[i];
        inner.append(kPanelWidth - VisibleLength(lines[i]), ' ');
        DrawPanelRow(kPanelTop + 1 + i, "|" + inner + "|", part);
    }
    DrawPanelRow(kPanelTop + 20, "|" + std::string(kPanelWidth, '_') + "|", part);
    SetTextAttr(NormalAttributeInUse);
    GotoXY(1, 25);
}

namespace {

std::string TableRow(const std::string& digit, const std::string& swatch,
                     const std::string& letters) {
    return "|" + digit + "|" + swatch + "|" + letters + "|";
}

void DrawTableRow(int row, char digit, uint8_t swatchColour, bool swatch, const char* letters) {
    SetTextAttr(kTableAttribute);
    std::string digitCell(11, ' ');
    if (digit != ' ') digitCell[5] = digit;
    WriteAt(1, row, "|" + digitCell + "|");
    SetTextAttr(swatchColour);
    WriteText(swatch ? std::string(14, '*') : std::string(14, ' '));
    SetTextAttr(kTableAttribute);
    WriteText(std::string("|") + letters + "|");
}

void DrawTable(bool colourDisplay) {
    SetTextAttr(kTableAttribute);
    const bool german = InGerman();
    int row = colourDisplay ? 3 : 9;
    WriteAt(1, row++, " " + std::string(38, '_') + " ");
    if (german) {
        WriteAt(1, row++, TableRow("Ziffer f" UML_UE "r", "  gew" UML_UE "nschte ", " Buchstabe "));
        WriteAt(1, row++, TableRow("Hintergrund", "    Farbe     ", " f" UML_UE "r Text "));
    } else {
        WriteAt(1, row++, TableRow("numeral for", "    choosen   ", "  letter   "));
        WriteAt(1, row++, TableRow("background ", "    colour    ", " for text  "));
    }
    const std::string separator =
        TableRow(std::string(11, '_'), std::string(14, '_'), std::string(11, '_'));
    WriteAt(1, row++, separator);
    if (colourDisplay) {
        for (int i = 0; i < 16; ++i) {
            char digit = i % 2 == 0 ? static_cast<char>('1' + i / 2) : ' ';
            std::string letters = "  ";
            letters += static_cast<char>('a' + i);
            letters += '/';
            letters += static_cast<char>('A' + i);
            letters += "      ";
            DrawTableRow(row++, digit, kRowColour[i], i != 0, letters.c_str());
        }
    } else {
        DrawTableRow(row++, '1', 0x00, false, "  a/A      ");
        DrawTableRow(row++, '2', 0x07, true, "  b/B      ");
        DrawTableRow(row++, ' ', 0x0F, true, "  c/C      ");
    }
    SetTextAttr(kTableAttribute);
    WriteAt(1, row, separator);
}

// A monochrome display knows only light grey or white on black, and black or white on light
// grey: a background change repairs what would become invisible.
void RepairMonochrome(uint8_t& normal, uint8_t& highlight) {
    if (normal == 0 && highlight == 0) {
        normal = 7;
        highlight = 7;
    }
    if (normal == 0) normal = highlight == 7 ? 15 : 7;
    if (highlight == 0) highlight = normal == 7 ? 15 : 7;
    if (normal == 0x77 && highlight == 0x77) {
        normal = 0x70;
        highlight = 0x70;
    }
    if (normal == 0x77) normal = highlight == 0x70 ? 0x7F : 0x70;
    if (highlight == 0x77) highlight = normal == 0x70 ? 0x7F : 0x70;
}

}  // namespace

int ColourOfKey(uint8_t key, bool colourDisplay) {
    if (colourDisplay) {
        if (key >= '1' && key <= '8') return key - '1';
        if (key >= 'a' && key <= 'p') return kRowColour[key - 'a'];
        if (key >= 'A' && key <= 'P') return kRowColour[key - 'A'];
        return -1;
    }
    switch (key) {
        case '1':
        case 'a':
        case 'A':
            return 0;
        case '2':
        case 'b':
        case 'B':
            return 7;
        case 'c':
        case 'C':
            return 15;
        default:
            return -1;
    }
}

bool ApplyColourKey(uint8_t key, bool colourDisplay, uint8_t& normal, uint8_t& highlight) {
    int colour = ColourOfKey(key, colourDisplay);
    if (colour < 0) return false;
    const uint8_t background = Background(normal);
    if (key >= '0' && key <= '9') {
        if (colour == background) return false;
        if (colourDisplay && (colour == Foreground(normal) || colour == Foreground(highlight)))
            return false;
        normal = static_cast<uint8_t>(colour * 16 + Foreground(normal));
        highlight = static_cast<uint8_t>(colour * 16 + Foreground(highlight));
        if (!colourDisplay) RepairMonochrome(normal, highlight);
        return true;
    }
    uint8_t& target = (key >= 'A' && key <= 'Z') ? highlight : normal;
    if (colour == Background(target) || colour == Foreground(target)) return false;
    target = static_cast<uint8_t>(Background(target) * 16 + colour);
    return true;
}

void ColourScreen() {
    const bool colourDisplay = ColourDisplayFlag;
    SetTextAttr(kTableAttribute);
    ClearScreen();
    DrawTable(colourDisplay);
    DrawColourPanel(PanelPart::All);
    for (;;) {
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyEnter || key == KeyEsc || key == KeyCtrlC) break;
        if (key == KeyExtended) continue;
        if (!ApplyColourKey(key, colourDisplay, NormalAttributeInUse, HighlightAttributeInUse))
            continue;
        if (key >= '0' && key <= '9') {
            DrawColourPanel(PanelPart::All);
        } else if (key >= 'a' && key <= 'z') {
            DrawColourPanel(PanelPart::StandardOnly);
        } else {
            DrawColourPanel(PanelPart::MarkedOnly);
        }
    }
    SetTextAttr(NormalAttributeInUse);
}
