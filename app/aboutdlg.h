// The About box: the program's name and version, and an OK button. All of
// it is in its template (IDD_ABOUTBOX in quillon.rc); the class adds
// nothing to CDialog.
#ifndef QUILLON_APP_ABOUTDLG_H
#define QUILLON_APP_ABOUTDLG_H

#include "framework/afxwin.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd *parent = nullptr) : CDialog(IDD_ABOUTBOX, parent) {}
    enum { IDD = IDD_ABOUTBOX };
};

#endif
