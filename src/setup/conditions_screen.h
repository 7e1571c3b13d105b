// The conditions screen: every condition of the coming match, the computer's limits under the
// memory level in use, the two players and the four-way choice, on one 80 x 25 screen.
#pragma once

#include <cstdint>

// Field positions of the screen.
constexpr int ValueColumn = 30;  // the left panel's values: sound, signs, length, ...
constexpr int SoundRow = 12;
constexpr int FirstSignRow = 13;
constexpr int LastSignRow = 14;
constexpr int SignSetRow = 15;
constexpr int CodeLengthRow = 16;
constexpr int RepetitionsRow = 17;
constexpr int VacantRow = 18;
constexpr int AnswerFixedRow = 19;
constexpr int TimeLimitRow = 10;
constexpr int ComputerGuessesRow = 13;
constexpr int ComputerEncodesRow = 17;
constexpr int AnswerColumn = 46;  // the answer dots (or the typed secret) of row 18
constexpr int AnswerRow = 18;
constexpr int PromptRow = 20;
constexpr int EncoderRow = 23;
constexpr int BreakerRow = 24;
constexpr int NameColumn = 38;
constexpr int NameWidth = 31;
constexpr int ConfirmColumn = 76;  // "Ja." / "Yes" of " O.K.? ..."
constexpr int MaxSignsColumn = 35;
constexpr int MaxSignsRow = 8;

// Columns that depend on the language.
int TimeLimitColumn();        // 71 / 69
int ComputerGuessesColumn();  // 57 / 64
int ComputerEncodesColumn();  // 73 / 71
int PromptColumn();           // 74 / 73: the "1." of the choice

// "Ja.  ", "Nein.", "Yes. ", "No.  ".
const char* YesNoText(bool yes);

void ConditionsScreen();

// Updates of single values.
void ShowYesNo(int column, int row, bool yes);
void ShowMaxSignsRow();                     // the row 8 values from ShownMaxSigns
void ShowAnswerFixedValue();                // (30,19)
void ShowComputerGuessesValue();            // (57,13) / (64,13)
void ShowEncoderRow();                      // row 23: the computer text or the 1st player's name
void ShowBreakerRow();                      // row 24: the computer text or the 2nd player's name
void ShowName(int row, const char* field);  // characters 1..31 of a name field at (38,row)
void ShowComputerText(int row);
void ShowAnswerDots();  // CodeLength dots, padded with spaces to 9, at (46,18)
void ShowSignSet();     // the set of signs from (30,15), padded to 36
