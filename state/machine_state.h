// The whole emulated machine in one record: memory images, device registers
// and the renderer's carried state. Every field starts at its power-on value,
// so a freshly loaded library is already a machine in its reset state.
//
// Threads: the host's thread (exports), CpuThread (the processor and every
// port access), ScreenThread (DrawScreen) and BeepThread. A field
// touched by more than one of them is a std::atomic used with relaxed ordering
// through Get/Put; nothing relies on ordering between two such fields except
// the interrupt request, which travels as one word. Fields used by a single
// thread are plain.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <vector>
#include <windows.h>

#include "state/input_event.h"

template <typename T> inline T Get(const std::atomic<T>& field) {
    return field.load(std::memory_order_relaxed);
}
template <typename T, typename V> inline void Put(std::atomic<T>& field, V value) {
    field.store(static_cast<T>(value), std::memory_order_relaxed);
}

constexpr int kRamSize = 0x10000;
constexpr int kBasicRomSize = 0x6000;
constexpr int kFontRomSize = 0x800;
constexpr int kPcgRamSize = 0x400;
constexpr int kCmtNameSize = 520;
constexpr int kKeyQueueSize = 256;
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
// The screen area the renderer reads (video/screen.cpp): rows of 120 bytes,
// drawn up to the highest offset the low 14 bits of a count register hold.
constexpr int kScreenRowBytes = 120;
constexpr int kScreenCountMask = 0x3FFF;
constexpr int kScreenAreaMost = (kScreenCountMask / kScreenRowBytes + 1) * kScreenRowBytes;

// Pacing: cycles per slice and per emulated second, by display state. A
// slice is 16 ms of the machine's time, so the 2 ms tick falls once every
// eighth of a slice budget of cycles, in every mode.
constexpr int32_t kSliceBudgetDisplayOn = 30500;
constexpr int32_t kSliceBudgetDisplayOff = 66666;
constexpr int32_t kSecondBudgetDisplayOn = 1830000;
constexpr int32_t kSecondBudgetDisplayOff = 4000000;
constexpr int32_t kTicksPerSlice = 8;

// What a frame is drawn from, read from the machine as the frame begins
// (video/screen.cpp). The picture is a function of these, the carried
// attribute and the blink phases alone, so a frame whose inputs match those
// of the last one drawn would draw that frame again.
struct ScreenInputs {
    int32_t cursorX, cursorY;
    int32_t limit;     // the highest offset drawn
    int32_t areaBytes; // the rows of area that hold offsets up to limit
    uint8_t displayOn; // 1: the screen is drawn; 0: the frame is one colour, and
                       // the fields below green are 0 and the arrays unread
    uint8_t green;
    uint8_t columns80, rows25, monoMode, bgCode;
    uint8_t startAttr;             // the attribute the last frame left
    uint8_t glyphs[kFontRomSize];  // line l of code c at 8c + l, codes 128 up from pcgRam while on
    uint8_t area[kScreenAreaMost]; // the screen area as a memory read returns it
};

// pendingInterrupt: bit 8 set while a maskable request waits for CpuThread;
// bits 0-7 are the interruptVector that goes with it.
constexpr uint16_t kInterruptPending = 0x100;

struct MachineState {
    // Memory. The ROM images are written only by RunEmu before any thread runs.
    std::atomic<uint8_t> mainRam[kRamSize];
    uint8_t basicRom[kBasicRomSize];
    uint8_t fontRom[kFontRomSize];

    // Host binding and options.
    HWND hostWindow;
    HDC windowDc;
    HDC frameDc;
    uint32_t* framePixels; // the frame's 32-bit top-down DIB: 0x00RRGGBB per pixel
    std::atomic<uint8_t> greenDisplay;
    std::atomic<uint8_t> running; // RunEmu succeeded: the threads exist
    // A host that forwards WM_PAINT (hostPaints) has a frame presented only
    // when rows of it were painted anew, or when it asks again
    // (repaintWanted); any other host may rely on every frame being presented.
    std::atomic<uint8_t> hostPaints;
    std::atomic<uint8_t> repaintWanted;

