// What the list shows: number, formula and ratio cells checked in pixels
// against references drawn here with the same fonts, the grid, and a
// screenshot of the list hosted under its headers with a ratio cell open.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "ledra_testbed.h"

using qwintest::Bitmap32;
using ledratest::LedraTest;

namespace {

const COLORREF BACK = RGB(0xFE, 0xFB, 0xD1);  // the main dialog's 0x00D1FBFE
const COLORREF BLACK = RGB(0, 0, 0);
const COLORREF RED = RGB(255, 0, 0);

class LedraViewTest : public LedraTest {
protected:
    // The band of screen row i without its grid line, within columns [x0, x1).
    RECT Band(int i, int x0, int x1) const { return {x0, i * rowHeight + 1, x1, (i + 1) * rowHeight}; }
    // Whether the band shows exactly text drawn with the list's font at (x, band top + 6).
    bool ShowsText(const Bitmap32 &image, const RECT &band, int x, const char *text) const {
        Bitmap32 expected = qwintest::RenderToBitmap(band.right - band.left, band.bottom - band.top, [&](CDC &dc) {
            dc.SelectObject(host.init.font);
            dc.SetBkColor(BACK);
            dc.TextOut(x - band.left, 6, text, int(strlen(text)));
        }, BACK);
        for (int y = band.top; y < band.bottom; ++y)
            for (int xx = band.left; xx < band.right; ++xx)
                if (image.At(xx, y) != expected.At(xx - band.left, y - band.top)) return false;
        return true;
    }
    static int Count(const Bitmap32 &image, const RECT &r, COLORREF color, bool equal = true) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += (image.At(x, y) == color) == equal;
        return n;
    }
    // The highest row with ink (not background) within columns [x0, x1) of a band.
    static int HighestInk(const Bitmap32 &image, const RECT &band, int x0, int x1) {
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = x0; x < x1; ++x)
                if (image.At(x, y) != BACK) return y;
        return -1;
    }
};

