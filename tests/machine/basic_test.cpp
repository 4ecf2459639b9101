// BASIC typed at through the keyboard, checked on the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "core/z80home.h"
#include "state/machine_state.h"

#include "tests/machine/machine_support.h"

namespace {

std::string Trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Runs a direct command and returns the row printed after it.
std::string Out(const std::string& line) {
    int row = Basic(line);
    return Trimmed(ScreenRow(row + 1));
}

struct Case {
    const char* line;
    const char* shows;
};

TEST(Basic, BootsToTheBannerAndOk) {
    BasicBoot();
    EXPECT_EQ(ScreenRow(0).substr(0, 20), " Z80HOME  BASIC 1.0 ");
    EXPECT_EQ(Trimmed(ScreenRow(1)), "32766 bytes free");
    EXPECT_EQ(Trimmed(ScreenRow(2)), "Ok");
    EXPECT_EQ(CursorRow(), 3);
    // The monitor and back, with the program kept.
    Enter({"10 PRINT \"KEPT\""});
    TypeLine("MON");
    ASSERT_TRUE(RunUntilPrompt(60));
    EXPECT_NE(FindRow("System Monitor"), -1);
    TypeLine("BASIC");
    ASSERT_TRUE(RunUntilBasicPrompt(60));
    EXPECT_EQ(Out("RUN"), "KEPT");
}

TEST(Basic, DirectStatements) {
    BasicBoot();
    const Case cases[] = {
        {"PRINT \"HELLO\";", "HELLO"},
        {"? 1+2*3;-4", " 7 -4"},
        {"FOR I=1 TO 3:PRINT I;:NEXT", " 1  2  3"},
        {"FOR I=9 TO 1 STEP -4:PRINT I;:NEXT I", " 9  5  1"},
        {"A$=\"AB\"+\"CD\":PRINT A$;LEN(A$)", "ABCD 4"},
        {"DIM B(3,4):B(2,3)=7:PRINT B(2,3);B(1,1)", " 7  0"},
        {"IF 1<2 THEN PRINT \"T\" ELSE PRINT \"F\"", "T"},
        {"IF 2<1 THEN PRINT \"T\" ELSE PRINT \"F\"", "F"},
        {"X%=7:Y=X%\\2:PRINT Y;7 MOD 3;-(1=1)", " 3  1  1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Out(c.line), c.shows) << c.line << "\n"
                                        << ScreenRow(CursorRow() - 2) << "\n"
                                        << ScreenRow(CursorRow() - 1);
}

TEST(Basic, ProgramRunsAndLists) {
    BasicBoot();
    Enter({"20 GOSUB 100:PRINT \"BACK\"", "10 PRINT 1", "30 END", "100 PRINT \"SUB\":RETURN"});
    int row = Basic("RUN");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), " 1");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "SUB");
    EXPECT_EQ(Trimmed(ScreenRow(row + 3)), "BACK");
    row = Basic("LIST");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), "10 PRINT 1");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "20 GOSUB 100:PRINT \"BACK\"");
    EXPECT_EQ(Trimmed(ScreenRow(row + 4)), "100 PRINT \"SUB\":RETURN");
}

