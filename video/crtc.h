// CRT controller (data port 0x50, command/status port 0x51 and their mirrors)
// and the light pen played by the host's mouse.
#pragma once

struct StateIo;

#include <cstdint>

void CrtcWriteData(uint8_t data);
void CrtcWriteCommand(uint8_t data);
uint8_t CrtcReadData(void);
uint8_t CrtcReadStatus(void);
// WM_LBUTTONDOWN, WM_MOUSEMOVE and WM_LBUTTONUP at point (x, y) of a
// picture width by height: the button latches the pen's position, and moves
// while it is held latch it again.
void CrtcPenEvent(uint32_t message, int32_t x, int32_t y, int32_t width, int32_t height);
// Reset: the registers to their reset values; a latched light-pen position
// and an armed read survive it.
void CrtcReset(void);
// Power-on: the reset, and the light pen idle with nothing latched.
void CrtcPowerOn(void);
// Saves, checks or loads the registers and the light pen (state/state_io.h).
void CrtcState(StateIo& io);
