// The computer's trial choice: the choice against a slow reference written from the rules, the
// answering by the computer and by a human, the thinning of candidates, signs and trial codes.
#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "breaker/answer_order.h"
#include "breaker/candidate_groups.h"
#include "breaker/candidate_store.h"
#include "breaker/class_bounds.h"
#include "breaker/class_pass.h"
#include "breaker/engine_state.h"
#include "breaker/multiset_totals.h"
#include "breaker/opening_book.h"
#include "breaker/record_ranks.h"
#include "breaker/search_progress.h"
#include "breaker/shared_signs.h"
#include "breaker/shuffle.h"
#include "breaker/sign_tables.h"
#include "breaker/trial_chain.h"
#include "breaker/trial_choice.h"
#include "breaker/twin_trials.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "match/code.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/candidate_fill.h"
#include "support/virtual_session.h"

namespace {

uint8_t IndexOf(char c) {
    return c == VacantSign ? 0 : SignIndex[static_cast<uint8_t>(c)];
}

std::string Text(const Code& code, int length) {
    return std::string(code.begin(), code.begin() + length);
}

// ---- The reference: the rules of the trial choice, one candidate at a time -------------------

struct Reference {
    int Length = 0;
    int Signs = 0;
    std::vector<std::string> Chain;       // trial chain, in order
    std::vector<std::string> Candidates;  // candidate chain, in order
    uint8_t Alive[RingSize + 1] = {};
    uint8_t Tried[RingSize + 1] = {};
    int Possible = 0;
    bool Opening = false;
    bool Known = false;
    std::string Fixed;  // the opening book's prepared trial

    // Snapshot of the engine as it stands.
    static Reference Take() {
        Reference r;
        r.Length = Settings.CodeLength;
        r.Signs = SignCount;
        r.Chain = TrialChainCodes();
        r.Candidates = CandidateCodes();
        std::memcpy(r.Alive, SignAlive, sizeof r.Alive);
        std::memcpy(r.Tried, SignTried, sizeof r.Tried);
        r.Possible = PossibleSignCount;
        r.Opening = OpeningPhase != 0;
        r.Known = SignsKnown != 0;
        for (int k = 0; k < r.Length; ++k) r.Fixed.push_back(IndexSign[FixedTrialRecord.Signs[k]]);
        return r;
    }

    // (M, P) of a candidate against a trial: P the places with the same sign, M the common
    // signs over the live signs.
    void Class(const std::string& t, const std::string& c, int& m, int& p) const {
        p = 0;
        m = 0;
        int ct[RingSize + 1] = {}, cc[RingSize + 1] = {};
        for (int k = 0; k < Length; ++k) {
            p += IndexOf(t[k]) == IndexOf(c[k]);
            ++ct[IndexOf(t[k])];
            ++cc[IndexOf(c[k])];
        }
        for (int s = 0; s <= RingSize; ++s)
            if (Alive[s]) m += std::min(ct[s], cc[s]);
    }

    // The permutation drawing: the (Random(m + 1 - f) + 1)-th of the entries left.
    static std::vector<uint8_t> Draw(std::vector<uint8_t> list) {
        std::vector<uint8_t> order;
        const int m = static_cast<int>(list.size());
        for (int f = 1; f <= m; ++f) {
            const uint32_t r = Random(static_cast<uint32_t>(m + 1 - f));
            order.push_back(list[r]);
            list.erase(list.begin() + r);
        }
        return order;
    }

    struct Result {
        std::string Trial;
        int32_t Table[10][10] = {};
    };

    // The choice, with the random source seeded as the engine's will be.
    Result Choose(uint64_t seed) {
        SeedRandom(seed);
        Result result;
        if (Chain.size() == 1 || Candidates.size() == 1) {
            result.Trial = Candidates.front();
            return result;
        }
        bool filterAllowed = true;
        if (Chain.size() == 2 || Candidates.size() == 2) {
            Opening = false;
            filterAllowed = false;
        }
        std::vector<std::string> scan;
        if (Opening) {
            scan.push_back(Fixed);
        } else {
            std::vector<uint8_t> excluded, usable;
            bool filter = false;
            if (filterAllowed && Possible > 2) {
                std::vector<uint8_t> untried;
                for (int s = 1; s <= Signs; ++s)
                    if (!Tried[s]) untried.push_back(static_cast<uint8_t>(s));
                if (untried.size() >= 2) {
                    std::vector<uint8_t> order = Draw(untried);
                    const size_t u = order.size();
                    const size_t cut = u > size_t(Length) ? u - Length : 0;
                    excluded.assign(order.begin(), order.begin() + cut);
                    usable.assign(order.begin() + cut, order.end());
                    filter = true;
                }
            }
            auto eligible = [&](const std::string& code) {
                for (char c : code)
                    if (std::find(excluded.begin(), excluded.end(), IndexOf(c)) != excluded.end())
                        return false;
                int last = 0;
                for (uint8_t s : usable) {
                    int first = 100;
                    for (int k = Length - 1; k >= 0; --k)
                        if (IndexOf(code[k]) == s) first = k + 1;
                    if (first < last) return false;
                    last = first;
                }
                return true;
            };
            if (filter) {
                size_t count = 0;
                for (const std::string& code : Chain) count += eligible(code);
                if (count == 0) filter = false;
            }
            if (filter && usable.size() == size_t(Length)) {
                std::string target;
                for (uint8_t s : usable) target.push_back(IndexSign[s]);
                auto at = std::find(Chain.begin(), Chain.end(), target);
                if (at != Chain.end()) {
                    Chain.erase(at);
                    Chain.insert(Chain.begin(), target);
                }
            }
            for (const std::string& code : Chain)
                if (!filter || eligible(code)) scan.push_back(code);
        }

        int32_t bestMax = 2147483647;
        int64_t bestSquares = INT64_MAX;
        bool bestCandidate = false;
        uint32_t ties = 2;
        for (const std::string& t : scan) {
            int32_t table[10][10] = {};
            bool lost = false;
            bool tracking = false;
            int64_t squares = 0;
            int knownM = -1;
            for (size_t i = 0; i < Candidates.size() && !lost; ++i) {
                int m = 0, p = 0;
                Class(t, Candidates[i], m, p);
                if (Known) {
                    if (knownM < 0) knownM = m;
                    m = knownM;
                }
                const int32_t q = ++table[m][p];
                if (q < bestMax && !tracking) continue;
                if (q > bestMax) {
                    lost = true;
                    break;
                }
                if (tracking) {
                    squares += int64_t(q) * q - int64_t(q - 1) * (q - 1);
                } else if (q == bestMax) {
                    squares = 0;
                    for (auto& row : table)
                        for (int32_t c : row) squares += int64_t(c) * c;
                } else {
                    continue;
                }
                const bool remain = i + 1 < Candidates.size();
                if (squares > bestSquares || (squares == bestSquares && remain)) {
                    lost = true;
                } else {
                    tracking = true;
                }
            }
            if (lost) continue;
            int32_t largest = 0;
            int64_t sum = 0;
            for (auto& row : table)
                for (int32_t c : row) {
                    largest = std::max(largest, c);
                    sum += int64_t(c) * c;
                }
            const bool candidate = table[Length][Length] == 1;
            bool wins = false, tie = false;
            if (largest < bestMax) {
                wins = true;
            } else if (largest == bestMax && sum < bestSquares) {
                wins = true;
            } else if (largest == bestMax && sum == bestSquares && candidate && !bestCandidate) {
                wins = true;
            } else if (largest == bestMax && sum == bestSquares && candidate == bestCandidate) {
                tie = true;
                wins = Random(ties) == 0;
                ++ties;
            }
            if (!wins) continue;
            bestMax = largest;
            bestSquares = sum;
            bestCandidate = candidate;
            if (!tie) ties = 2;
            result.Trial = t;
            std::memcpy(result.Table, table, sizeof table);
        }
        return result;
    }

    // The candidates that would give the answer, in their order.
    std::vector<std::string> Kept(const std::string& trial, int p, int z) const {
        std::vector<std::string> kept;
        int knownM = -1;
        for (const std::string& c : Candidates) {
            int m = 0, q = 0;
            Class(trial, c, m, q);
            if (Known) {
                if (knownM < 0) knownM = m;
                if (q == p) kept.push_back(c);
            } else if (m == p + z && q == p) {
                kept.push_back(c);
            }
        }
        return kept;
    }
};

// ---- The fixture ----------------------------------------------------------------------------

class TrialChoiceTest : public VirtualSession {
public:
    void SetUp() override {
        VirtualSession::SetUp();
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        Language = LanguageKind::English;
        ClockState.German = false;
        // The engine looks for a key after every trial code: the input stays open and silent.
        VirtualSetKeyFeeder([] {});
    }
    void TearDown() override {
        VirtualSetKeyFeeder(nullptr);
        ReleaseCandidateStore(true);
        VirtualSession::TearDown();
    }

