// The emulator library as a host sees it: loaded at run time by its file
// name, its nine exports resolved by their plain names.
#pragma once

#include <string>

#include "core/z80home.h"

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
};

// Loads the library at path and resolves every export; false with error
// naming the library or the exports it lacks.
bool EmuLoad(const std::string& path, EmuLibrary& emu, std::string& error);
