// The terminal backend of the console: raw keyboard, the alternate screen with ANSI colours,
// key sequences translated to PC key codes, and the terminal restored on every way out.
//
// Output is collected in a buffer and drawn as the changes of the grid when the program waits
// for a key, pauses or leaves. Input is read with poll() and read() on standard input; the
// translator turns it into key codes. Signals that end the program only raise a flag that the
// keyboard procedures notice, so that the settings are saved from ordinary program context; an
// alarm ends the program anyway, with the terminal restored, if the flag is not picked up.
#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "shell/console/console.h"
#include "shell/console/console_internal.h"
#include "shell/console/key_translator.h"
#include "shell/console/terminal_output.h"
#include "shell/settings.h"

namespace {

constexpr int kPollEvery = 64;  // KeyPressed calls between two looks at the clock
constexpr int64_t kSecondNs = 1000000000;
constexpr unsigned kQuitGraceSeconds = 2;
constexpr size_t kReadChunk = 256;
constexpr int kReadChunksAtOnce = 64;

// Code-store blocks from this size on are mapped pages; from kCheckedSize on the machine's
// available memory is asked first, keeping kMemoryReserve for everything else.
constexpr size_t kMappedSize = size_t(1) << 20;
constexpr size_t kPagesPiece = size_t(4) << 20;  // pages given to a block between two looks
constexpr size_t kCheckedSize = size_t(64) << 20;
constexpr unsigned long long kMemoryReserve = 64ull << 20;

// Modes of the full screen: alternate screen, no autowrap; and their undoing.
constexpr char kEnterFullScreen[] = "\x1b[?1049h\x1b[?7l";
constexpr char kLeaveFullScreen[] = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";

struct TerminalState {
    bool Started = false;
    bool InputTty = false;
    bool OutputTty = false;
    bool Colour = true;
    bool BannerMode = false;  // the full screen is left; lines go to the normal screen
    bool InputEnded = false;
    bool OutputBroken = false;
    bool CellsPending = false;  // cells changed since the last flush
    int PollCountdown = 0;
    int64_t LastPollMs = -1;
    KeyTranslator Keys;
    TerminalScreen Screen;
    std::string Out;
    int BannerRow = 1;  // the model row of the terminal's current banner line
    int BannerColumn = 1;
    struct MappedBlock {
        void* Block;
        size_t Bytes;
    };
    std::vector<MappedBlock> Mapped;
};

TerminalState T;

// Shared with the signal handlers.
struct termios SavedModes;
struct termios RawModes;
volatile sig_atomic_t RawActive = 0;
volatile sig_atomic_t AltActive = 0;
volatile sig_atomic_t QuitSignal = 0;
volatile sig_atomic_t QuitAlarmArmed = 0;
volatile sig_atomic_t Resized = 0;
volatile sig_atomic_t WakeWrite = -1;
int WakeRead = -1;

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// The two lists, and SIGALRM, SIGWINCH, SIGCONT, SIGTSTP and SIGPIPE.
constexpr int kHandledCount = int(std::size(kQuitSignals) + std::size(kCrashSignals)) + 5;
int HandledSignals[kHandledCount];
struct sigaction PreviousActions[kHandledCount];
bool HandlersInstalled = false;
alignas(16) char AlternateStack[64 * 1024];

int64_t NowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// ---- Restoring the terminal (async-signal-safe) ---------------------------------------------

void WriteAllRaw(int fd, const char* data, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        data += n;
        length -= static_cast<size_t>(n);
    }
}

void RestoreModesAsyncSafe() {
    if (AltActive) {
        AltActive = 0;
        WriteAllRaw(STDOUT_FILENO, kLeaveFullScreen, sizeof kLeaveFullScreen - 1);
    }
    if (RawActive) {
        RawActive = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &SavedModes);
    }
}

void WakeUp() {
    int fd = WakeWrite;
    if (fd >= 0) {
        char byte = 1;
        ssize_t ignored = write(fd, &byte, 1);
        (void)ignored;
    }
}

void OnQuitSignal(int signo) {
    int savedErrno = errno;
    QuitSignal = signo;
    if (!QuitAlarmArmed) {
        QuitAlarmArmed = 1;
        alarm(kQuitGraceSeconds);
    }
    WakeUp();
    errno = savedErrno;
}

void OnAlarm(int) {
    if (!QuitSignal) return;
    // The program did not come back to its keyboard in time: end it without the save.
    RestoreModesAsyncSafe();
    _exit(0);
}

