#include "stockdlg.h"

#include <cmath>
#include <utility>

#include "core/stock.h"
#include "core/textutil.h"
#include "fields.h"
#include "resource.h"

namespace {

// The field a refusal sends the focus back to.
int FieldOf(StockStatus status) {
    switch (status) {
    case StockStatus::BadSolid:
        return IDC_STOCK_SOLID;
    case StockStatus::BadPurity:
        return IDC_STOCK_PURITY;
    case StockStatus::BadMolarity:
    case StockStatus::NotFinite:
        return IDC_STOCK_MOLARITY;
    case StockStatus::BadVolume:
        return IDC_STOCK_VOLUME;
    default:
        return IDC_STOCK_UNIT;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CStockDlg, CDialog)
    ON_BN_CLICKED(IDC_STOCK_CALCULATE, OnCalculate)
END_MESSAGE_MAP()

CStockDlg::CStockDlg(const CFormulaParser &formulaParser, CWnd *parent)
    : CDialog(IDD_STOCK, parent), parser(formulaParser) {}

BOOL CStockDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_STOCK_PURITY, "100");
    return TRUE;
}

// The fields as typed: a number that does not read counts as not a number,
// which the calculation refuses for its field.
void CStockDlg::OnCalculate() {
    StockInput input;
    input.solid = WholeText(::GetDlgItem(m_hWnd, IDC_STOCK_SOLID)).GetString();
    input.unit = WholeText(::GetDlgItem(m_hWnd, IDC_STOCK_UNIT)).GetString();
    const std::pair<int, double *> numbers[] = {
        {IDC_STOCK_PURITY, &input.purity}, {IDC_STOCK_MOLARITY, &input.molarity}, {IDC_STOCK_VOLUME, &input.volumeMl}};
    int commaField = 0;
    for (const auto &number : numbers) {
        const int read = ReadNumberField(GetDlgItem(number.first), number.second);
        if (read != 0) *number.second = NAN;
        if (read == 2 && commaField == 0) commaField = number.first;
    }
    const StockResult result = CalculateStock(parser, input);
    if (result.status != StockStatus::Done) {
        const int field = FieldOf(result.status);
        SetDlgItemText(IDC_STOCK_RESULT, "");
        CString problem = StockProblem(input, result).c_str();
        if (field == commaField) problem += "\nUse a point for decimals: 1.5.";
        MessageBox(problem, "Quillon", MB_OK | MB_ICONHAND);
        FocusField(this, field);
        return;
    }
    std::string line = StockText(input, result);
    line.pop_back();  // the line end
    SetDlgItemText(IDC_STOCK_RESULT, line.c_str());
}
