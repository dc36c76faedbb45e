#include "commands.h"

#include <cmath>

#include "elements.h"
#include "formula.h"
#include "reaction.h"
#include "sheet.h"
#include "sheetcheck.h"

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

// A message's first sentence, and on the next line the sentence that says
// why, when there is one.
CString WithReason(const char *first, const CString &why) {
    CString text = first;
    if (!why.IsEmpty()) {
        text += "\n";
        text += why;
    }
    return text;
}

// The last check before a sheet is shown: the sheet the report will print
// is recomputed on its own; true when it holds, else the failure is shown.
bool SheetHolds(CalcEntrySource &source, const CReaction &reaction, double amount, bool ratiosSolved) {
    const WeighingSheet sheet = MakeWeighingSheet(reaction, amount, "", 1);
    const SheetCheckResult check = CheckSheet(reaction, amount, sheet, ratiosSolved);
    if (check.status == SheetCheck::Passed) return true;
    source.ShowMessage(WithReason("Failed to generate output.", check.text), CALC_FAILURE);
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
int PrepareAndRunCalculation(CalcEntrySource &source, bool autoRatio, CReaction **reaction, CString *why) {
    *reaction = nullptr;
    CReaction *made = nullptr;
    if (PrepareCalculation(source, &made) != 0) {
        delete made;
        return 1;
    }
    int result = made->RunCalculation(autoRatio ? 1 : 0);
    if (result == 1) made->MarkUndetermined();  // no ratio found must not look like one
    if (result != 0) {
        if (why != nullptr && result == 1) *why = made->SolveFailure();
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

namespace {

// "X (row 3)", or "X (starting material 3)" when the row is not known.
CString RowName(CalcEntrySource &source, const CReaction &reaction, int i) {
    const LedraRowList *list = reaction.RowList();
    int row = list != nullptr && list->rows != nullptr ? source.RowNumber(list->rows[i]) : 0;
    CString text;
    if (row > 0)
        text.Format("%s (row %d)", reaction.ReactantFormula(i).GetString(), row);
    else
        text.Format("%s (starting material %d)", reaction.ReactantFormula(i).GetString(), i + 1);
    return text;
}

bool AllFinite(const Composition &composition) {
    for (int k = 0; k < composition.count; ++k)
        if (!std::isfinite(composition.amounts[k])) return false;
    return true;
}

// The warning of negative values, "These starting materials have negative <what>: A, B." and what follows.
void WarnNegative(CalcEntrySource &source, const char *what, const CString &names) {
    if (names.IsEmpty()) return;
    source.RowsChanged();
    CString text = "These starting materials have negative ";
    text += what;
    text += ": ";
    text += names;
    text += ".\nThey cannot give the product as they stand.";
    source.ShowMessage(text, CALC_WARNING);
}

}  // namespace

// Every number the sheet shows, and the differential, in sheet order.
CString NonFiniteSheetNumber(CalcEntrySource &source, const CReaction &reaction, double amount) {
    // A product ratio of 1e-310 makes every gram infinite (or NaN at ratio 0).
    if (!std::isfinite(GramsFactor(amount, reaction.ProductMolarMass(), reaction.ProductRatio())))
        return CString("Product ratio is too small: the amounts to weigh are not finite numbers.");
    WeighingSheet sheet = MakeWeighingSheet(reaction, amount, "", 0);
    const char *what = nullptr;
    int failing = -1;
    for (int i = 0; i < reaction.ReactantCount() && failing < 0; ++i) {
        failing = i;
        if (!std::isfinite(reaction.ReactantMolarMass(i)))
            what = "Molar mass of ";
        else if (!std::isfinite(reaction.ReactantRatio(i)))
            what = "Ratio of ";
        else if (!std::isfinite(sheet.reactants[i].grams))
            what = "Amount to weigh of ";
        else if (!AllFinite(reaction.ReactantComposition(i).ScaledCopy(reaction.ReactantRatio(i) /
                                                                       reaction.ProductRatio())))
            what = "Differential amount of ";
        else
            failing = -1;
    }
    if (failing >= 0) return what + RowName(source, reaction, failing) + " is not a finite number.";
    Composition sum;
    for (int i = 0; i < reaction.ReactantCount(); ++i)
        sum.Add(reaction.ReactantComposition(i).ScaledCopy(reaction.ReactantRatio(i) / reaction.ProductRatio()));
    sum.Subtract(reaction.ProductComposition());
    if (!AllFinite(sum)) return CString("Differential of the product is not a finite number.");
    return CString();
}

// The Calculate command.
int CalculateCommand(CalcEntrySource &source, bool autoRatio, int *resetSelection) {
    double amount = 0.0;
    int read = source.ReadAmount(&amount);
    if (read != 0) {
        source.ShowMessage(read == 2 ? "Check amount of product in grams.\nUse a point for decimals: 1.5."
                                     : "Check amount of product in grams.",
                           CALC_CORRECT);
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
    CString why;
    int outcome = PrepareAndRunCalculation(source, autoRatio, &reaction, &why);
    int result = 1;
    if (outcome == 0 && !PositiveFinite(reaction->ProductMolarMass())) {
        // "()" weighs nothing and Og1e306 more than a double holds: no grams follow from either.
        delete reaction;
        source.RowsChanged();
        source.ShowMessage("Molar mass of product is not a positive number.", CALC_CORRECT, CALC_FIELD_PRODUCT);
        return 1;
    }
    CString nonFinite = outcome == 0 ? NonFiniteSheetNumber(source, *reaction, amount) : CString();
    if (!nonFinite.IsEmpty()) {
        delete reaction;
        source.RowsChanged();
        source.ShowMessage(nonFinite, CALC_FAILURE);
        return 1;
    }
    if (outcome == 0 && !SheetHolds(source, *reaction, amount, autoRatio)) {
        delete reaction;
        source.RowsChanged();
        return 1;
    }
    if (outcome == 0) {
        WarnNegative(source, "amounts to weigh",
                     NegativeWeighingNames(MakeWeighingSheet(*reaction, amount, "", 0)));
        source.WriteReport(*reaction, amount);
        delete reaction;
        if (resetSelection != nullptr && *resetSelection != 0) elementTable.ResetInclusion();
        result = 0;
    } else if (outcome == 2) {
        source.ShowMessage(WithReason("Failed to obtain ratios.", why), CALC_FAILURE);
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
        if (result == 4) {
            source.ShowMessage(WithReason("Failed to determine ratio.", reaction->SolveFailure()), CALC_FAILURE);
        } else {
            source.ShowMessage("Ratio cannot be determined.", CALC_FAILURE);
        }
        reaction->MarkUndetermined();
    } else {
        for (int i = 0; i < reaction->ReactantCount() && result == 0; ++i) {
            if (std::isfinite(reaction->ReactantRatio(i))) continue;
            source.ShowMessage("Ratio of " + RowName(source, *reaction, i) + " is not a finite number.",
                               CALC_FAILURE);
            reaction->MarkUndetermined();
            result = 4;
        }
        if (result == 0) WarnNegative(source, "ratios", NegativeRatioNames(*reaction));
    }
    delete reaction;
    source.RowsChanged();
    return result == 0 ? 0 : 1;
}
