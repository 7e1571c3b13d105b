// The name clean-up in two passes: every character is first made a lower-case letter, a space,
// a hyphen or a dot; the capitals, initials and separators are then put right from left to
// right, and the name is cut off at a doubled separator.
#include "setup/names.h"

namespace {

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsSeparator(char c) {
    return c == ' ' || c == '-';
}

}  // namespace

void NormalizeName(char* field) {
    field[0] = ' ';
    field[32] = ' ';
    for (int i = 1; i <= 31; ++i) {
        char c = field[i];
        if (c == ' ' || c == '-' || c == '.' || IsLower(c)) continue;
        if (IsUpper(c)) {
            field[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == ':') {
            field[i] = '.';
        } else if (c == '_') {
            field[i] = '-';
        } else {
            field[i] = ' ';
        }
    }
    for (int i = 1; i <= 31; ++i) {
        char prev = field[i - 1];
        char& cur = field[i];
        if (IsUpper(prev) && IsSeparator(cur)) cur = '.';
        if (prev == '.' && cur != '-') cur = ' ';
        if (IsSeparator(prev) && IsLower(cur)) cur = static_cast<char>(cur - 'a' + 'A');
        if (IsSeparator(prev) && (cur == ' ' || cur == '.' || cur == '-')) {
            for (int j = i - 1; j <= 31; ++j) field[j] = ' ';
            break;
        }
    }
    if (field[31] == '-') field[31] = ' ';
    if (field[30] == ' ' || field[30] == '-') {
        field[30] = ' ';
        field[31] = ' ';
    }
    field[0] = ' ';
    field[32] = ' ';
}
