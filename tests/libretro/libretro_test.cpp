// The libretro core through a frontend of the tests' own (retro_frontend):
// keys typed through the keyboard callback and the pointer give the picture
// the headless host, or the machine driven in this process, shows for the
// same input; the sound follows the beeper to the tick, at a rate in step
// with the frames; a restored state runs the same frames and sound again;
// the content is the tape, written only when allowed, and a state of an
// earlier load of it leaves the tape as written since.
//
// Every input ends with a routine that switches the cursor off and halts
// with interrupts disabled, so the last picture no longer changes and two
// ways of getting there can be compared pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/host/png_reader.h"
#include "tests/libretro/retro_frontend.h"
#include "tests/machine/machine_support.h"
#include "video/screen.h"

namespace {

namespace fs = std::filesystem;

// The routine, stored and run from the monitor or from BASIC.
constexpr const char* kMonitorHalt = "SET 7000 3E 80 D3 51 F3 76\nRUN 7000\n";
constexpr const char* kBasicHalt = "POKE 28672,62:POKE 28673,128:POKE 28674,211:POKE 28675,81:"
                                   "POKE 28676,243:POKE 28677,118:CALL 28672";
constexpr int kBootFrames = 60;
constexpr int kSettleFrames = 30;
constexpr int kRate = 44100;
constexpr double kFramesPerSecond = 62.5;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class LibretroCore : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("z80home-libretro-" + std::to_string(getpid()));
        fs::create_directories(folder);
        romDir = std::getenv("Z80HOME_ROM_DIR");
        ASSERT_NE(romDir, nullptr) << "Z80HOME_ROM_DIR is not set";
        ASSERT_TRUE(RetroOpen());
    }
    void TearDown() override {
        frontend.unloadGame();
        frontend.deinit();
        fs::remove_all(folder);
    }

    // The headless host's screenshot after it has run args from the folder.
    // The headless host's picture after the same input equals the core's
    // frame. A build without the host (the sanitizer tree) has only the
    // comparisons with the machine driven in this process.
    void ExpectSameAsHeadless(const std::string& args) {
#ifdef Z80HOME_HEADLESS
        std::string command = "cd '" + folder.string() + "' && SDL_AUDIODRIVER=dummy '" +
                              Z80HOME_HEADLESS + "' " + args + " --screenshot headless.png 2>&1";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        PngPicture headless;
        std::string error;
        ASSERT_TRUE(PngRead(PngLoadFile((folder / "headless.png").string()), headless, error))
            << error;
        ExpectSamePicture(headless);
#else
        (void)args;
#endif
    }

    // The pasted text, typed by the headless host in the machine's time once
    // it has booted, in warp.
    std::string Paste(const std::string& text) {
        std::ofstream(folder / "paste.txt") << text;
        return "--warp --paste paste.txt";
    }

    void ExpectSamePicture(const PngPicture& reference) {
        ASSERT_EQ(frontend.frameWidth, unsigned(reference.width));
        ASSERT_EQ(frontend.frameHeight, unsigned(reference.height));
        size_t differ = 0, colours = 0;
        for (size_t i = 0; i < reference.pixels.size(); i++) {
            differ += frontend.frame[i] != reference.pixels[i];
            colours += frontend.frame[i] != frontend.frame[0];
        }
        EXPECT_EQ(differ, 0u) << "pixels differ";
        EXPECT_GT(colours, 0u) << "a blank picture proves nothing";
    }

    // The content run for frames as a frontend two frames ahead runs it,
    // restoring a state every frame, must end in the straight run's picture.
    void ExpectSameRunningAhead(const fs::path& content, int frames,
                                const std::vector<uint32_t>& straight) {
        ASSERT_TRUE(RetroLoad(content.string().c_str()));
        std::vector<uint8_t> state(frontend.serializeSize());
        for (int i = 1; i < frames; i++) {
            RetroFrames(1);
            ASSERT_TRUE(frontend.serialize(state.data(), state.size()));
            RetroFrames(2);
            ASSERT_TRUE(frontend.unserialize(state.data(), state.size()));
        }
        RetroFrames(1);
        EXPECT_TRUE(frontend.frame == straight) << "running ahead changed the picture";
    }

    fs::path folder;
    const char* romDir = nullptr;
};

