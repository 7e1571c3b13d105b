// A signal that ends the program (SIGTERM, SIGHUP, SIGINT) is picked up at the next keyboard
// poll, and the settings are saved there and then. Every poll must therefore find the settings
// record holding the user's conditions, also in the middle of a store build that plays the
// match under other rules than the record states.
#include <string>

#include "breaker/candidate_store.h"
#include "match/match_flow.h"
#include "shell/settings.h"
#include "support/match_fixture.h"

namespace {

class QuitSaveTest : public MatchSession {};

// The match conditions of the record as a save would write them.
std::string Conditions() {
    const SettingsRecord& s = Settings;
    return std::string{char(s.TimeLimitTens),
                       char(s.CodeLength),
                       s.FirstSign,
                       s.LastSign,
                       char(s.SoundOn),
                       char(s.RepetitionsAllowed),
                       char(UserVacantAllowed),
                       char(s.ComputerEncodes),
                       char(s.ComputerGuesses),
                       char(s.AnswerFixed)};
}

TEST_F(QuitSaveTest, EveryPollOfAMatchPlayedWithoutRepetitionsFindsTheSettingUnchanged) {
    // The computer against itself, six long over six signs with repetitions and a code that is
    // not fixed: the computer's store of codes is built without repetitions.
    ApplyConditions({'a', 'f', 6, true, false, true, true, false});
    const std::string before = Conditions();

    int polls = 0, pollsInBuild = 0, changed = 0;
    const auto watch = [&] {
        ++polls;
        if (!CandidateStore.Ready) ++pollsInBuild;
        if (Conditions() != before) ++changed;
        if (AtNewGamePrompt()) VirtualQueueKey('n');
    };
    SeedRandom(5);
    EXPECT_EQ(PlayMatchFedBy(watch), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
    EXPECT_GT(pollsInBuild, 100);  // the build was watched, not only the search
    EXPECT_EQ(changed, 0) << changed << " of " << polls
                          << " polls found other conditions in the record";
    EXPECT_EQ(Conditions(), before);
}

}  // namespace
