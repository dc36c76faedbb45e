#include "pngwrite.h"

#include <vector>

namespace {

// The CRC-32 of PNG chunks (ISO 3309).
uint32_t PngCrc32(const unsigned char *bytes, size_t length) {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// The checksum that ends a zlib stream.
uint32_t Adler32(const unsigned char *bytes, size_t length) {
    uint32_t a = 1, b = 0;
    while (length > 0) {
        // 5552 bytes is the most that cannot overflow b before the reduction.
        size_t run = length < 5552 ? length : 5552;
        length -= run;
        while (run-- > 0) b += a += *bytes++;
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

void PutBigEndian(std::string &out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char((value >> shift) & 0xFF);
}

// One chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::string &out, const char *type, const std::string &data) {
    PutBigEndian(out, uint32_t(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    PutBigEndian(out, PngCrc32(reinterpret_cast<const unsigned char *>(typed.data()), typed.size()));
}

}  // namespace

std::string EncodePng(int width, int height, const unsigned char *top, std::ptrdiff_t stride, PixelOrder order,
                      int dpi) {
    if (width <= 0 || height <= 0 || top == nullptr) return std::string();
    const size_t rowBytes = size_t(width) * 3 + 1;  // the filter byte (0: none) and the pixels
    if (rowBytes > (size_t(1) << 30) / size_t(height)) return std::string();
    std::string raw;
    raw.reserve(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y) {
        const unsigned char *row = top + stride * std::ptrdiff_t(y);
        raw += '\0';
        for (int x = 0; x < width; ++x, row += 3) {
            const bool rgb = order == PixelOrder::Rgb;
            raw += char(row[rgb ? 0 : 2]);
            raw += char(row[1]);
            raw += char(row[rgb ? 2 : 0]);
        }
    }

    // The zlib stream: header (deflate, 32K window, no dictionary), stored
    // blocks of at most 65535 bytes, the last one marked, and the Adler-32.
    std::string zlib("\x78\x01", 2);
    size_t at = 0;
    do {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        zlib += char(at + length == raw.size() ? 1 : 0);
        zlib += char(length & 0xFF);
        zlib += char(length >> 8);
        zlib += char(~length & 0xFF);
        zlib += char((~length >> 8) & 0xFF);
        zlib.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    PutBigEndian(zlib, Adler32(reinterpret_cast<const unsigned char *>(raw.data()), raw.size()));

    std::string png("\x89PNG\r\n\x1A\n", 8), header;
    PutBigEndian(header, uint32_t(width));
    PutBigEndian(header, uint32_t(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive filters, no interlace
    PutChunk(png, "IHDR", header);
    if (dpi > 0) {
        std::string physical;
        const uint32_t perMetre = uint32_t((dpi * 10000.0) / 254.0 + 0.5);
        PutBigEndian(physical, perMetre);
        PutBigEndian(physical, perMetre);
        physical += '\x01';  // the unit: the metre
        PutChunk(png, "pHYs", physical);
    }
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());
    return png;
}
