// The cassette: the serial ports backed by a real host file.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "core/machine.h"
#include "core/z80home.h"
#include "devices/cassette.h"
#include "plus/z80home_plus.h"
#include "ports.h"
#include "state/machine_state.h"
#include "tape.h"

namespace {

std::vector<int> ReadTape(int count) {
    std::vector<int> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(In(0x20));
    return bytes;
}

int FileSetBit() {
    return In(0x40) & 0x04;
}

class Cassette : public ::testing::Test {
  protected:
    void SetUp() override { MachinePowerOn(); }
    TapeFolder folder;
};

TEST_F(Cassette, TheTapeLoopsWithA0xFFBetweenPasses) {
    std::string tape = folder.File("loop.cmt");
    WriteBytes(tape, {0xAA, 0xBB, 0xCC});
    SetCMTFile(tape.c_str());
    EXPECT_EQ(ReadTape(10),
              (std::vector<int>{0xFF, 0xAA, 0xBB, 0xCC, 0xFF, 0xAA, 0xBB, 0xCC, 0xFF, 0xAA}));
    // Choosing a file again, even the same one, starts over after one 0xFF.
    SetCMTFile(tape.c_str());
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xFF, 0xAA, 0xBB}));
    // So does passing back the name the library holds.
    SetCMTFile(GetCMTFile());
    EXPECT_STREQ(GetCMTFile(), tape.c_str());
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xFF, 0xAA, 0xBB}));
    // Every even port is the data port.
    EXPECT_EQ(In(0x2E), 0xCC);
    EXPECT_EQ(In(0x2C), 0xFF);
    EXPECT_EQ(In(0x22), 0xAA);
}

// A copy of the tape under another name takes over where the tape stood,
// set as it was: no 0xFF, no rewind; the status keeps what a reset left. A
// name that does not fit changes nothing.
TEST_F(Cassette, ARenamedTapeGoesOnWhereItStood) {
    std::string tape = folder.File("first.cmt"), copy = folder.File("copy.cmt");
    WriteBytes(tape, {0xAA, 0xBB, 0xCC});
    WriteBytes(copy, {0xAA, 0xBB, 0xCC});
    SetCMTFile(tape.c_str());
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0xFF, 0xAA}));
    ResetEmu();
    CassetteRename(copy.c_str());
    EXPECT_STREQ(GetCMTFile(), copy.c_str());
    EXPECT_EQ(In(0x21), 0);
    EXPECT_EQ(FileSetBit(), 0);
    CassetteRename(std::string(kCmtNameSize, 'x').c_str());
    EXPECT_STREQ(GetCMTFile(), copy.c_str());
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xBB, 0xCC, 0xFF}));
}

TEST_F(Cassette, EmptyAndMissingFilesReadAs0xFF) {
    std::string empty = folder.File("empty.cmt");
    WriteBytes(empty, {});
    SetCMTFile(empty.c_str());
    EXPECT_EQ(ReadTape(4), std::vector<int>(4, 0xFF));

    std::string missing = folder.File("missing.cmt");
    SetCMTFile(missing.c_str());
    EXPECT_EQ(ReadTape(4), std::vector<int>(4, 0xFF));
    EXPECT_FALSE(std::filesystem::exists(missing)); // reading creates nothing
    // Before any file is chosen the name is empty: nothing to read or write.
    ResetEmu();
    SetCMTFile("");
    Out(0x20, 0x12);
    EXPECT_EQ(ReadTape(3), std::vector<int>(3, 0xFF));
}

TEST_F(Cassette, WritesAppendAndCreateTheFile) {
    std::string tape = folder.File("save.cmt");
    SetCMTFile(tape.c_str());
    EXPECT_EQ(Out(0x20, 0x01), 0xFF);
    Out(0x20, 0x102); // only the low 8 bits
    Out(0x2A, 0x03);
    EXPECT_EQ(ReadBytes(tape), (std::vector<int>{0x01, 0x02, 0x03}));
    // Writing moves no read position: reading starts at the first byte.
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xFF, 0x01, 0x02}));
    Out(0x20, 0x04);
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0x03, 0x04, 0xFF}));
    // The odd ports take no bytes.
    EXPECT_EQ(Out(0x21, 0x55), 0);
    EXPECT_EQ(Out(0x2F, 0x55), 0);
    EXPECT_EQ(ReadBytes(tape), (std::vector<int>{0x01, 0x02, 0x03, 0x04}));
}

