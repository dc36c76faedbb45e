// The default output: the report file's name, and the dialog that shows a
// report file with a button that copies the whole text.
#ifndef QUILLON_REPORT_OUTPUTDLG_H
#define QUILLON_REPORT_OUTPUTDLG_H

#include "framework/afxext.h"

// moduleDir + "YYYY.MM.DD-hh.mm.ss." + extension for the given local time.
CString ReportFileName(const char *moduleDir, const char *extension, const SYSTEMTIME &time);

class CSheetDisplayDlg : public CDialog {
public:
    CSheetDisplayDlg();
    void SetData(const char *file, const char *face) {
        fileName = file;
        fontFace = face;
    }

    CString fontFace;
    CString fileName;

protected:
    BOOL OnInitDialog() override;
    void OnCopyAll();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Appends the file to the rich edit in chunks; the number of bytes read.
    long LoadReportFile();
    CFont *font = nullptr;
};

#endif
