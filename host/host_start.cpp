#include "host/host_start.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

// The build names the library files, and where an installed tree keeps the
// libraries and the ROM images, relative to the program's folder.
#ifndef Z80HOME_LIBRARY_NAME
#error "the build defines Z80HOME_LIBRARY_NAME, the emulator library's file name"
#endif
#ifndef Z80HOME_PLUS_LIBRARY_NAME
#error "the build defines Z80HOME_PLUS_LIBRARY_NAME, the extension library's file name"
#endif
#ifndef Z80HOME_LIBRARY_FROM_PROGRAM
#define Z80HOME_LIBRARY_FROM_PROGRAM "."
#endif
#ifndef Z80HOME_ROM_FROM_PROGRAM
#define Z80HOME_ROM_FROM_PROGRAM "."
#endif

constexpr char kHostPathListSeparator = fs::path::preferred_separator == '/' ? ':' : ';';
static const char* const kHostRomImages[] = {"n80basic.rom", "font.rom"};

std::string HostProgramFolder(const char* argv0) {
    std::error_code failed;
    fs::path program(argv0);
    if (!program.has_parent_path()) {
        const char* searchPath = std::getenv("PATH");
        std::string list = searchPath ? searchPath : "";
        size_t start = 0;
        for (;;) {
            size_t end = list.find(kHostPathListSeparator, start);
            fs::path candidate = fs::path(list.substr(start, end - start)) / program;
            if (fs::is_regular_file(candidate, failed)) {
                program = candidate;
                break;
            }
            if (end == std::string::npos) return "";
            start = end + 1;
        }
    }
    fs::path real = fs::canonical(program, failed);
    if (failed) return "";
    return real.parent_path().string();
}

std::string HostAbsolute(const std::string& name) {
    std::error_code failed;
    fs::path absolute = fs::absolute(name, failed);
    return failed ? name : absolute.string();
}

// Without --rom-dir the images are looked for where an installed tree keeps
// them (found from the program, so a moved tree still finds them), then in
// the build tree's rom folder beside its bin folder, then in the working
// folder.
static bool HostFindRomDir(const std::string& given, const std::string& programFolder,
                           std::string& dir, std::string& error) {
    std::error_code failed;
    if (given.empty()) {
        const fs::path program(programFolder);
        const fs::path candidates[] = {program / Z80HOME_ROM_FROM_PROGRAM,
                                       program.parent_path() / "rom", "."};
        std::string looked;
        for (const fs::path& candidate : candidates) {
            bool whole = true;
            for (const char* image : kHostRomImages)
                whole = whole && fs::is_regular_file(candidate / image, failed);
            if (whole) {
                dir = candidate.string();
                return true;
            }
            looked += (looked.empty() ? "" : ", ") + HostAbsolute(candidate.string());
        }
        error = "no folder holds n80basic.rom and font.rom (looked in " + looked +
                "; give the folder with --rom-dir)";
        return false;
    }
    dir = given;
    if (!fs::is_directory(dir, failed)) {
        error = "the ROM folder " + dir +
                (fs::exists(dir, failed) ? " is not a folder" : " does not exist");
        return false;
    }
    std::string missing;
    for (const char* image : kHostRomImages) {
        if (!fs::is_regular_file(fs::path(dir) / image, failed))
            missing += std::string(missing.empty() ? "" : " and ") + image;
    }
    if (!missing.empty()) {
        error = "the ROM folder " + HostAbsolute(dir) + " holds no " + missing;
        return false;
    }
    return true;
}