    // The conditions, the board and the engine's match state as the match flow leaves them
    // before the store is built.
    void Conditions(char first, char last, int length, bool repetitions, bool computerEncodes,
                    bool fixed, bool vacant = false) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        Settings.VacantAllowed = vacant;
        Settings.ComputerEncodes = computerEncodes;
        Settings.ComputerGuesses = 1;
        Settings.AnswerFixed = fixed;
        Settings.TimeLimitTens = 0;
        SetTimeLimits(0);
        BuildSignTablesFromSettings();
        SetupAnswerOrder(length);
        MatchBoard = MatchBoardRecord{};
        DrawMatchBoard(0);
        StartMatchClock(true);
        ClockState.ClockActive = true;
        SignsKnown = !repetitions && length == SignCount ? 1 : 0;
        ResetEngineState(SignCount, vacant && SignCount == 2 && length >= 4);
        SearchProgress.SearchDisplayOn = 0;
        SecretCode = BlankCode();
        NextPlace();
    }
    bool Build() {
        const bool built = BuildCandidateStore();
        ClearShuffleBuckets();
        return built;
    }
    // The board's next trial place, as the match flow prepares it.
    void NextPlace() {
        MatchBoardRecord& b = MatchBoard;
        const int n = ++b.TrialCount;
        b.Column = n <= 15 ? 1 : 2;
        b.Row = n <= 15 ? n : n - 15;
        b.Rows[n].Number = static_cast<int16_t>(n);
        WriteTrialNumber(b.Column, b.Row, n);
        GotoXY(CodeStartX(b.Column), TrialY(b.Row));
    }
    TrialRow& Row() { return MatchBoard.Rows[MatchBoard.TrialCount]; }
    // One trial of the computer at the current place; the next place is prepared after it.
    uint8_t Trial() {
        uint8_t key = 0;
        TrialRow& row = Row();
        ChooseTrial(row.Signs, row.P, row.Z, key);
        return key;
    }
    std::string Played() { return Text(Row().Signs, Settings.CodeLength); }
    void SetFixedTrial(const std::string& code) {
        FixedTrialRecord = FixedTrial{};
        for (size_t k = 0; k < code.size(); ++k) {
            FixedTrialRecord.Signs[k] = IndexOf(code[k]);
            ++FixedTrialRecord.Counts[IndexOf(code[k])];
        }
    }
};

// ---- The choice against the reference -------------------------------------------------------

struct Game {
    char First, Last;
    int Length;
    bool Repetitions;
    bool Vacant = false;
};

TEST_F(TrialChoiceTest, EveryChoiceOfWholeMatchesIsTheReferencesChoice) {
    const Game games[] = {{'a', 'c', 3, true},      {'a', 'd', 3, false}, {'a', 'f', 4, true},
                          {'a', 'f', 4, false},     {'a', 'b', 5, true},  {'a', 'e', 4, true},
                          {'a', 'd', 4, false},     {'a', 'h', 3, true},  {'a', 'b', 4, true, true},
                          {'a', 'b', 6, true, true}};
    // Every other match looks for twin trial codes in every search, however small.
    const int32_t twinMinimum = TwinMinCandidates;
    int choices = 0;
    for (const Game& game : games) {
        for (uint64_t seed = 1; seed <= 6; ++seed) {
            TwinMinCandidates = seed % 2 == 0 ? 0 : twinMinimum;
            Conditions(game.First, game.Last, game.Length, game.Repetitions, true, true,
                       game.Vacant);
            SeedRandom(seed);
            SecretCode = MakeRandomSecret(game.Length, SignCount, game.Repetitions);
            const std::string secret = Text(SecretCode, game.Length);
            ASSERT_TRUE(Build());
            ASSERT_EQ(CandidateStore.VacantInPlay, game.Vacant);
            for (int n = 1;; ++n) {
                ASSERT_LE(n, 12) << "no end in sight for " << secret;
                Reference reference = Reference::Take();
                const Reference::Result expected = reference.Choose(seed * 100 + n);
                SeedRandom(seed * 100 + n);
                ASSERT_EQ(Trial(), 0);
                ++choices;
                const std::string played = Played();
                ASSERT_EQ(played, expected.Trial)
                    << "trial " << n << " of " << game.First << ".." << game.Last << " L "
                    << game.Length << " seed " << seed;
                const Score score = ScoreTrial(Row().Signs, MakeCode(secret.c_str()), game.Length);
                EXPECT_EQ(Row().P, score.P);
                EXPECT_EQ(Row().Z, score.Z);
                if (score.P == game.Length) break;
                // The candidates left are exactly those that would have given the answer.
                EXPECT_EQ(CandidateCodes(), reference.Kept(played, score.P, score.Z));
                NextPlace();
            }
            EXPECT_EQ(SecretCode, MakeCode(secret.c_str()));
            EXPECT_EQ(CandidateStore.Records, 0);  // released
        }
    }
    TwinMinCandidates = twinMinimum;
    EXPECT_GT(choices, 150);
}

// Where no trade is allowed, a code's twins are marked by their record numbers: every record
// that one code marks must split the candidates into the same classes as the code.
void ExpectMarkedTwinsSplitAlike(int length, const char* secret) {
    const CandidateStoreRecord& s = CandidateStore;
    auto countsOf = [&](const uint8_t* signs) {
        TrialPattern pattern;
        MakeTrialPattern(signs, length, pattern);
        ClassCounts counts{};
        EXPECT_TRUE(ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, counts));
        return counts;
    };
    int64_t marked = 0;
    // Every fifth code, or about 300 of a large store (each is held against every record).
    const int32_t step = s.TrialCount > 20000 ? s.TrialCount / 300 : 5;
    for (int32_t i = 0; i < s.TrialCount; i += step) {
        BeginTwinSearch(s.TrialCount, false);
        if (!TwinsMarked()) return EndTwinSearch();
        uint8_t signs[MaxCodeLength];
        RecordSigns(s.TrialChain[i], signs);
        const ClassCounts counts = countsOf(signs);
        MarkTwins(signs);
        // The scan is past the code itself: it does not mark its own record.
        EXPECT_FALSE(TwinMarked(s.TrialChain[i])) << secret;
        for (int32_t record = 0; record < s.Records; ++record) {
            if (!TwinMarked(static_cast<uint32_t>(record))) continue;
            ++marked;
            uint8_t twin[MaxCodeLength];
            RecordSigns(static_cast<uint32_t>(record), twin);
            const ClassCounts twinCounts = countsOf(twin);
            for (int m = 0; m <= length; ++m)
                for (int p = 0; p <= m; ++p)
                    ASSERT_EQ(twinCounts.Table[m][p], counts.Table[m][p])
                        << secret << ": record " << record << " marked by chain place " << i;
            ASSERT_EQ(twinCounts.IsCandidate, counts.IsCandidate) << secret;
        }
        EndTwinSearch();
    }
    // Twins there are: on the whole one for every other code.
    EXPECT_GT(marked * 2, (s.TrialCount + step - 1) / step) << secret;
}

