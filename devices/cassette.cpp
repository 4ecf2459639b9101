// Cassette tape: the serial interface backed by one host file, a raw stream
// of bytes with no header or framing.
//
//   even port 0x20-0x2E  write  append the byte to the file
//                        read   the next byte of the file; 0xFF at the end
//                               (and rewind) or when the file cannot be read
//   odd port 0x21-0x2F   write  ignored
//                        read   serialStatus: 0x07 once the host chose a
//                               file, 0 after a machine reset
//   port 0x40 bit 2      cmtFileSet (read by the system control port)
//
// cmtWriteFailures counts the bytes written to the data port that did not
// reach the file (no tape named, a folder, a pipe or a device, a file that
// cannot be opened for appending, a full disk), so that a host can say so:
// the program is told nothing, as a real recorder tells it nothing.
// cmtFailedSaves counts the runs of such bytes, one for each SAVE: a SAVE
// writes its bytes back to back, and the next one comes at least
// kCassetteSaveGapCycles later in the machine's time (typed, or after the
// first one's message), so a host that looks now and then, in warp too,
// tells each failed SAVE once. Both are the host's counts, not the
// machine's: only power-on clears them; neither a reset nor a state touches
// them.
//
// The file is opened and closed around every byte, so the host may change it
// between accesses: its size is asked afresh on each read. The first read
// after the host chooses a file only rewinds and yields 0xFF, as does the
// read after the last byte, so the tape loops.
//
// cmtLock guards the name and its flags: SetCMTFile changes them in one step
// and every port access uses one consistent set.
//
// Only regular files are tapes: a pipe, a device or a folder gives no bytes
// and takes none.
//
// Not emulated: the serial line itself (baud rates, framing, handshakes) and
// files of 2 GiB or more, whose size the 32-bit query cannot tell; reading
// one yields 0xFF and keeps the position.
#include "devices/cassette.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kCassetteNoByte = 0xFF;
constexpr uint8_t kCassetteStatusReady = 0x07;
// Two of the longest ticks (the display off): the clock the cassette reads
// moves on a tick at a time, and a SAVE writes a byte every few hundred
// cycles, so a pause of two ticks or more lies between two SAVEs.
constexpr uint64_t kCassetteSaveGapCycles = 2 * (kSliceBudgetDisplayOff / kTicksPerSlice);

// Only a regular file is a tape. Opening a pipe waits for its other end,
// which would stop the processor's thread inside a port access holding
// cmtLock (and the host's next SetCMTFile with it); a device never ends.
static bool CassetteIsTape(const struct _stat64i32& status) {
    return (status.st_mode & S_IFMT) == S_IFREG;
}

// Appends the byte to the tape; false when it did not reach the file. The
// caller holds cmtLock.
static bool CassetteAppend(uint8_t data) {
    // A file that is not there yet is created; one too large to measure
    // is still a regular file.
    struct _stat64i32 status;
    if (_stat64i32(machine.cmtFileName, &status) == 0 && !CassetteIsTape(status)) return false;
    FILE* file = std::fopen(machine.cmtFileName, "ab");
    if (!file) return false;
    // The byte waits in the stream's buffer, so a full disk shows on closing.
    bool written = std::fputc(data, file) != EOF;
    return std::fclose(file) == 0 && written;
}

void CassetteWriteData(uint8_t data) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    if (CassetteAppend(data)) return;
    uint64_t now = Get(machine.cyclesRun);
    if (!Get(machine.cmtWriteFailures) || now - machine.cmtFailedAt >= kCassetteSaveGapCycles)
        Put(machine.cmtFailedSaves, Get(machine.cmtFailedSaves) + 1);
    machine.cmtFailedAt = now;
    Put(machine.cmtWriteFailures, Get(machine.cmtWriteFailures) + 1);
}

// Reads the byte at cmtReadOffset of the file measured as status; the caller
// holds cmtLock and has the file open.
static uint8_t CassetteReadAt(FILE* file, const struct _stat64i32& status) {
    int32_t offset = machine.cmtReadOffset;
    if (status.st_size <= offset) {
        machine.cmtReadOffset = 0;
        return kCassetteNoByte;
    }
    machine.cmtReadOffset = offset + 1;
    if (std::fseek(file, offset, SEEK_SET) != 0) return kCassetteNoByte;
    int byte = std::fgetc(file);
    return byte == EOF ? kCassetteNoByte : static_cast<uint8_t>(byte);
}

