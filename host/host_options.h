// The hosts' command lines. Both take the ROM folder, the tape, the two
// display options, a file to paste and a listing or tape named without an
// option; the headless host also takes its run time, its scripted
// input (played in the order given), its outputs and the debugger's
// session; the desktop host also takes the debugger's console.
#pragma once

#include <string>
#include <vector>

#include "core/run_control.h"
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
// How long --until-text or --until-cycles waits by default.
constexpr uint32_t kHeadlessDefaultTimeoutMs = 60000;
// A pasted file is typed once the machine has run this many cycles (the
// boot wait in the machine's time).
constexpr uint64_t kHostBootCycles = 1000000;
// Without --run-ms, the run goes on this many cycles (a second of the
// machine's time) once a paste is typed, for its last line to show.
constexpr uint64_t kHeadlessPasteSettleCycles = 2000000;

// Milliseconds of the machine's time as its cycles, at the pace of a slice
// with the display on (what the system ROM keeps).
constexpr uint64_t HostMsToCycles(uint64_t ms) {
    return ms * 30500 / 16;
}

struct HostOptions {
    std::string romDir; // empty: the default folder
    std::string tape;   // empty: none
    bool green = false;
    bool pcg = false;
    bool help = false;
    bool warp = false;
    std::string loadState;        // empty: none
    std::string record;           // empty: none; where to write the recording made
    std::string replay;           // empty: none; the recording to replay
    uint32_t speed = kSpeedPaced; // the paced speed in percent
    bool debug = false;           // desktop: the debugger console in the terminal
    // The file named without an option: a listing, a tape or a state, as
    // HostOpenFile finds it; HostStart sets listing when it is a listing.
    std::string file;
    bool listing = false;
    bool noRun = false; // a listing is not followed by RUN
    std::string paste;  // a file to type in the machine's time
    // Headless only. Without --run-ms (runMsGiven false) a paste is typed
    // to its end before the run settles and ends.
    uint32_t runMs = 0;
    bool runMsGiven = false;
    std::string screenshot; // empty: none
    HostInput input;
    std::string screenText; // where to write the screen's text at the end
    std::string saveState;  // where to save the machine's state at the end
    // Stop conditions: the run ends once the text shows (or the cycles have
    // run) after the input is done, or fails after timeoutMs.
    std::string untilText;
    uint64_t untilCycles = 0;
    uint32_t timeoutMs = kHeadlessDefaultTimeoutMs;
    bool NeedsPlus() const {
        return warp || !loadState.empty() || !paste.empty() || !file.empty() ||
               !screenText.empty() || !saveState.empty() || HasCondition() ||
               !input.events.empty() || !record.empty() || !replay.empty();
    }
    bool HasCondition() const { return !untilText.empty() || untilCycles; }
    std::string startFolder; // set by HostStart: the folder the host was started in
    std::string debugScript; // debugger commands to run, one a line
    std::string breakAt;     // the address to run to, then stop
    bool Debugging() const { return !debugScript.empty() || !breakAt.empty(); }
};

// Parses argv[1..argc-1]. Accepts "--name value" and "--name=value". On a
// mistake returns false with error saying what was wrong.
bool HostParseArgs(int argc, char** argv, bool headless, HostOptions& options, std::string& error);

// --version anywhere on the command line: every host then prints
// HostVersionText and ends, before it looks for a display or a library.
bool HostVersionAsked(int argc, char** argv);
std::string HostVersionText(const char* program);

// The usage of the file named without an option and of --no-run, which
// every host takes.
extern const char kHostFileUsage[];

// Every option the host takes, --version included.
std::vector<std::string> HostOptionNames(bool headless);

// The usage text for --help and after an error: a line for each option.
std::string HostUsage(const char* program, bool headless);