TEST_F(TrialChoiceTest, TwinTrialCodesSplitTheCandidatesAlike) {
    // After the first answer (positions and signs of the trial may trade places) and after the
    // second (only positions the two trials treat alike may), every two codes of the trial
    // chain that get the same name as twins must split the candidates into the same classes.
    // Openings: aabcd, aabbcc, aabc without repetitions, and abcd (all signs trade); 5 over 10
    // leaves codes with one, two and three or more free signs to be renamed as twins are marked.
    struct Shape {
        char Last;
        int Length;
        bool Repetitions;
        const char* Secret;
    };
    const int32_t twinMinimum = TwinMinCandidates;
    TwinMinCandidates = 0;
    for (const Shape shape :
         {Shape{'j', 5, true, "abcde"}, Shape{'f', 5, true, "cafeb"}, Shape{'e', 6, true, "bbeaec"},
          Shape{'h', 4, false, "hbeg"}, Shape{'j', 4, true, "jjac"}}) {
        Conditions('a', shape.Last, shape.Length, shape.Repetitions, true, true);
        SeedRandom(3);
        SecretCode = MakeCode(shape.Secret);
        ASSERT_TRUE(Build());
        for (int answers = 0; answers < 2;) {
            ASSERT_EQ(Trial(), 0);
            const TrialRow played = Row();
            NextPlace();
            if (played.P == shape.Length || CandidateStore.CandidateCount <= 2) break;
            if (played.P + played.Z == 0) continue;
            ++answers;
            const CandidateStoreRecord& s = CandidateStore;
            BeginTwinSearch(s.TrialCount, false);
            // The second trial may leave no two positions alike.
            if (answers == 2 && !TwinsSought()) continue;
            ASSERT_TRUE(TwinsSought()) << shape.Secret;
            std::map<uint64_t, std::pair<std::string, ClassCounts>> named;
            for (int32_t i = 0; i < s.TrialCount; ++i) {
                uint8_t signs[MaxCodeLength];
                RecordSigns(s.TrialChain[i], signs);
                TrialPattern pattern;
                MakeTrialPattern(signs, shape.Length, pattern);
                ClassCounts counts{};
                ASSERT_TRUE(ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, counts));
                std::string code;
                for (int k = 0; k < shape.Length; ++k) code += IndexSign[signs[k]];
                const auto [at, added] =
                    named.emplace(TwinKey(signs), std::make_pair(code, counts));
                if (added) continue;
                for (int m = 0; m <= shape.Length; ++m)
                    for (int p = 0; p <= m; ++p)
                        ASSERT_EQ(counts.Table[m][p], at->second.second.Table[m][p])
                            << code << " and " << at->second.first << " class " << m << "/" << p;
                ASSERT_EQ(counts.IsCandidate, at->second.second.IsCandidate) << code;
            }
            // Twins there are: fewer names than codes, far fewer after the first answer.
            EXPECT_LT(named.size() * (answers == 1 ? 2 : 1), static_cast<size_t>(s.TrialCount))
                << shape.Secret << " after " << answers << " answers";
            EndTwinSearch();
            if (answers == 2) ExpectMarkedTwinsSplitAlike(shape.Length, shape.Secret);
        }
        ReleaseCandidateStore(true);
    }
    TwinMinCandidates = twinMinimum;
}

TEST_F(TrialChoiceTest, AMultisetsArrangementsAreMarkedExactlyWhereTheirTotalsLeaveTheRanges) {
    // Two answers to 5 over 6 leave twins marked by record number. For one multiset and two
    // classes of made-up entries, the walk must mark every arrangement whose total of some class
    // leaves its range, and nothing else: no arrangement that keeps within them, no other code.
    const int32_t twinMinimum = TwinMinCandidates;
    TwinMinCandidates = 0;
    Conditions('a', 'f', 5, true, true, true);
    SeedRandom(3);
    SecretCode = MakeCode("abcde");
    ASSERT_TRUE(Build());
    for (int answers = 0; answers < 2;) {
        ASSERT_EQ(Trial(), 0);
        const TrialRow played = Row();
        NextPlace();
        ASSERT_LT(played.P, 5);
        answers += played.P + played.Z > 0 ? 1 : 0;
    }
    const CandidateStoreRecord& s = CandidateStore;
    BeginTwinSearch(s.TrialCount, false);
    ASSERT_TRUE(TwinsMarked());
    ArrangementTest test;
    test.Length = 5;
    test.Slots = 4;
    const uint8_t sign[] = {2, 3, 5, 6};
    const uint8_t count[] = {2, 1, 1, 1};
    std::mt19937 random(7);
    int32_t entries[2][5 * 4];
    for (int j = 0; j < 4; ++j) {
        test.Sign[j] = sign[j];
        test.Count[j] = count[j];
    }
    for (auto& block : entries)
        for (int32_t& entry : block) entry = static_cast<int32_t>(random() % 10);
    test.Classes = 2;
    for (int c = 0; c < 2; ++c) test.Entries[c] = entries[c];
    test.Least[0] = 18;
    test.Most[0] = 28;
    test.Least[1] = 0;
    test.Most[1] = 24;
    MarkLosingArrangements(test);
    int arrangements = 0;
    int marked = 0;
    for (int32_t record = 0; record < s.Records; ++record) {
        uint8_t signs[MaxCodeLength];
        RecordSigns(static_cast<uint32_t>(record), signs);
        int slotOf[RingSize + 1];
        std::fill(std::begin(slotOf), std::end(slotOf), -1);
        for (int j = 0; j < 4; ++j) slotOf[sign[j]] = j;
        int held[4] = {};
        bool ofTheMultiset = true;
        for (int k = 0; k < 5; ++k) {
            const int j = signs[k] <= RingSize ? slotOf[signs[k]] : -1;
            if (j < 0 || ++held[j] > count[j]) ofTheMultiset = false;
        }
        bool loses = false;
        if (ofTheMultiset) {
            ++arrangements;
            for (int c = 0; c < 2; ++c) {
                int64_t total = 0;
                for (int k = 0; k < 5; ++k) total += entries[c][k * 4 + slotOf[signs[k]]];
                loses = loses || total < test.Least[c] || total > test.Most[c];
            }
        }
        marked += loses ? 1 : 0;
        ASSERT_EQ(TwinMarked(static_cast<uint32_t>(record)), loses) << "record " << record;
    }
    EXPECT_EQ(arrangements, 60);
    // Both kinds are there: the ranges neither pass nor lose every arrangement.
    EXPECT_GT(marked, 0);
    EXPECT_LT(marked, arrangements);
    EndTwinSearch();
    ReleaseCandidateStore(true);
    TwinMinCandidates = twinMinimum;
}

// ---- Answers --------------------------------------------------------------------------------

// The human encoder at the P and Z prompts of the current row: each time the program waits
// there, the next key of the script is typed; Esc when the script has run out.
struct PromptKeys {
    explicit PromptKeys(std::string script = "") : Script(std::move(script)) {}
    std::string Script;
    size_t Next = 0;
    std::vector<char> Where;  // 'P' or 'Z' for every key typed
    void operator()() {
        const int y = TrialY(MatchBoard.Row);
        const bool atP = WhereX() == PColumn(MatchBoard.Column) && WhereY() == y;
        const bool atZ = WhereX() == ZColumn(MatchBoard.Column) && WhereY() == y;
        if (!atP && !atZ) return;
        Where.push_back(atP ? 'P' : 'Z');
        VirtualQueueKey(Next < Script.size() ? static_cast<uint8_t>(Script[Next++]) : KeyEsc);
    }
};

TEST_F(TrialChoiceTest, TheAdversaryKeepsTheLargestClass) {
    // Trial ba over a..b with repetitions: 2/0 (ba), 0/2 (ab) and 1/0 (aa, bb).
    Conditions('a', 'b', 2, true, false, false);
    Settings.ComputerEncodes = 1;
    ASSERT_TRUE(Build());
    SetFixedTrial("ba");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(Played(), "ba");
    EXPECT_EQ(Row().P, 1);
    EXPECT_EQ(Row().Z, 0);
    EXPECT_TRUE(ScreenHas(PColumn(1), TrialY(1), "1|0"));
    std::vector<std::string> left = CandidateCodes();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"aa", "bb"}));
    // Two candidates: the trial chain is those two and the book is closed.
    std::vector<std::string> chain = TrialChainCodes();
    EXPECT_EQ(chain, CandidateCodes());
    EXPECT_EQ(OpeningPhase, 0);
}

TEST_F(TrialChoiceTest, TheAdversaryTakesTheEarliestAnswerAmongEqualClasses) {
    // Trial ab against aa, bb, ba, cc: classes 1/0 (aa, bb), 0/2 (ba), 0/0 (cc). With aa left
    // out, 1/0 and 0/2 and 0/0 hold one each: 0/1 comes first in the order for L = 2 but is
    // empty, then 1/0.
    Conditions('a', 'c', 2, true, true, false);
    FillCandidateStore(2, 3, false, {"ab", "ba", "bb", "cc"}, {"bb", "ba", "cc"});
    ResetSignAlive(3);
    SetFixedTrial("ab");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(Row().P, 1);
    EXPECT_EQ(Row().Z, 0);
    EXPECT_EQ(CandidateCodes(), std::vector<std::string>{"bb"});
}

