#include "weighingdlg.h"

#include <cstring>

#include "core/calcfile.h"
#include "core/rowstore.h"
#include "core/textutil.h"
#include "fields.h"
#include "resource.h"

namespace {

// The list's columns, in dialog units from its left edge: row, formula, ratio, purity, excess, form.
const int kTabStops[] = {18, 150, 196, 242, 288};

// The forms in the order of the Form list, which is FormKind's.
const char *const kFormNames[] = {"Solid (weighed)", "Neat liquid", "Solution (mol/L)", "Solution (% by mass)"};

// A field of the form: what it holds and how a wrong value is told, in the
// order of FormValue.
struct FormField {
    int id;
    const char *name;     // "Wrong value for density!"
    const char *meaning;  // what a value is, for a text that does not read or is not above 0
};
const FormField kFormFields[] = {
    {IDC_DENSITY, "density", "A density is a number of g/mL above 0."},
    {IDC_MOLARITY, "molarity", "A molarity is a number of mol/L above 0."},
    {IDC_MASS_FRACTION, "mass fraction", "A mass fraction is a percentage above 0 and at most 100."},
};

// Whether a field takes input for a form: the density for every liquid (the
// neat liquid's own, else the solution's, optional), the molarity and the
// mass fraction for their solutions.
bool TakesInput(FormKind kind, int id) {
    if (id == IDC_DENSITY) return kind != FormKind::Solid;
    return (id == IDC_MOLARITY && kind == FormKind::Molar) || (id == IDC_MASS_FRACTION && kind == FormKind::MassFraction);
}

// The value of a form that field id shows.
double &FieldOfForm(MaterialForm &form, int id) {
    return id == IDC_DENSITY ? form.density : id == IDC_MOLARITY ? form.molarity : form.massFraction;
}

bool Blank(const CString &text) { return std::strspn(text.GetString(), " \t") == size_t(text.GetLength()); }

bool IsSolution(FormKind kind) { return kind == FormKind::Molar || kind == FormKind::MassFraction; }

CString FieldText(CWnd *dialog, int id) { return WholeText(::GetDlgItem(dialog->m_hWnd, id)); }

// The one number reader on a field: what it answered, *value set on 0.
int ReadField(CWnd *dialog, int id, double *value) { return ReadNumberText(FieldText(dialog, id), value); }

CString WithCommaHint(const char *text, int read) {
    CString message = text;
    if (read == 2) message += "\nUse a point for decimals: 1.5.";
    return message;
}

LRESULT Send(CWnd *dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendDlgItemMessageA(dialog->m_hWnd, id, message, wParam, lParam);
}

}  // namespace

// The form as the list's last column shows it: "0.933 g/mL", "0.5 M, 1.1 g/mL", "40 wt%".
CString FormBrief(const MaterialForm &form) {
    const CString density = form.density != 0.0 ? FormatFieldNumber(form.density) + " g/mL" : CString();
    const CString comma = density.IsEmpty() ? "" : ", ";
    switch (form.Kind()) {
    case FormKind::Solid:
        break;
    case FormKind::NeatLiquid:
        return density;
    case FormKind::Molar:
        return FormatFieldNumber(form.molarity) + " M" + comma + density;
    case FormKind::MassFraction:
        return FormatFieldNumber(form.massFraction) + " wt%" + comma + density;
    }
    return CString();
}

CString FormFieldProblem(FormValue which, int read) {
    const FormField &field = kFormFields[static_cast<int>(which)];
    return WithCommaHint(CString("Wrong value for ") + field.name + "!\n" + field.meaning, read);
}

CString PurityProblem(int read, double percent) {
    const BatchValueCheck check = read == 0 ? CheckPurity(percent) : BatchValueCheck::OutOfLimits;
    if (check == BatchValueCheck::Acceptable) return CString();
    if (check == BatchValueCheck::TooFine) return "Wrong value for purity!\nA purity must be " + PurityShownLimit() + ".";
    return WithCommaHint("Wrong value for purity!\nA purity is a percentage above 0 and at most 100.", read);
}

CString ExcessProblem(int read, double percent) {
    const BatchValueCheck check = read == 0 ? CheckExcess(percent) : BatchValueCheck::OutOfLimits;
    if (check == BatchValueCheck::Acceptable) return CString();
    if (check == BatchValueCheck::TooFine) return "Wrong value for excess!\nAn excess must be " + ExcessShownLimit() + ".";
    return WithCommaHint("Wrong value for excess!\nAn excess is a percentage of 0 or more, below 1000.", read);
}

