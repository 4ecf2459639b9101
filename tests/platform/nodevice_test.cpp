// Wave output without a usable audio device: waveOutOpen fails with a
// Windows error and a null handle, says nothing on stderr, and every later
// call on that handle fails cleanly, so the machine runs silently.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

size_t Threads() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Opens the default device, expecting failure without a word on stderr and
// a handle that every later call refuses; returns the open's result.
MMRESULT OpenFails() {
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8, 0};
    HWAVEOUT device = reinterpret_cast<HWAVEOUT>(&format);
    testing::internal::CaptureStderr();
    MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(device, nullptr);
    char data[16] = {};
    WAVEHDR h = {data, sizeof data, 0, 0, WHDR_BEGINLOOP | WHDR_ENDLOOP, 0xFFFFFFFF, nullptr, 0};
    EXPECT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(h.dwFlags, static_cast<DWORD>(WHDR_BEGINLOOP | WHDR_ENDLOOP));
    return result;
}

} // namespace

// Tried first: a failed driver start leaves SDL's audio down, so the next
// open starts it afresh with the next driver.
TEST(WaveOutWithoutDevice, UnknownDriverGivesNoDriver) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(OpenFails(), MMSYSERR_NODRIVER);
}

// ALSA with an empty configuration knows no card, as on a machine without
// sound; the library's complaints about that must not reach stderr, and no
// thread of SDL's stays behind to watch for cards.
TEST(WaveOutWithoutDevice, AlsaWithoutCardFailsQuietly) {
    std::string config = testing::TempDir() + "winshim_empty_alsa.conf";
    std::fclose(std::fopen(config.c_str(), "w"));
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    size_t threads = Threads();
    MMRESULT result = OpenFails();
    EXPECT_TRUE(result == MMSYSERR_BADDEVICEID || result == MMSYSERR_NODRIVER) << result;
    EXPECT_EQ(Threads(), threads);
}
