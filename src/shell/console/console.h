// The console: the only door between the game and the platform.
//
// Every screen writes into one 80 x 25 grid of character cells through these procedures, and
// every key, tone, pause, clock reading, random number and code-store allocation passes through
// here. Two backends sit behind the same procedures and are chosen once at start: the real
// terminal (raw mode, ANSI colours, key sequences translated to PC key codes) and a virtual
// console (a grid in memory, a scripted key queue, a settable clock and a heap limit) on which
// the tests and the benchmarks run the real program logic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// ---- Screen geometry ----------------------------------------------------------------------
constexpr int ScreenWidth = 80;
constexpr int ScreenHeight = 25;

// ---- Key codes ------------------------------------------------------------------------------
// Ordinary keys give their character code; an extended key gives 0 and then its code.
constexpr uint8_t KeyExtended = 0;
constexpr uint8_t KeyCtrlC = 3;
constexpr uint8_t KeyBackspace = 8;
constexpr uint8_t KeyEnter = 13;
constexpr uint8_t KeyEsc = 27;

// Extended codes (the second code after the 0).
constexpr uint8_t ExtF1 = 59, ExtShiftF1 = 84, ExtCtrlF1 = 94, ExtAltF1 = 104;
constexpr uint8_t ExtF2 = 60, ExtF3 = 61, ExtF5 = 63, ExtF7 = 65, ExtF8 = 66, ExtF9 = 67;
constexpr uint8_t ExtF10 = 68, ExtF11 = 133, ExtF12 = 134;
constexpr uint8_t ExtF4 = 62, ExtShiftF4 = 87, ExtCtrlF4 = 97, ExtAltF4 = 107;
constexpr uint8_t ExtF6 = 64, ExtShiftF6 = 89, ExtCtrlF6 = 99, ExtAltF6 = 109;
constexpr uint8_t ExtUp = 72, ExtCtrlUp = 141, ExtAltUp = 152;
constexpr uint8_t ExtDown = 80, ExtCtrlDown = 145, ExtAltDown = 160;
constexpr uint8_t ExtLeft = 75, ExtCtrlLeft = 115, ExtAltLeft = 155;
constexpr uint8_t ExtRight = 77, ExtCtrlRight = 116, ExtAltRight = 157;
constexpr uint8_t ExtHome = 71, ExtCtrlHome = 119, ExtAltHome = 151;
constexpr uint8_t ExtEnd = 79, ExtCtrlEnd = 117, ExtAltEnd = 159;
constexpr uint8_t ExtIns = 82, ExtCtrlIns = 146, ExtAltIns = 162;
constexpr uint8_t ExtDel = 83, ExtCtrlDel = 147, ExtAltDel = 163;
constexpr uint8_t ExtPgUp = 73, ExtCtrlPgUp = 132, ExtAltPgUp = 153;
constexpr uint8_t ExtPgDn = 81, ExtCtrlPgDn = 118, ExtAltPgDn = 161;
constexpr uint8_t ExtShiftTab = 15;

// ---- Attributes -----------------------------------------------------------------------------
// bits 0..3 foreground, bits 4..6 background, bit 7 blink (never shown).
extern uint8_t TextAttr;
inline void SetTextAttr(uint8_t attribute) {
    TextAttr = attribute;
}

// ---- Screen output --------------------------------------------------------------------------
void ClearScreen();
void GotoXY(int column, int row);  // outside 1..80 x 1..25 the cursor stays where it is
int WhereX();
int WhereY();
void WriteText(std::string_view text);
void WriteChar(char c);
void WriteInt(int64_t value);
void WriteLine();                       // line end: column 1 of the next row, scrolling at row 25
void WriteLine(std::string_view text);  // text, then a line end
void WriteAt(int column, int row, std::string_view text);  // GotoXY, then WriteText

// What the grid holds (both backends keep it; the tests read it).
char CellChar(int column, int row);
uint8_t CellAttr(int column, int row);
std::string RowText(int row);                          // all 80 characters of a row
std::string RowText(int row, int column, int length);  // a piece of a row

