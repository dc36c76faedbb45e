// What the list shows: number, formula and ratio cells checked in pixels against references drawn here with the same
// fonts, and the grid.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/testbed/controls.h"

using qwintest::Bitmap32;

namespace {

const COLORREF BACK = LIST_BACK_COLOR;  // the main dialog's record's
const COLORREF BLACK = RGB(0, 0, 0);
const COLORREF RED = RGB(255, 0, 0);

// Whether the band of image shows exactly the picture expected.
bool Shows(const Bitmap32 &image, const RECT &band, const Bitmap32 &expected) {
    for (int y = band.top; y < band.bottom; ++y)
        for (int x = band.left; x < band.right; ++x)
            if (image.At(x, y) != expected.At(x - band.left, y - band.top)) return false;
    return true;
}

class LedraView : public testbed::LedraTest {
protected:
    // The band of screen row i without its grid line, within columns [x0, x1).
    RECT Band(int i, int x0, int x1) const { return {x0, i * rowHeight + 1, x1, (i + 1) * rowHeight}; }
    // Whether the band shows exactly text drawn with the list's font at x, its cell centred in the band.
    bool ShowsText(const Bitmap32 &image, const RECT &band, int x, const char *text) const {
        return Shows(image, band, qwintest::RenderToBitmap(band.right - band.left, band.bottom - band.top, [&](CDC &dc) {
            dc.SelectObject(host.init.font);
            dc.SetBkColor(BACK);
            TEXTMETRICA metrics = {};
            ::GetTextMetricsA(dc, &metrics);
            dc.TextOut(x - band.left, (band.bottom - band.top - int(metrics.tmHeight)) / 2, text, int(strlen(text)));
        }, BACK));
    }
};

// Numbers with and without the Fixed mark, formulas as far into their cells as the formula editor's margin, as it
// draws them (Fixed ones in red), "?" for an undetermined ratio, nothing but the number for an unused row, and the
// grid.
TEST_F(LedraView, RowsShowTheirNumbersFormulasAndRatios) {
    SetRow(2, "NaCl", 2.0, 1);
    SetRow(3, "NaCl", 2.0, 0);
    SetRow(4, "Fe2O3", UNDETERMINED_RATIO, 0);
    SetRow(5, "", 5.0, 1);
    ::InvalidateRect(list, nullptr, TRUE);
    Bitmap32 image = qwintest::CaptureClient(list);
    const int right = image.Width();
    struct Row { int i; const char *number, *formula; COLORREF ink; const char *ratio; } shown[] = {
        {2, "+ 3", "NaCl", RED, "2"}, {3, "  4", "NaCl", BLACK, "2"},
        {4, "  5", "Fe2O3", BLACK, "?"}, {5, "+ 6", "", BLACK, ""},
    };
    VexilInit at = host.vexilInit;  // the band starts at formulaLeft + 1, as the editor does
    for (const Row &r : shown) {
        SCOPED_TRACE(r.number);
        EXPECT_TRUE(ShowsText(image, Band(r.i, 0, formulaLeft), 10, r.number));
        RECT cell = Band(r.i, formulaLeft + 1, ratioLeft);
        Bitmap32 size(cell.right - cell.left, cell.bottom - cell.top);
        EXPECT_TRUE(Shows(image, cell, testbed::Reference(size, r.formula, at, 0, 0, r.ink, BACK)));
        EXPECT_TRUE(ShowsText(image, Band(r.i, ratioLeft + 1, right), ratioLeft + 4, r.ratio));
    }

    // Grid: a line under every visible row but the last, and the two dividers, 7 digits from the left and 19 from the
    // right (written back to the record in window coordinates, past the border). Digits keep their width in every
    // version of a metric-compatible face, so the formula column keeps its width at 96 DPI whichever is installed.
    SIZE digits = {};
    qwintest::RenderToBitmap(1, 1, [&](CDC &dc) {
        dc.SelectObject(host.init.font);
        ::GetTextExtentPoint32A(dc, "0000", 4, &digits);
    });
    const int digit = (digits.cx + 2) / 4;
    EXPECT_EQ(7 * digit, formulaLeft);
    EXPECT_EQ(right - 19 * digit, ratioLeft);
    if (QuillonDpiOf(list) == 96) {
        EXPECT_GE(ratioLeft - formulaLeft, 255) << "the formula column";
    }
    for (int i = 1; i < visibleRows; ++i)
        for (int x : {0, 4, right - 1}) EXPECT_EQ(BLACK, image.At(x, i * rowHeight)) << "row line " << i;
    for (int y = 0; y < image.Height(); ++y)
        ASSERT_TRUE(image.At(formulaLeft, y) == BLACK && image.At(ratioLeft, y) == BLACK) << "dividers at " << y;
    EXPECT_EQ(image.Height(), visibleRows * rowHeight);
}

// The wheel scrolls as the scroll bar does, also over an open cell (which it commits first; over the formula editor
// and a refused commit: LedraTest.FormulaCommit).
TEST_F(LedraView, WheelScrollsTheList) {
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int step = int(lines), bottom = 30 - visibleRows;
    ASSERT_LT(step, visibleRows);
    struct Case { int from; std::vector<int> deltas; int top; } cases[] = {
        {0, {-WHEEL_DELTA}, step}, {0, {-2 * WHEEL_DELTA}, 2 * step}, {0, {WHEEL_DELTA}, 0},
        {0, {-WHEEL_DELTA / 2}, 0}, {0, {-WHEEL_DELTA / 2, -WHEEL_DELTA / 2}, step},
        {bottom, {-WHEEL_DELTA}, bottom}, {bottom, {WHEEL_DELTA}, bottom - step}, {2, {WHEEL_DELTA}, 0},
    };
    for (const Case &c : cases) {
        Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c.from));
        for (int delta : c.deltas) Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
        EXPECT_EQ(c.top, Top()) << "from " << c.from << ", " << c.deltas.size() << " turns of " << c.deltas[0];
    }
    Send(WM_VSCROLL, SB_TOP);
    Click(0, 2);
    Type("4");
    ::SendMessageA(RatioEditor(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_TRUE(Top() == step && OpenCell() == "none" && Ratio(0) == 4.0) << "scrolled over the cell, committed";
}

// Made higher and wider, the list shows more whole rows with the scroll range to match (scrolled, numbered from the
// top row on), and the formula column takes the width; made lower, an open cell stays in view; a closed new row shows
// its ratio at once.
TEST_F(LedraView, ResizingShowsMoreRowsAndKeepsTheOpenCell) {
    ::SetWindowPos(host.dialog, nullptr, 0, 0, 800, 1000, SWP_NOZORDER);  // room for 30 rows on screen
    RECT window;
    ::GetWindowRect(list, &window);
    POINT corner = {window.left, window.top};
    ::ScreenToClient(host.dialog, &corner);
    const int frame = (window.bottom - window.top) - visibleRows * rowHeight;
    const int oldRatioLeft = host.init.ratioLeft, width = window.right - window.left;
    struct Case { int rows, extraHeight, extraWidth, range; } cases[] = {
        {20, 0, 60, 10}, {12, rowHeight / 2, 0, 18}, {30, 0, 0, 0}, {40, 0, 0, 0}, {3, 0, -20, 27},
    };
    for (const Case &c : cases) {
        std::string name = std::to_string(c.rows) + " rows";
        ::MoveWindow(list, corner.x, corner.y, width + c.extraWidth, c.rows * rowHeight + c.extraHeight + frame, TRUE);
        int lo = -1, hi = -1;
        ::GetScrollRange(list, SB_VERT, &lo, &hi);
        EXPECT_EQ(c.range, hi) << name;
        EXPECT_EQ(oldRatioLeft + c.extraWidth, host.init.ratioLeft) << name;
        Send(WM_VSCROLL, SB_BOTTOM);  // the rows numbered from the top row on
        Bitmap32 image = qwintest::CaptureClient(list);
        char top[8];
        snprintf(top, sizeof top, "%3d", c.range + 1);
        EXPECT_TRUE(ShowsText(image, Band(0, 0, formulaLeft), 10, top)) << name;
        EXPECT_TRUE(ShowsText(image, Band(std::min(c.rows, 30) - 1, 0, formulaLeft), 10, " 30")) << name;
        EXPECT_EQ(BLACK, image.At(ratioLeft + c.extraWidth, 2)) << name << ": the ratio divider moved";
    }
    // Row 10 open on the tenth screen row, then the list made 3 rows high.
    ::MoveWindow(list, corner.x, corner.y, width, 12 * rowHeight + frame, TRUE);
    Send(WM_VSCROLL, SB_TOP);
    Click(9, 1);
    Type("NaCl");
    ::MoveWindow(list, corner.x, corner.y, width, 3 * rowHeight + frame, TRUE);
    EXPECT_EQ("10:F", OpenCell());
    ::SetFocus(host.product);
    qwintest::PumpMessages();
    EXPECT_EQ("NaCl", Formula(9));
    Bitmap32 image = qwintest::CaptureClient(list);
    EXPECT_TRUE(ShowsText(image, Band(9 - Top(), ratioLeft + 1, image.Width()), ratioLeft + 4, "1"))
        << "a new row's ratio once the row is left";
}

// A formula longer than its cell opens whole in its editor, is kept whole when left, and shows the cut mark at the
// column edge (a ratio longer than its cell: LedraTest.RatioCommit). A formula the editor cannot hold opens empty and
// is not overwritten on leaving.
TEST_F(LedraView, LongFormulaIsKeptWholeAndMarkedWhereCut) {
    std::string formula;
    while (formula.size() < 60) formula += "La0.6Sr0.4CoO3";
    formula.resize(60);
    SetRow(0, formula.c_str(), 1.0, 0);
    SetRow(2, "Na+", 1.0, 0);
    Click(2, 1);
    EXPECT_EQ("", qwintest::WindowText(FormulaEditor()));
    Click(0, 1);
    EXPECT_TRUE(Formula(2) == "Na+" && qwintest::WindowText(FormulaEditor()) == formula);
    Key(VK_HOME);
    Key(VK_DELETE);
    Type(formula);
    ::SetFocus(host.product);
    qwintest::PumpMessages();
    EXPECT_EQ(formula, Formula(0));
    Bitmap32 image = qwintest::CaptureClient(list);
    int mark = 0;  // black pixels in the formula cell's last 5 columns
    for (int y = 1; y < rowHeight; ++y)
        for (int x = ratioLeft - 5; x < ratioLeft; ++x) mark += image.At(x, y) == BLACK;
    EXPECT_GT(mark, 4) << "no mark at the cut";
    EXPECT_TRUE(ShowsText(image, Band(1, formulaLeft + 1, ratioLeft), 0, "")) << "the next row stays empty";
}

// A record of its own: rows lower than the formula font with its subscripts (as a smaller dialog font makes them) on
// another ground. The counts stay inside their rows, the letters are not cut at the top, every grid line under a
// formula stays whole, and the rows stand on the record's backColor.
TEST(LedraOwnRecord, LowRowsOnTheRecordsColour) {
    testbed::g_checks = testbed::g_closing = 0;
    testbed::LedraHost host;
    host.FillRecord();
    const COLORREF back = RGB(0xE0, 0xF0, 0xFF);
    const int rowHeight = testbed::Measure("Fe2O3", host.vexilInit).caretBottom - 1;
    host.init.rowHeight = rowHeight;
    host.init.backColor = back;
    ASSERT_EQ(0, host.Initialise());
    // The j's ink leaves its cell, so the formula editor draws each run on its ground: the subscripts' grounds reach
    // below the low rows.
    for (int row = 0; row < 4; ++row) host.SetRow(row, "Fj2O3", 1.0, 0);
    ::InvalidateRect(host.list, nullptr, TRUE);
    Bitmap32 image = qwintest::CaptureClient(host.list);
    const int formulaLeft = host.ClientX(host.init.formulaLeft), ratioLeft = host.ClientX(host.init.ratioLeft);
    for (int row = 1; row <= 3; ++row)
        for (int x = formulaLeft; x < ratioLeft; ++x)
            ASSERT_EQ(BLACK, image.At(x, row * rowHeight)) << "line under row " << row << " at " << x;
    EXPECT_GT(testbed::InkRows(image, formulaLeft + 2, ratioLeft - 1, back, 0, rowHeight).first, 1) << "the letters are cut at the top of the row";
    EXPECT_GT(image.CountColor(back), 0);
    EXPECT_EQ(0, image.CountColor(BACK)) << "pixels on the main dialog's colour, not the record's";
    testbed::g_closing = 1;
}

}  // namespace