TEST_F(Cassette, TheFileIsLookedAtAfreshOnEveryRead) {
    std::string tape = folder.File("live.cmt");
    WriteBytes(tape, {0xAA});
    SetCMTFile(tape.c_str());
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0xFF, 0xAA}));
    // Bytes the host appends become readable where the position stands.
    WriteBytes(tape, {0xBB, 0xCC}, std::ios::app);
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0xBB, 0xCC}));
    // A file cut short below the position rewinds on the next read.
    WriteBytes(tape, {0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0x44, 0x55}));
    WriteBytes(tape, {0x66, 0x77});
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xFF, 0x66, 0x77}));
    // A file that cannot be opened for a while keeps the position.
    std::string aside = folder.File("aside.cmt");
    std::filesystem::rename(tape, aside);
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0xFF, 0xFF}));
    WriteBytes(aside, {0x88}, std::ios::app);
    std::filesystem::rename(aside, tape);
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0x88, 0xFF}));
}

TEST_F(Cassette, FoldersAndUnreachablePathsGiveNoBytesAndTakeNone) {
    std::filesystem::create_directory(folder.File("dir.cmt"));
    SetCMTFile(folder.File("dir.cmt").c_str());
    EXPECT_EQ(ReadTape(5), std::vector<int>(5, 0xFF));
    Out(0x20, 0x42);
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("dir.cmt")));

    std::string unreachable = folder.File("no-such-folder/tape.cmt");
    SetCMTFile(unreachable.c_str());
    Out(0x20, 0x42);
    EXPECT_EQ(ReadTape(3), std::vector<int>(3, 0xFF));
    EXPECT_FALSE(std::filesystem::exists(folder.File("no-such-folder")));
}

TEST_F(Cassette, StatusAndFileSetBitFollowTheHostAndTheReset) {
    EXPECT_EQ(In(0x21), 0x00);
    EXPECT_EQ(FileSetBit(), 0);
    std::string tape = folder.File("status.cmt");
    WriteBytes(tape, {0x5A, 0x5B});
    SetCMTFile(tape.c_str());
    EXPECT_EQ(In(0x21), 0x07);
    EXPECT_EQ(In(0x2F), 0x07);
    EXPECT_EQ(FileSetBit(), 0x04);
    Out(0x21, 0x00);
    Out(0x20, 0x5C);
    EXPECT_EQ(In(0x21), 0x07);

    // A reset clears the status but keeps the file and its pending rewind.
    ResetEmu();
    EXPECT_EQ(In(0x21), 0x00);
    EXPECT_EQ(FileSetBit(), 0);
    EXPECT_STREQ(GetCMTFile(), tape.c_str());
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0xFF, 0x5A, 0x5B}));
    ResetEmu();
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0x5C, 0xFF})); // and the position
    SetCMTFile(tape.c_str());
    EXPECT_EQ(In(0x21), 0x07);
}

TEST_F(Cassette, NamesThatDoNotFitAreRefusedWhole) {
    std::string tape = folder.File("kept.cmt");
    SetCMTFile(tape.c_str());
    In(0x20);
    ResetEmu();
    SetCMTFile(nullptr);
    EXPECT_STREQ(GetCMTFile(), tape.c_str());
    EXPECT_EQ(In(0x21), 0x00);

    // A path of 520 characters: its first 519 would name another file.
    std::string folderPath = folder.Path().string() + "/";
    std::string longName = folderPath + std::string(519 - folderPath.size(), 'x');
    ASSERT_EQ(longName.size(), 519u);
    std::string tooLong = longName + "y";
    SetCMTFile(tooLong.c_str());
    EXPECT_STREQ(GetCMTFile(), tape.c_str());
    EXPECT_EQ(In(0x21), 0x00);
    EXPECT_EQ(FileSetBit(), 0);
    Out(0x20, 0x99);
    EXPECT_EQ(ReadBytes(tape), std::vector<int>{0x99});

    // 519 characters fit; the file system may still refuse so long a name.
    SetCMTFile(longName.c_str());
    EXPECT_STREQ(GetCMTFile(), longName.c_str());
    EXPECT_EQ(In(0x21), 0x07);
    // Nothing of a longer name stays behind a shorter one.
    SetCMTFile("a");
    EXPECT_EQ(std::memcmp(GetCMTFile(), "a\0\0\0", 4), 0);
}

TEST_F(Cassette, AFileTooLargeToMeasureReadsAs0xFFAndKeepsItsPlace) {
    std::string tape = folder.File("huge.cmt");
    WriteBytes(tape, {0x10, 0x20, 0x30});
    SetCMTFile(tape.c_str());
    EXPECT_EQ(ReadTape(2), (std::vector<int>{0xFF, 0x10}));
    std::error_code error;
    std::filesystem::resize_file(tape, (uintmax_t{1} << 31) + 16, error);
    if (error) GTEST_SKIP() << "no room for a sparse 2 GiB file: " << error.message();
    EXPECT_EQ(ReadTape(3), std::vector<int>(3, 0xFF));
    std::filesystem::resize_file(tape, 3);
    EXPECT_EQ(ReadTape(3), (std::vector<int>{0x20, 0x30, 0xFF}));
}

