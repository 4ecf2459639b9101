// Pasted text typed through the keyboard matrix in emulated time.
#pragma once

#include <cstdint>

// The most keys waiting at once; text past them is skipped and counted.
constexpr uint32_t kPasteMostKeys = 1u << 20;

// CpuThread, once a tick period while machine.pasteActive: hands the next key
// to the keyboard once the last one has gone in and out of the matrix.
void PasteAdvance(void);
