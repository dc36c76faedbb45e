#include "calcfile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "filereplace.h"
#include "formula.h"
#include "rowstore.h"
#include "numbers.h"
#include "textutil.h"
#include "series.h"

namespace {

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

// Stores why a line is refused (when asked) and gives the refusal, -1.
int Refuse(CString *why, const CString &reason) {
    if (why != nullptr) *why = reason;
    return -1;
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
bool SeriesFormulaReads(const CString &formula, const CalcFormulaCheck &check) {
    std::string probe;
    return SeriesProbeFormula(formula, &probe) && check(probe.c_str());
}

// Reads the "<ratio> <formula>" that ends product and row lines; the
// formula must pass the check (a product's may be a series formula). A
// batch line's formula (check nullptr) is compared with its row's once the
// whole file is read. Returns false, with the reason, when either does not read.
bool ReadRatioAndFormula(char *start, const CalcFormulaCheck &check, CalcRecord *record, CString *why,
                         const char *number, bool product = false) {
    char *end = nullptr;
    double ratio = 0.0;
    if (!ReadFileNumber(start, &ratio, &end)) {
        Refuse(why, CString("the ") + number + " is not a plain decimal number");
        return false;
    }
    // A middle dot written as UTF-8 (a file edited on Linux) is kept as the
    // program stores it, so that the formula editor can show it.
    CString formula(StoredFormulaText(RestOfLine(end)).c_str());
    if (check != nullptr && !check(formula) && !(product && SeriesFormulaReads(formula, check))) {
        Refuse(why, formula + " is not a valid formula");
        return false;
    }
    record->ratio = ratio;
    record->text = formula;
    return true;
}

// Reads "<amount> <ratio> <formula>" of a product line.
int ParseProduct(char *rest, const CalcFormulaCheck &check, CalcRecord *record, CString *why) {
    char *end = nullptr;
    double amount = 0.0;
    if (!ReadFileNumber(rest, &amount, &end)) return Refuse(why, "the product amount is not a plain decimal number");
    if (!ReadRatioAndFormula(end, check, record, why, "product ratio", true)) return -1;
    record->kind = CALC_PRODUCT;
    record->amount = amount;
    return 1;
}

// Reads "<fixed> <ratio> <formula>" of a row line.
int ParseRow(long number, char *rest, const CalcFormulaCheck &check, CalcRecord *record, CString *why) {
    char *end = nullptr;
    long fixed = std::strtol(rest, &end, 10);
    if (end == rest) return Refuse(why, "the Fixed flag is not a whole number");
    if (!ReadRatioAndFormula(end, check, record, why, "ratio")) return -1;
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
    // A hyphen joins letters ("mass-fraction").
    while (std::isalpha(static_cast<unsigned char>(**text)) ||
           (**text == '-' && !word.empty() && std::isalpha(static_cast<unsigned char>((*text)[1]))))
        word += *(*text)++;
    return **text == 0 || IsLineBlank(**text) ? word : std::string();
}

bool OnlyBlanks(const char *text) {
    while (IsLineBlank(*text)) ++text;
    return *text == 0;
}

// "<row> <number> <formula>" of the purity, excess and scale row lines
// (name: the line's words); acceptable says which numbers the line takes,
// range says so when another is given.
int ParseRowValue(char *rest, int capacity, const char *name, bool (*acceptable)(double), const char *range,
                  CalcRecordKind kind, CalcRecord *record, CString *why) {
    char *end = nullptr;
    int row = 0;
    CString rows;
    rows.Format("%d", capacity);
    if (!ReadRowNumber(rest, capacity, &row, &end))
        return Refuse(why, CString(name) + " needs a row number from 1 to " + rows);
    CString number = CString("number of ") + name;
    if (!ReadRatioAndFormula(end, nullptr, record, why, number)) return -1;
    if (!acceptable(record->ratio)) return Refuse(why, range);
    if (record->text.IsEmpty()) return Refuse(why, CString(name) + " needs the formula of its row");
    record->kind = kind;
    record->row = row;
    record->amount = record->ratio;
    record->ratio = 0.0;
    return 1;
}

bool PositiveGrams(double grams) { return std::isfinite(grams) && grams > 0.0; }
bool NoneOrMore(double value) { return std::isfinite(value) && value >= 0.0; }
bool AnyNumber(double) { return true; }

// A form's refusal (FormProblem) as the reader's phrase: no full stop, and
// lower case where it starts with a word rather than with the formula.
CString FormPhrase(FormCheck check, const MaterialForm &form, const CString &formula, int row) {
    CString text = FormProblem(check, form, MaterialName(formula, row));
    if (text.GetLength() > 0 && text[text.GetLength() - 1] == '.') text = text.Mid(0, text.GetLength() - 1);
    if (check != FormCheck::MolarityWithMassFraction && text.GetLength() > 0) {
        char *first = text.GetBuffer(0);
        *first = static_cast<char>(std::tolower(static_cast<unsigned char>(*first)));
        text.ReleaseBuffer(text.GetLength());
    }
    return text;
}

// "<row> <value> <formula>" of a density, molarity or mass-fraction line:
// the value as SetFormValue takes it alone.
int ParseFormLine(char *rest, int capacity, const char *name, FormValue which, CalcRecordKind kind, CalcRecord *record,
                  CString *why) {
    if (ParseRowValue(rest, capacity, name, AnyNumber, "", kind, record, why) < 0) return -1;
    MaterialForm form;
    const FormCheck check = SetFormValue(&form, which, record->amount);
    if (check != FormCheck::Acceptable) return Refuse(why, FormPhrase(check, form, record->text, record->row));
    return 1;
}

// "<word> <number>" lines of one number (scale total, tolerance): the
// number, accepted as acceptable says, and nothing after it.
int ParseOneNumber(char *rest, const char *name, bool (*acceptable)(double), const char *range, CalcRecordKind kind,
                   CalcRecord *record, CString *why) {
    char *end = nullptr;
    if (!ReadFileNumber(rest, &record->amount, &end))
        return Refuse(why, CString("the number of ") + name + " is not a plain decimal number");
    if (!acceptable(record->amount)) return Refuse(why, range);
    if (!OnlyBlanks(end)) return Refuse(why, CString(name) + " takes " + (kind == CALC_TOLERANCE ? "the percentage" : "the grams") + " only");
    record->kind = kind;
    return 1;
}

// A text in double quotes after the blanks at *text, a doubled quote
// inside standing for one; *text moved past it. False when there is none.
bool ReadQuoted(char **text, CString *value) {
    char *p = *text;
    while (IsLineBlank(*p)) ++p;
    if (*p != '"') return false;
    std::string read;
    for (++p;; ++p) {
        if (*p == 0) return false;
        if (*p == '"' && p[1] != '"') break;
        if (*p == '"') ++p;
        read += *p;
    }
    *value = CString(read.c_str());
    *text = p + 1;
    return true;
}

// "<row> "<name>" "<supplier>" "<lot>" <formula>" of a bottle line.
int ParseBottleLine(char *rest, int capacity, CalcRecord *record, CString *why) {
    char *end = nullptr;
    int row = 0;
    CString rows;
    rows.Format("%d", capacity);
    if (!ReadRowNumber(rest, capacity, &row, &end)) return Refuse(why, "bottle needs a row number from 1 to " + rows);
    BottleRef bottle;
    bottle.fromShelf = true;
    if (!ReadQuoted(&end, &bottle.name) || !ReadQuoted(&end, &bottle.supplier) || !ReadQuoted(&end, &bottle.lot))
        return Refuse(why, "bottle needs its name, supplier and lot, each in double quotes");
    if (*end != 0 && !IsLineBlank(*end)) return Refuse(why, "bottle needs a blank after its lot");
    record->text = CString(StoredFormulaText(RestOfLine(end)).c_str());
    if (record->text.IsEmpty()) return Refuse(why, "bottle needs the formula of its row");
    record->kind = CALC_BOTTLE;
    record->row = row;
    record->bottle = bottle;
    return 1;
}

// A bottle's text as the bottle line quotes it: quotes doubled, a CR or LF
// (which would end the line) as a blank.
CString QuotedBottleText(const CString &text) {
    std::string quoted = "\"";
    for (const char *p = text.GetString(); *p != 0; ++p) {
        if (*p == '"') quoted += '"';
        quoted += *p == '\r' || *p == '\n' ? ' ' : *p;
    }
    return CString((quoted + '"').c_str());
}

// The batch lines: they start with a word, which no other line does.
int ParseBatchLine(char *line, int capacity, CalcRecord *record, CString *why) {
    char *rest = line;
    const std::string word = ReadWord(&rest);
    if (word == "purity")
        return ParseRowValue(rest, capacity, "purity", PurityAcceptable, "purity must be above 0 and at most 100 %",
                             CALC_PURITY, record, why);
    if (word == "excess")
        return ParseRowValue(rest, capacity, "excess", ExcessAcceptable, "excess must be 0 or more and below 1000 %",
                             CALC_EXCESS, record, why);
    if (word == "density")
        return ParseFormLine(rest, capacity, "density", FormValue::Density, CALC_DENSITY, record, why);
    if (word == "molarity")
        return ParseFormLine(rest, capacity, "molarity", FormValue::Molarity, CALC_MOLARITY, record, why);
    if (word == "mass-fraction")
        return ParseFormLine(rest, capacity, "mass-fraction", FormValue::MassFraction, CALC_MASS_FRACTION, record, why);
    if (word == "bottle") return ParseBottleLine(rest, capacity, record, why);
    if (word == "series") return Refuse(why, "series needs the values of x");
    if (word == "weighed")
        return ParseRowValue(rest, capacity, "weighed", NoneOrMore, "the grams weighed must be 0 or more", CALC_WEIGHED,
                             record, why);
    if (word == "dispensed")
        return ParseRowValue(rest, capacity, "dispensed", NoneOrMore, "the millilitres dispensed must be 0 or more",
                             CALC_DISPENSED, record, why);
    if (word == "tolerance")
        return ParseOneNumber(rest, "tolerance", NoneOrMore, "the tolerance must be 0 % or more", CALC_TOLERANCE,
                              record, why);
    const std::string second = ReadWord(&rest);
    if (word == "scale" && second == "row")
        return ParseRowValue(rest, capacity, "scale row", PositiveGrams, "the grams to scale to must be above 0",
                             CALC_SCALE_ROW, record, why);
    if (word == "scale" && second == "total")
        return ParseOneNumber(rest, "scale total", PositiveGrams, "the grams to scale to must be above 0",
                              CALC_SCALE_TOTAL, record, why);
    if (word == "scale") return Refuse(why, "scale takes row or total");
    if (word == "show" && (second == "mmol" || second == "gases") && OnlyBlanks(rest)) {
        record->kind = second == "mmol" ? CALC_SHOW_MMOL : CALC_SHOW_GASES;
        return 1;
    }
    if (word == "show") return Refuse(why, "show takes mmol or gases");
    return Refuse(why, "the line starts with neither a number nor a word of a calculation file");
}

// A line "series <values>": 1 with the record filled, -1 when the values
// do not read; 0 for a line of any other kind.
int ParseSeriesLine(char *line, CalcRecord *record, CString *why) {
    if (std::strncmp(line, "series", 6) != 0 || !IsLineBlank(line[6])) return 0;
    CString values = RestOfLine(line + 6);
    std::vector<SeriesX> parsed;
    CString reason;
    if (!ParseSeriesValues(values, &parsed, &reason)) return Refuse(why, reason);
    record->kind = CALC_SERIES;
    record->text = values;
    return 1;
}

// A formula as its meaning is spelled: both hydrate separators as the
// stored middle dot, without the blanks around them.
std::string FormulaSpelling(const char *formula) {
    std::string text = StoredFormulaText(formula), spelled;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool separator = text[i] == '*' || text[i] == FORMULA_MIDDLE_DOT;
        if (separator) {
            while (!spelled.empty() && IsLineBlank(spelled.back())) spelled.pop_back();
            spelled += FORMULA_MIDDLE_DOT;
            while (i + 1 < text.size() && IsLineBlank(text[i + 1])) ++i;
        } else {
            spelled += text[i];
        }
    }
    return spelled;
}

// What a record says once for the whole file ("" for none): its kind and,
// for the lines of a row, the row number.
std::string RecordKey(const CalcRecord &record) {
    switch (record.kind) {
    case CALC_ROW:
    case CALC_PURITY:
    case CALC_EXCESS:
    case CALC_WEIGHED:
    case CALC_DENSITY:
    case CALC_MOLARITY:
    case CALC_MASS_FRACTION:
    case CALC_BOTTLE:
        return std::to_string(static_cast<int>(record.kind)) + " " + std::to_string(record.row);
    case CALC_DISPENSED:  // a row is weighed or dispensed, not both
        return std::to_string(static_cast<int>(CALC_WEIGHED)) + " " + std::to_string(record.row);
    case CALC_SCALE_ROW:
    case CALC_SCALE_TOTAL:
        return "scale";
    default:
        return std::to_string(static_cast<int>(record.kind));
    }
}

// The lines that name a row and its formula.
bool IsRowValue(CalcRecordKind kind) {
    return kind == CALC_PURITY || kind == CALC_EXCESS || kind == CALC_SCALE_ROW || kind == CALC_WEIGHED ||
           kind == CALC_DENSITY || kind == CALC_MOLARITY || kind == CALC_MASS_FRACTION || kind == CALC_DISPENSED ||
           kind == CALC_BOTTLE;
}

// A purity or form line taken into its row's form and purity so far
// (forms): why the row's lines refuse each other, or "". Each value alone
// was checked as its line was read.
CString FormConflict(const CalcRecord &record, std::map<int, std::pair<MaterialForm, double>> &forms) {
    auto &row = forms.emplace(record.row, std::make_pair(MaterialForm(), PURITY_DEFAULT)).first->second;
    MaterialForm &form = row.first;
    switch (record.kind) {
    case CALC_PURITY: row.second = record.amount; break;
    case CALC_DENSITY: form.density = record.amount; break;
    case CALC_MOLARITY: form.molarity = record.amount; break;
    case CALC_MASS_FRACTION: form.massFraction = record.amount; break;
    default: return CString();
    }
    const FormCheck check = CheckForm(form, row.second);
    return check == FormCheck::Acceptable ? CString() : FormPhrase(check, form, record.text, record.row);
}

// The name of a record's line in a refusal.
CString LineName(const CalcRecord &record) {
    CString row;
    row.Format("%d", record.row);
    switch (record.kind) {
    case CALC_SAMPLE: return "sample line";
    case CALC_PRODUCT: return "product line";
    case CALC_ROW: return "line for row " + row;
    case CALC_PURITY: return "purity line for row " + row;
    case CALC_EXCESS: return "excess line for row " + row;
    case CALC_SCALE_ROW:
    case CALC_SCALE_TOTAL: return "scale line";
    case CALC_SHOW_MMOL: return "show mmol line";
    case CALC_SHOW_GASES: return "show gases line";
    case CALC_SERIES: return "series line";
    case CALC_WEIGHED: return "weighed line for row " + row;
    case CALC_DISPENSED: return "dispensed line for row " + row;
    case CALC_TOLERANCE: return "tolerance line";
    case CALC_DENSITY: return "density line for row " + row;
    case CALC_MOLARITY: return "molarity line for row " + row;
    case CALC_MASS_FRACTION: return "mass-fraction line for row " + row;
    case CALC_BOTTLE: return "bottle line for row " + row;
    }
    return "line";
}

// The whole file's sense: one line of each kind (and row), every batch line
// naming the formula its row holds (which it then takes, in the row's
// spelling), and a product line (the program always writes one; an entry
// without starting materials is saved and opened as it is). The first
// record that fails refuses the file at its line.
void CheckEntry(CalcReadResult &result) {
    std::map<std::string, int> firstLines;
    std::map<int, const CalcRecord *> rows;  // the first line of each row
    std::map<int, std::pair<MaterialForm, double>> forms;  // each row's form and purity so far
    bool product = false;
    for (const CalcRecord &record : result.records) {
        if (record.kind == CALC_ROW) rows.emplace(record.row, &record);
        product |= record.kind == CALC_PRODUCT;
    }
    for (CalcRecord &record : result.records) {
        CString why;
        auto first = firstLines.emplace(RecordKey(record), record.line);
        if (!first.second) {
            why.Format("a second %s (the first is line %d)", LineName(record).GetString(), first.first->second);
        } else if (IsRowValue(record.kind)) {
            const auto found = rows.find(record.row);
            const CalcRecord *row = found == rows.end() ? nullptr : found->second;
            const char *word = record.kind == CALC_PURITY          ? "purity"
                               : record.kind == CALC_EXCESS        ? "excess"
                               : record.kind == CALC_WEIGHED       ? "weighed"
                               : record.kind == CALC_DISPENSED     ? "dispensed"
                               : record.kind == CALC_DENSITY       ? "density"
                               : record.kind == CALC_MOLARITY      ? "molarity"
                               : record.kind == CALC_MASS_FRACTION ? "mass-fraction"
                               : record.kind == CALC_BOTTLE        ? "bottle"
                                                                   : "scale row";
            if (row == nullptr || row->text.IsEmpty()) {
                why.Format("%s names %s, but row %d holds no starting material", word, record.text.GetString(), record.row);
            } else if (FormulaSpelling(record.text) != FormulaSpelling(row->text)) {
                why.Format("%s names %s, but row %d holds %s", word, record.text.GetString(), record.row,
                           row->text.GetString());
            } else {
                record.text = row->text;
                why = FormConflict(record, forms);
            }
        }
        if (why.IsEmpty()) continue;
        result.status = CalcReadStatus::Conflict;
        result.failingLine = record.line;
        result.reason = why;
        break;
    }
    if (result.status == CalcReadStatus::Conflict) {
        const int failing = result.failingLine;
        result.records.erase(std::remove_if(result.records.begin(), result.records.end(),
                                            [failing](const CalcRecord &r) { return r.line >= failing; }),
                             result.records.end());
        return;
    }
    const char *none = result.records.empty() ? "the file is empty"
                       : !product             ? "the file has no product line"
                                              : nullptr;
    if (none == nullptr) return;
    result.status = CalcReadStatus::NoEntry;
    result.reason = none;
}

const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

}  // namespace

