// The opening book: its table, the random orders it is laid out with, the first trial of a
// match, the next opening after a 0/0 answer, and the pattern shown on the match board.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "breaker/candidate_store.h"
#include "breaker/engine_state.h"
#include "breaker/opening_book.h"
#include "breaker/sign_tables.h"
#include "calendar/clock_text.h"
#include "match/board.h"
#include "shell/language.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

class OpeningBookTest : public VirtualSession {
protected:
    void SetUp() override {
        VirtualSession::SetUp();
        VirtualQueueKeyAfter('x', int64_t(1) << 40);  // the input stays open, no key waits
        MatchBoard = MatchBoardRecord{};
        ProcessorLineGerman = "| Vorhandene CPU >= 80386 + 80387.    ";
        ProcessorLineEnglish = "| Available CPU >= 80386 + 80387.     ";
    }
    void TearDown() override {
        ReleaseCandidateStore(true);
        VirtualSession::TearDown();
    }
    static void Conditions(char first, char last, int length, bool repetitions, bool vacant) {
        Settings.FirstSign = first;
        Settings.LastSign = last;
        Settings.CodeLength = static_cast<uint8_t>(length);
        Settings.RepetitionsAllowed = repetitions;
        Settings.VacantAllowed = vacant;
        UserVacantAllowed = vacant;
        BuildSignTablesFromSettings();
    }
    static std::string Pattern(int length, int n, bool repetitions, bool filler = false) {
        const char* pattern = OpeningPattern(length, n, repetitions, filler);
        return pattern == nullptr ? "(random)" : pattern;
    }
    // The shape of the prepared trial: how often each sign index occurs, largest first.
    static std::vector<int> Shape(int length) {
        std::map<uint8_t, int> counts;
        for (int k = 0; k < length; ++k) ++counts[FixedTrialRecord.Signs[k]];
        std::vector<int> shape;
        for (const auto& [sign, count] : counts) shape.push_back(count);
        std::sort(shape.rbegin(), shape.rend());
        return shape;
    }
    static void ExpectCountsMatchSigns(int length) {
        uint8_t counts[RingSize + 1] = {};
        for (int k = 0; k < length; ++k) ++counts[FixedTrialRecord.Signs[k]];
        for (int s = 0; s <= RingSize; ++s) ASSERT_EQ(FixedTrialRecord.Counts[s], counts[s]) << s;
    }
};

TEST_F(OpeningBookTest, TheBookHasOnePatternForEveryCaseAndItsLettersHaveSigns) {
    for (int length = 2; length <= 9; ++length) {
        for (bool repetitions : {false, true}) {
            for (int n = 2; n <= 36; ++n) {
                SCOPED_TRACE("L " + std::to_string(length) + " n " + std::to_string(n) +
                             (repetitions ? " with" : " without"));
                EXPECT_EQ(OpeningBookListings(length, repetitions, n), 1);
                const char* pattern = OpeningPattern(length, n, repetitions, false);
                if (length == 2 && n == 2 && repetitions) {
                    EXPECT_EQ(pattern, nullptr);
                    continue;
                }
                ASSERT_NE(pattern, nullptr);
                const std::string text = pattern;
                ASSERT_EQ(text.size(), static_cast<size_t>(length));
                // Letters from a on, each new letter the next one: at most n distinct.
                char highest = 'a' - 1;
                for (char c : text) {
                    ASSERT_TRUE(c >= 'a' && c <= highest + 1) << text;
                    highest = std::max(highest, c);
                }
                EXPECT_LE(highest - 'a' + 1, n) << text;
                // The filler variant only for two signs, and only at the last place.
                const std::string filled = Pattern(length, n, repetitions, true);
                if (n != 2 || length <= 3) {
                    EXPECT_EQ(filled, text);
                } else {
                    EXPECT_EQ(std::count(filled.begin(), filled.end(), '_'), 1) << filled;
                    EXPECT_EQ(filled.back(), '_') << filled;
                    const char* const variants[10] = {"",         "",         "",       "",
                                                      "aaa_",     "aaab_",    "aaaab_", "aaaaab_",
                                                      "aaaaaab_", "aaaaaaab_"};
                    EXPECT_EQ(filled, variants[length]);
                }
            }
        }
    }
}

