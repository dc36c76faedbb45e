// Pixel capture for the tests: images are 32-bit top-down DIB sections,
// saved as the same pixels in a BMP file (scripts/make-images --png makes
// the documentation's pictures of them).
#include "qwintest.h"

#include <algorithm>
#include <fstream>

namespace qwintest {
namespace {

uint32_t ToPixel(COLORREF color) {
    return uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 | GetBValue(color);
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

bool Bitmap32::SaveBmp(const std::string &path) const {
    BITMAPINFOHEADER info = {sizeof info, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info, bytes = DWORD(pixels_.size() * 4);
    BITMAPFILEHEADER header = {0x4D42, offset + bytes, 0, 0, offset};  // "BM"
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(&header), sizeof header);
    out.write(reinterpret_cast<const char *>(&info), sizeof info);
    out.write(reinterpret_cast<const char *>(pixels_.data()), std::streamsize(bytes));
    return bool(out.flush());
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