// Reads one trimmed line into a record.
int ParseCalcLine(char *line, int capacity, const CalcFormulaCheck &check, CalcRecord *record, CString *why) {
    TrimLineBlanks(line);
    if (line[0] == 0) return 0;
    if (int series = ParseSeriesLine(line, record, why)) return series;
    if (std::isalpha(static_cast<unsigned char>(line[0]))) return ParseBatchLine(line, capacity, record, why);
    if (std::strncmp(line, BYTE_ORDER_MARK, 3) == 0) return Refuse(why, "a UTF-8 byte-order mark");
    char *end = nullptr;
    long number = std::strtol(line, &end, 10);
    if (end == line) return Refuse(why, "the line starts with neither a number nor a word of a calculation file");
    if (number < 0) {
        record->kind = CALC_SAMPLE;
        TrimLineBlanks(end);
        record->text = end;
        return 1;
    }
    if (number == 0) return ParseProduct(end, check, record, why);
    if (number > capacity) {
        CString reason;
        reason.Format("row %s is beyond the %d rows", std::to_string(number).c_str(), capacity);
        return Refuse(why, reason);
    }
    return ParseRow(number, end, check, record, why);
}

// Reads lines until the end of the stream or the first failure, then the
// sense of the whole.
CalcReadStatus ReadCalcStream(FILE *file, int capacity, const CalcFormulaCheck &check, CalcReadResult &result) {
    result.records.clear();
    result.failingLine = 0;
    result.status = CalcReadStatus::Ok;
    result.reason.Empty();
    std::string line;
    size_t total = 0;
    for (int lineNumber = 1;; ++lineNumber) {
        const TextLineRead got = ReadTextLine(file, line, &total);
        if (got == TextLineRead::End) break;
        if (got != TextLineRead::Line) {
            result.status = got == TextLineRead::ReadError ? CalcReadStatus::ReadError : CalcReadStatus::TooLarge;
            result.failingLine = lineNumber;
            result.reason = got == TextLineRead::ReadError ? "read error"
                            : got == TextLineRead::LineTooLong ? "the line is longer than 1 MiB"
                                                               : "the file is larger than 16 MiB";
            return result.status;
        }
        // What an editor writes before the first line.
        if (lineNumber == 1 && line.compare(0, 3, BYTE_ORDER_MARK) == 0) line.erase(0, 3);
        // A NUL byte would end the line's text early: "Ba\0CO3" would weigh Ba.
        CalcRecord record;
        CString why;
        const int parsed =
            line.find('\0') == std::string::npos ? ParseCalcLine(&line[0], capacity, check, &record, &why) : Refuse(&why, "a NUL byte");
        if (parsed < 0) {
            result.status = CalcReadStatus::BadLine;
            result.failingLine = lineNumber;
            result.reason = why;
            return result.status;
        }
        if (parsed > 0) {
            record.line = lineNumber;
            result.records.push_back(record);
        }
    }
    CheckEntry(result);
    return result.status;
}

