// A signal that ends the program (SIGTERM, SIGHUP, SIGINT) is picked up at the next keyboard
// poll, and the settings are saved there and then. Every poll must therefore find the settings
// record holding the user's conditions, also in the middle of a store build that plays the
// match under other rules than the record states.
#include <string>

#include "breaker/candidate_store.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class QuitSaveTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        Language = LanguageKind::English;
        ClockState.German = false;
        MemoryBudget = BudgetForLevel(4);
    }
    void TearDown() override {
        VirtualSetKeyFeeder(nullptr);
        ReleaseCandidateStore(true);
        VirtualSession::TearDown();
    }
};

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
    Settings.FirstSign = 'a';
    Settings.LastSign = 'f';
    Settings.CodeLength = 6;
    Settings.RepetitionsAllowed = 1;
    Settings.VacantAllowed = 0;
    UserVacantAllowed = 0;
    Settings.ComputerEncodes = 1;
    Settings.ComputerGuesses = 1;
    Settings.AnswerFixed = 0;
    Settings.TimeLimitTens = 0;
    BuildSignTablesFromSettings();
    const std::string before = Conditions();

    int polls = 0, pollsInBuild = 0, changed = 0;
    VirtualSetKeyFeeder([&] {
        ++polls;
        if (!CandidateStore.Ready) ++pollsInBuild;
        if (Conditions() != before) ++changed;
        if (WhereX() == 70 && WhereY() == 25) VirtualQueueKey('n');
    });
    SeedRandom(5);
    EXPECT_EQ(PlayMatch(), MatchOutcome::BackToStart);
    EXPECT_TRUE(MatchState.Solved);
    EXPECT_GT(pollsInBuild, 100);  // the build was watched, not only the search
    EXPECT_EQ(changed, 0) << changed << " of " << polls
                          << " polls found other conditions in the record";
    EXPECT_EQ(Conditions(), before);
}

}  // namespace
