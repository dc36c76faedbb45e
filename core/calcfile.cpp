#include "calcfile.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "formula.h"
#include "rowstore.h"
#include "numbers.h"
#include "textutil.h"
#include "series.h"

namespace {

// Reads the next line, up to and including '\n' (or the end of the file),
// whatever its length. Returns 1 with the line, 0 at the end of the file, -1
// on a read error.
int ReadWholeLine(FILE *file, std::string &line) {
    line.clear();
    for (;;) {
        int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return -1;
            break;
        }
        line += static_cast<char>(c);
        if (c == '\n') break;
    }
    return line.empty() ? 0 : 1;
}

bool IsLineBlank(char c) { return c > 0 && c <= 32; }

// Removes blanks and control characters (codes 1 to 32, which include CR
// and LF) at both ends, in place. Unlike TrimBlanks, bytes 128 to 255 at
// the end stay: a sample ID may end in a letter such as an umlaut.
void TrimLineBlanks(char *text) {
    size_t length = std::strlen(text);
    while (length > 0 && IsLineBlank(text[length - 1])) --length;
    size_t first = 0;
    while (first < length && IsLineBlank(text[first])) ++first;
    std::memmove(text, text + first, length - first);
    text[length - first] = 0;
}

// The rest of a line after its number fields, trimmed: the free text.
CString RestOfLine(char *rest) {
    TrimBlanks(rest);
    return CString(rest);
}

// Reads the number after the blanks at start; refuses spellings that are
// not plain decimals (hexadecimal, infinity, NaN) and values that overflow.
bool ReadFileNumber(char *start, double *value, char **end) {
    while (IsLineBlank(*start)) ++start;
    *end = const_cast<char *>(ReadPlainNumber(start, value));
    return *end != start;
}

// A product formula of a composition series: its counts with x in their
// form, and the formula check passes with each of them read as 1.
bool SeriesFormulaReads(const CString &formula, CalcFormulaCheck check) {
    std::string probe;
    return SeriesProbeFormula(formula, &probe) && check(probe.c_str());
}

// Reads the "<ratio> <formula>" that ends product and row lines; the
// formula must pass the check (a product's may be a series formula).
// Returns false when either does not read.
bool ReadRatioAndFormula(char *start, CalcFormulaCheck check, CalcRecord *record, bool product = false) {
    char *end = nullptr;
    double ratio = 0.0;
    if (!ReadFileNumber(start, &ratio, &end)) return false;
    // A middle dot written as UTF-8 (a file edited on Linux) is kept as the
    // program stores it, so that the formula editor can show it.
    CString formula(StoredFormulaText(RestOfLine(end)).c_str());
    if (!check(formula) && !(product && SeriesFormulaReads(formula, check))) return false;
    record->ratio = ratio;
    record->text = formula;
    return true;
}

