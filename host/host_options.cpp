#include "host/host_options.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

// A whole decimal number from 0 to limit.
static bool HostParseNumber64(const std::string& text, uint64_t limit, uint64_t* value) {
    if (text.empty() || text.size() > 18) return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > limit) return false;
    *value = number;
    return true;
}

static bool HostParseNumber(const std::string& text, uint32_t limit, uint32_t* value) {
    uint64_t number;
    if (!HostParseNumber64(text, limit, &number)) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

static bool HostParsePoint(const std::string& text, int* x, int* y, std::string& error) {
    size_t comma = text.find(',');
    uint32_t px, py;
    if (comma == std::string::npos || !HostParseNumber(text.substr(0, comma), UINT32_MAX, &px) ||
        !HostParseNumber(text.substr(comma + 1), UINT32_MAX, &py)) {
        error = "--mouse takes X,Y (two whole numbers), not \"" + text + "\"";
        return false;
    }
    if (px >= static_cast<uint32_t>(kHeadlessWidth) ||
        py >= static_cast<uint32_t>(kHeadlessHeight)) {
        error = "--mouse " + text + " lies outside the " + std::to_string(kHeadlessWidth) + "x" +
                std::to_string(kHeadlessHeight) + " window";
        return false;
    }
    *x = static_cast<int>(px);
    *y = static_cast<int>(py);
    return true;
}

static const char* const kFlags[] = {"--green", "--pcg", "--help", "--warp", "--no-run", "--debug"};
// Options with a value; those after the first seven are the headless host's.
static const char* const kValued[] = {
    "--rom-dir",      "--tape",       "--load-state",   "--record",     "--replay",
    "--speed",        "--paste",      "--run-ms",       "--type",       "--keys",
    "--mouse",        "--screenshot", "--screen-text",  "--save-state", "--until-text",
    "--until-cycles", "--timeout",    "--debug-script", "--break-at"};

// --debug is the desktop host's.
static int HostFlagCount(bool headless) {
    return headless ? 5 : 6;
}

static int HostValuedCount(bool headless) {
    return headless ? static_cast<int>(std::size(kValued)) : 7;
}

std::vector<std::string> HostOptionNames(bool headless) {
    std::vector<std::string> names(kFlags, kFlags + HostFlagCount(headless));
    names.insert(names.end(), kValued, kValued + HostValuedCount(headless));
    names.push_back("--version");
    return names;
}

// A file name ending in .png in any case, with a name before it.
static bool HostPngName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    if (name.size() <= 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

bool HostParseArgs(int argc, char** argv, bool headless, HostOptions& options, std::string& error) {
    const int flagCount = HostFlagCount(headless);
    const int valuedCount = HostValuedCount(headless);
    HostOptions out;
    bool timeoutGiven = false;
    if (headless) out.input.clockMs = kHeadlessBootMs;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (!arg.empty() && arg[0] != '-') {
            if (!out.file.empty()) {
                error = "one file at a time: " + out.file + " and " + arg;
                return false;
            }
            out.file = arg;
            continue;
        }
        std::string name = arg.substr(0, arg.find('='));
        bool inline_value = name.size() < arg.size();
        bool flag = false, valued = false;
        for (int k = 0; k < flagCount; k++)
            flag = flag || name == kFlags[k];
        for (int k = 0; k < valuedCount; k++)
            valued = valued || name == kValued[k];
        if (!flag && !valued) {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
        if (flag) {
            if (inline_value) {
                error = name + " takes no value";
                return false;
            }
            out.green = out.green || name == "--green";
            out.pcg = out.pcg || name == "--pcg";
            out.help = out.help || name == "--help";
            out.warp = out.warp || name == "--warp";
            out.debug = out.debug || name == "--debug";
            out.noRun = out.noRun || name == "--no-run";
            continue;
        }
        std::string value;
        if (inline_value) {
            value = arg.substr(name.size() + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
        std::string* file = name == "--rom-dir"        ? &out.romDir
                            : name == "--tape"         ? &out.tape
                            : name == "--screenshot"   ? &out.screenshot
                            : name == "--load-state"   ? &out.loadState
                            : name == "--record"       ? &out.record
                            : name == "--replay"       ? &out.replay
                            : name == "--save-state"   ? &out.saveState
                            : name == "--paste"        ? &out.paste
                            : name == "--screen-text"  ? &out.screenText
                            : name == "--debug-script" ? &out.debugScript
                            : name == "--break-at"     ? &out.breakAt
                                                       : nullptr;
        if (file) {
            if (value.empty()) {
                error = name + (name == "--break-at" ? " needs an address"
                                                     : " needs a file or folder name");
                return false;
            }
            if (name == "--screenshot" && !HostPngName(value)) {
                error = "--screenshot writes a PNG picture: give it a file name ending in .png, "
                        "such as shot.png, not \"" +
                        value + "\"";
                return false;
            }
            *file = value;
        } else if (name == "--until-text") {
            if (value.empty()) {
                error = "--until-text needs the text to wait for";
                return false;
            }
            out.untilText = value;
        } else if (name == "--until-cycles") {
            if (!HostParseNumber64(value, UINT64_MAX / 2, &out.untilCycles) ||
                out.untilCycles == 0) {
                error =
                    "--until-cycles takes a whole number of cycles from 1, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--timeout") {
            if (!HostParseNumber(value, kHeadlessLongestRunMs, &out.timeoutMs) ||
                out.timeoutMs == 0) {
                error = "--timeout takes a whole number of milliseconds from 1 to " +
                        std::to_string(kHeadlessLongestRunMs) + ", not \"" + value + "\"";
                return false;
            }
            timeoutGiven = true;
        } else if (name == "--speed") {
            if (!HostParseNumber(value, kSpeedFastest, &out.speed) || out.speed < kSpeedSlowest) {
                error = "--speed takes a whole percentage from " + std::to_string(kSpeedSlowest) +
                        " to " + std::to_string(kSpeedFastest) + ", not \"" + value + "\"";
                return false;
            }
        } else if (name == "--run-ms") {
            if (!HostParseNumber(value, kHeadlessLongestRunMs, &out.runMs) || out.runMs == 0) {
                error = "--run-ms takes a whole number of milliseconds from 1 to " +
                        std::to_string(kHeadlessLongestRunMs) + ", not \"" + value + "\"";
                return false;
            }
            out.runMsGiven = true;
        } else if (name == "--type") {
            if (!HostTypeText(out.input, value, error)) {
                error = "--type: " + error;
                return false;
            }
        } else if (name == "--keys") {
            if (!HostPlayScript(out.input, value, error)) {
                error = "--keys: " + error;
                return false;
            }
        } else {
            int x, y;
            if (!HostParsePoint(value, &x, &y, error)) return false;
            HostClick(out.input, x, y);
        }
    }
    if (headless && out.HasCondition() && out.runMsGiven) {
        error = "--run-ms and --until-text or --until-cycles do not go together (--timeout "
                "bounds the wait)";
        return false;
    }
    if (headless && timeoutGiven && !out.HasCondition()) {
        error = "--timeout bounds --until-text or --until-cycles; give one of them";
        return false;
    }
    if (out.Debugging() && (!out.input.events.empty() || !out.paste.empty() || !out.file.empty() ||
                            out.HasCondition())) {
        error = "--debug-script and --break-at start the machine stopped; they take no "
                "--type, --keys, --mouse, --paste, file, --until-text or --until-cycles";
        return false;
    }
    if (!out.replay.empty() && (!out.input.events.empty() || !out.paste.empty() ||
                                !out.record.empty() || out.Debugging())) {
        error = "--replay plays a recording's own input; it takes no --type, --keys, --mouse, "
                "--paste, --record, --debug-script or --break-at";
        return false;
    }
    if (headless) {
        uint32_t inputEnd = out.input.events.empty() ? 0 : out.input.clockMs;
        if (!out.runMsGiven) {
            out.runMs = inputEnd + kHeadlessSettleMs;
            if (out.runMs < kHeadlessDefaultRunMs) out.runMs = kHeadlessDefaultRunMs;
        } else if (out.runMs < inputEnd) {
            error = "the scripted input takes " + std::to_string(inputEnd) +
                    " ms, longer than --run-ms " + std::to_string(out.runMs);
            return false;
        }
    }
    options = out;
    return true;
}

// The build gives the project's one version number.
#ifndef Z80HOME_VERSION
#error "the build defines Z80HOME_VERSION, the project's version"
#endif

bool HostVersionAsked(int argc, char** argv) {
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], "--version") == 0) return true;
    return false;
}

std::string HostVersionText(const char* program) {
    return std::string(program) + " " Z80HOME_VERSION;
}

const char kHostFileUsage[] =
    "  FILE                a BASIC listing (plain text): typed in at BASIC's prompt\n"
    "                      after NEW, then RUN; or a tape, told by its content; or\n"
    "                      a .state file to start from\n"
    "  --no-run            type a listing without the RUN after it\n";

std::string HostUsage(const char* program, bool headless) {
    // The program's name alone: a manual page is made from this text.
    std::string usage =
        "Usage: " + std::filesystem::path(program).filename().string() + " [options] [FILE]\n";
    usage += kHostFileUsage;
    usage += "  --rom-dir DIR       folder holding n80basic.rom and font.rom\n"
             "  --tape FILE         cassette file (saved bytes are appended, loads loop)\n"
             "  --green             green monochrome monitor\n"
             "  --pcg               programmable character generator on\n"
             "  --warp              run as fast as the processor can\n"
             "  --load-state FILE   start from a saved state\n"
             "  --record FILE       record the input from the start, written to FILE at\n"
             "                      the end\n"
             "  --replay FILE       replay a recording, then hand the machine back\n"
             "  --speed PERCENT     the paced speed, 10 to 1000 (default 100)\n"
             "  --paste FILE        type FILE's UTF-8 text in the machine's time, once it\n"
             "                      has booted (a line break is RETURN)\n";
    if (headless) {
        usage +=
            "  --run-ms N          run N ms of the machine's time in all, pasted or not\n"
            "                      (default: 2000, or 1000 past the input, or past the end\n"
            "                      of the paste or of the replay)\n"
            "  --type TEXT         type TEXT on the keyboard (a line break in TEXT is RETURN)\n"
            "  --keys SCRIPT       keys: text, {RETURN}, {F1}, {SHIFT down}, {SHIFT up},\n"
            "                      {wait 500}, {{ and }} for braces\n"
            "  --mouse X,Y         click the light pen at window point X,Y (640x480)\n"
            "  --screenshot PNG    write the picture to PNG at the end\n"
            "  --screen-text TXT   write the screen's text (UTF-8) to TXT at the end\n"
            "  --save-state FILE   save the machine's state to FILE at the end\n"
            "  --until-text TEXT   end once TEXT shows on the screen, after the input\n"
            "  --until-cycles N    end at the first instruction at or after cycle N\n"
            "  --timeout MS        give up on --until-* after MS ms of real time\n"
            "                      (default 60000); the exit status is then 4\n"
            "  --debug-script F    run the debugger commands in F (one a line) on the\n"
            "                      machine stopped at its first instruction (or at the\n"
            "                      state loaded); each command that resumes waits for the\n"
            "                      next stop, at most --run-ms\n"
            "  --break-at ADDR     first run to ADDR (hexadecimal or a ROM label) and print\n"
            "                      the registers there; the picture and the state are\n"
            "                      written at the end (--screenshot, --save-state, or\n"
            "                      break-ADDR.png and break-ADDR.state); not reached\n"
            "                      within --run-ms, the exit status is 4\n";
    } else {
        usage += "  --debug             the debugger console in this terminal; the machine starts\n"
                 "                      stopped ('help' lists the commands, 'c' runs it)\n";
    }
    usage += "  --version           the program's version\n"
             "  --help              this text\n";
    if (headless)
        usage += "Input options play in the order given, from 500 ms after start, in the\n"
                 "machine's time: the same command line ends the same way, warp or not.\n";
    else
        usage += "Keys: see the on-screen help (Ctrl+Shift+H) and the manual.\n"
                 "Drop a file on the window: a listing is typed, a tape chosen, a state loaded.\n";
    return usage;
}
