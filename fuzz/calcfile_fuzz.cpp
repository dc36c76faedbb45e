// Any bytes read as a calculation file without fault, and an entry that loads, written back and
// loaded again, writes the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "calcfile.h"
#include "rowstore.h"

namespace {

// Stand-in for the formula check: letters, digits, '.' and parentheses.
int Check(const char *formula) {
    return formula[std::strspn(formula, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.()")] == 0;
}

CalcReadStatus Read(const std::string &bytes, CalcReadResult &result) {
    result = CalcReadResult();
    if (bytes.empty()) return CALC_READ_OK;
    FILE *file = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "r");
    if (file == nullptr) std::abort();
    CalcReadStatus status = ReadCalcStream(file, ROW_CAPACITY, Check, result);
    std::fclose(file);
    return status;
}

// The file the writer makes for what the records leave behind, or "" when a line would not
// fit one read (it would come back in pieces).
std::string Written(const std::vector<CalcRecord> &records) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    CalcFields fields;
    ApplyCalcRecords(records, fields, rows);
    CString sample, product;
    for (const CalcRecord &r : records) {
        if (r.kind == CALC_SAMPLE) sample = CalcSampleLine(r.text);
        if (r.kind == CALC_PRODUCT) product = CalcProductLine(r.amount, r.ratio, r.text);
    }
    CString text = sample + product + CalcRowLines(rows);
    std::string all(text.GetString(), static_cast<size_t>(text.GetLength()));
    size_t start = 0;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
        if (end + 1 - start > size_t(CALC_LINE_SIZE - 1)) return "";
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    CalcReadResult result;
    CalcReadStatus status = Read(std::string(reinterpret_cast<const char *>(data), size), result);
    if (status == CALC_BAD_LINE || status == CALC_READ_ERROR) {
        if (result.failingLine < 1) std::abort();
        for (const CalcRecord &record : result.records)
            if (record.line > result.failingLine) std::abort();
        return 0;
    }
    if (status != CALC_READ_OK) std::abort();
    for (const CalcRecord &r : result.records)
        if (r.kind == CALC_ROW && (r.row < 1 || r.row > ROW_CAPACITY || (r.fixed != 0 && r.fixed != 1))) std::abort();

    std::string first = Written(result.records);
    if (first.empty()) return 0;
    CalcReadResult again;
    if (Read(first, again) != CALC_READ_OK || Written(again.records) != first) std::abort();
    return 0;
}