// A pointer position at the middle of frame pixel (x, y).
int16_t PointerAt(int pixel, int size) {
    return static_cast<int16_t>((2 * pixel + 1) * 0xFFFF / (2 * size) - 0x7FFF);
}

// Runs of sound in the stereo samples: each must follow the tone from its
// first sample, the same on both channels.
struct Tone {
    size_t start, length;
};
std::vector<Tone> Tones(const std::vector<int16_t>& samples) {
    auto tone = [](size_t i) { return static_cast<int16_t>(i % 18 < 9 ? 0x4000 : -0x4000); };
    std::vector<Tone> tones;
    size_t pairs = samples.size() / 2;
    for (size_t i = 0; i < pairs;) {
        if (samples[2 * i] == 0 && samples[2 * i + 1] == 0) {
            i++;
            continue;
        }
        size_t start = i;
        while (i < pairs && samples[2 * i] == tone(i - start) &&
               samples[2 * i + 1] == tone(i - start))
            i++;
        tones.push_back({start, i - start});
        if (i < pairs && (samples[2 * i] != 0 || samples[2 * i + 1] != 0)) {
            ADD_FAILURE() << "the tone breaks off at pair " << i;
            break;
        }
    }
    return tones;
}

} // namespace

// The core and its .info file give the project's version, the one the hosts
// print.
TEST_F(LibretroCore, TheCoreAndItsInfoFileCarryTheProjectsVersion) {
    retro_system_info info{};
    frontend.getSystemInfo(&info);
    EXPECT_STREQ(info.library_version, Z80HOME_VERSION);
    std::ifstream file(fs::path(Z80HOME_LIBRETRO_CORE).replace_extension(".info"));
    std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_NE(text.find("\ndisplay_version = \"" Z80HOME_VERSION "\"\n"), std::string::npos)
        << text;
}

// Keys through the keyboard callback, the second legends with SHIFT, on a
// character set from the frontend's system folder: the headless host shows
// the same picture for the same text on the same images.
TEST_F(LibretroCore, KeysTypedThroughTheFrontendGiveTheHeadlessHostsPicture) {
    // A character set of our own: the build's with every glyph mirrored.
    std::vector<uint8_t> font = ReadFile(fs::path(romDir) / "font.rom");
    ASSERT_EQ(font.size(), size_t(kFontRomSize));
    for (uint8_t& row : font) {
        uint8_t mirrored = 0;
        for (int bit = 0; bit < 8; bit++)
            mirrored |= ((row >> bit) & 1) << (7 - bit);
        row = mirrored;
    }
    fs::create_directories(folder / "system/z80home");
    fs::create_directories(folder / "roms");
    WriteFile(folder / "system/z80home/font.rom", font);
    WriteFile(folder / "roms/font.rom", font);
    fs::copy_file(fs::path(romDir) / "n80basic.rom", folder / "roms/n80basic.rom");
    frontend.systemFolder = (folder / "system").string();

    // The monitor keeps the line it could not take on the screen.
    std::string text = "MON\nA\"!#$%&*()-_=+[]{};:',<.>/?|\\~`@^12\n" + std::string(kMonitorHalt);
    ASSERT_TRUE(RetroLoad(nullptr));
    RetroFrames(kBootFrames);
    RetroType(text);
    RetroFrames(kSettleFrames);
    ExpectSameAsHeadless("--rom-dir roms " + Paste(text));
}

