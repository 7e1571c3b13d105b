// The memory configuration screen and the way from the menu into the game setup.
#include "setup/configuration.h"
#include "setup_fixture.h"

namespace {

using ConfigurationTest = SetupTest;

const char* const kLevelLines[8] = {
    "  1 ( ):   1 MiB", "  2 ( ):   8 MiB", "  3 ( ):  64 MiB", "  4 ( ): 128 MiB",
    "  5 ( ): 256 MiB", "  6 ( ): 512 MiB", "  7 ( ):   1 GiB", "  8 ( ):   2 GiB",
};

// Rows 17..24, columns 1..16: the chosen level in the asterisk form and the highlight attribute
// from column 3, the others in the blank form and the normal attribute.
void ExpectChosen(int chosen) {
    for (int level = 1; level <= 8; ++level) {
        int row = 16 + level;
        std::string line = kLevelLines[level - 1];
        if (level == chosen) {
            line[5] = '*';
            EXPECT_TRUE(ScreenHasIn(3, row, line.substr(2), HighlightAttributeInUse)) << level;
        } else {
            EXPECT_TRUE(ScreenHasIn(3, row, line.substr(2), NormalAttributeInUse)) << level;
        }
        EXPECT_TRUE(ScreenHas(1, row, line.substr(0, 2)));
    }
}

TEST_F(ConfigurationTest, LayoutInEnglish) {
    Language = LanguageKind::English;
    VirtualQueueKey(KeyEnter);
    ConfigurationScreen();
    EXPECT_TRUE(ScreenHasIn(1, 1, "                            ***  Configuration  ***",
                            HighlightAttributeInUse));
    EXPECT_TRUE(ScreenHas(1, 11, std::string(79, '_')));
    EXPECT_TRUE(ScreenHas(
        1, 13, "  Please choose now, how much memory (RAM) the game should be able to use."));
    EXPECT_TRUE(
        ScreenHas(1, 14, "  The memory limits also the time, that the computer needs to guess."));
    EXPECT_TRUE(ScreenHas(1, 15, "  Please confirm your choice by pressing the 'CR'/'Enter'-key."));
    ExpectChosen(4);
    EXPECT_TRUE(ScreenHas(17, 17, " For small devices, corresponds nearly to DOS-Real-Mode."));
    EXPECT_TRUE(ScreenHas(17, 20, " Corresponds approximately to DOS-Protected-Mode."));
    EXPECT_TRUE(ScreenHas(17, 22, " Versions which uses much memory (RAM) also need more time."));
    EXPECT_TRUE(ScreenHas(17, 23, " Even unintentional break-offs are possible."));
    EXPECT_NE(CellChar(18, 24), ' ');
    EXPECT_EQ(MemoryLevelInUse, 4);
    // Nothing scrolled off, nothing stands in the last column.
    for (int row = 1; row <= 25; ++row) EXPECT_EQ(CellChar(80, row), ' ') << row;
}

TEST_F(ConfigurationTest, LayoutInGerman) {
    VirtualQueueKey(KeyEsc);
    ConfigurationScreen();
    EXPECT_TRUE(ScreenHasIn(1, 1, "                            ***  Konfiguration  ***",
                            HighlightAttributeInUse));
    ExpectChosen(4);
    for (int level : {1, 4, 6, 7, 8}) EXPECT_NE(CellChar(18, 16 + level), ' ') << level;
    for (int level : {2, 3, 5}) EXPECT_TRUE(ScreenHas(17, 16 + level, std::string(64, ' ')));
    for (int row = 1; row <= 25; ++row) EXPECT_EQ(CellChar(80, row), ' ') << row;
    EXPECT_EQ(WhereX(), 3);
    EXPECT_EQ(WhereY(), 20);
}

TEST_F(ConfigurationTest, KeysMoveTheChoiceWithWrap) {
    VirtualQueueExtended(ExtDown);      // 5
    VirtualQueueExtended(ExtCtrlDown);  // 6
    VirtualQueueExtended(ExtAltDown);   // 7
    VirtualQueueExtended(ExtDown);      // 8
    VirtualQueueExtended(ExtDown);      // 1
    VirtualQueueExtended(ExtUp);        // 8
    VirtualQueueExtended(ExtCtrlUp);    // 7
    VirtualQueueExtended(ExtAltUp);     // 6
    VirtualQueueKeys("2");
    VirtualQueueKeys("90x ");  // not levels
    VirtualQueueExtended(ExtF1);
    VirtualQueueExtended('3');  // an extended code is no digit
    VirtualQueueKey(KeyCtrlC);
    ConfigurationScreen();
    EXPECT_EQ(MemoryLevelInUse, 2);
    EXPECT_EQ(MemoryBudget, BudgetForLevel(2));
    EXPECT_EQ(VirtualKeysLeft(), 0u);
    EXPECT_FALSE(VirtualInputExhausted());
    ExpectChosen(2);
    EXPECT_EQ(WhereX(), 3);
    EXPECT_EQ(WhereY(), 18);

    VirtualQueueExtended(ExtUp);
    VirtualQueueExtended(ExtUp);  // 2 -> 1 -> 8
    VirtualQueueKey(KeyEnter);
    ConfigurationScreen();
    EXPECT_EQ(MemoryLevelInUse, 8);
    ExpectChosen(8);
}

TEST_F(ConfigurationTest, TheMenuSavesTheLevel) {
    VirtualQueueKeys("d8");
    VirtualQueueKeys("1");
    VirtualQueueKey(KeyEnter);
    VirtualQueueKeys("9");
    EXPECT_EQ(RunProgram(), 0);
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[4], 1);
    EXPECT_EQ(MemoryBudget, BudgetForLevel(1));
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConfigurationTest, TheGameSetupKeepsChangedConditions) {
    VirtualQueueKeys("d5");
    VirtualQueueKeys("3\r\r\r\r7");  // the walk: code length 7
    VirtualQueueKey(KeyCtrlC);       // to the menu
    VirtualQueueKeys("9");
    EXPECT_EQ(RunProgram(), 0);
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[3], 7);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConfigurationTest, AMatchStartKeepsTheUsersVacantChoiceInTheFile) {
    SettingsRecord record = Settings;
    record.VacantAllowed = 1;
    record.ComputerGuesses = 1;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    WriteSettingsFile(std::vector<uint8_t>(bytes, bytes + sizeof record));
    VirtualQueueKeys("d51");  // play: the computer guesses over ten signs, without the vacant sign
    VirtualQueueKeys("9");
    EXPECT_EQ(RunProgram(), 0);
    std::vector<uint8_t> file = ReadSettingsFile();
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file[10], 1);
    EXPECT_EQ(file[12], 1);
    EXPECT_EQ(VirtualKeysLeft(), 0u);
}

TEST_F(ConfigurationTest, TheConditionsScreenFollowsTheLevel) {
    UseLevel(4);
    VirtualQueueKeys("1");
    VirtualQueueKey(KeyEnter);
    ConfigurationScreen();
    // As the game setup does: the budget of the level, the check, the screen.
    MemoryBudget = BudgetForLevel(MemoryLevelInUse);
    OpenConditions();
    EXPECT_TRUE(ScreenHas(35, 8, "36   24   12    7    5    4    3    3"));
    EXPECT_TRUE(ScreenHas(71, 2, "  1 MiB"));
    VirtualQueueKeys("4");
    VirtualQueueKey(KeyEnter);
    ConfigurationScreen();
    OpenConditions();
    EXPECT_TRUE(ScreenHas(35, 8, "36   36   34   17   11    8    6    5"));
    EXPECT_TRUE(ScreenHas(71, 2, "128 MiB"));
}

}  // namespace
