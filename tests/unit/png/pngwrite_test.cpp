// The PNG encoder read back by zlib: every chunk's CRC, the header, the
// physical size, and the pixel rows inflated whole.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/pngwrite.h"

namespace {

uint32_t BigEndian(const std::string &bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | (unsigned char)bytes[at + i];
    return value;
}

struct Decoded {
    uint32_t width = 0, height = 0, perMetre = 0;
    std::string header;  // depth, colour type, compression, filter, interlace
    std::string rows;    // inflated: each row its filter byte and RGB pixels
    std::string types;   // the chunks' types, each followed by a blank
};

// Reads the file as any decoder would; a failure for every chunk that is not right.
Decoded Decode(const std::string &png) {
    Decoded d;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    std::string zlib;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = BigEndian(png, at);
        const std::string type = png.substr(at + 4, 4), data = png.substr(at + 8, length);
        const Bytef *typed = reinterpret_cast<const Bytef *>(png.data() + at + 4);
        EXPECT_EQ(BigEndian(png, at + 8 + length), uint32_t(crc32(0, typed, length + 4))) << type;
        d.types += type + " ";
        if (type == "IHDR") {
            d.width = BigEndian(data, 0), d.height = BigEndian(data, 4), d.header = data.substr(8);
        } else if (type == "pHYs") {
            EXPECT_EQ(BigEndian(data, 0), BigEndian(data, 4));
            EXPECT_EQ(data[8], '\x01');
            d.perMetre = BigEndian(data, 0);
        } else if (type == "IDAT") {
            zlib += data;
        }
        at += 12 + length;
        if (type == "IEND") { EXPECT_EQ(at, png.size()) << "bytes after IEND"; }
    }
    d.rows.resize(size_t(d.width * 3 + 1) * d.height);
    uLongf size = uLongf(d.rows.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef *>(&d.rows[0]), &size,
                         reinterpret_cast<const Bytef *>(zlib.data()), uLong(zlib.size())),
              Z_OK);
    EXPECT_EQ(size, d.rows.size());
    return d;
}

// Sizes at the edges of the stored blocks (428 x 51: exactly one full block
// of 65535 bytes; 200 x 120: two; 1240 x 1754, a page at 150 dpi: a hundred),
// odd widths, both pixel orders, top-down and bottom-up rows with padding.
TEST(PngWrite, DecodesToThePixelsGiven) {
    const struct {
        int width, height;
        PixelOrder order;
        bool bottomUp;
        int dpi;
        uint32_t perMetre;
    } cases[] = {
        {1, 1, PixelOrder::Rgb, false, 0, 0},          {5, 3, PixelOrder::Bgr, true, 96, 3780},
        {428, 51, PixelOrder::Rgb, false, 150, 5906},  {200, 120, PixelOrder::Bgr, false, 600, 23622},
        {1240, 1754, PixelOrder::Bgr, true, 150, 5906},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const size_t stride = (size_t(c.width) * 3 + 3) / 4 * 4;  // a DIB's rows, with their padding
        std::vector<unsigned char> pixels(stride * c.height, 0xEE);
        std::string expected;  // what the rows must inflate to, top row first
        for (int y = 0; y < c.height; ++y) {
            expected += '\0';
            unsigned char *row = &pixels[(c.bottomUp ? c.height - 1 - y : y) * stride];
            for (int x = 0; x < c.width; ++x) {
                const unsigned char r = (unsigned char)(x * 7 + y), g = (unsigned char)(y * 13), b = (unsigned char)(x ^ y);
                expected += std::string{char(r), char(g), char(b)};
                const bool rgb = c.order == PixelOrder::Rgb;
                row[x * 3] = rgb ? r : b, row[x * 3 + 1] = g, row[x * 3 + 2] = rgb ? b : r;
            }
        }
        const unsigned char *top = c.bottomUp ? &pixels[(c.height - 1) * stride] : &pixels[0];
        const std::ptrdiff_t step = c.bottomUp ? -std::ptrdiff_t(stride) : std::ptrdiff_t(stride);
        Decoded d = Decode(EncodePng(c.width, c.height, top, step, c.order, c.dpi));
        EXPECT_EQ(std::make_tuple(d.width, d.height, d.perMetre), std::make_tuple(uint32_t(c.width), uint32_t(c.height), c.perMetre));
        EXPECT_EQ(d.header, std::string("\x08\x02\x00\x00\x00", 5));
        EXPECT_EQ(d.types, c.dpi > 0 ? "IHDR pHYs IDAT IEND " : "IHDR IDAT IEND ");
        EXPECT_TRUE(d.rows == expected) << "the pixels differ";
    }
}

TEST(PngWrite, RefusesPicturesWithoutPixelsOrTooLarge) {
    const unsigned char pixel[3] = {1, 2, 3};
    for (auto size : {std::make_pair(0, 1), std::make_pair(1, 0), std::make_pair(-1, 5), std::make_pair(20000, 20000)})
        EXPECT_EQ(EncodePng(size.first, size.second, pixel, 3, PixelOrder::Rgb, 0), "") << size.first << "x" << size.second;
    EXPECT_EQ(EncodePng(1, 1, nullptr, 3, PixelOrder::Rgb, 0), "");
}

}  // namespace
