// Turns the bytes a terminal sends into the key codes of the console: ordinary keys as their
// code, function, cursor and editing keys (and Alt with a letter or digit) as 0 followed by the
// PC extended code.
//
// The translator is a pure record: it sees only the bytes fed to it and the event "the escape
// timeout elapsed", which the terminal backend sends when a started sequence has had no further
// byte for a short while. A lone Esc is told from the start of a sequence only by that event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// Longest sequence kept; a longer one is garbage and is swallowed up to its end.
constexpr int MaxKeySequence = 24;
// A started sequence that has had no further byte for this long is settled. A tenth of a second
// still lets a lone Esc act at once for the eye, and keeps a key whose bytes a remote link
// delivers up to that far apart (jitter of several tens of milliseconds, plus the few
// milliseconds between two looks of a long computation) one key.
constexpr int64_t KeyEscTimeoutMs = 100;

struct KeyTranslator {
    uint8_t Pending[MaxKeySequence] = {};  // the started sequence, beginning with Esc
    int PendingLength = 0;
    bool Discarding = false;   // inside an overlong sequence, swallowed up to its final byte
    std::deque<uint8_t> Keys;  // translated key codes, ready for ReadKey
    int64_t LastReadMs = 0;    // when the last bytes were read (TranslateRead)
};

void ResetTranslator(KeyTranslator& translator);
// One byte from the terminal.
void TranslateByte(KeyTranslator& translator, uint8_t byte);
// The escape timeout elapsed since the last byte: a started sequence is settled now (a lone Esc
// becomes the key Esc, Esc + 'O' becomes Alt-O, anything else unfinished is swallowed).
void TranslateTimeout(KeyTranslator& translator);

// The reader's side, with the times of a steady clock in milliseconds. Bytes read at one time
// are one piece: a sequence sent in one piece is never cut, however late it is read. A started
// sequence whose timeout ran out before the next bytes were read is settled before them: an Esc
// stays an Esc, however late the program reads on, and is never joined with a key typed after
// it into Alt with that key.
void TranslateRead(KeyTranslator& translator, const uint8_t* bytes, size_t count, int64_t nowMs);
// The input had nothing more at the time now: a started sequence whose last bytes were read at
// least the escape timeout ago is settled.
void TranslateQuiet(KeyTranslator& translator, int64_t nowMs);
// Milliseconds until TranslateQuiet settles the started sequence (0: now); -1 when none waits.
int64_t TranslatorDueIn(const KeyTranslator& translator, int64_t nowMs);

// True while a started sequence waits for more bytes or for the timeout.
bool TranslatorWaiting(const KeyTranslator& translator);
bool TranslatorHasKey(const KeyTranslator& translator);
// The next key code; 0 when none is waiting (callers ask TranslatorHasKey first).
uint8_t TranslatorNextKey(KeyTranslator& translator);

// The PC extended code of Alt with a key, or 0 when that combination has none.
uint8_t AltKeyCode(uint8_t key);
