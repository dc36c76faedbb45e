// Speed of the shelf: reading a 10,000-bottle shelf with every formula
// checked by the parser (the target is well under 0.1 s), writing it, and
// finding a formula's bottles in it (the target: microseconds).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/elements.h"
#include "core/formula.h"
#include "core/shelf.h"

namespace {

const CFormulaParser &Parser() {
    static CElementTable table;
    static const bool loaded = table.Load(QUILLON_ATOMS_PATH) == ElementLoad::Loaded;
    static const CFormulaParser parser(table);
    if (!loaded) std::abort();
    return parser;
}

const ShelfFormulaCheck Check = [](const char *formula) { return Parser().Check(formula) == 0; };

const char *const METALS[] = {"Ba", "Sr", "Ca", "La", "Y", "Ti", "Zr", "Nb", "Ta", "Fe", "Co", "Ni", "Cu", "Zn", "Al", "Mg"};

// Formula i of the shelf: 2,560 formulas, so about four bottles each, one of them a hydrate.
std::string FormulaOf(int i) {
    const int n = i % 2560;
    std::string formula = std::string(METALS[n % 16]) + std::to_string(n / 256 + 1) + METALS[(n / 16) % 16] + "O" +
                          std::to_string(n % 7 + 2);
    return n % 10 == 0 ? formula + "\xC2\xB7" "5H2O" : formula;
}

// A UTF-8 shelf of 10,000 bottles with every column filled as a lab fills it.
const std::string &ShelfBytes() {
    static std::string bytes;
    if (!bytes.empty()) return bytes;
    bytes = "\xEF\xBB\xBF" "Formula,Name,Purity (%),Density (g/mL),Molarity (mol/L),Mass fraction (%),Supplier,Lot,"
            "Location,Note\r\n";
    for (int i = 0; i < 10000; ++i) {
        const bool solution = i % 25 == 0;
        bytes += FormulaOf(i) + ",\"Oxide " + std::to_string(i) + ", fine powder\"," + (solution ? "" : "99.9" + std::to_string(i % 10)) +
                 (solution ? ",1.1,0.5,," : ",,,,") + "Northfield Chemicals,NC-" + std::to_string(10000 + i) +
                 ",Cabinet A" + std::to_string(i % 9) + ",keep dry\r\n";
    }
    return bytes;
}

void BM_ReadShelf10000(benchmark::State &state) {
    Shelf shelf;
    for (auto _ : state) {
        ReadShelfText(ShelfBytes(), Check, &shelf);
        benchmark::DoNotOptimize(shelf.bottles.data());
    }
    if (shelf.bottles.size() != 10000 || !shelf.problems.empty()) state.SkipWithError("the shelf did not read whole");
}
BENCHMARK(BM_ReadShelf10000)->Unit(benchmark::kMillisecond);

void BM_WriteShelf10000(benchmark::State &state) {
    Shelf shelf;
    ReadShelfText(ShelfBytes(), Check, &shelf);
    for (Bottle &bottle : shelf.bottles) bottle.purity = 99.5;  // every line written anew
    for (auto _ : state) benchmark::DoNotOptimize(ShelfText(shelf).GetLength());
}
BENCHMARK(BM_WriteShelf10000)->Unit(benchmark::kMillisecond);

// Find over formulas that are there (one in the other hydrate spelling, with blanks) and one that is not.
void BM_FindInShelf10000(benchmark::State &state) {
    Shelf shelf;
    ReadShelfText(ShelfBytes(), Check, &shelf);
    const std::string hydrate = FormulaOf(10);
    const std::string lookups[] = {FormulaOf(1234), " " + hydrate.substr(0, hydrate.find('\xC2')) + "*5H2O ", "Au2O3"};
    size_t found = 0, k = 0;
    for (auto _ : state) {
        found += shelf.Find(lookups[k].c_str()).size();
        k = (k + 1) % 3;
    }
    if (shelf.Find(lookups[1].c_str()).size() != 4) state.SkipWithError("the hydrate was not found by its meaning");
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_FindInShelf10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
