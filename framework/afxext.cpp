// COM start-up, the common controls and the application's registry key and
// resources (the CWinApp members declared in afxwin.h that need them).
#include "afxext.h"

#include <ole2.h>

#include <cstring>

namespace {

// The common controls library is loaded on first use rather than imported:
// loading it registers all of its window classes, which a program start
// that never opens a tree view need not wait for.
HMODULE CommonControls() {
    static HMODULE module = ::LoadLibraryA("COMCTL32.DLL");
    return module;
}

template <typename Function>
Function CommonControl(const char *name) {
    HMODULE module = CommonControls();
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void *>(::GetProcAddress(module, name)))
                             : nullptr;
}

}  // namespace

// COM for this thread, undone when the process ends.
BOOL AfxOleInit() { return SUCCEEDED(::OleInitialize(nullptr)); }

// The tree view and list view classes, registered once.
void AfxInitCommonControls() {
    static auto init = CommonControl<BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *)>("InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    if (init != nullptr) init(&controls);
}

// ---------------------------------------------------------------------------
// CWinApp: registry key, resources

// The profile functions work under HKEY_CURRENT_USER\Software\<key>\<application name>.
void CWinApp::SetRegistryKey(const char *key) {
    ::lstrcpynA(m_registryKey, key != nullptr ? key : "", sizeof m_registryKey);
    m_pszRegistryKey = m_registryKey;
}

// An icon resource of the program's module, at the system's large icon size.
HICON CWinApp::LoadIcon(UINT id) const { return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id)); }

// ---------------------------------------------------------------------------
// CImageList

// A new list of cx x cy images, replacing any list the object held.
BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    static auto create = CommonControl<HIMAGELIST(WINAPI *)(int, int, UINT, int, int)>("ImageList_Create");
    m_hImageList = create != nullptr ? create(cx, cy, flags, initial, grow) : nullptr;
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON icon) {
    static auto replace = CommonControl<int(WINAPI *)(HIMAGELIST, int, HICON)>("ImageList_ReplaceIcon");
    return replace != nullptr ? replace(m_hImageList, -1, icon) : -1;
}

BOOL CImageList::DeleteImageList() {
    if (m_hImageList == nullptr) return FALSE;
    static auto destroy = CommonControl<BOOL(WINAPI *)(HIMAGELIST)>("ImageList_Destroy");
    if (destroy != nullptr) destroy(m_hImageList);
    m_hImageList = nullptr;
    return TRUE;
}

// ---------------------------------------------------------------------------
// CTreeCtrl

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    TVITEMA tvi = {};
    tvi.mask = TVIF_STATE;
    tvi.hItem = item;
    tvi.state = state;
    tvi.stateMask = mask;
    return (BOOL)SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
    TVITEMA tvi = {};
    tvi.mask = TVIF_PARAM;
    tvi.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return 0;
    return static_cast<DWORD_PTR>(tvi.lParam);
}

// ---------------------------------------------------------------------------
// CListCtrl

// A column at position column; width -1: the heading's own width.
int CListCtrl::InsertColumn(int column, const char *heading, int format, int width) {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM | (width >= 0 ? LVCF_WIDTH : 0);
    lvc.fmt = format;
    lvc.cx = width;
    lvc.pszText = const_cast<char *>(heading);
    lvc.iSubItem = column;
    const int inserted = (int)SendMessage(LVM_INSERTCOLUMNA, (WPARAM)column, reinterpret_cast<LPARAM>(&lvc));
    if (inserted >= 0 && width < 0) SendMessage(LVM_SETCOLUMNWIDTH, (WPARAM)inserted, LVSCW_AUTOSIZE_USEHEADER);
    return inserted;
}

// item -1: every item.
BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMA lvi = {};
    lvi.state = state;
    lvi.stateMask = mask;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)item, reinterpret_cast<LPARAM>(&lvi));
}
