// The computer's capacity limits by memory level.
//
// The codebreaker keeps one record per code of the whole code universe, the encoder of a code
// that is not fixed one record per possible secret. The memory level bounds both; the tables
// here decide which conditions the computer can serve, and the capacity check switches off what
// it cannot.
#include "setup/capacity.h"

#include "breaker/candidate_store.h"
#include "match/code.h"
#include "setup/conditions_screen.h"
#include "shell/console/console.h"
#include "shell/settings.h"

int32_t MemoryBudget = 0;
int32_t AppliedBudget = -5;
int32_t UsableBudget = 0;
uint8_t BudgetChanged = 0;
uint8_t MaxSigns[10] = {};
uint8_t ShownMaxSigns[10] = {};
uint16_t RecordSize = 0;
uint16_t EncoderRecordSize = 0;
int32_t CodeTotal = 0;
int32_t SecretTotal = 0;
uint8_t CanGuess = 1;
uint8_t CanVary = 1;

namespace {

constexpr int32_t kBaseBudget = 673280;  // level 1; levels 2..7 are multiples of it

int RoundUp16(int bytes) {
    return (bytes + 15) / 16 * 16;
}

// n^length in 32 bits. The capacity check forms it only where the limits by code length keep it
// below 2^31.
int32_t Power(int n, int length) {
    int32_t product = 1;
    for (int i = 0; i < length; ++i) product *= n;
    return product;
}

// n x (n - 1) x ... x (n - length + 1): the codes without a repeated sign.
int32_t Falling(int n, int length) {
    int32_t product = 1;
    for (int i = 0; i < length; ++i) product *= n - i;
    return product;
}

// The capacity check cannot serve a not-fixed answer: the answer becomes fixed.
void ForceAnswerFixed(bool show) {
    if (CanVary == 0 && Settings.AnswerFixed == 0) {
        Settings.AnswerFixed = 1;
        if (show) ShowAnswerFixedValue();
    }
}

// The capacity check cannot serve a computer codebreaker: the human guesses.
void ForceGuessingOff(bool show) {
    if (CanGuess == 0 && Settings.ComputerGuesses == 1) {
        Settings.ComputerGuesses = 0;
        if (show) {
            ShowComputerGuessesValue();
            ShowBreakerRow();
        }
    }
}

// The trial bounds of one code length: up to a sign count, the bound with and without
// repetitions. Beyond the last entry the formula of the length applies, or no bound is stated.
struct BoundStep {
    uint8_t UpTo;
    uint8_t WithRepetitions;
    uint8_t WithoutRepetitions;
};

struct BoundTable {
    uint8_t TwoSignsVacant;  // the bound for two signs when the vacant sign is in play (0: none)
    const BoundStep* Steps;
    int StepCount;
    int AddWith, AddWithout, Divisor;  // (n + add) div divisor beyond the table; 0: no bound
};

constexpr BoundStep kBoundLength3[] = {{3, 3, 3}, {4, 4, 4}, {5, 5, 4}};
constexpr BoundStep kBoundLength4[] = {{2, 4, 4}, {4, 4, 4}, {5, 5, 4}, {6, 5, 5},
                                       {7, 6, 5}, {8, 6, 6}, {9, 7, 6}, {11, 7, 7}};
constexpr BoundStep kBoundLength5[] = {
    {2, 5, 5},  {3, 4, 4},  {5, 5, 5},    {7, 6, 6},    {8, 7, 6},    {9, 7, 7},   {11, 8, 8},
    {12, 9, 8}, {15, 9, 9}, {18, 10, 10}, {19, 11, 10}, {22, 11, 11}, {23, 12, 11}};
constexpr BoundStep kBoundLength6[] = {
    {2, 5, 5},    {4, 5, 5},    {5, 6, 6},    {7, 7, 7},    {8, 8, 7},    {10, 8, 8},
    {11, 9, 8},   {13, 9, 9},   {14, 10, 9},  {16, 10, 10}, {17, 11, 10}, {19, 11, 11},
    {20, 12, 11}, {22, 12, 12}, {23, 13, 12}, {26, 13, 13}, {30, 14, 14}};
constexpr BoundStep kBoundLength7[] = {{2, 6, 6},    {3, 5, 5},    {4, 6, 6},    {5, 7, 7},
                                       {9, 8, 8},    {11, 9, 9},   {14, 10, 10}, {15, 11, 10},
                                       {16, 11, 11}, {20, 12, 12}, {21, 13, 12}};
constexpr BoundStep kBoundLength8[] = {{2, 6, 6}, {4, 6, 6},    {5, 7, 7},    {6, 8, 8},
                                       {9, 9, 9}, {11, 10, 10}, {12, 11, 10}, {14, 11, 11}};
constexpr BoundStep kBoundLength9[] = {{2, 7, 7}, {3, 6, 6},   {4, 7, 7},   {5, 8, 8},
                                       {6, 9, 9}, {8, 10, 10}, {10, 11, 11}};

template <int Count>
constexpr BoundTable Bounds(uint8_t twoSignsVacant, const BoundStep (&steps)[Count], int addWith,
                            int addWithout, int divisor) {
    return BoundTable{twoSignsVacant, steps, Count, addWith, addWithout, divisor};
}

const BoundTable kBoundTables[10] = {
    {0, nullptr, 0, 0, 0, 0},
    {0, nullptr, 0, 0, 0, 0},
    {0, nullptr, 0, 4, 3, 2},
    Bounds(0, kBoundLength3, 11, 10, 3),
    Bounds(3, kBoundLength4, 21, 21, 4),
    Bounds(3, kBoundLength5, 37, 37, 5),
    Bounds(4, kBoundLength6, 60, 60, 6),
    Bounds(4, kBoundLength7, 0, 0, 0),
    Bounds(5, kBoundLength8, 0, 0, 0),
    Bounds(5, kBoundLength9, 0, 0, 0),
};

}  // namespace

