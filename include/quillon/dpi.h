// The DPI the program and its controls lay themselves out at. Every size
// this project gives in pixels is a size at 96 DPI (100 %), scaled to the
// window's DPI where it is used: the records of vexil.h and ledra.h carry
// pixels at the DPI of the window they are meant for (the program scales
// them), and the controls scale their own spacings with QuillonScale.
#ifndef QUILLON_INCLUDE_QUILLON_DPI_H
#define QUILLON_INCLUDE_QUILLON_DPI_H

#include <windows.h>

// The system's message of a DPI change (Windows 8.1 and later; older SDK
// settings leave it undefined): wParam's high word the new DPI, lParam the
// suggested window rectangle.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The window's DPI: GetDpiForWindow where user32 has it (Windows 10 1607 and
// later, Wine), else the screen's LOGPIXELSY (the system DPI); 96 when
// neither answers.
inline int QuillonDpiOf(HWND window) {
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    static DpiForWindow dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    int dpi = dpiForWindow != nullptr && window != nullptr ? int(dpiForWindow(window)) : 0;
    if (dpi <= 0) {
        HDC screen = ::GetDC(nullptr);
        dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

// A size in pixels at 96 DPI, at dpi (rounded to the nearest pixel).
inline int QuillonScale(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }

#endif
