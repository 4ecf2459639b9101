// The debugger as both hosts drive it: command lines through the plus
// library, the stops it reports, and scripts of commands.
#pragma once

#include <cstdio>
#include <string>

#include "host/emu_library.h"
#include "host/host_options.h"

// Before RunEmu: loads the ROM's symbols (n80basic.sym in the ROM folder,
// the working folder by then) and makes the machine stop before its first
// instruction.
void HostDebugStart(EmuLibrary& emu);
// Runs one command line; what it prints.
std::string HostDebugCommand(EmuLibrary& emu, const std::string& line);
// The report of the next stop, waiting at most ms; empty if none came.
std::string HostDebugWaitStop(EmuLibrary& emu, uint32_t ms);
// True when the line resumes the machine (c, s, n, f, g).
bool HostDebugResumes(const std::string& line);
// Runs one line as a script does: writes "> line" and what the command
// prints to out, and after a command that resumes, the stop's report. A stop
// that does not come within waitMs is forced with a break.
void HostDebugScriptLine(EmuLibrary& emu, const std::string& line, uint32_t waitMs, FILE* out);
// Runs the script at path a line at a time (blank lines and lines starting
// with # are skipped); false with error when it cannot be read.
bool HostDebugScript(EmuLibrary& emu, const std::string& path, uint32_t waitMs, FILE* out,
                     std::string& error);
// The session --debug-script and --break-at ask for, on a machine that
// HostDebugStart made stop: the first stop's report, then with --break-at
// the run to its address and the registers there, then the script. False
// with error when the script cannot be read.
bool HostDebugSession(EmuLibrary& emu, const HostOptions& options, FILE* out, std::string& error);