uint8_t CassetteReadData(void) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    if (machine.cmtRewindPending) {
        machine.cmtRewindPending = 0;
        machine.cmtReadOffset = 0;
        return kCassetteNoByte;
    }
    struct _stat64i32 status;
    if (_stat64i32(machine.cmtFileName, &status) != 0 || !CassetteIsTape(status))
        return kCassetteNoByte;
    FILE* file = std::fopen(machine.cmtFileName, "rb");
    if (!file) return kCassetteNoByte;
    uint8_t byte = CassetteReadAt(file, status);
    std::fclose(file);
    return byte;
}

uint32_t CassetteWriteFailures(void) {
    return Get(machine.cmtWriteFailures);
}

uint32_t CassetteFailedSaves(void) {
    return Get(machine.cmtFailedSaves);
}

uint8_t CassetteReadStatus(void) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    return machine.serialStatus;
}

void CassetteReset(void) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    machine.serialStatus = 0;
    Put(machine.cmtFileSet, 0);
}

void CassettePowerOn(void) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    std::memset(machine.cmtFileName, 0, kCmtNameSize);
    std::memset(machine.cmtHostName, 0, kCmtNameSize);
    machine.cmtReadOffset = 0;
    machine.cmtRewindPending = 0;
    Put(machine.cmtFileSet, 0);
    machine.serialStatus = 0;
    Put(machine.cmtWriteFailures, 0);
    Put(machine.cmtFailedSaves, 0);
    machine.cmtFailedAt = 0;
}

// A name that does not fit is refused whole: a shortened path could name a
// file the host never chose. The copy comes first so that a host may pass
// GetCMTFile() back in.
static void CassetteName(const char* name, bool rewind) {
    if (!name) return;
    size_t length = strnlen(name, kCmtNameSize);
    if (length == kCmtNameSize) return;
    char copy[kCmtNameSize] = {};
    std::memcpy(copy, name, length);
    std::memcpy(machine.cmtHostName, copy, kCmtNameSize);
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    std::memcpy(machine.cmtFileName, copy, kCmtNameSize);
    if (!rewind) return;
    machine.cmtRewindPending = 1;
    Put(machine.cmtFileSet, 1);
    machine.serialStatus = kCassetteStatusReady;
}

void CassetteSetFile(const char* name) {
    CassetteName(name, true);
}

void CassetteRename(const char* name) {
    CassetteName(name, false);
}

const char* CassetteGetFile(void) {
    return machine.cmtHostName;
}

void CassetteNameToHost(void) {
    std::lock_guard<std::mutex> guard(machine.cmtLock);
    std::memcpy(machine.cmtHostName, machine.cmtFileName, kCmtNameSize);
}

void CassetteState(StateIo& io) {
    // Checking reads only the file's bytes; the others hold the name's lock.
    std::unique_lock<std::mutex> guard(machine.cmtLock, std::defer_lock);
    if (io.mode != StateMode::kCheck) guard.lock();
    char name[kCmtNameSize] = {};
    if (io.mode == StateMode::kSave) memcpy(name, machine.cmtFileName, sizeof name);
    io.LocalValues(name);
    io.Require(memchr(name, 0, sizeof name) != nullptr);
    int32_t offset = io.mode == StateMode::kSave ? machine.cmtReadOffset : 0;
    io.Value(offset);
    io.Require(static_cast<int32_t>(io.Last()) >= 0);
    if (io.mode == StateMode::kLoad) {
        memcpy(machine.cmtFileName, name, sizeof name);
        machine.cmtReadOffset = offset;
    }
    io.Value(machine.cmtRewindPending, 1);
    io.Value(machine.cmtFileSet, 1);
    io.Value(machine.serialStatus);
    io.Require(io.Last() == 0 || io.Last() == kCassetteStatusReady);
}
