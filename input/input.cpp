// Input events: the host's posts, the machine's timeline, and applying each
// event at its cycle (input/input.h).
#include "input/input.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "bus/keyboard.h"
#include "core/machine.h"
#include "input/paste.h"
#include "state/machine_state.h"
#include "state/state_io.h"
#include "video/crtc.h"

std::atomic<void (*)(const InputEvent&)> inputAppliedHook;
std::atomic<void (*)(const std::vector<uint8_t>&)> inputStateHook;

// The timeline runs from the latest cycle down to the earliest, so the next
// event due is at the back; among events of one cycle the one posted first
// is nearest the back.
static void InputSchedule(InputEvent event) {
    std::vector<InputEvent>& timeline = machine.inputTimeline;
    auto at = std::lower_bound(timeline.begin(), timeline.end(), event.cycle,
                               [](const InputEvent& e, uint64_t cycle) { return e.cycle > cycle; });
    timeline.insert(at, std::move(event));
}

// What the host types or points at itself while a replay runs.
static bool InputSetAside(const InputEvent& event) {
    return event.cycle == kInputNow && event.kind <= InputKind::kCancel &&
           Get(machine.cyclesRun) < Get(machine.inputReplayEnd);
}

void InputPost(InputEvent event) {
    if (InputSetAside(event)) return;
    {
        std::lock_guard<std::mutex> lock(machine.inputLock);
        machine.inputInbox.push_back(std::move(event));
        Put(machine.inputPosted, 1);
    }
    if (!Get(machine.running)) InputTakeDue(Get(machine.cyclesRun));
}

void InputTakeDue(uint64_t now) {
    if (Get(machine.inputPosted)) {
        std::vector<InputEvent> posted;
        {
            std::lock_guard<std::mutex> lock(machine.inputLock);
            posted.swap(machine.inputInbox);
            Put(machine.inputPosted, 0);
        }
        for (InputEvent& event : posted) {
            event.cycle = std::max(event.cycle, now);
            InputSchedule(std::move(event));
        }
    }
    std::vector<InputEvent>& timeline = machine.inputTimeline;
    while (!timeline.empty() && timeline.back().cycle <= now) {
        InputEvent event = std::move(timeline.back());
        timeline.pop_back();
        InputApply(event, event.cycle);
    }
}

uint64_t InputNextCycle(void) {
    const std::vector<InputEvent>& timeline = machine.inputTimeline;
    return timeline.empty() ? kNoStopCycle : timeline.back().cycle;
}

void InputApply(InputEvent& event, uint64_t now) {
    switch (event.kind) {
    case InputKind::kKey: KeyboardKey(event.code, event.down != 0, event.modifiers); break;
    case InputKind::kPen:
        CrtcPenEvent(event.code, event.x, event.y, event.width, event.height);
        break;
    case InputKind::kPaste: PasteAppend(event.data); break;
    case InputKind::kCancel: PasteCancel(); break;
    case InputKind::kReset: MachineReset(); break;
    case InputKind::kOptions: break;
    case InputKind::kState:
        if (auto load = Get(inputStateHook)) load(event.data);
        break;
    }
    InputApplied(event, now);
}

void InputApplied(InputEvent& event, uint64_t now) {
    event.cycle = now;
    if (auto applied = Get(inputAppliedHook)) applied(event);
}

void InputTick(void) {
    PasteAdvance();
    KeyboardTick();
}

void InputPowerOn(void) {
    // Emptied down to their storage, as the record is at load.
    {
        std::lock_guard<std::mutex> lock(machine.inputLock);
        std::vector<InputEvent>().swap(machine.inputInbox);
        Put(machine.inputPosted, 0);
    }
    std::vector<InputEvent>().swap(machine.inputTimeline);
    Put(machine.stopCycle, kNoStopCycle);
    Put(machine.stopReached, 0);
    Put(machine.inputReplayEnd, 0);
    machine.sliceCycles = 0;
    PastePowerOn();
}

// A paste's keys or a state's bytes are at most this many bytes.
constexpr uint32_t kInputMostData = 1u << 22;
constexpr uint32_t kInputMostEvents = 1u << 24;

void InputEventState(StateIo& io, InputEvent& event) {
    // The event is the caller's own copy: it is read into while checking too.
    StateMode kept = io.mode;
    if (kept == StateMode::kCheck) io.mode = StateMode::kLoad;
    io.Value(event.cycle);
    uint8_t kind = static_cast<uint8_t>(event.kind);
    io.Value(kind);
    io.Require(io.Last() >= 1 && io.Last() <= kInputKindLast);
    event.kind = static_cast<InputKind>(io.Last());
    io.Value(event.down, 1);
    io.Value(event.modifiers);
    io.Value(event.code);
    for (int32_t* value : {&event.x, &event.y, &event.width, &event.height})
        io.Value(*value);
    io.Bytes(event.data, kInputMostData);
    io.mode = kept;
}

void InputState(StateIo& io, uint64_t now, bool withTimeline) {
    io.Value(machine.sliceCycles, kSliceBudgetDisplayOff - 1);
    KeyboardInputState(io);
    PasteState(io);
    uint32_t count = withTimeline ? static_cast<uint32_t>(machine.inputTimeline.size()) : 0;
    io.Value(count, kInputMostEvents);
    count = static_cast<uint32_t>(io.Last());
    std::vector<InputEvent> events;
    uint64_t later = kNoStopCycle;
    for (uint32_t i = 0; i < count && io.ok; i++) {
        // Counted from now, latest first, as the timeline keeps them.
        InputEvent event;
        if (io.mode == StateMode::kSave) {
            event = machine.inputTimeline[i];
            event.cycle -= std::min(event.cycle, now);
        }
        InputEventState(io, event);
        io.Require(event.cycle <= later);
        later = event.cycle;
        event.cycle += now;
        if (io.mode == StateMode::kLoad) events.push_back(std::move(event));
    }
    if (io.mode == StateMode::kLoad && io.ok) machine.inputTimeline = std::move(events);
}

void InputReplaceTimeline(std::vector<InputEvent> events) {
    std::reverse(events.begin(), events.end());
    machine.inputTimeline = std::move(events);
}
