// The emulator library as a host sees it: loaded at run time by its file
// name, its exports resolved by their plain names. The hosts prefer the
// plus library and fall back to the plain one, whose nine exports are all a
// host needs; the extensions are then missing and their features off.
#pragma once

#include <string>

#include "plus/z80home_debug.h"
#include "plus/z80home_plus.h"
#include "record/z80home_record.h"

struct EmuLibrary {
    decltype(&::RunEmu) RunEmu;
    decltype(&::ResetEmu) ResetEmu;
    decltype(&::SetCMTFile) SetCMTFile;
    decltype(&::GetCMTFile) GetCMTFile;
    decltype(&::SetGreenDisplay) SetGreenDisplay;
    decltype(&::GetGreenDisplay) GetGreenDisplay;
    decltype(&::SetPCG) SetPCG;
    decltype(&::GetPCG) GetPCG;
    decltype(&::CtlEmulator) CtlEmulator;

    // The extensions: set only when the library has every one of them.
    bool plus;
    decltype(&::SetPaused) SetPaused;
    decltype(&::GetPaused) GetPaused;
    decltype(&::StepSlice) StepSlice;
    decltype(&::SetSpeed) SetSpeed;
    decltype(&::GetSpeed) GetSpeed;
    decltype(&::SetWarp) SetWarp;
    decltype(&::GetWarp) GetWarp;
    decltype(&::GetCycles) GetCycles;
    decltype(&::PasteText) PasteText;
    decltype(&::GetPasteLeft) GetPasteLeft;
    decltype(&::CancelPaste) CancelPaste;
    decltype(&::GetPasteOverflow) GetPasteOverflow;
    decltype(&::OpenListing) OpenListing;
    decltype(&::PollListing) PollListing;
    decltype(&::GetListingMessage) GetListingMessage;
    decltype(&::GetScreenText) GetScreenText;
    decltype(&::SaveState) SaveState;
    decltype(&::LoadState) LoadState;
    decltype(&::GetStateMessage) GetStateMessage;
    decltype(&::GetTapeFailedSaves) GetTapeFailedSaves;
    decltype(&::SetStopCycle) SetStopCycle;
    decltype(&::SetStopText) SetStopText;
    decltype(&::GetStopReached) GetStopReached;
    decltype(&::SendKey) SendKey;
    decltype(&::StartRecording) StartRecording;
    decltype(&::StopRecording) StopRecording;
    decltype(&::GetRecording) GetRecording;
    decltype(&::ReplayRecording) ReplayRecording;
    decltype(&::GetReplayEnd) GetReplayEnd;
    decltype(&::GetRecordingMessage) GetRecordingMessage;
    decltype(&::SetRewind) SetRewind;
    decltype(&::RewindStep) RewindStep;
    decltype(&::GetRewindDepth) GetRewindDepth;

    // The debugger: set only when the library has all four.
    bool debugger;
    decltype(&::DebuggerBreak) DebuggerBreak;
    decltype(&::DebuggerFolder) DebuggerFolder;
    decltype(&::DebuggerCommand) DebuggerCommand;
    decltype(&::DebuggerWaitStop) DebuggerWaitStop;
};

// Loads the library at path and resolves every export; false with error
// naming the library or the nine exports it lacks. Extensions it lacks
// leave emu.plus or emu.debugger false.
bool EmuLoad(const std::string& path, EmuLibrary& emu, std::string& error);
