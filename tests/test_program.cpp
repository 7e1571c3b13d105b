// Start-up, the language screen, the main menu and the end of the program.
#include "calendar/virtual_date.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class ProgramTest : public VirtualSession {
protected:
    // Runs the program until its input ends and returns its exit code.
    int Run() { return RunProgram(); }
    bool BannerShown() {
        return ScreenHas(1, 1, Directory + "/zamikovantorel") && ScreenHas(1, 7, "Bye-bye!");
    }
};

TEST_F(ProgramTest, EscOnTheFirstLanguageScreenEndsAtOnceWithSaveAndBanner) {
    VirtualQueueKey(KeyEsc);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(VirtualFullScreenLeft());
    EXPECT_TRUE(ScreenHas(1, 1, Directory + "/zamikovantorel"));
    EXPECT_TRUE(ScreenHas(1, 2, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHas(1, 3, "Zamikovantorel  ***  Windows - 32-Bit - Version  2025-01-01, "));
    EXPECT_TRUE(ScreenHas(
        1, 4, "Version ohne Grafik- und Sonderzeichen / version without graphics characters."));
    // The contact block is left out; the empty lines before and after it stay.
    EXPECT_TRUE(ScreenHas(1, 7, "Bye-bye!"));
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[0], 0x1F);
    EXPECT_EQ(file[6], '0');
}

TEST_F(ProgramTest, TheBannerWritesOnlyPrintableText) {
    // Printable UTF-8 stays; a stray byte, a cut or overlong form and every control character
    // (C0, DEL, C1 raw or in UTF-8) become '?', one for each byte or character.
    VirtualSetProgramPath(
        Directory +
        "/Spiele-\xc3\xa4 \xc3\xbc|\x9b|\xc2\x9b|\x1b|\x7f|\xff|\xc0\xaf|\xe2\x82|"
        "/zamikovantorel");
    VirtualQueueKey(KeyEsc);
    Run();
    const std::string shown =
        Directory + "/Spiele-\xc3\xa4 \xc3\xbc|?|?|?|?|?|??|??|/zamikovantorel";
    EXPECT_EQ((RowText(1) + RowText(2)).substr(0, shown.size()), shown);
}

TEST_F(ProgramTest, TheBannerIsWrittenInTheAttributeFoundAtStart) {
    VirtualSetStartAttribute(0x02);
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_TRUE(ScreenHasIn(1, 7, "Bye-bye!", 0x02));
    EXPECT_EQ(CellAttr(80, 25), 0x02);  // the screen was cleared in it too
}