TEST_F(TrialChoiceTest, TheHumanMayOnlyGiveAnAnswerSomeCandidateWouldGet) {
    Conditions('a', 'f', 4, true, false, false);
    ASSERT_TRUE(Build());
    SetFixedTrial("aabb");
    Reference reference = Reference::Take();
    // 9 and 5 are no P; x is no digit; then P = 2. Z = 3 is more than L - P, 7 is no Z either.
    PromptKeys keys{
        "95x237"
        "1"};
    VirtualSetKeyFeeder([&] { keys(); });
    ASSERT_EQ(Trial(), '1');
    EXPECT_EQ(Row().P, 2);
    EXPECT_EQ(Row().Z, 1);
    EXPECT_TRUE(ScreenHas(PColumn(1), TrialY(1), "2|1"));
    EXPECT_EQ(keys.Where, (std::vector<char>{'P', 'P', 'P', 'P', 'Z', 'Z', 'Z'}));
    EXPECT_EQ(CandidateCodes(), reference.Kept("aabb", 2, 1));
    EXPECT_EQ(VirtualBeeps(), 0);  // the sound is off
}

TEST_F(TrialChoiceTest, BackspaceAtZGoesBackToATypedP) {
    Conditions('a', 'f', 4, true, false, false);
    ASSERT_TRUE(Build());
    SetFixedTrial("aabb");
    Reference reference = Reference::Take();
    PromptKeys keys{std::string("2") + char(KeyBackspace) + "10"};
    VirtualSetKeyFeeder([&] { keys(); });
    ASSERT_EQ(Trial(), '0');
    EXPECT_EQ(keys.Where, (std::vector<char>{'P', 'Z', 'P', 'Z'}));
    EXPECT_EQ(Row().P, 1);
    EXPECT_EQ(Row().Z, 0);
    EXPECT_EQ(CandidateCodes(), reference.Kept("aabb", 1, 0));
}

TEST_F(TrialChoiceTest, AnAnswerWithOnlyOnePossibleValueNeedsNoKey) {
    // Against ba, ca and cc the trial ab always scores P = 0: only Z is asked, and Backspace
    // cannot go back to a P that was not typed.
    Conditions('a', 'c', 2, true, false, false);
    FillCandidateStore(2, 3, false, {"ab", "ba", "ca", "cc"}, {"ba", "ca", "cc"});
    ResetSignAlive(3);
    SetFixedTrial("ab");
    PromptKeys keys{std::string(1, char(KeyBackspace)) + "3" + "1"};
    VirtualSetKeyFeeder([&] { keys(); });
    ASSERT_EQ(Trial(), '1');
    EXPECT_EQ(keys.Where, (std::vector<char>{'Z', 'Z', 'Z'}));
    EXPECT_TRUE(ScreenHas(PColumn(1), TrialY(1), "0|1"));
    EXPECT_EQ(CandidateCodes(), std::vector<std::string>{"ca"});
    // When the class is unique as well, both come without a key.
    Conditions('a', 'c', 3, false, false, false);
    FillCandidateStore(3, 3, false, {"abc", "aaa", "bca"},
                       {"abc", "acb", "bac", "bca", "cab", "cba"});
    ResetSignAlive(3);
    SetFixedTrial("aaa");
    keys = PromptKeys{};
    ASSERT_EQ(Trial(), 0);
    EXPECT_TRUE(keys.Where.empty());
    EXPECT_TRUE(ScreenHas(PColumn(1), TrialY(1), "1|0"));
    EXPECT_EQ(CandidateCodes().size(), 6u);
}

TEST_F(TrialChoiceTest, EscAtThePromptBreaksOffAndReleasesTheStore) {
    Conditions('a', 'f', 4, true, false, false);
    ASSERT_TRUE(Build());
    SetFixedTrial("aabb");
    PromptKeys keys{std::string(1, char(KeyEsc))};
    VirtualSetKeyFeeder([&] { keys(); });
    EXPECT_EQ(Trial(), KeyEsc);
    EXPECT_EQ(CandidateStore.Records, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
    EXPECT_FALSE(ClockState.GuessRunning);
}

TEST_F(TrialChoiceTest, TheHumanEncoderHearsABeepBeforeAnswering) {
    Conditions('a', 'f', 4, true, false, false);
    Settings.SoundOn = 1;
    ASSERT_TRUE(Build());
    SetFixedTrial("aabb");
    PromptKeys keys{"10"};
    VirtualSetKeyFeeder([&] { keys(); });
    ASSERT_EQ(Trial(), '0');
    EXPECT_EQ(VirtualBeeps(), 1);
}

// ---- Candidates, signs and trial codes after an answer --------------------------------------

bool HoldsAny(const std::string& code, const std::string& signs) {
    return code.find_first_of(signs) != std::string::npos;
}

// The codes of after, in their order, are those of before that stay.
bool KeepsOrder(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    size_t at = 0;
    for (const std::string& code : after) {
        while (at < before.size() && before[at] != code) ++at;
        if (at == before.size()) return false;
        ++at;
    }
    return true;
}

TEST_F(TrialChoiceTest, ANoughtAnswerRemovesTheTrialsSignsEverywhere) {
    Conditions('a', 'i', 4, false, true, true);
    ASSERT_TRUE(Build());
    SecretCode = MakeCode("efgh");
    SetFixedTrial("abcd");
    const std::vector<std::string> before = TrialChainCodes();
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(Row().P, 0);
    EXPECT_EQ(Row().Z, 0);
    for (char c : std::string("abcd")) EXPECT_EQ(SignAlive[IndexOf(c)], 0);
    for (char c : std::string("efghi")) EXPECT_EQ(SignAlive[IndexOf(c)], 1);
    ASSERT_EQ(KillCount, 4);
    EXPECT_EQ(std::string(KillList, KillList + 4), std::string("\4\3\2\1"));
    EXPECT_EQ(FillerSign, IndexOf('a'));
    EXPECT_EQ(PossibleSignCount, 5);
    const std::vector<std::string> candidates = CandidateCodes();
    EXPECT_EQ(candidates.size(), 120u);
    for (const std::string& c : candidates) EXPECT_FALSE(HoldsAny(c, "abcd")) << c;
    const std::vector<std::string> chain = TrialChainCodes();
    EXPECT_EQ(chain.size(), 625u);
    for (const std::string& t : chain) EXPECT_FALSE(HoldsAny(t, "abcd")) << t;
    EXPECT_TRUE(KeepsOrder(before, chain));
    // Still in the book: the next opening is over the live signs.
    EXPECT_EQ(OpeningPhase, 1);
    for (int k = 0; k < 4; ++k) EXPECT_GE(FixedTrialRecord.Signs[k], IndexOf('e'));
    for (char c : std::string("abcd")) EXPECT_EQ(SignTried[IndexOf(c)], 1);
}

TEST_F(TrialChoiceTest, WithTwoSignsLeftOneDeadSignStaysInTheTrialsAsABlank) {
    // aabc answered 0/0 over a..e: d and e live, 16 candidates; a, the lowest killed sign, is
    // kept in the trial codes and fills the next opening aaa_.
    Conditions('a', 'e', 4, true, true, true);
    ASSERT_TRUE(Build());
    SecretCode = MakeCode("dede");
    SetFixedTrial("aabc");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(CandidateCodes().size(), 16u);
    EXPECT_EQ(PossibleSignCount, 2);
    EXPECT_EQ(DeadBlankKept, 1);
    EXPECT_EQ(KillCount, 2);  // c and b; a was dropped from the list
    EXPECT_EQ(FillerSign, IndexOf('a'));
    const std::vector<std::string> chain = TrialChainCodes();
    EXPECT_EQ(chain.size(), 81u);  // codes over a, d, e
    for (const std::string& t : chain) EXPECT_FALSE(HoldsAny(t, "bc")) << t;
    // The next opening: three of one live sign and the filler a.
    std::map<uint8_t, int> counts;
    for (int k = 0; k < 4; ++k) ++counts[FixedTrialRecord.Signs[k]];
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[IndexOf('a')], 1);
    EXPECT_TRUE(counts[IndexOf('d')] == 3 || counts[IndexOf('e')] == 3);
}