bool HostStart(const char* argv0, HostOptions& options, EmuLibrary& emu, std::string& error) {
    std::string folder = HostProgramFolder(argv0);
    if (folder.empty()) {
        error = std::string("cannot find the folder of the program ") + argv0;
        return false;
    }
    // The libraries lie beside the program (a build tree, Windows) or where
    // an installed tree keeps them. The plus library when it is there and
    // loads; the plain one otherwise.
    std::error_code failed;
    fs::path libraries(folder);
    if (!fs::is_regular_file(libraries / Z80HOME_PLUS_LIBRARY_NAME, failed) &&
        !fs::is_regular_file(libraries / Z80HOME_LIBRARY_NAME, failed))
        libraries /= Z80HOME_LIBRARY_FROM_PROGRAM;
    std::string plus = (libraries / Z80HOME_PLUS_LIBRARY_NAME).string();
    std::string library = (libraries / Z80HOME_LIBRARY_NAME).string();
    bool plusThere = fs::is_regular_file(plus, failed);
    if (!plusThere && !fs::is_regular_file(library, failed)) {
        error = "the emulator library " + library + " is missing";
        return false;
    }
    std::string romDir;
    if (!HostFindRomDir(options.romDir, folder, romDir, error)) return false;
    options.startFolder = fs::current_path(failed).string();
    if (!options.tape.empty()) options.tape = HostAbsolute(options.tape);
    for (std::string* name : {&options.screenshot, &options.screenText, &options.paste,
                              &options.loadState, &options.saveState, &options.debugScript,
                              &options.record, &options.replay, &options.file})
        if (!name->empty()) *name = HostAbsolute(*name);
    // The files to read, then those written at the end of the run: a place
    // that cannot take them is told before it starts.
    const struct {
        const char* option;
        const std::string* name;
        bool input;
    } files[] = {{"--load-state", &options.loadState, true},
                 {"--paste", &options.paste, true},
                 {"--debug-script", &options.debugScript, true},
                 {"--replay", &options.replay, true},
                 {"--screenshot", &options.screenshot, false},
                 {"--screen-text", &options.screenText, false},
                 {"--save-state", &options.saveState, false},
                 {"--record", &options.record, false}};
    for (const auto& file : files) {
        if (file.name->empty()) continue;
        std::string problem =
            file.input ? HostInputFileProblem(*file.name) : HostOutputFileProblem(*file.name);
        if (!problem.empty()) {
            error = std::string(file.option) + " " + *file.name + ": " + problem;
            return false;
        }
    }
    if (!(plusThere && EmuLoad(plus, emu, error)) && !EmuLoad(library, emu, error)) return false;
    if (!options.file.empty()) {
        std::string message;
        HostFileUse use = HostOpenFile(emu, options.file, !options.noRun, message);
        std::string* taken = use == HostFileUse::kTape    ? &options.tape
                             : use == HostFileUse::kState ? &options.loadState
                                                          : nullptr;
        if (use == HostFileUse::kRefused) {
            error = message;
            return false;
        }
        if (taken && !taken->empty()) {
            error =
                options.file + " is a second " +
                (use == HostFileUse::kTape ? "tape, after --tape" : "state, after --load-state");
            return false;
        }
        if (taken) *taken = options.file;
        options.listing = use == HostFileUse::kListing;
        if (options.listing && !options.replay.empty()) {
            error = "--replay plays a recording's own input; it takes no listing, " + options.file;
            return false;
        }
    }
    if (options.tape.size() > kCmtFileNameLongest) {
        error = "the tape's name is longer than " + std::to_string(kCmtFileNameLongest) +
                " characters: " + options.tape;
        return false;
    }

    // The emulator opens its ROM images by name from the working folder.
    fs::current_path(romDir, failed);
    if (failed) {
        error = "cannot enter the ROM folder " + romDir + ": " + failed.message();
        return false;
    }
    options.romDir = fs::current_path(failed).string();
    if (!options.tape.empty()) emu.SetCMTFile(options.tape.c_str());
    emu.SetGreenDisplay(options.green ? 1 : 0);
    emu.SetPCG(options.pcg ? 1 : 0);
    return true;
}

HostFileUse HostOpenFile(const EmuLibrary& emu, const std::string& path, bool run,
                         std::string& message) {
    if (!emu.plus) return HostFileUse::kTape;
    if (fs::path(path).extension() == ".state") return HostFileUse::kState;
    message = HostInputFileProblem(path);
    if (!message.empty()) {
        message = path + ": " + message;
        return HostFileUse::kRefused;
    }
    std::string text;
    if (!HostReadFile(path, text, message)) return HostFileUse::kRefused;
    int code =
        emu.OpenListing(path.c_str(), text.data(), static_cast<uint32_t>(text.size()), run ? 1 : 0);
    message = path + ": " + emu.GetListingMessage(code);
    return code == kListingTyped  ? HostFileUse::kListing
           : code == kListingTape ? HostFileUse::kTape
                                  : HostFileUse::kRefused;
}

std::string HostPaste(const EmuLibrary& emu, const std::string& text, const std::string& name) {
    uint32_t overflow = emu.GetPasteOverflow();
    uint32_t skipped = static_cast<uint32_t>(emu.PasteText(text.c_str()));
    uint32_t beyond = emu.GetPasteOverflow() - overflow;
    std::string report;
    if (skipped > beyond)
        report =
            std::to_string(skipped - beyond) + " characters of " + name + " have no key; skipped";
    if (beyond)
        report += (report.empty() ? "" : "; ") + std::to_string(beyond) + " characters of " + name +
                  " lie beyond the " + std::to_string(kPasteMostKeys) +
                  " keys a paste may queue; skipped";
    return report;
}

std::string HostInputFileProblem(const std::string& path) {
    std::error_code failed;
    fs::file_status status = fs::status(path, failed);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (failed) return failed.message();
    if (fs::is_directory(status)) return "a folder, not a file";
    if (!fs::is_regular_file(status)) return "not a regular file (a pipe or a device?)";
    return "";
}

std::string HostOutputFileProblem(const std::string& path) {
    std::error_code failed;
    fs::path file(path);
    if (fs::is_directory(file, failed)) return "it is a folder";
    fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, failed))
        return "its folder " + folder.string() + " does not exist";
    return "";
}

std::string HostTapeProblem(const std::string& tape) {
    std::error_code failed;
    fs::file_status status = fs::status(tape, failed);
    if (fs::exists(status) && !fs::is_directory(status) && !fs::is_regular_file(status))
        return "it is not a regular file (a pipe or a device)";
    std::string problem = HostOutputFileProblem(tape);
    if (!problem.empty() || !fs::exists(status)) return problem;
    // Opening to append changes nothing in the file.
    FILE* file = std::fopen(tape.c_str(), "ab");
    if (!file) return std::string("it cannot be opened for writing: ") + std::strerror(errno);
    std::fclose(file);
    return "";
}

std::vector<std::string> HostTapeWriteReport(const EmuLibrary& emu, const std::string& tape,
                                             uint32_t& seen) {
    if (!emu.plus) return {};
    uint32_t saves = emu.GetTapeFailedSaves();
    if (saves == seen) return {};
    std::string report;
    if (tape.empty()) {
        report = "SAVE failed: no tape is chosen";
    } else {
        std::string problem = HostTapeProblem(tape);
        report = "SAVE failed: it did not reach the tape " + tape +
                 (problem.empty() ? "" : ": " + problem);
    }
    std::vector<std::string> reports(saves - seen, report);
    seen = saves;
    return reports;
}
