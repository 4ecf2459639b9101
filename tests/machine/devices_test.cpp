// The device commands end to end: tape, clock, character generator, light
// pen and DMA state.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST(Tape, SavesARecordAndLoadsItBackAfterAReset) {
    MachineBoot();
    std::string tape = TapePath("roundtrip");
    SetCMTFile(tape.c_str());
    // Data holding the bytes the loader looks for between records, and FFH.
    Command("FILL 6000 60FF A5");
    Command("SET 6000 0 1 2 FF 55 55 55 55 55 C3 3C FF FF");
    std::vector<uint8_t> saved = Memory(0x6000, 0x100);
    int row = Command("SAVE 6000 60FF DEMO");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "Saved DEMO     6000-60FF"));
    EXPECT_EQ(ReadFile(tape), Record("DEMO", 0x6000, saved));

    ResetEmu(); // RAM survives a reset: clear the block before loading it
    ASSERT_TRUE(RunUntilBasicPrompt(60));
    TypeLine("MON");
    ASSERT_TRUE(RunUntilPrompt(60));
    Command("FILL 6000 60FF 0");
    row = Command("LOAD DEMO");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 2), "Loading DEMO     6000-60FF"));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 3), "Loaded"));
    EXPECT_EQ(Memory(0x6000, 0x100), saved);
    fs::remove(tape);
}

TEST(Tape, FindsRecordsByNameAroundTheTapesLoop) {
    MachineBoot();
    std::string tape = TapePath("names");
    SetCMTFile(tape.c_str());
    Command("SET 6000 11 22 33");
    Command("SAVE 6000 6002 FIRST");
    Command("SET 6000 44 55");
    Command("SAVE 6000 6001 SECOND");
    int row = Command("LOAD SECOND 7000");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 2), "Skipping FIRST"));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 3), "Loading SECOND   7000-7001"));
    EXPECT_EQ(Memory(0x7000, 3), (std::vector<uint8_t>{0x44, 0x55, 0x00}));
    // The tape now stands after SECOND: FIRST comes after its end and the
    // loop back to the start.
    Command("CLS");
    row = Command("LOAD FIRST 7100");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 2), "Loading FIRST    7100-7102"));
    EXPECT_EQ(Memory(0x7100, 3), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    // A name that is not there: one turn of the tape, then the answer.
    Command("CLS");
    row = Command("LOAD THIRD");
    EXPECT_GE(FindRow("?Not found"), row);
    fs::remove(tape);
}

TEST(Tape, RefusesToSaveWithoutATape) {
    MachineBoot(); // the reset clears the cassette status
    int row = Command("SAVE 6000 60FF DEMO");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?No tape chosen"));
}

// "MM/DD hh:mm:ss" as seconds into the year's month and day, for comparing.
long ClockSeconds(const std::string& text) {
    int month, day, hours, minutes, seconds;
    if (sscanf(text.c_str(), "%d/%d %d:%d:%d", &month, &day, &hours, &minutes, &seconds) != 5)
        return -1;
    return (((month * 32L + day) * 24 + hours) * 60 + minutes) * 60 + seconds;
}

TEST(Clock, ShowsTheHostsTimeAndCanBeSet) {
    MachineBoot();
    int row = Command("TIME");
    time_t now = time(nullptr);
    tm local = *localtime(&now);
    char expected[32];
    snprintf(expected, sizeof expected, "%02d/%02d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
             local.tm_hour, local.tm_min, local.tm_sec);
    long shown = ClockSeconds(ScreenRow(row + 1));
    ASSERT_GE(shown, 0) << ScreenRow(row + 1);
    EXPECT_LE(std::labs(shown - ClockSeconds(expected)), 5) << ScreenRow(row + 1);

    row = Command("TIME 10/03 14:05:09");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "10/03 14:05:")) << ScreenRow(row + 1);
    row = Command("TIME 23:59");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "10/03 23:59:0")) << ScreenRow(row + 1);
    row = Command("TIME 2/30 1:2:3"); // 1971 has no 30 February
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "03/02 01:02:0")) << ScreenRow(row + 1);
    row = Command("TIME 13/01 1:00");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Bad value"));
    row = Command("TIME 12:60");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Bad value"));
}

