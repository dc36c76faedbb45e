// Speed of the formula parser: Check with tree, composition and molar mass
// of typical formulas (the target is at least 2 million formulas per second
// on one core), plus its parts for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/elements.h"
#include "core/formula.h"
#include "core/numbers.h"

namespace {

const char *const TYPICAL[] = {"La0.6Sr0.4Co0.2Fe0.8O3", "Ba(NO3)2", "Cu(CH3COO)2"};
const int TYPICAL_COUNT = 3;

CElementTable table;
const CFormulaParser parser(table);
const CFormulaParser *const formulaParser = &parser;

// Loads a small element table once.
void Prepare() {
    static bool ready = false;
    if (ready) return;
    const char *path = "parse_bench_elements.lst";
    std::FILE *file = std::fopen(path, "w");
    if (file == nullptr) std::abort();
    std::fputs(
        "1 H 1.00794 m\n2 C 12.0107 m\n3 N 14.0067 m\n4 O 15.9994 m\n5 Fe 55.845\n6 Co 58.9332\n"
        "7 Cu 63.546\n8 Sr 87.62\n9 Ba 137.327\n10 La 138.9055\n",
        file);
    std::fclose(file);
    if (table.Load(path) != ElementLoad::Loaded || table.Count() != 10) std::abort();
    std::remove(path);
    ready = true;
}

// The whole path a formula takes in a calculation: Check with tree,
// composition over all elements, molar mass, tree destroyed.
void BM_CheckCompositionMass(benchmark::State &state) {
    Prepare();
    int i = 0;
    for (auto _ : state) {
        CFormulaNode *tree = nullptr;
        if (formulaParser->Check(TYPICAL[i], &tree) != 0) std::abort();
        Composition composition;
        formulaParser->GetComposition(nullptr, 1.0, tree, composition);
        benchmark::DoNotOptimize(MolarMass(composition, table));
        delete tree;
        i = (i + 1) % TYPICAL_COUNT;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckCompositionMass);

// The validity test alone, as the list's formula-check callback uses it.
void BM_CheckOnly(benchmark::State &state) {
    Prepare();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formulaParser->Check(TYPICAL[i]));
        i = (i + 1) % TYPICAL_COUNT;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckOnly);

const char *const COUNTS[] = {"0.6", "3", "0.8", "2", "12.5"};
const int COUNT_COUNT = 5;

// Reading a count with the quick path (falling back to strtod).
void BM_ReadCount(benchmark::State &state) {
    int i = 0;
    for (auto _ : state) {
        double value = 1.0;
        benchmark::DoNotOptimize(ReadDecimalNumber(COUNTS[i], &value));
        benchmark::DoNotOptimize(value);
        i = (i + 1) % COUNT_COUNT;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadCount);

// The same counts read by strtod, for comparison.
void BM_StrtodCount(benchmark::State &state) {
    int i = 0;
    for (auto _ : state) {
        char *end = nullptr;
        benchmark::DoNotOptimize(std::strtod(COUNTS[i], &end));
        benchmark::DoNotOptimize(end);
        i = (i + 1) % COUNT_COUNT;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StrtodCount);

// A deeply nested formula: 100,000 groups, checked and composed.
void BM_DeepNesting(benchmark::State &state) {
    Prepare();
    const int depth = 100000;
    std::string text = std::string(depth, '(') + "H2O" + std::string(depth, ')');
    for (auto _ : state) {
        CFormulaNode *tree = nullptr;
        if (formulaParser->Check(text.c_str(), &tree) != 0) std::abort();
        Composition composition;
        formulaParser->GetComposition(nullptr, 1.0, tree, composition);
        benchmark::DoNotOptimize(composition.count);
        delete tree;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DeepNesting);

}  // namespace

BENCHMARK_MAIN();
