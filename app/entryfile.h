// The entry's file: Save... and Open... of calculation files (.QSF), the
// name the entry is kept under and whether it has changed since, which the
// title bar shows ("entry.QSF* - Quillon").
#ifndef QUILLON_APP_ENTRYFILE_H
#define QUILLON_APP_ENTRYFILE_H

#include "core/calcfile.h"
#include "core/entry.h"
#include "framework/afxwin.h"

class CEntryFile {
public:
    // Save...: asks for a file (proposing proposedName) and writes the
    // entry to a new file in the chosen folder, which replaces the chosen
    // file only once it is complete; a failure leaves that file as it was
    // and says so. True when the entry is in the file; it is then kept
    // under the file's name.
    bool Save(CWnd *owner, const Entry &entry, const CString &proposedName);

    // Open...: asks for a file and reads it whole. Only a file that reads
    // whole (see core/calcfile.h) gives *opened and its *path: current with
    // the file's fields, its rows only, its batch values and weighed masses (the sheet's
    // mmol and gases are the program's settings, never a file's). The caller
    // shows it, then keeps what it shows under that path. A file that is not
    // read leaves everything as it was, and the message says which line and
    // why.
    bool Open(CWnd *owner, const Entry &current, const CalcFormulaCheck &check, Entry *opened, CString *path);

    // The entry now counts as unchanged; path names its file, or nullptr
    // for a new entry.
    void Keep(const Entry &entry, const char *path);
    // False until an entry has been kept: the start-up has not finished.
    bool Ready() const { return ready; }
    // Whether now differs from the entry kept.
    bool Changed(const Entry &now) const;
    // "entry.QSF - Quillon", "Untitled* - Quillon": the file's name
    // ("Untitled" before it has one), marked while now holds changes.
    CString Title(const Entry &now) const;

private:
    Entry kept;      // as last saved, opened, cleared or started
    CString name;    // the file's name, empty for a new entry
    bool ready = false;
};

#endif
