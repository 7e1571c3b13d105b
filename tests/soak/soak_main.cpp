// The random-key soak as a program of its own:
//
//     zamiko_soak KEYS [SEED] [--runs R] [--heap BYTES] [--coverage] [--stop] [--progress N]
//                 [--show PLACE] [--watchdog SECONDS]
//
// runs R soaks of KEYS keys each, with the seeds SEED, SEED+1, ..., in a fresh temporary
// directory each, prints what was reached and found, and exits with 1 when anything was found.
// The same seed gives the same key stream, so a finding is replayed by its seed and key count.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/soak_driver.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: zamiko_soak KEYS [SEED] [--runs R] [--heap BYTES] [--coverage] [--stop]"
                 " [--progress N] [--show PLACE] [--watchdog SECONDS]\n");
    return 2;
}

std::string MakeDirectory() {
    const char* base = std::getenv("ZK_TEST_TMP");
    std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
    std::filesystem::create_directories(root);
    std::string pattern = root + "/zk-soak-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made != nullptr ? made : "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    SoakOptions options;
    options.Keys = std::atoll(argv[1]);
    int runs = 1;
    bool coverage = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--heap" && hasValue) {
            options.HeapLimit = static_cast<size_t>(std::atoll(argv[++i]));
        } else if (arg == "--progress" && hasValue) {
            options.ProgressEvery = std::atoll(argv[++i]);
        } else if (arg == "--watchdog" && hasValue) {
            options.WatchdogSeconds = std::atoi(argv[++i]);
        } else if (arg == "--show" && hasValue) {
            options.ShowPlace = argv[++i];
        } else if (arg == "--coverage") {
            coverage = true;
        } else if (arg == "--stop") {
            options.StopAtFirstFinding = true;
        } else if (i == 2 && arg[0] != '-') {
            options.Seed = std::strtoull(argv[i], nullptr, 10);
        } else {
            return Usage();
        }
    }
    if (options.Keys <= 0 || runs <= 0) return Usage();

    bool found = false;
    int64_t keys = 0;
    double seconds = 0;
    const uint64_t firstSeed = options.Seed;
    for (int run = 0; run < runs; ++run) {
        options.Seed = firstSeed + static_cast<uint64_t>(run);
        options.Directory = MakeDirectory();
        if (options.Directory.empty()) {
            std::fprintf(stderr, "zamiko_soak: cannot create a temporary directory\n");
            return 2;
        }
        std::printf("soak seed %llu: %lld keys\n", static_cast<unsigned long long>(options.Seed),
                    static_cast<long long>(options.Keys));
        std::fflush(stdout);
        const SoakReport report = RunSoak(options);
        std::printf("%s", FormatSoakReport(report, coverage).c_str());
        std::fflush(stdout);
        std::error_code ignored;
        std::filesystem::remove_all(options.Directory, ignored);
        found = found || !report.FindingCounts.empty();
        keys += report.Keys;
        seconds += report.Seconds;
    }
    if (runs > 1)
        std::printf("in all: %lld keys in %.1f s, %.0f keys/s, %s\n", static_cast<long long>(keys),
                    seconds, seconds > 0 ? double(keys) / seconds : 0.0,
                    found ? "FINDINGS" : "no findings");
    return found ? 1 : 0;
}
