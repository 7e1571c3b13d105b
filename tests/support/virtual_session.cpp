// The virtual session: a fresh directory under ZK_TEST_TMP (or /tmp) for every test, the
// program-wide records reset to a fresh start with a fixed random seed, and the screen
// comparisons, which print the whole grid when they fail.
#include "support/virtual_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "calendar/clock_text.h"
#include "calendar/virtual_date.h"
#include "match/code.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"

void VirtualSession::SetUp() {
    const char* base = std::getenv("ZK_TEST_TMP");
    std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
    std::filesystem::create_directories(root);
    std::string pattern = root + "/zk-XXXXXX";
    char* made = mkdtemp(pattern.data());
    ASSERT_NE(made, nullptr) << "cannot create a temporary directory under " << root;
    Directory = made;
    StartVirtualConsole();
    VirtualSetProgramPath(Directory + "/zamikovantorel");
    ResetProgramState();
}

void VirtualSession::TearDown() {
    if (!Directory.empty()) {
        chmod(Directory.c_str(), 0700);
        std::error_code ignored;
        std::filesystem::remove_all(Directory, ignored);
    }
}

void VirtualSession::ResetProgramState() {
    Language = LanguageKind::German;
    SetDefaultSettings();
    ColourDisplayFlag = true;
    NormalAttributeInUse = Settings.NormalAttribute;
    HighlightAttributeInUse = Settings.HighlightAttribute;
    MemoryLevelInUse = Settings.MemoryLevel;
    UserVacantAllowed = 0;
    BuildSignTablesFromSettings();
    ClockState = ClockStateRecord{};
    VirtualDateOn = false;
    SeedRandom(12345);
    LocateSettings();
}

void VirtualSession::WriteSettingsFile(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(SettingsFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> VirtualSession::ReadSettingsFile() const {
    std::ifstream in(SettingsFile(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool VirtualSession::SettingsFileExists() const {
    return std::filesystem::exists(SettingsFile());
}

std::string ScreenDump() {
    std::string dump;
    for (int row = 1; row <= ScreenHeight; ++row) {
        char label[16];
        std::snprintf(label, sizeof label, "%2d|", row);
        dump += label + RowText(row) + "|\n";
    }
    return dump;
}

::testing::AssertionResult ScreenHas(int column, int row, const std::string& text) {
    std::string actual = RowText(row, column, static_cast<int>(text.size()));
    if (actual == text) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at (" << column << "," << row << ") expected \"" << text
           << "\"\n                  found    \"" << actual << "\"\n"
           << ScreenDump();
}

::testing::AssertionResult ScreenHasIn(int column, int row, const std::string& text,
                                       uint8_t attribute) {
    ::testing::AssertionResult has = ScreenHas(column, row, text);
    if (!has) return has;
    for (size_t i = 0; i < text.size(); ++i) {
        int c = column + static_cast<int>(i);
        if (CellAttr(c, row) != attribute)
            return ::testing::AssertionFailure()
                   << "cell (" << c << "," << row << ") has attribute " << int(CellAttr(c, row))
                   << ", expected " << int(attribute);
    }
    return ::testing::AssertionSuccess();
}
