// The dialog of the default output: shows a report file in a rich edit
// control, in the given font, with a button that copies the whole text.
#ifndef QUILLON_APP_SHEETDISPLAYDLG_H
#define QUILLON_APP_SHEETDISPLAYDLG_H

#include <cstddef>

#include "framework/afxext.h"

class CSheetDisplayDlg : public CDialog {
public:
    CSheetDisplayDlg();
    void SetData(const char *file, const char *face) {
        fileName = file;
        fontFace = face;
    }

protected:
    BOOL OnInitDialog() override;
    void OnCopyAll();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Appends the file to the rich edit in chunks; the number of bytes read.
    long LoadReportFile();
    void FitWidth();
    size_t longestLine = 0;  // characters of the file's longest line
    size_t lineLength = 0;
    CString fontFace;
    CString fileName;
    CFont *font = nullptr;
};

#endif
