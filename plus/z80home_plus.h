// z80home-plus: the extension library. It is built from the same objects as
// z80home and exports the nine functions of core/z80home.h plus the ones
// below, with the same conventions: C linkage, undecorated names, flags as
// single bytes, all called on the host's thread.
//
// Which calls wait and which queue. The machine runs on its own threads; a
// call that must see or change the whole machine at once is carried out by
// the processor thread between two slices (never inside an instruction):
//   waits:  SetPaused(1), StepSlice, SaveState, LoadState, SetStopCycle,
//           SetStopText -- they return once the processor thread has done
//           it, so the machine is still (or has run its slice, or been saved
//           or loaded) when they return.
//   queues: SetPaused(0), SetSpeed, SetWarp -- they return at once and take
//           effect from the next slice; SendKey, PasteText and CancelPaste
//           -- input events the machine takes at its next tick, each then
//           stamped with the machine's cycle.
//   reads:  GetScreenText reads the screen as the renderer does, without
//           waiting; a row the program is writing may show half written.
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
// processor thread sleeps and the screen keeps being drawn. SetPaused(1)
// waits.
Z80HOME_API void SetPaused(unsigned char flag);
Z80HOME_API unsigned char GetPaused(void);

// Runs one slice (about 16 ms of the machine's time) while paused and waits
// for it. Returns 1, or 0 without running anything when not paused. If
// another thread lets the machine run on before the slice begins, the step
// is dropped and the call returns 1 at once.
Z80HOME_API unsigned char StepSlice(void);

// The paced speed in percent: 100 is the machine's own speed; from 10 to
// 1000, clamped. Queued.
Z80HOME_API void SetSpeed(uint32_t percent);
Z80HOME_API uint32_t GetSpeed(void);

// Warp (flag 1): the processor runs as fast as it can, whatever the speed.
// Queued. At every speed, in warp and in single steps the 2 ms tick comes
// once every eighth of a slice budget of cycles run, so the program sees
// 500 ticks per second of the machine's time. While the host holds a key,
// warp and speeds above 100 run at 100, so the key is held as long in the
// machine's time as on the host.
Z80HOME_API void SetWarp(unsigned char flag);
Z80HOME_API unsigned char GetWarp(void);

// The processor's cycles (T-states) since the library was loaded: the
// machine's own clock, for waiting on the machine's time rather than the
// host's.
Z80HOME_API uint64_t GetCycles(void);

// Stops that fall where the machine's time says, whatever the host's speed,
// warp or load: the machine pauses itself (GetPaused then gives 1 and
// GetStopReached 1) at the first instruction boundary at or after the cycle
// (GetCycles' count; one already passed stops at once; UINT64_MAX cancels).
// Waits for the processor thread between two slices. A later stop replaces
// an earlier one.
Z80HOME_API void SetStopCycle(uint64_t cycle);
// The same at the end of the first slice (16 ms of the machine's time) at
// which the screen shows text (as GetScreenText gives it) with no pasted key
// left to type, so text still being typed does not count. Null or "" cancels.
Z80HOME_API void SetStopText(const char* text);
// 1 once the machine has paused itself at a stop set since; 0 while the
// stop is still ahead or none is set.
Z80HOME_API unsigned char GetStopReached(void);

// A key of the host's keyboard, pressed (down 1) or released, with the
// modifiers it was typed with (kKeyShift, kKeyControl): the machine's SHIFT
// and CTRL are set so in the same change as the key, so no order of the
// host's messages can give a key the wrong SHIFT. CtlEmulator's WM_KEYDOWN
// carries no modifiers: the machine's SHIFT and CTRL are then only what the
// host's own SHIFT and CTRL messages make them. Queued, like every input:
// it takes effect at the machine cycle the processor thread takes it at.
constexpr unsigned char kKeyShift = 0x01;
constexpr unsigned char kKeyControl = 0x02;
Z80HOME_API void SendKey(uint32_t virtualKey, unsigned char down, unsigned char modifiers);

// The most keys a paste may have waiting at once (a million); text beyond
// them is skipped.
constexpr uint32_t kPasteMostKeys = 1u << 20;

// Types UTF-8 text on the machine's keyboard at the pace the program reads
// it: each key (with SHIFT for the second legends and lower-case letters) is
// held until the program has scanned its row, then left up until it has
// scanned it again, so nothing is lost while the program is busy. A line
// break (LF, CR or CR LF) is RETURN. Characters with no key, bytes that are
// not UTF-8, and text beyond kPasteMostKeys waiting keys are skipped. Queued
// after any text still being typed. Returns how many characters were
// skipped.
Z80HOME_API int PasteText(const char* text);
// The characters PasteText has skipped since the library was loaded because
// kPasteMostKeys keys were waiting: a host tells them from the characters
// with no key by the difference across its call.
Z80HOME_API uint32_t GetPasteOverflow(void);
// The characters queued by PasteText not yet typed.
Z80HOME_API uint32_t GetPasteLeft(void);
// Drops the characters not yet typed; a key held at that moment is still
// released.
Z80HOME_API void CancelPaste(void);

