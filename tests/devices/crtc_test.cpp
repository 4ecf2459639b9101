// The CRT controller's command and data ports, and the light pen played by
// the host's mouse.
#include <gtest/gtest.h>

#include <winshim_host.h>

#include "core/machine.h"
#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

constexpr int kData = 0x50;
constexpr int kCommand = 0x51;

int32_t Point(int x, int y) {
    return static_cast<int32_t>(static_cast<uint32_t>(y) << 16 | static_cast<uint32_t>(x));
}

void Press(int x, int y) {
    EXPECT_EQ(CtlEmulator(WM_LBUTTONDOWN, 0, Point(x, y)), 0);
}

// Reads the two light-pen bytes as the program does: command 0x60, then two
// data reads.
std::pair<int, int> ReadPen() {
    Out(kCommand, 0x60);
    int low = In(kData);
    int high = In(kData);
    return {low, high};
}

// A reset command with the given third and fifth parameters.
void ResetCommand(int third, int fifth = 0) {
    Out(kCommand, 0x00);
    for (int value : {0x11, 0x22, third, 0x44, fifth})
        Out(kData, value);
}

class Crtc : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { window = ShimCreateWindow(640, 400); }
    void SetUp() override {
        MachinePowerOn();
        machine.hostWindow = window;
        ShimResizeWindow(window, 640, 400);
    }
    static HWND window;
};
HWND Crtc::window;

TEST_F(Crtc, ResetCommandTakesFiveParameters) {
    struct Case {
        int third, rows25, blinkRate;
    };
    for (Case c : {Case{0x87, 1, 2}, Case{0x09, 0, 0}, Case{0xE8, 1, 3}, Case{0x5F, 0, 1}}) {
        ResetCommand(c.third);
        EXPECT_EQ(Get(machine.rows25), c.rows25) << c.third;
        EXPECT_EQ(Get(machine.blinkRate), c.blinkRate) << c.third;
    }
    // The fifth parameter's bit 4 shows in system control port 0x31.
    ResetCommand(0x07, 0x10);
    EXPECT_EQ(In(0x31) & 0x10, 0x10);
    ResetCommand(0x07, 0xEF);
    EXPECT_EQ(In(0x31) & 0x10, 0);

    // A sixth byte is no parameter: it only replaces the data latch.
    Out(kData, 0x09);
    EXPECT_EQ(Get(machine.rows25), 1);
    EXPECT_EQ(In(kData), 0x09);
    // The low bits of the command do not matter.
    Out(kCommand, 0x0F);
    for (int value : {0, 0, 0x49, 0, 0})
        Out(kData, value);
    EXPECT_EQ(Get(machine.rows25), 0);
    EXPECT_EQ(Get(machine.blinkRate), 1);
}

TEST_F(Crtc, LoadCursorTakesTwoParametersAndCursorOffNone) {
    EXPECT_EQ(Get(machine.cursorX), -1);
    Out(kCommand, 0x81);
    Out(kData, 0x05);
    EXPECT_EQ(Get(machine.cursorX), -1); // nothing moves before the row arrives
    Out(kData, 0x0A);
    EXPECT_EQ(Get(machine.cursorX), 5);
    EXPECT_EQ(Get(machine.cursorY), 10);
    // The countdown ends with the row. Five more bytes, each one a reset
    // parameter would take at its place (25 rows and blink rate 3 third,
    // system control bit 4 fifth), only replace the data latch.
    for (int stray : {0x05, 0x0A, 0xC7, 0x00, 0x10})
        Out(kData, stray);
    EXPECT_EQ(Get(machine.cursorX), 5);
    EXPECT_EQ(Get(machine.cursorY), 10);
    EXPECT_EQ(Get(machine.rows25), 0);
    EXPECT_EQ(Get(machine.blinkRate), 0);
    EXPECT_EQ(In(0x31) & 0x10, 0);
    EXPECT_EQ(In(kData), 0x10);

    Out(kCommand, 0x8E);
    EXPECT_EQ(Get(machine.cursorX), -1);
    EXPECT_EQ(Get(machine.cursorY), -1);
    Out(kCommand, 0x8F);
    Out(kData, 0xFE);
    Out(kData, 0xFF);
    EXPECT_EQ(Get(machine.cursorX), 0xFE); // bytes, never negative
    EXPECT_EQ(Get(machine.cursorY), 0xFF);
    Out(kCommand, 0x80);
    EXPECT_EQ(Get(machine.cursorX), -1);
}

TEST_F(Crtc, OnlyResetAndLoadCursorRestartTheCountdown) {
    Out(kCommand, 0x81);
    Out(kData, 0x05);
    // A reset in the middle starts over at five parameters; the cursor keeps
    // its place.
    Out(kCommand, 0x00);
    Out(kData, 0x00);
    Out(kData, 0x00);
    EXPECT_EQ(Get(machine.cursorX), -1);
    // Commands without parameters, and ignored ones, leave the count running.
    for (int command : {0x60, 0x61, 0x80, 0x20, 0x40, 0xA0, 0xF1})
        Out(kCommand, command);
    Out(kData, 0x87); // still the third reset parameter
    EXPECT_EQ(Get(machine.rows25), 1);
    EXPECT_EQ(Get(machine.blinkRate), 2);
    Out(kData, 0);
    Out(kData, 0);
    Out(kCommand, 0x81);
    Out(kData, 3);
    Out(kCommand, 0x83);
    Out(kData, 4);
    Out(kData, 6);
    EXPECT_EQ(Get(machine.cursorX), 4);
    EXPECT_EQ(Get(machine.cursorY), 6);
}

