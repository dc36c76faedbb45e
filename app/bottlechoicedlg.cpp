#include "bottlechoicedlg.h"

#include "core/datatext.h"
#include "resource.h"
#include "weighingdlg.h"

namespace {

// The list's columns, in dialog units: name, supplier, lot, purity, form.
const int kTabStops[] = {100, 185, 235, 270};

}  // namespace

CString BottleTitle(const Bottle &bottle) {
    const BottleRef ref = bottle.Ref();
    return ref.name.IsEmpty() && ref.supplier.IsEmpty() && ref.lot.IsEmpty() ? bottle.formula : BottleText(ref);
}

BEGIN_MESSAGE_MAP(CBottleChoiceDlg, CDialog)
    ON_CONTROL(LBN_DBLCLK, IDC_BOTTLE_LIST, OnListDoubleClick)
END_MESSAGE_MAP()

CBottleChoiceDlg::CBottleChoiceDlg(const Shelf &shelf, const std::vector<int> &bottles, const CString &formula,
                                   int rowNumber, CWnd *parent)
    : CDialog(IDD_BOTTLECHOICE, parent), shelf(shelf), bottles(bottles), formula(formula), rowNumber(rowNumber) {}

BOOL CBottleChoiceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString heading;
    heading.Format("The shelf has %d bottles of %s for row %d:", int(bottles.size()), formula.GetString(), rowNumber);
    SetDlgItemText(IDC_BOTTLE_HEADING, heading);
    HWND list = ::GetDlgItem(m_hWnd, IDC_BOTTLE_LIST);
    ::SendMessageA(list, LB_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0],
                   reinterpret_cast<LPARAM>(kTabStops));
    for (int index : bottles) {
        const Bottle &bottle = shelf.bottles[size_t(index)];
        const CString form = FormBrief(bottle.form);
        const CString line = bottle.name + "\t" + bottle.supplier + "\t" +
                             (bottle.lot.IsEmpty() ? CString() : "lot " + bottle.lot) + "\t" +
                             FormatFieldNumber(bottle.purity) + " %\t" + (form.IsEmpty() ? CString("solid") : form);
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.GetString()));
    }
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    ::SetFocus(list);
    return FALSE;
}

void CBottleChoiceDlg::OnOK() {
    const LRESULT selected = ::SendDlgItemMessageA(m_hWnd, IDC_BOTTLE_LIST, LB_GETCURSEL, 0, 0);
    if (selected < 0 || size_t(selected) >= bottles.size()) return;
    chosen = bottles[size_t(selected)];
    CDialog::OnOK();
}

void CBottleChoiceDlg::OnListDoubleClick() { OnOK(); }