    // Pacing and interrupts.
    std::atomic<uint16_t> pendingInterrupt;
    std::atomic<int32_t> cyclesThisSecond;
    std::atomic<uint64_t> cyclesRun; // every slice's cycles, never reset
    std::atomic<uint8_t> vrtcToggle;
    int32_t cyclesSinceTick; // CpuThread: cycles run in the current tick period
    int32_t sliceCycles;     // CpuThread: cycles of the slice under way, kept across a stop
    int64_t paceCarry;       // CpuThread: sleep owed to the next slice, in ms / paceSpeed
    uint32_t paceSpeed;      // CpuThread: the speed paceCarry was counted at

    // Run control (core/run_control.cpp): the flags are read before every
    // slice; the rest changes under runLock.
    std::atomic<uint8_t> paused;
    std::atomic<uint8_t> warp;
    std::atomic<uint32_t> speedPercent{100};
    std::atomic<uint8_t> runJobPending;
    std::mutex runLock;
    std::condition_variable runSignal;
    bool cpuParked;
    bool stepRunning;
    uint64_t stepsAsked, stepsDone;
    uint64_t jobsAsked, jobsDone;
    void (*runJob)(void*);
    void* runJobContext;

    // System control ports 0x30, 0x31, 0x40, 0xE6.
    std::atomic<uint8_t> columns80;
    std::atomic<uint8_t> monoMode;
    std::atomic<uint8_t> bgColor;
    std::atomic<uint8_t> sysCtlBit0;
    std::atomic<uint8_t> ramSelect;
    std::atomic<uint8_t> sysCtlBit2;
    std::atomic<uint8_t> displayOn{1};
    std::atomic<uint8_t> sysCtlBit4;
    std::atomic<uint8_t> beepOn{1};
    std::atomic<uint8_t> interruptMask;

    // Keyboard matrix: bit n of row r is 1 while that key is held.
    std::atomic<uint8_t> keyMatrix[16];
    // Key changes on their way into the matrix (bus/keyboard.cpp), all on the
    // processor thread: keyQueue holds them oldest first; keyWanted is the
    // matrix once they are all in, keyHostDown the keys the host's events
    // hold; keyLastRow is the row of the change that went in last, and
    // keyStopRowOnly is set while the program has read no row but STOP's
    // since then.
    uint32_t keyQueue[kKeyQueueSize]; // a change of one row (bus/keyboard.cpp)
    uint32_t keyQueueHead, keyQueueCount;
    uint8_t keyStopToggles; // STOP's changes, which go past the others
    uint8_t keyWanted[16];
    uint8_t keyHostDown[16];
    uint8_t keyScansOwed[16];
    uint8_t keyLastRow;
    uint8_t keyStopRowOnly;
    std::atomic<uint8_t> keyHostHolds; // some key of the host's is down

    // CRT controller and light pen.
    std::atomic<uint8_t> crtcParamsLeft;
    std::atomic<uint8_t> crtcDataLatch;
    std::atomic<uint8_t> rows25;
    std::atomic<uint8_t> blinkRate;
    std::atomic<uint8_t> cursorXPending;
    std::atomic<int32_t> cursorX{-1};
    std::atomic<int32_t> cursorY{-1};
    std::atomic<uint8_t> crtcStatus;
    std::atomic<uint32_t> lightPenPosition;
    std::atomic<uint32_t> lightPenReadState;
    std::atomic<uint8_t> mouseDrag;

    // DMA controller.
    std::atomic<uint16_t> dmaAddress[4];
    std::atomic<uint16_t> dmaCount[4];
    std::atomic<uint8_t> dmaFlipFlops;
    std::atomic<uint8_t> dmaMode;

    // Programmable character generator.
    std::atomic<uint8_t> pcgRam[kPcgRamSize];
    std::atomic<uint16_t> pcgAddress;
    std::atomic<uint8_t> pcgDataLatch;
    std::atomic<uint8_t> pcgEnabled;

