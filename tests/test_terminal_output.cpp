// The output side of the terminal backend: attribute colours, the drawing of grid changes and
// the terminfo colour count.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/console/console_internal.h"
#include "shell/console/terminal_output.h"

namespace {

TEST(AttributeSgr, ForegroundColoursInPcPaletteOrder) {
    // PC: black, blue, green, cyan, red, magenta, brown, grey, then the bright eight.
    const int expected[16] = {30, 34, 32, 36, 31, 35, 33, 37, 90, 94, 92, 96, 91, 95, 93, 97};
    for (int fg = 0; fg < 16; ++fg) {
        EXPECT_EQ(AttributeSgr(-1, static_cast<uint8_t>(fg), true),
                  "\x1b[0;" + std::to_string(expected[fg]) + ";40m")
            << "foreground " << fg;
    }
}

TEST(AttributeSgr, BackgroundColoursInPcPaletteOrder) {
    const int expected[8] = {40, 44, 42, 46, 41, 45, 43, 47};
    for (int bg = 0; bg < 8; ++bg) {
        EXPECT_EQ(AttributeSgr(-1, static_cast<uint8_t>(bg << 4 | 7), true),
                  "\x1b[0;37;" + std::to_string(expected[bg]) + "m")
            << "background " << bg;
    }
}

TEST(AttributeSgr, OnlyWhatChangesIsSent) {
    EXPECT_EQ(AttributeSgr(-1, 0x1F, true), "\x1b[0;97;44m");  // white on blue
    EXPECT_EQ(AttributeSgr(0x1F, 0x1E, true), "\x1b[93m");     // to yellow on blue
    EXPECT_EQ(AttributeSgr(0x1F, 0x4F, true), "\x1b[41m");     // to white on red
    EXPECT_EQ(AttributeSgr(0x1F, 0x07, true), "\x1b[37;40m");
    EXPECT_EQ(AttributeSgr(0x1F, 0x1F, true), "");
    // The blink bit is not shown.
    EXPECT_EQ(AttributeSgr(0x1F, 0x9F, true), "");
    EXPECT_EQ(AttributeSgr(-1, 0x9F, true), "\x1b[0;97;44m");
}

TEST(AttributeSgr, MonochromeUsesBoldReverseAndUnderline) {
    EXPECT_EQ(AttributeSgr(-1, 0x07, false), "\x1b[0m");
    EXPECT_EQ(AttributeSgr(-1, 0x0F, false), "\x1b[0;1m");
    EXPECT_EQ(AttributeSgr(-1, 0x70, false), "\x1b[0;7m");
    EXPECT_EQ(AttributeSgr(-1, 0x7F, false), "\x1b[0;1;7m");
    EXPECT_EQ(AttributeSgr(-1, 0x01, false), "\x1b[0;4m");
    EXPECT_EQ(AttributeSgr(0x07, 0x0F, false), "\x1b[0;1m");
    EXPECT_EQ(AttributeSgr(0x0F, 0x07, false), "\x1b[0m");
    // Attributes that look the same without colours send nothing.
    EXPECT_EQ(AttributeSgr(0x07, 0x17, false), "");
    EXPECT_EQ(AttributeSgr(0x1F, 0x0E, false), "");
    // No colour number ever appears.
    for (int a = 0; a < 128; ++a) {
        std::string sgr = AttributeSgr(-1, static_cast<uint8_t>(a), false);
        EXPECT_EQ(sgr.find("3"), std::string::npos) << a;
        EXPECT_EQ(sgr.find("9"), std::string::npos) << a;
    }
}

// A grid filled with spaces in one attribute, the cursor at (1,1).
ConsoleGrid FilledGrid(uint8_t attribute) {
    ConsoleGrid grid;
    for (auto& row : grid.Cells)
        for (ConsoleCell& cell : row) cell = ConsoleCell{' ', attribute};
    grid.CursorX = 1;
    grid.CursorY = 1;
    return grid;
}

// A screen that already shows the grid.
TerminalScreen ShownScreen(const ConsoleGrid& grid) {
    TerminalScreen screen;
    std::string out;
    RenderScreen(screen, grid, out);
    return screen;
}

TEST(RenderScreen, FirstDrawErasesAndDrawsEveryCell) {
    ConsoleGrid grid = FilledGrid(0x1F);
    grid.Cells[0][0].Char = 'A';
    grid.Cells[24][79].Char = 'Z';
    TerminalScreen screen;
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out.rfind("\x1b[?25l\x1b[0m\x1b[2J", 0), 0u);
    // One colour switch for the whole screen, one cursor move per row.
    EXPECT_EQ(out.find("\x1b[0;97;44m"), out.rfind("\x1b[0;97;44m"));
    EXPECT_NE(out.find("\x1b[1;1H\x1b[0;97;44mA "), std::string::npos);
    EXPECT_NE(out.find("\x1b[25;1H"), std::string::npos);
    EXPECT_NE(out.find(std::string(79, ' ') + "Z"), std::string::npos);
    // The cursor ends at the grid's cursor and is shown again.
    EXPECT_EQ(out.substr(out.size() - 12), "\x1b[1;1H\x1b[?25h");
    EXPECT_TRUE(screen.Valid);
    // Drawing again without a change sends nothing.
    std::string again;
    RenderScreen(screen, grid, again);
    EXPECT_EQ(again, "");
}

