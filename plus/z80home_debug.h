// z80home-plus: the debugger. A host hands it command lines (the same
// language in a console and in a script) and waits for the machine to stop;
// "help" lists the commands. Conventions as in plus/z80home_plus.h: C
// linkage, called on the host's thread; the commands run on the processor
// thread between two instructions, so the machine is still while they look
// at it, and the files they read and write are read and written on the
// calling thread. This file is part of the plus library's export list.
#pragma once

#include <cstdint>

#include "core/z80home.h"

extern "C" {
// Stops the machine before its next instruction (from any thread). Called
// before RunEmu, the machine stops before its first one.
Z80HOME_API void DebuggerBreak(void);

// The folder relative file names in commands (sym, t file, save, load, cov
// save) start from: a host that changes its working folder gives the one it
// was started in. Until then, the working folder.
Z80HOME_API void DebuggerFolder(const char* folder);

// Runs one command line and writes what it prints into out (size bytes,
// always ended with a 0) and returns the length written. An answer too long
// for out is cut at a line, with a line saying how much was left out: the
// trace keeps its newest entries, anything else its start. The commands
// that resume (c, s, n, f, g) return at once; DebuggerWaitStop tells when
// the machine stops again. They also work while the machine is paused with
// SetPaused.
Z80HOME_API int DebuggerCommand(const char* line, char* out, int size);

// Waits up to timeoutMs for a report not yet handed on. Returns 0 when there
// is none, or writes the report and returns its length (cut as
// DebuggerCommand cuts). A stop's report starts with "stopped:" and says
// where and why the machine stopped, followed by what the commands of the
// point that stopped it printed. A point whose commands let the machine run
// on reports each hit with a line starting with "hit:" and what they
// printed; the machine is not stopped then.
Z80HOME_API int DebuggerWaitStop(uint32_t timeoutMs, char* out, int size);
}
