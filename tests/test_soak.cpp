// The random-key soak's own checks, and a short soak that reaches every screen and every field
// of the conditions dialog in both languages without a finding. The long soak runs as the
// program zamiko_soak (CTest runs a bounded one).
#include <filesystem>
#include <string>
#include <vector>

#include "match/code.h"
#include "setup/capacity.h"
#include "shell/settings.h"
#include "support/soak_driver.h"
#include "support/virtual_session.h"

namespace {

using SoakTest = VirtualSession;

TEST_F(SoakTest, TheGridCountsWritesAndMovesOutsideIt) {
    VirtualGridEvents start = VirtualGridEventCounts();
    EXPECT_EQ(start.RefusedMoves + start.Overflows + start.Scrolls, 0);
    GotoXY(81, 1);
    GotoXY(1, 0);
    WriteAt(78, 3, "ab");   // ends in column 79: inside
    WriteAt(79, 4, "abc");  // runs on into row 5
    GotoXY(1, 25);
    WriteLine("last row");  // the line end in row 25 scrolls
    VirtualGridEvents now = VirtualGridEventCounts();
    EXPECT_EQ(now.RefusedMoves, 2);
    EXPECT_EQ(now.Overflows, 1);
    EXPECT_EQ(now.Scrolls, 1);
}

TEST_F(SoakTest, PollsAreCountedUntilAKeyIsRead) {
    int observed = 0;
    VirtualSetPollObserver([&] { ++observed; });
    VirtualSetKeyFeeder([] {});  // a driver with nothing to say yet
    EXPECT_FALSE(KeyPressed());
    IdlePause();
    EXPECT_FALSE(KeyPressed());
    EXPECT_EQ(VirtualPollsSinceRead(), 3);
    VirtualQueueKey('a');
    EXPECT_TRUE(KeyPressed());
    EXPECT_EQ(ReadKey(), 'a');
    EXPECT_EQ(VirtualPollsSinceRead(), 0);
    EXPECT_EQ(VirtualKeysRead(), 1);
    EXPECT_EQ(observed, 5);
    VirtualSetPollObserver(nullptr);
    VirtualSetKeyFeeder(nullptr);
}

TEST_F(SoakTest, TheSettingsCheckLoadsTheFileWithoutDisturbingTheProgram) {
    LoadSettings();
    Settings.CodeLength = 5;
    Settings.FirstSign = 'x';
    Settings.LastSign = 'c';
    BuildSignTablesFromSettings();
    SaveSettings();
    std::string why;
    EXPECT_TRUE(SettingsFileLoadsBack(why)) << why;

    // What the program has in memory stays as it is, whatever the file holds.
    Settings.CodeLength = 7;
    const int signCount = SignCount;
    const int32_t budget = MemoryBudget;
    MemoryLevelInUse = 1;
    GotoXY(17, 9);
    std::vector<uint8_t> bytes = ReadSettingsFile();
    bytes[2] = 12;  // a time limit that the load repairs
    bytes[4] = 7;
    WriteSettingsFile(bytes);
    EXPECT_FALSE(SettingsFileLoadsBack(why));
    EXPECT_NE(why.find("[2] 12->6"), std::string::npos) << why;
    EXPECT_EQ(Settings.CodeLength, 7);
    EXPECT_EQ(SignCount, signCount);
    EXPECT_EQ(MemoryBudget, budget);
    EXPECT_EQ(MemoryLevelInUse, 1);
    EXPECT_EQ(WhereX(), 17);
    EXPECT_EQ(WhereY(), 9);

    bytes.resize(79);
    WriteSettingsFile(bytes);
    EXPECT_FALSE(SettingsFileLoadsBack(why));
    EXPECT_EQ(why, "BEDINGUN.DAT holds 79 bytes");
}

TEST_F(SoakTest, AShortSoakReachesEveryScreenAndFieldWithoutAFinding) {
    SoakOptions options;
    options.Keys = 30000;
    options.Seed = 11;
    options.Directory = Directory;
    options.WatchdogSeconds = 0;
    const SoakReport report = RunSoak(options);
    EXPECT_TRUE(report.FindingCounts.empty()) << FormatSoakReport(report, false);
    EXPECT_EQ(report.Keys, options.Keys);
    EXPECT_GT(report.Runs, 1);
    EXPECT_GT(report.SavesChecked, report.Runs);
    EXPECT_GT(report.MatchesStarted, 50);
    // Every screen and every field of the conditions dialog, in both languages.
    const char* places[] = {"language screen",
                            "main menu",
                            "conditions: choice prompt",
                            "conditions: time limit",
                            "conditions: yes/no field row 12",
                            "conditions: yes/no field row 13",
                            "conditions: yes/no field row 17 col 30",
                            "conditions: yes/no field row 17 col 7",
                            "conditions: yes/no field row 18",
                            "conditions: yes/no field row 19",
                            "conditions: sign field row 13",
                            "conditions: sign field row 14",
                            "conditions: code length",
                            "conditions: name typing (1st",
                            "conditions: name typing (2nd",
                            "conditions: name O.K.? row 23",
                            "conditions: name O.K.? row 24",
                            "conditions: secret entry",
                            "match: human trial (not fixed, computer)",
                            "match: human trial (not fixed, human)",
                            "match: human trial (scrolled)",
                            "match: P/Z answer",
                            "match: computer guesses (not fixed)",
                            "match: computer guesses [",
                            "match: new game?",
                            "system clock screen",
                            "virtual date screen",
                            "colour screen",
                            "configuration screen"};
    for (const char* place : places) {
        for (const char* language : {"[de]", "[en]"}) {
            bool reached = false;
            for (const auto& [label, count] : report.Reached)
                reached = reached ||
                          (label.rfind(place, 0) == 0 && label.find(language) != std::string::npos);
            EXPECT_TRUE(reached) << place << " " << language;
        }
    }
    // The rules pages: the short one and the four of the detailed one, in both languages.
    int pages = 0;
    for (const auto& [label, count] : report.Reached)
        pages += label.rfind("other:", 0) == 0 ? 1 : 0;
    EXPECT_GE(pages, 10) << FormatSoakReport(report, true);
    for (const char* event :
         {"event: solved by the computer, fixed", "event: solved by the computer, not fixed",
          "event: solved by a human, fixed", "event: solved by a human, not fixed",
          "event: broken off (computer guesses)", "event: table scrolled",
          "event: human encoder answers", "event: allocation failure armed"})
        EXPECT_GT(report.Reached.count(event), 0u) << event;
}

// A loop that polls the keyboard without ever taking a key ends the soak: here every wait for
// a key is one, since the bound is lower than the time a player takes.
TEST_F(SoakTest, ALoopThatPollsWithoutTakingAKeyIsAFinding) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SoakOptions options;
    options.Keys = 1000;
    options.Directory = Directory;
    options.WatchdogSeconds = 0;
    options.PollBound = 20;
    EXPECT_DEATH(RunSoak(options), "a loop polls the keyboard without taking a key");
}

}  // namespace
