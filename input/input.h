// Input from the host, in the machine's time. Every key, light-pen move,
// paste and reset a host gives becomes an InputEvent (state/input_event.h)
// stamped with the machine cycle at which it takes effect, and is applied
// by the processor thread between two instructions when the machine
// reaches that cycle, so the same events at the same cycles make the same
// run, whatever the host's timing, speed or load. A host thread posts; the
// processor thread takes what was posted at its next check (a tick, an
// event due, a stop, a slice's start), stamping an event posted for "now"
// with that check's cycle. With no machine thread running (before RunEmu,
// or a driver that runs the slices itself) a post is taken at once, at the
// cycle the machine stands at.
#pragma once

#include <atomic>
#include <cstdint>

#include "state/input_event.h"

struct StateIo;

// Any thread: hands the event over (cycle kInputNow, or one in the past:
// as soon as the machine takes it). While a replay runs (until
// machine.inputReplayEnd) the host's own keys, pen and pastes are set aside.
void InputPost(InputEvent event);

// The processor thread (or no machine thread running): takes what was
// posted, stamping it with now, and applies every event due by now, in
// order of cycle and, at one cycle, of posting.
void InputTakeDue(uint64_t now);
// The cycle of the next event waiting in the machine's time, kNoStopCycle
// when none is.
uint64_t InputNextCycle(void);
// Applies one event now and tells the hook below (a reset made by the
// host's ResetEmu goes through here).
void InputApply(InputEvent& event, uint64_t now);
// Tells the hook below of an event the caller has carried out itself (a
// state loaded), stamped now.
void InputApplied(InputEvent& event, uint64_t now);
// The tick's share of input: the paste's next key, then the keyboard's
// next change into the matrix.
void InputTick(void);

// After each event applied, with its cycle (a recorder); null: none.
extern std::atomic<void (*)(const InputEvent&)> inputAppliedHook;
// Applies a kState event's bytes (a replayer); null: such events change
// nothing.
extern std::atomic<void (*)(const std::vector<uint8_t>&)> inputStateHook;

// Power-on: nothing posted, nothing waiting, no stop.
void InputPowerOn(void);
// Saves, checks or loads what input holds beyond a state file (keys on
// their way into the matrix, the paste, the events waiting counted from
// now, where the slice stands), so that a recording or a rewind starts
// exactly where it was taken (state/state_io.h). Without the timeline, no
// event waits: a recording's start (the events still to come are recorded
// as they are taken).
void InputState(StateIo& io, uint64_t now, bool withTimeline);
// The events waiting become these, given in order of cycle (and at one
// cycle, in the order to apply them): a replay's.
void InputReplaceTimeline(std::vector<InputEvent> events);
// One event's fields, for a file of events; a check reads them into event
// too.
void InputEventState(StateIo& io, InputEvent& event);
