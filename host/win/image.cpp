#include "host/win/image.h"

#include <cstdio>

#include "host/png_writer.h"

bool CaptureClient(HWND window, Picture* picture) {
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    int width = client.right;
    int height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // A cache DC of its own: the emulator presents through the window's own
    // DC on its screen thread at the same time.
    HDC windowDc = GetDCEx(window, nullptr, DCX_CACHE);
    if (!windowDc) return false;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    bool ok = bitmap && bits && memoryDc;
    if (ok) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        ok = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        if (ok) {
            const uint32_t* source = static_cast<const uint32_t*>(bits);
            picture->width = width;
            picture->height = height;
            picture->pixels.assign(source, source + width * height);
            for (uint32_t& pixel : picture->pixels)
                pixel &= 0xFFFFFF;
        }
        SelectObject(memoryDc, old);
    }
    if (memoryDc) DeleteDC(memoryDc);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(window, windowDc);
    return ok;
}

static void ImagePut32Le(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
// 24-bit bottom-up BMP, rows padded to four bytes.
static std::vector<uint8_t> ImageEncodeBmp(const Picture& picture) {
    uint32_t rowBytes = (picture.width * 3 + 3) & ~3u;
    uint32_t dataBytes = rowBytes * picture.height;
    std::vector<uint8_t> out = {'B', 'M'};
    ImagePut32Le(out, 54 + dataBytes);
    ImagePut32Le(out, 0);
    ImagePut32Le(out, 54);
    ImagePut32Le(out, 40);
    ImagePut32Le(out, picture.width);
    ImagePut32Le(out, picture.height);
    ImagePut32Le(out, 1 | 24 << 16); // planes, bits per pixel
    ImagePut32Le(out, 0);            // BI_RGB
    ImagePut32Le(out, dataBytes);
    ImagePut32Le(out, 2835); // 72 dots per inch
    ImagePut32Le(out, 2835);
    ImagePut32Le(out, 0);
    ImagePut32Le(out, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < picture.width; ++x) {
            uint32_t pixel = picture.pixels[y * picture.width + x];
            out.push_back(pixel & 0xFF);
            out.push_back((pixel >> 8) & 0xFF);
            out.push_back((pixel >> 16) & 0xFF);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

bool SavePicture(const std::string& path, const Picture& picture, std::string& error) {
    bool png = path.size() >= 4 && _stricmp(path.c_str() + path.size() - 4, ".png") == 0;
    if (png) return PngWrite(path, picture.pixels.data(), picture.width, picture.height, error);
    std::vector<uint8_t> bytes = ImageEncodeBmp(picture);
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file) ok = std::fclose(file) == 0 && ok;
    if (!ok) error = "cannot write " + path;
    return ok;
}
