// The entry quillon-cli calculates on: the field texts and the rows that
// opening a calculation file leaves, the element selection given on the
// command line instead of chosen in the selection dialog, messages on
// standard error. The commands themselves are the program's
// (core/commands.h).
#ifndef QUILLON_CLI_CALCULATION_H
#define QUILLON_CLI_CALCULATION_H

#include <functional>
#include <string>
#include <vector>

#include "core/rowstore.h"
#include "framework/afxstr.h"
#include "core/calcfile.h"
#include "core/commands.h"
#include "core/elements.h"
#include "core/sheet.h"
#include "core/series.h"

// What the main dialog holds after a calculation file was opened.
struct CalcEntry {
    CalcFields fields;
    LedraRowStore rows;
    BatchSettings batch;

    CalcEntry() { rows.create(ROW_CAPACITY); }
};

// Copies the fields and rows of from into to.
void CopyEntry(const CalcEntry &from, CalcEntry &to);

// The command-line entry. The report is the sheet's text with LF line ends,
// kept in sheetText; messages go to standard error as they come.
class CliEntrySource : public CalcEntrySource {
public:
    CliEntrySource(CalcEntry &entry, const ElementSelection &selection, int showDifferential)
        : entry(entry), selection(selection), showDifferential(showDifferential) {}

    CString ProductFormula() override { return entry.fields.productFormula; }
    int ReadProductRatio(double *ratio) override;
    int ReadAmount(double *amount) override;
    int GetRows(int count, LedraRowList *list) override;
    int GetUnfixedCount() override { return entry.rows.getUnfixedCount(); }
    bool ChooseElements(const CString &product, int unfixedCount, ElementSelection *chosen, int *resetFlag) override;
    void ShowMessage(const char *text, CalcMessageKind kind, CalcField field) override;
    void WriteReport(const CReaction &reaction, double amount) override;
    const BatchSettings *Batch() override { return &entry.batch; }
    void WriteBatchReport(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                          const std::vector<int> &rowNumbers) override;
    int RowNumber(const LedraRow *row) override;
    int UndeterminedRow(CString *formula) override;

    std::string sheetText;
    // Set when the sheet is made with the ratios as written: the rows'
    // collection would otherwise take every Unfixed row at 1.
    bool keepRatios = false;
    // The sheet's form: today's text, or every number as CSV or JSON.
    enum class Format { Text, Csv, Json } format = Format::Text;
    // When set, messages are added here (one per line) instead of printed.
    std::string *messages = nullptr;
    // When set, called with every report's reaction and sheet.
    std::function<void(const CReaction &, const WeighingSheet &)> inspect;
    // The balance the sheet is rounded to (no rounding while 0).
    Decimal readability;
    double minimumWeight = 0.0;

private:
    CalcEntry &entry;
    const ElementSelection &selection;
    int showDifferential;
};

// The Calculate command on the source's entry, as quillon-cli sheet runs it
// (with autoRatio the Unfixed rows are solved, else the ratios as written
// are weighed); true when a report was made.
bool CalculateEntry(CliEntrySource &source, const CFormulaParser &parser, const ElementSelection &selection,
                    bool autoRatio);

// One member of a composition series: a fresh copy of the entry as opened,
// made the member's entry (PrepareSeriesMember), calculated as sheet would;
// the messages are kept as the member's, not printed.
SeriesMemberOutcome CalculateSeriesMember(const CalcEntry &opened, const CFormulaParser &parser,
                                          const ElementSelection &selection, bool autoRatio, const CString &formula);

#endif