// Opens, reads and closes a calculation file.
CalcReadStatus ReadCalcFile(const char *path, int capacity, const CalcFormulaCheck &check, CalcReadResult &result) {
    FILE *file = std::fopen(path, "rb");
    if (file == nullptr) {
        result.records.clear();
        result.failingLine = 0;
        result.status = CalcReadStatus::OpenFailed;
        result.reason = "cannot open";
        return result.status;
    }
    ReadCalcStream(file, capacity, check, result);
    std::fclose(file);
    return result.status;
}

// Applies the records in file order; later ones override earlier ones. The
// batch's values follow (in the formula each line names), then the scaling
// and the options; a row's purity and excess lines name one formula, and a
// line naming another starts the row's values afresh.
void ApplyCalcRecords(const std::vector<CalcRecord> &records, CalcFields &fields, LedraRowStore &rows,
                      BatchSettings *batch) {
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
        default:  // the batch's lines, below
            break;
        }
    }
    *batch = BatchSettings();
    for (const CalcRecord &record : records) {
        BatchRowValues *values = record.row >= 1 && record.row <= ROW_CAPACITY ? &batch->rows[record.row - 1] : nullptr;
        const bool form = record.kind == CALC_DENSITY || record.kind == CALC_MOLARITY || record.kind == CALC_MASS_FRACTION;
        if ((record.kind == CALC_PURITY || record.kind == CALC_EXCESS || form) && values != nullptr) {
            if (values->formula != record.text) *values = BatchRowValues();
            values->formula = record.text;
            (record.kind == CALC_PURITY         ? values->purity
             : record.kind == CALC_EXCESS       ? values->excess
             : record.kind == CALC_DENSITY      ? values->form.density
             : record.kind == CALC_MOLARITY     ? values->form.molarity
                                                : values->form.massFraction) = record.amount;
        } else if (record.kind == CALC_BOTTLE && values != nullptr) {
            if (values->formula != record.text) *values = BatchRowValues();
            values->formula = record.text;
            values->bottle = record.bottle;
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
        batch->SetRow(i + 1, values.formula, values.purity, values.excess, values.form, values.bottle);
    }
}

