// BASIC's editor: commands that change the program, the input line, the
// listing and tape loading, typed at the machine and checked on the screen
// and in the program store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

std::string Trim(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The first row a direct command printed.
std::string Reply(const std::string& line, int slices = 2000) {
    int row = Basic(line, slices);
    return Trim(ScreenRow(row + static_cast<int>(line.size()) / 80 + 1));
}

int Word(int address) {
    return Peek(address) | Peek(address + 1) << 8;
}

// The program store's bytes, from TXTTAB to VARTAB.
std::vector<uint8_t> Program(void) {
    int start = RomSymbol("TXTTAB");
    return Memory(start, Word(RomSymbol("VARTAB")) - start);
}

// Lines of REM and `length` dashes from `first` on, ten apart.
std::vector<StoredLine> Remarks(int first, int count, int length) {
    std::vector<StoredLine> lines;
    for (int i = 0; i < count; i++) {
        StoredLine line{first + 10 * i, {static_cast<uint8_t>(RomSymbol("T_REM"))}};
        line.text.insert(line.text.end(), length, '-');
        lines.push_back(line);
    }
    return lines;
}

// Puts the program on a fresh tape and loads it with LOAD.
void LoadProgram(const std::vector<StoredLine>& lines) {
    std::string tape = TapePath("editor");
    std::vector<uint8_t> record = Record("FILL", RomSymbol("TXTTAB"), ProgramImage(lines));
    std::ofstream(tape, std::ios::binary)
        .write(reinterpret_cast<const char*>(record.data()),
               static_cast<std::streamsize>(record.size()));
    SetCMTFile(tape.c_str());
    ASSERT_EQ(Reply("LOAD"), "Searching");
    std::filesystem::remove(tape);
}

// Program lines, each stored before the next is typed (near a full memory
// a line moves the whole program).
void Store(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        TypeLine(line);
        ASSERT_TRUE(RunUntilIdle(200)) << line;
    }
}

// A refused command: its error, and the program and the variable V as
// they were.
void ExpectRefused(const std::string& command, const std::string& error) {
    std::vector<uint8_t> before = Program();
    EXPECT_EQ(Reply(command), error) << command;
    EXPECT_EQ(Program(), before) << command;
    EXPECT_EQ(Reply("? V"), " 7") << command;
}

TEST(BasicEditor, RefusedCommandsKeepTheProgramAndTheVariables) {
    BasicBoot();
    std::string targets = "10";
    for (int i = 1; i < 80; i++)
        targets += ",10";
    std::string shorthand;
    for (int i = 0; i < 80; i++)
        shorthand += "?1:";
    Enter({"5 GOTO 20", "10 ON X GOTO " + targets, "20 PRINT 2", "30 " + shorthand});
    Basic("V=7");
    // 80 targets of 5 digits, or of 3, do not fit a line; nor does line 5
    // change, which would fit.
    ExpectRefused("RENUM 10000", "?Line buffer overflow");
    ExpectRefused("RENUM 100", "?Line buffer overflow");
    ExpectRefused("DELETE 30-10", "?Illegal function call");
    ExpectRefused("DELETE", "?Illegal function call");
    ExpectRefused("DELETE 25", "?Illegal function call");
    ExpectRefused("DELETE 21-29", "?Illegal function call");
    // Line 30 lists as 80 PRINT statements: more than the input line holds.
    ExpectRefused("EDIT 30", "?Line buffer overflow");
    // Shorter numbers fit.
    Basic("RENUM 1,,1");
    EXPECT_EQ(Reply("LIST 1"), "1 GOTO 3");
    EXPECT_EQ(Reply("LIST 2").substr(0, 24), "2 ON X GOTO 2,2,2,2,2,2,");
    EXPECT_EQ(Reply("DELETE -3"), "Ok");
    EXPECT_EQ(Reply("LIST").substr(0, 15), "4 PRINT 1:PRINT");
    // The machine still answers STOP.
    Enter({"5 GOTO 5"});
    TypeLine("RUN 5");
    RunSlices(20);
    PressKey(VK_END);
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trim(ScreenRow(CursorRow() - 2)), "Break in 5");
}

