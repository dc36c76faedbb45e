#include "printout.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/pngwrite.h"
#include "core/printsheet.h"
#include "framework/afxdlgs.h"

namespace {

// The table's columns as parts of the page's width (in thousandths), and
// whether their text is right-aligned: without volumes (PRINT_COLUMNS) and
// with them (PRINT_VOLUME_COLUMNS). The last column holds the tick box.
struct TableColumns {
    int count;
    const char *const *headings;
    int widths[9];
    bool right[9];
};
const TableColumns MASS_COLUMNS = {
    7, PRINT_COLUMNS, {45, 250, 215, 150, 40, 190, 110}, {true, false, true, true, false, false, false}};
const TableColumns VOLUME_COLUMNS = {9,
                                     PRINT_VOLUME_COLUMNS,
                                     {35, 205, 185, 120, 25, 135, 25, 170, 100},
                                     {true, false, true, true, false, true, false, false, false}};

HFONT MakeFont(int dpi, int points, int weight) {
    return ::CreateFontA(-::MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         "Arial");
}

void Text(HDC dc, int x, int y, const CString &text, UINT align = TA_LEFT) {
    ::SetTextAlign(dc, align | TA_BASELINE);
    ::TextOutA(dc, x, y, text, text.GetLength());
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    ::MoveToEx(dc, x0, y0, nullptr);
    ::LineTo(dc, x1, y1);
}

// One row of the table: its texts in their cells, on the baseline y.
void TableRow(HDC dc, const TableColumns &columns, const int *edges, int pad, int y, const CString *cells) {
    for (int c = 0; c < columns.count; ++c) {
        if (cells[c].IsEmpty()) continue;
        if (columns.right[c])
            Text(dc, edges[c + 1] - pad, y, cells[c], TA_RIGHT);
        else
            Text(dc, edges[c] + pad, y, cells[c]);
    }
}

}  // namespace

void DrawPrintedSheet(HDC dc, const PrintedSheet &sheet, int width, int height, int dpi) {
    const int margin = dpi / 2;
    const int left = margin, right = width - margin;
    HFONT title = MakeFont(dpi, 16, FW_BOLD), bold = MakeFont(dpi, 10, FW_BOLD), body = MakeFont(dpi, 10, FW_NORMAL);
    HGDIOBJ oldFont = ::SelectObject(dc, title);
    HPEN pen = ::CreatePen(PS_SOLID, std::max(1, dpi / 150), RGB(0, 0, 0));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::SetBkMode(dc, TRANSPARENT);
    const int line = ::MulDiv(10, dpi, 72) * 3 / 2;  // a line of 10-point text with its leading

    int y = margin + line;
    Text(dc, left, y, "Weighing sheet");
    y += line * 2;
    ::SelectObject(dc, bold);
    const int valueLeft = left + dpi * 5 / 4;
    for (const auto &field : sheet.fields) {
        ::SelectObject(dc, bold);
        Text(dc, left, y, field.first + ":");
        ::SelectObject(dc, body);
        Text(dc, valueLeft, y, field.second);
        y += line;
    }
    y += line;

    const TableColumns &columns = sheet.volumes ? VOLUME_COLUMNS : MASS_COLUMNS;
    const int count = columns.count;
    int edges[10] = {left};
    for (int c = 0; c < count; ++c) edges[c + 1] = edges[c] + ::MulDiv(right - left, columns.widths[c], 1000);
    const int pad = dpi / 20;
    // Rows take a line and a half, less when that many would not fit on the page.
    const int rows = int(sheet.rows.size()) + 2;
    const int space = height - margin - y - line * (int(sheet.bottles.size() + sheet.notes.size()) + 2);
    const int rowHeight = std::max(line, std::min(line * 3 / 2, rows > 0 ? space / rows : line));
    const int top = y;

    ::SelectObject(dc, bold);
    CString headings[9];
    for (int c = 0; c < count; ++c) headings[c] = columns.headings[c];
    TableRow(dc, columns, edges, pad, y + rowHeight * 2 / 3, headings);
    y += rowHeight;
    ::SelectObject(dc, body);
    const int box = ::MulDiv(10, dpi, 72);
    for (const PrintedRow &row : sheet.rows) {
        Line(dc, left, y, right, y);
        CString cells[9] = {row.number, row.formula, row.molarMass, row.mass, row.warned ? PRINT_WARNING_MARK : ""};
        if (sheet.volumes) cells[5] = row.volume, cells[6] = row.volumeWarned ? PRINT_WARNING_MARK : "";
        TableRow(dc, columns, edges, pad, y + rowHeight * 2 / 3, cells);
        // The tick box, centred in its cell.
        int bx = (edges[count - 1] + edges[count] - box) / 2, by = y + (rowHeight - box) / 2;
        ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, bx, by, bx + box, by + box);
        y += rowHeight;
    }
    Line(dc, left, y, right, y);
    ::SelectObject(dc, bold);
    const CString totals[9] = {"", "Total", "", sheet.total};
    TableRow(dc, columns, edges, pad, y + rowHeight * 2 / 3, totals);
    y += rowHeight;
    // The frame: outer edges, the line under the headings, the column edges.
    ::Rectangle(dc, left, top, right, y);
    Line(dc, left, top + rowHeight, right, top + rowHeight);
    for (int c = 1; c < count; ++c) Line(dc, edges[c], top, edges[c], y);

    ::SelectObject(dc, body);
    y += line;
    for (const CString &bottle : sheet.bottles) {
        y += line;
        Text(dc, left, y, bottle);
    }
    for (const CString &note : sheet.notes) {
        y += line;
        Text(dc, left, y, note);
    }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::DeleteObject(title);
    ::DeleteObject(bold);
    ::DeleteObject(body);
}

