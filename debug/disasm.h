// The disassembler: one instruction of the whole Z80 instruction set,
// undocumented forms included, as text the assembler takes back.
//
// Forms the assembler has no mnemonic for (IN F,(C), OUT (C),0, the DD/FD CB
// register copies, the ED duplicates and no-operations, a DD or FD prefix
// that changes nothing) come out as DEFB of their bytes with the mnemonic as
// a comment, so the text always assembles to the same bytes. Port numbers of
// IN and OUT carry the name of what answers there as a comment.
#pragma once

#include <cstdint>
#include <string>

#include "debug/symbols.h"

constexpr int kDisasmLongest = 4;

struct DisasmLine {
    int length;       // 1 to 4 bytes
    std::string text; // mnemonic and operands, then "; comment" if any
};

// Disassembles the instruction whose first byte is bytes[0], at address
// (relative jumps show their target). bytes holds kDisasmLongest bytes.
// Addresses shown by name where symbols (may be null) have one.
DisasmLine Disassemble(uint16_t address, const uint8_t* bytes, const Symbols* symbols);
