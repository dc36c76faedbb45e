// The last check of a weighing sheet before it is shown, saved or sent to a
// word processor. It recomputes, on its own and in extended precision, what
// the sheet claims: the molar masses from the formulas, the grams from the
// ratios, the amount on the product line, and, when ratios were determined
// automatically, the balance of every included product element between what
// is weighed and the product. Portable: no Windows headers here.
#ifndef QUILLON_CORE_SHEETCHECK_H
#define QUILLON_CORE_SHEETCHECK_H

#include "framework/afxstr.h"

class CReaction;
struct WeighingSheet;
struct BatchInput;

enum class SheetCheck {
    Passed,
    NotFinite,   // a number of the sheet or of the reaction is not finite
    Disagrees,   // the sheet's figures disagree with each other or with the reaction
    Unbalanced,  // an included element is not balanced by the weighings
};

struct SheetCheckResult {
    SheetCheck status = SheetCheck::Passed;
    CString text;  // a sentence naming the starting material or element; empty when passed
};

// Checks sheet, made for amount grams of product from reaction (whose
// RunCalculation has succeeded). balanceIncluded: the ratios were solved, so
// every product element of the reaction's element selection must balance.
SheetCheckResult CheckSheet(const CReaction &reaction, double amount, const WeighingSheet &sheet,
                            bool balanceIncluded);

// CheckSheet for the batch's product grams, then the batch's own numbers:
// every weighing is the pure grams / purity x (1 + excess), every mmol the
// ratio's moles with the excess, the scaling target is met (the product's
// grams, one row's weighing or the total), and every element the starting
// materials bring is in the product, a gas or what is named as not
// accounted for, and the gases' grams follow from their mmol; every row
// dispensed by volume shows the form given, and its volume and grams of
// solution follow from its grams, mmol and form (finite numbers, shown
// where and only where they apply).
SheetCheckResult CheckBatchSheet(const CReaction &reaction, const BatchInput &input, const WeighingSheet &sheet,
                                 bool balanceIncluded);

#endif
