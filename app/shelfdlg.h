// The Shelf window (Options > Shelf...): the bottles of the lab's shelf
// (core/shelf) in a list view, one line a bottle, columns Formula, Name,
// Purity (%), Form, Supplier, Lot, Location and Note. A click on a column's
// header sorts by it (again: the other way); the filter above lists only the
// bottles any of whose texts holds what is typed, in either case. Add...,
// Edit... (or a double click) and Remove (asked first) change the window's
// own copy of the shelf; Save writes it to the shelf's file (SaveShelfFile:
// the file replaced only once the new text is complete), and only then does
// the program's shelf take it. A file changed by someone else since it was
// read is never overwritten without asking: overwrite, read it again, or go
// on editing. Close, and Put into Row, ask first about changes not saved.
// Put into Row ends the window with IDC_SHELF_PUT: the caller puts
// PutBottle() into row PutRow() (and asks before overwriting typed values).
#ifndef QUILLON_APP_SHELFDLG_H
#define QUILLON_APP_SHELFDLG_H

#include <vector>

#include "core/shelf.h"
#include "framework/afxext.h"

// One bottle's fields. A text that does not read as a number is refused
// naming its field; the bottle as a whole is checked as a line of the file
// is (BottleProblem), and the field at fault gets the focus back.
class CBottleDlg : public CDialog {
public:
    CBottleDlg(const Bottle &bottle, const ShelfFormulaCheck &check, CWnd *parent = nullptr);
    // After OK: the bottle with the fields' values (its line and the cells
    // of other columns kept).
    const Bottle &Value() const { return bottle; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    bool Refuse(const CString &problem, int field);  // the message, the field selected; false

    Bottle bottle;
    const ShelfFormulaCheck &check;
};

class CShelfDlg : public CDialog {
public:
    // shelf: the program's shelf, read from path (empty: no file is chosen,
    // and Save cannot be used); row: the list's current row (from 1), which
    // Put into Row proposes.
    CShelfDlg(Shelf &shelf, const char *path, const ShelfFormulaCheck &check, int row, CWnd *parent = nullptr);

    const Bottle &PutBottle() const { return putBottle; }
    int PutRow() const { return putRow; }  // from 1

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter: Edit... in the list, nothing elsewhere
    void OnCancel() override;  // Close, Escape: asks about changes not saved
    void OnFilterTyped();
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnPut();
    void OnSave();
    void OnColumnClick(NMHDR *header, LRESULT *result);
    void OnDoubleClick(NMHDR *header, LRESULT *result);
    void OnItemChanged(NMHDR *header, LRESULT *result);
    void OnGetDispInfo(NMHDR *header, LRESULT *result);  // a line's text, asked for as it is drawn
    void OnFindItem(NMHDR *header, LRESULT *result);     // letters typed in the list
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // The bottles that pass the filter, in the sort's order; bottle keeps
    // the selection (-1: the first line).
    void Fill(int bottle = -1);
    int Selected() const;       // the selected bottle's index, or -1
    void EnableButtons();
    bool Save();                // true when the file holds the window's shelf
    bool LeaveAsked();          // changes not saved: saved, dropped, or false to stay
    void Reload();              // the file read again into both shelves

    Shelf &shelf;
    Shelf edited;               // the window's copy
    CString path;
    const ShelfFormulaCheck &check;
    int proposedRow;
    bool changed = false;       // edited differs from what the file holds
    int sortColumn = -1;        // -1: the shelf's order
    bool descending = false;
    CListCtrl list;             // one line an entry of shown, its text from OnGetDispInfo
    std::vector<int> shown;     // the bottles listed, in the list's order
    Bottle putBottle;
    int putRow = 0;
};

#endif