CString MassProblem(int read, double grams, const char *what) {
    if (read == 0 && AmountShowable(grams)) return CString();
    CString text;
    if (read == 0 && grams > 0.0) {
        text.Format("Wrong value for %s!\nA mass must be %s.", what, AmountShownLimit().GetString());
        return text;
    }
    text.Format("Wrong value for %s!\nA mass is a number of grams above 0.", what);
    return WithCommaHint(text, read);
}

BEGIN_MESSAGE_MAP(CWeighingDlg, CDialog)
    ON_CONTROL(LBN_SELCHANGE, IDC_WEIGHING_LIST, OnSelectMaterial)
    ON_CONTROL(EN_CHANGE, IDC_PURITY, OnValueTyped)
    ON_CONTROL(EN_CHANGE, IDC_EXCESS, OnValueTyped)
    ON_CONTROL(EN_CHANGE, IDC_DENSITY, OnValueTyped)
    ON_CONTROL(EN_CHANGE, IDC_MOLARITY, OnValueTyped)
    ON_CONTROL(EN_CHANGE, IDC_MASS_FRACTION, OnValueTyped)
    ON_CONTROL(CBN_SELCHANGE, IDC_FORM, OnFormChosen)
    ON_BN_CLICKED(IDC_SCALE_PRODUCT, OnScaleChoice)
    ON_BN_CLICKED(IDC_SCALE_MATERIAL, OnScaleChoice)
    ON_BN_CLICKED(IDC_SCALE_TOTAL, OnScaleChoice)
END_MESSAGE_MAP()

CWeighingDlg::CWeighingDlg(const WeighingValues &start, CWnd *parent)
    : CDialog(IDD_WEIGHING, parent), values(start) {}

BOOL CWeighingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (values.materials.empty()) values.scale = BatchScale::Product;
    Send(this, IDC_WEIGHING_LIST, LB_SETTABSTOPS, sizeof kTabStops / sizeof kTabStops[0],
         reinterpret_cast<LPARAM>(kTabStops));
    for (const char *name : kFormNames) Send(this, IDC_FORM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    for (size_t i = 0; i < values.materials.size(); ++i) {
        const WeighingMaterial &material = values.materials[i];
        Send(this, IDC_WEIGHING_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        ShowLine(int(i));
        const CString choice = MaterialName(material.formula, material.row);
        LRESULT item = Send(this, IDC_SCALE_ROW, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.GetString()));
        if (material.row == values.scaleRow) Send(this, IDC_SCALE_ROW, CB_SETCURSEL, WPARAM(item));
    }
    const int scaleButton = values.scale == BatchScale::Material ? IDC_SCALE_MATERIAL
                            : values.scale == BatchScale::Total  ? IDC_SCALE_TOTAL
                                                                    : IDC_SCALE_PRODUCT;
    ::CheckRadioButton(m_hWnd, IDC_SCALE_PRODUCT, IDC_SCALE_TOTAL, scaleButton);
    if (values.scale != BatchScale::Product)
        SetDlgItemText(scaleButton == IDC_SCALE_MATERIAL ? IDC_SCALE_MATERIAL_GRAMS : IDC_SCALE_TOTAL_GRAMS,
                       FormatFieldNumber(values.scaleGrams));
    // Without materials there is nothing to scale to but the product.
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SCALE_MATERIAL), !values.materials.empty());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SCALE_TOTAL), !values.materials.empty());
    EnableScaleFields();
    Send(this, IDC_WEIGHING_LIST, LB_SETCURSEL, 0);
    ShowMaterial(values.materials.empty() ? -1 : 0);
    return TRUE;
}

int CWeighingDlg::Scale() const {
    for (int id : {IDC_SCALE_MATERIAL, IDC_SCALE_TOTAL})
        if (IsDlgButtonChecked(id) == BST_CHECKED) return id;
    return IDC_SCALE_PRODUCT;
}

// Only the chosen way of scaling takes input.
void CWeighingDlg::EnableScaleFields() {
    const int scale = Scale();
    for (int id : {IDC_SCALE_ROW, IDC_SCALE_MATERIAL_GRAMS})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), scale == IDC_SCALE_MATERIAL);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SCALE_TOTAL_GRAMS), scale == IDC_SCALE_TOTAL);
}

