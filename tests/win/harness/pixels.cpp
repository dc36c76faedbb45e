// Pixel capture and PNG output for the tests.
//
// Images are 32-bit top-down DIB sections, read back as 0x00RRGGBB values.
// The PNG writer needs no library: 8-bit RGB rows behind filter byte 0, in a
// zlib stream of stored (uncompressed) deflate blocks, with the CRC-32 of
// every chunk and the Adler-32 of the image data.
#include "qwintest.h"

#include <cstdio>

namespace qwintest {
namespace {

// A top-down 32-bit DIB section of the given size; bits receives its pixels.
HBITMAP CreateDib(HDC dc, int width, int height, void **bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Copies a DIB section's pixels (0x00RRGGBB in memory order BGRA) into image.
void ReadDib(const void *bits, Bitmap32 &image) {
    const uint32_t *source = static_cast<const uint32_t *>(bits);
    std::vector<uint32_t> &pixels = image.Pixels();
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0x00FFFFFF;
}

uint32_t ToPixel(COLORREF color) { return uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 | GetBValue(color); }

COLORREF ToColor(uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

void PutBigEndian(std::vector<uint8_t> &out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

// Appends one chunk: length, type, data, CRC of type and data.
void PutChunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    PutBigEndian(out, uint32_t(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(&out[typeAt], 4 + data.size()));
}

// A zlib stream holding raw in stored deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t> &raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(uint8_t(length & 0xFF));
        out.push_back(uint8_t(length >> 8));
        out.push_back(uint8_t(~length & 0xFF));
        out.push_back(uint8_t((~length >> 8) & 0xFF));
        out.insert(out.end(), raw.begin() + long(at), raw.begin() + long(at + length));
        at += length;
    } while (at < raw.size());
    PutBigEndian(out, Adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Bitmap32

Bitmap32::Bitmap32(int width, int height, COLORREF fill)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
      pixels_(size_t(width_) * size_t(height_), ToPixel(fill)) {}

COLORREF Bitmap32::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return ToColor(pixels_[size_t(y) * size_t(width_) + size_t(x)]);
}

void Bitmap32::Set(int x, int y, COLORREF color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = ToPixel(color);
}

int Bitmap32::CountColor(COLORREF color) const {
    uint32_t wanted = ToPixel(color);
    int count = 0;
    for (uint32_t pixel : pixels_) count += pixel == wanted;
    return count;
}

RECT Bitmap32::BoundsOfNot(COLORREF background) const {
    uint32_t plain = ToPixel(background);
    RECT bounds = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (pixels_[size_t(y) * size_t(width_) + size_t(x)] == plain) continue;
            if (x < bounds.left) bounds.left = x;
            if (y < bounds.top) bounds.top = y;
            if (x + 1 > bounds.right) bounds.right = x + 1;
            if (y + 1 > bounds.bottom) bounds.bottom = y + 1;
        }
    }
    if (bounds.right == 0) bounds = RECT{0, 0, 0, 0};
    return bounds;
}

bool Bitmap32::SavePng(const std::string &path) const {
    std::vector<uint8_t> png = EncodePng(*this);
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

// ---------------------------------------------------------------------------
// Capture and rendering

Bitmap32 CaptureClient(HWND hWnd) {
    ::UpdateWindow(hWnd);
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    Bitmap32 image(client.right, client.bottom);
    if (image.Empty()) return image;
    HDC windowDC = ::GetDC(hWnd);
    HDC memoryDC = ::CreateCompatibleDC(windowDC);
    void *bits = nullptr;
    HBITMAP dib = CreateDib(windowDC, image.Width(), image.Height(), &bits);
    if (dib != nullptr) {
        HGDIOBJ old = ::SelectObject(memoryDC, dib);
        ::BitBlt(memoryDC, 0, 0, image.Width(), image.Height(), windowDC, 0, 0, SRCCOPY);
        ::GdiFlush();
        ReadDib(bits, image);
        ::SelectObject(memoryDC, old);
        ::DeleteObject(dib);
    }
    ::DeleteDC(memoryDC);
    ::ReleaseDC(hWnd, windowDC);
    return image;
}

Bitmap32 RenderToBitmap(int width, int height, const std::function<void(CDC &dc)> &draw, COLORREF background) {
    Bitmap32 image(width, height, background);
    if (image.Empty()) return image;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    void *bits = nullptr;
    HBITMAP dib = CreateDib(dc, width, height, &bits);
    if (dib == nullptr) return Bitmap32();
    HGDIOBJ old = dc.SelectObject(dib);
    RECT all = {0, 0, width, height};
    dc.FillSolidRect(&all, background);
    draw(dc);
    ::GdiFlush();
    ReadDib(bits, image);
    dc.SelectObject(old);
    ::DeleteObject(dib);
    return image;
}

std::string ArtifactPath(const std::string &fileName) {
    char exe[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string folder = length > 0 && length < sizeof exe ? std::string(exe, length) : std::string(".\\x");
    folder.erase(folder.find_last_of("\\/") + 1);
    folder += "..\\test-output";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + fileName;
}

// ---------------------------------------------------------------------------
// PNG

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t *data, size_t size, uint32_t adler) {
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const Bitmap32 &image) {
    std::vector<uint8_t> raw;
    raw.reserve(size_t(image.Height()) * (1 + 3 * size_t(image.Width())));
    for (int y = 0; y < image.Height(); ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < image.Width(); ++x) {
            uint32_t pixel = image.Pixels()[size_t(y) * size_t(image.Width()) + size_t(x)];
            raw.push_back(uint8_t(pixel >> 16));
            raw.push_back(uint8_t(pixel >> 8));
            raw.push_back(uint8_t(pixel));
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, uint32_t(image.Width()));
    PutBigEndian(header, uint32_t(image.Height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter 0, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace qwintest