TEST(Clock, EveryFieldTakesBothEdgesAndRefusesOneBeyond) {
    MachineBoot();
    // The shown seconds may have ticked on; the date stays unless given.
    const std::pair<const char*, const char*> cases[] = {
        {"TIME 1/1 0:00:00", "01/01 00:00:0"}, {"TIME 12/31 23:59", "12/31 23:59:0"},
        {"TIME 0:00:59", "12/31 00:0"},        {"TIME 0/1 0:00", "?Bad value"},
        {"TIME 13/1 0:00", "?Bad value"},      {"TIME 1/0 0:00", "?Bad value"},
        {"TIME 1/32 0:00", "?Bad value"},      {"TIME 24:00", "?Bad value"},
        {"TIME 0:60", "?Bad value"},           {"TIME 0:00:60", "?Bad value"},
    };
    for (const auto& [command, shown] : cases) {
        int row = Command(command);
        EXPECT_TRUE(StartsWith(ScreenRow(row + 1), shown)) << command << ": " << ScreenRow(row + 1);
    }
}

TEST(Pcg, DefinedGlyphAppearsInThePicture) {
    MachineBoot();
    SetPCG(2); // on, keeping the glyph RAM
    int row = Command("PCG 80 FF 81 81 81 81 81 81 FF") + 1;
    EXPECT_TRUE(StartsWith(ScreenRow(row), "80 = ~"));
    EXPECT_EQ(Peek(0xE000 + row * 120 + 5), 0x80);
    EXPECT_EQ(CellPixel(row, 5, 3, 0), 0xFFFFFFu); // top line full
    EXPECT_EQ(CellPixel(row, 5, 0, 4), 0xFFFFFFu); // sides
    EXPECT_EQ(CellPixel(row, 5, 7, 4), 0xFFFFFFu);
    EXPECT_EQ(CellPixel(row, 5, 3, 4), 0x010101u); // hollow
    SetPCG(0);                                     // the character ROM's 80H, an empty mosaic
    EXPECT_FALSE(CellHasInk(row, 5));
    SetPCG(2);
    Command("PCG 80"); // back to the ROM's glyph
    EXPECT_FALSE(CellHasInk(row, 5));
    SetPCG(0);
}

TEST(Pcg, CharsShowsTheUpperCodes) {
    MachineBoot();
    int row = Command("CHARS");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "    0 1 2 3 4 5 6 7 8 9 A B C D E F"));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 2), "80  "));
    EXPECT_EQ(Peek(0xE000 + (row + 2) * 120 + 4), 0x80);
    EXPECT_EQ(Peek(0xE000 + (row + 9) * 120 + 34), 0xFF);
    EXPECT_TRUE(CellHasInk(row + 5, 8)); // B3H, the full block
}

TEST(LightPen, ReadsBackTheClickedCell) {
    MachineBoot();
    TypeLine("PEN");
    RunSlices(3);
    CtlEmulator(WM_LBUTTONDOWN, 0, CellCentre(10, 20));
    CtlEmulator(WM_LBUTTONUP, 0, CellCentre(10, 20));
    RunSlices(3);
    CtlEmulator(WM_LBUTTONDOWN, 0, CellCentre(24, 79));
    CtlEmulator(WM_LBUTTONUP, 0, CellCentre(24, 79));
    RunSlices(3);
    PressKey(VK_SPACE);
    ASSERT_TRUE(RunUntilPrompt(20));
    EXPECT_GE(FindRow("Row 10 column 20"), 0);
    EXPECT_GE(FindRow("Row 24 column 79"), 0);

    Command("WIDTH 40");
    TypeLine("PEN");
    RunSlices(3);
    CtlEmulator(WM_LBUTTONDOWN, 0, CellCentre(5, 39));
    CtlEmulator(WM_LBUTTONUP, 0, CellCentre(5, 39));
    RunSlices(3);
    PressKey(VK_SPACE);
    ASSERT_TRUE(RunUntilPrompt(20));
    EXPECT_GE(FindRow("Row 5 column 39"), 0);
}

TEST(Dma, ShowsTheScreenChannel) {
    MachineBoot();
    int row = Command("DMA");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "Status "));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 4), "Channel 2 address E000 count 0BB7"));
    Command("ROWS 20");
    row = Command("DMA");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 4), "Channel 2 address E000 count 095F"));
    // Reading the registers leaves them as they were.
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0xE000);
    EXPECT_EQ(Get(machine.dmaCount[2]), 0x095F);
}

} // namespace