void DrawTextPage(HDC dc, const char *heading, const std::string &text, int width, int height, int dpi) {
    const int margin = dpi / 2;
    std::vector<std::string> lines;
    size_t longest = 1;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    HFONT title = MakeFont(dpi, 16, FW_BOLD);
    HGDIOBJ oldFont = ::SelectObject(dc, title);
    ::SetBkMode(dc, TRANSPARENT);
    int y = margin + ::MulDiv(10, dpi, 72) * 3 / 2;
    Text(dc, margin, y, heading);
    y += ::MulDiv(10, dpi, 72) * 3;
    // 10 points, or the size at which the longest line fills the width (a
    // fixed-pitch cell is about 0.6 of its height) and every line the height.
    const int wide = (width - 2 * margin) * 10 / (6 * int(longest));
    const int tall = lines.empty() ? 0 : (height - margin - y) * 2 / (3 * int(lines.size()));
    const int pixels = std::max(1, std::min({::MulDiv(10, dpi, 72), wide, tall}));
    HFONT body = ::CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    ::SelectObject(dc, body);
    for (const std::string &line : lines) {
        y += pixels * 3 / 2;
        Text(dc, margin, y, CString(line.c_str()));
    }
    ::SelectObject(dc, oldFont);
    ::DeleteObject(title);
    ::DeleteObject(body);
}

PageGeometry PageOfDevice(HDC printer) {
    PageGeometry page;
    page.paperWidth = ::GetDeviceCaps(printer, PHYSICALWIDTH);
    page.paperHeight = ::GetDeviceCaps(printer, PHYSICALHEIGHT);
    page.offsetX = ::GetDeviceCaps(printer, PHYSICALOFFSETX);
    page.offsetY = ::GetDeviceCaps(printer, PHYSICALOFFSETY);
    page.printableWidth = ::GetDeviceCaps(printer, HORZRES);
    page.printableHeight = ::GetDeviceCaps(printer, VERTRES);
    page.dpi = ::GetDeviceCaps(printer, LOGPIXELSY);
    // A device that reports no paper (not a printer): its printable area is the paper.
    if (page.paperWidth <= 0 || page.paperHeight <= 0) {
        page.paperWidth = page.printableWidth, page.paperHeight = page.printableHeight;
        page.offsetX = page.offsetY = 0;
    }
    return page;
}

PageGeometry DefaultPage() {
    PageGeometry page;
    page.dpi = 600;
    page.paperWidth = page.printableWidth = ::MulDiv(2100, 600, 254);  // 210 x 297 mm
    page.paperHeight = page.printableHeight = ::MulDiv(2970, 600, 254);
    return page;
}

void DrawPageInto(HDC dc, const PrintedSheet &sheet, const PageGeometry &page, const RECT &target) {
    ::FillRect(dc, &target, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, page.paperWidth, page.paperHeight, nullptr);
    ::SetWindowOrgEx(dc, -page.offsetX, -page.offsetY, nullptr);  // the printable area's corner at 0, 0
    ::SetViewportExtEx(dc, target.right - target.left, target.bottom - target.top, nullptr);
    ::SetViewportOrgEx(dc, target.left, target.top, nullptr);
    ::SetTextColor(dc, RGB(0, 0, 0));
    DrawPrintedSheet(dc, sheet, page.printableWidth, page.printableHeight, page.dpi);
    ::RestoreDC(dc, saved);
}

std::string PagePng(const PrintedSheet &sheet, const PageGeometry &page, int dpi) {
    if (page.dpi <= 0) return std::string();
    const int width = ::MulDiv(page.paperWidth, dpi, page.dpi), height = ::MulDiv(page.paperHeight, dpi, page.dpi);
    if (width <= 0 || height <= 0) return std::string();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC memory = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = memory != nullptr ? ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    std::string png;
    if (bitmap != nullptr && bits != nullptr) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        const RECT whole = {0, 0, width, height};
        DrawPageInto(memory, sheet, page, whole);
        ::GdiFlush();
        const std::ptrdiff_t stride = (std::ptrdiff_t(width) * 3 + 3) / 4 * 4;  // rows of a DIB end on 4 bytes
        png = EncodePng(width, height, static_cast<const unsigned char *>(bits), stride, PixelOrder::Bgr, dpi);
        ::SelectObject(memory, old);
    }
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    if (memory != nullptr) ::DeleteDC(memory);
    return png;
}

