// z80home-headless: the machine on a 640 by 480 window that nobody sees. It
// runs in the machine's time: the scripted input, a pasted file, a listing
// named (typed once BASIC is at its prompt), a recording's replay, the run's
// length and its stop conditions all fall at machine cycles, so the same
// command line ends in the same state in warp or paced, however loaded the
// host is. It writes the picture, the screen's text and the machine's state
// if asked, and ends; or it runs a debugger session on the machine stopped
// at its first instruction, then writes the same outputs. SIGINT and SIGTERM
// end the run early, the outputs still written; a second one ends the
// program at once. The emulator's threads never stop, so the program leaves
// with quick_exit once its output is written.
//
// Exit status: 0 done (the condition met, if one was given); 1 a failure;
// 2 a bad command line; 4 the condition not met before the timeout; 128
// plus the signal's number when a signal ended the run.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>
#include <winshim_host.h>

#include "host/emu_library.h"
#include "host/host_debug.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/png_writer.h"

constexpr int kHeadlessNotMet = 4;
constexpr int kHeadlessSignalled = 128;
// How often a wait looks at its condition, the tape and the signals: each
// look wakes the process, which otherwise sleeps while the machine idles.
constexpr auto kHeadlessPoll = std::chrono::milliseconds(50);
// A listing named looks for BASIC's prompt after each slice of the
// machine's time.
constexpr uint32_t kHeadlessListingPollMs = 16;

using Clock = std::chrono::steady_clock;

// The signal that asked the run to end, or 0.
static std::atomic<int> headlessSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

static void HeadlessOnSignal(int number) {
    if (headlessSignal.exchange(number) != 0) std::_Exit(kHeadlessSignalled + number);
}

static bool HeadlessStopAsked(void) {
    return headlessSignal.load() != 0;
}

struct Headless {
    EmuLibrary emu;
    HostOptions options;
    HWND window;
    uint32_t tapeFailures; // the failed SAVEs reported so far
};

static int HeadlessFail(const std::string& message) {
    fprintf(stderr, "z80home-headless: %s\n", message.c_str());
    fflush(stderr);
    return 1;
}

static bool HeadlessScreenshot(HWND window, const std::string& path, std::string& error) {
    if (ShimPresentCount(window) == 0) {
        error = "the emulator has drawn no picture";
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(kHeadlessWidth) * kHeadlessHeight);
    int width = 0, height = 0;
    if (ShimReadWindow(window, pixels.data(), static_cast<int>(pixels.size()), &width, &height) ==
        0) {
        error = "cannot read the window's picture";
        return false;
    }
    return PngWrite(path, pixels.data(), width, height, error);
}

static std::string HeadlessScreenText(const EmuLibrary& emu) {
    std::string text(static_cast<size_t>(emu.GetScreenText(nullptr, 0)), '\0');
    emu.GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    return text;
}

static bool HeadlessWriteFile(const std::string& path, const std::string& text,
                              std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) error = "cannot write " + path;
    return static_cast<bool>(file);
}

// Says so on stderr for each SAVE whose bytes did not reach the tape.
static void HeadlessReportTape(Headless& run) {
    for (const std::string& report :
         HostTapeWriteReport(run.emu, run.options.tape, run.tapeFailures))
        fprintf(stderr, "z80home-headless: %s\n", report.c_str());
    fflush(stderr);
}

// Sleeps until done() holds, the deadline comes or a signal asks the run to
// end, reporting failed tape writes meanwhile; returns done() then.
template <typename Done>
static bool HeadlessWait(Headless& run, Done done, Clock::time_point deadline) {
    for (;;) {
        HeadlessReportTape(run);
        if (done()) return true;
        Clock::time_point now = Clock::now();
        if (HeadlessStopAsked() || now >= deadline) return done();
        std::this_thread::sleep_for(std::min<Clock::duration>(kHeadlessPoll, deadline - now));
    }
}