// ---- Keyboard -------------------------------------------------------------------------------
uint8_t ReadKey();  // blocks; an extended key gives 0 first, its code on the next call
bool KeyPressed();  // never blocks; cheap enough to be called once per record of a store build
// The same for a caller that comes by seldom, between the stretches of a long computation: the
// terminal itself is looked at (every few milliseconds at most), not only every so many calls.
bool KeyPressedNow();
// The key that ReadKey gives next, left waiting; asked only once KeyPressed or KeyPressedNow
// said that one waits.
uint8_t PeekKey();
// The pause of a key-wait loop: returns as soon as a key arrives, and otherwise when the clock
// turns to its next whole second, so that a clock on the screen turns over with the machine's
// clock while the process sleeps, and a waiting program wakes at most once a second.
void IdlePause();

// ---- Sound and time -------------------------------------------------------------------------
void Beep();  // only when the settings have the sound on: the alert and a 500 ms pause
void Delay(int milliseconds);

struct DateValue {
    int Year = 0;     // 1..9999
    int Month = 0;    // 1..12
    int Day = 0;      // 1..31
    int Weekday = 0;  // 0 = Sunday .. 6 = Saturday
};
struct TimeValue {
    int Hour = 0, Minute = 0, Second = 0, Hundredths = 0;
};
DateValue GetDate();
TimeValue GetTime();
// Both tell whether the machine took the change; a refused change (no rights, an invalid date
// or time) leaves the clock as it is and shows nothing.
bool SetDate(int year, int month, int day);
bool SetTime(int hour, int minute, int second, int hundredths);
// Whether start-up may repair an implausible year of the machine's clock.
bool MayRepairSystemDate();

uint32_t TickCount();  // milliseconds, for seeding the random source

// ---- Platform facts -------------------------------------------------------------------------
std::string ProgramPath();  // full path of the running executable
bool ColourDisplay();       // false on a monochrome terminal
uint8_t StartAttribute();   // the attribute found at start, restored at the end
// The program has ended its screens: the terminal leaves its alternate screen, and what is
// written from now on (the exit banner) stays on the normal screen after the program ends.
void LeaveFullScreen();

// ---- Code-store memory ----------------------------------------------------------------------
// Returns nullptr instead of ending the program when the memory cannot be had.
void* StoreAllocate(size_t bytes);
void StoreFree(void* block, size_t bytes);
// Gives the pages that lie wholly within bytes [from, to) of a block back to the machine: the
// block keeps its size, and those bytes read as zeros from then on. A block too small to have
// pages of its own keeps its bytes as they are.
void StoreTrim(void* block, size_t from, size_t to);
// Gives back to the machine the memory that freed blocks leave inside the heap: once a match's
// stores are freed, so that a large match does not leave the program larger for the next.
void StoreGiveBack();
// Whether the machine can really back a store of this many bytes now; a store that could not
// be backed is refused up front like an allocation that fails.
bool StoreMayUse(size_t bytes);

// ---- Random source --------------------------------------------------------------------------
void SeedRandom(uint64_t seed);
uint32_t Random(uint32_t n);  // uniform 0..n-1; n = 0 gives 0
// For drawing in bulk: Random(n) takes 32-bit words from the source, one in the common case
// (Lemire's multiply-and-reject: the high half of word x n, a further word while the low half
// falls below 2^32 mod n). PeekRandomWords copies the next count words without taking them;
// SkipRandomWords takes count words.
void PeekRandomWords(uint32_t* words, int count);
void SkipRandomWords(int count);

// ---- Backends -------------------------------------------------------------------------------
enum class ConsoleKind { Virtual, Terminal };
extern ConsoleKind ActiveConsole;

// The terminal backend: raw mode, alternate screen, signal handlers. Returns false when the
// standard streams are not usable as a terminal; the program then still runs on plain streams.
bool StartTerminalConsole();
void StopTerminalConsole();  // restores the terminal; safe to call more than once
