#include "calculation.h"

#include "../chem/elements.h"
#include "../chem/formula.h"
#include "../chem/reaction.h"
#include "../common/textutil.h"

// Sets the inclusion flags: the defaults, or exactly the selected elements.
void ApplySelection(const ElementSelection &selection) {
    if (selection.useDefaults) {
        elementTable.ResetInclusion();
        return;
    }
    for (int i = 0; i < elementTable.Count(); ++i) elementTable.SetIncluded(i, 0);
    for (int index : selection.included) elementTable.SetIncluded(index, 1);
}

// Builds a reaction from the entry, as the main dialog's preparation step does.
int PrepareReaction(CalcEntry &entry, CReaction **reaction) {
    *reaction = nullptr;
    const CString &product = entry.fields.productFormula;
    if (product.IsEmpty()) return 1;
    if (formulaParser->Check(product) != 0) return 2;
    double productRatio = 0.0;
    if (ReadNumberTextOr(entry.fields.ratioText, UNDETERMINED_RATIO, &productRatio) != 0) return 3;

    int n = entry.rows.getRows(0, nullptr);
    if (n <= 0) return 6;
    LedraRowList *list = new LedraRowList;
    list->count = n;
    list->fixedCount = 0;
    list->rows = new LedraRow *[n];
    if (entry.rows.getRows(n, list) != 0) {
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

// The automatic-ratio command with the element selection given.
int RunAutoRatioCommand(CalcEntry &entry, const ElementSelection &selection, CString *message) {
    if (entry.fields.productFormula.IsEmpty()) {
        *message = "Product entry is empty.";
        return 1;
    }
    // The selection dialog would be shown with this count; the rows are
    // normalised by asking for it.
    entry.rows.getUnfixedCount();
    ApplySelection(selection);

    CReaction *reaction = nullptr;
    if (PrepareReaction(entry, &reaction) != 0) {
        *message = "Ratio cannot be determined.";
        return 1;
    }
    int result = reaction->RunAutoRatio();
    if (result != 0) {
        if (result == 4)
            *message = "Failed to determine ratio.";
        else if (result == 2)
            *message = "There are too many reactants for auto ratio calculation.";
        else
            *message = "Ratio cannot be determined.";
        reaction->MarkUndetermined();
    }
    delete reaction;
    return result == 0 ? 0 : 1;
}

// The Calculate command up to the report.
int RunCalculateCommand(CalcEntry &entry, bool autoRatio, const ElementSelection &selection,
                        CReaction **reaction, double *amount, CString *message) {
    *reaction = nullptr;
    double value = 0.0;
    if (ReadNumberText(entry.fields.amountText, &value) != 0) {
        *message = "Check amount of product in grams.";
        return 1;
    }
    if (!(value > 0.0)) {
        *message = "Enter positive value for product amount in grams.";
        return 1;
    }
    if (autoRatio) {
        if (entry.fields.productFormula.IsEmpty()) {
            *message = "Product entry is empty.";
            return 1;
        }
        entry.rows.getUnfixedCount();
        ApplySelection(selection);
    }

    CReaction *made = nullptr;
    if (PrepareReaction(entry, &made) != 0) {
        delete made;
        *message = "Failed to generate output.";
        return 1;
    }
    int result = made->RunCalculation(autoRatio ? 1 : 0);
    if (result != 0) {
        delete made;
        *message = result == 1 ? "Failed to obtain ratios." : "Failed to generate output.";
        return 1;
    }
    *reaction = made;
    *amount = value;
    return 0;
}
