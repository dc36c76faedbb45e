// Word output: connect, find or create the document, type the sheet.
#include "wordout.h"

#include <new>

namespace {

// The wait cursor from construction until destruction.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }

private:
    HCURSOR previous_;
};

// A running server's IDispatch from the running-object table, or nullptr.
IDispatch *RunningServer(const CLSID &clsid) {
    IUnknown *running = nullptr;
    if (FAILED(::GetActiveObject(clsid, nullptr, &running)) || running == nullptr) return nullptr;
    IDispatch *dispatch = nullptr;
    if (FAILED(running->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&dispatch)))) dispatch = nullptr;
    running->Release();
    return dispatch;
}

// Finds the document named name among the open ones (byte-wise,
// case-sensitive) into document; else adds one and stores its name.
void FindOrAddDocument(CWordDocuments &documents, CWordDocument &document, CString &name) {
    long count = documents.GetCount();
    for (long i = 1; i <= count; ++i) {
        document.AttachDispatch(documents.Item(i));
        if (document.GetName() == name) return;
    }
    document.AttachDispatch(documents.Add());
    name = document.GetName();
}

// Everything after connecting; throws on any failure.
void TypeSheet(CWordApplication &application, const WeighingSheet &sheet, CString &documentName) {
    CWordDocuments documents;
    documents.AttachDispatch(application.GetDocuments());
    CWordDocument document;
    FindOrAddDocument(documents, document, documentName);
    document.Activate();

    CWordSelection selection;
    selection.AttachDispatch(application.GetSelection());
    CWordFont font;
    font.AttachDispatch(selection.GetFont());
    font.SetName("Times New Roman");
    font.SetSize(13.0f);

    for (const SheetPiece &piece : SheetWordPieces(sheet)) {
        switch (piece.kind) {
        case SHEET_TEXT: selection.TypeText(piece.text); break;
        case SHEET_FORMULA: TypeFormula(selection, font, piece.text); break;
        case SHEET_PARAGRAPH: selection.TypeParagraph(); break;
        }
    }
    application.SetVisible(TRUE);
}

}  // namespace

void TypeFormula(CWordSelection &selection, CWordFont &font, const char *text) {
    for (const FormulaRun &run : SplitFormulaRuns(text)) {
        font.SetSubscript(run.subscript);
        selection.TypeText(run.text);
    }
    font.SetSubscript(0);
}

WordOutputResult TypeSheetInWord(const CLSID &wordClsid, const WeighingSheet &sheet, CString &documentName,
                                 CWnd *owner) {
    WaitCursor wait;
    try {
        CWordApplication application;
        IDispatch *running = RunningServer(wordClsid);
        if (running != nullptr)
            application.AttachDispatch(running);
        else if (!application.CreateDispatch("Word.Application"))
            return WORD_OUTPUT_UNREACHABLE;
        TypeSheet(application, sheet, documentName);
        return WORD_OUTPUT_TYPED;
    } catch (CException *e) {
        e->Delete();
    } catch (const std::bad_alloc &) {
    }
    const char *text = "Output to MS Word failed!", *caption = "Quillon I/O Error";
    if (owner != nullptr && owner->GetSafeHwnd() != nullptr)
        owner->MessageBox(text, caption, MB_OK | MB_ICONHAND);
    else
        ::MessageBoxA(::GetActiveWindow(), text, caption, MB_OK | MB_ICONHAND);
    return WORD_OUTPUT_FAILED;
}
