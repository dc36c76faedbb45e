#include "shelfdlg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "core/datatext.h"
#include "core/textutil.h"
#include "bottlechoicedlg.h"
#include "fields.h"
#include "resource.h"
#include "weighingdlg.h"

namespace {

// The list's columns and their widths in dialog units.
const struct {
    const char *heading;
    int width;
} kColumns[] = {{"Formula", 50}, {"Name", 80}, {"Purity (%)", 44}, {"Form", 60},
                {"Supplier", 80}, {"Lot", 40},  {"Location", 40},   {"Note", 42}};
const int kColumnCount = int(sizeof kColumns / sizeof kColumns[0]);
const int kPurityColumn = 2;

// The text of a bottle's column as the list shows it.
CString ColumnText(const Bottle &bottle, int column) {
    switch (column) {
    case 0: return bottle.formula;
    case 1: return bottle.name;
    case 2: return FormatFieldNumber(bottle.purity);
    case 3: return FormBrief(bottle.form);
    case 4: return bottle.supplier;
    case 5: return bottle.lot;
    case 6: return bottle.location;
    default: return bottle.note;
    }
}

// A Windows-1252 text with its capitals as small letters (ASCII, the accented
// letters, Š Œ Ž Ÿ), so that a filter and a sort see no case.
std::string Folded(const char *text) {
    std::string folded(text);
    for (char &c : folded) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) c = char(u + 0x20);
        else if (u == 0x8A || u == 0x8C || u == 0x8E) c = char(u + 0x10);
        else if (u == 0x9F) c = char(0xFF);
    }
    return folded;
}

// A field's text without the blanks around it; a line break or tab (pasted) is a blank.
CString FieldText(HWND dialog, int id) {
    std::string text = WholeText(::GetDlgItem(dialog, id)).GetString();
    for (char &c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return CString();
    return CString(text.c_str() + start, int(text.find_last_not_of(' ') - start + 1));
}

// The bottle as a message names it: "BaCO3 (Barium carbonate, Northfield Chemicals, lot NC-2291)".
CString NamedBottle(const Bottle &bottle) {
    const CString title = BottleTitle(bottle);
    return title == bottle.formula ? title : bottle.formula + " (" + title + ")";
}

// A form's field: its value in the form, and which value it is (its message).
const struct FormField {
    int id;
    double MaterialForm::*value;
    FormValue which;
} kFormFields[] = {
    {IDC_BOTTLE_DENSITY, &MaterialForm::density, FormValue::Density},
    {IDC_BOTTLE_MOLARITY, &MaterialForm::molarity, FormValue::Molarity},
    {IDC_BOTTLE_FRACTION, &MaterialForm::massFraction, FormValue::MassFraction},
};

// The field a bottle's problem is in: the first that its checks refuse, in the fields' order.
int FieldAtFault(const Bottle &bottle, const ShelfFormulaCheck &check) {
    if (bottle.formula.IsEmpty() || !check(bottle.formula)) return IDC_BOTTLE_FORMULA;
    if (CheckPurity(bottle.purity) != BatchValueCheck::Acceptable) return IDC_BOTTLE_PURITY;
    switch (CheckForm(bottle.form, bottle.purity)) {
    case FormCheck::PurityOfSolution: return IDC_BOTTLE_PURITY;
    case FormCheck::BadDensity: return IDC_BOTTLE_DENSITY;
    case FormCheck::BadMolarity: return IDC_BOTTLE_MOLARITY;
    case FormCheck::BadMassFraction:
    case FormCheck::MolarityWithMassFraction: return IDC_BOTTLE_FRACTION;
    default: return IDC_BOTTLE_FORMULA;
    }
}

// The message of a bottle's problem, in the fields' words: "Wrong value for purity!\nPurity must
// be above 0 and at most 100 %, not 120."
CString ProblemMessage(int field, const CString &problem) {
    const char *name = field == IDC_BOTTLE_PURITY     ? "purity"
                       : field == IDC_BOTTLE_DENSITY  ? "density"
                       : field == IDC_BOTTLE_MOLARITY ? "molarity"
                       : field == IDC_BOTTLE_FRACTION ? "mass fraction"
                                                      : "formula";
    std::string sentence = problem.GetString();
    if (!sentence.empty()) sentence[0] = char(std::toupper(static_cast<unsigned char>(sentence[0])));
    return CString("Wrong value for ") + name + "!\n" + sentence.c_str() + ".";
}

const char kCaption[] = "Quillon";

}  // namespace

// ---------------------------------------------------------------------------
// CBottleDlg

CBottleDlg::CBottleDlg(const Bottle &start, const ShelfFormulaCheck &formulaCheck, CWnd *parent)
    : CDialog(IDD_BOTTLE, parent), bottle(start), check(formulaCheck) {}

