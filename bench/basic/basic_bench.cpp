// The eight classic BASIC timing programs (BM1 to BM8: the loop, the GOTO
// loop, arithmetic on variables and on constants, GOSUB, an inner FOR loop,
// an array store, and powers, LOG and SIN) and two more (SIEVE, STRINGS),
// run by the system ROM's BASIC on
// one thread: the built ROM boots into BASIC, each program is typed through
// the keyboard matrix and RUN. A program prints "S" as it starts and "E" as
// it ends; the time between the two is reported in emulated seconds at the
// paced 1,906,250 cycles a second (from the cycles run, the same on any host,
// to within one slice of 16 ms) and in host seconds unpaced. Each program
// runs twice: as written, and with the 2 ms tick switched off around the
// timed part, which parts the interpreter's time from the tick's. A PRINT of
// the program's variables afterwards checks that it computed what it should.
//
//   basic_bench [--profile] [BM1 ... BM8 SIEVE STRINGS]     (default all)
//
// With --profile it also counts every memory read the processor makes during
// the runs with the tick off and prints the ROM routines most read from (the
// instruction bytes and the tables they read) by the names in n80basic.sym.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPacedHz = kSliceBudgetDisplayOn * 1000.0 / kShortestSliceMs;
constexpr int kRomEnd = kBasicRomSize;

struct Program {
    const char* name;
    std::vector<const char*> lines;
    const char* check; // printed after the run
    const char* expect;
};

const Program kPrograms[] = {
    {"BM1",
     {"100 PRINT \"S\"", "200 FOR K=1 TO 1000", "300 NEXT K", "700 PRINT \"E\"", "800 END"},
     "PRINT K",
     " 1001"},
    {"BM2",
     {"100 PRINT \"S\"", "200 K=0", "300 K=K+1", "500 IF K<1000 THEN 300", "700 PRINT \"E\"",
      "800 END"},
     "PRINT K",
     " 1000"},
    {"BM3",
     {"100 PRINT \"S\"", "200 K=0", "300 K=K+1", "400 A=K/K*K+K-K", "500 IF K<1000 THEN 300",
      "700 PRINT \"E\"", "800 END"},
     "PRINT K;A",
     " 1000  1000"},
    {"BM4",
     {"100 PRINT \"S\"", "200 K=0", "300 K=K+1", "400 A=K/2*3+4-5", "500 IF K<1000 THEN 300",
      "700 PRINT \"E\"", "800 END"},
     "PRINT K;A",
     " 1000  1499"},
    {"BM5",
     {"100 PRINT \"S\"", "200 K=0", "300 K=K+1", "400 A=K/2*3+4-5", "450 GOSUB 820",
      "500 IF K<1000 THEN 300", "700 PRINT \"E\"", "800 END", "820 RETURN"},
     "PRINT K;A",
     " 1000  1499"},
    {"BM6",
     {"100 PRINT \"S\"", "200 K=0", "250 DIM M(5)", "300 K=K+1", "400 A=K/2*3+4-5", "450 GOSUB 820",
      "460 FOR L=1 TO 5", "480 NEXT L", "500 IF K<1000 THEN 300", "700 PRINT \"E\"", "800 END",
      "820 RETURN"},
     "PRINT K;A;L",
     " 1000  1499  6"},
    {"BM7",
     {"100 PRINT \"S\"", "200 K=0", "250 DIM M(5)", "300 K=K+1", "400 A=K/2*3+4-5", "450 GOSUB 820",
      "460 FOR L=1 TO 5", "470 M(L)=A", "480 NEXT L", "500 IF K<1000 THEN 300", "700 PRINT \"E\"",
      "800 END", "820 RETURN"},
     "PRINT M(1);M(5);L",
     " 1499  1499  6"},
    {"BM8",
     {"100 PRINT \"S\"", "200 K=0", "300 K=K+1", "330 A=K^2", "340 B=LOG(K)", "350 C=SIN(K)",
      "500 IF K<1000 THEN 300", "700 PRINT \"E\"", "800 END"},
     "PRINT A;B;C",
     " 1000000  6.907755  .8268796"},
    // Two more of the kind programs of the time ran: a sieve of primes
    // (arrays, FOR with STEP, IF), and string handling (joins, MID$, STR$,
    // VAL, INSTR, the collector).
    {"SIEVE",
     {"100 PRINT \"S\"", "200 N=1000:DIM F(1000):C=0", "300 FOR I=2 TO N", "310 IF F(I) THEN 360",
      "320 C=C+1:IF I*I>N THEN 360", "330 FOR J=I*I TO N STEP I", "340 F(J)=1", "350 NEXT J",
      "360 NEXT I", "700 PRINT \"E\"", "800 END"},
     "PRINT C",
     " 168"},
    {"STRINGS",
     {"100 PRINT \"S\"", "200 A$=\"\":N=0", "300 FOR I=1 TO 300", "310 A$=A$+CHR$(65+I MOD 26)",
      "320 IF LEN(A$)>40 THEN A$=MID$(A$,11)", "330 B$=STR$(I):N=N+VAL(B$)+INSTR(A$,\"Q\")",
      "340 NEXT I", "700 PRINT \"E\"", "800 END"},
     "PRINT N;LEN(A$);LEFT$(A$,5)",
     " 49190  40 BCDEF"},
};

