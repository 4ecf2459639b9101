// RunEmu on a real (shim) window: refused without a window, the ROM images
// read as far as they go, a second start refused, and a running machine that
// takes resets from the host's thread while its threads run; the options a
// host sets before the start survive it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>
#include <winshim_host.h>

#include "core/z80home.h"
#include "state/machine_state.h"

namespace {

namespace fs = std::filesystem;

// LD A,1; OUT (0xE6),A; IM 1; EI; loop: HALT; JR loop -- and at 0x38 a handler
// that counts ticks at 0x8000: PUSH AF; LD A,(0x8000); INC A; LD (0x8000),A;
// POP AF; EI; RET.
std::vector<uint8_t> IdleRom() {
    std::vector<uint8_t> rom(100, 0);
    const uint8_t start[] = {0x3E, 0x01, 0xD3, 0xE6, 0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD};
    const uint8_t tick[] = {0xF5, 0x3A, 0x00, 0x80, 0x3C, 0x32, 0x00, 0x80, 0xF1, 0xFB, 0xC9};
    std::copy(std::begin(start), std::end(start), rom.begin());
    std::copy(std::begin(tick), std::end(tick), rom.begin() + 0x38);
    return rom;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

template <typename Predicate> bool WaitFor(Predicate done) {
    for (int i = 0; i < 300; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(RunEmu, StartsOnceAndKeepsRunningThroughResets) {
    fs::path dir = fs::temp_directory_path() / ("z80home-runemu-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::vector<uint8_t> rom = IdleRom();
    std::vector<uint8_t> font(3000);
    for (size_t i = 0; i < font.size(); i++)
        font[i] = static_cast<uint8_t>(i * 13 + 5);
    WriteFile(dir / "n80basic.rom", rom);
    WriteFile(dir / "font.rom", font);
    fs::current_path(dir);

    EXPECT_EQ(RunEmu(nullptr, nullptr), 0);
    EXPECT_EQ(Get(machine.running), 0);
    EXPECT_EQ(machine.basicRom[0], 0); // nothing loaded for a refused start

    // Options chosen before the start outlive the power-on RunEmu makes.
    std::string tape = (dir / "tape.cmt").string();
    SetCMTFile(tape.c_str());
    SetGreenDisplay(1);
    SetPCG(2);
    HWND window = ShimCreateWindow(320, 200);
    HDC dc = GetDC(window);
    ASSERT_EQ(RunEmu(window, dc), 1);
    EXPECT_EQ(GetCMTFile(), tape);
    EXPECT_EQ(Get(machine.cmtFileSet), 1);
    EXPECT_EQ(GetGreenDisplay(), 1);
    EXPECT_EQ(GetPCG(), 2);
    EXPECT_TRUE(std::equal(rom.begin(), rom.end(), machine.basicRom));
    EXPECT_EQ(machine.basicRom[rom.size()], 0); // a short image leaves the rest alone
    EXPECT_TRUE(std::equal(font.begin(), font.begin() + kFontRomSize, machine.fontRom));
    EXPECT_EQ(RunEmu(window, dc), 0); // already running: refused

    EXPECT_TRUE(WaitFor([] { return Get(machine.mainRam[0x8000]) >= 5; })) << "no ticks";
    EXPECT_TRUE(WaitFor([&] { return ShimPresentCount(window) >= 3; })) << "no frames";

    // Resets from the host's thread while the processor runs.
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(ResetEmu(), 0);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    uint8_t ticks = Get(machine.mainRam[0x8000]);
    EXPECT_TRUE(WaitFor([&] { return Get(machine.mainRam[0x8000]) != ticks; }))
        << "the machine stopped after the resets";
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}

} // namespace
