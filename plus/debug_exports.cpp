// The plus library's debugger: the command language of debug/commands.h,
// its files read and written on the caller's thread and the command itself
// run on the processor thread through run control, and the reports of stops
// and hits.
#include "plus/z80home_debug.h"

#include <cstring>
#include <string>

#include "core/run_control.h"
#include "debug/commands.h"
#include "debug/debugger.h"

// Where relative paths in commands start: the folder the host was started
// in. Set and read on the host's thread.
static std::string debugFolder;

static int DebugCopy(const std::string& text, bool newestLast, char* out, int size) {
    if (!out || size <= 0) return 0;
    std::string fitted = DebugFit(text, static_cast<size_t>(size), newestLast);
    std::memcpy(out, fitted.data(), fitted.size());
    out[fitted.size()] = 0;
    return static_cast<int>(fitted.size());
}

void DebuggerBreak(void) {
    DebugBreakNow();
}

void DebuggerFolder(const char* folder) {
    debugFolder = folder ? folder : "";
}

struct DebugCall {
    DebugJob job;
    uint64_t resumes;
};

int DebuggerCommand(const char* line, char* out, int size) {
    DebugCall call{};
    call.job.line = line ? line : "";
    call.job.folder = debugFolder;
    DebugPrepare(call.job);
    RunControlCall(
        [](void* context) {
            DebugCall& call = *static_cast<DebugCall*>(context);
            uint64_t before = debugger.resumes;
            DebugRun(call.job);
            call.resumes = debugger.resumes - before;
        },
        &call);
    DebugFinish(call.job);
    // A resumed machine runs on once run control lets it (the job itself
    // runs where run control's lock is held).
    if (call.resumes) RunControlSetPaused(false);
    return DebugCopy(call.job.out, call.job.newestLast, out, size);
}

int DebuggerWaitStop(uint32_t timeoutMs, char* out, int size) {
    DebugReport report;
    if (!DebugTakeReport(timeoutMs, report)) return 0;
    if (report.stop) {
        std::string text;
        RunControlCall(
            [](void* context) { *static_cast<std::string*>(context) = DebugStopReport(); }, &text);
        report.text = text + report.text;
    }
    return DebugCopy(report.text, false, out, size);
}
