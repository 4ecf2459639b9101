// Typing and key scripts; the characters each key types are in
// bus/key_chars.cpp.
#include "host/host_input.h"

#include <algorithm>
#include <cctype>
#include <windows.h>

#include "bus/key_chars.h"

struct HostKeyName {
    const char* name;
    uint8_t virtualKey;
};

static constexpr HostKeyName kHostKeyNames[] = {
    {"BACK", VK_BACK},
    {"BS", VK_BACK},
    {"BACKSPACE", VK_BACK},
    {"TAB", VK_TAB},
    {"RETURN", VK_RETURN},
    {"ENTER", VK_RETURN},
    {"SHIFT", VK_SHIFT},
    {"CONTROL", VK_CONTROL},
    {"CTRL", VK_CONTROL},
    {"MENU", VK_MENU},
    {"ALT", VK_MENU},
    {"ESCAPE", VK_ESCAPE},
    {"ESC", VK_ESCAPE},
    {"NONCONVERT", VK_NONCONVERT},
    {"SPACE", VK_SPACE},
    {"END", VK_END},
    {"HOME", VK_HOME},
    {"LEFT", VK_LEFT},
    {"UP", VK_UP},
    {"RIGHT", VK_RIGHT},
    {"DOWN", VK_DOWN},
    {"DELETE", VK_DELETE},
    {"DEL", VK_DELETE},
    {"APPS", VK_APPS},
    {"NUMPAD0", VK_NUMPAD0},
    {"NUMPAD1", VK_NUMPAD1},
    {"NUMPAD2", VK_NUMPAD2},
    {"NUMPAD3", VK_NUMPAD3},
    {"NUMPAD4", VK_NUMPAD4},
    {"NUMPAD5", VK_NUMPAD5},
    {"NUMPAD6", VK_NUMPAD6},
    {"NUMPAD7", VK_NUMPAD7},
    {"NUMPAD8", VK_NUMPAD8},
    {"NUMPAD9", VK_NUMPAD9},
    {"MULTIPLY", VK_MULTIPLY},
    {"ADD", VK_ADD},
    {"SEPARATOR", VK_SEPARATOR},
    {"SUBTRACT", VK_SUBTRACT},
    {"DECIMAL", VK_DECIMAL},
    {"DIVIDE", VK_DIVIDE},
    {"F1", VK_F1},
    {"F2", VK_F2},
    {"F3", VK_F3},
    {"F4", VK_F4},
    {"F5", VK_F5},
    {"F6", VK_F6},
    {"F7", VK_F7},
    {"F8", VK_F8},
    {"F9", VK_F9},
    {"F10", VK_F10},
    {"F11", VK_F11},
    {"F12", VK_F12},
    {"OEM_1", VK_OEM_1},
    {"OEM_PLUS", VK_OEM_PLUS},
    {"OEM_COMMA", VK_OEM_COMMA},
    {"OEM_MINUS", VK_OEM_MINUS},
    {"OEM_PERIOD", VK_OEM_PERIOD},
    {"OEM_2", VK_OEM_2},
    {"OEM_3", VK_OEM_3},
    {"OEM_4", VK_OEM_4},
    {"OEM_5", VK_OEM_5},
    {"OEM_6", VK_OEM_6},
    {"OEM_7", VK_OEM_7},
    {"OEM_102", VK_OEM_102},
    {"PROCESSKEY", VK_PROCESSKEY},
};

bool HostCharKey(char c, uint8_t* virtualKey, bool* shift) {
    return KeyCharKey(static_cast<unsigned char>(c), virtualKey, shift);
}

static void HostPush(HostInput& input, uint32_t message, uint32_t wParam, int32_t lParam) {
    input.events.push_back({input.clockMs, message, wParam, lParam});
}

static void HostKey(HostInput& input, uint32_t message, uint8_t virtualKey) {
    HostPush(input, message, virtualKey, 0);
    if (virtualKey == VK_SHIFT) input.shiftHeld = message == WM_KEYDOWN;
}

static void HostStrike(HostInput& input, uint8_t virtualKey) {
    HostKey(input, WM_KEYDOWN, virtualKey);
    input.clockMs += kKeyHoldMs;
    HostKey(input, WM_KEYUP, virtualKey);
    input.clockMs += kKeyGapMs;
}

static std::string HostDescribeChar(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (std::isprint(byte)) return std::string("'") + c + "'";
    static const char digits[] = "0123456789ABCDEF";
    return std::string("byte 0x") + digits[byte >> 4] + digits[byte & 0x0F];
}

