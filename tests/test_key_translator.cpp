// The translation of terminal bytes into console key codes.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "shell/console/console.h"
#include "shell/console/key_translator.h"

namespace {

using Keys = std::vector<int>;

// Feeds the bytes, then (when asked) the escape timeout, and returns every key delivered.
Keys Translate(const std::string& bytes, bool timeout = true) {
    KeyTranslator t;
    for (char c : bytes) TranslateByte(t, static_cast<uint8_t>(c));
    if (timeout) TranslateTimeout(t);
    Keys keys;
    while (TranslatorHasKey(t)) keys.push_back(TranslatorNextKey(t));
    return keys;
}

Keys Ext(int code) {
    return Keys{0, code};
}

const std::string kEsc = "\x1b";

TEST(KeyTranslator, OrdinaryKeysPassThrough) {
    EXPECT_EQ(Translate("a9Z *"), (Keys{'a', '9', 'Z', ' ', '*'}));
    EXPECT_EQ(Translate("\x03"), Keys{KeyCtrlC});
    EXPECT_EQ(Translate("\x1a\x13\x11"), (Keys{26, 19, 17}));  // Ctrl-Z, Ctrl-S, Ctrl-Q
    EXPECT_EQ(Translate("\t"), Keys{9});
}

TEST(KeyTranslator, BackspaceAndEnterBecomeThePcCodes) {
    EXPECT_EQ(Translate("\x7f"), Keys{KeyBackspace});
    EXPECT_EQ(Translate("\x08"), Keys{KeyBackspace});
    EXPECT_EQ(Translate("\r"), Keys{KeyEnter});
    EXPECT_EQ(Translate("\n"), Keys{KeyEnter});
}

TEST(KeyTranslator, BytesThatCouldPretendAnExtendedKeyAreDropped) {
    // A raw 0 (Ctrl-Space) would make the next key look like an extended code.
    EXPECT_EQ(Translate(std::string("\0", 1) + "H"), Keys{'H'});
    // Bytes of UTF-8 characters are no keys of the screens.
    EXPECT_EQ(Translate("\xc3\xa4x"), Keys{'x'});
}

TEST(KeyTranslator, LoneEscNeedsTheTimeout) {
    KeyTranslator t;
    TranslateByte(t, 27);
    EXPECT_FALSE(TranslatorHasKey(t));
    EXPECT_TRUE(TranslatorWaiting(t));
    TranslateTimeout(t);
    EXPECT_FALSE(TranslatorWaiting(t));
    ASSERT_TRUE(TranslatorHasKey(t));
    EXPECT_EQ(TranslatorNextKey(t), KeyEsc);
    EXPECT_FALSE(TranslatorHasKey(t));
    // A timeout with nothing started delivers nothing.
    TranslateTimeout(t);
    EXPECT_FALSE(TranslatorHasKey(t));
}

// The reader's side, with the times at which the pieces are read.
TEST(KeyTranslator, PiecesCountByTheTimeTheyAreRead) {
    KeyTranslator t;
    auto read = [&t](const std::string& bytes, int64_t at) {
        TranslateRead(t, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), at);
        Keys got;
        while (TranslatorHasKey(t)) got.push_back(TranslatorNextKey(t));
        return got;
    };
    // Cursor keys sent byte by byte over a remote link, 40 ms apart, looks in between finding
    // nothing: still one key each (a split Ctrl-Right's '1' is no key of its own).
    int64_t at = 1000;
    for (const std::string& key : {std::string("\x1b[C"), std::string("\x1b[1;5C")}) {
        Keys got;
        for (char c : key) {
            TranslateQuiet(t, at - 1);
            got = read(std::string(1, c), at);
            at += 40;
        }
        EXPECT_EQ(got, key.size() == 3 ? Ext(ExtRight) : Ext(ExtCtrlRight)) << key.size();
        EXPECT_FALSE(TranslatorWaiting(t));
    }
    // A lone Esc is settled by the first look that finds nothing once its timeout has run out.
    EXPECT_EQ(read(kEsc, 2000), Keys{});
    EXPECT_EQ(TranslatorDueIn(t, 2010), KeyEscTimeoutMs - 10);
    TranslateQuiet(t, 2000 + KeyEscTimeoutMs);
    EXPECT_EQ(TranslatorNextKey(t), KeyEsc);
    // An Esc read just before the program gets busy, and a key typed while it is: however late
    // the key is read, the Esc whose timeout ran out before it stays an Esc.
    EXPECT_EQ(read(kEsc, 3000), Keys{});
    EXPECT_EQ(read("n", 3000 + 2200), (Keys{KeyEsc, 'n'}));
    // Bytes read at one time are one piece, however late they are read.
    EXPECT_EQ(read(kEsc, 6000), Keys{});
    EXPECT_EQ(read("[A", 6000 + KeyEscTimeoutMs - 1), Ext(ExtUp));
    EXPECT_EQ(read("\x1b[B", 9000), Ext(ExtDown));
}