// Reads "<amount> <ratio> <formula>" of a product line.
int ParseProduct(char *rest, CalcFormulaCheck check, CalcRecord *record) {
    char *end = nullptr;
    double amount = 0.0;
    if (!ReadFileNumber(rest, &amount, &end) || !ReadRatioAndFormula(end, check, record, true)) return -1;
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

// A number as the writer stores it: "%.5f" when that reads back to the
// value (so ordinary files keep their old bytes), else the shortest text
// that does.
CString FileNumber(double value) {
    CString text;
    text.Format("%.5f", value);
    double back = 0.0;
    if (ReadPlainNumber(text, &back) != text.GetString() && back == value) return text;
    return FormatFieldNumber(value);
}

// Reads the row number after the blanks at start: a whole number 1..capacity
// followed by a blank.
bool ReadRowNumber(char *start, int capacity, int *row, char **end) {
    while (IsLineBlank(*start)) ++start;
    long number = std::strtol(start, end, 10);
    if (*end == start || !IsLineBlank(**end) || number < 1 || number > capacity) return false;
    *row = static_cast<int>(number);
    return true;
}

// The word at *text (letters), moved past; empty when none.
std::string ReadWord(char **text) {
    while (IsLineBlank(**text)) ++*text;
    std::string word;
    while (std::isalpha(static_cast<unsigned char>(**text))) word += *(*text)++;
    return **text == 0 || IsLineBlank(**text) ? word : std::string();
}

bool OnlyBlanks(const char *text) {
    while (IsLineBlank(*text)) ++text;
    return *text == 0;
}

// "<row> <number> <formula>" of the purity, excess and scale row lines;
// acceptable says which numbers the line takes.
int ParseRowValue(char *rest, int capacity, CalcFormulaCheck check, bool (*acceptable)(double),
                  CalcRecordKind kind, CalcRecord *record) {
    char *end = nullptr;
    int row = 0;
    if (!ReadRowNumber(rest, capacity, &row, &end) || !ReadRatioAndFormula(end, check, record) ||
        !acceptable(record->ratio) || record->text.IsEmpty())
        return -1;
    record->kind = kind;
    record->row = row;
    record->amount = record->ratio;
    record->ratio = 0.0;
    return 1;
}

bool PositiveGrams(double grams) { return std::isfinite(grams) && grams > 0.0; }

// The batch lines: they start with a word, which no other line does.
int ParseBatchLine(char *line, int capacity, CalcFormulaCheck check, CalcRecord *record) {
    char *rest = line;
    const std::string word = ReadWord(&rest);
    if (word == "purity") return ParseRowValue(rest, capacity, check, PurityAcceptable, CALC_PURITY, record);
    if (word == "excess") return ParseRowValue(rest, capacity, check, ExcessAcceptable, CALC_EXCESS, record);
    const std::string second = ReadWord(&rest);
    if (word == "scale" && second == "row")
        return ParseRowValue(rest, capacity, check, PositiveGrams, CALC_SCALE_ROW, record);
    if (word == "scale" && second == "total") {
        char *end = nullptr;
        if (!ReadFileNumber(rest, &record->amount, &end) || !PositiveGrams(record->amount) || !OnlyBlanks(end))
            return -1;
        record->kind = CALC_SCALE_TOTAL;
        return 1;
    }
    if (word == "show" && (second == "mmol" || second == "gases") && OnlyBlanks(rest)) {
        record->kind = second == "mmol" ? CALC_SHOW_MMOL : CALC_SHOW_GASES;
        return 1;
    }
    return -1;
}

// A line "series <values>": 1 with the record filled, -1 when the values
// do not read; 0 for a line of any other kind.
int ParseSeriesLine(char *line, CalcRecord *record) {
    if (std::strncmp(line, "series", 6) != 0 || !IsLineBlank(line[6])) return 0;
    CString values = RestOfLine(line + 6);
    std::vector<SeriesX> parsed;
    CString why;
    if (!ParseSeriesValues(values, &parsed, &why)) return -1;
    record->kind = CALC_SERIES;
    record->text = values;
    return 1;
}

}  // namespace

// Reads one trimmed line into a record.
int ParseCalcLine(char *line, int capacity, CalcFormulaCheck check, CalcRecord *record) {
    TrimLineBlanks(line);
    if (line[0] == 0) return 0;
    if (int series = ParseSeriesLine(line, record)) return series;
    if (std::isalpha(static_cast<unsigned char>(line[0]))) return ParseBatchLine(line, capacity, check, record);
    char *end = nullptr;
    long number = std::strtol(line, &end, 10);
    if (end == line) return -1;
    if (number < 0) {
        record->kind = CALC_SAMPLE;
        TrimLineBlanks(end);
        record->text = end;
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
    result.status = CalcReadStatus::Ok;
    std::string line;
    for (int lineNumber = 1;; ++lineNumber) {
        int got = ReadWholeLine(file, line);
        if (got == 0) break;
        if (got < 0) {
            result.status = CalcReadStatus::ReadError;
            result.failingLine = lineNumber;
            break;
        }
        // A NUL byte would end the line's text early: "Ba\0CO3" would weigh Ba.
        CalcRecord record;
        int parsed = -1;
        if (line.find('\0') == std::string::npos) parsed = ParseCalcLine(&line[0], capacity, check, &record);
        if (parsed < 0) {
            result.status = CalcReadStatus::BadLine;
            result.failingLine = lineNumber;
            break;
        }
        if (parsed > 0) {
            record.line = lineNumber;
            result.records.push_back(record);
        }
    }
    return result.status;
}

// Opens, reads and closes a calculation file.
CalcReadStatus ReadCalcFile(const char *path, int capacity, CalcFormulaCheck check, CalcReadResult &result) {
    FILE *file = std::fopen(path, "rb");
    if (file == nullptr) {
        result.records.clear();
        result.failingLine = 0;
        result.status = CalcReadStatus::OpenFailed;
        return result.status;
    }
    ReadCalcStream(file, capacity, check, result);
    std::fclose(file);
    return result.status;
}

// The shortest text that reads back to value: fixed decimals for
// magnitudes from 1e-4 to 1e15 (17 significant digits always fit in 21
// decimals there), the shortest "%g" otherwise.
CString FormatFieldNumber(double value) {
    CString text;
    if (value == 0.0) return CString("0");  // -0 as well: the field shows no sign
    if (!std::isfinite(value)) {
        text.Format("%g", value);
        return text;
    }
    double magnitude = std::fabs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        for (int decimals = 0; decimals <= 21; ++decimals) {
            text.Format("%.*f", decimals, value);
            if (ReadsBackAs(text, value)) return text;
        }
    }
    for (int digits = 1; digits <= 17; ++digits) {
        text.Format("%.*g", digits, value);
        if (ReadsBackAs(text, value)) break;
    }
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
        case CALC_SERIES:
            fields.seriesValues = record.text;
            break;
        default:  // the batch's lines
            break;
        }
    }
}

