// The debugger's command language: expressions against a model, one rule
// for names and numbers in every command, memory commands over every range
// shape at the ends of the address space, files read and written only when
// regular and from the folder given, and answers cut to fit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "debug/commands.h"
#include "debug/debugger.h"
#include "plus/z80home_debug.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        setz80memaccess(BusAccess);
        DebugReset();
        ResetEmu();
        Put(machine.pendingInterrupt, 0);
        DebugWritePort(0x31, 0x0A); // RAM everywhere, the display on
        for (int a = 0; a < 0x10000; ++a)
            DebugWriteMemory(static_cast<uint16_t>(a), static_cast<uint8_t>(a * 7 + (a >> 8)));
        debugger.symbols = Symbols{};
        SymbolsParse(debugger.symbols, "FAC EQU 0F200H\nLOOP EQU 0100H\n8400 DONE\n");
        folder = fs::temp_directory_path() / ("z80home-commands-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        DebugReset();
        fs::remove_all(folder);
    }
    std::string Run(const std::string& line) { return DebugExecute(line, folder.string()); }
    std::vector<uint8_t> Memory() {
        std::vector<uint8_t> bytes(0x10000);
        for (int a = 0; a < 0x10000; ++a)
            bytes[a] = DebugReadMemory(static_cast<uint16_t>(a));
        return bytes;
    }
    fs::path folder;
};

// A random expression and its value, built level by level as the parser
// binds: | ^ & << >> + - * /, each level's operands from the next.
struct Generated {
    std::string text;
    uint32_t value;
    std::string error; // why it has no value (a division by zero, a byte past FFFF)
};

Generated Expression(std::mt19937& random, int level, int depth, const Z80Regs& regs) {
    static const char* const kLevels[][2] = {{"|", nullptr}, {"^", nullptr}, {"&", nullptr},
                                             {"<<", ">>"},   {"+", "-"},     {"*", "/"}};
    if (level == 6 || depth > 3) {
        switch (random() % 5) {
        case 0: {
            uint32_t n = random() % 3 ? random() % 0x100 : random();
            char text[16];
            snprintf(text, sizeof text, random() % 2 ? "0%XH" : "$%X", n);
            return {text, n, ""};
        }
        case 1: return {"HL", regs.hl, ""};
        case 2: return {"a", static_cast<uint32_t>(regs.af >> 8), ""};
        case 3: return {"FAC", 0xF200, ""};
        default: {
            Generated inner = Expression(random, 0, depth + 1, regs);
            char past[32];
            snprintf(past, sizeof past, "(%X) lies past FFFF", inner.value);
            return {"(" + inner.text + ")",
                    static_cast<uint32_t>(DebugReadMemory(static_cast<uint16_t>(inner.value))),
                    !inner.error.empty()   ? inner.error
                    : inner.value > 0xFFFF ? past
                                           : ""};
        }
        }
    }
    Generated left = Expression(random, level + 1, depth + 1, regs);
    int more = static_cast<int>(random() % 3);
    for (int i = 0; i < more; ++i) {
        const char* op = kLevels[level][kLevels[level][1] ? random() % 2 : 0];
        Generated right = Expression(random, level + 1, depth + 1, regs);
        uint32_t a = left.value, b = right.value;
        uint32_t v = 0;
        std::string o = op;
        std::string error = !left.error.empty() ? left.error : right.error;
        if (o == "|") v = a | b;
        if (o == "^") v = a ^ b;
        if (o == "&") v = a & b;
        if (o == "<<") v = b >= 32 ? 0 : a << b;
        if (o == ">>") v = b >= 32 ? 0 : a >> b;
        if (o == "+") v = a + b;
        if (o == "-") v = a - b;
        if (o == "*") v = a * b;
        if (o == "/") {
            if (error.empty() && b == 0) error = "division by zero";
            v = b ? a / b : 0;
        }
        left = {left.text + (random() % 2 ? " " : "") + o + (random() % 2 ? " " : "") + right.text,
                v, error};
    }
    return left;
}

