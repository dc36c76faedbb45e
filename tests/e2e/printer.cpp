// The lab record test's printer in Wine's prefix, and the text of what it printed.
// Wine's PostScript driver takes any printer whose driver is "Wine
// PostScript Driver" and whose data file is a PPD; a prefix has neither
// until they are added. Printed with a file name (DOCINFO lpszOutput, the
// "Print to file" path), the PostScript goes to that file.
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kDriver[] = "Wine PostScript Driver";
// An A4 PostScript printer, the least the driver reads from a PPD.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n*ModelName: \"Test\"\n"
    "*NickName: \"Test\"\n*ColorDevice: False\n*DefaultResolution: 300dpi\n*LanguageLevel: \"2\"\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

// The glyph names of the PostScript standard encoding, from code 32 on.
const char *const kGlyphs[] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quotesingle", "parenleft",
    "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash", "zero", "one", "two", "three", "four",
    "five", "six", "seven", "eight", "nine", "colon", "semicolon", "less", "equal", "greater", "question", "at"};

char GlyphChar(const std::string &name) {
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) return name[0];
    // Liberation's space and hyphen share their glyphs with these two.
    if (name == "uni00A0") return ' ';
    if (name == "uni00AD") return '-';
    for (size_t i = 0; i < sizeof kGlyphs / sizeof kGlyphs[0]; ++i)
        if (name == kGlyphs[i]) return char(32 + i);
    if (name.compare(0, 3, "uni") == 0) return char(std::strtol(name.c_str() + 3, nullptr, 16));
    return '?';
}

}  // namespace

// Adds a PostScript printer to Wine's prefix (once is enough) and makes it
// the default; its name, or empty when it cannot print.
std::string InstallFilePrinter() {
    const char name[] = "Quillon Test Printer";
    char folder[MAX_PATH] = "";
    DWORD size = 0;
    if (!::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(folder), sizeof folder, &size))
        return std::string();
    std::string ppd = std::string(folder) + "\\quillon-test.ppd";
    if (std::FILE *file = std::fopen(ppd.c_str(), "wb")) {
        std::fputs(kPpd, file);
        std::fclose(file);
    }
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char *>(kDriver);
    driver.pDriverPath = const_cast<char *>("wineps.drv");
    driver.pConfigFile = const_cast<char *>("wineps.drv");
    driver.pDataFile = const_cast<char *>("quillon-test.ppd");
    driver.pDefaultDataType = const_cast<char *>("RAW");
    if (!::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE *>(&driver), APD_COPY_NEW_FILES) &&
        ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
        return std::string();
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char *>(name);
    printer.pPortName = const_cast<char *>("FILE:");
    printer.pDriverName = const_cast<char *>(kDriver);
    printer.pPrintProcessor = const_cast<char *>("WinPrint");
    printer.pDatatype = const_cast<char *>("RAW");
    HANDLE added = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&printer));
    if (added != nullptr) ::ClosePrinter(added);
    ::SetDefaultPrinterA(name);
    HDC probe = ::CreateDCA("WINSPOOL", name, nullptr, nullptr);
    if (probe == nullptr) return std::string();
    ::DeleteDC(probe);
    return name;
}

// The text of a page printed by it: one entry per baseline, top first, the
// texts drawn on it from left to right joined by " | ".
std::vector<std::string> PostScriptLines(const std::string &postScript) {
    // Each text drawn starts at "x y moveto" and shows its glyphs by name.
    std::map<long, std::vector<std::pair<long, std::string>>> lines;  // baseline y -> (x, text)
    std::istringstream in(postScript);
    std::string line, current;
    long x = 0, y = 0;
    std::vector<std::pair<long, std::string>> *target = nullptr;
    while (std::getline(in, line)) {
        long mx = 0, my = 0;
        char rest[16] = "";
        if (std::sscanf(line.c_str(), "%ld %ld %15s", &mx, &my, rest) == 3 && std::string(rest) == "moveto") {
            x = mx;
            y = my;
            target = nullptr;
        } else if (line.size() > 11 && line[0] == '/' && line.compare(line.size() - 10, 10, " glyphshow") == 0) {
            if (target == nullptr) {
                target = &lines[y];
                target->push_back({x, std::string()});
            }
            target->back().second += GlyphChar(line.substr(1, line.size() - 11));
        }
    }
    std::vector<std::string> text;
    for (auto &entry : lines) {
        std::sort(entry.second.begin(), entry.second.end());
        std::string joined;
        for (const auto &run : entry.second) joined += (joined.empty() ? "" : " | ") + run.second;
        text.push_back(joined);
    }
    return text;
}
