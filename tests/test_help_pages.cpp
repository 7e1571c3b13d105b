// The rules pages, their pager and the information block.
#include <cstdio>
#include <string>
#include <vector>

#include "help/pager.h"
#include "help/rules_pages.h"
#include "match/code.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class HelpPagesTest : public VirtualSession {
protected:
    // The page on the screen, told by its last row ("Seite 2 von 4" / "Page 2 of 4").
    static int PageShown() {
        std::string last = RowText(25);
        for (int page = 1; page <= 4; ++page) {
            if (last.find("Seite " + std::to_string(page) + " von 4") != std::string::npos ||
                last.find("Page " + std::to_string(page) + " of 4") != std::string::npos)
                return page;
        }
        return 0;
    }
    struct Key {
        uint8_t Code;
        bool Extended;
    };
    // Runs the detailed rules over the keys; returns the page shown after them, or 0 when the
    // keys left the pager. A sentinel key after them tells whether it is still reading.
    static int DetailedAfter(const std::vector<Key>& keys) {
        for (const Key& key : keys) {
            if (key.Extended) {
                VirtualQueueExtended(key.Code);
            } else {
                VirtualQueueKey(key.Code);
            }
        }
        VirtualQueueKey(KeyEsc);
        VirtualQueueKey('!');  // read only if the keys did not leave
        ShowDetailedRules();
        bool left = VirtualKeysLeft() == 2u;
        while (VirtualKeysLeft() > 0) ReadKey();
        return left ? 0 : PageShown();
    }
    static Key Plain(uint8_t code) { return Key{code, false}; }
    static Key Ext(uint8_t code) { return Key{code, true}; }
};

size_t VisibleLength(const std::string& text) {
    size_t length = 0;
    for (char c : text)
        if (c != '{' && c != '}') ++length;
    return length;
}

TEST_F(HelpPagesTest, EveryPageFitsTheScreen) {
    for (bool german : {true, false}) {
        HelpText texts[2] = {ShortRulesText(german), DetailedRulesText(german)};
        EXPECT_EQ(texts[0].PageCount, 1);
        EXPECT_EQ(texts[1].PageCount, 4);
        for (const HelpText& text : texts) {
            for (int p = 0; p < text.PageCount; ++p) {
                const HelpPage& page = text.Pages[p];
                EXPECT_LE(page.RowCount, 25);
                for (int r = 0; r < page.RowCount; ++r) {
                    std::string row = page.Rows[r];
                    EXPECT_LE(VisibleLength(row), 79u) << row;
                    int depth = 0;
                    for (char c : row) {
                        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
                        EXPECT_TRUE(depth == 0 || depth == 1) << row;
                    }
                    EXPECT_EQ(depth, 0) << row;
                }
                // Drawn, nothing scrolls and nothing reaches the last column.
                DrawHelpPage(page);
                EXPECT_EQ(RowText(1), [&] {
                    std::string first;
                    for (char c : std::string(page.Rows[0]))
                        if (c != '{' && c != '}') first += c;
                    first.resize(80, ' ');
                    return first;
                }());
                for (int row = 1; row <= 25; ++row) EXPECT_EQ(CellChar(80, row), ' ');
            }
        }
    }
}