TEST(RenderScreen, OnlyChangedCellsAreDrawn) {
    ConsoleGrid grid = FilledGrid(0x1F);
    TerminalScreen screen = ShownScreen(grid);
    grid.Cells[4][9] = ConsoleCell{'X', 0x1F};
    grid.Cells[4][10] = ConsoleCell{'Y', 0x1E};
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[?25l\x1b[5;10HX\x1b[93mY\x1b[1;1H\x1b[?25h");
}

TEST(RenderScreen, ShortGapsAreBridgedLongOnesJumped) {
    ConsoleGrid grid = FilledGrid(0x1F);
    grid.Cells[2][11].Char = 'q';
    TerminalScreen screen = ShownScreen(grid);
    grid.Cells[2][9].Char = 'a';   // (10,3)
    grid.Cells[2][13].Char = 'b';  // (14,3): the unchanged (11..13,3) are written again
    grid.Cells[2][30].Char = 'c';  // (31,3): a cursor move
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[?25l\x1b[3;10Ha q b\x1b[3;31Hc\x1b[1;1H\x1b[?25h");
}

TEST(RenderScreen, CursorMovesAloneAndLastColumnNeedsAJump) {
    ConsoleGrid grid = FilledGrid(0x07);
    TerminalScreen screen = ShownScreen(grid);
    grid.CursorX = 54;
    grid.CursorY = 25;
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[25;54H");
    // Column 80 leaves the terminal's cursor where autowrap would act: the next cell is reached
    // by a cursor move.
    grid.Cells[0][79].Char = 'e';
    grid.Cells[1][0].Char = 'f';
    out.clear();
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[?25l\x1b[1;80He\x1b[2;1Hf\x1b[25;54H\x1b[?25h");
}

TEST(RenderScreen, InvalidScreenIsRedrawnWithoutErasing) {
    ConsoleGrid grid = FilledGrid(0x1F);
    TerminalScreen screen = ShownScreen(grid);
    screen.Valid = false;
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out.find("\x1b[2J"), std::string::npos);
    size_t spaces = 0;
    for (char c : out) spaces += c == ' ';
    EXPECT_EQ(spaces, 2000u);
}

TEST(RenderScreen, ControlCharactersNeverReachTheTerminal) {
    ConsoleGrid grid = FilledGrid(0x07);
    TerminalScreen screen = ShownScreen(grid);
    grid.Cells[0][0].Char = '\x1b';
    grid.Cells[0][1].Char = '\n';
    std::string out;
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[?25l??\x1b[1;1H\x1b[?25h");
}

TEST(RenderScreen, MonochromeIgnoresChangesWithoutALook) {
    ConsoleGrid grid = FilledGrid(0x07);
    TerminalScreen screen;
    screen.Colour = false;
    std::string out;
    RenderScreen(screen, grid, out);
    grid.Cells[0][0].Attr = 0x17;  // a blue background: the same without colours
    grid.Cells[0][5] = ConsoleCell{' ', 0x70};
    out.clear();
    RenderScreen(screen, grid, out);
    EXPECT_EQ(out, "\x1b[?25l\x1b[1;6H\x1b[0;7m \x1b[1;1H\x1b[?25h");
}

// ---- terminfo ---------------------------------------------------------------------------

class TerminfoFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("ZK_TEST_TMP");
        std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
        std::filesystem::create_directories(root);
        std::string pattern = root + "/zk-terminfo-XXXXXX";
        char* made = mkdtemp(pattern.data());
        ASSERT_NE(made, nullptr);
        Directory = made;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!Directory.empty()) std::filesystem::remove_all(Directory, ignored);
    }

    // A compiled entry: the names, `bools` boolean capabilities, and the numbers given (-1 for
    // an absent one), in the 16-bit or the 32-bit number format.
    static std::vector<uint8_t> Entry(const std::string& names, int bools,
                                      const std::vector<int>& numbers, bool wide) {
        std::vector<uint8_t> data;
        auto put16 = [&data](int v) {
            data.push_back(static_cast<uint8_t>(v & 0xFF));
            data.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        };
        put16(wide ? 01036 : 0432);
        put16(static_cast<int>(names.size()) + 1);
        put16(bools);
        put16(static_cast<int>(numbers.size()));
        put16(0);  // strings
        put16(0);  // string table
        data.insert(data.end(), names.begin(), names.end());
        data.push_back(0);
        for (int i = 0; i < bools; ++i) data.push_back(1);
        if (data.size() % 2 != 0) data.push_back(0);
        for (int v : numbers) {
            put16(v);
            if (wide) put16(v >> 16);
        }
        return data;
    }

    static std::vector<int> Numbers(int count, int maxColours) {
        std::vector<int> numbers(static_cast<size_t>(count), -1);
        numbers[0] = 80;  // columns
        if (count > 13) numbers[13] = maxColours;
        return numbers;
    }

    void Install(const std::string& sub, const std::string& name,
                 const std::vector<uint8_t>& data) const {
        std::filesystem::create_directories(Directory + "/" + sub);
        std::ofstream out(Directory + "/" + sub + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
    }

    std::string Directory;
};

TEST_F(TerminfoFiles, ReadsMaxColoursInBothNumberFormats) {
    for (bool wide : {false, true}) {
        // Odd name length and an odd boolean count exercise the alignment of the numbers.
        auto data = Entry("zk|test", 3, Numbers(15, 256), wide);
        EXPECT_EQ(TerminfoMaxColours(data.data(), data.size()), 256) << wide;
        data = Entry("zkt|test entry", 2, Numbers(14, 8), wide);
        EXPECT_EQ(TerminfoMaxColours(data.data(), data.size()), 8) << wide;
        data = Entry("zk", 0, Numbers(20, -1), wide);
        EXPECT_EQ(TerminfoMaxColours(data.data(), data.size()), -1) << wide;
        data = Entry("zk", 0, Numbers(5, 0), wide);  // too few numbers to hold it
        EXPECT_EQ(TerminfoMaxColours(data.data(), data.size()), -1) << wide;
    }
    std::vector<uint8_t> wide = Entry("zk", 1, Numbers(14, 0), true);
    // 32-bit numbers above 16 bits are read whole.
    wide[wide.size() - 2] = 0x01;  // max_colors = 0x10000 + 0
    EXPECT_EQ(TerminfoMaxColours(wide.data(), wide.size()), 0x10000);
}

TEST_F(TerminfoFiles, RejectsWhatIsNoEntry) {
    const uint8_t garbage[] = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'};
    EXPECT_EQ(TerminfoMaxColours(garbage, sizeof garbage), -2);
    EXPECT_EQ(TerminfoMaxColours(nullptr, 0), -2);
    auto data = Entry("zk", 0, Numbers(15, 8), false);
    data.resize(data.size() - 6);  // cut inside the numbers
    EXPECT_EQ(TerminfoMaxColours(data.data(), data.size()), -2);
}

TEST_F(TerminfoFiles, LooksUpTheEntryOfTheTerminalType) {
    Install("z", "zkcolour", Entry("zkcolour|test", 1, Numbers(15, 8), false));
    Install("7a", "zkwide", Entry("zkwide|test", 0, Numbers(15, 16777216), true));
    Install("z", "zkmono", Entry("zkmono|test", 0, Numbers(15, -1), false));
    Install("z", "zkfour", Entry("zkfour|test", 0, Numbers(14, 4), false));
    Install("z", "zkbroken", {'n', 'o', 'n', 'e'});
    const std::vector<std::string> dirs = {Directory + "/missing", Directory};
    EXPECT_EQ(TerminfoColourCount("zkcolour", dirs), 8);
    EXPECT_EQ(TerminfoColourCount("zkwide", dirs), 16777216);
    EXPECT_EQ(TerminfoColourCount("zkmono", dirs), 0);
    EXPECT_EQ(TerminfoColourCount("zkbroken", dirs), -1);
    EXPECT_EQ(TerminfoColourCount("zknone", dirs), -1);
    EXPECT_EQ(TerminfoColourCount("../z/zkcolour", dirs), -1);

    EXPECT_TRUE(TerminalTypeHasColours("zkcolour", dirs));
    EXPECT_TRUE(TerminalTypeHasColours("zkwide", dirs));
    EXPECT_FALSE(TerminalTypeHasColours("zkmono", dirs));
    EXPECT_FALSE(TerminalTypeHasColours("zkfour", dirs));
    // An entry found wins over the name.
    Install("x", "xterm-mono", Entry("xterm-mono", 0, Numbers(15, 8), false));
    EXPECT_TRUE(TerminalTypeHasColours("xterm-mono", dirs));
}

TEST_F(TerminfoFiles, WithoutAnEntryTheNameDecides) {
    const std::vector<std::string> dirs = {Directory};
    EXPECT_FALSE(TerminalTypeHasColours(nullptr, dirs));
    EXPECT_FALSE(TerminalTypeHasColours("", dirs));
    for (const char* mono : {"dumb", "vt100", "vt102", "vt220", "wy50-m", "foo-mono"})
        EXPECT_FALSE(TerminalTypeHasColours(mono, dirs)) << mono;
    for (const char* colour : {"xterm", "xterm-256color", "linux", "tmux-256color", "monoterm"})
        EXPECT_TRUE(TerminalTypeHasColours(colour, dirs)) << colour;
}

}  // namespace

namespace {

// The code store of the terminal backend: small blocks from the heap, large ones as mapped
// pages, and a block the machine cannot back is refused instead of ending the program.
TEST(TerminalStore, AllocatesUsableBlocksAndRefusesTheImpossible) {
    for (size_t bytes : {size_t(0), size_t(48), size_t(1) << 20, size_t(3) << 20}) {
        auto* block = static_cast<unsigned char*>(TerminalStoreAllocate(bytes));
        ASSERT_NE(block, nullptr) << bytes;
        size_t usable = bytes == 0 ? 1 : bytes;
        std::memset(block, 0xA5, usable);
        EXPECT_EQ(block[0], 0xA5);
        EXPECT_EQ(block[usable - 1], 0xA5);
        TerminalStoreFree(block, bytes);
    }
    // Far beyond any machine: refused, and the program goes on.
    EXPECT_EQ(TerminalStoreAllocate(size_t(1) << 46), nullptr);
    EXPECT_EQ(TerminalStoreAllocate(~size_t(0) - 4096), nullptr);
    void* again = TerminalStoreAllocate(size_t(2) << 20);
    EXPECT_NE(again, nullptr);
    TerminalStoreFree(again, size_t(2) << 20);
}

// A trimmed stretch of a mapped block reads as zeros in its whole pages; the bytes before and
// after it, in the pages it only touches, keep their values. A heap block keeps all of them.
TEST(TerminalStore, TrimGivesBackOnlyWholePagesInside) {
    const size_t bytes = size_t(3) << 20;
    const size_t from = 100000;
    const size_t to = 2000000;
    auto* block = static_cast<unsigned char*>(TerminalStoreAllocate(bytes));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xA5, bytes);
    TerminalStoreTrim(block, from, to);
    const size_t page = 4096;
    size_t zeros = 0;
    for (size_t i = 0; i < bytes; ++i) {
        if (block[i] == 0) {
            ++zeros;
            ASSERT_TRUE(i >= from && i < to) << i;
        } else {
            ASSERT_EQ(block[i], 0xA5) << i;
        }
    }
    EXPECT_GE(zeros, to - from - 2 * page);
    TerminalStoreFree(block, bytes);
    auto* small = static_cast<unsigned char*>(TerminalStoreAllocate(64));
    ASSERT_NE(small, nullptr);
    std::memset(small, 0x5A, 64);
    TerminalStoreTrim(small, 0, 64);
    EXPECT_EQ(small[0], 0x5A);
    EXPECT_EQ(small[63], 0x5A);
    TerminalStoreFree(small, 64);
}

}  // namespace
