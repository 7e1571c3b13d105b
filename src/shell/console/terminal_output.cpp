// Attribute colours, grid drawing and the terminfo colour count of the terminal backend.
#include "shell/console/terminal_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// PC text palette order (black, blue, green, cyan, red, magenta, brown, grey) to ANSI order
// (black, red, green, yellow, blue, magenta, cyan, white).
constexpr int kAnsiOf[8] = {0, 4, 2, 6, 1, 5, 3, 7};

int ForegroundSgr(uint8_t attribute) {
    int fg = attribute & 0x0F;
    return fg < 8 ? 30 + kAnsiOf[fg] : 90 + kAnsiOf[fg - 8];
}

int BackgroundSgr(uint8_t attribute) {
    return 40 + kAnsiOf[(attribute >> 4) & 0x07];
}

// Without colours: bright foreground as bold, a light grey background as reverse video, blue
// on black (the underline attribute of monochrome adapters) as underline.
constexpr int kBold = 1, kUnderline = 2, kReverse = 4;
int MonoRendition(uint8_t attribute) {
    int fg = attribute & 0x0F;
    int bg = (attribute >> 4) & 0x07;
    int rendition = 0;
    if (fg >= 8) rendition |= kBold;
    if (bg == 7) rendition |= kReverse;
    if ((fg & 7) == 1 && bg == 0) rendition |= kUnderline;
    return rendition;
}

void AppendNumber(std::string& out, int value) {
    char text[16];
    int length = std::snprintf(text, sizeof text, "%d", value);
    out.append(text, static_cast<size_t>(length));
}

void MoveCursor(std::string& out, int column, int row) {
    out += "\x1b[";
    AppendNumber(out, row);
    out += ';';
    AppendNumber(out, column);
    out += 'H';
}

char Printable(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F ? c : '?';
}

bool SameLook(const TerminalScreen& screen, int from, uint8_t to) {
    if (from < 0) return false;
    if (screen.Colour) return ((from ^ to) & 0x7F) == 0;
    return MonoRendition(static_cast<uint8_t>(from)) == MonoRendition(to);
}

int ReadShort(const uint8_t* data) {
    int value = data[0] | (data[1] << 8);
    return value >= 0x8000 ? value - 0x10000 : value;
}

int ReadLong(const uint8_t* data) {
    uint32_t value = uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) |
                     (uint32_t(data[3]) << 24);
    return static_cast<int32_t>(value);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    data.clear();
    uint8_t buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) break;
        data.insert(data.end(), buffer, buffer + n);
        if (data.size() > 1 << 20) break;  // no entry is this large
    }
    close(fd);
    return true;
}

}  // namespace

std::string AttributeSgr(int from, uint8_t to, bool colour) {
    std::string out;
    if (colour) {
        bool fgChanged = from < 0 || ((from ^ to) & 0x0F) != 0;
        bool bgChanged = from < 0 || ((from ^ to) & 0x70) != 0;
        if (!fgChanged && !bgChanged) return out;
        out += "\x1b[";
        if (from < 0) out += "0;";
        if (fgChanged) AppendNumber(out, ForegroundSgr(to));
        if (fgChanged && bgChanged) out += ';';
        if (bgChanged) AppendNumber(out, BackgroundSgr(to));
        out += 'm';
        return out;
    }
    int rendition = MonoRendition(to);
    if (from >= 0 && MonoRendition(static_cast<uint8_t>(from)) == rendition) return out;
    out += "\x1b[0";
    if ((rendition & kBold) != 0) out += ";1";
    if ((rendition & kUnderline) != 0) out += ";4";
    if ((rendition & kReverse) != 0) out += ";7";
    out += 'm';
    return out;
}