// Every byte the program writes either reaches the file or is counted as a
// failed write, whatever the host chose as the tape: writes spread at random
// over tapes good and bad, with resets between, against a model of which
// tapes take bytes.
TEST_F(Cassette, EveryByteReachesTheFileOrIsCountedAsFailed) {
    std::filesystem::create_directory(folder.File("dir.cmt"));
    struct Tape {
        std::string name;
        bool takes;
    };
    const Tape tapes[] = {{folder.File("one.cmt"), true},
                          {folder.File("two.cmt"), true},
                          {folder.File("dir.cmt"), false},
                          {folder.File("no-such-folder/tape.cmt"), false},
                          {"", false},
                          {"/dev/full", false},
                          {"/dev/null", false}};
    std::mt19937 random(24);
    std::map<std::string, std::vector<int>> files;
    uint32_t failed = 0;
    for (int round = 0; round < 300; ++round) {
        const Tape& tape = tapes[random() % std::size(tapes)];
        SetCMTFile(tape.name.c_str());
        if (random() % 4 == 0) ResetEmu();
        for (int n = random() % 4; n > 0; --n) {
            int byte = static_cast<int>(random() & 0xFF);
            Out(0x20 + 2 * static_cast<int>(random() % 8), byte);
            if (tape.takes)
                files[tape.name].push_back(byte);
            else
                ++failed;
        }
        ASSERT_EQ(GetTapeWriteFailures(), failed) << "round " << round << ", tape " << tape.name;
    }
    for (const Tape& tape : tapes) {
        if (!tape.takes) continue;
        EXPECT_EQ(ReadBytes(tape.name), files[tape.name]) << tape.name;
    }
}

// A file system that refuses the byte refuses it when the stream is closed,
// as a full disk does; a limit on the size of the files this process writes
// stands in for the full disk.
TEST_F(Cassette, AByteTheFileSystemRefusesIsCountedAsFailed) {
    std::string tape = folder.File("full.cmt");
    WriteBytes(tape, {1, 2, 3, 4});
    SetCMTFile(tape.c_str());
    uint32_t before = GetTapeWriteFailures();
    struct rlimit normal;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &normal), 0);
    struct rlimit full = normal;
    full.rlim_cur = 4;
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    Out(0x20, 0x55);
    setrlimit(RLIMIT_FSIZE, &normal);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(GetTapeWriteFailures(), before + 1);
    EXPECT_EQ(ReadBytes(tape), (std::vector<int>{1, 2, 3, 4}));
    Out(0x20, 0x56);
    EXPECT_EQ(GetTapeWriteFailures(), before + 1);
    EXPECT_EQ(ReadBytes(tape), (std::vector<int>{1, 2, 3, 4, 0x56}));
}

// Failed bytes count as one failed SAVE while each follows the last within
// two of the longest ticks of the machine's time; a byte that reaches the
// tape does not end the run.
TEST_F(Cassette, FailedBytesCloseTogetherAreOneFailedSave) {
    const uint64_t gap = 2 * (kSliceBudgetDisplayOff / kTicksPerSlice);
    std::string good = folder.File("good.cmt");
    const struct {
        uint64_t cycles;  // where the slices stand when the byte is written
        const char* tape; // null: none chosen
        uint32_t saves;   // the failed SAVEs counted after it
    } writes[] = {
        {1000, good.c_str(), 0},
        {2000, nullptr, 1},
        {2000, nullptr, 1},
        {2000 + gap - 1, nullptr, 1},
        {2000 + gap, good.c_str(), 1},
        {2000 + 2 * gap - 2, nullptr, 1},
        {2000 + 3 * gap - 2, nullptr, 2},
        {2000 + 3 * gap - 2, nullptr, 2},
    };
    for (const auto& write : writes) {
        Put(machine.cyclesRun, write.cycles);
        SetCMTFile(write.tape ? write.tape : "");
        Out(0x20, 0x41);
        EXPECT_EQ(GetTapeFailedSaves(), write.saves) << write.cycles;
    }
    EXPECT_EQ(GetTapeWriteFailures(), 6u);
    MachinePowerOn();
    EXPECT_EQ(GetTapeFailedSaves(), 0u);
}

} // namespace
