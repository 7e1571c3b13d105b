// Whole matches on the virtual console: the conditions of a match set in one go, a fixture that
// plays matches on the English board with a driver answering the screen whenever the program
// wants a key, and what the drivers share: the human encoder's typed answers and a human
// codebreaker that plays from what the board shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "match/code.h"
#include "match/match_flow.h"
#include "support/virtual_session.h"

// The conditions of a match, written into the settings record as the conditions dialog leaves
// them (the user's choice of the vacant sign with them).
struct MatchConditions {
    char First, Last;
    int Length;
    bool Repetitions, Vacant, ComputerEncodes, ComputerGuesses, Fixed;
    int TimeLimitTens = 0;  // no limit on the computer's search
};
void ApplyConditions(const MatchConditions& c);

// The signs of the range in force, in index order.
std::string RangeSigns();
// The secret of the match, as many signs as the code is long.
std::string SecretText();
Score ScoreOf(const std::string& trial, const std::string& secret);
// The cursor waits at "New game?" at the end of a match.
bool AtNewGamePrompt();
// Gives the key to "New game?" the first time the cursor waits there (said is then set); true
// when it did.
bool SayToNewGame(bool& said, uint8_t key = 'n');

// Plays one match with the feeder called whenever the program wants a key and none is queued,
// and takes the feeder off afterwards.
MatchOutcome PlayMatchFedBy(std::function<void()> feeder);

// English texts, the processor label the start-up writes and memory level 4. After every test
// the feeder is taken off, allocations are no longer refused and both stores are released.
class MatchSession : public VirtualSession {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The same with a driver that plays the match.
template <typename DriverType>
class DrivenMatch : public MatchSession {
protected:
    MatchOutcome Play() {
        return PlayMatchFedBy([this] { Driver(); });
    }
    DriverType Driver;
};

// Types the human encoder's answer to trial n: the P, then the Z, each once per trial, when the
// cursor waits in its field of the current trial row.
struct AnswerTyper {
    int PFor = 0, ZFor = 0;  // the trials whose P and Z have been typed

    bool AwaitsP(int n) const;
    void operator()(int n, const Score& s);
};

// Plays the human codebreaker from the board: types the first code that agrees with every
// answer so far, and says NewGameKey to "New game?". With an encoder's secret it also answers
// its own trials as the human encoder.
struct HumanBreaker {
    std::string Signs;  // the range in index order
    int Length = 0;
    std::vector<std::string> Candidates;
    std::vector<std::string> Typed;
    std::string FirstTrial;     // typed as the first trial when set
    std::string EncoderSecret;  // when set, the trials are answered against it
    uint8_t NewGameKey = 'n';
    int GiveUpAfter = 40;  // trials; then Esc rather than play on for ever
    int TypedFor = 0, LastColumn = 0, LastRow = 0;
    AnswerTyper Answers;
    bool Ended = false;

    // Every code of the range, or only those without a repeated sign.
    void Prepare(const std::string& signs, int length, bool repetitions);
    // Reads the answer of the trial typed last and keeps the candidates that would give it.
    void Learn();
    void operator()();
};
