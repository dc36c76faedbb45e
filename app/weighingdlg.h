// The weighing dialog: the used starting materials with their purity,
// excess and form (weighed as a solid, or dispensed by volume: a neat liquid
// or a solution, see MaterialForm in core/batch.h), and what the weighing is
// scaled to (the product's amount, the mass of one starting material, or the
// total mass of starting materials). A material is chosen in the list and
// its values edited in the fields under it; the form's fields take input as
// the form needs them. The dialog works on its own copy of the values;
// Values() hands them back after OK. Wrong numbers are refused with a
// message naming the field, and the field gets the focus back.
#ifndef QUILLON_APP_WEIGHINGDLG_H
#define QUILLON_APP_WEIGHINGDLG_H

#include <vector>

#include "core/batch.h"
#include "framework/afxwin.h"

// One used row of the list as the dialog shows it.
struct WeighingMaterial {
    int row = 0;               // the list's row number, from 1
    CString formula;
    double ratio = 1.0;
    double purity = PURITY_DEFAULT;  // %
    double excess = EXCESS_DEFAULT;  // %
    MaterialForm form;               // solid: weighed
};

// A form as the weighing list's last column, the bottle choice and the Shelf window show it:
// "0.933 g/mL", "0.5 M, 1.1 g/mL", "40 wt%"; empty for a solid.
CString FormBrief(const MaterialForm &form);

struct WeighingValues {
    std::vector<WeighingMaterial> materials;
    BatchScale scale = BatchScale::Product;
    int scaleRow = 0;          // BatchScale::Material: the row weighed to (0: none chosen)
    double scaleGrams = 0.0;   // BatchScale::Material and ::Total
};

// Why a value cannot be used, as the message says it; empty when it can.
// read is what the one number reader answered for the field's text.
CString PurityProblem(int read, double percent);
CString ExcessProblem(int read, double percent);
CString MassProblem(int read, double grams, const char *what);
// A form's field whose text does not read as a number above 0: "Wrong value
// for density!\nA density is a number of g/mL above 0." (with the hint of a
// point for decimals when read says the text had a comma).
CString FormFieldProblem(FormValue which, int read);

class CWeighingDlg : public CDialog {
public:
    explicit CWeighingDlg(const WeighingValues &values, CWnd *parent = nullptr);
    const WeighingValues &Values() const { return values; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelectMaterial();
    void OnValueTyped();
    void OnScaleChoice();
    void OnFormChosen();
    DECLARE_MESSAGE_MAP()

private:
    void ShowMaterial(int index);   // the fields show materials[index]
    bool KeepMaterial();            // the fields into the shown material; false when refused
    void ShowLine(int index);       // the list's line of materials[index]
    bool Refuse(const CString &problem, int field);
    // The form's fields as the chosen form reads them, checked with purity;
    // false with the message and the field to go back to when refused.
    bool ReadForm(double purity, MaterialForm *form, CString *problem, int *field);
    void EnableFormFields();        // as the chosen form needs them
    int Scale() const;              // the checked scale button
    FormKind ChosenForm() const;    // the Form list's choice
    void EnableScaleFields();

    WeighingValues values;
    int shown = -1;                 // the material the fields show
};

#endif