// The screen thread draws on its own time, so the window may still show a
// picture drawn before the machine stopped. Its presents follow one another,
// so the second one counted from here was drawn wholly after the stop; a
// repaint asked for before each makes even an unchanged frame be presented.
static void HeadlessWaitPictureNow(Headless& run) {
    unsigned from = ShimPresentCount(run.window);
    HeadlessWait(
        run,
        [&] {
            run.emu.CtlEmulator(WM_PAINT, 0, 0);
            return ShimPresentCount(run.window) - from >= 2;
        },
        Clock::now() + std::chrono::seconds(2));
}

static bool HeadlessNever(void) {
    return false;
}

// The picture, the screen's text and the machine's state, as asked; they
// show one moment: the machine stands still while they are taken. The exit
// status (that of the signal, when one ended the run), or a failure's.
static int HeadlessOutputs(Headless& run, int status) {
    const EmuLibrary& emu = run.emu;
    const HostOptions& options = run.options;
    std::string error;
    if (options.NeedsPlus()) emu.SetPaused(1);
    HeadlessReportTape(run);
    if (int signal = headlessSignal.load()) {
        fprintf(stderr, "z80home-headless: %s ended the run\n",
                signal == SIGINT    ? "SIGINT"
                : signal == SIGTERM ? "SIGTERM"
                                    : "a signal");
        status = kHeadlessSignalled + signal;
    }
    if (!options.screenText.empty() &&
        !HeadlessWriteFile(options.screenText, HeadlessScreenText(emu), error))
        return HeadlessFail(error);
    if (!options.saveState.empty()) {
        int code = emu.SaveState(options.saveState.c_str());
        if (code) return HeadlessFail(options.saveState + ": " + emu.GetStateMessage(code));
        printf("state: %s\n", options.saveState.c_str());
    }
    if (!options.screenshot.empty()) {
        HeadlessWaitPictureNow(run);
        if (!HeadlessScreenshot(run.window, options.screenshot, error)) return HeadlessFail(error);
        printf("screenshot: %s\n", options.screenshot.c_str());
    }
    return status;
}

// The debugger's session on the machine started stopped; --break-at also
// writes the picture and the state where it stopped.
static int HeadlessDebug(Headless& run, const std::string& startFolder) {
    HostOptions& options = run.options;
    std::string error;
    int status = HostDebugSession(run.emu, options, stdout, error, HeadlessStopAsked);
    if (status == 2) {
        fprintf(stderr, "z80home-headless: %s\n", error.c_str());
        return 2;
    }
    // Not reached: only the outputs asked for by name, of where it stopped.
    if (status == kHostDebugNotReached) {
        fprintf(stderr, "z80home-headless: %s\n", error.c_str());
        return HeadlessOutputs(run, kHeadlessNotMet);
    }
    if (status) return HeadlessFail(error);
    if (!options.breakAt.empty()) {
        std::string stem = startFolder + "/break-" + options.breakAt;
        if (options.screenshot.empty()) options.screenshot = stem + ".png";
        if (options.saveState.empty()) options.saveState = stem + ".state";
    }
    return HeadlessOutputs(run, 0);
}

// Runs the machine until it reaches cycle, or the deadline passes, or a
// signal asks the run to end; the machine is paused again then. True when
// it got there.
static bool HeadlessRunTo(Headless& run, uint64_t cycle, Clock::time_point deadline) {
    EmuLibrary& emu = run.emu;
    if (emu.GetCycles() >= cycle) return true;
    emu.SetStopCycle(cycle);
    emu.SetPaused(0);
    bool reached = HeadlessWait(
        run, [&] { return emu.GetStopReached() != 0; }, deadline);
    emu.SetPaused(1);
    return reached;
}

