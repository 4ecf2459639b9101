// z80home-headless run as a user runs it: from a folder of one's own, with a
// relative screenshot name, on the built system ROM.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Runs the headless host in folder with the given arguments.
HostRun Headless(const fs::path& folder, const std::string& args) {
    std::string command =
        "cd '" + folder.string() + "' && '" Z80HOME_HEADLESS "' " + args + " 2>&1";
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

} // namespace
