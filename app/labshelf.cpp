#include "labshelf.h"

CString CLabShelf::Load(const CString &newPath) {
    path = newPath;
    shelf = Shelf();
    status = ShelfReadStatus::Missing;
    if (path.IsEmpty()) return CString();
    status = ReadShelfFile(path, check, &shelf);
    return ShelfReadMessage(status, path, shelf);
}

ShelfSaveStatus CLabShelf::Save(bool overwriteChanged) {
    if (path.IsEmpty()) return ShelfSaveStatus::Failed;
    return SaveShelfFile(path, &shelf, overwriteChanged);
}

void CLabShelf::Refresh() {
    if (path.IsEmpty()) return;
    Shelf now;
    if (ReadShelfFile(path, check, &now) != ShelfReadStatus::Read || now.file.diskBytes == shelf.file.diskBytes) return;
    shelf = std::move(now);
    status = ShelfReadStatus::Read;
}
