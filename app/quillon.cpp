#include "quillon.h"

#include <cstdio>

#include "framework/afxext.h"
#include "quillondlg.h"

namespace {

// Loads a library by file name; on failure says so with the system's error number.
bool LoadNamedLibrary(const char *name) {
    if (::LoadLibraryA(name) != nullptr) return true;
    char text[96];
    std::snprintf(text, sizeof text, "Could not load %s(%d).", name, int(::GetLastError()));
    AfxMessageBox(text);
    return false;
}

}  // namespace

CWinApp *AfxCreateApp() { return new CQuillonApp; }

BOOL CQuillonApp::InitInstance() {
    SetRegistryKey("Hobnail");
    if (!AfxOleInit()) {
        AfxMessageBox("Could not initialize COM services.");
        return FALSE;
    }
    // VEXIL.DLL registers "VEXIL" and LEDRA.DLL "LEDRA" as they load; the
    // list's windows find VEXIL.DLL loaded already.
    if (!LoadNamedLibrary("RICHED32.DLL") || !LoadNamedLibrary("VEXIL.DLL") || !LoadNamedLibrary("LEDRA.DLL"))
        return FALSE;

    CQuillonDlg *dialog = new CQuillonDlg;
    m_pMainWnd = dialog;
    dialog->DoModal();
    m_pMainWnd = nullptr;
    delete dialog;
    return FALSE;
}
