// GDI wrappers: point fonts, ownership of handles, memory and paint DCs.
#include <gtest/gtest.h>

#include "afxwin.h"
#include "fwtest.h"
#include "qwintest.h"

namespace {

LONG HeightOf(const CFont &font) {
    LOGFONTA logFont = {};
    ::GetObjectA(font.m_hObject, sizeof logFont, &logFont);
    return logFont.lfHeight;
}

TEST(GdiTest, PointFontsTruncateTenthsOfAPointToPixelsAt96Dpi) {
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (dpi != 96) GTEST_SKIP() << "the table holds heights for 96 dpi, the display has " << dpi;
    struct Case {
        int tenths;
        LONG height;
    } cases[] = {{140, -18}, {90, -12}, {100, -13}, {95, -12}, {80, -10}, {0, 0}};
    for (const Case &c : cases) {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(c.tenths, "Times New Roman")) << c.tenths;
        EXPECT_EQ(c.height, HeightOf(font)) << c.tenths;
        LOGFONTA logFont = {};
        ::GetObjectA(font.m_hObject, sizeof logFont, &logFont);
        EXPECT_STREQ("Times New Roman", logFont.lfFaceName);
        EXPECT_EQ(DEFAULT_CHARSET, logFont.lfCharSet);
    }
}

TEST(GdiTest, PointFontsFollowTheDcsLogicalUnits) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    CFont plain;
    ASSERT_TRUE(plain.CreatePointFont(140, "Arial", &dc));
    // Two logical units per pixel: the same size is twice the height.
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, 2, 2, nullptr);
    ::SetViewportExtEx(dc, 1, 1, nullptr);
    CFont scaled;
    ASSERT_TRUE(scaled.CreatePointFont(140, "Arial", &dc));
    EXPECT_EQ(-(140 * dpi / 720), HeightOf(plain));
    EXPECT_EQ(2 * HeightOf(plain), HeightOf(scaled));
}

TEST(GdiTest, WrappersOwnTheirHandlesAndReplacingDeletesTheOld) {
    int before = AfxGetGdiObjectCount();
    HGDIOBJ first = nullptr;
    {
        CBrush brush(RGB(1, 2, 3));
        first = brush.m_hObject;
        EXPECT_EQ(before + 1, AfxGetGdiObjectCount());
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(before + 1, AfxGetGdiObjectCount());
        EXPECT_EQ(0u, ::GetObjectType(first));  // the first brush is gone
        EXPECT_FALSE(brush.Attach(::GetStockObject(BLACK_BRUSH)));  // already holds one
    }
    EXPECT_EQ(before, AfxGetGdiObjectCount());

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
    HGDIOBJ kept = font.Detach();
    EXPECT_EQ(before, AfxGetGdiObjectCount());
    EXPECT_EQ(DWORD(OBJ_FONT), ::GetObjectType(kept));  // detached, not deleted
    ::DeleteObject(kept);
    EXPECT_FALSE(font.DeleteObject());
}

TEST(GdiTest, MemoryDcIsDeletedWithItsWrapperAndAttachedDcsAreNot) {
    HDC made = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        made = dc.m_hDC;
        EXPECT_EQ(DWORD(OBJ_MEMDC), ::GetObjectType(made));
    }
    EXPECT_EQ(0u, ::GetObjectType(made));

    HDC own = ::CreateCompatibleDC(nullptr);
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(own));
        EXPECT_FALSE(dc.Attach(own));
    }
    EXPECT_EQ(DWORD(OBJ_MEMDC), ::GetObjectType(own));
    ::DeleteDC(own);
}

TEST(GdiTest, DrawingThroughCdcLandsInTheBitmap) {
    qwintest::Bitmap32 image = qwintest::RenderToBitmap(40, 30, [](CDC &dc) {
        RECT left = {0, 0, 10, 30};
        dc.FillSolidRect(&left, RGB(255, 0, 0));
        EXPECT_EQ(RGB(255, 0, 0), dc.GetBkColor());  // FillSolidRect leaves its colour behind
        CBrush blue(RGB(0, 0, 255));
        RECT right = {30, 10, 40, 20};
        dc.FillRect(&right, &blue);
        dc.MoveTo(12, 5);  // the default pen: black, one pixel
        dc.LineTo(28, 5);
    });
    EXPECT_EQ(RGB(255, 0, 0), image.At(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), image.At(9, 29));
    EXPECT_EQ(RGB(255, 255, 255), image.At(10, 0));
    EXPECT_EQ(RGB(0, 0, 255), image.At(35, 15));
    EXPECT_EQ(RGB(255, 255, 255), image.At(35, 25));
    EXPECT_EQ(RGB(0, 0, 0), image.At(20, 5));
    EXPECT_EQ(16, image.CountColor(RGB(0, 0, 0)));
}

TEST(GdiTest, TextExtentGrowsWithTheText) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, "Times New Roman", &dc));
    HGDIOBJ old = dc.SelectObject(&font);
    SIZE one = dc.GetTextExtent("H", 1);
    SIZE two = dc.GetTextExtent("HH", 2);
    TEXTMETRICA metrics = {};
    ASSERT_TRUE(dc.GetTextMetrics(&metrics));
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(2 * one.cx, two.cx);
    EXPECT_EQ(metrics.tmHeight, one.cy);
    EXPECT_EQ(0, dc.GetTextExtent("H", 0).cx);
    dc.SelectObject(old);
}

// Paints its client area green through CPaintDC.
class CGreenWnd : public CWnd {
protected:
    void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(0, 160, 0));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGreenWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(GdiTest, PaintDcPaintsTheWindowAndValidatesIt) {
    qwintest::TestHost host(200, 120);
    CGreenWnd green;
    ASSERT_TRUE(green.CreateEx(0, fwtest::PlainClass(), "", WS_CHILD | WS_VISIBLE, 10, 10, 60, 40, host.hwnd(),
                               reinterpret_cast<HMENU>(9)));
    qwintest::Bitmap32 shot = qwintest::CaptureClient(green.m_hWnd);
    ASSERT_EQ(60, shot.Width());
    ASSERT_EQ(40, shot.Height());
    EXPECT_EQ(60 * 40, shot.CountColor(RGB(0, 160, 0)));
    EXPECT_FALSE(::GetUpdateRect(green.m_hWnd, nullptr, FALSE));
    shot.SavePng(qwintest::ArtifactPath("framework-paintdc.png"));
    green.DestroyWindow();
}

}  // namespace
