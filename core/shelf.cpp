// The shelf's bottles and how they are found.
#include "shelf.h"

#include "formula.h"

BottleRef Bottle::Ref() const {
    BottleRef ref;
    ref.fromShelf = true;
    ref.name = name;
    ref.supplier = supplier;
    ref.lot = lot;
    return ref;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string ShelfFormulaKey(const char *formula) {
    const char *begin = formula;
    while (IsBlank(*begin)) ++begin;
    const char *end = begin + std::char_traits<char>::length(begin);
    while (end > begin && IsBlank(end[-1])) --end;
    std::string key;
    key.reserve(static_cast<size_t>(end - begin));
    for (const char *p = begin; p < end;) {
        size_t separator = FormulaSeparatorLength(p);
        if (separator > 0) {
            key += FORMULA_MIDDLE_DOT;
            p += separator;
        } else {
            key += *p++;
        }
    }
    return key;
}

std::vector<int> Shelf::Find(const char *formula) const {
    auto found = index.find(ShelfFormulaKey(formula));
    return found == index.end() ? std::vector<int>() : found->second;
}

int Shelf::FindBottle(const char *formula, const BottleRef &ref) const {
    auto found = index.find(ShelfFormulaKey(formula));
    if (found == index.end()) return -1;
    for (int i : found->second) {
        const Bottle &bottle = bottles[static_cast<size_t>(i)];
        if ((ref.name.IsEmpty() || bottle.name == ref.name) && (ref.supplier.IsEmpty() || bottle.supplier == ref.supplier) &&
            (ref.lot.IsEmpty() || bottle.lot == ref.lot))
            return i;
    }
    return -1;
}

void Shelf::Reindex() {
    index.clear();
    for (size_t i = 0; i < bottles.size(); ++i)
        index[ShelfFormulaKey(bottles[i].formula)].push_back(static_cast<int>(i));
}
