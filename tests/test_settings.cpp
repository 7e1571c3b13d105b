// The settings record: its file, its repairs and its saving.
#include <fcntl.h>
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "match/code.h"
#include "setup/capacity.h"
#include "shell/settings.h"
#include "support/virtual_session.h"

namespace {

std::vector<uint8_t> DefaultBytes() {
    std::vector<uint8_t> bytes = {0x1F, 0x1E, 1, 4, 4, 5, '0', '9', 0, 0, 0, 1, 0, 1};
    bytes.resize(80, ' ');
    return bytes;
}

std::vector<uint8_t> RecordBytes(const SettingsRecord& record) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(p, p + sizeof record);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Tells a file written in place from one replaced by a new file.
ino_t Inode(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

int Entries(const std::string& directory) {
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        (void)entry;
        ++entries;
    }
    return entries;
}

class SettingsTest : public VirtualSession {
protected:
    // Loads the given file content and returns the record as repaired.
    SettingsRecord LoadFrom(const std::vector<uint8_t>& bytes) {
        WriteSettingsFile(bytes);
        LoadSettings();
        return Settings;
    }
    SettingsRecord LoadWith(void (*change)(SettingsRecord&)) {
        SetDefaultSettings();
        SettingsRecord record = Settings;
        change(record);
        return LoadFrom(RecordBytes(record));
    }
};

TEST_F(SettingsTest, FileLocationIsBesideTheProgram) {
    EXPECT_EQ(SettingsFilePath("/opt/game/zamikovantorel"), "/opt/game/BEDINGUN.DAT");
    EXPECT_EQ(SettingsFilePath("/zamikovantorel"), "/BEDINGUN.DAT");
    // A path without a directory names the current directory.
    EXPECT_EQ(SettingsFilePath("zamikovantorel"), "BEDINGUN.DAT");
    EXPECT_EQ(SettingsPath, SettingsFile());
}

TEST_F(SettingsTest, MissingEmptyOrShortFilesGiveTheDefaults) {
    LoadSettings();
    EXPECT_EQ(RecordBytes(Settings), DefaultBytes());
    for (size_t length : {size_t(0), size_t(1), size_t(79)}) {
        std::vector<uint8_t> bytes(length, 0x33);
        EXPECT_EQ(RecordBytes(LoadFrom(bytes)), DefaultBytes()) << length << " bytes";
    }
}

TEST_F(SettingsTest, FirstRecordOfALongerFileIsRead) {
    std::vector<uint8_t> bytes = DefaultBytes();
    bytes[3] = 7;  // code length
    bytes[6] = 'a';
    bytes[7] = 'z';
    std::vector<uint8_t> second = DefaultBytes();
    second[3] = 2;
    bytes.insert(bytes.end(), second.begin(), second.end());
    ASSERT_EQ(bytes.size(), 160u);
    SettingsRecord loaded = LoadFrom(bytes);
    EXPECT_EQ(loaded.CodeLength, 7);
    EXPECT_EQ(loaded.FirstSign, 'a');
    EXPECT_EQ(loaded.LastSign, 'z');
    EXPECT_EQ(SignCount, 26);
    // The next save cuts the file to one record.
    SaveSettings();
    EXPECT_EQ(ReadSettingsFile().size(), 80u);
}

TEST_F(SettingsTest, RangeRepairs) {
    auto loaded = LoadWith([](SettingsRecord& r) {
        r.FirstSign = 'Q';
        r.LastSign = 'q';
    });
    EXPECT_EQ(loaded.FirstSign, 'a');
    EXPECT_EQ(loaded.LastSign, 'f');
    EXPECT_EQ(SignCount, 6);

    loaded = LoadWith([](SettingsRecord& r) {
        r.FirstSign = '7';
        r.LastSign = '7';
    });
    EXPECT_EQ(loaded.FirstSign, '0');
    EXPECT_EQ(loaded.LastSign, '5');

    loaded = LoadWith([](SettingsRecord& r) {
        r.FirstSign = 'x';
        r.LastSign = 'c';
    });
    EXPECT_EQ(SignCount, 16);
    EXPECT_EQ(IndexSign[1], 'x');
    EXPECT_EQ(IndexSign[4], '0');
    EXPECT_EQ(IndexSign[16], 'c');

    // An invalid first sign becomes 'a'; an invalid last sign equals the first, which then
    // gives the six-sign default range.
    loaded = LoadWith([](SettingsRecord& r) {
        r.FirstSign = '#';
        r.LastSign = 'D';
    });
    EXPECT_EQ(loaded.FirstSign, 'a');
    EXPECT_EQ(loaded.LastSign, 'd');
    loaded = LoadWith([](SettingsRecord& r) {
        r.FirstSign = 'k';
        r.LastSign = char(0xE4);
    });
    EXPECT_EQ(loaded.FirstSign, 'a');
    EXPECT_EQ(loaded.LastSign, 'f');
}

TEST_F(SettingsTest, NumericRepairs) {
    auto loaded = LoadWith([](SettingsRecord& r) {
        r.MemoryLevel = 0;
        r.Reserved = 0;
        r.CodeLength = 1;
        r.TimeLimitTens = 12;
    });
    EXPECT_EQ(loaded.MemoryLevel, 4);
    EXPECT_EQ(loaded.Reserved, 5);
    EXPECT_EQ(loaded.CodeLength, 4);
    EXPECT_EQ(loaded.TimeLimitTens, 6);
    loaded = LoadWith([](SettingsRecord& r) {
        r.MemoryLevel = 9;
        r.Reserved = 16;
        r.CodeLength = 10;
        r.TimeLimitTens = 9;
    });
    EXPECT_EQ(loaded.MemoryLevel, 4);
    EXPECT_EQ(loaded.Reserved, 5);
    EXPECT_EQ(loaded.CodeLength, 4);
    EXPECT_EQ(loaded.TimeLimitTens, 9);
    loaded = LoadWith([](SettingsRecord& r) {
        r.MemoryLevel = 8;
        r.Reserved = 15;
        r.CodeLength = 9;
        r.TimeLimitTens = 0;
    });
    EXPECT_EQ(loaded.MemoryLevel, 8);
    EXPECT_EQ(MemoryLevelInUse, 8);
    EXPECT_EQ(MemoryBudget, 1374199248);
    EXPECT_EQ(loaded.Reserved, 15);
    EXPECT_EQ(loaded.CodeLength, 9);
    EXPECT_EQ(loaded.TimeLimitTens, 0);
}

TEST_F(SettingsTest, TooFewSignsForTheLengthForceRepetitions) {
    auto loaded = LoadWith([](SettingsRecord& r) {
        r.CodeLength = 6;
        r.FirstSign = 'a';
        r.LastSign = 'c';
        r.RepetitionsAllowed = 0;
    });
    EXPECT_EQ(loaded.RepetitionsAllowed, 1);
    loaded = LoadWith([](SettingsRecord& r) {
        r.CodeLength = 3;
        r.FirstSign = 'a';
        r.LastSign = 'c';
        r.RepetitionsAllowed = 0;
    });
    EXPECT_EQ(loaded.RepetitionsAllowed, 0);
}

TEST_F(SettingsTest, YesNoFieldsOutOfRangeTakeTheirDefaults) {
    auto loaded = LoadWith([](SettingsRecord& r) {
        r.SoundOn = 2;
        r.RepetitionsAllowed = 200;
        r.VacantAllowed = 7;
        r.ComputerEncodes = 9;
        r.ComputerGuesses = 3;
        r.AnswerFixed = 255;
    });
    EXPECT_EQ(loaded.SoundOn, 0);
    EXPECT_EQ(loaded.RepetitionsAllowed, 0);
    EXPECT_EQ(loaded.VacantAllowed, 0);
    EXPECT_EQ(loaded.ComputerEncodes, 1);
    EXPECT_EQ(loaded.ComputerGuesses, 0);
    EXPECT_EQ(loaded.AnswerFixed, 1);
    loaded = LoadWith([](SettingsRecord& r) {
        r.SoundOn = 1;
        r.VacantAllowed = 1;
        r.ComputerEncodes = 0;
        r.AnswerFixed = 0;
    });
    EXPECT_EQ(loaded.SoundOn, 1);
    EXPECT_EQ(loaded.VacantAllowed, 1);
    EXPECT_EQ(UserVacantAllowed, 1);
    EXPECT_EQ(loaded.ComputerEncodes, 0);
    EXPECT_EQ(loaded.AnswerFixed, 0);
}

TEST_F(SettingsTest, NamesAreCleanedAtLoad) {
    auto loaded = LoadWith([](SettingsRecord& r) {
        std::memcpy(r.EncoderName, "Xhans-peter mueller", 19);
        r.EncoderName[32] = 'Z';
    });
    EXPECT_EQ(std::string(loaded.EncoderName, 33), " Hans-Peter Mueller              ");
}

TEST_F(SettingsTest, ColourAttributeRepairs) {
    auto loaded = LoadWith([](SettingsRecord& r) { r.NormalAttribute = 0x99; });
    EXPECT_EQ(loaded.NormalAttribute, 0x19);
    EXPECT_EQ(loaded.HighlightAttribute, 0x1E);
    EXPECT_EQ(TextAttr, 0x19);
    loaded = LoadWith([](SettingsRecord& r) { r.NormalAttribute = 0x77; });
    EXPECT_EQ(loaded.NormalAttribute, 0x07);
    // The highlight takes the normal background.
    EXPECT_EQ(loaded.HighlightAttribute, 0x0E);
    loaded = LoadWith([](SettingsRecord& r) {
        r.NormalAttribute = 0x4F;
        r.HighlightAttribute = 0x24;  // red foreground on a red background would vanish
    });
    EXPECT_EQ(loaded.NormalAttribute, 0x4F);
    EXPECT_EQ(loaded.HighlightAttribute, 0x4F);
    EXPECT_EQ(NormalAttributeInUse, 0x4F);
    EXPECT_EQ(HighlightAttributeInUse, 0x4F);
}

TEST_F(SettingsTest, MonochromeKeepsOnlyTheTwoGreyPairs) {
    ColourDisplayFlag = false;
    auto loaded = LoadWith([](SettingsRecord& r) {
        r.NormalAttribute = 0x70;
        r.HighlightAttribute = 0x7F;
    });
    EXPECT_EQ(loaded.NormalAttribute, 0x70);
    EXPECT_EQ(loaded.HighlightAttribute, 0x7F);
    loaded = LoadWith([](SettingsRecord& r) {
        r.NormalAttribute = 0x0F;
        r.HighlightAttribute = 0x07;
    });
    EXPECT_EQ(loaded.NormalAttribute, 0x0F);
    EXPECT_EQ(loaded.HighlightAttribute, 0x07);
    loaded = LoadWith([](SettingsRecord& r) {
        r.NormalAttribute = 0x07;
        r.HighlightAttribute = 0x7F;
    });
    EXPECT_EQ(loaded.NormalAttribute, 0x07);
    EXPECT_EQ(loaded.HighlightAttribute, 0x0F);
    loaded = LoadFrom(DefaultBytes());
    EXPECT_EQ(loaded.NormalAttribute, 0x07);
    EXPECT_EQ(loaded.HighlightAttribute, 0x0F);
}

TEST_F(SettingsTest, GarbageAlwaysLoadsIntoARecordTheRepairsLeaveAlone) {
    std::mt19937 random(4711);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes(80);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        SettingsRecord loaded = LoadFrom(bytes);
        EXPECT_GE(SignCount, 2);
        EXPECT_LE(SignCount, 36);
        EXPECT_GE(loaded.CodeLength, 2);
        EXPECT_LE(loaded.CodeLength, 9);
        EXPECT_TRUE(loaded.RepetitionsAllowed == 1 || SignCount >= loaded.CodeLength);
        ValidateSettings();
        ASSERT_EQ(RecordBytes(Settings), RecordBytes(loaded)) << "round " << round;
    }
}

