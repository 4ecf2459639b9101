// Warp: the whole machine unpaced on the built-in ROM, busy with a copy loop
// started from the monitor, against the processor alone running the same
// loop on flat memory, in the same run. The gap is what the bus, the devices
// and the other threads cost. Then the time a save and a load of the running
// machine's state take, file included.
//
//   warp_bench ROM_DIR [seconds]      (default 5 s for each)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <thread>
#include <winshim_host.h>

#include "core/z80home.h"
#include "plus/save_state.h"
#include "plus/z80home_plus.h"
#include "z80/z80.h"

using Clock = std::chrono::steady_clock;

// At 0x6100: LD HL,7000; LD DE,8000; LD BC,1000; LDIR; JR 6100.
static const uint8_t kLoop[] = {0x21, 0x00, 0x70, 0x11, 0x00, 0x80, 0x01,
                                0x00, 0x10, 0xED, 0xB0, 0x18, 0xF3};
static const char kMonitorInput[] =
    "MON\nSET 6100 21 00 70 11 00 80 01 00 10 ED B0 18 F3\nRUN 6100\n";

static uint8_t flat[0x10000];
static int FlatAccess(int address, int data, unsigned kind) {
    if (kind == 0) flat[address & 0xFFFF] = static_cast<uint8_t>(data);
    return kind == 1 ? flat[address & 0xFFFF] : 0xFF;
}

static double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The processor alone: the loop on flat memory, no interrupts.
static double CoreMhz(double seconds) {
    memcpy(flat + 0x6100, kLoop, sizeof kLoop);
    setz80memaccess(FlatAccess);
    Z80Init();
    Z80Regs regs;
    Z80GetRegs(&regs);
    regs.pc = 0x6100;
    Z80SetRegs(&regs);
    uint64_t cycles = 0;
    Clock::time_point start = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        for (int i = 0; i < 100000; i++)
            cycles += static_cast<uint64_t>(Z80Run());
        elapsed = Seconds(Clock::now() - start);
    }
    return static_cast<double>(cycles) / elapsed / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s ROM_DIR [seconds]\n", argv[0]);
        return 2;
    }
    double seconds = argc > 2 ? atof(argv[2]) : 5.0;
    std::filesystem::current_path(argv[1]);
    double core = CoreMhz(seconds);

    // The state's own cost, before the threads run: capture, check, apply.
    constexpr int kMemoryRounds = 200;
    std::vector<uint8_t> image = StateCapture();
    Clock::time_point memoryStart = Clock::now();
    for (int i = 0; i < kMemoryRounds; i++) {
        image = StateCapture();
        if (StateCheck(image.data(), image.size()) != kStateOk) return 1;
        StateApply(image.data(), image.size(), true);
    }
    double memoryUs = Seconds(Clock::now() - memoryStart) / kMemoryRounds * 1e6;

    HWND window = ShimCreateWindow(640, 480);
    if (!RunEmu(window, GetDC(window))) {
        fprintf(stderr, "RunEmu failed\n");
        return 1;
    }
    SetWarp(1);
    while (GetCycles() < 2000000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PasteText(kMonitorInput);
    while (GetPasteLeft() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string screen(static_cast<size_t>(GetScreenText(nullptr, 0)), '\0');
    GetScreenText(screen.data(), static_cast<int>(screen.size()) + 1);
    if (screen.find("> RUN 6100\n") == std::string::npos) {
        fprintf(stderr, "the monitor did not take the loop:\n%s", screen.c_str());
        return 1;
    }
    uint64_t startCycles = GetCycles();
    Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double machine =
        static_cast<double>(GetCycles() - startCycles) / Seconds(Clock::now() - start) / 1e6;

    // Save and load while the loop runs: each waits for the processor thread.
    std::string file = (std::filesystem::temp_directory_path() / "z80home-bench.state").string();
    constexpr int kStateRounds = 200;
    Clock::time_point saveStart = Clock::now();
    for (int i = 0; i < kStateRounds; i++)
        if (SaveState(file.c_str()) != 0) return 1;
    double saveUs = Seconds(Clock::now() - saveStart) / kStateRounds * 1e6;
    Clock::time_point loadStart = Clock::now();
    for (int i = 0; i < kStateRounds; i++)
        if (LoadState(file.c_str()) != 0) return 1;
    double loadUs = Seconds(Clock::now() - loadStart) / kStateRounds * 1e6;
    uintmax_t fileBytes = std::filesystem::file_size(file);
    std::filesystem::remove(file);

    printf("processor alone, flat memory:    %8.1f emulated MHz\n", core);
    printf("whole machine in warp (threads): %8.1f emulated MHz\n", machine);
    printf("machine / processor:             %8.2f\n", machine / core);
    printf("paced speed:                     %8.3f MHz, so warp runs %.0f times faster\n", 1.90625,
           machine / 1.90625);
    printf("save state (%ju bytes):         %8.0f us\n", fileBytes, saveUs);
    printf("load state:                      %8.0f us\n", loadUs);
    printf("capture + check + apply, no file, no threads: %.0f us\n", memoryUs);
    fflush(stdout);
    std::quick_exit(0);
}
