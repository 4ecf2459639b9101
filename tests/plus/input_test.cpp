// Input in the machine's time, through the extension library on the test
// thread: pasted listings arrive whole whatever the program does meanwhile,
// a key goes with the SHIFT it was typed with whatever order the host's
// messages come in, a stop falls at its cycle, and a recording replays to
// the same machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/machine.h"
#include "input/input.h"
#include "plus/save_state.h"
#include "plus/z80home_plus.h"
#include "record/z80home_record.h"
#include "state/machine_state.h"
#include "state/state_io.h"
#include "tests/machine/machine_support.h"

namespace {

namespace fs = std::filesystem;

// Text of every printable character, with runs of spaces among it.
std::string RandomText(std::mt19937& random, size_t length, bool quotes) {
    std::string text;
    while (text.size() < length) {
        if (random() % 4 == 0) {
            text.append(1 + random() % 14, ' ');
            continue;
        }
        char c = static_cast<char>(0x21 + random() % 0x5E);
        if (c != '"' || quotes) text += c;
    }
    return text.substr(0, length);
}

void RunOutPaste(void) {
    for (int i = 0; i < 100000 && GetPasteLeft(); i++)
        RunSlices(1);
    ASSERT_EQ(GetPasteLeft(), 0u);
    ASSERT_TRUE(RunUntilBasicPrompt(3000)) << ScreenRow(CursorRow() - 1);
}

// The whole machine: the state file and what input holds beyond it.
std::vector<uint8_t> Everything(void) {
    std::vector<uint8_t> bytes = StateCapture();
    StateIo io{StateMode::kSave, &bytes, nullptr, 0, 0};
    InputState(io, Get(machine.cyclesRun), true);
    return bytes;
}

// Lines with runs of spaces and every printable character in their strings
// and remarks, pasted among commands that keep BASIC busy -- clearing the
// screen, loops, output that scrolls -- list back exactly as typed.
TEST(Input, EveryPastedLineListsBackAsTyped) {
    std::mt19937 random(33);
    for (int round = 0; round < 3; round++) {
        BasicBoot();
        Basic("WIDTH 80");
        std::vector<std::string> lines;
        std::string paste = "NEW\n";
        for (int number = 10; number <= 240; number += 10) {
            std::string line =
                random() % 2 ? std::to_string(number) + " REM" + RandomText(random, 60, true)
                             : std::to_string(number) + " A$=\"" + RandomText(random, 30, false) +
                                   "\":REM" + RandomText(random, 20, true);
            lines.push_back(line);
            paste += line + "\n";
            switch (random() % 6) {
            case 0: paste += "CLS\n"; break;
            case 1: paste += "FOR I=1 TO 400:NEXT\n"; break;
            case 2: paste += "FOR I=1 TO 30:PRINT I:NEXT\n"; break;
            default: break;
            }
        }
        ASSERT_EQ(PasteText((paste + "CLS\n").c_str()), 0);
        RunOutPaste();
        for (const std::string& line : lines) {
            Basic("CLS:LIST " + line.substr(0, line.find(' ')));
            EXPECT_EQ(ScreenRow(0).substr(0, line.size()), line) << "round " << round;
        }
    }
}

// A key carries the SHIFT it was typed with, however the host's messages
// interleave: SHIFT let go only after the next key is down, or a key's
// press sent before SHIFT's, as a frontend that hands over a frame's keys
// at once may send them.
TEST(Input, AKeyGoesWithTheShiftItWasTypedWith) {
    BasicBoot();
    auto frame = [](std::initializer_list<std::pair<int, int>> keys) {
        for (auto [key, down] : keys)
            SendKey(static_cast<uint32_t>(key < 0 ? -key : key), down ? 1 : 0,
                    key < 0 ? kKeyShift : 0);
        RunSlices(1);
    };
    // (0 typed as SHIFT 9, 0 down before SHIFT is let go; then ) as SHIFT 0
    // with SHIFT's press after the key's.
    frame({{VK_SHIFT, 1}, {-'9', 1}});
    frame({{'9', 0}, {'0', 1}, {VK_SHIFT, 0}});
    frame({{'0', 0}});
    frame({{-'0', 1}, {VK_SHIFT, 1}});
    frame({{'0', 0}, {VK_SHIFT, 0}});
    frame({{VK_RETURN, 1}});
    frame({{VK_RETURN, 0}});
    RunSlices(20);
    EXPECT_GE(FindRow("(0)"), 0) << ScreenRow(CursorRow() - 2);
}

fs::path RecordingFile(void) {
    return fs::temp_directory_path() / ("z80home-input-" + std::to_string(getpid()));
}

// Replays the recording in file from a machine elsewhere, in slices of
// random sizes, and expects it to end after length cycles as recorded.
void ExpectReplayEndsAs(const fs::path& file, const std::vector<uint8_t>& recorded,
                        uint64_t length) {
    std::mt19937 random(7);
    Basic("NEW");
    ASSERT_EQ(ReplayRecording(file.string().c_str()), 0);
    uint64_t end = GetReplayEnd();
    EXPECT_EQ(end - GetCycles(), length);
    SetStopCycle(end);
    while (!GetStopReached())
        CpuRunSliceUpTo(1 + static_cast<int32_t>(random() % 70000));
    ASSERT_EQ(GetCycles(), end);
    std::vector<uint8_t> replayed = Everything();
    ASSERT_EQ(replayed.size(), recorded.size());
    auto differ = std::mismatch(replayed.begin(), replayed.end(), recorded.begin());
    EXPECT_TRUE(differ.first == replayed.end())
        << "the replay ended elsewhere: byte " << differ.first - replayed.begin() << " differs";
    fs::remove(file);
}

// A stop falls at the first instruction boundary at or after its cycle,
// however the driver divides the running, and the same events at the same
// cycles, recorded and replayed, give the same machine bit for bit.
TEST(Input, StopsFallAtTheirCycleAndARecordingReplaysToTheSameMachine) {
    fs::path file = RecordingFile();
    BasicBoot();
    std::mt19937 random(5);
    ASSERT_EQ(StartRecording(file.string().c_str()), 0);
    uint64_t start = GetCycles();
    PasteText("10 FOR I=1 TO 40:PRINT I;\"  \";:NEXT\nRUN\n");
    for (int step = 0; step < 30; step++) {
        uint64_t stop = GetCycles() + 1 + random() % 200000;
        SetStopCycle(stop);
        while (!GetStopReached())
            CpuRunSliceUpTo(1 + static_cast<int32_t>(random() % 50000));
        ASSERT_GE(GetCycles(), stop);
        ASSERT_LT(GetCycles(), stop + 23) << "a stop ran past its cycle";
        int key = "ABCDEFG 9;"[random() % 10];
        SendKey(static_cast<uint32_t>(key == ';'   ? VK_OEM_1
                                      : key == ' ' ? VK_SPACE
                                                   : key),
                random() % 2, random() % 2 ? kKeyShift : 0);
    }
    RunSlices(30);
    ASSERT_EQ(StopRecording(), 0);
    std::vector<uint8_t> recorded = Everything();
    uint64_t length = GetCycles() - start;

    ExpectReplayEndsAs(file, recorded, length);
}

// A step back restores the machine exactly, keys on their way in and a
// paste under way included: the same running from it gives the same machine
// each time, and with no snapshot older than the machine's start nothing
// more is stepped back.
TEST(Input, ARewindStepRestoresTheMachineExactly) {
    BasicBoot();
    SetRewind(5);
    PasteText("10 FOR I=1 TO 99:PRINT I;:NEXT\nRUN\nPRINT \"DONE\"\n");
    RunSlices(30);
    // Recorded from here: the steps cut the recording, the last ones to
    // before its start, and it replays to where the machine ends.
    fs::path file = RecordingFile();
    ASSERT_EQ(StartRecording(file.string().c_str()), 0);
    ASSERT_GT(GetRewindDepth(), 100u);
    ASSERT_EQ(RewindStep(), 1);
    std::vector<uint8_t> back = Everything();
    ASSERT_NE(GetPasteLeft(), 0u) << "no paste under way to restore";
    // Less than a snapshot's distance: the same snapshot is the step back.
    RunSlices(5);
    std::vector<uint8_t> ahead = Everything();
    for (int again = 0; again < 2; again++) {
        ASSERT_EQ(RewindStep(), 1);
        EXPECT_TRUE(Everything() == back) << again;
        RunSlices(5);
        EXPECT_TRUE(Everything() == ahead) << again;
    }
    // A key held at a snapshot and released since is let go once stepped back
    // to it: the keys are the host's now.
    SendKey('E', 1, 0);
    RunSlices(12);
    SendKey('E', 0, 0);
    ASSERT_EQ(RewindStep(), 1);
    for (uint8_t row : machine.keyWanted)
        EXPECT_EQ(row, 0) << "a key stays down";
    while (RewindStep())
        RunSlices(0);
    EXPECT_EQ(GetRewindDepth(), 100u);
    uint64_t start = GetCycles();
    PasteText("PRINT 1\n");
    RunSlices(20);
    SetRewind(0);
    EXPECT_EQ(RewindStep(), 0);
    SetPaused(0);
    ASSERT_EQ(StopRecording(), 0);
    ExpectReplayEndsAs(file, Everything(), GetCycles() - start);
}

} // namespace
