// A test fixture: the program's own logic on the virtual console, with the program path (and
// so BEDINGUN.DAT) inside a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/console/console.h"
#include "shell/console/console_virtual.h"

class VirtualSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The directory of the program path; removed with everything in it after the test.
    std::string Directory;
    std::string SettingsFile() const { return Directory + "/BEDINGUN.DAT"; }

    // Writes raw bytes as BEDINGUN.DAT.
    void WriteSettingsFile(const std::vector<uint8_t>& bytes) const;
    std::vector<uint8_t> ReadSettingsFile() const;
    bool SettingsFileExists() const;

    // Resets the program-wide records to what a fresh start has before the settings load.
    static void ResetProgramState();
};

// Compares the cells of a row from a column with a text, naming the place on failure.
::testing::AssertionResult ScreenHas(int column, int row, const std::string& text);
// The same, and every cell of the text carries the attribute.
::testing::AssertionResult ScreenHasIn(int column, int row, const std::string& text,
                                       uint8_t attribute);
// The whole screen as 25 lines, for failure messages.
std::string ScreenDump();