TEST_F(HelpPagesTest, ShortRulesHeadings) {
    VirtualQueueKey(KeyEsc);
    ShowShortRules();
    EXPECT_TRUE(ScreenHasIn(29, 1, "***  Spielregeln !  ***", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(1, 2, std::string(80, ' '), NormalAttributeInUse));
    Language = LanguageKind::English;
    VirtualQueueKey(KeyEsc);
    ShowShortRules();
    EXPECT_TRUE(ScreenHasIn(26, 1, "***  Rules of the game !  ***", HighlightAttributeInUse));
    EXPECT_TRUE(
        ScreenHasIn(1, 3, " Zamikovantorel is a game of code breaking", NormalAttributeInUse));
}

TEST_F(HelpPagesTest, DetailedRulesHeadings) {
    VirtualQueueKeys("a");
    VirtualQueueKey(KeyEsc);
    ShowDetailedRules();
    EXPECT_TRUE(ScreenHasIn(
        14, 1, "Die vorliegende wesentlich erweiterte Computerversion:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(2, 7, "Unterschiede zum Originalspiel:", HighlightAttributeInUse));
    VirtualQueueKeys("aaa");
    VirtualQueueKey(KeyEsc);
    ShowDetailedRules();
    EXPECT_TRUE(
        ScreenHasIn(20, 1, "Hier das Spiel noch einmal im Ueberblick:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(8, 6, "Nr.  Code  P  Z", HighlightAttributeInUse));

    Language = LanguageKind::English;
    VirtualQueueKey(KeyEsc);
    ShowDetailedRules();
    EXPECT_NE(RowText(1).find("Zamikovantorel"), std::string::npos);
    EXPECT_TRUE(ScreenHasIn(2, 3, "The classic game", HighlightAttributeInUse));
    VirtualQueueKeys("a");
    VirtualQueueKey(KeyEsc);
    ShowDetailedRules();
    EXPECT_TRUE(ScreenHasIn(
        15, 1, "The present fundamentally improved computerversion:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(2, 7, "Differences to the original game:", HighlightAttributeInUse));
    VirtualQueueKeys("aaa");
    VirtualQueueKey(KeyEsc);
    ShowDetailedRules();
    EXPECT_TRUE(ScreenHasIn(26, 1, "Here is a review of the game:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(8, 5, "No.  Code  P  S", HighlightAttributeInUse));
}

TEST_F(HelpPagesTest, OnePageKeyTable) {
    // Page-back keys and other extended keys are ignored; then 'q' leaves.
    VirtualQueueKey(KeyBackspace);
    for (uint8_t code : {ExtPgUp, ExtCtrlPgUp, ExtAltPgUp, uint8_t(176), ExtF1, ExtUp, ExtF4})
        VirtualQueueExtended(code);
    VirtualQueueKeys("q!");
    ShowShortRules();
    EXPECT_EQ(VirtualKeysLeft(), 1u);
    ReadKey();
    // Every page-forward key, Esc, Ctrl-C and every ordinary key leave at once.
    std::vector<std::vector<uint8_t>> leaving = {
        {KeyEsc}, {KeyCtrlC},   {KeyEnter},       {' '},           {'x'},
        {'7'},    {0, ExtPgDn}, {0, ExtCtrlPgDn}, {0, ExtAltPgDn}, {0, 184}};
    for (const auto& keys : leaving) {
        for (uint8_t key : keys) VirtualQueueKey(key);
        VirtualQueueKey('!');
        ShowShortRules();
        EXPECT_EQ(VirtualKeysLeft(), 1u) << int(keys.back());
        ReadKey();
    }
}

TEST_F(HelpPagesTest, FourPageKeyTable) {
    const Key next = Plain('a');
    EXPECT_EQ(DetailedAfter({}), 1);
    // First page: the page-back keys do nothing.
    EXPECT_EQ(DetailedAfter(
                  {Plain(KeyBackspace), Ext(ExtPgUp), Ext(ExtCtrlPgUp), Ext(ExtAltPgUp), Ext(176)}),
              1);
    EXPECT_EQ(DetailedAfter({Ext(ExtF1), Ext(ExtUp), Ext(ExtDel)}), 1);
    // Forward with every page-forward key and every ordinary key.
    for (Key key : {Ext(ExtPgDn), Ext(ExtCtrlPgDn), Ext(ExtAltPgDn), Ext(184), Plain(KeyEnter),
                    Plain(' '), Plain('z')})
        EXPECT_EQ(DetailedAfter({key}), 2) << int(key.Code);
    EXPECT_EQ(DetailedAfter({next, next}), 3);
    EXPECT_EQ(DetailedAfter({next, next, next}), 4);
    // Back from the middle and the last pages.
    EXPECT_EQ(DetailedAfter({next, Plain(KeyBackspace)}), 1);
    EXPECT_EQ(DetailedAfter({next, next, Ext(ExtPgUp)}), 2);
    EXPECT_EQ(DetailedAfter({next, next, next, Ext(ExtPgUp)}), 3);
    EXPECT_EQ(DetailedAfter({next, next, next, Ext(176), Ext(ExtAltPgUp), Ext(ExtCtrlPgUp)}), 1);
    EXPECT_EQ(DetailedAfter({next, next, Ext(ExtF6)}), 3);
    // The last page: forward keys leave.
    EXPECT_EQ(DetailedAfter({next, next, next, Plain(KeyEnter)}), 0);
    EXPECT_EQ(DetailedAfter({next, next, next, Ext(ExtPgDn)}), 0);
    EXPECT_EQ(DetailedAfter({next, next, next, Ext(ExtF1)}), 4);
    // Esc and Ctrl-C leave from every page.
    for (int pages = 0; pages < 4; ++pages) {
        std::vector<Key> keys(static_cast<size_t>(pages), next);
        keys.push_back(Plain(KeyCtrlC));
        EXPECT_EQ(DetailedAfter(keys), 0) << pages;
        keys.back() = Plain(KeyEsc);
        EXPECT_EQ(DetailedAfter(keys), 0) << pages;
    }
}

// The worked examples of the pages agree with the game's own scoring.
TEST(HelpExamples, TheExamplesScoreAsTheyClaim) {
    auto score = [](const char* trial, const char* secret, int length) {
        Score s = ScoreTrial(MakeCode(trial), MakeCode(secret), length);
        return std::make_pair(s.P, s.Z);
    };
    BuildSignTables('0');
    EXPECT_EQ(score("2473", "2934", 4), std::make_pair(1, 2));
    EXPECT_EQ(score("0123", "6173", 4), std::make_pair(2, 0));
    EXPECT_EQ(score("4567", "6173", 4), std::make_pair(0, 2));
    EXPECT_EQ(score("0145", "6173", 4), std::make_pair(1, 0));
    EXPECT_EQ(score("0673", "6173", 4), std::make_pair(2, 1));
    EXPECT_EQ(score("6173", "6173", 4), std::make_pair(4, 0));
    // The four codes named after trial 3 are all that fit, and trial 4 tells them apart.
    int fitting = 0;
    std::vector<std::pair<int, int>> answers;
    const char* digits = "0123456789";
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 10; ++c)
                for (int d = 0; d < 10; ++d) {
                    if (a == b || a == c || a == d || b == c || b == d || c == d) continue;
                    char code[5] = {digits[a], digits[b], digits[c], digits[d], 0};
                    if (score("0123", code, 4) != std::make_pair(2, 0)) continue;
                    if (score("4567", code, 4) != std::make_pair(0, 2)) continue;
                    if (score("0145", code, 4) != std::make_pair(1, 0)) continue;
                    ++fitting;
                    answers.push_back(score("0673", code, 4));
                    std::string text = code;
                    EXPECT_TRUE(text == "0673" || text == "0726" || text == "6173" ||
                                text == "7126")
                        << text;
                }
    EXPECT_EQ(fitting, 4);
    for (size_t i = 0; i < answers.size(); ++i)
        for (size_t j = i + 1; j < answers.size(); ++j) EXPECT_NE(answers[i], answers[j]);

    // The table of the worked match, as the last page shows it in both languages.
    for (bool german : {true, false}) {
        const HelpPage& page = DetailedRulesText(german).Pages[3];
        int rows = 0;
        for (int r = 0; r < page.RowCount; ++r) {
            int number = 0, p = 0, z = 0;
            char trial[8] = {};
            if (std::sscanf(page.Rows[r], " %d %4s %d %d", &number, trial, &p, &z) != 4) continue;
            ++rows;
            EXPECT_EQ(number, rows);
            EXPECT_EQ(score(trial, "6173", 4), std::make_pair(p, z)) << trial;
            EXPECT_EQ(std::string(page.Rows[r]).find(trial), 12u) << page.Rows[r];
        }
        EXPECT_EQ(rows, 5);
    }

    BuildSignTables('a');
    EXPECT_EQ(score("acd", "abc", 3), std::make_pair(1, 1));
    EXPECT_EQ(score("a*b", "abc", 3), std::make_pair(1, 1));
    EXPECT_EQ(score("*a*b", "acab", 4), std::make_pair(1, 1));
    EXPECT_EQ(score("ba", "aa", 2), std::make_pair(1, 0));
    EXPECT_EQ(score("ba", "ab", 2), std::make_pair(0, 2));
    EXPECT_EQ(score("ba", "ba", 2), std::make_pair(2, 0));
    EXPECT_EQ(score("ba", "bb", 2), std::make_pair(1, 0));
    EXPECT_EQ(score("aa", "bb", 2), std::make_pair(0, 0));
    BuildSignTablesFromSettings();
}

TEST_F(HelpPagesTest, TheMenuOpensTheRulesAndComesBack) {
    VirtualQueueKeys("e7");
    VirtualQueueKeys("aa");
    VirtualQueueExtended(ExtPgUp);
    VirtualQueueKey(KeyEsc);
    VirtualQueueKeys("6x");
    VirtualQueueKeys("9");
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
}

TEST_F(HelpPagesTest, InformationBlockOfTheLanguageScreen) {
    VirtualQueueKey('d');
    LanguageScreen();
    EXPECT_TRUE(ScreenHasIn(
        1, 3, " Geschrieben in C++ und gebaut mit CMake / written in C++ and built with CMake.",
        NormalAttributeInUse));
    EXPECT_TRUE(ScreenHas(1, 4, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHasIn(1, 5, " Deutsch:", HighlightAttributeInUse));
}

}  // namespace
