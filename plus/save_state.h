// Save states: the file's layout and the refusal codes.
//
//   offset  size  field
//   0       8     magic "Z80HSTAT"
//   8       4     format version (kStateVersion)
//   12      4     length of the payload
//   16      4     CRC-32 of the payload
//   20      ...   payload: sections, each a 4-byte tag, a 4-byte length and
//                 the device's fields (state/state_io.h)
//
// Every number is little-endian. The ROM images are recorded by a hash; a
// state loads only on a machine with the same images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/state_io.h"

constexpr uint32_t kStateVersion = 1;
constexpr size_t kStateHeaderSize = 20;
// The payload is about 68 KB; anything far beyond is not ours.
constexpr uint32_t kStateLargestPayload = 1u << 20;

enum StateResult : int {
    kStateOk = 0,
    kStateCannotRead = 1,
    kStateCannotWrite = 2,
    kStateTruncated = 3,
    kStateNotAState = 4,
    kStateWrongVersion = 5,
    kStateOversized = 6,
    kStateCorrupted = 7,
    kStateMalformed = 8,
    kStateOtherRoms = 9,
};

// Writes bytes to a file beside path, flushed to the disk, and renames it
// over path, so path is never half written; false when that fails.
bool StateWriteFile(const char* path, const std::vector<uint8_t>& bytes);
// The whole file for the machine as it is now (call it where no instruction
// runs: on the processor thread, or with no threads).
std::vector<uint8_t> StateCapture(void);
// The length of the file that starts at bytes, as its header gives it, for a
// file kept among other bytes; 0 when the header is cut short or the file
// would run past size.
size_t StateFileLength(const uint8_t* bytes, size_t size);
// Checks a file's bytes, changing nothing: kStateOk or why it is refused.
int StateCheck(const uint8_t* bytes, size_t size);
// Where each value of a good file lies (offsets from the file's start) and
// its section's tag, as the state code reads them; empty for a bad file.
std::vector<StateIo::Span> StateFields(const uint8_t* bytes, size_t size);
// Loads checked bytes into the machine (where no instruction runs); the
// tape's name and position too when withTape.
void StateApply(const uint8_t* bytes, size_t size, bool withTape);
