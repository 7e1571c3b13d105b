// The virtual backend of the console (see console_virtual.h).
#include "shell/console/console_virtual.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "shell/console/console.h"
#include "shell/console/console_internal.h"

namespace {

constexpr int64_t kDayHundredths = 8640000;
// Reads after the end of the script that a working program never needs: every screen leaves
// on the first few Ctrl-C keys.
constexpr int64_t kExhaustedReadLimit = 100000;
constexpr int64_t kSilentFeedLimit = 100000000;

struct PendingKey {
    uint8_t Key;
    int64_t Delay;  // hundredths after the key became the first of the queue
};

struct VirtualState {
    std::deque<PendingKey> Keys;
    int64_t FrontSince = 0;  // monotonic time at which the first key became the first
    int64_t ExhaustedReads = 0;
    int64_t PauseStep = 10;
    // Clock: the date and the time of day, and a monotonic count of hundredths since start.
    int Year = 2026, Month = 12, Day = 8;
    int64_t DayTime = 12 * 360000;
    int64_t Monotonic = 0;
    // The last reading of the time of day, and the time it was made at: the long work reads the
    // time after every item, mostly while the clock stands.
    int64_t TimeReadAt = -1;
    TimeValue TimeRead;
    bool RefuseClock = false;
    int ClockSets = 0;
    std::string Path = "/tmp/zamikovantorel/zamikovantorel";
    bool Colour = true;
    uint8_t StartAttr = 7;
    bool FullScreenLeft = false;
    size_t HeapLimit = 0;
    size_t HeapInUse = 0;
    int64_t FailCountdown = 0;
    bool MachineHeap = false;
    int64_t Allocations = 0;
    int Beeps = 0;
    int64_t Delayed = 0;
    std::function<void()> Feeder;
    bool Feeding = false;
    int64_t SilentFeeds = 0;
    int64_t SilentFeedLimit = kSilentFeedLimit;
    std::function<void()> PollObserver;
    int64_t KeysRead = 0;
    int64_t PollsSinceRead = 0;
};

VirtualState V;

bool LeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + ((month == 2 && LeapYear(year)) ? 1 : 0);
}

// Weekday of a Gregorian date (0 = Sunday), Sakamoto's method.
int GregorianWeekday(int year, int month, int day) {
    static const int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + kOffset[month - 1] + day) % 7;
}

void AdvanceDays(int64_t days) {
    for (int64_t i = 0; i < days; ++i) {
        if (V.Day < DaysInMonth(V.Year, V.Month)) {
            ++V.Day;
        } else if (V.Month < 12) {
            V.Day = 1;
            ++V.Month;
        } else {
            V.Day = 1;
            V.Month = 1;
            if (V.Year < 9999) ++V.Year;
        }
    }
}

void Advance(int64_t hundredths) {
    if (hundredths <= 0) return;
    V.Monotonic += hundredths;
    V.DayTime += hundredths;
    if (V.DayTime >= kDayHundredths) {
        AdvanceDays(V.DayTime / kDayHundredths);
        V.DayTime %= kDayHundredths;
    }
}

// Lets the test driver queue keys when the program looks for one and none is there.
void Feed() {
    if (!V.Keys.empty() || !V.Feeder || V.Feeding) return;
    V.Feeding = true;
    V.Feeder();
    V.Feeding = false;
    if (!V.Keys.empty()) V.FrontSince = V.Monotonic;
}

bool FrontReady() {
    return !V.Keys.empty() && V.Monotonic >= V.FrontSince + V.Keys.front().Delay;
}

}  // namespace

void StartVirtualConsole() {
    V = VirtualState{};
    ActiveConsole = ConsoleKind::Virtual;
    TextAttr = 7;
    ClearScreen();
    Grid.RefusedMoves = 0;
    Grid.Overflows = 0;
    Grid.Scrolls = 0;
}

void VirtualSetKeyFeeder(std::function<void()> feeder) {
    V.Feeder = std::move(feeder);
}

