// The settings record and its file BEDINGUN.DAT beside the executable.
#pragma once

#include <cstdint>
#include <string>

constexpr int NameFieldSize = 33;  // byte 0 and byte 32 are spaces, bytes 1..31 the name

// Exactly the 80 bytes of the file, in this order.
struct SettingsRecord {
    uint8_t NormalAttribute;
    uint8_t HighlightAttribute;
    uint8_t TimeLimitTens;
    uint8_t CodeLength;
    uint8_t MemoryLevel;
    uint8_t Reserved;
    char FirstSign;
    char LastSign;
    uint8_t SoundOn;
    uint8_t RepetitionsAllowed;
    uint8_t VacantAllowed;
    uint8_t ComputerEncodes;
    uint8_t ComputerGuesses;
    uint8_t AnswerFixed;
    char EncoderName[NameFieldSize];
    char BreakerName[NameFieldSize];
};
static_assert(sizeof(SettingsRecord) == 80, "the settings file holds 80-byte records");

extern SettingsRecord Settings;

// Kept beside the record, never written as such.
extern uint8_t NormalAttributeInUse;
extern uint8_t HighlightAttributeInUse;
extern uint8_t MemoryLevelInUse;
extern uint8_t UserVacantAllowed;  // the user's own choice; a match may switch the sign off
extern bool ColourDisplayFlag;

// Where the file lives: the directory of the program path, or the current directory when the
// path names none.
std::string SettingsFilePath(const std::string& programPath);
void LocateSettings();  // from the console's program path
extern std::string SettingsPath;

void SetDefaultSettings();
void LoadSettings();
void ValidateSettings();
// Writes the record; a failure is silent and leaves the old file as it was. A symbolic link
// stays a link and its target is written; an existing file keeps its rights; what is not an
// ordinary file, or is read-only for its owner, is left as it is. A file that can be written
// but not replaced (its folder takes no new file, it has several names, its name leaves no room
// for a temporary one, or a new file could not get its owner) is written in place.
void SaveSettings();
extern int64_t SettingsSaves;  // saves tried since the program was loaded (drivers watch it)
// The attribute repairs of the load; also run when the colour display flag changes.
void RepairAttributes();
