// What every long computation of the computer does between its steps: the builds of the two
// stores and the search. The clock ticks, a waiting key is read (Esc and Ctrl-C break off, F4
// and F6 ask a search to stop early, every other key is read whole and dropped), and the
// progress stars of row 25 grow with the tenths of the items done.
#pragma once

#include <cstdint>

enum class WorkKey {
    None,      // no key, or one that is dropped
    BreakOff,  // Esc or Ctrl-C
    Stop,      // F4 or F6, plain or with Shift, Ctrl or Alt
};

// The start of a computation of `total` items: none done, no stars shown.
void BeginWorkItems(int32_t total);
// One item done: counted, and the stars drawn (the cursor put back) once another tenth is
// reached.
void CountWorkItem();

// A waiting key, read whole.
WorkKey PollWorkKey();
// Between two steps: the clock ticks and a waiting key is read.
WorkKey WorkTick();
// The same for the many short steps of a store build: the keyboard every step, the clock every
// 256th step since BeginWorkItems.
WorkKey WorkStep();
