// The debugger's command language, the same for the desktop console and the
// headless host's scripts: one line in, the text to show out.
#pragma once

#include <string>

// Runs one command line on the processor's thread (or while no slice runs)
// and returns what it prints, each line ending in a newline. Mistakes come
// back as one line starting with "error: ". Numbers are hexadecimal; an
// address may also be a symbol's name.
std::string DebugExecute(const std::string& line);
// Where and why the machine stopped, the cycles since it last resumed and
// the instruction it stopped before.
std::string DebugStopReport(void);
