// The statements that listings of the early 1980s lean on, a family a
// test: every keyword's token, whole-line input, the small functions,
// tracing and ERASE, the function keys, programs as text on tape, the
// types; typed at the machine and checked on its screen against what the
// dialect says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/z80home.h"
#include "tests/machine/machine_support.h"
#include "tests/rom/number_text.h"

namespace {

using Rows = std::vector<std::string>;

// The screen's rows from `from` up to the cursor's row, trimmed.
Rows RowsSince(int from) {
    Rows rows;
    for (int r = from; r < CursorRow(); r++)
        rows.push_back(TrimmedRow(r));
    return rows;
}

TEST(BasicDialect, LineInputAndInputDollarTakeKeysAsTyped) {
    BasicBoot();
    Basic("NEW");
    Enter({"10 LINE INPUT \"LINE:\";A$:CLS:PRINT \"<\";A$;\">\";LEN(A$)",
           "20 IF A$<>\"END\" THEN 10",
           "30 B$=INPUT$(4):LINE INPUT C$:PRINT \"(\";B$;\")(\";C$;\")\""});
    TypeLine("RUN");
    // Whatever a line holds comes back whole: commas, quotes, colons and
    // the spaces around it, which INPUT would take apart or drop.
    std::mt19937 rng(1981);
    static const char kChars[] = "AZaz09 ,:;\"'.?*+-=()!#$%&";
    for (int i = 0; i < 12; i++) {
        std::string line(rng() % 30, ' ');
        for (char& c : line)
            c = kChars[rng() % (sizeof kChars - 1)];
        ASSERT_TRUE(RunUntilIdle(200));
        TypeLine(line);
        ASSERT_TRUE(RunUntilIdle(200));
        EXPECT_EQ(TrimmedRow(0), "<" + line + "> " + std::to_string(line.size())) << line;
    }
    TypeLine("END");
    ASSERT_TRUE(RunUntilIdle(200));
    // INPUT$ takes its four keys without showing them; the rest of the
    // line is LINE INPUT's, which shows no question mark.
    int row = CursorRow();
    TypeLine("ab,\"cdef");
    ASSERT_TRUE(RunUntilBasicPrompt(200));
    EXPECT_EQ(RowsSince(row), (Rows{"cdef", "(ab,\")(cdef)", "Ok"}));
    // STOP breaks off a program waiting in INPUT$.
    Basic("NEW");
    Enter({"10 A$=INPUT$(2)"});
    TypeLine("RUN");
    PressKey('X');
    PressKey(VK_END);
    ASSERT_TRUE(RunUntilBasicPrompt(200));
    EXPECT_EQ(TrimmedRow(CursorRow() - 2), "Break in 10");
    // A reply too long for the input line is asked for again, after its
    // prompt: INPUT's ?? for the values still wanted, LINE INPUT's own.
    Basic("NEW");
    Enter({"10 INPUT \"N\";A,B:LINE INPUT \"L:\";C$:PRINT A;B;C$"});
    TypeLine("RUN");
    const std::pair<const char*, const char*> kReplies[] = {{"1", ""}, {"2", "??"}, {"C", "L:"}};
    for (const auto& [reply, prompt] : kReplies) {
        ASSERT_TRUE(RunUntilIdle(200));
        if (*prompt) {
            TypeLine(std::string(256, 'X'));
            ASSERT_TRUE(RunUntilIdle(200));
            EXPECT_EQ(TrimmedRow(CursorRow() - 1), "?Line buffer overflow");
            EXPECT_EQ(TrimmedRow(CursorRow()), prompt);
        }
        TypeLine(reply);
    }
    ASSERT_TRUE(RunUntilBasicPrompt(200));
    EXPECT_EQ(TrimmedRow(CursorRow() - 2), " 1  2 C");
    // LINE INPUT wants a string variable, and a program.
    Enter({"10 LINE INPUT A"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{"?Type mismatch in 10"});
    EXPECT_EQ(BasicOutput("LINE INPUT A$"), Rows{"?Illegal direct"});
}

// Every form of INPUT and LINE INPUT shows its prompt after what the line
// already holds, before a key is typed, and takes the reply; INPUT asks
// "??" for the values a reply left out.
TEST(BasicDialect, EveryFormOfInputShowsItsPrompt) {
    BasicBoot();
    struct Form {
        const char* statement;
        const char* shown;
        const char* reply;
    };
    const Form forms[] = {
        {"INPUT A$", "?", "X"},
        {"INPUT \"NAME\";A$", "NAME?", "X"},
        {"INPUT \"NAME\",A$", "NAME?", "X"},
        {"INPUT \"\";A$", "?", "X"},
        {"INPUT \"TWO\";A$,B$", "TWO?", "X,Y"},
        {"INPUT A$,B$", "?", "X"},
        {"LINE INPUT A$", "", "X"},
        {"LINE INPUT \"NAME? \";A$", "NAME?", "X"},
        {"LINE INPUT \"NAME:\",A$", "NAME:", "X"},
    };
    for (const Form& form : forms) {
        Basic("NEW");
        Enter({std::string("10 PRINT \"AT>\";:") + form.statement + ":PRINT \"<\";A$;\">\""});
        TypeLine("RUN");
        ASSERT_TRUE(RunUntilIdle(200));
        EXPECT_EQ(TrimmedRow(CursorRow()), std::string("AT>") + form.shown) << form.statement;
        TypeLine(form.reply);
        if (RunUntilIdle(200) && TrimmedRow(CursorRow()) == "??") TypeLine("Y");
        ASSERT_TRUE(RunUntilBasicPrompt(200)) << form.statement;
        EXPECT_EQ(TrimmedRow(CursorRow() - 2), "<X>") << form.statement;
    }
}

TEST(BasicDialect, SmallFunctionsAgreeWithTheirDefinitions) {
    BasicBoot();
    Basic("WIDTH 80");
    std::mt19937 rng(1983);
    for (int i = 0; i < 20; i++) {
        // HEX$ and OCT$ of any address, -32768 to 65535, negative ones from
        // 65536; an Overflow beyond.
        int n = int(rng() % 131071) - 65535;
        unsigned u = unsigned(n) & 0xFFFF;
        char hex[8], oct[8];
        std::snprintf(hex, sizeof hex, "%X", u);
        std::snprintf(oct, sizeof oct, "%o", u);
        EXPECT_EQ(
            BasicOutput("? HEX$(" + std::to_string(n) + ");\" \";OCT$(" + std::to_string(n) + ")"),
            Rows{n < -32768 ? "?Overflow" : std::string(hex) + " " + oct})
            << n;
        // CINT rounds halves away from zero and is an Overflow beyond an
        // integer; CSNG keeps its number.
        float x = float(int(rng() % 320001) - 160000) / 4;
        std::string shown = BasicOutput("? CINT(" + std::to_string(x) + ")")[0];
        long rounded = std::lround(x);
        if (rounded < -32768 || rounded > 32767)
            EXPECT_EQ(shown, "?Overflow") << x;
        else
            EXPECT_EQ(shown, NumberText(float(rounded))) << x;
        // VARPTR: where the value lies, low byte first; CSRLIN and POS
        // follow LOCATE; LPOS has no printer to follow.
        int v = int(rng() % 65536) - 32768, col = int(rng() % 60), line = int(rng() % 20);
        EXPECT_EQ(BasicOutput("A%=" + std::to_string(v) + ":P=VARPTR(A%):? PEEK(P)+256*PEEK(P+1)"),
                  Rows{NumberText(float(v & 0xFFFF))});
        Basic("LOCATE " + std::to_string(col) + "," + std::to_string(line) +
              ":R=CSRLIN:C=POS(0):CLS:? R;C;LPOS(0);CSNG(1.5)");
        EXPECT_EQ(TrimmedRow(0),
                  NumberText(float(line)) + " " + NumberText(float(col)) + "  0  1.5");
    }
    // INSTR from a start past the end finds nothing, not even nothing.
    EXPECT_EQ(BasicOutput("? INSTR(4,\"ABC\",\"\");INSTR(3,\"ABC\",\"\");INSTR(\"\",\"\")"),
              Rows{" 0  3  0"});
    // A string's VARPTR is its descriptor: the length, then the text.
    EXPECT_EQ(BasicOutput("S$=\"HEY\":P=VARPTR(S$):? PEEK(P);CHR$(PEEK(PEEK(P+1)+256*PEEK(P+2)))"),
              Rows{" 3 H"});
}

TEST(BasicDialect, TronShowsEachLineAndEraseFreesArrays) {
    BasicBoot();
    Basic("NEW");
    Enter({"10 I=0", "20 I=I+1:IF I<3 THEN 20", "30 TROFF:PRINT I"});
    EXPECT_EQ(BasicOutput("TRON:RUN"), (Rows{"[10][20][20][20][30] 3"}));
    EXPECT_EQ(BasicOutput("RUN"), (Rows{" 3"}));
    Basic("TRON:NEW");
    Enter({"10 PRINT 1"});
    EXPECT_EQ(BasicOutput("RUN"), (Rows{" 1"}));
    // Arrays made and erased in any order: the memory comes back whole,
    // the arrays left keep their elements, and an erased one is new again.
    std::mt19937 rng(1984);
    int empty = std::stoi(BasicOutput("CLEAR:S=0:I=0:? FRE(\"\")")[0]);
    const char* names[] = {"A", "B$", "C%", "D"};
    int made[4] = {}, sizes[4] = {}; // the value in each array's last element, 0 if none
    for (int step = 0; step < 24; step++) {
        int which = int(rng() % 4);
        std::string name = names[which];
        bool text = name.back() == '$';
        if (made[which]) {
            Basic("ERASE " + name);
            made[which] = 0;
        } else {
            made[which] = 1 + int(rng() % 99);
            sizes[which] = 1 + int(rng() % 30);
            std::string last = name + "(" + std::to_string(sizes[which]) + ")";
            std::string value = std::to_string(made[which]);
            Basic("DIM " + last + ":" + last + "=" + (text ? "STR$(" + value + ")" : value));
        }
        for (int a = 0; a < 4; a++) {
            if (!made[a]) continue;
            std::string last = std::string(names[a]) + "(" + std::to_string(sizes[a]) + ")";
            if (names[a][1] == '$') last = "VAL(" + last + ")";
            EXPECT_EQ(BasicOutput("? " + last), Rows{NumberText(float(made[a]))})
                << names[a] << " at step " << step;
        }
        if (std::count(made, made + 4, 0) == 4) {
            EXPECT_EQ(BasicOutput("? FRE(\"\")"), Rows{" " + std::to_string(empty)}) << step;
        }
    }
    EXPECT_EQ(BasicOutput("ERASE Q"), Rows{"?Illegal function call"});
}

TEST(BasicDialect, FunctionKeysTypeTheirTexts) {
    BasicBoot();
    // The texts at power on; a carriage return shows as its glyph.
    EXPECT_EQ(BasicOutput("KEY LIST"),
              (Rows{"F1 LIST", "F2 RUN~", "F3 LOAD\"", "F4 SAVE\"", "F5 CONT~"}));
    // Random texts, of which a key keeps 15 characters; pressed in any
    // order, several to a line, each types its own.
    std::mt19937 rng(1985);
    static const char kChars[] = "ABCXYZ019 ,.:;+-*=()!#$%&";
    std::string texts[5];
    for (int n = 4; n >= 0; n--) { // the last first: one overrunning its slot shows
        std::string text(1 + rng() % 24, ' ');
        for (char& c : text)
            c = kChars[rng() % (sizeof kChars - 1)];
        Basic("KEY " + std::to_string(n + 1) + ",\"" + text + "\"");
        texts[n] = text.substr(0, 15);
    }
    Rows listed;
    for (int n = 0; n < 5; n++) {
        std::string row = "F" + std::to_string(n + 1) + " " + texts[n];
        listed.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    }
    EXPECT_EQ(BasicOutput("KEY LIST"), listed);
    Basic("NEW");
    Enter({"10 LINE INPUT A$:CLS:PRINT \"<\";A$;\">\":GOTO 10"});
    TypeLine("RUN");
    const int kKeys[] = {VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_TAB};
    for (int line = 0; line < 6; line++) {
        std::string typed;
        for (int k = int(rng() % 4); k > 0; k--) {
            int which = int(rng() % 6);
            PressKey(kKeys[which]);
            typed += texts[which % 5];
        }
        PressKey(VK_RETURN);
        ASSERT_TRUE(RunUntilIdle(400));
        EXPECT_EQ(TrimmedRow(0), "<" + typed.substr(0, 255) + ">") << line;
    }
    PressKey(VK_END);
    ASSERT_TRUE(RunUntilBasicPrompt(100));
    // A text's carriage return enters the line; INKEY$ and INPUT$ take a
    // text a character at a time.
    Basic("KEY 2,\"?7*6\"+CHR$(13):KEY 4,\"XYZ\"");
    int row = CursorRow();
    PressKey(VK_F2);
    ASSERT_TRUE(RunUntilBasicPrompt(100));
    EXPECT_EQ(RowsSince(row), (Rows{"?7*6", " 42", "Ok"}));
    Basic("NEW");
    Enter({"10 A$=INKEY$:IF A$=\"\" THEN 10", "20 B$=INPUT$(3):PRINT A$;\"/\";B$"});
    TypeLine("RUN");
    PressKey(VK_F4);
    PressKey('Q');
    ASSERT_TRUE(RunUntilBasicPrompt(100));
    EXPECT_EQ(TrimmedRow(CursorRow() - 2), "X/YZQ");
    EXPECT_EQ(BasicOutput("KEY 6,\"A\""), Rows{"?Illegal function call"});
    EXPECT_EQ(BasicOutput("KEY OFF:KEY ON:PRINT 1"), Rows{" 1"});
}

// The program as it is stored, from TXTTAB to its end.
std::vector<uint8_t> Program() {
    int txttab = RomSymbol("TXTTAB");
    return Memory(txttab, PeekWord(RomSymbol("VARTAB")) - txttab);
}

// The data of the tape's records, of type 1 (memory) or 2 (text).
std::vector<std::pair<int, std::vector<uint8_t>>> TapeRecords(const std::string& tape) {
    std::vector<uint8_t> bytes = ReadFile(tape);
    std::vector<std::pair<int, std::vector<uint8_t>>> records;
    for (size_t at = 0; at + 34 <= bytes.size();) {
        at += 18; // leader and sync
        int type = bytes[at], length = bytes[at + 11] | bytes[at + 12] << 8;
        at += 14;
        records.push_back({type, {bytes.begin() + at, bytes.begin() + at + length}});
        at += length + 2;
    }
    return records;
}

void WriteTape(const std::string& tape, const std::vector<uint8_t>& bytes) {
    std::ofstream(tape, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    SetCMTFile(tape.c_str());
}

// A line of a program as a reader would type it: keywords in either case,
// with and without spaces, ? for PRINT, strings and remarks.
std::string RandomLine(std::mt19937& rng, int number) {
    static const char* const kStatements[] = {
        "PRINT \"HELLO, WORLD\";A$",
        "?X*2:GOTO 10",
        "for i=1to9 step 2:next",
        "IF A<>B THEN 20 ELSE 30",
        "A$=MID$(\"ABC\",2)+CHR$(65)",
        "REM it's \"all\" kept: 1,2",
        "DATA 1,two,\"3\"",
        "ON X GOSUB 10,20",
        "PRINT USING\"##.#\";X",
        "KEY 1,\"RUN\"",
        "LINE INPUT\"?\";A$",
        "X=&HFF AND NOT 3:' note",
    };
    std::string line = std::to_string(number) + " ";
    for (int n = 1 + int(rng() % 3); n > 0; n--) {
        line += kStatements[rng() % 12];
        if (n > 1) line += ":";
    }
    return line;
}

TEST(BasicDialect, AProgramSavedAsTextLoadsBackAndMerges) {
    BasicBoot();
    std::string tape = TapePath("text");
    std::mt19937 rng(1979);
    std::vector<std::string> typed;
    for (int number = 10; number <= 200; number += 10)
        typed.push_back(RandomLine(rng, number));
    Basic("NEW");
    Enter(typed);
    // A control character typed between quotes goes to the tape as it is.
    TypeText("5 PRINT \"A");
    PressCtrlKey('G');
    TypeLine("B\"");
    ASSERT_TRUE(RunUntilIdle(200));
    Rows listing = BasicOutput("LIST", 2000);
    SetCMTFile(tape.c_str());
    Basic("SAVE \"PROG\",A", 2000);
    auto records = TapeRecords(tape);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].first, 2);
    std::vector<uint8_t> text = records[0].second;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), 0x1A);
    EXPECT_EQ(text[text.size() - 2], '\r');
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t c : std::vector<uint8_t>(text.begin(), text.end() - 1))
        if (c == '\r')
            lines.push_back(line), line.clear();
        else
            line += char(c);
    ASSERT_EQ(lines.size(), typed.size() + 1);
    EXPECT_NE(lines[0].find("5 PRINT \"A\x07"
                            "B\""),
              std::string::npos)
        << lines[0];
    // In a fresh machine it loads back as the listing typed in: the same
    // listing, and the same text when saved again.
    BasicBoot();
    SetCMTFile(tape.c_str());
    Basic("LOAD \"PROG\"", 2000);
    EXPECT_EQ(BasicOutput("LIST", 2000), listing);
    std::vector<uint8_t> loaded = Program();
    std::string again = TapePath("again");
    SetCMTFile(again.c_str());
    Basic("SAVE \"PROG\",A", 2000);
    EXPECT_EQ(TapeRecords(again)[0].second, text);
    BasicBoot();
    Enter(std::vector<std::string>(lines.begin() + 1, lines.end()));
    TypeText("5 PRINT \"A");
    PressCtrlKey('G');
    TypeLine("B\"");
    ASSERT_TRUE(RunUntilIdle(200));
    EXPECT_EQ(Program(), loaded);
    // MERGE: a text's lines join the program, replacing those of their
    // numbers, line feeds with or without carriage returns and empty lines
    // taken in their stride, a control code outside quotes dropped, as if
    // typed; the variables go, as after any edit.
    std::vector<std::string> more = {"15 PRINT \"FIFTEEN\"", "20 PRINT \"TWENTY\"", "250 END"};
    Enter(more);
    std::vector<uint8_t> merged = Program();
    SetCMTFile(again.c_str());
    Basic("LOAD \"PROG\"", 2000);
    ASSERT_EQ(Program(), loaded);
    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    std::vector<uint8_t> good =
        Record("MORE", 0, bytes(more[0] + "\r\n\r\n" + more[1] + "\x01\n" + more[2] + "\n\x1A"), 2);
    WriteTape(tape, good);
    Basic("V=7:MERGE \"MORE\"", 2000);
    EXPECT_EQ(Program(), merged);
    EXPECT_EQ(BasicOutput("? V"), Rows{" 0"});
    // A text whose first line is not numbered or too long for the input
    // line, or a program not in text for MERGE, changes nothing.
    Basic("V=7");
    const std::pair<std::vector<uint8_t>, std::string> kRefused[] = {
        {Record("MORE", 0, bytes("PRINT 2\r30 PRINT 1\r"), 2), "?Not a program"},
        {Record("MORE", 0, bytes("30 REM" + std::string(250, '-') + "\r"), 2),
         "?Line buffer overflow"},
        {Record("MORE", RomSymbol("TXTTAB"), merged), "?Not a program"},
    };
    for (const auto& [record, error] : kRefused) {
        for (const char* command : {"MERGE \"MORE\"", "LOAD \"MORE\""}) {
            if (record[18] == 1 && command[0] == 'L') continue;
            WriteTape(tape, record);
            Rows said = BasicOutput(command, 2000);
            EXPECT_EQ(said.empty() ? "" : said.back(), error) << command;
            EXPECT_EQ(Program(), merged) << command << " " << error;
            EXPECT_EQ(BasicOutput("? V"), Rows{" 7"}) << command << " " << error;
        }
    }
    // Past its first line, a bad line or a damaged record stops the text
    // with the lines before it stored, LOAD's old program gone.
    std::vector<uint8_t> damaged = Record("MORE", 0, bytes("16 PRINT 16\r17 PRINT 17\r\x1A"), 2);
    damaged[damaged.size() - 3] ^= 1;
    const std::pair<std::vector<uint8_t>, std::string> kStopped[] = {
        {Record("MORE", 0, bytes("16 PRINT 16\rPRINT 2\r17 PRINT 17\r"), 2), "?Not a program"},
        {damaged, "?Checksum error"},
    };
    for (const auto& [record, error] : kStopped) {
        for (const char* command : {"MERGE \"MORE\"", "LOAD \"MORE\""}) {
            WriteTape(tape, record);
            EXPECT_EQ(BasicOutput(command, 2000).back(), error) << command;
            Rows listed = {"16 PRINT 16"};
            if (error == "?Checksum error") listed.push_back("17 PRINT 17");
            EXPECT_EQ(BasicOutput(command[0] == 'L' ? "LIST" : "LIST 16-17"), listed)
                << command << " " << error;
        }
    }
    std::filesystem::remove(tape);
    std::filesystem::remove(again);
}

