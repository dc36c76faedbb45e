// Calculate to the report file's text for a 30-row entry: every row weighed
// as a solid, against the same entry with 27 of its rows dispensed by volume
// (stock solutions of known molarity and density). The second should cost
// about what the first does: compare the two times of one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/calcfile.h"
#include "core/calculation.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/sheet.h"

namespace {

// YBa2Cu3O7 from Y2O3, BaCO3 and CuO, and 27 Fixed rows of nitrates in small amounts.
std::string EntryText(bool liquids) {
    static const char *const dopants[] = {"Y(NO3)3", "Ba(NO3)2", "Cu(NO3)2"};
    std::string text = "-1 S-30\n0 10 1 YBa2Cu3O7\n1 1 0.5 Y2O3\n2 1 2 BaCO3\n3 1 3 CuO\n";
    for (int row = 4; row <= 30; ++row)
        text += std::to_string(row) + " 1 0.001 " + dopants[row % 3] + "\n";
    for (int row = 4; liquids && row <= 30; ++row) {
        text += "density " + std::to_string(row) + " 1.05 " + dopants[row % 3] + "\n";
        text += "molarity " + std::to_string(row) + " 0.1 " + dopants[row % 3] + "\n";
    }
    return text;
}

void BM_Sheet30(benchmark::State &state) {
    CElementTable table;
    if (table.Load(QUILLON_ATOMS_PATH) != ElementLoad::Loaded) {
        state.SkipWithError("ATOMS.LST did not load");
        return;
    }
    const CFormulaParser parser(table);
    const std::string text = EntryText(state.range(0) != 0);
    FILE *file = std::tmpfile();
    std::fputs(text.c_str(), file);
    std::rewind(file);
    CalcReadResult read;
    ReadCalcStream(file, ROW_CAPACITY, [&parser](const char *f) { return parser.Check(f) == 0 ? 1 : 0; }, read);
    std::fclose(file);
    if (read.status != CalcReadStatus::Ok) {
        state.SkipWithError("the entry did not read");
        return;
    }
    Entry entry;
    ApplyCalcRecords(read.records, &entry);
    const ElementSelection selection = ElementSelection::Metals(table);
    size_t bytes = 0;
    for (auto _ : state) {
        const CalcOutcome outcome = Calculate(entry, parser, selection, {});
        const CString report = SheetFileText(outcome.sheet);
        bytes = size_t(report.GetLength());
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_Sheet30)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