int32_t BudgetForLevel(int level) {
    static const int32_t kFactor[MemoryLevelCount + 1] = {0, 1, 8, 64, 128, 256, 512, 1024, 0};
    if (level < 1 || level > MemoryLevelCount) level = 4;
    if (level == MemoryLevelCount) return BudgetCeiling;
    return kBaseBudget * kFactor[level];
}

const char* MemoryLabel(int level) {
    static const char* const kLabel[MemoryLevelCount + 1] = {
        "", "  1 MiB", "  8 MiB", " 64 MiB", "128 MiB", "256 MiB", "512 MiB", "  1 GiB", "  2 GiB"};
    if (level < 1 || level > MemoryLevelCount) level = 4;
    return kLabel[level];
}

void UpdateMaxSigns() {
    if (MemoryBudget != AppliedBudget) {
        AppliedBudget = MemoryBudget;
        BudgetChanged = 1;
        UsableBudget = AppliedBudget - AppliedBudget % 16;
        if (UsableBudget > BudgetCeiling) UsableBudget = BudgetCeiling;
        for (int length = 2; length <= MaxCodeLength; ++length) MaxSigns[length] = 0;
        // For every sign count, the longest code whose store still fits: each further position
        // multiplies the codes by n, so the budget is divided by n per position.
        for (int n = 2; n <= 36; ++n) {
            int c = 0;
            int32_t v = UsableBudget;
            while ((c + n + 28) / 16 * 16 <= v / n && c < MaxCodeLength) {
                ++c;
                v /= n;
            }
            if (c >= 2) MaxSigns[c] = static_cast<uint8_t>(n);
        }
        // A shorter code is never harder than a longer one.
        for (int d = MaxCodeLength - 1; d >= 2; --d) {
            if (MaxSigns[d] < MaxSigns[d + 1]) MaxSigns[d] = MaxSigns[d + 1];
        }
    } else {
        BudgetChanged = 0;
    }
    // With these caps n^L stays below 2^31.
    static const uint8_t kCap[10] = {0, 0, 36, 36, 36, 36, 35, 21, 14, 10};
    for (int length = 2; length <= MaxCodeLength; ++length) {
        if (MaxSigns[length] > kCap[length]) MaxSigns[length] = kCap[length];
    }
}

