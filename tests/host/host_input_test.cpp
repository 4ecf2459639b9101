// Typing, key scripts and the hosts' command lines. Typed text is checked
// against the machine itself: the key messages go through CtlEmulator and
// the rows read back through the keyboard ports, and, when the system ROM's
// symbols are at hand, the ROM's own key tables must turn each stroke back
// into the character typed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "bus/bus.h"
#include "bus/keyboard.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "host/host_input.h"
#include "state/machine_state.h"
#include "host/host_options.h"

namespace {

constexpr int kShiftRow = 8;
constexpr int kShiftBit = 0x40;

std::string Printable() {
    std::string all = "\n\t";
    for (char c = ' '; c <= '~'; c++)
        all += c;
    return all;
}

struct Held {
    int row = -1, bit = -1;
    bool shift = false;
};

// Plays the strokes of one character into the machine and reports the key
// rows as the machine saw them while its main key was down.
Held TypeIntoMachine(char c) {
    HostInput input;
    std::string error;
    EXPECT_TRUE(HostTypeText(input, std::string(1, c), error)) << error;
    Held held;
    // Each message, then ticks and scans until it has reached the matrix
    // and been seen, as a program scanning at every tick sees it.
    for (const HostEvent& event : input.events) {
        CtlEmulator(event.message, event.wParam, event.lParam);
        for (int scan = 0; scan < 20 && (scan < kKeyScansHeld || !KeyboardReady()); scan++) {
            KeyboardTick();
            for (int row = 0; row < 10; row++) {
                int bits = ~BusAccess(row, 0, PortRead) & 0xFF;
                if (row == kShiftRow) {
                    if (held.row == -1) held.shift = bits & kShiftBit;
                    bits &= ~kShiftBit;
                }
                for (int bit = 0; bit < 8; bit++) {
                    if (!(bits >> bit & 1) || (held.row == row && held.bit == bit)) continue;
                    EXPECT_EQ(held.row, -1) << "two keys down for " << c;
                    held.row = row;
                    held.bit = bit;
                }
            }
        }
    }
    for (int row = 0; row < 10; row++)
        EXPECT_EQ(BusAccess(row, 0, PortRead) & 0xFF, 0xFF) << "a key stays down after " << c;
    return held;
}

TEST(Typing, EveryCharacterPressesOneMachineKeyWithTheRightShift) {
    std::map<std::pair<int, bool>, char> seen;
    for (char c : Printable()) {
        Held held = TypeIntoMachine(c);
        ASSERT_NE(held.row, -1) << "no machine key for " << c;
        bool shifted = (c >= 'a' && c <= 'z') ||
                       std::string(")!@#$%^&*(~_{}|:\"<>?+").find(c) != std::string::npos;
        EXPECT_EQ(held.shift, shifted) << c;
        auto [it, fresh] = seen.insert({{held.row * 8 + held.bit, held.shift}, c});
        EXPECT_TRUE(fresh) << c << " and " << it->second << " type the same way";
    }
}

TEST(Typing, ShiftWrapsOnlyTheShiftedKeysAndTimesLikeAPerson) {
    HostInput input;
    std::string error;
    ASSERT_TRUE(HostTypeText(input, "a1", error));
    std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'},
        {WM_KEYUP, VK_SHIFT},   {WM_KEYDOWN, '1'}, {WM_KEYUP, '1'}};
    ASSERT_EQ(input.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(input.events[i].message, expected[i].first) << i;
        EXPECT_EQ(input.events[i].wParam, expected[i].second) << i;
        if (i > 0) {
            EXPECT_GT(input.events[i].atMs, input.events[i - 1].atMs) << i;
        }
    }
    EXPECT_GE(input.events[2].atMs - input.events[1].atMs, kKeyHoldMs);
    EXPECT_GE(input.events[4].atMs - input.events[3].atMs, kKeyGapMs);

    // A character with no key appends nothing and says where it was.
    HostInput before = input;
    EXPECT_FALSE(HostTypeText(input, "ok\x80", error));
    EXPECT_NE(error.find("0x80"), std::string::npos) << error;
    EXPECT_NE(error.find("offset 2"), std::string::npos) << error;
    EXPECT_EQ(input.events.size(), before.events.size());
    EXPECT_EQ(input.clockMs, before.clockMs);
}

