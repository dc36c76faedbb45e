// Printing the weighing sheet: the system's print dialog, an optional file
// to print into, and the sheet laid out on one page with GDI.
#ifndef QUILLON_APP_PRINTOUT_H
#define QUILLON_APP_PRINTOUT_H

#include <windows.h>

#include "framework/afxwin.h"

struct PrintedSheet;

// Draws the sheet on a page whose printable area is width x height device
// units, at dpi dots per inch: title, fields, the table with a blank
// "Weighed" column and a tick box per row, the total, the notes.
void DrawPrintedSheet(HDC dc, const PrintedSheet &sheet, int width, int height, int dpi);

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

private:
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

#endif