std::string MaxSignsText(const uint8_t (&table)[10]) {
    std::string text;
    for (int length = 2; length <= MaxCodeLength; ++length) {
        int value = table[length];
        if (length > 2) text += "   ";
        if (value < 2) {
            text += " -";
        } else if (value < 10) {
            text += ' ';
            text += static_cast<char>('0' + value);
        } else {
            text += static_cast<char>('0' + value / 10);
            text += static_cast<char>('0' + value % 10);
        }
    }
    return text;
}

void CapacityCheck(int n, int length, bool repetitions, bool freeAll, bool show, bool vacant) {
    int column = WhereX();
    int row = WhereY();

    // The vacant sign counts as a further sign for a computer codebreaker over two signs.
    bool vacantInPlay = vacant && n == 2 && length > 3;
    int m = vacantInPlay ? n + 1 : n;
    RecordSize = static_cast<uint16_t>(RoundUp16(length + m + 12));
    EncoderRecordSize = static_cast<uint16_t>(RoundUp16(length + 9));

    ReleaseCandidateStore(freeAll);

    if (BudgetChanged) {
        bool differs = false;
        for (int l = 2; l <= MaxCodeLength; ++l) {
            if (MaxSigns[l] != ShownMaxSigns[l]) differs = true;
            ShownMaxSigns[l] = MaxSigns[l];
        }
        if (show && differs) ShowMaxSignsRow();
    }

    // Limits by code length, whatever the budget: beyond them the search would take too long
    // and the products below would leave 32 bits.
    CanGuess = 1;
    CanVary = 1;
    switch (length) {
        case 5:
            if (m >= 32) CanGuess = 0;
            break;
        case 6:
            if (m > 18) CanGuess = 0;
            if (n > 25 || (repetitions && n > 22)) CanVary = 0;
            break;
        case 7:
            if (m > 13) CanGuess = 0;
            if (n > 17 || (repetitions && n > 14)) CanVary = 0;
            break;
        case 8:
            if (m > 9) CanGuess = 0;
            if (n > 13 || (repetitions && n > 9)) CanVary = 0;
            break;
        case 9:
            if (m > 7) CanGuess = 0;
            if (n > 11 || (repetitions && n > 7)) CanVary = 0;
            break;
        default:
            break;
    }
    if (CanVary == 0) CanGuess = 0;
    ForceAnswerFixed(show);
    ForceGuessingOff(show);

    // The encoder's store of every possible secret must fit into the budget.
    if (CanVary == 1) {
        SecretTotal = repetitions ? Power(n, length) : Falling(n, length);
        if (UsableBudget < EncoderRecordSize * SecretTotal) {
            CanGuess = 0;
            CanVary = 0;
            ForceGuessingOff(show);
            ForceAnswerFixed(show);
        }
    }
    // And so must the codebreaker's store of every code (less the all-vacant one).
    if (CanGuess == 1) {
        CodeTotal = Power(m, length) - (vacantInPlay ? 1 : 0);
        if (UsableBudget < RecordSize * CodeTotal) {
            CanGuess = 0;
            ForceGuessingOff(show);
        }
    }

    GotoXY(column, row);
}

uint8_t TrialBound(int length, int n, bool repetitions, bool vacant) {
    if (n == 1) return 1;
    if (length < 2 || length > MaxCodeLength || n < 2) return 0;
    const BoundTable& table = kBoundTables[length];
    if (n == 2 && vacant && table.TwoSignsVacant != 0) return table.TwoSignsVacant;
    for (int i = 0; i < table.StepCount; ++i) {
        const BoundStep& step = table.Steps[i];
        if (n <= step.UpTo) return repetitions ? step.WithRepetitions : step.WithoutRepetitions;
    }
    if (table.Divisor == 0) return 0;
    int add = repetitions ? table.AddWith : table.AddWithout;
    return static_cast<uint8_t>((n + add) / table.Divisor);
}
