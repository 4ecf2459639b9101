// The plus library's debugger: the command language of debug/commands.h run
// on the processor thread through run control, and the stops it reports.
#include "plus/z80home_debug.h"

#include <chrono>
#include <cstring>
#include <string>

#include "core/run_control.h"
#include "debug/commands.h"
#include "debug/debugger.h"

struct DebugJob {
    const char* line;
    std::string out;
    uint64_t resumes;
};

static int DebugCopy(const std::string& text, char* out, int size) {
    if (out && size > 0) {
        size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        std::memcpy(out, text.data(), n);
        out[n] = 0;
    }
    return static_cast<int>(text.size());
}

void DebuggerBreak(void) {
    DebugBreakNow();
}

int DebuggerCommand(const char* line, char* out, int size) {
    DebugJob job{line ? line : "", "", 0};
    RunControlCall(
        [](void* context) {
            DebugJob& job = *static_cast<DebugJob*>(context);
            uint64_t before = debugger.resumes;
            job.out = DebugExecute(job.line);
            job.resumes = debugger.resumes - before;
        },
        &job);
    // A resumed machine runs on once run control lets it (the job itself
    // runs where run control's lock is held).
    if (job.resumes) RunControlSetPaused(false);
    return DebugCopy(job.out, out, size);
}

int DebuggerWaitStop(uint32_t timeoutMs, char* out, int size) {
    {
        std::unique_lock<std::mutex> lock(debugger.stopLock);
        if (!debugger.stopSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] {
                return debugger.stopCount > debugger.stopsReported;
            }))
            return 0;
        debugger.stopsReported = debugger.stopCount;
    }
    DebugJob job{"", "", 0};
    RunControlCall([](void* context) { static_cast<DebugJob*>(context)->out = DebugStopReport(); },
                   &job);
    return DebugCopy(job.out, out, size);
}