// Choosing the mass of a starting material proposes the first one.
void CWeighingDlg::OnScaleChoice() {
    EnableScaleFields();
    if (Scale() == IDC_SCALE_MATERIAL && Send(this, IDC_SCALE_ROW, CB_GETCURSEL) < 0)
        Send(this, IDC_SCALE_ROW, CB_SETCURSEL, 0);
}

void CWeighingDlg::ShowLine(int index) {
    const WeighingMaterial &material = values.materials[size_t(index)];
    char ratio[RATIO_TEXT_SIZE];
    FormatRatioText(material.ratio, ratio, sizeof ratio);
    CString line;
    line.Format("%d\t%s\t%s", material.row, material.formula.GetString(), ratio);
    line += CString("\t") + FormatFieldNumber(material.purity) + "\t" + FormatFieldNumber(material.excess);
    if (!material.form.IsSolid()) line += "\t" + FormBrief(material.form);
    const LRESULT selected = Send(this, IDC_WEIGHING_LIST, LB_GETCURSEL);
    Send(this, IDC_WEIGHING_LIST, LB_DELETESTRING, WPARAM(index));
    Send(this, IDC_WEIGHING_LIST, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(line.GetString()));
    if (selected == index) Send(this, IDC_WEIGHING_LIST, LB_SETCURSEL, WPARAM(index));
}

// The list's line follows what is typed while it reads as a value the
// material can take; anything else waits for the check on leaving it.
void CWeighingDlg::OnValueTyped() {
    if (shown < 0) return;
    double purity = 0.0, excess = 0.0;
    if (ReadField(this, IDC_PURITY, &purity) != 0 || !PurityAcceptable(purity)) return;
    if (ReadField(this, IDC_EXCESS, &excess) != 0 || !ExcessAcceptable(excess)) return;
    MaterialForm form;
    CString problem;
    int field = 0;
    if (!ReadForm(purity, &form, &problem, &field)) return;
    WeighingMaterial &material = values.materials[size_t(shown)];
    if (material.purity == purity && material.excess == excess && material.form == form) return;
    material.purity = purity;
    material.excess = excess;
    material.form = form;
    ShowLine(shown);
}

FormKind CWeighingDlg::ChosenForm() const {
    const LRESULT chosen = ::SendDlgItemMessageA(m_hWnd, IDC_FORM, CB_GETCURSEL, 0, 0);
    return chosen > 0 && chosen < LRESULT(sizeof kFormNames / sizeof kFormNames[0]) ? FormKind(chosen) : FormKind::Solid;
}

// The fields the form needs take input. A solution's purity is 100 %: its
// field takes none while it says so (a solution chosen for a material of
// another purity keeps the field, so that the check can say why and the
// chemist can put it right).
void CWeighingDlg::EnableFormFields() {
    const bool any = shown >= 0;
    const FormKind kind = ChosenForm();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FORM), any);
    for (const FormField &field : kFormFields) ::EnableWindow(::GetDlgItem(m_hWnd, field.id), any && TakesInput(kind, field.id));
    double purity = 0.0;
    const bool fixed = IsSolution(kind) && ReadField(this, IDC_PURITY, &purity) == 0 && purity == PURITY_DEFAULT;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PURITY), any && !fixed);
}

// Another form: the fields it does not take are emptied.
void CWeighingDlg::OnFormChosen() {
    const FormKind kind = ChosenForm();
    for (const FormField &field : kFormFields)
        if (!TakesInput(kind, field.id)) SetDlgItemText(field.id, CString());
    EnableFormFields();
    OnValueTyped();
}

bool CWeighingDlg::ReadForm(double purity, MaterialForm *form, CString *problem, int *field) {
    const FormKind kind = ChosenForm();
    *form = MaterialForm();
    for (const FormField &each : kFormFields) {
        if (!TakesInput(kind, each.id)) continue;
        double value = 0.0;
        const int read = ReadField(this, each.id, &value);
        const bool optional = each.id == IDC_DENSITY && IsSolution(kind);
        if (read == 0 && (value > 0.0 || (optional && Blank(FieldText(this, each.id))))) {
            FieldOfForm(*form, each.id) = value;
            continue;
        }
        *problem = FormFieldProblem(static_cast<FormValue>(&each - kFormFields), read);
        *field = each.id;
        return false;
    }
    const FormCheck check = CheckForm(*form, purity);
    if (check == FormCheck::Acceptable) return true;
    const WeighingMaterial &material = values.materials[size_t(shown)];
    const CString name = MaterialName(material.formula, material.row);
    const FormField *wrong = check == FormCheck::BadMolarity       ? &kFormFields[1]
                             : check == FormCheck::BadMassFraction ? &kFormFields[2]
                                                                   : &kFormFields[0];
    const bool purityWrong = check == FormCheck::PurityOfSolution;
    *problem = CString("Wrong value for ") + (purityWrong ? "purity" : wrong->name) + "!\n" +
               FormProblem(check, *form, name);
    *field = purityWrong ? IDC_PURITY : wrong->id;
    return false;
}

