// The plus library's view of the cassette, for hosts that report what the
// program is not told.
#include "plus/z80home_plus.h"

#include "devices/cassette.h"

uint32_t GetTapeWriteFailures(void) {
    return CassetteWriteFailures();
}

uint32_t GetTapeFailedSaves(void) {
    return CassetteFailedSaves();
}
