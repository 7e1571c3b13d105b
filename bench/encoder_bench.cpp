// Speed of the encoder store of a code that is not fixed, on the largest such game the top
// memory level allows (code length 6 over 21 signs with repetitions: 85,766,121 codes), or on
// the game given as arguments: length signs repetitions(0/1). The store's memory comes from the
// machine exactly as in the program.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "breaker/search_progress.h"
#include "breaker/sign_tables.h"
#include "match/encoder_store.h"
#include "shell/console/console.h"
#include "shell/console/console_virtual.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    int length = argc > 1 ? std::atoi(argv[1]) : 6;
    int n = argc > 2 ? std::atoi(argv[2]) : 21;
    bool repetitions = argc > 3 ? std::atoi(argv[3]) != 0 : true;
    StartVirtualConsole();
    VirtualUseMachineHeap(true);
    // A key far in the future: the input stays open and no key is waiting.
    VirtualQueueKeyAfter('x', int64_t(1) << 40);
    ResetSignAlive(n);

    auto start = std::chrono::steady_clock::now();
    if (!BuildEncoderStore(length, n, repetitions)) {
        std::printf("the store could not be built\n");
        return 1;
    }
    double build = Seconds(start);
    int64_t codes = EncoderStore.Count;
    std::printf("build: %lld codes in %.3f s = %.1f M codes/s (target 50)\n",
                static_cast<long long>(codes), build, codes / build / 1e6);

    // Answers to a few trials, each the class that keeps the most codes, as the encoder does.
    const uint8_t trials[3][9] = {
        {1, 1, 2, 2, 3, 3, 4, 4, 5}, {4, 5, 6, 7, 8, 9, 1, 2, 3}, {2, 7, 9, 1, 10, 11, 12, 3, 4}};
    for (const auto& trial : trials) {
        int64_t before = EncoderStore.Count;
        int32_t table[10][10];
        int knownM = -1;
        start = std::chrono::steady_clock::now();
        ClassifyEncoderStore(trial, false, table, knownM);
        int bestM = 0, bestP = 0;
        for (int m = 0; m <= length; ++m)
            for (int p = 0; p <= m; ++p)
                if (table[m][p] > table[bestM][bestP]) {
                    bestM = m;
                    bestP = p;
                }
        double classify = Seconds(start);
        KeepEncoderClass(static_cast<uint8_t>((bestM << 4) | bestP));
        double answer = Seconds(start);
        std::printf("  classify %.3f s, thin %.3f s\n", classify, answer - classify);
        std::printf(
            "answer: %lld codes classified and thinned in %.3f s = %.1f M codes/s "
            "(target 200); %lld remain\n",
            static_cast<long long>(before), answer, before / answer / 1e6,
            static_cast<long long>(EncoderStore.Count));
    }
    ReleaseEncoderStore();
    return 0;
}
