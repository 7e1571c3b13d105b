// Loading, repairing and saving the settings record. A save replaces the file through a new
// file and a rename wherever that keeps the file's names, owner and rights (never torn, nothing
// left behind); where it cannot, the record is written over the file in place.
#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "match/code.h"
#include "setup/capacity.h"
#include "setup/names.h"
#include "shell/console/console.h"

SettingsRecord Settings;
uint8_t NormalAttributeInUse = 0x1F;
uint8_t HighlightAttributeInUse = 0x1E;
uint8_t MemoryLevelInUse = 4;
uint8_t UserVacantAllowed = 0;
bool ColourDisplayFlag = true;
std::string SettingsPath = "BEDINGUN.DAT";
int64_t SettingsSaves = 0;

namespace {

constexpr const char* kFileName = "BEDINGUN.DAT";
constexpr int kMostLinks = 40;  // symbolic links in a row that the system follows

char FoldSign(char c) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return c;
}

void RepairFlag(uint8_t& flag, uint8_t fallback) {
    if (flag > 1) flag = fallback;
}

// Writes all bytes at the offset; false when the file takes fewer.
bool WriteAllAt(int fd, const void* data, size_t size, off_t offset) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = pwrite(fd, bytes, size, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

// The file a save writes: the settings path with its symbolic links followed, so that a link
// stays a link and its target receives the record. Empty when the links do not end within the
// 40 that the system follows itself.
std::string SaveTarget(std::string path) {
    for (int links = 0;; ++links) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        if (links == kMostLinks) return std::string();
        std::string target(PATH_MAX, '\0');
        ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) return std::string();
        target.resize(static_cast<size_t>(length));
        size_t slash = path.rfind('/');
        if (target[0] != '/' && slash != std::string::npos)
            target = path.substr(0, slash + 1) + target;
        path = target;
    }
}

// The save through a new file beside the target, renamed over it once complete: a failure at
// any point leaves the old file whole and no new file behind. False when this way cannot be
// taken: no file can be made beside the target (a folder that takes no new file, a name with no
// room for the suffix), or the new file cannot be given the old one's owner.
bool SaveByRename(const std::string& target, const SettingsRecord& record, const struct stat* old,
                  mode_t mode) {
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    struct stat made;
    bool owned =
        old == nullptr ||
        (fstat(fd, &made) == 0 && made.st_uid == old->st_uid && made.st_gid == old->st_gid) ||
        fchown(fd, old->st_uid, old->st_gid) == 0;
    if (!owned) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    bool ok = WriteAllAt(fd, &record, sizeof record, 0);
    ok = fchmod(fd, mode) == 0 && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), target.c_str()) != 0) unlink(temporary.c_str());
    return true;
}

// The save over the file itself, where no new file can take its place: its names, links,
// owner and rights stay as they are. Not truncated first: the record is written, the file cut
// to it and synced. A write that breaks off puts back the bytes it replaced (as far as the file
// lets them be read); a file this save made and could not fill is removed again.
void SaveInPlace(const std::string& target, const SettingsRecord& record, bool existing) {
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (existing ? 0 : O_CREAT | O_EXCL);
    int fd = open(target.c_str(), O_RDWR | flags, 0666);
    if (fd < 0 && errno == EACCES) fd = open(target.c_str(), O_WRONLY | flags, 0666);
    if (fd < 0) return;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return;
    }
    char before[sizeof record];
    const ssize_t had = pread(fd, before, sizeof before, 0);
    if (WriteAllAt(fd, &record, sizeof record, 0)) {
        (void)ftruncate(fd, sizeof record);
        (void)fsync(fd);
    } else if (!existing) {
        unlink(target.c_str());
    } else if (had >= 0 && WriteAllAt(fd, before, static_cast<size_t>(had), 0) &&
               status.st_size < static_cast<off_t>(sizeof record)) {
        (void)ftruncate(fd, status.st_size);
    }
    close(fd);
}

}  // namespace

std::string SettingsFilePath(const std::string& programPath) {
    size_t slash = programPath.rfind('/');
    if (slash == std::string::npos) return kFileName;
    return programPath.substr(0, slash + 1) + kFileName;
}

void LocateSettings() {
    SettingsPath = SettingsFilePath(ProgramPath());
}

void SetDefaultSettings() {
    Settings.NormalAttribute = 0x1F;
    Settings.HighlightAttribute = 0x1E;
    Settings.TimeLimitTens = 1;
    Settings.CodeLength = 4;
    Settings.MemoryLevel = 4;
    Settings.Reserved = 5;
    Settings.FirstSign = '0';
    Settings.LastSign = '9';
    Settings.SoundOn = 0;
    Settings.RepetitionsAllowed = 0;
    Settings.VacantAllowed = 0;
    Settings.ComputerEncodes = 1;
    Settings.ComputerGuesses = 0;
    Settings.AnswerFixed = 1;
    std::memset(Settings.EncoderName, ' ', NameFieldSize);
    std::memset(Settings.BreakerName, ' ', NameFieldSize);
}

