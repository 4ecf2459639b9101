// A BASIC listing from a file, typed as a user would type it: every host
// hands the file it was given to OpenListing, which decides whether it is a
// listing at all, and calls PollListing until BASIC is at its prompt; the
// listing then goes to the paste, after a NEW and followed by RUN. The
// waiting listing is the host's, kept here on the host's thread.
#include <string>
#include <vector>

#include "plus/z80home_plus.h"
#include "state/machine_state.h"

namespace {

struct Listing {
    std::string keys; // NEW, the listing, RUN: what goes to the paste
    bool waiting = false;
};

Listing listing;

constexpr char kListingStart[] = "NEW\n";
constexpr char kListingRun[] = "RUN\n";
// Files of the era may end in the end-of-file character, padded with more.
constexpr char kListingFileEnd = 0x1A;

// The extensions that promise text: such a file is never a tape.
bool ListingNamedSo(const char* name) {
    std::string end = std::string(name ? name : "");
    end = end.substr(end.size() < 4 ? 0 : end.size() - 4);
    for (char& c : end)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".bas" || end == ".txt";
}

// The characters of well-formed UTF-8 text with no control codes but tab
// and the line breaks (CR LF counts once, as the paste types it); -1 for
// anything else.
int64_t ListingCharacters(const unsigned char* bytes, size_t size) {
    int64_t characters = 0;
    for (size_t at = 0; at < size; characters++) {
        unsigned char lead = bytes[at++];
        if (lead == '\r' && at < size && bytes[at] == '\n') at++;
        if (lead < 0x80) {
            if ((lead < ' ' && lead != '\t' && lead != '\n' && lead != '\r') || lead == 0x7F)
                return -1;
            continue;
        }
        int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        if (lead < 0xC2 || lead > 0xF4 || size - at < static_cast<size_t>(more)) return -1;
        char32_t c = lead & (0x3F >> more);
        for (int i = 0; i < more; i++, at++) {
            if ((bytes[at] & 0xC0) != 0x80) return -1;
            c = c << 6 | (bytes[at] & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode's last.
        static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kShortest[more] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return -1;
    }
    return characters;
}

// BASIC waits at its prompt: the cursor at the start of an empty row, and
// above it, past any empty rows (RETURN pressed on nothing), "Ok".
bool ListingAtPrompt(void) {
    if (Get(machine.cursorX) != 0) return false;
    std::string screen(static_cast<size_t>(GetScreenText(nullptr, 0)), '\0');
    GetScreenText(screen.data(), static_cast<int>(screen.size()) + 1);
    std::vector<std::string> rows;
    for (size_t at = 0; at < screen.size();) {
        size_t end = screen.find('\n', at);
        rows.push_back(screen.substr(at, end - at));
        at = end + 1;
    }
    int row = Get(machine.cursorY);
    if (row >= static_cast<int>(rows.size()) || !rows[row].empty()) return false;
    int above = row - 1;
    while (above >= 0 && rows[above].empty())
        above--;
    return above >= 0 && rows[above] == "Ok";
}

} // namespace

int OpenListing(const char* name, const char* bytes, uint32_t size, unsigned char run) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(bytes);
    if (!text) size = 0;
    while (size && text[size - 1] == kListingFileEnd)
        size--;
    int64_t characters = ListingCharacters(text, size);
    bool blank = characters >= 0;
    for (uint32_t at = 0; blank && at < size; at++)
        blank = text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r';
    if (characters < 0 || blank) {
        if (!ListingNamedSo(name)) return kListingTape;
        return blank ? kListingEmpty : kListingNotText;
    }
    std::string keys = kListingStart + std::string(bytes, size);
    if (keys.back() != '\n' && keys.back() != '\r') keys += '\n';
    if (run) keys += kListingRun;
    if (characters + static_cast<int64_t>(keys.size() - size) > kPasteMostKeys)
        return kListingTooLong;
    listing.keys = std::move(keys);
    listing.waiting = true;
    return kListingTyped;
}

unsigned char PollListing(void) {
    if (!listing.waiting) return 0;
    if (GetPasteLeft() || !ListingAtPrompt()) return 1;
    PasteText(listing.keys.c_str());
    listing = Listing{};
    return 0;
}

const char* GetListingMessage(int code) {
    switch (code) {
    case kListingTyped: return "typed once BASIC is at its prompt";
    case kListingTape: return "not a listing: it is a tape";
    case kListingEmpty: return "holds no text to type";
    case kListingNotText: return "is not plain text (UTF-8 or ASCII), so it is not typed";
    case kListingTooLong: {
        static const std::string tooLong =
            "is too long to type: the paste holds " + std::to_string(kPasteMostKeys) + " keys";
        return tooLong.c_str();
    }
    default: return "unknown code";
    }
}
