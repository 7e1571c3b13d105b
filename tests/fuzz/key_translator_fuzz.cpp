// Any byte stream from the terminal, arriving in any pieces at any times and read in any chunks
// by a reader that is waiting or busy, gives well-made keys:
// - every extended key is a 0 followed by one code, and the two are delivered together;
// - ordinary keys are bytes the screens know;
// - a control key always ends whatever sequence was started and comes through itself, and once
//   the input has been quiet for the escape timeout nothing waits any more;
// - the keys are those of the whole stream fed at once when its pieces come closer together
//   than the escape timeout less the longest a busy reader goes without a look, however the
//   reader takes them; with longer pauses, a reader that waits for its input settles at each
//   pause, as if the stream had been fed burst by burst.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/console/console.h"
#include "shell/console/key_translator.h"

namespace {

using Keys = std::vector<uint8_t>;

struct Piece {
    std::vector<uint8_t> Bytes;
    int64_t ArrivalMs;
};

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "key translator: %s\n", what);
    std::abort();
}

// Takes the waiting keys, checking that no extended key is split and no key is malformed.
void TakeKeys(KeyTranslator& t, Keys& keys) {
    bool code = false;
    for (uint8_t key : t.Keys) {
        if (code) {
            if (key == 0) Fault("an extended key has the code 0");
            code = false;
        } else if (key == KeyExtended) {
            code = true;
        } else if (key >= 0x80 || key == 127 || key == '\n') {
            Fault("an ordinary key the screens do not know");
        }
    }
    if (code) Fault("an extended key was delivered without its code");
    while (TranslatorHasKey(t)) keys.push_back(TranslatorNextKey(t));
}

// A control key ends any started sequence and comes through as itself.
void ProbeControlKey(const KeyTranslator& t) {
    KeyTranslator probe = t;
    probe.Keys.clear();
    TranslateByte(probe, 1);
    if (TranslatorWaiting(probe) || probe.Keys.empty() || probe.Keys.back() != 1)
        Fault("a control key was swallowed by a started sequence");
}

// The stream fed byte by byte, settled at the end of each burst (pieces separated by a pause).
Keys FeedBursts(const std::vector<Piece>& pieces, bool settleAtPauses) {
    KeyTranslator t;
    Keys keys;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (settleAtPauses && i > 0 &&
            pieces[i].ArrivalMs - pieces[i - 1].ArrivalMs > KeyEscTimeoutMs) {
            TranslateTimeout(t);
            TakeKeys(t, keys);
        }
        for (uint8_t byte : pieces[i].Bytes) {
            TranslateByte(t, byte);
            if (t.PendingLength > MaxKeySequence) Fault("a sequence outgrew its buffer");
            TakeKeys(t, keys);
            ProbeControlKey(t);
        }
    }
    TranslateTimeout(t);
    if (TranslatorWaiting(t)) Fault("the timeout left a sequence waiting");
    TakeKeys(t, keys);
    return keys;
}

// The longest a busy reader (a long computation) goes without a look at the input.
constexpr int64_t kBusyLookMs = 20;

// The terminal backend's way of reading: look at the input; read what is there, a chunk at a
// time; when nothing is there, let the translator judge the escape timeout. A waiting reader
// sleeps until input comes or the timeout is due; a busy one looks again after a while.
Keys Read(const std::vector<Piece>& pieces, bool busy, uint32_t seed) {
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    KeyTranslator t;
    Keys keys;
    std::vector<uint8_t> unread;
    size_t arrived = 0;
    int64_t now = 0;
    for (int step = 0; step < 100000; ++step) {
        while (arrived < pieces.size() && pieces[arrived].ArrivalMs <= now) {
            unread.insert(unread.end(), pieces[arrived].Bytes.begin(), pieces[arrived].Bytes.end());
            ++arrived;
        }
        if (!unread.empty()) {
            size_t chunk = 1 + next(64);
            if (chunk > unread.size()) chunk = unread.size();
            TranslateRead(t, unread.data(), chunk, now);
            unread.erase(unread.begin(), unread.begin() + static_cast<std::ptrdiff_t>(chunk));
            TakeKeys(t, keys);
            continue;
        }
        TranslateQuiet(t, now);
        if (TranslatorDueIn(t, now) == 0) Fault("a due sequence was not settled");
        TakeKeys(t, keys);
        bool waiting = TranslatorWaiting(t);
        if (arrived == pieces.size() && !waiting) return keys;
        if (busy) {
            now += next(kBusyLookMs + 1);
        } else {
            int64_t wake = arrived < pieces.size() ? pieces[arrived].ArrivalMs : INT64_MAX;
            if (waiting && now + TranslatorDueIn(t, now) < wake)
                wake = now + TranslatorDueIn(t, now);
            now = wake;
        }
    }
    Fault("the reader never finished");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool busy = in.ConsumeBool();
    const uint32_t seed = in.ConsumeIntegral<uint32_t>();
    std::vector<Piece> pieces;
    bool paused = false;
    int64_t at = 0;
    while (in.remaining_bytes() > 0 && pieces.size() < 256) {
        size_t length = in.ConsumeIntegralInRange<size_t>(1, 32);
        bool pause = in.ConsumeIntegralInRange<int>(0, 7) == 0;
        if (!pieces.empty()) {
            at += pause ? in.ConsumeIntegralInRange<int64_t>(KeyEscTimeoutMs + 1, 300)
                        : in.ConsumeIntegralInRange<int64_t>(0, KeyEscTimeoutMs - kBusyLookMs - 1);
            paused = paused || pause;
        }
        Piece piece{in.ConsumeBytes<uint8_t>(length), at};
        if (piece.Bytes.empty()) break;
        pieces.push_back(std::move(piece));
    }

    const Keys whole = FeedBursts(pieces, false);
    const Keys bursts = paused ? FeedBursts(pieces, true) : whole;
    const Keys read = Read(pieces, busy, seed);
    if (!paused && read != whole) Fault("the read boundaries changed the keys");
    if (paused && !busy && read != bursts) Fault("a waiting reader did not settle at a pause");
    return 0;
}
