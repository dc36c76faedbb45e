#include "calcfile.h"

#include <cstdlib>
#include <cstring>

#include "../common/rowstore.h"
#include "../common/textutil.h"

namespace {

// Reads the next piece of a line as fgets(buffer, size, file) does: up to
// and including '\n', at most size - 1 bytes. Returns 1 with the piece (and
// *endsLine set when it ended in '\n'), 0 at the end of the file, -1 on a
// read error. Bytes after a NUL inside a piece are read but not seen, as
// with fgets.
int ReadPiece(FILE *file, char *buffer, int size, bool *endsLine) {
    int n = 0;
    *endsLine = false;
    while (n < size - 1) {
        int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return -1;
            break;
        }
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') {
            *endsLine = true;
            break;
        }
    }
    buffer[n] = 0;
    return n > 0 ? 1 : 0;
}

// The rest of a line after its number fields, trimmed: the free text.
CString RestOfLine(char *rest) {
    TrimBlanks(rest);
    return CString(rest);
}

// Reads the "<ratio> <formula>" that ends product and row lines; the
// formula must pass the check. Returns false when either does not read.
bool ReadRatioAndFormula(char *start, CalcFormulaCheck check, CalcRecord *record) {
    char *end = nullptr;
    double ratio = std::strtod(start, &end);
    if (end == start) return false;
    CString formula = RestOfLine(end);
    if (!check(formula)) return false;
    record->ratio = ratio;
    record->text = formula;
    return true;
}

// Reads "<amount> <ratio> <formula>" of a product line.
int ParseProduct(char *rest, CalcFormulaCheck check, CalcRecord *record) {
    char *end = nullptr;
    double amount = std::strtod(rest, &end);
    if (end == rest || !ReadRatioAndFormula(end, check, record)) return -1;
    record->kind = CALC_PRODUCT;
    record->amount = amount;
    return 1;
}

// Reads "<fixed> <ratio> <formula>" of a row line.
int ParseRow(long number, char *rest, CalcFormulaCheck check, CalcRecord *record) {
    char *end = nullptr;
    long fixed = std::strtol(rest, &end, 10);
    if (end == rest || !ReadRatioAndFormula(end, check, record)) return -1;
    record->kind = CALC_ROW;
    record->row = static_cast<int>(number);
    // Any nonzero flag means Fixed. Kept as 0 or 1 so that a huge number
    // reads the same where long has 32 bits and where it has 64.
    record->fixed = fixed != 0 ? 1 : 0;
    return 1;
}

}  // namespace

// Reads one trimmed line into a record.
int ParseCalcLine(char *line, int capacity, CalcFormulaCheck check, CalcRecord *record) {
    if (TrimBlanks(line) == 0) return 0;
    char *end = nullptr;
    long number = std::strtol(line, &end, 10);
    if (end == line) return -1;
    if (number < 0) {
        record->kind = CALC_SAMPLE;
        record->text = RestOfLine(end);
        return 1;
    }
    if (number == 0) return ParseProduct(end, check, record);
    if (number > capacity) return -1;
    return ParseRow(number, end, check, record);
}

// Reads lines until the end of the stream or the first failure.
CalcReadStatus ReadCalcStream(FILE *file, int capacity, CalcFormulaCheck check, CalcReadResult &result) {
    result.records.clear();
    result.failingLine = 0;
    result.status = CALC_READ_OK;
    char buffer[CALC_LINE_SIZE];
    int lineNumber = 1;  // physical line the next piece starts in
    for (;;) {
        bool endsLine = false;
        int got = ReadPiece(file, buffer, sizeof buffer, &endsLine);
        if (got == 0) break;
        if (got < 0) {
            result.status = CALC_READ_ERROR;
            result.failingLine = lineNumber;
            break;
        }
        CalcRecord record;
        int parsed = ParseCalcLine(buffer, capacity, check, &record);
        if (parsed < 0) {
            result.status = CALC_BAD_LINE;
            result.failingLine = lineNumber;
            break;
        }
        if (parsed > 0) {
            record.line = lineNumber;
            result.records.push_back(record);
        }
        if (endsLine) ++lineNumber;
    }
    return result.status;
}

// Opens, reads and closes a calculation file.
CalcReadStatus ReadCalcFile(const char *path, int capacity, CalcFormulaCheck check, CalcReadResult &result) {
    FILE *file = std::fopen(path, "rb");
    if (file == nullptr) {
        result.records.clear();
        result.failingLine = 0;
        result.status = CALC_OPEN_FAILED;
        return result.status;
    }
    ReadCalcStream(file, capacity, check, result);
    std::fclose(file);
    return result.status;
}

// "%.5g", as the dialog fills its product ratio and amount fields.
CString FormatFieldNumber(double value) {
    CString text;
    text.Format("%.5g", value);
    return text;
}

// Applies the records in file order; later ones override earlier ones.
void ApplyCalcRecords(const std::vector<CalcRecord> &records, CalcFields &fields, LedraRowStore &rows) {
    for (const CalcRecord &record : records) {
        switch (record.kind) {
        case CALC_SAMPLE:
            fields.sampleId = record.text;
            break;
        case CALC_PRODUCT:
            fields.productFormula = record.text;
            fields.ratioText = FormatFieldNumber(record.ratio);
            fields.amountText = FormatFieldNumber(record.amount);
            break;
        case CALC_ROW:
            rows.setFormula(record.row - 1, record.text);
            rows.setRatio(record.row - 1, record.ratio);
            rows.setFixed(record.row - 1, record.fixed);
            break;
        }
    }
}

// "-1 <sample ID>\r\n".
CString CalcSampleLine(const char *sampleId) {
    CString line;
    line.Format("%d %s\r\n", -1, sampleId);
    return line;
}

// "0 <amount> <ratio> <formula>\r\n".
CString CalcProductLine(double amount, double ratio, const char *formula) {
    CString line;
    line.Format("%d %.5f %.5f %s\r\n", 0, amount, ratio, formula);
    return line;
}

// "<row> <fixed> <ratio> <formula>\r\n".
CString CalcRowLine(int rowNumber, int fixed, double ratio, const char *formula) {
    CString line;
    line.Format("%d %d %.5f %s\r\n", rowNumber, fixed, ratio, formula);
    return line;
}

// The row lines of the used rows, in row order.
CString CalcRowLines(const LedraRowStore &rows) {
    CString lines;
    for (int i = 0; i < rows.capacity(); ++i) {
        const LedraRow *row = rows.row(i);
        if (row->formula.IsEmpty()) continue;
        lines += CalcRowLine(i + 1, row->fixed, row->ratio, row->formula);
    }
    return lines;
}

// Writes one line's bytes; 1 when the stream reports an error.
int PutCalcLine(FILE *file, const CString &line) {
    size_t length = static_cast<size_t>(line.GetLength());
    if (std::fwrite(line.GetString(), 1, length, file) != length) return 1;
    return std::ferror(file) ? 1 : 0;
}
