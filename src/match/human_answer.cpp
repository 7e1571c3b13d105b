// Reading the human encoder's answer: a P digit that some remaining answer class allows, then a Z
// digit that goes with that P. A P or a Z that is the only one possible is written without a
// key, and a P of L - 1 or more takes Z = 0 at once.
#include "match/human_answer.h"

#include <string>

#include "match/board.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

namespace {

void WriteDigit(int x, int y, int value) {
    WriteAt(x, y, std::string(1, char('0' + value)));
}

// Waits for a digit the predicate accepts; -1 for Esc or Ctrl-C, -2 for Backspace when it
// is wanted.
template <typename Accept>
int ReadDigit(Accept accept, bool backspaceWanted, uint8_t& lastKey) {
    for (;;) {
        uint8_t code = 0;
        const uint8_t key = WaitKeyWithCode(code);
        lastKey = key;
        if (key == KeyEsc || key == KeyCtrlC) return -1;
        if (key == KeyBackspace && backspaceWanted) return -2;
        if (key < '0' || key > '9') continue;
        if (accept(key - '0')) return key - '0';
    }
}

}  // namespace

bool ReadHumanAnswer(const int32_t table[10][10], int& p, int& z, uint8_t& lastKey) {
    const int length = Settings.CodeLength;
    const int y = TrialY(MatchBoard.Row);
    const int px = PColumn(MatchBoard.Column);
    const int zx = ZColumn(MatchBoard.Column);
    for (;;) {
        GotoXY(px, y);
        int onlyP = -1;
        int distinct = 0;
        for (int q = 0; q <= length; ++q) {
            bool occurs = false;
            for (int m = q; m <= length; ++m) occurs = occurs || table[m][q] > 0;
            if (occurs) {
                ++distinct;
                onlyP = q;
            }
        }
        bool typed = false;
        if (distinct == 1) {
            p = onlyP;
        } else {
            p = ReadDigit(
                [&](int d) {
                    bool possible = false;
                    for (int m = d; m <= length; ++m) possible = possible || table[m][d] > 0;
                    return possible;
                },
                false, lastKey);
            if (p < 0) return false;
            typed = true;
        }
        WriteDigit(px, y, p);
        GotoXY(zx, y);
        if (p >= length - 1) {
            z = 0;
            WriteDigit(zx, y, z);
            return true;
        }
        int onlyM = -1;
        int choices = 0;
        for (int m = p; m <= length; ++m) {
            if (table[m][p] > 0) {
                ++choices;
                onlyM = m;
            }
        }
        if (choices == 1) {
            z = onlyM - p;
            WriteDigit(zx, y, z);
            return true;
        }
        const int d = ReadDigit([&](int v) { return v <= length - p && table[p + v][p] > 0; },
                                typed, lastKey);
        if (d == -1) return false;
        if (d >= 0) {
            z = d;
            WriteDigit(zx, y, z);
            return true;
        }
        WriteAt(px, y, " ");  // back to the P prompt
    }
}