    // Calendar clock (CpuThread only).
    // The reset clears these three from the host's thread.
    std::atomic<uint8_t> calendarLatch;
    uint8_t calendarOut[5];
    uint8_t calendarIn[5];
    std::atomic<uint16_t> calendarBitCount;
    std::atomic<uint8_t> calendarDataOut;
    int64_t calendarOffset; // seconds; 64 bits so a set time outlives 2038
    struct tm calendarSetRecord;

    // Cassette: the name and the three flags change together under cmtLock.
    std::mutex cmtLock;
    char cmtFileName[kCmtNameSize];
    char cmtHostName[kCmtNameSize]; // the host's thread's copy, for GetCMTFile
    int32_t cmtReadOffset;
    uint8_t cmtRewindPending;
    std::atomic<uint8_t> cmtFileSet;
    uint8_t serialStatus;
    std::atomic<uint32_t> cmtWriteFailures; // read by the host's thread
    std::atomic<uint32_t> cmtFailedSaves;   // read by the host's thread
    uint64_t cmtFailedAt;                   // the slice of the last failed byte

    // Pasted text (input/paste.cpp): keys the processor thread hands to the
    // keyboard one stroke at a time; the atomics are read by the host.
    std::vector<uint16_t> pasteKeys; // virtual-key code, 0x100 with SHIFT, 0x200 with CTRL
    size_t pasteNext;
    std::atomic<uint8_t> pasteActive;
    std::atomic<uint32_t> pasteLeft;     // keys posted and not yet typed
    std::atomic<uint32_t> pasteOverflow; // characters skipped for want of room

    // Host input on its way in (input/input.cpp): any thread posts events to
    // inputInbox under inputLock; the processor thread stamps the ones due
    // now with the cycle it takes them at, keeps them in inputTimeline by
    // cycle and applies each at its cycle, between two instructions.
    std::mutex inputLock;
    std::vector<InputEvent> inputInbox;
    std::atomic<uint8_t> inputPosted;              // inputInbox is not empty
    std::vector<InputEvent> inputTimeline;         // processor thread: by cycle, oldest last
    std::atomic<uint64_t> stopCycle{kNoStopCycle}; // pause at this cycle, or never
    std::atomic<uint8_t> stopReached;              // the machine paused itself at a stop
    std::atomic<uint64_t> ticksRun;                // every tick since the library was loaded
    std::atomic<uint64_t> inputReplayEnd;          // a replay runs until this cycle

    // Beeper audio.
    HWAVEOUT beepDevice;
    WAVEFORMATEX beepFormat;
    uint8_t* beepBuffer;
    WAVEHDR beepHeader;
    uint8_t beepPlaying; // the tone is queued (BeepThread, or the web page's frame callback)
    std::atomic<uint8_t> beepHeld;     // 1: the machine is paused, the tone silenced
    std::atomic<uint32_t> beepChanges; // counts changes of beepOn and beepHeld

    // Renderer state carried between frames (ScreenThread only).
    uint8_t currentAttr;
    uint8_t drawColor;
    int32_t pageIndex;
    uint8_t cursorBlinkPhase;
    uint8_t attrBlinkPhase;
    int32_t blinkCounter;
    HBRUSH brushes[256];
    COLORREF brushColors[256];
    ScreenInputs screenInputs; // what the frame being drawn is drawn from
    ScreenInputs screenDrawn;  // and the frame last drawn
    uint8_t screenDrawnValid;  // 0: nothing drawn since power-on, the frame is painted
    uint8_t screenPhasesRead;  // the blink phases the frame last drawn showed (screen.cpp)
    uint8_t screenPhasesDrawn; // and their values then
    uint8_t screenRepaint;     // what the frame being drawn paints (screen.cpp)
    int32_t screenDirtyTop;    // the frame's pixel rows it painted: from this one
    int32_t screenDirtyBottom; // to the one before this
    RECT shownClient;          // the client area the last frame presented went to; empty: none
};

extern MachineState machine;

// Saves, checks or loads the record's own fields: RAM, the interrupt
// request, the cycle counts and the green look (state/state_io.h).
struct StateIo;
void MachineCoreState(StateIo& io);
