// Scripted input for the machine: text typed as key strokes, key scripts and
// mouse clicks, turned into a timed list of the window messages CtlEmulator
// takes. Pure functions over plain records, shared by every host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One message for CtlEmulator, due atMs after the machine started.
struct HostEvent {
    uint32_t atMs;
    uint32_t message;
    uint32_t wParam;
    int32_t lParam;
};

// Input built up in order: each stroke starts at clockMs and moves it on.
struct HostInput {
    std::vector<HostEvent> events;
    uint32_t clockMs = 0;
    // SHIFT held down by a script: typed characters then neither press nor
    // release it themselves.
    bool shiftHeld = false;
};

// A human-like stroke: the machine scans its keyboard on its own schedule,
// so every key stays down, and up, long enough for a scan to see it.
constexpr uint32_t kKeyHoldMs = 60;
constexpr uint32_t kKeyGapMs = 60;
constexpr uint32_t kShiftLeadMs = 30;
// The longest single pause a script may ask for.
constexpr uint32_t kLongestWaitMs = 3600000;

// The key, and whether SHIFT goes with it, that types character c on the
// machine's keyboard; false for a character it has no key for.
bool HostCharKey(char c, uint8_t* virtualKey, bool* shift);

// The key a script's {NAME} names (see HostPlayScript), in any case; false
// for a name it does not know.
bool HostKeyByName(std::string_view name, uint8_t* virtualKey);

// Appends the strokes that type text; '\n' is RETURN. On a character with no
// key nothing is appended and error says which.
bool HostTypeText(HostInput& input, std::string_view text, std::string& error);

// Appends a key script: plain characters are typed as by HostTypeText, and
// braces hold commands -- {NAME} strikes a named key, {NAME down} and
// {NAME up} press or release it, {wait MS} pauses; {{ and }} type the braces
// themselves. Names are virtual-key names without their VK_ prefix (RETURN,
// F1, SHIFT, NUMPAD7, OEM_3, ...), a few common aliases (ENTER, ESC, DEL, BS,
// CTRL, ALT), or a single letter or digit. On an error nothing is appended and
// error tells what and where.
bool HostPlayScript(HostInput& input, std::string_view script, std::string& error);

// A chord the host keeps for itself (Ctrl+Shift+V, Alt+Enter ...) arrives
// after its modifiers, which the host has already passed to the machine as
// held. This takes them back: it returns the modifiers forwarded as down
// (held[virtual key]), in the order to release them, and marks them up, so
// that the host sends their WM_KEYUP and the chord leaves nothing held.
std::vector<uint8_t> HostChordModifiers(bool held[256]);

// Appends a left-button click at client point (x, y).
void HostClick(HostInput& input, int x, int y);

// The lParam of a mouse message: x in the low and y in the high 16 bits,
// each truncated to 16 bits as Windows does for points left of or above the
// client area.
int32_t HostMouseLParam(int x, int y);
