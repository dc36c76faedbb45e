// Printing the weighing sheet: the system's print dialog, an optional file
// to print into, and the sheet laid out on one page with GDI.
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

private:
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

#endif
