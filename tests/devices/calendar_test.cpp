// The calendar clock, spoken to serially as the program does: a command and
// data-in bit through port 0x10, strobe and clock through port 0x40, the
// data-out bit as port 0x40 bit 4.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>

#include "core/machine.h"
#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

using Clock = std::array<int, 5>; // seconds, minutes, hours, day (BCD), month << 4

void Latch(int value) {
    Out(0x10, value);
}
void Strobe() {
    Out(0x40, 0x02);
}
void Pulse() {
    Out(0x40, 0x04);
}
int DataOut() {
    return In(0x40) >> 4 & 1;
}

// The 40 bits of the register from where it stands, least significant first.
Clock Collect() {
    Clock bytes{};
    for (int bit = 0; bit < 40; ++bit) {
        if (bit) Pulse();
        bytes[bit / 8] |= DataOut() << bit % 8;
    }
    return bytes;
}

Clock ReadClock() {
    Latch(0x01);
    Strobe();
    return Collect();
}

void ShiftIn(const Clock& bytes) {
    for (int bit = 0; bit < 40; ++bit) {
        Latch(bytes[bit / 8] >> bit % 8 & 1 ? 0x08 : 0x00);
        Pulse();
    }
}

// Rewind with a read-time command, shift the time in and set it.
void SetClock(const Clock& bytes) {
    Latch(0x01);
    Strobe();
    ShiftIn(bytes);
    Latch(0x02);
    Strobe();
}

int Bcd(int value) {
    return value / 10 << 4 | value % 10;
}

Clock Expected(std::time_t t) {
    std::tm local = *std::localtime(&t);
    return {Bcd(local.tm_sec), Bcd(local.tm_min), Bcd(local.tm_hour), Bcd(local.tm_mday),
            (local.tm_mon + 1) << 4};
}

// The clock as read now, against the host's local time shifted by the
// offset; retried if a second boundary falls inside the read.
void ExpectClockShowsHostTimePlus(int64_t offset) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::time_t before = std::time(nullptr);
        Clock read = ReadClock();
        if (std::time(nullptr) != before) continue;
        EXPECT_EQ(read, Expected(before + offset));
        return;
    }
    FAIL() << "the host clock kept ticking over";
}

// Seconds may tick on between setting and reading back.
void ExpectAbout(Clock read, const Clock& expected) {
    EXPECT_GE(read[0], expected[0]);
    EXPECT_LE(read[0], expected[0] + 2);
    read[0] = expected[0];
    EXPECT_EQ(read, expected);
}
void ExpectClockAbout(const Clock& expected) {
    ExpectAbout(ReadClock(), expected);
}

void UseZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

// Seconds from the epoch to the clock's time, through the offset.
int64_t ClockTime() {
    return static_cast<int64_t>(std::time(nullptr)) + machine.calendarOffset;
}

constexpr int64_t k1971 = 31536000; // 1971-01-01 00:00:00 UTC
constexpr int64_t kDay = 86400;

class Calendar : public ::testing::Test {
  protected:
    void SetUp() override {
        UseZone("UTC0");
        MachinePowerOn();
    }
};

TEST_F(Calendar, ReadTimeShiftsOutTheHostsLocalTime) {
    ExpectClockShowsHostTimePlus(0);
    UseZone("JST-9");
    ExpectClockShowsHostTimePlus(0);
    UseZone("NST+3:30NDT,M3.2.0,M11.1.0");
    ExpectClockShowsHostTimePlus(0);
}

TEST_F(Calendar, SetTimeRoundTripsThroughTheShiftRegister) {
    SetClock({0x30, 0x59, 0x23, 0x31, 0x10});
    EXPECT_NEAR(ClockTime(), k1971 + 30 * kDay + 86370, 2);
    ExpectClockAbout({0x30, 0x59, 0x23, 0x31, 0x10});
    // The first bit in is the first bit out once 40 have been shifted.
    Latch(0x01);
    Strobe();
    ShiftIn({0x01, 0, 0, 0, 0x10});
    EXPECT_EQ(DataOut(), 1);
    ShiftIn({0x00, 0, 0, 0, 0}); // the register is full: nothing moves
    EXPECT_EQ(DataOut(), 1);
    Latch(0x02);
    Strobe();
    EXPECT_NEAR(ClockTime(), k1971 - kDay + 1, 2); // day 0: 31 December 1970
}

TEST_F(Calendar, SetTimeIsWallClockTimeInAZoneWithDaylightSaving) {
    UseZone("EST5EDT,M3.2.0,M11.1.0");
    // Summer, winter, summer: each reads back as set, whatever the last
    // conversion found.
    for (Clock set : {Clock{0x00, 0x00, 0x12, 0x15, 0x70}, Clock{0x00, 0x00, 0x12, 0x15, 0x10},
                      Clock{0x00, 0x30, 0x08, 0x01, 0x80}}) {
        SetClock(set);
        ExpectClockAbout(set);
    }
    EXPECT_NEAR(ClockTime(), k1971 + 212 * kDay + 8 * 3600 + 1800 + 4 * 3600, 2);
}

