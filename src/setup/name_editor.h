// Typing a player's name on the conditions screen.
#pragma once

#include <cstdint>

// The code with which the name editor reports Ctrl-C while a name is being typed.
constexpr uint8_t NameEditorCtrlC = 2;

// Edits the name of player 1 (row 23) or 2 (row 24) and asks "O.K.?". Returns 'j' when the name
// is accepted, Backspace to step back, Esc to restart the walk, or NameEditorCtrlC.
uint8_t NameEditor(int player);

// ---- The typing rules, one key at a time --------------------------------------------------
// A name being typed: its field and the number of characters typed (positions 1..Length).
struct NameTyping {
    char* Field;
    int Length;
};

enum class NameKeyResult {
    Continue,  // go on typing
    Finished,  // the typing is over: Enter, Esc, or a key that filled the name
    StepBack,  // Backspace on an empty name
    CtrlC,
};

// The length of the name in a field: the position of its last character that is not a blank.
int NameLength(const char* field);
// Applies one ordinary key (never the 0 of an extended key) to the name.
NameKeyResult TypeNameKey(NameTyping& typing, uint8_t key);
// The end of the typing: a trailing hyphen goes, a trailing single letter gets its dot.
void FinishNameTyping(NameTyping& typing);
