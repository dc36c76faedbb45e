#include "entryfile.h"

#include <cstring>

#include "framework/afxdlgs.h"

namespace {

const char kExtension[] = "QSF";
const char kFilter[] = "Quillon Source Files(*.QSF)|*.QSF||";  // both file dialogs
const char kFileErrorCaption[] = "Quillon : File I/O Error";

// "Failed to load a file." and, on its second line, where and why: the
// reader's reason made a sentence.
CString LoadFailure(const CalcReadResult &result) {
    CString message = "Failed to load a file.", why = result.reason;
    if (!why.IsEmpty()) {
        char *first = why.GetBuffer(0);
        if (*first >= 'a' && *first <= 'z') *first = static_cast<char>(*first - 'a' + 'A');
        why.ReleaseBuffer(why.GetLength());
        why = " " + why + ".";
    }
    CString line;
    line.Format("\nLine %d cannot be read.", result.failingLine);
    if (result.status == CalcReadStatus::OpenFailed) return message + "\nThe file cannot be opened.";
    if (result.status == CalcReadStatus::ReadError) return message + line;
    if (result.failingLine > 0) return message + line + why;
    return message + "\nThe file holds no entry." + why;
}

}  // namespace

bool CEntryFile::Save(CWnd *owner, const Entry &entry, const CString &proposedName) {
    CFileDialog dialog(FALSE, kExtension, proposedName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter, owner);
    if (dialog.DoModal() != IDOK) return false;
    CString text;
    if (CalcEntryText(entry, &text) &&
        SaveCalcFile(dialog.GetPathName(), text) == CalcSaveStatus::Saved) {
        Keep(entry, dialog.GetPathName());
        ::Beep(1000, 100);
        return true;
    }
    owner->MessageBox("Failed to save to a file.", kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CEntryFile::Open(CWnd *owner, const Entry &current, const CalcFormulaCheck &check, Entry *opened, CString *path) {
    CString initial = CString("*.") + kExtension;
    CFileDialog dialog(TRUE, kExtension, initial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter, owner);
    if (dialog.DoModal() != IDOK) return false;

    CalcReadResult result;
    ReadCalcFile(dialog.GetPathName(), ROW_CAPACITY, check, result);
    if (result.status != CalcReadStatus::Ok) {
        owner->MessageBox(LoadFailure(result), kFileErrorCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // Fields the file has no line for keep their text; the list holds the file's rows only.
    Entry entry = current;
    entry.rows.reset();
    // The sheet's options are the program's settings: a file's own are for quillon-cli.
    ApplyCalcRecords(result.records, &entry);
    entry.batch.mmol = entry.batch.gases = false;
    *opened = entry;
    *path = dialog.GetPathName();
    return true;
}

void CEntryFile::Keep(const Entry &entry, const char *path) {
    ready = true;
    kept = entry;
    if (path == nullptr) {
        name.Empty();
    } else {
        const char *slash = std::strrchr(path, '\\');
        name = slash != nullptr ? slash + 1 : path;
    }
}

bool CEntryFile::Changed(const Entry &now) const { return ready && !SameEntry(now, kept); }

CString CEntryFile::Title(const Entry &now) const {
    CString title = name.IsEmpty() ? CString("Untitled") : name;
    if (Changed(now)) title += "*";
    return title + " - Quillon";
}
