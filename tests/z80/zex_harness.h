// Runs the CP/M instruction exercisers through the core's four C functions
// alone: Z80Init, setz80memaccess, Z80Run and nothing else.
#pragma once

#include <string>
#include <vector>

namespace z80test {

struct CpmRun {
    bool loaded = false;   // the program file was found
    bool finished = false; // it ended with its warm boot
    std::string output;    // what it printed
    long long tstates = 0;
    double seconds = 0;
};

// Runs the program at path. keep, when not empty, lists the exerciser's test
// groups to run (indexes into its test table); the rest are dropped.
CpmRun RunCpmProgram(const std::string& path, const std::vector<int>& keep = {});

} // namespace z80test
