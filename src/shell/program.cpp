// The program's course: the start-up (the machine's date put in range, the processor label, the
// settings loaded), the language screen, the main menu and its entries, the rounds of conditions
// dialog and match, and the exit banner (which writes only printable text). The language in use
// and the start attribute live here.
#include "shell/program.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "breaker/shuffle.h"
#include "calendar/clock_text.h"
#include "calendar/system_clock_screen.h"
#include "calendar/virtual_date.h"
#include "calendar/virtual_date_screen.h"
#include "colours/colour_screen.h"
#include "help/instructions.h"
#include "help/rules_pages.h"
#include "match/code.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "setup/conditions_dialog.h"
#include "setup/conditions_screen.h"
#include "setup/configuration.h"
#include "setup/names.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/language.h"
#include "shell/settings.h"

LanguageKind Language = LanguageKind::German;
bool SkipEncoderName = true;
uint8_t AttributeAtStart = 7;
std::string ProcessorLineGerman;
std::string ProcessorLineEnglish;

namespace {

constexpr const char* kBits = "32";
constexpr const char* kVersionWord = "-Bit - Version  ";
constexpr const char* kBuildDate = "2025-01-01";

void StartUp() {
    AttributeAtStart = StartAttribute();
    ColourDisplayFlag = true;

    DateValue today = GetDate();
    if (MayRepairSystemDate()) {
        if (today.Year < 1980) {
            SetDate(2000 + today.Year % 100, today.Month, today.Day);
        } else if (today.Year > 9999) {
            SetDate(9999, today.Month, today.Day);
        }
        today = GetDate();
    }
    (void)GetTime();

    const char* processor = " >= 80386 + 80387.";
    ProcessorLineGerman = std::string("| Vorhandene CPU") + processor + "    ";
    ProcessorLineEnglish = std::string("| Available CPU") + processor + "     ";

    ClearShuffleBuckets();

    VirtualDateOn = false;
    FirstVirtualDayShown = true;
    VirtualDate = GameDate{today.Year, today.Month, today.Day, today.Weekday};
    VirtualNextDate = NextDay(VirtualDate);

    LocateSettings();
    SeedRandom(TickCount());
    SkipEncoderName = true;

    // The colour flag is known before the load, so its attribute repairs run once, rightly.
    ColourDisplayFlag = ColourDisplay();
    LoadSettings();
    TextAttr = NormalAttributeInUse;

    RefreshClockText();
    UserVacantAllowed = Settings.VacantAllowed;
}

// Reads menu keys until one of '1'..'9'; Ctrl-C counts as '9'.
uint8_t ReadMenuKey() {
    for (;;) {
        uint8_t code = 0;
        uint8_t key = WaitKeyWithCode(code);
        if (key == KeyExtended) key = 'x';
        if (key == KeyCtrlC) key = '9';
        if (key >= '1' && key <= '9') return key;
    }
}

void PrepareGameSetup() {
    Settings.VacantAllowed = UserVacantAllowed;
    ClockState.German = InGerman();
    if (VirtualDateOn) {
        VirtualNextDate = NextDay(VirtualDate);
        FirstVirtualDayShown = true;
    }
    MemoryBudget = BudgetForLevel(MemoryLevelInUse);
}

// Before every conditions screen: the conditions as the computer can serve them, and clean
// names.
void PrepareConditions() {
    CapacityCheck(SignCount, Settings.CodeLength, Settings.RepetitionsAllowed != 0, false, false,
                  Settings.VacantAllowed != 0);
    NormalizeName(Settings.EncoderName);
    NormalizeName(Settings.BreakerName);
}

// The conditions dialog and the matches it starts, until the user goes back to the menu.
void PlayGames() {
    PrepareGameSetup();
    for (;;) {
        PrepareConditions();
        ConditionsScreen();
        if (ConditionsDialog() != ConditionsOutcome::StartMatch) return;
        if (PlayMatch() != MatchOutcome::NewMatch) return;
        SkipEncoderName = true;
    }
}

}  // namespace

uint8_t LanguageScreen() {
    ClearScreen();
    SetTextAttr(HighlightAttributeInUse);
    WriteText(std::string(" *******  Zamikovantorel  ***  Windows - ") + kBits + kVersionWord +
              kBuildDate + ".  *******");
    SetTextAttr(NormalAttributeInUse);
    WriteLine();
    WriteLine();
    WriteInformationBlock();
    WriteLine();
    SetTextAttr(HighlightAttributeInUse);
    WriteText(" Deutsch:");
    SetTextAttr(NormalAttributeInUse);
    WriteLine();
    WriteLine(" Wollen Sie \"Deutsch\" als Sprache w" UML_AE "hlen, So dr" UML_UE
              "cken Sie bitte \"d\" oder \"D\".");
    WriteLine(" Wollen Sie das Programm beenden, So dr" UML_UE
              "cken Sie bitte \"Esc\"/\"Escape\".");
    WriteLine();
    SetTextAttr(HighlightAttributeInUse);
    WriteText(" English:");
    SetTextAttr(NormalAttributeInUse);
    WriteLine();
    WriteLine(" To choose 'English' as language, please press 'e' or 'E'.");
    WriteText(" To leave the program, please press 'Esc'/'Escape'.");

    uint8_t key = 0;
    do {
        uint8_t code = 0;
        key = WaitKeyWithCode(code);
        if (key == 'D') key = 'd';
        if (key == 'E') key = 'e';
        if (key == KeyCtrlC) key = KeyEsc;
    } while (key != 'd' && key != 'e' && key != KeyEsc);
    Language = key == 'e' ? LanguageKind::English : LanguageKind::German;
    return key;
}

