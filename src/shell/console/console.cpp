// The grid of the console and the dispatch to the active backend.
#include "shell/console/console.h"

#include <cstring>

#include "shell/console/console_internal.h"

uint8_t TextAttr = 7;
ConsoleGrid Grid;
ConsoleKind ActiveConsole = ConsoleKind::Virtual;

namespace {

bool OnTerminal() {
    return ActiveConsole == ConsoleKind::Terminal;
}

void ScrollUp() {
    ++Grid.Scrolls;
    std::memmove(&Grid.Cells[0][0], &Grid.Cells[1][0],
                 sizeof(ConsoleCell) * ScreenWidth * (ScreenHeight - 1));
    for (ConsoleCell& cell : Grid.Cells[ScreenHeight - 1]) cell = ConsoleCell{' ', TextAttr};
    if (OnTerminal()) TerminalFullRedraw();
}

void NextRow() {
    Grid.CursorX = 1;
    if (Grid.CursorY < ScreenHeight) {
        ++Grid.CursorY;
    } else {
        ScrollUp();
    }
}

}  // namespace

void ClearScreen() {
    for (auto& row : Grid.Cells)
        for (ConsoleCell& cell : row) cell = ConsoleCell{' ', TextAttr};
    Grid.CursorX = 1;
    Grid.CursorY = 1;
    if (OnTerminal()) TerminalFullRedraw();
}

void GotoXY(int column, int row) {
    if (column < 1 || column > ScreenWidth || row < 1 || row > ScreenHeight) {
        ++Grid.RefusedMoves;
        return;
    }
    Grid.CursorX = column;
    Grid.CursorY = row;
}

int WhereX() {
    return Grid.CursorX;
}
int WhereY() {
    return Grid.CursorY;
}

void WriteText(std::string_view text) {
    while (!text.empty()) {
        // Write the piece that fits into the current row, then wrap.
        int room = ScreenWidth - Grid.CursorX + 1;
        int count = static_cast<int>(text.size()) < room ? static_cast<int>(text.size()) : room;
        ConsoleCell* cells = &Grid.Cells[Grid.CursorY - 1][Grid.CursorX - 1];
        for (int i = 0; i < count; ++i) {
            cells[i].Char = text[static_cast<size_t>(i)];
            cells[i].Attr = TextAttr;
        }
        if (OnTerminal()) TerminalCellsWritten(Grid.CursorX, Grid.CursorY, count);
        text.remove_prefix(static_cast<size_t>(count));
        if (!text.empty()) ++Grid.Overflows;
        Grid.CursorX += count;
        if (Grid.CursorX > ScreenWidth) NextRow();
    }
}

void WriteChar(char c) {
    WriteText(std::string_view(&c, 1));
}

void WriteInt(int64_t value) {
    char digits[24];
    int n = 0;
    uint64_t magnitude =
        value < 0 ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    char text[24];
    int length = 0;
    if (value < 0) text[length++] = '-';
    while (n > 0) text[length++] = digits[--n];
    WriteText(std::string_view(text, static_cast<size_t>(length)));
}

void WriteLine() {
    NextRow();
}

void WriteLine(std::string_view text) {
    WriteText(text);
    NextRow();
}

void WriteAt(int column, int row, std::string_view text) {
    GotoXY(column, row);
    WriteText(text);
}

char CellChar(int column, int row) {
    if (column < 1 || column > ScreenWidth || row < 1 || row > ScreenHeight) return '\0';
    return Grid.Cells[row - 1][column - 1].Char;
}

uint8_t CellAttr(int column, int row) {
    if (column < 1 || column > ScreenWidth || row < 1 || row > ScreenHeight) return 0;
    return Grid.Cells[row - 1][column - 1].Attr;
}

std::string RowText(int row) {
    return RowText(row, 1, ScreenWidth);
}

std::string RowText(int row, int column, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        char c = CellChar(column + i, row);
        if (c == '\0') break;
        text.push_back(c);
    }
    return text;
}

// ---- Dispatch -------------------------------------------------------------------------------

uint8_t ReadKey() {
    return OnTerminal() ? TerminalReadKey() : VirtualReadKey();
}
bool KeyPressed() {
    return OnTerminal() ? TerminalKeyPressed() : VirtualKeyPressed();
}
bool KeyPressedNow() {
    return OnTerminal() ? TerminalKeyPressedNow() : VirtualKeyPressed();
}
uint8_t PeekKey() {
    return OnTerminal() ? TerminalPeekKey() : VirtualPeekKey();
}
void IdlePause() {
    OnTerminal() ? TerminalIdlePause() : VirtualIdlePause();
}
void LeaveFullScreen() {
    OnTerminal() ? TerminalLeaveFullScreen() : VirtualLeaveFullScreen();
}
bool ColourDisplay() {
    return OnTerminal() ? TerminalColourDisplay() : VirtualColourDisplay();
}

void* StoreAllocate(size_t bytes) {
    return OnTerminal() ? TerminalStoreAllocate(bytes) : VirtualStoreAllocate(bytes);
}

void StoreTrim(void* block, size_t from, size_t to) {
    if (block == nullptr || from >= to) return;
    OnTerminal() ? TerminalStoreTrim(block, from, to) : VirtualStoreTrim(block, from, to);
}

void StoreGiveBack() {
    OnTerminal() ? TerminalStoreGiveBack() : VirtualStoreGiveBack();
}

void StoreFree(void* block, size_t bytes) {
    if (block == nullptr) return;
    OnTerminal() ? TerminalStoreFree(block, bytes) : VirtualStoreFree(block, bytes);
}
