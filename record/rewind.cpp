// Rewind (record/z80home_record.h): a ring of snapshots of the whole machine,
// taken every tenth of a second of its time from the tick hook, each the
// state file and what input holds, with the cycle and tick it was taken at.
// The newest state file is kept whole; each older one only as its
// difference from the next newer, the runs of bytes that changed, so the
// ring takes a few bytes for a tenth of a second in which little changed.
#include <algorithm>
#include <deque>

#include "bus/keyboard.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "input/input.h"
#include "plus/save_state.h"
#include "plus/state_checksum.h"
#include "record/recorder.h"
#include "record/z80home_record.h"
#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint32_t kRewindTicksApart = 50; // a tenth of a second
constexpr uint32_t kRewindSnapshotsPerSecond = 10;
constexpr uint32_t kRewindLongestSeconds = 600;

struct RewindSnapshot {
    uint64_t cycle, ticks;
    std::vector<uint8_t> state; // whole for the newest, else RewindDiff's
    std::vector<uint8_t> input;
};

// The change from to into, of two state files of one length: runs of
// unchanged bytes skipped, each followed by the new bytes of a run that
// changed, the two lengths as 32-bit counts.
static std::vector<uint8_t> RewindDiff(const std::vector<uint8_t>& from,
                                       const std::vector<uint8_t>& to) {
    std::vector<uint8_t> diff;
    auto count = [&diff](size_t n) {
        for (int i = 0; i < 4; i++)
            diff.push_back(static_cast<uint8_t>(n >> (8 * i)));
    };
    for (size_t at = 0; at < to.size();) {
        size_t same = at;
        while (same < to.size() && from[same] == to[same])
            same++;
        size_t changed = same;
        while (changed < to.size() && from[changed] != to[changed])
            changed++;
        count(same - at);
        count(changed - same);
        diff.insert(diff.end(), to.begin() + static_cast<ptrdiff_t>(same),
                    to.begin() + static_cast<ptrdiff_t>(changed));
        at = changed;
    }
    return diff;
}

// Makes bytes into what diff was taken to.
static void RewindPatch(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& diff) {
    auto count = [&diff](size_t& at) {
        size_t n = StateRead32(diff.data() + at);
        at += 4;
        return n;
    };
    size_t to = 0;
    for (size_t at = 0; at < diff.size();) {
        to += count(at);
        size_t changed = count(at);
        std::copy(diff.begin() + static_cast<ptrdiff_t>(at),
                  diff.begin() + static_cast<ptrdiff_t>(at + changed),
                  bytes.begin() + static_cast<ptrdiff_t>(to));
        at += changed;
        to += changed;
    }
}

// On the processor thread, but for depth, which the host reads.
static struct {
    std::deque<RewindSnapshot> ring;
    size_t most;
    uint64_t lastTick; // ticksRun at the last snapshot
    std::atomic<uint32_t> depth;
} rewinder;

static void RewindCount(void) {
    Put(rewinder.depth,
        static_cast<uint32_t>(rewinder.ring.size() * 1000 / kRewindSnapshotsPerSecond));
}

static void RewindTake(void) {
    uint64_t ticks = Get(machine.ticksRun);
    if (ticks - rewinder.lastTick < kRewindTicksApart) return;
    rewinder.lastTick = ticks;
    if (rewinder.ring.size() == rewinder.most) rewinder.ring.pop_front();
    // At a tick the machine's clocks are up to date, between two
    // instructions.
    RewindSnapshot snapshot{Get(machine.cyclesRun), ticks, StateCapture(), {}};
    StateIo io{StateMode::kSave, &snapshot.input, nullptr, 0, 0};
    InputState(io, snapshot.cycle, true);
    if (!rewinder.ring.empty()) {
        std::vector<uint8_t>& newest = rewinder.ring.back().state;
        newest = RewindDiff(snapshot.state, newest);
    }
    rewinder.ring.push_back(std::move(snapshot));
    RewindCount();
}

void SetRewind(uint32_t seconds) {
    uint32_t kept = std::min(seconds, kRewindLongestSeconds);
    RunControlCall(
        [](void* context) {
            uint32_t length = *static_cast<uint32_t*>(context);
            rewinder.ring.clear();
            rewinder.most = size_t{length} * kRewindSnapshotsPerSecond;
            rewinder.lastTick = Get(machine.ticksRun);
            RewindCount();
            Put(machineTickHook, length ? RewindTake : nullptr);
        },
        &kept);
}

static void RewindStepJob(void* context) {
    bool& stepped = *static_cast<bool*>(context);
    // The newest snapshot is where the machine stands if it has not run
    // since; then the one before it is the step back, if there is one.
    if (rewinder.ring.empty()) return;
    if (rewinder.ring.back().ticks == Get(machine.ticksRun)) {
        if (rewinder.ring.size() == 1) return;
        std::vector<uint8_t> newest = std::move(rewinder.ring.back().state);
        rewinder.ring.pop_back();
        RewindPatch(newest, rewinder.ring.back().state);
        rewinder.ring.back().state = std::move(newest);
    }
    const RewindSnapshot& snapshot = rewinder.ring.back();
    uint8_t held[std::size(machine.keyHostDown)];
    std::copy(std::begin(machine.keyHostDown), std::end(machine.keyHostDown), held);
    StateApply(snapshot.state.data(), snapshot.state.size(), false);
    uint64_t now = Get(machine.cyclesRun);
    StateIo io{StateMode::kLoad, nullptr, snapshot.input.data(), 0, snapshot.input.size()};
    InputState(io, now, true);
    RecordCut(snapshot.cycle, snapshot.ticks);
    // The machine's clocks run on: the snapshot's moment is now, and each
    // older one as far before it as it was.
    uint64_t cycles = now - snapshot.cycle, ticks = Get(machine.ticksRun) - snapshot.ticks;
    for (RewindSnapshot& kept : rewinder.ring) {
        kept.cycle += cycles;
        kept.ticks += ticks;
    }
    // The keys are the host's now, not those it held then: the changes go in
    // as events, so a recording cut here replays them too.
    for (auto [key, down] : KeyboardHostChanges(held)) {
        InputEvent event;
        event.kind = InputKind::kKey;
        event.code = key;
        event.down = down;
        InputApply(event, now);
    }
    rewinder.lastTick = Get(machine.ticksRun);
    RewindCount();
    stepped = true;
}

unsigned char RewindStep(void) {
    RunControlSetPaused(true);
    bool stepped = false;
    RunControlCall(RewindStepJob, &stepped);
    return stepped ? 1 : 0;
}

uint32_t GetRewindDepth(void) {
    return Get(rewinder.depth);
}

size_t RewindBytes(void) {
    size_t bytes = 0;
    for (const RewindSnapshot& snapshot : rewinder.ring)
        bytes += sizeof snapshot + snapshot.state.size() + snapshot.input.size();
    return bytes;
}
