// z80home-headless: the machine on a 640 by 480 window that nobody sees. It
// plays the scripted input in real time, runs for the time asked, writes the
// picture as a PNG file if asked, and ends; or it runs a debugger session on
// the machine stopped at its first instruction. The emulator's threads never
// stop, so the program leaves with quick_exit once its output is written.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>
#include <winshim_host.h>

#include "host/emu_library.h"
#include "host/host_debug.h"
#include "host/host_options.h"
#include "host/host_start.h"
#include "host/png_writer.h"

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

// The debugger's session on the machine started stopped; --break-at also
// writes the picture where it stopped.
static int HeadlessDebug(HostOptions& options, EmuLibrary& emu, HWND window,
                         const std::string& startFolder) {
    std::string error;
    if (!HostDebugSession(emu, options, stdout, error)) return HeadlessFail(error);
    if (!options.breakAt.empty() && options.screenshot.empty())
        options.screenshot = startFolder + "/break-" + options.breakAt + ".png";
    if (!options.screenshot.empty()) {
        // The screen thread draws on while the machine is stopped.
        for (int wait = 0; wait < 100 && ShimPresentCount(window) == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!HeadlessScreenshot(window, options.screenshot, error)) return HeadlessFail(error);
        printf("screenshot: %s\n", options.screenshot.c_str());
    }
    return 0;
}

static int HeadlessRun(int argc, char** argv) {
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
    EmuLibrary emu;
    std::error_code failed;
    std::string startFolder = std::filesystem::current_path(failed).string();
    bool debugging = !options.debugScript.empty() || !options.breakAt.empty();
    if (!HostStart(argv[0], options, emu, error)) return HeadlessFail(error);
    if (debugging && !emu.debugger) return HeadlessFail("the emulator library has no debugger");
    if (debugging) HostDebugStart(emu);

    HWND window = ShimCreateWindow(kHeadlessWidth, kHeadlessHeight);
    if (!window) return HeadlessFail("cannot create the window");
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    if (!emu.RunEmu(window, GetDC(window))) return HeadlessFail("the emulator did not start");
    if (debugging) return HeadlessDebug(options, emu, window, startFolder);

    for (const HostEvent& event : options.input.events) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(event.atMs));
        emu.CtlEmulator(event.message, event.wParam, event.lParam);
    }
    std::this_thread::sleep_until(start + std::chrono::milliseconds(options.runMs));

    if (!options.screenshot.empty()) {
        if (!HeadlessScreenshot(window, options.screenshot, error)) return HeadlessFail(error);
        printf("screenshot: %s\n", options.screenshot.c_str());
    }
    return 0;
}

int main(int argc, char** argv) {
    int status = HeadlessRun(argc, argv);
    fflush(stdout);
    fflush(stderr);
    std::quick_exit(status);
}
