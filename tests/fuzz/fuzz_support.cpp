#include "core/machine.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <winshim_host.h>

#include "core/z80home.h"
#include "state/machine_state.h"
#include "video/palette.h"
#include "video/screen.h"

namespace fs = std::filesystem;

HWND FuzzWindow(void) {
    static HWND window = [] {
        HWND created = ShimCreateWindow(kFrameWidth, kFrameHeight);
        machine.hostWindow = created;
        machine.windowDc = GetDC(created);
        if (!CreateFrame(machine.windowDc)) std::abort();
        BuildPalette();
        return created;
    }();
    return window;
}

void FuzzResetMachine(void) {
    HWND window = FuzzWindow();
    RECT client{};
    GetClientRect(window, &client);
    if (client.right != kFuzzWindowWidth || client.bottom != kFuzzWindowHeight)
        ShimResizeWindow(window, kFuzzWindowWidth, kFuzzWindowHeight);
    MachinePowerOn();
}

static bool FuzzReadImage(const fs::path& path, uint8_t* image, size_t size) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    size_t got = fread(image, 1, size, file);
    fclose(file);
    return got == size;
}

bool FuzzLoadRoms(void) {
    const char* dir = getenv("Z80HOME_ROM_DIR");
    fs::path folder = dir ? dir : Z80HOME_FUZZ_ROM_DIR;
    return FuzzReadImage(folder / "n80basic.rom", machine.basicRom, kBasicRomSize) &&
           FuzzReadImage(folder / "font.rom", machine.fontRom, kFontRomSize);
}

// In memory where the system has a tmpfs: an input's file work then costs
// microseconds, where a disk's directory updates cost most of the input.
static fs::path FuzzScratchParent(void) {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

// Never destroyed, so the exit handler that removes the folder can still
// read its name.
static const std::string* scratchDir = nullptr;

static void FuzzRemoveScratch(void) {
    std::error_code ignored;
    fs::remove_all(*scratchDir, ignored);
}

const std::string& FuzzScratchDir(void) {
    if (!scratchDir) {
        scratchDir = new std::string(
            (FuzzScratchParent() / ("z80home-fuzz-" + std::to_string(getpid()))).string());
        fs::create_directories(*scratchDir);
        std::atexit(FuzzRemoveScratch);
    }
    const std::string& dir = *scratchDir;
    // Emptied, not made again: a fresh folder per input would cost a
    // directory's creation and removal each time.
    std::error_code ignored;
    for (fs::directory_iterator it(dir, ignored), end; !ignored && it != end; it.increment(ignored))
        fs::remove_all(it->path(), ignored);
    return dir;
}
