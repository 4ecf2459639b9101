// The debugger as both hosts drive it: command lines through the plus
// library, the stops it reports, and scripts of commands.
#pragma once

#include <cstdio>
#include <string>

#include "host/emu_library.h"
#include "host/host_options.h"

// Before RunEmu: tells the debugger the folder the host was started in (its
// commands' relative file names start there), loads the ROM's symbols (the
// listing n80basic.lst in the ROM folder, the working folder by then, or
// else the symbol table n80basic.sym) and makes the machine stop before its
// first instruction.
void HostDebugStart(EmuLibrary& emu, const HostOptions& options);
// Runs one command line; what it prints.
std::string HostDebugCommand(EmuLibrary& emu, const std::string& line);
// Asked by a host that ends on a signal: once it returns true, waits for a
// stop give up and scripts stop at their next line. Null: never.
using HostDebugStopAsked = bool (*)(void);

// The next report, waiting at most ms; empty if none came.
std::string HostDebugWaitStop(EmuLibrary& emu, uint32_t ms, HostDebugStopAsked stopAsked = nullptr);
// True when a report is a stop's (rather than a point's hit with the machine
// running on).
bool HostDebugIsStop(const std::string& report);
// True when the line resumes the machine (c, s, n, f, g).
bool HostDebugResumes(const std::string& line);
// Runs one line as a script does: writes "> line" and what the command
// prints to out, and after a command that resumes, the reports up to the
// stop's. A stop that does not come within waitMs, or before a stop is
// asked, is forced with a break. True when the machine stopped by itself.
bool HostDebugScriptLine(EmuLibrary& emu, const std::string& line, uint32_t waitMs, FILE* out,
                         HostDebugStopAsked stopAsked = nullptr);
// Runs the script at path a line at a time (blank lines and lines starting
// with # are skipped); false with error when it cannot be read.
bool HostDebugScript(EmuLibrary& emu, const std::string& path, uint32_t waitMs, FILE* out,
                     std::string& error, HostDebugStopAsked stopAsked = nullptr);
// The session --debug-script and --break-at ask for, on a machine that
// HostDebugStart made stop: with --break-at, the breakpoint is set first,
// then the first stop's report, the run to the address and the registers
// there; then the script. Returns 0, or with error 1 when the script cannot
// be read, 2 when --break-at names no address (the machine has not run),
// kHostDebugNotReached when the machine did not reach it within --run-ms.
constexpr int kHostDebugNotReached = 4;
int HostDebugSession(EmuLibrary& emu, const HostOptions& options, FILE* out, std::string& error,
                     HostDebugStopAsked stopAsked = nullptr);
