// Pixel capture and PNG output for the tests: images are 32-bit top-down DIB
// sections; the PNG is 8-bit RGB rows behind filter byte 0 in a zlib stream
// of stored deflate blocks.
#include "qwintest.h"

#include <algorithm>
#include <cstdio>

namespace qwintest {
namespace {

uint32_t Crc32(const uint8_t *data, size_t size) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    uint32_t crc = ~0u;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t *data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

uint32_t ToPixel(COLORREF color) {
    return uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 | GetBValue(color);
}

void PutBigEndian(std::vector<uint8_t> &out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    PutBigEndian(out, uint32_t(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(&out[typeAt], 4 + data.size()));
}

std::vector<uint8_t> StoredZlib(const std::vector<uint8_t> &raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = std::min<size_t>(raw.size() - at, 65535);
        out.push_back(at + length == raw.size() ? 1 : 0);  // last block?
        out.insert(out.end(), {uint8_t(length), uint8_t(length >> 8), uint8_t(~length), uint8_t(~length >> 8)});
        out.insert(out.end(), raw.begin() + long(at), raw.begin() + long(at + length));
        at += length;
    } while (at < raw.size());
    PutBigEndian(out, Adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

Bitmap32::Bitmap32(int width, int height, COLORREF fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), pixels_(size_t(width_) * size_t(height_), ToPixel(fill)) {}

COLORREF Bitmap32::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    uint32_t pixel = pixels_[size_t(y) * size_t(width_) + size_t(x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int Bitmap32::CountColor(COLORREF color) const {
    int count = 0;
    for (uint32_t pixel : pixels_) count += pixel == ToPixel(color);
    return count;
}

bool Bitmap32::SavePng(const std::string &path) const {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height_; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width_; ++x) {
            uint32_t pixel = pixels_[size_t(y) * size_t(width_) + size_t(x)];
            raw.insert(raw.end(), {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)});
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    PutBigEndian(header, uint32_t(width_));
    PutBigEndian(header, uint32_t(height_));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter 0, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

Bitmap32 CaptureClient(HWND hWnd) {
    ::UpdateWindow(hWnd);
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    HDC windowDC = ::GetDC(hWnd);
    Bitmap32 image = RenderToBitmap(client.right, client.bottom, [&](CDC &dc) {
        ::BitBlt(dc, 0, 0, client.right, client.bottom, windowDC, 0, 0, SRCCOPY);
    });
    ::ReleaseDC(hWnd, windowDC);
    return image;
}

Bitmap32 RenderToBitmap(int width, int height, const std::function<void(CDC &dc)> &draw, COLORREF background) {
    Bitmap32 image(width, height, background);
    if (image.Pixels().empty()) return image;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    void *bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr) return Bitmap32();
    HGDIOBJ old = dc.SelectObject(dib);
    RECT all = {0, 0, width, height};
    dc.FillSolidRect(&all, background);
    draw(dc);
    ::GdiFlush();
    for (size_t i = 0; i < image.Pixels().size(); ++i)
        image.Pixels()[i] = static_cast<const uint32_t *>(bits)[i] & 0x00FFFFFF;
    dc.SelectObject(old);
    ::DeleteObject(dib);
    return image;
}

std::string ProgramPath() {
    char exe[MAX_PATH];
    return std::string(exe, ::GetModuleFileNameA(nullptr, exe, sizeof exe));
}

std::string ArtifactPath(const std::string &fileName) {
    std::string folder = ProgramFolder() + "..\\test-output";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + fileName;
}

}  // namespace qwintest
