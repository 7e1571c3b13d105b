// The soak driver: a seeded random source of its own, the screen read to name the place the
// program is at and to weight the keys for it, the checks after every key and every save, the
// watchdog thread and the report.
#include "support/soak_driver.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "calendar/clock_text.h"
#include "calendar/virtual_date.h"
#include "match/board.h"
#include "match/code.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "setup/conditions_screen.h"
#include "shell/console/console.h"
#include "shell/console/console_virtual.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"

namespace {

// ---- Random source of the driver (independent of the program's own) -------------------------

struct Rng {
    uint64_t State = 0;
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>((Next() >> 32) % n); }
    // true with a chance of perMille / 1000
    bool Chance(int perMille) { return static_cast<int>(Below(1000)) < perMille; }
};

// ---- Keys -----------------------------------------------------------------------------------

struct Key {
    uint8_t Code = 0;  // 0: an extended key, Ext is its second code
    uint8_t Ext = 0;
};

Key Plain(int c) {
    return Key{static_cast<uint8_t>(c), 0};
}
Key Extended(uint8_t code) {
    return Key{KeyExtended, code};
}

const uint8_t kExtendedCodes[] = {
    ExtF1,       ExtShiftF1, ExtCtrlF1,  ExtAltF1,     ExtF2,       ExtF3,      ExtF5,
    ExtF7,       ExtF8,      ExtF9,      ExtF10,       ExtF11,      ExtF12,     ExtF4,
    ExtShiftF4,  ExtCtrlF4,  ExtAltF4,   ExtF6,        ExtShiftF6,  ExtCtrlF6,  ExtAltF6,
    ExtUp,       ExtCtrlUp,  ExtAltUp,   ExtDown,      ExtCtrlDown, ExtAltDown, ExtLeft,
    ExtCtrlLeft, ExtAltLeft, ExtRight,   ExtCtrlRight, ExtAltRight, ExtHome,    ExtCtrlHome,
    ExtAltHome,  ExtEnd,     ExtCtrlEnd, ExtAltEnd,    ExtIns,      ExtCtrlIns, ExtAltIns,
    ExtDel,      ExtCtrlDel, ExtAltDel,  ExtPgUp,      ExtCtrlPgUp, ExtAltPgUp, ExtPgDn,
    ExtCtrlPgDn, ExtAltPgDn, ExtShiftTab};

std::string KeyName(const Key& k) {
    char text[16];
    if (k.Code == KeyExtended) {
        std::snprintf(text, sizeof text, "x%d", k.Ext);
    } else if (k.Code > 32 && k.Code < 127) {
        std::snprintf(text, sizeof text, "%c", k.Code);
    } else {
        std::snprintf(text, sizeof text, "#%d", k.Code);
    }
    return text;
}

// ---- Where the program is -------------------------------------------------------------------

enum class Context {
    Language,
    Menu,
    ConditionsPrompt,
    ConditionsTime,
    ConditionsYesNo,
    ConditionsSign,
    ConditionsLength,
    ConditionsName,
    ConditionsNameConfirm,
    ConditionsSecret,
    ConditionsOther,
    MatchTrial,
    MatchAnswer,
    MatchComputer,
    MatchNewGame,
    SystemClock,
    VirtualDate,
    Colours,
    Configuration,
    Other,
};

bool RowHas(int column, int row, const char* text) {
    for (int i = 0; text[i] != '\0'; ++i)
        if (CellChar(column + i, row) != text[i]) return false;
    return true;
}

bool OnConditionsScreen() {
    return CellChar(4, 1) == '_' && RowHas(33, 2, "Zamikovantorel");
}
bool OnMatchBoard() {
    return RowHas(1, 1, "___  ***  Zamikovantorel");
}

Context Identify() {
    const int x = WhereX(), y = WhereY();
    if (RowHas(2, 1, "*******  Zamikovantorel")) return Context::Language;
    if (y == 25 && RowHas(1, 25, " 4 - ")) return Context::Menu;
    if (OnConditionsScreen()) {
        if (y == 20 && x >= 73) return Context::ConditionsPrompt;
        if (y == 10) return Context::ConditionsTime;
        if (x == 30 && (y == 13 || y == 14)) return Context::ConditionsSign;
        if (x == 30 && y == 16) return Context::ConditionsLength;
        if ((y == 23 || y == 24) && x >= 76) return Context::ConditionsNameConfirm;
        if (y == 23 || y == 24) return Context::ConditionsName;
        if (y == 18 && x >= 46) return Context::ConditionsSecret;
        if (x == 30 || y == 13 || y == 17) return Context::ConditionsYesNo;
        return Context::ConditionsOther;
    }
    if (OnMatchBoard()) {
        if (x == 70 && y == 25) return Context::MatchNewGame;
        const int column = MatchBoard.Column;
        if (y == TrialY(MatchBoard.Row) && (x == PColumn(column) || x == ZColumn(column)))
            return Context::MatchAnswer;
        if (Settings.ComputerGuesses != 0) return Context::MatchComputer;
        return Context::MatchTrial;
    }
    if (RowHas(1, 1, "Please set the right date") || RowHas(1, 1, "Bitte stellen Sie Datum"))
        return Context::SystemClock;
    if (RowHas(1, 1, "Please set the right virtual") || RowHas(1, 1, "Bitte stellen Sie Ihr"))
        return Context::VirtualDate;
    // The colour screen, with its table on the left (colour) or its text on the right alone
    // (monochrome).
    if (CellChar(41, 4) == '|' && CellChar(41, 20) == '|') return Context::Colours;
    if (RowHas(29, 1, "***  Configuration") || RowHas(29, 1, "***  Konfiguration"))
        return Context::Configuration;
    return Context::Other;
}

