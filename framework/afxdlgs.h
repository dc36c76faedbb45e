// CFileDialog: the system's Open and Save As dialogs; CPrintDialog: its Print
// dialog.
#ifndef QUILLON_FRAMEWORK_AFXDLGS_H
#define QUILLON_FRAMEWORK_AFXDLGS_H

#include <windows.h>
#include <commdlg.h>

#include "afxwin.h"

class CFileDialog {
public:
    // filter: pairs of description and pattern, each ended by '|', the list
    // ended by another '|' ("Text(*.TXT)|*.TXT||"). OFN_EXPLORER is added.
    CFileDialog(BOOL openFileDialog, const char *defaultExtension = nullptr, const char *fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char *filter = nullptr,
                CWnd *parent = nullptr);
    virtual ~CFileDialog() {}

    // IDOK when the user chose a file, IDCANCEL when the dialog was
    // cancelled or failed (CommDlgExtendedError tells which).
    virtual INT_PTR DoModal();

    CString GetPathName() const { return CString(m_szFileName); }  // the full path chosen

    OPENFILENAMEA m_ofn;

private:
    CFileDialog(const CFileDialog &) = delete;
    CFileDialog &operator=(const CFileDialog &) = delete;

    BOOL m_bOpenFileDialog;
    CWnd *m_pParentWnd;
    CString m_strFilter;  // the filter with '|' turned into NUL
    CString m_strDefExt;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[MAX_PATH];
};

// The Print dialog. DoModal gives IDOK with m_pd.hDC a printer DC the caller
// deletes; IDCANCEL when cancelled or failed, and then GetExtendedError()
// is 0 for a cancel or the dialog's CDERR_/PDERR_ code. m_pd.hDevMode and
// m_pd.hDevNames belong to the caller before and after.
class CPrintDialog {
public:
    CPrintDialog(DWORD flags, CWnd *parent = nullptr);

    INT_PTR DoModal();
    DWORD GetExtendedError() const { return m_nExtendedError; }

    PRINTDLGA m_pd;

private:
    CPrintDialog(const CPrintDialog &) = delete;
    CPrintDialog &operator=(const CPrintDialog &) = delete;

    CWnd *m_pParentWnd;
    DWORD m_nExtendedError = 0;
};

#endif
