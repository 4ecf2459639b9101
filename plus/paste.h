// Pasted text typed through the keyboard matrix in emulated time.
#pragma once

#include <cstdint>

// Timing in tick periods (an eighth of a slice budget of cycles: 2 ms of the
// machine's time). A key is held, and then left up, long enough for a ROM
// that scans the matrix once a tick or once a frame to see both; after
// RETURN the program gets time to take in the line.
constexpr int32_t kPasteShiftLeadPeriods = 2;
constexpr int32_t kPasteHoldPeriods = 16;
constexpr int32_t kPasteGapPeriods = 16;
constexpr int32_t kPasteLineGapPeriods = 64;
// The most keys waiting at once; text past them is skipped and counted.
constexpr uint32_t kPasteMostKeys = 1u << 20;

// CpuThread, once a tick period while machine.pasteActive: presses or
// releases the next key when its time has come.
void PasteAdvance(void);