TEST(Basic, NumbersPrintInTheDialectsForm) {
    BasicBoot();
    const Case cases[] = {
        {"? 1/3;2/3;-1/3", " .3333333  .6666667 -.3333333"},
        {"? 1E10;1.5E-5;-2.5E+12;1E6*10", " 1E+10  1.5E-05 -2.5E+12  1E+07"},
        {"? 123456.7;.01;100;0", " 123456.7  .01  100  0"},
        {"? SQR(2);2^10;3*0.1", " 1.414214  1024  .3"},
        {"? INT(-2.5);FIX(-2.5);ABS(-3);SGN(-4);SGN(0)", "-3 -2  3 -1  0"},
        {"? 2+3*4^2/8-1;(2+3)*4;-2^2;NOT 0;5 AND 3;5 OR 3", " 7  20 -4 -1  1  7"},
        {"? 1<2;2<=1;3<>3;\"B\">=\"A\";1=1 AND 2=2", "-1  0  0 -1 -1"},
        {"? 7\\2;-7\\2;7 MOD -3;&HFF;&H7FFF+1", " 3 -3  1  255  32768"},
        {"? EXP(0);LOG(EXP(2));SIN(0);COS(0);ATN(1)*4", " 1  2  0  1  3.141593"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Out(c.line), c.shows) << c.line;
}

TEST(Basic, EditorStoresReplacesAndDeletesLines) {
    BasicBoot();
    Enter({"30 PRINT 3", "10 PRINT 1", "20 PRINT 2", "40 PRINT 4", "20 PRINT 22", "30"});
    int row = Basic("LIST");
    const char* listed[] = {"10 PRINT 1", "20 PRINT 22", "40 PRINT 4", "Ok"};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(Trimmed(ScreenRow(row + 1 + i)), listed[i]);
    const Case ranges[] = {{"LIST 20", "20 PRINT 22"},
                           {"LIST 15-", "20 PRINT 22"},
                           {"LIST -10", "10 PRINT 1"},
                           {"LIST 20-40", "20 PRINT 22"},
                           {"LIST 50-", "Ok"}};
    for (const Case& c : ranges)
        EXPECT_EQ(Out(c.line), c.shows) << c.line;
    Enter({"10 GOTO 40", "20 ON X GOSUB 10,40:IF X THEN 40 ELSE 10"});
    Basic("RENUM 100,,5");
    const char* renumbered[] = {"100 GOTO 110", "105 ON X GOSUB 100,110:IF X THEN 110 ELSE 100",
                                "110 PRINT 4"};
    row = Basic("LIST");
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Trimmed(ScreenRow(row + 1 + i)), renumbered[i]);
    // EDIT puts the line into the input line: BS takes back its end.
    TypeLine("EDIT 110");
    PressKey(VK_BACK);
    TypeLine("5");
    RunSlices(10);
    EXPECT_EQ(Out("LIST 110"), "110 PRINT 5");
    Basic("DELETE 100-105");
    EXPECT_EQ(Out("LIST"), "110 PRINT 5");
    TypeLine("AUTO 200,20");
    RunSlices(5);
    TypeLine("PRINT 1");
    TypeLine("PRINT 2");
    TypeLine("");
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    row = Basic("LIST 200-");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "220 PRINT 2");
    // The cursor keys move in the line being typed: a letter goes in
    // before the cursor, DEL takes the one under it.
    TypeText("10 PRIT 5");
    for (int i = 0; i < 3; i++)
        PressKey(VK_LEFT);
    TypeLine("N");
    TypeText("20 PRINT 66");
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    PressKey(VK_DELETE);
    TypeLine("");
    row = Basic("LIST 10-20");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), "10 PRINT 5");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "20 PRINT 6");
    Basic("NEW");
    EXPECT_EQ(Out("LIST"), "Ok");
}

TEST(Basic, LongLinesWrapInBothWidths) {
    BasicBoot();
    for (int width : {40, 80}) {
        TypeLine("MON");
        ASSERT_TRUE(RunUntilPrompt(100));
        Command(width == 40 ? "WIDTH 40" : "WIDTH 80");
        TypeLine("BASIC");
        ASSERT_TRUE(RunUntilBasicPrompt(100));
        // 10 A$="xxx...": 200 characters, wrapping onto several rows.
        std::string line = "10 A$=\"" + std::string(190, 'X') + "\"";
        Enter({line});
        Basic("RUN");
        EXPECT_EQ(Out("PRINT LEN(A$)"), " 190") << width;
        int row = Basic("LIST");
        EXPECT_EQ(Trimmed(ScreenRow(row + 1)).substr(0, 8), "10 A$=\"X") << width;
        // One character beyond the limit is refused.
        TypeLine("PRINT \"" + std::string(250, 'Y') + "\"");
        EXPECT_TRUE(RunUntilBasicPrompt(100));
        EXPECT_NE(FindRow("?Line buffer overflow"), -1) << width;
        Basic("CLS");
    }
}

