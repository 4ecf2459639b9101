// The exports: start-up, machine reset, the display option and the dispatch of
// the host's window messages.
#include "core/z80home.h"

#include <cstdio>
#include <cstring>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "devices/beeper.h"
#include "devices/cassette.h"
#include "input/input.h"
#include "state/machine_state.h"
#include "video/palette.h"
#include "video/pcg.h"
#include "video/screen.h"
#include "z80/z80.h"

static_assert(size_t{kCmtNameSize} == kCmtFileNameLongest + 1,
              "the tape's name and its terminator");

// Reads the first size bytes of a ROM image from the working directory; a
// short or missing file leaves the rest of the image as it was.
static void ExportsLoadRom(const char* name, uint8_t* image, size_t size) {
    FILE* file = fopen(name, "rb");
    if (!file) return;
    size_t got = fread(image, 1, size, file);
    (void)got;
    fclose(file);
}

// The machine powered on, keeping the options a host may set before it
// starts the machine: the display's colour, the glyph RAM switch and the tape.
static void ExportsPowerOn(void) {
    unsigned char green = GetGreenDisplay();
    unsigned char pcg = GetPCG();
    bool tapeNamed = Get(machine.cmtFileSet) || machine.cmtFileName[0];
    char tape[kCmtNameSize];
    std::memcpy(tape, machine.cmtFileName, kCmtNameSize);
    MachinePowerOn();
    Put(machine.greenDisplay, green);
    PcgSetEnabled(pcg);
    if (tapeNamed) SetCMTFile(tape);
}

bool MachineStart(HWND window, HDC dc) {
    ExportsPowerOn();
    BeepSetUp();
    setz80memaccess(BusAccess);
    ExportsLoadRom("n80basic.rom", machine.basicRom, kBasicRomSize);
    ExportsLoadRom("font.rom", machine.fontRom, kFontRomSize);
    machine.hostWindow = window;
    machine.windowDc = dc;
    // The frame is a 32-bit DIB section the renderer writes directly.
    if (!CreateFrame(dc)) return false;
    BuildPalette();
    return true;
}

unsigned char RunEmu(HWND window, HDC dc) {
    // Started once; a second call would start a second set of threads over
    // the same machine, so it is refused and the running machine carries on.
    if (!window || Get(machine.running)) return 0;
    if (!MachineStart(window, dc)) return 0;
    // Windows' default timer granularity would stretch a slice's sleep to a
    // whole scheduler tick; the machine's pacing needs millisecond sleeps.
    timeBeginPeriod(1);
    Put(machine.running, 1);
    CreateThread(nullptr, 0, CpuThread, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, BeepThread, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, ScreenThread, nullptr, 0, nullptr);
    return 1;
}

// The reset runs on the processor thread between two slices (at once when no
// thread runs it), so nothing the old program does outlives it; a paused
// machine takes it too. It is an input event of its cycle, for a recording.
static void ExportsResetJob(void*) {
    InputEvent reset;
    reset.kind = InputKind::kReset;
    InputApply(reset, Get(machine.cyclesRun));
}

// The picture's options change at once, even while the machine is paused;
// the event tells a recording where.
static void ExportsOptionsChanged(void) {
    InputEvent options;
    options.kind = InputKind::kOptions;
    InputPost(std::move(options));
}

int ResetEmu(void) {
    RunControlCall(ExportsResetJob, nullptr);
    return 0;
}

void SetCMTFile(const char* name) {
    CassetteSetFile(name);
}

const char* GetCMTFile(void) {
    return CassetteGetFile();
}

void SetPCG(unsigned char flag) {
    PcgSetEnabled(flag);
    ExportsOptionsChanged();
}

unsigned char GetPCG(void) {
    return PcgGetEnabled();
}

void SetGreenDisplay(unsigned char flag) {
    Put(machine.greenDisplay, flag);
    ExportsOptionsChanged();
}

unsigned char GetGreenDisplay(void) {
    return Get(machine.greenDisplay);
}

// A mouse message becomes the light pen's event with the window's size of
// the moment, so that it means the same point of the picture whatever size
// the window has when the event is applied or replayed.
static void ExportsPenEvent(uint32_t message, int32_t lParam) {
    InputEvent pen;
    pen.kind = InputKind::kPen;
    pen.code = message;
    pen.x = static_cast<int32_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
    pen.y = static_cast<int32_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
    RECT client{};
    if (message != WM_LBUTTONUP && GetClientRect(machine.hostWindow, &client)) {
        pen.width = client.right;
        pen.height = client.bottom;
    }
    InputPost(std::move(pen));
}

int CtlEmulator(uint32_t message, uint32_t wParam, int32_t lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        // A key without the modifiers it was typed with: the machine's SHIFT
        // and CTRL are what the host's own SHIFT and CTRL messages made them.
        InputEvent key;
        key.code = wParam;
        key.down = message == WM_KEYDOWN;
        InputPost(std::move(key));
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: ExportsPenEvent(message, lParam); break;
    case WM_PAINT:
        Put(machine.hostPaints, 1);
        Put(machine.repaintWanted, 1);
        break;
    default: break;
    }
    return 0;
}
