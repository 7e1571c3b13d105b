// The capacity limits by memory level, the capacity check and the trial bounds.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "breaker/candidate_store.h"
#include "setup_fixture.h"

namespace {

using CapacityTest = SetupTest;

// The largest sign count per code length 2..9 for each memory level, as the game documents it.
const int kMaxSignsTable[9][8] = {
    {},
    {36, 24, 12, 7, 5, 4, 3, 3},     // 1 MiB
    {36, 36, 18, 11, 7, 5, 4, 3},    // 8 MiB
    {36, 36, 30, 15, 10, 7, 5, 4},   // 64 MiB
    {36, 36, 34, 17, 11, 8, 6, 5},   // 128 MiB
    {36, 36, 36, 20, 13, 9, 6, 5},   // 256 MiB
    {36, 36, 36, 23, 14, 10, 7, 6},  // 512 MiB
    {36, 36, 36, 27, 15, 11, 8, 6},  // 1 GiB
    {36, 36, 36, 31, 17, 12, 8, 7},  // 2 GiB
};

TEST_F(CapacityTest, BudgetsAndLabelsOfTheLevels) {
    const int32_t budgets[9] = {0,         673280,    5386240,   43089920,  86179840,
                                172359680, 344719360, 689438720, 1374199248};
    const char* labels[9] = {"",        "  1 MiB", "  8 MiB", " 64 MiB", "128 MiB",
                             "256 MiB", "512 MiB", "  1 GiB", "  2 GiB"};
    for (int level = 1; level <= 8; ++level) {
        EXPECT_EQ(BudgetForLevel(level), budgets[level]) << level;
        EXPECT_STREQ(MemoryLabel(level), labels[level]) << level;
    }
    EXPECT_EQ(BudgetForLevel(0), budgets[4]);
    EXPECT_EQ(BudgetForLevel(9), budgets[4]);
}

TEST_F(CapacityTest, MaxSignsOfEveryLevelAndLength) {
    for (int level = 1; level <= 8; ++level) {
        UseLevel(level);
        EXPECT_EQ(BudgetChanged, 1) << level;
        EXPECT_EQ(AppliedBudget, BudgetForLevel(level));
        EXPECT_EQ(UsableBudget % 16, 0);
        EXPECT_LE(UsableBudget, AppliedBudget);
        for (int length = 2; length <= 9; ++length) {
            EXPECT_EQ(MaxSigns[length], kMaxSignsTable[level][length - 2])
                << "level " << level << ", length " << length;
            // Without display the check remembers the table as shown.
            EXPECT_EQ(ShownMaxSigns[length], MaxSigns[length]);
        }
    }
}

TEST_F(CapacityTest, TheTableIsOnlyRecomputedWhenTheBudgetChanges) {
    UseLevel(1);
    Recheck();
    EXPECT_EQ(BudgetChanged, 0);
    EXPECT_EQ(MaxSigns[4], 12);
    // A release without a budget change leaves the table; twice is harmless.
    ReleaseCandidateStore(true);
    ReleaseCandidateStore(true);
    EXPECT_EQ(BudgetChanged, 0);
    EXPECT_EQ(MaxSigns[4], 12);
    MemoryBudget = BudgetForLevel(8);
    ReleaseCandidateStore(false);
    EXPECT_EQ(BudgetChanged, 1);
    EXPECT_EQ(AppliedBudget, BudgetForLevel(8));
    EXPECT_EQ(MaxSigns[4], 36);
    EXPECT_EQ(MaxSigns[9], 7);
}

TEST_F(CapacityTest, RowEightText) {
    UseLevel(1);
    EXPECT_EQ(MaxSignsText(MaxSigns), "36   24   12    7    5    4    3    3");
    uint8_t table[10] = {0, 0, 0, 1, 2, 9, 10, 35, 36, 5};
    EXPECT_EQ(MaxSignsText(table), " -    -    2    9   10   35   36    5");
}

TEST_F(CapacityTest, LevelOneWithThirteenSignsOfLengthFourSwitchesTheComputerGuesserOff) {
    Settings.FirstSign = 'a';
    Settings.LastSign = 'm';  // 13 signs
    Settings.ComputerGuesses = 1;
    Settings.ComputerEncodes = 0;
    SetName(Settings.BreakerName, "Bert");
    UseLevel(1);
    // The load already switched the computer off: set it again on the drawn screen.
    Settings.ComputerGuesses = 1;
    ConditionsScreen();
    EXPECT_TRUE(ScreenHas(35, 8, "36   24   12    7"));
    GotoXY(74, 20);
    CapacityCheck(13, 4, false, false, true, false);
    EXPECT_EQ(CanGuess, 0);
    EXPECT_EQ(CanVary, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_EQ(RecordSize, 32);
    EXPECT_EQ(CodeTotal, 13 * 13 * 13 * 13);
    EXPECT_TRUE(ScreenHas(57, 13, "Nein."));
    EXPECT_TRUE(ScreenHas(38, 24, "Bert                           "));
    EXPECT_EQ(WhereX(), 74);  // the cursor is put back
    EXPECT_EQ(WhereY(), 20);
    // Twelve signs fit.
    Settings.ComputerGuesses = 1;
    CapacityCheck(12, 4, false, false, true, false);
    EXPECT_EQ(CanGuess, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 1);
}

TEST_F(CapacityTest, LengthNineOverEightSignsIsTooSlowEvenAtTheTopLevel) {
    UseLevel(8);
    EXPECT_EQ(MaxSigns[9], 7);
    CapacityCheck(8, 9, false, false, false, false);
    EXPECT_EQ(CanGuess, 0);
    EXPECT_EQ(CanVary, 1);
    CapacityCheck(7, 9, true, false, false, false);
    EXPECT_EQ(CanGuess, 1);
    EXPECT_EQ(CodeTotal, 40353607);
    UseLevel(4);
    EXPECT_EQ(MaxSigns[9], 5);
}

TEST_F(CapacityTest, LengthSixOverTwentySixSignsFixesTheAnswer) {
    Language = LanguageKind::English;
    Settings.CodeLength = 6;
    Settings.FirstSign = 'a';
    Settings.LastSign = 'z';
    OpenConditions();
    Settings.AnswerFixed = 0;
    Settings.ComputerGuesses = 1;
    CapacityCheck(26, 6, false, false, true, false);
    EXPECT_EQ(CanVary, 0);
    EXPECT_EQ(CanGuess, 0);
    EXPECT_EQ(Settings.AnswerFixed, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_TRUE(ScreenHas(30, 19, "Yes."));
    EXPECT_TRUE(ScreenHas(64, 13, "No. "));
    // Twenty signs fit the encoder's store at the top level.
    UseLevel(8);
    CapacityCheck(20, 6, false, false, false, false);
    EXPECT_EQ(CanVary, 1);
}

TEST_F(CapacityTest, ConditionsFromTheDialogEdgeCases) {
    // Code length 9 over a..l without repetitions: no not-fixed answer, no computer guesser.
    CapacityCheck(12, 9, false, false, false, false);
    EXPECT_EQ(CanVary, 0);
    EXPECT_EQ(CanGuess, 0);
    // Code length 6 over 19 signs: no computer guesser, whatever the budget.
    UseLevel(8);
    CapacityCheck(19, 6, false, false, false, false);
    EXPECT_EQ(CanVary, 1);
    EXPECT_EQ(CanGuess, 0);
    CapacityCheck(17, 6, false, false, false, false);
    EXPECT_EQ(CanGuess, 1);
}

TEST_F(CapacityTest, TheVacantSignCountsAsAThirdSignOverTwo) {
    CapacityCheck(2, 4, true, false, false, true);
    EXPECT_EQ(RecordSize, 32);
    EXPECT_EQ(CodeTotal, 80);
    EXPECT_EQ(EncoderRecordSize, 16);
    EXPECT_EQ(CanGuess, 1);
    // Only over two signs and from four positions on.
    CapacityCheck(2, 3, true, false, false, true);
    EXPECT_EQ(CodeTotal, 8);
    CapacityCheck(3, 4, true, false, false, true);
    EXPECT_EQ(CodeTotal, 81);
    CapacityCheck(2, 4, true, false, false, false);
    EXPECT_EQ(CodeTotal, 16);
    EXPECT_EQ(RecordSize, 32);  // 4 + 2 + 12 = 18, rounded up
    CapacityCheck(2, 2, true, false, false, false);
    EXPECT_EQ(RecordSize, 16);
}

TEST_F(CapacityTest, TheEncoderStoreMustFitTheBudget) {
    UseLevel(1);
    // 9^5 secrets of 16 bytes do not fit into 1 MiB: neither a not-fixed answer nor a guesser.
    Settings.AnswerFixed = 0;
    Settings.ComputerGuesses = 1;
    CapacityCheck(9, 5, true, false, false, false);
    EXPECT_EQ(SecretTotal, 59049);
    EXPECT_EQ(CanVary, 0);
    EXPECT_EQ(CanGuess, 0);
    EXPECT_EQ(Settings.AnswerFixed, 1);
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    // Without repetitions: 9 x 8 x 7 x 6 x 5 = 15120 secrets fit.
    CapacityCheck(9, 5, false, false, false, false);
    EXPECT_EQ(SecretTotal, 15120);
    EXPECT_EQ(CanVary, 1);
}

TEST_F(CapacityTest, ChangingTheLevelRewritesRowEight) {
    OpenConditions();
    EXPECT_TRUE(ScreenHas(35, 8, "36   36   34   17   11    8    6    5       |"));
    EXPECT_TRUE(ScreenHasIn(71, 2, "128 MiB", HighlightAttributeInUse));

    MemoryBudget = BudgetForLevel(1);
    GotoXY(30, 12);
    CapacityCheck(SignCount, 4, false, false, true, false);
    EXPECT_EQ(BudgetChanged, 1);  // the store release recomputed the table
    EXPECT_EQ(AppliedBudget, BudgetForLevel(1));
    EXPECT_TRUE(ScreenHas(35, 8, "36   24   12    7    5    4    3    3       |"));
    EXPECT_EQ(WhereX(), 30);
    EXPECT_EQ(WhereY(), 12);

    MemoryBudget = BudgetForLevel(4);
    CapacityCheck(SignCount, 4, false, false, true, false);
    EXPECT_TRUE(ScreenHas(35, 8, "36   36   34   17   11    8    6    5       |"));

    // An unchanged budget leaves the row alone.
    WriteAt(35, 8, "xx");
    CapacityCheck(SignCount, 4, false, false, true, false);
    EXPECT_EQ(BudgetChanged, 0);
    EXPECT_TRUE(ScreenHas(35, 8, "xx"));
    // So does a changed budget whose table equals the one shown.
    MemoryBudget = BudgetForLevel(4) + 16;
    CapacityCheck(SignCount, 4, false, false, true, false);
    EXPECT_EQ(BudgetChanged, 1);
    EXPECT_TRUE(ScreenHas(35, 8, "xx"));
}

// Every product the check forms stays within 32 bits: the totals it keeps are the exact counts,
// and the products of the totals with their record sizes are below 2^31.
TEST_F(CapacityTest, NoProductLeavesThirtyTwoBits) {
    int64_t largest = 0;
    int formed = 0;
    for (int level : {1, 8}) {
        UseLevel(level);
        for (int n = 2; n <= 36; ++n)
            for (int length = 2; length <= 9; ++length)
                for (bool repetitions : {false, true})
                    for (bool vacant : {false, true}) {
                        SecretTotal = -1;
                        CodeTotal = -1;
                        CapacityCheck(n, length, repetitions, false, false, vacant);
                        int m = vacant && n == 2 && length > 3 ? 3 : n;
                        if (SecretTotal != -1) {
                            int64_t exact = 1;
                            for (int i = 0; i < length; ++i) exact *= repetitions ? n : n - i;
                            EXPECT_EQ(SecretTotal, exact) << n << " " << length;
                            int64_t product = exact * EncoderRecordSize;
                            EXPECT_LT(product, int64_t{1} << 31) << n << " " << length;
                            largest = std::max(largest, product);
                            ++formed;
                        }
                        if (CodeTotal != -1) {
                            int64_t exact = 1;
                            for (int i = 0; i < length; ++i) exact *= m;
                            if (m != n) exact -= 1;
                            EXPECT_EQ(CodeTotal, exact) << n << " " << length;
                            int64_t product = exact * RecordSize;
                            EXPECT_LT(product, int64_t{1} << 31) << n << " " << length;
                            largest = std::max(largest, product);
                            ++formed;
                        }
                    }
    }
    // The sweep reached the products near the limit.
    EXPECT_GT(formed, 1000);
    EXPECT_GT(largest, int64_t{2000000000});
}

TEST_F(CapacityTest, TheSettingsLoadRepairsWhatTheComputerCannotDo) {
    SettingsRecord record = Settings;
    record.CodeLength = 6;
    record.FirstSign = 'a';
    record.LastSign = '9';  // 36 signs
    record.ComputerGuesses = 1;
    record.AnswerFixed = 0;
    record.MemoryLevel = 8;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    WriteSettingsFile(std::vector<uint8_t>(bytes, bytes + sizeof record));
    AppliedBudget = -5;
    LoadSettings();
    EXPECT_EQ(Settings.ComputerGuesses, 0);
    EXPECT_EQ(Settings.AnswerFixed, 1);
    EXPECT_EQ(MemoryBudget, BudgetForLevel(8));
    EXPECT_EQ(MaxSigns[6], 17);
}

TEST(TrialBound, SamplesOfEveryLength) {
    // The three documented cases.
    EXPECT_EQ(TrialBound(4, 6, false, false), 5);
    EXPECT_EQ(TrialBound(4, 10, true, false), 7);
    EXPECT_EQ(TrialBound(9, 11, true, false), 0);
    EXPECT_EQ(TrialBound(9, 11, false, true), 0);
    // One sign.
    EXPECT_EQ(TrialBound(5, 1, true, false), 1);
    // Length 2: (N + 4) div 2 with repetitions, (N + 3) div 2 without.
    EXPECT_EQ(TrialBound(2, 2, true, false), 3);
    EXPECT_EQ(TrialBound(2, 2, false, false), 2);
    EXPECT_EQ(TrialBound(2, 36, true, false), 20);
    EXPECT_EQ(TrialBound(2, 35, false, false), 19);
    // Length 3.
    EXPECT_EQ(TrialBound(3, 2, false, true), 3);
    EXPECT_EQ(TrialBound(3, 4, true, false), 4);
    EXPECT_EQ(TrialBound(3, 5, true, false), 5);
    EXPECT_EQ(TrialBound(3, 5, false, false), 4);
    EXPECT_EQ(TrialBound(3, 6, true, false), 5);
    EXPECT_EQ(TrialBound(3, 8, false, false), 6);
    EXPECT_EQ(TrialBound(3, 36, true, false), 15);
    // Length 4.
    EXPECT_EQ(TrialBound(4, 2, true, true), 3);
    EXPECT_EQ(TrialBound(4, 2, true, false), 4);
    EXPECT_EQ(TrialBound(4, 5, true, false), 5);
    EXPECT_EQ(TrialBound(4, 5, false, false), 4);
    EXPECT_EQ(TrialBound(4, 7, true, false), 6);
    EXPECT_EQ(TrialBound(4, 7, false, false), 5);
    EXPECT_EQ(TrialBound(4, 9, false, false), 6);
    EXPECT_EQ(TrialBound(4, 11, false, false), 7);
    EXPECT_EQ(TrialBound(4, 12, true, false), 8);
    EXPECT_EQ(TrialBound(4, 36, false, false), 14);
    // Length 5.
    EXPECT_EQ(TrialBound(5, 2, false, true), 3);
    EXPECT_EQ(TrialBound(5, 2, false, false), 5);
    EXPECT_EQ(TrialBound(5, 3, true, false), 4);
    EXPECT_EQ(TrialBound(5, 8, true, false), 7);
    EXPECT_EQ(TrialBound(5, 8, false, false), 6);
    EXPECT_EQ(TrialBound(5, 12, true, false), 9);
    EXPECT_EQ(TrialBound(5, 15, false, false), 9);
    EXPECT_EQ(TrialBound(5, 19, false, false), 10);
    EXPECT_EQ(TrialBound(5, 23, true, false), 12);
    EXPECT_EQ(TrialBound(5, 23, false, false), 11);
    EXPECT_EQ(TrialBound(5, 24, true, false), 12);
    EXPECT_EQ(TrialBound(5, 36, false, false), 14);
    // Length 6.
    EXPECT_EQ(TrialBound(6, 2, true, true), 4);
    EXPECT_EQ(TrialBound(6, 2, true, false), 5);
    EXPECT_EQ(TrialBound(6, 8, false, false), 7);
    EXPECT_EQ(TrialBound(6, 14, true, false), 10);
    EXPECT_EQ(TrialBound(6, 23, false, false), 12);
    EXPECT_EQ(TrialBound(6, 26, true, false), 13);
    EXPECT_EQ(TrialBound(6, 30, true, false), 14);
    EXPECT_EQ(TrialBound(6, 31, true, false), 15);
    EXPECT_EQ(TrialBound(6, 36, false, false), 16);
    // Length 7.
    EXPECT_EQ(TrialBound(7, 2, true, true), 4);
    EXPECT_EQ(TrialBound(7, 2, true, false), 6);
    EXPECT_EQ(TrialBound(7, 9, false, false), 8);
    EXPECT_EQ(TrialBound(7, 15, false, false), 10);
    EXPECT_EQ(TrialBound(7, 21, true, false), 13);
    EXPECT_EQ(TrialBound(7, 21, false, false), 12);
    EXPECT_EQ(TrialBound(7, 22, true, false), 0);
    // Length 8.
    EXPECT_EQ(TrialBound(8, 2, true, true), 5);
    EXPECT_EQ(TrialBound(8, 2, true, false), 6);
    EXPECT_EQ(TrialBound(8, 12, true, false), 11);
    EXPECT_EQ(TrialBound(8, 12, false, false), 10);
    EXPECT_EQ(TrialBound(8, 14, true, false), 11);
    EXPECT_EQ(TrialBound(8, 15, true, false), 0);
    // Length 9.
    EXPECT_EQ(TrialBound(9, 2, true, true), 5);
    EXPECT_EQ(TrialBound(9, 2, true, false), 7);
    EXPECT_EQ(TrialBound(9, 3, true, false), 6);
    EXPECT_EQ(TrialBound(9, 8, true, false), 10);
    EXPECT_EQ(TrialBound(9, 10, false, false), 11);
}

}  // namespace