// Types one character; SHIFT goes down before the key and up after it
// unless a script is holding it.
static bool HostTypeChar(HostInput& input, char c, std::string& error) {
    uint8_t virtualKey;
    bool shift;
    if (!HostCharKey(c, &virtualKey, &shift)) {
        error = "the keyboard has no key for " + HostDescribeChar(c);
        return false;
    }
    bool wrap = shift && !input.shiftHeld;
    if (wrap) {
        HostKey(input, WM_KEYDOWN, VK_SHIFT);
        input.clockMs += kShiftLeadMs;
    }
    HostKey(input, WM_KEYDOWN, virtualKey);
    input.clockMs += kKeyHoldMs;
    HostKey(input, WM_KEYUP, virtualKey);
    if (wrap) {
        input.clockMs += kShiftLeadMs;
        HostKey(input, WM_KEYUP, VK_SHIFT);
    }
    input.clockMs += kKeyGapMs;
    return true;
}

bool HostTypeText(HostInput& input, std::string_view text, std::string& error) {
    HostInput out = input;
    for (size_t i = 0; i < text.size(); i++) {
        if (!HostTypeChar(out, text[i], error)) {
            error += " at offset " + std::to_string(i);
            return false;
        }
    }
    input = out;
    return true;
}

static std::string HostUpper(std::string_view word) {
    std::string upper(word);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool HostKeyByName(std::string_view word, uint8_t* virtualKey) {
    std::string name = HostUpper(word);
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        *virtualKey = static_cast<uint8_t>(name[0]);
        return true;
    }
    for (const HostKeyName& entry : kHostKeyNames) {
        if (name == entry.name) {
            *virtualKey = entry.virtualKey;
            return true;
        }
    }
    return false;
}

// Splits a command into its words at runs of blanks.
static std::vector<std::string_view> HostWords(std::string_view command) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && command[i] == ' ')
            i++;
        size_t start = i;
        while (i < command.size() && command[i] != ' ')
            i++;
        if (i > start) words.push_back(command.substr(start, i - start));
    }
    return words;
}

static bool HostParseMs(std::string_view word, uint32_t* ms) {
    if (word.empty() || word.size() > 7) return false;
    uint32_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value > kLongestWaitMs) return false;
    *ms = value;
    return true;
}

static bool HostRunCommand(HostInput& input, std::string_view command, std::string& error) {
    std::vector<std::string_view> words = HostWords(command);
    if (words.empty()) {
        error = "empty {}";
        return false;
    }
    std::string name = HostUpper(words[0]);
    if (name == "WAIT") {
        uint32_t ms;
        if (words.size() != 2 || !HostParseMs(words[1], &ms)) {
            error = "{wait MS} needs a whole number of milliseconds up to " +
                    std::to_string(kLongestWaitMs);
            return false;
        }
        input.clockMs += ms;
        return true;
    }
    uint8_t virtualKey;
    if (!HostKeyByName(name, &virtualKey)) {
        error = "unknown key name \"" + std::string(words[0]) + "\"";
        return false;
    }
    if (words.size() == 1) {
        HostStrike(input, virtualKey);
        return true;
    }
    std::string action = words.size() == 2 ? HostUpper(words[1]) : "";
    if (action == "DOWN" || action == "UP") {
        HostKey(input, action == "DOWN" ? WM_KEYDOWN : WM_KEYUP, virtualKey);
        input.clockMs += kKeyGapMs;
        return true;
    }
    error = "a key takes \"down\" or \"up\" or nothing, not \"" +
            std::string(command.substr(words[0].size())) + "\"";
    return false;
}

bool HostPlayScript(HostInput& input, std::string_view script, std::string& error) {
    HostInput out = input;
    size_t i = 0;
    while (i < script.size()) {
        char c = script[i];
        bool escaped = (c == '{' || c == '}') && i + 1 < script.size() && script[i + 1] == c;
        if (c == '}' && !escaped) {
            error = "'}' without '{' at offset " + std::to_string(i) + " (type it as }})";
            return false;
        }
        if (c != '{' || escaped) {
            if (!HostTypeChar(out, c, error)) {
                error += " at offset " + std::to_string(i);
                return false;
            }
            i += escaped ? 2 : 1;
            continue;
        }
        size_t end = script.find_first_of("{}", i + 1);
        if (end == std::string_view::npos || script[end] != '}') {
            error = "'{' at offset " + std::to_string(i) + " is not closed by '}'";
            return false;
        }
        if (!HostRunCommand(out, script.substr(i + 1, end - i - 1), error)) {
            error += " at offset " + std::to_string(i);
            return false;
        }
        i = end + 1;
    }
    input = out;
    return true;
}

std::vector<uint8_t> HostChordModifiers(bool held[256]) {
    std::vector<uint8_t> release;
    for (uint8_t modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        if (!held[modifier]) continue;
        held[modifier] = false;
        release.push_back(modifier);
    }
    return release;
}

int32_t HostMouseLParam(int x, int y) {
    uint32_t packed =
        (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
    return static_cast<int32_t>(packed);
}

void HostClick(HostInput& input, int x, int y) {
    int32_t lParam = HostMouseLParam(x, y);
    HostPush(input, WM_LBUTTONDOWN, 0, lParam);
    input.clockMs += kKeyHoldMs;
    HostPush(input, WM_LBUTTONUP, 0, lParam);
    input.clockMs += kKeyGapMs;
}
