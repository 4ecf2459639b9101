// Save states (plus/save_state.h): the file is put together and taken apart
// here; each device names its own fields in its XxxState function.
#include "plus/save_state.h"

#include <cstdio>
#include <cstring>
#include <io.h>
#include <windows.h>

#include "bus/keyboard.h"
#include "bus/sysctl.h"
#include "core/run_control.h"
#include "devices/calendar.h"
#include "devices/cassette.h"
#include "input/input.h"
#include "plus/state_checksum.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "state/state_io.h"
#include "video/crtc.h"
#include "video/dma.h"
#include "video/pcg.h"
#include "z80/z80.h"

static const uint8_t kStateMagic[8] = {'Z', '8', '0', 'H', 'S', 'T', 'A', 'T'};
// Where the header keeps the payload's length.
constexpr size_t kStateLengthAt = 12;

// The processor's registers and latches, through the core's register API.
static void StateProcessor(StateIo& io) {
    Z80Regs regs{};
    if (io.mode == StateMode::kSave) Z80GetRegs(&regs);
    for (unsigned short* pair :
         {&regs.af, &regs.bc, &regs.de, &regs.hl, &regs.af2, &regs.bc2, &regs.de2, &regs.hl2,
          &regs.ix, &regs.iy, &regs.sp, &regs.pc, &regs.wz})
        io.Value(*pair);
    io.Value(regs.i);
    io.Value(regs.r);
    for (unsigned char* flag :
         {&regs.iff1, &regs.iff2, &regs.halted, &regs.eiDelay, &regs.irqPending}) {
        io.Value(*flag);
        io.Require(io.Last() <= 1);
    }
    io.Value(regs.im);
    io.Require(io.Last() <= 2);
    io.Value(regs.q);
    io.Value(regs.irqData);
    io.Value(regs.prefix);
    io.Require(io.Last() == 0 || io.Last() == 0xDD || io.Last() == 0xFD);
    // The LD A,I latch came later: a file saved before it loads with it clear.
    if (io.mode == StateMode::kSave || io.at < io.end) {
        io.Value(regs.ldAirLatch);
        io.Require(io.Last() <= 1);
    }
    if (io.mode == StateMode::kLoad) Z80SetRegs(&regs);
}

struct StateSectionEntry {
    char tag[5];
    void (*fields)(StateIo&);
    bool tape; // the host's tape: loaded only when the host asks for it
};
static const StateSectionEntry kStateSections[] = {
    {"CPU ", StateProcessor, false}, {"CORE", MachineCoreState, false},
    {"SCTL", SysCtlState, false},    {"KEYB", KeyboardState, false},
    {"CRTC", CrtcState, false},      {"DMA ", DmaState, false},
    {"PCG ", PcgState, false},       {"CLOK", CalendarState, false},
    {"CMT ", CassetteState, true},
};

static uint32_t StateTag(const char* tag) {
    return StateRead32(reinterpret_cast<const uint8_t*>(tag));
}

// The payload: the ROM images' hashes, then each section with its tag and
// length; a section must take exactly its length. Loading without the tape
// checks the tape's section but takes nothing from it.
static void StatePayload(StateIo& io, bool withTape) {
    uint64_t basic = StateHash(machine.basicRom, kBasicRomSize);
    uint64_t font = StateHash(machine.fontRom, kFontRomSize);
    io.Value(basic);
    io.Value(font);
    for (const StateSectionEntry& section : kStateSections) {
        uint32_t tag = StateTag(section.tag), length = 0;
        io.section = 0;
        io.Value(tag);
        io.Require(io.Last() == tag);
        if (io.mode == StateMode::kSave) {
            size_t lengthAt = io.out->size();
            io.Value(length);
            section.fields(io);
            length = static_cast<uint32_t>(io.out->size() - lengthAt - 4);
            for (int i = 0; i < 4; i++)
                (*io.out)[lengthAt + i] = static_cast<uint8_t>(length >> (8 * i));
            continue;
        }
        io.Value(length);
        length = static_cast<uint32_t>(io.Last());
        if (!io.ok || io.end - io.at < length) {
            io.ok = false;
            return;
        }
        size_t end = io.end;
        io.end = io.at + length;
        StateMode mode = io.mode;
        if (section.tape && !withTape && mode == StateMode::kLoad) io.mode = StateMode::kCheck;
        io.section = tag;
        section.fields(io);
        io.mode = mode;
        io.Require(io.at == io.end);
        io.end = end;
    }
}

