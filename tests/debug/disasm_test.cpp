// The disassembler against the assembler: every opcode of every prefix group,
// disassembled and assembled again, gives back its bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

#include "debug/disasm.h"

namespace {

namespace fs = std::filesystem;

constexpr uint16_t kOrigin = 0x8000;

struct Listing {
    std::vector<uint8_t> bytes;
    std::vector<std::string> lines;
    std::vector<uint16_t> starts;
};

// Assembles source with pasmo; the bytes, or empty with the log in error.
std::vector<uint8_t> Assemble(const std::string& source, std::string& error) {
    fs::path dir = fs::temp_directory_path() / ("z80home-disasm-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "in.asm") << source;
    std::string command = std::string("'") + Z80HOME_PASMO + "' --bin '" +
                          (dir / "in.asm").string() + "' '" + (dir / "out.bin").string() + "' > '" +
                          (dir / "log").string() + "' 2>&1";
    std::vector<uint8_t> bytes;
    if (std::system(command.c_str()) == 0) {
        std::ifstream out(dir / "out.bin", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(out), {});
    } else {
        std::ifstream log(dir / "log");
        error.assign(std::istreambuf_iterator<char>(log), {});
    }
    fs::remove_all(dir);
    return bytes;
}

// Each of the 256 opcodes after prefix, with operand bytes after it (a
// negative displacement, then a word), cut to the length the disassembler
// takes, laid end to end from kOrigin.
Listing Disassemble256(const std::vector<uint8_t>& prefix) {
    Listing listing;
    for (int op = 0; op < 256; ++op) {
        uint8_t pattern[8] = {};
        size_t n = 0;
        for (uint8_t b : prefix)
            pattern[n++] = b;
        if (prefix.size() == 2) pattern[n++] = 0x85; // DD/FD CB d op
        pattern[n++] = static_cast<uint8_t>(op);
        pattern[n++] = 0x85;
        pattern[n++] = 0xC3;
        uint16_t at = static_cast<uint16_t>(kOrigin + listing.bytes.size());
        DisasmLine line = Disassemble(at, pattern, nullptr);
        listing.starts.push_back(at);
        listing.lines.push_back(line.text);
        listing.bytes.insert(listing.bytes.end(), pattern, pattern + line.length);
    }
    return listing;
}

TEST(Disassembler, EveryOpcodeOfEveryPrefixAssemblesBackToItsBytes) {
    // DEFB lines: the forms the assembler has no mnemonic for.
    struct Group {
        std::vector<uint8_t> prefix;
        int defbLines;
    } groups[] = {
        {{}, 1}, // ED 85H, a no-operation
        {{0xCB}, 0},
        {{0xED}, 200},      // 56 instructions; duplicates and no-operations
        {{0xDD}, 256 - 85}, // the prefix changes 85 of them
        {{0xFD}, 256 - 85},
        {{0xDD, 0xCB}, 224}, // 32 without a register copy
        {{0xFD, 0xCB}, 224},
    };
    for (const Group& group : groups) {
        Listing listing = Disassemble256(group.prefix);
        std::string source = "\tORG 8000H\n";
        int defb = 0;
        for (const std::string& line : listing.lines) {
            source += "\t" + line + "\n";
            defb += line.rfind("DEFB", 0) == 0;
        }
        std::string error;
        std::vector<uint8_t> again = Assemble(source, error);
        SCOPED_TRACE("prefix " + std::to_string(group.prefix.empty() ? 0 : group.prefix[0]) +
                     " size " + std::to_string(group.prefix.size()));
        ASSERT_FALSE(again.empty()) << error;
        ASSERT_EQ(again.size(), listing.bytes.size());
        for (size_t i = 0; i < listing.lines.size(); ++i) {
            size_t at = listing.starts[i] - kOrigin;
            size_t end =
                i + 1 < listing.starts.size() ? listing.starts[i + 1] - kOrigin : again.size();
            EXPECT_TRUE(
                std::equal(again.begin() + at, again.begin() + end, listing.bytes.begin() + at))
                << listing.lines[i];
        }
        EXPECT_EQ(defb, group.defbLines);
    }
}

TEST(Disassembler, ShowsIndexHalvesUndocumentedFormsPortsTargetsAndNames) {
    Symbols symbols;
    SymbolsAdd(symbols, "COLD", 0x0061, true);
    SymbolsAdd(symbols, "SCREEN", 0xE000, true);
    SymbolsAdd(symbols, "P_TAPE", 0x0020, false);
    SymbolsAdd(symbols, "A_UNDER", 0x0020, false);
    SymbolsAdd(symbols, "LINEMAXB", 0x00FF, false);
    struct Case {
        uint16_t address;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {0x8000, {0xDD, 0x66, 0x05}, "LD H,(IX+05H)"},
        {0x8000, {0xFD, 0x74, 0xFB}, "LD (IY-05H),H"},
        {0x8000, {0xDD, 0x65}, "LD IXH,IXL"},
        {0x8000, {0xFD, 0xCB, 0xFE, 0x36}, "SLL (IY-02H)"},
        {0x8000, {0xDD, 0xCB, 0x05, 0x10}, "DEFB 0DDH,0CBH,05H,10H  ; RL (IX+05H),B"},
        {0x8000, {0xDD, 0xCB, 0x05, 0x41}, "DEFB 0DDH,0CBH,05H,41H  ; BIT 0,(IX+05H)"},
        {0x8000, {0xED, 0x71}, "DEFB 0EDH,71H  ; OUT (C),0"},
        {0x8000, {0xED, 0x70}, "DEFB 0EDH,70H  ; IN F,(C)"},
        {0x8000, {0xED, 0x4C}, "DEFB 0EDH,4CH  ; NEG"},
        {0x8000, {0xDD, 0xEB}, "DEFB 0DDH  ; prefix without effect"},
        {0x8000, {0xDB, 0x51}, "IN A,(51H)  ; CRT status"},
        {0x8000, {0xD3, 0x20}, "OUT (20H),A  ; tape data"},
        {0x8000, {0xD3, 0x99}, "OUT (99H),A"},
        {0x6000, {0x10, 0xFE}, "DJNZ 6000H"},
        {0xFFFF, {0x18, 0x01}, "JR 0002H"},
        {0x8000, {0xCD, 0x61, 0x00}, "CALL COLD"},
        {0x8000, {0xCD, 0x20, 0x00}, "CALL 0020H"}, // constants are not named
        {0x8000, {0xC3, 0xFF, 0x00}, "JP 00FFH"},
        {0x8000, {0x21, 0x00, 0xE0}, "LD HL,SCREEN"},
        {0x8000, {0x21, 0x61, 0x00}, "LD HL,COLD"}, // a label, in any operand
        {0x8000, {0x32, 0x00, 0xE0}, "LD (SCREEN),A"},
        {0x8000, {0xC7}, "RST 00H"},
    };
    for (const Case& c : cases) {
        uint8_t bytes[kDisasmLongest] = {};
        std::copy(c.bytes.begin(), c.bytes.end(), bytes);
        DisasmLine line = Disassemble(c.address, bytes, &symbols);
        EXPECT_EQ(line.text, c.text);
        EXPECT_EQ(line.length,
                  static_cast<int>(line.text.rfind("DEFB 0DDH  ;", 0) == 0 ? 1 : c.bytes.size()))
            << c.text;
    }
}

TEST(Symbols, ReadsBothFileFormsAndSkipsNumberedLocalsAndOtherLines) {
    Symbols symbols;
    EXPECT_EQ(SymbolsParse(symbols, "COLD\t\tEQU 00061H\n"
                                    "00000003\tEQU 0012EH\n"
                                    "GETKEY EQU 0C49H ; comment\n"
                                    "8000 start\n"
                                    "0x8003 loop\n"
                                    "this line is neither\n"
                                    "WARM EQU\n"),
              4);
    uint16_t value = 0;
    struct Lookup {
        const char* text;
        bool ok;
        uint16_t value;
    } lookups[] = {{"cold", true, 0x61},   {"START", true, 0x8000},    {"loop", true, 0x8003},
                   {"0C49H", true, 0xC49}, {"$ffff", true, 0xFFFF},    {"10000", false, 0},
                   {"WARM", false, 0},     {"00000003", true, 0x0003}, {"", false, 0}};
    // A name, or else a 16-bit number.
    auto lookUp = [&](const std::string& text, uint16_t& found) {
        uint32_t number;
        if (SymbolsFind(symbols, text, found)) return true;
        if (!SymbolsNumber(text, number) || number > 0xFFFF) return false;
        found = static_cast<uint16_t>(number);
        return true;
    };
    for (const Lookup& l : lookups) {
        EXPECT_EQ(lookUp(l.text, value), l.ok) << l.text;
        if (l.ok) {
            EXPECT_EQ(value, l.value) << l.text;
        }
    }
    EXPECT_EQ(*SymbolsName(symbols, 0x8000), "start");
    // A table does not tell a label from a constant: below the RAM, an EQU
    // is taken as a constant.
    EXPECT_EQ(SymbolsName(symbols, 0x61), nullptr);
    EXPECT_EQ(SymbolsName(symbols, 0x62), nullptr);
}

} // namespace
