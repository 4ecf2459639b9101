// z80home-headless run as a user runs it: from a folder of one's own, with a
// relative screenshot name, on the built system ROM; and the desktop host so,
// on SDL's offscreen driver, where a test needs its window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <set>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "png_reader.h"

namespace {

namespace fs = std::filesystem;

// The keys a paste may have waiting (kPasteMostKeys of the plus library).
constexpr size_t kPasteQueue = size_t{1} << 20;

struct HostRun {
    int status;
    std::string output;
};

// Runs the headless host (the build's, or another copy) in folder with the
// given arguments.
HostRun Headless(const fs::path& folder, const std::string& args,
                 const std::string& program = Z80HOME_HEADLESS) {
    std::string command = "cd '" + folder.string() + "' && '" + program + "' " + args + " 2>&1";
    HostRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The headless host (or another program, with environment variables set)
// started in folder with its output going to output.txt there; the test
// waits for what it needs to see, then signals it.
class Started {
  public:
    Started(const fs::path& folder, const std::string& args,
            const std::string& program = Z80HOME_HEADLESS, const std::string& environment = "")
        : output_(folder / "output.txt"), program_(program) {
        std::string command = "cd '" + folder.string() + "' && exec env " + environment + " '" +
                              program + "' " + args + " >'" + output_.string() + "' 2>&1";
        pid_t test = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // A test killed before it can end the program (a timeout) takes
            // the program with it: a host left running may fill the disk.
            if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != test) _exit(127);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Started() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Waits, a minute at most, until the host has its own handler for the
    // signal, so that the signal tests that handler and not the default. The
    // shell that starts the host catches SIGINT too, so the handler counts
    // only once the process is the host.
    bool Handles(int signal) const {
        const std::string proc = "/proc/" + std::to_string(pid_);
        for (int i = 0; i < 6000; i++) {
            std::error_code error;
            if (!fs::equivalent(proc + "/exe", program_, error)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            std::ifstream status(proc + "/status");
            std::string line;
            while (std::getline(status, line)) {
                if (line.rfind("SigCgt:", 0) != 0) continue;
                if (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Waits, a minute at most, until the output holds text.
    bool Printed(const std::string& text) const {
        for (int i = 0; i < 6000; i++) {
            if (ReadText(output_).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Signal(int signal) const { kill(pid_, signal); }
    // The exit status, or -1 when the host has not ended within a minute or
    // a signal killed it.
    int Exit() {
        for (int i = 0; i < 6000; i++) {
            int status;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string Output() const { return ReadText(output_); }
    bool Running() const { return waitpid(pid_, nullptr, WNOHANG) == 0; }

  private:
    fs::path output_;
    std::string program_;
    pid_t pid_ = -1;
    bool reaped_ = false;
};

class HeadlessHost : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("z80home-headless-" + std::to_string(getpid()));
        fs::create_directories(folder);
        const char* dir = std::getenv("Z80HOME_ROM_DIR");
        romDir = dir ? dir : "";
    }
    void TearDown() override { fs::remove_all(folder); }
    bool HaveRom() const {
        return !romDir.empty() && fs::exists(fs::path(romDir) / "n80basic.rom") &&
               fs::exists(fs::path(romDir) / "font.rom");
    }
    PngPicture Screenshot(const std::string& name) {
        PngPicture picture;
        std::string error;
        EXPECT_TRUE(PngRead(PngLoadFile((folder / name).string()), picture, error))
            << name << ": " << error;
        return picture;
    }
    fs::path folder;
    std::string romDir;
};

TEST_F(HeadlessHost, BootsTakesTypingAndWritesTheScreenshot) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    HostRun boot =
        Headless(folder, "--rom-dir '" + romDir + "' --run-ms 1500 --screenshot boot.png");
    ASSERT_EQ(boot.status, 0) << boot.output;
    PngPicture booted = Screenshot("boot.png");
    EXPECT_EQ(booted.width, 640);
    EXPECT_EQ(booted.height, 480);
    std::set<uint32_t> colours(booted.pixels.begin(), booted.pixels.end());
    EXPECT_GT(colours.size(), 1u) << "the screen is blank after booting";

    // The same start with typing must leave a different picture: the strokes
    // reached the machine and the ROM echoed them.
    HostRun typed =
        Headless(folder, "--rom-dir '" + romDir +
                             "' --type 'PRINT 12' --run-ms 1800 --screenshot typed.png");
    ASSERT_EQ(typed.status, 0) << typed.output;
    EXPECT_NE(Screenshot("typed.png").pixels, booted.pixels);
}

TEST_F(HeadlessHost, RefusesBadArgumentsAndMissingRoms) {
    HostRun bad = Headless(folder, "--run-ms soon");
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.output.find("--run-ms takes"), std::string::npos) << bad.output;

    HostRun nowhere = Headless(folder, "--rom-dir no-such-folder --run-ms 10");
    EXPECT_NE(nowhere.status, 0);
    EXPECT_NE(nowhere.output.find("no-such-folder does not exist"), std::string::npos)
        << nowhere.output;

    // A file is not a folder; a screenshot is PNG whatever its name says.
    HostRun file = Headless(folder, "--rom-dir '" Z80HOME_HEADLESS "' --run-ms 10");
    EXPECT_NE(file.output.find("is not a folder"), std::string::npos) << file.output;
    HostRun bmp = Headless(folder, "--screenshot out.bmp");
    EXPECT_EQ(bmp.status, 2);
    EXPECT_NE(bmp.output.find("ending in .png"), std::string::npos) << bmp.output;

    // A folder without the images is not a ROM folder either.
    HostRun empty = Headless(folder, "--rom-dir . --run-ms 10");
    EXPECT_NE(empty.status, 0);
    EXPECT_NE(empty.output.find("holds no n80basic.rom and font.rom"), std::string::npos)
        << empty.output;
}

TEST_F(HeadlessHost, WithOnlyThePlainLibraryRunsButRefusesTheExtensions) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    fs::path program = fs::path(Z80HOME_HEADLESS);
    fs::copy_file(program, folder / program.filename());
    fs::copy_file(program.parent_path() / "libz80home.so", folder / "libz80home.so");
    // Beside the plain library alone: the machine runs, the extensions are refused.
    const std::string copy = (folder / program.filename()).string();
    const std::string rom = "--rom-dir '" + romDir + "' --run-ms 100";
    EXPECT_EQ(Headless(folder, rom, copy).status, 0);
    HostRun warp = Headless(folder, rom + " --warp", copy);
    EXPECT_EQ(warp.status, 1);
    EXPECT_NE(warp.output.find("need the plus library"), std::string::npos) << warp.output;
}

TEST_F(HeadlessHost, ScriptedRunsPasteAndEndOnTheScreenOrTheClock) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    FILE* listing = fopen((folder / "listing.txt").c_str(), "wb");
    ASSERT_NE(listing, nullptr);
    fputs("MON\r\nSET 7000 61 62 63\r\nDUMP 7000 7000\r\n", listing);
    fclose(listing);
    const std::string rom = "--rom-dir '" + romDir + "' ";
    struct Case {
        std::string args;
        int status;
        std::string output;
    };
    const Case cases[] = {
        // Met: the dump of the pasted bytes shows, with the machine in warp.
        {"--warp --paste listing.txt --until-text abc --screen-text out.txt --save-state s.state",
         0, "state: "},
        // The saved machine shows its dump at once; a file that is no state is refused.
        {"--load-state s.state --until-text '7000: 61 62 63' --timeout 5000", 0, ""},
        {"--load-state listing.txt", 1, "not a saved state"},
        {"--warp --until-cycles 20000000 --timeout 20000", 0, ""},
        // Not met in time.
        {"--until-text 'never shown' --timeout 300", 4, "not met in 300 ms"},
        // Conditions and a fixed run time exclude each other.
        {"--until-cycles 5 --run-ms 100", 2, "do not go together"},
        {"--timeout 100", 2, "give one of them"},
        // A debugger session starts the machine stopped: no conditions.
        {"--break-at 0062 --until-cycles 5", 2, "start the machine stopped"},
    };
    for (const Case& c : cases) {
        HostRun run = Headless(folder, rom + c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << c.args << "\n" << run.output;
    }
    FILE* out = fopen((folder / "out.txt").c_str(), "rb");
    ASSERT_NE(out, nullptr);
    char text[4096] = {};
    EXPECT_GT(fread(text, 1, sizeof text - 1, out), 0u);
    fclose(out);
    EXPECT_NE(std::string(text).find("\n7000: 61 62 63"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("abc"), std::string::npos) << text;
}

// A debugger session up to the point where the machine turns its interrupts
// on, so every line, cycle counts included, is the same on every run.
TEST_F(HeadlessHost, RunsADebuggerScriptLineByLine) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "session.txt") << "# comments and blank lines are skipped\n\n"
                                             "b COLD\n"
                                             "c\n"
                                             "d 0 2\n"
                                             "s\n"
                                             "r\n"
                                             "t size 8\n"
                                             "n\n"
                                             "t 2\n"
                                             "w 8000-80ff w if value != 0\n"
                                             "b\n"
                                             "e 9000 41 42\n"
                                             "mr 9000 2\n"
                                             "b 7000 if Q == 1\n"
                                             "bogus\n";
    HostRun run = Headless(folder, "--rom-dir '" + romDir + "' --debug-script session.txt");
    ASSERT_EQ(run.status, 0) << run.output;
    const char* const expected[] = {
        "stopped: break, 0 cycles",
        "0000  F3           DI",
        "> b COLD",
        "1 on  break 0061 hits 0",
        "> c",
        "stopped: breakpoint 1, 14 cycles",
        "COLD:",
        "0061  F3           DI",
        "> d 0 2",
        "0000  F3           DI",
        "0001  C3 61 00     JP COLD",
        "> s",
        "stopped: step, 4 cycles",
        "0062  31 00 00     LD SP,0000H",
        "> r",
        "AF=FFFF BC=FFFF DE=FFFF HL=FFFF IX=FFFF IY=FFFF SP=FFFF PC=0062",
        "AF'=FFFF BC'=FFFF DE'=FFFF HL'=FFFF I=00 R=03 WZ=0061",
        "F=SZ5H3PNC IM=0 IFF1=0 IFF2=0 halted=0 cycles=4",
        "> t size 8",
        "trace keeps 8 instructions",
        "> n",
        "stopped: step, 10 cycles",
        "0065  AF           XOR A",
        "> t 2",
        "0062  LD SP,0000H            AF=FFFF BC=FFFF DE=FFFF HL=FFFF SP=0000",
        "> w 8000-80ff w if value != 0",
        "2 on  watch memory w 8000-80FF hits 0 if value != 0",
        "> b",
        "1 on  break 0061 hits 1",
        "2 on  watch memory w 8000-80FF hits 0 if value != 0",
        "> e 9000 41 42",
        "> mr 9000 2",
        "9000  41 42  AB",
        "> b 7000 if Q == 1",
        "error: cannot read the condition Q == 1",
        "> bogus",
        "error: unknown command bogus (help lists them)",
    };
    std::istringstream lines(run.output);
    std::string line;
    for (const char* want : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << "the output ends before: " << want;
        EXPECT_EQ(line, want);
    }
    EXPECT_FALSE(std::getline(lines, line)) << "more output: " << line;

    // Running to an address prints the registers there and writes the picture
    // and the state; a session on that state starts where it stopped.
    HostRun stop = Headless(folder, "--rom-dir '" + romDir + "' --break-at 0062");
    ASSERT_EQ(stop.status, 0) << stop.output;
    EXPECT_NE(stop.output.find("stopped: breakpoint 1, 18 cycles"), std::string::npos)
        << stop.output;
    EXPECT_NE(stop.output.find("PC=0062"), std::string::npos) << stop.output;
    EXPECT_NE(stop.output.find("state: "), std::string::npos) << stop.output;
    EXPECT_EQ(Screenshot("break-0062.png").width, 640);
    std::ofstream(folder / "registers.txt") << "r\n";
    HostRun resumed = Headless(folder, "--rom-dir '" + romDir +
                                           "' --load-state break-0062.state "
                                           "--debug-script registers.txt");
    ASSERT_EQ(resumed.status, 0) << resumed.output;
    EXPECT_NE(resumed.output.find("0062  31 00 00     LD SP,0000H"), std::string::npos)
        << resumed.output;
    EXPECT_NE(resumed.output.find("SP=FFFF PC=0062"), std::string::npos) << resumed.output;
}

// The fenced block that follows marker in the manual's text (empty when there
// is none), without its fences.
std::string ManualBlock(const std::string& manual, const std::string& marker) {
    size_t at = manual.find(marker);
    size_t start = at == std::string::npos ? at : manual.find("```\n", at);
    size_t end = start == std::string::npos ? start : manual.find("\n```", start + 4);
    return end == std::string::npos ? "" : manual.substr(start + 4, end + 1 - (start + 4));
}

// The manual's debugger example, run as the manual runs it, prints what the
// manual shows, the folder it runs in written as /home/user: a change to the
// ROM or the debugger that would leave the example wrong fails here.
TEST_F(HeadlessHost, TheManualsDebuggerExamplePrintsWhatTheManualShows) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::string manual = ReadText(Z80HOME_MANUAL);
    std::string script = ManualBlock(manual, "<!-- debugger example: script -->");
    std::string shown = ManualBlock(manual, "<!-- debugger example: output -->");
    ASSERT_FALSE(script.empty()) << "no debugger example in " Z80HOME_MANUAL;
    // The block's first line is the command: the program and its arguments.
    std::string command = shown.substr(0, shown.find('\n'));
    shown.erase(0, command.size() + 1);
    ASSERT_EQ(command.rfind("$ build/bin/z80home-headless ", 0), 0u) << command;
    std::ofstream(folder / "session.txt") << script;
    HostRun run = Headless(folder, "--rom-dir '" + romDir + "' --run-ms 60000 " +
                                       command.substr(command.find(" --") + 1));
    ASSERT_EQ(run.status, 0) << run.output;
    for (size_t at; (at = run.output.find(folder.string())) != std::string::npos;)
        run.output.replace(at, folder.string().size(), "/home/user");
    EXPECT_EQ(run.output, shown);
}

// SIGINT and SIGTERM end a run that has long to go, and a debugger session
// waiting for a stop that never comes, in memory full of prefixes too; the
// outputs asked for are written and the status tells which signal it was.
TEST_F(HeadlessHost, SignalsEndTheRunAndTheOutputsAreWritten) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "session.txt") << "b 0005\nc\n";
    std::ofstream(folder / "prefixes.txt") << "o 31 0A\nfill 0-FFFF 0DD\nr PC 8000\nc\n";
    const std::string rom = "--rom-dir '" + romDir + "' --run-ms 600000 ";
    for (int signal : {SIGINT, SIGTERM}) {
        fs::remove(folder / "screen.txt");
        Started run(folder, rom + "--screen-text screen.txt");
        ASSERT_TRUE(run.Handles(signal)) << run.Output();
        run.Signal(signal);
        EXPECT_EQ(run.Exit(), 128 + signal) << run.Output();
        EXPECT_TRUE(fs::exists(folder / "screen.txt")) << run.Output();

        fs::remove(folder / "stopped.state");
        Started session(folder, rom + "--debug-script session.txt --save-state stopped.state");
        ASSERT_TRUE(session.Printed("> c\n")) << session.Output();
        session.Signal(signal);
        EXPECT_EQ(session.Exit(), 128 + signal) << session.Output();
        EXPECT_TRUE(fs::exists(folder / "stopped.state")) << session.Output();

        fs::remove(folder / "output.txt");
        Started prefixes(folder, rom + "--debug-script prefixes.txt");
        ASSERT_TRUE(prefixes.Printed("> c\n")) << prefixes.Output();
        prefixes.Signal(signal);
        EXPECT_EQ(prefixes.Exit(), 128 + signal) << prefixes.Output();
    }
    // In memory full of prefixes the break a c makes when its time is up
    // stops the machine too.
    HostRun broken =
        Headless(folder, "--rom-dir '" + romDir + "' --run-ms 300 --debug-script prefixes.txt");
    EXPECT_NE(broken.output.find("> c\nstopped: break, "), std::string::npos) << broken.output;
}

#ifdef Z80HOME_DESKTOP
// The desktop host's debugger console with its input piped, on SDL's
// offscreen video driver (the host wants a display named before it tries
// one): a line of any length is one command, and the end of the input
// leaves the console, with the machine running on.
TEST_F(HeadlessHost, TheDesktopConsoleTakesLongLinesWholeAndLetsTheMachineRunOnAtTheEnd) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::string sum = "p 1";
    for (int i = 0; i < 602; ++i)
        sum += "+1"; // 1,207 characters
    // The trace file shows the machine running on, past the breakpoint.
    std::ofstream(folder / "input.txt") << sum << "\nb 0001\nt file trace.txt\n";
    Started desktop(folder, "--debug --rom-dir '" + romDir + "' <input.txt", Z80HOME_DESKTOP,
                    "DISPLAY=:0 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy");
    ASSERT_TRUE(desktop.Printed("the machine runs on\n")) << desktop.Output();
    EXPECT_NE(desktop.Output().find("debug> 025B  603\n"), std::string::npos) << desktop.Output();
    // Only its head is read: it grows by every instruction while the host
    // runs, faster than a loaded machine reads it whole.
    auto ranOn = [&] {
        char head[512];
        std::ifstream trace(folder / "trace.txt");
        trace.read(head, sizeof head);
        return std::string(head, static_cast<size_t>(trace.gcount())).find("\n0001  ") !=
               std::string::npos;
    };
    bool seen = false;
    for (int i = 0; i < 6000 && !(seen = ranOn()); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(desktop.Running()) << desktop.Output();
}
#endif

// Files the host reads whole must be files: a folder, a device or a pipe is
// refused with a message before anything runs, and so is a paste too big to
// be typed; --break-at refuses what is no address as a bad command line,
// before the machine has run or anything is written.
TEST_F(HeadlessHost, RefusesInputsThatAreNotFilesAndAddressesThatAreNone) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_directory(folder / "sub");
    {
        std::ofstream big(folder / "big.txt");
        big.seekp((16 << 20) + 1);
        big.put('x');
    }
    const std::string rom = "--rom-dir '" + romDir + "' --run-ms 100 ";
    const std::pair<std::string, std::string> refused[] = {
        {"--paste sub", "a folder"},
        {"--paste /dev/zero", "not a regular file"},
        {"--paste big.txt", "at most 16 MiB"},
        {"--paste missing.txt", "no such file"},
        {"--load-state fifo", "not a regular file"},
        {"--debug-script fifo", "not a regular file"},
        {"--screen-text none/s.txt", "/none/s.txt: its folder"},
        {"--screenshot none/s.png", "/none does not exist"},
        {"--save-state sub", "/sub: it is a folder"},
    };
    for (const auto& [args, message] : refused) {
        HostRun run = Headless(folder, rom + args);
        EXPECT_EQ(run.status, 1) << args << "\n" << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << args << "\n" << run.output;
    }
    HostRun bogus = Headless(folder, rom + "--break-at BOGUS");
    EXPECT_EQ(bogus.status, 2) << bogus.output;
    EXPECT_NE(bogus.output.find("--break-at BOGUS: not a number, register or name: BOGUS"),
              std::string::npos)
        << bogus.output;
    EXPECT_EQ(bogus.output.find("stopped"), std::string::npos) << bogus.output;
    EXPECT_FALSE(fs::exists(folder / "break-BOGUS.png"));
    EXPECT_FALSE(fs::exists(folder / "break-BOGUS.state"));
}

// --run-ms is the whole run, whether the paste is typed or not, and says
// what was left; without it the paste is typed to its end and its last line
// has time to show before the screen is read. Characters beyond the paste's
// queue are told apart from characters with no key.
TEST_F(HeadlessHost, APasteEndsByRunMsOrIsTypedToItsLastLine) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    // The program runs a moment after its RUN is typed; its REM lines make
    // the paste far longer than 700 ms at any pace the keyboard is read.
    std::string program = "10 FOR I=1 TO 30:NEXT:PRINT \"DO\";\"NE\"\n";
    for (int line = 1000; line < 1040; line++)
        program += std::to_string(line) + " REM\n";
    std::ofstream(folder / "program.bas") << program << "RUN\n";
    const std::string rom = "--rom-dir '" + romDir + "' --paste program.bas --screen-text out.txt";
    HostRun cut = Headless(folder, rom + " --run-ms 700");
    EXPECT_EQ(cut.status, 0) << cut.output;
    ASSERT_NE(cut.output.find("pasted characters not typed"), std::string::npos) << cut.output;
    EXPECT_EQ(ReadText(folder / "out.txt").find("DONE"), std::string::npos);

    HostRun whole = Headless(folder, rom);
    EXPECT_EQ(whole.status, 0) << whole.output;
    EXPECT_EQ(whole.output.find("not typed"), std::string::npos) << whole.output;
    EXPECT_NE(ReadText(folder / "out.txt").find("\nDONE\n"), std::string::npos)
        << ReadText(folder / "out.txt");

    std::string text(kPasteQueue + 300, 'A');
    for (int i = 0; i < 7; i++)
        text[static_cast<size_t>(i) * 1000] = '\xFF';
    std::ofstream(folder / "long.txt") << text;
    HostRun beyond = Headless(folder, "--rom-dir '" + romDir + "' --paste long.txt --run-ms 700");
    EXPECT_NE(beyond.output.find("7 characters of"), std::string::npos) << beyond.output;
    EXPECT_NE(beyond.output.find("293 characters of"), std::string::npos) << beyond.output;
    EXPECT_NE(beyond.output.find("beyond the " + std::to_string(kPasteQueue)), std::string::npos)
        << beyond.output;
}

// The same input ends in the same machine whatever the host's pace: a run
// in warp, recorded, the same run paced at another speed, its recording
// replayed in warp and, with every core of the host kept busy, paced, all
// save the same state; an --until-cycles in warp stops where it does paced.
TEST_F(HeadlessHost, TheSameInputEndsInTheSameStateAtAnyPaceAndLoad) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "p.bas") << "NEW\n10 A$=\"            \":PRINT LEN(A$);\nCLS\n"
                                       "20 FOR I=1 TO 25:PRINT I;\"  A  \":NEXT:GOTO 10\nRUN\n";
    const std::string rom = "--rom-dir '" + romDir + "' ";
    const std::string run = rom + "--paste p.bas --run-ms 3000 --keys "
                                  "'{wait 900}aaaa{SHIFT down}9{SHIFT up}0{CTRL down}g{CTRL up}' ";
    auto state = [&](const std::string& name) { return ReadText(folder / name); };
    ASSERT_EQ(Headless(folder, run + "--warp --record r.rec --save-state a.state").status, 0);
    ASSERT_TRUE(std::filesystem::exists(folder / "r.rec")) << "the recording is not where named";
    ASSERT_EQ(Headless(folder, run + "--speed 1000 --save-state b.state").status, 0);
    ASSERT_EQ(Headless(folder, rom + "--replay r.rec --warp --save-state c.state").status, 0);
    {
        std::atomic<bool> busy{true};
        std::vector<std::thread> load;
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); i++)
            load.emplace_back([&busy] {
                while (busy.load(std::memory_order_relaxed)) {
                }
            });
        HostRun starved = Headless(folder, rom + "--replay r.rec --speed 300 --save-state d.state");
        busy = false;
        for (std::thread& thread : load)
            thread.join();
        ASSERT_EQ(starved.status, 0) << starved.output;
    }
    EXPECT_GT(state("a.state").size(), 65536u);
    for (const char* other : {"b.state", "c.state", "d.state"})
        EXPECT_TRUE(state(other) == state("a.state")) << other << " differs from the warp run's";

    const std::string until = rom + "--until-cycles 9531250 --save-state ";
    ASSERT_EQ(Headless(folder, until + "w.state --warp").status, 0);
    ASSERT_EQ(Headless(folder, until + "p.state --speed 1000").status, 0);
    EXPECT_TRUE(state("w.state") == state("p.state"));
}

