#include "host/desktop_view.h"

#include <winshim_host.h>

void DesktopViewLayout(DesktopView& view, int width, int height) {
    int w = width, h = width * 3 / 4;
    if (h > height) {
        h = height;
        w = height * 4 / 3;
    }
    view.picture = {(width - w) / 2, (height - h) / 2, w, h};
    ShimResizeWindow(view.shim, w > 0 ? w : 1, h > 0 ? h : 1);
    view.exposed = true;
}

void DesktopViewWindowEvent(DesktopView& view, const SDL_WindowEvent& event) {
    if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        DesktopViewLayout(view, event.data1, event.data2);
    if (event.event == SDL_WINDOWEVENT_EXPOSED) view.exposed = true;
}

void DesktopViewSay(DesktopView& view, const std::string& message, uint32_t nowMs) {
    view.message = message;
    view.messageUntilMs = nowMs + kDesktopMessageMs;
    view.overlayStale = true;
}

void DesktopViewShowHelp(DesktopView& view, bool shown) {
    view.helpShown = shown;
    view.helpModifier = SDL_SCANCODE_UNKNOWN;
    view.overlayStale = true;
}

static bool DesktopViewModifier(SDL_Scancode code) {
    return code == SDL_SCANCODE_LCTRL || code == SDL_SCANCODE_RCTRL ||
           code == SDL_SCANCODE_LSHIFT || code == SDL_SCANCODE_RSHIFT ||
           code == SDL_SCANCODE_LALT || code == SDL_SCANCODE_RALT;
}

void DesktopViewHelpKey(DesktopView& view, const SDL_KeyboardEvent& key) {
    if (!view.helpShown || key.repeat) return;
    SDL_Scancode code = key.keysym.scancode;
    if (key.type == SDL_KEYUP) {
        if (code == view.helpModifier) DesktopViewShowHelp(view, false);
        return;
    }
    if (DesktopViewModifier(code)) {
        view.helpModifier = code;
        return;
    }
    view.helpModifier = SDL_SCANCODE_UNKNOWN;
    if (!(code == SDL_SCANCODE_H && (key.keysym.mod & KMOD_CTRL))) DesktopViewShowHelp(view, false);
}

// True once the message's time has come (the clock may wrap).
static bool DesktopViewMessageDone(const DesktopView& view, uint32_t nowMs) {
    return static_cast<int32_t>(nowMs - view.messageUntilMs) >= 0;
}

int DesktopViewWaitMs(const DesktopView& view, uint32_t nowMs) {
    if (view.message.empty()) return -1;
    if (DesktopViewMessageDone(view, nowMs)) return 0;
    return static_cast<int>(view.messageUntilMs - nowMs);
}

// The message in lines of at most kOverlayMessageColumns, broken at spaces
// (a word longer than a line is broken where the line ends), at most
// kOverlayMessageRows of them: what does not fit then ends the last one
// with "...".
static std::vector<std::string> DesktopViewWrap(const std::string& message) {
    const size_t width = kOverlayMessageColumns;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < message.size()) {
        size_t end = message.size();
        if (end - start > width) {
            size_t space = message.rfind(' ', start + width);
            end = space != std::string::npos && space > start ? space : start + width;
        }
        lines.push_back(message.substr(start, end - start));
        start = end;
        while (start < message.size() && message[start] == ' ')
            start++;
    }
    if (lines.size() > static_cast<size_t>(kOverlayMessageRows)) {
        lines.resize(kOverlayMessageRows);
        lines.back() = lines.back().substr(0, width - 3) + "...";
    }
    return lines;
}

std::vector<uint32_t> DesktopOverlayPixels(const std::vector<uint8_t>& font,
                                           const std::string& help, const std::string& message) {
    std::vector<uint32_t> pixels(static_cast<size_t>(kOverlayWidth) * kOverlayHeight, 0);
    auto veil = [&](int row, int rows) {
        std::fill(pixels.begin() + row * kOverlayGlyphHeight * kOverlayWidth,
                  pixels.begin() + (row + rows) * kOverlayGlyphHeight * kOverlayWidth,
                  kOverlayVeil);
    };
    // One line of text from the second column of a row; a character beyond
    // ASCII shows as '?', and the line ends at the row's end.
    auto write = [&](int row, const std::string& line) {
        if (font.size() != static_cast<size_t>(kOverlayFontSize)) return;
        for (size_t i = 0; i < line.size() && static_cast<int>(i) + 1 < kOverlayColumns; i++) {
            unsigned char code = static_cast<unsigned char>(line[i]);
            if (code >= 0x80) code = '?';
            int left = (static_cast<int>(i) + 1) * kOverlayGlyphWidth;
            for (int dotRow = 0; dotRow < kOverlayGlyphHeight; dotRow++) {
                uint8_t dots = font[code * 8 + dotRow / 2];
                uint32_t* out = &pixels[static_cast<size_t>(row * kOverlayGlyphHeight + dotRow) *
                                            kOverlayWidth +
                                        left];
                for (int x = 0; x < kOverlayGlyphWidth; x++)
                    if (dots & (0x80 >> x)) out[x] = kOverlayInk;
            }
        }
    };
    if (!help.empty()) {
        veil(0, kOverlayRows);
        size_t start = 0;
        for (int row = 0; row < kOverlayRows && start <= help.size(); row++) {
            size_t end = help.find('\n', start);
            if (end == std::string::npos) end = help.size();
            write(row, help.substr(start, end - start));
            start = end + 1;
        }
    }
    if (!message.empty()) {
        std::vector<std::string> lines = DesktopViewWrap(message);
        int top = kOverlayRows - static_cast<int>(lines.size());
        veil(top, static_cast<int>(lines.size()));
        for (size_t i = 0; i < lines.size(); i++)
            write(top + static_cast<int>(i), lines[i]);
    }
    return pixels;
}

