#include "tests/machine/machine_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>
#include <vector>
#include <gtest/gtest.h>
#include <winshim_host.h>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "video/palette.h"
#include "video/screen.h"
#include "z80/z80.h"

namespace {

// The ROM images by the names the emulator opens, from the folder the
// build wrote them to, read the way RunEmu reads them.
void LoadRomImages(void) {
    const char* dir = std::getenv("Z80HOME_ROM_DIR");
    ASSERT_NE(dir, nullptr) << "Z80HOME_ROM_DIR is not set";
    std::filesystem::current_path(dir);
    FILE* rom = fopen("n80basic.rom", "rb");
    ASSERT_NE(rom, nullptr);
    ASSERT_EQ(fread(machine.basicRom, 1, kBasicRomSize, rom), size_t(kBasicRomSize));
    fclose(rom);
    FILE* font = fopen("font.rom", "rb");
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(fread(machine.fontRom, 1, kFontRomSize, font), size_t(kFontRomSize));
    fclose(font);
}

void StartOnce(void) {
    if (machine.framePixels) return;
    machine.hostWindow = ShimCreateWindow(kWindowWidth, kWindowHeight);
    machine.windowDc = GetDC(machine.hostWindow);
    ASSERT_TRUE(CreateFrame(machine.windowDc));
    BuildPalette();
    Z80Init();
    setz80memaccess(BusAccess);
}

} // namespace

// Powers on and runs until BASIC's prompt.
static void PowerOn(void) {
    StartOnce();
    LoadRomImages();
    MachinePowerOn();
    ASSERT_TRUE(RunUntilBasicPrompt(60)) << "no Ok after boot";
}

void MachineBoot(void) {
    PowerOn();
    TypeLine("MON");
    ASSERT_TRUE(RunUntilPrompt(60)) << "no monitor prompt after MON";
}

bool AtPrompt(void) {
    int step = Get(machine.columns80) ? 1 : 2;
    int row = Get(machine.cursorY);
    if (row < 0 || row >= ScreenRows() || Get(machine.cursorX) != 2 * step) return false;
    std::string text = ScreenRow(row);
    return text.rfind("> ", 0) == 0 && text.find_first_not_of(' ', 1) == std::string::npos;
}

bool RunUntilPrompt(int slices) {
    for (int i = 0; i < slices; i++) {
        if (AtPrompt()) return true;
        RunSlices(1);
    }
    return AtPrompt();
}

void RunSlices(int n) {
    for (int i = 0; i < n; i++)
        CpuRunSlice();
}

int ScreenRows(void) {
    return Get(machine.rows25) ? 25 : 20;
}

std::string ScreenRow(int row) {
    int step = Get(machine.columns80) ? 1 : 2;
    int base = Get(machine.dmaAddress[2]) + row * 120;
    std::string text;
    for (int column = 0; column < 80 / step; column++) {
        int code = BusAccess(base + column * step, 0, MemRead);
        text += code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '~';
    }
    return text;
}

int FindRow(const std::string& text) {
    for (int row = 0; row < ScreenRows(); row++)
        if (ScreenRow(row).find(text) != std::string::npos) return row;
    return -1;
}

int CursorRow(void) {
    return Get(machine.cursorY);
}

void PressKey(int virtualKey, bool shift) {
    if (shift) CtlEmulator(WM_KEYDOWN, VK_SHIFT, 0);
    CtlEmulator(WM_KEYDOWN, virtualKey, 0);
    RunSlices(1);
    CtlEmulator(WM_KEYUP, virtualKey, 0);
    if (shift) CtlEmulator(WM_KEYUP, VK_SHIFT, 0);
    RunSlices(1);
}

void PressCtrlKey(int virtualKey) {
    CtlEmulator(WM_KEYDOWN, VK_CONTROL, 0);
    PressKey(virtualKey);
    CtlEmulator(WM_KEYUP, VK_CONTROL, 0);
}

