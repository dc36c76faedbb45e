#include "elementselectdlg.h"

#include <cstdio>

#include "resource.h"
#include "core/elements.h"
#include "quillon/dpi.h"

namespace {

const char *const HELP_TEXT =
    "\"Get Ratios\" button becomes active only when calibration value is larger than or equal to 0.\n\n"
    "You can increase calibration value by doing one of the following.\n\n"
    "1 )  Including more elements for ratio-calculation from the list on the right.\n"
    "Double-click left mouse button or press space-bar on an entry to include or exclude.\n\n"
    "2 )  Reducing the number of Unfixed entries in the starting materials list  (a)  by turning an Unfixed "
    "entry into a Fixed entry or  (b)  by removing an Unfixed entry.";

// The legend's bitmap (drawn at 96 DPI) at dpi: scaled with halftoning into
// a bitmap of the screen's format, or nullptr when it cannot be made.
HBITMAP ScaledLegend(HINSTANCE instance, int dpi) {
    HBITMAP source = static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_LEGEND), IMAGE_BITMAP, 0, 0,
                                                       LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (source == nullptr || ::GetObjectA(source, sizeof info, &info) == 0) {
        if (source != nullptr) ::DeleteObject(source);
        return nullptr;
    }
    int width = QuillonScale(info.bmWidth, dpi), height = QuillonScale(info.bmHeight, dpi);
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen), to = ::CreateCompatibleDC(screen);
    HBITMAP scaled = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldFrom = ::SelectObject(from, source), oldTo = ::SelectObject(to, scaled);
    ::SetStretchBltMode(to, HALFTONE);
    ::SetBrushOrgEx(to, 0, 0, nullptr);
    ::StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(from, oldFrom);
    ::SelectObject(to, oldTo);
    ::DeleteDC(from);
    ::DeleteDC(to);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(source);
    return scaled;
}

}  // namespace

BEGIN_MESSAGE_MAP(CElementSelectionDlg, CDialog)
    ON_BN_CLICKED(IDC_RESET, OnReset)
    ON_BN_CLICKED(IDC_SET_ALL, OnSetAll)
    ON_NOTIFY(TVN_KEYDOWN, IDC_ELEMENT_TREE, OnTreeKeyDown)
    ON_NOTIFY(NM_DBLCLK, IDC_ELEMENT_TREE, OnTreeDoubleClick)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// The tree view's class must exist before the template creates it.
CElementSelectionDlg::CElementSelectionDlg() : CDialog(IDD_ATOM_SELECTION, nullptr) { AfxInitCommonControls(); }

CElementSelectionDlg::~CElementSelectionDlg() {
    if (legend != nullptr) ::DeleteObject(legend);
    delete font;
    delete images;
    composition.Clear();
}

int CElementSelectionDlg::SetData(const char *productFormula, int unfixed, const CFormulaParser &formulaParser,
                                  const ElementSelection &start, bool offered, bool retained) {
    unfixedCount = unfixed;
    parser = &formulaParser;
    selection = start;
    retainOffered = offered;
    retain = retained;
    CFormulaNode *root = nullptr;
    if (parser->Check(productFormula, &root) != 0) return 1;
    int result = parser->GetComposition(nullptr, 1.0, root, composition) != 0 ? 2 : 0;
    delete root;
    return result;
}

// 1 + included + 2 x metal: the cross, square, dash and disc of the image list.
int CElementSelectionDlg::StateIndex(int element) const {
    return 1 + (selection.Includes(element) ? 1 : 0) + (Table().metal(element) ? 2 : 0);
}