TEST_F(SettingsTest, SaveWritesExactlyOneRecordWithTheValuesInUse) {
    LoadSettings();
    MemoryLevelInUse = 7;
    NormalAttributeInUse = 0x2E;
    HighlightAttributeInUse = 0x2F;
    UserVacantAllowed = 1;
    Settings.VacantAllowed = 0;  // switched off for a match only
    std::memcpy(Settings.BreakerName + 1, "anna", 4);
    SaveSettings();
    std::vector<uint8_t> bytes = ReadSettingsFile();
    ASSERT_EQ(bytes.size(), 80u);
    EXPECT_EQ(bytes[0], 0x2E);
    EXPECT_EQ(bytes[1], 0x2F);
    EXPECT_EQ(bytes[4], 7);
    EXPECT_EQ(bytes[10], 1);               // the user's choice is what is kept
    EXPECT_EQ(Settings.VacantAllowed, 0);  // the match's value stays in memory
    EXPECT_EQ(std::string(bytes.begin() + 47, bytes.begin() + 53), " Anna ");
    // Loading it again gives the same record.
    SettingsRecord saved = Settings;
    saved.VacantAllowed = 1;
    LoadSettings();
    EXPECT_EQ(RecordBytes(Settings), RecordBytes(saved));
}

TEST_F(SettingsTest, ASaveThatCannotBeWrittenLeavesTheOldFileWhole) {
    std::vector<uint8_t> old = DefaultBytes();
    old[3] = 6;
    WriteSettingsFile(old);
    LoadSettings();
    Settings.CodeLength = 3;

    // The file system refuses more than a few bytes: the write breaks off half-way.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 10;
    sighandler_t previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    SaveSettings();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadSettingsFile(), old);
    EXPECT_EQ(Settings.CodeLength, 3);  // the program goes on with its values

    // The directory has gone: nothing is written anywhere, nothing is reported.
    SettingsPath = Directory + "/missing/BEDINGUN.DAT";
    SaveSettings();
    SettingsPath = SettingsFile();
    EXPECT_EQ(ReadSettingsFile(), old);

    // Once writing works again, the next save succeeds.
    SaveSettings();
    EXPECT_EQ(ReadSettingsFile()[3], 3);
    // No temporary file is left behind.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Directory)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(SettingsTest, APipeByTheNameNeitherHoldsTheStartNorIsReplaced) {
    ASSERT_EQ(mkfifo(SettingsFile().c_str(), 0600), 0);
    alarm(10);  // a load that waits for a writer ends the test here
    LoadSettings();
    alarm(0);
    EXPECT_EQ(RecordBytes(Settings), DefaultBytes());
    Settings.CodeLength = 6;
    SaveSettings();
    struct stat status;
    ASSERT_EQ(lstat(SettingsFile().c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(Entries(Directory), 1);
}

TEST_F(SettingsTest, ASymbolicLinkStaysALinkAndItsTargetIsSaved) {
    std::filesystem::create_directory(Directory + "/data");
    std::vector<uint8_t> old = DefaultBytes();
    old[3] = 6;
    {
        std::ofstream out(Directory + "/data/real.dat", std::ios::binary);
        out.write(reinterpret_cast<const char*>(old.data()), 80);
    }
    ASSERT_EQ(symlink("data/real.dat", SettingsFile().c_str()), 0);
    LoadSettings();
    EXPECT_EQ(Settings.CodeLength, 6);
    Settings.CodeLength = 5;
    SaveSettings();
    EXPECT_TRUE(std::filesystem::is_symlink(SettingsFile()));
    EXPECT_EQ(std::filesystem::read_symlink(SettingsFile()), "data/real.dat");
    std::vector<uint8_t> saved = ReadSettingsFile();  // read through the link
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(saved[3], 5);
    // The temporary file was made beside the target and is gone.
    EXPECT_EQ(Entries(Directory + "/data"), 1);
    EXPECT_EQ(Entries(Directory), 2);
}

TEST_F(SettingsTest, ASaveKeepsTheRightsAndLeavesAReadOnlyFileAsItIs) {
    auto mode = [this] {
        struct stat status;
        return stat(SettingsFile().c_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
    };
    WriteSettingsFile(DefaultBytes());
    ASSERT_EQ(chmod(SettingsFile().c_str(), 0640), 0);
    LoadSettings();
    Settings.CodeLength = 5;
    SaveSettings();
    EXPECT_EQ(mode(), 0640u);
    EXPECT_EQ(ReadSettingsFile()[3], 5);

    // Read-only for its owner: kept byte for byte, also for a user whose rights are not
    // checked; the program goes on with its values and tries again at the next save.
    ASSERT_EQ(chmod(SettingsFile().c_str(), 0444), 0);
    Settings.CodeLength = 7;
    SaveSettings();
    EXPECT_EQ(mode(), 0444u);
    EXPECT_EQ(ReadSettingsFile()[3], 5);
    EXPECT_EQ(Settings.CodeLength, 7);
    ASSERT_EQ(chmod(SettingsFile().c_str(), 0600), 0);
    SaveSettings();
    EXPECT_EQ(mode(), 0600u);
    EXPECT_EQ(ReadSettingsFile()[3], 7);
    EXPECT_EQ(Entries(Directory), 1);
}

// A shared install: the folder takes no new file, the file itself may be written by all. The
// save is made with another user's rights (as root) or with the folder's write right taken.
TEST_F(SettingsTest, AFolderThatTakesNoNewFileGetsTheRecordInPlace) {
    WriteSettingsFile(DefaultBytes());
    ASSERT_EQ(chmod(SettingsFile().c_str(), 0666), 0);
    const ino_t inode = Inode(SettingsFile());
    LoadSettings();
    Settings.CodeLength = 6;
    const bool root = geteuid() == 0;
    ASSERT_EQ(chmod(Directory.c_str(), root ? 0755 : 0500), 0);
    bool reachable = true;
    if (root) {
        (void)setfsgid(65534);
        (void)setfsuid(65534);
        reachable = faccessat(AT_FDCWD, SettingsFile().c_str(), W_OK, AT_EACCESS) == 0;
        if (reachable) SaveSettings();
        (void)setfsuid(0);
        (void)setfsgid(0);
    } else {
        SaveSettings();
    }
    chmod(Directory.c_str(), 0700);
    if (!reachable) GTEST_SKIP() << "the temporary folder is out of another user's reach";
    std::vector<uint8_t> saved = ReadSettingsFile();
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(saved[3], 6);
    EXPECT_EQ(Inode(SettingsFile()), inode);
    EXPECT_EQ(Entries(Directory), 1);
    if (!root) return;

    // A folder that takes new files, but a new file could not be given the old one's owner:
    // the file is written in place and stays root's.
    ASSERT_EQ(chmod(Directory.c_str(), 0777), 0);
    Settings.CodeLength = 7;
    (void)setfsgid(65534);
    (void)setfsuid(65534);
    SaveSettings();
    (void)setfsuid(0);
    (void)setfsgid(0);
    struct stat status;
    ASSERT_EQ(stat(SettingsFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 0u);
    EXPECT_EQ(status.st_ino, inode);
    EXPECT_EQ(ReadSettingsFile()[3], 7);
    EXPECT_EQ(Entries(Directory), 1);
}

TEST_F(SettingsTest, AFileWithSeveralNamesIsWrittenInPlaceAndAnyOtherIsReplaced) {
    WriteSettingsFile(DefaultBytes());
    LoadSettings();
    // One name: a new file takes the old one's place.
    const ino_t first = Inode(SettingsFile());
    Settings.CodeLength = 5;
    SaveSettings();
    EXPECT_NE(Inode(SettingsFile()), first);
    // Two names: both see the record, and both are still the one file.
    const std::string other = Directory + "/other.dat";
    ASSERT_EQ(link(SettingsFile().c_str(), other.c_str()), 0);
    const ino_t linked = Inode(SettingsFile());
    Settings.CodeLength = 6;
    SaveSettings();
    EXPECT_EQ(Inode(SettingsFile()), linked);
    EXPECT_EQ(Inode(other), linked);
    EXPECT_EQ(ReadFile(other).size(), 80u);
    EXPECT_EQ(ReadFile(other)[3], 6);
    EXPECT_EQ(Entries(Directory), 2);
}

TEST_F(SettingsTest, LinkChainsAndLongNamesAreSavedAsFarAsTheSystemReaches) {
    // Forty links in a row (BEDINGUN.DAT and link1..link39): the system follows them, and so
    // does the save. One more, and neither reaches the file.
    std::filesystem::create_directory(Directory + "/data");
    const std::string real = Directory + "/data/real.dat";
    WriteFile(real, DefaultBytes());
    std::string next = "data/real.dat";
    for (int i = 39; i >= 1; --i) {
        const std::string name = "link" + std::to_string(i);
        ASSERT_EQ(symlink(next.c_str(), (Directory + "/" + name).c_str()), 0);
        next = name;
    }
    ASSERT_EQ(symlink(next.c_str(), SettingsFile().c_str()), 0);
    LoadSettings();
    Settings.CodeLength = 5;
    SaveSettings();
    EXPECT_EQ(ReadFile(real)[3], 5);
    EXPECT_TRUE(std::filesystem::is_symlink(SettingsFile()));
    ASSERT_EQ(rename((Directory + "/link39").c_str(), (Directory + "/link40").c_str()), 0);
    ASSERT_EQ(symlink("link40", (Directory + "/link39").c_str()), 0);
    Settings.CodeLength = 6;
    SaveSettings();
    EXPECT_EQ(ReadFile(real)[3], 5);

    // A name of 255 bytes leaves no room for the temporary name beside it: written in place.
    const std::string longName = std::string(251, 'n') + ".dat";
    WriteFile(Directory + "/data/" + longName, DefaultBytes());
    const ino_t inode = Inode(Directory + "/data/" + longName);
    ASSERT_EQ(unlink(SettingsFile().c_str()), 0);
    ASSERT_EQ(symlink(("data/" + longName).c_str(), SettingsFile().c_str()), 0);
    SaveSettings();
    EXPECT_EQ(ReadSettingsFile()[3], 6);
    EXPECT_EQ(Inode(SettingsFile()), inode);
    EXPECT_EQ(Entries(Directory + "/data"), 2);
}

}  // namespace
