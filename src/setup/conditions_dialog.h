// The conditions dialog: the four-way choice of the conditions screen and the walk through its
// fields.
#pragma once

#include <cstdint>

enum class ConditionsOutcome {
    ToMenu,      // choice 4, Esc or Ctrl-C: back to the main menu
    StartMatch,  // choice 1, or a rematch that leads to a match
};

// Runs on the drawn conditions screen until the user plays or leaves.
ConditionsOutcome ConditionsDialog();

// The start of a match on the conditions as chosen: clears the screen, checks the capacity with
// the stores released, saves the settings and switches the vacant sign off for a computer
// codebreaker that cannot use it.
void PrepareMatchStart();

// ---- The field editors ----------------------------------------------------------------------
// Each reads keys on its field and returns the key that ends it.

// A yes/no flag at (column, row): 'j', 'n', Enter, Backspace, Esc or Ctrl-C.
uint8_t YesNoField(uint8_t& flag, int column, int row, bool& changed);
// The first sign (mode '*') or the last sign (mode = the current first sign, which is refused).
uint8_t SignField(char mode);
// The code length '2'..'9'; keeps the answer dots as long as the code.
uint8_t CodeLengthField();
// The time limit digit.
uint8_t TimeLimitField();
// The secret of a human encoder, typed at (46,18). With reEdit the entry continues the secret
// typed before from its last typed position.
uint8_t SecretEntry(bool reEdit);

// Exchanges the names of the two players (after cleaning both).
void SwapPlayers();
// When the range holds fewer signs than the code, a code needs repetitions.
void ApplyRepetitionRule();
