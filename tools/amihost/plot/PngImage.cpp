#include "tools/amihost/plot/PngImage.h"

#include <zlib.h>

#include <cstdint>

namespace {

void Put32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xffu);
}

// Length, type, data and the CRC-32 of type and data.
void Chunk(std::string& out, const char* type, const std::string& data)
{
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    Put32(out, static_cast<std::uint32_t>(
                   crc32(0L, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

} // namespace

std::string PngImage::Encode(int width, int height, const std::vector<unsigned char>& rgb)
{
    if (width <= 0 || height <= 0 || width > (1 << 16) || height > (1 << 16) ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u)
        return std::string();
    const std::size_t stride = static_cast<std::size_t>(width) * 3u;
    std::string raw;
    raw.reserve((stride + 1) * static_cast<std::size_t>(height));
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        const unsigned char* line = rgb.data() + row * stride;
        raw += '\1'; // Sub
        for (std::size_t i = 0; i < stride; ++i)
            raw += static_cast<char>(static_cast<unsigned char>(line[i] - (i >= 3 ? line[i - 3] : 0)));
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 9) != Z_OK)
        return std::string();
    packed.resize(size);

    std::string header;
    Put32(header, static_cast<std::uint32_t>(width));
    Put32(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, truecolour, deflate, adaptive filters, no interlace
    std::string png("\x89PNG\r\n\x1a\n", 8);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", std::string());
    return png;
}

std::string PngImage::DataUri(const std::string& png)
{
    static const char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out = "data:image/png;base64,";
    std::size_t i = 0;
    for (; i + 2 < png.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(png[i]) << 16 | static_cast<unsigned char>(png[i + 1]) << 8 |
                           static_cast<unsigned char>(png[i + 2]);
        out += {Digits[v >> 18], Digits[(v >> 12) & 63], Digits[(v >> 6) & 63], Digits[v & 63]};
    }
    if (i < png.size()) {
        const bool two = i + 1 < png.size();
        const unsigned v =
            static_cast<unsigned char>(png[i]) << 16 | (two ? static_cast<unsigned char>(png[i + 1]) << 8 : 0);
        out += {Digits[v >> 18], Digits[(v >> 12) & 63], two ? Digits[(v >> 6) & 63] : '=', '='};
    }
    return out;
}