void OnResize(int) {
    int savedErrno = errno;
    Resized = 1;
    WakeUp();
    errno = savedErrno;
}

// Stopped from outside (Ctrl-Z is an ordinary key here): give the terminal back while stopped
// and take it again, redrawn, when continued.
void OnStop(int) {
    int savedErrno = errno;
    bool wasRaw = RawActive != 0;
    bool wasAlt = AltActive != 0;
    RestoreModesAsyncSafe();
    raise(SIGSTOP);
    if (wasRaw) {
        tcsetattr(STDIN_FILENO, TCSANOW, &RawModes);
        RawActive = 1;
    }
    if (wasAlt) {
        WriteAllRaw(STDOUT_FILENO, kEnterFullScreen, sizeof kEnterFullScreen - 1);
        AltActive = 1;
    }
    Resized = 1;
    WakeUp();
    errno = savedErrno;
}

void OnCrash(int signo) {
    RestoreModesAsyncSafe();
    // The handler was reset to the default action on entry: end the program as the signal
    // would have.
    raise(signo);
}

void InstallHandlers() {
    stack_t stack;
    std::memset(&stack, 0, sizeof stack);
    stack.ss_sp = AlternateStack;
    stack.ss_size = sizeof AlternateStack;
    sigaltstack(&stack, nullptr);

    int count = 0;
    auto install = [&count](int signo, void (*handler)(int), int flags) {
        if (count >= kHandledCount) return;
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = handler;
        sigfillset(&action.sa_mask);
        action.sa_flags = flags;
        HandledSignals[count] = signo;
        sigaction(signo, &action, &PreviousActions[count]);
        ++count;
    };
    for (int signo : kQuitSignals) install(signo, OnQuitSignal, 0);
    for (int signo : kCrashSignals) install(signo, OnCrash, SA_RESETHAND | SA_NODEFER | SA_ONSTACK);
    install(SIGALRM, OnAlarm, 0);
    install(SIGWINCH, OnResize, SA_RESTART);
    install(SIGCONT, OnResize, SA_RESTART);  // after a stop the screen may hold anything
    install(SIGTSTP, OnStop, SA_RESTART);
    install(SIGPIPE, SIG_IGN, 0);  // a closed output is a failed write, not the end
    HandlersInstalled = true;
}

void RemoveHandlers() {
    if (!HandlersInstalled) return;
    for (int i = 0; i < kHandledCount; ++i)
        sigaction(HandledSignals[i], &PreviousActions[i], nullptr);
    HandlersInstalled = false;
}

// Restores the terminal from ordinary program context, with the handlers kept out meanwhile.
void RestoreModes() {
    sigset_t all, previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    RestoreModesAsyncSafe();
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// ---- Output ---------------------------------------------------------------------------------

void WriteOut() {
    if (T.Out.empty()) return;
    if (T.OutputBroken) {
        T.Out.clear();
        return;
    }
    const char* data = T.Out.data();
    size_t length = T.Out.size();
    while (length > 0) {
        ssize_t n = write(STDOUT_FILENO, data, length);
        if (n > 0) {
            data += n;
            length -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            struct pollfd out = {STDOUT_FILENO, POLLOUT, 0};
            if (poll(&out, 1, 1000) > 0) continue;
        }
        T.OutputBroken = true;  // nobody reads the output any more
        break;
    }
    T.Out.clear();
}

bool FlushNeeded() {
    return T.CellsPending || Resized || !T.Screen.Valid || T.Screen.CursorX != Grid.CursorX ||
           T.Screen.CursorY != Grid.CursorY;
}

// Line ends of the banner down to a row of the model. A text that filled its row to column 80
// runs on in the next row of the grid; on the normal screen it runs on in the same line, which
// the terminal wraps at its own width, so that a character of several bytes is never cut by a
// line end.
void BannerDownTo(int row) {
    while (T.BannerRow < row) {
        if (T.BannerColumn <= ScreenWidth) T.Out += "\r\n";
        ++T.BannerRow;
        T.BannerColumn = 1;
    }
}

void BannerCatchUp() {
    BannerDownTo(Grid.CursorY);
}

void BannerCells(int column, int row, int count) {
    BannerDownTo(row);
    for (; T.BannerColumn < column; ++T.BannerColumn) T.Out += ' ';
    // Bytes above 127 go out as they are: the banner holds only printable UTF-8 (the program's
    // path as the file system has it, anything else made '?'). Control characters never reach
    // the terminal.
    for (int i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(Grid.Cells[row - 1][column - 1 + i].Char);
        T.Out += c >= 0x20 && c != 0x7F ? static_cast<char>(c) : '?';
    }
    T.BannerColumn = column + count;
}

[[noreturn]] void EndOnQuitSignal() {
    // A fresh grace period for the save; the alarm still ends a hanging one.
    alarm(kQuitGraceSeconds);
    T.Out.clear();
    RestoreModes();
    T.Started = false;
    SaveSettings();
    std::exit(0);
}

void CheckQuit() {
    if (QuitSignal != 0 && T.Started) EndOnQuitSignal();
}

// ---- Input ----------------------------------------------------------------------------------

void EndInput() {
    T.InputEnded = true;
    TranslateTimeout(T.Keys);
}

void DrainWakePipe() {
    char buffer[64];
    while (read(WakeRead, buffer, sizeof buffer) > 0) {
    }
}

// Whether standard input has bytes to read right now.
bool InputWaiting() {
    struct pollfd in = {STDIN_FILENO, POLLIN, 0};
    return poll(&in, 1, 0) > 0 && (in.revents & POLLIN) != 0;
}

// Nanoseconds until the machine's clock turns to its next whole second.
int64_t NsToNextSecond() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return kSecondNs - ts.tv_nsec;
}

