// The verdicts of twin trial codes: slots that remember per name whether the code lost or what
// it counted, taken from the engine's store and doubled as the names come (up to a limit), and
// looked up for the twins that follow.
#include "breaker/twin_trials.h"

#include <cstring>

#include "breaker/candidate_store.h"
#include "breaker/twin_search.h"
#include "shell/console/console.h"

namespace {

// The slots a search starts with.
constexpr size_t kFirstSlots = size_t(1) << 12;

size_t Home(uint64_t key, size_t capacity) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & (capacity - 1);
}

// Room for twice as many slots; false when it is refused (the old slots stay).
bool Grow() {
    const size_t capacity = Twins.Capacity == 0 ? kFirstSlots : Twins.Capacity * 2;
    if (capacity > Twins.SlotLimit) return false;
    uint64_t* slots = static_cast<uint64_t*>(StoreAllocate(capacity * sizeof(uint64_t)));
    if (slots == nullptr) return false;
    SlotCounts* counts = static_cast<SlotCounts*>(StoreAllocate(capacity * sizeof(SlotCounts)));
    if (counts == nullptr) {
        StoreFree(slots, capacity * sizeof(uint64_t));
        return false;
    }
    std::memset(slots, 0, capacity * sizeof(uint64_t));
    for (size_t i = 0; i < Twins.Capacity; ++i) {
        const uint64_t slot = Twins.Slots[i];
        if (slot == 0) continue;
        size_t at = Home(slot & ~kLostMark, capacity);
        while (slots[at] != 0) at = (at + 1) & (capacity - 1);
        slots[at] = slot;
        if ((slot & kLostMark) == 0) counts[at] = Twins.Counts[i];
    }
    const size_t used = Twins.Used;
    FreeSlots();
    Twins.Slots = slots;
    Twins.Counts = counts;
    Twins.Capacity = capacity;
    Twins.Used = used;
    return true;
}

}  // namespace

void FreeSlots() {
    if (Twins.Slots != nullptr) StoreFree(Twins.Slots, Twins.Capacity * sizeof(uint64_t));
    if (Twins.Counts != nullptr) StoreFree(Twins.Counts, Twins.Capacity * sizeof(SlotCounts));
    Twins.Slots = nullptr;
    Twins.Counts = nullptr;
    Twins.Capacity = 0;
    Twins.Used = 0;
}

void PrefetchTwin(uint64_t key) {
    const TwinSearch& t = Twins;
    if (t.Capacity > 0) __builtin_prefetch(&t.Slots[Home(key, t.Capacity)]);
}

TwinVerdict LookUpTwin(uint64_t key) {
    TwinVerdict verdict;
    const TwinSearch& t = Twins;
    if (t.Capacity == 0) return verdict;
    for (size_t at = Home(key, t.Capacity);; at = (at + 1) & (t.Capacity - 1)) {
        const uint64_t slot = t.Slots[at];
        if (slot == 0) return verdict;
        if ((slot & ~kLostMark) != key) continue;
        verdict.Known = true;
        verdict.Lost = (slot & kLostMark) != 0;
        if (!verdict.Lost) {
            const SlotCounts& counts = t.Counts[at];
            verdict.MaxClass = counts.MaxClass;
            verdict.Squares = counts.Squares;
            verdict.IsCandidate = counts.IsCandidate != 0;
        }
        return verdict;
    }
}

void RememberTwin(uint64_t key, bool lost, const ClassCounts& counts) {
    TwinSearch& t = Twins;
    // Half full asks for more room; without it the slots fill up to three quarters.
    if ((t.Used + 1) * 2 > t.Capacity && !t.Full && !Grow()) t.Full = true;
    if (t.Capacity == 0 || (t.Used + 1) * 4 > t.Capacity * 3) return;
    size_t at = Home(key, t.Capacity);
    while (t.Slots[at] != 0) {
        if ((t.Slots[at] & ~kLostMark) == key) return;
        at = (at + 1) & (t.Capacity - 1);
    }
    t.Slots[at] = key | (lost ? kLostMark : 0);
    if (!lost) t.Counts[at] = SlotCounts{counts.Squares, counts.MaxClass, counts.IsCandidate};
    ++t.Used;
}