TEST(Basic, ErrorsNameTheLineAndKeepTheProgram) {
    BasicBoot();
    const Case cases[] = {
        {"10 PRINT 1+", "?Syntax error in 10"},
        {"10 X=1/0", "?Division by zero in 10"},
        {"10 GOTO 99", "?Undefined line number in 10"},
        {"10 NEXT", "?NEXT without FOR in 10"},
        {"10 RETURN", "?RETURN without GOSUB in 10"},
        {"10 READ X", "?Out of DATA in 10"},
        {"10 DIM A(3):A(4)=1", "?Subscript out of range in 10"},
        {"10 A$=1", "?Type mismatch in 10"},
        {"10 X%=40000", "?Overflow in 10"},
        {"10 PRINT CHR$(300)", "?Illegal function call in 10"},
        {"10 A$=STRING$(200,65):B$=A$+A$", "?String too long in 10"},
        {"10 DIM A(2):DIM A(3)", "?Redimensioned array in 10"},
    };
    for (const Case& c : cases) {
        Enter({c.line});
        int row = Basic("RUN");
        EXPECT_EQ(Trimmed(ScreenRow(row + 1)), c.shows) << c.line;
        EXPECT_EQ(Out("LIST"), c.line);
    }
    EXPECT_EQ(Out("CONT"), "?Can't continue");
}

TEST(Basic, StrangeInputGetsAnErrorAndTheMachineAnswers) {
    BasicBoot();
    Enter({"5 REM KEPT"});
    std::string deep = "? " + std::string(35, '(') + "1" + std::string(35, ')');
    const Case direct[] = {
        {deep.c_str(), " 1"},
        {"@#$%", "?Syntax error"},
        {"? \"OPEN", "OPEN"},
        {"? 1E99", "?Overflow"},
        {"X=", "?Syntax error"},
        {"NEXT", "?NEXT without FOR"},
        {"RETURN", "?RETURN without GOSUB"},
        {"INPUT A", "?Illegal direct"},
        {"? A(-1)", "?Subscript out of range"},
        {"? FNZ(1)", "?Undefined user function"},
    };
    for (const Case& c : direct)
        EXPECT_EQ(Out(c.line), c.shows) << c.line;
    // Recursion without end runs out of room, not off the stack.
    const Case programs[] = {
        {"10 GOSUB 10", "?Out of memory in 10"},
        {"10 DEF FNA(X)=FNA(X)+1:PRINT FNA(1)", "?Out of memory in 10"},
        {"10 FOR I=1 TO 2:GOSUB 10", "?Out of memory in 10"},
    };
    for (const Case& c : programs) {
        Enter({c.line});
        EXPECT_EQ(Out("RUN"), c.shows) << c.line;
    }
    int row = Basic("LIST");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), "5 REM KEPT");
}

TEST(Basic, StopBreaksAndContGoesOn) {
    BasicBoot();
    Enter({"10 FOR I=1 TO 3", "20 PRINT I", "30 IF I=2 THEN STOP", "40 NEXT"});
    int row = Basic("RUN");
    EXPECT_EQ(Trimmed(ScreenRow(row + 3)), "Break in 30");
    row = Basic("CONT");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), " 3");
    Enter({"10 GOTO 10"});
    TypeLine("RUN");
    RunSlices(50);
    EXPECT_FALSE(AtBasicPrompt());
    PressKey(VK_END);
    ASSERT_TRUE(RunUntilBasicPrompt(50));
    EXPECT_EQ(Trimmed(ScreenRow(CursorRow() - 2)), "Break in 10");
}