void ApplyCalcRecords(const std::vector<CalcRecord> &records, Entry *entry) {
    ApplyCalcRecords(records, entry->fields, entry->rows, &entry->batch);
    entry->weighed = WeighedMasses();
    for (const CalcRecord &record : records) {
        if (record.kind == CALC_WEIGHED) entry->weighed.SetRow(record.row, record.text, record.amount);
        if (record.kind == CALC_DISPENSED) entry->weighed.SetDispensed(record.row, record.text, record.amount);
        if (record.kind == CALC_TOLERANCE) entry->weighed.tolerance = record.amount;
    }
}

// The weighed (or dispensed) lines of the rows that still hold their mass's formula, then the tolerance.
CString CalcWeighedLines(const WeighedMasses &weighed, const LedraRowStore &rows) {
    CString lines, line;
    for (int i = 0; i < ROW_CAPACITY && i < rows.capacity(); ++i) {
        const WeighedAmount *given = weighed.Given(i + 1, rows.row(i)->formula);
        if (given == nullptr) continue;
        line.Format("%s %d %s %s\r\n", given->byVolume ? "dispensed" : "weighed", i + 1,
                    FileNumber(given->byVolume ? given->millilitres : given->grams).GetString(),
                    rows.row(i)->formula.GetString());
        lines += line;
    }
    if (weighed.tolerance != DEFAULT_WEIGHED_TOLERANCE) {
        line.Format("tolerance %s\r\n", FileNumber(weighed.tolerance).GetString());
        lines += line;
    }
    return lines;
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
        const std::pair<const char *, double> form[] = {{"density", values.form.density},
                                                        {"molarity", values.form.molarity},
                                                        {"mass-fraction", values.form.massFraction}};
        for (const auto &value : form) {
            if (value.second == 0.0) continue;
            line.Format("%s %d %s %s\r\n", value.first, i + 1, FileNumber(value.second).GetString(),
                        values.formula.GetString());
            lines += line;
        }
        if (values.bottle.fromShelf) {
            line.Format("bottle %d %s %s %s %s\r\n", i + 1, QuotedBottleText(values.bottle.name).GetString(),
                        QuotedBottleText(values.bottle.supplier).GetString(),
                        QuotedBottleText(values.bottle.lot).GetString(), values.formula.GetString());
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
        if (ParseCalcLine(&line[0], INT_MAX, AnyFormula, &record, nullptr) < 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

// Refused before anything is written unless every line reads back.
CalcSaveStatus SaveCalcFile(const char *path, const CString &text) {
    if (!EveryLineReads(text)) return CalcSaveStatus::Unreadable;
    return SaveTextFile(path, text);
}

// The bytes go to the file through ReplaceFileBytes (core/filereplace.h).
CalcSaveStatus SaveTextFile(const char *path, const CString &text) {
    switch (ReplaceFileBytes(path, text.GetString(), static_cast<size_t>(text.GetLength()))) {
    case FileReplaceStatus::Replaced: break;
    case FileReplaceStatus::NoTemporary: return CalcSaveStatus::NoTemporary;
    case FileReplaceStatus::WriteFailed: return CalcSaveStatus::WriteFailed;
    case FileReplaceStatus::NotReplaced: return CalcSaveStatus::NotReplaced;
    }
    return CalcSaveStatus::Saved;
}

// Save's text: the product line needs both numbers, so nothing is made
// unless both field texts read.
bool CalcEntryText(const CalcFields &fields, const LedraRowStore &rows, const BatchSettings &batch, CString *text) {
    double amount = 0.0, ratio = 0.0;
    if (ReadNumberText(fields.amountText, &amount) != 0 || ReadNumberText(fields.ratioText, &ratio) != 0) return false;
    *text = CalcSampleLine(fields.sampleId) + CalcProductLine(amount, ratio, fields.productFormula) + CalcRowLines(rows);
    if (!fields.seriesValues.IsEmpty()) *text += CalcSeriesLine(fields.seriesValues);
    *text += CalcBatchLines(batch, rows);
    return true;
}

bool CalcEntryText(const Entry &entry, CString *text) {
    if (!CalcEntryText(entry.fields, entry.rows, entry.batch, text)) return false;
    *text += CalcWeighedLines(entry.weighed, entry.rows);
    return true;
}

// "series <values>\r\n".
CString CalcSeriesLine(const char *values) { return CString("series ") + values + "\r\n"; }
