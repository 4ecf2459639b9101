// z80home-plus: the debugger. A host hands it command lines (the same
// language in a console and in a script) and waits for the machine to stop;
// "help" lists the commands. Conventions as in plus/z80home_plus.h: C
// linkage, called on the host's thread; the commands run on the processor
// thread between two instructions, so the machine is still while they look
// at it. This file is part of the plus library's export list.
#pragma once

#include <cstdint>

#include "core/z80home.h"

extern "C" {
// Stops the machine before its next instruction (from any thread). Called
// before RunEmu, the machine stops before its first one.
Z80HOME_API void DebuggerBreak(void);

// Runs one command line and writes what it prints into out (size bytes,
// always ended with a 0, cut short if it does not fit). Returns the length
// of the whole text. The commands that resume (c, s, n, f, g) return at
// once; DebuggerWaitStop tells when the machine stops again. They also work
// while the machine is paused with SetPaused.
Z80HOME_API int DebuggerCommand(const char* line, char* out, int size);

// Waits up to timeoutMs for a stop not yet reported. Returns 0 when there
// is none, or writes where and why the machine stopped, as DebuggerCommand
// writes, and returns the text's length.
Z80HOME_API int DebuggerWaitStop(uint32_t timeoutMs, char* out, int size);
}