// The pointer pressed on a cell is the light pen there: BASIC's PEN reads
// the cell, as on a machine driven in this process with the host's mouse.
TEST_F(LibretroCore, ThePointerIsTheLightPen) {
    const int x = 164, y = 106; // a cell's middle in either column and row mode
    ASSERT_TRUE(RetroLoad(nullptr));
    RetroFrames(kBootFrames);
    frontend.pointerX = PointerAt(x, kFrameWidth);
    frontend.pointerY = PointerAt(y, kFrameHeight);
    frontend.pointerDown = true;
    RetroFrames(3);
    frontend.pointerDown = false;
    RetroFrames(3);
    const std::string query = "?PEN(0);PEN(1);PEN(2)";
    RetroType(query + "\n" + kBasicHalt + "\n");
    RetroFrames(kSettleFrames);

    BasicBoot();
    int32_t at = (y * kWindowHeight / kFrameHeight) << 16 | (x * kWindowWidth / kFrameWidth);
    CtlEmulator(WM_LBUTTONDOWN, 0, at);
    CtlEmulator(WM_LBUTTONUP, 0, at);
    Basic(query);
    ASSERT_EQ(FindRow("-1  20  5"), CursorRow() - 2) << "the pen's cell, read in this process";
    TypeLine(kBasicHalt);
    RunSlices(10);
    DrawScreen();
    PngPicture reference;
    reference.width = kFrameWidth;
    reference.height = kFrameHeight;
    reference.pixels.assign(machine.framePixels, machine.framePixels + kFrameWidth * kFrameHeight);
    ExpectSamePicture(reference);
}

// The sound keeps the machine's time: 44,100 stereo pairs to 62.5 frames,
// spread as evenly as whole pairs allow, and BASIC's SOUND t heard for t
// ticks of 2 ms to within one tick, however short, from the tone's first
// sample each time.
TEST_F(LibretroCore, SoundFollowsTheBeeperToTheTick) {
    retro_system_av_info av{};
    ASSERT_TRUE(RetroLoad(nullptr));
    frontend.getAvInfo(&av);
    EXPECT_EQ(av.timing.sample_rate, kRate);
    EXPECT_EQ(av.timing.fps, kFramesPerSecond);
    EXPECT_EQ(av.geometry.base_width, unsigned(kFrameWidth));
    EXPECT_EQ(av.geometry.base_height, unsigned(kFrameHeight));
    RetroFrames(kBootFrames);
    frontend.samples.clear();
    frontend.framePairs.clear();
    const int ticks[] = {1, 3, 10, 2};
    for (int t : ticks)
        RetroType("SOUND " + std::to_string(t) + "\n");
    RetroFrames(kSettleFrames);

    size_t pairs = 0;
    for (size_t frame = 0; frame < frontend.framePairs.size(); frame++) {
        size_t due = static_cast<size_t>((kBootFrames + frame + 1) * kRate / kFramesPerSecond) -
                     static_cast<size_t>((kBootFrames + frame) * kRate / kFramesPerSecond);
        ASSERT_EQ(frontend.framePairs[frame], due) << "frame " << frame;
        pairs += frontend.framePairs[frame];
    }
    size_t frames = frontend.framePairs.size();
    EXPECT_EQ(pairs, static_cast<size_t>((kBootFrames + frames) * kRate / kFramesPerSecond) -
                         static_cast<size_t>(kBootFrames * kRate / kFramesPerSecond));
    std::vector<Tone> tones = Tones(frontend.samples);
    ASSERT_EQ(tones.size(), std::size(ticks));
    // A tick period has 88 or 89 pairs.
    for (size_t i = 0; i < tones.size(); i++) {
        EXPECT_GE(tones[i].length, size_t(ticks[i] - 1) * 88) << "SOUND " << ticks[i];
        EXPECT_LE(tones[i].length, size_t(ticks[i] + 1) * 89) << "SOUND " << ticks[i];
    }
}