// A file named without an option: a listing is typed at BASIC's prompt
// after NEW and run, or not run with --no-run; a state is loaded; a .bas
// that is not text is refused, and so are a second tape and a listing
// with a replay.
TEST_F(HeadlessHost, AFileNamedIsTypedAsAListingOrLoadedOrRefused) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "listing.bas") << "10 PRINT \"DO\";\"NE\"\r\n";
    std::ofstream(folder / "binary.bas") << "\x55\xC3\x3C\x01";
    std::ofstream(folder / "tape.cas") << "\x55\xC3\x3C\x01";
    const struct {
        std::string args;
        int status;
        std::string output;
    } cases[] = {
        {"--warp listing.bas --until-text DONE --save-state s.state", 0, "state: "},
        {"s.state --until-text DONE --timeout 5000", 0, ""},
        {"--warp --no-run listing.bas --screen-text out.txt", 0, ""},
        {"binary.bas", 1, "binary.bas: is not plain text"},
        {"--tape t.cas tape.cas", 1, "tape.cas is a second tape"},
        {"--replay listing.bas listing.bas", 1, "it takes no listing"},
    };
    for (const auto& c : cases) {
        HostRun run = Headless(folder, "--rom-dir '" + romDir + "' " + c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << c.args << "\n" << run.output;
    }
    std::string screen = ReadText(folder / "out.txt");
    EXPECT_NE(screen.find("NEW\nOk\n10 PRINT \"DO\";\"NE\"\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("DONE"), std::string::npos) << screen;
}

#ifdef Z80HOME_DESKTOP
// The desktop host opens a file named on its command line as it opens one
// dropped on its window: a listing is typed at BASIC's prompt and run (the
// program saves itself to the tape, where the test finds it, or is told it
// did not reach one), and a .bas that is not text is refused with a message.
TEST_F(HeadlessHost, TheDesktopHostTypesAListingNamedAndRefusesOneThatIsNotText) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "listing.bas") << "10 PRINT \"HI\"\r\n20 SAVE \"LISTED\"\r\n";
    std::ofstream(folder / "binary.bas") << "\x55\xC3\x3C\x01";
    const std::string args = "--rom-dir '" + romDir + "' --warp --tape t.cas ";
    const std::string offscreen = "DISPLAY=offscreen SDL_VIDEODRIVER=offscreen";
    {
        Started run(folder, args + "listing.bas", Z80HOME_DESKTOP, offscreen);
        EXPECT_TRUE(run.Printed("listing.bas: typed once BASIC is at its prompt")) << run.Output();
        bool saved = false;
        for (int i = 0; i < 6000 && !saved; i++) {
            saved = ReadText(folder / "t.cas").find("LISTED") != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(saved) << run.Output();
    }
    {
        Started run(folder, args + "binary.bas", Z80HOME_DESKTOP, offscreen);
        EXPECT_TRUE(run.Printed("binary.bas: is not plain text")) << run.Output();
    }
    // The listing's SAVE to a tape that takes nothing is reported.
    Started run(folder, "--rom-dir '" + romDir + "' --warp --tape /dev/full listing.bas",
                Z80HOME_DESKTOP, offscreen);
    EXPECT_TRUE(run.Printed("SAVE failed: it did not reach the tape /dev/full")) << run.Output();
}
#endif

// Each SAVE to a tape that cannot take bytes is reported once, with the
// reason: two in warp, however the host's looks fall between their bytes.
TEST_F(HeadlessHost, EachSaveThatReachesNoTapeIsReportedWithTheReason) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "save.txt") << "MON\nSAVE 6100 6105 OFF\nSAVE 6100 6105 OFF\n";
    for (const auto& [tape, reason] :
         {std::pair<std::string, std::string>{"/dev/full", "it is not a regular file"},
          {"/proc/version", "it cannot be opened for writing: "}}) {
        HostRun run = Headless(folder, "--rom-dir '" + romDir + "' --warp --tape " + tape +
                                           " --paste save.txt --run-ms 3000");
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("nothing can be saved to the tape " + tape + ": " + reason),
                  std::string::npos)
            << run.output;
        std::string failed = "SAVE failed: it did not reach the tape " + tape + ": " + reason;
        size_t first = run.output.find(failed);
        ASSERT_NE(first, std::string::npos) << run.output;
        size_t second = run.output.find(failed, first + 1);
        EXPECT_NE(second, std::string::npos) << run.output;
        EXPECT_EQ(run.output.find(failed, second + 1), std::string::npos) << run.output;
    }
}

