// z80home-headless run as a user runs it: from a folder of one's own, with a
// relative screenshot name, on the built system ROM.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "png_reader.h"

namespace {

namespace fs = std::filesystem;

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

} // namespace
