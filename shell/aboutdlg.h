// The About box: the program's name and version, and an OK button. All of
// it is in its template (about.rc); the class adds nothing to CDialog.
#ifndef QUILLON_SHELL_ABOUTDLG_H
#define QUILLON_SHELL_ABOUTDLG_H

#define IDD_ABOUTBOX 100
#define IDC_ABOUT_NAME 1100
#define IDC_ABOUT_PURPOSE 1101

#ifndef RC_INVOKED
#include "afxwin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
    enum { IDD = IDD_ABOUTBOX };
};
#endif

#endif