TEST_F(TrialChoiceTest, SignsNoCandidateHoldsAreKilled) {
    // No candidate holds c or d: after an answer that is not 0/0 both die; two signs stay
    // alive, so c (the lower) is kept once as a blank in the trial codes.
    Conditions('a', 'd', 4, true, true, true);
    std::vector<std::string> all, twoSigns;
    const std::string signs = "abcd";
    for (int i = 0; i < 256; ++i) {
        std::string code;
        for (int k = 0, v = i; k < 4; ++k, v /= 4) code.push_back(signs[v % 4]);
        all.push_back(code);
        if (!HoldsAny(code, "cd")) twoSigns.push_back(code);
    }
    FillCandidateStore(4, 4, false, all, twoSigns);
    ResetSignAlive(4);
    SecretCode = MakeCode("abab");
    SetFixedTrial("aabc");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(Row().P, 1);
    EXPECT_EQ(Row().Z, 2);
    EXPECT_GE(CandidateCodes().size(), 3u);
    EXPECT_EQ(SignAlive[IndexOf('c')], 0);
    EXPECT_EQ(SignAlive[IndexOf('d')], 0);
    EXPECT_EQ(PossibleSignCount, 2);
    EXPECT_EQ(DeadBlankKept, 1);
    const std::vector<std::string> chain = TrialChainCodes();
    EXPECT_EQ(chain.size(), 81u);
    for (const std::string& t : chain) EXPECT_FALSE(HoldsAny(t, "d")) << t;
    EXPECT_TRUE(KeepsOrder(all, chain));

    // The blank is kept once per match: with the rule spent, c goes as well.
    Conditions('a', 'd', 4, true, true, true);
    FillCandidateStore(4, 4, false, all, twoSigns);
    ResetSignAlive(4);
    DeadBlankKept = 1;
    SecretCode = MakeCode("abab");
    SetFixedTrial("aabc");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(TrialChainCodes().size(), 16u);
}

TEST_F(TrialChoiceTest, AllSignsFoundMakesTheSignsKnown) {
    Conditions('a', 'f', 4, true, true, true);
    ASSERT_TRUE(Build());
    SecretCode = MakeCode("dcba");
    SetFixedTrial("abcd");
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(Row().P, 0);
    EXPECT_EQ(Row().Z, 4);
    EXPECT_EQ(SignsKnown, 1);
    EXPECT_EQ(OpeningPhase, 0);
    EXPECT_EQ(PossibleSignCount, 4);
    EXPECT_EQ(SignAlive[IndexOf('e')], 0);
    EXPECT_EQ(SignAlive[IndexOf('f')], 0);
    const std::vector<std::string> candidates = CandidateCodes();
    EXPECT_EQ(candidates.size(), 9u);  // the derangements of abcd
    for (const std::string& t : TrialChainCodes()) EXPECT_FALSE(HoldsAny(t, "ef")) << t;
    // The match goes on with P alone deciding, and ends on the secret.
    for (int n = 2; n <= 6; ++n) {
        NextPlace();
        ASSERT_EQ(Trial(), 0);
        if (Row().P == 4) break;
    }
    EXPECT_EQ(Played(), "dcba");
}

TEST_F(TrialChoiceTest, TheSecretAbcdIsFoundByTheShortcutOrByPlayingIt) {
    Conditions('a', 'f', 4, false, true, true);
    for (uint64_t seed = 1; seed <= 10; ++seed) {
        Conditions('a', 'f', 4, false, true, true);
        SeedRandom(seed);
        ASSERT_TRUE(Build());
        SecretCode = MakeCode("abcd");
        int n = 1;
        for (;; ++n) {
            ASSERT_EQ(Trial(), 0);
            if (Row().P == 4) break;
            ASSERT_LT(n, 6);
            NextPlace();
        }
        EXPECT_EQ(Played(), "abcd");
        EXPECT_EQ(Row().Z, 0);
        EXPECT_TRUE(ScreenHas(PColumn(MatchBoard.Column), TrialY(MatchBoard.Row), "4|0"));
        EXPECT_EQ(VirtualHeapInUse(), 0u);
    }
}

TEST_F(TrialChoiceTest, TheSymmetryFilterExaminesOneCodePerRenamingOfUntriedSigns) {
    // Nothing tried yet over a..h, four long: codes that differ only by a renaming of signs
    // count once, which leaves the 15 ways to split four places among signs. The code of four
    // different usable signs leads the scan and is shown at once.
    Conditions('a', 'h', 4, true, true, true);
    ASSERT_TRUE(Build());
    OpeningPhase = 0;
    SecretCode = MakeCode("abcd");
    std::string shown;
    int calls = 0;
    VirtualSetKeyFeeder([&] {
        if (++calls == 1) shown = RowText(TrialY(1), CodeStartX(1), 4);
    });
    ASSERT_EQ(Trial(), 0);
    EXPECT_EQ(SearchProgress.ItemsTotal, 15);
    EXPECT_EQ(SearchProgress.ItemsDone, 15);
    EXPECT_EQ(std::set<char>(shown.begin(), shown.end()).size(), 4u) << shown;
}

TEST_F(TrialChoiceTest, TheMarksOverTheWholeStoreAgreeWithTheRuleCodeByCode) {
    // Three places over all 36 signs (or 35) and the vacant one, every record on the chain in a
    // shuffled order: the marks are made many records at a time where the processor can, and
    // must give every record the verdict of the rule for its one code, for any sign. 35 signs
    // leave the last few records to be marked one by one in the middle of a 64-bit word.
    for (const int signCount : {RingSize, RingSize - 1}) {
        FillCandidateStore(3, signCount, true, {}, {});
        CandidateStoreRecord& s = CandidateStore;
        std::mt19937 random(20261209 + signCount);
        std::vector<uint32_t> chain(static_cast<size_t>(s.Records));
        for (size_t i = 0; i < chain.size(); ++i) chain[i] = static_cast<uint32_t>(i);
        std::shuffle(chain.begin(), chain.end(), random);
        auto signsOf = [&](uint32_t record, uint8_t* signs) {
            for (int k = 0; k < s.Length; ++k) signs[k] = s.Positions[k][record];
        };
        for (int round = 0; round < 6; ++round) {
            std::copy(chain.begin(), chain.end(), s.TrialChain);
            s.TrialCount = s.Records;
            // Some signs tried, some excluded, the others usable in a drawn order.
            SymmetryRule rule;
            std::vector<uint8_t> untried;
            for (int sign = 0; sign <= RingSize; ++sign) {
                const unsigned kind = random() % 3;
                if (kind == 1) rule.Rank[sign] = SymmetryRule::Excluded;
                if (kind == 2) untried.push_back(static_cast<uint8_t>(sign));
            }
            std::shuffle(untried.begin(), untried.end(), random);
            for (size_t j = 0; j < untried.size(); ++j)
                rule.Rank[untried[j]] = static_cast<uint8_t>(2 + j);
            const int32_t count = MarkEligible(rule);
            int32_t expected = 0;
            uint8_t signs[MaxCodeLength];
            for (int32_t record = 0; record < s.Records; ++record) {
                signsOf(static_cast<uint32_t>(record), signs);
                const bool eligible = EligibleCode(signs, s.Length, rule);
                expected += eligible;
                ASSERT_EQ(s.Marks[record], eligible ? 1 : 0) << round << " " << record;
            }
            EXPECT_EQ(count, expected);
            // The walk of the search meets exactly the eligible places, also after codes moved
            // to the front (at the start of the chain, inside and at the edges of 64 places).
            for (int32_t index : {1, 63, 64, 65, 127, 1000, s.TrialCount - 1}) {
                MoveToFront(index);
                std::rotate(chain.begin(), chain.begin() + index, chain.begin() + index + 1);
            }
            std::vector<int32_t> met, truth;
            for (int32_t i = NextEligible(0, rule); i < s.TrialCount; i = NextEligible(i + 1, rule))
                met.push_back(i);
            for (int32_t i = 0; i < s.TrialCount; ++i) {
                ASSERT_EQ(s.TrialChain[i], chain[static_cast<size_t>(i)]);
                signsOf(chain[static_cast<size_t>(i)], signs);
                if (EligibleCode(signs, s.Length, rule)) truth.push_back(i);
                ASSERT_EQ(EligibleAt(i, rule), EligibleCode(signs, s.Length, rule)) << i;
            }
            EXPECT_EQ(met, truth) << round;

            uint8_t flags[RingSize + 1] = {};
            for (int sign = 0; sign <= RingSize; ++sign) flags[sign] = random() % 4 == 0;
            std::vector<uint32_t> kept;
            for (uint32_t record : chain) {
                signsOf(record, signs);
                bool holds = false;
                for (int k = 0; k < s.Length; ++k) holds = holds || flags[signs[k]];
                if (!holds) kept.push_back(record);
            }
            RemoveTrialsHolding(flags);
            ASSERT_EQ(s.TrialCount, static_cast<int32_t>(kept.size()));
            EXPECT_TRUE(std::equal(kept.begin(), kept.end(), s.TrialChain)) << round;
        }
    }
}

