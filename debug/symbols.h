// Names for addresses: read from what an assembler writes, so the
// disassembler and the debugger's commands show and take labels.
//
// A name is either an address (a label of code or data) or a constant (a
// port, a mask, a length). Every name is taken wherever a number goes; only
// addresses are shown in place of numbers. The assembler's symbol table does
// not say which a name is, its listing does:
// - a label in a listing, and a name of an "ADDRESS NAME" line, is an
//   address;
// - a name given by EQU is an address when its value lies in the RAM above
//   the ROM (the machine's data: variables, buffers, the screen), and a
//   constant below it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct Symbols {
    std::map<uint16_t, std::string> names;  // the address name shown for an address
    std::map<std::string, uint16_t> values; // every name, upper case
};

// Reads the text of a symbol file. Lines of three forms:
//   "NAME EQU 1234H"      the assembler's symbol table, or a line of its listing
//   "1234 NAME"           an address, then its name
//   "1234:  label NAME"   a label in the assembler's listing (pasmo -d)
// Numbers may carry an H suffix, a 0x or $ or # prefix. In a listing (a text
// with label lines) only the EQU and label lines count. Names that begin with
// a digit (the assembler's numbered local labels) are skipped, and so is every
// line of no form. The first address name read for an address is the one
// shown. Returns the number of names added.
int SymbolsParse(Symbols& symbols, const std::string& text);
// Adds one name; returns false for a name that is not a label.
bool SymbolsAdd(Symbols& symbols, const std::string& name, uint16_t value, bool address);
// The address name shown for an address, or nullptr.
const std::string* SymbolsName(const Symbols& symbols, uint16_t address);
// The nearest address name at or below address, within 100H bytes, as
// "NAME" or "NAME+OFFSET" (hexadecimal); empty when there is none.
std::string SymbolsNearest(const Symbols& symbols, uint16_t address);
// Parses a hexadecimal number (an H suffix, a 0x, $ or # prefix allowed) up
// to FFFFFFFF; false for anything else.
bool SymbolsNumber(const std::string& text, uint32_t& value);
// A name's value; false when there is no such name.
bool SymbolsFind(const Symbols& symbols, const std::string& name, uint16_t& value);
