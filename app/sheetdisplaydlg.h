// The dialog of the default output: shows a report file in a rich edit
// control, in the given font, with a button that copies the whole text.
// The window can be resized (never below its template's size): the text
// takes the room, the buttons keep to the bottom corners. It opens at the
// size the user last gave it, else at the size that shows the whole sheet,
// as far as the screen allows.
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
    // The window's size to open with (0 0: the sheet's own), and the size
    // the user left it at once it has closed (the one given, unless resized).
    void SetSize(SIZE size) { windowSize = size; }
    SIZE Size() const { return windowSize; }

protected:
    BOOL OnInitDialog() override;
    void OnCopyAll();
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Appends the file to the rich edit in chunks; the number of bytes read.
    long LoadReportFile();
    // The window's size that shows the longest line and every line whole.
    SIZE SheetSize() const;
    size_t longestLine = 0;  // characters of the file's longest line
    size_t lineLength = 0;
    size_t lines = 0;        // lines of the file
    CString fontFace;
    CString fileName;
    CFont *font = nullptr;
    SIZE windowSize = {0, 0};
    SIZE minimum = {0, 0};        // the template's window size
    SIZE client = {0, 0};         // the template's client size
    RECT text = {}, close = {}, copy = {};  // the controls at the template's size
    bool laidOut = false;         // past OnInitDialog: a size change is the user's
};

#endif
