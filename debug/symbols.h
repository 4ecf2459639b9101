// Names for addresses: read from the symbol files an assembler writes, so
// the disassembler and the debugger's commands show and take labels.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct Symbols {
    std::map<uint16_t, std::string> names;  // the name shown for an address
    std::map<uint16_t, int> nameCounts;     // names an address has
    std::map<std::string, uint16_t> values; // every name, upper case
};

// Reads a symbol file: "NAME EQU 1234H" lines (as the assembler writes with
// --equ or its symbol table), or "1234 NAME" lines (hexadecimal address, then
// the name). Numbers may carry an H suffix, a 0x or $ or # prefix. Names that
// begin with a digit (the assembler's numbered local labels) are skipped, and
// so is every line that fits neither form. The first name read for an address
// is the one shown. Returns the number of names added, or -1 when the file
// cannot be opened.
int SymbolsLoad(Symbols& symbols, const std::string& path);
// Adds one name; returns false for a name that is not a label.
bool SymbolsAdd(Symbols& symbols, const std::string& name, uint16_t value);
// The name shown for an address, or nullptr. Symbol files also hold small
// constants (ports, masks, lengths), so below 100H a name is shown only for
// the target of a jump or call (code), and only when no other name shares
// the value.
const std::string* SymbolsName(const Symbols& symbols, uint16_t address, bool code);
// Parses a hexadecimal number (an H suffix, a 0x, $ or # prefix allowed) up
// to FFFFFFFF; false for anything else.
bool SymbolsNumber(const std::string& text, uint32_t& value);
// Parses a 16-bit number or a name; false when it is neither.
bool SymbolsValue(const Symbols& symbols, const std::string& text, uint16_t& value);
