// Zamikovantorel: a code-breaking game for two players in one 80 x 25 text console.
#include "shell/console/console.h"
#include "shell/program.h"

int main() {
    StartTerminalConsole();
    int code = RunProgram();
    StopTerminalConsole();
    return code;
}
