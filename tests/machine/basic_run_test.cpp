// BASIC running programs: the faults of jumps, held pointers, error paths,
// integer division, glyphs and long lines, each group typed at the machine
// and checked on the screen.
#include <gtest/gtest.h>

#include <random>

#include "core/z80home.h"
#include "state/machine_state.h"

#include "tests/machine/machine_support.h"

namespace {

using Rows = std::vector<std::string>;

// Types the program after NEW and runs it.
Rows RunProgram(const std::vector<std::string>& program) {
    Basic("NEW");
    Enter(program);
    return BasicOutput("RUN", 3000);
}

TEST(BasicRun, JumpsFindTheirLineAfterReturnAndNext) {
    BasicBoot();
    // A forward jump from a line that RETURN or NEXT came back into, and
    // an error there names that line.
    EXPECT_EQ(RunProgram({"10 GOSUB 100:GOTO 20", "20 PRINT \"TWENTY\"", "30 END", "100 RETURN"}),
              Rows{"TWENTY"});
    EXPECT_EQ(RunProgram({"10 FOR I=1 TO 2:IF I=2 THEN 30", "20 GOTO 40", "30 PRINT \"THIRTY\":END",
                          "40 NEXT I"}),
              Rows{"THIRTY"});
    EXPECT_EQ(RunProgram({"10 GOSUB 100:X=1/0", "100 RETURN"}), Rows{"?Division by zero in 10"});
    EXPECT_EQ(RunProgram({"10 FOR I=1 TO 2:GOSUB 100:NEXT:PRINT Q(11)", "100 RETURN"}),
              Rows{"?Subscript out of range in 10"});
    EXPECT_EQ(RunProgram({"10 FOR I=1 TO 2", "20 NEXT:GOSUB 30:ON I GOTO 40,40,50", "30 RETURN",
                          "40 PRINT 40", "50 PRINT I"}),
              Rows{" 3"});
    // A GOSUB and a loop typed as a direct command come back to it.
    EXPECT_EQ(BasicOutput("GOSUB 30:PRINT \"D\";:FOR I=1 TO 2:PRINT I;:NEXT:GOTO 50"),
              Rows{"D 1  2  3"});
}

TEST(BasicRun, NewVariablesMoveNoArrayUnderAHeldPointer) {
    BasicBoot();
    // Each FN's first call used to make its parameter, moving the arrays
    // while an element, or a string operand in one, was held.
    EXPECT_EQ(RunProgram({"10 DIM A(3),A$(3):A$(1)=\"HI\":A$(2)=\"ABCDEF\"",
                          "20 DEF FNF(X)=X*2:DEF FNG(Y)=Y+64:DEF FNH(Z)=Z+1:DEF FNI(W)=W",
                          "30 A(1)=FNF(5):PRINT A(0);A(1)", "40 PRINT A$(1)+CHR$(FNG(1))",
                          "50 PRINT LEFT$(A$(2),FNH(2));A$(1)<CHR$(FNG(9))",
                          "60 MID$(A$(2),FNI(2))=\"XY\":PRINT A$(2)"}),
              (Rows{" 0  10", "HIA", "ABC-1", "AXYDEF"}));
    // FOR takes a simple variable only.
    EXPECT_EQ(RunProgram({"10 DIM A(3):FOR A(1)=1 TO 3:NEXT"}), Rows{"?Syntax error in 10"});
    EXPECT_EQ(BasicOutput("PRINT A(0);A(1);A(2)"), Rows{" 0  0  0"});
}

TEST(BasicRun, ErrorsKeepTheProgramAndVariablesAndClearWhatWasHalfDone) {
    BasicBoot();
    // A DIM stopped by an error leaves no DIM behind it: arrays used later
    // are found and made as usual, and nothing lands in low memory.
    uint8_t low[8];
    for (int i = 0; i < 8; i++)
        low[i] = Peek(i);
    const char* stopped[] = {"DIM Q(3):DIM Q(4)", "DIM Q(30000)"};
    for (const char* dim : stopped) {
        BasicOutput(dim);
        EXPECT_EQ(BasicOutput("B(2)=5:PRINT B(2);Q(1)"), Rows{" 5  0"}) << dim;
        EXPECT_EQ(BasicOutput("DIM C(2):C(1)=7:PRINT C(1)"), Rows{" 7"}) << dim;
        Basic("CLEAR");
    }
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(Peek(i), low[i]);
    // Integer division: the one quotient that does not fit.
    EXPECT_EQ(BasicOutput("? -32768 \\ -1"), Rows{"?Overflow"});
    EXPECT_EQ(BasicOutput("? -32768 MOD -1;-32768\\1;32767\\-1;-7\\2;-7 MOD 2"),
              Rows{" 0 -32768 -32767 -3 -1"});
    // After an error in a program, anywhere, the program, the variables and
    // the loops' variables stay, and the next error names its own line.
    Basic("NEW");
    Enter({"10 A=5:B$=\"KEPT\":DIM C(2):C(2)=9", "20 FOR I=1 TO 3:GOSUB 100:NEXT", "30 END",
           "100 IF I=2 THEN PRINT -32768\\-1", "110 RETURN"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{"?Overflow in 100"});
    EXPECT_EQ(BasicOutput("PRINT A;B$;C(2);I"), Rows{" 5 KEPT 9  2"});
    EXPECT_EQ(BasicOutput("LIST 10"), Rows{"10 A=5:B$=\"KEPT\":DIM C(2):C(2)=9"});
    EXPECT_EQ(BasicOutput("GOTO 30:PRINT 1/0"), Rows{});
    // An error inside FN calls gives their parameters their values back.
    Basic("NEW");
    Enter({"10 DEF FNF(X)=1/X:DEF FNG(Y)=FNF(Y-1)+Y", "20 DEF FNR(X)=FNR(X+1)",
           "30 X=7:Y=3:PRINT FNG(1)"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{"?Division by zero in 30"});
    EXPECT_EQ(BasicOutput("PRINT X;Y;FNG(5);X;Y"), Rows{" 7  3  5.25  7  3"});
    EXPECT_EQ(BasicOutput("PRINT FNR(1)"), Rows{"?Out of memory"});
    EXPECT_EQ(BasicOutput("PRINT X"), Rows{" 7"});
    EXPECT_EQ(BasicOutput("PRINT 1/0"), Rows{"?Division by zero"});
}

TEST(BasicRun, ListingsOfTheTimeRunAsTheyWereTyped) {
    BasicBoot();
    // The machine's own words are keywords only standing alone: inside a
    // name they are its letters; and MON stops a program, which never
    // leaves BASIC without a word.
    EXPECT_EQ(
        RunProgram({"10 MONTH=12:LEMON=3:GLYPHS=1:ATTRIB=2:PRINT MONTH;MO;LEMON;GL;AT", "20 MON"}),
        (Rows{" 12  12  3  1  2", "?Illegal direct in 20"}));
    // Spaces inside a number are passed over, as the dialect reads it, and
    // a DATA item that is no number is an error of the DATA's line.
    EXPECT_EQ(RunProgram({"10 ON ERROR GOTO 100", "20 READ A,B:PRINT 1 2;VAL(\" 1 . 5\");A;B",
                          "30 DATA 1 2,X", "40 END", "100 PRINT ERR;ERL:RESUME NEXT"}),
              (Rows{" 2  30", " 12  1.5  12  0"}));
    EXPECT_EQ(RunProgram({"10 READ A", "20 DATA Y"}), Rows{"?Syntax error in 20"});
    // WHILE loops, typed directly and renumbered.
    EXPECT_EQ(BasicOutput("I=0:WHILE I<3:I=I+1:PRINT I;:WEND"), Rows{" 1  2  3"});
    Basic("NEW");
    Enter({"5 WHILE J<2:J=J+1:K=0", "7 WHILE K<2:K=K+1:PRINT J*10+K;", "8 WEND", "9 WEND"});
    Basic("RENUM");
    EXPECT_EQ(
        BasicOutput("LIST"),
        (Rows{"10 WHILE J<2:J=J+1:K=0", "20 WHILE K<2:K=K+1:PRINT J*10+K;", "30 WEND", "40 WEND"}));
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 11  12  21  22"});
}

TEST(BasicRun, GlyphDefinesEveryRowOfDots) {
    BasicBoot();
    SetPCG(2);
    std::mt19937 rng(22);
    for (int round = 0; round < 4; round++) {
        int code = 128 + int(rng() % 128);
        int rows = 1 + int(rng() % 8);
        uint8_t dots[8] = {};
        std::string line = "CLS:GLYPH " + std::to_string(code);
        for (int y = 0; y < rows; y++) {
            dots[y] = uint8_t(rng());
            line += "," + std::to_string(dots[y]);
        }
        Basic(line + ":LOCATE 3,5:PRINT CHR$(" + std::to_string(code) + ");");
        COLORREF paper = CellPixel(10, 10, 0, 0);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                EXPECT_EQ(CellPixel(5, 3, x, y) != paper, (dots[y] >> (7 - x) & 1) != 0)
                    << line << " dot " << x << "," << y;
    }
    SetPCG(0);
}

TEST(BasicRun, LinesEndAndStopBreaksThem) {
    BasicBoot();
    EXPECT_EQ(BasicOutput("LINE (0,0)-(16384,0)"), Rows{"?Illegal function call"});
    EXPECT_EQ(BasicOutput("LINE (0,-4097)-(0,0)"), Rows{"?Illegal function call"});
    Basic("CLS:LINE (-4096,4095)-(4095,0)", 20000);
    EXPECT_EQ(BasicOutput("? POINT(0,2048);POINT(79,2008)"), Rows{" 0  0"});
    Basic("CLS:LINE (4095,43)-(-4096,43)", 20000);
    EXPECT_EQ(BasicOutput("? POINT(0,43);POINT(100,43);POINT(0,44)"), Rows{"-1 -1  0"});
    // A line whose dots on the screen come last is broken off before it
    // reaches them.
    Basic("CLS");
    TypeLine("LINE (4095,4095)-(-4096,-4096)");
    PressKey(VK_END);
    ASSERT_TRUE(RunUntilBasicPrompt(20000));
    EXPECT_EQ(TrimmedRow(CursorRow() - 2), "Break");
    EXPECT_EQ(BasicOutput("? POINT(0,0);POINT(10,10)"), Rows{" 0  0"});
}

} // namespace
