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

struct KeyTranslator {
    uint8_t Pending[MaxKeySequence] = {};  // the started sequence, beginning with Esc
    int PendingLength = 0;
    bool Discarding = false;   // inside an overlong sequence, swallowed up to its final byte
    std::deque<uint8_t> Keys;  // translated key codes, ready for ReadKey
};

void ResetTranslator(KeyTranslator& translator);
// One byte from the terminal.
void TranslateByte(KeyTranslator& translator, uint8_t byte);
// The escape timeout elapsed since the last byte: a started sequence is settled now (a lone Esc
// becomes the key Esc, Esc + 'O' becomes Alt-O, anything else unfinished is swallowed).
void TranslateTimeout(KeyTranslator& translator);
// True while a started sequence waits for more bytes or for the timeout.
bool TranslatorWaiting(const KeyTranslator& translator);
bool TranslatorHasKey(const KeyTranslator& translator);
// The next key code; 0 when none is waiting (callers ask TranslatorHasKey first).
uint8_t TranslatorNextKey(KeyTranslator& translator);

// The PC extended code of Alt with a key, or 0 when that combination has none.
uint8_t AltKeyCode(uint8_t key);
