// The computer's decisions held fast: whole matches of the computer against itself, played
// through the match flow on the virtual console from fixed seeds, every trial and answer
// compared with the signature recorded here. A change meant only for speed or structure leaves
// every line as it is; a change that means to alter decisions records the new lines (printed by
// the failure) in the same commit, with the reason.
//
// The matches are chosen so that every way the search passes over a trial code acts in at least
// one of them (checked once on a build with a counter at each place, not kept):
//   the grouped count (4,096 candidates or more) ......................... 9x6, 9x4, 6x10
//     a multiset's class sizes (SizeBound), before and after its pattern . 9x6, 9x4, 6x10
//     totals of P per multiset and their range over all orders .......... 9x6, 9x4
//     first and second moments of P (totals, pair counts) ............... 9x6, 9x4
//     third moment (triple counts, cubic fits) ........................... 9x6
//     a triple count past 255: the third moment unused after that answer . 9x6
//     the class bounds while the classes are counted .................... 9x6, 9x4, 6x10
//   the plain count (fewer candidates): largest class, sum of squares ... 7x7
//   at most 128 candidates counted one by one from records of their own . every match
//   every trial code counted beforehand where the candidates share signs  7x7, 9x6, 9x4
//   twins by record number, marked and passed over unread ............... 9x6
//   twins by name after one answered trial (signs trading places) ....... 9x6, 9x4, 6x10
//   twins sought where few candidates meet 2^30 pairs ................... 9x6 (marked)
//   a twin's verdict: lost, counted worse, counted equal (counted anew) .. 9x6, 9x4
//   counted in full and worse only as no candidate; a tie drawn for ..... 7x7; every match
//   a search cut by the time limit (in seven searches) .................. 6x10
//   the computer's encoder of a code that is not fixed ................... 9x6, 9x4, 6x10
// Not here: naming only the twins that reach the count, which takes tens of millions of codes.
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "breaker/candidate_store.h"
#include "breaker/search_progress.h"
#include "match/board.h"
#include "match/match_flow.h"
#include "setup/capacity.h"
#include "shell/settings.h"
#include "support/match_fixture.h"

namespace {

// One match: the signs 'a' to Last, the computer on both sides, the memory level and the time
// limit (tens of seconds; 0 for none) as given.
// Recorded: per trial one byte of the hash so far (two hex digits), and the whole hash.
struct RecordedMatch {
    const char* Name;
    char Last;
    int Length;
    bool Repetitions;
    bool Fixed;
    int TimeLimitTens;
    int Level;
    uint64_t Seed;
    const char* Trials;
    uint64_t Hash;
    bool Quick;  // played in the sanitizer build too
};

// clang-format off
const RecordedMatch kMatches[] = {
    // name       last L  rep    fixed  limit level seed a byte per trial     hash            quick
    {"9x6",        'f', 9, true,  false, 0, 6, 1, "c71538b9fa182cc5a6", 0xa74d9bc5f928d3a6, false},
    {"9x4",        'd', 9, true,  false, 0, 4, 1, "ef56a4317ff141",     0xd23ba43d99638341, true},
    {"7x7_norep",  'g', 7, false, true,  0, 4, 3, "54f525cbed9895",     0x19ebae9eede96a95, false},
    {"6x10_limit", 'j', 6, true,  false, 1, 4, 1, "c1a6f67a572226cf0ef1", 0xc51458adce820ef1, true},
};
// clang-format on

// The computer plays both sides; the driver says no to "New game?". Under a time limit it moves
// the clock on by a second for every code a real search examines, and for nothing else (not for
// the store's build nor the book's trial): the limit then cuts a search at the same code however
// often the program reads the clock, 10 seconds after 11 codes, or at the trial's number + 7.
struct SelfPlay {
    int64_t Step = 0;  // hundredths per trial code examined
    int32_t Seen = 0;
    bool Ended = false;

