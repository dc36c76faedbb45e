// What the lab-record tests read back of a printed or previewed sheet: a
// PostScript printer added to Wine's prefix and the text of what it printed,
// the page found in a picture of the preview, and the pixels of the PNG the
// preview saves.
#ifndef QUILLON_TESTS_SUPPORT_DRIVER_PRINTING_H
#define QUILLON_TESTS_SUPPORT_DRIVER_PRINTING_H

#include <windows.h>

#include <climits>
#include <string>

#include "tests/support/harness/qwintest.h"

namespace qdriver {

// The printer the tests add, by name.
extern const char kPrinterName[];

// Adds a PostScript printer that prints to the file named in DOCINFO to
// Wine's prefix (once is enough) and makes it the default; its name, or
// empty when it cannot print.
std::string InstallFilePrinter();

// The text of a page printed by it: a line per baseline, top first, the
// texts drawn on it from left to right joined by " | ".
std::string PostScriptText(const std::string &postScript);

// The page of the preview in a picture of it: the bounds of its white paper
// within area and the dark pixels on it, all and in its top fifth.
struct ShownPage {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1, dark = 0, darkTop = 0;
    int Width() const { return right - left; }
    double Ratio() const { return double(bottom - top) / Width(); }
};
ShownPage PageIn(const qwintest::Bitmap32 &image, const RECT &area);

// A PNG whose pixels are in stored deflate blocks (what the program writes):
// its size and pixels (0xRRGGBB, top row first); none when it is not such a file.
qwintest::Bitmap32 ReadStoredPng(const std::string &png);

}  // namespace qdriver

#endif
