#include "entry.h"

#include <cstdio>
#include <vector>

#include "core/textutil.h"
#include "core/sheet.h"
#include "core/sheetdata.h"

// The product ratio text as the ratio field would hold it.
int CliEntrySource::ReadProductRatio(double *ratio) {
    return ReadNumberTextOr(entry.fields.ratioText, UNDETERMINED_RATIO, ratio);
}

// The amount text as the amount field would hold it.
int CliEntrySource::ReadAmount(double *amount) { return ReadNumberText(entry.fields.amountText, amount); }

// The selection of the command line stands for the user's choice.
bool CliEntrySource::ChooseElements(const CString &, int, ElementSelection *chosen, int *) {
    *chosen = selection;
    return true;
}

// Messages go to standard error, one per line.
void CliEntrySource::ShowMessage(const char *text, CalcMessageKind, CalcField) {
    if (messages != nullptr) {
        *messages += (messages->empty() ? "" : "\n") + std::string(text);
        return;
    }
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

// The sheet as the report file would show it; as data, with the batch's
// numbers for the plain values.
void CliEntrySource::WriteReport(const CReaction &reaction, double amount) {
    if (format != Format::Text) {
        BatchInput input;
        input.mass = amount;
        std::vector<int> rowNumbers;
        for (int i = 0; i < entry.rows.collectedCount(); ++i) rowNumbers.push_back(RowNumber(entry.rows.collectedRow(i)));
        WriteBatchReport(reaction, input, CalculateBatch(reaction, input), rowNumbers);
        return;
    }
    WeighingSheet sheet = MakeWeighingSheet(reaction, amount, entry.fields.sampleId, showDifferential);
    sheet.readability = readability;
    sheet.minimumWeight = minimumWeight;
    if (inspect) inspect(reaction, sheet);
    CString text = SheetFileText(sheet);
    sheetText = TextModeRead(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// The batch's sheet in the form asked for.
void CliEntrySource::WriteBatchReport(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                                      const std::vector<int> &rowNumbers) {
    WeighingSheet sheet = MakeBatchSheet(reaction, input, result, rowNumbers, entry.fields.sampleId, showDifferential);
    sheet.readability = readability;
    sheet.minimumWeight = minimumWeight;
    if (inspect) inspect(reaction, sheet);
    if (format == Format::Csv) {
        sheetText = SheetCsv(sheet, rowNumbers);
    } else if (format == Format::Json) {
        sheetText = SheetJson(sheet, rowNumbers);
    } else {
        CString text = SheetFileText(sheet);
        sheetText = TextModeRead(text.GetString(), static_cast<size_t>(text.GetLength()));
    }
}

// The row's place in the entry's store.
// Collecting the rows sets every Unfixed ratio to 1, which the solver
// wants; a sheet made without solving weighs the ratios the file holds.
int CliEntrySource::GetRows(int count, LedraRowList *list) {
    if (!keepRatios) return entry.rows.getRows(count, list);
    std::vector<double> written(size_t(entry.rows.capacity()), 0.0);
    for (int i = 0; i < entry.rows.capacity(); ++i) written[size_t(i)] = entry.rows.row(i)->ratio;
    int result = entry.rows.getRows(count, list);
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        LedraRow *row = entry.rows.row(i);
        if (!row->formula.IsEmpty()) row->ratio = written[size_t(i)];
    }
    return result;
}

// The first used row whose ratio is "?", numbered from 1; 0 when none.
int CliEntrySource::UndeterminedRow(CString *formula) {
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (row->formula.IsEmpty() || row->ratio > UNDETERMINED_RATIO) continue;
        *formula = row->formula;
        return i + 1;
    }
    return 0;
}

int CliEntrySource::RowNumber(const LedraRow *row) {
    for (int i = 0; i < entry.rows.capacity(); ++i)
        if (entry.rows.row(i) == row) return i + 1;
    return 0;
}

void CopyEntry(const CalcEntry &from, CalcEntry &to) {
    to.fields = from.fields;
    to.batch = from.batch;
    to.rows.reset();
    for (int i = 0; i < from.rows.capacity(); ++i) {
        const LedraRow *row = from.rows.row(i);
        to.rows.setFormula(i, row->formula);
        to.rows.setRatio(i, row->ratio);
        to.rows.setFixed(i, row->fixed);
    }
}

bool CalculateEntry(CliEntrySource &source, const CFormulaParser &parser, const ElementSelection &selection,
                    bool autoRatio) {
    source.keepRatios = !autoRatio;
    int reset = 0;
    ElementSelection chosen = selection;
    return CalculateCommand(source, parser, autoRatio, &chosen, &reset) == CommandResult::Done;
}

SeriesMemberOutcome CalculateSeriesMember(const CalcEntry &opened, const CFormulaParser &parser,
                                          const ElementSelection &selection, bool autoRatio, const CString &formula) {
    SeriesMemberOutcome outcome;
    CalcEntry member;
    CopyEntry(opened, member);
    PrepareSeriesMember(parser, opened.fields.productFormula, formula, member.fields, member.rows);
    CliEntrySource source(member, selection, 1);
    std::string messages;
    source.messages = &messages;
    source.inspect = [&](const CReaction &, const WeighingSheet &sheet) { outcome.sheet = sheet; };
    outcome.done = CalculateEntry(source, parser, selection, autoRatio);
    outcome.messages = messages.c_str();
    return outcome;
}
