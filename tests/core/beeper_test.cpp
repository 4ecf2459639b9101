// The beeper heard through SDL's "disk" audio driver, which writes every
// sample the device plays to a file: the tone while beepOn is set, unbroken
// past the end of its buffer, silence after it clears, and a fresh start from
// the first sample when it is set again, silence while the machine is held
// (paused) and the tone again after. Waits poll for a state with a
// generous limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "devices/beeper.h"
#include "state/machine_state.h"

namespace {

constexpr uint8_t kSilence = 0x80;

// The tone: nine samples at 0xC0, nine at 0x40.
uint8_t ToneSample(size_t i) {
    return (i % 18) < 9 ? 0xC0 : 0x40;
}

bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 1000; i++) {
        if (ready()) return true;
        Sleep(5);
    }
    return false;
}

struct Tone {
    size_t start, length;
};

// Splits what was played into runs of sound; each must follow the tone from
// its first sample.
std::vector<Tone> Tones(const std::vector<uint8_t>& played) {
    std::vector<Tone> tones;
    for (size_t i = 0; i < played.size();) {
        if (played[i] == kSilence) {
            i++;
            continue;
        }
        size_t start = i;
        while (i < played.size() && played[i] == ToneSample(i - start))
            i++;
        tones.push_back({start, i - start});
        if (i < played.size() && played[i] != kSilence) {
            ADD_FAILURE() << "the tone breaks off at sample " << i;
            break;
        }
    }
    return tones;
}

TEST(Beeper, SoundsWhileBeepOnIsSetAndNotPausedAndRestartsFromTheFirstSample) {
    // Named after the process: other runs of the suite may share the folder.
    std::string file = testing::TempDir() + "z80home_beeper_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1); // a device buffer every 2 ms, 6 times real time
    auto played = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    };

    BeepSetUp();
    ASSERT_NE(machine.beepBuffer, nullptr);
    CreateThread(nullptr, 0, BeepThread, nullptr, 0, nullptr);
    BeepSet(1); // already set at load: the tone starts at once
    // A held tone runs on unbroken past the end of the two-second buffer.
    ASSERT_TRUE(WaitFor([&] {
        std::vector<Tone> t = Tones(played());
        return !t.empty() && t[0].length > 2 * 44100 + 4000;
    })) << "the held tone stopped";

    BeepSet(0);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<uint8_t> p = played();
        std::vector<Tone> t = Tones(p);
        return t.size() == 1 && p.size() > t[0].start + t[0].length + 2000;
    })) << "the tone did not stop";

    BeepSet(1);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<Tone> t = Tones(played());
        return t.size() == 2 && t[1].length > 1000;
    })) << "the tone did not start again from its first sample";

    // A pause silences the tone the program still asks for; going on
    // sounds it again, from its first sample.
    BeepSetHeld(1);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<uint8_t> p = played();
        std::vector<Tone> t = Tones(p);
        return t.size() == 2 && p.size() > t[1].start + t[1].length + 2000;
    })) << "the tone sounds while the machine is paused";
    BeepSetHeld(0);
    ASSERT_TRUE(WaitFor([&] {
        std::vector<Tone> t = Tones(played());
        return t.size() == 3 && t[2].length > 1000;
    })) << "the tone did not come back after the pause";
    BeepSet(0);
    std::remove(file.c_str());
}

} // namespace
