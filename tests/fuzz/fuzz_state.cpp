// The state loader against any file. An input's first byte picks how the
// rest is used: even, the rest is a payload after the ROM images' hashes,
// sealed into a file with a good header and checksum, so the fuzzer reaches
// the sections; odd, the rest is the whole file as read from disk.
//
// Beyond the sanitizers: a file the check accepts loads, and saving the
// machine right after gives back the very same bytes, but for the keyboard's
// rows, which a file may hold down and the machine saves released (keys are
// the host's); the loaded machine then runs two short slices and draws a
// frame.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "plus/save_state.h"
#include "plus/state_checksum.h"
#include "state/machine_state.h"
#include "tests/fuzz/fuzz_support.h"
#include "video/screen.h"
#include "z80/z80.h"

namespace {

constexpr size_t kHashBytes = 16;

void Check(bool ok) {
    if (!ok) std::abort();
}

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++)
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Cycles of each of the two slices: a few hundred instructions are enough
// to run whatever the loaded registers point at, at a tenth of the cost.
constexpr int32_t kSliceCycles = 3000;

// A saved file's header and the ROM images' hashes, which every sealed
// input starts with (the ROM images never change).
const std::vector<uint8_t>& HeaderAndHashes(void) {
    static const std::vector<uint8_t> header = [] {
        std::vector<uint8_t> file = StateCapture();
        file.resize(kStateHeaderSize + kHashBytes);
        return file;
    }();
    return header;
}

// The file as the machine saves it once loaded: the keyboard's rows
// released, the processor's section ending with the LD A,I latch (clear,
// when the file is from before it), the length and checksum made again.
std::vector<uint8_t> AsSaved(std::vector<uint8_t> file) {
    const uint32_t keyboard = 'K' | 'E' << 8 | 'Y' << 16 | uint32_t{'B'} << 24;
    for (const StateIo::Span& span : StateFields(file.data(), file.size()))
        if (span.section == keyboard) std::fill_n(file.begin() + span.at, span.size, 0);
    const size_t processorLengthAt = kStateHeaderSize + kHashBytes + 4;
    static const uint32_t processorLength = StateRead32(StateCapture().data() + processorLengthAt);
    if (StateRead32(file.data() + processorLengthAt) == processorLength - 1) {
        file.insert(file.begin() + processorLengthAt + 4 + processorLength - 1, 0);
        Put32(file, processorLengthAt, processorLength);
    }
    uint32_t length = static_cast<uint32_t>(file.size() - kStateHeaderSize);
    Put32(file, 12, length);
    Put32(file, 16, StateCrc32(file.data() + kStateHeaderSize, length));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool roms = FuzzLoadRoms();
    (void)roms;
    static bool bus = (setz80memaccess(BusAccess), true);
    (void)bus;
    FuzzResetMachine();
    if (size == 0) return 0;
    std::vector<uint8_t> file;
    if (data[0] & 1) {
        file.assign(data + 1, data + size);
    } else {
        file = HeaderAndHashes();
        file.insert(file.end(), data + 1, data + size);
        uint32_t length = static_cast<uint32_t>(file.size() - kStateHeaderSize);
        Put32(file, 12, length);
        Put32(file, 16, StateCrc32(file.data() + kStateHeaderSize, length));
    }
    if (StateCheck(file.data(), file.size()) != kStateOk) return 0;
    StateApply(file.data(), file.size(), true);
    Check(StateCapture() == AsSaved(file));
    CpuRunSliceUpTo(kSliceCycles);
    CpuRunSliceUpTo(kSliceCycles);
    DrawScreen();
    return 0;
}
