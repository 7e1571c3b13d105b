// Shared between the console's grid and its two backends; not for the screens.
#pragma once

#include <cstdint>

#include "shell/console/console.h"

struct ConsoleCell {
    char Char = ' ';
    uint8_t Attr = 7;
};

struct ConsoleGrid {
    ConsoleCell Cells[ScreenHeight][ScreenWidth];
    int CursorX = 1;  // 1..80
    int CursorY = 1;  // 1..25
    // Observed by the virtual console's drivers (console_virtual.h).
    int64_t RefusedMoves = 0;  // GotoXY outside the grid
    int64_t Overflows = 0;     // texts that ran on past column 80
    int64_t Scrolls = 0;
};
extern ConsoleGrid Grid;

// Terminal backend hooks, called by the grid after it changed.
void TerminalCellsWritten(int column, int row, int count);  // cells of one row were written
void TerminalFullRedraw();                                  // cleared or scrolled
void TerminalFlush();
uint8_t TerminalReadKey();
bool TerminalKeyPressed();
bool TerminalKeyPressedNow();
uint8_t TerminalPeekKey();
void TerminalIdlePause();
void TerminalBeep();
void TerminalLeaveFullScreen();
bool TerminalColourDisplay();
void* TerminalStoreAllocate(size_t bytes);
void TerminalStoreFree(void* block, size_t bytes);
void TerminalStoreGiveBack();
void TerminalStoreTrim(void* block, size_t from, size_t to);

// Virtual backend hooks.
uint8_t VirtualReadKey();
bool VirtualKeyPressed();
uint8_t VirtualPeekKey();
void VirtualIdlePause();
void VirtualBeep();
void VirtualDelay(int milliseconds);
DateValue VirtualGetDate();
TimeValue VirtualGetTime();
bool VirtualSetDate(int year, int month, int day);
bool VirtualSetTime(int hour, int minute, int second, int hundredths);
uint32_t VirtualTickCount();
std::string VirtualProgramPath();
bool VirtualColourDisplay();
uint8_t VirtualStartAttribute();
void VirtualLeaveFullScreen();
void* VirtualStoreAllocate(size_t bytes);
void VirtualStoreFree(void* block, size_t bytes);
void VirtualStoreGiveBack();
void VirtualStoreTrim(void* block, size_t from, size_t to);
bool VirtualStoreMayUse(size_t bytes);
