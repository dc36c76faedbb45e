// The lab's shelf as the program holds it: the file chosen under Options
// (the "Shelf File" setting) and the bottles read from it (core/shelf.h).
// Without a file, or when the file is missing or does not read, the shelf
// holds no bottle and the entry works as without one. Reading says what
// went wrong in one message, which the caller shows once; nothing here shows
// a message or throws.
#ifndef QUILLON_APP_LABSHELF_H
#define QUILLON_APP_LABSHELF_H

#include <utility>

#include "core/shelf.h"
#include "framework/afxstr.h"

class CLabShelf {
public:
    // check: whether a formula parses (the program's parser), for every read
    // and for the bottles' checks.
    explicit CLabShelf(ShelfFormulaCheck check) : check(std::move(check)) {}

    // Reads the shelf of path (empty: no shelf, no message). The answer is
    // the one message to show: empty when the file read whole; otherwise it
    // names the file and its bad lines (ShelfReadMessage). Bottles of the
    // lines that read are kept; a missing, unreadable or not-a-shelf file
    // leaves none, and the path is kept all the same (the setting stays).
    CString Load(const CString &path);
    // The same file read again (the Shelf window after a change on disk).
    CString Reload() { return Load(path); }

    // The file read again when its bytes differ from those read or last
    // saved and it reads as a shelf (someone else wrote it); otherwise the
    // shelf stays as it is. Nothing to show: its message was said already.
    void Refresh();

    const CString &Path() const { return path; }
    ShelfReadStatus Status() const { return status; }
    const Shelf &Get() const { return shelf; }
    // The bottles to change (the Shelf window); Reindex() after changing them.
    Shelf *Edit() { return &shelf; }
    const ShelfFormulaCheck &Check() const { return check; }

    // Writes the shelf back to its file (SaveShelfFile: replaced once the new
    // text is complete; ChangedOnDisk, nothing written, when the file is no
    // longer what was read or last saved, unless overwriteChanged). Failed
    // without a path.
    ShelfSaveStatus Save(bool overwriteChanged = false);

private:
    ShelfFormulaCheck check;
    CString path;
    ShelfReadStatus status = ShelfReadStatus::Missing;
    Shelf shelf;
};

#endif
