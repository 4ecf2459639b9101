// The bus as the processor drives it: every input is a run of BusAccess calls
// with any address, data and kind, ports included. The cassette is a fresh
// file in the scratch folder, so tape reads and writes reach a real file.
//
// Each call is one op byte and its operands:
//   op bits 0-2  kind 0-7 (4 and up are no kind at all)
//   op bit 3     the address is 32 bits wide (else 16)
//   op bit 4     the data is 32 bits wide (else 8)
//   op bits 5-7  all set: choose the tape file again (rewinds reading)
//
// Besides the sanitizers, every call's result is held to the bus's contract,
// and at the end the tape holds exactly one byte per data-port write.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bus/bus.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/fuzz/fuzz_support.h"

static void Check(bool ok) {
    if (!ok) std::abort();
}

static int ReadBack(int address) {
    return BusAccess(address, 0, MemRead);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetMachine();
    std::string tape = FuzzScratchDir() + "/tape";
    SetCMTFile(tape.c_str());
    uintmax_t written = 0;

    FuzzInput in{data, size};
    while (in.More()) {
        uint8_t op = in.Byte();
        if ((op & 0xE0) == 0xE0) {
            SetCMTFile(tape.c_str());
            continue;
        }
        unsigned kind = op & 0x07;
        int address = (op & 0x08) ? static_cast<int>(in.Long()) : in.Word();
        int value = (op & 0x10) ? static_cast<int>(in.Long()) : in.Byte();
        int before = ReadBack(address);
        int result = BusAccess(address, value, kind);
        int port = address & 0xFF;
        switch (kind) {
        case MemWrite: {
            Check(result == 0);
            int a = address & 0xFFFF;
            if (a >= 0x6000 || Get(machine.ramSelect)) Check(ReadBack(address) == (value & 0xFF));
            break;
        }
        case MemRead: Check(result >= 0 && result <= 0xFF); break;
        case PortWrite:
            Check(result == ((port >= 0x21 && port <= 0x2F && (port & 1)) ? 0 : 0xFF));
            if (port >= 0x20 && port <= 0x2F && !(port & 1)) written++;
            break;
        case PortRead:
            // Keyboard rows come back as the complement of the whole row.
            if (port <= 0x0F)
                Check((result & ~0xFF) == ~0xFF);
            else
                Check(result >= 0 && result <= 0xFF);
            break;
        default:
            Check(result == 0xFF);
            Check(ReadBack(address) == before);
            break;
        }
    }

    std::error_code error;
    uintmax_t size_on_disk = std::filesystem::file_size(tape, error);
    Check(error ? written == 0 : size_on_disk == written);
    return 0;
}