// Reads the address of a symbol from the assembler's symbol listing.
int SymbolAddress(const std::string& listing, const std::string& name) {
    std::istringstream lines(listing);
    std::string symbol, equ, value;
    while (lines >> symbol >> equ >> value) {
        if (symbol == name && equ == "EQU")
            return static_cast<int>(std::strtol(value.c_str(), nullptr, 16));
    }
    return -1;
}

TEST(Typing, AgreesWithTheSystemRomsKeyTables) {
    const char* dir = std::getenv("Z80HOME_ROM_DIR");
    std::ifstream rom(std::string(dir ? dir : ".") + "/n80basic.rom", std::ios::binary);
    std::ifstream symbols(std::string(dir ? dir : ".") + "/n80basic.sym");
    if (!rom || !symbols) GTEST_SKIP() << "no system ROM with its symbols in " << dir;
    std::string image((std::istreambuf_iterator<char>(rom)), {});
    std::string listing((std::istreambuf_iterator<char>(symbols)), {});
    int plain = SymbolAddress(listing, "KEYTAB"), shifted = SymbolAddress(listing, "KEYTABS");
    if (plain < 0 || shifted < 0) GTEST_SKIP() << "the system ROM names no KEYTAB/KEYTABS";
    for (char c : Printable()) {
        uint8_t virtualKey;
        bool shift;
        ASSERT_TRUE(HostCharKey(c, &virtualKey, &shift)) << c;
        int code = keyMap[virtualKey];
        int position = (code >> 4) * 8 + (code & 0x0F);
        char typed = image.at((shift ? shifted : plain) + position);
        // TAB's key is the machine's F1, which BASIC gives a text: code 81H.
        char expected = c == '\n' ? '\r' : c == '\t' ? '\x81' : c;
        EXPECT_EQ(typed, expected) << "the ROM reads " << int(typed) << " for " << c;
    }
}

TEST(KeyScript, CommandsStrikeHoldWaitAndEscape) {
    HostInput input;
    std::string error;
    ASSERT_TRUE(HostPlayScript(input, "{Enter}{shift down}q{SHIFT UP}{wait 500}{{}}{f1}", error))
        << error;
    std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {WM_KEYDOWN, VK_RETURN}, {WM_KEYUP, VK_RETURN},                   // {Enter}
        {WM_KEYDOWN, VK_SHIFT},  {WM_KEYDOWN, 'Q'},      {WM_KEYUP, 'Q'}, // q under a held SHIFT
        {WM_KEYUP, VK_SHIFT},                                             // {SHIFT UP}
        {WM_KEYDOWN, VK_SHIFT},  {WM_KEYDOWN, VK_OEM_4}, {WM_KEYUP, VK_OEM_4}, // {{ types {
        {WM_KEYUP, VK_SHIFT},    {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, VK_OEM_6},
        {WM_KEYUP, VK_OEM_6},    {WM_KEYUP, VK_SHIFT}, // }} types }
        {WM_KEYDOWN, VK_F1},     {WM_KEYUP, VK_F1}};
    ASSERT_EQ(input.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(input.events[i].message, expected[i].first) << i;
        EXPECT_EQ(input.events[i].wParam, expected[i].second) << i;
    }
    EXPECT_GE(input.events[6].atMs - input.events[5].atMs, 500u);
}

TEST(KeyScript, MistakesAreReportedAndAppendNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"AB{RETURN", "not closed"}, {"AB{RET{URN}", "not closed"},
        {"x}", "without '{'"},       {"{}", "empty"},
        {"{   }", "empty"},          {"{RETRN}", "unknown key name"},
        {"{wait}", "{wait MS}"},     {"{wait 1.5}", "{wait MS}"},
        {"{wait -5}", "{wait MS}"},  {"{wait 3600001}", "{wait MS}"},
        {"{wait 5 6}", "{wait MS}"}, {"{A sideways}", "\"down\" or \"up\""},
        {"{A down up}", "\"down\""}, {"caf\xc3\xa9", "no key"},
    };
    for (auto [script, message] : cases) {
        HostInput input;
        input.clockMs = 77;
        std::string error;
        EXPECT_FALSE(HostPlayScript(input, script, error)) << script;
        EXPECT_NE(error.find(message), std::string::npos) << script << ": " << error;
        EXPECT_NE(error.find("offset"), std::string::npos) << script << ": " << error;
        EXPECT_TRUE(input.events.empty()) << script;
        EXPECT_EQ(input.clockMs, 77u) << script;
    }
}

