// Signs, the range tables, scoring and the drawing of secrets.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "match/code.h"
#include "shell/console/console.h"
#include "support/virtual_session.h"

namespace {

void UseRange(char first, char last) {
    BuildSignTables(first);
    SignCount = SignIndex[static_cast<uint8_t>(last)];
}

Score ScoreOf(const char* trial, const char* secret) {
    return ScoreTrial(MakeCode(trial), MakeCode(secret), static_cast<int>(std::strlen(trial)));
}

class CodeTest : public VirtualSession {};

TEST_F(CodeTest, RangesFollowTheRingFromTheFirstSign) {
    UseRange('a', 'f');
    EXPECT_EQ(SignCount, 6);
    EXPECT_EQ(IndexSign[0], '*');
    EXPECT_EQ(std::string(IndexSign + 1, 6), "abcdef");

    UseRange('0', 'b');
    EXPECT_EQ(SignCount, 12);
    EXPECT_EQ(SignIndex[static_cast<uint8_t>('a')], 11);
    EXPECT_EQ(std::string(IndexSign + 1, 12), "0123456789ab");

    UseRange('w', 'c');
    EXPECT_EQ(SignCount, 17);
    EXPECT_EQ(std::string(IndexSign + 1, 17), "wxyz0123456789abc");
    // Signs outside the range still have an index, beyond the count.
    EXPECT_EQ(SignIndex[static_cast<uint8_t>('d')], 18);
    EXPECT_EQ(SignIndex[static_cast<uint8_t>('v')], 36);

    // The largest range ends with the sign before the first.
    UseRange('k', 'j');
    EXPECT_EQ(SignCount, 36);
    std::set<char> all(IndexSign + 1, IndexSign + 37);
    EXPECT_EQ(all.size(), 36u);
}

TEST_F(CodeTest, CharactersFromColonToGraveAccentAreNoSigns) {
    UseRange('a', 'z');
    for (int c = ':'; c <= '`'; ++c) EXPECT_EQ(SignIndex[c], NoSignIndex) << char(c);
    EXPECT_EQ(SignIndex[static_cast<uint8_t>('A')], NoSignIndex);
    EXPECT_FALSE(IsSignCharacter('A'));
    EXPECT_FALSE(IsSignCharacter('*'));
    EXPECT_TRUE(IsSignCharacter('0'));
}

TEST_F(CodeTest, ScoringCountsPlacesThenCommonSigns) {
    UseRange('a', 'f');
    Score s = ScoreOf("aabb", "abca");
    EXPECT_EQ(s.P, 1);
    EXPECT_EQ(s.Z, 2);
    s = ScoreOf("a**a", "abca");
    EXPECT_EQ(s.P, 2);
    EXPECT_EQ(s.Z, 0);
    s = ScoreOf("eeee", "abcd");
    EXPECT_EQ(s.P + s.Z, 0);
    s = ScoreOf("aaaa", "abcd");  // a repeated trial sign counts once
    EXPECT_EQ(s.P, 1);
    EXPECT_EQ(s.Z, 0);
    s = ScoreOf("dcda", "aabc");
    EXPECT_EQ(s.P, 0);
    EXPECT_EQ(s.Z, 2);
    s = ScoreOf("****", "abcd");  // the vacant sign never scores
    EXPECT_EQ(s.P + s.Z, 0);
    s = ScoreOf("dcba", "abcd");
    EXPECT_EQ(s.P, 0);
    EXPECT_EQ(s.Z, 4);
    s = ScoreOf("abcd", "abcd");
    EXPECT_EQ(s.P, 4);
    EXPECT_EQ(s.Z, 0);
}

TEST_F(CodeTest, ScoringWithPrecountedSecretAgreesOverAWrappedRange) {
    UseRange('x', 'c');
    SeedRandom(99);
    for (int round = 0; round < 500; ++round) {
        int length = 2 + static_cast<int>(Random(8));
        Code secret = MakeRandomSecret(length, SignCount, true);
        Code trial = MakeRandomSecret(length, SignCount, true);
        if (round % 3 == 0) trial[Random(static_cast<uint32_t>(length))] = VacantSign;
        SignCounts counts = CountSigns(secret, length);
        Score a = ScoreTrial(trial, secret, length);
        Score b = ScoreTrialCounted(trial, secret, counts, length);
        EXPECT_EQ(a.P, b.P);
        EXPECT_EQ(a.Z, b.Z);
        EXPECT_GE(a.Z, 0);
        EXPECT_LE(a.P + a.Z, length);
        // Scoring is symmetric when neither code holds a vacant sign.
        if (round % 3 != 0) {
            Score c = ScoreTrial(secret, trial, length);
            EXPECT_EQ(a.P, c.P);
            EXPECT_EQ(a.Z, c.Z);
        }
    }
}

TEST_F(CodeTest, RandomSecretsStayInTheRangeAndPadWithSpaces) {
    UseRange('y', 'b');  // y z 0..9 a b
    SeedRandom(7);
    for (int round = 0; round < 300; ++round) {
        int length = 2 + round % 8;
        bool repetitions = round % 2 == 0;
        Code secret = MakeRandomSecret(length, SignCount, repetitions);
        std::set<char> seen;
        for (int i = 0; i < length; ++i) {
            char c = secret[static_cast<size_t>(i)];
            ASSERT_TRUE(IsSignCharacter(c));
            ASSERT_LE(SignIndex[static_cast<uint8_t>(c)], SignCount);
            seen.insert(c);
        }
        if (!repetitions) {
            EXPECT_EQ(seen.size(), static_cast<size_t>(length));
        }
        for (int i = length; i < MaxCodeLength; ++i) EXPECT_EQ(secret[static_cast<size_t>(i)], ' ');
    }
}

TEST_F(CodeTest, WithoutRepetitionsAFullLengthSecretIsAPermutation) {
    UseRange('a', 'e');
    SeedRandom(3);
    std::set<std::string> seen;
    for (int round = 0; round < 2000; ++round) {
        Code secret = MakeRandomSecret(5, 5, false);
        std::string text(secret.begin(), secret.begin() + 5);
        std::string sorted = text;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, "abcde");
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 120u);  // every permutation turns up
}

