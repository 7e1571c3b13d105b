// Loading, repairing and saving the settings record.
#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

char FoldSign(char c) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return c;
}

void RepairFlag(uint8_t& flag, uint8_t fallback) {
    if (flag > 1) flag = fallback;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
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
    int fd = open(SettingsPath.c_str(), O_RDONLY | O_CLOEXEC);
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

    // A new file beside the old one, renamed over it once complete: a failure at any point
    // leaves the old file whole.
    std::string temporary = SettingsPath + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return;
    bool ok = WriteAll(fd, &record, sizeof record);
    mode_t mask = umask(0);
    umask(mask);
    ok = fchmod(fd, 0666 & ~mask) == 0 && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), SettingsPath.c_str()) != 0) unlink(temporary.c_str());
}