TEST(Basic, StringFunctions) {
    BasicBoot();
    Basic("A$=\"HELLO WORLD\"");
    const Case cases[] = {
        {"? LEFT$(A$,4);\"|\";RIGHT$(A$,3);\"|\";MID$(A$,7);\"|\";MID$(A$,2,3)",
         "HELL|RLD|WORLD|ELL"},
        {"? LEN(A$);ASC(A$);CHR$(65);STR$(-12);VAL(\" -34X\")", " 11  72 A-12-34"},
        {"? HEX$(255);\"|\";HEX$(&H1A2B);\"|\";INSTR(A$,\"O\");INSTR(6,A$,\"O\");INSTR(A$,\"Z\")",
         "FF|1A2B| 5  8  0"},
        {"? STRING$(3,\"*\");SPACE$(2);STRING$(2,66);\"|\"", "***  BB|"},
        {"? \"ABC\"<\"ABD\";\"B\">\"AB\";\"A\"=\"A\";\"\"<\"A\"", "-1 -1 -1 -1"},
        {"B$=A$:MID$(B$,2,3)=\"ips\":MID$(B$,10)=\"XYZ\":? B$", "HipsO WORXY"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Out(c.line), c.shows) << c.line;
}

TEST(Basic, CollectorKeepsStringsUnderPressure) {
    BasicBoot();
    // Far more string garbage than memory: the collector runs many times
    // and the live strings, in variables and an array, stay whole.
    Enter({"10 DIM S$(20):K$=\"KEEP\"", "20 FOR I=1 TO 400:T$=STRING$(200,65+I MOD 26)",
           "30 S$(I MOD 21)=LEFT$(T$,I MOD 50)+K$:NEXT", "40 N=0:FOR I=0 TO 20:N=N+LEN(S$(I)):NEXT",
           "50 PRINT N;RIGHT$(S$(7),5);LEFT$(S$(20),2)", "60 DIM X(20000)"});
    int row = Basic("RUN", 20000);
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), " 874 VKEEPII");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "?Out of memory in 60");
}

TEST(Basic, ArraysAndControlFlow) {
    BasicBoot();
    Enter({"10 DIM M(2,3,4),N%(5)",
           "20 FOR I=0 TO 2:FOR J=0 TO 3:FOR K=0 TO 4:M(I,J,K)=I*100+J*10+K:NEXT K,J,I",
           "30 N%(5)=-7:PRINT M(2,3,4);M(1,2,3);N%(5);Q(10)",
           "40 FOR I=1 TO 3:ON I GOSUB 100,110,120:NEXT", "50 ON 2 GOTO 60,70", "60 PRINT \"NO\"",
           "70 DEF FNS(X)=X*X+1:PRINT FNS(3);FNS(FNS(1))", "80 X=5:SWAP X,Y:PRINT X;Y", "90 END",
           "100 PRINT \"A\";:RETURN", "110 PRINT \"B\";:RETURN", "120 PRINT \"C\":RETURN"});
    int row = Basic("RUN");
    EXPECT_EQ(Trimmed(ScreenRow(row + 1)), " 234  123 -7  0");
    EXPECT_EQ(Trimmed(ScreenRow(row + 2)), "ABC");
    EXPECT_EQ(Trimmed(ScreenRow(row + 3)), " 10  5");
    EXPECT_EQ(Trimmed(ScreenRow(row + 4)), " 0  5");
}

