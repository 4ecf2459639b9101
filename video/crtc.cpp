// CRT controller and light pen.
//
//   odd port, write: command  7 6 5 4 3 2 1 0
//     reset                   0 0 0 0 x x x x   five parameters follow
//     read light pen          0 1 1 0 0 0 0 0   arms a two-byte read of the latch
//     load cursor             1 0 0 0 x x x 1   column, then row follow
//     cursor off              1 0 0 0 x x x 0
//   odd port, read: status    bit 0 = a position was latched since the last
//                             read-light-pen command; bits 1-7 are 0
//   even port, write: data    a parameter byte. Third reset parameter:
//                             7 6 5 4 3 2 1 0
//                             +-+ - +---+---+-- rows25 = 1 if this is below 9
//                              +-- blinkRate
//                             fifth reset parameter: bit 4 is sysCtlBit4
//   even port, read: data     the last byte written; while a light-pen read is
//                             armed the latch instead, low byte first:
//                             15-14 0 | 13-8 row | 7 vrtcToggle | 6-0 column+6
//
// Every even port of 0x50-0x5F is the data port, every odd one the command
// and status port. The host's mouse plays the light pen: a press or a drag
// maps the pointer onto the character grid.
//
// Not emulated: display timing, the other commands, and the reset parameters
// beyond the row count, blink rate and sysCtlBit4.
#include "video/crtc.h"

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kCrtcCommandMask = 0xF0;
constexpr uint8_t kCrtcCommandReset = 0x00;
constexpr uint8_t kCrtcCommandLightPen = 0x60;
constexpr uint8_t kCrtcCommandCursor = 0x80;
constexpr uint8_t kCrtcCursorLoad = 0x01;

constexpr uint8_t kCrtcResetParams = 5;
constexpr uint8_t kCrtcCursorParams = 7;
constexpr uint8_t kCrtcParamCursorX = 7;
constexpr uint8_t kCrtcParamCursorY = 6;
constexpr uint8_t kCrtcParamRows = 3;
constexpr uint8_t kCrtcParamSysCtl = 1;

constexpr uint8_t kCrtcRowsMask = 0x1F;
constexpr uint8_t kCrtcRows25Below = 9;
constexpr int kCrtcBlinkShift = 6;
constexpr uint8_t kCrtcBlinkMask = 0x03;
constexpr int kCrtcSysCtlShift = 4;

constexpr uint8_t kCrtcStatusLightPen = 0x01;

constexpr uint32_t kCrtcPenArmed = 0x001;
constexpr uint32_t kCrtcPenByteStep = 0x100;
constexpr int kCrtcPenByteShift = 8;
constexpr uint32_t kCrtcPenBytes = 2;
constexpr uint32_t kCrtcPenColumnMask = 0x7F;
constexpr uint32_t kCrtcPenRetrace = 0x80;
constexpr uint32_t kCrtcPenRowMask = 0x3F;
constexpr int kCrtcPenRowShift = 8;
constexpr uint32_t kCrtcPenColumnBias = 6;

constexpr int32_t kNoCursor = -1;

void CrtcWriteCommand(uint8_t data) {
    switch (data & kCrtcCommandMask) {
    case kCrtcCommandReset: Put(machine.crtcParamsLeft, kCrtcResetParams); break;
    case kCrtcCommandLightPen:
        if (data != kCrtcCommandLightPen) break;
        machine.crtcStatus.fetch_and(static_cast<uint8_t>(~kCrtcStatusLightPen),
                                     std::memory_order_relaxed);
        Put(machine.lightPenReadState, kCrtcPenArmed);
        break;
    case kCrtcCommandCursor:
        if (data & kCrtcCursorLoad) {
            Put(machine.crtcParamsLeft, kCrtcCursorParams);
        } else {
            Put(machine.cursorX, kNoCursor);
            Put(machine.cursorY, kNoCursor);
        }
        break;
    default: break;
    }
}

void CrtcWriteData(uint8_t data) {
    Put(machine.crtcDataLatch, data);
    uint8_t left = Get(machine.crtcParamsLeft);
    if (left == 0) return;
    Put(machine.crtcParamsLeft, left - 1);
    switch (left) {
    case kCrtcParamCursorX: Put(machine.cursorXPending, data); break;
    case kCrtcParamCursorY:
        Put(machine.cursorX, Get(machine.cursorXPending));
        Put(machine.cursorY, data);
        Put(machine.crtcParamsLeft, 0);
        break;
    case kCrtcParamRows:
        Put(machine.rows25, (data & kCrtcRowsMask) < kCrtcRows25Below);
        Put(machine.blinkRate, (data >> kCrtcBlinkShift) & kCrtcBlinkMask);
        break;
    case kCrtcParamSysCtl: Put(machine.sysCtlBit4, (data >> kCrtcSysCtlShift) & 1); break;
    default: break;
    }
}

