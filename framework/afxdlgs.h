// CFileDialog: the system's Open and Save As dialogs.
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

#endif
