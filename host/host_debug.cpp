#include "host/host_debug.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

// The longest text a command prints: a dump of the whole memory.
constexpr int kHostDebugOutput = 1 << 20;
// How often a wait for a stop looks whether the host asks to stop.
constexpr uint32_t kHostDebugWaitPieceMs = 50;

void HostDebugStart(EmuLibrary& emu) {
    std::error_code failed;
    if (std::filesystem::is_regular_file("n80basic.sym", failed))
        HostDebugCommand(emu, "sym n80basic.sym");
    emu.DebuggerBreak();
}

std::string HostDebugCommand(EmuLibrary& emu, const std::string& line) {
    std::vector<char> out(kHostDebugOutput);
    int length = emu.DebuggerCommand(line.c_str(), out.data(), kHostDebugOutput);
    return std::string(out.data(), static_cast<size_t>(std::min(length, kHostDebugOutput - 1)));
}

std::string HostDebugWaitStop(EmuLibrary& emu, uint32_t ms, HostDebugStopAsked stopAsked) {
    char out[1024];
    // In pieces, so that a stop asked for is seen soon.
    for (;;) {
        uint32_t piece = stopAsked ? std::min(ms, kHostDebugWaitPieceMs) : ms;
        int length = emu.DebuggerWaitStop(piece, out, sizeof out);
        if (length > 0) return std::string(out);
        ms -= piece;
        if (ms == 0 || stopAsked()) return "";
    }
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

void HostDebugScriptLine(EmuLibrary& emu, const std::string& line, uint32_t waitMs, FILE* out,
                         HostDebugStopAsked stopAsked) {
    fprintf(out, "> %s\n", line.c_str());
    std::string text = HostDebugCommand(emu, line);
    fputs(text.c_str(), out);
    if (HostDebugResumes(line) && !HostDebugError(text)) {
        fflush(out); // the line shows while the machine runs
        std::string stop = HostDebugWaitStop(emu, waitMs, stopAsked);
        if (stop.empty()) {
            emu.DebuggerBreak();
            stop = HostDebugWaitStop(emu, waitMs);
        }
        fputs(stop.c_str(), out);
    }
    fflush(out);
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
        HostDebugScriptLine(emu, "c", options.runMs, out, stopAsked);
        HostDebugScriptLine(emu, "r", options.runMs, out, stopAsked);
    }
    if (options.debugScript.empty() ||
        HostDebugScript(emu, options.debugScript, options.runMs, out, error, stopAsked))
        return 0;
    return 1;
}
