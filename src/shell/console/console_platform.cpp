// Clock, pauses, sound and the facts of the machine, dispatched to the active backend.
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "shell/console/console.h"
#include "shell/console/console_internal.h"
#include "shell/settings.h"

namespace {

bool OnTerminal() {
    return ActiveConsole == ConsoleKind::Terminal;
}

bool ValidCalendarDate(int year, int month, int day) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
    return day <= last;
}

// Hands a changed local time to the machine's clock; false when the machine refuses it (most
// often for want of the rights).
bool SetRealClock(const struct tm& wanted, long hundredths) {
    struct tm copy = wanted;
    copy.tm_isdst = -1;
    time_t seconds = mktime(&copy);
    if (seconds == static_cast<time_t>(-1)) return false;
    struct timespec ts;
    ts.tv_sec = seconds;
    ts.tv_nsec = hundredths * 10000000L;
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

// The screens know the years 1..9999: a clock outside them is read as the nearest of these
// years on the same month and day (the 28th for a 29 February that year lacks), with the
// weekday of the date so used.
DateValue UsableDate(DateValue date) {
    if (date.Year >= 1 && date.Year <= 9999) return date;
    date.Year = date.Year < 1 ? 1 : 9999;
    if (!ValidCalendarDate(date.Year, date.Month, date.Day)) date.Day = 28;
    struct tm noon = {};
    noon.tm_year = date.Year - 1900;
    noon.tm_mon = date.Month - 1;
    noon.tm_mday = date.Day;
    noon.tm_hour = 12;
    if (timegm(&noon) != static_cast<time_t>(-1)) date.Weekday = noon.tm_wday;
    return date;
}

}  // namespace

DateValue GetDate() {
    if (!OnTerminal()) return UsableDate(VirtualGetDate());
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    DateValue date;
    date.Year = local.tm_year + 1900;
    date.Month = local.tm_mon + 1;
    date.Day = local.tm_mday;
    date.Weekday = local.tm_wday;
    return UsableDate(date);
}

// The long work reads the time after every item, so the reading is kept cheap: the machine's
// coarse clock (a tick of a few milliseconds, well below the hundredths shown), and the local
// time of day worked out once per second. The coarse clock turns a tick late at most: within
// two of its ticks before a whole second the fine clock decides, so the second shown turns
// with the machine's.
TimeValue GetTime() {
    if (!OnTerminal()) return VirtualGetTime();
    static long margin = -1;
    if (margin < 0) {
        struct timespec tick;
        margin = clock_getres(CLOCK_REALTIME_COARSE, &tick) == 0 && tick.tv_sec == 0
                     ? 2 * tick.tv_nsec
                     : 1000000000L;
    }
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME_COARSE, &ts);
    if (ts.tv_nsec >= 1000000000L - margin) clock_gettime(CLOCK_REALTIME, &ts);
    static time_t convertedSecond = -1;
    static struct tm local;
    if (ts.tv_sec != convertedSecond) {
        localtime_r(&ts.tv_sec, &local);
        convertedSecond = ts.tv_sec;
    }
    TimeValue value;
    value.Hour = local.tm_hour;
    value.Minute = local.tm_min;
    value.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
    value.Hundredths = static_cast<int>(ts.tv_nsec / 10000000L);
    return value;
}

bool SetDate(int year, int month, int day) {
    if (!ValidCalendarDate(year, month, day)) return false;
    if (!OnTerminal()) return VirtualSetDate(year, month, day);
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm local;
    localtime_r(&ts.tv_sec, &local);
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    return SetRealClock(local, ts.tv_nsec / 10000000L);
}

bool SetTime(int hour, int minute, int second, int hundredths) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        hundredths < 0 || hundredths > 99)
        return false;
    if (!OnTerminal()) return VirtualSetTime(hour, minute, second, hundredths);
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return SetRealClock(local, hundredths);
}

// A game does not silently change a machine's clock at start; the virtual console does, so the
// repair of an implausible year stays testable.
bool MayRepairSystemDate() {
    return !OnTerminal();
}

uint32_t TickCount() {
    if (!OnTerminal()) return VirtualTickCount();
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void Delay(int milliseconds) {
    if (milliseconds <= 0) return;
    if (!OnTerminal()) {
        VirtualDelay(milliseconds);
        return;
    }
    TerminalFlush();
    struct timespec ts;
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void Beep() {
    if (Settings.SoundOn != 1) return;
    if (OnTerminal()) {
        TerminalBeep();
    } else {
        VirtualBeep();
    }
    Delay(500);
}

std::string ProgramPath() {
    if (!OnTerminal()) return VirtualProgramPath();
    char buffer[PATH_MAX + 1];
    ssize_t length = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0) return "zamikovantorel";
    buffer[length] = '\0';
    std::string path(buffer, static_cast<size_t>(length));
    // A program removed while it runs is named with the system's mark " (deleted)" behind its
    // path; the path is what it was, unless a file of that very name is the program.
    const std::string mark = " (deleted)";
    struct stat running;
    struct stat named;
    if (path.size() > mark.size() &&
        path.compare(path.size() - mark.size(), mark.size(), mark) == 0 &&
        stat("/proc/self/exe", &running) == 0 &&
        (stat(path.c_str(), &named) != 0 || named.st_dev != running.st_dev ||
         named.st_ino != running.st_ino))
        path.resize(path.size() - mark.size());
    return path;
}

// The memory the machine can still give without swapping, from /proc/meminfo; a machine that
// does not tell is trusted.
bool StoreMayUse(size_t bytes) {
    if (!OnTerminal()) return VirtualStoreMayUse(bytes);
    FILE* file = std::fopen("/proc/meminfo", "r");
    if (file == nullptr) return true;
    char line[256];
    unsigned long long availableKiB = 0;
    bool found = false;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &availableKiB) == 1) {
            found = true;
            break;
        }
    }
    std::fclose(file);
    if (!found) return true;
    // Keep a margin for the rest of the machine.
    unsigned long long available = availableKiB * 1024ull;
    unsigned long long margin = 64ull << 20;
    return available > margin && bytes <= available - margin;
}

uint8_t StartAttribute() {
    return OnTerminal() ? 0x07 : VirtualStartAttribute();
}