void TypeText(const std::string& text) {
    // Punctuation by the key that gives it, and whether SHIFT is held.
    struct Punct {
        char c;
        int key;
        bool shift;
    };
    static const Punct kPunct[] = {
        {' ', VK_SPACE, false}, {':', 0xBA, true},  {';', 0xBA, false},
        {'/', 0xBF, false},     {'?', 0xBF, true},  {'*', VK_MULTIPLY, false},
        {'+', VK_ADD, false},   {'-', 0xBD, false}, {',', 0xBC, false},
        {'<', 0xBC, true},      {'.', 0xBE, false}, {'>', 0xBE, true},
        {'=', 0xBB, false},     {'"', 0xDE, true},  {'\'', 0xDE, false},
        {'(', '9', true},       {')', '0', true},   {'!', '1', true},
        {'#', '3', true},       {'$', '4', true},   {'%', '5', true},
        {'^', '6', true},       {'&', '7', true},   {'\\', 0xDC, false},
        {'_', 0xBD, true},      {'@', '2', true},   {'|', 0xDC, true},
        {'`', 0xC0, false},
    };
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') {
            PressKey(c);
        } else if (c >= 'a' && c <= 'z') {
            PressKey(c - 'a' + 'A', true);
        } else if (c >= '0' && c <= '9') {
            PressKey(c);
        } else {
            const Punct* found = nullptr;
            for (const Punct& p : kPunct)
                if (p.c == c) found = &p;
            if (found)
                PressKey(found->key, found->shift);
            else
                ADD_FAILURE() << "no key for '" << c << "'";
        }
    }
}

int TypeLine(const std::string& line) {
    int row = CursorRow();
    TypeText(line);
    PressKey(VK_RETURN);
    return row;
}

int Command(const std::string& line) {
    int row = TypeLine(line);
    EXPECT_TRUE(RunUntilPrompt(600)) << line << ": no prompt after it";
    // The screen may have scrolled: find the line again, from the bottom.
    for (int r = CursorRow(); r >= 0; r--)
        if (ScreenRow(r).rfind("> " + line, 0) == 0) return r;
    return row;
}

// The top-left frame pixel of dot (x, y) of a cell: a dot is 1 or 2 pixels
// wide (80 or 40 columns) and 2.4 or 3 pixels high (25 or 20 rows).
static COLORREF DotPixel(int row, int column, int x, int y) {
    int width = Get(machine.columns80) ? 1 : 2;
    int fifths = Get(machine.rows25) ? 12 : 15;
    return GetPixel(machine.frameDc, (column * 8 + x) * width, (row * 8 + y) * fifths / 5);
}

COLORREF CellPixel(int row, int column, int x, int y) {
    DrawScreen();
    return DotPixel(row, column, x, y);
}

bool CellHasInk(int row, int column) {
    COLORREF first = CellPixel(row, column, 0, 0);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            if (DotPixel(row, column, x, y) != first) return true;
    return false;
}

int32_t CellCentre(int row, int column) {
    int columns = Get(machine.columns80) ? 80 : 40;
    int x = (2 * column + 1) * kWindowWidth / (2 * columns);
    int y = (2 * row + 1) * kWindowHeight / (2 * ScreenRows());
    return (y << 16) | x;
}

uint8_t Peek(int address) {
    return static_cast<uint8_t>(BusAccess(address, 0, MemRead));
}

std::vector<uint8_t> Memory(int start, int length) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < length; i++)
        bytes.push_back(Peek(start + i));
    return bytes;
}

