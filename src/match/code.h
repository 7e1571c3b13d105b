// Signs, codes and the scoring rule.
#pragma once

#include <array>
#include <cstdint>

// The ring of the 36 signs a..z,0..9; index 0 is the vacant sign, shown as an asterisk.
constexpr int MaxCodeLength = 9;
constexpr int RingSize = 36;
constexpr char VacantSign = '*';
constexpr uint8_t NoSignIndex = 255;

extern char IndexSign[RingSize + 1];  // sign of each index 0..36
extern uint8_t SignIndex[256];        // index of each sign character; 255 from ':' to '`'
extern int SignCount;                 // N, the number of signs of the range (2..36)

// A secret or trial: positions 1..L in [0..L-1], the rest spaces.
using Code = std::array<char, MaxCodeLength>;

struct Score {
    int P = 0;  // signs in the right place
    int Z = 0;  // further common signs at another place
};

// Place of a sign in the sequence a..z followed by 0..9 (a = 0, 9 = 35); -1 for anything else.
int RingPosition(char c);
bool IsSignCharacter(char c);  // a digit or a lower-case letter

// Fills IndexSign and SignIndex for the range starting at first; SignCount is left alone.
void BuildSignTables(char first);
// Rebuilds the tables from the settings and sets SignCount from the last sign.
void BuildSignTablesFromSettings();

// The secret of the match: typed by a human encoder in the conditions dialog, drawn by the
// computer, or blank while a code that is not fixed has no secret yet. Kept beside the settings,
// never written to the file.
extern Code SecretCode;

Code BlankCode();
Code MakeCode(const char* text);  // up to 9 characters, padded with spaces

// The secret's count of every sign index, computed once per match.
using SignCounts = std::array<uint8_t, RingSize + 1>;
SignCounts CountSigns(const Code& code, int length);
Score ScoreTrial(const Code& trial, const Code& secret, int length);
Score ScoreTrialCounted(const Code& trial, const Code& secret, const SignCounts& secretCounts,
                        int length);

// A random secret of the given length over the signs 1..n of the range.
Code MakeRandomSecret(int length, int n, bool repetitions);
