#include "host/host_debug.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

// The longest text a command prints: a dump of the whole memory.
constexpr int kHostDebugOutput = 1 << 20;

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

std::string HostDebugWaitStop(EmuLibrary& emu, uint32_t ms) {
    char out[1024];
    int length = emu.DebuggerWaitStop(ms, out, sizeof out);
    return length > 0 ? std::string(out) : "";
}

bool HostDebugResumes(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    return word == "c" || word == "s" || word == "n" || word == "f" || word == "g";
}

void HostDebugScriptLine(EmuLibrary& emu, const std::string& line, uint32_t waitMs, FILE* out) {
    fprintf(out, "> %s\n", line.c_str());
    std::string text = HostDebugCommand(emu, line);
    fputs(text.c_str(), out);
    if (HostDebugResumes(line) && text.rfind("error:", 0) != 0) {
        std::string stop = HostDebugWaitStop(emu, waitMs);
        if (stop.empty()) {
            emu.DebuggerBreak();
            stop = HostDebugWaitStop(emu, waitMs);
        }
        fputs(stop.c_str(), out);
    }
    fflush(out);
}

bool HostDebugScript(EmuLibrary& emu, const std::string& path, uint32_t waitMs, FILE* out,
                     std::string& error) {
    std::ifstream script(path);
    if (!script) {
        error = "cannot read the debugger script " + path;
        return false;
    }
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        HostDebugScriptLine(emu, line.substr(start), waitMs, out);
    }
    return true;
}

bool HostDebugSession(EmuLibrary& emu, const HostOptions& options, FILE* out, std::string& error) {
    fputs(HostDebugWaitStop(emu, options.runMs).c_str(), out);
    if (!options.breakAt.empty()) {
        HostDebugScriptLine(emu, "b " + options.breakAt, options.runMs, out);
        HostDebugScriptLine(emu, "c", options.runMs, out);
        HostDebugScriptLine(emu, "r", options.runMs, out);
    }
    return options.debugScript.empty() ||
           HostDebugScript(emu, options.debugScript, options.runMs, out, error);
}
