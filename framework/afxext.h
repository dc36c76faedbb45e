// Further pieces of the framework layer for the program's dialogs: COM
// start-up, the tree view, the list view, image lists and the rich edit control. Thin
// wrappers over the common controls' messages, nothing more.
#ifndef QUILLON_FRAMEWORK_AFXEXT_H
#define QUILLON_FRAMEWORK_AFXEXT_H

#include "afxwin.h"

#include <commctrl.h>
#include <richedit.h>

// OleInitialize for this thread; FALSE when COM cannot be started.
BOOL AfxOleInit();

// Registers the common control classes the dialog templates name (tree
// view, list view); the library is loaded by this first call.
void AfxInitCommonControls();

// An image list owned by the object: destroyed with it.
class CImageList {
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    int Add(HICON icon);  // ImageList_ReplaceIcon with -1
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList;

private:
    CImageList(const CImageList &) = delete;
    CImageList &operator=(const CImageList &) = delete;
};

// The tree view control (SysTreeView32).
class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const TVINSERTSTRUCTA *item) {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    UINT GetCount() const { return (UINT)SendMessage(TVM_GETCOUNT); }
    HIMAGELIST SetImageList(CImageList *list, int kind) {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(list->m_hImageList)));
    }
};

// The list view control (SysListView32), report style: items of text
// columns, each with a value of the program's (the item data).
class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD style) {
        return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)style);
    }
    int InsertColumn(int column, const char *heading, int format = LVCFMT_LEFT, int width = -1);
    // An owner-data list (LVS_OWNERDATA): how many lines it has; their text
    // is asked of the parent with LVN_GETDISPINFO as they are drawn.
    BOOL SetItemCountEx(int count, DWORD flags = LVSICF_NOSCROLL) {
        return (BOOL)SendMessage(LVM_SETITEMCOUNT, (WPARAM)count, (LPARAM)flags);
    }
    BOOL SetItemState(int item, UINT state, UINT mask);
    int GetNextItem(int item, int flags) const { return (int)SendMessage(LVM_GETNEXTITEM, (WPARAM)item, MAKELPARAM(flags, 0)); }
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    BOOL EnsureVisible(int item, BOOL partialOK) { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, (WPARAM)item, partialOK); }
};

// The rich edit control of RICHED32.DLL ("RICHEDIT").
class CRichEditCtrl : public CWnd {
public:
    void SetSel(long start, long end) { SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end); }
    void Copy() { SendMessage(WM_COPY); }
};

#endif
