// Bad input the other tests leave out: a 4,000-character cassette name, a
// tape read at the end of the largest file the cassette can measure and past
// it, tape paths that would block an open, and a program that writes every
// value to every port.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "bus/bus.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"
#include "video/screen.h"

namespace {

namespace fs = std::filesystem;

int In(int port) {
    return BusAccess(port, 0, PortRead) & 0xFF;
}
int Out(int port, int data) {
    return BusAccess(port, data, PortWrite);
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class BadInput : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("z80home-bad-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ResetEmu();
    }
    void TearDown() override {
        SetCMTFile("");
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string File(const char* name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

TEST_F(BadInput, A4000CharacterCassetteNameIsRefusedAndTheTapeStays) {
    std::string tape = File("kept.cmt");
    SetCMTFile(tape.c_str());
    std::string huge = folder_.string() + "/" + std::string(4000, 'z');
    SetCMTFile(huge.c_str());
    EXPECT_EQ(GetCMTFile(), tape);
    Out(0x20, 0x42);
    EXPECT_EQ(ReadFile(tape), std::vector<uint8_t>{0x42});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// Reading two thousand million bytes through the port would take hours: the
// tape is wound on by setting its position, as the reads would have left it.
void WindTo(int32_t offset) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    machine.cmtRewindPending = 0;
    machine.cmtReadOffset = offset;
}

TEST_F(BadInput, TheLargestMeasurableTapeReadsToItsEndAndOneMoreByteStopsIt) {
    std::string tape = File("huge.cmt");
    std::error_code error;
    {
        std::ofstream out(tape, std::ios::binary);
        out.put(0x11);
    }
    fs::resize_file(tape, INT32_MAX - 2, error);
    if (error) GTEST_SKIP() << "no sparse file of 2 GiB here: " << error.message();
    {
        std::ofstream out(tape, std::ios::binary | std::ios::app);
        out.put(0x22);
        out.put(0x33);
    }
    ASSERT_EQ(fs::file_size(tape), uintmax_t{INT32_MAX});
    SetCMTFile(tape.c_str());
    WindTo(INT32_MAX - 2);
    // The last two bytes, then the end: 0xFF and back to the start. The
    // position never passes the largest 32-bit offset.
    EXPECT_EQ(In(0x20), 0x22);
    EXPECT_EQ(In(0x20), 0x33);
    EXPECT_EQ(In(0x20), 0xFF);
    EXPECT_EQ(In(0x20), 0x11);

    // One byte more and the size no longer fits the 32-bit query: no byte,
    // the position kept, and nothing lost once the file is back in range.
    {
        std::ofstream out(tape, std::ios::binary | std::ios::app);
        out.put(0x44);
    }
    WindTo(INT32_MAX - 1);
    EXPECT_EQ(In(0x20), 0xFF);
    EXPECT_EQ(In(0x20), 0xFF);
    fs::resize_file(tape, uintmax_t{INT32_MAX});
    EXPECT_EQ(In(0x20), 0x33);
    EXPECT_EQ(In(0x20), 0xFF);
    fs::remove(tape);
}

TEST_F(BadInput, APipeOrADeviceAsTheTapeNeitherBlocksNorGivesBytes) {
    // Opening a pipe that has no other end waits for one: the processor's
    // thread would stop inside a port access, holding the cassette's lock.
    std::string pipe = File("pipe.cmt");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    SetCMTFile(pipe.c_str());
    EXPECT_EQ(In(0x20), 0xFF); // the rewind after choosing
    EXPECT_EQ(In(0x20), 0xFF);
    Out(0x20, 0x42);
    EXPECT_TRUE(fs::is_fifo(pipe));

    EXPECT_EQ(In(0x21), 0x07); // the name is still the chosen one

    // A device gives no bytes either.
    SetCMTFile("/dev/zero");
    In(0x20);
    EXPECT_EQ(In(0x20), 0xFF);
}

// DI; LD C,0; next: XOR A; again: OUT (C),A; INC A; JR NZ,again; INC C;
// JR NZ,next; stop: HALT; JR stop. B stays as it was: the high address byte
// is whatever the ROM left there.
const std::vector<uint8_t> kEveryPort = {0xF3, 0x0E, 0x00, 0xAF, 0xED, 0x79, 0x3C, 0x20,
                                         0xFB, 0x0C, 0x20, 0xF7, 0x76, 0x18, 0xFD};

TEST(EveryPort, EveryValueToEveryPortLeavesAMachineThatResetsToThePrompt) {
    MachineBoot();
    fs::path tape = fs::temp_directory_path() / ("z80home-ports-" + std::to_string(getpid()));
    fs::remove(tape);
    SetCMTFile(tape.c_str());
    for (size_t i = 0; i < kEveryPort.size(); i++)
        BusAccess(0x8000 + static_cast<int>(i), kEveryPort[i], MemWrite);
    TypeLine("RUN 8000");
    // 65,536 writes of about 30 cycles each: some 70 slices.
    for (int i = 0; i < 400 && !(fs::exists(tape) && fs::file_size(tape) >= 2048); i++)
        RunSlices(1);
    RunSlices(5);
    for (int i = 0; i < 3; i++)
        DrawScreen();

    // Each even cassette port took the 256 values in turn; nothing else did.
    std::vector<uint8_t> expected;
    for (int port = 0x20; port < 0x30; port += 2)
        for (int value = 0; value < 256; value++)
            expected.push_back(static_cast<uint8_t>(value));
    EXPECT_EQ(ReadFile(tape), expected);
    // The program itself is intact: RAM changes only by memory writes.
    for (size_t i = 0; i < kEveryPort.size(); i++)
        EXPECT_EQ(Peek(0x8000 + static_cast<int>(i)), kEveryPort[i]);

    ResetEmu();
    EXPECT_TRUE(RunUntilBasicPrompt(200)) << "no prompt after the reset";
    SetCMTFile("");
    fs::remove(tape);
}

} // namespace
