#include "host/host_debug.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

// The longest text a command prints: a dump of the whole memory.
constexpr int kHostDebugOutput = 1 << 20;
// How often a wait for a stop looks whether the host asks to stop.
constexpr uint32_t kHostDebugWaitPieceMs = 50;

void HostDebugStart(EmuLibrary& emu, const HostOptions& options) {
    // The ROM's symbols are named by their full path: relative names start
    // from the folder the host was started in.
    std::error_code failed;
    for (const char* name : {"n80basic.lst", "n80basic.sym"}) {
        std::filesystem::path symbols = std::filesystem::current_path(failed) / name;
        if (std::filesystem::is_regular_file(symbols, failed)) {
            HostDebugCommand(emu, "sym " + symbols.string());
            break;
        }
    }
    emu.DebuggerFolder(options.startFolder.c_str());
    emu.DebuggerBreak();
}

std::string HostDebugCommand(EmuLibrary& emu, const std::string& line) {
    std::vector<char> out(kHostDebugOutput);
    int length = emu.DebuggerCommand(line.c_str(), out.data(), kHostDebugOutput);
    return std::string(out.data(), static_cast<size_t>(std::max(length, 0)));
}

std::string HostDebugWaitStop(EmuLibrary& emu, uint32_t ms, HostDebugStopAsked stopAsked) {
    std::vector<char> out(kHostDebugOutput);
    // In pieces, so that a stop asked for is seen soon.
    for (;;) {
        uint32_t piece = stopAsked ? std::min(ms, kHostDebugWaitPieceMs) : ms;
        int length = emu.DebuggerWaitStop(piece, out.data(), kHostDebugOutput);
        if (length > 0) return std::string(out.data(), static_cast<size_t>(length));
        ms -= piece;
        if (ms == 0 || stopAsked()) return "";
    }
}

bool HostDebugIsStop(const std::string& report) {
    return report.rfind("stopped:", 0) == 0;
}

bool HostDebugResumes(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    return word == "c" || word == "s" || word == "n" || word == "f" || word == "g";
}

static bool HostDebugError(const std::string& text) {
    return text.rfind("error:", 0) == 0;
}

bool HostDebugScriptLine(EmuLibrary& emu, const std::string& line, uint32_t waitMs, FILE* out,
                         HostDebugStopAsked stopAsked) {
    fprintf(out, "> %s\n", line.c_str());
    std::string text = HostDebugCommand(emu, line);
    fputs(text.c_str(), out);
    bool stoppedItself = false;
    if (HostDebugResumes(line) && !HostDebugError(text)) {
        fflush(out); // the line shows while the machine runs
        // Hit reports may come all the while. The machine is broken into
        // waitMs after the command, whatever came before, or at once when a
        // stop is asked for, which then waits only a moment for the stop.
        using Clock = std::chrono::steady_clock;
        Clock::time_point due = Clock::now() + std::chrono::milliseconds(waitMs);
        for (bool broke = false;;) {
            bool asked = stopAsked && stopAsked();
            if (asked)
                due = std::min(due, Clock::now() + std::chrono::milliseconds(
                                                       broke ? kHostDebugWaitPieceMs : 0));
            int64_t left =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
            std::string report =
                HostDebugWaitStop(emu, static_cast<uint32_t>(std::max<int64_t>(left, 0)),
                                  asked ? nullptr : stopAsked);
            fputs(report.c_str(), out);
            if (HostDebugIsStop(report)) {
                stoppedItself = !broke;
                break;
            }
            if (Clock::now() < due) continue;
            if (broke) {
                if (!asked) fprintf(out, "no stop within %u ms of a break\n", waitMs);
                break;
            }
            emu.DebuggerBreak();
            broke = true;
            due = Clock::now() + std::chrono::milliseconds(waitMs);
        }
    }
    fflush(out);
    return stoppedItself;
}

bool HostDebugScript(EmuLibrary& emu, const std::string& path, uint32_t waitMs, FILE* out,
                     std::string& error, HostDebugStopAsked stopAsked) {
    std::ifstream script(path);
    if (!script) {
        error = "cannot read the debugger script " + path;
        return false;
    }
    std::string line;
    while (!(stopAsked && stopAsked()) && std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        HostDebugScriptLine(emu, line.substr(start), waitMs, out, stopAsked);
    }
    return true;
}

int HostDebugSession(EmuLibrary& emu, const HostOptions& options, FILE* out, std::string& error,
                     HostDebugStopAsked stopAsked) {
    // The breakpoint goes in before anything is printed, so that a bad
    // address ends the session with nothing run and nothing written.
    std::string setBreak;
    if (!options.breakAt.empty()) {
        setBreak = HostDebugCommand(emu, "b " + options.breakAt);
        if (HostDebugError(setBreak)) {
            std::string reason = setBreak.substr(setBreak.find(' ') + 1);
            while (!reason.empty() && reason.back() == '\n')
                reason.pop_back();
            error = "--break-at " + options.breakAt + ": " + reason;
            return 2;
        }
    }
    fputs(HostDebugWaitStop(emu, options.runMs, stopAsked).c_str(), out);
    if (!options.breakAt.empty()) {
        fprintf(out, "> b %s\n%s", options.breakAt.c_str(), setBreak.c_str());
        bool reached = HostDebugScriptLine(emu, "c", options.runMs, out, stopAsked);
        HostDebugScriptLine(emu, "r", options.runMs, out, stopAsked);
        if (!reached && !(stopAsked && stopAsked())) {
            error = "--break-at " + options.breakAt + " was not reached in " +
                    std::to_string(options.runMs) + " ms";
            return kHostDebugNotReached;
        }
    }
    if (options.debugScript.empty() ||
        HostDebugScript(emu, options.debugScript, options.runMs, out, error, stopAsked))
        return 0;
    return 1;
}
