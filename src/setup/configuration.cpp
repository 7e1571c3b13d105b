// The memory configuration screen.
#include "setup/configuration.h"

#include <string>

#include "match/code.h"
#include "setup/capacity.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace {

constexpr int kFirstLevelRow = 17;  // level k stands in row 16 + k
constexpr int kLevelColumn = 3;     // the digit of the level

void WriteHelpGerman() {
    WriteLine(" Damit das Spiel richtig dargestellt wird, braucht das Konsolenfenster");
    WriteLine(" 80 Spalten und 25 Zeilen:");
    WriteLine(" - Stellen Sie im Men" UML_UE " des Terminals (Einstellungen/Profil) eine");
    WriteLine("   Fenstergr" UML_OE UML_SZ "e mit der Breite 80 und der H" UML_OE
              "he 25 ein, und ebenso");
    WriteLine("   einen Bildschirmpuffer mit der Breite 80 und der H" UML_OE "he 25.");
    WriteLine(" - W" UML_AE
              "hlen Sie eine Schriftart fester Breite (z. B. \"Monospace\") und eine");
    WriteLine("   Schriftgr" UML_OE UML_SZ
              "e, bei der das ganze Fenster auf den Bildschirm passt.");
    WriteLine(" Danach starten Sie das Spiel am besten neu.");
}

void WriteHelpEnglish() {
    WriteLine(" To be shown properly, the game needs a console window of 80 columns and 25");
    WriteLine(" rows:");
    WriteLine(" - Set a window size of width 80 and height 25 in the terminal's settings");
    WriteLine("   (preferences/profile), and a screen buffer of width 80 and height 25 too.");
    WriteLine(" - Choose a font of fixed width (\"Monospace\", say) and a font size with which");
    WriteLine("   the whole window fits on the screen; then restart the game.");
}

void WritePrompt() {
    GotoXY(1, 13);
    if (InGerman()) {
        WriteLine("  Bitte w" UML_AE
                  "hlen Sie, wieviel Arbeitsspeicher (RAM) das Spiel benutzen darf;");
        WriteLine("  davon h" UML_AE "ngt auch die Zeit ab, die der Computer zum Raten braucht.");
        WriteText("  Bitte best" UML_AE "tigen Sie Ihre Wahl mit der 'CR'/'Enter'-Taste.");
    } else {
        WriteLine("  Please choose now, how much memory (RAM) the game should be able to use.");
        WriteLine("  The memory limits also the time, that the computer needs to guess.");
        WriteText("  Please confirm your choice by pressing the 'CR'/'Enter'-key.");
    }
}

const char* Remark(int level) {
    if (InGerman()) {
        switch (level) {
            case 1:
                return "F" UML_UE "r kleine Ger" UML_AE "te, entspricht etwa dem DOS-Real-Mode.";
            case 4:
                return "Entspricht ungef" UML_AE "hr dem DOS-Protected-Mode.";
            case 6:
                return "Versionen, die viel Arbeitsspeicher (RAM) benutzen,";
            case 7:
                return "brauchen auch mehr Zeit, und sogar ungewollte";
            case 8:
                return "Abbr" UML_UE "che sind m" UML_OE "glich.";
            default:
                return "";
        }
    }
    switch (level) {
        case 1:
            return "For small devices, corresponds nearly to DOS-Real-Mode.";
        case 4:
            return "Corresponds approximately to DOS-Protected-Mode.";
        case 6:
            return "Versions which uses much memory (RAM) also need more time.";
        case 7:
            return "Even unintentional break-offs are possible.";
        case 8:
            return "Only with as much free memory (RAM), else it may break off.";
        default:
            return "";
    }
}

// "1 ( ):   1 MiB" or, for the chosen level, "1 (*):   1 MiB" from column 3.
std::string LevelText(int level, bool chosen) {
    return std::string(1, static_cast<char>('0' + level)) + (chosen ? " (*): " : " ( ): ") +
           MemoryLabel(level);
}

void ShowLevel(int level, bool chosen) {
    SetTextAttr(chosen ? HighlightAttributeInUse : NormalAttributeInUse);
    WriteAt(kLevelColumn, kFirstLevelRow + level - 1, LevelText(level, chosen));
    SetTextAttr(NormalAttributeInUse);
}

}  // namespace

void ConfigurationScreen() {
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    SetTextAttr(HighlightAttributeInUse);
    WriteText(InGerman() ? "                            ***  Konfiguration  ***"
                         : "                            ***  Configuration  ***");
    SetTextAttr(NormalAttributeInUse);
    WriteLine();
    WriteLine();
    if (InGerman()) {
        WriteHelpGerman();
    } else {
        WriteHelpEnglish();
    }
    WriteAt(1, 11, std::string(79, '_'));
    WritePrompt();
    for (int level = 1; level <= MemoryLevelCount; ++level) {
        std::string line = "  " + LevelText(level, false);
        std::string remark = Remark(level);
        if (!remark.empty()) line += " " + remark;
        WriteAt(1, kFirstLevelRow + level - 1, line);
    }

    int level = MemoryLevelInUse;
    if (level < 1 || level > MemoryLevelCount) level = 4;
    ShowLevel(level, true);
    for (;;) {
        GotoXY(kLevelColumn, kFirstLevelRow + level - 1);
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyEnter || key == KeyEsc || key == KeyCtrlC) break;
        int chosen = level;
        if (key == KeyExtended) {
            if (code == ExtUp || code == ExtCtrlUp || code == ExtAltUp) {
                chosen = level == 1 ? MemoryLevelCount : level - 1;
            } else if (code == ExtDown || code == ExtCtrlDown || code == ExtAltDown) {
                chosen = level == MemoryLevelCount ? 1 : level + 1;
            }
        } else if (key >= '1' && key <= '0' + MemoryLevelCount) {
            chosen = key - '0';
        }
        if (chosen != level) {
            ShowLevel(level, false);
            level = chosen;
            ShowLevel(level, true);
        }
    }
    MemoryLevelInUse = static_cast<uint8_t>(level);
    // The computer's limits follow the new level at once.
    MemoryBudget = BudgetForLevel(MemoryLevelInUse);
    CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, false, false,
                  Settings.VacantAllowed != 0);
}