std::string TapePath(const char* name) {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("z80home-machine-" + std::to_string(getpid()) + "-" + name + ".tape");
    std::filesystem::remove(path);
    return path.string();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Record(const std::string& name, int start, const std::vector<uint8_t>& data,
                            uint8_t type) {
    std::vector<uint8_t> record(16, 0x55);
    record.push_back(0xC3);
    record.push_back(0x3C);
    std::vector<uint8_t> header = {type};
    for (size_t i = 0; i < 8; i++)
        header.push_back(i < name.size() ? name[i] : ' ');
    header.push_back(start & 0xFF);
    header.push_back(start >> 8);
    header.push_back(data.size() & 0xFF);
    header.push_back(data.size() >> 8);
    uint8_t check = 0;
    for (uint8_t byte : header)
        check -= byte;
    header.push_back(check);
    record.insert(record.end(), header.begin(), header.end());
    record.insert(record.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : data)
        sum += byte;
    record.push_back(sum & 0xFF);
    record.push_back((sum >> 8) & 0xFF);
    return record;
}

std::vector<uint8_t> ProgramImage(const std::vector<StoredLine>& lines) {
    int address = RomSymbol("TXTTAB");
    std::vector<uint8_t> image;
    for (const StoredLine& line : lines) {
        address += 5 + static_cast<int>(line.text.size());
        image.insert(image.end(),
                     {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                      static_cast<uint8_t>(line.number), static_cast<uint8_t>(line.number >> 8)});
        image.insert(image.end(), line.text.begin(), line.text.end());
        image.push_back(0);
    }
    image.insert(image.end(), {0, 0});
    return image;
}

int RomSymbol(const std::string& name) {
    static std::map<std::string, int> symbols;
    if (symbols.empty()) {
        const char* dir = std::getenv("Z80HOME_ROM_DIR");
        std::ifstream listing(std::string(dir ? dir : ".") + "/n80basic.sym");
        std::string symbol, equ, value;
        while (listing >> symbol >> equ >> value)
            symbols[symbol] = static_cast<int>(std::strtol(value.c_str(), nullptr, 16));
    }
    auto found = symbols.find(name);
    if (found == symbols.end()) {
        ADD_FAILURE() << "the ROM has no symbol " << name;
        return 0;
    }
    return found->second;
}

bool RunUntilIdle(int slices) {
    static const int head = RomSymbol("KHEAD"), tail = RomSymbol("KTAIL");
    for (int i = 0; i <= slices; i++) {
        // A slice ends just after a tick, while its handler runs: the HALT
        // comes back within a tick period if the machine is idle.
        Z80Regs regs;
        Z80GetRegs(&regs);
        for (int step = 0; step < 8 && !regs.halted; step++) {
            CpuRunSliceUpTo(kSliceBudgetDisplayOn / kTicksPerSlice / 8);
            Z80GetRegs(&regs);
        }
        if (regs.halted && Peek(head) == Peek(tail)) return true;
        if (i < slices) RunSlices(1);
    }
    return false;
}

bool AtBasicPrompt(void) {
    int row = Get(machine.cursorY);
    if (row < 1 || Get(machine.cursorX) != 0) return false;
    std::string text = ScreenRow(row - 1);
    return text.rfind("Ok ", 0) == 0 && text.find_first_not_of(' ', 2) == std::string::npos;
}

bool RunUntilBasicPrompt(int slices) {
    for (int i = 0; i < slices; i++) {
        if (AtBasicPrompt()) return true;
        RunSlices(1);
    }
    return AtBasicPrompt();
}

void BasicBoot(void) {
    PowerOn();
}

int Basic(const std::string& line, int slices) {
    int row = TypeLine(line);
    EXPECT_TRUE(RunUntilBasicPrompt(slices)) << line << ": no Ok after it";
    for (int r = CursorRow(); r >= 0; r--)
        if (ScreenRow(r).rfind(line.substr(0, 40), 0) == 0) return r;
    return row;
}

void Enter(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        TypeLine(line);
        RunSlices(4);
    }
}

std::string TrimmedRow(int row) {
    std::string text = ScreenRow(row);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::vector<std::string> BasicOutput(const std::string& line, int slices) {
    int row = Basic(line, slices);
    std::vector<std::string> rows;
    for (int r = row + 1; r < CursorRow() - 1; r++)
        rows.push_back(TrimmedRow(r));
    return rows;
}

int PeekWord(int address) {
    return Peek(address) | Peek(address + 1) << 8;
}
