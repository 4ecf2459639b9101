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
    if (client.right != kFrameWidth || client.bottom != kFrameHeight)
        ShimResizeWindow(window, kFrameWidth, kFrameHeight);
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

const std::string& FuzzScratchDir(void) {
    static const std::string dir =
        (fs::temp_directory_path() / ("z80home-fuzz-" + std::to_string(getpid()))).string();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    return dir;
}
