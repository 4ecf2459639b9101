// The exports as a host might call them, in any order and with any
// arguments: window messages with any id, wParam and lParam, window resizes
// down to nothing, cassette names of every awkward length and byte, the PCG
// and green options, machine resets, interleaved with slices of the machine
// running the system ROM and with frames drawn.
//
// The machine starts every input from the system ROM's prompt: the ROM is
// booted once, and its RAM, processor state and the port writes that set up
// its devices are replayed before each input.
//
// Beyond the sanitizers: every export keeps its contract (CtlEmulator and
// ResetEmu answer 0, the options read back, the cassette name is always a
// terminated string that is the last one accepted).
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <winshim_host.h>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/fuzz/fuzz_support.h"
#include "video/screen.h"
#include "z80/z80.h"

namespace {

constexpr int kBootSlices = 40;
constexpr int kMaxSlices = 2;
// Cycles of a slice here: a few hundred instructions, a tenth of a real
// slice, so that an input costs little.
constexpr int32_t kSliceCycles = 3000;
constexpr int kMaxFrames = 1;
// A resize clears the window's pixels: a few per input find what many do.
constexpr int kMaxResizes = 2;

void Check(bool ok) {
    if (!ok) std::abort();
}

struct PortWriteRecord {
    int port;
    int data;
};
std::vector<PortWriteRecord> bootWrites;
std::vector<uint8_t> bootRam(kRamSize);
Z80Regs bootRegs;

int RecordingBus(int address, int data, unsigned kind) {
    if (kind == PortWrite && bootWrites.size() < 100000) bootWrites.push_back({address, data});
    return BusAccess(address, data, kind);
}

void Boot(void) {
    FuzzLoadRoms();
    FuzzResetMachine();
    setz80memaccess(RecordingBus);
    for (int i = 0; i < kBootSlices; i++) {
        TickOnce();
        CpuRunSlice();
    }
    setz80memaccess(BusAccess);
    for (int a = 0; a < kRamSize; a++)
        bootRam[a] = Get(machine.mainRam[a]);
    std::memset(&bootRegs, 0, sizeof bootRegs);
    Z80GetRegs(&bootRegs);
}

void Restore(void) {
    FuzzResetMachine();
    for (const PortWriteRecord& write : bootWrites)
        BusAccess(write.port, write.data, PortWrite);
    std::memcpy(static_cast<void*>(machine.mainRam), bootRam.data(), kRamSize);
    Z80Regs regs = bootRegs;
    Z80SetRegs(&regs);
}

uint32_t Param(FuzzInput& in) {
    return in.Byte() & 1 ? in.Long() : in.Byte();
}

// A name in the scratch folder with no separators of its own, padded or
// cut to total characters when total is not 0.
std::string ScratchName(FuzzInput& in, size_t total) {
    std::string name = FuzzScratchDir() + "/";
    size_t wanted = total ? total : name.size() + in.Byte() % 24;
    while (name.size() < wanted) {
        char c = static_cast<char>(in.Byte());
        name.push_back(c == '/' || c == 0 ? '_' : c);
    }
    name.resize(wanted);
    return name;
}

// The cassette name after SetCMTFile(name): the name itself if it fits the
// 520-byte buffer; a longer one may be refused or cut, never overrun.
void CheckCassetteName(const std::string& before, const char* name) {
    const char* now = GetCMTFile();
    size_t length = strnlen(now, kCmtNameSize);
    Check(length < kCmtNameSize);
    if (!name) {
        Check(before == now);
        return;
    }
    size_t wanted = std::strlen(name);
    if (wanted < kCmtNameSize)
        Check(std::strcmp(now, name) == 0);
    else
        Check(before == now || std::strncmp(now, name, length) == 0);
}

void SetName(FuzzInput& in) {
    std::string before = GetCMTFile();
    std::string held;
    const char* name = nullptr;
    switch (in.Byte() % 8) {
    case 0: break;
    case 1: name = ""; break;
    case 2: name = GetCMTFile(); break;
    case 3: held = ScratchName(in, 0); break;
    case 4: held = ScratchName(in, 519); break;
    case 5: held = ScratchName(in, 520); break;
    case 6: held = ScratchName(in, 521); break;
    default: held = ScratchName(in, 4000); break;
    }
    if (!held.empty()) name = held.c_str();
    // The alias case passes the buffer itself: keep a copy to compare with.
    std::string expected = name ? name : "";
    SetCMTFile(name);
    CheckCassetteName(before, name ? expected.c_str() : nullptr);
}

void Message(FuzzInput& in, uint32_t id) {
    uint32_t wParam = Param(in);
    uint32_t lParam = Param(in);
    Check(CtlEmulator(id, wParam, static_cast<int32_t>(lParam)) == 0);
}

int WindowSide(uint8_t choice) {
    return choice < 64 ? 0 : choice;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool booted = (Boot(), true);
    (void)booted;
    Restore();
    FuzzScratchDir();
    HWND window = FuzzWindow();
    int slices = 0;
    int frames = 0;
    int resizes = 0;

    FuzzInput in{data, size};
    while (in.More()) {
        switch (in.Byte() % 14) {
        case 0: Message(in, WM_KEYDOWN); break;
        case 1: Message(in, WM_KEYUP); break;
        case 2: Message(in, WM_LBUTTONDOWN); break;
        case 3: Message(in, WM_MOUSEMOVE); break;
        case 4: Message(in, WM_LBUTTONUP); break;
        case 5: Message(in, in.Long()); break;
        case 6: {
            int width = WindowSide(in.Byte());
            int height = WindowSide(in.Byte());
            if (resizes++ < kMaxResizes) ShimResizeWindow(window, width, height);
            break;
        }
        case 7: SetName(in); break;
        case 8: {
            uint8_t flag = in.Byte();
            SetPCG(flag);
            Check(GetPCG() == flag);
            break;
        }
        case 9: {
            uint8_t flag = in.Byte();
            SetGreenDisplay(flag);
            Check(GetGreenDisplay() == flag);
            break;
        }
        case 10: Check(ResetEmu() == 0); break;
        case 11:
            if (slices++ < kMaxSlices) {
                TickOnce();
                Check(CpuRunSliceUpTo(kSliceCycles) > 0);
            }
            break;
        case 12:
            if (frames++ < kMaxFrames) DrawScreen();
            break;
        default: Check(strnlen(GetCMTFile(), kCmtNameSize) < kCmtNameSize); break;
        }
    }
    return 0;
}