BOOL CBottleDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const struct { int id; const CString &text; } texts[] = {
        {IDC_BOTTLE_FORMULA, bottle.formula}, {IDC_BOTTLE_NAME, bottle.name},   {IDC_BOTTLE_SUPPLIER, bottle.supplier},
        {IDC_BOTTLE_LOT, bottle.lot},         {IDC_BOTTLE_LOCATION, bottle.location}, {IDC_BOTTLE_NOTE, bottle.note}};
    for (const auto &text : texts) SetDlgItemText(text.id, text.text);
    // The shortest text that reads back exactly: OK must not round a value it did not change.
    SetDlgItemText(IDC_BOTTLE_PURITY, FormatFieldNumber(bottle.purity));
    for (const FormField &field : kFormFields) {
        const double value = bottle.form.*field.value;
        SetDlgItemText(field.id, value != 0.0 ? FormatFieldNumber(value) : CString());
    }
    return TRUE;
}

bool CBottleDlg::Refuse(const CString &problem, int field) {
    MessageBox(problem, kCaption, MB_OK | MB_ICONHAND);
    FocusField(this, field);
    return false;
}

void CBottleDlg::OnOK() {
    Bottle typed = bottle;
    const struct { int id; CString &text; } texts[] = {
        {IDC_BOTTLE_FORMULA, typed.formula}, {IDC_BOTTLE_NAME, typed.name},   {IDC_BOTTLE_SUPPLIER, typed.supplier},
        {IDC_BOTTLE_LOT, typed.lot},         {IDC_BOTTLE_LOCATION, typed.location}, {IDC_BOTTLE_NOTE, typed.note}};
    for (const auto &text : texts) text.text = FieldText(m_hWnd, text.id);
    // Blank purity: 100 %, as a blank cell of the file.
    const CString purity = FieldText(m_hWnd, IDC_BOTTLE_PURITY);
    typed.purity = PURITY_DEFAULT;
    const int purityRead = purity.IsEmpty() ? 0 : ReadNumberText(purity, &typed.purity);
    if (purityRead != 0) {
        Refuse(PurityProblem(purityRead, typed.purity), IDC_BOTTLE_PURITY);
        return;
    }
    // Blank: not given. A value typed is above 0 (0 would read as not given).
    typed.form = MaterialForm();
    for (const FormField &field : kFormFields) {
        const CString text = FieldText(m_hWnd, field.id);
        if (text.IsEmpty()) continue;
        double value = 0.0;
        const int read = ReadNumberText(text, &value);
        if (read != 0 || !(value > 0.0)) {
            Refuse(FormFieldProblem(field.which, read), field.id);
            return;
        }
        typed.form.*field.value = value;
    }
    const CString problem = BottleProblem(typed, check);
    if (!problem.IsEmpty()) {
        const int field = FieldAtFault(typed, check);
        Refuse(ProblemMessage(field, problem), field);
        return;
    }
    bottle = typed;
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------
// CShelfDlg

BEGIN_MESSAGE_MAP(CShelfDlg, CDialog)
    ON_CONTROL(EN_CHANGE, IDC_SHELF_FILTER, OnFilterTyped)
    ON_BN_CLICKED(IDC_SHELF_ADD, OnAdd)
    ON_BN_CLICKED(IDC_SHELF_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_SHELF_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_SHELF_PUT, OnPut)
    ON_BN_CLICKED(IDC_SHELF_SAVE, OnSave)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_SHELF_LIST, OnColumnClick)
    ON_NOTIFY(NM_DBLCLK, IDC_SHELF_LIST, OnDoubleClick)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_SHELF_LIST, OnItemChanged)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_SHELF_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_ODFINDITEMA, IDC_SHELF_LIST, OnFindItem)
    ON_NOTIFY(LVN_ODFINDITEMW, IDC_SHELF_LIST, OnFindItem)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CShelfDlg::CShelfDlg(Shelf &programShelf, const char *shelfPath, const ShelfFormulaCheck &formulaCheck, int row,
                     CWnd *parent)
    : CDialog(IDD_SHELF, parent), shelf(programShelf), edited(programShelf), path(shelfPath), check(formulaCheck),
      proposedRow(row >= 1 && row <= ROW_CAPACITY ? row : 1) {
    AfxInitCommonControls();  // the list view's class, before the template makes one
}

void CShelfDlg::OnDestroy() {
    list.Detach();
    Default();
}