// Types the pasted file (a loaded state has booted already) and says what
// of it will not be typed.
static void HeadlessPaste(Headless& run, const std::string& paste) {
    std::string report = HostPaste(run.emu, paste, run.options.paste);
    if (!report.empty()) fprintf(stderr, "z80home-headless: %s\n", report.c_str());
}

// Runs the machine a slice of its time at a time until BASIC is at its
// prompt and the listing named is handed to the paste, so it goes in at the
// same cycle every run; false, with a message, when cycle comes first, and
// when a signal ends the run.
static bool HeadlessListing(Headless& run, uint64_t cycle) {
    EmuLibrary& emu = run.emu;
    while (emu.PollListing()) {
        if (emu.GetCycles() >= cycle) {
            fprintf(stderr, "z80home-headless: the run ended with the listing still waiting for "
                            "BASIC's prompt\n");
            return false;
        }
        if (!HeadlessRunTo(run, emu.GetCycles() + HostMsToCycles(kHeadlessListingPollMs),
                           Clock::time_point::max()))
            return false;
    }
    return true;
}

// The run proper, on the paused machine: the input at its cycles, then the
// stop condition, or the run's length. The exit status.
static int HeadlessPlay(Headless& run, const std::string& paste) {
    EmuLibrary& emu = run.emu;
    const HostOptions& options = run.options;
    Clock::time_point never = Clock::time_point::max();
    uint64_t start = emu.GetCycles();
    auto at = [&](uint32_t ms) { return start + HostMsToCycles(ms); };
    if (!paste.empty()) {
        if (options.loadState.empty() && options.replay.empty() &&
            !HeadlessRunTo(run, start + kHostBootCycles, never))
            return 0;
        HeadlessPaste(run, paste);
    }
    // The listing waits no longer than the run, or a minute of the
    // machine's time when the run ends on a condition.
    uint64_t listingEnd = at(options.HasCondition() ? kHeadlessDefaultTimeoutMs : options.runMs);
    if (options.listing && !HeadlessListing(run, listingEnd))
        return HeadlessStopAsked() || !options.HasCondition() ? 0 : kHeadlessNotMet;
    for (const HostEvent& event : options.input.events) {
        if (!HeadlessRunTo(run, at(event.atMs), never)) return 0;
        emu.CtlEmulator(event.message, event.wParam, event.lParam);
    }
    auto pasteTyped = [&] { return (paste.empty() && !options.listing) || !emu.GetPasteLeft(); };
    if (options.HasCondition()) {
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
        bool met;
        if (options.untilCycles) {
            met = HeadlessRunTo(run, options.untilCycles, deadline);
        } else {
            emu.SetStopText(options.untilText.c_str());
            emu.SetPaused(0);
            met = HeadlessWait(
                run, [&] { return emu.GetStopReached() != 0; }, deadline);
            emu.SetPaused(1);
        }
        if (met || HeadlessStopAsked()) return 0;
        fprintf(stderr, "z80home-headless: the condition was not met in %u ms\n",
                options.timeoutMs);
        return kHeadlessNotMet;
    }
    uint64_t end = at(options.runMs);
    if (!options.replay.empty() && !options.runMsGiven) end = std::max(end, emu.GetReplayEnd());
    if (!HeadlessRunTo(run, end, never)) return 0;
    // --run-ms is the whole run, typed or not; without it a paste is typed
    // to its end and its last line given time to show, all in the machine's
    // time, judged at whole steps of it so the end falls at the same cycle
    // every time.
    if (!options.runMsGiven && !pasteTyped()) {
        do {
            if (!HeadlessRunTo(run, emu.GetCycles() + kHeadlessPasteSettleCycles, never)) return 0;
        } while (!pasteTyped());
        if (!HeadlessRunTo(run, emu.GetCycles() + kHeadlessPasteSettleCycles, never)) return 0;
    }
    if (!pasteTyped())
        fprintf(stderr, "z80home-headless: the run ended with %u pasted characters not typed\n",
                emu.GetPasteLeft());
    return 0;
}

