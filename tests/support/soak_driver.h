// The random-key soak: the whole program on the virtual console, fed a seeded random key stream
// that reads the screen to weight its keys (menu digits on the menu, signs in a sign field, the
// P and Z of an answer, F4 while the computer thinks, and everywhere now and then any key at
// all), with a clock that runs on while the program computes. When the program ends it is
// started again on the same settings directory until the key budget is spent.
//
// After every key the driver checks that the cursor is inside the grid and that nothing was
// written or moved outside it, and after every save that BEDINGUN.DAT is 80 bytes and loads
// back to the same record; while the program computes it checks that no loop polls the
// keyboard without end, and a watchdog ends the process when the program stops polling at all.
// The program's own memory errors are left to the sanitizer builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct SoakOptions {
    int64_t Keys = 10000;
    uint64_t Seed = 1;
    // An existing directory; the program path (and so BEDINGUN.DAT) lies inside it.
    std::string Directory;
    // The machine behind the virtual console: stores beyond it are refused, which keeps the
    // matches small and fast (a refused store ends its match as broken off).
    size_t HeapLimit = size_t(4) << 20;
    // Keyboard polls and idle pauses without a key read that count as a hang. A key always
    // becomes readable within 30 s of virtual time, i.e. 24,000 polls at the slowest pace.
    int64_t PollBound = 1000000;
    // Seconds without a single poll after which the watchdog ends the process (0: none).
    int WatchdogSeconds = 120;
    // Before most runs, write a settings file with small conditions (or a damaged one).
    bool SmallConditions = true;
    bool StopAtFirstFinding = false;
    int64_t ProgressEvery = 0;  // a line on stderr every so many keys (0: quiet)
    // Prints the screen the first time a place whose label starts with this is reached.
    std::string ShowPlace;
};

struct SoakReport {
    int64_t Keys = 0;
    int64_t Runs = 0;            // program runs begun
    int64_t SavesChecked = 0;    // settings saves whose file was checked
    int64_t MatchesStarted = 0;  // match boards drawn
    int64_t Polls = 0;
    int64_t MostPollsWithoutKey = 0;
    double Seconds = 0;
    // Findings by kind, each with the first occurrence in full (seed, key, screen, last keys).
    std::map<std::string, int64_t> FindingCounts;
    std::vector<std::string> Findings;
    // Where the keys went: screens and dialog fields, by language.
    std::map<std::string, int64_t> Reached;
};

SoakReport RunSoak(const SoakOptions& options);
std::string FormatSoakReport(const SoakReport& report, bool withCoverage);

// Loads BEDINGUN.DAT as the next start would and tells whether the record comes back byte for
// byte; the program's state is left exactly as it was. Fills why on failure.
bool SettingsFileLoadsBack(std::string& why);