BOOL CShelfDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    list.Attach(::GetDlgItem(m_hWnd, IDC_SHELF_LIST));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int column = 0; column < kColumnCount; ++column) {
        RECT width = {0, 0, kColumns[column].width, 0};
        ::MapDialogRect(m_hWnd, &width);
        list.InsertColumn(column, kColumns[column].heading, column == kPurityColumn ? LVCFMT_RIGHT : LVCFMT_LEFT,
                          width.right);
    }
    for (int row = 1; row <= ROW_CAPACITY; ++row) {
        const CString number = FormatFieldNumber(row);
        ::SendDlgItemMessageA(m_hWnd, IDC_SHELF_ROW, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.GetString()));
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_SHELF_ROW, CB_SETCURSEL, WPARAM(proposedRow - 1), 0);
    SetDlgItemText(IDC_SHELF_FILE, path.IsEmpty() ? CString("No shelf file is chosen: choose one under Options > "
                                                            "Shelf File... to save the shelf.")
                                                  : "File: " + path);
    Fill();
    return TRUE;
}

void CShelfDlg::Fill(int keep) {
    const std::string filter = Folded(WholeText(::GetDlgItem(m_hWnd, IDC_SHELF_FILTER)));
    shown.clear();
    for (int i = 0; i < int(edited.bottles.size()); ++i) {
        bool passes = filter.empty();
        for (int column = 0; column < kColumnCount && !passes; ++column)
            passes = Folded(ColumnText(edited.bottles[size_t(i)], column)).find(filter) != std::string::npos;
        if (passes) shown.push_back(i);
    }
    if (sortColumn >= 0) {
        std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) {
            const Bottle &x = edited.bottles[size_t(descending ? b : a)], &y = edited.bottles[size_t(descending ? a : b)];
            if (sortColumn == kPurityColumn) return x.purity < y.purity;
            return Folded(ColumnText(x, sortColumn)) < Folded(ColumnText(y, sortColumn));
        });
    }
    // The list holds no text of its own: it asks for each line it draws
    // (OnGetDispInfo), so a shelf of thousands of bottles is listed at once.
    // Emptied first, it drops the selection without a notice for each line.
    list.SetItemCountEx(0);
    list.SetItemCountEx(int(shown.size()));
    const auto kept = std::find(shown.begin(), shown.end(), keep);
    const int selected = kept != shown.end() ? int(kept - shown.begin()) : shown.empty() ? -1 : 0;
    if (selected >= 0) {
        list.SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(selected, FALSE);
    }
    CString count;
    const int total = int(edited.bottles.size());
    if (int(shown.size()) == total) count.Format(total == 1 ? "%d bottle" : "%d bottles", total);
    else count.Format("%d of %d bottles", int(shown.size()), total);
    SetDlgItemText(IDC_SHELF_COUNT, count);
    CString problems;
    const int bad = int(edited.problems.size());
    if (bad > 0)
        problems.Format(bad == 1 ? "%d line of the file could not be read; it is kept as it is when the shelf is saved."
                                 : "%d lines of the file could not be read; they are kept as they are when the shelf is saved.",
                        bad);
    SetDlgItemText(IDC_SHELF_PROBLEMS, problems);
    EnableButtons();
}

int CShelfDlg::Selected() const {
    const int item = list.GetNextItem(-1, LVNI_SELECTED);
    return item < 0 || item >= int(shown.size()) ? -1 : shown[size_t(item)];
}

void CShelfDlg::EnableButtons() {
    const bool any = Selected() >= 0;
    for (int id : {IDC_SHELF_EDIT, IDC_SHELF_REMOVE, IDC_SHELF_PUT, IDC_SHELF_ROW})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), any);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SHELF_SAVE), !path.IsEmpty());
}

void CShelfDlg::OnFilterTyped() { Fill(Selected()); }

void CShelfDlg::OnItemChanged(NMHDR *, LRESULT *) { EnableButtons(); }

void CShelfDlg::OnGetDispInfo(NMHDR *header, LRESULT *) {
    LVITEMA &item = reinterpret_cast<NMLVDISPINFOA *>(header)->item;
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
    item.pszText[0] = '\0';
    if (item.iItem < 0 || item.iItem >= int(shown.size())) return;
    const CString text = ColumnText(edited.bottles[size_t(shown[size_t(item.iItem)])], item.iSubItem);
    ::lstrcpynA(item.pszText, text, item.cchTextMax);
}

