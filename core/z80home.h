// z80home's face to its host: nine functions with C linkage and undecorated
// names. Flags cross the interface as single bytes. All are called on the
// host's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <windows.h>

// The build marks the exports for its toolchain (symbol visibility on ELF)
// and writes the linker's export list from the Z80HOME_API lines below.
#ifndef Z80HOME_API
#define Z80HOME_API
#endif

// SetCMTFile refuses a name longer than this many characters, keeping the
// tape it had.
constexpr size_t kCmtFileNameLongest = 519;

extern "C" {
Z80HOME_API unsigned char RunEmu(HWND window, HDC dc);
// Resets the devices and the processor at one point between two instructions
// (on the processor thread, between two slices) and returns once that reset
// has taken effect: within a slice, a few milliseconds, while the machine
// runs; at once before RunEmu and while the machine is paused. Returns 0.
Z80HOME_API int ResetEmu(void);
Z80HOME_API void SetCMTFile(const char* name);
Z80HOME_API const char* GetCMTFile(void);
Z80HOME_API void SetGreenDisplay(unsigned char flag);
Z80HOME_API unsigned char GetGreenDisplay(void);
Z80HOME_API void SetPCG(unsigned char flag);
Z80HOME_API unsigned char GetPCG(void);
Z80HOME_API int CtlEmulator(uint32_t message, uint32_t wParam, int32_t lParam);
}
