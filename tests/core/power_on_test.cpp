// MachinePowerOn: whatever the program and the host changed, the record is
// back at the values a freshly loaded library holds, but for what RunEmu
// acquires once (the ROM images, the host's window and frame, the beeper's
// device, the palette, the running flag).
#include <gtest/gtest.h>

#include <cstring>

#include "core/machine.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/devices/ports.h"

namespace {

// Writes and reads every port with a few values, runs the calendar's
// commands, presses a key and the light pen, sets every option.
void UseEverything(void) {
    for (int value : {0xFF, 0x5A, 0xA5, 0x01, 0x02, 0x60, 0x80, 0x81})
        for (int port = 0; port < 0x100; ++port) {
            if ((port & 0xF0) == 0x20) continue; // the tape's ports go to a file
            Out(port, value);
            In(port);
        }
    Out(0x10, 0x0A); // set time, data-in 1
    for (int i = 0; i < 45; ++i)
        Out(0x40, 0x04);
    Out(0x40, 0x02);
    Out(0x10, 0x01);
    Out(0x40, 0x02);
    for (int address : {0x0000, 0x7FFF, 0xFFFF})
        BusAccess(address, 0x77, MemWrite);
    CtlEmulator(WM_KEYDOWN, 'A', 0);
    CtlEmulator(WM_LBUTTONDOWN, 0, 0x00100010);
    SetPCG(1);
    SetGreenDisplay(1);
    SetCMTFile("/nonexistent-z80home/tape.cmt");
    In(0x20);
    Put(machine.pendingInterrupt, kInterruptPending | 4);
    Put(machine.cyclesThisSecond, 1234);
    Put(machine.vrtcToggle, 1);
    machine.currentAttr = machine.drawColor = 7;
    machine.pageIndex = machine.blinkCounter = 3;
    machine.cursorBlinkPhase = machine.attrBlinkPhase = 1;
}

TEST(PowerOn, EveryFieldTakesItsLoadValue) {
    static MachineState loaded;
    UseEverything();
    MachinePowerOn();

    // The record in spans between the fields power-on keeps; a field added
    // inside a span is checked without changing this test.
    struct Span {
        const void* first;
        const void* end;
        const char* what;
    };
    const Span spans[] = {
        {&machine.mainRam, &machine.basicRom, "RAM"},
        {&machine.greenDisplay, &machine.running, "options"},
        {&machine.pendingInterrupt, &machine.cmtLock, "pacing and devices"},
        {&machine.cmtFileName, &machine.beepDevice, "cassette"},
        {&machine.currentAttr, &machine.brushes, "renderer"},
    };
    const auto* now = reinterpret_cast<const uint8_t*>(&machine);
    const auto* fresh = reinterpret_cast<const uint8_t*>(&loaded);
    for (const Span& span : spans) {
        size_t from = static_cast<const uint8_t*>(span.first) - now;
        size_t end = static_cast<const uint8_t*>(span.end) - now;
        for (size_t at = from; at < end; ++at)
            if (now[at] != fresh[at]) {
                ADD_FAILURE() << span.what << ": byte " << at - from << " of the span is "
                              << int(now[at]) << ", loaded " << int(fresh[at]);
                break;
            }
    }
}

} // namespace
