// The debugger's command language, the same for the desktop console and the
// headless host's scripts: one line in, the text to show out.
//
// A line runs in three steps, so that files are read and written on the
// caller's thread (a console's, a script's) and never on the processor's,
// where a pipe or a device could hold the machine for ever: DebugPrepare
// opens and reads what the command names, DebugRun runs it on the processor
// thread between two instructions (or while no slice runs), DebugFinish
// writes what it produced. Only regular files are read or written over.
#pragma once

#include <cstdio>
#include <string>

// The largest symbol file and memory image the commands read.
constexpr size_t kDebugLargestSymbols = 16u << 20;
constexpr size_t kDebugLargestImage = 0x10000;

struct DebugJob {
    std::string line;
    std::string folder; // where relative paths start (empty: the working folder)
    // From DebugPrepare to DebugRun and DebugFinish.
    bool prepared = false;
    std::string path;     // the file the command names, resolved against folder
    std::string data;     // what was read from it, or what is to be written to it
    FILE* file = nullptr; // t file: the trace's file, opened
    // The answer: each line ends in a newline; a mistake is one line
    // starting with "error: ". newestLast marks an answer whose end matters
    // most (a trace), cut from the front when too long.
    std::string out;
    bool newestLast = false;
};

void DebugPrepare(DebugJob& job);
void DebugRun(DebugJob& job);
void DebugFinish(DebugJob& job);
// The three steps on the calling thread.
std::string DebugExecute(const std::string& line, const std::string& folder = "");

// The answer cut to fit size bytes with its terminating 0: whole lines,
// with a last line (or with newestLast, a first line) saying how many were
// left out.
std::string DebugFit(const std::string& text, size_t size, bool newestLast);

// Where and why the machine stopped, the cycles since it last resumed and
// the instruction it stopped before.
std::string DebugStopReport(void);
