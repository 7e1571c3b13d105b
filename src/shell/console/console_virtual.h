// The virtual console: an 80 x 25 grid in memory, a scripted key queue, a clock that the test
// sets and advances, a heap limit, and a program path inside a temporary directory.
//
// An exhausted key script behaves like the end of a terminal's input: every further read gives
// Ctrl-C, which leaves every screen. A program that keeps reading long after that is hanging;
// the console then stops the process with a message, so a test cannot spin for ever.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Makes the virtual console the active backend and resets everything: blank grid in attribute
// 7, cursor (1,1), empty key queue, clock at 2026-12-08 12:00:00.00, no heap limit, colour
// display, no beeps, program path "/tmp/zamikovantorel/zamikovantorel".
void StartVirtualConsole();

// ---- Keys -----------------------------------------------------------------------------------
void VirtualQueueKey(uint8_t key);
void VirtualQueueKeys(std::string_view keys);  // ordinary keys, one per character
void VirtualQueueExtended(uint8_t code);       // 0 followed by the code
// The key becomes readable only once the clock has advanced by the given hundredths past the
// moment the previous key was read (or the queue was last empty).
void VirtualQueueKeyAfter(uint8_t key, int64_t hundredths);
// A test driver that answers the screen: called whenever the program looks for a key and none
// is queued; it may queue keys after reading the screen. Without one, an empty queue is the
// end of the input.
void VirtualSetKeyFeeder(std::function<void()> feeder);
// A driver that stays silent through this many looks for a key (at first 100 million) has
// nothing more to say: the input ends. A benchmark whose long searches look that often while
// its driver waits sets it higher.
void VirtualSetSilentFeedLimit(int64_t looks);
size_t VirtualKeysLeft();
void VirtualClearKeys();
bool VirtualInputExhausted();  // the script ran out and Ctrl-C has been delivered
// How far the clock moves at each idle pause of a key-wait loop (default 10 hundredths).
void VirtualSetPauseStep(int64_t hundredths);

// ---- Clock ----------------------------------------------------------------------------------
void VirtualSetClock(int year, int month, int day, int hour, int minute, int second,
                     int hundredths);
void VirtualAdvanceClock(int64_t hundredths);
// When refused, SetDate and SetTime change nothing and return false (a machine without the
// rights to do so); the switch may be turned at any moment, also from a poll observer.
void VirtualRefuseClockChanges(bool refuse);
int VirtualClockSets();  // how many SetDate/SetTime calls changed the clock

// ---- Platform facts -------------------------------------------------------------------------
void VirtualSetProgramPath(const std::string& path);
void VirtualSetColourDisplay(bool colour);
void VirtualSetStartAttribute(uint8_t attribute);
bool VirtualFullScreenLeft();

// ---- Heap -----------------------------------------------------------------------------------
// Allocations beyond the limit (bytes in use) return nullptr; 0 removes the limit.
void VirtualSetHeapLimit(size_t bytes);
// The n-th allocation from now (1 = the next one) fails; 0 disarms.
void VirtualFailAllocation(int64_t n);
// Code stores come from the machine exactly as on the terminal (mapped pages for large blocks,
// with the same advice), for benchmarks that must allocate as the program does.
void VirtualUseMachineHeap(bool machine);
size_t VirtualHeapInUse();
int64_t VirtualAllocations();

// ---- Sound and pauses -----------------------------------------------------------------------
int VirtualBeeps();
int64_t VirtualDelayedMilliseconds();

// ---- Observation ----------------------------------------------------------------------------
// For drivers that feed long random key streams and watch the program as a whole.
// Called at every KeyPressed poll, every ReadKey and every idle pause, whether keys are queued
// or not: a driver can let time pass while the program computes.
void VirtualSetPollObserver(std::function<void()> observer);
int64_t VirtualKeysRead();        // keys handed out by ReadKey (Ctrl-C after the end counts)
int64_t VirtualPollsSinceRead();  // KeyPressed polls and idle pauses since the last ReadKey
// What the grid saw since the console was started: GotoXY calls outside the grid (ignored),
// texts that ran on past column 80 into the next row, and scrolls of the whole window.
struct VirtualGridEvents {
    int64_t RefusedMoves = 0;
    int64_t Overflows = 0;
    int64_t Scrolls = 0;
};
VirtualGridEvents VirtualGridEventCounts();