TEST_F(TrialChoiceTest, TheCountOverTheGroupsGivesEveryClassTheCountOneByOne) {
    // The count over the candidates' groups reads sign planes (3 bits a place with up to 7
    // signs, where the planes are made) or two places a byte (up to 14 signs; with more, each
    // sign numbered within its group); unbounded, it must give every class what the count of
    // the chain gives, for odd and even lengths, for groups that begin and end inside a word of
    // the planes, for groups thinned by an answer and laid out anew, and for trial codes with a
    // place that cannot score. At 9 over 4 a group holds up to 7,560 codes: its total of P
    // passes 16 bits.
    struct Shape {
        char Last;
        int Length;
    };
    std::mt19937 random(7);
    const int32_t planeMinimum = PlaneMinCandidates;
    for (const bool planes : {true, false})
        for (const Shape shape : {Shape{'h', 5}, Shape{'p', 4}, Shape{'g', 6}, Shape{'d', 9}}) {
            PlaneMinCandidates = planes ? 0 : INT32_MAX;
            Conditions('a', shape.Last, shape.Length, true, true, true);
            ASSERT_TRUE(Build());
            ASSERT_TRUE(PrepareCandidateGroups());
            const int bits = SignCount <= 7 ? 3 : 0;
            EXPECT_EQ(CandidateGroups.PlaneBits, planes ? bits : 0);
            EXPECT_EQ(CandidateGroups.PackedColumns > 0, !planes || bits == 0);
            EXPECT_EQ(CandidateGroups.PackedByGroup, SignCount > 14);
            for (int round = 0; round < 80; ++round) {
                if (round == 40) {
                    // Thinned to the largest class of a code: the groups are thinned, or laid
                    // out anew where fewer than half are left.
                    uint8_t signs[MaxCodeLength];
                    for (int k = 0; k < shape.Length; ++k) signs[k] = static_cast<uint8_t>(1 + k);
                    TrialPattern pattern;
                    MakeTrialPattern(signs, shape.Length, pattern);
                    ClassCounts counts{};
                    ASSERT_TRUE(ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, counts));
                    int keep = 0;
                    for (int i = 1; i < (shape.Length + 1) * (shape.Length + 1); ++i)
                        if (counts.Table[i / (shape.Length + 1)][i % (shape.Length + 1)] >
                            counts.Table[keep / (shape.Length + 1)][keep % (shape.Length + 1)])
                            keep = i;
                    const int m = keep / (shape.Length + 1);
                    const int p = keep % (shape.Length + 1);
                    KeepCandidates(pattern, -1, m, p);
                    KeepGroupedCandidates(pattern, m, p);
                    const size_t grant = CandidateGroups.Grant;
                    ASSERT_TRUE(PrepareCandidateGroups()) << shape.Last;
                    EXPECT_EQ(CandidateGroups.PackedColumns > 0, !planes || bits == 0);
                    // Laid out anew or not, they take no more memory than at first.
                    EXPECT_EQ(CandidateGroups.Grant, grant) << shape.Last;
                    EXPECT_LE(CandidateGroups.BlockBytes + CandidateGroups.PairBlockBytes, grant);
                }
                // Each code on its own: a place made unable to score leaves the pattern's signs
                // as they were, which a multiset measured before would not match.
                BeginGroupedSearch();
                uint8_t signs[MaxCodeLength];
                for (int k = 0; k < shape.Length; ++k)
                    signs[k] =
                        static_cast<uint8_t>(1 + random() % static_cast<unsigned>(SignCount));
                TrialPattern pattern;
                MakeTrialPattern(signs, shape.Length, pattern);
                if (round % 4 == 3) pattern.Position[random() % shape.Length] = 0xFF;
                ClassCounts grouped{};
                ClassCounts chained{};
                ASSERT_TRUE(ClassifyGrouped(pattern, INT32_MAX, INT64_MAX, grouped));
                ASSERT_TRUE(ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, chained));
                for (int m = 0; m <= shape.Length; ++m)
                    for (int p = 0; p <= m; ++p)
                        ASSERT_EQ(grouped.Table[m][p], chained.Table[m][p])
                            << shape.Last << " planes " << planes << " round " << round << " class "
                            << m << "/" << p;
                EXPECT_EQ(grouped.MaxClass, chained.MaxClass);
                EXPECT_EQ(grouped.Squares, chained.Squares);
            }
            ReleaseCandidateStore(true);
        }
    PlaneMinCandidates = planeMinimum;
}

TEST_F(TrialChoiceTest, TheTableOfSharedSignsKeepsWhatTheCountOneByOneGives) {
    // Where the candidates hold the same signs, every record's largest class (and, at the least
    // largest class, its squares) is counted beforehand from the candidates' signs at the last
    // three places and their P over the places before. Record by record it must be what the
    // plain count gives, and a record it shows worse must be strictly worse: with repeated
    // signs, a dead sign and a sign no candidate holds, with the vacant sign, with no place
    // before the last three and with four places before them.
    struct Shape {
        char Last;
        int Length;
        bool Vacant;
        std::string Signs;  // the candidates' signs
        char Dead;          // a sign that is dead, or 0
    };
    std::mt19937 random(11);
    int shapesListed = 0;
    for (const Shape& shape :
         {Shape{'g', 6, false, "aabcde", 'f'}, Shape{'b', 5, true, "aabbb", 0},
          Shape{'e', 3, false, "bbd", 'a'}, Shape{'d', 7, false, "aabbccd", 0}}) {
        Conditions('a', shape.Last, shape.Length, true, true, true, shape.Vacant);
        std::string code = shape.Signs;
        std::vector<std::string> candidates;
        do {
            if (random() % 4 != 0) candidates.push_back(code);
        } while (std::next_permutation(code.begin(), code.end()));
        // The store as the build numbers it: position 1 the fastest digit, signs in order.
        const auto fill = [&]() {
            FillCandidateStore(shape.Length, SignCount, shape.Vacant, candidates, candidates);
            CandidateStoreRecord& s = CandidateStore;
            s.Numbered = true;
            s.DigitBase = static_cast<uint32_t>(SignCount + 1 - s.LowDigit);
            s.DigitMagic = UINT64_MAX / s.DigitBase + 1;
            for (int k = 0; k < shape.Length; ++k) s.DigitPlace[k] = static_cast<uint8_t>(k);
            for (uint32_t d = 0; d < s.DigitBase; ++d)
                s.DigitSign[d] = static_cast<uint8_t>(s.LowDigit + d);
        };
        fill();
        ResetSignAlive(SignCount);
        if (shape.Dead != 0) SignAlive[IndexOf(shape.Dead)] = 0;
        const CandidateStoreRecord& s = CandidateStore;
        ASSERT_TRUE(MakeSharedSignTable()) << shape.Signs;
        std::vector<ClassCounts> counted(static_cast<size_t>(s.Records));
        int32_t least = INT32_MAX;
        for (int32_t r = 0; r < s.Records; ++r) {
            uint8_t signs[MaxCodeLength];
            RecordSigns(static_cast<uint32_t>(r), signs);
            TrialPattern pattern;
            MakeTrialPattern(signs, shape.Length, pattern);
            ClassCounts& counts = counted[static_cast<size_t>(r)];
            ASSERT_TRUE(ClassifyCandidates(pattern, -1, INT32_MAX, INT64_MAX, counts));
            ASSERT_EQ(SharedLargestClass(static_cast<uint32_t>(r)), counts.MaxClass)
                << shape.Signs << " record " << r;
            least = std::min(least, counts.MaxClass);
        }
        // The least largest class keeps its squares where its records are few enough: all of
        // them, or none.
        int listed = 0;
        int leastRecords = 0;
        for (int32_t r = 0; r < s.Records; ++r) {
            const ClassCounts& counts = counted[static_cast<size_t>(r)];
            const int64_t squares = SharedSquares(static_cast<uint32_t>(r));
            if (squares >= 0) {
                EXPECT_EQ(counts.MaxClass, least) << shape.Signs << " record " << r;
            }
            leastRecords += counts.MaxClass == least;
            if (squares >= 0) {
                EXPECT_EQ(squares, counts.Squares) << shape.Signs << " record " << r;
            }
            listed += squares >= 0;
            const ClassCounts& other = counted[random() % counted.size()];
            if (SharedSignsLoses(static_cast<uint32_t>(r), other.MaxClass, other.Squares)) {
                EXPECT_TRUE(counts.MaxClass > other.MaxClass ||
                            (counts.MaxClass == other.MaxClass && counts.Squares > other.Squares))
                    << shape.Signs << " record " << r;
            }
        }
        if (listed > 0) {
            EXPECT_EQ(listed, leastRecords) << shape.Signs;
        }
        shapesListed += listed > 0;
        // A candidate holding other signs: no table.
        char& first = candidates.back()[0];
        first = first == shape.Last ? 'a' : shape.Last;
        fill();
        EXPECT_FALSE(MakeSharedSignTable());
        ReleaseCandidateStore(true);
    }
    EXPECT_GE(shapesListed, 2);
}

