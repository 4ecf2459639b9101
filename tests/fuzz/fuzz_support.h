// Shared pieces of the fuzz harnesses: a reader over the fuzzer's bytes, a
// machine put back into one known state before every input, and a scratch
// folder for the cassette files an input creates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <windows.h>

// Whole-frame checks run once per input over 300,000 pixels: clang's
// coverage tracing and the sanitizers' checks there would cost more than the
// renderer itself and find nothing (they read the frame within its fixed
// bounds).
#if defined(__clang__)
#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage", "address", "undefined")))
#else
#define FUZZ_UNTRACED
#endif

// Reads the input front to back; past its end every read yields zeros, so a
// harness never has to check lengths.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t Long() { return static_cast<uint32_t>(Word() | static_cast<uint32_t>(Word()) << 16); }
};

// The window the renderer presents to, created once with its frame and palette.
HWND FuzzWindow(void);
// The window's size after FuzzResetMachine: a quarter of the frame's sides,
// so that presenting still stretches as for a host, at a sixteenth of the
// cost of clearing and filling a window the frame's size.
constexpr int kFuzzWindowWidth = 160;
constexpr int kFuzzWindowHeight = 120;

// The machine powered on (MachinePowerOn) and the window kFuzzWindowWidth by
// kFuzzWindowHeight. The ROM
// images keep what FuzzLoadRoms put there (zeros otherwise).
void FuzzResetMachine(void);
// Loads the system ROM and character set built beside the harness (the
// folder in Z80HOME_ROM_DIR, else the one the build names); false if absent.
bool FuzzLoadRoms(void);
// An empty folder of this process for cassette files; emptied on each call.
const std::string& FuzzScratchDir(void);