TEST(MouseMessages, PackPointsAsWindowsDoes) {
    EXPECT_EQ(HostMouseLParam(100, 50), 0x00320064);
    EXPECT_EQ(HostMouseLParam(639, 479), 0x01DF027F);
    // Left of and above the client area the coordinates wrap to 16 bits.
    EXPECT_EQ(static_cast<uint32_t>(HostMouseLParam(-1, 5)), 0x0005FFFFu);
    EXPECT_EQ(static_cast<uint32_t>(HostMouseLParam(3, -2)), 0xFFFE0003u);
}

bool Parse(std::vector<std::string> args, bool headless, HostOptions& options, std::string& error) {
    args.insert(args.begin(), "host");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return HostParseArgs(static_cast<int>(argv.size()), argv.data(), headless, options, error);
}

TEST(CommandLine, InputPlaysInTheOrderGivenAfterTheMachineStarts) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--keys={F1}{wait 2000}", "--mouse", "10,20", "--type", "1", "--green",
                       "--screenshot=s.png", "--rom-dir", "r"},
                      true, options, error))
        << error;
    const std::vector<HostEvent>& events = options.input.events;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].wParam, VK_F1);
    EXPECT_EQ(events[0].atMs, kHeadlessBootMs);
    EXPECT_EQ(events[2].message, WM_LBUTTONDOWN);
    EXPECT_EQ(events[2].lParam, HostMouseLParam(10, 20));
    EXPECT_EQ(events[3].message, WM_LBUTTONUP);
    EXPECT_EQ(events[4].wParam, '1');
    EXPECT_TRUE(options.green);
    EXPECT_FALSE(options.pcg);
    EXPECT_EQ(options.screenshot, "s.png");
    EXPECT_EQ(options.romDir, "r");
    // No --run-ms: the machine settles for a while after the last stroke.
    EXPECT_EQ(options.runMs, options.input.clockMs + kHeadlessSettleMs);

    ASSERT_TRUE(Parse({"--screenshot", "shots/X.PNG"}, true, options, error)) << error;
    ASSERT_TRUE(Parse({}, true, options, error));
    EXPECT_EQ(options.runMs, kHeadlessDefaultRunMs);
    ASSERT_TRUE(Parse({"--run-ms", "1500"}, true, options, error));
    EXPECT_EQ(options.runMs, 1500u);

    // States, warp and the stop conditions.
    ASSERT_TRUE(Parse({"--load-state", "a.state", "--warp"}, false, options, error)) << error;
    EXPECT_EQ(options.loadState, "a.state");
    EXPECT_TRUE(options.warp);
    ASSERT_TRUE(Parse({"--until-text", "Ok", "--until-cycles", "900", "--timeout", "5"}, true,
                      options, error))
        << error;
    EXPECT_EQ(options.untilText, "Ok");
    EXPECT_EQ(options.untilCycles, 900u);
    EXPECT_EQ(options.timeoutMs, 5u);

    // A file named without an option, on either host, and the desktop's paste.
    ASSERT_TRUE(Parse({"--no-run", "game.bas", "--paste=keys.txt"}, false, options, error))
        << error;
    EXPECT_EQ(options.file, "game.bas");
    EXPECT_TRUE(options.noRun);
    EXPECT_EQ(options.paste, "keys.txt");
    EXPECT_TRUE(options.NeedsPlus());
    ASSERT_TRUE(Parse({"game.bas"}, true, options, error)) << error;
    EXPECT_FALSE(options.noRun);
}