TEST(BasicEditor, OutOfMemoryKeepsTheLineItWouldReplace) {
    BasicBoot();
    // 126 remarks of 257 bytes leave 384 bytes free, a little more than the
    // 256 that stay free for variables.
    LoadProgram(Remarks(100, 126, 251));
    Store({"10 GOTO 100", "20 GOTO 110", "30 REM" + std::string(99, '-')});
    EXPECT_EQ(Reply("? FRE(0)"), " 259");
    Basic("V=7");
    // Each target grows by two digits: one would fit, both do not.
    ExpectRefused("RENUM 60000,100", "?Out of memory");
    Store({"20", "30"});
    int free = 32766 - 126 * 257 - 10;
    EXPECT_EQ(Reply("? FRE(0)"), " " + std::to_string(free));
    Basic("V=7");
    std::string longer = "10 PRINT \"" + std::string(free - 255, 'A') + "\"";
    ExpectRefused(longer, "?Out of memory");
    ExpectRefused("5 PRINT \"" + std::string(free - 255, 'A') + "\"", "?Out of memory");
    // One byte less fits, in place of the old line.
    Store({longer.substr(0, longer.size() - 2) + "\""});
    EXPECT_EQ(Reply("? FRE(0)"), " 257");
    EXPECT_EQ(Reply("LIST 10").substr(0, 13), "10 PRINT \"AAA");
    EXPECT_EQ(Reply("LIST 100").substr(0, 10), "100 REM---");
}

TEST(BasicEditor, DeleteAndEditInAProgramEndIt) {
    BasicBoot();
    Enter({"10 PRINT \"A\"", "20 DELETE 40", "30 PRINT \"AFTER\"", "40 PRINT \"GONE\""});
    int row = Basic("RUN");
    EXPECT_EQ(Trim(ScreenRow(row + 1)), "A");
    EXPECT_EQ(Trim(ScreenRow(row + 2)), "Ok");
    row = Basic("LIST");
    EXPECT_EQ(Trim(ScreenRow(row + 3)), "30 PRINT \"AFTER\"");
    EXPECT_EQ(Trim(ScreenRow(row + 4)), "Ok");
    // EDIT from a program leaves direct mode behind it.
    Enter({"50 EDIT 10"});
    TypeLine("RUN 50");
    RunSlices(20);
    EXPECT_EQ(Trim(ScreenRow(CursorRow())), "10 PRINT \"A\"");
    TypeLine("");
    RunSlices(5);
    EXPECT_EQ(Reply("X"), "?Syntax error");
    EXPECT_EQ(Reply("GOTO 99"), "?Undefined line number");
}

TEST(BasicEditor, TapeLoadNeverLeavesABrokenProgram) {
    BasicBoot();
    std::string tape = TapePath("load");
    Enter({"10 PRINT \"NEW ONE\""});
    SetCMTFile(tape.c_str());
    Basic("SAVE \"GOOD\"");
    std::vector<uint8_t> good = ReadFile(tape);
    Basic("NEW");
    Enter({"10 REM OLD", "20 PRINT \"OLD\""});
    Basic("V=7");
    auto onTape = [&](std::vector<uint8_t> bytes) {
        std::ofstream(tape, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        SetCMTFile(tape.c_str());
    };
    auto expectRefusal = [&](const std::string& error) {
        std::vector<uint8_t> before = Program();
        Basic("LOAD \"GOOD\"");
        EXPECT_NE(FindRow(error), -1) << error;
        EXPECT_EQ(Program(), before) << error;
        EXPECT_EQ(Reply("? V"), " 7") << error;
        Basic("CLS");
    };
    // Cut short: the loader reads on into the tape's start again.
    onTape(std::vector<uint8_t>(good.begin(), good.end() - 6));
    expectRefusal("?Checksum error");
    std::vector<uint8_t> damaged = good;
    damaged[40] ^= 0x20;
    onTape(damaged);
    expectRefusal("?Checksum error");
    // Whole records that hold no program: bytes, or lines whose links or
    // numbers are wrong.
    onTape(Record("GOOD", 0x6000, {1, 2, 3, 4, 5, 6, 7, 8}));
    expectRefusal("?Not a program");
    std::vector<uint8_t> image = ProgramImage({{10, {'A'}}, {20, {'B'}}});
    image[0]++;
    onTape(Record("GOOD", 0x6000, image));
    expectRefusal("?Not a program");
    onTape(Record("GOOD", 0x6000, ProgramImage({{20, {'A'}}, {10, {'B'}}})));
    expectRefusal("?Not a program");
    onTape(Record("GOOD", 0x6000, {0, 0}));
    EXPECT_NE(Reply("LOAD \"GOOD\""), "");
    EXPECT_EQ(Reply("LIST"), "Ok");
    // A program too big to wait beside the old one: the old one goes first.
    LoadProgram(Remarks(100, 125, 250));
    std::vector<StoredLine> big = Remarks(100, 40, 250);
    std::vector<uint8_t> bigRecord = Record("GOOD", 0x6000, ProgramImage(big));
    bigRecord[bigRecord.size() - 50] ^= 1;
    onTape(bigRecord);
    Basic("LOAD \"GOOD\"");
    EXPECT_NE(FindRow("Program cleared"), -1);
    EXPECT_NE(FindRow("?Checksum error"), -1);
    EXPECT_EQ(Reply("LIST"), "Ok");
    // And a good record loads and runs, in a program too.
    onTape(good);
    Enter({"10 LOAD \"GOOD\""});
    Basic("RUN");
    EXPECT_EQ(Reply("RUN"), "NEW ONE");
    std::filesystem::remove(tape);
}

TEST(BasicEditor, TheListingReadsBackAsTyped) {
    BasicBoot();
    Enter({"10 ?A;B:IFA=1THEN20ELSE30", "20 FORI=1TO9STEP2:NEXTI:X=SIN(1)+LEN(A$)",
           "30 DATA \"a\",print me,abc:PRINT\"x\";TAB(5);FNA(1):REMark goto 10"});
    const char* listed[] = {"10 PRINT A;B:IF A=1 THEN 20 ELSE 30",
                            "20 FOR I=1 TO 9 STEP 2:NEXT I:X=SIN(1)+LEN(A$)",
                            "30 DATA \"a\",print me,abc:PRINT \"x\";TAB(5);FNA(1):REMark goto 10"};
    int row = Basic("LIST");
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Trim(ScreenRow(row + 1 + i)), listed[i]);
    // Each line entered again as listed lists the same.
    for (int line : {10, 20, 30}) {
        TypeLine("EDIT " + std::to_string(line));
        RunSlices(5);
        TypeLine("");
        RunSlices(5);
    }
    row = Basic("LIST");
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Trim(ScreenRow(row + 1 + i)), listed[i]);
    // DATA items are read as typed.
    Enter({"40 READ A$,B$,C$:PRINT A$;B$;C$"});
    EXPECT_EQ(Reply("RUN 40"), "aprint meabc");
}

