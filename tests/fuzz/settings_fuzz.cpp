// Any content of BEDINGUN.DAT loads without a fault into a record that the repairs then leave
// unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/console/console.h"
#include "shell/console/console_virtual.h"
#include "shell/settings.h"

namespace {

std::string Directory;

void Prepare() {
    if (!Directory.empty()) return;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/zk-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    Directory = pattern;
    std::atexit([] {
        unlink((Directory + "/BEDINGUN.DAT").c_str());
        rmdir(Directory.c_str());
    });
    StartVirtualConsole();
    VirtualSetProgramPath(Directory + "/zamikovantorel");
    LocateSettings();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Prepare();
    // The first byte chooses the kind of display, the rest is the file.
    ColourDisplayFlag = size == 0 || (data[0] & 1) == 0;
    if (size > 0) {
        ++data;
        --size;
    }
    FILE* file = std::fopen(SettingsPath.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    LoadSettings();
    SettingsRecord loaded = Settings;
    ValidateSettings();
    if (std::memcmp(&loaded, &Settings, sizeof loaded) != 0) {
        std::fprintf(stderr, "the repairs changed a repaired record\n");
        std::abort();
    }
    // A save and a load give the record back.
    UserVacantAllowed = Settings.VacantAllowed;
    SaveSettings();
    LoadSettings();
    if (std::memcmp(&loaded, &Settings, sizeof loaded) != 0) {
        std::fprintf(stderr, "a saved record loaded back differently\n");
        std::abort();
    }
    return 0;
}