TEST(CommandLine, MistakesAreNamed) {
    const struct {
        std::vector<std::string> args;
        bool headless;
        const char* message;
    } cases[] = {
        {{"--bogus"}, true, "unknown option"},
        {{"--run-ms", "100"}, false, "unknown option"}, // the desktop runs until closed
        {{"--tape"}, true, "needs a value"},
        {{"--rom-dir="}, false, "needs a file or folder"},
        {{"--green=1"}, true, "takes no value"},
        {{"--run-ms", "0"}, true, "--run-ms takes"},
        {{"--run-ms", "2s"}, true, "--run-ms takes"},
        {{"--run-ms", "99999999999"}, true, "--run-ms takes"},
        {{"--mouse", "640,0"}, true, "outside"},
        {{"--mouse", "0,480"}, true, "outside"},
        {{"--mouse", "5"}, true, "X,Y"},
        {{"--mouse", "-1,5"}, true, "X,Y"},
        {{"--keys", "{NOPE}"}, true, "--keys: unknown key name"},
        {{"--type", "\x01"}, true, "--type: the keyboard has no key"},
        {{"--type", "HELLO", "--run-ms", "600"}, true, "longer than --run-ms 600"},
        // The desktop takes a state and warp, not the scripted runs' options.
        {{"--screen-text", "f"}, false, "unknown option"},
        {{"a.bas", "b.bas"}, false, "one file at a time"},
        {{"--break-at", "0", "a.bas"}, true, "start the machine stopped"},
        {{"--save-state", "f"}, false, "unknown option"},
        {{"--until-cycles", "0"}, true, "from 1"},
        {{"--until-cycles", "12x"}, true, "--until-cycles takes"},
        {{"--until-text="}, true, "needs the text"},
        {{"--timeout", "0", "--until-text", "Ok"}, true, "--timeout takes"},
        {{"--load-state="}, false, "needs a file or folder"},
        {{"--screenshot", ".png"}, true, "such as shot.png, not \".png\""},
        {{"--screenshot", "shots/.PNG"}, true, "a file name ending in .png"},
        {{"--screenshot", "shot.bmp"}, true, "a file name ending in .png"},
        {{"--screenshot", "png"}, true, "a file name ending in .png"},
    };
    for (const auto& c : cases) {
        HostOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.args, c.headless, options, error)) << c.args[0];
        EXPECT_NE(error.find(c.message), std::string::npos) << c.args[0] << ": " << error;
    }
}

// The usage text is what the manual pages are made from: it has a line for
// each option the host takes, and names no other.
TEST(CommandLine, TheUsageHasALineForEveryOptionTaken) {
    for (bool headless : {false, true}) {
        std::set<std::string> listed;
        std::istringstream usage(HostUsage("/some/folder/host", headless));
        std::string line;
        std::getline(usage, line);
        EXPECT_EQ(line, "Usage: host [options] [FILE]");
        while (std::getline(usage, line))
            if (line.rfind("  --", 0) == 0) listed.insert(line.substr(2, line.find(' ', 2) - 2));
        std::vector<std::string> names = HostOptionNames(headless);
        EXPECT_EQ(listed, std::set<std::string>(names.begin(), names.end())) << headless;
        for (const std::string& name : names) {
            if (name == "--version") continue; // HostVersionAsked's, before the rest
            HostOptions options;
            std::string error;
            Parse({name, "x"}, headless, options, error);
            EXPECT_EQ(error.find("unknown option \"" + name), std::string::npos) << error;
        }
    }
}

} // namespace

// A host chord's modifiers reached the machine before the chord was known:
// taking them back leaves the machine with nothing held, and the host's
// other keys as they were.
TEST(Chords, TheModifiersOfAChordAreTakenBackFromTheMachine) {
    MachinePowerOn();
    bool held[256] = {};
    for (uint8_t key : {uint8_t{VK_CONTROL}, uint8_t{VK_SHIFT}, uint8_t{'Q'}}) {
        held[key] = true;
        CtlEmulator(WM_KEYDOWN, key, 0);
    }
    for (uint8_t modifier : HostChordModifiers(held))
        CtlEmulator(WM_KEYUP, modifier, 0);
    for (int scan = 0; scan < 12; scan++) {
        KeyboardTick();
        for (int row = 0; row < 10; row++)
            BusAccess(row, 0, PortRead);
    }
    EXPECT_EQ(BusAccess(8, 0, PortRead) & 0xFF, 0xFF) << "a modifier stays held";
    EXPECT_EQ(BusAccess(4, 0, PortRead) & 0xFF, 0xFD) << "Q was let go";
    EXPECT_FALSE(held[VK_CONTROL] || held[VK_SHIFT]);
    EXPECT_TRUE(held[uint8_t{'Q'}]);
    CtlEmulator(WM_KEYUP, 'Q', 0);
}