// Reads per address while profiling; the processor's reads pass through here.
std::vector<uint64_t> readCounts(0x10000);
bool counting = false;

int CountingBusAccess(int address, int data, unsigned kind) {
    if (counting && kind == MemRead) readCounts[address & 0xFFFF]++;
    return BusAccess(address, data, kind);
}

void Fail(const char* what) {
    fprintf(stderr, "basic_bench: %s\n", what);
    exit(1);
}

void LoadRom(const fs::path& file, uint8_t* image, size_t size) {
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(image), static_cast<std::streamsize>(size)))
        Fail(("cannot read " + file.string()).c_str());
}

std::string ScreenRow(int row) {
    int step = Get(machine.columns80) ? 1 : 2;
    int base = Get(machine.dmaAddress[2]) + row * 120;
    std::string text;
    for (int column = 0; column < 80 / step; column++) {
        int code = BusAccess(base + column * step, 0, MemRead);
        text += code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '~';
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

int ScreenRows(void) {
    return Get(machine.rows25) ? 25 : 20;
}

bool ScreenHasRow(const std::string& text) {
    for (int row = 0; row < ScreenRows(); row++)
        if (ScreenRow(row) == text) return true;
    return false;
}

void DumpScreen(void) {
    for (int row = 0; row < ScreenRows(); row++)
        fprintf(stderr, "| %s\n", ScreenRow(row).c_str());
}

// "Ok" on the row above the cursor, which waits at the start of its row.
bool AtBasicPrompt(void) {
    int row = Get(machine.cursorY);
    return row >= 1 && Get(machine.cursorX) == 0 && ScreenRow(row - 1) == "Ok";
}

// The monitor's "> " with the cursor after it.
bool AtMonitorPrompt(void) {
    int row = Get(machine.cursorY);
    return row >= 0 && Get(machine.cursorX) > 0 && ScreenRow(row) == ">";
}

bool RunUntil(bool (*done)(void), int slices) {
    for (int i = 0; i < slices && !done(); i++)
        CpuRunSlice();
    return done();
}

void PressKey(int virtualKey, bool shift) {
    if (shift) CtlEmulator(WM_KEYDOWN, VK_SHIFT, 0);
    CtlEmulator(WM_KEYDOWN, virtualKey, 0);
    CpuRunSlice();
    CtlEmulator(WM_KEYUP, virtualKey, 0);
    if (shift) CtlEmulator(WM_KEYUP, VK_SHIFT, 0);
    CpuRunSlice();
}

// The keys of the characters the programs use; letters and digits are their
// own keys, unshifted.
void TypeLine(const std::string& line) {
    struct Key {
        char c;
        int key;
        bool shift;
    };
    static const Key kKeys[] = {
        {' ', VK_SPACE, false}, {'"', 0xDE, true},         {'=', 0xBB, false}, {'+', VK_ADD, false},
        {'-', 0xBD, false},     {'*', VK_MULTIPLY, false}, {'/', 0xBF, false}, {'^', '6', true},
        {'<', 0xBC, true},      {',', 0xBC, false},        {'(', '9', true},   {')', '0', true},
        {':', 0xBA, true},      {';', 0xBA, false},        {'$', '4', true},   {'>', 0xBE, true},
    };
    for (char c : line) {
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            PressKey(c, false);
            continue;
        }
        const Key* key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                      [c](const Key& k) { return k.c == c; });
        if (key == std::end(kKeys)) Fail("a program uses a character with no key here");
        PressKey(key->key, key->shift);
    }
    PressKey(VK_RETURN, false);
}