void VirtualSetSilentFeedLimit(int64_t looks) {
    V.SilentFeedLimit = looks;
}

void VirtualQueueKey(uint8_t key) {
    VirtualQueueKeyAfter(key, 0);
}

void VirtualQueueKeys(std::string_view keys) {
    for (char c : keys) VirtualQueueKey(static_cast<uint8_t>(c));
}

void VirtualQueueExtended(uint8_t code) {
    VirtualQueueKey(0);
    VirtualQueueKey(code);
}

void VirtualQueueKeyAfter(uint8_t key, int64_t hundredths) {
    if (V.Keys.empty()) V.FrontSince = V.Monotonic;
    V.Keys.push_back(PendingKey{key, hundredths < 0 ? 0 : hundredths});
}

size_t VirtualKeysLeft() {
    return V.Keys.size();
}
void VirtualClearKeys() {
    V.Keys.clear();
}
bool VirtualInputExhausted() {
    return V.ExhaustedReads > 0;
}
void VirtualSetPauseStep(int64_t hundredths) {
    V.PauseStep = hundredths < 0 ? 0 : hundredths;
}

void VirtualSetClock(int year, int month, int day, int hour, int minute, int second,
                     int hundredths) {
    V.Year = year;
    V.Month = month;
    V.Day = day;
    V.DayTime = int64_t(hour) * 360000 + minute * 6000 + second * 100 + hundredths;
}

void VirtualAdvanceClock(int64_t hundredths) {
    Advance(hundredths);
}
void VirtualRefuseClockChanges(bool refuse) {
    V.RefuseClock = refuse;
}
int VirtualClockSets() {
    return V.ClockSets;
}
void VirtualSetProgramPath(const std::string& path) {
    V.Path = path;
}
void VirtualSetColourDisplay(bool colour) {
    V.Colour = colour;
}
void VirtualSetStartAttribute(uint8_t attribute) {
    V.StartAttr = attribute;
}
bool VirtualFullScreenLeft() {
    return V.FullScreenLeft;
}
void VirtualSetHeapLimit(size_t bytes) {
    V.HeapLimit = bytes;
}
void VirtualFailAllocation(int64_t n) {
    V.FailCountdown = n < 0 ? 0 : n;
}
void VirtualUseMachineHeap(bool machine) {
    V.MachineHeap = machine;
}
size_t VirtualHeapInUse() {
    return V.HeapInUse;
}
int64_t VirtualAllocations() {
    return V.Allocations;
}
int VirtualBeeps() {
    return V.Beeps;
}
int64_t VirtualDelayedMilliseconds() {
    return V.Delayed;
}

void VirtualSetPollObserver(std::function<void()> observer) {
    V.PollObserver = std::move(observer);
}
int64_t VirtualKeysRead() {
    return V.KeysRead;
}
int64_t VirtualPollsSinceRead() {
    return V.PollsSinceRead;
}
VirtualGridEvents VirtualGridEventCounts() {
    VirtualGridEvents events;
    events.RefusedMoves = Grid.RefusedMoves;
    events.Overflows = Grid.Overflows;
    events.Scrolls = Grid.Scrolls;
    return events;
}

// ---- Backend hooks --------------------------------------------------------------------------

bool VirtualKeyPressed() {
    ++V.PollsSinceRead;
    if (V.PollObserver) V.PollObserver();
    Feed();
    if (V.Keys.empty()) {
        // Without a driver the input has ended; a driver that stays silent for very long has
        // nothing more to say, and the input ends too.
        if (!V.Feeder) return true;
        return ++V.SilentFeeds > V.SilentFeedLimit;
    }
    V.SilentFeeds = 0;
    return FrontReady();
}

uint8_t VirtualPeekKey() {
    return V.Keys.empty() ? KeyCtrlC : V.Keys.front().Key;
}

