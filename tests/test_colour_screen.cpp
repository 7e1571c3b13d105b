// The colour screen: its table, its panel, the keys it takes and refuses, and the saved pair.
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "colours/colour_screen.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class ColourScreenTest : public VirtualSession {
protected:
    static void Pair(uint8_t normal, uint8_t highlight) {
        NormalAttributeInUse = normal;
        HighlightAttributeInUse = highlight;
    }
    static ::testing::AssertionResult PairIs(uint8_t normal, uint8_t highlight) {
        if (NormalAttributeInUse == normal && HighlightAttributeInUse == highlight)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << std::hex << "pair " << int(NormalAttributeInUse)
                                             << "/" << int(HighlightAttributeInUse) << ", expected "
                                             << int(normal) << "/" << int(highlight);
    }
    // Runs the screen over the keys (then Enter).
    static void Keys(const std::string& keys) {
        VirtualQueueKeys(keys);
        VirtualQueueKey(KeyEnter);
        ColourScreen();
    }
    // The cell where a text stands in the panel (columns 41 to 80).
    static std::pair<int, int> FindInPanel(const std::string& text) {
        for (int row = 3; row <= 23; ++row) {
            size_t at = RowText(row, 41, 40).find(text);
            if (at != std::string::npos) return {41 + static_cast<int>(at), row};
        }
        return {0, 0};
    }
    static ::testing::AssertionResult PanelShows(const std::string& text, uint8_t attribute) {
        auto [column, row] = FindInPanel(text);
        if (column == 0)
            return ::testing::AssertionFailure() << "\"" << text << "\" not in the panel\n"
                                                 << ScreenDump();
        return ScreenHasIn(column, row, text, attribute);
    }
};

const uint8_t kRowColour[16] = {0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};

TEST_F(ColourScreenTest, ColourTable) {
    Language = LanguageKind::English;
    Keys("");
    EXPECT_TRUE(ScreenHasIn(1, 3, " " + std::string(38, '_') + " ", 0x07));
    EXPECT_TRUE(ScreenHasIn(1, 4, "|numeral for|    choosen   |  letter   |", 0x07));
    EXPECT_TRUE(ScreenHasIn(1, 5, "|background |    colour    | for text  |", 0x07));
    const std::string separator = "|___________|______________|___________|";
    EXPECT_TRUE(ScreenHasIn(1, 6, separator, 0x07));
    for (int i = 0; i < 16; ++i) {
        int row = 7 + i;
        std::string digit = i % 2 == 0 ? std::string(1, char('1' + i / 2)) : " ";
        std::string letters = std::string("  ") + char('a' + i) + "/" + char('A' + i) + "      ";
        EXPECT_TRUE(ScreenHasIn(1, row, "|     " + digit + "     |", 0x07));
        EXPECT_TRUE(ScreenHasIn(14, row, i == 0 ? std::string(14, ' ') : std::string(14, '*'),
                                kRowColour[i]));
        EXPECT_TRUE(ScreenHasIn(28, row, "|" + letters + "|", 0x07));
    }
    EXPECT_TRUE(ScreenHasIn(1, 23, separator, 0x07));
    EXPECT_TRUE(ScreenHas(1, 24, std::string(80, ' ')));

    Language = LanguageKind::German;
    Keys("");
    EXPECT_TRUE(ScreenHas(1, 4, "|Ziffer fuer|  gewuenschte | Buchstabe |"));
    EXPECT_TRUE(ScreenHas(1, 5, "|Hintergrund|    Farbe     | fuer Text |"));
}

TEST_F(ColourScreenTest, MonochromeTable) {
    ColourDisplayFlag = false;
    Pair(0x07, 0x0F);
    Language = LanguageKind::English;
    Keys("");
    for (int row = 1; row <= 8; ++row) EXPECT_TRUE(ScreenHas(1, row, std::string(40, ' ')));
    EXPECT_TRUE(ScreenHas(1, 9, " " + std::string(38, '_') + " "));
    EXPECT_TRUE(ScreenHas(1, 10, "|numeral for|    choosen   |  letter   |"));
    EXPECT_TRUE(ScreenHas(1, 13, "|     1     |              |  a/A      |"));
    EXPECT_TRUE(ScreenHasIn(14, 14, std::string(14, '*'), 0x07));
    EXPECT_TRUE(ScreenHas(1, 14, "|     2     |**************|  b/B      |"));
    EXPECT_TRUE(ScreenHasIn(14, 15, std::string(14, '*'), 0x0F));
    EXPECT_TRUE(ScreenHas(1, 15, "|           |**************|  c/C      |"));
    EXPECT_TRUE(ScreenHas(1, 16, "|___________|______________|___________|"));
    EXPECT_TRUE(ScreenHas(1, 17, std::string(40, ' ')));
}