// Waits up to waitNs (-1: without limit) for input and feeds what arrives to the translator.
// A started sequence shortens the wait to its escape timeout, and is settled only when the
// input has nothing more.
void PumpInput(int64_t waitNs) {
    if (T.InputEnded) return;
    int64_t dueMs = TranslatorDueIn(T.Keys, NowMs());
    if (dueMs >= 0 && (waitNs < 0 || waitNs > dueMs * 1000000)) waitNs = dueMs * 1000000;
    struct timespec limit;
    limit.tv_sec = waitNs / kSecondNs;
    limit.tv_nsec = waitNs % kSecondNs;
    struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {WakeRead, POLLIN, 0}};
    int count = ppoll(fds, WakeRead >= 0 ? 2 : 1, waitNs < 0 ? nullptr : &limit, nullptr);
    if (count < 0) {
        if (errno != EINTR && errno != EAGAIN) EndInput();
        return;
    }
    if (WakeRead >= 0 && fds[1].revents != 0) DrainWakePipe();
    if ((fds[0].revents & POLLIN) != 0) {
        // All that the terminal has sent by now (up to a bound, against a flood) is read as one
        // piece, at one time: a sequence sent in one piece is never cut by the size of a read.
        const int64_t now = NowMs();
        for (int chunks = 1;; ++chunks) {
            uint8_t buffer[kReadChunk];
            ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                TranslateRead(T.Keys, buffer, static_cast<size_t>(n), now);
                if (static_cast<size_t>(n) < sizeof buffer || chunks == kReadChunksAtOnce ||
                    !InputWaiting())
                    return;
                continue;
            }
            if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) EndInput();
            return;
        }
    }
    if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        EndInput();
        return;
    }
    TranslateQuiet(T.Keys, NowMs());
}

// ---- Start-up -------------------------------------------------------------------------------

void EnterRawMode() {
    if (tcgetattr(STDIN_FILENO, &SavedModes) != 0) return;
    RawModes = SavedModes;
    // No echo, no line editing, no signal keys (Ctrl-C, Ctrl-Z, Ctrl-\ are keys), no flow
    // control (Ctrl-S, Ctrl-Q are keys), no translation of CR; eight clean bits.
    RawModes.c_iflag &=
        ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    RawModes.c_oflag &= ~tcflag_t(OPOST);
    RawModes.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    RawModes.c_cflag &= ~tcflag_t(CSIZE | PARENB);
    RawModes.c_cflag |= CS8;
    RawModes.c_cc[VMIN] = 1;
    RawModes.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &RawModes) == 0) RawActive = 1;
}

void OpenWakePipe() {
    int fds[2];
    if (pipe(fds) != 0) return;
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    WakeRead = fds[0];
    WakeWrite = fds[1];
}

void CloseWakePipe() {
    int write = WakeWrite;
    WakeWrite = -1;
    if (write >= 0) close(write);
    if (WakeRead >= 0) close(WakeRead);
    WakeRead = -1;
}

