// Recording and replay (record/z80home_record.h): the recorder is told of
// every input event the machine applies and keeps it with its cycle; the
// replayer loads the starting state and hands the machine the events as a
// timeline of its own.
#include "record/z80home_record.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/run_control.h"
#include "devices/calendar.h"
#include "input/input.h"
#include "plus/save_state.h"
#include "plus/state_checksum.h"
#include "record/recorder.h"
#include "state/machine_state.h"
#include "state/state_io.h"

static const uint8_t kRecordMagic[8] = {'Z', '8', '0', 'H', 'R', 'C', 'R', 'D'};
constexpr uint32_t kRecordVersion = 1;
constexpr size_t kRecordHeaderSize = 20;
constexpr size_t kRecordLengthAt = 12;
constexpr size_t kRecordCrcAt = 16;
// A recording of hours of typing stays far below this.
constexpr uint32_t kRecordLargestPayload = 1u << 30;
constexpr uint32_t kRecordMostEvents = 1u << 26;
constexpr uint32_t kTicksPerSecond = kTicksPerSlice * 1000 / 16;

Recorder recorder;

// ---- The calendar's clock in the machine's time ----

// The host's time at the start, on by the ticks the machine has run since.
static __time64_t RecordClock(void) {
    uint64_t ticks = Get(machine.ticksRun) - recorder.clockTicks;
    return recorder.clockStart + static_cast<__time64_t>(ticks / kTicksPerSecond);
}

// A replay's clock gives the host's own back once the replay has ended.
static __time64_t RecordReplayClock(void) {
    if (Get(machine.cyclesRun) < Get(machine.inputReplayEnd)) return RecordClock();
    Put(calendarClockHook, nullptr);
    return _time64(nullptr);
}

static void RecordClockFrom(__time64_t start, __time64_t (*clock)(void)) {
    recorder.clockStart = start;
    recorder.clockTicks = Get(machine.ticksRun);
    Put(calendarClockHook, clock);
}

// ---- Recording ----

// The input hook: each event applied, by its cycle from the start. A change
// of the picture's options becomes the whole state it leaves.
static void RecordEvent(const InputEvent& applied) {
    InputEvent event = applied;
    if (event.kind == InputKind::kOptions) {
        event.kind = InputKind::kState;
        event.data = StateCapture();
    }
    event.cycle -= recorder.origin;
    recorder.marks.push_back({event.cycle, recorder.events.size()});
    StateIo io{StateMode::kSave, &recorder.events, nullptr, 0, 0};
    InputEventState(io, event);
}

// The recording starts over at the machine as it stands: its state and the
// input in flight, the clock as the calendar sees it.
static void RecordBegin(__time64_t clock) {
    uint64_t now = Get(machine.cyclesRun);
    recorder.origin = now;
    recorder.events.clear();
    recorder.marks.clear();
    recorder.head.clear();
    RecordClockFrom(clock, RecordClock);
    StateIo io{StateMode::kSave, &recorder.head, nullptr, 0, 0};
    uint64_t start = static_cast<uint64_t>(clock);
    io.Value(start);
    std::vector<uint8_t> state = StateCapture();
    io.Bytes(state, kStateHeaderSize + kStateLargestPayload);
    InputState(io, now, false);
}

static void RecordStartJob(void* context) {
    int& result = *static_cast<int*>(context);
    if (Get(recorder.recording) || Get(machine.inputReplayEnd) > Get(machine.cyclesRun)) {
        result = kRecordBusy;
        return;
    }
    RecordBegin(_time64(nullptr));
    Put(inputAppliedHook, RecordEvent);
    Put(recorder.recording, 1);
    result = kStateOk;
}

int StartRecording(const char* path) {
    if (!path || !*path) return kStateCannotWrite;
    int result = kStateOk;
    RunControlCall(RecordStartJob, &result);
    if (result == kStateOk) recorder.path = path;
    return result;
}