uint8_t CrtcReadData(void) {
    uint32_t state = Get(machine.lightPenReadState);
    if (state == 0) return Get(machine.crtcDataLatch);
    uint32_t byteIndex = state >> kCrtcPenByteShift;
    if (byteIndex + 1 < kCrtcPenBytes) {
        Put(machine.lightPenReadState, state + kCrtcPenByteStep);
        return static_cast<uint8_t>(Get(machine.lightPenPosition));
    }
    // The last byte takes and clears the latch in one step, so a position the
    // host latches meanwhile is either the one returned or stays for later.
    Put(machine.lightPenReadState, 0);
    uint32_t position = machine.lightPenPosition.exchange(0, std::memory_order_relaxed);
    return static_cast<uint8_t>(position >> (kCrtcPenByteShift * byteIndex));
}

uint8_t CrtcReadStatus(void) {
    return Get(machine.crtcStatus);
}

// The picture's size divides the position; a picture without one (no
// window yet) has no place to point at, so the event latches nothing.
static void CrtcLatchLightPen(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    uint32_t columns = Get(machine.columns80) ? 80 : 40;
    uint32_t rows = Get(machine.rows25) ? 25 : 20;
    uint32_t column = static_cast<uint32_t>(uint64_t{columns} * static_cast<uint32_t>(x) /
                                            static_cast<uint32_t>(width)) +
                      kCrtcPenColumnBias;
    uint32_t row = static_cast<uint32_t>(uint64_t{rows} * static_cast<uint32_t>(y) /
                                         static_cast<uint32_t>(height));
    machine.crtcStatus.fetch_or(kCrtcStatusLightPen, std::memory_order_relaxed);
    Put(machine.lightPenPosition, (row & kCrtcPenRowMask) << kCrtcPenRowShift |
                                      (Get(machine.vrtcToggle) ? kCrtcPenRetrace : 0) |
                                      (column & kCrtcPenColumnMask));
}

void CrtcPenEvent(uint32_t message, int32_t x, int32_t y, int32_t width, int32_t height) {
    switch (message) {
    case WM_LBUTTONDOWN:
        Put(machine.mouseDrag, 1);
        CrtcLatchLightPen(x, y, width, height);
        break;
    case WM_MOUSEMOVE:
        if (Get(machine.mouseDrag)) CrtcLatchLightPen(x, y, width, height);
        break;
    case WM_LBUTTONUP: Put(machine.mouseDrag, 0); break;
    default: break;
    }
}

void CrtcReset(void) {
    Put(machine.crtcStatus, 0);
    Put(machine.crtcDataLatch, 0);
    Put(machine.crtcParamsLeft, 0);
    Put(machine.cursorXPending, 0);
    Put(machine.cursorX, kNoCursor);
    Put(machine.cursorY, kNoCursor);
    Put(machine.rows25, 0);
    Put(machine.blinkRate, 0);
    Put(machine.mouseDrag, 0);
}

void CrtcPowerOn(void) {
    CrtcReset();
    Put(machine.lightPenPosition, 0);
    Put(machine.lightPenReadState, 0);
}

void CrtcState(StateIo& io) {
    io.Value(machine.crtcParamsLeft, kCrtcCursorParams);
    io.Value(machine.crtcDataLatch);
    io.Value(machine.rows25, 1);
    io.Value(machine.blinkRate, kCrtcBlinkMask);
    io.Value(machine.cursorXPending);
    // A cursor position is a parameter byte, or kNoCursor.
    for (std::atomic<int32_t>* cursor : {&machine.cursorX, &machine.cursorY}) {
        io.Value(*cursor);
        int32_t value = static_cast<int32_t>(io.Last());
        io.Require(value == kNoCursor || (value >= 0 && value <= 0xFF));
    }
    io.Value(machine.crtcStatus, kCrtcStatusLightPen);
    io.Value(machine.lightPenPosition,
             kCrtcPenRowMask << kCrtcPenRowShift | kCrtcPenRetrace | kCrtcPenColumnMask);
    // Idle, or armed with the byte to read next.
    io.Value(machine.lightPenReadState);
    io.Require(io.Last() == 0 || ((io.Last() & ~uint64_t{0xFF00}) == kCrtcPenArmed &&
                                  io.Last() >> kCrtcPenByteShift < kCrtcPenBytes));
    io.Value(machine.mouseDrag, 1);
}