TEST(KeyTranslator, EscEscIsTwoEscKeys) {
    EXPECT_EQ(Translate(kEsc + kEsc), (Keys{KeyEsc, KeyEsc}));
    EXPECT_EQ(Translate(kEsc + kEsc + kEsc), (Keys{KeyEsc, KeyEsc, KeyEsc}));
    // Esc, then Esc with a letter: the Esc, then Alt with the letter.
    EXPECT_EQ(Translate(kEsc + kEsc + "q"), (Keys{KeyEsc, 0, 16}));
}

TEST(KeyTranslator, EscThenLetterOrDigitIsAlt) {
    EXPECT_EQ(Translate(kEsc + "q", false), Ext(16));
    EXPECT_EQ(Translate(kEsc + "p"), Ext(25));
    EXPECT_EQ(Translate(kEsc + "a"), Ext(30));
    EXPECT_EQ(Translate(kEsc + "L"), Ext(38));
    EXPECT_EQ(Translate(kEsc + "z"), Ext(44));
    EXPECT_EQ(Translate(kEsc + "m"), Ext(50));
    EXPECT_EQ(Translate(kEsc + "1"), Ext(120));
    EXPECT_EQ(Translate(kEsc + "9"), Ext(128));
    EXPECT_EQ(Translate(kEsc + "0"), Ext(129));
    // Esc + 'O' is the start of a sequence until the timeout says it was Alt-O.
    EXPECT_EQ(Translate(kEsc + "O", false), Keys{});
    EXPECT_EQ(Translate(kEsc + "O"), Ext(24));
    // Alt with a punctuation key has no code and is swallowed, not delivered as a stray key.
    EXPECT_EQ(Translate(kEsc + "." + "x"), Keys{'x'});
    // Esc and a control key typed fast are both keys.
    EXPECT_EQ(Translate(kEsc + "\x03"), (Keys{KeyEsc, KeyCtrlC}));
}

TEST(KeyTranslator, CursorKeysInBothForms) {
    for (const char* intro : {"[", "O"}) {
        EXPECT_EQ(Translate(kEsc + intro + "A", false), Ext(ExtUp)) << intro;
        EXPECT_EQ(Translate(kEsc + intro + "B", false), Ext(ExtDown)) << intro;
        EXPECT_EQ(Translate(kEsc + intro + "C", false), Ext(ExtRight)) << intro;
        EXPECT_EQ(Translate(kEsc + intro + "D", false), Ext(ExtLeft)) << intro;
        EXPECT_EQ(Translate(kEsc + intro + "H", false), Ext(ExtHome)) << intro;
        EXPECT_EQ(Translate(kEsc + intro + "F", false), Ext(ExtEnd)) << intro;
    }
}