TEST_F(TrialChoiceTest, TheTripleCountsAreUsedOnlyWhileEveryOneFitsAByte) {
    // The candidates of a group with three given signs at three given places are counted a
    // byte each. At 9 over 4 no such count passes 180, and the table must hold each; at 9 over
    // 5 a group of signs aabbccdde holds 360 codes with a, b, c at the first three places: the
    // counts wrap, and the third moment must not be used there at all. The whole store treats
    // every place alike, so a few triples of places stand for all.
    struct Places {
        int K, L, J;
        size_t Triple;  // its number among the triples k < l < j
    };
    for (const char last : {'d', 'e'}) {
        Conditions('a', last, 9, true, true, true);
        ASSERT_TRUE(Build());
        ASSERT_TRUE(PrepareCandidateGroups());
        const CandidateGroupsRecord& g = CandidateGroups;
        ASSERT_NE(g.TripleCounts, nullptr) << last;
        const size_t n = static_cast<size_t>(g.Signs);
        const size_t room = static_cast<size_t>(g.GroupRoom);
        int largest = 0;
        bool same = true;
        std::vector<int> count(n * n * n);
        for (const Places at : {Places{0, 1, 2, 0}, Places{1, 4, 7, 41}, Places{6, 7, 8, 83}}) {
            for (int32_t group = 0; group < g.Count; ++group) {
                std::fill(count.begin(), count.end(), 0);
                for (int32_t i = g.Start[group]; i < g.Start[group + 1]; ++i)
                    ++count[((g.Positions[at.K][i] - 1) * n + (g.Positions[at.L][i] - 1)) * n +
                            (g.Positions[at.J][i] - 1)];
                for (size_t row = 0; row < count.size(); ++row) {
                    largest = std::max(largest, count[row]);
                    same =
                        same && g.TripleCounts[(at.Triple * count.size() + row) * room +
                                               static_cast<size_t>(group)] == (count[row] & 0xFF);
                }
            }
        }
        EXPECT_TRUE(same) << last;
        if (last == 'd') {
            EXPECT_EQ(largest, 180);
            EXPECT_EQ(g.LargestTriple, largest);
        } else {
            EXPECT_EQ(largest, 360);
            EXPECT_EQ(g.LargestTriple, 0);
        }
        ReleaseCandidateStore(true);
    }
}

TEST(ClassBoundsTest, TheMomentsOfRealClassesFitAndAnImpossibleSpreadDoesNot) {
    // Every class that exists, with some of it counted, fits at its own largest P-class: a bound
    // that said otherwise would give up a trial code that could win. Classes of 0..m, and of
    // m = L with P = L - 1 missing and P = L held once at most.
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const int length = 2 + static_cast<int>(random() % 8);
        const int m = 1 + static_cast<int>(random() % static_cast<unsigned>(length));
        int64_t sizes[MaxCodeLength + 1] = {};
        int64_t counted[MaxCodeLength + 1] = {};
        const int64_t scale = 1 + static_cast<int64_t>(random() % 50000);
        for (int p = 0; p <= m; ++p) {
            if (m == length && p == length - 1) continue;
            sizes[p] =
                m == length && p == length ? random() % 2 : static_cast<int64_t>(random() % scale);
            if (random() % 3 == 0) sizes[p] = 0;
            counted[p] = random() % 2 ? static_cast<int64_t>(random() % (sizes[p] + 1)) : 0;
        }
        int64_t value[MaxCodeLength + 1];
        int64_t count[MaxCodeLength + 1];
        int64_t size = 0, total = 0, pairs = 0, height = 0;
        for (int p = 0; p <= m; ++p) {
            size += sizes[p];
            total += p * sizes[p];
            pairs += int64_t(p) * (p - 1) / 2 * sizes[p];
            height = std::max(height, sizes[p]);
        }
        const int n = ValuesOf(m, length, counted, value, count);
        ASSERT_TRUE(MomentFits(value, count, n, m == length, size, total, true, pairs, height))
            << "round " << round << " m " << m << " L " << length;
    }
    // Found in a search at 8 over 8: a class of M = 4 with P spread 258,599 / 313,982 /
    // 161,431 / 43,554 / 5,934 cannot keep every P-class at 262,847 or below. Its mean and the
    // spread just around it allow that; the spread around P = 3 does not.
    const int64_t sizes[] = {258599, 313982, 161431, 43554, 5934};
    int64_t size = 0, total = 0, pairs = 0;
    for (int p = 0; p <= 4; ++p) {
        size += sizes[p];
        total += p * sizes[p];
        pairs += int64_t(p) * (p - 1) / 2 * sizes[p];
    }
    const int64_t none[MaxCodeLength + 1] = {};
    int64_t value[MaxCodeLength + 1];
    int64_t count[MaxCodeLength + 1];
    const int n = ValuesOf(4, 8, none, value, count);
    EXPECT_FALSE(MomentFits(value, count, n, false, size, total, true, pairs, 262847));
    EXPECT_TRUE(MomentFits(value, count, n, false, size, total, false, 0, 262847));
    EXPECT_TRUE(MomentFits(value, count, n, false, size, total, true, pairs, 313982));
}

TEST(ClassBoundsTest, TheThirdMomentNeverRulesOutARealClassAndRulesOutAnImpossibleOne) {
    // A class's sizes per P give its moments; at its own largest P-class it must fit whatever
    // cubic is tried. Classes of 0..m, and of m = L with P = L - 1 missing and P = L held once.
    auto planOf = [](int length, int m, const int64_t* sizes) {
        ClassPlan plan;
        plan.Length = length;
        plan.Pairs = true;
        plan.Triples = true;
        plan.TripleFrom = 0;
        for (int p = 0; p <= m; ++p) {
            plan.Size[m] += sizes[p];
            plan.Total[m] += p * sizes[p];
            plan.PairTotal[m] += int64_t(p) * (p - 1) / 2 * sizes[p];
            plan.TripleTotal[m] += int64_t(p) * (p - 1) * (p - 2) / 6 * sizes[p];
        }
        return plan;
    };
    std::mt19937 random(13);
    for (int round = 0; round < 3000; ++round) {
        const int length = 3 + static_cast<int>(random() % 7);
        const int m = 1 + static_cast<int>(random() % static_cast<unsigned>(length));
        int64_t sizes[MaxCodeLength + 1] = {};
        const int64_t scale = 1 + static_cast<int64_t>(random() % 300000);
        int64_t height = 0;
        for (int p = 0; p <= m; ++p) {
            if (m == length && p == length - 1) continue;
            sizes[p] =
                m == length && p == length ? random() % 2 : static_cast<int64_t>(random() % scale);
            if (random() % 3 == 0) sizes[p] = 0;
            height = std::max(height, sizes[p]);
        }
        ClassPlan plan = planOf(length, m, sizes);
        ASSERT_TRUE(CubicFits(plan, m, height))
            << "round " << round << " m " << m << " L " << length;
        // Part of the class counted: the counts so far are lower bounds of the real ones.
        for (int p = 0; p <= m; ++p) {
            plan.Counts[m][p] = sizes[p] == 0 ? 0 : static_cast<int64_t>(random()) % (sizes[p] + 1);
            plan.Done[m] += plan.Counts[m][p];
        }
        ASSERT_TRUE(CubicFits(plan, m, height))
            << "counted, round " << round << " m " << m << " L " << length;
        // A class whose triples were not summed is never ruled out by them.
        plan.TripleFrom = plan.Size[m] + 1;
        plan.TripleTotal[m] = 0;
        ASSERT_TRUE(CubicFits(plan, m, height));
    }
    // Found in a search at 8 over 8: P spread 232,646 / 318,411 / 173,732 / 49,108 / 6,809 over
    // a class of M = 4. Its first two moments allow every P-class at 262,847 or below; its third
    // does not.
    const int64_t sizes[] = {232646, 318411, 173732, 49108, 6809};
    const ClassPlan plan = planOf(8, 4, sizes);
    const int64_t none[MaxCodeLength + 1] = {};
    int64_t value[MaxCodeLength + 1];
    int64_t count[MaxCodeLength + 1];
    const int n = ValuesOf(4, 8, none, value, count);
    EXPECT_TRUE(MomentFits(value, count, n, false, plan.Size[4], plan.Total[4], true,
                           plan.PairTotal[4], 262847));
    EXPECT_FALSE(CubicFits(plan, 4, 262847));
}