TEST(BasicEditor, OverlongLinesAreRefusedWhole) {
    BasicBoot();
    // Typed ahead: the rest of the long line goes with it, the next line
    // is taken.
    TypeLine("PRINT \"" + std::string(260, 'Y') + "\"");
    TypeLine("PRINT 2+2");
    ASSERT_TRUE(RunUntilIdle(200));
    EXPECT_NE(FindRow("?Line buffer overflow"), -1);
    EXPECT_EQ(Trim(ScreenRow(CursorRow() - 2)), " 4");
    EXPECT_EQ(FindRow("YY\""), -1);
    // An INPUT reply is asked for again; the program goes on.
    Enter({"10 INPUT A$:PRINT LEN(A$)"});
    TypeLine("RUN");
    RunSlices(5);
    TypeLine(std::string(300, 'Z'));
    RunSlices(5);
    EXPECT_NE(FindRow("?Line buffer overflow"), -1);
    TypeLine("ZZ");
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trim(ScreenRow(CursorRow() - 2)), " 2");
    // ESC clears a refused line: what is typed then is taken.
    TypeText("PRINT \"" + std::string(260, 'Y'));
    PressKey(VK_ESCAPE);
    TypeLine("PRINT 3");
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trim(ScreenRow(CursorRow() - 2)), " 3");
}

TEST(BasicEditor, ControlCharactersGoIntoStrings) {
    BasicBoot();
    // Between quotes CTRL+G is kept and shows as its glyph; outside them it
    // is dropped.
    TypeText("10 A$=\"");
    PressCtrlKey('G');
    TypeText("X\":");
    PressCtrlKey('G');
    TypeLine("B=1");
    int row = Basic("LIST");
    EXPECT_EQ(Trim(ScreenRow(row + 1)), "10 A$=\"~X\":B=1");
    EXPECT_EQ(Peek(Get(machine.dmaAddress[2]) + (row + 1) * 120 + 7), 0x07);
    Basic("RUN");
    EXPECT_EQ(Reply("? LEN(A$);ASC(A$)"), " 2  7");
    uint32_t changes = machine.beepChanges.load();
    Basic("PRINT A$");
    EXPECT_GT(machine.beepChanges.load(), changes) << "the bell rings";
}

TEST(BasicEditor, HomeAndClrAtThePrompt) {
    BasicBoot();
    // HOME goes to the line's start, where typing inserts.
    TypeText("PRINT 5");
    PressKey(VK_HOME);
    TypeLine("X=1:");
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trim(ScreenRow(CursorRow() - 2)), " 5");
    // CLR clears the screen and shows the line being typed at its top.
    TypeText("PRINT 6");
    PressKey(VK_LEFT);
    PressKey(VK_HOME, true);
    ASSERT_TRUE(RunUntilIdle(20));
    EXPECT_EQ(Trim(ScreenRow(0)), "PRINT 6");
    EXPECT_EQ(Trim(ScreenRow(1)), "");
    TypeLine("7");
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trim(ScreenRow(1)), " 76");
}

} // namespace
