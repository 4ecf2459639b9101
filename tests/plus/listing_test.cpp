// Listings from files: what OpenListing takes for a listing, a tape or
// nothing, and a listing typed into the booted machine at BASIC's prompt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

std::string ScreenText(void) {
    std::string text(static_cast<size_t>(GetScreenText(nullptr, 0)), '\0');
    GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    return text;
}

int Open(const char* name, const std::string& bytes, bool run = true) {
    return OpenListing(name, bytes.data(), static_cast<uint32_t>(bytes.size()), run ? 1 : 0);
}

// Runs the machine, polling as a host does, until the listing has been
// handed over and typed, and a little longer for what it prints.
void TypeOut(void) {
    for (int i = 0; i < 20000 && (PollListing() || Get(machine.pasteActive)); i++)
        RunSlices(1);
    ASSERT_FALSE(PollListing());
    RunSlices(60);
}

} // namespace

TEST(Listing, IsToldFromATapeByItsContentAndRefusedWhenItCannotBeTyped) {
    // The paste takes kPasteMostKeys keys: NEW and RETURN, the text, RETURN
    // and RUN and RETURN fill it to the last; CR LF is one RETURN.
    const uint32_t room = kPasteMostKeys - 9;
    std::vector<uint8_t> record = Record("P", 0x6000, {1, 2});
    const std::string tape(record.begin(), record.end());
    // Lines ended by CR LF that fit, and lines ended by LF one key too many.
    std::string lines, over;
    for (uint32_t i = 0; i < room / 2; i++) {
        lines += "A\r\n";
        over += "A\n";
    }
    over += "AA";
    const struct {
        const char* name;
        std::string bytes;
        bool run;
        int code;
    } cases[] = {
        {"p.bas", "10 PRINT 1\r\n20 END", true, kListingTyped},
        {"p.txt", "10 REM caf\xC3\xA9 \xE2\x82\xAC\t\xF0\x9F\x98\x80\n", true, kListingTyped},
        {"LISTING", "10 PRINT 1\r", true, kListingTyped},
        {"p.BAS", "10 END\n\x1A\x1A", true, kListingTyped},
        {"p.cas", tape, true, kListingTape},
        {"p.cas", "", true, kListingTape},
        {"p.bin", std::string("10\0\x01", 4), true, kListingTape},
        {"p.bas", "", true, kListingEmpty},
        {"p.txt", " \r\n\t\n\x1A", true, kListingEmpty},
        {"p.bas", std::string("10 PRINT\0", 9), true, kListingNotText},
        {"p.bas", "10 \x1B", true, kListingNotText},
        {"p.bas", "10 \x7F", true, kListingNotText},
        {"p.bas", "10 \x80", true, kListingNotText},             // a lone continuation
        {"p.bas", "10 \xC3", true, kListingNotText},             // cut short
        {"p.bas", "10 \xC3\x3C", true, kListingNotText},         // no continuation
        {"p.bas", "10 \xC0\xA0", true, kListingNotText},         // overlong
        {"p.bas", "10 \xED\xA0\x80", true, kListingNotText},     // a surrogate
        {"p.bas", "10 \xF4\x90\x80\x80", true, kListingNotText}, // past U+10FFFF
        {"p.bas", std::string(room, 'A'), true, kListingTyped},
        {"p.bas", std::string(room + 1, 'A'), true, kListingTooLong},
        {"p.bas", std::string(room + 4, 'A'), false, kListingTyped},
        {"p.bas", std::string(room + 5, 'A'), false, kListingTooLong},
        {"p.bas", lines, true, kListingTyped},
        {"p.bas", over, true, kListingTooLong},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Open(c.name, c.bytes, c.run), c.code)
            << c.name << " " << c.bytes.substr(0, 20) << " (" << c.bytes.size() << " bytes)";
    for (int code = kListingTyped; code <= kListingTooLong; code++)
        EXPECT_STRNE(GetListingMessage(code), GetListingMessage(-1)) << code;
}

// The listing waits while a program runs; at the prompt (a RETURN on an
// empty line still is one) it is typed after NEW, so the old program's
// lines are gone, and RUN follows unless the host asked for none.
TEST(Listing, IsTypedAtBasicsPromptAfterNewAndRunUnlessAskedNotTo) {
    BasicBoot();
    Enter({"10 GOTO 10", "30 PRINT \"OLD\""});
    TypeLine("RUN");
    RunSlices(20);
    ASSERT_EQ(Open("p.bas", "10 PRINT \"NEW\";1+1\r\n20 PRINT \"DO\";\"NE\""), kListingTyped);
    for (int i = 0; i < 100; i++) {
        ASSERT_TRUE(PollListing()) << "typed into a running program";
        RunSlices(1);
    }
    EXPECT_EQ(GetPasteLeft(), 0u);
    PressKey(VK_END);
    TypeOut();
    std::string screen = ScreenText();
    EXPECT_NE(screen.find("NEW 2\nDONE\nOk\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\nOLD\n"), std::string::npos) << screen;

    PressKey(VK_RETURN);
    PressKey(VK_RETURN);
    ASSERT_EQ(Open("q.txt", "40 PRINT \"NOT RUN\"\n", false), kListingTyped);
    TypeOut();
    Basic("LIST");
    screen = ScreenText();
    EXPECT_NE(screen.find("LIST\n40 PRINT \"NOT RUN\"\nOk\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\nNOT RUN\n"), std::string::npos) << screen;
}
