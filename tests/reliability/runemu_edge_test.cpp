// RunEmu on a window with no client area and with empty ROM files: the
// machine runs, nothing is presented until the window has an area, and a
// window shrunk to nothing again is no trouble.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <winshim_host.h>

#include "core/z80home.h"
#include "state/machine_state.h"

namespace {

namespace fs = std::filesystem;

template <typename Predicate> bool WaitFor(Predicate done) {
    for (int i = 0; i < 500; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(RunEmu, StartsOnAWindowWithoutAreaAndWithEmptyRomFiles) {
    fs::path dir = fs::temp_directory_path() / ("z80home-edge-" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* name : {"n80basic.rom", "font.rom"})
        fclose(fopen((dir / name).c_str(), "wb"));
    fs::current_path(dir);

    HWND window = ShimCreateWindow(0, 0);
    ASSERT_EQ(RunEmu(window, GetDC(window)), 1);
    for (uint8_t byte : machine.basicRom)
        ASSERT_EQ(byte, 0);
    for (uint8_t byte : machine.fontRom)
        ASSERT_EQ(byte, 0);
    int32_t cycles = Get(machine.cyclesThisSecond);
    EXPECT_TRUE(WaitFor([&] { return Get(machine.cyclesThisSecond) != cycles; }))
        << "the processor does not run";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ShimPresentCount(window), 0u);
    // Mouse messages need an area to divide by: none yet.
    EXPECT_EQ(CtlEmulator(WM_LBUTTONDOWN, 0, 0x00100010), 0);
    EXPECT_EQ(Get(machine.crtcStatus) & 1, 0);

    ShimResizeWindow(window, 320, 200);
    EXPECT_TRUE(WaitFor([&] { return ShimPresentCount(window) >= 2; })) << "no frames";
    ShimResizeWindow(window, 0, 0);
    unsigned presents = ShimPresentCount(window);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LE(ShimPresentCount(window), presents + 1); // one may have been under way
    ShimResizeWindow(window, 640, 0);
    EXPECT_EQ(CtlEmulator(WM_MOUSEMOVE, 0, 0x7FFF7FFF), 0);
    EXPECT_EQ(ResetEmu(), 0);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}

} // namespace
