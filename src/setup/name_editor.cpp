// Typing a player's name.
//
// The typing rules keep every name in the form the name clean-up leaves unchanged: a capital at
// the start of each part, lower case inside it, one separator (space or hyphen) between parts,
// a dot and a space after an abbreviation, and a dot after a single capital (an initial). No
// separator is ever typed into the last two positions, where the clean-up would drop it.
#include "setup/name_editor.h"

#include "setup/conditions_screen.h"
#include "setup/names.h"
#include "shell/console/console.h"
#include "shell/keywait.h"
#include "shell/settings.h"

namespace {

constexpr int kMaxLength = NameFieldSize - 2;  // 31

bool IsSeparator(char c) {
    return c == ' ' || c == '-';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsLetter(char c) {
    return IsUpper(c) || IsLower(c);
}

void Append(NameTyping& typing, char c) {
    typing.Field[++typing.Length] = c;
}

NameKeyResult TypeLetter(NameTyping& typing, char letter) {
    if (IsUpper(letter)) letter = static_cast<char>(letter - 'A' + 'a');
    int length = typing.Length;
    char last = length > 0 ? typing.Field[length] : ' ';
    // After a dot whose blank was taken back the blank comes again before the next part.
    bool afterDot = last == '.';
    bool partStart = length == 0 || IsSeparator(last) || afterDot;
    int position = length + (afterDot ? 2 : 1);
    if (!partStart) {
        if (position > kMaxLength) return NameKeyResult::Continue;
        Append(typing, letter);
        return NameKeyResult::Continue;
    }
    // A part that started in the last position would be a single capital without its dot.
    if (position >= kMaxLength) return NameKeyResult::Continue;
    if (afterDot) Append(typing, ' ');
    Append(typing, static_cast<char>(letter - 'a' + 'A'));
    return NameKeyResult::Continue;
}

NameKeyResult TypeSeparator(NameTyping& typing, char separator) {
    int length = typing.Length;
    if (length == 0) return NameKeyResult::Continue;  // no separator at the first position
    char last = typing.Field[length];
    if (IsSeparator(last)) {
        typing.Field[length] = separator;  // a separator after a separator replaces it
        return NameKeyResult::Continue;
    }
    int position = length + 1;
    if (IsUpper(last)) {
        // A single letter becomes an initial: the letter, a dot and the separator. Near the end
        // of the field only the dot fits, and the name is complete.
        Append(typing, '.');
        if (position >= 29) return NameKeyResult::Finished;
        Append(typing, separator);
        return NameKeyResult::Continue;
    }
    if (position >= 30) return NameKeyResult::Finished;
    Append(typing, separator);
    return NameKeyResult::Continue;
}

NameKeyResult TypeDot(NameTyping& typing) {
    int length = typing.Length;
    if (length == 0 || length >= kMaxLength || !IsLetter(typing.Field[length])) {
        return NameKeyResult::Continue;  // a dot only follows a letter
    }
    Append(typing, '.');
    if (length + 1 >= 29) return NameKeyResult::Finished;  // its blank would fall at 30 or 31
    Append(typing, ' ');
    return NameKeyResult::Continue;
}

NameKeyResult TakeBack(NameTyping& typing) {
    int length = typing.Length;
    if (length == 0) return NameKeyResult::StepBack;
    char* field = typing.Field;
    if (length >= 2 && field[length] == ' ' && field[length - 1] == '.') {
        field[length] = ' ';
        field[length - 1] = ' ';
        typing.Length -= 2;
    } else {
        field[length] = ' ';
        typing.Length -= 1;
    }
    return NameKeyResult::Continue;
}

}  // namespace

int NameLength(const char* field) {
    int length = kMaxLength;
    while (length > 0 && field[length] == ' ') --length;
    return length;
}

NameKeyResult TypeNameKey(NameTyping& typing, uint8_t key) {
    char c = static_cast<char>(key);
    if (key == KeyCtrlC) return NameKeyResult::CtrlC;
    if (key == KeyEnter || key == KeyEsc) {
        FinishNameTyping(typing);
        return NameKeyResult::Finished;
    }
    if (key == KeyBackspace) return TakeBack(typing);
    if (IsLetter(c)) return TypeLetter(typing, c);
    if (c == ' ' || c == '-' || c == '_') return TypeSeparator(typing, c == ' ' ? ' ' : '-');
    if (c == '.' || c == ':') return TypeDot(typing);
    return NameKeyResult::Continue;  // digits and every other character are ignored
}

void FinishNameTyping(NameTyping& typing) {
    char* field = typing.Field;
    if (typing.Length > 0 && field[typing.Length] == '-') field[typing.Length--] = ' ';
    if (typing.Length > 0 && typing.Length < kMaxLength && IsUpper(field[typing.Length])) {
        Append(typing, '.');
    }
}

uint8_t NameEditor(int player) {
    char* field = player == 1 ? Settings.EncoderName : Settings.BreakerName;
    int row = player == 1 ? EncoderRow : BreakerRow;
    ShowName(row, field);
    bool typing = field[1] == ' ';
    for (;;) {
        if (typing) {
            NameTyping name{field, NameLength(field)};
            NameKeyResult result = NameKeyResult::Continue;
            while (result == NameKeyResult::Continue) {
                GotoXY(NameColumn + name.Length, row);
                uint8_t code = 0;
                uint8_t key = WaitKeyWithCode(code);
                if (key == KeyExtended) continue;  // no cursor movement but Backspace
                result = TypeNameKey(name, key);
                ShowName(row, field);
            }
            if (result == NameKeyResult::StepBack) return KeyBackspace;
            if (result == NameKeyResult::CtrlC) return NameEditorCtrlC;
            NormalizeName(field);
        }
        typing = true;
        // "O.K.?": the cursor rests on the shown yes word.
        for (bool asking = true; asking;) {
            GotoXY(ConfirmColumn, row);
            uint8_t code = 0;
            uint8_t key = WaitKeyWithCode(code);
            switch (key) {
                case 'j':
                case 'J':
                case 'y':
                case 'Y':
                case 'z':
                case 'Z':
                case KeyEnter:
                    return 'j';
                case 'n':
                case 'N':
                    for (int i = 1; i <= kMaxLength; ++i) field[i] = ' ';
                    ShowName(row, field);
                    asking = false;
                    break;
                case KeyBackspace:
                    asking = false;
                    break;
                case KeyEsc:
                    return KeyBackspace;
                case KeyCtrlC:
                    return KeyEsc;
                default:
                    break;  // extended keys (already read whole) and every other key
            }
        }
    }
}
