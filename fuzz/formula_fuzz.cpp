// Any text gets an answer from the formula parser without crashing, leaking or overflowing;
// Check with and without a tree agrees; compositions keep their invariants (a hydrate's is that
// of the same formula with its parts in parentheses); and counts read exactly as strtod reads
// them (the quick path bit for bit).
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quillon/rows.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/numbers.h"

namespace {

void Require(bool condition) { if (!condition) __builtin_trap(); }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Skips what strtod skips before a number, and a sign.
const char *SkipSpaceAndSign(const char *p) {
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    return p + (*p == '+' || *p == '-');
}

// The number at p: ReadDecimalNumber and QuickDecimalNumber against strtod.
void CheckNumberAt(const char *p) {
    double value = 12345.0;
    const char *end = ReadDecimalNumber(p, &value);
    char *rawEnd = nullptr;
    std::strtod(p, &rawEnd);
    if (end == p) {  // no decimal number: strtod reads nothing, or an infinity or NaN
        Require(value == 12345.0);
        char c = *SkipSpaceAndSign(p);
        Require(rawEnd == p || c == 'i' || c == 'I' || c == 'n' || c == 'N');
        return;
    }
    std::string span(p, end);  // strtod reads exactly the scanned characters, to the same value
    char *spanEnd = nullptr;
    double reference = std::strtod(span.c_str(), &spanEnd);
    Require(spanEnd == span.c_str() + span.size() && SameBits(reference, value));
    const char *digits = SkipSpaceAndSign(p);  // only a hexadecimal spelling makes strtod read further
    Require(rawEnd == end || (digits + 1 == end && *digits == '0' && (*end == 'x' || *end == 'X')));
    double quick = 0.0;
    if (QuickDecimalNumber(p, &quick)) Require(SameBits(reference, quick));
}

CElementTable &Table() {
    static CElementTable table;
    return table;
}
const CFormulaParser &Parser() {
    static const CFormulaParser parser(Table());
    return parser;
}

void CheckComposition(const Composition &c) {
    for (int i = 0; i < c.count; ++i) {
        Require(c.elements[i] >= 0 && c.elements[i] < Table().Count());
        Require(i == 0 || c.elements[i - 1] < c.elements[i]);
        Require(std::isfinite(c.amounts[i]) && c.amounts[i] != 0.0);
    }
}

// A valid formula with separators written with parentheses instead: each part after a separator
// becomes "(part)count" (CuSO4*5H2O -> CuSO4(H2O)5).
std::string Parenthesised(const char *text) {
    std::string out;
    const char *p = text;
    while (*p != 0) {
        size_t separator = FormulaSeparatorLength(p);
        if (separator == 0) {
            out += *p++;
            continue;
        }
        p += separator;
        const char *count = p;
        double multiplier = 0.0;
        if ((*p >= '0' && *p <= '9') || *p == '.') p = ReadDecimalNumber(p, &multiplier);
        const char *part = p;
        while (*p != 0 && FormulaSeparatorLength(p) == 0) ++p;
        out += "(" + std::string(part, p) + ")" + std::string(count, part);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *path = "formula_fuzz_elements.lst";
    std::FILE *file = std::fopen(path, "w");
    if (file == nullptr) std::abort();
    std::fputs(
        "1 H 1.00794 m\n2 He 4.002602 m\n3 C 12.0107 m\n4 N 14.0067 m\n5 O 15.9994 m\n6 Ti 47.867\n"
        "7 Fe 55.845\n8 Co 58.9332\n9 Cu 63.546\n10 Sr 87.62\n11 Y 88.90585\n12 Ba 137.327\n"
        "13 La 138.9055\n14 Re 186.207\n15 Os 190.23\n16 Pt 195.078\n17 Au 196.96655\n18 Uuo 294\n",
        file);
    std::fclose(file);
    if (Table().Load(path) != ElementLoad::Loaded || Table().Count() != 18) std::abort();
    std::remove(path);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string input(reinterpret_cast<const char *>(data), size);
    const char *text = input.c_str();
    int plain = Parser().Check(text);
    CFormulaNode *tree = nullptr;
    Require(plain == Parser().Check(text, &tree));
    Require((plain == 0 || plain == -1 || plain == -2) && (plain == 0) == (tree != nullptr));
    Composition all, again, included;
    if (tree != nullptr && Parser().GetComposition(nullptr, 1.0, tree, all) == 0) {
        CheckComposition(all);
        // Once normalised, the tree gives the same composition again, and the included elements a part of it.
        Require(Parser().GetComposition(nullptr, 1.0, tree, again) == 0 && again.count == all.count);
        for (int i = 0; i < all.count; ++i) Require(SameBits(again.amounts[i], all.amounts[i]));
        const ElementSelection metals = ElementSelection::Metals(Table());
        Require(Parser().GetComposition(&metals, 1.0, tree, included) == 0 && included.count <= all.count);
        CheckComposition(included);
        // Hydrates and adducts are the same formula with the parts in parentheses, bit for bit.
        Composition grouped;
        CFormulaNode *groupedTree = nullptr;
        Require(Parser().Check(Parenthesised(text).c_str(), &groupedTree) == 0);
        Require(Parser().GetComposition(nullptr, 1.0, groupedTree, grouped) == 0 && grouped.count == all.count);
        for (int i = 0; i < all.count; ++i) Require(SameBits(grouped.amounts[i], all.amounts[i]));
        delete groupedTree;
    }
    delete tree;
    delete Parser().Parse(text);  // without the parenthesis test: must cope with unbalanced text
    for (const char *p = text; *p != 0; ++p) CheckNumberAt(p);
    return 0;
}
