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

} // namespace
