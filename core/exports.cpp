// The exports: start-up, machine reset, the display option and the dispatch of
// the host's window messages.
#include "core/z80home.h"

#include <cstdio>

#include "bus/bus.h"
#include "bus/keyboard.h"
#include "bus/sysctl.h"
#include "core/machine.h"
#include "devices/beeper.h"
#include "devices/calendar.h"
#include "devices/cassette.h"
#include "state/machine_state.h"
#include "video/crtc.h"
#include "video/dma.h"
#include "video/palette.h"
#include "z80/z80.h"

// Reads the first size bytes of a ROM image from the working directory; a
// short or missing file leaves the rest of the image as it was.
static void ExportsLoadRom(const char* name, uint8_t* image, size_t size) {
    FILE* file = fopen(name, "rb");
    if (!file) return;
    size_t got = fread(image, 1, size, file);
    (void)got;
    fclose(file);
}

// The 640 by 480 frame: a 32-bit top-down DIB section in a memory DC, so the
// renderer writes pixels directly and reads back exactly what it wrote.
static HBITMAP ExportsCreateFrame(HDC dc) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kFrameWidth;
    info.bmiHeader.biHeight = -kFrameHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP frame = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!frame || !bits) return nullptr;
    HDC frameDc = CreateCompatibleDC(dc);
    if (!frameDc) {
        DeleteObject(frame);
        return nullptr;
    }
    machine.frameDc = frameDc;
    machine.framePixels = static_cast<uint32_t*>(bits);
    return frame;
}

unsigned char RunEmu(HWND window, HDC dc) {
    // Started once; a second call would start a second set of threads over
    // the same machine, so it is refused and the running machine carries on.
    if (!window || Get(machine.running)) return 0;
    BeepSetUp();
    Z80Init();
    setz80memaccess(BusAccess);
    ExportsLoadRom("n80basic.rom", machine.basicRom, kBasicRomSize);
    ExportsLoadRom("font.rom", machine.fontRom, kFontRomSize);
    machine.hostWindow = window;
    machine.windowDc = dc;
    HBITMAP frame = ExportsCreateFrame(dc);
    if (!frame) return 0;
    BuildPalette();
    SelectObject(machine.frameDc, frame);
    // Windows' default timer granularity would stretch Sleep(2) to a whole
    // scheduler tick; the machine's pacing needs millisecond sleeps.
    timeBeginPeriod(1);
    Put(machine.running, 1);
    CreateThread(nullptr, 0, CpuThread, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, BeepThread, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, ScreenThread, nullptr, 0, nullptr);
    CreateThread(nullptr, 0, TickThread, nullptr, 0, nullptr);
    return 1;
}

int ResetEmu(void) {
    SysCtlReset();
    CassetteReset();
    CrtcReset();
    DmaReset();
    CalendarReset();
    Put(machine.cyclesThisSecond, 0);
    Put(machine.vrtcToggle, 0);
    return Z80Init();
}

void SetGreenDisplay(unsigned char flag) {
    Put(machine.greenDisplay, flag);
}

unsigned char GetGreenDisplay(void) {
    return Get(machine.greenDisplay);
}

int CtlEmulator(uint32_t message, uint32_t wParam, int32_t lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP: KeyboardKeyEvent(message, wParam); break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: CrtcMouseEvent(message, lParam); break;
    default: break;
    }
    return 0;
}
