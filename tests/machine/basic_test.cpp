// BASIC typed at through the keyboard, checked on the screen.
#include <gtest/gtest.h>

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
        EXPECT_EQ(Out(c.line), c.shows) << c.line << "\n" << ScreenRow(CursorRow() - 2) << "\n" << ScreenRow(CursorRow() - 1);
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

TEST(Basic, EditorStoresReplacesAndDeletesLines) {
    BasicBoot();
    Enter({"30 PRINT 3", "10 PRINT 1", "20 PRINT 2", "40 PRINT 4", "20 PRINT 22", "30"});
    int row = Basic("LIST");
    const char* listed[] = {"10 PRINT 1", "20 PRINT 22", "40 PRINT 4", "Ok"};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(Trimmed(ScreenRow(row + 1 + i)), listed[i]);
    const Case ranges[] = {{"LIST 20", "20 PRINT 22"}, {"LIST 15-", "20 PRINT 22"}, {"LIST -10", "10 PRINT 1"},
                           {"LIST 20-40", "20 PRINT 22"}, {"LIST 50-", "Ok"}};
    for (const Case& c : ranges)
        EXPECT_EQ(Out(c.line), c.shows) << c.line;
    Basic("DELETE 10-20");
    EXPECT_EQ(Out("LIST"), "40 PRINT 4");
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

} // namespace
