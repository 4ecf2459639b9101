// Pasted text typed through the keyboard matrix in emulated time.
#pragma once

#include <cstdint>

// CpuThread, once a tick period while machine.pasteActive: hands the next key
// to the keyboard once the last one has gone in and out of the matrix.
void PasteAdvance(void);
