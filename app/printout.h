// Printing the weighing sheet: the system's print dialog, an optional file
// to print into, and the sheet laid out on one page with GDI; the same page
// drawn scaled (the preview) and into a picture (a PNG file).
#ifndef QUILLON_APP_PRINTOUT_H
#define QUILLON_APP_PRINTOUT_H

#include <windows.h>

#include <functional>
#include <string>

#include "framework/afxwin.h"

struct PrintedSheet;

// Draws the sheet on a page whose printable area is width x height device
// units, at dpi dots per inch: title, fields, the table with a blank
// "Weighed" column and a tick box per row, the total, the notes.
void DrawPrintedSheet(HDC dc, const PrintedSheet &sheet, int width, int height, int dpi);

// Draws a text (LF line ends) on such a page with the sheet's margins: the
// heading as the sheet's title, then each line of the text in a
// fixed-pitch face, made smaller when the widest line or all the lines
// would not fit.
void DrawTextPage(HDC dc, const char *heading, const std::string &text, int width, int height, int dpi);

// One page drawn on a DC whose printable area is width x height at dpi.
using PageDrawing = std::function<void(HDC dc, int width, int height, int dpi)>;
// A page in a printer's device units: the paper, the printable area on it
// (where DrawPrintedSheet's width and height start) and the resolution.
struct PageGeometry {
    int paperWidth = 0, paperHeight = 0;          // PHYSICALWIDTH, PHYSICALHEIGHT
    int offsetX = 0, offsetY = 0;                 // PHYSICALOFFSETX, PHYSICALOFFSETY
    int printableWidth = 0, printableHeight = 0;  // HORZRES, VERTRES
    int dpi = 0;                                  // LOGPIXELSY
};
PageGeometry PageOfDevice(HDC printer);
// The page without a printer: A4 at 600 dpi, printable to its edges.
PageGeometry DefaultPage();

// The paper, white, with the sheet drawn on its printable area, scaled into
// target of dc: DrawPrintedSheet in the page's own units through a mapping
// mode, so the page looks as it prints.
void DrawPageInto(HDC dc, const PrintedSheet &sheet, const PageGeometry &page, const RECT &target);
// The page drawn the same way into a picture of dpi dots per inch, as the
// bytes of a PNG file; empty when the picture cannot be made.
std::string PagePng(const PrintedSheet &sheet, const PageGeometry &page, int dpi);

enum class PrintOutcome { Printed, Cancelled, NoPrinter, Failed };

// The printer chosen last (its settings), kept for the next print while the program runs.
class CSheetPrinter {
public:
    CSheetPrinter() {}
    ~CSheetPrinter();
    CSheetPrinter(const CSheetPrinter &) = delete;
    CSheetPrinter &operator=(const CSheetPrinter &) = delete;

    // Asks for the printer (and, with "Print to file", for the file), then
    // prints the sheet as document title. NoPrinter: the system has none;
    // Failed: nothing or not all of it was printed.
    PrintOutcome Print(CWnd *owner, const PrintedSheet &sheet, const char *title);
    // The same for any page (the check of the weighed masses).
    PrintOutcome Print(CWnd *owner, const PageDrawing &page, const char *title);
    // The page of the printer chosen last, else of the system's default
    // printer; false when there is no printer.
    bool Page(PageGeometry *page) const;

private:
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

// Print, with a message box for each outcome but a print done or cancelled;
// whether it printed.
bool PrintWithMessages(CSheetPrinter &printer, CWnd *owner, const PrintedSheet &sheet, const char *title);
// The message box of a print's outcome (none when printed or cancelled); whether it printed.
bool SayPrinted(CWnd *owner, PrintOutcome printedOutcome);

#endif