static int HeadlessRun(int argc, char** argv) {
    if (HostVersionAsked(argc, argv)) {
        printf("%s\n", HostVersionText("z80home-headless").c_str());
        return 0;
    }
    Headless run{};
    HostOptions& options = run.options;
    EmuLibrary& emu = run.emu;
    std::string error;
    if (!HostParseArgs(argc, argv, true, options, error)) {
        fprintf(stderr, "z80home-headless: %s\n%s", error.c_str(),
                HostUsage(argv[0], true).c_str());
        return 2;
    }
    if (options.help) {
        printf("%s", HostUsage(argv[0], true).c_str());
        return 0;
    }
    std::error_code failed;
    std::string startFolder = std::filesystem::current_path(failed).string();
    if (!HostStart(argv[0], options, emu, error)) return HeadlessFail(error);
    std::string paste;
    if (!options.paste.empty() && !HostReadFile(options.paste, paste, error))
        return HeadlessFail(error);
    if (!options.tape.empty() && !HostTapeProblem(options.tape).empty())
        fprintf(stderr, "z80home-headless: nothing can be saved to the tape %s: %s\n",
                options.tape.c_str(), HostTapeProblem(options.tape).c_str());
    if (options.NeedsPlus() && !emu.plus)
        return HeadlessFail("the options given need the plus library, and only the plain one "
                            "could be loaded");
    if (options.Debugging() && !emu.debugger)
        return HeadlessFail("the emulator library has no debugger");
    if (options.Debugging()) HostDebugStart(emu, options);

    run.window = ShimCreateWindow(kHeadlessWidth, kHeadlessHeight);
    if (!run.window) return HeadlessFail("cannot create the window");
    // The machine starts paused, so that it runs only as far as the run asks.
    if (emu.plus && !options.Debugging()) emu.SetPaused(1);
    if (!emu.RunEmu(run.window, GetDC(run.window)))
        return HeadlessFail("the emulator did not start");
    // Nothing but the emulator paints the window: it need only be given new
    // pictures, as a host that forwards WM_PAINT is.
    emu.CtlEmulator(WM_PAINT, 0, 0);
    if (emu.plus) run.tapeFailures = emu.GetTapeFailedSaves();
    if (!options.loadState.empty()) {
        int code = emu.LoadState(options.loadState.c_str());
        if (code) return HeadlessFail(options.loadState + ": " + emu.GetStateMessage(code));
    }
    if (options.warp) emu.SetWarp(1);
    if (emu.plus) emu.SetSpeed(options.speed);
    if (options.Debugging()) return HeadlessDebug(run, startFolder);
    if (!options.replay.empty()) {
        int code = emu.ReplayRecording(options.replay.c_str());
        if (code) return HeadlessFail(options.replay + ": " + emu.GetRecordingMessage(code));
    }
    if (!options.record.empty()) {
        int code = emu.StartRecording(options.record.c_str());
        if (code) return HeadlessFail(options.record + ": " + emu.GetRecordingMessage(code));
    }
    int status = 0;
    if (emu.plus) {
        status = HeadlessPlay(run, paste);
    } else {
        HeadlessWait(run, HeadlessNever, Clock::now() + std::chrono::milliseconds(options.runMs));
    }
    if (!options.record.empty()) {
        int code = emu.StopRecording();
        if (code) return HeadlessFail(options.record + ": " + emu.GetRecordingMessage(code));
        printf("recording: %s\n", options.record.c_str());
    }
    return HeadlessOutputs(run, status);
}

int main(int argc, char** argv) {
    // Before the emulator starts: its sound library leaves a handler it finds
    // in place.
    std::signal(SIGINT, HeadlessOnSignal);
    std::signal(SIGTERM, HeadlessOnSignal);
    int status = HeadlessRun(argc, argv);
    fflush(stdout);
    fflush(stderr);
    std::quick_exit(status);
}