void RenderScreen(TerminalScreen& screen, const ConsoleGrid& grid, std::string& out) {
    bool hidden = false;
    if (screen.EraseFirst) {
        out += "\x1b[?25l\x1b[0m\x1b[2J";
        hidden = true;
        screen.EraseFirst = false;
        screen.Valid = false;
        screen.Attr = -1;
        screen.CursorX = 0;
        screen.CursorY = 0;
    }
    for (int row = 1; row <= ScreenHeight; ++row) {
        for (int column = 1; column <= ScreenWidth; ++column) {
            const ConsoleCell& cell = grid.Cells[row - 1][column - 1];
            ConsoleCell& shown = screen.Shown[row - 1][column - 1];
            if (screen.Valid && shown.Char == cell.Char && SameLook(screen, shown.Attr, cell.Attr))
                continue;
            if (!hidden) {
                out += "\x1b[?25l";
                hidden = true;
            }
            if (screen.CursorY != row || screen.CursorX != column) {
                // A short gap of unchanged cells in the current attribute is cheaper to write
                // again than a cursor move.
                int gap = column - screen.CursorX;
                bool bridge = screen.Valid && screen.CursorY == row && screen.CursorX > 0 &&
                              gap > 0 && gap <= 4;
                for (int c = screen.CursorX; bridge && c < column; ++c)
                    bridge = SameLook(screen, screen.Attr, screen.Shown[row - 1][c - 1].Attr);
                if (bridge) {
                    for (int c = screen.CursorX; c < column; ++c)
                        out += Printable(screen.Shown[row - 1][c - 1].Char);
                } else {
                    MoveCursor(out, column, row);
                }
            }
            out += AttributeSgr(screen.Attr, cell.Attr, screen.Colour);
            screen.Attr = cell.Attr;
            out += Printable(cell.Char);
            shown = cell;
            screen.CursorY = row;
            // Autowrap is off: after the last column the cursor stays put, so its place is
            // taken as unknown.
            screen.CursorX = column < ScreenWidth ? column + 1 : 0;
        }
    }
    screen.Valid = true;
    if (screen.CursorX != grid.CursorX || screen.CursorY != grid.CursorY) {
        MoveCursor(out, grid.CursorX, grid.CursorY);
        screen.CursorX = grid.CursorX;
        screen.CursorY = grid.CursorY;
    }
    if (hidden) out += "\x1b[?25h";
}

int TerminfoMaxColours(const uint8_t* data, size_t size) {
    constexpr int kMaxColoursIndex = 13;
    if (data == nullptr || size < 12) return -2;
    int magic = ReadShort(data);
    int width = magic == 0432 ? 2 : magic == 01036 ? 4 : 0;
    if (width == 0) return -2;
    int nameSize = ReadShort(data + 2);
    int boolCount = ReadShort(data + 4);
    int numberCount = ReadShort(data + 6);
    if (nameSize < 0 || boolCount < 0 || numberCount < 0) return -2;
    size_t offset = 12 + static_cast<size_t>(nameSize) + static_cast<size_t>(boolCount);
    if (offset % 2 != 0) ++offset;  // the numbers start on an even byte
    if (numberCount <= kMaxColoursIndex) return -1;
    size_t at = offset + static_cast<size_t>(kMaxColoursIndex * width);
    if (at + static_cast<size_t>(width) > size) return -2;
    int value = width == 2 ? ReadShort(data + at) : ReadLong(data + at);
    return value < 0 ? -1 : value;
}

int TerminfoColourCount(const std::string& term, const std::vector<std::string>& directories) {
    if (term.empty() || term == "." || term == ".." || term.find('/') != std::string::npos)
        return -1;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(term[0]));
    std::vector<uint8_t> data;
    for (const std::string& directory : directories) {
        if (directory.empty()) continue;
        for (const std::string& sub : {std::string(1, term[0]), std::string(hex)}) {
            if (!ReadWholeFile(directory + "/" + sub + "/" + term, data)) continue;
            int colours = TerminfoMaxColours(data.data(), data.size());
            if (colours == -2) continue;  // not an entry: look further
            return colours < 0 ? 0 : colours;
        }
    }
    return -1;
}

std::vector<std::string> TerminfoDirectories() {
    std::vector<std::string> directories;
    const char* own = std::getenv("TERMINFO");
    if (own != nullptr && *own != '\0') directories.push_back(own);
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') directories.push_back(std::string(home) + "/.terminfo");
    const std::vector<std::string> system = {"/etc/terminfo", "/lib/terminfo",
                                             "/usr/share/terminfo"};
    const char* list = std::getenv("TERMINFO_DIRS");
    if (list != nullptr && *list != '\0') {
        std::string rest = list;
        for (;;) {
            size_t colon = rest.find(':');
            std::string part = rest.substr(0, colon);
            if (part.empty()) {
                directories.insert(directories.end(), system.begin(), system.end());
            } else {
                directories.push_back(part);
            }
            if (colon == std::string::npos) break;
            rest.erase(0, colon + 1);
        }
    }
    directories.insert(directories.end(), system.begin(), system.end());
    return directories;
}

bool MonochromeTermName(const std::string& term) {
    auto endsWith = [&term](const std::string& tail) {
        return term.size() >= tail.size() &&
               term.compare(term.size() - tail.size(), tail.size(), tail) == 0;
    };
    return term.empty() || term == "dumb" || term == "vt100" || term == "vt102" ||
           term == "vt220" || endsWith("-m") || endsWith("-mono");
}

bool TerminalTypeHasColours(const char* term, const std::vector<std::string>& directories) {
    if (term == nullptr || *term == '\0') return false;
    int colours = TerminfoColourCount(term, directories);
    if (colours >= 0) return colours >= 8;
    return !MonochromeTermName(term);
}