CSheetPrinter::~CSheetPrinter() {
    if (devMode != nullptr) ::GlobalFree(devMode);
    if (devNames != nullptr) ::GlobalFree(devNames);
}

PrintOutcome CSheetPrinter::Print(CWnd *owner, const PrintedSheet &sheet, const char *title) {
    return Print(owner, [&sheet](HDC dc, int width, int height, int dpi) { DrawPrintedSheet(dc, sheet, width, height, dpi); },
                 title);
}

PrintOutcome CSheetPrinter::Print(CWnd *owner, const PageDrawing &page, const char *title) {
    CPrintDialog dialog(PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE, owner);
    dialog.m_pd.hDevMode = devMode;
    dialog.m_pd.hDevNames = devNames;
    bool chosen = dialog.DoModal() == IDOK;
    devMode = dialog.m_pd.hDevMode;
    devNames = dialog.m_pd.hDevNames;
    if (!chosen) {
        DWORD error = dialog.GetExtendedError();
        if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) return PrintOutcome::NoPrinter;
        return error == 0 ? PrintOutcome::Cancelled : PrintOutcome::Failed;
    }
    HDC dc = dialog.m_pd.hDC;

    CString output;
    if (dialog.m_pd.Flags & PD_PRINTTOFILE) {
        CFileDialog file(FALSE, "prn", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                         "Printer Files (*.prn)|*.prn|All Files (*.*)|*.*||", owner);
        file.m_ofn.lpstrTitle = "Print to File";
        if (file.DoModal() != IDOK) {
            ::DeleteDC(dc);
            return PrintOutcome::Cancelled;
        }
        output = file.GetPathName();
    }
    DOCINFOA document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = title;
    document.lpszOutput = output.IsEmpty() ? nullptr : output.GetString();
    bool printed = false;
    if (::StartDocA(dc, &document) > 0) {
        if (::StartPage(dc) > 0) {
            page(dc, ::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES), ::GetDeviceCaps(dc, LOGPIXELSY));
            printed = ::EndPage(dc) > 0;
        }
        if (printed)
            printed = ::EndDoc(dc) > 0;
        else
            ::AbortDoc(dc);
    }
    ::DeleteDC(dc);
    return printed ? PrintOutcome::Printed : PrintOutcome::Failed;
}

bool CSheetPrinter::Page(PageGeometry *page) const {
    HDC info = nullptr;
    if (devNames != nullptr) {
        const DEVNAMES *names = static_cast<const DEVNAMES *>(::GlobalLock(devNames));
        const DEVMODEA *mode = devMode != nullptr ? static_cast<const DEVMODEA *>(::GlobalLock(devMode)) : nullptr;
        if (names != nullptr) {
            const char *base = reinterpret_cast<const char *>(names);
            info = ::CreateICA(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
        }
        if (mode != nullptr) ::GlobalUnlock(devMode);
        if (names != nullptr) ::GlobalUnlock(devNames);
    }
    if (info == nullptr) {
        // The default printer, asked without showing the dialog; its settings are not kept.
        CPrintDialog dialog(PD_RETURNDEFAULT | PD_RETURNIC, nullptr);
        if (dialog.DoModal() == IDOK) info = dialog.m_pd.hDC;
        if (dialog.m_pd.hDevMode != nullptr) ::GlobalFree(dialog.m_pd.hDevMode);
        if (dialog.m_pd.hDevNames != nullptr) ::GlobalFree(dialog.m_pd.hDevNames);
    }
    if (info == nullptr) return false;
    *page = PageOfDevice(info);
    ::DeleteDC(info);
    return page->printableWidth > 0 && page->printableHeight > 0 && page->dpi > 0;
}

bool PrintWithMessages(CSheetPrinter &printer, CWnd *owner, const PrintedSheet &sheet, const char *title) {
    return SayPrinted(owner, printer.Print(owner, sheet, title));
}

bool SayPrinted(CWnd *owner, PrintOutcome printedOutcome) {
    if (printedOutcome == PrintOutcome::NoPrinter)
        owner->MessageBox("No printer is installed.\nAdd one in the system's printer settings, or export the sheet as CSV.",
                          "Quillon", MB_OK | MB_ICONEXCLAMATION);
    else if (printedOutcome == PrintOutcome::Failed)
        owner->MessageBox("The sheet could not be printed.", "Quillon", MB_OK | MB_ICONHAND);
    return printedOutcome == PrintOutcome::Printed;
}
