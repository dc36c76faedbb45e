// Any bytes read as a calculation file without fault: either a refusal naming a line and why, a file
// without its entry, or records
// whose numbers are all finite; such an entry, written back and loaded again, gives exactly the
// same values (the batch's lines included) and writes the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/calcfile.h"
#include "core/rowstore.h"

namespace {

// Stand-in for the formula check: letters, digits, '.' and parentheses.
int Check(const char *formula) {
    return formula[std::strspn(formula, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.()")] == 0;
}

CalcReadStatus Read(const std::string &bytes, CalcReadResult &result) {
    result = CalcReadResult();
    if (bytes.empty()) return CalcReadStatus::Ok;
    FILE *file = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "r");
    if (file == nullptr) std::abort();
    CalcReadStatus status = ReadCalcStream(file, ROW_CAPACITY, Check, result);
    std::fclose(file);
    return status;
}

// The file the writer makes for what the records leave behind, or "" when saving would refuse
// its sample ID.
std::string Written(const std::vector<CalcRecord> &records) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    CalcFields fields;
    BatchSettings batch;
    ApplyCalcRecords(records, fields, rows, &batch);
    CString sample, product;
    for (const CalcRecord &r : records) {
        if (r.kind == CALC_SAMPLE && !CalcSampleIdSavable(r.text)) return "";
        if (r.kind == CALC_SAMPLE) sample = CalcSampleLine(r.text);
        if (r.kind == CALC_PRODUCT) product = CalcProductLine(r.amount, r.ratio, r.text);
    }
    CString text = sample + product + CalcRowLines(rows) + CalcBatchLines(batch, rows);
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// The last record of each kind (and row) as the entry holds it, for comparing two reads.
std::string Summary(const std::vector<CalcRecord> &records) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    CalcFields fields;
    BatchSettings batch;
    ApplyCalcRecords(records, fields, rows, &batch);
    std::string out = std::string(fields.sampleId.GetString()) + "|" + fields.productFormula.GetString() + "|" +
                      CalcBatchLines(batch, rows).GetString();
    const CalcRecord *product = nullptr;  // the last product line wins
    for (const CalcRecord &r : records)
        if (r.kind == CALC_PRODUCT) product = &r;
    if (product != nullptr)
        out += "|" + std::string(reinterpret_cast<const char *>(&product->amount), 8) +
               std::string(reinterpret_cast<const char *>(&product->ratio), 8);
    for (int i = 0; i < ROW_CAPACITY; ++i)  // a row without a formula is unused, and not written
        if (!rows.formula(i)->IsEmpty())
            out += "|" + std::to_string(i) + std::string(rows.formula(i)->GetString()) +
                   std::to_string(rows.row(i)->fixed) + std::string(reinterpret_cast<const char *>(rows.ratio(i)), 8);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    CalcReadResult result;
    CalcReadStatus status = Read(std::string(reinterpret_cast<const char *>(data), size), result);
    if (status == CalcReadStatus::BadLine || status == CalcReadStatus::ReadError || status == CalcReadStatus::TooLarge ||
        status == CalcReadStatus::Conflict) {
        if (result.failingLine < 1 || result.reason.IsEmpty()) std::abort();
        for (const CalcRecord &record : result.records)
            if (record.line >= result.failingLine) std::abort();
        return 0;
    }
    if (status == CalcReadStatus::NoEntry) {
        if (result.reason.IsEmpty()) std::abort();
        return 0;
    }
    if (status != CalcReadStatus::Ok) std::abort();
    for (const CalcRecord &r : result.records) {
        if (r.kind == CALC_ROW && (r.row < 1 || r.row > ROW_CAPACITY || (r.fixed != 0 && r.fixed != 1))) std::abort();
        if (!std::isfinite(r.amount) || !std::isfinite(r.ratio)) std::abort();
        if ((r.kind == CALC_PURITY && !PurityAcceptable(r.amount)) || (r.kind == CALC_EXCESS && !ExcessAcceptable(r.amount)) ||
            ((r.kind == CALC_SCALE_ROW || r.kind == CALC_SCALE_TOTAL) && !(r.amount > 0.0)))
            std::abort();
    }

    std::string first = Written(result.records);
    if (first.empty()) return 0;
    CalcReadResult again;
    if (Read(first, again) != CalcReadStatus::Ok || Written(again.records) != first) std::abort();
    // The entry comes back exactly: the sample ID, the product with its numbers, every row.
    if (Summary(result.records) != Summary(again.records)) std::abort();
    return 0;
}