static void RecordStopJob(void* context) {
    std::vector<uint8_t>& payload = *static_cast<std::vector<uint8_t>*>(context);
    Put(inputAppliedHook, nullptr);
    Put(calendarClockHook, nullptr);
    Put(recorder.recording, 0);
    uint64_t clock = 0, length = Get(machine.cyclesRun) - recorder.origin;
    StateIo io{StateMode::kSave, &payload, nullptr, 0, 0};
    // The head starts with the clock; the length follows it.
    payload.assign(recorder.head.begin(), recorder.head.begin() + sizeof clock);
    io.Value(length);
    payload.insert(payload.end(), recorder.head.begin() + sizeof clock, recorder.head.end());
    uint32_t count = static_cast<uint32_t>(recorder.marks.size());
    io.Value(count);
    payload.insert(payload.end(), recorder.events.begin(), recorder.events.end());
    recorder.events.clear();
    recorder.marks.clear();
}

int StopRecording(void) {
    if (!Get(recorder.recording)) return kRecordNotRecording;
    std::vector<uint8_t> payload;
    RunControlCall(RecordStopJob, &payload);
    std::vector<uint8_t> file(kRecordMagic, kRecordMagic + sizeof kRecordMagic);
    StateIo header{StateMode::kSave, &file, nullptr, 0, 0};
    uint32_t version = kRecordVersion, length = static_cast<uint32_t>(payload.size());
    uint32_t crc = StateCrc32(payload.data(), payload.size());
    header.Value(version);
    header.Value(length);
    header.Value(crc);
    file.insert(file.end(), payload.begin(), payload.end());
    return StateWriteFile(recorder.path.c_str(), file) ? kStateOk : kStateCannotWrite;
}

unsigned char GetRecording(void) {
    return Get(recorder.recording);
}

void RecordCut(uint64_t snapshotCycle, uint64_t snapshotTicks) {
    if (!Get(recorder.recording)) return;
    uint64_t now = Get(machine.cyclesRun);
    // The clock of the snapshot's moment, from the recording's own.
    __time64_t clock =
        recorder.clockStart +
        static_cast<__time64_t>((snapshotTicks - recorder.clockTicks) / kTicksPerSecond);
    if (snapshotCycle < recorder.origin) {
        // Back to before the recording began: it begins again here.
        RecordBegin(snapshotTicks < recorder.clockTicks ? recorder.clockStart : clock);
        return;
    }
    uint64_t kept = snapshotCycle - recorder.origin;
    size_t marks = recorder.marks.size();
    while (marks > 0 && recorder.marks[marks - 1].cycle > kept)
        marks--;
    if (marks < recorder.marks.size()) {
        recorder.events.resize(recorder.marks[marks].at);
        recorder.marks.resize(marks);
    }
    // From here the recording's time goes on from the snapshot's.
    recorder.origin += now - snapshotCycle;
    recorder.clockTicks += Get(machine.ticksRun) - snapshotTicks;
}

// ---- Replay ----

// A recording read and checked: what the replay job needs.
struct Replay {
    uint64_t clock = 0, length = 0;
    std::vector<uint8_t> state;
    std::vector<uint8_t> input; // the keyboard's and the paste's part, as saved
    std::vector<InputEvent> events;
};

// Reads the payload into replay; kStateOk or why it is refused.
static int RecordParse(const uint8_t* payload, size_t size, Replay& replay) {
    StateIo io{StateMode::kCheck, nullptr, payload, 0, size};
    io.Value(replay.clock);
    replay.clock = io.Last();
    io.Value(replay.length);
    replay.length = io.Last();
    io.mode = StateMode::kLoad;
    io.Bytes(replay.state, kStateHeaderSize + kStateLargestPayload);
    io.mode = StateMode::kCheck;
    if (!io.ok) return kStateMalformed;
    if (int state = StateCheck(replay.state.data(), replay.state.size())) return state;
    size_t inputAt = io.at;
    InputState(io, 0, false);
    if (!io.ok) return kStateMalformed;
    replay.input.assign(payload + inputAt, payload + io.at);
    uint32_t count = 0;
    io.Value(count, kRecordMostEvents);
    count = static_cast<uint32_t>(io.Last());
    uint64_t earlier = 0;
    for (uint32_t i = 0; i < count && io.ok; i++) {
        InputEvent event;
        InputEventState(io, event);
        // In order, within the recording, and only what a host can give.
        io.Require(event.cycle >= earlier && event.cycle <= replay.length &&
                   event.kind != InputKind::kOptions);
        if (event.kind == InputKind::kState)
            io.Require(StateCheck(event.data.data(), event.data.size()) == kStateOk);
        earlier = event.cycle;
        replay.events.push_back(std::move(event));
    }
    return io.ok && io.at == io.end ? kStateOk : kStateMalformed;
}