// The rows' values (in the formula each line names), the scaling and the
// options; a row's purity and excess lines name one formula, and a line
// naming another starts the row's values afresh.
void ApplyCalcRecords(const std::vector<CalcRecord> &records, CalcFields &fields, LedraRowStore &rows,
                      BatchSettings *batch) {
    ApplyCalcRecords(records, fields, rows);
    *batch = BatchSettings();
    for (const CalcRecord &record : records) {
        BatchRowValues *values = record.row >= 1 && record.row <= ROW_CAPACITY ? &batch->rows[record.row - 1] : nullptr;
        if ((record.kind == CALC_PURITY || record.kind == CALC_EXCESS) && values != nullptr) {
            if (values->formula != record.text) *values = BatchRowValues();
            values->formula = record.text;
            (record.kind == CALC_PURITY ? values->purity : values->excess) = record.amount;
        } else if (record.kind == CALC_SCALE_ROW) {
            batch->scale = BatchScale::Material;
            batch->scaleRow = record.row;
            batch->scaleFormula = record.text;
            batch->scaleMass = record.amount;
        } else if (record.kind == CALC_SCALE_TOTAL) {
            batch->scale = BatchScale::Total;
            batch->scaleRow = 0;
            batch->scaleFormula.Empty();
            batch->scaleMass = record.amount;
        } else if (record.kind == CALC_SHOW_MMOL) {
            batch->mmol = true;
        } else if (record.kind == CALC_SHOW_GASES) {
            batch->gases = true;
        }
    }
    // Values equal to the defaults are no values.
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        const BatchRowValues values = batch->rows[i];
        batch->SetRow(i + 1, values.formula, values.purity, values.excess);
    }
}

// The batch lines of the rows that still hold their values' formula.
CString CalcBatchLines(const BatchSettings &settings, const LedraRowStore &rows) {
    CString lines;
    for (int i = 0; i < ROW_CAPACITY && i < rows.capacity(); ++i) {
        const BatchRowValues &values = settings.rows[i];
        if (values.formula.IsEmpty() || rows.row(i)->formula != values.formula) continue;
        CString line;
        if (values.purity != PURITY_DEFAULT) {
            line.Format("purity %d %s %s\r\n", i + 1, FileNumber(values.purity).GetString(), values.formula.GetString());
            lines += line;
        }
        if (values.excess != EXCESS_DEFAULT) {
            line.Format("excess %d %s %s\r\n", i + 1, FileNumber(values.excess).GetString(), values.formula.GetString());
            lines += line;
        }
    }
    CString line;
    if (settings.scale == BatchScale::Material && settings.scaleRow >= 1 && settings.scaleRow <= rows.capacity() &&
        rows.row(settings.scaleRow - 1)->formula == settings.scaleFormula) {
        line.Format("scale row %d %s %s\r\n", settings.scaleRow, FileNumber(settings.scaleMass).GetString(),
                    settings.scaleFormula.GetString());
        lines += line;
    } else if (settings.scale == BatchScale::Total) {
        line.Format("scale total %s\r\n", FileNumber(settings.scaleMass).GetString());
        lines += line;
    }
    if (settings.mmol) lines += "show mmol\r\n";
    if (settings.gases) lines += "show gases\r\n";
    return lines;
}

// "-1 <sample ID>\r\n".
CString CalcSampleLine(const char *sampleId) {
    CString line;
    line.Format("%d %s\r\n", -1, sampleId);
    // An ID with a line end inside would reopen as two lines (a phantom row
    // among them). Its CRs become bare LFs, which SaveCalcFile refuses, so
    // such an ID is never saved whatever the caller checks.
    if (!CalcSampleIdSavable(sampleId)) {
        char *chars = line.GetBuffer(0);
        for (int i = 0; i < line.GetLength() - 2; ++i)
            if (chars[i] == '\r') chars[i] = '\n';
        line.ReleaseBuffer(line.GetLength());
    }
    return line;
}

// "0 <amount> <ratio> <formula>\r\n".
CString CalcProductLine(double amount, double ratio, const char *formula) {
    CString line;
    line.Format("%d %s %s %s\r\n", 0, FileNumber(amount).GetString(), FileNumber(ratio).GetString(), formula);
    return line;
}

