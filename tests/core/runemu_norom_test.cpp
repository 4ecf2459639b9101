// Without ROM images the machine still starts: zero ROM, blank glyphs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <winshim_host.h>

#include "core/z80home.h"
#include "state/machine_state.h"

namespace {

namespace fs = std::filesystem;

TEST(RunEmu, StartsWithoutRomImages) {
    fs::path dir = fs::temp_directory_path() / ("z80home-norom-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    HWND window = ShimCreateWindow(640, 480);
    ASSERT_EQ(RunEmu(window, GetDC(window)), 1);
    for (uint8_t byte : machine.fontRom)
        ASSERT_EQ(byte, 0);
    for (uint8_t byte : machine.basicRom)
        ASSERT_EQ(byte, 0);
    int32_t before = Get(machine.cyclesThisSecond);
    bool advanced = false;
    for (int i = 0; i < 200 && !advanced; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        advanced = Get(machine.cyclesThisSecond) != before;
    }
    EXPECT_TRUE(advanced);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}

} // namespace