void Command(const std::string& line) {
    TypeLine(line);
    if (!RunUntil(AtBasicPrompt, 600)) {
        DumpScreen();
        Fail(("no Ok after " + line).c_str());
    }
}

struct Result {
    double emulatedSeconds;
    double hostSeconds;
};

bool StartShown(void) {
    return ScreenHasRow("S");
}
bool EndShown(void) {
    return ScreenHasRow("E");
}

// Runs a program, with the 2 ms tick switched off before "S" and on again
// after "E" when asked: the ROM then scans the keyboard only while it waits
// for input (too seldom for the keys typed here), so the time measured is
// the interpreter's alone.
Result RunProgram(const Program& program, bool tickOff) {
    Command("NEW");
    std::vector<std::string> lines(program.lines.begin(), program.lines.end());
    // The editor files lines by number, so the two extra lines go anywhere.
    if (tickOff) {
        lines.push_back("50 OUT 230,0");
        lines.push_back("750 OUT 230,1");
    }
    for (const std::string& line : lines) {
        TypeLine(line);
        RunUntil([] { return Get(machine.cursorX) == 0; }, 20);
    }
    Command("CLS");
    TypeLine("RUN");
    // The program's own markers bound the measurement, so typing RUN and the
    // return to Ok are not counted.
    if (!RunUntil(StartShown, 600)) {
        DumpScreen();
        Fail(("no S from " + std::string(program.name)).c_str());
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    int64_t cycles = 0;
    counting = tickOff;
    // Twenty emulated minutes: far beyond any of them, short of a hang.
    for (int slice = 0; !EndShown(); slice++) {
        if (slice > 20 * 60 * 1000 / static_cast<int>(kShortestSliceMs)) {
            DumpScreen();
            Fail(("no E from " + std::string(program.name)).c_str());
        }
        cycles += CpuRunSlice();
    }
    counting = false;
    double host = std::chrono::duration<double>(Clock::now() - start).count();
    if (!RunUntil(AtBasicPrompt, 600)) {
        DumpScreen();
        Fail(("no Ok after " + std::string(program.name)).c_str());
    }
    for (int row = 0; row < ScreenRows(); row++)
        if (ScreenRow(row).rfind("?", 0) == 0) {
            DumpScreen();
            Fail((std::string(program.name) + " stopped with an error").c_str());
        }
    // After CLS: Ok, the command, what it printed.
    Command("CLS");
    Command(program.check);
    if (ScreenRow(2) != program.expect)
        printf("%s: %s printed \"%s\", not \"%s\"\n", program.name, program.check,
               ScreenRow(2).c_str(), program.expect);
    return {cycles / kPacedHz, host};
}

// The ROM's labels by address, from the assembler's symbol listing; names
// the sources define with EQU are constants, not places, and are left out.
std::map<int, std::string> RomLabels(const fs::path& symbols, const fs::path& sources) {
    std::set<std::string> constants;
    std::regex equ(R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s+EQU\b)", std::regex::icase);
    for (const fs::directory_entry& entry : fs::directory_iterator(sources)) {
        if (entry.path().extension() != ".asm") continue;
        std::ifstream in(entry.path());
        std::smatch match;
        for (std::string line; std::getline(in, line);)
            if (std::regex_search(line, match, equ)) constants.insert(match[1]);
    }
    std::map<int, std::string> labels;
    std::ifstream in(symbols);
    std::regex entry(R"(^(\S+)\s+EQU\s+0?([0-9A-Fa-f]+)H)");
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
        if (!std::regex_search(line, match, entry)) continue;
        std::string name = match[1];
        // Local labels are listed by an eight-digit number (FADD is a name).
        if (name.size() == 8 && name.find_first_not_of("0123456789ABCDEF") == std::string::npos)
            continue;
        int address = std::stoi(match[2].str(), nullptr, 16);
        if (address < kRomEnd && !constants.count(name)) labels.emplace(address, name);
    }
    return labels;
}

