// The program's report output: a sheet appended to this second's report
// file in the program's folder ("YYYY.MM.DD-hh.mm.ss.QL") and shown, or
// typed into the word processor when that output is chosen and reachable;
// and the report files of earlier runs, offered for deletion at start.
#ifndef QUILLON_APP_REPORTOUTPUT_H
#define QUILLON_APP_REPORTOUTPUT_H

#include <cstddef>

#include "core/sheet.h"
#include "framework/afxwin.h"

class CReportOutput {
public:
    // At start, with the program's folder (ending in '\'): offers to delete
    // the report files of earlier runs, then looks for the word processor's
    // automation server; the Word output stays chosen only when it is
    // registered.
    void Start(const CString &folder, bool wordChosen);

    // The sheet to Word when that output is chosen, else to a report file.
    // When Word cannot be reached, the report file instead, and later sheets
    // too until Word is chosen again.
    void Write(CWnd *owner, const WeighingSheet &sheet);
    // text appended to this second's report file, then shown; false (having
    // said so) when the file cannot be opened.
    bool ShowText(CWnd *owner, const char *text, size_t length);

    bool WordAvailable() const { return wordAvailable; }
    bool ToWord() const { return toWord; }
    void ChooseWord(bool word) { toWord = word && wordAvailable; }
    const CString &Folder() const { return folder; }
    const char *Extension() const { return "QL"; }
    // The sheet display's size as the user last left it (0 0: fitted to each sheet).
    SIZE DisplaySize() const { return displaySize; }
    void SetDisplaySize(SIZE size) { displaySize = size; }

private:
    int DeleteOldReports();  // the number deleted

    CString folder;
    bool wordAvailable = false;
    bool toWord = false;
    CLSID wordClsid = {};
    SIZE displaySize = {0, 0};
    CString wordDocumentName;  // the document the sheets are typed into, once there is one
};

#endif