TEST_F(CodeTest, RepetitionsAllowedDrawAboutHalfTheSecretsWithoutRepeats) {
    UseRange('a', 'd');
    SeedRandom(11);
    // Length 4 over 4 signs: independent drawing gives a repeat-free code with probability
    // 24/256, the repeat-free branch always; together about 55 %.
    int free = 0;
    const int rounds = 4000;
    for (int round = 0; round < rounds; ++round) {
        Code secret = MakeRandomSecret(4, 4, true);
        std::set<char> signs(secret.begin(), secret.begin() + 4);
        if (signs.size() == 4) ++free;
    }
    EXPECT_GT(free, rounds * 50 / 100);
    EXPECT_LT(free, rounds * 60 / 100);

    // Length 2 always draws both positions independently: repeats turn up at 1/4.
    int repeats = 0;
    for (int round = 0; round < rounds; ++round) {
        Code secret = MakeRandomSecret(2, 4, true);
        if (secret[0] == secret[1]) ++repeats;
    }
    EXPECT_GT(repeats, rounds * 20 / 100);
    EXPECT_LT(repeats, rounds * 30 / 100);
}

TEST_F(CodeTest, TheRandomSourceIsUniformAndRepeatable) {
    SeedRandom(42);
    std::vector<uint32_t> first;
    for (int i = 0; i < 20; ++i) first.push_back(Random(1000));
    SeedRandom(42);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(1000), first[static_cast<size_t>(i)]);
    EXPECT_EQ(Random(0), 0u);
    EXPECT_EQ(Random(1), 0u);
    std::map<uint32_t, int> counts;
    for (int i = 0; i < 60000; ++i) ++counts[Random(6)];
    ASSERT_EQ(counts.size(), 6u);
    for (auto [value, count] : counts) {
        EXPECT_LT(value, 6u);
        EXPECT_NEAR(count, 10000, 500);
    }
}

}  // namespace
