// What every long computation of the computer does between its steps: the builds of the two
// stores and the search. The clock ticks, a waiting key is read (Esc and Ctrl-C break off, F4
// and F6 ask a search to stop early, every other key is read whole and dropped), and the
// progress stars of row 25 grow with the tenths of the items done.
//
// The keyboard is looked at often enough that no stretch of work goes longer than a few
// milliseconds without a look: the steps and ticks come that often, and a stretch that cannot
// be cut so finely glances at the keyboard meanwhile. None of it draws a random number or
// changes the order of the work, so the computer decides the same however the keys come.
#pragma once

#include <cstdint>

#include "breaker/search_progress.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"

enum class WorkKey {
    None,      // no key, or one that is dropped
    BreakOff,  // Esc or Ctrl-C
    Stop,      // F4 or F6, plain or with Shift, Ctrl or Alt
};

// Items of the plainest passes (a byte or two of each code) between two glances: well under a
// millisecond of work.
constexpr int32_t GlanceItems = 1 << 16;

// The start of a computation of `total` items: none done, no stars shown.
void BeginWorkItems(int32_t total);
// The stars of the tenths reached (the cursor put back).
void ShowTenths();
// One item done: counted, and the stars drawn once another tenth is reached. The clock may draw
// stars of its own (by the time limit): TenthsShown only grows, so the next tenth is never later
// than NextTenthAt says.
inline void CountWorkItem() {
    SearchProgressRecord& p = SearchProgress;
    ++p.ItemsDone;
    ClockState.ProgressMarkRequested = true;
    if (p.ItemsDone >= p.NextTenthAt) ShowTenths();
}

// The key that KeyPressed or KeyPressedNow found waiting, read whole.
WorkKey TakeWorkKey();
// A waiting key, read whole; the keyboard itself is looked at.
inline WorkKey PollWorkKey() {
    return KeyPressedNow() ? TakeWorkKey() : WorkKey::None;
}
// Between two stretches of work: the clock ticks and a waiting key is read.
inline WorkKey WorkTick() {
    ClockTick();
    return PollWorkKey();
}
// The same for the many short steps of a store build: the keyboard every step (the terminal
// itself every so many), the clock every 256th step since BeginWorkItems.
WorkKey WorkStep();
// Inside a stretch of work that has no step to stop at: the keyboard is looked at, so that what
// the terminal sends is read and timed as it comes; every key is left waiting for whoever reads
// next (the next WorkTick or WorkStep acts on it). True when the key waiting first breaks off:
// the stretch may end early, its computation breaks off at its next tick.
bool WorkGlance();
// The glances of a pass over many items: at every GlanceItems-th item of a loop; before each
// part of a pass over `items` items; and in a loop that takes its items in uneven parts, once
// `done` reaches `next` (which starts at GlanceItems and is moved on). Small passes, which reach
// their tick soon enough, do not glance at all.
inline bool GlanceAt(int64_t item) {
    return item > 0 && item % GlanceItems == 0 && WorkGlance();
}
inline bool GlanceBefore(int64_t items) {
    return items >= GlanceItems && WorkGlance();
}
inline bool GlanceAfter(int64_t done, int64_t& next) {
    if (done < next) return false;
    next = done + GlanceItems;
    return WorkGlance();
}