void LoadSettings() {
    SetDefaultSettings();
    // Opened without blocking, so that a pipe or a device of that name cannot hold up the
    // start; only an ordinary file is read.
    int fd = open(SettingsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat status;
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(fd);
        fd = -1;
    }
    if (fd >= 0) {
        SettingsRecord record;
        size_t got = 0;
        char* bytes = reinterpret_cast<char*>(&record);
        while (got < sizeof record) {
            ssize_t n = read(fd, bytes + got, sizeof record - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        close(fd);
        // A file shorter than one record holds no record: the defaults stand.
        if (got == sizeof record) Settings = record;
    }
    ValidateSettings();
}

void RepairAttributes() {
    uint8_t& normal = Settings.NormalAttribute;
    uint8_t& highlight = Settings.HighlightAttribute;
    if (ColourDisplayFlag) {
        normal = static_cast<uint8_t>(normal % 128);
        if ((normal >> 4) == (normal & 0x0F)) normal = 0x07;
        highlight = static_cast<uint8_t>(((normal >> 4) * 16 + (highlight & 0x0F)) % 128);
        if ((highlight >> 4) == (highlight & 0x0F)) highlight = normal;
    } else {
        auto light = [](uint8_t a) { return a == 0x07 || a == 0x0F; };
        auto inverse = [](uint8_t a) { return a == 0x70 || a == 0x7F; };
        bool keep = (light(normal) && light(highlight)) || (inverse(normal) && inverse(highlight));
        if (!keep) {
            normal = 0x07;
            highlight = 0x0F;
        }
    }
}

void ValidateSettings() {
    SettingsRecord& s = Settings;
    if (s.MemoryLevel == 0 || s.MemoryLevel > 8) s.MemoryLevel = 4;
    if (s.Reserved == 0 || s.Reserved > 15) s.Reserved = 5;
    s.FirstSign = FoldSign(s.FirstSign);
    if (!IsSignCharacter(s.FirstSign)) s.FirstSign = 'a';
    s.LastSign = FoldSign(s.LastSign);
    if (!IsSignCharacter(s.LastSign)) s.LastSign = s.FirstSign;
    if (s.CodeLength < 2 || s.CodeLength > 9) s.CodeLength = 4;
    if (s.FirstSign == s.LastSign) {
        bool digit = s.FirstSign >= '0' && s.FirstSign <= '9';
        s.FirstSign = digit ? '0' : 'a';
        s.LastSign = digit ? '5' : 'f';
    }
    BuildSignTablesFromSettings();
    // The yes/no fields take only 0 and 1; anything else is a damaged file.
    RepairFlag(s.SoundOn, 0);
    RepairFlag(s.RepetitionsAllowed, 0);
    RepairFlag(s.VacantAllowed, 0);
    RepairFlag(s.ComputerEncodes, 1);
    RepairFlag(s.ComputerGuesses, 0);
    RepairFlag(s.AnswerFixed, 1);
    if (SignCount < s.CodeLength) s.RepetitionsAllowed = 1;
    MemoryLevelInUse = s.MemoryLevel;
    MemoryBudget = BudgetForLevel(MemoryLevelInUse);
    CapacityCheck(SignCount, s.CodeLength, s.RepetitionsAllowed != 0, false, false,
                  s.VacantAllowed != 0);
    UserVacantAllowed = s.VacantAllowed;
    if (s.TimeLimitTens > 9) s.TimeLimitTens = 6;
    NormalizeName(s.EncoderName);
    NormalizeName(s.BreakerName);
    RepairAttributes();
    NormalAttributeInUse = s.NormalAttribute;
    HighlightAttributeInUse = s.HighlightAttribute;
    TextAttr = s.NormalAttribute;
}

void SaveSettings() {
    ++SettingsSaves;
    uint8_t matchVacant = Settings.VacantAllowed;
    Settings.VacantAllowed = UserVacantAllowed;
    Settings.MemoryLevel = MemoryLevelInUse;
    Settings.NormalAttribute = NormalAttributeInUse;
    Settings.HighlightAttribute = HighlightAttributeInUse;
    NormalizeName(Settings.EncoderName);
    NormalizeName(Settings.BreakerName);
    SettingsRecord record = Settings;
    Settings.VacantAllowed = matchVacant;

    const std::string target = SaveTarget(SettingsPath);
    if (target.empty()) return;
    // A new file gets the usual rights; an existing one keeps its own. Something that is not
    // an ordinary file (a pipe, a directory, a device) is left alone, and so is a file that its
    // owner made read-only, even where the rights would not be checked.
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat old;
    const bool existing = stat(target.c_str(), &old) == 0;
    if (existing) {
        if (!S_ISREG(old.st_mode) || (old.st_mode & S_IWUSR) == 0) return;
        if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return;
        mode = old.st_mode & 0777;
    }
    // A file with several names is written in place, so that every name sees the record;
    // otherwise the rename is the way wherever it can be taken.
    if (existing && old.st_nlink > 1) {
        SaveInPlace(target, record, true);
    } else if (!SaveByRename(target, record, existing ? &old : nullptr, mode)) {
        SaveInPlace(target, record, existing);
    }
}