TEST(BasicDialect, TypesBySuffixAndByFirstLetter) {
    BasicBoot();
    std::mt19937 rng(1980);
    // A constant reads the same with a single's suffix; #, double
    // precision, is single here too.
    for (int i = 0; i < 8; i++) {
        std::string digits = std::to_string(rng() % 1000000) + "." + std::to_string(rng() % 1000);
        EXPECT_EQ(BasicOutput("? " + digits + "!;" + digits + "#"),
                  BasicOutput("? " + digits + ";" + digits))
            << digits;
    }
    // Random DEF statements against a table of the letters' types: a name
    // without a suffix takes its letter's, one with a suffix its own, and
    // ! and # name the single variable whatever the letter says.
    for (int round = 0; round < 6; round++) {
        int types[26] = {}; // 0 single, 1 integer, 2 string
        std::string line = "CLEAR";
        for (int n = 1 + int(rng() % 3); n > 0; n--) {
            static const char* const kDefs[] = {"DEFSNG ", "DEFINT ", "DEFSTR ", "DEFDBL "};
            int kind = int(rng() % 4);
            line += std::string(":") + kDefs[kind];
            for (int r = 1 + int(rng() % 2); r > 0; r--) {
                int from = int(rng() % 26), to = std::min(25, from + int(rng() % 8));
                line += std::string(1, char('A' + from));
                if (to > from) line += "-" + std::string(1, char('A' + to));
                if (r > 1) line += ",";
                for (int l = from; l <= to; l++)
                    types[l] = kind == 3 ? 0 : kind;
            }
        }
        Basic(line);
        for (int probe = 0; probe < 6; probe++) {
            char letter = char('A' + rng() % 26);
            std::string name(1, letter);
            int type = types[letter - 'A'];
            if (type == 2) {
                EXPECT_EQ(BasicOutput(name + "=\"Q\":? " + name + ";" + name + "$"), Rows{"QQ"})
                    << line << " " << name;
                continue;
            }
            // 2.5 kept, or rounded to 3; the single variable is the name
            // with ! or #, and the integer the name with %.
            Rows shown = BasicOutput(name + "=2.5:" + name + "!=1:" + name + "%=4:? " + name + ";" +
                                     name + "#;" + name + "%");
            EXPECT_EQ(shown, Rows{type == 1 ? " 4  1  4" : " 1  1  4"}) << line << " " << name;
        }
    }
    // CLEAR and RUN give every letter's names back to single.
    EXPECT_EQ(BasicOutput("DEFINT A-Z:CLEAR:X=2.5:? X"), Rows{" 2.5"});
    Basic("NEW");
    Enter({"10 PRINT Y:Y=1.5:DEFSTR Y"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 0"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 0"});
    EXPECT_EQ(BasicOutput("DEFINT Z-A"), Rows{"?Syntax error"});
    EXPECT_EQ(BasicOutput("DEFSTR F:FOR F=1 TO 2:NEXT"), Rows{"?Type mismatch"});
}

