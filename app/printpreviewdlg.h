// File > Print Preview...: the printed page shown scaled into a resizable
// window (the page of the printer chosen last or the default printer, else
// an A4 page), with Print..., Save as PNG... and Close.
#ifndef QUILLON_APP_PRINTPREVIEWDLG_H
#define QUILLON_APP_PRINTPREVIEWDLG_H

#include "core/printsheet.h"
#include "framework/afxwin.h"
#include "printout.h"

class CPrintPreviewDlg : public CDialog {
public:
    // title: the printed document's; fileName: proposed for the picture.
    CPrintPreviewDlg(CSheetPrinter &printer, const PrintedSheet &sheet, const CString &title, const CString &fileName,
                     CWnd *parent);

protected:
    BOOL OnInitDialog() override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC *dc);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
    void OnPrint();
    void OnSavePng();
    DECLARE_MESSAGE_MAP()

private:
    RECT PageRect() const;  // the page in the client area, its proportions kept
    int ButtonsTop() const;

    CSheetPrinter &printer;
    const PrintedSheet &sheet;
    CString title, fileName;
    PageGeometry page;
    bool hasPrinter = false;
};

#endif