// A state taken while a program prints and beeps runs the same frames and
// sound again once restored, whatever ran in between (here STOP broke the
// program), and the size stays the same for the session. A state that is
// refused changes nothing, not even the core's fields, which lead the state
// (the sound's period, whether it plays, where, then the blink): an earlier
// state with a byte of its machine part changed, or with its tone standing
// past the tone's end.
TEST_F(LibretroCore, ARestoredStateRunsTheSameFramesAndSound) {
    ASSERT_TRUE(RetroLoad(nullptr));
    size_t size = frontend.serializeSize();
    ASSERT_GT(size, size_t{kRamSize});
    RetroFrames(kBootFrames);
    RetroType("10 SOUND 1+I MOD 5:PRINT I;:I=I+1:GOTO 10\nRUN\n");
    std::vector<uint8_t> state(size);
    std::mt19937 random(7);
    using Run = std::pair<std::vector<std::vector<uint32_t>>, std::vector<int16_t>>;
    auto record = [&](int frames) {
        Run run;
        frontend.samples.clear();
        for (int i = 0; i < frames; i++) {
            RetroFrames(1);
            run.first.push_back(frontend.frame);
        }
        run.second = frontend.samples;
        return run;
    };
    for (int round = 0; round < 3; round++) {
        RetroFrames(static_cast<int>(random() % 40));
        EXPECT_EQ(frontend.serializeSize(), size);
        ASSERT_FALSE(frontend.serialize(state.data(), size - 1));
        ASSERT_TRUE(frontend.serialize(state.data(), size));
        Run first = record(40);
        EXPECT_NE(std::count(first.second.begin(), first.second.end(), 0), std::ssize(first.second))
            << "no sound to compare";
        frontend.keyboard(true, RETROK_END, 0, 0);
        RetroFrames(static_cast<int>(random() % 40) + 3);
        frontend.keyboard(false, RETROK_END, 0, 0);

        std::vector<uint8_t> now(size);
        ASSERT_TRUE(frontend.serialize(now.data(), size));
        Run expected = record(1);
        for (int trial = 0; trial < 20; trial++) {
            ASSERT_TRUE(frontend.unserialize(now.data(), size));
            std::vector<uint8_t> bad = state;
            if (trial == 0)
                std::fill(bad.begin() + 5, bad.begin() + 9, 0xFF);
            else
                bad[9 + random() % 4096] ^= static_cast<uint8_t>(1 + random() % 255);
            ASSERT_FALSE(frontend.unserialize(bad.data(), size)) << "trial " << trial;
            EXPECT_TRUE(record(1) == expected) << "a refused state changed the machine";
        }

        ASSERT_TRUE(frontend.unserialize(state.data(), size));
        EXPECT_TRUE(record(40) == first) << "round " << round << ": frames or sound differ";
    }
}

// The content is the tape. Made writable, a SAVE reaches the content file,
// and a SAVE made again after a state from before it is restored leaves the
// record there once; by default the machine saves to a copy and the file stays as it was, and
// LOAD and RUN are typed once BASIC is up: the program on the tape runs, as
// it runs in the headless host given the same tape and the same two lines,
// and as it runs when the frontend runs ahead (each frame it saves the
// state, runs two frames more and restores it), typing included.
TEST_F(LibretroCore, TheContentIsTheTapeWrittenOnlyWhenAllowed) {
    fs::path tape = folder / "program.cas";
    WriteFile(tape, {});
    frontend.options["z80home_tape_writable"] = "on";
    frontend.options["z80home_tape_start"] = "nothing";
    ASSERT_TRUE(RetroLoad(tape.string().c_str()));
    RetroFrames(kBootFrames);
    RetroType("10 PRINT \"FROM THE TAPE\"\n20 FOR I=0 TO 5:READ B:POKE &H7000+I,B:NEXT\n"
              "30 DATA 62,128,211,81,243,118\n40 CALL &H7000\n");
    std::vector<uint8_t> before(frontend.serializeSize());
    ASSERT_TRUE(frontend.serialize(before.data(), before.size()));
    RetroType("SAVE \"HALT\"\n");
    RetroFrames(kSettleFrames);
    std::vector<uint8_t> saved = ReadFile(tape);
    ASSERT_GT(saved.size(), 40u) << "SAVE did not reach the content";
    // Back to before the SAVE (as rewinding does) and saved again: the tape
    // holds the record once.
    ASSERT_TRUE(frontend.unserialize(before.data(), before.size()));
    RetroType("SAVE \"HALT\"\n");
    RetroFrames(kSettleFrames);
    EXPECT_EQ(ReadFile(tape), saved) << "the record saved again after a restore";
    frontend.unloadGame();

    frontend.options.erase("z80home_tape_writable");
    ASSERT_TRUE(RetroLoad(tape.string().c_str()));
    RetroFrames(kBootFrames);
    RetroType("SAVE \"AGAIN\"\n");
    RetroFrames(kSettleFrames);
    frontend.unloadGame();
    EXPECT_EQ(ReadFile(tape), saved) << "the read-only content was written";

    frontend.options.erase("z80home_tape_start");
    ASSERT_TRUE(RetroLoad(tape.string().c_str()));
    RetroFrames(200);
    std::vector<uint32_t> straight = frontend.frame;
    frontend.unloadGame();
    ExpectSameRunningAhead(tape, 200, straight);
    fs::copy_file(tape, folder / "headless.cas");
    ExpectSameAsHeadless("--tape headless.cas " + Paste("LOAD\nRUN\n"));
}

