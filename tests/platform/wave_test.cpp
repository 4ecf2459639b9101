// Wave output through SDL's "disk" audio driver, which writes every sample
// the device plays to a file: what the beeper's looping buffer sounds like,
// looked at sample by sample. The waits poll for a state with a generous
// limit; nothing depends on how fast the device plays. The file is named
// after the process too, as other runs of the suite may share the folder.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint8_t kSilence = 0x80;
constexpr DWORD kForever = 0xFFFFFFFF;
constexpr size_t kDeviceBuffer = 512; // samples the device takes at a time

// 200 distinct sample values, none of them silence, so any sample tells
// where in the pattern it came from.
std::vector<char> Pattern() {
    std::vector<char> p;
    for (int v = 1; p.size() < 200; v++)
        if (v != kSilence) p.push_back(static_cast<char>(v));
    return p;
}

DWORD Flags(WAVEHDR& h) {
    return std::atomic_ref<DWORD>(h.dwFlags).load();
}

bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 2000; i++) {
        if (ready()) return true;
        Sleep(5);
    }
    return false;
}

class WaveOut : public testing::Test {
  protected:
    void SetUp() override {
        file = testing::TempDir() + "winshim_wave_" + std::to_string(getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8, 0};
        ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL),
                  MMSYSERR_NOERROR);
    }
    void TearDown() override { std::remove(file.c_str()); }
    std::vector<uint8_t> Played() {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The played samples that are not silence.
    size_t Sounded() {
        size_t n = 0;
        for (uint8_t s : Played())
            n += s != kSilence;
        return n;
    }
    WAVEHDR Header(std::vector<char>& data, DWORD flags, DWORD loops) {
        WAVEHDR h = {};
        h.lpData = data.data();
        h.dwBufferLength = static_cast<DWORD>(data.size());
        h.dwFlags = flags;
        h.dwLoops = loops;
        EXPECT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
        EXPECT_TRUE(Flags(h) & WHDR_PREPARED);
        return h;
    }
    // Splits what was played into runs of sound; each run must follow the
    // pattern from its first sample on. Returns the runs' lengths.
    std::vector<size_t> Runs(const std::vector<char>& pattern) {
        std::vector<uint8_t> played = Played();
        std::vector<size_t> runs;
        size_t i = 0;
        while (i < played.size()) {
            if (played[i] == kSilence) {
                i++;
                continue;
            }
            size_t start = i;
            while (i < played.size() && played[i] != kSilence) {
                size_t k = i - start;
                // A sample out of step with the pattern starts a new run,
                // which must begin at the pattern's first sample.
                if (played[i] != static_cast<uint8_t>(pattern[k % pattern.size()])) break;
                i++;
            }
            runs.push_back(i - start);
            if (i < played.size() && played[i] != kSilence &&
                played[i] != static_cast<uint8_t>(pattern[0])) {
                ADD_FAILURE() << "a run starts mid-pattern at sample " << i;
                break;
            }
        }
        return runs;
    }

    std::string file;
    HWAVEOUT device = nullptr;
};

} // namespace

TEST_F(WaveOut, LoopedHeaderPlaysItsLoopsThenTheNextHeaderThenSilence) {
    std::vector<char> a = Pattern(), b = Pattern();
    WAVEHDR looped = Header(a, WHDR_BEGINLOOP | WHDR_ENDLOOP, 3);
    WAVEHDR once = Header(b, 0, 5); // dwLoops means nothing without the loop flags
    ASSERT_EQ(waveOutWrite(device, &looped, sizeof looped), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &once, sizeof once), MMSYSERR_NOERROR);
    ASSERT_TRUE(WaitFor([&] { return (Flags(once) & WHDR_DONE) != 0; }));
    EXPECT_TRUE(Flags(looped) & WHDR_DONE);
    EXPECT_FALSE(Flags(looped) & WHDR_INQUEUE);
    // The device marks a header done as it takes its last sample, a buffer
    // before the file sees it: look once some more has played.
    size_t playedAtDone = Played().size();
    ASSERT_TRUE(WaitFor([&] { return Played().size() > playedAtDone + 4096; }));
    EXPECT_EQ(Runs(a), std::vector<size_t>{800}) << "one run, silence after it";
}

