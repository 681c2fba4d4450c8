#pragma once

#include <string>
#include <vector>

// A picture as a PNG file in memory, to embed bitmaps (an eye's density, a
// colour bar) in SVG plots, where the viewer scales them smoothly.
//
// Truecolour, 8 bits per channel, no alpha, no interlace; every row
// filtered with "Sub" (each byte less the one three to its left), which
// suits the smooth gradients drawn; the data compressed with zlib and each
// chunk checked with its CRC-32, both from zlib.
class PngImage {
public:
    // `rgb` holds width * height * 3 bytes, rows from the top. Empty when
    // the sizes disagree, either is 0 or zlib fails.
    static std::string Encode(int width, int height, const std::vector<unsigned char>& rgb);

    // "data:image/png;base64,..." for an SVG <image>.
    static std::string DataUri(const std::string& png);
};
