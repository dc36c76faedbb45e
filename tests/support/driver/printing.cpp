// The printer, PostScript, preview and PNG readers of the lab-record tests.
#include "printing.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace qdriver {

namespace {

// The lab record test's printer in Wine's prefix, and the text of what it
// printed. Wine's PostScript driver takes any printer whose driver is "Wine
// PostScript Driver" and whose data file is a PPD; a prefix has neither until
// they are added. Printed with a file name (DOCINFO lpszOutput, the "Print to
// file" path), the PostScript goes to that file.
char *Text(const char *text) { return const_cast<char *>(text); }  // for the LPSTR fields
const char kDriver[] = "Wine PostScript Driver";
// An A4 PostScript printer, the least the driver reads from a PPD.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n*ModelName: \"Test\"\n"
    "*NickName: \"Test\"\n*ColorDevice: False\n*DefaultResolution: 300dpi\n*LanguageLevel: \"2\"\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

// The character of a glyph name: a letter, "uniXXXX", or a name of the
// PostScript standard encoding from code 32 on.
char GlyphChar(const std::string &name) {
    if (name.size() == 1) return name[0];
    // Liberation's space and hyphen share their glyphs with these two.
    if (name == "uni00A0") return ' ';
    if (name == "uni00AD") return '-';
    if (name.compare(0, 3, "uni") == 0) return char(std::strtol(name.c_str() + 3, nullptr, 16));
    std::istringstream glyphs(
        "space exclam quotedbl numbersign dollar percent ampersand quotesingle parenleft parenright asterisk plus "
        "comma hyphen period slash zero one two three four five six seven eight nine colon semicolon less equal "
        "greater question at");
    int code = 32;
    for (std::string glyph; glyphs >> glyph; ++code)
        if (glyph == name) return char(code);
    return '?';
}

bool Dark(uint32_t rgb) { return (rgb >> 16 & 0xFF) < 128 && (rgb >> 8 & 0xFF) < 128 && (rgb & 0xFF) < 128; }

}  // namespace

const char kPrinterName[] = "Quillon Test Printer";
std::string InstallFilePrinter() {
    const char *name = kPrinterName;
    char folder[MAX_PATH] = "";
    DWORD size = 0;
    if (!::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(folder), sizeof folder, &size))
        return std::string();
    std::ofstream(std::string(folder) + "\\quillon-test.ppd", std::ios::binary) << kPpd;
    DRIVER_INFO_3A driver = {3, Text(kDriver), nullptr, Text("wineps.drv"), Text("quillon-test.ppd"),
                             Text("wineps.drv"), nullptr, nullptr, nullptr, Text("RAW")};
    if (!::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE *>(&driver), APD_COPY_NEW_FILES) &&
        ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
        return std::string();
    PRINTER_INFO_2A printer = {nullptr, Text(name), nullptr, Text("FILE:"), Text(kDriver), nullptr,
                               nullptr, nullptr, nullptr, Text("WinPrint"), Text("RAW"), nullptr, nullptr,
                               0, 0, 0, 0, 0, 0, 0, 0};
    if (HANDLE added = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&printer))) ::ClosePrinter(added);
    ::SetDefaultPrinterA(name);
    HDC probe = ::CreateDCA("WINSPOOL", name, nullptr, nullptr);
    if (probe == nullptr) return std::string();
    ::DeleteDC(probe);
    return name;
}

std::string PostScriptText(const std::string &postScript) {
    // Each text drawn starts at "x y moveto" and shows its glyphs by name.
    std::map<long, std::vector<std::pair<long, std::string>>> lines;  // baseline y -> (x, text)
    std::istringstream in(postScript);
    long x = 0, y = 0, mx = 0, my = 0;
    bool started = false;  // a text begun at the last moveto
    for (std::string line; std::getline(in, line);) {
        char word[16] = "";
        if (std::sscanf(line.c_str(), "%ld %ld %15s", &mx, &my, word) == 3 && std::string(word) == "moveto") {
            x = mx, y = my, started = false;
        } else if (line.size() > 11 && line[0] == '/' && line.compare(line.size() - 10, 10, " glyphshow") == 0) {
            if (!started) lines[y].push_back({x, std::string()}), started = true;
            lines[y].back().second += GlyphChar(line.substr(1, line.size() - 11));
        }
    }
    std::string text;
    for (auto &entry : lines) {
        std::sort(entry.second.begin(), entry.second.end());
        for (const auto &run : entry.second) text += (&run == &entry.second[0] ? "" : " | ") + run.second;
        text += '\n';
    }
    return text;
}

ShownPage PageIn(const qwintest::Bitmap32 &image, const RECT &area) {
    ShownPage page;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if ((image.Pixels()[size_t(y) * image.Width() + x] & 0xFFFFFF) == 0xFFFFFF)
                page.left = std::min(page.left, x), page.right = std::max(page.right, x + 1),
                page.top = std::min(page.top, y), page.bottom = std::max(page.bottom, y + 1);
    for (int y = page.top; y < page.bottom; ++y)
        for (int x = page.left; x < page.right; ++x)
            if (Dark(image.Pixels()[size_t(y) * image.Width() + x])) {
                ++page.dark;
                page.darkTop += y < page.top + (page.bottom - page.top) / 5;
            }
    return page;
}

qwintest::Bitmap32 ReadStoredPng(const std::string &png) {
    auto number = [&](size_t at) {
        return uint32_t((unsigned char)png[at]) << 24 | uint32_t((unsigned char)png[at + 1]) << 16 |
               uint32_t((unsigned char)png[at + 2]) << 8 | (unsigned char)png[at + 3];
    };
    if (png.compare(0, 8, std::string("\x89PNG\r\n\x1A\n", 8)) != 0 || png.compare(12, 4, "IHDR") != 0) return {};
    const int width = int(number(16)), height = int(number(20));
    std::string zlib, rows;
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + number(at))
        if (png.compare(at + 4, 4, "IDAT") == 0) zlib += png.substr(at + 8, number(at));
    for (size_t at = 2; at + 5 <= zlib.size() && rows.size() < size_t(width * 3 + 1) * height;) {
        const size_t length = (unsigned char)zlib[at + 1] | (unsigned char)zlib[at + 2] << 8;
        rows += zlib.substr(at + 5, length);
        at += 5 + length;
    }
    if (width <= 0 || height <= 0 || rows.size() != size_t(width * 3 + 1) * height) return {};
    qwintest::Bitmap32 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char *p = reinterpret_cast<const unsigned char *>(&rows[size_t(y) * (width * 3 + 1) + 1 + x * 3]);
            image.Pixels()[size_t(y) * width + x] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    return image;
}

}  // namespace qdriver
