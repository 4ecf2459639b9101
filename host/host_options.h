// The hosts' command lines. Both take the ROM folder, the tape and the two
// display options; the headless host also takes its run time, its scripted
// input (played in the order given) and the screenshot to write.
#pragma once

#include <string>

#include "host/host_input.h"

// The headless host's window, and the time its scripted input waits for the
// machine to come up before the first stroke.
constexpr int kHeadlessWidth = 640;
constexpr int kHeadlessHeight = 480;
constexpr uint32_t kHeadlessBootMs = 500;
// Without --run-ms the headless machine runs this long, or this long past
// the end of its scripted input.
constexpr uint32_t kHeadlessDefaultRunMs = 2000;
constexpr uint32_t kHeadlessSettleMs = 1000;
constexpr uint32_t kHeadlessLongestRunMs = 24 * 3600 * 1000;

struct HostOptions {
    std::string romDir; // empty: the default folder
    std::string tape;   // empty: none
    bool green = false;
    bool pcg = false;
    bool help = false;
    bool debug = false; // desktop: the debugger console in the terminal
    // Headless only.
    uint32_t runMs = 0;
    std::string screenshot; // empty: none
    HostInput input;
    std::string debugScript; // debugger commands to run, one a line
    std::string breakAt;     // the address to run to, then stop
};

// Parses argv[1..argc-1]. Accepts "--name value" and "--name=value". On a
// mistake returns false with error saying what was wrong.
bool HostParseArgs(int argc, char** argv, bool headless, HostOptions& options, std::string& error);

// The usage text for --help and after an error.
std::string HostUsage(const char* program, bool headless);
