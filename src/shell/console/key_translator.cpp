// Translation of terminal key sequences into the PC key codes of the console.
//
// Sequences understood: CSI (Esc [) and SS3 (Esc O) forms of xterm, VTE terminals, tmux and the
// Linux console, with the xterm modifier parameter (;2 Shift, ;3 Alt, ;5 Ctrl, combinations
// folded with Ctrl before Alt before Shift), the Linux console's F1..F5 (Esc [ [ A..E), the
// rxvt Home/End (Esc [ 7~ / 8~) and its ^ $ @ modifier finals, and Esc before a sequence as Alt.
#include "shell/console/key_translator.h"

#include "shell/console/console.h"

namespace {

enum class Key {
    None,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    Ins,
    Del,
    PgUp,
    PgDn,
    ShiftTab,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
};

// Modifier bits as in the xterm parameter minus one.
constexpr int kShift = 1;
constexpr int kAlt = 2;
constexpr int kCtrl = 4;

struct KeyCodes {
    uint8_t Plain, Shift, Ctrl, Alt;  // 0: the combination has no code of its own
};

KeyCodes CodesOf(Key key) {
    switch (key) {
        case Key::Up:
            return {ExtUp, 0, ExtCtrlUp, ExtAltUp};
        case Key::Down:
            return {ExtDown, 0, ExtCtrlDown, ExtAltDown};
        case Key::Left:
            return {ExtLeft, 0, ExtCtrlLeft, ExtAltLeft};
        case Key::Right:
            return {ExtRight, 0, ExtCtrlRight, ExtAltRight};
        case Key::Home:
            return {ExtHome, 0, ExtCtrlHome, ExtAltHome};
        case Key::End:
            return {ExtEnd, 0, ExtCtrlEnd, ExtAltEnd};
        case Key::Ins:
            return {ExtIns, 0, ExtCtrlIns, ExtAltIns};
        case Key::Del:
            return {ExtDel, 0, ExtCtrlDel, ExtAltDel};
        case Key::PgUp:
            return {ExtPgUp, 0, ExtCtrlPgUp, ExtAltPgUp};
        case Key::PgDn:
            return {ExtPgDn, 0, ExtCtrlPgDn, ExtAltPgDn};
        case Key::ShiftTab:
            return {ExtShiftTab, ExtShiftTab, ExtShiftTab, ExtShiftTab};
        case Key::F11:
            return {ExtF11, 135, 137, 139};
        case Key::F12:
            return {ExtF12, 136, 138, 140};
        case Key::None:
            return {0, 0, 0, 0};
        default: {
            // F1..F10: four blocks of ten codes.
            uint8_t n = static_cast<uint8_t>(static_cast<int>(key) - static_cast<int>(Key::F1));
            return {static_cast<uint8_t>(ExtF1 + n), static_cast<uint8_t>(ExtShiftF1 + n),
                    static_cast<uint8_t>(ExtCtrlF1 + n), static_cast<uint8_t>(ExtAltF1 + n)};
        }
    }
}

Key FunctionKey(int n) {  // 1..12
    return static_cast<Key>(static_cast<int>(Key::F1) + n - 1);
}

void Deliver(KeyTranslator& t, uint8_t key) {
    t.Keys.push_back(key);
}

void DeliverExtended(KeyTranslator& t, uint8_t code) {
    t.Keys.push_back(KeyExtended);
    t.Keys.push_back(code);
}

// A key with its modifier bits; Ctrl wins over Alt, Alt over Shift.
void DeliverKey(KeyTranslator& t, Key key, int modifiers) {
    if (key == Key::None) return;
    KeyCodes codes = CodesOf(key);
    uint8_t code = codes.Plain;
    if ((modifiers & kCtrl) != 0) {
        code = codes.Ctrl;
    } else if ((modifiers & kAlt) != 0) {
        code = codes.Alt;
    } else if ((modifiers & kShift) != 0 && codes.Shift != 0) {
        code = codes.Shift;
    }
    if (code != 0) DeliverExtended(t, code);
}

// An ordinary byte outside any sequence.
void DeliverPlain(KeyTranslator& t, uint8_t byte) {
    if (byte == 0) return;     // Ctrl-Space: a raw 0 would start an extended key
    if (byte >= 0x80) return;  // the screens know only ASCII; pieces of UTF-8 are dropped
    if (byte == 127) byte = KeyBackspace;
    if (byte == '\n') byte = KeyEnter;
    Deliver(t, byte);
}

// Esc followed at once by a key that is not the start of a sequence: Alt with that key.
void DeliverAlt(KeyTranslator& t, uint8_t byte) {
    uint8_t code = AltKeyCode(byte);
    if (code != 0) {
        DeliverExtended(t, code);
    } else if (byte < 0x20) {
        // Esc and then a control key, typed fast: both count.
        Deliver(t, KeyEsc);
        DeliverPlain(t, byte);
    }
    // Alt with another printable key has no code: swallowed.
}

// Value of the xterm modifier parameter as bits (parameter 1 or absent: none).
int ModifierBits(int parameter) {
    return parameter >= 2 && parameter <= 16 ? parameter - 1 : 0;
}

// The key of "Esc [ n ~" (and the rxvt finals ^ $ @); shift is set for the Linux console's
// shifted function keys F13..F20.
Key TildeKey(int n, int& extraModifiers) {
    extraModifiers = 0;
    switch (n) {
        case 1:
        case 7:
            return Key::Home;
        case 2:
            return Key::Ins;
        case 3:
            return Key::Del;
        case 4:
        case 8:
            return Key::End;
        case 5:
            return Key::PgUp;
        case 6:
            return Key::PgDn;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            return FunctionKey(n - 10);
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            return FunctionKey(n - 11);
        case 23:
            return Key::F11;
        case 24:
            return Key::F12;
        default:
            break;
    }
    // The Linux console sends Shift-F1..F8 as F13..F20.
    static const int kShifted[] = {25, 26, 28, 29, 31, 32, 33, 34};
    for (int i = 0; i < 8; ++i) {
        if (n == kShifted[i]) {
            extraModifiers = kShift;
            return FunctionKey(i + 1);
        }
    }
    return Key::None;
}

Key LetterKey(uint8_t final, bool ss3) {
    switch (final) {
        case 'A':
            return Key::Up;
        case 'B':
            return Key::Down;
        case 'C':
            return Key::Right;
        case 'D':
            return Key::Left;
        case 'H':
            return Key::Home;
        case 'F':
            return Key::End;
        case 'P':
            return Key::F1;
        case 'Q':
            return Key::F2;
        case 'R':
            return Key::F3;
        case 'S':
            return Key::F4;
        case 'Z':
            return ss3 ? Key::None : Key::ShiftTab;
        default:
            return Key::None;
    }
}

// Parameters of a sequence: decimal numbers separated by ';'. False when the bytes hold anything
// else (private markers, sub-parameters), which no key of ours uses.
bool ParseParameters(const uint8_t* bytes, int length, int* values, int& count) {
    count = 0;
    if (length == 0) return true;
    int value = 0;
    for (int i = 0; i < length; ++i) {
        uint8_t b = bytes[i];
        if (b >= '0' && b <= '9') {
            if (value < 10000) value = value * 10 + (b - '0');
        } else if (b == ';') {
            if (count < 4) values[count] = value;
            ++count;
            value = 0;
        } else {
            return false;
        }
    }
    if (count < 4) values[count] = value;
    ++count;
    return true;
}

// A complete CSI sequence: parameters, final byte; alt from an Esc in front.
void ResolveCsi(KeyTranslator& t, const uint8_t* params, int length, uint8_t final, int modifiers) {
    int values[4] = {0, 0, 0, 0};
    int count = 0;
    if (!ParseParameters(params, length, values, count)) return;
    if (final == '~' || final == '^' || final == '$' || final == '@') {
        if (count < 1) return;
        int extra = 0;
        Key key = TildeKey(values[0], extra);
        modifiers |= extra;
        if (count >= 2) modifiers |= ModifierBits(values[1]);
        if (final == '^') modifiers |= kCtrl;           // rxvt Ctrl
        if (final == '$') modifiers |= kShift;          // rxvt Shift
        if (final == '@') modifiers |= kCtrl | kShift;  // rxvt Ctrl-Shift
        DeliverKey(t, key, modifiers);
        return;
    }
    if (final >= 'a' && final <= 'd') {  // rxvt Shift with a cursor key
        if (count > 1) return;
        DeliverKey(t, LetterKey(static_cast<uint8_t>(final - 'a' + 'A'), false),
                   modifiers | kShift);
        return;
    }
    if (count > 2) return;
    Key key = LetterKey(final, false);
    if (count == 2) modifiers |= ModifierBits(values[1]);
    if (count == 1) modifiers |= ModifierBits(values[0]);
    DeliverKey(t, key, modifiers);
}

// A complete SS3 sequence (Esc O, optionally with parameters, then the final byte).
void ResolveSs3(KeyTranslator& t, const uint8_t* params, int length, uint8_t final, int modifiers) {
    int values[4] = {0, 0, 0, 0};
    int count = 0;
    if (!ParseParameters(params, length, values, count) || count > 2) return;
    if (count == 2) modifiers |= ModifierBits(values[1]);
    if (count == 1) modifiers |= ModifierBits(values[0]);
    // The keypad in application mode sends its characters this way.
    if (final == 'M') {
        Deliver(t, KeyEnter);
        return;
    }
    if (final == 'X') {
        Deliver(t, '=');
        return;
    }
    if (final >= 'j' && final <= 'y') {
        static const char kKeypad[] = "*+,-./0123456789";
        Deliver(t, static_cast<uint8_t>(kKeypad[final - 'j']));
        return;
    }
    if (final >= 'a' && final <= 'd') {  // rxvt Ctrl with a cursor key
        DeliverKey(t, LetterKey(static_cast<uint8_t>(final - 'a' + 'A'), true), modifiers | kCtrl);
        return;
    }
    DeliverKey(t, LetterKey(final, true), modifiers);
}

void ClearPending(KeyTranslator& t) {
    t.PendingLength = 0;
}

// Looks at the pending sequence after a byte was added and settles it when it is complete.
void Examine(KeyTranslator& t) {
    const uint8_t* p = t.Pending;
    int length = t.PendingLength;
    int last = length - 1;
    uint8_t b = p[last];

    if (length == 2) {
        if (b == '[' || b == 'O' || b == KeyEsc) return;  // a sequence, or Esc before one
        ClearPending(t);
        DeliverAlt(t, b);
        return;
    }
    bool altPrefix = p[1] == KeyEsc;
    int intro = altPrefix ? 2 : 1;  // index of '[' or 'O'
    if (altPrefix && length == 3) {
        if (b == '[' || b == 'O') return;
        // Esc, then Esc with another key: the first is a key of its own.
        ClearPending(t);
        Deliver(t, KeyEsc);
        TranslateByte(t, KeyEsc);
        TranslateByte(t, b);
        return;
    }
    int modifiers = altPrefix ? kAlt : 0;
    bool csi = p[intro] == '[';
    int bodyStart = intro + 1;

    // The Linux console's function keys: Esc [ [ A..E.
    if (csi && length >= bodyStart + 1 && p[bodyStart] == '[') {
        if (length == bodyStart + 1) return;
        ClearPending(t);
        if (b >= 'A' && b <= 'E') {
            DeliverKey(t, FunctionKey(b - 'A' + 1), modifiers);
        } else if (b == KeyEsc || b < 0x20) {
            TranslateByte(t, b);
        }
        return;
    }

    if (b == KeyEsc) {  // a new sequence breaks off the unfinished one
        ClearPending(t);
        TranslateByte(t, b);
        return;
    }
    if (b < 0x20 || b >= 0x7F) {  // no part of a sequence: the unfinished one is dropped
        ClearPending(t);
        TranslateByte(t, b);
        return;
    }
    bool parameter = b >= 0x30 && b <= 0x3F;
    bool intermediate = b >= 0x20 && b <= 0x2F && !(csi && b == '$');
    if (parameter || intermediate) {
        if (length >= MaxKeySequence) {
            ClearPending(t);
            t.Discarding = true;
        }
        return;
    }
    // A final byte: the sequence is complete.
    const uint8_t* body = p + bodyStart;
    int bodyLength = last - bodyStart;
    for (int i = 0; i < bodyLength; ++i) {
        if (body[i] < 0x30) {  // intermediate bytes: no key of ours
            ClearPending(t);
            return;
        }
    }
    if (csi) {
        ResolveCsi(t, body, bodyLength, b, modifiers);
    } else {
        ResolveSs3(t, body, bodyLength, b, modifiers);
    }
    ClearPending(t);
}

}  // namespace

