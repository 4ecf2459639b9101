// Screenshots decode back to the pixels they were made from, through every
// check a PNG reader makes.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/png_writer.h"
#include "png_reader.h"

namespace {

std::vector<uint32_t> Pattern(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFF;
    return pixels;
}

void ExpectRoundTrip(const std::vector<uint32_t>& pixels, int width, int height) {
    PngPicture picture;
    std::string error;
    ASSERT_TRUE(PngRead(PngEncode(pixels.data(), width, height), picture, error))
        << width << "x" << height << ": " << error;
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    EXPECT_EQ(picture.pixels, pixels) << width << "x" << height;
}

TEST(PngWriter, DecodesBackToTheSamePixels) {
    // Channel order: 0x00RRGGBB must come out as red, green, blue.
    ExpectRoundTrip({0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0x00FFFFFF, 0}, 3, 2);
    ExpectRoundTrip({0x00ABCDEF}, 1, 1);
    // The image data crosses the 65,535-byte limit of a stored block: once
    // by one byte (two blocks), and many times over (the machine's frame).
    int oneOver = 65535 + 1;
    ExpectRoundTrip(Pattern(oneOver / 4, 4), oneOver / 4, 4); // rows of 1 + 3 * w bytes
    ExpectRoundTrip(Pattern(640, 480), 640, 480);
    // Exactly one full block.
    ExpectRoundTrip(Pattern(21844, 1), 21844, 1); // 1 + 3 * 21844 = 65533
    ExpectRoundTrip(Pattern(5, 4369), 5, 4369);   // 16 * 4369 = 69904
}

TEST(PngWriter, CompressesAScreen) {
    // A screen is mostly background with a few rows of text.
    std::vector<uint32_t> screen(640 * 480, 0x00000080);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 640; x++)
            if ((x ^ y) % 3 == 0) screen[y * 640 + x] = 0x00FFFFFF;
    std::vector<uint8_t> file = PngEncode(screen.data(), 640, 480);
    EXPECT_LT(file.size(), 20000u) << "921,600 bytes of pixels";
    ExpectRoundTrip(screen, 640, 480);
}

TEST(PngWriter, RefusesEmptyPicturesAndReportsUnwritableFiles) {
    uint32_t pixel = 0;
    EXPECT_TRUE(PngEncode(&pixel, 0, 1).empty());
    EXPECT_TRUE(PngEncode(&pixel, 1, 0).empty());
    EXPECT_TRUE(PngEncode(&pixel, -1, 1).empty());

    std::string error;
    std::string missing =
        (std::filesystem::temp_directory_path() / "z80home-no-such-dir" / "shot.png").string();
    EXPECT_FALSE(PngWrite(missing, &pixel, 1, 1, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(PngWrite("/dev/full", &pixel, 1, 1, error)) << "a full disk must not pass";
}

} // namespace
