// z80home-plus: the extension library. It is built from the same objects as
// z80home and exports the nine functions of core/z80home.h plus the ones
// below, with the same conventions: C linkage, undecorated names, flags as
// single bytes, all called on the host's thread.
//
// Which calls wait and which queue. The machine runs on its own threads; a
// call that must see or change the whole machine at once is carried out by
// the processor thread between two slices (never inside an instruction):
//   waits:  SetPaused(1), StepSlice -- they return once the processor thread
//           has done it, so the machine is still (or has run its slice) when
//           they return.
//   queues: SetPaused(0), SetSpeed, SetWarp -- they return at once and take
//           effect from the next slice.
// Before RunEmu has started the machine, every call acts at once on the
// caller's thread.
//
// This file is also the plus library's export list: the build exports every
// function declared here with Z80HOME_API, after the nine.
#pragma once

#include <cstdint>

#include "core/z80home.h"

extern "C" {
// Pauses the machine (flag 1) or lets it run on (flag 0). While paused the
// processor thread sleeps, the screen keeps being drawn, and the ticks are
// counted from the cycles of single slices. SetPaused(1) waits.
Z80HOME_API void SetPaused(unsigned char flag);
Z80HOME_API unsigned char GetPaused(void);

// Runs one slice (about 16 ms of the machine's time) while paused and waits
// for it. Returns 1, or 0 without running anything when not paused.
Z80HOME_API unsigned char StepSlice(void);

// The paced speed in percent: 100 is the machine's own speed; from 10 to
// 1000, clamped. Queued.
Z80HOME_API void SetSpeed(uint32_t percent);
Z80HOME_API uint32_t GetSpeed(void);

// Warp (flag 1): the processor runs as fast as it can, whatever the speed.
// Queued. In warp and at any speed but 100 the tick interrupt is raised by
// the processor thread once every eighth of a slice budget of cycles run --
// the ticks a paced slice holds -- so the program sees as many ticks per
// emulated cycle as at 100 %.
Z80HOME_API void SetWarp(unsigned char flag);
Z80HOME_API unsigned char GetWarp(void);
}