TEST_F(Commands, ExpressionsAgreeWithAModel) {
    std::mt19937 random(29);
    Z80Regs regs;
    DebugGetRegs(regs);
    regs.hl = 0x1234;
    regs.af = 0x5600;
    DebugSetRegs(regs);
    int defined = 0;
    for (int i = 0; i < 3000; ++i) {
        Generated g = Expression(random, 0, 0, regs);
        std::string answer = Run("p " + g.text);
        if (!g.error.empty()) {
            EXPECT_EQ(answer, "error: " + g.error + "\n") << g.text;
            continue;
        }
        ++defined;
        char want[32];
        snprintf(want, sizeof want, g.value <= 0xFFFF ? "%04X  %u" : "%X  %u", g.value, g.value);
        EXPECT_EQ(answer.substr(0, answer.find_first_of(" \n", strlen(want) - 1)), want) << g.text;
    }
    EXPECT_GT(defined, 2000);
    // Mistakes are refused with what went wrong.
    for (const char* bad : {"p", "p 1 +", "p (1", "p 1)", "p NOSUCH", "p 1 ~ 2", "p 123456789",
                            "p ((((((((((((((((((1))))))))))))))))))"})
        EXPECT_EQ(Run(bad).rfind("error: ", 0), 0u) << bad;
}

TEST_F(Commands, EveryCommandTakesANameBeforeANumberAndALeadingDigitMakesANumber) {
    // FAC is a name and also a hexadecimal number: each command given the
    // name does what it does given the name's value, 0F200.
    const char* const templates[] = {
        "m X 20", "mr X 10",   "e X 12 34",      "r HL X",
        "p X",    "d X 2",     "fill X-X+3 55",  "find X-X+100 55",
        "b X",    "w X-X+1 w", "save out X-X+7", "g X",
    };
    for (const char* t : templates) {
        std::string answers[2];
        std::vector<uint8_t> memory[2];
        Z80Regs regs[2];
        for (int form = 0; form < 2; ++form) {
            SetUp();
            std::string line = t;
            size_t x;
            while ((x = line.find('X')) != std::string::npos)
                line.replace(x, 1, form ? "0F200" : "FAC");
            if (line[0] == 'g') DebugBreakNow(), CpuRunSliceUpTo(1);
            answers[form] = Run(line);
            memory[form] = Memory();
            DebugGetRegs(regs[form]);
            if (line[0] == 'g') {
                EXPECT_EQ(debugger.target, 0xF200);
                Run("c");
            }
            if (line.rfind("save", 0) == 0) {
                std::ifstream in(folder / "out", std::ios::binary);
                answers[form] += std::string(std::istreambuf_iterator<char>(in), {});
            }
        }
        EXPECT_EQ(answers[0], answers[1]) << t;
        EXPECT_EQ(answers[0].rfind("error", 0), std::string::npos) << t << ": " << answers[0];
        EXPECT_EQ(memory[0], memory[1]) << t;
        EXPECT_EQ(regs[0].hl, regs[1].hl) << t;
    }
    // A word is a register before a name or a number; a leading digit, $ or
    // 0x always makes a number.
    Z80Regs regs;
    DebugGetRegs(regs);
    regs.af = 0x3C00;
    regs.bc = 0x1111;
    DebugSetRegs(regs);
    EXPECT_EQ(Run("p A"), "003C  60\n");
    EXPECT_EQ(Run("p 0A"), "000A  10\n");
    EXPECT_EQ(Run("p BC"), "1111  4369\n");
    EXPECT_EQ(Run("p $BC"), "00BC  188\n");
    EXPECT_EQ(Run("p 0xFAC"), "0FAC  4012\n");
    EXPECT_EQ(Run("p fac"), "F200  61952  FAC\n");
    EXPECT_EQ(Run("p DONE+1"), "8401  33793\n");
}

