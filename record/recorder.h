// The recorder's own record, shared by recording and rewind.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

// Codes beyond a state file's (plus/save_state.h).
constexpr int kRecordBusy = 10;
constexpr int kRecordNotRecording = 11;

struct RecordMark {
    uint64_t cycle; // counted from the recording's start
    size_t at;      // where the event starts in Recorder::events
};

// Changed on the processor thread only (in run-control jobs and the input
// hook); recording is read by the host.
struct Recorder {
    std::atomic<uint8_t> recording;
    std::string path;              // the host's: written by StopRecording
    uint64_t origin;               // the machine cycle the recording counts from
    __time64_t clockStart;         // the calendar's clock at the start
    uint64_t clockTicks;           // and the ticks run then
    std::vector<uint8_t> head;     // the clock, the starting state and input
    std::vector<uint8_t> events;   // the events, one after another
    std::vector<RecordMark> marks; // where each begins
};

extern Recorder recorder;

// The machine went back to a snapshot taken at snapshotCycle, after
// snapshotTicks ticks: what was recorded since is dropped, and the recording
// goes on from the snapshot's time. On the processor thread.
void RecordCut(uint64_t snapshotCycle, uint64_t snapshotTicks);

// The memory the rewind's snapshots take now, in bytes (for the benchmark).
// On the processor thread, or with no machine thread running.
size_t RewindBytes(void);