TEST(KeyTranslator, CursorKeysWithModifiers) {
    EXPECT_EQ(Translate(kEsc + "[1;5A"), Ext(ExtCtrlUp));
    EXPECT_EQ(Translate(kEsc + "[1;5B"), Ext(ExtCtrlDown));
    EXPECT_EQ(Translate(kEsc + "[1;5D"), Ext(ExtCtrlLeft));
    EXPECT_EQ(Translate(kEsc + "[1;5C"), Ext(ExtCtrlRight));
    EXPECT_EQ(Translate(kEsc + "[1;3A"), Ext(ExtAltUp));
    EXPECT_EQ(Translate(kEsc + "[1;3B"), Ext(ExtAltDown));
    EXPECT_EQ(Translate(kEsc + "[1;3D"), Ext(ExtAltLeft));
    EXPECT_EQ(Translate(kEsc + "[1;3C"), Ext(ExtAltRight));
    EXPECT_EQ(Translate(kEsc + "[1;2A"), Ext(ExtUp));  // Shift-Up has no code of its own
    EXPECT_EQ(Translate(kEsc + "[1;5H"), Ext(ExtCtrlHome));
    EXPECT_EQ(Translate(kEsc + "[1;3F"), Ext(ExtAltEnd));
    // Ctrl-Shift and Ctrl-Alt fold to Ctrl, Alt-Shift to Alt.
    EXPECT_EQ(Translate(kEsc + "[1;6A"), Ext(ExtCtrlUp));
    EXPECT_EQ(Translate(kEsc + "[1;7D"), Ext(ExtCtrlLeft));
    EXPECT_EQ(Translate(kEsc + "[1;4C"), Ext(ExtAltRight));
    // Esc in front of a sequence is Alt.
    EXPECT_EQ(Translate(kEsc + kEsc + "[A"), Ext(ExtAltUp));
    // rxvt: Shift with Esc [ a..d, Ctrl with Esc O a..d.
    EXPECT_EQ(Translate(kEsc + "Oa"), Ext(ExtCtrlUp));
    EXPECT_EQ(Translate(kEsc + "Od"), Ext(ExtCtrlLeft));
    EXPECT_EQ(Translate(kEsc + "[b"), Ext(ExtDown));
}

TEST(KeyTranslator, EditingKeys) {
    EXPECT_EQ(Translate(kEsc + "[1~"), Ext(ExtHome));
    EXPECT_EQ(Translate(kEsc + "[7~"), Ext(ExtHome));  // rxvt
    EXPECT_EQ(Translate(kEsc + "[4~"), Ext(ExtEnd));
    EXPECT_EQ(Translate(kEsc + "[8~"), Ext(ExtEnd));  // rxvt
    EXPECT_EQ(Translate(kEsc + "[2~"), Ext(ExtIns));
    EXPECT_EQ(Translate(kEsc + "[3~"), Ext(ExtDel));
    EXPECT_EQ(Translate(kEsc + "[5~"), Ext(ExtPgUp));
    EXPECT_EQ(Translate(kEsc + "[6~"), Ext(ExtPgDn));
    EXPECT_EQ(Translate(kEsc + "[3;3~"), Ext(ExtAltDel));
    EXPECT_EQ(Translate(kEsc + "[3;5~"), Ext(ExtCtrlDel));
    EXPECT_EQ(Translate(kEsc + "[2;5~"), Ext(ExtCtrlIns));
    EXPECT_EQ(Translate(kEsc + "[2;3~"), Ext(ExtAltIns));
    EXPECT_EQ(Translate(kEsc + "[3;2~"), Ext(ExtDel));
    EXPECT_EQ(Translate(kEsc + "[3^"), Ext(ExtCtrlDel));  // rxvt Ctrl
    EXPECT_EQ(Translate(kEsc + "[3$"), Ext(ExtDel));      // rxvt Shift
}

TEST(KeyTranslator, PageKeysWithModifiers) {
    EXPECT_EQ(Translate(kEsc + "[5;5~"), Ext(132));
    EXPECT_EQ(Translate(kEsc + "[5;3~"), Ext(153));
    EXPECT_EQ(Translate(kEsc + "[6;5~"), Ext(118));
    EXPECT_EQ(Translate(kEsc + "[6;3~"), Ext(161));
    EXPECT_EQ(Translate(kEsc + "[5^"), Ext(132));
    EXPECT_EQ(Translate(kEsc + kEsc + "[6~"), Ext(161));
}

TEST(KeyTranslator, FunctionKeysOfEveryTerminal) {
    // xterm, VTE and tmux: F1..F4 as SS3, F5..F12 as CSI n ~.
    EXPECT_EQ(Translate(kEsc + "OP"), Ext(59));
    EXPECT_EQ(Translate(kEsc + "OQ"), Ext(60));
    EXPECT_EQ(Translate(kEsc + "OR"), Ext(61));
    EXPECT_EQ(Translate(kEsc + "OS"), Ext(62));
    const int numbers[] = {15, 17, 18, 19, 20, 21, 23, 24};
    const int codes[] = {63, 64, 65, 66, 67, 68, 133, 134};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Translate(kEsc + "[" + std::to_string(numbers[i]) + "~"), Ext(codes[i]))
            << numbers[i];
    }
    // Older xterm and rxvt: F1..F4 as CSI 11..14 ~; CSI forms of F1..F4.
    EXPECT_EQ(Translate(kEsc + "[11~"), Ext(59));
    EXPECT_EQ(Translate(kEsc + "[14~"), Ext(62));
    EXPECT_EQ(Translate(kEsc + "[P"), Ext(59));
    // The Linux console: F1..F5 as Esc [ [ A..E.
    const char finals[] = "ABCDE";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Translate(kEsc + "[[" + finals[i], false), Ext(59 + i)) << finals[i];
    }
}