// A value that does not fit where it goes is refused, and nothing changes;
// every refusal says why; a # standing alone starts a comment.
TEST_F(Commands, ValuesThatDoNotFitAreRefusedAndErrorsSayWhy) {
    Z80Regs regs;
    DebugGetRegs(regs);
    regs.hl = 0x9000;
    DebugSetRegs(regs);
    const std::pair<const char*, const char*> cases[] = {
        {"r A 100", "error: 100 is more than FF\n"},
        {"r IM 3", "error: 3 is more than 2\n"},
        {"r I 1FF", "error: 1FF is more than FF\n"},
        {"r PC HL*2", "error: HL*2 is 12000, more than FFFF\n"},
        {"e FFFF 11 22", "error: 2 bytes do not fit between FFFF and FFFF\n"},
        {"p (10000)", "error: (10000) lies past FFFF\n"},
        {"r A 1/0", "error: division by zero\n"},
        {"b NOSUCH", "error: not a number, register or name: NOSUCH\n"},
        {"r Q 1", "error: no register Q\n"},
        {"w HL-2 w", "error: HL-2 runs down from 9000 to 0002: a range FROM-TO splits at its first "
                     "-, the lower end first\n"},
        {"p 1+1  # two", "0002  2\n"},
        {"p #10", "0010  16\n"},
        {"find 0-FFFF \"z # z\"", "not found\n"},
        {"b 8000 # where it starts", "1 on  break 8000 hits 0\n"},
    };
    std::vector<uint8_t> memory = Memory();
    std::string registers = Run("r");
    for (auto [line, answer] : cases)
        EXPECT_EQ(Run(line), answer) << line;
    EXPECT_EQ(Memory(), memory);
    EXPECT_EQ(Run("r"), registers);
}

TEST_F(Commands, MemoryCommandsHandleEveryRangeShapeAtTheEndsOfMemory) {
    const int ends[] = {0x0000, 0x0001, 0x7FFF, 0xFFFE, 0xFFFF};
    std::mt19937 random(23);
    for (int a : ends) {
        for (int b : ends) {
            char range[16];
            snprintf(range, sizeof range, "%X-%X", a, b);
            int lo = a, hi = b;
            SCOPED_TRACE(range);
            // A range that runs down is refused (HL-2 would be one).
            if (a > b) {
                std::string refused = "error: " + std::string(range) + " runs down";
                EXPECT_EQ(Run(std::string("fill ") + range + " 5A").rfind(refused, 0), 0u);
                continue;
            }
            // fill: the range and nothing else.
            std::vector<uint8_t> before = Memory();
            EXPECT_EQ(Run(std::string("fill ") + range + " 5A"), "");
            std::vector<uint8_t> after = Memory();
            for (int at = 0; at < 0x10000; ++at)
                ASSERT_EQ(after[at], at >= lo && at <= hi ? 0x5A : before[at]) << at;
            // find: every place the bytes lie wholly inside the range.
            SetUp();
            std::vector<int> places = {
                lo, hi - 1, hi, 0xFFFE, 0xFFFF, 0x0000, static_cast<int>(random() % 0x10000)};
            for (int p : places)
                for (int i = 0; i < 2; ++i)
                    DebugWriteMemory(static_cast<uint16_t>(p + i), static_cast<uint8_t>(0xA5 + i));
            std::vector<uint8_t> memory = Memory();
            std::vector<int> want, found;
            for (int at = lo; at + 1 <= hi; ++at)
                if (memory[at] == 0xA5 && memory[at + 1] == 0xA6) want.push_back(at);
            std::string answer = Run(std::string("find ") + range + " 0A5 0A6");
            if (answer != "not found\n")
                for (size_t line = 0; line < answer.size(); line = answer.find('\n', line) + 1)
                    found.push_back(std::stoi(answer.substr(line, 4), nullptr, 16));
            EXPECT_EQ(found, want);
            // save: the range's bytes, as the processor reads them.
            EXPECT_EQ(Run(std::string("save out ") + range).rfind("error", 0), std::string::npos);
            std::ifstream in(folder / "out", std::ios::binary);
            std::string saved(std::istreambuf_iterator<char>(in), {});
            ASSERT_EQ(saved.size(), static_cast<size_t>(hi - lo + 1));
            EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.end()),
                      std::vector<uint8_t>(memory.begin() + lo, memory.begin() + hi + 1));
        }
        // load: a file fits up to FFFF and no further.
        SetUp();
        for (size_t size : {1u, 2u, 0x100u}) {
            std::ofstream(folder / "in", std::ios::binary) << std::string(size, '\x3C');
            char line[32];
            snprintf(line, sizeof line, "load in %X", a);
            std::vector<uint8_t> before = Memory();
            std::string answer = Run(line);
            bool fits = a + size <= 0x10000;
            EXPECT_EQ(answer.rfind("error", 0) == 0, !fits)
                << line << " " << size << ": " << answer;
            std::vector<uint8_t> after = Memory();
            for (int at = 0; at < 0x10000; ++at)
                ASSERT_EQ(after[at],
                          fits && at >= a && at < a + static_cast<int>(size) ? 0x3C : before[at]);
        }
    }
    // Dumps and listings run on through FFFF into 0000.
    EXPECT_EQ(Run("m FFF8 10").substr(0, 5), "FFF8 ");
    EXPECT_EQ(Run("d FFFF 2").substr(0, 4), "FFFF");
    EXPECT_EQ(Run("w 0-FFFF w").rfind("1 on  watch memory w 0000-FFFF", 0), 0u);
}