TEST_F(Calendar, TheYearIs1971) {
    // No 29 February in 1971: it becomes 1 March.
    SetClock({0x00, 0x00, 0x12, 0x29, 0x20});
    ExpectClockAbout({0x00, 0x00, 0x12, 0x01, 0x30});

    struct Month {
        int in, shown;
    };
    for (Month m : {Month{0x10, 0x10}, Month{0x11, 0x20}, Month{0x20, 0x20}, Month{0x30, 0x30},
                    Month{0x31, 0x40}, Month{0xC0, 0xC0}, Month{0xC1, 0x10}, Month{0x01, 0x10},
                    Month{0x00, 0x40}, Month{0xFF, 0x40}}) {
        SetClock({0x00, 0x00, 0x12, 0x15, m.in});
        ExpectClockAbout({0x00, 0x00, 0x12, 0x15, m.shown});
    }
    // 0xC1 carries into January of 1972; 0x00 is April of 1971.
    SetClock({0x00, 0x00, 0x12, 0x15, 0xC1});
    EXPECT_NEAR(ClockTime(), k1971 + 365 * kDay + 14 * kDay + 12 * 3600, 2);
    SetClock({0x00, 0x00, 0x00, 0x01, 0x00});
    EXPECT_NEAR(ClockTime(), k1971 + (31 + 28 + 31) * kDay, 2);
}

TEST_F(Calendar, OutOfRangeDigitsAreReducedNotRefused) {
    // 0x7F = 85 seconds -> 25; 0x99 = 99 hours -> 3; 0xFA minutes = 160 -> 40;
    // day 0x3F = 45, five bits -> 13.
    SetClock({0x7F, 0xFA, 0x99, 0x3F, 0x50});
    ExpectClockAbout({0x25, 0x40, 0x03, 0x13, 0x50});
    // Day 0 is the last day of the month before.
    SetClock({0x00, 0x00, 0x00, 0x00, 0x30});
    ExpectClockAbout({0x00, 0x00, 0x00, 0x28, 0x20});
}

TEST_F(Calendar, OnlyCommandsOneAndTwoDoAnything) {
    SetClock({0x01, 0x00, 0x00, 0x01, 0x10});
    int64_t offset = machine.calendarOffset;
    EXPECT_EQ(DataOut(), 1);
    // Data bit set on a command, and codes other than 1 and 2: no operation.
    for (int latch : {0x09, 0x0A, 0x00, 0x03, 0x0F, 0xF0}) {
        Latch(latch);
        Strobe();
        EXPECT_EQ(machine.calendarOffset, offset) << latch;
        EXPECT_EQ(DataOut(), 1) << latch;
    }
    // Bits 4 to 7 do not matter: 0x12 sets the time again from the same bits.
    machine.calendarOffset = 0;
    Latch(0x12);
    Strobe();
    EXPECT_NEAR(machine.calendarOffset, offset, 2);
    // A strobe with the clock bit set only executes: no bit is shifted.
    SetClock({0x10, 0x00, 0x12, 0x01, 0x10});
    Latch(0xF1);
    Out(0x40, 0x06);
    ExpectAbout(Collect(), {0x10, 0x00, 0x12, 0x01, 0x10});
}

TEST_F(Calendar, MachineResetRewindsButKeepsTheTime) {
    SetClock({0x01, 0x00, 0x10, 0x05, 0x60});
    EXPECT_EQ(DataOut(), 1);
    ResetEmu();
    EXPECT_EQ(In(0x40) & 0x10, 0);
    ExpectClockAbout({0x01, 0x00, 0x10, 0x05, 0x60});
    // A reset in the middle of shifting starts the input over at bit 0.
    Latch(0x01);
    Strobe();
    ShiftIn({0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    ResetEmu();
    ShiftIn({0x00, 0x00, 0x07, 0x02, 0x20});
    Latch(0x02);
    Strobe();
    ExpectClockAbout({0x00, 0x00, 0x07, 0x02, 0x20});
}

TEST_F(Calendar, AnOffsetBeyond32BitsStillReadsRight) {
    // As a time set in 1971 appears to a host clock past 2038.
    machine.calendarOffset = int64_t{3} << 32;
    ExpectClockShowsHostTimePlus(machine.calendarOffset);
    machine.calendarOffset = (int64_t{1} << 31) + 12345;
    ExpectClockShowsHostTimePlus(machine.calendarOffset);
}

} // namespace