TEST(Basic, DataReadRestoreAndInput) {
    BasicBoot();
    Enter({"10 READ A,B$,C:PRINT A;B$;C", "20 RESTORE 50:READ D:PRINT D", "30 DATA 1,\"X,Y\",2",
           "40 DATA 3", "50 DATA 4", "60 INPUT \"NAME\";N$,V:PRINT N$;V*2"});
    TypeLine("RUN");
    RunSlices(100);
    EXPECT_NE(FindRow(" 1 X,Y 2"), -1);
    EXPECT_NE(FindRow(" 4"), -1);
    EXPECT_NE(FindRow("NAME? "), -1);
    TypeLine("BOB,X");
    RunSlices(50);
    EXPECT_NE(FindRow("?Redo from start"), -1);
    TypeLine("BOB");
    RunSlices(50);
    EXPECT_NE(FindRow("?? "), -1);
    TypeLine("21,5");
    ASSERT_TRUE(RunUntilBasicPrompt(100));
    EXPECT_EQ(Trimmed(ScreenRow(CursorRow() - 3)), "?Extra ignored");
    EXPECT_EQ(Trimmed(ScreenRow(CursorRow() - 2)), "BOB 42");
}

TEST(Basic, TapeKeepsAProgramAndAMemoryRange) {
    BasicBoot();
    std::filesystem::path tape = std::filesystem::temp_directory_path() /
                                 ("z80home-basic-" + std::to_string(getpid()) + ".tape");
    std::filesystem::remove(tape);
    SetCMTFile(tape.string().c_str());
    Enter({"10 PRINT \"FROM TAPE\"", "20 END"});
    Basic("SAVE \"PROG\"");
    Basic("FOR I=0 TO 9:POKE &H8000+I,I*3:NEXT");
    Basic("BSAVE \"BYTES\",&H8000,10");
    Basic("NEW");
    Basic("FOR I=0 TO 9:POKE &H8000+I,0:NEXT");
    SetCMTFile(tape.string().c_str()); // from the start again
    Basic("LOAD \"PROG\"");
    EXPECT_EQ(Out("LIST"), "10 PRINT \"FROM TAPE\"");
    EXPECT_EQ(Out("RUN"), "FROM TAPE");
    Basic("BLOAD \"BYTES\",&H9000");
    EXPECT_EQ(Out("? PEEK(&H9000);PEEK(&H9009);PEEK(&H8009)"), " 0  27  0");
    // The monitor loads the program's record too.
    TypeLine("MON");
    ASSERT_TRUE(RunUntilPrompt(60));
    SetCMTFile(tape.string().c_str());
    Command("LOAD PROG");
    EXPECT_NE(FindRow("Loaded"), -1);
    std::filesystem::remove(tape);
}

TEST(Basic, ScreenStatementsShowOnThePicture) {
    BasicBoot();
    constexpr COLORREF kRed = 0x0000FF;
    Basic("CLS:COLOR 2:LOCATE 5,3:PRINT \"R\";");
    EXPECT_EQ(ScreenRow(3).substr(5, 1), "R");
    EXPECT_TRUE(CellHasInk(3, 5));
    bool red = false;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            red = red || CellPixel(3, 5, x, y) == kRed;
    EXPECT_TRUE(red) << "COLOR 2 draws red text";
    Basic("COLOR 7");
    // Dots, on rows the text does not reach: PSET (21,80) is column 10,
    // row 20, right half, top band; LINE fills the top bands of row 21 from
    // column 0 to 4, and two PRESETs take column 2's back.
    Basic("PSET (21,80):LINE (0,84)-(9,84):PRESET (4,84):PRESET (5,84)");
    EXPECT_NE(CellPixel(20, 10, 4, 0), CellPixel(20, 10, 0, 0));
    EXPECT_TRUE(CellHasInk(21, 0));
    EXPECT_TRUE(CellHasInk(21, 4));
    EXPECT_FALSE(CellHasInk(21, 2));
    EXPECT_FALSE(CellHasInk(21, 5));
    EXPECT_EQ(Out("? POINT(21,80);POINT(20,80);POINT(4,84)"), "-1  0  0");
    Basic("WIDTH 40,20");
    EXPECT_EQ(Get(machine.columns80), 0);
    EXPECT_EQ(Get(machine.rows25), 0);
    EXPECT_EQ(Out("? \"AB\""), "AB");
}

} // namespace