// LDM_SETMETRICS, as after a move to a monitor at 150 %: the rows follow the new row height, the formulas are drawn
// with the new fonts, the columns move and are written into the new record, and the rows keep what they hold. A
// record the list cannot use changes nothing.
TEST_F(LedraView, NewMetricsLayTheRowsOutAgain) {
    SetRow(0, "Fe2O3", 2.5, 1);
    SetRow(1, "NaCl", UNDETERMINED_RATIO, 0);
    CFont letter, digit, rows;
    CreateFormulaFonts(letter, digit, FORMULA_FONT_FACE, 144);
    LOGFONTA rowsFont = {};
    ::GetObjectA(host.init.font, sizeof rowsFont, &rowsFont);
    rowsFont.lfHeight = rowsFont.lfHeight * 3 / 2;
    rows.CreateFontIndirect(&rowsFont);
    VexilInit large = FormulaFieldInit(letter, digit, 144);
    LedraInit record = host.init;
    record.vexilInit = &large;
    record.font = rows;
    record.rowHeight = rowHeight * 3 / 2;

    LedraInit noFont = record, noVexil = record;
    noFont.font = nullptr;
    noVexil.vexilInit = nullptr;
    for (LedraInit *refused : {static_cast<LedraInit *>(nullptr), &noFont, &noVexil}) {
        EXPECT_EQ(1, Send(LDM_SETMETRICS, 0, reinterpret_cast<LPARAM>(refused)));
        EXPECT_EQ(ratioLeft, host.ClientX(host.init.ratioLeft));
    }
    Bitmap32 before = qwintest::CaptureClient(list);

    ASSERT_EQ(0, Send(LDM_SETMETRICS, 0, reinterpret_cast<LPARAM>(&record)));
    qwintest::PumpMessages();
    Bitmap32 image = qwintest::CaptureClient(list);
    const int tall = record.rowHeight, left = host.ClientX(record.formulaLeft), right = host.ClientX(record.ratioLeft);
    EXPECT_GT(left, formulaLeft) << "the number column in the larger font's digits";
    EXPECT_LT(right, ratioLeft);
    EXPECT_EQ(BLACK, image.At(2, tall)) << "a row line under the taller first row";
    EXPECT_NE(BLACK, image.At(2, rowHeight)) << "the old row line stays";
    EXPECT_EQ(BLACK, before.At(2, rowHeight));
    RECT cell = {left + 1, 1, right, tall};
    Bitmap32 size(cell.right - cell.left, cell.bottom - cell.top);
    EXPECT_TRUE(Shows(image, cell, testbed::Reference(size, "Fe2O3", large, 0, 0, RED, BACK)))
        << "the formula in the new fonts";
    EXPECT_TRUE(Formula(0) == "Fe2O3" && Formula(1) == "NaCl" && Ratio(0) == 2.5 && Ratio(1) == UNDETERMINED_RATIO &&
                Fixed(0) == 1) << "the rows keep what they hold";
}