// A file a host was given (named on its command line, dropped on its
// window, chosen on the page, loaded as content): a BASIC listing to type,
// or the host's tape. OpenListing's codes:
constexpr int kListingTyped = 0;   // a listing: it waits for BASIC's prompt
constexpr int kListingTape = 1;    // no text: not a listing, the host's tape
constexpr int kListingEmpty = 2;   // refused: named .bas or .txt, and no text in it
constexpr int kListingNotText = 3; // refused: named .bas or .txt, and not text
constexpr int kListingTooLong = 4; // refused: more than the paste holds

// Decides what the file's size bytes are. Plain text (UTF-8 or ASCII, with
// tabs and any kind of line break, end-of-file characters 1AH at its end
// ignored) is a listing: it waits, in place of any listing still waiting,
// to be typed with NEW before it and RUN after it (when run is 1). Bytes
// that are not text, or hold no text, are a tape, unless the name ends in
// .bas or .txt, which promise a listing: those are refused, as is a listing
// with more characters than kPasteMostKeys. Nothing is typed on a refusal.
Z80HOME_API int OpenListing(const char* name, const char* bytes, uint32_t size, unsigned char run);
// Hands the listing waiting to the paste once the paste is idle and BASIC
// is at its prompt (the cursor at the start of an empty row below "Ok");
// the host calls it every frame or so. Returns 1 while a listing waits.
Z80HOME_API unsigned char PollListing(void);
// What an OpenListing code means, in a phrase that follows the file's name.
Z80HOME_API const char* GetListingMessage(int code);

// The screen's text as UTF-8: one line per row, ended by a line break, with
// as many rows and columns as the screen is set to and trailing spaces
// trimmed. ASCII reads as itself; the mosaics, box lines, blocks, shades,
// arrows, suits and Greek and mathematical signs of the character set read
// as their Unicode characters; the inverse control letters, the dot grid,
// the fine check and, with the character generator on, the codes from 0x80
// read as U+FFFD. Writes at most size bytes, ending with a 0 byte and never
// within a character, and returns the length of the whole text (without
// the 0), so a call with size 0 asks how big a buffer must be.
Z80HOME_API int GetScreenText(char* buffer, int size);

// Saves the whole machine to a file: the processor's registers and latches,
// RAM, every device register, the options, the character generator's RAM,
// the calendar's offset, the tape's name and position, and the ROM images
// by a hash. The file is written beside the target, flushed to the disk and
// renamed over it, so the target is never half written, even across a power
// cut. Waits. Returns 0, or a code
// GetStateMessage explains.
Z80HOME_API int SaveState(const char* path);
// Loads a file SaveState wrote. Every check comes first; a file that is cut
// short, corrupted, of another format version, oversized, saved with other
// ROM images, or holding a value out of its field's range is refused with
// its code, and the machine is left exactly as it was. Waits. Returns 0 or
// the code: 1 cannot read, 2 cannot write, 3 cut short, 4 not a state,
// 5 other version, 6 oversized, 7 corrupted, 8 impossible values, 9 other
// ROM images.
//
// What stays the host's: the tape the host chose (its name, position and
// status) and the keys the host holds. A state file names a host path, and
// a later SAVE would append there, so LoadState takes no tape from it; a
// state holds no keys (SaveState saves none held).
Z80HOME_API int LoadState(const char* path);
// LoadState that also takes the tape's name and position from the file, for
// a host that trusts the file and asks for its tape back.
Z80HOME_API int LoadStateWithTape(const char* path);
// What a SaveState or LoadState code means, in a sentence.
Z80HOME_API const char* GetStateMessage(int code);

// The bytes the program wrote to the tape that did not reach its file (no
// tape named, a folder, a pipe or a device, a file that cannot be written,
// a full disk) since the library was loaded. The program is not told, as a
// real recorder would not tell it, so its SAVE says it saved: a host
// compares the count with the one it saw last and reports the failed write.
Z80HOME_API uint32_t GetTapeWriteFailures(void);
// The SAVEs whose bytes did not reach the tape's file since the library was
// loaded: a run of such bytes counts once, and a new run starts two ticks
// (a few ms) of the machine's time after the last failed byte, so two SAVEs
// in warp count twice however seldom the host looks.
Z80HOME_API uint32_t GetTapeFailedSaves(void);
}
