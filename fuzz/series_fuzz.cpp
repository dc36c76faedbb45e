// A series formula and values of x (the input's first line and the rest):
// any text gets an answer without crashing or overflowing; values of x are
// distinct, at most SERIES_MAX_VALUES, and their text reads back exactly;
// every member formula made is one the parser accepts, without x.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/decimal.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/series.h"

namespace {

void Require(bool condition) { if (!condition) __builtin_trap(); }

CElementTable &Table() {
    static CElementTable table;
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *path = "series_fuzz_elements.lst";
    std::FILE *file = std::fopen(path, "w");
    if (file == nullptr) std::abort();
    std::fputs("1 H 1.00794 m\n2 Li 6.941\n3 C 12.0107 m\n4 O 15.9994 m\n5 Ti 47.867\n6 Sr 87.62\n7 Zr 91.224\n"
               "8 Ba 137.327\n9 La 138.9055\n10 Ta 180.94788\n11 Re 186.207\n12 Os 190.23\n13 Pt 195.078\n"
               "14 Au 196.96655\n",
               file);
    std::fclose(file);
    if (Table().Load(path) != ElementLoad::Loaded) std::abort();
    std::remove(path);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t newline = input.find('\n');
    const std::string templ = input.substr(0, newline);
    const std::string valuesText = newline == std::string::npos ? "0:1:0.1" : input.substr(newline + 1);
    static const CFormulaParser parser(Table());
    std::vector<SeriesX> values;
    CString why;
    if (!ParseSeriesValues(valuesText.c_str(), &values, &why)) values.clear();
    Require(values.size() <= size_t(SERIES_MAX_VALUES));
    for (size_t i = 0; i < values.size() && i < 50; ++i) {
        Decimal back;
        const std::string text = values[i].text.GetString();
        Require(ReadDecimal(text.c_str(), true, &back) == text.c_str() + text.size());
        Require(DecimalCompare(back, values[i].value) == 0 && DecimalValue(back) == values[i].number);
        for (size_t j = 0; j < i; ++j) Require(DecimalCompare(values[j].value, values[i].value) != 0);
        CString formula;
        if (SeriesMemberFormula(parser, templ.c_str(), &values[i], &formula, &why) != SeriesFormulaStatus::Done)
            continue;
        Require(parser.Check(formula) == 0 && std::string(formula.GetString()).find('x') == std::string::npos);
    }
    return 0;
}