// The hosts' option rules: every option alone and every pair, on each host,
// against a model of what the manual says each host takes and which
// combinations it refuses. With --help added, an accepted line prints the
// usage and ends 0 without starting anything; a refused one must end 2 with a
// message naming one of its options.
TEST_F(HeadlessHost, OptionRulesAsTheReadmeStatesThem) {
    enum Kind { kPlain, kInput, kCondition, kRunMs, kTimeout, kDebugging, kConsole };
    struct Option {
        const char* name;
        const char* value; // null: a flag
        Kind kind;
        bool desktop; // the desktop host takes it too
    };
    const Option options[] = {
        {"--rom-dir", "roms", kPlain, true},
        {"--tape", "t.cmt", kPlain, true},
        {"--green", nullptr, kPlain, true},
        {"--pcg", nullptr, kPlain, true},
        {"--warp", nullptr, kPlain, true},
        {"--load-state", "l.state", kPlain, true},
        {"--debug", nullptr, kConsole, true},
        {"--screen-text", "s.txt", kPlain, false},
        {"--save-state", "s.state", kPlain, false},
        {"--screenshot", "s.png", kPlain, false},
        {"--type", "A", kInput, false},
        {"--keys", "{F1}", kInput, false},
        {"--mouse", "1,1", kInput, false},
        {"--paste", "p.txt", kInput, true},
        {"--no-run", nullptr, kPlain, true},
        {"p.bas", nullptr, kInput, true}, // a file named without an option
        {"--until-text", "Ok", kCondition, false},
        {"--until-cycles", "5", kCondition, false},
        {"--run-ms", "100000", kRunMs, false},
        {"--timeout", "100", kTimeout, false},
        {"--debug-script", "d.txt", kDebugging, false},
        {"--break-at", "0062", kDebugging, false},
    };
    auto refused = [](bool desktop, const std::vector<const Option*>& line) {
        bool kinds[7] = {};
        for (const Option* option : line) {
            if (desktop ? !option->desktop : option->kind == kConsole) return true;
            kinds[option->kind] = true;
        }
        return (kinds[kRunMs] && kinds[kCondition]) || (kinds[kTimeout] && !kinds[kCondition]) ||
               (kinds[kDebugging] && (kinds[kInput] || kinds[kCondition]));
    };
    std::vector<std::vector<const Option*>> lines;
    for (const Option& a : options) {
        lines.push_back({&a});
        for (const Option& b : options)
            if (&a < &b) lines.push_back({&a, &b});
    }
    fs::path desktop = fs::path(Z80HOME_HEADLESS).parent_path() / "z80home";
    for (bool onDesktop : {false, true}) {
        if (onDesktop && !fs::exists(desktop)) continue;
        std::string program = onDesktop ? desktop.string() : Z80HOME_HEADLESS;
        for (const auto& line : lines) {
            std::string args;
            for (const Option* option : line)
                args += std::string(option->name) +
                        (option->value ? " '" + std::string(option->value) + "' " : " ");
            HostRun run = Headless(folder, args + "--help", program);
            bool refuse = refused(onDesktop, line);
            ASSERT_EQ(run.status, refuse ? 2 : 0)
                << (onDesktop ? "desktop: " : "headless: ") << args << "\n"
                << run.output;
            if (!refuse) continue;
            bool named = false;
            for (const Option* option : line)
                named = named || run.output.find(option->name) < run.output.find("Usage:");
            EXPECT_TRUE(named) << args << "\n" << run.output;
        }
    }
    // Scripted input that outlasts --run-ms is refused as well.
    HostRun shortRun = Headless(folder, "--run-ms 100 --type ABC --help");
    EXPECT_EQ(shortRun.status, 2) << shortRun.output;
    EXPECT_NE(shortRun.output.find("longer than --run-ms"), std::string::npos) << shortRun.output;
}