BOOL CElementSelectionDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_SELECTION_HELP, HELP_TEXT);
    if (retainOffered) {
        CheckDlgButton(IDC_RETAIN_CHANGE, retain ? BST_CHECKED : BST_UNCHECKED);
    } else {
        CheckDlgButton(IDC_RETAIN_CHANGE, BST_CHECKED);
        GetDlgItem(IDC_RETAIN_CHANGE)->EnableWindow(FALSE);
    }

    tree.Attach(::GetDlgItem(m_hWnd, IDC_ELEMENT_TREE));
    CDC *dc = GetDC();
    font = new CFont;
    font->CreatePointFont(100, "Courier New", dc);
    ReleaseDC(dc);
    tree.SetFont(font, TRUE);

    // The state images and the legend are pixels at 96 DPI: scaled to the dialog's.
    int dpi = QuillonDpiOf(m_hWnd);
    int side = QuillonScale(16, dpi);
    images = new CImageList;
    images->Create(side, side, ILC_COLOR | ILC_MASK, 5, 5);
    const UINT icons[] = {IDI_STATE_EMPTY, IDI_NONMETAL_EXCLUDED, IDI_NONMETAL_INCLUDED, IDI_METAL_EXCLUDED,
                          IDI_METAL_INCLUDED};
    for (UINT id : icons) {
        HICON icon = static_cast<HICON>(
            ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
        images->Add(icon);
        if (icon != nullptr) ::DestroyIcon(icon);
    }
    tree.SetImageList(images, TVSIL_STATE);
    if (dpi != 96) {
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if ((::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
            char name[16] = "";
            ::GetClassNameA(child, name, sizeof name);
            if (::lstrcmpiA(name, "Static") != 0) continue;
            legend = ScaledLegend(AfxGetInstanceHandle(), dpi);
            // The static sizes itself to the new bitmap; the template's is ours to delete.
            HGDIOBJ old = legend == nullptr ? nullptr
                                            : reinterpret_cast<HGDIOBJ>(::SendMessageA(
                                                  child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(legend)));
            if (old != nullptr && old != legend) ::DeleteObject(old);
            break;
        }
    }

    selectedCount = 0;
    for (int k = 0; k < composition.count; ++k) {
        int element = composition.elements[k];
        char text[16];
        std::snprintf(text, sizeof text, "%-4s%d", Table().Symbol(element), element + 1);
        TVINSERTSTRUCTA insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_SORT;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        insert.item.pszText = text;
        insert.item.lParam = element;
        insert.item.state = INDEXTOSTATEIMAGEMASK(StateIndex(element));
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        if (tree.InsertItem(&insert) == nullptr) {
            AfxMessageBox("Couldn't load data to Atom Selection List.");
            SendMessage(WM_CLOSE);
            return FALSE;
        }
        if (selection.Includes(element)) ++selectedCount;
    }
    UpdateCalibration();
    return TRUE;
}

void CElementSelectionDlg::UpdateCalibration() {
    calibration = selectedCount - unfixedCount;
    char text[16];
    std::snprintf(text, sizeof text, "%d", calibration);
    SetDlgItemText(IDC_CALIBRATION, text);
    GetDlgItem(IDOK)->EnableWindow(calibration >= 0);
}

// Space bar or double click: the selected element in or out.
void CElementSelectionDlg::ToggleSelected() {
    ::MessageBeep(0);
    HTREEITEM item = tree.GetSelectedItem();
    if (item == nullptr) return;
    int element = static_cast<int>(tree.GetItemData(item));
    const bool included = !selection.Includes(element);
    selection.Set(element, included);
    tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(StateIndex(element)), TVIS_STATEIMAGEMASK);
    selectedCount += included ? 1 : -1;
    UpdateCalibration();
}

void CElementSelectionDlg::OnTreeKeyDown(NMHDR *header, LRESULT *result) {
    if (reinterpret_cast<NMTVKEYDOWN *>(header)->wVKey == VK_SPACE) ToggleSelected();
    *result = 0;
}

void CElementSelectionDlg::OnTreeDoubleClick(NMHDR *, LRESULT *result) {
    ToggleSelected();
    *result = 0;
}

void CElementSelectionDlg::RefreshStates() {
    selectedCount = 0;
    for (HTREEITEM item = tree.GetRootItem(); item != nullptr; item = tree.GetNextSiblingItem(item)) {
        int element = static_cast<int>(tree.GetItemData(item));
        tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(StateIndex(element)), TVIS_STATEIMAGEMASK);
        if (selection.Includes(element)) ++selectedCount;
    }
    tree.Invalidate(TRUE);
    tree.UpdateWindow();
    UpdateCalibration();
}

void CElementSelectionDlg::OnReset() {
    selection = ElementSelection::Metals(Table());
    RefreshStates();
}

void CElementSelectionDlg::OnSetAll() {
    selection = ElementSelection::All(Table());
    RefreshStates();
}

// "Get Ratios": the check box's state is the answer.
void CElementSelectionDlg::OnOK() {
    if (retainOffered) retain = IsDlgButtonChecked(IDC_RETAIN_CHANGE) == BST_CHECKED;
    CDialog::OnOK();
}

void CElementSelectionDlg::OnDestroy() {
    tree.Detach();
    Default();
}