uint8_t AltKeyCode(uint8_t key) {
    static const char kTop[] = "qwertyuiop";    // 16..25
    static const char kMiddle[] = "asdfghjkl";  // 30..38
    static const char kBottom[] = "zxcvbnm";    // 44..50
    if (key >= 'A' && key <= 'Z') key = static_cast<uint8_t>(key - 'A' + 'a');
    for (int i = 0; kTop[i] != '\0'; ++i)
        if (key == kTop[i]) return static_cast<uint8_t>(16 + i);
    for (int i = 0; kMiddle[i] != '\0'; ++i)
        if (key == kMiddle[i]) return static_cast<uint8_t>(30 + i);
    for (int i = 0; kBottom[i] != '\0'; ++i)
        if (key == kBottom[i]) return static_cast<uint8_t>(44 + i);
    if (key >= '1' && key <= '9') return static_cast<uint8_t>(120 + (key - '1'));
    switch (key) {
        case '0':
            return 129;
        case '-':
            return 130;
        case '=':
            return 131;
        case 127:
        case 8:
            return 14;  // Alt-Backspace
        case 13:
        case 10:
            return 28;  // Alt-Enter
        case 9:
            return 165;  // Alt-Tab
        default:
            return 0;
    }
}

void ResetTranslator(KeyTranslator& translator) {
    translator.PendingLength = 0;
    translator.Discarding = false;
    translator.Keys.clear();
    translator.LastReadMs = 0;
}

