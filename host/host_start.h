// What every host does before it hands the emulator a window: find the
// emulator library beside the program, settle the ROM folder, load the
// library, move into the ROM folder and set the options.
#pragma once

#include <string>
#include <vector>

#include "host/emu_library.h"
#include "host/host_file.h"
#include "host/host_options.h"

// The folder that holds the running program, from its argv[0] (a path, or a
// name found along PATH); empty when it cannot be found.
std::string HostProgramFolder(const char* argv0);

// The name made absolute against the working folder (as it is, when that
// fails).
std::string HostAbsolute(const std::string& name);

// Why a file the host is to read whole cannot be: it does not exist, or it
// is a folder, a pipe or a device (opening a pipe waits for a writer, and a
// device may never end); empty when it can.
std::string HostInputFileProblem(const std::string& path);

// What a file named on the command line or dropped on the window is.
enum class HostFileUse { kListing, kTape, kState, kRefused };
// A .state file is a state to load, by its name. Any other is read and
// given to the plus library's OpenListing, which decides by its content: a
// listing is then waiting there to be typed (with RUN after it when run is
// set) as the host calls PollListing; a tape is the host's to choose. A
// file that cannot be read (HostInputFileProblem, HostReadFile), or that
// OpenListing refuses, is refused. message then says why, or that a
// listing waits. Without the plus library every file is a tape, as it was
// before listings.
HostFileUse HostOpenFile(const EmuLibrary& emu, const std::string& path, bool run,
                         std::string& message);

// Types a pasted file's text, named name; what of it is not typed (empty:
// all of it).
std::string HostPaste(const EmuLibrary& emu, const std::string& text, const std::string& name);

// Loads the emulator from the program's folder into emu (the plus library,
// or the plain one when that is missing or does not load), turns the names
// of the tape, the outputs and the debugger script into absolute ones (they
// are relative to the folder the host was started in, which it keeps in
// options.startFolder), makes the ROM folder the working folder and gives
// the emulator the tape, green and character generator options. The file
// named without an option is opened with HostOpenFile: it becomes the tape
// or the state to load, or it is a listing (options.listing); a host that
// opens it itself clears options.file first. False with error when the
// library, an export, the ROM folder or a ROM image is missing, when the
// tape's name is too long, when a file to read (the state to load, the
// paste, the debugger script) has a HostInputFileProblem, and when the file
// named is refused or is a second tape or state.
bool HostStart(const char* argv0, HostOptions& options, EmuLibrary& emu, std::string& error);

// Why a file the host is to write at the end cannot be: it is a folder, or
// its folder does not exist; empty when it can.
std::string HostOutputFileProblem(const std::string& path);

// Why the emulator could write nothing to the tape named (a folder, a pipe
// or a device, a file in a folder that does not exist, or one that cannot
// be opened for writing, with the system's reason: read only, say), or
// empty when it can be a tape.
// The library takes such a name and its SAVE reports success, so the hosts
// say so themselves.
std::string HostTapeProblem(const std::string& tape);

// Reports the failed SAVEs: when the emulator's count of them has grown past
// seen, moves seen on and returns what a host says about each, naming the
// tape (empty: none chosen) and why it cannot be written when that is
// known; otherwise returns nothing. Nothing without the plus library.
std::vector<std::string> HostTapeWriteReport(const EmuLibrary& emu, const std::string& tape,
                                             uint32_t& seen);