TEST_F(Commands, FilesAreRegularBoundedAndNamedFromTheFolderGiven) {
    // Symbols, a memory image, a trace and coverage, by relative names from
    // the folder given, while the working folder is elsewhere.
    fs::path elsewhere = fs::current_path();
    std::ofstream(folder / "mine.sym") << "TARGET EQU 8123H\n";
    EXPECT_EQ(Run("sym mine.sym"), "1 symbols\n");
    EXPECT_EQ(Run("p TARGET").substr(0, 4), "8123");
    EXPECT_EQ(Run("save image.bin 8000-800F"),
              "16 bytes to " + (folder / "image.bin").string() + "\n");
    EXPECT_EQ(Run("load image.bin 9000"), "16 bytes to 9000-900F\n");
    EXPECT_EQ(Run("t file trace.txt"), "tracing to " + (folder / "trace.txt").string() + "\n");
    EXPECT_EQ(Run("t file"), "trace file closed\n");
    EXPECT_TRUE(fs::exists(folder / "trace.txt"));
    EXPECT_EQ(Run("t file trace.txt more").rfind("error: usage: t file [PATH]", 0), 0u);
    EXPECT_EQ(Run("cov on"), "coverage on\n");
    EXPECT_EQ(Run("cov save cov.txt"), "0 ranges to " + (folder / "cov.txt").string() + "\n");
    EXPECT_EQ(fs::current_path(), elsewhere);
    EXPECT_FALSE(fs::exists(elsewhere / "image.bin"));

    // The file is read before the command runs on the processor's thread:
    // gone by then, its symbols still come.
    DebugJob job;
    job.line = "sym mine.sym";
    job.folder = folder.string();
    DebugPrepare(job);
    fs::remove(folder / "mine.sym");
    DebugRun(job);
    DebugFinish(job);
    EXPECT_EQ(job.out, "1 symbols\n");

    // What is not a regular file is refused, for reading and for writing,
    // and so is a symbol file beyond its bound. A pipe with no writer would
    // block a reader for ever: a writer comes and goes while the command
    // runs, so a reader sees its end rather than blocking the test.
    fs::path pipe = folder / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        while (!done) {
            int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    std::ofstream(folder / "huge.sym").close();
    fs::resize_file(folder / "huge.sym", kDebugLargestSymbols + 1);
    for (const std::string& line :
         {std::string("sym pipe"), std::string("sym /dev/zero"), std::string("load pipe 0"),
          std::string("load /dev/zero 0"), std::string("save pipe 0-1"), std::string("t file pipe"),
          std::string("cov save pipe"), std::string("sym huge.sym"), std::string("sym nothing.sym"),
          std::string("load " + folder.string() + " 0")})
        EXPECT_EQ(Run(line).rfind("error: ", 0), 0u) << line << ": " << Run(line);
    done = true;
    writer.join();
}

TEST_F(Commands, LongAnswersSayTheyWereCutAndATraceKeepsItsNewest) {
    // Any answer, any size: whole lines of it and the note, within the size.
    std::mt19937 random(1);
    for (int i = 0; i < 500; ++i) {
        std::string text;
        int lines = static_cast<int>(random() % 60);
        for (int l = 0; l < lines; ++l)
            text += std::string(random() % 50, static_cast<char>('a' + l % 26)) + "\n";
        size_t size = random() % 600;
        bool newestLast = random() % 2;
        std::string fitted = DebugFit(text, size, newestLast);
        if (text.size() < size) {
            EXPECT_EQ(fitted, text);
            continue;
        }
        EXPECT_LT(fitted.size(), std::max<size_t>(size, 1));
        if (size < 160) continue; // too small for the note
        size_t note = newestLast ? 0 : fitted.rfind('\n', fitted.size() - 2) + 1;
        if (!newestLast && fitted.find('\n') == fitted.size() - 1) note = 0;
        size_t noteEnd = fitted.find('\n', note) + 1;
        EXPECT_EQ(fitted.substr(note, 1), "(") << fitted;
        std::string kept = newestLast ? fitted.substr(noteEnd) : fitted.substr(0, note);
        if (newestLast)
            EXPECT_EQ(text.substr(text.size() - kept.size()), kept);
        else
            EXPECT_EQ(text.substr(0, kept.size()), kept);
    }

    // Through the plus library: a trace keeps its newest entries.
    Run("t size 100");
    for (int a = 0x8000; a < 0x8100; ++a)
        DebugWriteMemory(static_cast<uint16_t>(a), 0); // NOPs
    Z80Regs regs;
    DebugGetRegs(regs);
    regs.pc = 0x8000;
    DebugSetRegs(regs);
    for (int i = 0; i < 0x80; ++i)
        CpuRunSliceUpTo(1);
    char out[400];
    int length = DebuggerCommand("t 100", out, sizeof out);
    std::string trace(out, static_cast<size_t>(length));
    EXPECT_EQ(trace.rfind("(", 0), 0u) << trace;
    EXPECT_NE(trace.find("earlier lines cut"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\n807E  NOP"), std::string::npos) << trace;
    length = DebuggerCommand("m 0 1000", out, sizeof out);
    std::string dump(out, static_cast<size_t>(length));
    EXPECT_EQ(dump.rfind("0000 ", 0), 0u);
    EXPECT_NE(dump.find("more lines cut"), std::string::npos) << dump;
}

TEST(Symbols, AListingTellsLabelsAndTheRamTellsDataFromConstants) {
    Symbols symbols;
    // As pasmo -d writes: EQU lines, label lines, code lines and the lines
    // of macro expansions, which an address list would misread.
    EXPECT_EQ(SymbolsParse(symbols, "LINEMAXB\tEQU 00FF\n"
                                    "FAC\t\tEQU F200\n"
                                    "0061:\t\tlabel COLD\n"
                                    "0061:F3\t\tDI\n"
                                    "1502:\t\tlocal label _sync\n"
                                    "DB op\n"
                                    "00FF:\t\tlabel EDGE\n"),
              4);
    const std::string* name = SymbolsName(symbols, 0xFF);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(*name, "EDGE");
    EXPECT_EQ(*SymbolsName(symbols, 0x61), "COLD");
    EXPECT_EQ(*SymbolsName(symbols, 0xF200), "FAC");
    EXPECT_EQ(SymbolsName(symbols, 0xDB), nullptr);
    uint16_t value;
    EXPECT_TRUE(SymbolsFind(symbols, "LINEMAXB", value));
    EXPECT_EQ(value, 0xFF);
    EXPECT_FALSE(SymbolsFind(symbols, "op", value));
    EXPECT_EQ(SymbolsNearest(symbols, 0x0063), "COLD+2");
    EXPECT_EQ(SymbolsNearest(symbols, 0xF2FF), "FAC+FF");
    EXPECT_EQ(SymbolsNearest(symbols, 0xF300), "");
    EXPECT_EQ(SymbolsNearest(symbols, 0x0010), "");
}

} // namespace
