// GDI wrappers: fonts, brushes, bitmaps and device contexts.
//
// A CGdiObject owns its handle and deletes it with itself. Creating into a
// wrapper that already holds a handle deletes the old handle first, so a
// wrapper never leaks what it held.
#include "afxwin.h"

#include <cstdlib>

// ---------------------------------------------------------------------------
// CGdiObject

// Deletes the handle, if there is one. The wrapper lets go of it either way.
BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

// Takes ownership of object; refused when the wrapper already holds one.
BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (object == nullptr || m_hObject != nullptr) return FALSE;
    m_hObject = object;
    return TRUE;
}

// Gives up ownership of the handle without deleting it.
HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

// ---------------------------------------------------------------------------
// CFont, CBrush, CBitmap

// A font of nPointSize tenths of a point: the size is converted to pixels with
// the vertical resolution of dc (the screen when dc is null), truncating, and
// then to the DC's logical units, and asked for as a character height.
BOOL CFont::CreatePointFont(int nPointSize, const char *faceName, CDC *dc) {
    LOGFONTA logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynA(logFont.lfFaceName, faceName != nullptr ? faceName : "", LF_FACESIZE);

    bool screen = dc == nullptr || dc->m_hDC == nullptr;
    HDC hdc = screen ? ::GetDC(nullptr) : dc->m_hDC;
    POINT size = {0, ::GetDeviceCaps(hdc, LOGPIXELSY) * nPointSize / 720};  // 720 tenths per inch
    ::DPtoLP(hdc, &size, 1);
    POINT origin = {0, 0};
    ::DPtoLP(hdc, &origin, 1);
    logFont.lfHeight = -std::abs(size.y - origin.y);
    if (screen) ::ReleaseDC(nullptr, hdc);

    return CreateFontIndirect(&logFont);
}

// A font from a LOGFONT, replacing any font held.
BOOL CFont::CreateFontIndirect(const LOGFONTA *logFont) {
    DeleteObject();
    return logFont != nullptr && Attach(::CreateFontIndirectA(logFont));
}

// A solid brush, replacing any brush held.
BOOL CBrush::CreateSolidBrush(COLORREF color) {
    DeleteObject();
    return Attach(::CreateSolidBrush(color));
}

// A bitmap compatible with dc, replacing any bitmap held.
BOOL CBitmap::CreateCompatibleBitmap(CDC *dc, int width, int height) {
    DeleteObject();
    if (dc == nullptr || dc->m_hDC == nullptr) return FALSE;
    return Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

// ---------------------------------------------------------------------------
// CDC

// Deletes a memory DC made by CreateCompatibleDC; attached DCs are left alone.
CDC::~CDC() {
    if (ownsDC && m_hDC != nullptr) ::DeleteDC(m_hDC);
}

// Wraps a DC without taking ownership.
BOOL CDC::Attach(HDC dc) {
    if (dc == nullptr || m_hDC != nullptr) return FALSE;
    m_hDC = dc;
    ownsDC = false;
    return TRUE;
}

// Lets go of the DC without deleting it.
HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    ownsDC = false;
    return dc;
}

// A memory DC compatible with dc (the screen when null), replacing any DC held.
BOOL CDC::CreateCompatibleDC(CDC *dc) {
    if (m_hDC != nullptr) {
        if (ownsDC) ::DeleteDC(m_hDC);
        m_hDC = nullptr;
    }
    m_hDC = ::CreateCompatibleDC(dc != nullptr ? dc->m_hDC : nullptr);
    ownsDC = m_hDC != nullptr;
    return ownsDC;
}

// Deletes the DC held (the caller's business when it was attached).
BOOL CDC::DeleteDC() {
    HDC dc = Detach();
    return dc != nullptr ? ::DeleteDC(dc) : FALSE;
}

// Selects a GDI object into the DC; returns the one it replaces.
HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    if (m_hDC == nullptr || object == nullptr) return nullptr;
    return ::SelectObject(m_hDC, object);
}

// Fills rect with color; the DC's background colour is left as color.
void CDC::FillSolidRect(const RECT *rect, COLORREF color) {
    ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

// ---------------------------------------------------------------------------
// CPaintDC

CPaintDC::CPaintDC(CWnd *wnd) : m_ps(), m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}