TEST(KeyTranslator, FunctionKeysWithModifiers) {
    EXPECT_EQ(Translate(kEsc + "[1;2P"), Ext(84));   // Shift-F1
    EXPECT_EQ(Translate(kEsc + "[1;5P"), Ext(94));   // Ctrl-F1
    EXPECT_EQ(Translate(kEsc + "[1;3P"), Ext(104));  // Alt-F1
    EXPECT_EQ(Translate(kEsc + "[1;2S"), Ext(ExtShiftF4));
    EXPECT_EQ(Translate(kEsc + "[1;5S"), Ext(ExtCtrlF4));
    EXPECT_EQ(Translate(kEsc + "[1;3S"), Ext(ExtAltF4));
    EXPECT_EQ(Translate(kEsc + "O2S"), Ext(ExtShiftF4));   // old xterm
    EXPECT_EQ(Translate(kEsc + "O1;5S"), Ext(ExtCtrlF4));  // SS3 with parameters
    EXPECT_EQ(Translate(kEsc + "[17;2~"), Ext(ExtShiftF6));
    EXPECT_EQ(Translate(kEsc + "[17;5~"), Ext(ExtCtrlF6));
    EXPECT_EQ(Translate(kEsc + "[17;3~"), Ext(ExtAltF6));
    EXPECT_EQ(Translate(kEsc + "[17;6~"), Ext(ExtCtrlF6));
    EXPECT_EQ(Translate(kEsc + "[21;5~"), Ext(103));  // Ctrl-F10
    EXPECT_EQ(Translate(kEsc + "[23;2~"), Ext(135));  // Shift-F11
    EXPECT_EQ(Translate(kEsc + "[24;5~"), Ext(138));  // Ctrl-F12
    EXPECT_EQ(Translate(kEsc + "[24;3~"), Ext(140));  // Alt-F12
    EXPECT_EQ(Translate(kEsc + kEsc + "OS"), Ext(ExtAltF4));
    // The Linux console's Shift-F1..F8 come as F13..F20.
    EXPECT_EQ(Translate(kEsc + "[25~"), Ext(84));
    EXPECT_EQ(Translate(kEsc + "[29~"), Ext(ExtShiftF4));
    EXPECT_EQ(Translate(kEsc + "[32~"), Ext(ExtShiftF6));
}

TEST(KeyTranslator, ShiftTabAndKeypad) {
    EXPECT_EQ(Translate(kEsc + "[Z"), Ext(ExtShiftTab));
    EXPECT_EQ(Translate(kEsc + "OM"), Keys{KeyEnter});
    EXPECT_EQ(Translate(kEsc + "Oj"), Keys{'*'});
    EXPECT_EQ(Translate(kEsc + "Op" + kEsc + "Oy"), (Keys{'0', '9'}));
}

TEST(KeyTranslator, SequencesSplitAcrossReads) {
    // Each byte arrives in a read of its own: nothing is delivered before a sequence is whole.
    KeyTranslator t;
    Keys keys;
    auto feed = [&](const std::string& bytes) {
        for (char c : bytes) TranslateByte(t, static_cast<uint8_t>(c));
        Keys got;
        while (TranslatorHasKey(t)) got.push_back(TranslatorNextKey(t));
        return got;
    };
    for (const char* piece : {"\x1b", "[", "1", "7", ";", "5"}) {
        EXPECT_EQ(feed(piece), Keys{}) << piece;
        EXPECT_TRUE(TranslatorWaiting(t));
    }
    EXPECT_EQ(feed("~"), Ext(ExtCtrlF6));
    EXPECT_EQ(feed("\x1b"), Keys{});
    EXPECT_EQ(feed("O"), Keys{});
    EXPECT_EQ(feed("P"), Ext(ExtF1));
    EXPECT_EQ(feed("\x1b["), Keys{});
    EXPECT_EQ(feed("["), Keys{});
    EXPECT_EQ(feed("E"), Ext(63));
    EXPECT_FALSE(TranslatorWaiting(t));
}

