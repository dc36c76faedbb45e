#include "printout.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/printsheet.h"
#include "framework/afxdlgs.h"

namespace {

// The table's columns as parts of the page's width (in thousandths), and
// whether their text is right-aligned.
const int COLUMN_WIDTHS[7] = {45, 250, 215, 150, 40, 190, 110};
const bool COLUMN_RIGHT[7] = {true, false, true, true, false, false, false};

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
void TableRow(HDC dc, const int *edges, int pad, int y, const CString *cells) {
    for (int c = 0; c < 7; ++c) {
        if (cells[c].IsEmpty()) continue;
        if (COLUMN_RIGHT[c])
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

    int edges[8] = {left};
    for (int c = 0; c < 7; ++c) edges[c + 1] = edges[c] + ::MulDiv(right - left, COLUMN_WIDTHS[c], 1000);
    const int pad = dpi / 20;
    // Rows take a line and a half, less when that many would not fit on the page.
    const int rows = int(sheet.rows.size()) + 2;
    const int space = height - margin - y - line * (int(sheet.notes.size()) + 2);
    const int rowHeight = std::max(line, std::min(line * 3 / 2, rows > 0 ? space / rows : line));
    const int top = y;

    ::SelectObject(dc, bold);
    CString headings[7];
    for (int c = 0; c < 7; ++c) headings[c] = PRINT_COLUMNS[c];
    TableRow(dc, edges, pad, y + rowHeight * 2 / 3, headings);
    y += rowHeight;
    ::SelectObject(dc, body);
    const int box = ::MulDiv(10, dpi, 72);
    for (const PrintedRow &row : sheet.rows) {
        Line(dc, left, y, right, y);
        const CString cells[7] = {row.number, row.formula, row.molarMass, row.mass,
                                  row.warned ? PRINT_WARNING_MARK : "", "", ""};
        TableRow(dc, edges, pad, y + rowHeight * 2 / 3, cells);
        // The tick box, centred in its cell.
        int bx = (edges[6] + edges[7] - box) / 2, by = y + (rowHeight - box) / 2;
        ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, bx, by, bx + box, by + box);
        y += rowHeight;
    }
    Line(dc, left, y, right, y);
    ::SelectObject(dc, bold);
    const CString totals[7] = {"", "Total", "", sheet.total, "", "", ""};
    TableRow(dc, edges, pad, y + rowHeight * 2 / 3, totals);
    y += rowHeight;
    // The frame: outer edges, the line under the headings, the column edges.
    ::Rectangle(dc, left, top, right, y);
    Line(dc, left, top + rowHeight, right, top + rowHeight);
    for (int c = 1; c < 7; ++c) Line(dc, edges[c], top, edges[c], y);

    ::SelectObject(dc, body);
    y += line;
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
