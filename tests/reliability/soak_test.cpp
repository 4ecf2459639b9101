// A hostile host: the machine runs on its own threads with the system ROM,
// and the host's thread calls every export at random for a while (keys and
// mouse with any arguments, resets, cassette names good and bad, the PCG and
// green options, window resizes down to nothing, reads of the window). Run
// under ThreadSanitizer it must stay silent; afterwards the machine must come
// back to the prompt after a reset, and every byte saved to tape must be in
// the file that was chosen when it was written, in order.
//
// The saving is done by a program in RAM, started from BASIC with CALL. It
// writes a counter's low byte to the cassette port, then steps the counter,
// which stays in RAM: after each reset the host types CALL again and the
// program carries on. Every cassette file chosen is a new one, so the
// files read in the order they were chosen must hold the counter's bytes one
// after another. The one allowed exception: a reset that lands between the
// port write and the counter's store makes the program write that byte again
// when restarted.
//
// Z80HOME_SOAK_SECONDS sets how long the host hammers (5 by default).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
#include <winshim_host.h>

#include "core/z80home.h"
#include "state/machine_state.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kProgram = 0x8000;
constexpr int kCounter = 0x8100;
constexpr int kTicks = 0xF010; // the ROM's tick count
// Resets at least this often, so the 16-bit counter cannot pass a whole turn
// between two readings of it.
constexpr auto kLongestRun = std::chrono::seconds(3);
constexpr auto kPatience = std::chrono::seconds(20);

// loop: LD HL,(counter); LD A,L; OUT (20H),A; INC HL; LD (counter),HL
//       LD B,40; DJNZ $; JR loop
const std::vector<uint8_t> kSaver = {0x2A,
                                     kCounter & 0xFF,
                                     kCounter >> 8,
                                     0x7D,
                                     0xD3,
                                     0x20,
                                     0x23,
                                     0x22,
                                     kCounter & 0xFF,
                                     kCounter >> 8,
                                     0x06,
                                     0x28,
                                     0x10,
                                     0xFE,
                                     0x18,
                                     0xF0};

int Ram(int address) {
    return Get(machine.mainRam[address & 0xFFFF]);
}