std::vector<uint8_t> StateCapture(void) {
    std::vector<uint8_t> payload;
    payload.reserve(kRamSize + kPcgRamSize + 4096); // RAM and glyph RAM are nearly all of it
    StateIo io{StateMode::kSave, &payload, nullptr, 0, 0};
    StatePayload(io, true);
    std::vector<uint8_t> file(kStateMagic, kStateMagic + sizeof kStateMagic);
    StateIo header{StateMode::kSave, &file, nullptr, 0, 0};
    uint32_t version = kStateVersion, length = static_cast<uint32_t>(payload.size());
    uint32_t crc = StateCrc32(payload.data(), payload.size());
    header.Value(version);
    header.Value(length);
    header.Value(crc);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

size_t StateFileLength(const uint8_t* bytes, size_t size) {
    if (size < kStateHeaderSize) return 0;
    size_t length = kStateHeaderSize + size_t{StateRead32(bytes + kStateLengthAt)};
    return length <= size ? length : 0;
}

int StateCheck(const uint8_t* bytes, size_t size) {
    // An empty file may come with no buffer at all, which memcmp must not see.
    if (size == 0) return kStateTruncated;
    size_t magic = std::min(size, sizeof kStateMagic);
    if (memcmp(bytes, kStateMagic, magic) != 0) return kStateNotAState;
    if (size < kStateHeaderSize) return kStateTruncated;
    if (StateRead32(bytes + 8) != kStateVersion) return kStateWrongVersion;
    uint32_t length = StateRead32(bytes + kStateLengthAt);
    if (length > kStateLargestPayload) return kStateOversized;
    if (size - kStateHeaderSize < length) return kStateTruncated;
    if (size - kStateHeaderSize > length) return kStateOversized;
    const uint8_t* payload = bytes + kStateHeaderSize;
    if (StateCrc32(payload, length) != StateRead32(bytes + 16)) return kStateCorrupted;
    StateIo io{StateMode::kCheck, nullptr, payload, 0, length};
    uint64_t basic = 0, font = 0;
    io.Value(basic);
    basic = io.Last();
    io.Value(font);
    font = io.Last();
    if (!io.ok) return kStateMalformed;
    if (basic != StateHash(machine.basicRom, kBasicRomSize) ||
        font != StateHash(machine.fontRom, kFontRomSize))
        return kStateOtherRoms;
    io.at = 0;
    StatePayload(io, true);
    return io.ok && io.at == io.end ? kStateOk : kStateMalformed;
}

std::vector<StateIo::Span> StateFields(const uint8_t* bytes, size_t size) {
    std::vector<StateIo::Span> spans;
    if (StateCheck(bytes, size) != kStateOk) return spans;
    StateIo io{StateMode::kCheck, nullptr, bytes + kStateHeaderSize, 0, size - kStateHeaderSize};
    io.spans = &spans;
    StatePayload(io, true);
    for (StateIo::Span& span : spans)
        span.at += kStateHeaderSize;
    return spans;
}

void StateApply(const uint8_t* bytes, size_t size, bool withTape) {
    StateIo io{StateMode::kLoad, nullptr, bytes + kStateHeaderSize, 0, size - kStateHeaderSize};
    StatePayload(io, withTape);
}

// ---- The exports ----

bool StateWriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    // A temporary file renamed over the target: the target is either the old
    // file or the whole new one, never half of it, even across a power cut,
    // as the data reach the disk before the rename and the rename before the
    // write reports success.
    std::string temporary = std::string(path) + ".tmp";
    FILE* out = fopen(temporary.c_str(), "wb");
    if (!out) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && fflush(out) == 0 &&
                   _commit(_fileno(out)) == 0;
    written = fclose(out) == 0 && written;
    if (!written ||
        !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        remove(temporary.c_str());
        return false;
    }
    return true;
}

int SaveState(const char* path) {
    if (!path || !*path) return kStateCannotWrite;
    std::vector<uint8_t> file;
    RunControlCall([](void* out) { *static_cast<std::vector<uint8_t>*>(out) = StateCapture(); },
                   &file);
    return StateWriteFile(path, file) ? kStateOk : kStateCannotWrite;
}

static int StateLoad(const char* path, bool withTape) {
    if (!path || !*path) return kStateCannotRead;
    FILE* in = fopen(path, "rb");
    if (!in) return kStateCannotRead;
    // One byte past the largest file tells an oversized one.
    std::vector<uint8_t> file(kStateHeaderSize + kStateLargestPayload + 1);
    size_t size = fread(file.data(), 1, file.size(), in);
    bool failed = ferror(in) != 0;
    fclose(in);
    if (failed) return kStateCannotRead;
    if (size == file.size()) return kStateOversized;
    int result = StateCheck(file.data(), size);
    if (result != kStateOk) return result;
    struct Load {
        const uint8_t* bytes;
        size_t size;
        bool withTape;
    } load{file.data(), size, withTape};
    RunControlCall(
        [](void* context) {
            Load* job = static_cast<Load*>(context);
            StateApply(job->bytes, job->size, job->withTape);
            // An input event of its cycle, for a recording.
            InputEvent loaded;
            loaded.kind = InputKind::kState;
            loaded.data.assign(job->bytes, job->bytes + job->size);
            InputApplied(loaded, Get(machine.cyclesRun));
        },
        &load);
    if (withTape) CassetteNameToHost();
    return kStateOk;
}

int LoadState(const char* path) {
    return StateLoad(path, false);
}

int LoadStateWithTape(const char* path) {
    return StateLoad(path, true);
}

const char* GetStateMessage(int code) {
    switch (code) {
    case kStateOk: return "done";
    case kStateCannotRead: return "the state file cannot be opened or read";
    case kStateCannotWrite: return "the state file cannot be written";
    case kStateTruncated: return "the state file is cut short";
    case kStateNotAState: return "the file is not a saved state";
    case kStateWrongVersion: return "the state was saved in another format version";
    case kStateOversized: return "the state file is longer than a state";
    case kStateCorrupted: return "the state file is corrupted (its checksum does not match)";
    case kStateMalformed: return "the state file holds values no machine has";
    case kStateOtherRoms: return "the state was saved with other ROM images";
    default: return "unknown state result";
    }
}
