// Run control: pause, single slices, speed and warp, and the work the
// processor thread does for the host between two slices. CpuThread calls
// RunControlWait before each slice and RunControlPace after it; anything that
// must see or change the whole machine at once goes through RunControlCall.
// A debugger hooks in the same way: it pauses, steps one slice, and reads or
// changes the machine inside RunControlCall.
#pragma once

#include <cstdint>
#include <windows.h>

// Speeds in percent of the paced speed; 0 stands for warp (unpaced).
constexpr uint32_t kSpeedPaced = 100;
constexpr uint32_t kSpeedSlowest = 10;
constexpr uint32_t kSpeedFastest = 1000;

// Pause: with flag 1 the processor thread stops between two slices; the
// call returns once it has (at once when the threads are not running, or on
// the processor thread itself). Flag 0 lets it run on.
void RunControlSetPaused(bool paused);
bool RunControlPaused(void);
// One slice while paused; waits for it. False when not paused.
bool RunControlStep(void);
// The speed in percent (kSpeedSlowest to kSpeedFastest, clamped) and warp.
void RunControlSetSpeed(uint32_t percent);
uint32_t RunControlSpeed(void);
void RunControlSetWarp(bool warp);
bool RunControlWarp(void);
// Cycles between two ticks with the display as it is.
int32_t RunControlTickCycles(void);

// Runs job(context) on the processor thread between two slices (or
// directly, when the threads are not running or the caller is that thread)
// and returns when it has run.
void RunControlCall(void (*job)(void*), void* context);

// CpuThread's side: RunControlWait blocks while paused (running queued jobs
// and waking for steps) and returns when a slice may run; RunControlPace
// sleeps what is left of the slice's real time at the current speed (not at
// all in warp), given the milliseconds the slice took; RunControlSleepMs is
// its arithmetic without the sleep: the milliseconds to sleep, with the
// fraction a whole millisecond cannot give carried to the next slice.
void RunControlEnterThread(void);
void RunControlWait(void);
void RunControlPace(int32_t sliceMs);
DWORD RunControlSleepMs(int32_t sliceMs);
