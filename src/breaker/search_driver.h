// The loop control around the computer's search for a trial: the counters and the progress
// line of row 25, the keyboard after every trial code (Esc and Ctrl-C break off, F4 and F6 ask
// for an early decision), the per-trial time limit, and the rotation of the trial chain after
// an early stop, so that the next search begins with the codes this one did not reach.
#pragma once

#include <cstdint>

// The start of a search for the trial with the given number: the stop request is cleared, the
// codebreaker's stopwatch runs, the elapsed and remaining fields of row 25 are zeroed and the
// item total is the trial chain.
void StartSearch(int32_t trialNumber);

// Once the trial choice knows what it scans: the item total (the number of trial codes it will
// examine) and whether this is a real search (the opening book's trial is not).
void BeginScan(int32_t itemsTotal, bool realSearch);

enum class ItemVerdict {
    GoOn,      // examine the next trial code
    Stop,      // stop now: F4 or the time limit; the best trial so far is played
    BreakOff,  // Esc or Ctrl-C
};
// After each trial code: counts it, draws the stars, ticks the clock, reads a waiting key and
// applies the stop rules. The cursor must stand at the trial's place and is left there.
ItemVerdict SearchItemDone(bool realSearch);

// After a real search that stopped early with codes left behind the examined ones: the chain
// is rotated so that those come first. bestIndex (the chosen code's place) follows the move.
void RotateAfterStop(int32_t examined, int32_t& bestIndex);

// The end of every scan: the search line of row 25 goes back to its zeros and dots, and the
// codebreaker's stopwatch stops while the encoder answers.
void EndScan();