const char* ContextName(Context c) {
    switch (c) {
        case Context::Language:
            return "language screen";
        case Context::Menu:
            return "main menu";
        case Context::ConditionsPrompt:
            return "conditions: choice prompt";
        case Context::ConditionsTime:
            return "conditions: time limit";
        case Context::ConditionsYesNo:
            return "conditions: yes/no field";
        case Context::ConditionsSign:
            return "conditions: sign field";
        case Context::ConditionsLength:
            return "conditions: code length";
        case Context::ConditionsName:
            return "conditions: name typing";
        case Context::ConditionsNameConfirm:
            return "conditions: name O.K.?";
        case Context::ConditionsSecret:
            return "conditions: secret entry";
        case Context::ConditionsOther:
            return "conditions: other";
        case Context::MatchTrial:
            return "match: human trial";
        case Context::MatchAnswer:
            return "match: P/Z answer";
        case Context::MatchComputer:
            return "match: computer guesses";
        case Context::MatchNewGame:
            return "match: new game?";
        case Context::SystemClock:
            return "system clock screen";
        case Context::VirtualDate:
            return "virtual date screen";
        case Context::Colours:
            return "colour screen";
        case Context::Configuration:
            return "configuration screen";
        case Context::Other:
            return "other";
    }
    return "?";
}

// A finer label for the coverage table: the field by its cursor position, the page by its
// first row.
std::string ReachedLabel(Context c) {
    std::string label = ContextName(c);
    char where[32];
    switch (c) {
        case Context::ConditionsName:
            label += WhereY() == 23 ? " (1st player)" : " (2nd player)";
            break;
        case Context::ConditionsYesNo:
        case Context::ConditionsSign:
        case Context::ConditionsNameConfirm:
        case Context::ConditionsTime:
            std::snprintf(where, sizeof where, " row %d col %d", WhereY(), WhereX());
            label += where;
            break;
        case Context::Other: {
            std::string first = RowText(1);
            first.erase(0, first.find_first_not_of(' '));
            label += ": " + first.substr(0, 30);
            if (RowHas(2, 25, "Page") || RowHas(2, 25, "Seite"))
                label += " / " + RowText(25, 2, 12);
            break;
        }
        case Context::MatchComputer:
            if (Settings.AnswerFixed == 0) label += " (not fixed)";
            break;
        case Context::MatchTrial:
            if (Settings.AnswerFixed == 0)
                label +=
                    Settings.ComputerEncodes ? " (not fixed, computer)" : " (not fixed, human)";
            if (MatchBoard.TrialCount > RingTrials) label += " (scrolled)";
            break;
        default:
            break;
    }
    return label + (InGerman() ? " [de]" : " [en]");
}

// ---- The key stream -------------------------------------------------------------------------

struct Choice {
    int Weight;
    Key (*Make)(Rng&);
};