// Letters typed in the list: the next line from iStart (round to the top)
// whose formula starts with them, without regard to case; -1 when none does.
// The notice comes in either character set: a list view may send the wide
// one to a parent that takes ANSI notices (Wine's does), its letters wide.
void CShelfDlg::OnFindItem(NMHDR *header, LRESULT *result) {
    const NMLVFINDITEMA &find = *reinterpret_cast<NMLVFINDITEMA *>(header);
    *result = -1;
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.lvfi.psz == nullptr || shown.empty()) return;
    char letters[MAX_PATH] = "";
    if (header->code == LVN_ODFINDITEMW)
        ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t *>(find.lvfi.psz), -1, letters, MAX_PATH,
                              nullptr, nullptr);
    else
        ::lstrcpynA(letters, find.lvfi.psz, MAX_PATH);
    const std::string typed = Folded(letters);
    const int count = int(shown.size());
    for (int i = 0; i < count; ++i) {
        const int item = (std::max(find.iStart, 0) + i) % count;
        if (Folded(edited.bottles[size_t(shown[size_t(item)])].formula).compare(0, typed.size(), typed) == 0) {
            *result = item;
            return;
        }
    }
}

// The same column again sorts the other way; another column, ascending.
void CShelfDlg::OnColumnClick(NMHDR *header, LRESULT *) {
    const int column = reinterpret_cast<NMLISTVIEW *>(header)->iSubItem;
    descending = column == sortColumn && !descending;
    sortColumn = column;
    Fill(Selected());
}

void CShelfDlg::OnDoubleClick(NMHDR *, LRESULT *) {
    if (Selected() >= 0) OnEdit();
}

void CShelfDlg::OnOK() {
    if (::GetFocus() == list.m_hWnd && Selected() >= 0) OnEdit();
}

void CShelfDlg::OnAdd() {
    CBottleDlg dialog(Bottle(), check, this);
    if (dialog.DoModal() != IDOK) return;
    edited.bottles.push_back(dialog.Value());
    edited.Reindex();
    changed = true;
    Fill(int(edited.bottles.size()) - 1);
}

void CShelfDlg::OnEdit() {
    const int chosen = Selected();
    if (chosen < 0) return;
    CBottleDlg dialog(edited.bottles[size_t(chosen)], check, this);
    if (dialog.DoModal() != IDOK || SameBottle(dialog.Value(), edited.bottles[size_t(chosen)])) return;
    edited.bottles[size_t(chosen)] = dialog.Value();
    edited.Reindex();
    changed = true;
    Fill(chosen);
}

void CShelfDlg::OnRemove() {
    const int chosen = Selected();
    if (chosen < 0) return;
    const CString question = "Remove " + NamedBottle(edited.bottles[size_t(chosen)]) + " from the shelf?";
    if (MessageBox(question, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    edited.bottles.erase(edited.bottles.begin() + chosen);
    edited.Reindex();
    changed = true;
    Fill();
}

void CShelfDlg::OnPut() {
    const int chosen = Selected();
    if (chosen < 0) return;
    putBottle = edited.bottles[size_t(chosen)];
    putRow = int(::SendDlgItemMessageA(m_hWnd, IDC_SHELF_ROW, CB_GETCURSEL, 0, 0)) + 1;
    if (putRow < 1) putRow = proposedRow;
    if (LeaveAsked()) EndDialog(IDC_SHELF_PUT);
}

void CShelfDlg::OnSave() { Save(); }

bool CShelfDlg::Save() {
    if (path.IsEmpty()) return false;
    ShelfSaveStatus status = SaveShelfFile(path, &edited);
    if (status == ShelfSaveStatus::ChangedOnDisk) {
        const CString question = "The shelf file " + path +
                                 " was changed since it was read.\n\nYes: overwrite it with the shelf shown here.\n"
                                 "No: read the file again (the changes made here are lost).\nCancel: go on editing.";
        const int answer = MessageBox(question, kCaption, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (answer == IDNO) Reload();
        if (answer != IDYES) return false;
        status = SaveShelfFile(path, &edited, true);
    }
    if (status != ShelfSaveStatus::Saved) {
        MessageBox("The shelf could not be saved to " + path + ".\nThe file is as it was.", kCaption, MB_OK | MB_ICONHAND);
        return false;
    }
    shelf = edited;
    changed = false;
    return true;
}

void CShelfDlg::Reload() {
    Shelf fresh;
    const ShelfReadStatus status = ReadShelfFile(path, check, &fresh);
    const CString message = ShelfReadMessage(status, path, fresh);
    edited = fresh;
    shelf = fresh;
    changed = false;
    Fill();
    if (!message.IsEmpty()) MessageBox(message, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

bool CShelfDlg::LeaveAsked() {
    if (!changed) return true;
    if (path.IsEmpty()) {
        return MessageBox("The changes to the shelf cannot be saved: no shelf file is chosen.\nLeave them?", kCaption,
                          MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    const int answer = MessageBox("Save changes to the shelf?", kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDNO || (answer == IDYES && Save());
}

void CShelfDlg::OnCancel() {
    if (LeaveAsked()) CDialog::OnCancel();
}
