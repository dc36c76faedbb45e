// VEXIL.DLL: the library of the formula edit control. Loading it registers
// the global window class "VEXIL"; the programs that use it load it by file
// name and meet the control only through window messages (include/quillon/vexil.h).
#include <windows.h>

#include "framework/afxwin.h"
#include "formulaedit.h"
#include "quillon/vexil.h"

namespace {

// Registers the class "VEXIL" under this library's instance.
bool RegisterVexilClass(HINSTANCE instance) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = VexilWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = VEXIL_CLASS_NAME;
    return ::RegisterClassA(&wc) != 0;
}

}  // namespace

// The library's entry point: on load, records the module and the caption of
// its message boxes for the framework and registers the window class. It
// shows nothing while the loader holds its lock: a failed registration fails
// the load, and the one that loads the library (the program, the list) says
// that it could not be loaded.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    AfxSetInstanceHandle(instance);
    AfxSetAppName("VEXIL");
    ::DisableThreadLibraryCalls(instance);
    return RegisterVexilClass(instance) ? TRUE : FALSE;
}

// The library's one export; it exists so that the library has an export
// table. Nobody calls it.
extern "C" void VexilDummy(void) {}
