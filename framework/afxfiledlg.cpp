// CFileDialog over GetOpenFileNameA and GetSaveFileNameA, CPrintDialog over
// PrintDlgA.
#include "afxdlgs.h"

#include <cstring>

namespace {

// The common dialog library is loaded on first use rather than imported:
// it brings the shell, the common controls and the print spooler with it,
// whose start-up work a program start that never opens a file need not wait for.
template <typename Function>
Function CommonDialog(const char *name) {
    static HMODULE module = ::LoadLibraryA("COMDLG32.DLL");
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void *>(::GetProcAddress(module, name)))
                             : nullptr;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char *defaultExtension, const char *fileName, DWORD flags,
                         const char *filter, CWnd *parent)
    : m_bOpenFileDialog(openFileDialog), m_pParentWnd(parent), m_strDefExt(defaultExtension) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    m_szFileName[0] = 0;
    m_szFileTitle[0] = 0;
    if (fileName != nullptr) ::lstrcpynA(m_szFileName, fileName, sizeof m_szFileName);
    if (filter != nullptr) {
        // "desc|pattern||" becomes "desc\0pattern\0\0": built with explicit
        // lengths because CString keeps one terminating NUL only.
        size_t length = std::strlen(filter);
        char *buffer = m_strFilter.GetBuffer(int(length) + 1);
        for (size_t i = 0; i < length; ++i) buffer[i] = filter[i] == '|' ? 0 : filter[i];
        buffer[length] = 0;
        m_strFilter.ReleaseBuffer(int(length));
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : m_strDefExt.GetString();
    m_ofn.lpstrFilter = filter != nullptr ? m_strFilter.GetString() : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER;
    m_ofn.hInstance = AfxGetInstanceHandle();
}

// Runs the dialog modally, owned by the parent (or the active window).
INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
    auto run = CommonDialog<BOOL(WINAPI *)(OPENFILENAMEA *)>(m_bOpenFileDialog ? "GetOpenFileNameA"
                                                                                : "GetSaveFileNameA");
    BOOL chosen = run != nullptr ? run(&m_ofn) : FALSE;
    return chosen ? IDOK : IDCANCEL;
}


CPrintDialog::CPrintDialog(DWORD flags, CWnd *parent) : m_pParentWnd(parent) {
    std::memset(&m_pd, 0, sizeof m_pd);
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = flags;
    m_pd.nCopies = 1;
}

INT_PTR CPrintDialog::DoModal() {
    m_pd.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
    auto run = CommonDialog<BOOL(WINAPI *)(PRINTDLGA *)>("PrintDlgA");
    auto error = CommonDialog<DWORD(WINAPI *)()>("CommDlgExtendedError");
    if (run == nullptr || error == nullptr) {
        m_nExtendedError = CDERR_INITIALIZATION;
        return IDCANCEL;
    }
    if (run(&m_pd)) {
        m_nExtendedError = 0;
        return IDOK;
    }
    m_nExtendedError = error();
    return IDCANCEL;
}
