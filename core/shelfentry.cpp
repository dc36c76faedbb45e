// The shelf meeting the entry's rows.
#include "shelfentry.h"

namespace {

// The values of row rowNumber (1..30) when they apply to formula, else nullptr.
const BatchRowValues *ValuesFor(const BatchSettings &batch, int rowNumber, const char *formula) {
    if (rowNumber < 1 || rowNumber > ROW_CAPACITY) return nullptr;
    const BatchRowValues &values = batch.rows[rowNumber - 1];
    return !values.formula.IsEmpty() && values.formula == formula ? &values : nullptr;
}

// "purity 99.5 % on the shelf, 99 % in the file"; a value not given is "none".
CString Difference(const char *name, double shelf, double file, const char *unit) {
    auto text = [unit](double value) {
        return value == 0.0 ? CString("none") : CString(NumberText(value).c_str()) + " " + unit;
    };
    return CString(name) + " " + text(shelf) + " on the shelf, " + text(file) + " in the file";
}

}  // namespace

bool RowHasOwnValues(const BatchSettings &batch, int rowNumber, const char *formula) {
    const BatchRowValues *values = ValuesFor(batch, rowNumber, formula);
    return values != nullptr &&
           (values->purity != PURITY_DEFAULT || values->excess != EXCESS_DEFAULT || !values->form.IsSolid());
}

BottleTake TakeBottle(BatchSettings *batch, int rowNumber, const char *formula, const Bottle &bottle, bool overwrite) {
    if (rowNumber < 1 || rowNumber > ROW_CAPACITY) return BottleTake::Unchanged;
    const BatchRowValues *values = ValuesFor(*batch, rowNumber, formula);
    const BottleRef ref = bottle.Ref();
    const bool same = values != nullptr && values->purity == bottle.purity && values->form == bottle.form;
    if (same && values->bottle == ref) return BottleTake::Unchanged;
    if (!overwrite && RowHasOwnValues(*batch, rowNumber, formula) && (!same || values->bottle.fromShelf))
        return BottleTake::AskFirst;
    const double excess = values != nullptr ? values->excess : EXCESS_DEFAULT;
    batch->SetRow(rowNumber, formula, bottle.purity, excess, bottle.form, ref);
    return BottleTake::Taken;
}

int TakeShelfValues(const Shelf &shelf, Entry *entry) {
    int taken = 0;
    for (int row = 1; row <= ROW_CAPACITY && row <= entry->rows.capacity(); ++row) {
        const CString formula = entry->rows.row(row - 1)->formula;
        if (formula.IsEmpty() || RowHasOwnValues(entry->batch, row, formula)) continue;
        const BatchRowValues *values = ValuesFor(entry->batch, row, formula);
        int index = -1;
        if (values != nullptr && values->bottle.fromShelf) {
            index = shelf.FindBottle(formula, values->bottle);
        } else {
            const std::vector<int> found = shelf.Find(formula);
            if (!found.empty()) index = found.front();
        }
        if (index >= 0 && TakeBottle(&entry->batch, row, formula, shelf.bottles[static_cast<size_t>(index)], true) ==
                              BottleTake::Taken)
            ++taken;
    }
    return taken;
}

std::vector<ShelfChange> ShelfChanges(const Shelf &shelf, const Entry &entry) {
    std::vector<ShelfChange> changes;
    for (int row = 1; row <= ROW_CAPACITY && row <= entry.rows.capacity(); ++row) {
        const CString formula = entry.rows.row(row - 1)->formula;
        const BatchRowValues *values = ValuesFor(entry.batch, row, formula);
        if (values == nullptr || !values->bottle.fromShelf) continue;
        ShelfChange change;
        change.row = row;
        change.formula = formula;
        change.bottle = values->bottle;
        const int index = shelf.FindBottle(formula, values->bottle);
        if (index < 0) {
            change.gone = true;
        } else {
            const Bottle &bottle = shelf.bottles[static_cast<size_t>(index)];
            if (bottle.purity != values->purity) change.what.push_back(Difference("purity", bottle.purity, values->purity, "%"));
            if (bottle.form.density != values->form.density)
                change.what.push_back(Difference("density", bottle.form.density, values->form.density, "g/mL"));
            if (bottle.form.molarity != values->form.molarity)
                change.what.push_back(Difference("molarity", bottle.form.molarity, values->form.molarity, "mol/L"));
            if (bottle.form.massFraction != values->form.massFraction)
                change.what.push_back(
                    Difference("mass fraction", bottle.form.massFraction, values->form.massFraction, "%"));
            if (change.what.empty()) continue;
        }
        changes.push_back(change);
    }
    return changes;
}

CString ShelfChangesText(const std::vector<ShelfChange> &changes) {
    if (changes.empty()) return CString();
    CString text = "The shelf's values differ from this file's:\n";
    for (const ShelfChange &change : changes) {
        text += MaterialName(change.formula, change.row) + ", bottle " + BottleText(change.bottle) + ": ";
        if (change.gone) {
            text += "no longer on the shelf";
        } else {
            for (size_t i = 0; i < change.what.size(); ++i) text += (i > 0 ? "; " : "") + change.what[i];
        }
        text += ".\n";
    }
    return text;
}

void TakeShelfChanges(const Shelf &shelf, const std::vector<ShelfChange> &changes, Entry *entry) {
    for (const ShelfChange &change : changes) {
        if (change.gone) continue;
        const int index = shelf.FindBottle(change.formula, change.bottle);
        if (index >= 0)
            TakeBottle(&entry->batch, change.row, change.formula, shelf.bottles[static_cast<size_t>(index)], true);
    }
}