TEST(KeyTranslator, UnknownSequencesAreSwallowedWhole) {
    // Unmapped finals, private markers, intermediates, sub-parameters, an unmapped number.
    EXPECT_EQ(Translate(kEsc + "[E" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[?1;2c" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[<0;12;5M" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[1 q" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[99~" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[1:5A" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[200;300;400;500;600u" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "OE" + "x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[[Z" + "x"), Keys{'x'});
    // Overlong garbage is swallowed up to its final byte.
    EXPECT_EQ(Translate(kEsc + "[" + std::string(100, '1') + "~x"), Keys{'x'});
    EXPECT_EQ(Translate(kEsc + "[" + std::string(60, ';') + "Ax" + kEsc + "[A"),
              (Keys{'x', 0, ExtUp}));
    // An unfinished sequence that times out is dropped.
    EXPECT_EQ(Translate(kEsc + "[1;5"), Keys{});
}

TEST(KeyTranslator, BrokenSequencesGiveWayToTheNextKey) {
    // A new Esc breaks off an unfinished sequence.
    EXPECT_EQ(Translate(kEsc + "[1;" + kEsc + "[B"), Ext(ExtDown));
    // A control key inside a sequence drops the sequence and counts.
    EXPECT_EQ(Translate(kEsc + "[1\x03"), Keys{KeyCtrlC});
}

TEST(KeyTranslator, ManyKeysInOneRead) {
    EXPECT_EQ(Translate("e" + kEsc + "[A9" + kEsc + "[6~\x7f"),
              (Keys{'e', 0, ExtUp, '9', 0, ExtPgDn, KeyBackspace}));
}

TEST(KeyTranslator, AltCodesOfTheKeyboardRows) {
    const std::string rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    const int first[] = {16, 30, 44};
    for (int r = 0; r < 3; ++r)
        for (size_t i = 0; i < rows[r].size(); ++i)
            EXPECT_EQ(AltKeyCode(static_cast<uint8_t>(rows[r][i])), first[r] + static_cast<int>(i))
                << rows[r][i];
    EXPECT_EQ(AltKeyCode('!'), 0);
}

}  // namespace

namespace {

// Whatever bytes arrive, the keys form a well-made stream: every 0 is followed by an extended
// code, and no ordinary key is a byte the screens could not show.
TEST(KeyTranslator, AnyByteStreamGivesWellMadeKeys) {
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    const std::string pieces[] = {"\x1b", "[", "O", ";",    "1",    "5",
                                  "~",    "A", "P", "[",    "\x1b", "2",
                                  "$",    "^", "q", "\x7f", "\x03", std::string(1, '\0')};
    for (int round = 0; round < 2000; ++round) {
        KeyTranslator t;
        Keys keys;
        for (int i = 0; i < 40; ++i) {
            uint32_t pick = next();
            if (pick % 3 == 0) {
                TranslateByte(t, static_cast<uint8_t>(next() & 0xFF));
            } else {
                for (char c : pieces[pick % std::size(pieces)])
                    TranslateByte(t, static_cast<uint8_t>(c));
            }
            if (next() % 7 == 0) TranslateTimeout(t);
            while (TranslatorHasKey(t)) keys.push_back(TranslatorNextKey(t));
        }
        TranslateTimeout(t);
        EXPECT_FALSE(TranslatorWaiting(t));
        while (TranslatorHasKey(t)) keys.push_back(TranslatorNextKey(t));
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == 0) {
                ASSERT_LT(i + 1, keys.size()) << "round " << round << ": a 0 ends the keys";
                EXPECT_NE(keys[i + 1], 0) << "round " << round;
                ++i;
            } else {
                EXPECT_LT(keys[i], 0x80) << "round " << round;
                EXPECT_NE(keys[i], 127) << "round " << round;
                EXPECT_NE(keys[i], '\n') << "round " << round;
            }
        }
    }
}

}  // namespace
