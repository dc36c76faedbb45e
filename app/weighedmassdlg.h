// The Weighed Masses dialog: the sheet's starting materials, a field for the
// grams actually weighed of the chosen one, and the tolerance; below, the
// composition those masses make, each element's deviation in % and the rows
// and elements past the tolerance marked "*" (core/weighed), refreshed as
// the chemist types.
#ifndef QUILLON_APP_WEIGHEDMASSDLG_H
#define QUILLON_APP_WEIGHEDMASSDLG_H

#include <vector>

#include "core/sheet.h"
#include "framework/afxwin.h"

class CReaction;

class CWeighedMassDlg : public CDialog {
public:
    // reaction and sheet: the entry's calculation; rowNumbers[i] names the
    // list row of the sheet's starting material i.
    CWeighedMassDlg(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                    CWnd *parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnSelectRow();
    void OnGramsTyped();
    void Recheck();
    DECLARE_MESSAGE_MAP()

private:
    void ShowLine(int index, bool past);
    const CReaction &reaction;
    const WeighingSheet &sheet;
    std::vector<int> rowNumbers;
    std::vector<CString> typed;  // the grams typed per starting material
    int shown = -1;
};

#endif
