// The match board: the one screen on which a match is played.
#pragma once

#include <cstdint>
#include <string>

#include "match/code.h"

// One trial of the ring of the last 30.
struct TrialRow {
    int16_t Number = 0;  // the trial number, modulo 1000 from trial 31 on
    Code Signs{};
    uint8_t P = 0;
    uint8_t Z = 0;
};

constexpr int RingTrials = 30;
constexpr int RowsPerColumn = 15;

struct MatchBoardRecord {
    TrialRow Rows[RingTrials + 1];  // slots 1..30
    int32_t TrialCount = 0;         // n, trials begun in this match
    int Slot = 0;                   // the ring slot once the board scrolls
    int Column = 1;                 // where the current trial stands: column 1 or 2
    int Row = 1;                    // and row 1..15 of that column
};
extern MatchBoardRecord MatchBoard;

// Geometry of the trial table.
int TrialY(int row);         // y of row 1..15
int CodeStartX(int column);  // the code, centred in its nine-character field
int NumberX(int column);     // the three-character number field
int PColumn(int column);
int ZColumn(int column);

// The opening-pattern field of row 5 as drawn when the match starts (12 characters).
std::string OpeningPatternField();

// Draws the whole board for the conditions as they stand. worstCase is the number of trials
// within which the computer can crack every code (0 = none known).
void DrawMatchBoard(int worstCase);
// Writes the start date and time (rows 17, 18) and the current ones (rows 19, 20) from the
// clock state.
void WriteMatchStartTimes();

std::string TrialNumberText(int number);
void WriteTrialNumber(int column, int row, int number);
// Redraws the whole table around the current slot; the current position gets dots (a human
// guesses) or spaces, and its old P and Z are cleared.
void RedrawScrolledTable(bool humanGuesses);

// The answer line that replaces the initialisation line of the encoder store.
void WriteAnswerLine();
// The end of the match on the board: the end label, the answer line of a computer guesser,
// the secret when known and the trial count unless broken off; the cursor on the yes.
void WriteMatchEnd(bool computerGuessed, bool brokenOff, const Code& secret);
