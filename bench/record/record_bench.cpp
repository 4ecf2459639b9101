// Rewind and recording: what keeping the last 30 s of snapshots costs a
// busy machine (its speed with and without them, in the same run), the
// memory the snapshots take, how long a step back takes, and the size of a
// recording of a pasted listing.
//
//   record_bench ROM_DIR [seconds]      (default 3 s for each speed)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "plus/save_state.h"
#include "plus/z80home_plus.h"
#include "record/recorder.h"
#include "record/z80home_record.h"
#include "state/machine_state.h"
#include "z80/z80.h"

using Clock = std::chrono::steady_clock;

static double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

static bool ReadRom(const std::string& dir, const char* name, uint8_t* image, size_t size) {
    FILE* file = fopen((dir + "/" + name).c_str(), "rb");
    if (!file) return false;
    size_t got = fread(image, 1, size, file);
    fclose(file);
    return got == size;
}

// Slices until the paste is typed and a second more.
static void TypeOut(const char* text) {
    PasteText(text);
    while (GetPasteLeft())
        CpuRunSlice();
    for (int i = 0; i < 63; i++)
        CpuRunSlice();
}

// The machine's speed in MHz of its cycles per second of this thread.
static double Mhz(double seconds) {
    uint64_t cycles = 0;
    Clock::time_point start = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        for (int i = 0; i < 50; i++)
            cycles += static_cast<uint64_t>(CpuRunSlice());
        elapsed = Seconds(Clock::now() - start);
    }
    return static_cast<double>(cycles) / elapsed / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s ROM_DIR [seconds]\n", argv[0]);
        return 2;
    }
    double seconds = argc > 2 ? atof(argv[2]) : 3;
    if (!ReadRom(argv[1], "n80basic.rom", machine.basicRom, kBasicRomSize) ||
        !ReadRom(argv[1], "font.rom", machine.fontRom, kFontRomSize)) {
        fprintf(stderr, "cannot read the ROM images in %s\n", argv[1]);
        return 1;
    }
    setz80memaccess(BusAccess);
    MachinePowerOn();
    for (int i = 0; i < 125; i++)
        CpuRunSlice();
    std::string listing;
    for (int line = 10; line <= 1000; line += 10)
        listing += std::to_string(line) + " PRINT \"LINE " + std::to_string(line) + "\";:REM " +
                   std::string(20, '*') + "\n";
    std::string file = (std::filesystem::temp_directory_path() / "record_bench.rec").string();
    StartRecording(file.c_str());
    uint64_t from = GetCycles();
    TypeOut(listing.c_str());
    StopRecording();
    printf("a 100-line listing pasted and recorded:\n");
    printf("  machine time        %8.1f s\n", static_cast<double>(GetCycles() - from) / 1906250);
    printf("  recording           %8ju bytes\n",
           static_cast<uintmax_t>(std::filesystem::file_size(file)));
    std::filesystem::remove(file);
    // A BASIC program busy with arithmetic and the screen: the RAM changes
    // all the time.
    TypeOut("NEW\n10 A=A+1:B=SIN(A):PRINT A;B:GOTO 10\nRUN\n");

    double plain = Mhz(seconds);
    SetRewind(30);
    double rewinding = Mhz(seconds);
    uint32_t depth = GetRewindDepth();
    size_t snapshot = StateCapture().size();
    printf("busy BASIC program, warp on this thread:\n");
    printf("  without rewind      %8.2f MHz\n", plain);
    printf("  keeping 30 s        %8.2f MHz   ratio %.3f\n", rewinding, rewinding / plain);
    printf("  snapshots kept      %8u ms of the machine's time\n", depth);
    printf("  memory              %8.2f MB (a state file is %zu bytes; 10 snapshots a "
           "second, all but the newest kept as their changes)\n",
           static_cast<double>(RewindBytes()) / 1e6, snapshot);
    Clock::time_point start = Clock::now();
    int steps = 0;
    while (RewindStep())
        steps++;
    printf("  a step back         %8.1f us (%d steps)\n",
           Seconds(Clock::now() - start) / std::max(steps, 1) * 1e6, steps);
    SetRewind(0);

    return 0;
}