TEST_F(OpeningBookTest, BookRowsEntryByEntry) {
    struct Run {
        int From, To;
        const char* Pattern;
    };
    struct Row {
        int Length;
        bool Repetitions;
        std::vector<Run> Runs;
    };
    const Row rows[] = {
        {4,
         false,
         {{2, 2, "aabb"},
          {3, 3, "aaab"},
          {4, 5, "aabb"},
          {6, 6, "abcd"},
          {7, 8, "aabc"},
          {9, 12, "abcd"},
          {13, 17, "aabc"},
          {18, 18, "abcd"},
          {19, 19, "aabc"},
          {20, 36, "abcd"}}},
        {4,
         true,
         {{2, 2, "aabb"},
          {3, 3, "aaab"},
          {4, 5, "aabc"},
          {6, 9, "aabb"},
          {10, 11, "abcd"},
          {12, 16, "aabc"},
          {17, 36, "abcd"}}},
        {6, false, {{2, 2, "aaaaab"},   {3, 3, "aaaabc"},   {4, 4, "aaabbc"},   {5, 5, "aabbcc"},
                    {6, 6, "abcdef"},   {7, 7, "aabbcc"},   {8, 8, "aaabbb"},   {9, 9, "aaabcd"},
                    {10, 10, "abcdef"}, {11, 12, "aabcde"}, {13, 13, "abcdef"}, {14, 14, "aabcde"},
                    {15, 15, "abcdef"}, {16, 18, "aabcde"}, {19, 24, "abcdef"}, {25, 26, "aabbcc"},
                    {27, 27, "abcdef"}, {28, 29, "aabbcc"}, {30, 30, "aabbcd"}, {31, 31, "aabcde"},
                    {32, 34, "aabbcd"}, {35, 36, "aabcde"}}},
        {9,
         true,
         {{2, 2, "aaaaaaabb"},
          {3, 3, "aaaaaabbc"},
          {4, 4, "aaaaabbcd"},
          {5, 5, "aaaabbbbc"},
          {6, 7, "aaabbbccc"},
          {8, 8, "aaabbccde"},
          {9, 9, "aaabbbccd"},
          {10, 12, "aaabbccdd"},
          {13, 15, "aabbccdde"},
          {16, 17, "aabbccdef"},
          {18, 18, "abcdefghi"},
          {19, 20, "aabbcdefg"},
          {21, 23, "aabcdefgh"},
          {24, 28, "abcdefghi"},
          {29, 31, "aabbcdefg"},
          {32, 36, "aabcdefgh"}}},
    };
    for (const Row& row : rows) {
        int expectedN = 2;
        for (const Run& run : row.Runs) {
            ASSERT_EQ(run.From, expectedN);
            for (int n = run.From; n <= run.To; ++n)
                EXPECT_EQ(Pattern(row.Length, n, row.Repetitions), run.Pattern)
                    << "L " << row.Length << " n " << n;
            expectedN = run.To + 1;
        }
        EXPECT_EQ(expectedN, 37);
    }
    // Places in the other rows where the pattern changes.
    struct Spot {
        int Length;
        bool Repetitions;
        int N;
        const char* Pattern;
    };
    const Spot spots[] = {
        {2, false, 2, "ab"},         {2, true, 3, "ab"},          {3, false, 4, "aab"},
        {3, false, 5, "abc"},        {3, false, 11, "aab"},       {3, false, 12, "abc"},
        {3, true, 3, "aab"},         {3, true, 4, "abc"},         {3, true, 8, "aab"},
        {3, true, 9, "abc"},         {5, false, 5, "abcde"},      {5, false, 6, "aaabc"},
        {5, false, 7, "aaabb"},      {5, false, 9, "aabbc"},      {5, false, 29, "aabcd"},
        {5, false, 30, "abcde"},     {5, true, 5, "aabbc"},       {5, true, 11, "aaabb"},
        {5, true, 17, "aabbc"},      {5, true, 26, "aabcd"},      {5, true, 27, "abcde"},
        {6, true, 6, "aaabbc"},      {6, true, 22, "aabbcc"},     {6, true, 27, "abcdef"},
        {6, true, 31, "aabcde"},     {6, true, 33, "aabbcd"},     {7, false, 7, "abcdefg"},
        {7, false, 12, "aaaabbc"},   {7, false, 13, "aaabcde"},   {7, false, 24, "aabcdef"},
        {7, false, 25, "abcdefg"},   {7, true, 7, "aaabbbc"},     {7, true, 8, "aaabbcc"},
        {7, true, 35, "aabbcde"},    {7, true, 36, "abcdefg"},    {8, false, 10, "aaaabbbc"},
        {8, false, 12, "aaaabbcd"},  {8, false, 27, "aaabcdef"},  {8, false, 28, "abcdefgh"},
        {8, false, 32, "aabcdefg"},  {8, true, 12, "aabbccde"},   {8, true, 18, "aabbccde"},
        {8, true, 24, "aabbcdef"},   {8, true, 28, "aabcdefg"},   {9, false, 9, "abcdefghi"},
        {9, false, 15, "aaaabcdef"}, {9, false, 16, "aaaaabcde"}, {9, false, 35, "aaabcdefg"},
        {9, false, 36, "abcdefghi"},
    };
    for (const Spot& spot : spots)
        EXPECT_EQ(Pattern(spot.Length, spot.N, spot.Repetitions), spot.Pattern)
            << "L " << spot.Length << " n " << spot.N;
    const char* const twoSigns[10] = {"",      "",       "",        "",         "aabb",
                                      "aaaab", "aaaaab", "aaaaaab", "aaaaaabb", "aaaaaaabb"};
    for (int length = 4; length <= 9; ++length)
        for (bool repetitions : {false, true})
            EXPECT_EQ(Pattern(length, 2, repetitions), twoSigns[length]) << length;
}