// A reset, like a write, takes effect between two of the device's buffers:
// the looping tone it stops ends where a buffer ends, not where a loop
// would, and the next write starts from the first sample where a buffer
// starts. The file is read once the tone and the silence after it are all
// there, so when the device plays does not matter.
TEST_F(WaveOut, ResetStopsAtOnceAndTheNextWriteStartsFromTheFirstSample) {
    std::vector<char> tone = Pattern();
    WAVEHDR h = Header(tone, WHDR_BEGINLOOP | WHDR_ENDLOOP, kForever);
    size_t sounded = 0;
    for (int write = 0; write < 2; write++) {
        ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
        EXPECT_TRUE(Flags(h) & WHDR_INQUEUE);
        ASSERT_TRUE(WaitFor([&] { return Sounded() > sounded + 1000; }));
        EXPECT_FALSE(Flags(h) & WHDR_DONE) << "still looping";
        ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
        EXPECT_EQ(Flags(h) & (WHDR_DONE | WHDR_INQUEUE), static_cast<DWORD>(WHDR_DONE));
        ASSERT_TRUE(WaitFor([&] { return Played().back() == kSilence; })); // sound came first
        sounded = Sounded();
    }
    EXPECT_EQ(Runs(tone).size(), 2u);
    std::vector<uint8_t> played = Played();
    for (size_t i = 1; i < played.size(); i++) {
        if ((played[i] == kSilence) != (played[i - 1] == kSilence)) {
            EXPECT_EQ(i % kDeviceBuffer, 0u) << "the sound starts or stops at sample " << i;
        }
    }
}

// A device that plays only silence is closed after a second or two, so a
// silent program keeps no audio thread busy: the disk driver's file stops
// growing. The next write opens it again (the driver starts a new file) and
// plays from its first sample.
TEST_F(WaveOut, ASilentDeviceClosesAndTheNextWriteOpensItAgain) {
    bool stopped = false;
    for (int look = 0; look < 40 && !stopped; look++) {
        size_t before = Played().size();
        Sleep(250);
        stopped = before > 0 && Played().size() == before;
    }
    ASSERT_TRUE(stopped) << "the silent device still plays after 10 s";
    std::vector<char> tone = Pattern();
    WAVEHDR h = Header(tone, 0, 0);
    ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
    ASSERT_TRUE(WaitFor([&] { return (Flags(h) & WHDR_DONE) != 0; }));
    ASSERT_TRUE(WaitFor([&] { return Played().size() > 2 * kDeviceBuffer; }));
    EXPECT_EQ(Runs(tone), std::vector<size_t>{tone.size()});
}

TEST_F(WaveOut, CallsCheckTheirHandlesAndHeaders) {
    std::vector<char> data = Pattern();
    WAVEHDR h = {};
    h.lpData = data.data();
    h.dwBufferLength = static_cast<DWORD>(data.size());
    EXPECT_EQ(waveOutWrite(device, &h, sizeof h), static_cast<MMRESULT>(WAVERR_UNPREPARED));
    EXPECT_EQ(waveOutPrepareHeader(device, &h, sizeof h - 1), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutPrepareHeader(device, nullptr, sizeof h), MMSYSERR_INVALPARAM);
    ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
    h.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
    h.dwLoops = kForever;
    ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &h, sizeof h), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);

    auto* bogus = reinterpret_cast<HWAVEOUT>(&h);
    for (HWAVEOUT bad : {HWAVEOUT{}, bogus}) {
        EXPECT_EQ(waveOutPrepareHeader(bad, &h, sizeof h), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutWrite(bad, &h, sizeof h), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutReset(bad), MMSYSERR_INVALHANDLE);
    }

    HWAVEOUT other = bogus;
    WAVEFORMATEX odd = {WAVE_FORMAT_PCM, 1, 44100, 44100, 2, 8, 0}; // block align says 16-bit
    EXPECT_EQ(waveOutOpen(&other, WAVE_MAPPER, &odd, 0, 0, CALLBACK_NULL),
              static_cast<MMRESULT>(WAVERR_BADFORMAT));
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(waveOutOpen(&other, 7, &odd, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
}
