// Save states on the booted machine: a round trip that continues exactly as
// from the save, and every refusal leaving the machine as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "plus/save_state.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"
#include "z80/z80.h"

namespace {

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("z80home-state-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir / name;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// What the machine looks like after n more slices: every saved field (the
// state itself) and the screen's text.
std::pair<std::vector<uint8_t>, std::string> After(int slices) {
    RunSlices(slices);
    std::string text(static_cast<size_t>(GetScreenText(nullptr, 0)), '\0');
    GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    return {StateCapture(), text};
}

TEST(SaveState, ALoadedStateContinuesExactlyAsFromTheSave) {
    MachineBoot();
    // Mid-command, with a program's bytes in RAM, glyph RAM set and a key held.
    Command("SET 7000 3E 55 32 00 71 C9");
    Command("PCG 80 FF 81 42");
    SetPCG(0);
    TypeText("DUMP 700");
    CtlEmulator(WM_KEYDOWN, '0', 0);
    RunSlices(1);
    fs::path file = Scratch("round.state");
    ASSERT_EQ(SaveState(file.string().c_str()), kStateOk);
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
    CtlEmulator(WM_KEYUP, '0', 0);
    PressKey(VK_RETURN);
    auto expected = After(40);

    // Run on elsewhere, then load: the same slices give the same machine.
    Command("FILL 6000 DFFF 00");
    Command("WIDTH 80");
    Command("ROWS 20");
    Command("COLOR 2 4");
    // The keys are the host's, not the state's: it holds the key again.
    CtlEmulator(WM_KEYDOWN, '0', 0);
    RunSlices(1);
    ASSERT_EQ(LoadState(file.string().c_str()), kStateOk);
    CtlEmulator(WM_KEYUP, '0', 0);
    PressKey(VK_RETURN);
    auto again = After(40);
    EXPECT_EQ(again.second, expected.second);
    EXPECT_TRUE(again.first == expected.first) << "a saved field differs after the same slices";
    EXPECT_NE(expected.second.find("7000: 3E 55 32 00 71 C9"), std::string::npos)
        << expected.second;
    fs::remove_all(file.parent_path());
}

TEST(SaveState, EveryBadFileIsRefusedAndTheMachineLeftAsItWas) {
    MachineBoot();
    fs::path good = Scratch("good.state");
    ASSERT_EQ(SaveState(good.string().c_str()), kStateOk);
    const std::vector<uint8_t> bytes = ReadFile(good);
    ASSERT_GT(bytes.size(), kStateHeaderSize + 0x10000);

    // States saved from a machine changed for the save and changed back:
    // with other ROM images, and with values no machine has (a glyph RAM
    // address out of range, a tape name without its end, a tape position
    // before its start), which the check must see before anything loads.
    auto savedWith = [&](const std::function<void()>& change, const std::function<void()>& undo) {
        fs::path path = Scratch("changed.state");
        change();
        EXPECT_EQ(SaveState(path.string().c_str()), kStateOk);
        undo();
        return ReadFile(path);
    };
    const std::vector<uint8_t> otherRoms =
        savedWith([] { machine.basicRom[100] ^= 1; }, [] { machine.basicRom[100] ^= 1; });
    uint16_t address = Get(machine.pcgAddress);
    const std::vector<uint8_t> badAddress = savedWith([] { Put(machine.pcgAddress, 0x7FF); },
                                                      [&] { Put(machine.pcgAddress, address); });
    // The machine at its prompt leaves the tape alone.
    const std::string tapeName = machine.cmtFileName;
    const std::vector<uint8_t> endlessName =
        savedWith([] { std::memset(machine.cmtFileName, 'x', kCmtNameSize); },
                  [&] { std::memcpy(machine.cmtFileName, tapeName.c_str(), tapeName.size() + 1); });
    const int32_t offset = machine.cmtReadOffset;
    const std::vector<uint8_t> negativeOffset =
        savedWith([] { machine.cmtReadOffset = -1; }, [&] { machine.cmtReadOffset = offset; });
    // Counts that would hold back the ticks and a paste for billions of
    // cycles, and registers out of their fields' ranges.
    const int32_t sinceTick = machine.cyclesSinceTick;
    const std::vector<uint8_t> tickFarOff = savedWith([] { machine.cyclesSinceTick = 0x7FFFFFF0; },
                                                      [&] { machine.cyclesSinceTick = sinceTick; });
    const int32_t thisSecond = Get(machine.cyclesThisSecond);
    const std::vector<uint8_t> secondBefore =
        savedWith([] { Put(machine.cyclesThisSecond, -5); },
                  [&] { Put(machine.cyclesThisSecond, thisSecond); });
    const uint8_t background = Get(machine.bgColor);
    const std::vector<uint8_t> ninthColour =
        savedWith([] { Put(machine.bgColor, 8); }, [&] { Put(machine.bgColor, background); });
    const int32_t cursor = Get(machine.cursorX);
    const std::vector<uint8_t> cursorOff =
        savedWith([] { Put(machine.cursorX, 300); }, [&] { Put(machine.cursorX, cursor); });

    auto changed = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> copy = bytes;
        copy[at] = value;
        return copy;
    };
    auto cut = [&](size_t size) {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + size);
    };
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int code;
    };
    const Case cases[] = {
        {"empty", {}, kStateTruncated},
        {"header only", cut(kStateHeaderSize), kStateTruncated},
        {"one byte short", cut(bytes.size() - 1), kStateTruncated},
        {"not a state", {'P', 'K', 3, 4}, kStateNotAState},
        {"version 2", changed(8, 2), kStateWrongVersion},
        {"a byte more", longer, kStateOversized},
        {"a huge length", changed(15, 0x40), kStateOversized},
        {"a RAM byte flipped", changed(bytes.size() - 2000, bytes[bytes.size() - 2000] ^ 0x10),
         kStateCorrupted},
        {"other ROM images", otherRoms, kStateOtherRoms},
        {"an impossible register", badAddress, kStateMalformed},
        {"a tape name without its end", endlessName, kStateMalformed},
        {"a tape position before its start", negativeOffset, kStateMalformed},
        {"a tick 2^31 cycles away", tickFarOff, kStateMalformed},
        {"a second that began in the future", secondBefore, kStateMalformed},
        {"a ninth background colour", ninthColour, kStateMalformed},
        {"a cursor past the register", cursorOff, kStateMalformed},
    };
    RunSlices(3); // the machine moves on from the good state
    const std::vector<uint8_t> before = StateCapture();
    fs::path bad = Scratch("bad.state");
    for (const Case& c : cases) {
        WriteFile(bad, c.file);
        int code = LoadState(bad.string().c_str());
        EXPECT_EQ(code, c.code) << c.what << ": " << GetStateMessage(code);
        EXPECT_TRUE(StateCapture() == before) << c.what << " changed the machine";
    }
    EXPECT_EQ(LoadState(Scratch("missing.state").string().c_str()), kStateCannotRead);
    EXPECT_EQ(LoadState(Scratch("").string().c_str()), kStateCannotRead); // a folder
    EXPECT_EQ(SaveState("/no/such/folder/x.state"), kStateCannotWrite);
    EXPECT_TRUE(StateCapture() == before);
    EXPECT_EQ(LoadState(good.string().c_str()), kStateOk);
    fs::remove_all(good.parent_path());
}

} // namespace
