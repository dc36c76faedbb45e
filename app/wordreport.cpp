// The main dialog's Word output: the sheet typed into the word processor,
// or, when none can be reached, the default output instead.
#include "quillondlg.h"
#include "resource.h"
#include "core/sheet.h"
#include "wordout.h"

int CQuillonDlg::WriteWordReport(const CReaction &reaction, double amount) {
    outputToWord = 1;
    CString sampleId;
    GetDlgItem(IDC_SAMPLE_ID)->GetWindowText(sampleId);
    WeighingSheet sheet = MakeWeighingSheet(reaction, amount, sampleId, showDifferential);
    if (TypeSheetInWord(wordClsid, sheet, wordDocumentName, this) != WORD_OUTPUT_UNREACHABLE) return 0;
    // Later calculations use the default output until Word is chosen again.
    outputToWord = 0;
    return WriteDefaultReport(reaction, amount);
}
