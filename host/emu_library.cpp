#include "host/emu_library.h"

#include <windows.h>

// GetProcAddress hands out a generic function pointer; the export's own type
// is reached through void*, as the compiler rejects a direct cast between
// function types.
template <typename Function>
static void EmuResolve(HMODULE module, const char* name, Function& slot, std::string& missing) {
    FARPROC address = GetProcAddress(module, name);
    slot = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    if (!address) missing += std::string(missing.empty() ? "" : ", ") + name;
}

bool EmuLoad(const std::string& path, EmuLibrary& emu, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load the emulator library " + path;
        return false;
    }
    emu = EmuLibrary{};
    std::string missing;
    EmuResolve(module, "RunEmu", emu.RunEmu, missing);
    EmuResolve(module, "ResetEmu", emu.ResetEmu, missing);
    EmuResolve(module, "SetCMTFile", emu.SetCMTFile, missing);
    EmuResolve(module, "GetCMTFile", emu.GetCMTFile, missing);
    EmuResolve(module, "SetGreenDisplay", emu.SetGreenDisplay, missing);
    EmuResolve(module, "GetGreenDisplay", emu.GetGreenDisplay, missing);
    EmuResolve(module, "SetPCG", emu.SetPCG, missing);
    EmuResolve(module, "GetPCG", emu.GetPCG, missing);
    EmuResolve(module, "CtlEmulator", emu.CtlEmulator, missing);
    if (!missing.empty()) {
        error = "the emulator library " + path + " lacks " + missing;
        return false;
    }
    EmuResolve(module, "SetPaused", emu.SetPaused, missing);
    EmuResolve(module, "GetPaused", emu.GetPaused, missing);
    EmuResolve(module, "StepSlice", emu.StepSlice, missing);
    EmuResolve(module, "SetSpeed", emu.SetSpeed, missing);
    EmuResolve(module, "GetSpeed", emu.GetSpeed, missing);
    EmuResolve(module, "SetWarp", emu.SetWarp, missing);
    EmuResolve(module, "GetWarp", emu.GetWarp, missing);
    EmuResolve(module, "GetCycles", emu.GetCycles, missing);
    EmuResolve(module, "PasteText", emu.PasteText, missing);
    EmuResolve(module, "GetPasteLeft", emu.GetPasteLeft, missing);
    EmuResolve(module, "CancelPaste", emu.CancelPaste, missing);
    EmuResolve(module, "GetPasteOverflow", emu.GetPasteOverflow, missing);
    EmuResolve(module, "OpenListing", emu.OpenListing, missing);
    EmuResolve(module, "PollListing", emu.PollListing, missing);
    EmuResolve(module, "GetListingMessage", emu.GetListingMessage, missing);
    EmuResolve(module, "GetScreenText", emu.GetScreenText, missing);
    EmuResolve(module, "SaveState", emu.SaveState, missing);
    EmuResolve(module, "LoadState", emu.LoadState, missing);
    EmuResolve(module, "GetStateMessage", emu.GetStateMessage, missing);
    EmuResolve(module, "GetTapeFailedSaves", emu.GetTapeFailedSaves, missing);
    EmuResolve(module, "SetStopCycle", emu.SetStopCycle, missing);
    EmuResolve(module, "SetStopText", emu.SetStopText, missing);
    EmuResolve(module, "GetStopReached", emu.GetStopReached, missing);
    EmuResolve(module, "SendKey", emu.SendKey, missing);
    EmuResolve(module, "StartRecording", emu.StartRecording, missing);
    EmuResolve(module, "StopRecording", emu.StopRecording, missing);
    EmuResolve(module, "GetRecording", emu.GetRecording, missing);
    EmuResolve(module, "ReplayRecording", emu.ReplayRecording, missing);
    EmuResolve(module, "GetReplayEnd", emu.GetReplayEnd, missing);
    EmuResolve(module, "GetRecordingMessage", emu.GetRecordingMessage, missing);
    EmuResolve(module, "SetRewind", emu.SetRewind, missing);
    EmuResolve(module, "RewindStep", emu.RewindStep, missing);
    EmuResolve(module, "GetRewindDepth", emu.GetRewindDepth, missing);
    emu.plus = missing.empty();
    missing.clear();
    EmuResolve(module, "DebuggerBreak", emu.DebuggerBreak, missing);
    EmuResolve(module, "DebuggerFolder", emu.DebuggerFolder, missing);
    EmuResolve(module, "DebuggerCommand", emu.DebuggerCommand, missing);
    EmuResolve(module, "DebuggerWaitStop", emu.DebuggerWaitStop, missing);
    emu.debugger = missing.empty();
    return true;
}
