// The terminal backend of the console. (Placeholder until the terminal layer lands: it keeps the
// program linkable and behaves like a console whose input has ended.)
#include "shell/console.h"
#include "shell/console_internal.h"

#include <cstdlib>

bool StartTerminalConsole() {
    return false;
}
void StopTerminalConsole() {}
void TerminalCellsWritten(int, int, int) {}
void TerminalFullRedraw() {}
void TerminalFlush() {}
uint8_t TerminalReadKey() {
    return KeyCtrlC;
}
bool TerminalKeyPressed() {
    return true;
}
void TerminalIdlePause() {}
void TerminalBeep() {}
void TerminalLeaveFullScreen() {}
bool TerminalColourDisplay() {
    return true;
}
void* TerminalStoreAllocate(size_t bytes) {
    return std::malloc(bytes);
}
void TerminalStoreFree(void* block, size_t) {
    std::free(block);
}
