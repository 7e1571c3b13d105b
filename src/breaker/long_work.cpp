// The long-work tick: the clock, the key poll and the progress stars, written once for the
// store builds, the encoder's store and the search, and the glance at the keyboard inside the
// stretches between two ticks.
#include "breaker/long_work.h"

#include <string>

#include "breaker/search_progress.h"
#include "calendar/clock_text.h"
#include "shell/console/console.h"

namespace {

// Steps since the clock last ticked in WorkStep.
uint32_t StepsSinceClock = 0;
constexpr uint32_t kStepsPerClock = 256;

bool StopKey(uint8_t code) {
    switch (code) {
        case ExtF4:
        case ExtF6:
        case ExtShiftF4:
        case ExtShiftF6:
        case ExtCtrlF4:
        case ExtCtrlF6:
        case ExtAltF4:
        case ExtAltF6:
            return true;
        default:
            return false;
    }
}

}  // namespace

WorkKey TakeWorkKey() {
    const uint8_t key = ReadKey();
    if (key == KeyEsc || key == KeyCtrlC) return WorkKey::BreakOff;
    if (key == KeyExtended) return StopKey(ReadKey()) ? WorkKey::Stop : WorkKey::None;
    return WorkKey::None;
}

void BeginWorkItems(int32_t total) {
    SearchProgressRecord& p = SearchProgress;
    p.ItemsDone = 0;
    p.ItemsTotal = total;
    p.TenthsShown = 0;
    p.NextTenthAt = (int64_t(total) + 9) / 10;
    StepsSinceClock = 0;
}

void ShowTenths() {
    SearchProgressRecord& p = SearchProgress;
    if (p.ItemsTotal <= 0) return;
    int64_t tenths = int64_t(p.ItemsDone) * 10 / p.ItemsTotal;
    if (tenths > 10) tenths = 10;
    if (tenths > p.TenthsShown) {
        const int x = WhereX();
        const int y = WhereY();
        WriteAt(44, 25, std::string(static_cast<size_t>(tenths), '*'));
        GotoXY(x, y);
        p.TenthsShown = static_cast<int32_t>(tenths);
    }
    p.NextTenthAt = (int64_t(p.TenthsShown + 1) * p.ItemsTotal + 9) / 10;
}

WorkKey WorkStep() {
    if (++StepsSinceClock == kStepsPerClock) {
        StepsSinceClock = 0;
        ClockTick();
    }
    return KeyPressed() ? TakeWorkKey() : WorkKey::None;
}

bool WorkGlance() {
    if (!KeyPressedNow()) return false;
    const uint8_t key = PeekKey();
    return key == KeyEsc || key == KeyCtrlC;
}