int Ram16(int address) {
    return Ram(address) | Ram(address + 1) << 8;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// BASIC's prompt: "Ok" starts the row above the cursor, which waits at the
// start of its row (read as the renderer would read it).
bool AtPrompt(void) {
    int step = Get(machine.columns80) ? 1 : 2;
    int row = Get(machine.cursorY);
    if (row < 1 || row >= (Get(machine.rows25) ? 25 : 20) || Get(machine.cursorX) != 0)
        return false;
    int base = Get(machine.dmaAddress[2]) + (row - 1) * 120;
    return Ram(base) == 'O' && Ram(base + step) == 'k' && Ram(base + 2 * step) == ' ';
}

bool WaitFor(bool (*done)(void)) {
    for (auto end = Clock::now() + kPatience; Clock::now() < end; Pause(2))
        if (done()) return true;
    return done();
}

// Waits until the ROM has counted n more ticks, so a key scan saw the matrix.
bool WaitTicks(int n) {
    int start = Ram16(kTicks);
    for (auto end = Clock::now() + kPatience; Clock::now() < end; Pause(2))
        if (((Ram16(kTicks) - start) & 0xFFFF) >= n) return true;
    return false;
}

bool Type(const std::string& keys) {
    for (char key : keys) {
        int code = key == ' ' ? VK_SPACE : key == '\r' ? VK_RETURN : key;
        CtlEmulator(WM_KEYDOWN, code, 0);
        if (!WaitTicks(3)) return false;
        CtlEmulator(WM_KEYUP, code, 0);
        if (!WaitTicks(3)) return false;
    }
    return true;
}

void ReleaseEverything(void) {
    for (uint32_t key = 0; key < 256; key++)
        CtlEmulator(WM_KEYUP, key, 0);
    CtlEmulator(WM_LBUTTONUP, 0, 0);
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class Soak {
  public:
    Soak(HWND window, const fs::path& folder) : window_(window), folder_(folder) {}

    // Resets, waits for the prompt, notes where the counter stands and, if
    // asked, starts the saving program again.
    void Restart(bool run) {
        // Released first: the reset makes the keys what the host left them.
        ReleaseEverything();
        ASSERT_EQ(ResetEmu(), 0);
        ASSERT_TRUE(WaitFor(AtPrompt)) << "no prompt after a reset";
        int counter = Ram16(kCounter);
        total_ += (counter - last_) & 0xFFFF;
        last_ = counter;
        restarts_.insert(total_);
        started_ = Clock::now();
        if (!run) return;
        ASSERT_TRUE(Type("CALL 32768\r")) << "the ticks stopped while typing";
        auto end = Clock::now() + kPatience;
        while (Ram16(kCounter) == counter && Clock::now() < end)
            Pause(2);
        ASSERT_NE(Ram16(kCounter), counter) << "the saving program did not start";
    }

    void NewTape(void) {
        std::string name = (folder_ / ("tape-" + std::to_string(tapes_.size()))).string();
        SetCMTFile(name.c_str());
        tapes_.push_back(name);
    }

    // One export, chosen at random, with arguments chosen to hurt.
    void Hammer(void) {
        switch (random_() % 14) {
        case 0:
        case 1: {
            uint32_t message = random_() % 2 ? WM_KEYDOWN : WM_KEYUP;
            EXPECT_EQ(CtlEmulator(message, random_() % 0x200, random_()), 0);
            break;
        }
        case 2:
        case 3: {
            const uint32_t mouse[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP};
            uint32_t x = random_() % 4 ? random_() % 800 : 0xFFFF;
            uint32_t y = random_() % 4 ? random_() % 600 : 0xFFFF;
            EXPECT_EQ(
                CtlEmulator(mouse[random_() % 3], random_(), static_cast<int32_t>(y << 16 | x)), 0);
            break;
        }
        case 4:
            EXPECT_EQ(CtlEmulator(random_(), random_(), static_cast<int32_t>(random_())), 0);
            break;
        case 5:
            if (random_() % 10 == 0) NewTape();
            break;
        case 6: {
            // Names the library must refuse: the chosen file stays.
            static const std::string tooLong520(520, 'n'), tooLong4000(4000, 'n');
            const char* refused[] = {nullptr, tooLong520.c_str(), tooLong4000.c_str()};
            SetCMTFile(refused[random_() % 3]);
            EXPECT_EQ(GetCMTFile(), tapes_.back());
            break;
        }
        case 7: {
            uint8_t flag = random_() % 3 ? random_() % 2 : random_() & 0xFF;
            SetPCG(flag);
            EXPECT_EQ(GetPCG(), flag);
            break;
        }
        case 8: {
            uint8_t flag = random_() % 2;
            SetGreenDisplay(flag);
            EXPECT_EQ(GetGreenDisplay(), flag);
            break;
        }
        case 9: {
            int width = random_() % 3 ? random_() % 1280 : 0;
            int height = random_() % 3 ? random_() % 960 : 0;
            ShimResizeWindow(window_, width, height);
            break;
        }
        case 10: {
            int width = 0, height = 0;
            pixels_.resize(1280 * 960);
            ShimReadWindow(window_, pixels_.data(), static_cast<int>(pixels_.size()), &width,
                           &height);
            break;
        }
        case 11:
            if (random_() % 200 == 0 || Clock::now() - started_ > kLongestRun) {
                // Now and then a second reset while the ROM boots.
                if (random_() % 4 == 0) {
                    ResetEmu();
                    Pause(random_() % 5);
                }
                Restart(true);
            }
            break;
        default: Pause(random_() % 3); break;
        }
    }

    // The chosen files in order hold the counter's bytes one after another,
    // a byte written again after a restart aside, and nothing else is there.
    void CheckTapes(void) {
        uint64_t next = 0;
        std::set<uint64_t> repeatable = restarts_;
        for (const std::string& tape : tapes_) {
            std::vector<uint8_t> bytes = ReadFile(tape);
            for (size_t i = 0; i < bytes.size(); i++) {
                if (bytes[i] == (next & 0xFF)) {
                    next++;
                } else if (next > 0 && bytes[i] == ((next - 1) & 0xFF) &&
                           repeatable.erase(next - 1)) {
                    continue;
                } else {
                    FAIL() << tape << " byte " << i << " is " << int(bytes[i]) << ", byte " << next
                           << " of the stream was " << (next & 0xFF);
                }
            }
        }
        // The final reset may fall after the last write but before its count.
        EXPECT_TRUE(next == total_ || next == total_ + 1)
            << next << " bytes on tape, " << total_ << " counted";
        EXPECT_GT(total_, 0u);
        std::set<std::string> chosen(tapes_.begin(), tapes_.end());
        for (const auto& entry : fs::directory_iterator(folder_))
            EXPECT_TRUE(chosen.count(entry.path().string())) << "stray file " << entry.path();
        printf("soak: %llu bytes saved over %zu tapes, %zu restarts\n",
               static_cast<unsigned long long>(total_), tapes_.size(), restarts_.size());
    }

  private:
    HWND window_;
    fs::path folder_;
    std::mt19937 random_{std::random_device{}()};
    std::vector<std::string> tapes_;
    std::set<uint64_t> restarts_;
    uint64_t total_ = 0;
    int last_ = 0;
    Clock::time_point started_ = Clock::now();
    std::vector<uint32_t> pixels_;
};

TEST(Soak, HostileHostLosesNoSavedByteAndTheMachineStillAnswers) {
    const char* romDir = std::getenv("Z80HOME_ROM_DIR");
    ASSERT_NE(romDir, nullptr) << "Z80HOME_ROM_DIR is not set";
    const char* secondsText = std::getenv("Z80HOME_SOAK_SECONDS");
    int seconds = secondsText ? std::atoi(secondsText) : 5;
    fs::path folder = fs::temp_directory_path() / ("z80home-soak-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(romDir);

    HWND window = ShimCreateWindow(640, 480);
    ASSERT_EQ(RunEmu(window, GetDC(window)), 1);
    ASSERT_TRUE(WaitFor(AtPrompt)) << "no prompt after the start";
    for (size_t i = 0; i < kSaver.size(); i++)
        Put(machine.mainRam[kProgram + i], kSaver[i]);
    Put(machine.mainRam[kCounter], 0);
    Put(machine.mainRam[kCounter + 1], 0);

    Soak soak(window, folder);
    soak.NewTape();
    soak.Restart(true);
    if (HasFatalFailure()) return;
    for (auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;) {
        soak.Hammer();
        if (HasFatalFailure()) return;
    }
    ShimResizeWindow(window, 640, 480);
    soak.Restart(false);
    if (HasFatalFailure()) return;
    soak.CheckTapes();
    // Nothing may be writing there any more: the program stopped at the reset.
    fs::remove_all(folder);
}

} // namespace