    void operator()() {
        if (SayToNewGame(Ended)) return;
        const int32_t done = SearchProgress.ItemsDone;
        const bool searching = CandidateStore.Ready && SearchProgress.SearchDisplayOn != 0;
        if (searching && done > Seen) VirtualAdvanceClock((done - Seen) * Step);
        Seen = done;
    }
};

// The hash of the trials played (their signs, P and Z) and a byte of it after every trial.
struct Signature {
    uint64_t Hash = 1469598103934665603ull;
    std::string Trials;
    std::vector<std::string> Played;

    void Add(const TrialRow& row, int length) {
        auto add = [&](uint8_t byte) {
            Hash ^= byte;
            Hash *= 1099511628211ull;
        };
        std::string text(row.Signs.begin(), row.Signs.begin() + length);
        for (char c : text) add(static_cast<uint8_t>(c));
        add(row.P);
        add(row.Z);
        char step[3];
        std::snprintf(step, sizeof step, "%02x", static_cast<unsigned>(Hash & 0xFF));
        Trials += step;
        Played.push_back(text + " " + std::to_string(row.P) + "/" + std::to_string(row.Z));
    }
};

std::string RecordLine(const RecordedMatch& m, const Signature& s) {
    char line[256];
    auto flag = [](bool b) { return b ? "true" : "false"; };
    std::snprintf(line, sizeof line,
                  "{\"%s\", '%c', %d, %s, %s, %d, %d, %llu, \"%s\", 0x%016llx, %s},", m.Name,
                  m.Last, m.Length, flag(m.Repetitions), flag(m.Fixed), m.TimeLimitTens, m.Level,
                  static_cast<unsigned long long>(m.Seed), s.Trials.c_str(),
                  static_cast<unsigned long long>(s.Hash), flag(m.Quick));
    return line;
}

class EngineDecisions : public DrivenMatch<SelfPlay>,
                        public ::testing::WithParamInterface<RecordedMatch> {};

TEST_P(EngineDecisions, MatchPlaysAsRecorded) {
    const RecordedMatch& m = GetParam();
    MemoryBudget = BudgetForLevel(m.Level);
    ApplyConditions(
        {'a', m.Last, m.Length, m.Repetitions, false, true, true, m.Fixed, m.TimeLimitTens});
    Driver.Step = m.TimeLimitTens > 0 ? 100 : 0;
    SeedRandom(m.Seed);
    ASSERT_EQ(Play(), MatchOutcome::BackToStart);
    ASSERT_TRUE(MatchState.Solved) << m.Name << ": not solved (not admitted at its level?)";
    const int trials = MatchBoard.TrialCount;
    ASSERT_LE(trials, RingTrials) << m.Name;
    Signature s;
    for (int n = 1; n <= trials; ++n) s.Add(MatchBoard.Rows[n], m.Length);
    const std::string recorded = m.Trials;
    size_t first = 0;
    while (first < recorded.size() && first < s.Trials.size() &&
           recorded.compare(first, 2, s.Trials, first, 2) == 0)
        first += 2;
    const int differs = static_cast<int>(first / 2) + 1;
    EXPECT_TRUE(s.Trials == recorded && s.Hash == m.Hash)
        << m.Name << ": the decisions differ from the recorded ones"
        << (differs <= trials ? " from trial " + std::to_string(differs) + " on (played " +
                                    s.Played[static_cast<size_t>(differs - 1)] + ")"
                              : " (in the number of trials or the hash)")
        << ".\nThe match now records as\n    " << RecordLine(m, s);
}

void PrintTo(const RecordedMatch& m, std::ostream* out) {
    *out << m.Name;
}

std::string MatchName(const ::testing::TestParamInfo<RecordedMatch>& info) {
    return info.param.Name;
}

// Under the sanitizers the code runs several times slower: the quick matches only.
#if defined(__SANITIZE_ADDRESS__)
#define ZK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZK_SANITIZED 1
#endif
#endif
#ifdef ZK_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

std::vector<RecordedMatch> MatchesToPlay() {
    std::vector<RecordedMatch> matches;
    for (const RecordedMatch& m : kMatches)
        if (m.Quick || !kSanitized) matches.push_back(m);
    return matches;
}

INSTANTIATE_TEST_SUITE_P(Recorded, EngineDecisions, ::testing::ValuesIn(MatchesToPlay()),
                         MatchName);

}  // namespace
