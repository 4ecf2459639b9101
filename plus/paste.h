// Pasted text typed through the keyboard matrix in emulated time.
#pragma once

#include <cstdint>

// The machine's tick hook while machine.pasteActive (CpuThread, once a tick
// period): hands the next key to the keyboard once the last one has gone in
// and out of the matrix.
void PasteAdvance(void);
