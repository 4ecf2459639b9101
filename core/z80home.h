// z80home's face to its host: nine functions with C linkage and undecorated
// names. Flags cross the interface as single bytes. All are called on the
// host's thread.
#pragma once

#include <cstdint>
#include <windows.h>

extern "C" {
unsigned char RunEmu(HWND window, HDC dc);
int ResetEmu(void);
void SetCMTFile(const char* name);
const char* GetCMTFile(void);
void SetGreenDisplay(unsigned char flag);
unsigned char GetGreenDisplay(void);
void SetPCG(unsigned char flag);
unsigned char GetPCG(void);
int CtlEmulator(uint32_t message, uint32_t wParam, int32_t lParam);
}
