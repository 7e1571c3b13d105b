// Faults injected into whole matches and whole runs of the program: an allocation refused at
// any point of a store build, and a settings directory that goes away or cannot take a file any
// more while the program runs. Nothing is reported, the match or the program goes on as the
// rules say, and nothing is lost or leaked.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "breaker/candidate_store.h"
#include "match/board.h"
#include "match/code.h"
#include "match/encoder_store.h"
#include "match/match_flow.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/match_fixture.h"

namespace {

class FaultInjectionTest : public DrivenMatch<HumanBreaker> {
protected:
    // The conditions, with the human codebreaker ready for them when it is one.
    void Apply(const MatchConditions& c) {
        ApplyConditions(c);
        Driver = HumanBreaker{};
        Driver.Prepare(RangeSigns(), c.Length, c.Repetitions);
    }
    // The allocations a whole match makes under the conditions: it is played to its end.
    int64_t AllocationsOfAWholeMatch(const MatchConditions& c) {
        Apply(c);
        const int64_t before = VirtualAllocations();
        Play();
        EXPECT_TRUE(MatchState.Solved) << ScreenDump();
        EXPECT_EQ(VirtualHeapInUse(), 0u);
        return VirtualAllocations() - before;
    }
    // The trials of the match just played, with their answers.
    static std::string Trials() {
        std::string trials;
        const int shown = std::min(MatchBoard.TrialCount, RingTrials);
        for (int n = 1; n <= shown; ++n) {
            const TrialRow& row = MatchBoard.Rows[n];
            trials += std::string(row.Signs.begin(), row.Signs.end()) + ' ' +
                      std::to_string(row.P) + '/' + std::to_string(row.Z) + ' ';
        }
        return trials;
    }
    // The n-th allocation of the match fails. One of the store's blocks: the match ends as
    // broken off before its first trial, with everything released and the settings as they
    // were. The search's own working memory, asked for once the store stands: the search goes
    // on without it and the match is played exactly as without the refusal. True for the
    // latter.
    bool RefuseAllocation(const MatchConditions& c, int64_t n, uint64_t seed,
                          const std::string& trials) {
        Apply(c);
        const SettingsRecord before = Settings;
        if (seed != 0) SeedRandom(seed);
        VirtualFailAllocation(n);
        EXPECT_EQ(Play(), MatchOutcome::BackToStart);
        VirtualFailAllocation(0);
        EXPECT_EQ(VirtualHeapInUse(), 0u) << "allocation " << n;
        EXPECT_EQ(CandidateStore.Records, 0);
        EXPECT_EQ(EncoderStore.Count, 0);
        EXPECT_EQ(EncoderStore.ChunkCount, 0);
        EXPECT_EQ(Settings.RepetitionsAllowed, before.RepetitionsAllowed);
        EXPECT_EQ(Settings.VacantAllowed, before.VacantAllowed);
        EXPECT_EQ(Settings.AnswerFixed, before.AnswerFixed);
        EXPECT_EQ(Settings.ComputerGuesses, before.ComputerGuesses);
        if (MatchState.Solved) {
            EXPECT_EQ(Trials(), trials) << "allocation " << n;
            return true;
        }
        EXPECT_TRUE(MatchState.BrokenOff) << "allocation " << n << "\n" << ScreenDump();
        EXPECT_EQ(MatchBoard.TrialCount, 0) << "allocation " << n;
        EXPECT_TRUE(ScreenHas(60, 25, c.ComputerGuesses ? "New game? Yes." : "New Game? Yes."));
        return false;
    }
    void ExpectBrokenOffAt(const MatchConditions& c, int64_t n) {
        EXPECT_FALSE(RefuseAllocation(c, n, 0, "")) << "allocation " << n;
    }
    void ExpectANewMatchWorks(const MatchConditions& c) {
        Apply(c);
        EXPECT_EQ(Play(), MatchOutcome::BackToStart);
        EXPECT_TRUE(MatchState.Solved) << ScreenDump();
        EXPECT_FALSE(MatchState.BrokenOff);
        EXPECT_EQ(VirtualHeapInUse(), 0u);
    }
};

// The codebreaker's store takes all its blocks before it enumerates a code: every one of them
// is refused once, under conditions that take each way through the build. The search's working
// memory (once the store stands: the candidates' groups, the bits of the chain's places, per
// search the tables of the ranks by record number and the marks or the remembered verdicts of
// twin trial codes, and the totals per multiset, the last two growing a few times) is refused
// once too.
TEST_F(FaultInjectionTest, EveryAllocationOfTheCandidateStoreCanFail) {
    const MatchConditions sets[] = {
        {'a', 'f', 4, false, false, true, true, true},   // fixed secret of the computer
        {'a', 'h', 5, true, false, true, true, true},    // 32,768 codes
        {'a', 'b', 4, true, true, true, true, true},     // the vacant sign in play
        {'a', 'f', 4, true, false, true, true, false},   // the computer answers, not fixed
        {'a', 'f', 6, true, false, true, true, false},   // six over six, without repetitions
        {'1', '7', 3, false, false, true, true, false},  // digits, not fixed
    };
    int searchesWithoutGroups = 0;
    for (uint64_t seed : {1u, 2u}) {
        for (const MatchConditions& c : sets) {
            SCOPED_TRACE(std::string("conditions ") + c.First + ".." + c.Last + " length " +
                         std::to_string(c.Length) + " seed " + std::to_string(seed));
            SeedRandom(seed);
            const int64_t allocations = AllocationsOfAWholeMatch(c);
            const std::string trials = Trials();
            ASSERT_GT(allocations, 2);
            int playedOn = 0;
            for (int64_t n = 1; n <= allocations; ++n)
                playedOn += RefuseAllocation(c, n, seed, trials) ? 1 : 0;
            EXPECT_LE(playedOn, 16);
            searchesWithoutGroups += playedOn;
            SeedRandom(seed + 100);
            ExpectANewMatchWorks(c);
        }
    }
    // The larger sets do count their candidates in groups; that memory was refused too.
    EXPECT_GT(searchesWithoutGroups, 0);
}

// The encoder's store grows chunk by chunk while it enumerates the codes: refusals at random
// chunks of several builds, and at the regrowth of its chunk table.
TEST_F(FaultInjectionTest, AllocationsOfTheEncoderStoreFailAtRandomPoints) {
    const MatchConditions small[] = {
        {'a', 'f', 4, true, false, true, false, false},   // 1,296 codes: one chunk
        {'a', 'h', 6, true, false, true, false, false},   // 262,144 codes: four chunks
        {'0', '8', 6, false, false, true, false, false},  // 60,480 codes without repetitions
    };
    std::mt19937 random(2026);
    for (const MatchConditions& c : small) {
        SCOPED_TRACE(std::string("conditions ") + c.First + ".." + c.Last + " length " +
                     std::to_string(c.Length));
        Apply(c);
        const int64_t before = VirtualAllocations();
        Driver.GiveUpAfter = 1;  // the build is what counts here: one trial, then Esc
        Play();
        const int64_t allocations = VirtualAllocations() - before;
        ASSERT_GE(allocations, 2);  // the chunk table and a chunk at least
        EXPECT_EQ(VirtualHeapInUse(), 0u);
        for (int round = 0; round < 3; ++round)
            ExpectBrokenOffAt(c, 1 + static_cast<int64_t>(random() % allocations));
        ExpectBrokenOffAt(c, allocations);  // the last chunk
    }
    // A small riddle after all that is played to its end.
    ExpectANewMatchWorks(small[0]);

    // 5,153,632 codes take 79 chunks: the table of chunks is allocated anew at the 65th, while
    // the old one is still held.
    const MatchConditions large{'a', 'v', 5, true, false, true, false, false};
    ExpectBrokenOffAt(large, 66);
}

// A machine that has less memory than the memory level promises: the store is refused before
// anything is built, and the match ends like one whose allocation failed.
TEST_F(FaultInjectionTest, AStoreTheMachineCannotBackEndsTheMatch) {
    VirtualSetHeapLimit(100000);
    const MatchConditions guesses{'a', 'h', 5, true, false, true, true, true};
    const MatchConditions encodes{'a', 'h', 5, true, false, true, false, false};
    for (const MatchConditions& c : {guesses, encodes}) {
        ExpectBrokenOffAt(c, 0);
        EXPECT_EQ(VirtualAllocations(), 0);
    }
    VirtualSetHeapLimit(0);
    ExpectANewMatchWorks(guesses);
}

// ---- The settings directory fails while the program runs ------------------------------------

enum class Sabotage { None, DirectoryRemoved, DirectoryBecomesAFile, FileSizeLimit };

// The process may not write more than a few bytes into any file while it is in force.
class FileSizeLimit {
public:
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        struct rlimit tiny = saved_;
        tiny.rlim_cur = 10;
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        active_ = setrlimit(RLIMIT_FSIZE, &tiny) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool Active() const { return active_; }

private:
    struct rlimit saved_;
    void (*previous_)(int) = nullptr;
    bool active_ = false;
};

class UnwritableSettingsTest : public VirtualSession {
protected:
    // A whole session of the program, the same keys every time: the directory fails as soon as
    // the main menu is first shown (after the save of its entry). Returns the screen after every
    // key.
    std::vector<std::string> Session(Sabotage sabotage, const std::string& directory) {
        StartVirtualConsole();
        VirtualSetProgramPath(directory + "/zamikovantorel");
        ResetProgramState();
        std::filesystem::create_directories(directory);
        WriteFile(directory + "/BEDINGUN.DAT", OldRecord());

        // English; colours; memory level 2; a match typed and broken off; the conditions walk
        // with a new time limit and sound, left by Ctrl-C; the short rules; the end.
        const std::vector<uint8_t> keys = {'e', '4', 'e', 'B',      KeyEnter, '8',    '2', KeyEnter,
                                           '5', '1', 'a', 'b',      'c',      KeyEsc, 'n', '5',
                                           '3', '7', 'j', KeyCtrlC, '6',      'x',    '9'};
        std::vector<std::string> screens;
        size_t next = 0;
        bool failed = false;
        std::unique_ptr<FileSizeLimit> limit;
        VirtualSetKeyFeeder([&] {
            screens.push_back(ScreenDump() + " cursor " + std::to_string(WhereX()) + "," +
                              std::to_string(WhereY()));
            if (!failed && next == 1) {
                failed = true;
                Fail(sabotage, directory, limit);
            }
            if (next < keys.size()) VirtualQueueKeyAfter(keys[next++], 150);
        });
        const int code = RunProgram();
        VirtualSetKeyFeeder(nullptr);
        limit.reset();
        screens.push_back(ScreenDump());
        EXPECT_EQ(code, 0);
        EXPECT_EQ(next, keys.size());
        EXPECT_FALSE(VirtualInputExhausted());
        return screens;
    }
    static void Fail(Sabotage sabotage, const std::string& directory,
                     std::unique_ptr<FileSizeLimit>& limit) {
        switch (sabotage) {
            case Sabotage::None:
                break;
            case Sabotage::DirectoryRemoved:
                std::filesystem::remove_all(directory);
                break;
            case Sabotage::DirectoryBecomesAFile:
                std::filesystem::rename(directory, directory + ".moved");
                WriteFile(directory, {'n', 'o', 't', ' ', 'a', ' ', 'd', 'i', 'r'});
                break;
            case Sabotage::FileSizeLimit:
                limit = std::make_unique<FileSizeLimit>();
                ASSERT_TRUE(limit->Active());
                break;
        }
    }
    static std::vector<uint8_t> OldRecord() {
        SettingsRecord record;
        std::memset(&record, ' ', sizeof record);
        record.NormalAttribute = 0x1F;
        record.HighlightAttribute = 0x1E;
        record.TimeLimitTens = 1;
        record.CodeLength = 3;
        record.MemoryLevel = 4;
        record.Reserved = 5;
        record.FirstSign = 'a';
        record.LastSign = 'f';
        record.SoundOn = 0;
        record.RepetitionsAllowed = 0;
        record.VacantAllowed = 0;
        record.ComputerEncodes = 1;
        record.ComputerGuesses = 0;
        record.AnswerFixed = 1;
        std::vector<uint8_t> bytes(sizeof record);
        std::memcpy(bytes.data(), &record, sizeof record);
        return bytes;
    }
    static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<uint8_t> ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static int Entries(const std::string& directory) {
        int entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            (void)entry;
            ++entries;
        }
        return entries;
    }
    // The session runs exactly as it does with a working directory, screen for screen.
    void ExpectSameSessionAsWithAWorkingDirectory(Sabotage sabotage) {
        const std::string directory = Session();
        const std::vector<std::string> working = Session(Sabotage::None, directory);
        const std::vector<std::uint8_t> saved = ReadFile(directory + "/BEDINGUN.DAT");
        std::filesystem::remove_all(directory);
        const std::vector<std::string> failing = Session(sabotage, directory);
        ASSERT_EQ(failing.size(), working.size());
        for (size_t i = 0; i < working.size(); ++i)
            ASSERT_EQ(failing[i], working[i]) << "after key " << i;
        // With a working directory the session's changes were saved.
        ASSERT_EQ(saved.size(), 80u);
        EXPECT_EQ(saved[0], NewNormalAttribute);
        EXPECT_EQ(saved[4], 2);  // memory level 2
        EXPECT_EQ(saved[2], 7);  // time limit 70 seconds
        EXPECT_EQ(saved[8], 1);  // sound on
    }
    std::string Session() const { return Directory + "/session"; }
    static constexpr uint8_t NewNormalAttribute = 0x12;  // green on blue: 'e' on the colours
};

