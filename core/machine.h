// Run control inside the library: the emulation threads and the pieces of
// them that tests drive deterministically on their own thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <windows.h>

#include "state/machine_state.h"

constexpr DWORD kShortestSliceMs = 16;
constexpr DWORD kShortestFrameMs = 17;
constexpr uint8_t kTickVector = 4;

// The machine's reset: the devices' registers and the processor to their
// reset values. RAM, glyph RAM, held keys (key changes still waiting for the
// program's scans are made at once), the light-pen latch, the tape and the
// host's options survive it. Call it only where no instruction runs at
// the same time: between two instructions on the processor's thread, or
// while no thread of the machine runs.
void MachineReset(void);
// Power-on: every field of the record to the value it holds when the library
// is loaded (RAM, glyph RAM, keys, the tape and the host's options cleared,
// the renderer's carried state too), then the reset. It keeps what RunEmu
// acquires once: the ROM images, the host's window, the frame, the beeper's
// device, the palette and `running`. Call it only while no thread of the
// machine runs.
void MachinePowerOn(void);
// RunEmu's start-up short of the threads: the beeper's device, the
// processor, the ROM images from the working directory, the window and the
// frame. False, with no frame, when the frame cannot be had. A host without
// threads (the web page) calls it and then drives the pieces below itself.
bool MachineStart(HWND window, HDC dc);
// One slice of CpuThread without its sleep: runs the processor until the
// slice budget is spent, delivering pending interrupts between
// instructions, raising the tick every eighth of a slice budget of cycles
// (RunControlTickCycles), applying the host's input at its cycles
// (input/input.h) and stopping at machine.stopCycle, and accounts the
// cycles to cyclesThisSecond when the slice ends. Returns the cycles run.
// A slice cut short (a stop, a breakpoint, the limit below) goes on at the
// next call, so where slices end, and what the DMA status port shows, does
// not depend on how a host divides the running.
int32_t CpuRunSlice(void);
// The same for at most most cycles of the slice under way (at least one
// instruction unless the machine stops first), for drivers that run the
// machine in smaller steps.
int32_t CpuRunSliceUpTo(int32_t most);
// Looking in between instructions (the debugger): before each instruction
// the slice loop looks up the address it starts at in machineCheckMap (a
// byte an address, nonzero: look) and, where marked, calls machineCheckHook
// with the cycles run since machine.cyclesRun was last brought up to date
// (the machine's cycle is their sum); the hook returns true to end the
// slice there (the machine stopped). The map is machineCheckNone (nothing
// marked) unless a layer above points it at its own marks, or at
// machineCheckAll to look before every instruction; the lookup costs the
// same whichever it is. Set the hook before a map that marks anything. A
// map's marks change only on the processor's thread, or while no thread of
// the machine runs; the map and the hook may be set from any thread.
extern std::atomic<bool (*)(int32_t sliceCycles)> machineCheckHook;
extern std::atomic<const uint8_t*> machineCheckMap;
extern const std::array<uint8_t, 0x10000> machineCheckNone, machineCheckAll;
// Work in the machine's own time for a layer above (a rewind's snapshots):
// while set, the slice loop calls machineTickHook on the processor's thread
// after each tick. Null: the loop pays one test a tick period. Set and
// cleared from any thread.
extern std::atomic<void (*)(void)> machineTickHook;
// A stop a layer above judges at each slice's end (text on the screen):
// true pauses the machine there, as a stop at a cycle does. Null: none.
extern std::atomic<bool (*)(void)> machineSliceEndHook;
// One tick: counts it and requests the periodic interrupt if it is
// enabled. A request does not queue: one still pending is renewed, and
// clearing the mask bit does not withdraw it.
void TickOnce(void);
// Milliseconds from one GetSystemTime millisecond reading to another.
int32_t ElapsedMs(WORD startMs, WORD endMs);

DWORD WINAPI CpuThread(LPVOID);
DWORD WINAPI ScreenThread(LPVOID);
