#include "calculation.h"

#include <cmath>

#include "../chem/elements.h"
#include "../chem/formula.h"
#include "../chem/reaction.h"

namespace {

bool PositiveFinite(double value) { return value > 0.0 && std::isfinite(value); }

// A product ratio of 0, below 0 or "?" would divide the grams by zero or by a
// huge negative number (the sheet would show inf, nan or -0), and balance the
// starting materials against nothing or against minus the product. A ratio
// that does not read as a number is left to the preparation step.
bool ProductRatioUsable(CalcEntrySource &source) {
    double productRatio = 0.0;
    if (source.ReadProductRatio(&productRatio) != 0 || PositiveFinite(productRatio)) return true;
    source.ShowMessage("Enter positive value for product ratio.", CALC_CORRECT, CALC_FIELD_RATIO);
    return false;
}

}  // namespace

// Builds a reaction from the product fields and the list's used rows.
int PrepareCalculation(CalcEntrySource &source, CReaction **reaction) {
    *reaction = nullptr;
    CString product = source.ProductFormula();
    if (product.IsEmpty()) return 1;
    if (formulaParser->Check(product) != 0) return 2;
    double productRatio = 0.0;
    if (source.ReadProductRatio(&productRatio) != 0) return 3;

    int n = source.GetRows(0, nullptr);
    if (n <= 0) return 6;
    LedraRowList *list = new LedraRowList;
    list->count = n;
    list->fixedCount = 0;
    list->rows = new LedraRow *[n];
    if (source.GetRows(n, list) != 0) {
        delete[] list->rows;
        delete list;
        return 7;
    }
    CReaction *made = new CReaction(formulaParser);
    if (made->SetInput(product, productRatio, list) != 0) {
        delete made;
        return 5;
    }
    *reaction = made;
    return 0;
}

// Preparation, then the molar masses (and the ratios first with autoRatio).
int PrepareAndRunCalculation(CalcEntrySource &source, bool autoRatio, CReaction **reaction) {
    *reaction = nullptr;
    CReaction *made = nullptr;
    if (PrepareCalculation(source, &made) != 0) {
        delete made;
        return 1;
    }
    int result = made->RunCalculation(autoRatio ? 1 : 0);
    if (result == 1) made->MarkUndetermined();  // no ratio found must not look like one
    if (result != 0) {
        delete made;
        return result == 1 ? 2 : 3;
    }
    *reaction = made;
    return 0;
}

// The names of the starting materials with a negative ratio, comma separated.
CString NegativeRatioNames(const CReaction &reaction) {
    CString names;
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        if (!(reaction.ReactantRatio(i) < 0.0)) continue;
        if (!names.IsEmpty()) names += ", ";
        names += reaction.ReactantFormula(i);
    }
    return names;
}

// The Calculate command.
int CalculateCommand(CalcEntrySource &source, bool autoRatio, int *resetSelection) {
    double amount = 0.0;
    if (source.ReadAmount(&amount) != 0) {
        source.ShowMessage("Check amount of product in grams.", CALC_CORRECT);
        return 1;
    }
    if (!(amount > 0.0)) {
        source.ShowMessage("Enter positive value for product amount in grams.", CALC_CORRECT);
        return 1;
    }
    if (!ProductRatioUsable(source)) return 1;
    CString undetermined;
    int row = autoRatio ? 0 : source.UndeterminedRow(&undetermined);
    if (row > 0) {
        CString text;
        text.Format("The ratio of row %d (%s) is not determined (\"?\").\n"
                    "Type its ratio, or check Auto-Ratio to have it determined.",
                    row, undetermined.GetString());
        source.ShowMessage(text, CALC_CORRECT);
        return 1;
    }
    if (autoRatio) {
        CString product = source.ProductFormula();
        if (product.IsEmpty()) {
            source.ShowMessage("Product entry is empty.", CALC_FAILURE);
            return 1;
        }
        int unfixed = source.GetUnfixedCount();
        if (!source.ChooseElements(product, unfixed, resetSelection)) return 1;
    }

    CReaction *reaction = nullptr;
    int outcome = PrepareAndRunCalculation(source, autoRatio, &reaction);
    int result = 1;
    if (outcome == 0 && !PositiveFinite(reaction->ProductMolarMass())) {
        // "()" weighs nothing and Og1e306 more than a double holds: no grams follow from either.
        delete reaction;
        source.RowsChanged();
        source.ShowMessage("Molar mass of product is not a positive number.", CALC_CORRECT, CALC_FIELD_PRODUCT);
        return 1;
    }
    if (outcome == 0) {
        CString negative = NegativeRatioNames(*reaction);
        if (!negative.IsEmpty()) {
            source.RowsChanged();
            CString text = "These starting materials have negative ratios: ";
            text += negative;
            text += ".\nThey cannot give the product as they stand.";
            source.ShowMessage(text, CALC_WARNING);
        }
        source.WriteReport(*reaction, amount);
        delete reaction;
        if (resetSelection != nullptr && *resetSelection != 0) elementTable.ResetInclusion();
        result = 0;
    } else if (outcome == 2) {
        source.ShowMessage("Failed to obtain ratios.", CALC_FAILURE);
    } else {
        source.ShowMessage("Failed to generate output.", CALC_FAILURE);
    }
    source.RowsChanged();
    return result;
}

// The automatic-ratio command.
int AutoRatioCommand(CalcEntrySource &source) {
    CString product = source.ProductFormula();
    if (product.IsEmpty()) {
        source.ShowMessage("Product entry is empty.", CALC_FAILURE);
        return 1;
    }
    if (!ProductRatioUsable(source)) return 1;
    int unfixed = source.GetUnfixedCount();
    if (!source.ChooseElements(product, unfixed, nullptr)) return 1;

    CReaction *reaction = nullptr;
    if (PrepareCalculation(source, &reaction) != 0) {
        delete reaction;
        source.ShowMessage("Ratio cannot be determined.", CALC_FAILURE);
        source.RowsChanged();
        return 1;
    }
    int result = reaction->RunAutoRatio();
    if (result != 0) {
        source.ShowMessage(result == 4 ? "Failed to determine ratio." : "Ratio cannot be determined.", CALC_FAILURE);
        reaction->MarkUndetermined();
    }
    delete reaction;
    source.RowsChanged();
    return result == 0 ? 0 : 1;
}
