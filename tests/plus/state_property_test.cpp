// Save states as properties: every field the state code names goes through
// a file and back, every byte of a file is covered by its checks, and what
// stays the host's stays so.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "plus/save_state.h"
#include "plus/state_checksum.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"
#include "z80/z80.h"

namespace {

namespace fs = std::filesystem;

uint32_t Tag(const char* tag) {
    return StateRead32(reinterpret_cast<const uint8_t*>(tag));
}

// The file with its CRC made to match its payload again.
std::vector<uint8_t> Resealed(std::vector<uint8_t> file) {
    uint32_t crc = StateCrc32(file.data() + kStateHeaderSize, file.size() - kStateHeaderSize);
    for (int i = 0; i < 4; i++)
        file[16 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return file;
}

uint64_t ReadValue(const std::vector<uint8_t>& file, const StateIo::Span& span) {
    uint64_t value = 0;
    for (size_t i = 0; i < span.size; i++)
        value |= uint64_t{file[span.at + i]} << (8 * i);
    return value;
}

void WriteValue(std::vector<uint8_t>& file, const StateIo::Span& span, uint64_t value) {
    for (size_t i = 0; i < span.size; i++)
        file[span.at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A booted machine mid-command, with the tape chosen and glyph RAM set, so
// that its fields are not all at their power-on values.
std::vector<uint8_t> BusyMachineFile() {
    MachineBoot();
    SetCMTFile("z80home-property.tape");
    Command("PCG 80 FF 81 42");
    TypeText("DUMP 7");
    RunSlices(3);
    return StateCapture();
}

// Each value the state code reads, set to another value the check accepts,
// loaded into a machine just powered on and saved again, gives the same
// file: no field is saved and not loaded, loaded into another, or lost. The
// keys are left out: a state holds none.
TEST(StateFields, EveryFieldOfEveryDeviceGoesThroughAFileAndBack) {
    const std::vector<uint8_t> base = BusyMachineFile();
    const std::vector<StateIo::Span> spans = StateFields(base.data(), base.size());
    std::set<uint32_t> sections;
    std::mt19937_64 random(23);
    for (const StateIo::Span& span : spans) {
        if (span.section == 0 || span.section == Tag("KEYB")) continue;
        sections.insert(span.section);
        // A value of more than eight bytes (an array) is changed a byte at a time.
        const uint64_t value = span.size <= 8 ? ReadValue(base, span) : 0;
        const uint64_t tries[] = {value + 1, value - 1, value ^ 1, 0, 1, 0xDD, 0x104, 0x101};
        bool taken = false;
        for (size_t attempt = 0; attempt < 40 && !taken; attempt++) {
            std::vector<uint8_t> file = base;
            if (span.size > 8) {
                file[span.at + random() % span.size] ^= static_cast<uint8_t>(1 + random() % 255);
            } else {
                uint64_t other = attempt < std::size(tries) ? tries[attempt] : random();
                WriteValue(file, span, other);
            }
            file = Resealed(file);
            if (file == Resealed(base) || StateCheck(file.data(), file.size()) != kStateOk)
                continue;
            taken = true;
            MachinePowerOn();
            StateApply(file.data(), file.size(), true);
            EXPECT_TRUE(StateCapture() == file)
                << "the field at byte " << span.at << " of section "
                << std::string(reinterpret_cast<const char*>(&span.section), 4)
                << " does not come back as loaded";
        }
        EXPECT_TRUE(taken) << "no other value of the field at byte " << span.at << " is taken";
    }
    EXPECT_EQ(sections.size(), 8u) << "sections with fields";
}

// One byte of the machine goes through a file: some change of it, made
// just after power-on, reaches the saved file (which is otherwise
// `poweredOn`), and the first such file the checks take, loaded into a
// machine just powered on, brings the byte back.
bool ThroughAFile(const std::vector<uint8_t>& poweredOn, const std::function<uint8_t()>& get,
                  const std::function<void(uint8_t)>& put) {
    bool saved = false;
    for (uint8_t change : {0x01, 0x80, 0xDD}) {
        MachinePowerOn();
        put(static_cast<uint8_t>(get() ^ change));
        const uint8_t value = get(); // as the machine keeps it
        const std::vector<uint8_t> file = StateCapture();
        if (file == poweredOn) continue;
        saved = true;
        if (StateCheck(file.data(), file.size()) != kStateOk) continue;
        MachinePowerOn();
        StateApply(file.data(), file.size(), true);
        return get() == value;
    }
    return saved;
}

// Every field of the machine's record and of the processor's registers,
// found in them rather than in the state code's list: a field is a byte
// that power-on, or reading the registers, writes whatever it held (padding
// is never written). The record is walked in spans from field to field, so
// a field added inside one is checked without changing this test; between
// them lie the host's fields, its input on the way in with the slice under
// way (a recording's or a rewind's, not a file's), the renderer's, and the
// ROM images, which a file holds by their hash. Main RAM is sampled.
TEST(StateFields, EveryByteOfEveryFieldGoesThroughAFile) {
    struct Span {
        const void *first, *end;
    };
    const tm& set = machine.calendarSetRecord;
    const Span spans[] = {
        {&machine.mainRam, &machine.basicRom},
        {&machine.greenDisplay, &machine.running},
        {&machine.pendingInterrupt, &machine.cyclesRun},
        {&machine.vrtcToggle, &machine.sliceCycles},
        {&machine.columns80, &machine.keyMatrix},
        {&machine.crtcParamsLeft, &set},
        {&set.tm_sec, &set.tm_isdst + 1},
        {&machine.cmtFileName, &machine.cmtHostName},
        {&machine.cmtReadOffset, &machine.cmtWriteFailures},
    };
    auto* record = reinterpret_cast<uint8_t*>(&machine);
    std::vector<bool> field(sizeof machine), regsField(sizeof(Z80Regs));
    for (uint8_t fill : {0x5A, 0xA5}) {
        for (const Span& span : spans)
            memset(const_cast<void*>(span.first), fill,
                   static_cast<const char*>(span.end) - static_cast<const char*>(span.first));
        MachinePowerOn();
        for (const Span& span : spans)
            for (auto* at = static_cast<const uint8_t*>(span.first); at < span.end; at++)
                if (*at != fill) field[at - record] = true;
        uint8_t regs[sizeof(Z80Regs)];
        memset(regs, fill, sizeof regs);
        Z80GetRegs(reinterpret_cast<Z80Regs*>(regs));
        for (size_t at = 0; at < sizeof regs; at++)
            if (regs[at] != fill) regsField[at] = true;
    }
    MachinePowerOn();
    const std::vector<uint8_t> poweredOn = StateCapture();
    std::mt19937 random(26);
    for (size_t at = 0; at < sizeof machine; at++) {
        if (!field[at] || (at < sizeof machine.mainRam && random() % 256)) continue;
        EXPECT_TRUE(ThroughAFile(
            poweredOn, [&] { return record[at]; }, [&](uint8_t b) { record[at] = b; }))
            << "byte " << at << " of the record";
    }
    for (size_t at = 0; at < sizeof(Z80Regs); at++) {
        if (!regsField[at]) continue;
        auto get = [at] {
            Z80Regs now;
            Z80GetRegs(&now);
            return reinterpret_cast<uint8_t*>(&now)[at];
        };
        auto put = [at](uint8_t b) {
            Z80Regs now;
            Z80GetRegs(&now);
            reinterpret_cast<uint8_t*>(&now)[at] = b;
            Z80SetRegs(&now);
        };
        EXPECT_TRUE(ThroughAFile(poweredOn, get, put))
            << "byte " << at << " of the processor's registers";
    }
}

// A file saved before the processor's section ended with the LD A,I latch
// loads as it did, with the latch clear.
TEST(StateFields, AFileFromBeforeTheLdAirLatchLoads) {
    const std::vector<uint8_t> now = BusyMachineFile();
    // The processor's section follows the two ROM hashes; the latch is its last byte.
    const size_t lengthAt = kStateHeaderSize + 16 + 4;
    std::vector<uint8_t> old = now;
    const uint32_t length = StateRead32(&old[lengthAt]);
    ASSERT_EQ(old[lengthAt + 4 + length - 1], 0);
    old.erase(old.begin() + static_cast<ptrdiff_t>(lengthAt + 4 + length - 1));
    WriteValue(old, {lengthAt, 4, 0}, length - 1);
    WriteValue(old, {12, 4, 0}, StateRead32(&old[12]) - 1);
    old = Resealed(old);
    ASSERT_EQ(StateCheck(old.data(), old.size()), kStateOk);
    Z80Regs regs;
    Z80GetRegs(&regs);
    regs.ldAirLatch = 1;
    Z80SetRegs(&regs);
    StateApply(old.data(), old.size(), true);
    EXPECT_TRUE(StateCapture() == now);
}

// CRC-32 sees every change of one byte: each one in the header is refused,
// and each in the payload -- in the fields, at its end, at random in RAM --
// is refused as corrupted, before any value is looked at.
TEST(StateFields, EverySingleByteChangeIsRefused) {
    const std::vector<uint8_t> base = BusyMachineFile();
    std::set<size_t> places;
    for (size_t at = 0; at < kStateHeaderSize; at++)
        places.insert(at);
    for (size_t at = base.size() - 4096; at < base.size(); at++)
        places.insert(at);
    for (const StateIo::Span& span : StateFields(base.data(), base.size()))
        if (span.size <= kCmtNameSize)
            for (size_t at = span.at; at < span.at + span.size; at++)
                places.insert(at);
    std::mt19937 random(24);
    while (places.size() < 9000)
        places.insert(random() % base.size());
    for (size_t at : places) {
        std::vector<uint8_t> file = base;
        file[at] ^= static_cast<uint8_t>(1 + random() % 255);
        int code = StateCheck(file.data(), file.size());
        if (at < kStateHeaderSize)
            ASSERT_NE(code, kStateOk) << "byte " << at << " changed";
        else
            ASSERT_EQ(code, kStateCorrupted) << "byte " << at << " changed";
    }
}

// The check field is CRC-32 as zip and PNG write it, so that a file saved
// by another build, or checked by another tool, agrees: the fast table
// walk against the textbook bit at a time, over random buffers of every
// length up to 80 (each start and tail of the eight-byte steps) and over a
// whole saved file.
TEST(StateFields, TheCheckIsTheCrc32OfThePayload) {
    auto crc32 = [](const uint8_t* bytes, size_t size) {
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = 0; i < size; i++) {
            c ^= bytes[i];
            for (int bit = 0; bit < 8; bit++)
                c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        return ~c;
    };
    std::mt19937 random(25);
    for (size_t size = 0; size <= 80; size++)
        for (int trial = 0; trial < 40; trial++) {
            std::vector<uint8_t> bytes(size);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(random());
            ASSERT_EQ(StateCrc32(bytes.data(), size), crc32(bytes.data(), size))
                << size << " bytes, trial " << trial;
        }
    const std::vector<uint8_t> file = BusyMachineFile();
    EXPECT_EQ(StateRead32(file.data() + 16),
              crc32(file.data() + kStateHeaderSize, file.size() - kStateHeaderSize));
}

// The interrupt mode has three values; the check refuses the other 253.
TEST(StateFields, TheInterruptModeIsRangeChecked) {
    const std::vector<uint8_t> base = BusyMachineFile();
    Z80Regs regs;
    Z80GetRegs(&regs);
    regs.im = regs.im == 1 ? 2 : 1;
    Z80SetRegs(&regs);
    const std::vector<uint8_t> other = StateCapture();
    size_t at = 0;
    for (size_t i = kStateHeaderSize; i < base.size(); i++)
        if (base[i] != other[i] && (at = i, true)) break;
    ASSERT_EQ(other[at], regs.im);
    for (int mode = 0; mode < 256; mode++) {
        std::vector<uint8_t> file = other;
        file[at] = static_cast<uint8_t>(mode);
        file = Resealed(file);
        EXPECT_EQ(StateCheck(file.data(), file.size()) == kStateOk, mode <= 2) << "IM " << mode;
    }
}

fs::path Scratch(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("z80home-host-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir / name;
}

// The tape and the keys are the host's: a state loaded keeps the tape the
// host chose (unless it asks for the file's) and the keys it holds, and a
// saved one holds no key, so the modifiers of a quick save's chord do not
// come back held.
TEST(StateHost, TheTapeAndTheKeysStayTheHosts) {
    MachineBoot();
    SetCMTFile("chosen-at-save.tape");
    CtlEmulator(WM_KEYDOWN, VK_CONTROL, 0);
    CtlEmulator(WM_KEYDOWN, VK_SHIFT, 0);
    RunSlices(1);
    fs::path file = Scratch("host.state");
    ASSERT_EQ(SaveState(file.string().c_str()), kStateOk);
    CtlEmulator(WM_KEYUP, VK_CONTROL, 0);
    CtlEmulator(WM_KEYUP, VK_SHIFT, 0);
    RunSlices(1);
    SetCMTFile("chosen-later.tape");
    const char* name = GetCMTFile();

    ASSERT_EQ(LoadState(file.string().c_str()), kStateOk);
    EXPECT_STREQ(GetCMTFile(), "chosen-later.tape");
    EXPECT_STREQ(machine.cmtFileName, "chosen-later.tape");
    EXPECT_EQ(Get(machine.keyMatrix[8]), 0) << "the chord's modifiers came back held";
    CtlEmulator(WM_KEYDOWN, 'Q', 0);
    RunSlices(1);
    ASSERT_EQ(LoadState(file.string().c_str()), kStateOk);
    EXPECT_EQ(Get(machine.keyMatrix[4]), 0x02) << "a key the host holds was let go";

    ASSERT_EQ(LoadStateWithTape(file.string().c_str()), kStateOk);
    EXPECT_STREQ(GetCMTFile(), "chosen-at-save.tape");
    EXPECT_EQ(GetCMTFile(), name) << "the host's name moved";
    CtlEmulator(WM_KEYUP, 'Q', 0);
    fs::remove_all(file.parent_path());
}

// A loaded beeper change wakes the beeper's thread, which would otherwise
// play the old tone on until something else changed.
TEST(StateHost, ALoadedBeeperChangeWakesTheBeeper) {
    MachineBoot();
    BusAccess(0x40, 0x20, PortWrite);
    const std::vector<uint8_t> sounding = StateCapture();
    BusAccess(0x40, 0x00, PortWrite);
    uint32_t changes = Get(machine.beepChanges);
    StateApply(sounding.data(), sounding.size(), false);
    EXPECT_EQ(Get(machine.beepOn), 1);
    EXPECT_NE(Get(machine.beepChanges), changes);
}

// A step asked for while another thread lets the machine run on returns
// instead of waiting for some later pause; the dropped step does not run
// at that pause either.
TEST(StepSlice, AResumeBeforeTheStepBeginsLetsItReturn) {
    MachineBoot();
    Put(machine.running, 1); // as if the threads ran: the step is the processor thread's
    Put(machine.paused, 1);
    auto step = std::async(std::launch::async, [] { return StepSlice(); });
    for (;;) {
        std::lock_guard<std::mutex> lock(machine.runLock);
        if (machine.stepsAsked > machine.stepsDone) break;
    }
    SetPaused(0);
    bool returned = step.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!returned) {
        std::lock_guard<std::mutex> lock(machine.runLock);
        machine.stepsAsked = machine.stepsDone = machine.stepsDone + 1;
        machine.runSignal.notify_all();
    }
    EXPECT_TRUE(returned) << "StepSlice waited for a later pause";
    step.wait();
    std::lock_guard<std::mutex> lock(machine.runLock);
    EXPECT_EQ(machine.stepsAsked, machine.stepsDone) << "a dropped step is still asked for";
    Put(machine.running, 0);
}

} // namespace