TEST_F(Crtc, LightPenWorkedExample) {
    Out(0x30, 0x01);    // 80 columns
    ResetCommand(0x07); // 25 rows
    Out(kData, 0x5A);
    Put(machine.vrtcToggle, 1);
    Press(100, 50);
    EXPECT_EQ(In(kCommand), 0x01);
    Out(kCommand, 0x60);
    EXPECT_EQ(In(kCommand), 0x00);
    EXPECT_EQ(In(kData), 0x92);
    EXPECT_EQ(In(kData), 0x03);
    EXPECT_EQ(In(kData), 0x5A); // the read is over: the data latch again
    // The latch was cleared by the read: without a new press a read gives zeros.
    EXPECT_EQ(ReadPen(), std::make_pair(0x00, 0x00));
}

TEST_F(Crtc, PositionsBeyondTheScreenAreMaskedToTheirFields) {
    // 40 columns, 20 rows: the right-most pixel is column 39 + 6.
    Press(639, 399);
    EXPECT_EQ(ReadPen(), std::make_pair(45, 19));
    // Column 1000 / 8 + 6 = 131 keeps seven bits: the retrace bit stays clear.
    Out(0x30, 0x01);
    ResetCommand(0x00);
    Press(1000, 0);
    EXPECT_EQ(ReadPen(), std::make_pair(3, 0));
    // x = 0xFFFF is 65535, not -1: 80 * 65535 / 640 + 6 = 8197, latched as 5.
    Press(0xFFFF, 0xFFFF);
    // 25 * 65535 / 400 = 4095, six bits of it.
    EXPECT_EQ(ReadPen(), std::make_pair(5, 0x3F));
    // The size comes from the window as it is now.
    ShimResizeWindow(window, 320, 100);
    Press(160, 50);
    EXPECT_EQ(ReadPen(), std::make_pair(46, 12));
}

TEST_F(Crtc, MovesCountOnlyWhileTheButtonIsDown) {
    EXPECT_EQ(CtlEmulator(WM_MOUSEMOVE, 0, Point(320, 200)), 0);
    EXPECT_EQ(In(kCommand), 0);
    Press(0, 0);
    EXPECT_EQ(CtlEmulator(WM_MOUSEMOVE, 0, Point(320, 200)), 0);
    EXPECT_EQ(ReadPen(), std::make_pair(26, 10));
    EXPECT_EQ(CtlEmulator(WM_LBUTTONUP, 0, Point(16, 0)), 0);
    EXPECT_EQ(CtlEmulator(WM_MOUSEMOVE, 0, Point(16, 0)), 0);
    EXPECT_EQ(In(kCommand), 0);
    EXPECT_EQ(ReadPen(), std::make_pair(0, 0));
    // A new latch overwrites one the program has not read.
    Press(16, 0);
    Press(32, 0);
    EXPECT_EQ(ReadPen(), std::make_pair(8, 0));
}

TEST_F(Crtc, AWindowWithoutAreaLatchesNothing) {
    Press(100, 100);
    uint32_t latched = Get(machine.lightPenPosition);
    Out(kCommand, 0x60);
    for (auto size : {std::make_pair(0, 400), std::make_pair(640, 0), std::make_pair(0, 0)}) {
        ShimResizeWindow(window, size.first, size.second);
        Press(100, 100);
        EXPECT_EQ(In(kCommand), 0);
        EXPECT_EQ(Get(machine.lightPenPosition), latched);
    }
    machine.hostWindow = nullptr; // before the host has given a window
    Press(100, 100);
    EXPECT_EQ(In(kCommand), 0);
}

TEST_F(Crtc, ReadCommandRearmsAndOthersLeaveTheStatus) {
    Press(320, 200);
    Out(kCommand, 0x61);
    EXPECT_EQ(In(kCommand), 0x01);
    Out(kCommand, 0x60);
    EXPECT_EQ(In(kData), 26);
    // Arming again starts over at the low byte.
    Out(kCommand, 0x60);
    EXPECT_EQ(ReadPen(), std::make_pair(26, 10));
    // Reading the data port never touches the status.
    Press(320, 200);
    EXPECT_EQ(In(kData), 0);
    EXPECT_EQ(In(kCommand), 0x01);
}

TEST_F(Crtc, LatchAndArmedReadSurviveAMachineReset) {
    Out(kCommand, 0x81);
    Out(kData, 1);
    Out(kData, 2);
    ResetCommand(0x87);
    Out(kData, 0x33);
    Press(320, 200);
    ResetEmu();
    EXPECT_EQ(In(kCommand), 0);
    EXPECT_EQ(In(kData), 0);
    EXPECT_EQ(Get(machine.cursorX), -1);
    EXPECT_EQ(Get(machine.cursorY), -1);
    EXPECT_EQ(Get(machine.rows25), 0);
    EXPECT_EQ(Get(machine.blinkRate), 0);
    // The reset ends a drag.
    EXPECT_EQ(CtlEmulator(WM_MOUSEMOVE, 0, Point(0, 0)), 0);
    Out(kCommand, 0x60);
    EXPECT_EQ(In(kData), 26);
    ResetEmu();
    EXPECT_EQ(In(kData), 12);
    // A reset in the middle of the parameters drops the rest of them.
    Out(kCommand, 0x00);
    Out(kData, 0);
    ResetEmu();
    Out(kData, 0);
    Out(kData, 0x87);
    EXPECT_EQ(Get(machine.rows25), 0);
}

} // namespace
