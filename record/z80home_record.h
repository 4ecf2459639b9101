// z80home-plus: recording, replay and rewind. Declared apart from
// plus/z80home_plus.h but exported by the same library, with the same
// conventions: C linkage, undecorated names, called on the host's thread.
//
// A recording is the machine's state where it starts and every input event
// the machine takes from then on (keys with their modifiers, the light pen,
// pastes, resets, states loaded, changes of the picture's options), each at
// its machine cycle. Replayed, the machine starts from that state and takes
// the same events at the same cycles, so it runs the same way bit for bit,
// at any speed, in warp or paced, on any host. The calendar clock runs in
// the machine's time while a recording is made or replayed, from the host's
// time at its start, so a program that reads the clock reads the same
// times again. The tape stays the host's: a replay reads and writes the
// tape the host has chosen, as LoadState does.
//
// The file: "Z80HRCRD", a format version, the payload's length and its
// CRC-32 (as a state file has), then the payload, little-endian: the clock
// at the start (seconds), the recording's length in cycles, the starting
// state as a state file, what the keyboard and the paste held (keys on
// their way in), and the events, each with its cycle counted from the start.
#pragma once

#include <cstdint>

#include "core/z80home.h"

extern "C" {
// Starts recording; the file is written by StopRecording. Waits. 0, or a
// code GetRecordingMessage explains (10: a recording or a replay is under
// way already).
Z80HOME_API int StartRecording(const char* path);
// Ends the recording here and writes its file (beside it first, then
// renamed over it, as SaveState does). Waits. 0, or a code (2: cannot
// write, 11: nothing is being recorded).
Z80HOME_API int StopRecording(void);
// 1 while a recording is being made.
Z80HOME_API unsigned char GetRecording(void);
// Starts a replay: every check comes first, and a file that cannot be read,
// is cut short, is not a recording, is of another version, is oversized,
// corrupted, holds impossible values or was made with other ROM images is
// refused with its code (1 and 3 to 9, as LoadState's), the machine left as
// it was. Then the machine is set to the recording's start and takes its
// events at their cycles; the host's own input is set aside until the
// replay ends (GetReplayEnd), and the machine is the user's again. Waits.
Z80HOME_API int ReplayRecording(const char* path);
// The cycle (GetCycles' count) at which the replay under way ends; 0 when
// none is under way.
Z80HOME_API uint64_t GetReplayEnd(void);
// What a recording's code means, in a sentence.
Z80HOME_API const char* GetRecordingMessage(int code);

// Rewind: while seconds is not 0 the machine keeps a snapshot of itself
// every tenth of a second of its time, the last seconds' worth, in memory.
// Changing the length drops the snapshots kept. Waits.
Z80HOME_API void SetRewind(uint32_t seconds);
// Takes the machine back to the snapshot before the latest one (the latest
// first, if the machine has run on since it), pausing it: 1, or 0 with
// nothing changed when no snapshot is left. A recording under way is cut
// there and goes on from there. Waits.
Z80HOME_API unsigned char RewindStep(void);
// The machine's time the snapshots kept reach back, in milliseconds.
Z80HOME_API uint32_t GetRewindDepth(void);
}