Key AnyKey(Rng& r) {
    switch (r.Below(6)) {
        case 0:
            return Extended(kExtendedCodes[r.Below(sizeof kExtendedCodes)]);
        case 1:
            return Extended(static_cast<uint8_t>(1 + r.Below(255)));
        case 2:
            return Plain(1 + static_cast<int>(r.Below(31)));  // control characters
        case 3:
            return Plain(128 + static_cast<int>(r.Below(128)));
        default:
            return Plain(32 + static_cast<int>(r.Below(95)));  // printable
    }
}
Key AnySign(Rng& r) {
    static const char kRing[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    char c = kRing[r.Below(36)];
    if (c >= 'a' && c <= 'z' && r.Chance(200)) c = static_cast<char>(c - 'a' + 'A');
    return Plain(c);
}
// A sign of the range in force (upper case now and then), or one just beyond it.
Key RangeSign(Rng& r) {
    const int n = SignCount >= 1 && SignCount <= RingSize ? SignCount : 10;
    if (r.Chance(50)) return AnySign(r);
    char c = IndexSign[1 + r.Below(static_cast<uint32_t>(n))];
    if (c >= 'a' && c <= 'z' && r.Chance(100)) c = static_cast<char>(c - 'a' + 'A');
    return Plain(c);
}
Key Digit(Rng& r) {
    return Plain('0' + static_cast<int>(r.Below(10)));
}
Key SmallDigit(Rng& r) {  // an answer digit 0..L
    return Plain('0' + static_cast<int>(r.Below(static_cast<uint32_t>(Settings.CodeLength) + 1)));
}
Key YesKey(Rng& r) {
    static const char kYes[] = "jJyYzZ";
    return Plain(r.Chance(200) ? KeyEnter : kYes[r.Below(6)]);
}
Key NoKey(Rng& r) {
    return Plain(r.Chance(500) ? 'N' : 'n');
}
Key Esc(Rng&) {
    return Plain(KeyEsc);
}
Key CtrlC(Rng&) {
    return Plain(KeyCtrlC);
}
Key Enter(Rng&) {
    return Plain(KeyEnter);
}
Key Backspace(Rng&) {
    return Plain(KeyBackspace);
}
Key Arrow(Rng& r) {
    static const uint8_t kArrows[] = {ExtUp,     ExtDown,     ExtLeft,    ExtRight,
                                      ExtCtrlUp, ExtCtrlDown, ExtAltLeft, ExtAltRight};
    return Extended(kArrows[r.Below(r.Chance(800) ? 4 : 8)]);
}
Key StopKey(Rng& r) {
    static const uint8_t kStops[] = {ExtF4, ExtF6, ExtShiftF4, ExtCtrlF6, ExtAltF4};
    return Extended(kStops[r.Below(r.Chance(700) ? 2 : 5)]);
}
Key F1(Rng&) {
    return Extended(ExtF1);
}
Key Page(Rng& r) {
    static const uint8_t kPages[] = {ExtPgUp, ExtPgDn, ExtCtrlPgUp, ExtAltPgDn};
    return Extended(kPages[r.Below(4)]);
}
Key DeleteKey(Rng& r) {
    switch (r.Below(5)) {
        case 0:
            return Extended(ExtDel);
        case 1:
            return Extended(ExtAltDel);
        case 2:
            return Plain(',');
        case 3:
            return Plain(127);
        default:
            return Plain(r.Chance(500) ? 6 : 7);
    }
}
Key VacantKey(Rng& r) {
    static const char kVacant[] = " *+~";
    return Plain(kVacant[r.Below(4)]);
}
Key NameKey(Rng& r) {
    static const char kName[] = "AbcDefGhiJkLmnOpqRSTuvwxyz -_.:0";
    return Plain(kName[r.Below(sizeof kName - 1)]);
}
Key MenuDigit(Rng& r) {
    // 5 (the game) most, 9 (the end) least.
    static const char kMenu[] = "5555555555551234678123467855";
    return Plain(r.Chance(15) ? '9' : kMenu[r.Below(sizeof kMenu - 1)]);
}
Key LanguageKey(Rng& r) {
    static const char kLanguage[] = "deDE";
    return Plain(kLanguage[r.Below(4)]);
}
Key ColourKey(Rng& r) {
    if (r.Chance(300)) return Plain('1' + static_cast<int>(r.Below(8)));
    char c = static_cast<char>('a' + r.Below(16));
    return Plain(r.Chance(500) ? c - 'a' + 'A' : c);
}
Key LevelKey(Rng& r) {
    return Plain('1' + static_cast<int>(r.Below(8)));
}
Key PromptKey(Rng& r) {
    static const char kPrompt[] = "1111111122333";
    return Plain(kPrompt[r.Below(sizeof kPrompt - 1)]);
}
Key LengthKey(Rng& r) {
    // Short codes mostly, so that the matches stay small.
    static const char kLength[] = "2233344456789";
    return Plain(kLength[r.Below(sizeof kLength - 1)]);
}
Key TimeKey(Rng& r) {
    return Plain('0' + static_cast<int>(r.Below(10)));
}

template <size_t N>
Key Pick(Rng& r, const Choice (&choices)[N]) {
    int total = 0;
    for (const Choice& c : choices) total += c.Weight;
    int at = static_cast<int>(r.Below(static_cast<uint32_t>(total)));
    for (const Choice& c : choices) {
        if (at < c.Weight) return c.Make(r);
        at -= c.Weight;
    }
    return choices[0].Make(r);
}

// Weights in thousandths, roughly; every screen also gets any key at all now and then.
Key ChooseKey(Context c, Rng& r) {
    switch (c) {
        case Context::Language: {
            static const Choice k[] = {{800, LanguageKey}, {20, Esc}, {5, CtrlC}, {175, AnyKey}};
            return Pick(r, k);
        }
        case Context::Menu: {
            static const Choice k[] = {{850, MenuDigit}, {3, CtrlC}, {147, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsPrompt: {
            static const Choice k[] = {{700, PromptKey}, {20, [](Rng&) { return Plain('4'); }},
                                       {40, Backspace},  {50, Enter},
                                       {15, Esc},        {5, CtrlC},
                                       {170, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsTime: {
            static const Choice k[] = {{500, TimeKey}, {250, Enter}, {60, Backspace},
                                       {20, Esc},      {5, CtrlC},   {165, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsYesNo: {
            static const Choice k[] = {{300, YesKey}, {300, NoKey}, {200, Enter}, {50, Backspace},
                                       {20, Esc},     {5, CtrlC},   {125, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsSign: {
            static const Choice k[] = {{500, AnySign}, {250, Enter}, {50, Backspace},
                                       {20, Esc},      {5, CtrlC},   {175, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsLength: {
            static const Choice k[] = {{500, LengthKey}, {250, Enter}, {50, Backspace},
                                       {20, Esc},        {5, CtrlC},   {175, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsName: {
            static const Choice k[] = {{650, NameKey}, {150, Enter}, {80, Backspace},
                                       {20, Esc},      {5, CtrlC},   {95, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsNameConfirm: {
            static const Choice k[] = {{500, YesKey}, {150, NoKey}, {80, Backspace},
                                       {20, Esc},     {5, CtrlC},   {245, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsSecret: {
            static const Choice k[] = {
                {700, RangeSign}, {60, Backspace}, {20, Esc}, {5, CtrlC}, {215, AnyKey}};
            return Pick(r, k);
        }
        case Context::ConditionsOther: {
            static const Choice k[] = {{300, Enter}, {100, YesKey}, {50, Esc}, {550, AnyKey}};
            return Pick(r, k);
        }
        case Context::MatchTrial: {
            static const Choice k[] = {{800, RangeSign}, {30, VacantKey}, {30, Arrow},
                                       {20, DeleteKey},  {20, Backspace}, {10, Enter},
                                       {6, Esc},         {1, CtrlC},      {83, AnyKey}};
            return Pick(r, k);
        }
        case Context::MatchAnswer: {
            static const Choice k[] = {
                {800, SmallDigit}, {50, Backspace}, {4, Esc}, {1, CtrlC}, {145, AnyKey}};
            return Pick(r, k);
        }
        case Context::MatchComputer: {
            static const Choice k[] = {{300, StopKey}, {15, Esc}, {2, CtrlC}, {683, AnyKey}};
            return Pick(r, k);
        }
        case Context::MatchNewGame: {
            static const Choice k[] = {
                {550, YesKey}, {250, NoKey}, {60, Esc}, {10, CtrlC}, {130, AnyKey}};
            return Pick(r, k);
        }
        case Context::SystemClock:
        case Context::VirtualDate: {
            static const Choice k[] = {{450, Digit}, {250, Arrow}, {50, F1},     {40, Enter},
                                       {30, Esc},    {5, CtrlC},   {175, AnyKey}};
            return Pick(r, k);
        }
        case Context::Colours: {
            static const Choice k[] = {
                {700, ColourKey}, {40, Enter}, {30, Esc}, {5, CtrlC}, {225, AnyKey}};
            return Pick(r, k);
        }
        case Context::Configuration: {
            static const Choice k[] = {{400, Arrow}, {300, LevelKey}, {60, Enter},
                                       {30, Esc},    {5, CtrlC},      {205, AnyKey}};
            return Pick(r, k);
        }
        case Context::Other: {
            static const Choice k[] = {{300, Page}, {150, Backspace}, {100, Enter},
                                       {50, Esc},   {5, CtrlC},       {395, AnyKey}};
            return Pick(r, k);
        }
    }
    return AnyKey(r);
}

// How long the player takes for the key, in hundredths: mostly at once, sometimes seconds (the
// clock line moves, a time limit or F4 can act), now and then twenty seconds. While the
// computer thinks the player mostly watches.
int64_t ChooseDelay(Context c, Rng& r) {
    const uint32_t roll = r.Below(1000);
    if (c == Context::MatchComputer) return roll < 400 ? r.Below(100) : 100 + r.Below(2900);
    if (roll < 700) return r.Below(6);
    if (roll < 960) return 5 + r.Below(100);
    return 100 + r.Below(1900);
}

// ---- Settings written before a run ----------------------------------------------------------

std::vector<uint8_t> SmallConditionsRecord(Rng& r) {
    SettingsRecord s;
    std::memset(&s, ' ', sizeof s);
    static const char kRing[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    s.NormalAttribute = static_cast<uint8_t>(r.Chance(700) ? 0x1F : r.Below(256));
    s.HighlightAttribute = static_cast<uint8_t>(r.Chance(700) ? 0x1E : r.Below(256));
    s.TimeLimitTens = static_cast<uint8_t>(r.Chance(900) ? r.Below(10) : r.Below(256));
    static const uint8_t kLengths[] = {2, 2, 3, 3, 3, 4, 4, 4, 5};
    s.CodeLength = kLengths[r.Below(sizeof kLengths)];
    s.MemoryLevel = static_cast<uint8_t>(r.Chance(700) ? 1 : r.Chance(500) ? 2 : r.Below(10));
    s.Reserved = static_cast<uint8_t>(r.Below(17));
    const uint32_t first = r.Below(36);
    const uint32_t signs = 2 + r.Below(7);  // 2..8
    s.FirstSign = kRing[first];
    s.LastSign = kRing[(first + signs - 1) % 36];
    if (r.Chance(100)) s.FirstSign = static_cast<char>(s.FirstSign - 32 * (s.FirstSign >= 'a'));
    s.SoundOn = static_cast<uint8_t>(r.Below(2));
    s.RepetitionsAllowed = static_cast<uint8_t>(r.Below(2));
    s.VacantAllowed = static_cast<uint8_t>(r.Chance(250));
    s.ComputerEncodes = static_cast<uint8_t>(r.Below(2));
    s.ComputerGuesses = static_cast<uint8_t>(r.Chance(400));
    s.AnswerFixed = static_cast<uint8_t>(r.Below(2));
    if (r.Chance(50)) s.AnswerFixed = static_cast<uint8_t>(r.Below(256));
    for (char* name : {s.EncoderName, s.BreakerName}) {
        if (r.Chance(500)) continue;  // no name
        const int length = 1 + static_cast<int>(r.Below(31));
        for (int i = 1; i <= length; ++i)
            name[i] = r.Chance(950) ? static_cast<char>('a' + r.Below(26))
                                    : static_cast<char>(r.Below(256));
    }
    std::vector<uint8_t> bytes(sizeof s);
    std::memcpy(bytes.data(), &s, sizeof s);
    return bytes;
}

std::vector<uint8_t> DamagedRecord(Rng& r) {
    std::vector<uint8_t> bytes(r.Below(4) == 0 ? 80 + r.Below(200) : r.Below(81));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(r.Below(256));
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// What a fresh process has before its start-up runs.
void ResetProgramGlobals() {
    Language = LanguageKind::German;
    SetDefaultSettings();
    ClockState = ClockStateRecord{};
    VirtualDateOn = false;
    MatchBoard = MatchBoardRecord{};
    MemoryBudget = 0;
    AppliedBudget = -5;
}

// ---- The driver -----------------------------------------------------------------------------

struct LoggedKey {
    Key K;
    Context Where;
};

struct Driver {
    SoakOptions Options;
    SoakReport Report;
    Rng R;
    bool Ending = false;  // the budget is spent (or a finding stops the soak): Ctrl-C only
    int64_t EndingKeys = 0;
    int64_t SeenSaves = 0;
    VirtualGridEvents SeenGrid;
    int64_t PollTick = 0;
    // How fast time runs while the program computes: BusyStep hundredths every BusyEvery polls,
    // chosen anew for every match (slow, so that stores get built; fast, so that time limits
    // and F4 act in the searches).
    int64_t BusyStep = 1;
    int64_t BusyEvery = 8;
    int64_t KeysSinceTop = 0;  // keys since the menu or the language screen
    bool WasOnBoard = false;
    std::set<std::string> MatchEvents;  // the events already counted for this match
    LoggedKey Log[64];
    int64_t Logged = 0;
    std::atomic<int64_t> Heartbeat{0};
};

Driver* D = nullptr;

std::string RecentKeys() {
    std::string text;
    const int64_t from = D->Logged > 64 ? D->Logged - 64 : 0;
    for (int64_t i = from; i < D->Logged; ++i) {
        const LoggedKey& k = D->Log[i % 64];
        text += KeyName(k.K) + " ";
    }
    return text;
}

std::string ScreenText() {
    std::string dump;
    for (int row = 1; row <= ScreenHeight; ++row) {
        char label[16];
        std::snprintf(label, sizeof label, "%2d|", row);
        dump += label + RowText(row) + "|\n";
    }
    return dump;
}

void Finding(const std::string& kind, const std::string& detail) {
    int64_t& count = D->Report.FindingCounts[kind];
    if (count++ == 0) {
        std::ostringstream text;
        text << "FINDING: " << kind << "\n  seed " << D->Options.Seed << ", key " << D->Report.Keys
             << " of run " << D->Report.Runs << ", cursor (" << WhereX() << "," << WhereY()
             << ")\n";
        if (!detail.empty()) text << "  " << detail << "\n";
        text << "  last keys: " << RecentKeys() << "\n" << ScreenText();
        D->Report.Findings.push_back(text.str());
        std::fprintf(stderr, "%s", text.str().c_str());
    }
    if (D->Options.StopAtFirstFinding) D->Ending = true;
}

[[noreturn]] void Fatal(const std::string& kind, const std::string& detail) {
    Finding(kind, detail);
    std::fprintf(stderr, "soak: stopped by a finding that the program cannot leave\n");
    std::fflush(stderr);
    std::abort();
}

void CheckSettingsFile() {
    if (SettingsSaves == D->SeenSaves) return;
    D->SeenSaves = SettingsSaves;
    ++D->Report.SavesChecked;
    std::string why;
    if (!SettingsFileLoadsBack(why)) Finding("the settings file after a save", why);
}

void CheckGrid(Context where) {
    const VirtualGridEvents now = VirtualGridEventCounts();
    const VirtualGridEvents& seen = D->SeenGrid;
    const std::string on = std::string(" (now on: ") + ContextName(where) + ")";
    if (now.RefusedMoves != seen.RefusedMoves) Finding("a cursor move outside the grid", on);
    if (now.Overflows != seen.Overflows) Finding("a text written past column 80", on);
    if (now.Scrolls != seen.Scrolls) Finding("the window scrolled", on);
    D->SeenGrid = now;
}

// Counts an event once per match in the coverage table.
void MatchEvent(const std::string& event) {
    if (D->MatchEvents.insert(event).second) ++D->Report.Reached["event: " + event];
}

void CountMatchEvents(Context where) {
    if (RowHas(3, 15, "Number of breaks") || RowHas(3, 15, "Zahl der Unterbrechungen"))
        MatchEvent("F4 break counted");
    if (RowHas(1, 11, "| The timelimit is") || RowHas(1, 11, "| Zeit begrenzt"))
        MatchEvent("time limit notice");
    if (MatchBoard.TrialCount > RingTrials) MatchEvent("table scrolled");
    if (where == Context::MatchAnswer) MatchEvent("human encoder answers");
    if (where != Context::MatchNewGame) return;
    const bool computer = Settings.ComputerGuesses != 0;
    const bool fixed = Settings.AnswerFixed != 0;
    if (MatchState.Solved) {
        MatchEvent(
            computer
                ? (fixed ? "solved by the computer, fixed" : "solved by the computer, not fixed")
                : (fixed ? "solved by a human, fixed" : "solved by a human, not fixed"));
    } else if (MatchBoard.TrialCount == 0) {
        MatchEvent(computer ? "broken off before the first trial (computer guesses)"
                            : "broken off before the first trial (human guesses)");
    } else {
        MatchEvent(computer ? "broken off (computer guesses)" : "broken off (human guesses)");
    }
    // The failure may not have been used in the match: it must not hit the next one.
    VirtualFailAllocation(0);
}

// The conditions screen shows the record as it stands: every value the dialog is not editing
// at this moment (the field under the cursor may hold what is being typed).
void CheckConditionsShown(Context where) {
    const SettingsRecord& s = Settings;
    const int x = WhereX(), y = WhereY();
    std::string wrong;
    auto expect = [&](int column, int row, const std::string& text, const char* what) {
        if (y == row && x >= column && x < column + static_cast<int>(text.size())) return;
        if (RowText(row, column, static_cast<int>(text.size())) != text)
            wrong += std::string(" ") + what + " shows \"" +
                     RowText(row, column, static_cast<int>(text.size())) + "\", not \"" + text +
                     "\";";
    };
    auto yesNo = [](uint8_t flag) {
        return std::string(InGerman() ? (flag ? "Ja.  " : "Nein.") : (flag ? "Yes. " : "No.  "));
    };
    expect(TimeLimitColumn(), TimeLimitRow, std::string(1, char('0' + s.TimeLimitTens)),
           "the time limit");
    expect(ValueColumn, SoundRow, yesNo(s.SoundOn), "the sound");
    expect(ValueColumn, CodeLengthRow, std::string(1, char('0' + s.CodeLength)), "the code length");
    expect(ValueColumn, RepetitionsRow, yesNo(s.RepetitionsAllowed), "repetitions");
    expect(ValueColumn, VacantRow, yesNo(s.VacantAllowed), "the vacant sign");
    expect(ValueColumn, AnswerFixedRow, yesNo(s.AnswerFixed), "a fixed answer");
    expect(ComputerGuessesColumn(), ComputerGuessesRow, yesNo(s.ComputerGuesses),
           "the computer guessing");
    expect(ComputerEncodesColumn(), ComputerEncodesRow, yesNo(s.ComputerEncodes),
           "the computer's riddle");
    // The sign fields and the set of signs change together while a sign is typed.
    if (where != Context::ConditionsSign) {
        expect(ValueColumn, FirstSignRow, std::string(1, s.FirstSign), "the first sign");
        expect(ValueColumn, LastSignRow, std::string(1, s.LastSign), "the last sign");
        std::string set(IndexSign + 1, IndexSign + 1 + SignCount);
        set.resize(36, ' ');
        expect(ValueColumn, SignSetRow, set, "the set of signs");
    }
    expect(MaxSignsColumn, MaxSignsRow, MaxSignsText(ShownMaxSigns), "the capacity row");
    if (!wrong.empty()) Finding("the conditions screen does not show the record", wrong);
}

// After the previous key has been handled, before the next one is chosen.
void CheckAfterKey(Context where) {
    const int x = WhereX(), y = WhereY();
    if (x < 1 || x > ScreenWidth || y < 1 || y > ScreenHeight)
        Finding("the cursor outside the grid", "");
    CheckGrid(where);
    CheckSettingsFile();
    if (OnConditionsScreen()) CheckConditionsShown(where);
    const bool top = where == Context::Menu || where == Context::Language;
    if (top && VirtualHeapInUse() != 0)
        Finding("store memory held outside a match",
                std::to_string(VirtualHeapInUse()) + " bytes in use");
    if (top) {
        D->KeysSinceTop = 0;
    } else if (++D->KeysSinceTop == 50000) {
        Finding("no way back to the menu in 50,000 keys", ContextName(where));
    }
    const bool onBoard = OnMatchBoard();
    if (onBoard && !D->WasOnBoard) {
        ++D->Report.MatchesStarted;
        D->MatchEvents.clear();
        const uint32_t pace = D->R.Below(100);
        D->BusyStep = pace < 60 ? 1 : pace < 85 ? 1 : 5;
        D->BusyEvery = pace < 60 ? 8 : 1;
        const int n = SignCount;
        char conditions[96];
        std::snprintf(conditions, sizeof conditions, "match: length %d, %s signs, %s, %s guesses",
                      Settings.CodeLength,
                      n <= 5    ? "2-5"
                      : n <= 9  ? "6-9"
                      : n <= 19 ? "10-19"
                                : "20-36",
                      Settings.AnswerFixed ? "fixed" : "not fixed",
                      Settings.ComputerGuesses ? "the computer" : "a human");
        MatchEvent(conditions);
        // Now and then the machine refuses one of the next allocations of the match.
        if (D->R.Chance(40)) {
            VirtualFailAllocation(1 + D->R.Below(D->R.Chance(500) ? 4 : 64));
            MatchEvent("allocation failure armed");
        }
    }
    D->WasOnBoard = onBoard;
    if (onBoard) CountMatchEvents(where);
}

void Feed() {
    Driver& d = *D;
    if (d.Ending) {
        // The end of the input: Ctrl-C leaves every screen and ends the program.
        if (++d.EndingKeys > 2000) Fatal("Ctrl-C does not end the program", "");
        VirtualQueueKey(KeyCtrlC);
        return;
    }
    const Context where = Identify();
    CheckAfterKey(where);
    if (d.Report.Keys >= d.Options.Keys || d.Ending) {
        d.Ending = true;
        VirtualQueueKey(KeyCtrlC);
        return;
    }
    const std::string label = ReachedLabel(where);
    if (++d.Report.Reached[label] == 1 && !d.Options.ShowPlace.empty() &&
        label.compare(0, d.Options.ShowPlace.size(), d.Options.ShowPlace) == 0)
        std::fprintf(stderr, "reached %s, cursor (%d,%d):\n%s", label.c_str(), WhereX(), WhereY(),
                     ScreenText().c_str());
    const Key key = ChooseKey(where, d.R);
    const int64_t delay = ChooseDelay(where, d.R);
    VirtualQueueKeyAfter(key.Code, delay);
    if (key.Code == KeyExtended) VirtualQueueKey(key.Ext);
    d.Log[d.Logged++ % 64] = LoggedKey{key, where};
    ++d.Report.Keys;
    if (d.Options.ProgressEvery > 0 && d.Report.Keys % d.Options.ProgressEvery == 0)
        std::fprintf(stderr, "soak: %lld keys, %lld runs\n", static_cast<long long>(d.Report.Keys),
                     static_cast<long long>(d.Report.Runs));
}

// At every poll: time runs on while the program computes, and a loop that polls without ever
// taking a key is a hang.
void Observe() {
    Driver& d = *D;
    ++d.Report.Polls;
    d.Heartbeat.store(d.Report.Polls, std::memory_order_relaxed);
    if (++d.PollTick >= d.BusyEvery) {
        d.PollTick = 0;
        VirtualAdvanceClock(d.BusyStep);
    }
    const int64_t polls = VirtualPollsSinceRead();
    if (polls > d.Report.MostPollsWithoutKey) {
        d.Report.MostPollsWithoutKey = polls;
        if (polls > d.Options.PollBound)
            Fatal("a loop polls the keyboard without taking a key",
                  std::to_string(polls) + " polls since the last key");
    }
}

void PrepareRun(const std::string& settingsFile) {
    Driver& d = *D;
    Rng& r = d.R;
    if (d.Options.SmallConditions) {
        const uint32_t roll = r.Below(100);
        if (roll < 60) {
            WriteFile(settingsFile, SmallConditionsRecord(r));
        } else if (roll < 66) {
            WriteFile(settingsFile, DamagedRecord(r));
        } else if (roll < 68) {
            std::remove(settingsFile.c_str());
        }
    }
    // Now and then another machine: a monochrome terminal, another start attribute, a clock
    // anywhere from the year 1 to 9999 (a year before 1980 is moved on by the start-up).
    VirtualSetColourDisplay(!r.Chance(80));
    VirtualSetStartAttribute(static_cast<uint8_t>(r.Chance(800) ? 7 : r.Below(256)));
    if (r.Chance(50)) {
        VirtualSetClock(1 + static_cast<int>(r.Below(9999)), 1 + static_cast<int>(r.Below(12)),
                        1 + static_cast<int>(r.Below(28)), static_cast<int>(r.Below(24)),
                        static_cast<int>(r.Below(60)), static_cast<int>(r.Below(60)), 0);
    } else if (r.Chance(30)) {
        VirtualSetClock(2026, 12, 31, 23, 59, 50, 0);  // the day and the year switch in a match
    }
    ResetProgramGlobals();
}

void CheckRunEnd() {
    Driver& d = *D;
    if (VirtualHeapInUse() != 0)
        Finding("store memory held at the end of the program",
                std::to_string(VirtualHeapInUse()) + " bytes in use");
    if (!RowHas(1, 7, "Bye-bye!")) Finding("no exit banner at the end of the program", "");
    CheckGrid(Context::Other);
    CheckSettingsFile();
    // The last save of the run, as the next start reads it.
    std::string why;
    if (!SettingsFileLoadsBack(why)) Finding("the settings file at the end", why);
    d.KeysSinceTop = 0;
    d.WasOnBoard = false;
}

void Watchdog(std::atomic<bool>& done, int seconds, std::mutex& m, std::condition_variable& cv) {
    int64_t last = -1;
    auto lastChange = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m);
    while (!done.load()) {
        cv.wait_for(lock, std::chrono::seconds(1));
        const int64_t beat = D->Heartbeat.load(std::memory_order_relaxed);
        const auto now = std::chrono::steady_clock::now();
        if (beat != last) {
            last = beat;
            lastChange = now;
        } else if (now - lastChange > std::chrono::seconds(seconds)) {
            std::fprintf(stderr,
                         "FINDING: the program has not polled the keyboard for %d seconds\n"
                         "  seed %llu, about key %lld of run %lld\n  last keys: %s\n",
                         seconds, static_cast<unsigned long long>(D->Options.Seed),
                         static_cast<long long>(D->Report.Keys),
                         static_cast<long long>(D->Report.Runs), RecentKeys().c_str());
            std::fflush(stderr);
            std::abort();
        }
    }
}

}  // namespace

// ---- Settings load-back ---------------------------------------------------------------------

bool SettingsFileLoadsBack(std::string& why) {
    const std::vector<uint8_t> bytes = ReadFile(SettingsPath);
    if (bytes.size() != sizeof(SettingsRecord)) {
        why = "BEDINGUN.DAT holds " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    // Everything the load touches, kept and put back.
    const SettingsRecord settings = Settings;
    const uint8_t normal = NormalAttributeInUse, highlight = HighlightAttributeInUse;
    const uint8_t level = MemoryLevelInUse, vacant = UserVacantAllowed, attr = TextAttr;
    char indexSign[RingSize + 1];
    uint8_t signIndex[256];
    std::memcpy(indexSign, IndexSign, sizeof indexSign);
    std::memcpy(signIndex, SignIndex, sizeof signIndex);
    const int signCount = SignCount;
    const int32_t budget = MemoryBudget, applied = AppliedBudget, usable = UsableBudget;
    const uint8_t changed = BudgetChanged, canGuess = CanGuess, canVary = CanVary;
    uint8_t maxSigns[10], shownMaxSigns[10];
    std::memcpy(maxSigns, MaxSigns, sizeof maxSigns);
    std::memcpy(shownMaxSigns, ShownMaxSigns, sizeof shownMaxSigns);
    const uint16_t recordSize = RecordSize, encoderRecordSize = EncoderRecordSize;
    const int32_t codeTotal = CodeTotal, secretTotal = SecretTotal;
    const int x = WhereX(), y = WhereY();

    LoadSettings();
    const bool same = std::memcmp(&Settings, bytes.data(), sizeof(SettingsRecord)) == 0;
    if (!same) {
        const uint8_t* loaded = reinterpret_cast<const uint8_t*>(&Settings);
        std::ostringstream text;
        text << "the load changes bytes:";
        for (size_t i = 0; i < bytes.size(); ++i)
            if (loaded[i] != bytes[i])
                text << " [" << i << "] " << int(bytes[i]) << "->" << int(loaded[i]);
        why = text.str();
    }

    Settings = settings;
    NormalAttributeInUse = normal;
    HighlightAttributeInUse = highlight;
    MemoryLevelInUse = level;
    UserVacantAllowed = vacant;
    TextAttr = attr;
    std::memcpy(IndexSign, indexSign, sizeof indexSign);
    std::memcpy(SignIndex, signIndex, sizeof signIndex);
    SignCount = signCount;
    MemoryBudget = budget;
    AppliedBudget = applied;
    UsableBudget = usable;
    BudgetChanged = changed;
    CanGuess = canGuess;
    CanVary = canVary;
    std::memcpy(MaxSigns, maxSigns, sizeof maxSigns);
    std::memcpy(ShownMaxSigns, shownMaxSigns, sizeof shownMaxSigns);
    RecordSize = recordSize;
    EncoderRecordSize = encoderRecordSize;
    CodeTotal = codeTotal;
    SecretTotal = secretTotal;
    GotoXY(x, y);
    return same;
}

// ---- The soak -------------------------------------------------------------------------------

SoakReport RunSoak(const SoakOptions& options) {
    Driver driver;
    driver.Options = options;
    driver.R.State = options.Seed * 0x2545F4914F6CDD1Dull + 1;
    D = &driver;
    const auto started = std::chrono::steady_clock::now();

    StartVirtualConsole();
    VirtualSetProgramPath(options.Directory + "/zamikovantorel");
    VirtualSetHeapLimit(options.HeapLimit);
    const std::string settingsFile = options.Directory + "/BEDINGUN.DAT";
    VirtualSetKeyFeeder(Feed);
    VirtualSetPollObserver(Observe);

    std::atomic<bool> done{false};
    std::mutex m;
    std::condition_variable cv;
    std::thread watchdog;
    if (options.WatchdogSeconds > 0)
        watchdog = std::thread(Watchdog, std::ref(done), options.WatchdogSeconds, std::ref(m),
                               std::ref(cv));

    while (!driver.Ending) {
        PrepareRun(settingsFile);
        ++driver.Report.Runs;
        driver.SeenSaves = SettingsSaves;
        driver.SeenGrid = VirtualGridEventCounts();
        RunProgram();
        CheckRunEnd();
        driver.EndingKeys = 0;
    }

    VirtualSetKeyFeeder(nullptr);
    VirtualSetPollObserver(nullptr);
    if (watchdog.joinable()) {
        done.store(true);
        cv.notify_all();
        watchdog.join();
    }
    driver.Report.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    D = nullptr;
    return driver.Report;
}

std::string FormatSoakReport(const SoakReport& report, bool withCoverage) {
    std::ostringstream text;
    text << report.Keys << " keys in " << report.Runs << " runs, " << report.MatchesStarted
         << " matches, " << report.SavesChecked << " saves checked, " << report.Polls
         << " polls (at most " << report.MostPollsWithoutKey << " without a key), ";
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f s, %.0f keys/s", report.Seconds,
                  report.Seconds > 0 ? double(report.Keys) / report.Seconds : 0.0);
    text << rate << "\n";
    if (withCoverage) {
        text << "reached:\n";
        for (const auto& [label, count] : report.Reached)
            text << "  " << count << "\t" << label << "\n";
    }
    if (report.FindingCounts.empty()) {
        text << "no findings\n";
    } else {
        for (const auto& [kind, count] : report.FindingCounts)
            text << "finding x" << count << ": " << kind << "\n";
    }
    return text.str();
}