TEST(BasicDialect, EveryKeywordIsTypedToItsOwnToken) {
    BasicBoot();
    // The keywords as the ROM lists them: the last character has bit 7
    // set, and the token is 80H and the place in the list. Typed apart by
    // spaces, each must come out as its own token, whatever order the
    // list has them in (one that begins another must come after it).
    std::vector<std::string> words;
    std::string word;
    for (int at = RomSymbol("KEYWORDS"); Peek(at) != 0; at++) {
        word += char(Peek(at) & 0x7F);
        if (Peek(at) & 0x80) words.push_back(word), word.clear();
    }
    ASSERT_GT(words.size(), 100u);
    std::string typed;
    std::vector<uint8_t> expected;
    auto check = [&]() {
        Basic("NEW");
        Enter({"10 " + typed});
        ASSERT_TRUE(RunUntilIdle(200));
        int text = RomSymbol("TXTTAB") + 4;
        expected.push_back(0);
        EXPECT_EQ(Memory(text, int(expected.size())), expected) << typed;
        typed.clear();
        expected.clear();
    };
    for (size_t token = 0; token < words.size(); token++) {
        const std::string& w = words[token];
        if (!typed.empty()) typed += " ", expected.push_back(' ');
        typed += w;
        if (w == "ELSE") expected.push_back(':');
        expected.push_back(uint8_t(0x80 + token));
        // After REM, ' and DATA the rest of the line is text.
        if (w == "REM" || w == "'" || w == "DATA" || typed.size() > 200) check();
    }
    if (!typed.empty()) check();
}

} // namespace