TEST(ClassBoundsTest, AWholeMultisetLosesOnlyWhenItsTotalsMissEveryTotalThatFits) {
    // Two places, one sign held twice, class M = 1 of 10 candidates at height 6: its P-classes
    // (P = 0 and P = 1, each at most 6) allow totals of P from 4 to 6. The multiset's table
    // gives every order of its signs the total e0 + e1: at 4 and at 6 it still fits (the
    // bounds themselves), at 3 and at 7 every code of the multiset loses.
    ClassPlan plan;
    plan.Length = 2;
    plan.Size[0] = 5;
    plan.Size[1] = 10;
    const uint8_t occurs[] = {2};
    for (const auto& [sum, loses] :
         {std::pair{4, false}, std::pair{6, false}, std::pair{3, true}, std::pair{7, true}}) {
        // Per class a block of 2 places x 1 sign, then the ranges behind.
        int32_t table[(2 + 2) * 3] = {};
        table[1 * 2 + 0] = sum / 2;
        table[1 * 2 + 1] = sum - sum / 2;
        EXPECT_EQ(MultisetMomentsLose(plan, table, 1, occurs, false, 6), loses) << sum;
        if (!loses) {
            const int32_t* range = RangesOf(table, 2, 1) + 2;
            EXPECT_EQ(range[0], 4);
            EXPECT_EQ(range[1], 6);
        }
    }
}

TEST_F(TrialChoiceTest, TheRanksFromRecordNumbersAreTheRanksFromTheSigns) {
    // The scan takes a code's multiset from its record's number through tables of the low, the
    // middle and the high digits: for every record it must be the rank its signs give, with
    // signs that cannot score among them, with the vacant sign in play, and for every way the
    // digits split (two places: no high digits at all).
    struct Shape {
        char Last;
        int Length;
        bool Vacant;
    };
    for (const Shape shape :
         {Shape{'h', 2, false}, Shape{'e', 3, false}, Shape{'h', 5, false}, Shape{'g', 6, false},
          Shape{'d', 7, false}, Shape{'b', 9, true}, Shape{'c', 9, false}}) {
        Conditions('a', shape.Last, shape.Length, true, true, true, shape.Vacant);
        ASSERT_TRUE(Build());
        ASSERT_EQ(CandidateStore.VacantInPlay, shape.Vacant);
        for (int round = 0; round < 2; ++round) {
            if (round == 1) SignAlive[2] = 0;  // a sign that cannot score counts as symbol 0
            // Room for more multisets than any of these shapes has.
            ASSERT_TRUE(BeginRecordRanks(1 << 18)) << shape.Last;
            const CandidateStoreRecord& s = CandidateStore;
            for (int32_t record = 0; record < s.Records; ++record) {
                uint8_t signs[MaxCodeLength];
                RecordSigns(static_cast<uint32_t>(record), signs);
                ASSERT_EQ(RecordRank(static_cast<uint32_t>(record)),
                          GroupedRank(signs, shape.Length))
                    << shape.Last << " record " << record << " round " << round;
            }
            EndRecordRanks();
        }
        ReleaseCandidateStore(true);
    }
}

// ---- Ties, and what cannot happen ------------------------------------------------------------

TEST_F(TrialChoiceTest, EqualTrialCodesAreChosenEquallyOften) {
    // Over a..b every code splits the four candidates alike (largest class 2, squares 6, and
    // each is a candidate itself): the draw decides.
    std::map<std::string, int> chosen;
    for (uint64_t seed = 1; seed <= 400; ++seed) {
        Conditions('a', 'b', 2, true, true, true);
        FillCandidateStore(2, 2, false, {"aa", "ab", "ba", "bb"}, {"bb", "ba", "ab", "aa"});
        ResetSignAlive(2);
        OpeningPhase = 0;
        SecretCode = MakeCode("ab");
        SeedRandom(seed);
        ASSERT_EQ(Trial(), 0);
        ++chosen[Played()];
    }
    ASSERT_EQ(chosen.size(), 4u);
    for (const auto& [code, count] : chosen) {
        EXPECT_GT(count, 65) << code;
        EXPECT_LT(count, 135) << code;
    }
}

TEST_F(TrialChoiceTest, ACandidateChainRunEmptyEndsTheMatchAsBrokenOff) {
    Conditions('a', 'c', 2, true, true, true);
    FillCandidateStore(2, 3, false, {"ab", "ba", "cc"}, {});
    ResetSignAlive(3);
    EXPECT_EQ(Trial(), KeyEsc);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
}

TEST_F(TrialChoiceTest, OneCandidateLeftIsPlayedWithoutAsking) {
    Conditions('a', 'c', 3, true, false, true);
    Settings.SoundOn = 1;
    FillCandidateStore(3, 3, false, {"abc", "cab", "bca"}, {"cab"});
    ResetSignAlive(3);
    OpeningPhase = 1;
    PromptKeys keys;
    VirtualSetKeyFeeder([&] { keys(); });
    ASSERT_EQ(Trial(), 0);
    EXPECT_TRUE(keys.Where.empty());
    EXPECT_EQ(Played(), "cab");
    EXPECT_EQ(Text(SecretCode, 3), "cab");
    EXPECT_EQ(Row().P, 3);
    EXPECT_EQ(Row().Z, 0);
    EXPECT_TRUE(ScreenHas(CodeStartX(1), TrialY(1), "cab"));
    EXPECT_TRUE(ScreenHas(PColumn(1), TrialY(1), "3|0"));
    EXPECT_EQ(OpeningPhase, 0);
    EXPECT_EQ(VirtualBeeps(), 1);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
}

TEST_F(TrialChoiceTest, EscDuringTheSearchReleasesEverything) {
    Conditions('a', 'h', 4, true, true, true);
    ASSERT_TRUE(Build());
    OpeningPhase = 0;
    PossibleSignCount = 2;  // no symmetry filter: the scan takes every code
    SecretCode = MakeCode("abcd");
    int calls = 0;
    VirtualSetKeyFeeder([&] {
        if (++calls == 50) VirtualQueueKey(KeyEsc);
    });
    EXPECT_EQ(Trial(), KeyEsc);
    EXPECT_EQ(SearchProgress.ItemsDone, 50);
    EXPECT_EQ(SearchProgress.SearchDisplayOn, 0);
    EXPECT_EQ(CandidateStore.Records, 0);
    EXPECT_EQ(VirtualHeapInUse(), 0u);
}

// ---- Play quality, without a time limit -----------------------------------------------------

// Plays every secret of the conditions against the computer's fixed answer; returns the trial
// counts.
std::vector<int> PlayEverySecret(TrialChoiceTest& test, char last, int length, bool repetitions);

TEST_F(TrialChoiceTest, FourOverSixWithRepetitionsIsSolvedWithinFiveTrials) {
    std::vector<int> trials = PlayEverySecret(*this, 'f', 4, true);
    ASSERT_EQ(trials.size(), 1296u);
    int total = 0;
    for (int t : trials) total += t;
    EXPECT_LE(*std::max_element(trials.begin(), trials.end()), 5);
    EXPECT_LE(total / 1296.0, 4.48);
}

TEST_F(TrialChoiceTest, FourOverSixWithoutRepetitionsIsSolvedWithinFiveTrials) {
    std::vector<int> trials = PlayEverySecret(*this, 'f', 4, false);
    ASSERT_EQ(trials.size(), 360u);
    EXPECT_LE(*std::max_element(trials.begin(), trials.end()), 5);
}

}  // namespace

namespace {

std::vector<int> PlayEverySecret(TrialChoiceTest& test, char last, int length, bool repetitions) {
    std::vector<int> counts;
    const std::vector<std::string> secrets = [&] {
        test.Conditions('a', last, length, repetitions, true, true);
        std::vector<std::string> all;
        if (!test.Build()) return all;
        all = CandidateCodes();
        ReleaseCandidateStore(true);
        return all;
    }();
    uint64_t seed = 1;
    for (const std::string& secret : secrets) {
        test.Conditions('a', last, length, repetitions, true, true);
        SeedRandom(++seed);
        SecretCode = MakeCode(secret.c_str());
        if (!test.Build()) return {};
        int n = 1;
        for (;; ++n) {
            if (test.Trial() != 0 || n > 12) return {};
            if (test.Row().P == length) break;
            test.NextPlace();
        }
        counts.push_back(n);
    }
    return counts;
}

}  // namespace