uint8_t VirtualReadKey() {
    if (V.PollObserver) V.PollObserver();
    V.PollsSinceRead = 0;
    ++V.KeysRead;
    Feed();
    if (V.Keys.empty()) {
        if (++V.ExhaustedReads > kExhaustedReadLimit) {
            std::fprintf(stderr,
                         "virtual console: the program kept reading keys long after the end "
                         "of its input\n");
            std::abort();
        }
        return KeyCtrlC;
    }
    if (!FrontReady()) Advance(V.FrontSince + V.Keys.front().Delay - V.Monotonic);
    uint8_t key = V.Keys.front().Key;
    V.Keys.pop_front();
    V.FrontSince = V.Monotonic;
    return key;
}

void VirtualIdlePause() {
    ++V.PollsSinceRead;
    if (V.PollObserver) V.PollObserver();
    if (V.PauseStep > 0) {
        Advance(V.PauseStep);
    } else if (!V.Keys.empty() && !FrontReady()) {
        Advance(V.FrontSince + V.Keys.front().Delay - V.Monotonic);
    }
}

void VirtualBeep() {
    ++V.Beeps;
}

void VirtualDelay(int milliseconds) {
    V.Delayed += milliseconds;
    Advance(milliseconds / 10);
}

DateValue VirtualGetDate() {
    DateValue date;
    date.Year = V.Year;
    date.Month = V.Month;
    date.Day = V.Day;
    date.Weekday = GregorianWeekday(V.Year, V.Month, V.Day);
    return date;
}

TimeValue VirtualGetTime() {
    if (V.DayTime == V.TimeReadAt) return V.TimeRead;
    TimeValue time;
    time.Hour = static_cast<int>(V.DayTime / 360000);
    time.Minute = static_cast<int>(V.DayTime / 6000 % 60);
    time.Second = static_cast<int>(V.DayTime / 100 % 60);
    time.Hundredths = static_cast<int>(V.DayTime % 100);
    V.TimeReadAt = V.DayTime;
    V.TimeRead = time;
    return time;
}

bool VirtualSetDate(int year, int month, int day) {
    if (V.RefuseClock) return false;
    V.Year = year;
    V.Month = month;
    V.Day = day;
    ++V.ClockSets;
    return true;
}

bool VirtualSetTime(int hour, int minute, int second, int hundredths) {
    if (V.RefuseClock) return false;
    V.DayTime = int64_t(hour) * 360000 + minute * 6000 + second * 100 + hundredths;
    ++V.ClockSets;
    return true;
}

uint32_t VirtualTickCount() {
    return static_cast<uint32_t>(V.Monotonic * 10);
}
std::string VirtualProgramPath() {
    return V.Path;
}
bool VirtualColourDisplay() {
    return V.Colour;
}
uint8_t VirtualStartAttribute() {
    return V.StartAttr;
}
void VirtualLeaveFullScreen() {
    V.FullScreenLeft = true;
}

void* VirtualStoreAllocate(size_t bytes) {
    ++V.Allocations;
    if (V.FailCountdown > 0 && --V.FailCountdown == 0) return nullptr;
    if (V.HeapLimit != 0 && (bytes > V.HeapLimit || V.HeapInUse > V.HeapLimit - bytes))
        return nullptr;
    void* block =
        V.MachineHeap ? TerminalStoreAllocate(bytes) : std::malloc(bytes == 0 ? 1 : bytes);
    if (block != nullptr) V.HeapInUse += bytes;
    return block;
}

bool VirtualStoreMayUse(size_t bytes) {
    return V.HeapLimit == 0 || (bytes <= V.HeapLimit && V.HeapInUse <= V.HeapLimit - bytes);
}

void VirtualStoreTrim(void* block, size_t from, size_t to) {
    if (V.MachineHeap) TerminalStoreTrim(block, from, to);
}

void VirtualStoreGiveBack() {
    if (V.MachineHeap) TerminalStoreGiveBack();
}

void VirtualStoreFree(void* block, size_t bytes) {
    if (V.MachineHeap)
        TerminalStoreFree(block, bytes);
    else
        std::free(block);
    V.HeapInUse = bytes > V.HeapInUse ? 0 : V.HeapInUse - bytes;
}