// Copies rows top to top + rows - 1 of the emulator's latest frame into the
// frame texture, made at the frame's size (all rows into a texture made
// anew); false when there is no frame or no texture.
static bool DesktopViewUpload(DesktopView& view, int top, int rows) {
    int width = 0, height = 0;
    ShimReadFrame(view.shim, nullptr, 0, 0, 0, &width, &height);
    if (width <= 0 || height <= 0) return false;
    if (!view.frame || width != view.frameWidth || height != view.frameHeight) {
        if (view.frame) SDL_DestroyTexture(view.frame);
        view.frame = SDL_CreateTexture(view.renderer, SDL_PIXELFORMAT_RGB888,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!view.frame) return false;
        view.frameWidth = width;
        view.frameHeight = height;
        top = 0;
        rows = height;
    }
    if (rows <= 0 || top < 0 || rows > height - top) return rows == 0;
    SDL_Rect band{0, top, width, rows};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(view.frame, &band, &pixels, &pitch) != 0) return false;
    int copied = ShimReadFrameRows(view.shim, pixels, pitch, width, height, top, rows);
    SDL_UnlockTexture(view.frame);
    return copied > 0;
}

// Brings the overlay's texture up to date; false when it should show and
// cannot.
static bool DesktopViewUploadOverlay(DesktopView& view) {
    view.overlayStale = false;
    if (!view.helpShown && view.message.empty()) return true;
    if (!view.overlay) {
        view.overlay = SDL_CreateTexture(view.renderer, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STATIC, kOverlayWidth, kOverlayHeight);
        if (!view.overlay) return false;
        SDL_SetTextureBlendMode(view.overlay, SDL_BLENDMODE_BLEND);
    }
    std::vector<uint32_t> pixels =
        DesktopOverlayPixels(view.font, view.helpShown ? view.help : "", view.message);
    return SDL_UpdateTexture(view.overlay, nullptr, pixels.data(),
                             kOverlayWidth * static_cast<int>(sizeof(uint32_t))) == 0;
}

bool DesktopViewShow(DesktopView& view, uint32_t nowMs) {
    if (!view.message.empty() && DesktopViewMessageDone(view, nowMs)) {
        view.message.clear();
        view.overlayStale = true;
    }
    int top = 0, rows = 0;
    unsigned present = ShimFrameChanges(view.shim, view.shownPresent, &top, &rows);
    bool fresh = present != view.shownPresent || !view.frame;
    if (!fresh && !view.exposed && !view.overlayStale) return false;
    // Only the rows the latest present changed are copied, an idle prompt's
    // cursor a few of them.
    if (fresh && !DesktopViewUpload(view, top, rows)) return false;
    view.shownPresent = present;
    view.exposed = false;
    bool overlay = view.overlayStale ? DesktopViewUploadOverlay(view) : true;
    // The bars beside the picture are cleared; a picture that fills the
    // window leaves nothing to clear.
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(view.renderer, &outputWidth, &outputHeight);
    SDL_Rect output{0, 0, outputWidth, outputHeight};
    SDL_Rect covered;
    if (!SDL_IntersectRect(&view.picture, &output, &covered) ||
        !SDL_RectEquals(&covered, &output)) {
        SDL_SetRenderDrawColor(view.renderer, 0, 0, 0, 255);
        SDL_RenderClear(view.renderer);
    }
    SDL_RenderCopy(view.renderer, view.frame, nullptr, &view.picture);
    if (overlay && (view.helpShown || !view.message.empty()))
        SDL_RenderCopy(view.renderer, view.overlay, nullptr, &view.picture);
    SDL_RenderPresent(view.renderer);
    return true;
}