// Each host's manual page, made from its --help and --version, names every
// option the usage lists (roff writes each '-' as "\-") and the version.
TEST_F(HeadlessHost, TheManualPagesNameEveryOptionAndTheVersion) {
    fs::path bin = fs::path(Z80HOME_HEADLESS).parent_path();
    for (std::string name : {"z80home", "z80home-headless"}) {
        std::string page = ReadText(fs::path(Z80HOME_MANUAL_DIR) / (name + ".1"));
        std::string version = Headless(folder, "--version", (bin / name).string()).output;
        version.erase(version.find('\n'));
        EXPECT_NE(page.find("\"" + version + "\""), std::string::npos) << name << ": " << version;
        std::istringstream usage(Headless(folder, "--help", (bin / name).string()).output);
        std::string line;
        int options = 0;
        while (std::getline(usage, line)) {
            if (line.rfind("  --", 0) != 0) continue;
            std::string roff;
            for (char c : line.substr(2, line.find(' ', 2) - 2))
                roff += c == '-' ? std::string("\\-") : std::string(1, c);
            options++;
            EXPECT_NE(page.find(roff), std::string::npos) << name << ": " << line;
        }
        EXPECT_GT(options, 5) << name;
    }
}

// The debugger's file names start from the folder the host was started in,
// though the host works from the ROM folder.
TEST_F(HeadlessHost, DebuggerFilesAreNamedFromTheFolderTheHostWasStartedIn) {
    if (!HaveRom()) GTEST_SKIP() << "no ROM images in " << romDir;
    std::ofstream(folder / "mine.sym") << "MINE EQU 8123H\n";
    std::ofstream(folder / "session.txt") << "sym mine.sym\n"
                                             "e MINE 41 42\n"
                                             "save saved.bin MINE-MINE+1\n"
                                             "t file trace.txt\n"
                                             "s\n"
                                             "t file\n";
    HostRun run = Headless(folder, "--rom-dir '" + romDir + "' --debug-script session.txt");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("> sym mine.sym\n1 symbols\n"), std::string::npos) << run.output;
    std::ifstream saved(folder / "saved.bin", std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(saved), {});
    EXPECT_EQ(bytes, "AB");
    std::ifstream trace(folder / "trace.txt");
    std::string first;
    std::getline(trace, first);
    EXPECT_EQ(first.rfind("0000  DI", 0), 0u) << first;
    EXPECT_FALSE(fs::exists(fs::path(romDir) / "saved.bin"));
}

} // namespace
