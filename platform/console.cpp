// Console input for winshim: a line editor over the terminal in raw mode,
// with the history a console keeps, so a host reads lines as it would from
// a Windows console. When the input is not a terminal, lines are read as
// they come.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kConsoleHistory = 100;

std::mutex consoleLock;
std::vector<std::string> consoleHistory;
std::string consoleUnread; // the rest of a line the last call had no room for
struct termios consoleSaved;
bool consoleRaw = false;

void ConsoleRestore(void) {
    if (consoleRaw) tcsetattr(STDIN_FILENO, TCSANOW, &consoleSaved);
    consoleRaw = false;
}

bool ConsoleEnterRaw(void) {
    static bool restoreAtExit = false;
    if (tcgetattr(STDIN_FILENO, &consoleSaved) != 0) return false;
    struct termios raw = consoleSaved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO)); // ISIG stays: Ctrl+C signals
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
    consoleRaw = true;
    if (!restoreAtExit) {
        restoreAtExit = true;
        std::atexit(ConsoleRestore);
        std::at_quick_exit(ConsoleRestore);
    }
    return true;
}

// The line as shown: the cursor goes back to the line's start, the text
// is written over what was there, and the cursor moves to its place.
void ConsoleRedraw(const std::string& line, size_t cursor, size_t& shownLength,
                   size_t& shownCursor) {
    std::string out(shownCursor, '\b');
    out += line;
    if (shownLength > line.size()) out += std::string(shownLength - line.size(), ' ');
    size_t end = std::max(shownLength, line.size());
    out += std::string(end - cursor, '\b');
    if (write(STDOUT_FILENO, out.data(), out.size()) < 0) return;
    shownLength = line.size();
    shownCursor = cursor;
}

bool ConsoleReadByte(char& c) {
    return read(STDIN_FILENO, &c, 1) == 1;
}

// Reads an edited line; false at the end of the input.
bool ConsoleEditLine(std::string& line) {
    size_t cursor = 0, shownLength = 0, shownCursor = 0;
    size_t recalled = consoleHistory.size();
    std::string draft;
    char c;
    while (ConsoleReadByte(c)) {
        if (c == '\r' || c == '\n') {
            if (write(STDOUT_FILENO, "\n", 1) < 0) return false;
            return true;
        }
        if (c == 4 && line.empty()) return false; // Ctrl+D
        if (c == 0x7F || c == '\b') {
            if (cursor > 0) line.erase(--cursor, 1);
        } else if (c == 0x1B) {
            char bracket, key;
            if (!ConsoleReadByte(bracket) || !ConsoleReadByte(key)) return false;
            if (bracket != '[') continue;
            if (key >= '0' && key <= '9') { // DELETE is ESC [ 3 ~
                char tilde;
                if (!ConsoleReadByte(tilde)) return false;
                if (key == '3' && cursor < line.size()) line.erase(cursor, 1);
            } else if (key == 'D' && cursor > 0) {
                --cursor;
            } else if (key == 'C' && cursor < line.size()) {
                ++cursor;
            } else if (key == 'H') {
                cursor = 0;
            } else if (key == 'F') {
                cursor = line.size();
            } else if ((key == 'A' && recalled > 0) ||
                       (key == 'B' && recalled < consoleHistory.size())) {
                if (recalled == consoleHistory.size()) draft = line;
                recalled += key == 'A' ? -1 : 1;
                line = recalled == consoleHistory.size() ? draft : consoleHistory[recalled];
                cursor = line.size();
            }
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            line.insert(cursor++, 1, c);
        }
        ConsoleRedraw(line, cursor, shownLength, shownCursor);
    }
    return false;
}

// Reads a line as it comes, of any length, without its line end; false at
// the end of the input.
bool ConsoleReadPiped(std::string& line) {
    int c;
    while ((c = getchar()) != EOF && c != '\n')
        line += static_cast<char>(c);
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    return c != EOF || !line.empty();
}

// The next line, edited at a terminal and kept in its history; false at
// the end of the input.
bool ConsoleReadLine(std::string& line) {
    if (!isatty(STDIN_FILENO) || !ConsoleEnterRaw()) return ConsoleReadPiped(line);
    bool ok = ConsoleEditLine(line);
    ConsoleRestore();
    if (ok && !line.empty() && (consoleHistory.empty() || consoleHistory.back() != line)) {
        consoleHistory.push_back(line);
        if (consoleHistory.size() > kConsoleHistory) consoleHistory.erase(consoleHistory.begin());
    }
    return ok;
}

} // namespace

HANDLE GetStdHandle(DWORD which) {
    static int inputHandle;
    return which == STD_INPUT_HANDLE ? &inputHandle : nullptr;
}

// As a Windows console does, a line longer than the buffer is handed on
// over several calls, its line end with the last.
BOOL ReadConsoleA(HANDLE input, LPVOID buffer, DWORD size, LPDWORD read, LPVOID) {
    if (!input || !buffer || !read || size == 0) return FALSE;
    std::lock_guard<std::mutex> lock(consoleLock);
    if (consoleUnread.empty()) {
        std::string line;
        if (!ConsoleReadLine(line)) {
            *read = 0;
            return TRUE;
        }
        consoleUnread = line + "\r\n";
    }
    size_t count = std::min<size_t>(size, consoleUnread.size());
    std::memcpy(buffer, consoleUnread.data(), count);
    consoleUnread.erase(0, count);
    *read = static_cast<DWORD>(count);
    return TRUE;
}
