// z80home-headless: the machine on a 640 by 480 window that nobody sees. It
// plays the scripted input in real time, types a pasted file in the
// machine's time, runs for the time asked or until a stop condition is met,
// writes the picture, the screen's text and the machine's state if asked,
// and ends; or it runs a debugger session on the machine stopped at its
// first instruction, then writes the same outputs. The emulator's threads
// never stop, so the program leaves with quick_exit once its output is
// written.
//
// Exit status: 0 done (the condition met, if one was given); 1 a failure;
// 2 a bad command line; 4 the condition not met before the timeout.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>
#include <winshim_host.h>

#include "host/emu_library.h"
#include "host/host_debug.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/png_writer.h"

constexpr int kHeadlessNotMet = 4;
constexpr auto kHeadlessPoll = std::chrono::milliseconds(10);

using Clock = std::chrono::steady_clock;

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

static bool HeadlessReadFile(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open the file to paste, " + path;
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad() || text.size() > kHostLongestPaste) {
        error = "cannot read " + path + " (at most " + std::to_string(kHostLongestPaste >> 20) +
                " MB are pasted)";
        return false;
    }
    return true;
}

static bool HeadlessWriteFile(const std::string& path, const std::string& text,
                              std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) error = "cannot write " + path;
    return static_cast<bool>(file);
}

// The picture, the screen's text and the machine's state, as asked; they
// show one moment: the machine stands still while they are taken. The exit
// status, or a failure's.
static int HeadlessOutputs(const EmuLibrary& emu, HWND window, const HostOptions& options,
                           int status) {
    std::string error;
    if (options.NeedsPlus()) emu.SetPaused(1);
    if (!options.screenText.empty() &&
        !HeadlessWriteFile(options.screenText, HeadlessScreenText(emu), error))
        return HeadlessFail(error);
    if (!options.saveState.empty()) {
        int code = emu.SaveState(options.saveState.c_str());
        if (code) return HeadlessFail(options.saveState + ": " + emu.GetStateMessage(code));
        printf("state: %s\n", options.saveState.c_str());
    }
    if (!options.screenshot.empty()) {
        if (!HeadlessScreenshot(window, options.screenshot, error)) return HeadlessFail(error);
        printf("screenshot: %s\n", options.screenshot.c_str());
    }
    return status;
}

// The debugger's session on the machine started stopped; --break-at also
// writes the picture and the state where it stopped.
static int HeadlessDebug(HostOptions& options, EmuLibrary& emu, HWND window,
                         const std::string& startFolder) {
    std::string error;
    if (!HostDebugSession(emu, options, stdout, error)) return HeadlessFail(error);
    if (!options.breakAt.empty()) {
        std::string stem = startFolder + "/break-" + options.breakAt;
        if (options.screenshot.empty()) options.screenshot = stem + ".png";
        if (options.saveState.empty()) options.saveState = stem + ".state";
    }
    // The screen thread draws on while the machine is stopped; right after
    // the start it may not have drawn yet.
    for (int wait = 0; wait < 100 && ShimPresentCount(window) == 0; ++wait)
        std::this_thread::sleep_for(kHeadlessPoll);
    return HeadlessOutputs(emu, window, options, 0);
}

// True once the stop condition holds (checked after the input is done).
static bool HeadlessConditionMet(const EmuLibrary& emu, const HostOptions& options) {
    if (options.untilCycles && emu.GetCycles() < options.untilCycles) return false;
    if (!options.untilText.empty() &&
        HeadlessScreenText(emu).find(options.untilText) == std::string::npos)
        return false;
    return true;
}

static int HeadlessRun(int argc, char** argv) {
    if (HostVersionAsked(argc, argv)) {
        printf("%s\n", HostVersionText("z80home-headless").c_str());
        return 0;
    }
    HostOptions options;
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
    if (!options.screenshot.empty() &&
        std::filesystem::path(options.screenshot).extension() != ".png") {
        fprintf(stderr,
                "z80home-headless: --screenshot writes PNG pictures: give it a name "
                "ending in .png, not %s\n",
                options.screenshot.c_str());
        return 2;
    }
    std::string paste;
    if (!options.paste.empty() && !HeadlessReadFile(options.paste, paste, error))
        return HeadlessFail(error);
    EmuLibrary emu;
    std::error_code failed;
    std::string startFolder = std::filesystem::current_path(failed).string();
    if (!HostStart(argv[0], options, emu, error)) return HeadlessFail(error);
    if (!options.tape.empty() && !HostTapeProblem(options.tape).empty())
        fprintf(stderr, "z80home-headless: nothing can be saved to the tape %s: %s\n",
                options.tape.c_str(), HostTapeProblem(options.tape).c_str());
    if (options.NeedsPlus() && !emu.plus)
        return HeadlessFail("the options given need the plus library, and only the plain one "
                            "could be loaded");
    if (options.Debugging() && !emu.debugger)
        return HeadlessFail("the emulator library has no debugger");
    if (options.Debugging()) HostDebugStart(emu);

    HWND window = ShimCreateWindow(kHeadlessWidth, kHeadlessHeight);
    if (!window) return HeadlessFail("cannot create the window");
    Clock::time_point start = Clock::now();
    if (!emu.RunEmu(window, GetDC(window))) return HeadlessFail("the emulator did not start");
    if (!options.loadState.empty()) {
        int code = emu.LoadState(options.loadState.c_str());
        if (code) return HeadlessFail(options.loadState + ": " + emu.GetStateMessage(code));
    }
    if (options.warp) emu.SetWarp(1);
    if (options.Debugging()) return HeadlessDebug(options, emu, window, startFolder);
    if (!paste.empty()) {
        // A loaded state has booted already; a fresh machine first boots.
        uint64_t boot = options.loadState.empty() ? kHeadlessBootCycles : 0;
        while (emu.GetCycles() < boot)
            std::this_thread::sleep_for(kHeadlessPoll);
        int skipped = emu.PasteText(paste.c_str());
        if (skipped)
            fprintf(stderr, "z80home-headless: %d characters of %s have no key; skipped\n", skipped,
                    options.paste.c_str());
    }

    for (const HostEvent& event : options.input.events) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(event.atMs));
        emu.CtlEmulator(event.message, event.wParam, event.lParam);
    }
    int status = 0;
    if (options.HasCondition()) {
        Clock::time_point deadline = start + std::chrono::milliseconds(options.timeoutMs);
        while ((emu.GetPasteLeft() > 0 || !HeadlessConditionMet(emu, options)) &&
               Clock::now() < deadline)
            std::this_thread::sleep_for(kHeadlessPoll);
        if (emu.GetPasteLeft() > 0 || !HeadlessConditionMet(emu, options)) {
            fprintf(stderr, "z80home-headless: the condition was not met in %u ms\n",
                    options.timeoutMs);
            status = kHeadlessNotMet;
        }
    } else {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(options.runMs));
        while (!paste.empty() && emu.GetPasteLeft() > 0)
            std::this_thread::sleep_for(kHeadlessPoll);
    }

    return HeadlessOutputs(emu, window, options, status);
}

int main(int argc, char** argv) {
    int status = HeadlessRun(argc, argv);
    fflush(stdout);
    fflush(stderr);
    std::quick_exit(status);
}