// Numbers with and without the Fixed mark, Fixed formulas in red, "?" for an
// undetermined ratio, nothing but the number for an unused row, subscripts,
// the grid, and the numbers of scrolled rows.
TEST_F(LedraViewTest, RowsShowTheirNumbersFormulasAndRatios) {
    SetRow(2, "NaCl", 2.0, 1);
    SetRow(3, "NaCl", 2.0, 0);
    SetRow(4, "Fe2O3", UNDETERMINED_RATIO, 0);
    SetRow(5, "", 5.0, 1);
    ::InvalidateRect(list, nullptr, TRUE);
    Bitmap32 image = qwintest::CaptureClient(list);
    const int right = image.Width();
    struct Row { int i; const char *number, *ratio; } shown[] = {
        {2, "+ 3", "2"}, {3, "  4", "2"}, {4, "  5", "?"}, {5, "+ 6", nullptr},
    };
    for (const Row &r : shown) {
        SCOPED_TRACE(r.number);
        EXPECT_TRUE(ShowsText(image, Band(r.i, 0, formulaLeft), 10, r.number));
        if (r.ratio) {
            EXPECT_TRUE(ShowsText(image, Band(r.i, ratioLeft + 1, right), ratioLeft + 2, r.ratio));
        }
    }
    EXPECT_FALSE(ShowsText(image, Band(3, 0, formulaLeft), 10, "+ 4")) << "the reference tells the numbers apart";
    EXPECT_GT(Count(image, Band(2, formulaLeft + 1, ratioLeft), RED), 20) << "a Fixed formula in red";
    EXPECT_EQ(0, Count(image, Band(3, formulaLeft + 1, ratioLeft), RED));
    EXPECT_GT(Count(image, Band(3, formulaLeft + 1, ratioLeft), BLACK), 20);
    EXPECT_EQ(0, Count(image, Band(5, formulaLeft + 1, ratioLeft), BACK, false)) << "an unused row shows no formula";
    EXPECT_EQ(0, Count(image, Band(5, ratioLeft + 1, right), BACK, false)) << "nor a ratio";

    // The count of Fe2O3 is drawn smaller and lower than its letters (the
    // formula editor's subscripts; its foot may reach the grid line below).
    VexilInit at = host.vexilInit;
    at.leftMargin = formulaLeft + 3;
    vexiltest::Layout layout = vexiltest::Measure("Fe2O3", at);
    RECT band = Band(4, 0, right);
    int letter = HighestInk(image, band, layout.edges[0] + 1, layout.edges[1] - 1);
    int digit = HighestInk(image, band, layout.edges[2] + 1, layout.edges[3] - 1);
    ASSERT_GE(letter, 0);
    ASSERT_GE(digit, 0);
    EXPECT_GE(digit - letter, 5);

    // Grid: a line under every visible row but the last, and the two dividers,
    // 3 widest characters from the left and 8 from the right (written back to
    // the record in window coordinates, past the border).
    TEXTMETRICA metrics;
    qwintest::RenderToBitmap(1, 1, [&](CDC &dc) {
        dc.SelectObject(host.init.font);
        ::GetTextMetricsA(dc, &metrics);
    });
    EXPECT_EQ(3 * metrics.tmMaxCharWidth, formulaLeft);
    EXPECT_EQ(right - 8 * metrics.tmMaxCharWidth, ratioLeft);
    EXPECT_GT(host.init.formulaLeft, formulaLeft);
    for (int i = 1; i < visibleRows; ++i)
        for (int x : {0, 4, right - 1}) EXPECT_EQ(BLACK, image.At(x, i * rowHeight)) << "row line " << i;
    for (int y = 0; y < image.Height(); ++y) {
        ASSERT_EQ(BLACK, image.At(formulaLeft, y)) << y;
        ASSERT_EQ(BLACK, image.At(ratioLeft, y)) << y;
    }
    EXPECT_EQ(image.Height(), visibleRows * rowHeight);

    // Scrolled, the rows are numbered from the top row on.
    Send(WM_VSCROLL, SB_BOTTOM);
    image = qwintest::CaptureClient(list);
    char top[8];
    snprintf(top, sizeof top, "%3d", 31 - visibleRows);
    EXPECT_TRUE(ShowsText(image, Band(0, 0, formulaLeft), 10, top));
    EXPECT_TRUE(ShowsText(image, Band(visibleRows - 1, 0, formulaLeft), 10, " 30"));
}

// The screenshot: a Fixed row, an undetermined one, a long formula, an open ratio cell.
TEST_F(LedraViewTest, Screenshot) {
    // The headers stand over the columns, as the main dialog places them.
    RECT window;
    ::GetWindowRect(list, &window);
    POINT edge = {window.left, window.top};
    ::ScreenToClient(host.dialog, &edge);
    for (std::pair<int, int> head : {std::make_pair(IDC_HEAD_FORMULA, host.init.formulaLeft + 3),
                                     std::make_pair(IDC_HEAD_RATIO, host.init.ratioLeft + 3)}) {
        HWND label = ::GetDlgItem(host.dialog, head.first);
        RECT r;
        ::GetWindowRect(label, &r);
        POINT p = {r.left, r.top};
        ::ScreenToClient(host.dialog, &p);
        ::MoveWindow(label, edge.x + head.second, p.y, r.right - r.left, r.bottom - r.top, TRUE);
    }
    SetRow(0, "YBa2Cu3O7", 1.0, 1);
    SetRow(1, "BaCO3", 2.0, 0);
    SetRow(2, "CuO", UNDETERMINED_RATIO, 0);
    SetRow(3, "La0.6Sr0.4Co0.2Fe0.8O3La0.6Sr0.4Co0.2Fe0.8O3", 0.25, 0);
    ::InvalidateRect(list, nullptr, TRUE);  // the row messages do not repaint
    Click(1, 2);
    Type("2.5");
    Bitmap32 shot = qwintest::CaptureClient(host.dialog);
    EXPECT_TRUE(shot.SavePng(qwintest::ArtifactPath("ledra-list.png")));
    EXPECT_GT(Count(shot, {0, 0, shot.Width(), shot.Height()}, RED), 20);
}

}  // namespace
