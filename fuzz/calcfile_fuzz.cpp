// Fuzzes the calculation-file reader: any bytes read without fault, and an
// entry that loads, written back and loaded again, writes the same bytes.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calcfile.h"
#include "rowstore.h"

namespace {

// Stand-in for the formula check: letters, digits, '.' and parentheses.
int Check(const char *formula) {
    for (const char *p = formula; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (!(std::isalnum(c) || c == '.' || c == '(' || c == ')')) return 0;
    }
    return 1;
}

// Reads bytes through a memory stream.
CalcReadStatus Read(const std::string &bytes, CalcReadResult &result) {
    if (bytes.empty()) {
        result = CalcReadResult();
        return CALC_READ_OK;
    }
    FILE *file = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "r");
    if (file == nullptr) std::abort();
    CalcReadStatus status = ReadCalcStream(file, ROW_CAPACITY, Check, result);
    std::fclose(file);
    return status;
}

// The file the writer makes for what the records leave behind, or "" when
// a line would not fit one read (then it would come back in pieces).
std::string Written(const std::vector<CalcRecord> &records) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    const CalcRecord *sample = nullptr;
    const CalcRecord *product = nullptr;
    CalcFields fields;
    ApplyCalcRecords(records, fields, rows);
    for (const CalcRecord &record : records) {
        if (record.kind == CALC_SAMPLE) sample = &record;
        if (record.kind == CALC_PRODUCT) product = &record;
    }
    CString lines[3];
    if (sample) lines[0] = CalcSampleLine(sample->text);
    if (product) lines[1] = CalcProductLine(product->amount, product->ratio, product->text);
    for (int i = 0; i < rows.capacity(); ++i) {
        const LedraRow *row = rows.row(i);
        if (row->formula.IsEmpty()) continue;
        CString line = CalcRowLine(i + 1, row->fixed, row->ratio, row->formula);
        if (line.GetLength() > CALC_LINE_SIZE - 1) return "";
    }
    for (const CString &line : lines)
        if (line.GetLength() > CALC_LINE_SIZE - 1) return "";
    CString all = lines[0] + lines[1] + CalcRowLines(rows);
    return std::string(all.GetString(), static_cast<size_t>(all.GetLength()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    CalcReadResult result;
    CalcReadStatus status = Read(bytes, result);
    if (status == CALC_BAD_LINE || status == CALC_READ_ERROR) {
        if (result.failingLine < 1) std::abort();
        for (const CalcRecord &record : result.records)
            if (record.line > result.failingLine) std::abort();
        return 0;
    }
    if (status != CALC_READ_OK) std::abort();
    for (const CalcRecord &record : result.records) {
        if (record.kind == CALC_ROW && (record.row < 1 || record.row > ROW_CAPACITY)) std::abort();
        if (record.kind == CALC_ROW && record.fixed != 0 && record.fixed != 1) std::abort();
    }

    std::string first = Written(result.records);
    if (first.empty()) return 0;
    CalcReadResult again;
    if (Read(first, again) != CALC_READ_OK) std::abort();
    if (Written(again.records) != first) std::abort();
    return 0;
}
