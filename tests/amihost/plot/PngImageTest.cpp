#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/amihost/plot/PngImage.h"

namespace {

std::uint32_t Get32(const std::string& s, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

} // namespace

// Read back as a PNG reader does: chunks with their CRCs, the header, the
// inflated rows with each row's filter undone.
TEST(PngImage, ReadsBackPixelForPixel)
{
    const int width = 5;
    const int height = 3;
    std::vector<unsigned char> rgb;
    for (int i = 0; i < width * height * 3; ++i)
        rgb.push_back(static_cast<unsigned char>(i * 37 + 11));
    const std::string png = PngImage::Encode(width, height, rgb);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string data;
    std::size_t at = 8;
    std::vector<std::string> types;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Get32(png, at);
        const std::string body = png.substr(at + 4, 4 + length);
        EXPECT_EQ(Get32(png, at + 8 + length),
                  crc32(0L, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
        types.push_back(body.substr(0, 4));
        if (types.back() == "IHDR") {
            EXPECT_EQ(Get32(body, 4), 5u);
            EXPECT_EQ(Get32(body, 8), 3u);
            EXPECT_EQ(body.substr(12), std::string("\x08\x02\x00\x00\x00", 5));
        } else if (types.back() == "IDAT") {
            data += body.substr(4);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    std::vector<unsigned char> raw(static_cast<std::size_t>((width * 3 + 1) * height));
    uLongf size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(data.data()), data.size()), Z_OK);
    ASSERT_EQ(size, raw.size());
    std::vector<unsigned char> pixels;
    for (int row = 0; row < height; ++row) {
        const unsigned char* line = &raw[static_cast<std::size_t>(row * (width * 3 + 1))];
        ASSERT_EQ(line[0], 1); // Sub: each byte adds the one three to its left
        for (int i = 0; i < width * 3; ++i)
            pixels.push_back(static_cast<unsigned char>(line[1 + i] + (i >= 3 ? pixels[pixels.size() - 3] : 0)));
    }
    EXPECT_EQ(pixels, rgb);
    EXPECT_EQ(PngImage::Encode(2, 2, rgb), "");
    EXPECT_EQ(PngImage::Encode(0, 0, {}), "");
}

TEST(PngImage, DataUrisAreBase64WithPadding)
{
    EXPECT_EQ(PngImage::DataUri("Man"), "data:image/png;base64,TWFu");
    EXPECT_EQ(PngImage::DataUri("Ma"), "data:image/png;base64,TWE=");
    EXPECT_EQ(PngImage::DataUri("M"), "data:image/png;base64,TQ==");
    EXPECT_EQ(PngImage::DataUri(std::string("\xff\xfe\x00", 3)), "data:image/png;base64,//4A");
}
