// The baseline of the start-up benchmark: a minimal dialog program that makes
// the platform calls Quillon makes at start (COM, RICHED32.DLL), shows a
// dialog, and marks itself ready from a message it posts to itself, as
// Quillon's deferred initialisation runs.
#include <windows.h>

#include <ole2.h>

namespace {

INT_PTR CALLBACK BaselineProc(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ::PostMessageA(window, WM_USER + 1, 0, 0);
        return TRUE;
    case WM_USER + 1:
        ::SetWindowTextA(window, "Baseline ready");
        return TRUE;
    case WM_CLOSE:
        ::EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (FAILED(::OleInitialize(nullptr))) return 1;
    if (::LoadLibraryA("RICHED32.DLL") == nullptr) return 1;
    // A 312 x 255 dialog-unit template with caption, as the main dialog's.
    struct {
        DLGTEMPLATE head;
        WORD menu, windowClass, title[9], pointSize, font[14];
    } tmpl = {};
    tmpl.head.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    tmpl.head.cx = 312;
    tmpl.head.cy = 255;
    const wchar_t title[] = L"Baseline";
    for (int i = 0; i < 9; ++i) tmpl.title[i] = title[i];
    tmpl.pointSize = 8;
    const wchar_t font[] = L"MS Sans Serif";
    for (int i = 0; i < 14; ++i) tmpl.font[i] = font[i];
    ::DialogBoxIndirectParamA(instance, &tmpl.head, nullptr, BaselineProc, 0);
    ::OleUninitialize();
    return 0;
}
