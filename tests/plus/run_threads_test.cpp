// Pause and single slices against the running threads.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <winshim_host.h>

#include "core/run_control.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"

namespace {

namespace fs = std::filesystem;

// LD A,1; OUT (0xE6),A; IM 1; EI; loop: HALT; JR loop -- and at 0x38 a
// handler counting ticks at 0x8000: PUSH AF; LD A,(0x8000); INC A;
// LD (0x8000),A; POP AF; EI; RET.
void WriteTickRom(const fs::path& dir) {
    uint8_t rom[0x48] = {0x3E, 0x01, 0xD3, 0xE6, 0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD};
    const uint8_t tick[] = {0xF5, 0x3A, 0x00, 0x80, 0x3C, 0x32, 0x00, 0x80, 0xF1, 0xFB, 0xC9};
    std::copy(std::begin(tick), std::end(tick), rom + 0x38);
    FILE* file = fopen((dir / "n80basic.rom").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(rom, 1, sizeof rom, file);
    fclose(file);
}

int Ticks(void) {
    return Get(machine.mainRam[0x8000]);
}

TEST(RunThreads, PauseHoldsTheMachineStillAndStepsRunOneSliceEach) {
    fs::path dir = fs::temp_directory_path() / ("z80home-pause-" + std::to_string(getpid()));
    fs::create_directories(dir);
    WriteTickRom(dir);
    fs::current_path(dir);
    HWND window = ShimCreateWindow(320, 200);
    ASSERT_EQ(RunEmu(window, GetDC(window)), 1);
    auto wait = [](auto done) {
        for (int i = 0; i < 300 && !done(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    };
    ASSERT_TRUE(wait([] { return Ticks() >= 5; }));

    SetPaused(1);
    int held = Ticks();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(Ticks(), held) << "ticks while paused";
    // Each slice holds eight ticks counted from its cycles (nine when the
    // carried cycles round up), and one may have been pending at the pause.
    for (int step = 0; step < 4; step++)
        EXPECT_EQ(StepSlice(), 1);
    EXPECT_GE(static_cast<uint8_t>(Ticks() - held), 4 * kTicksPerSlice);
    EXPECT_LE(static_cast<uint8_t>(Ticks() - held), 4 * (kTicksPerSlice + 1) + 1);

    SetPaused(0);
    EXPECT_EQ(StepSlice(), 0);
    held = Ticks();
    EXPECT_TRUE(wait([held] { return Ticks() != held; })) << "no ticks after resuming";
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}

} // namespace