TEST_F(OpeningBookTest, DrawPermutationTakesTheDrawnEntryOfThoseLeft) {
    const uint8_t list[5] = {10, 20, 30, 40, 50};
    for (uint64_t seed : {3u, 8u, 21u}) {
        SeedRandom(seed);
        uint8_t order[5];
        DrawPermutation(list, 5, order);
        SeedRandom(seed);
        std::vector<uint8_t> left(list, list + 5);
        for (int f = 1; f <= 5; ++f) {
            const uint32_t r = Random(static_cast<uint32_t>(5 + 1 - f));
            EXPECT_EQ(order[f - 1], left[r]);
            left.erase(left.begin() + r);
        }
    }
    // Every order of three turns up.
    std::set<std::vector<uint8_t>> seen;
    for (int i = 0; i < 200; ++i) {
        uint8_t order[3];
        DrawPermutation(list, 3, order);
        seen.insert(std::vector<uint8_t>(order, order + 3));
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST_F(OpeningBookTest, ThePatternIsLaidOutOverPositionAndSignOrders) {
    // L = 5, aaabc (three signs without repetitions), PosOrder (4, 1, 5, 2, 3) and the signs
    // x, y, z: positions 4, 1 and 5 get x, position 2 y, position 3 z: x y z x x.
    Conditions('a', 'z', 5, false, false);
    const uint8_t positions[6] = {0, 4, 1, 5, 2, 3};
    std::copy(positions, positions + 6, PosOrder);
    SignOrder[0] = 0;
    SignOrder[1] = SignIndex[static_cast<uint8_t>('x')];
    SignOrder[2] = SignIndex[static_cast<uint8_t>('y')];
    SignOrder[3] = SignIndex[static_cast<uint8_t>('z')];
    BuildOpeningTrial(5, 3, false, true, false);
    std::string trial;
    for (int k = 0; k < 5; ++k) trial.push_back(IndexSign[FixedTrialRecord.Signs[k]]);
    EXPECT_EQ(trial, "xyzxx");
    EXPECT_EQ(FixedTrialRecord.Counts[SignIndex[static_cast<uint8_t>('x')]], 3);
    ExpectCountsMatchSigns(5);
    // Shown at trial 1's place, the cursor back at its start.
    EXPECT_TRUE(ScreenHas(CodeStartX(1), 9, "xyzxx"));
    EXPECT_EQ(WhereX(), CodeStartX(1));
    EXPECT_EQ(WhereY(), 9);
    // Elsewhere on the board when the current trial stands elsewhere.
    MatchBoard.Column = 2;
    MatchBoard.Row = 3;
    BuildOpeningTrial(5, 3, false, true, false);
    EXPECT_TRUE(ScreenHas(CodeStartX(2), 11, "xyzxx"));
    EXPECT_EQ(WhereX(), CodeStartX(2));
    EXPECT_EQ(WhereY(), 11);
    // Without show nothing is written.
    ClearScreen();
    BuildOpeningTrial(5, 3, false, false, false);
    EXPECT_TRUE(ScreenHas(CodeStartX(2), 11, "     "));
}

TEST_F(OpeningBookTest, FirstTrialOfFourOverSixWithoutRepetitionsHasFourSigns) {
    Conditions('a', 'f', 4, false, false);
    for (int match = 0; match < 5; ++match) {
        ASSERT_TRUE(BuildCandidateStore());
        EXPECT_EQ(Shape(4), (std::vector<int>{1, 1, 1, 1}));
        ExpectCountsMatchSigns(4);
        for (int k = 0; k < 4; ++k) {
            EXPECT_GE(FixedTrialRecord.Signs[k], 1);
            EXPECT_LE(FixedTrialRecord.Signs[k], 6);
        }
    }
}

TEST_F(OpeningBookTest, FirstTrialOverTwoSignsWithTheVacantSignHasOneVacantPlace) {
    Conditions('a', 'b', 4, true, true);
    std::set<int> vacantPlaces;
    for (int match = 0; match < 30; ++match) {
        ASSERT_TRUE(BuildCandidateStore());
        EXPECT_EQ(Shape(4), (std::vector<int>{3, 1}));
        EXPECT_EQ(FixedTrialRecord.Counts[0], 1);
        ExpectCountsMatchSigns(4);
        const std::string shown = RowText(9, CodeStartX(1), 4);
        EXPECT_EQ(std::count(shown.begin(), shown.end(), '*'), 1) << shown;
        vacantPlaces.insert(static_cast<int>(shown.find('*')));
    }
    EXPECT_EQ(vacantPlaces.size(), 4u);  // at a random place
    // Without the vacant sign in play the plain pattern aabb is played.
    Conditions('a', 'b', 4, true, false);
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(Shape(4), (std::vector<int>{2, 2}));
    EXPECT_EQ(FixedTrialRecord.Counts[0], 0);
}

TEST_F(OpeningBookTest, TwoSignsOfLengthTwoOpenWithAaOrAbAboutEqually) {
    Conditions('a', 'b', 2, true, false);
    int same = 0;
    const int matches = 400;
    for (int match = 0; match < matches; ++match) {
        ASSERT_TRUE(BuildCandidateStore());
        if (FixedTrialRecord.Signs[0] == FixedTrialRecord.Signs[1]) ++same;
    }
    EXPECT_GT(same, 150);
    EXPECT_LT(same, 250);
    // Without repetitions always ab.
    Conditions('a', 'b', 2, false, false);
    for (int match = 0; match < 20; ++match) {
        ASSERT_TRUE(BuildCandidateStore());
        EXPECT_NE(FixedTrialRecord.Signs[0], FixedTrialRecord.Signs[1]);
    }
}

TEST_F(OpeningBookTest, ThreeOverAllSignsOpensWithThreeDifferentSigns) {
    Conditions('a', '9', 3, true, false);
    ASSERT_EQ(SignCount, 36);
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(Shape(3), (std::vector<int>{1, 1, 1}));
}

TEST_F(OpeningBookTest, AfterZeroZeroTheNextOpeningUsesTheLiveSignsAndTheFiller) {
    // L = 4 over a..e with repetitions: the first trial aabc. Answered 0/0, its three signs
    // are dead; two live signs leave 16 candidates, and the next opening is aaa_ with the
    // lowest dead sign as the filler.
    Conditions('a', 'e', 4, true, false);
    ASSERT_TRUE(BuildCandidateStore());
    EXPECT_EQ(Shape(4), (std::vector<int>{2, 1, 1}));
    std::set<uint8_t> tried(FixedTrialRecord.Signs, FixedTrialRecord.Signs + 4);
    ResetEngineState(5, false);
    for (uint8_t sign : tried) SignAlive[sign] = 0;
    FillerSign = *tried.begin();
    int32_t left = 0;
    const CandidateStoreRecord& s = CandidateStore;
    for (int32_t i = 0; i < s.CandidateCount; ++i) {
        bool alive = true;
        for (int k = 0; k < 4; ++k) alive = alive && SignAlive[s.CandidatePositions[k][i]];
        left += alive;
    }
    EXPECT_EQ(left, 16);

    std::set<int> fillerPlaces;
    for (int draw = 0; draw < 40; ++draw) {
        PrepareNextOpening();
        EXPECT_EQ(Shape(4), (std::vector<int>{3, 1}));
        ExpectCountsMatchSigns(4);
        EXPECT_EQ(FixedTrialRecord.Counts[FillerSign], 1);
        for (int k = 0; k < 4; ++k) {
            const uint8_t sign = FixedTrialRecord.Signs[k];
            if (sign == FillerSign) {
                fillerPlaces.insert(k);
            } else {
                EXPECT_EQ(SignAlive[sign], 1) << int(sign);
            }
        }
    }
    EXPECT_EQ(fillerPlaces.size(), 4u);
}

TEST_F(OpeningBookTest, TheNextOpeningIsDrawnOverTheLiveSignsOnly) {
    Conditions('a', 'j', 5, false, false);
    ResetSignAlive(10);
    for (int s : {1, 3, 4, 6, 8, 9, 10}) SignAlive[s] = 0;  // b, e and g stay
    FillerSign = 1;
    std::set<uint8_t> used;
    for (int draw = 0; draw < 40; ++draw) {
        PrepareNextOpening();  // three signs without repetitions: aaabc
        EXPECT_EQ(Shape(5), (std::vector<int>{3, 1, 1}));
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(SignAlive[FixedTrialRecord.Signs[k]], 1);
            used.insert(FixedTrialRecord.Signs[k]);
        }
    }
    EXPECT_EQ(used, (std::set<uint8_t>{2, 5, 7}));
}

TEST_F(OpeningBookTest, TheBoardShowsThePatternInTheSignsOfTheRange) {
    struct Case {
        char First, Last;
        int Length;
        bool Repetitions, Vacant;
        const char* Field;
    };
    const Case cases[] = {
        {'a', 'f', 4, true, false, "     (aabb) "},
        {'a', 'b', 4, true, true, "     (aaa*) "},
        {'a', 'b', 4, true, false, "     (aabb) "},
        {'a', 'b', 2, true, false, "            "},
        {'a', 'b', 2, false, false, "       (ab) "},
        {'a', 'b', 3, true, true, "      (aab) "},  // no filler variant for three places
        {'0', '9', 4, false, false, "     (0123) "},
        {'w', 'c', 6, true, false, "   (wxyz01) "},  // 17 signs: abcdef
        {'w', 'g', 6, true, false, "   (wwxxyy) "},  // 21 signs: aabbcc
        {'a', 'i', 9, false, false, "(abcdefghi) "},
        {'a', 'j', 9, false, false, "(aaaabbcde) "},
        {'a', 'b', 9, true, true, "(aaaaaaab*) "},
    };
    for (const Case& c : cases) {
        Conditions(c.First, c.Last, c.Length, c.Repetitions, c.Vacant);
        for (LanguageKind language : {LanguageKind::German, LanguageKind::English}) {
            Language = language;
            ClockState.German = language == LanguageKind::German;
            DrawMatchBoard(0);
            EXPECT_TRUE(ScreenHas(32, 5, c.Field)) << c.First << c.Last << " L " << c.Length;
            EXPECT_EQ(CellChar(44, 5), '|');
        }
    }
}

}  // namespace
