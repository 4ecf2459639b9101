// Cassette tape: the serial ports 0x20 to 0x2F backed by a host file.
#pragma once

struct StateIo;

#include <cstdint>

void CassetteWriteData(uint8_t data);
uint8_t CassetteReadData(void);
uint8_t CassetteReadStatus(void);
// The bytes written to the data port that did not reach the file, since
// power-on.
uint32_t CassetteWriteFailures(void);
// The runs of such bytes, one for each SAVE that failed, since power-on.
uint32_t CassetteFailedSaves(void);
// Reset: the status and cmtFileSet 0 until the host names a tape again; the
// name and the position survive it.
void CassetteReset(void);
// The host's tape (SetCMTFile, GetCMTFile): a name of kCmtNameSize characters
// or more, or none, is refused; any other rewinds and marks the tape set.
// The name GetCMTFile returns is a copy that only the host's thread writes,
// so a state loaded on the processor's thread never changes it under the
// host; CassetteNameToHost brings it up to date after such a load.
void CassetteSetFile(const char* name);
const char* CassetteGetFile(void);
void CassetteNameToHost(void);
// Another name for the same tape, kept where it stands and as it is set: for
// a host whose loaded state names a copy of the tape it no longer has.
void CassetteRename(const char* name);
// Power-on: no tape named, at its start.
void CassettePowerOn(void);
// Saves, checks or loads the tape's name, position and status
// (state/state_io.h).
void CassetteState(StateIo& io);
