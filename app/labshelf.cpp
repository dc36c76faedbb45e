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