// Looks at the terminal itself, at most once per tick of the machine's coarse clock (a few
// milliseconds, and far cheaper to read than the fine one): what came is read and translated.
bool LookForKey() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    const int64_t now = int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    if (now == T.LastPollMs) return false;
    T.LastPollMs = now;
    PumpInput(0);
    return TranslatorHasKey(T.Keys) || T.InputEnded;
}

// The stores fill their blocks right away, so a block is given its pages at once: a piece at a
// time, with a look at the keyboard between the pieces, so that a large block does not keep the
// keys unread for long. Once Esc or Ctrl-C waits, the rest of the pages are left to come when
// they are touched: the build that asked for the block breaks off at its next tick. False when
// the machine cannot give the pages.
bool GivePages(char* block, size_t bytes) {
    for (size_t at = 0; at < bytes; at += kPagesPiece) {
        const size_t piece = bytes - at < kPagesPiece ? bytes - at : kPagesPiece;
#ifdef MADV_POPULATE_WRITE
        if (madvise(block + at, piece, MADV_POPULATE_WRITE) != 0) {
            if (errno != EINVAL) return false;
            // A kernel without it: each page is touched.
            for (size_t page = 0; page < piece; page += 4096)
                static_cast<volatile char*>(block + at)[page] = 0;
        }
#else
        for (size_t page = 0; page < piece; page += 4096)
            static_cast<volatile char*>(block + at)[page] = 0;
#endif
        if (!T.Started) continue;
        if (!T.InputEnded) (void)LookForKey();
        if (T.InputEnded || (TranslatorHasKey(T.Keys) &&
                             (T.Keys.Keys.front() == KeyEsc || T.Keys.Keys.front() == KeyCtrlC)))
            return true;
    }
    return true;
}

// MemAvailable of /proc/meminfo in bytes; -1 when it cannot be read.
long long AvailableMemory() {
    int fd = open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char text[8192];
    ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return -1;
    text[n] = '\0';
    const char* line = std::strstr(text, "MemAvailable:");
    if (line == nullptr) return -1;
    char* end = nullptr;
    long long kib = std::strtoll(line + std::strlen("MemAvailable:"), &end, 10);
    if (end == line || kib < 0) return -1;
    return kib * 1024;
}

// A closed standard descriptor is opened on /dev/null, so that no file of the program takes
// its number and is then read as the keyboard or written as the screen.
void GuardStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

}  // namespace

bool StartTerminalConsole() {
    if (T.Started) return T.InputTty && T.OutputTty;
    T = TerminalState{};
    ActiveConsole = ConsoleKind::Terminal;
    GuardStandardDescriptors();
    T.InputTty = isatty(STDIN_FILENO) != 0;
    T.OutputTty = isatty(STDOUT_FILENO) != 0;
    T.Colour = TerminalTypeHasColours(std::getenv("TERM"), TerminfoDirectories());
    T.Screen.Colour = T.Colour;
    QuitSignal = 0;
    QuitAlarmArmed = 0;
    Resized = 0;
    OpenWakePipe();
    InstallHandlers();
    if (T.InputTty) EnterRawMode();
    if (T.OutputTty) {
        AltActive = 1;
        T.Out += kEnterFullScreen;
    }
    T.Started = true;
    static bool exitHookSet = false;
    if (!exitHookSet) {
        exitHookSet = true;
        std::atexit(StopTerminalConsole);
    }
    WriteOut();
    return T.InputTty && T.OutputTty;
}

void StopTerminalConsole() {
    if (!T.Started) return;
    if (T.BannerMode) {
        BannerCatchUp();
    } else {
        T.Out.clear();  // the full screen goes away: its last changes need not be drawn
    }
    WriteOut();
    RestoreModes();
    T.Started = false;
    RemoveHandlers();
    CloseWakePipe();
}

void TerminalCellsWritten(int column, int row, int count) {
    if (T.BannerMode) {
        BannerCells(column, row, count);
    } else {
        T.CellsPending = true;
    }
}

void TerminalFullRedraw() {
    if (!T.BannerMode) {
        T.Screen.Valid = false;
        T.CellsPending = true;
        return;
    }
    // On the normal screen nothing is cleared: a scroll is one more line, a clear starts the
    // lines afresh below what is already there.
    if (Grid.CursorY == ScreenHeight) {
        --T.BannerRow;
    } else {
        if (T.BannerColumn > 1) T.Out += "\r\n";
        T.BannerRow = 1;
        T.BannerColumn = 1;
    }
}

