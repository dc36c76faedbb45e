// Composition series in the program: the Series dialog's formula and values
// kept with the entry, and every member calculated as the main window's
// Calculate would calculate the entry with the member's formula; and the
// check of the masses actually weighed against the entry's sheet.
#include <functional>

#include "core/reaction.h"
#include "core/series.h"
#include "core/sheet.h"
#include "core/textutil.h"
#include "quillondlg.h"
#include "resource.h"
#include "seriesdlg.h"
#include "weighedmassdlg.h"

namespace {

// A copy of the window's entry as the commands see it (a series member's:
// made the member's first); the current element selection stands for the
// user's choice, messages and the sheet are collected instead of shown, and
// inspect, when set, sees each sheet with its reaction and row numbers.
class EntryCopySource : public CalcEntrySource {
public:
    EntryCopySource(DialogEntry &entry, const ElementSelection &selection, const BatchSettings &batch,
                       bool solving, int showDifferential)
        : entry(entry), selection(selection), batch(batch), solving(solving), showDifferential(showDifferential) {}

    CString ProductFormula() override { return entry.fields.productFormula; }
    int ReadProductRatio(double *ratio) override {
        return ReadNumberTextOr(entry.fields.ratioText, UNDETERMINED_RATIO, ratio);
    }
    int ReadAmount(double *amount) override { return ReadNumberText(entry.fields.amountText, amount); }
    int GetUnfixedCount() override { return entry.rows.getUnfixedCount(); }
    bool ChooseElements(const CString &, int, ElementSelection *chosen, int *) override {
        *chosen = selection;
        return true;
    }
    void ShowMessage(const char *text, CalcMessageKind, CalcField) override {
        if (!outcome.messages.IsEmpty()) outcome.messages += "\n";
        outcome.messages += text;
    }
    void WriteReport(const CReaction &reaction, double amount) override {
        outcome.sheet = MakeWeighingSheet(reaction, amount, entry.fields.sampleId, showDifferential);
        std::vector<int> rowNumbers;
        for (int i = 0; i < entry.rows.collectedCount(); ++i) rowNumbers.push_back(RowNumber(entry.rows.collectedRow(i)));
        if (inspect) inspect(reaction, outcome.sheet, rowNumbers);
    }
    const BatchSettings *Batch() override { return &batch; }
    void WriteBatchReport(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                          const std::vector<int> &rowNumbers) override {
        outcome.sheet = MakeBatchSheet(reaction, input, result, rowNumbers, entry.fields.sampleId, showDifferential);
        if (inspect) inspect(reaction, outcome.sheet, rowNumbers);
    }
    // Without Auto-Ratio the ratios as written are weighed, as the list shows them.
    int GetRows(int count, LedraRowList *list) override {
        if (solving) return entry.rows.getRows(count, list);
        std::vector<double> written;
        for (int i = 0; i < entry.rows.capacity(); ++i) written.push_back(entry.rows.row(i)->ratio);
        int result = entry.rows.getRows(count, list);
        for (int i = 0; i < entry.rows.capacity(); ++i)
            if (!entry.rows.row(i)->formula.IsEmpty()) entry.rows.row(i)->ratio = written[size_t(i)];
        return result;
    }
    int UndeterminedRow(CString *formula) override {
        for (int i = 0; i < entry.rows.capacity(); ++i) {
            const LedraRow *row = entry.rows.row(i);
            if (row->formula.IsEmpty() || row->ratio > UNDETERMINED_RATIO) continue;
            *formula = row->formula;
            return i + 1;
        }
        return 0;
    }
    int RowNumber(const LedraRow *row) override {
        for (int i = 0; i < entry.rows.capacity(); ++i)
            if (entry.rows.row(i) == row) return i + 1;
        return 0;
    }

    SeriesMemberOutcome outcome;
    std::function<void(const CReaction &, const WeighingSheet &, const std::vector<int> &)> inspect;

private:
    DialogEntry &entry;
    const ElementSelection &selection;
    BatchSettings batch;
    bool solving;
    int showDifferential;
};

}  // namespace

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
    bool solving = IsDlgButtonChecked(IDC_AUTO_RATIO) == BST_CHECKED;
    const BatchSettings batch = *Batch();
    SeriesCalculation calculate = [&](const CString &formula) {
        DialogEntry member;
        ReadEntry(member);
        PrepareSeriesMember(formulaParser, typed.formula, formula, member.fields, member.rows);
        EntryCopySource source(member, elementSelection, batch, solving, showDifferential);
        ElementSelection chosen = elementSelection;
        int reset = 0;
        source.outcome.done = CalculateCommand(source, formulaParser, solving, &chosen, &reset) == CommandResult::Done;
        return source.outcome;
    };
    *series = ::RunSeries(formulaParser, typed.formula, values, calculate);
    series->sampleId = SampleId();
    ReadAmount(&series->amount);
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

// Weighed Masses...: the sheet of the last Calculate, while the entry is
// unchanged, calculated again with the ratios it solved (as the list shows
// them) so that the check has its reaction; the dialog is shown meanwhile.
void CQuillonDlg::OnWeighedMasses() {
    if (!SheetCurrent()) return;
    DialogEntry entry;
    ReadEntry(entry);
    EntryCopySource source(entry, elementSelection, *Batch(), false, showDifferential);
    source.inspect = [this](const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rows) {
        CWeighedMassDlg dialog(reaction, sheet, rows, this);
        dialog.DoModal();
    };
    ElementSelection chosen = elementSelection;
    int reset = 0;
    if (CalculateCommand(source, formulaParser, false, &chosen, &reset) != CommandResult::Done)
        MessageBox(source.outcome.messages, "Quillon", MB_OK | MB_ICONEXCLAMATION);
}
