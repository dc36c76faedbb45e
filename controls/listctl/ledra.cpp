// LEDRA.DLL: the library of the starting-materials list control. Loading it
// registers the global window class "LEDRA"; the first list window made loads
// VEXIL.DLL (the list's formula editor and formula drawing). The program
// loads it by file name and meets the control only through window messages
// (include/quillon/ledra.h).
#include <windows.h>

#include "framework/afxwin.h"
#include "ledractl.h"

namespace {

// Registers the class "LEDRA" under this library's instance. Without
// CS_DBLCLKS a double click arrives as two presses.
void RegisterLedraClass(HINSTANCE instance) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = LedraWindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = LEDRA_CLASS_NAME;
    ::RegisterClassA(&wc);
}

}  // namespace

// The library's entry point: on load, records the module and the caption of
// its message boxes for the framework and registers the class. It loads no
// library and shows nothing while the loader holds its lock: VEXIL.DLL is
// loaded when the first list window is created (CLedra::OnCreate).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    AfxSetInstanceHandle(instance);
    AfxSetAppName("LEDRA");
    ::DisableThreadLibraryCalls(instance);
    RegisterLedraClass(instance);
    return TRUE;
}

// The library's one export; it exists so that the library has an export
// table. Nobody calls it.
extern "C" void LedraDummy(void) {}
