// The module's application object, instance handle and application name,
// and AfxMessageBox.
//
// Each module has its own: the program's instance is its executable, a DLL's
// is the DLL itself (this library finds the image it is linked into, and a
// DLL's entry point may also record it with AfxSetInstanceHandle). The
// application name captions AfxMessageBox: the name given to CWinApp or
// AfxSetAppName, else the base name of the module's file ("Quillon" for
// Quillon.exe).
#include "afxwin.h"

#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // the image this copy of the library is linked into

namespace {

HINSTANCE g_instance = nullptr;
CWinApp *g_app = nullptr;
char g_appName[MAX_PATH] = "";   // set with AfxSetAppName
char g_givenName[MAX_PATH] = ""; // given to CWinApp's constructor
char g_baseName[MAX_PATH] = "";  // the module file's base name, found on first use
int g_quitCode = 0;              // wParam of the WM_QUIT that ended Run

// The base name of the module's file, without folder and extension.
const char *ModuleBaseName() {
    if (g_baseName[0] == 0) {
        char path[MAX_PATH];
        DWORD length = ::GetModuleFileNameA(AfxGetInstanceHandle(), path, sizeof path);
        if (length == 0 || length >= sizeof path) return "";
        path[length] = 0;
        const char *name = path;
        for (const char *p = path; *p != 0; ++p)
            if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
        ::lstrcpynA(g_baseName, name, sizeof g_baseName);
        char *dot = std::strrchr(g_baseName, '.');
        if (dot != nullptr && dot != g_baseName) *dot = 0;
    }
    return g_baseName;
}

// True for a window of the system dialog class (a modeless main dialog gets
// the dialog keyboard interface in Run).
bool IsDialogWindow(HWND hWnd) {
    char name[16];
    return hWnd != nullptr && ::GetClassNameA(hWnd, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Module

// This module's instance: the one recorded, else the image this code is in.
HINSTANCE AfxGetInstanceHandle() {
    return g_instance != nullptr ? g_instance : reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// Records the module's instance (a DLL's entry point, WinMain).
void AfxSetInstanceHandle(HINSTANCE instance) {
    g_instance = instance;
    if (g_app != nullptr) g_app->m_hInstance = AfxGetInstanceHandle();
}

// The caption of this module's message boxes.
const char *AfxGetAppName() {
    if (g_appName[0] != 0) return g_appName;
    if (g_app != nullptr && g_app->m_pszAppName != nullptr) return g_app->m_pszAppName;
    return ModuleBaseName();
}

// Sets the caption of this module's message boxes.
void AfxSetAppName(const char *name) { ::lstrcpynA(g_appName, name != nullptr ? name : "", sizeof g_appName); }

// The application object of this module, or nullptr.
CWinApp *AfxGetApp() { return g_app; }

CWnd *AfxGetMainWnd() { return g_app != nullptr ? g_app->m_pMainWnd : nullptr; }

// A message box owned by the thread's active window, captioned with the
// application name, with the exclamation icon unless type names an icon;
// the focus returns where it was once the box is answered.
int AfxMessageBox(const char *text, UINT type, UINT) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    CFocusKeeper focus;
    return ::MessageBoxA(::GetActiveWindow(), text, AfxGetAppName(), type);
}

// ---------------------------------------------------------------------------
// CWinApp

// Becomes the module's application object; the name defaults to the module's base name.
CWinApp::CWinApp(const char *appName) : m_pszAppName(nullptr), m_pMainWnd(nullptr), m_hInstance(nullptr) {
    g_app = this;
    m_hInstance = AfxGetInstanceHandle();
    if (appName != nullptr) {
        ::lstrcpynA(g_givenName, appName, sizeof g_givenName);
        m_pszAppName = g_givenName;
    } else {
        m_pszAppName = ModuleBaseName();
    }
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

// Nothing to prepare by default: go on to Run.
BOOL CWinApp::InitInstance() { return TRUE; }

// The exit code of the program: the code of the WM_QUIT that ended Run, 0 when none did.
int CWinApp::ExitInstance() { return g_quitCode; }

// The message loop, until WM_QUIT; temporaries made outside messages are
// deleted whenever the queue runs empty.
int CWinApp::Run() {
    MSG msg = {};
    for (;;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTemporaryObjects();
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HWND main = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
        if (IsDialogWindow(main) && ::IsDialogMessageA(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    g_quitCode = msg.message == WM_QUIT ? int(msg.wParam) : 0;
    return g_quitCode;
}