static int RecordRead(const char* path, Replay& replay) {
    if (!path || !*path) return kStateCannotRead;
    FILE* in = fopen(path, "rb");
    if (!in) return kStateCannotRead;
    std::vector<uint8_t> file(kRecordHeaderSize);
    size_t got = fread(file.data(), 1, kRecordHeaderSize, in);
    int result = kStateOk;
    if (ferror(in))
        result = kStateCannotRead;
    else if (got == 0)
        result = kStateTruncated;
    else if (memcmp(file.data(), kRecordMagic, std::min(got, sizeof kRecordMagic)) != 0)
        result = kStateNotAState;
    else if (got < kRecordHeaderSize)
        result = kStateTruncated;
    else if (StateRead32(file.data() + 8) != kRecordVersion)
        result = kStateWrongVersion;
    else if (StateRead32(file.data() + kRecordLengthAt) > kRecordLargestPayload)
        result = kStateOversized;
    if (result != kStateOk) {
        fclose(in);
        return result;
    }
    size_t length = StateRead32(file.data() + kRecordLengthAt);
    // One byte more tells a file longer than its header says.
    file.resize(kRecordHeaderSize + length + 1);
    got = fread(file.data() + kRecordHeaderSize, 1, length + 1, in);
    bool failed = ferror(in) != 0;
    fclose(in);
    if (failed) return kStateCannotRead;
    if (got < length) return kStateTruncated;
    if (got > length) return kStateOversized;
    const uint8_t* payload = file.data() + kRecordHeaderSize;
    if (StateCrc32(payload, length) != StateRead32(file.data() + kRecordCrcAt))
        return kStateCorrupted;
    return RecordParse(payload, length, replay);
}

// A kState event of the replay: the state it names, without the tape.
static void RecordLoadState(const std::vector<uint8_t>& state) {
    StateApply(state.data(), state.size(), false);
}

static void RecordReplayJob(void* context) {
    Replay& replay = *static_cast<Replay*>(context);
    uint64_t now = Get(machine.cyclesRun);
    StateApply(replay.state.data(), replay.state.size(), false);
    StateIo io{StateMode::kLoad, nullptr, replay.input.data(), 0, replay.input.size()};
    InputState(io, now, false);
    for (InputEvent& event : replay.events)
        event.cycle += now;
    InputReplaceTimeline(std::move(replay.events));
    Put(inputStateHook, RecordLoadState);
    Put(machine.inputReplayEnd, now + replay.length);
    RecordClockFrom(static_cast<__time64_t>(replay.clock), RecordReplayClock);
}

int ReplayRecording(const char* path) {
    if (Get(recorder.recording)) return kRecordBusy;
    Replay replay;
    if (int result = RecordRead(path, replay)) return result;
    RunControlCall(RecordReplayJob, &replay);
    return kStateOk;
}

uint64_t GetReplayEnd(void) {
    uint64_t end = Get(machine.inputReplayEnd);
    return end > Get(machine.cyclesRun) ? end : 0;
}

const char* GetRecordingMessage(int code) {
    switch (code) {
    case kStateOk: return "done";
    case kStateCannotRead: return "the recording cannot be opened or read";
    case kStateCannotWrite: return "the recording cannot be written";
    case kStateTruncated: return "the recording is cut short";
    case kStateNotAState: return "the file is not a recording";
    case kStateWrongVersion: return "the recording was made in another format version";
    case kStateOversized: return "the recording is longer than its header says";
    case kStateCorrupted: return "the recording is corrupted (its checksum does not match)";
    case kStateMalformed: return "the recording holds values no machine has";
    case kStateOtherRoms: return "the recording was made with other ROM images";
    case kRecordBusy: return "a recording or a replay is under way already";
    case kRecordNotRecording: return "nothing is being recorded";
    default: return "unknown recording result";
    }
}