void TerminalFlush() {
    CheckQuit();
    if (!T.Started) return;
    T.PollCountdown = 0;
    if (T.BannerMode) {
        BannerCatchUp();
    } else if (FlushNeeded()) {
        if (Resized) {
            Resized = 0;
            T.Screen.EraseFirst = true;
        }
        RenderScreen(T.Screen, Grid, T.Out);
        T.CellsPending = false;
    }
    WriteOut();
}

uint8_t TerminalReadKey() {
    // What the program drew before it asks for a key is shown, typed-ahead keys or not.
    if (FlushNeeded()) TerminalFlush();
    for (;;) {
        CheckQuit();
        if (TranslatorHasKey(T.Keys)) return TranslatorNextKey(T.Keys);
        if (T.InputEnded || !T.Started) return KeyCtrlC;
        TerminalFlush();
        PumpInput(-1);
    }
}

bool TerminalKeyPressed() {
    if (QuitSignal != 0) CheckQuit();
    if (TranslatorHasKey(T.Keys) || T.InputEnded || !T.Started) return true;
    if (FlushNeeded()) TerminalFlush();
    // Called once per record: the terminal itself is looked at only every so many calls.
    if (T.PollCountdown > 0) {
        --T.PollCountdown;
        return false;
    }
    T.PollCountdown = kPollEvery - 1;
    return LookForKey();
}

bool TerminalKeyPressedNow() {
    if (QuitSignal != 0) CheckQuit();
    if (TranslatorHasKey(T.Keys) || T.InputEnded || !T.Started) return true;
    if (FlushNeeded()) TerminalFlush();
    return LookForKey();
}

uint8_t TerminalPeekKey() {
    return TranslatorHasKey(T.Keys) ? T.Keys.Keys.front() : KeyCtrlC;
}

void TerminalIdlePause() {
    CheckQuit();
    TerminalFlush();
    if (TranslatorHasKey(T.Keys) || T.InputEnded || !T.Started) return;
    // Sleeps until a key comes or the clock turns to its next second, when a clock on the
    // screen has to move on.
    PumpInput(NsToNextSecond());
}

void TerminalBeep() {
    T.Out += '\a';
    WriteOut();
}

void TerminalLeaveFullScreen() {
    if (!T.Started || T.BannerMode) return;
    T.Out.clear();
    RestoreModes();
    if (!T.OutputTty) T.Out += "\x1b[0m\r\n";  // the banner starts on a line of its own
    WriteOut();
    T.BannerMode = true;
    T.BannerRow = Grid.CursorY;
    T.BannerColumn = 1;  // the normal screen's cursor stands at the start of a line
}

bool TerminalColourDisplay() {
    return T.Colour;
}

void* TerminalStoreAllocate(size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes >= kCheckedSize) {
        long long available = AvailableMemory();
        if (available >= 0) {
            unsigned long long have = static_cast<unsigned long long>(available);
            if (bytes > have || have - bytes < kMemoryReserve) return nullptr;
        }
    }
    if (bytes < kMappedSize) return std::malloc(bytes);
    // No huge pages: finding and clearing 2 MiB pages at the faults costs more than the fewer
    // misses of the address cache save (the stores are mostly read in order).
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    if (!GivePages(static_cast<char*>(block), bytes)) {
        munmap(block, bytes);
        return nullptr;
    }
    T.Mapped.push_back({block, bytes});
    return block;
}

void TerminalStoreTrim(void* block, size_t from, size_t to) {
    for (const auto& mapped : T.Mapped) {
        if (mapped.Block != block) continue;
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t first = (from + page - 1) / page * page;
        const size_t last = std::min(to, mapped.Bytes) / page * page;
        if (first < last)
            madvise(static_cast<uint8_t*>(block) + first, last - first, MADV_DONTNEED);
        return;
    }
}

void TerminalStoreGiveBack() {
    // Blocks below the mapped size come from the heap; freed, they may lie below a block still
    // in use, where the heap's own trimming at its top does not reach them.
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void TerminalStoreFree(void* block, size_t) {
    if (block == nullptr) return;
    for (size_t i = 0; i < T.Mapped.size(); ++i) {
        if (T.Mapped[i].Block == block) {
            munmap(block, T.Mapped[i].Bytes);
            T.Mapped.erase(T.Mapped.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
    std::free(block);
}
