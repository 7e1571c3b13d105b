// The output side of the terminal backend, free of any system call: the attribute byte as ANSI
// SGR colours, the drawing of the console grid as the changes against what the terminal
// shows, and the colour count read from a compiled terminfo entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/console/console_internal.h"

// What the terminal shows, as far as the program knows it.
struct TerminalScreen {
    ConsoleCell Shown[ScreenHeight][ScreenWidth];
    bool Valid = false;      // false: every cell is drawn anew at the next render
    bool EraseFirst = true;  // erase the whole terminal first (at start, after a resize)
    int CursorX = 0;         // the terminal's cursor, 1-based; 0 when not known
    int CursorY = 0;
    int Attr = -1;       // the attribute the terminal writes in; -1 when not known
    bool Colour = true;  // false: attributes are shown as bold / reverse / underline
};

// The escape sequence that switches the terminal from attribute `from` (-1: not known) to
// attribute `to`; empty when nothing changes. Blink (bit 7) is not shown.
std::string AttributeSgr(int from, uint8_t to, bool colour);

// Appends to `out` what brings the terminal from what it shows to the grid: the changed cells
// only (all of them when the screen is not valid), then the cursor at the grid's cursor. The
// cursor is hidden while cells are drawn.
void RenderScreen(TerminalScreen& screen, const ConsoleGrid& grid, std::string& out);

// The numeric capability max_colors of a compiled terminfo entry (both the 16-bit and the
// 32-bit number format): its value, -1 when the entry lacks it, -2 when the data is no entry.
int TerminfoMaxColours(const uint8_t* data, size_t size);
// Looks the terminal type up in the directories, in order: the colour count of the first entry
// found (0 when it states none), or -1 when no readable entry exists.
int TerminfoColourCount(const std::string& term, const std::vector<std::string>& directories);
// The terminfo directories, from TERMINFO, ~/.terminfo, TERMINFO_DIRS and the system places.
std::vector<std::string> TerminfoDirectories();
// Terminal types known to have no colours when no terminfo entry tells.
bool MonochromeTermName(const std::string& term);
// The whole decision: false without a terminal type, or when the entry (or, lacking one, the
// name) says the terminal has fewer than 8 colours.
bool TerminalTypeHasColours(const char* term, const std::vector<std::string>& directories);
