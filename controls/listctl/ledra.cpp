// LEDRA.DLL: the library of the starting-materials list control. Loading it
// loads VEXIL.DLL (the list's formula editor and formula drawing) and
// registers the global window class "LEDRA"; the program loads it by file
// name and meets the control only through window messages (include/quillon/ledra.h).
#include <windows.h>

#include "framework/afxwin.h"
#include "ledractl.h"

namespace {

// The library's application object: its InitInstance runs while the library
// loads, and a FALSE fails the load.
class CLedraApp : public CWinApp {
public:
    CLedraApp() : CWinApp("LEDRA") {}
    BOOL InitInstance() override;
};

CLedraApp theApp;

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

// Loads VEXIL.DLL for good (never released) and registers the class.
BOOL CLedraApp::InitInstance() {
    if (::LoadLibraryA("VEXIL.DLL") == nullptr) {
        AfxMessageBox("Failed to load VEXIL.DLL.", MB_OK);
        return FALSE;
    }
    RegisterLedraClass(AfxGetInstanceHandle());
    return CWinApp::InitInstance();
}

}  // namespace

// The library's entry point: on load, records the module for the framework
// and runs the application object's InitInstance.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    AfxSetInstanceHandle(instance);
    ::DisableThreadLibraryCalls(instance);
    return theApp.InitInstance();
}

// The library's one export; it exists so that the library has an export
// table. Nobody calls it.
extern "C" void LedraDummy(void) {}
