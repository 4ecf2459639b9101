// The machine in a web page: no threads, so the page's frame callback drives
// the pieces the threads run (CpuRunSlice, BeepFollow, DrawScreen) on a clock
// of its own, paced as the threads pace them: a slice every 16 ms, which
// raises its own eight 2 ms ticks as its cycles pass. Plain C++ over
// the emulator and the shim's host API, so it builds natively too (its tests
// and the speed comparison run it there).
#pragma once

#include <cstdint>

// The most machine time one call of WebAdvance runs: after the page was
// hidden (browsers stop frame callbacks) the machine carries on where it
// stopped instead of racing through the time it missed, as the threads,
// which never catch up, would.
constexpr double kWebLongestStepMs = 100;

extern "C" {
// Starts the machine as RunEmu does, on a 640 by 480 shim window, without its
// threads; the ROM images come from the working directory. 1 on success, 0
// when the frame cannot be had or it has already started. machine.running
// stays 0, as no threads exist: calls that would hand work to the processor
// thread do it at once on the page's.
int WebStart(void);
// Moves the machine's clock on by elapsedMs (negative counts as 0, more than
// kWebLongestStepMs as that): delivers the pasted keys and slices that fall
// due, in time order, then lets the beeper follow beepOn.
// Returns the number of slices run.
int WebAdvance(double elapsedMs);
// Draws a frame with DrawScreen and returns the window's 640 by 480 pixels
// as bytes red, green, blue, 255 (a canvas's ImageData), top row first.
const uint8_t* WebDraw(void);
// Types text on the machine's keyboard, as the scripted input of the hosts
// types it, from the machine's next moment on (after text already pasted
// that is still being typed). A line break (LF, CR or CR LF) is RETURN;
// characters the keyboard has no key for are left out. Returns the number
// of characters that will be typed.
int WebPaste(const char* text);
// Speed: runs slices back to back, unpaced, for at least the given wall
// time, and returns the emulated megahertz; draws frames back to back and
// returns the mean milliseconds per frame.
double WebMeasureMhz(double wallMs);
double WebMeasureDrawMs(int frames);
}