// "<row> <fixed> <ratio> <formula>\r\n".
CString CalcRowLine(int rowNumber, int fixed, double ratio, const char *formula) {
    CString line;
    line.Format("%d %d %s %s\r\n", rowNumber, fixed, FileNumber(ratio).GetString(), formula);
    return line;
}

// The reader drops blanks at the ends of the ID; a line end inside it would
// start a line of its own.
bool CalcSampleIdSavable(const char *sampleId) {
    return std::strpbrk(sampleId, "\r\n") == nullptr;
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

namespace {

// The folder part of path ("." when there is none), for the temporary file.
CString FolderOf(const char *path) {
    const char *last = nullptr;
    for (const char *p = path; *p != 0; ++p) {
        if (*p == '/') last = p;
#ifdef _WIN32
        if (*p == '\\' || *p == ':') last = p;
#endif
    }
    if (last == nullptr) return CString(".");
    if (last == path) return CString(path, 1);  // the root folder
#ifdef _WIN32
    if (*last == ':') return CString(path, int(last - path) + 1);
#endif
    return CString(path, int(last - path));
}

// Makes a new, empty file in folder; its name goes to *name. nullptr when
// none can be made.
FILE *CreateTemporary(const CString &folder, CString *name) {
#ifdef _WIN32
    char buffer[MAX_PATH];
    if (::GetTempFileNameA(folder, "qsf", 0, buffer) == 0) return nullptr;
    *name = buffer;
    FILE *file = std::fopen(buffer, "wb");
    if (file == nullptr) ::DeleteFileA(buffer);
    return file;
#else
    CString pattern = folder + "/.qsf-XXXXXX";
    char *buffer = pattern.GetBuffer(pattern.GetLength());
    int fd = ::mkstemp(buffer);
    pattern.ReleaseBuffer();
    if (fd < 0) return nullptr;
    *name = pattern;
    // The permissions a file made with fopen would get (mkstemp gives 0600).
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    FILE *file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        std::remove(pattern);
    }
    return file;
#endif
}

// Replaces target with source (both in one folder).
bool ReplaceTarget(const CString &source, const char *target) {
#ifdef _WIN32
    return ::MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source, target) == 0;
#endif
}

}  // namespace

namespace {

int AnyFormula(const char *) { return 1; }

// Every line ends in CR LF, holds no other CR and reads.
bool EveryLineReads(const CString &text) {
    std::string all(text.GetString(), static_cast<size_t>(text.GetLength()));
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos || end == start || all[end - 1] != '\r') return false;
        std::string line = all.substr(start, end - 1 - start);
        if (line.find('\r') != std::string::npos) return false;
        CalcRecord record;
        if (ParseCalcLine(&line[0], INT_MAX, AnyFormula, &record) < 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

// Temporary file, checked writes and close, then the replacement.
CalcSaveStatus SaveCalcFile(const char *path, const CString &text) {
    if (!EveryLineReads(text)) return CalcSaveStatus::Unreadable;
    return SaveTextFile(path, text);
}

CalcSaveStatus SaveTextFile(const char *path, const CString &text) {
    CString temporary;
    FILE *file = CreateTemporary(FolderOf(path), &temporary);
    if (file == nullptr) return CalcSaveStatus::NoTemporary;
    bool written = PutCalcLine(file, text) == 0 && std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        std::remove(temporary);
        return CalcSaveStatus::WriteFailed;
    }
    if (!ReplaceTarget(temporary, path)) {
        std::remove(temporary);
        return CalcSaveStatus::NotReplaced;
    }
    return CalcSaveStatus::Saved;
}

// Save's text: the product line needs both numbers, so nothing is made
// unless both field texts read.
bool CalcEntryText(const CalcFields &fields, const LedraRowStore &rows, CString *text) {
    double amount = 0.0, ratio = 0.0;
    if (ReadNumberText(fields.amountText, &amount) != 0 || ReadNumberText(fields.ratioText, &ratio) != 0) return false;
    *text = CalcSampleLine(fields.sampleId) + CalcProductLine(amount, ratio, fields.productFormula) + CalcRowLines(rows);
    if (!fields.seriesValues.IsEmpty()) *text += CalcSeriesLine(fields.seriesValues);
    return true;
}

bool CalcEntryText(const CalcFields &fields, const LedraRowStore &rows, const BatchSettings &batch, CString *text) {
    if (!CalcEntryText(fields, rows, text)) return false;
    *text += CalcBatchLines(batch, rows);
    return true;
}

// "series <values>\r\n".
CString CalcSeriesLine(const char *values) { return CString("series ") + values + "\r\n"; }
