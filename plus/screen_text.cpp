// The screen as text: the first page's character codes, row by row, each
// code turned into the Unicode character its glyph in rom/font.txt shows.
#include "plus/z80home_plus.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/machine.h"
#include "core/run_control.h"
#include "state/machine_state.h"
#include "video/screen.h"

constexpr char32_t kScreenReplacement = 0xFFFD;

// Codes 0x80 to 0xFF of our character set. The quarter mosaics (bit 0 upper
// left, 1 upper right, 2 lower left, 3 lower right) and both weights of box
// lines (bit 0 up, 1 down, 2 left, 3 right) follow their bits.
static constexpr char32_t kScreenUpper[128] = {
    // 0x80 quarter mosaics
    U' ',
    U'▘',
    U'▝',
    U'▀',
    U'▖',
    U'▌',
    U'▞',
    U'▛',
    U'▗',
    U'▚',
    U'▐',
    U'▜',
    U'▄',
    U'▙',
    U'▟',
    U'█',
    // 0x90 thin lines
    U'·',
    U'╵',
    U'╷',
    U'│',
    U'╴',
    U'┘',
    U'┐',
    U'┤',
    U'╶',
    U'└',
    U'┌',
    U'├',
    U'─',
    U'┴',
    U'┬',
    U'┼',
    // 0xA0 thick lines
    U'•',
    U'╹',
    U'╻',
    U'┃',
    U'╸',
    U'┛',
    U'┓',
    U'┫',
    U'╺',
    U'┗',
    U'┏',
    U'┣',
    U'━',
    U'┻',
    U'┳',
    U'╋',
    // 0xB0 shades, halves, lower eighths, upper eighth
    U'░',
    U'▒',
    U'▓',
    U'█',
    U'▀',
    U'▄',
    U'▌',
    U'▐',
    U'▁',
    U'▂',
    U'▃',
    U'▄',
    U'▅',
    U'▆',
    U'▇',
    U'▔',
    // 0xC0 left eighths, right eighth, diagonals, triangles; the dot grid has none
    U'▏',
    U'▎',
    U'▍',
    U'▌',
    U'▋',
    U'▊',
    U'▉',
    U'▕',
    U'╱',
    U'╲',
    U'╳',
    U'◢',
    U'◣',
    U'◤',
    U'◥',
    kScreenReplacement,
    // 0xD0 rounded corners, arrows, suits, circles, face, note
    U'╭',
    U'╮',
    U'╰',
    U'╯',
    U'↑',
    U'↓',
    U'←',
    U'→',
    U'♠',
    U'♥',
    U'♦',
    U'♣',
    U'○',
    U'●',
    U'☺',
    U'♪',
    // 0xE0 Greek and mathematical signs
    U'α',
    U'β',
    U'Γ',
    U'π',
    U'Σ',
    U'σ',
    U'μ',
    U'τ',
    U'φ',
    U'θ',
    U'Ω',
    U'δ',
    U'∞',
    U'ω',
    U'λ',
    U'∈',
    // 0xF0 signs and currency; the fine check has none
    U'≡',
    U'±',
    U'≥',
    U'≤',
    U'≠',
    U'≈',
    U'÷',
    U'×',
    U'√',
    U'°',
    U'·',
    U'£',
    U'¥',
    U'¢',
    U'¶',
    kScreenReplacement,
};

static char32_t ScreenTextChar(uint8_t code) {
    if (code == 0) return U' ';
    if (code < 0x20) return kScreenReplacement; // control letters, drawn inverse
    if (code < 0x7F) return code;
    if (code == 0x7F) return U'␡';
    // With the character generator on, the upper half is the program's own.
    if (Get(machine.pcgEnabled)) return kScreenReplacement;
    return kScreenUpper[code - 0x80];
}

static void ScreenAppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | c >> 6);
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | c >> 12);
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The screen's text, as GetScreenText gives it.
static std::string ScreenTextNow(void) {
    std::string text;
    int rows = ScreenTextRows(), columns = ScreenTextColumns();
    for (int row = 0; row < rows; row++) {
        size_t start = text.size(), end = start;
        for (int column = 0; column < columns; column++) {
            uint8_t code = ScreenCharCode(row, column);
            ScreenAppendUtf8(text, ScreenTextChar(code));
            if (code != ' ' && code != 0) end = text.size();
        }
        text.resize(end);
        text += '\n';
    }
    return text;
}

int GetScreenText(char* buffer, int size) {
    std::string text = ScreenTextNow();
    if (buffer && size > 0) {
        size_t copied = std::min(text.size(), static_cast<size_t>(size - 1));
        // Never end inside a character's UTF-8 bytes.
        while (copied > 0 && copied < text.size() && (text[copied] & 0xC0) == 0x80)
            copied--;
        memcpy(buffer, text.data(), copied);
        buffer[copied] = 0;
    }
    return static_cast<int>(text.size());
}

// The text SetStopText waits for (the processor thread's: set in a job).
static std::string screenStopText;

// The slice's end: the screen shows the text asked for, and no pasted key is
// left to type (text still being typed does not count).
static bool ScreenTextStop(void) {
    return Get(machine.pasteLeft) == 0 && ScreenTextNow().find(screenStopText) != std::string::npos;
}

void SetStopText(const char* text) {
    std::string wanted = text ? text : "";
    RunControlCall(
        [](void* context) {
            screenStopText = std::move(*static_cast<std::string*>(context));
            Put(machine.stopReached, 0);
            Put(machineSliceEndHook, screenStopText.empty() ? nullptr : ScreenTextStop);
        },
        &wanted);
}
