// Composition series in the program: the Series dialog's formula and values
// kept with the entry, and every member calculated as the main window's
// Calculate would calculate the entry with the member's formula; and the
// check of the masses actually weighed against the entry's sheet.
#include "core/reaction.h"
#include "core/series.h"
#include "core/sheet.h"
#include "core/textutil.h"
#include "quillondlg.h"
#include "resource.h"
#include "seriesdlg.h"
#include "weighedmassdlg.h"

// The series formula is kept apart: the product field cannot show it.
void CQuillonDlg::KeepSeriesFormula(const CString &formula) {
    seriesFormula = formula;
    CWnd *product = GetDlgItem(IDC_PRODUCT);
    if (!formula.IsEmpty()) product->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    product->EnableWindow(formula.IsEmpty());
    SetDlgItemText(IDC_PRODUCT_LABEL, formula.IsEmpty() ? "Product" : "Series");
}

// The Series dialog on the entry's series; OK keeps what it leaves.
void CQuillonDlg::OnSeries() {
    SeriesTexts texts{seriesFormula, seriesValues};
    CSeriesDlg dialog(texts, [this](const SeriesTexts &typed, bool checkOnly, int *wrong) {
        return RunSeries(typed, checkOnly, wrong);
    }, this);
    if (dialog.DoModal() != IDOK) return;
    seriesValues = dialog.Texts().values;
    KeepSeriesFormula(dialog.Texts().formula);
}

// Every member of the typed series, calculated from the window's entry with
// the member's formula. False (having said why) when the formula or the
// values are refused; with checkOnly only the formula is checked.
bool CQuillonDlg::CalculateSeries(const SeriesTexts &typed, SeriesResult *series, int *wrong) {
    CString probe, why;
    if (SeriesMemberFormula(formulaParser, typed.formula, nullptr, &probe, &why) != SeriesFormulaStatus::Done) {
        *wrong = IDC_SERIES_FORMULA;
        MessageBox("\"" + typed.formula + "\" is not a series formula: " + why, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (series == nullptr) return true;
    std::vector<SeriesX> values;
    if (!ParseSeriesValues(typed.values, &values, &why)) {
        *wrong = IDC_SERIES_VALUES;
        MessageBox(why, "Quillon", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    Entry entry = CalculationEntry();
    entry.fields.productFormula = typed.formula;
    const CalcOptions options = CalculationOptions(IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED);
    *series = ::CalculateSeries(entry, formulaParser, elementSelection, options, values);
    return true;
}

// The series sheet appended to a report file and shown.
bool CQuillonDlg::RunSeries(const SeriesTexts &typed, bool checkOnly, int *wrong) {
    SeriesResult series;
    if (!CalculateSeries(typed, checkOnly ? nullptr : &series, wrong)) return false;
    if (checkOnly) return true;
    std::string text = SeriesText(series);
    ShowReportText(text.c_str(), text.size());
    return true;
}

// File > Export CSV of a series entry: every member calculated from the
// entry as it stands, written as quillon-cli's "series --format csv" writes it.
void CQuillonDlg::ExportSeriesCsv() {
    SetFocus();  // a field being edited is left first, so that its text counts
    if (seriesValues.IsEmpty()) {
        MessageBox("Enter the values of x under Options, Composition Series..., then export.", "Quillon",
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SeriesResult series;
    int wrong = 0;
    if (!CalculateSeries(SeriesTexts{seriesFormula, seriesValues}, &series, &wrong)) return;
    ExportCsvText(series.sampleId.IsEmpty() ? seriesFormula : series.sampleId, SeriesCsv(series));
}

// Weighed Masses...: the masses weighed against the sheet of the last
// Calculate, while the entry is unchanged.
void CQuillonDlg::OnWeighedMasses() {
    if (!SheetCurrent()) return;
    CWeighedMassDlg dialog(*kept.reaction, kept.sheet, kept.rowNumbers, this);
    dialog.DoModal();
}