void PrintProfile(const std::map<int, std::string>& labels) {
    std::map<std::string, uint64_t> byRoutine;
    uint64_t total = 0, ram = 0;
    for (int address = 0; address < 0x10000; address++) {
        uint64_t count = readCounts[address];
        total += count;
        if (address >= kRomEnd) {
            ram += count;
            continue;
        }
        auto next = labels.upper_bound(address);
        byRoutine[next == labels.begin() ? "(start)" : std::prev(next)->second] += count;
    }
    std::vector<std::pair<uint64_t, std::string>> sorted;
    for (const auto& [name, count] : byRoutine)
        sorted.emplace_back(count, name);
    std::sort(sorted.rbegin(), sorted.rend());
    printf("\nmemory reads with the tick off: %llu (RAM: program text, variables, stack %.1f %%)\n",
           static_cast<unsigned long long>(total), 100.0 * ram / total);
    printf("%-16s %7s\n", "ROM routine", "reads");
    for (size_t i = 0; i < sorted.size() && i < 30; i++)
        printf("%-16s %6.1f %%\n", sorted[i].second.c_str(), 100.0 * sorted[i].first / total);
}

} // namespace

int main(int argc, char** argv) {
    bool profile = false;
    std::set<std::string> chosen;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--profile") == 0)
            profile = true;
        else
            chosen.insert(argv[i]);
    }
    const char* env = std::getenv("Z80HOME_ROM_DIR");
    fs::path romDir = env ? env : Z80HOME_ROM_DIR;

    Z80Init();
    setz80memaccess(profile ? CountingBusAccess : BusAccess);
    MachinePowerOn();
    LoadRom(romDir / "n80basic.rom", machine.basicRom, kBasicRomSize);
    LoadRom(romDir / "font.rom", machine.fontRom, kFontRomSize);
    // Warp: no sleeps; the slices raise their ticks from the cycles run, as
    // in every mode.
    RunControlSetWarp(true);
    // The machine starts in BASIC; a ROM that starts in the monitor enters
    // it with the monitor's BASIC command.
    if (!RunUntil([] { return AtBasicPrompt() || AtMonitorPrompt(); }, 200))
        Fail("no prompt after power-on");
    if (AtMonitorPrompt()) Command("BASIC");

    printf("%-7s %12s %10s %14s\n", "", "emulated s", "host s", "tick off: s");
    double emulatedSum = 0, hostSum = 0, tickOffSum = 0;
    int ran = 0;
    for (const Program& program : kPrograms) {
        if (!chosen.empty() && !chosen.count(program.name)) continue;
        ran++;
        Result result = RunProgram(program, false);
        double tickOff = RunProgram(program, true).emulatedSeconds;
        emulatedSum += result.emulatedSeconds;
        hostSum += result.hostSeconds;
        tickOffSum += tickOff;
        printf("%-7s %12.2f %10.3f %14.2f\n", program.name, result.emulatedSeconds,
               result.hostSeconds, tickOff);
        fflush(stdout);
    }
    if (ran == 0) Fail("no such program: BM1 to BM8, SIEVE, STRINGS");
    printf("%-7s %12.2f %10.3f %14.2f\n", "avg", emulatedSum / ran, hostSum / ran,
           tickOffSum / ran);
    printf("(emulated at %.0f cycles a second, to within one %d ms slice)\n", kPacedHz,
           static_cast<int>(kShortestSliceMs));
    if (profile) PrintProfile(RomLabels(romDir / "n80basic.sym", Z80HOME_ROM_SOURCES));
    return 0;
}
