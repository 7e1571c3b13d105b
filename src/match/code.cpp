// The sign ring and its tables, codes made from text or at random (with or without
// repetitions), and the scoring rule: P counts equal signs in equal places, Z the further signs
// in common; the vacant sign counts in neither.
#include "match/code.h"

#include <algorithm>

#include "shell/console/console.h"
#include "shell/settings.h"

char IndexSign[RingSize + 1];
uint8_t SignIndex[256];
int SignCount = 10;
Code SecretCode = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

namespace {
const char kRing[RingSize + 1] = "abcdefghijklmnopqrstuvwxyz0123456789";
}

int RingPosition(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= '0' && c <= '9') return 26 + (c - '0');
    return -1;
}

bool IsSignCharacter(char c) {
    return RingPosition(c) >= 0;
}

void BuildSignTables(char first) {
    int start = RingPosition(first);
    if (start < 0) start = 0;
    std::fill(std::begin(SignIndex), std::end(SignIndex), uint8_t{0});
    for (int c = ':'; c <= '`'; ++c) SignIndex[c] = NoSignIndex;
    IndexSign[0] = VacantSign;
    for (int i = 1; i <= RingSize; ++i) {
        char sign = kRing[(start + i - 1) % RingSize];
        IndexSign[i] = sign;
        SignIndex[static_cast<uint8_t>(sign)] = static_cast<uint8_t>(i);
    }
}

void BuildSignTablesFromSettings() {
    BuildSignTables(Settings.FirstSign);
    SignCount = SignIndex[static_cast<uint8_t>(Settings.LastSign)];
}

Code BlankCode() {
    Code code;
    code.fill(' ');
    return code;
}

Code MakeCode(const char* text) {
    Code code = BlankCode();
    for (int i = 0; i < MaxCodeLength && text[i] != '\0'; ++i)
        code[static_cast<size_t>(i)] = text[i];
    return code;
}

SignCounts CountSigns(const Code& code, int length) {
    SignCounts counts{};
    for (int i = 0; i < length; ++i) {
        char c = code[static_cast<size_t>(i)];
        if (!IsSignCharacter(c)) continue;
        uint8_t index = SignIndex[static_cast<uint8_t>(c)];
        if (index >= 1 && index <= RingSize) ++counts[index];
    }
    return counts;
}

Score ScoreTrialCounted(const Code& trial, const Code& secret, const SignCounts& secretCounts,
                        int length) {
    Score score;
    for (int i = 0; i < length; ++i) {
        char c = trial[static_cast<size_t>(i)];
        if (c != VacantSign && IsSignCharacter(c) && c == secret[static_cast<size_t>(i)]) ++score.P;
    }
    SignCounts trialCounts = CountSigns(trial, length);
    int common = 0;
    for (int k = 1; k <= RingSize; ++k) common += std::min(trialCounts[k], secretCounts[k]);
    score.Z = common - score.P;
    return score;
}

Score ScoreTrial(const Code& trial, const Code& secret, int length) {
    return ScoreTrialCounted(trial, secret, CountSigns(secret, length), length);
}

Code MakeRandomSecret(int length, int n, bool repetitions) {
    Code secret = BlankCode();
    bool independent = repetitions && (n < length || length == 2 || Random(2) == 0);
    if (independent) {
        for (int i = 0; i < length; ++i)
            secret[static_cast<size_t>(i)] = IndexSign[Random(static_cast<uint32_t>(n)) + 1];
        return secret;
    }
    // Without repetition: draw from a pool of the indices 1..n, closing the gap each time.
    int pool[RingSize];
    for (int i = 0; i < n; ++i) pool[i] = i + 1;
    int left = n;
    for (int i = 0; i < length && left > 0; ++i) {
        int r = static_cast<int>(Random(static_cast<uint32_t>(left)));
        secret[static_cast<size_t>(i)] = IndexSign[pool[r]];
        for (int j = r; j < left - 1; ++j) pool[j] = pool[j + 1];
        --left;
    }
    return secret;
}