// A state belongs to the load of the content it was taken in: restored after
// any later load, it leaves the tape as the loads since have written it.
TEST_F(LibretroCore, AStateOfAnEarlierLoadKeepsTheTapeWrittenSince) {
    fs::path tape = folder / "loads.cas";
    WriteFile(tape, {});
    frontend.options["z80home_tape_writable"] = "on";
    frontend.options["z80home_tape_start"] = "nothing";
    std::vector<std::vector<uint8_t>> states;
    for (int load = 0; load < 4; load++) {
        if (load) frontend.unloadGame();
        ASSERT_TRUE(RetroLoad(tape.string().c_str()));
        RetroFrames(kBootFrames);
        const std::vector<uint8_t> written = ReadFile(tape);
        for (size_t earlier = 0; earlier < states.size(); earlier++) {
            ASSERT_TRUE(frontend.unserialize(states[earlier].data(), states[earlier].size()));
            EXPECT_EQ(ReadFile(tape), written)
                << "a state of load " << earlier << " restored in load " << load;
        }
        states.emplace_back(frontend.serializeSize());
        ASSERT_TRUE(frontend.serialize(states.back().data(), states.back().size()));
        RetroType("10 REM\nSAVE \"L\"\n");
        RetroFrames(kSettleFrames);
        ASSERT_GT(ReadFile(tape).size(), written.size()) << "SAVE did not reach the tape";
    }
}

// A BASIC listing as content is typed at BASIC's prompt after NEW and run:
// the picture is the headless host's given the same file, and the same
// running ahead, where the listing goes to the paste in frames a restore
// takes back; with the core option off it is not run. A .bas that is not
// text is refused.
TEST_F(LibretroCore, AListingAsContentIsTypedAndRunRunningAheadOrNot) {
    fs::path listing = folder / "listing.bas";
    std::ofstream(listing) << "10 PRINT \"FROM A LISTING\"\r\n20 " << kBasicHalt << "\r\n";
    ASSERT_TRUE(RetroLoad(listing.string().c_str()));
    RetroFrames(400);
    std::vector<uint32_t> run = frontend.frame;
    ExpectSameAsHeadless("--warp listing.bas");
    frontend.unloadGame();

    ExpectSameRunningAhead(listing, 400, run);
    frontend.unloadGame();

    frontend.options["z80home_listing_run"] = "off";
    ASSERT_TRUE(RetroLoad(listing.string().c_str()));
    RetroFrames(400);
    EXPECT_FALSE(frontend.frame == run) << "the listing ran";
    frontend.unloadGame();

    WriteFile(folder / "binary.bas", {0x55, 0xC3, 0x3C, 0x01});
    EXPECT_FALSE(RetroLoad((folder / "binary.bas").string().c_str()));
}
