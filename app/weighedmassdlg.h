// The Weighed Masses dialog: the sheet's starting materials, a field for the
// grams actually weighed of the chosen one, and the tolerance; below, the
// composition those masses make, each element's deviation in % and the rows
// and elements past the tolerance marked "*" (core/weighed), refreshed as
// the chemist types.
//
// The masses belong to the entry (WeighedMasses, per row and formula). Enter
// in "Weighed (g)" keeps the typed mass for its row and moves to the next
// row (the field then holds that row's mass, selected; on the last row it
// stays there); Enter in "Tolerance (%)" keeps the tolerance. Close and
// Escape keep every mass typed, committed or not; a text that is no mass
// (or no tolerance) is said in a message, and the dialog stays open on it.
// Copy puts the check's text on the clipboard; Print... and Export CSV...
// hand the check's text and CSV to the owner's outputs.
//
// A row the sheet dispenses by volume takes the millilitres dispensed: its
// line shows the sheet's mL and the value typed with "mL", the field's label
// says "Dispensed (mL)" while it is chosen, and the value is kept as a
// volume. A row left empty that held a value of the other kind (grams of a
// row now dispensed, a volume of a row now weighed) keeps that value.
#ifndef QUILLON_APP_WEIGHEDMASSDLG_H
#define QUILLON_APP_WEIGHEDMASSDLG_H

#include <functional>
#include <string>
#include <vector>

#include "core/sheet.h"
#include "core/weighed.h"
#include "framework/afxwin.h"

class CReaction;

// What the dialog's Print... and Export CSV... do with the check; owner is the dialog.
struct WeighedOutputs {
    std::function<void(CWnd *owner, const std::string &text)> print;
    std::function<void(CWnd *owner, const std::string &csv)> exportCsv;
};

class CWeighedMassDlg : public CDialog {
public:
    // reaction and sheet: the entry's calculation; rowNumbers[i] names the
    // list row of the sheet's starting material i, rowFormulas[i] the
    // formula that row holds. masses: the entry's, shown first and kept
    // into as the chemist commits them.
    CWeighedMassDlg(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                    const std::vector<CString> &rowFormulas, WeighedMasses &masses, const WeighedOutputs &outputs,
                    CWnd *parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter in a field
    void OnCancel() override;  // Close, Escape
    void OnSelectRow();
    void OnGramsTyped();
    void Recheck();
    void OnCopy();
    void OnPrint();
    void OnExport();
    DECLARE_MESSAGE_MAP()

private:
    void ShowLine(int index, bool past);
    void SelectRow(int index);
    bool CommitRow(int index);    // false, after saying so, when the row's text is no mass
    bool CommitTolerance();       // the same for the tolerance
    const CReaction &reaction;
    const WeighingSheet &sheet;
    std::vector<int> rowNumbers;
    std::vector<CString> rowFormulas;
    WeighedMasses &masses;
    WeighedOutputs outputs;
    std::vector<CString> typed;  // the grams (or mL) typed per starting material
    std::vector<bool> byVolume;  // the sheet dispenses starting material i by volume: mL typed
    WeighedResult result;        // the check shown, when checked
    bool checked = false;        // every mass and the tolerance read: result is the check shown
    int shown = -1;
};

#endif
