// The machine in a web page: no threads, so the page's frame callback drives
// the pieces the threads run (CpuRunSlice, BeepFollow, DrawScreen) on a clock
// of its own, paced as the threads pace them: a slice every 16 ms, which
// raises its own eight 2 ms ticks as its cycles pass, and a frame drawn every
// 17 ms, however often the page's own frames come. Pasted text is the plus
// library's (PasteText), typed at the pace the program reads it. Plain C++
// over the emulator and the shim's host API, so it builds natively too (its
// tests and the speed comparison run it there).
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
// kWebLongestStepMs as that; not a number or infinite is refused and moves
// nothing): delivers the slices that fall due, then lets the beeper follow
// beepOn. Returns the number of slices run.
int WebAdvance(double elapsedMs);
// Draws the frames that fell due on the clock since the last call, as the
// screen thread would have (so the cursor blinks in the machine's time), and
// when the picture changed returns the window's 640 by 480 pixels as bytes
// red, green, blue, 255 (a canvas's ImageData), top row first; null when it
// did not, and the canvas may stay as it is. Of the picture returned, only
// the WebDrawnRows() rows from row WebDrawnTop() can differ from the one
// returned before, so only those need reach the canvas.
const uint8_t* WebDraw(void);
int WebDrawnTop(void);
int WebDrawnRows(void);
// The largest ROM image the machine takes: the system ROM's (which 0) or
// the font's (which 1), in bytes.
int WebRomSize(int which);
// Speed: runs slices back to back, unpaced, for at least the given wall
// time, and returns the emulated megahertz; draws frames back to back and
// returns the mean milliseconds per frame.
double WebMeasureMhz(double wallMs);
double WebMeasureDrawMs(int frames);
}