void DrawMainMenu() {
    SetTextAttr(NormalAttributeInUse);
    ClearScreen();
    WriteOperatingInstructions();
    SetTextAttr(HighlightAttributeInUse);
    if (InGerman()) {
        WriteText("                                Bitte w" UML_AE "hlen Sie:");
    } else {
        WriteText("                               Please choose now:");
    }
    SetTextAttr(NormalAttributeInUse);
    WriteLine();
    WriteLine();
    if (InGerman()) {
        WriteLine(" 1 - Sprache " UML_AE "ndern.                     5 - Das Spiel beginnt.");
        WriteLine(" 2 - Datum/Uhrzeit anzeigen/einstellen.   6 - Kurze Spielanleitung.  (1 Seite)");
        WriteLine(
            " 3 - Wochentagskalender von 0000 - 9999/  7 - Genaue Spielanleitung. (4 Seiten)");
        WriteLine("     Virtuelles Spieldatum.               8 - Konfiguration.         (1 Seite)");
        WriteText(" 4 - Bringen Sie Farbe ins Spiel.         9 - Programm beenden.");
    } else {
        WriteLine(" 1 - Change the language.        5 - The game starts.");
        WriteLine(" 2 - Show/change date/time.      6 - Short instruction of the game.   (1 page)");
        WriteLine(
            " 3 - Calendar from 0000 to 9999/ 7 - Detailed instruction of the game.(4 pages)");
        WriteLine("     Virtual date of the game.   8 - Configuration.                   (1 page)");
        WriteText(" 4 - Lend colour to the game.    9 - End of the game.");
    }
}

// The length of the well-formed UTF-8 character at the start of the text, with its code point;
// 0 where the bytes form none (a stray byte, a cut or overlong form, a surrogate, a code point
// beyond U+10FFFF).
size_t Utf8Character(std::string_view text, uint32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    size_t length = 1;
    uint32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(k) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// The text as the banner may write it: characters of valid UTF-8 that print stay as they are;
// every other byte, and every control character (C0, DEL, and C1 also in UTF-8), becomes '?',
// so that no name of a folder can drive the terminal.
std::string PrintableText(std::string_view text) {
    std::string printable;
    while (!text.empty()) {
        uint32_t code = 0;
        const size_t length = Utf8Character(text, code);
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        if (length > 0 && !control) {
            printable.append(text.substr(0, length));
        } else {
            printable += '?';
        }
        text.remove_prefix(length > 0 ? length : 1);
    }
    return printable;
}

void WriteExitBanner() {
    WriteLine(PrintableText(ProgramPath()));
    WriteLine();
    WriteLine(std::string("Zamikovantorel  ***  Windows - ") + kBits + kVersionWord + kBuildDate +
              ",");
    WriteLine("Version ohne Grafik- und Sonderzeichen / version without graphics characters.");
    WriteLine();
    // The maker's contact block is left out; its empty line behind it stays.
    WriteLine();
    WriteLine("Bye-bye!");
    WriteLine();
}

int RunProgram() {
    StartUp();
    bool running = LanguageScreen() != KeyEsc;
    while (running) {
        SkipEncoderName = true;
        Settings.VacantAllowed = UserVacantAllowed;
        SaveSettings();
        bool backToStart = false;
        while (running && !backToStart) {
            DrawMainMenu();
            switch (ReadMenuKey()) {
                case '1':
                    if (LanguageScreen() == KeyEsc) running = false;
                    break;
                case '2':
                    VirtualDateOn = false;
                    RefreshClockText();
                    SystemClockScreen();
                    break;
                case '3':
                    RefreshClockText();
                    VirtualDateScreen(VirtualDate, VirtualDateOn);
                    VirtualNextDate = NextDay(VirtualDate);
                    break;
                case '4':
                    ColourScreen();
                    SaveSettings();
                    break;
                case '5':
                    PlayGames();
                    backToStart = true;
                    break;
                case '8':
                    MemoryBudget = BudgetForLevel(MemoryLevelInUse);
                    ConfigurationScreen();
                    SaveSettings();
                    break;
                case '9':
                    running = false;
                    break;
                case '6':
                    ShowShortRules();
                    break;
                case '7':
                    ShowDetailedRules();
                    break;
                default:
                    break;
            }
        }
    }
    SaveSettings();
    SetTextAttr(AttributeAtStart);
    LeaveFullScreen();
    ClearScreen();
    WriteExitBanner();
    return 0;
}