TEST_F(UnwritableSettingsTest, TheDirectoryIsRemoved) {
    ExpectSameSessionAsWithAWorkingDirectory(Sabotage::DirectoryRemoved);
    // Nothing was written anywhere, not even the directory made again.
    EXPECT_FALSE(std::filesystem::exists(Session()));
}

TEST_F(UnwritableSettingsTest, TheDirectoryBecomesAFile) {
    ExpectSameSessionAsWithAWorkingDirectory(Sabotage::DirectoryBecomesAFile);
    EXPECT_EQ(ReadFile(Session()),
              (std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 'd', 'i', 'r'}));
    // The old file is whole where the directory went.
    EXPECT_EQ(ReadFile(Session() + ".moved/BEDINGUN.DAT"), OldRecord());
    EXPECT_EQ(Entries(Session() + ".moved"), 1);
}

TEST_F(UnwritableSettingsTest, NoFileCanBeWrittenInFull) {
    ExpectSameSessionAsWithAWorkingDirectory(Sabotage::FileSizeLimit);
    // Every save broke off half-way: the first save's file stands whole, no partial file or
    // temporary file is left behind.
    const std::vector<uint8_t> file = ReadFile(Session() + "/BEDINGUN.DAT");
    EXPECT_EQ(file, OldRecord());
    EXPECT_EQ(Entries(Session()), 1);
    // Once files can be written again, the next save keeps what the session changed.
    SettingsPath = Session() + "/BEDINGUN.DAT";
    SaveSettings();
    EXPECT_EQ(ReadFile(SettingsPath)[0], NewNormalAttribute);
    EXPECT_EQ(ReadFile(SettingsPath)[2], 7);
}

}  // namespace