TEST_F(ProgramTest, LanguageScreenText) {
    VirtualQueueKey('d');
    Run();  // the script ends at the menu: Ctrl-C leaves
    // Look at the screen before the menu by running only the language screen.
    StartVirtualConsole();
    VirtualQueueKey('e');
    EXPECT_EQ(LanguageScreen(), 'e');
    EXPECT_TRUE(ScreenHasIn(
        1, 1, " *******  Zamikovantorel  ***  Windows - 32-Bit - Version  2025-01-01.  *******",
        HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(1, 5, " Deutsch:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHasIn(
        1, 6,
        " Wollen Sie \"Deutsch\" als Sprache waehlen, So druecken Sie bitte \"d\" oder \"D\".",
        NormalAttributeInUse));
    EXPECT_TRUE(ScreenHas(
        1, 7, " Wollen Sie das Programm beenden, So druecken Sie bitte \"Esc\"/\"Escape\"."));
    EXPECT_TRUE(ScreenHasIn(1, 9, " English:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHas(1, 10, " To choose 'English' as language, please press 'e' or 'E'."));
    const std::string last = " To leave the program, please press 'Esc'/'Escape'.";
    EXPECT_TRUE(ScreenHas(1, 11, last));
    EXPECT_EQ(WhereY(), 11);
    EXPECT_EQ(WhereX(), 1 + static_cast<int>(last.size()));
}

TEST_F(ProgramTest, LanguageScreenKeys) {
    // Extended keys are swallowed whole: the 'e' code of an extended key is no choice.
    VirtualQueueExtended('e');
    VirtualQueueKeys("x5E");
    EXPECT_EQ(LanguageScreen(), 'e');
    EXPECT_EQ(Language, LanguageKind::English);
    EXPECT_EQ(VirtualKeysLeft(), 0u);

    VirtualQueueKeys("D");
    EXPECT_EQ(LanguageScreen(), 'd');
    EXPECT_EQ(Language, LanguageKind::German);

    Language = LanguageKind::English;
    VirtualQueueKey(KeyCtrlC);
    EXPECT_EQ(LanguageScreen(), KeyEsc);
    EXPECT_EQ(Language, LanguageKind::German);
}

TEST_F(ProgramTest, EnglishMenuPage) {
    Language = LanguageKind::English;
    DrawMainMenu();
    EXPECT_TRUE(ScreenHasIn(
        1, 19, "                               Please choose now:", HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHas(1, 20, std::string(80, ' ')));
    EXPECT_TRUE(ScreenHas(1, 21, " 1 - Change the language.        5 - The game starts."));
    EXPECT_TRUE(ScreenHas(
        1, 22, " 2 - Show/change date/time.      6 - Short instruction of the game.   (1 page)"));
    EXPECT_TRUE(ScreenHas(
        1, 23, " 3 - Calendar from 0000 to 9999/ 7 - Detailed instruction of the game.(4 pages)"));
    EXPECT_TRUE(ScreenHas(
        1, 24, "     Virtual date of the game.   8 - Configuration.                   (1 page)"));
    const std::string last = " 4 - Lend colour to the game.    9 - End of the game.";
    EXPECT_TRUE(ScreenHasIn(1, 25, last, NormalAttributeInUse));
    // The last line has no line end: nothing scrolled, the cursor stays behind it.
    EXPECT_EQ(WhereY(), 25);
    EXPECT_EQ(WhereX(), 1 + static_cast<int>(last.size()));
    // The right-hand entries stand in one column.
    for (int row = 21; row <= 25; ++row) EXPECT_NE(CellChar(34, row), ' ') << row;
    EXPECT_TRUE(ScreenHas(1, 1, "                            Operating instructions:"));
}

TEST_F(ProgramTest, GermanMenuPage) {
    Language = LanguageKind::German;
    DrawMainMenu();
    EXPECT_TRUE(ScreenHasIn(
        1, 19, "                                Bitte waehlen Sie:", HighlightAttributeInUse));
    EXPECT_TRUE(
        ScreenHas(1, 21, " 1 - Sprache aendern.                     5 - Das Spiel beginnt."));
    EXPECT_TRUE(ScreenHas(43, 22, "6 - Kurze Spielanleitung.  (1 Seite)"));
    EXPECT_TRUE(ScreenHas(
        1, 23, " 3 - Wochentagskalender von 0000 - 9999/  7 - Genaue Spielanleitung. (4 Seiten)"));
    EXPECT_TRUE(ScreenHas(
        1, 24, "     Virtuelles Spieldatum.               8 - Konfiguration.         (1 Seite)"));
    EXPECT_TRUE(
        ScreenHas(1, 25, " 4 - Bringen Sie Farbe ins Spiel.         9 - Programm beenden. "));
    EXPECT_TRUE(ScreenHas(1, 22, " 2 - Datum/Uhrzeit anzeigen/einstellen.   "));
    EXPECT_TRUE(ScreenHas(1, 1, "                             Bedienungsanleitung:"));
}

TEST_F(ProgramTest, InstructionsStayAboveTheMenu) {
    for (LanguageKind language : {LanguageKind::German, LanguageKind::English}) {
        Language = language;
        DrawMainMenu();
        // Nothing scrolled: the heading of the instructions is still on row 1 and nothing
        // stands in the last column.
        EXPECT_TRUE(RowText(1).find(InGerman() ? "Bedienungsanleitung:" : "instructions:") !=
                    std::string::npos);
        for (int row = 1; row <= 25; ++row) EXPECT_EQ(CellChar(80, row), ' ') << row;
        // Key names stand out in the highlight attribute.
        bool marked = false;
        for (int row = 2; row <= 18; ++row)
            for (int column = 1; column <= 80; ++column)
                marked = marked || (CellAttr(column, row) == HighlightAttributeInUse &&
                                    CellChar(column, row) == 'E');
        EXPECT_TRUE(marked);
    }
}

TEST_F(ProgramTest, TheInstructionsHaveOneBulletForEachKeyInTheirOrder) {
    const std::vector<std::string> english = {"keyboard", "Esc", "PgUp",        "Num",      "Enter",
                                              "del",      "F4",  "cursor keys", "space bar"};
    const std::vector<std::string> german = {"Tastatur", "Esc", "PgUp",         "Num",      "Enter",
                                             "del",      "F4",  "Cursortasten", "Leertaste"};
    for (LanguageKind language : {LanguageKind::German, LanguageKind::English}) {
        Language = language;
        DrawMainMenu();
        std::vector<std::string> bullets;
        for (int row = 1; row <= 18; ++row) {
            std::string text = RowText(row);
            if (text.compare(0, 3, " - ") == 0) {
                bullets.push_back(text);
            } else if (!bullets.empty() && text.compare(0, 3, "   ") == 0 && text[3] != ' ') {
                bullets.back() += text;
            }
        }
        const std::vector<std::string>& keys = InGerman() ? german : english;
        ASSERT_EQ(bullets.size(), keys.size()) << ScreenDump();
        for (size_t i = 0; i < keys.size(); ++i)
            EXPECT_NE(bullets[i].find(keys[i]), std::string::npos) << "bullet " << i + 1;
    }
}

TEST_F(ProgramTest, MenuIgnoresOtherKeysAndCtrlCEnds) {
    VirtualQueueKey('e');
    VirtualQueueKeys("0az ");
    VirtualQueueExtended(ExtUp);
    VirtualQueueExtended('5');  // an extended code that looks like a choice is no choice
    VirtualQueueKey(KeyEnter);
    VirtualQueueKey(KeyCtrlC);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
    EXPECT_TRUE(BannerShown());
}

TEST_F(ProgramTest, NineEndsAndChangeOfLanguageIsNotSaved) {
    VirtualQueueKey('d');
    VirtualQueueKey('1');
    VirtualQueueKey('e');
    VirtualQueueKey('6');  // a page that returns to the menu
    VirtualQueueKey(KeyEsc);
    VirtualQueueKey('9');
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Language, LanguageKind::English);
    EXPECT_TRUE(BannerShown());
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    // The language has no place in the record: the file is the default record.
    std::vector<uint8_t> expected = {0x1F, 0x1E, 1, 4, 4, 5, '0', '9', 0, 0, 0, 1, 0, 1};
    expected.resize(80, ' ');
    EXPECT_EQ(file, expected);
}

TEST_F(ProgramTest, EscOnTheLanguageScreenOfMenuOneEndsTheProgram) {
    VirtualQueueKeys("e1");
    VirtualQueueKey(KeyEsc);
    VirtualQueueKey('9');  // never read
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(VirtualKeysLeft(), 1u);
    EXPECT_TRUE(BannerShown());
}

TEST_F(ProgramTest, StartUpRepairsAnImplausibleYear) {
    VirtualSetClock(1975, 6, 14, 10, 0, 0, 0);
    VirtualQueueKey(KeyEsc);
    Run();
    DateValue date = GetDate();
    EXPECT_EQ(date.Year, 2075);
    EXPECT_EQ(date.Month, 6);
    EXPECT_EQ(date.Day, 14);
    // The virtual date starts on today.
    EXPECT_FALSE(VirtualDateOn);
    EXPECT_EQ(VirtualDate.Year, 2075);
    EXPECT_EQ(VirtualNextDate.Day, 15);

    StartVirtualConsole();
    VirtualSetProgramPath(Directory + "/zamikovantorel");
    VirtualSetClock(2024, 2, 29, 10, 0, 0, 0);
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_EQ(GetDate().Year, 2024);
    EXPECT_EQ(VirtualClockSets(), 0);
    EXPECT_EQ(VirtualNextDate.Month, 3);
}

TEST_F(ProgramTest, StartUpLoadsTheFileAndAppliesItsColours) {
    std::vector<uint8_t> bytes = {0x4E, 0x0F, 3, 5, 2, 5, 'a', 'h', 1, 0, 0, 0, 1, 0};
    bytes.resize(80, ' ');
    WriteSettingsFile(bytes);
    VirtualQueueKey('e');
    Run();
    EXPECT_EQ(Settings.CodeLength, 5);
    EXPECT_EQ(NormalAttributeInUse, 0x4E);
    EXPECT_EQ(HighlightAttributeInUse, 0x4F);
    EXPECT_EQ(ReadSettingsFile()[1], 0x4F);
}

TEST_F(ProgramTest, MonochromeConsoleRepairsColoursAtStart) {
    VirtualSetColourDisplay(false);
    VirtualQueueKey(KeyEsc);
    Run();
    EXPECT_FALSE(ColourDisplayFlag);
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[0], 0x07);
    EXPECT_EQ(file[1], 0x0F);
}

TEST_F(ProgramTest, EndOfInputEndsTheProgramThroughItsNormalEnd) {
    VirtualQueueKeys("e");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(VirtualInputExhausted());
    EXPECT_TRUE(BannerShown());
    EXPECT_EQ(ReadSettingsFile().size(), 80u);
}

}  // namespace