void TranslateByte(KeyTranslator& t, uint8_t byte) {
    if (t.Discarding) {
        if (byte == KeyEsc) {
            t.Discarding = false;
        } else {
            // The garbage ends with a final byte; a control key ends it and counts.
            if (byte >= 0x40 && byte <= 0x7E) t.Discarding = false;
            if (byte < 0x20) {
                t.Discarding = false;
                DeliverPlain(t, byte);
            }
            return;
        }
    }
    if (t.PendingLength == 0) {
        if (byte == KeyEsc) {
            t.Pending[0] = byte;
            t.PendingLength = 1;
        } else {
            DeliverPlain(t, byte);
        }
        return;
    }
    t.Pending[t.PendingLength++] = byte;
    Examine(t);
}

void TranslateTimeout(KeyTranslator& t) {
    t.Discarding = false;
    int length = t.PendingLength;
    if (length == 0) return;
    uint8_t copy[MaxKeySequence];
    for (int i = 0; i < length; ++i) copy[i] = t.Pending[i];
    ClearPending(t);
    if (length == 1) {  // a lone Esc
        Deliver(t, KeyEsc);
        return;
    }
    if (copy[1] == KeyEsc) {  // Esc, then whatever the second Esc began
        Deliver(t, KeyEsc);
        for (int i = 1; i < length; ++i) TranslateByte(t, copy[i]);
        TranslateTimeout(t);
        return;
    }
    // Esc with '[' or 'O' and nothing more is Alt with that key; a longer unfinished sequence
    // is swallowed.
    if (length == 2) DeliverAlt(t, copy[1]);
}

void TranslateRead(KeyTranslator& translator, const uint8_t* bytes, size_t count, int64_t nowMs) {
    TranslateQuiet(translator, nowMs);
    for (size_t i = 0; i < count; ++i) TranslateByte(translator, bytes[i]);
    translator.LastReadMs = nowMs;
}

void TranslateQuiet(KeyTranslator& translator, int64_t nowMs) {
    if (TranslatorDueIn(translator, nowMs) == 0) TranslateTimeout(translator);
}

int64_t TranslatorDueIn(const KeyTranslator& translator, int64_t nowMs) {
    if (!TranslatorWaiting(translator)) return -1;
    int64_t remaining = translator.LastReadMs + KeyEscTimeoutMs - nowMs;
    return remaining > 0 ? remaining : 0;
}

bool TranslatorWaiting(const KeyTranslator& translator) {
    return translator.PendingLength > 0 || translator.Discarding;
}

bool TranslatorHasKey(const KeyTranslator& translator) {
    return !translator.Keys.empty();
}

uint8_t TranslatorNextKey(KeyTranslator& translator) {
    if (translator.Keys.empty()) return 0;
    uint8_t key = translator.Keys.front();
    translator.Keys.pop_front();
    return key;
}