void CWeighingDlg::ShowMaterial(int index) {
    shown = -1;  // the fields change one after the other: none belongs to a material meanwhile
    const bool any = index >= 0;
    for (int id : {IDC_PURITY, IDC_EXCESS}) ::EnableWindow(::GetDlgItem(m_hWnd, id), any);
    // The shortest text that reads back exactly: OK must not round a value it did not change.
    SetDlgItemText(IDC_PURITY, any ? FormatFieldNumber(values.materials[size_t(index)].purity) : CString());
    SetDlgItemText(IDC_EXCESS, any ? FormatFieldNumber(values.materials[size_t(index)].excess) : CString());
    MaterialForm form = any ? values.materials[size_t(index)].form : MaterialForm();
    Send(this, IDC_FORM, CB_SETCURSEL, WPARAM(form.Kind()));
    for (const FormField &field : kFormFields) {
        const double value = FieldOfForm(form, field.id);
        SetDlgItemText(field.id, value != 0.0 ? FormatFieldNumber(value) : CString());
    }
    shown = index;
    EnableFormFields();
}

// The message, then back into the field with its text selected. Always false.
bool CWeighingDlg::Refuse(const CString &problem, int field) {
    MessageBox(problem, "Quillon", MB_OK | MB_ICONHAND);
    FocusField(this, field);
    return false;
}

bool CWeighingDlg::KeepMaterial() {
    if (shown < 0) return true;
    double purity = 0.0, excess = 0.0;
    const int purityRead = ReadField(this, IDC_PURITY, &purity);  // read before the value is passed on
    CString problem = PurityProblem(purityRead, purity);
    if (!problem.IsEmpty()) return Refuse(problem, IDC_PURITY);
    const int excessRead = ReadField(this, IDC_EXCESS, &excess);
    problem = ExcessProblem(excessRead, excess);
    if (!problem.IsEmpty()) return Refuse(problem, IDC_EXCESS);
    MaterialForm form;
    int field = 0;
    if (!ReadForm(purity, &form, &problem, &field)) return Refuse(problem, field);
    WeighingMaterial &material = values.materials[size_t(shown)];
    material.purity = purity;
    material.excess = excess;
    material.form = form;
    ShowLine(shown);
    return true;
}

// Another material chosen: the one shown keeps its fields first, or stays chosen.
void CWeighingDlg::OnSelectMaterial() {
    const int chosen = int(Send(this, IDC_WEIGHING_LIST, LB_GETCURSEL));
    if (chosen == shown) return;
    if (!KeepMaterial()) {
        Send(this, IDC_WEIGHING_LIST, LB_SETCURSEL, WPARAM(shown));
        return;
    }
    Send(this, IDC_WEIGHING_LIST, LB_SETCURSEL, WPARAM(chosen));
    ShowMaterial(chosen);
}

void CWeighingDlg::OnOK() {
    if (!KeepMaterial()) return;
    const int scale = Scale();
    values.scale = scale == IDC_SCALE_MATERIAL ? BatchScale::Material
                   : scale == IDC_SCALE_TOTAL  ? BatchScale::Total
                                               : BatchScale::Product;
    values.scaleRow = 0;
    values.scaleGrams = 0.0;
    if (values.scale != BatchScale::Product) {
        const bool material = values.scale == BatchScale::Material;
        const int field = material ? IDC_SCALE_MATERIAL_GRAMS : IDC_SCALE_TOTAL_GRAMS;
        double grams = 0.0;
        const int read = ReadField(this, field, &grams);
        CString problem = MassProblem(read, grams, material ? "the starting material's mass" : "the total mass");
        if (!problem.IsEmpty()) {
            Refuse(problem, field);
            return;
        }
        const int chosen = int(Send(this, IDC_SCALE_ROW, CB_GETCURSEL));
        if (material && chosen < 0) {
            Refuse("Choose the starting material whose mass is given.", IDC_SCALE_ROW);
            return;
        }
        values.scaleGrams = grams;
        if (material) values.scaleRow = values.materials[size_t(chosen)].row;
    }
    CDialog::OnOK();
}