TEST_F(ColourScreenTest, PanelWithItsEmphasisedPhrases) {
    Language = LanguageKind::German;
    Keys("");
    EXPECT_TRUE(PanelShows("hervorgehobener Textfarbe", HighlightAttributeInUse));
    EXPECT_EQ(FindInPanel("hervorgehobener Textfarbe").second, 7);  // end of the first paragraph
    EXPECT_TRUE(PanelShows("Gross-", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("buchstaben fuer hervorgehobenen Text", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("dieser in hervorgehobener Textfarbe", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("\"CR\"/\"ENTER\"", NormalAttributeInUse));
    EXPECT_TRUE(PanelShows("Die Ziffern waehlen den Hintergrund,", NormalAttributeInUse));
    // The frame and every cell of the panel stand on the common background.
    for (int row = 3; row <= 23; ++row)
        for (int column = 41; column <= 80; ++column)
            EXPECT_EQ(CellAttr(column, row) >> 4, 1) << column << "," << row;
    EXPECT_TRUE(ScreenHasIn(41, 4, "|", NormalAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(80, 4, "|", NormalAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(41, 23, "|" + std::string(38, '_') + "|", NormalAttributeInUse));

    Language = LanguageKind::English;
    Keys("");
    EXPECT_TRUE(PanelShows("emphasized text", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("capital letters for emphasized text", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("this text with emphasized textcolour", HighlightAttributeInUse));
    EXPECT_TRUE(PanelShows("'CR'/'ENTER' - key.", NormalAttributeInUse));
    EXPECT_TRUE(PanelShows("The numerals choose the background,", NormalAttributeInUse));
}

TEST_F(ColourScreenTest, RefusedAndAcceptedKeysOnAColourDisplay) {
    Pair(0x1F, 0x1E);  // white and yellow on blue
    Keys("2");         // blue background: no change
    EXPECT_TRUE(PairIs(0x1F, 0x1E));
    Keys("p");  // white standard text: no change
    EXPECT_TRUE(PairIs(0x1F, 0x1E));
    Keys("c");  // blue standard text on blue: invisible
    EXPECT_TRUE(PairIs(0x1F, 0x1E));
    Keys("N");  // yellow emphasised text: no change
    EXPECT_TRUE(PairIs(0x1F, 0x1E));
    Keys("B");  // dark grey emphasised text
    EXPECT_TRUE(PairIs(0x1F, 0x18));
    // The panel shows the new pair, and the screen leaves the normal attribute set.
    EXPECT_TRUE(PanelShows("hervorgehobener Textfarbe", 0x18));
    EXPECT_EQ(TextAttr, 0x1F);

    Pair(0x12, 0x1E);  // green on blue
    Keys("3");         // green background would hide the standard text
    EXPECT_TRUE(PairIs(0x12, 0x1E));
    Keys("9");  // no colour
    Keys("0q");
    Keys("Q");
    EXPECT_TRUE(PairIs(0x12, 0x1E));
    Keys("n");  // the standard text may take the emphasised colour
    EXPECT_TRUE(PairIs(0x1E, 0x1E));
    Keys("5");  // red background for both
    EXPECT_TRUE(PairIs(0x4E, 0x4E));
    Keys("I");  // red emphasised text on red: invisible
    EXPECT_TRUE(PairIs(0x4E, 0x4E));
    Keys("a");  // black standard text
    EXPECT_TRUE(PairIs(0x40, 0x4E));
    Keys("1");  // black background under black text
    EXPECT_TRUE(PairIs(0x40, 0x4E));
    Keys("8");
    EXPECT_TRUE(PairIs(0x70, 0x7E));
}

TEST_F(ColourScreenTest, ExtendedKeysAndTheEndKeys) {
    Pair(0x1F, 0x1E);
    VirtualQueueExtended('e');  // an extended code that looks like a letter chooses nothing
    VirtualQueueExtended(ExtF1);
    VirtualQueueKey(KeyEsc);
    VirtualQueueKeys("e");  // never read
    ColourScreen();
    EXPECT_TRUE(PairIs(0x1F, 0x1E));
    EXPECT_EQ(VirtualKeysLeft(), 1u);
    EXPECT_EQ(ReadKey(), 'e');
    VirtualQueueKey(KeyCtrlC);
    VirtualQueueKeys("e");
    ColourScreen();
    EXPECT_EQ(VirtualKeysLeft(), 1u);
}

TEST_F(ColourScreenTest, MonochromeKeysAndRepairs) {
    ColourDisplayFlag = false;
    // Black on light grey with white emphasis; 1 makes the background black.
    Pair(0x70, 0x7F);
    Keys("1");
    EXPECT_TRUE(PairIs(0x07, 0x0F));
    Keys("1");  // the background already
    EXPECT_TRUE(PairIs(0x07, 0x0F));
    Keys("3dDpP");  // no colours of a monochrome display
    EXPECT_TRUE(PairIs(0x07, 0x0F));
    Keys("abA");  // black text on black; light grey already; black on black
    EXPECT_TRUE(PairIs(0x07, 0x0F));
    Keys("2");  // light grey background: the light grey text turns black
    EXPECT_TRUE(PairIs(0x70, 0x7F));
    Keys("C");  // white already
    Keys("B");  // light grey on light grey
    EXPECT_TRUE(PairIs(0x70, 0x7F));
    Keys("A");
    EXPECT_TRUE(PairIs(0x70, 0x70));
    Keys("1");  // both black on black: both light grey
    EXPECT_TRUE(PairIs(0x07, 0x07));
    Keys("2");  // both light grey on light grey: both black
    EXPECT_TRUE(PairIs(0x70, 0x70));
    Keys("c1");  // white on light grey, then a black background: the black emphasis turns grey
    EXPECT_TRUE(PairIs(0x0F, 0x07));
    Keys("2");  // light grey emphasis on light grey turns black
    EXPECT_TRUE(PairIs(0x7F, 0x70));
}

// Every pair the screen can reach from the defaults passes the load's repair rules unchanged.
TEST_F(ColourScreenTest, EveryReachablePairSurvivesTheLoad) {
    const std::string keys = "0123456789abcdefghijklmnopqrsABCDEFGHIJKLMNOPQRS";
    for (bool colour : {true, false}) {
        std::set<std::pair<uint8_t, uint8_t>> seen;
        std::vector<std::pair<uint8_t, uint8_t>> open;
        open.push_back(colour ? std::make_pair(uint8_t(0x1F), uint8_t(0x1E))
                              : std::make_pair(uint8_t(0x07), uint8_t(0x0F)));
        seen.insert(open.back());
        while (!open.empty()) {
            auto [normal, highlight] = open.back();
            open.pop_back();
            ColourDisplayFlag = colour;
            Settings.NormalAttribute = normal;
            Settings.HighlightAttribute = highlight;
            RepairAttributes();
            ASSERT_EQ(Settings.NormalAttribute, normal) << colour << " " << int(highlight);
            ASSERT_EQ(Settings.HighlightAttribute, highlight) << colour << " " << int(normal);
            for (char key : keys) {
                uint8_t n = normal, h = highlight;
                if (!ApplyColourKey(static_cast<uint8_t>(key), colour, n, h)) continue;
                if (seen.insert({n, h}).second) open.push_back({n, h});
            }
        }
        // Colour: 8 backgrounds with two foregrounds from the 15 other colours each.
        EXPECT_EQ(seen.size(), colour ? 8u * 15u * 15u : 8u) << colour;
    }
}

TEST_F(ColourScreenTest, PartialRedrawsOfThePanel) {
    Language = LanguageKind::English;
    Pair(0x1F, 0x1E);
    SetTextAttr(0x07);
    ClearScreen();
    DrawColourPanel(PanelPart::All);
    auto [markedColumn, markedRow] = FindInPanel("emphasized text");
    auto [plainColumn, plainRow] = FindInPanel("The numerals");
    ASSERT_NE(markedColumn, 0);
    ASSERT_NE(plainColumn, 0);
    // The standard colour changes: the emphasised phrases are passed over.
    SetTextAttr(0x33);
    WriteAt(markedColumn, markedRow, "#");
    Pair(0x1A, 0x1E);
    DrawColourPanel(PanelPart::StandardOnly);
    EXPECT_TRUE(ScreenHasIn(markedColumn, markedRow, "#", 0x33));
    EXPECT_TRUE(ScreenHasIn(plainColumn, plainRow, "The numerals", 0x1A));
    EXPECT_TRUE(ScreenHasIn(41, 3, " " + std::string(38, '_') + " ", 0x1A));
    // The emphasised colour changes: only the emphasised phrases are written.
    SetTextAttr(0x33);
    WriteAt(plainColumn, plainRow, "#");
    Pair(0x1A, 0x1C);
    DrawColourPanel(PanelPart::MarkedOnly);
    EXPECT_TRUE(ScreenHasIn(plainColumn, plainRow, "#", 0x33));
    EXPECT_TRUE(ScreenHasIn(markedColumn, markedRow, "emphasized text", 0x1C));
    // A background change redraws all of it.
    DrawColourPanel(PanelPart::All);
    EXPECT_TRUE(ScreenHasIn(plainColumn, plainRow, "The numerals", 0x1A));
    EXPECT_EQ(TextAttr, 0x1A);
}

TEST_F(ColourScreenTest, TheMenuSavesTheChosenPairAndItLoadsBackUnchanged) {
    VirtualQueueKeys("d4");
    VirtualQueueKeys("5eL");  // red background, green text, light magenta emphasis
    VirtualQueueKey(KeyEnter);
    VirtualQueueKeys("9");
    RunProgram();
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[0], 0x42);
    EXPECT_EQ(file[1], 0x4D);
    ResetProgramState();
    LoadSettings();
    EXPECT_TRUE(PairIs(0x42, 0x4D));

    // The same on a monochrome display.
    StartVirtualConsole();
    VirtualSetProgramPath(Directory + "/zamikovantorel");
    VirtualSetColourDisplay(false);
    std::filesystem::remove(SettingsFile());
    VirtualQueueKeys("d4");
    VirtualQueueKeys("2");
    VirtualQueueKey(KeyEnter);
    VirtualQueueKeys("9");
    RunProgram();
    file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[0], 0x70);
    EXPECT_EQ(file[1], 0x7F);
    ResetProgramState();
    ColourDisplayFlag = false;
    LoadSettings();
    EXPECT_TRUE(PairIs(0x70, 0x7F));
}

}  // namespace
