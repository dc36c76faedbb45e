#include "commands.h"

#include <cmath>
#include <memory>
#include <vector>

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
bool SheetHolds(CalcEntrySource &source, const CReaction &reaction, double amount, const WeighingSheet &sheet,
                bool ratiosSolved) {
    const SheetCheckResult check = CheckSheet(reaction, amount, sheet, ratiosSolved);
    if (check.status == SheetCheck::Passed) return true;
    source.ShowMessage(WithReason("Failed to generate output.", check.text), CALC_FAILURE);
    return false;
}

// A reaction built from the entry, with the rows it came from.
struct Prepared {
    std::vector<LedraRow *> rows;  // the source's rows, one per starting material
    std::unique_ptr<CReaction> reaction;

    // The reaction's ratios into the rows they came from.
    void WriteBackRatios() const {
        const std::vector<double> ratios = reaction->Ratios();
        for (size_t i = 0; i < rows.size() && i < ratios.size(); ++i) rows[i]->ratio = ratios[i];
    }
    // Every Unfixed row marked undetermined ("?"): no ratio found must not look like one.
    void MarkUndetermined() const {
        for (LedraRow *row : rows)
            if (row->fixed == 0) row->ratio = UNDETERMINED_RATIO;
    }
};

// How building the reaction from the entry ended.
enum class Preparation { Ready, EmptyProduct, InvalidProduct, RatioNotNumber, NoRows, RowsNotObtained };

// Builds a reaction from the product fields and the list's used rows.
Preparation PrepareCalculation(CalcEntrySource &source, const CFormulaParser &parser,
                               const ElementSelection &selection, Prepared &prepared) {
    CString product = source.ProductFormula();
    if (product.IsEmpty()) return Preparation::EmptyProduct;
    if (parser.Check(product) != 0) return Preparation::InvalidProduct;
    double productRatio = 0.0;
    if (source.ReadProductRatio(&productRatio) != 0) return Preparation::RatioNotNumber;

    int n = source.GetRows(0, nullptr);
    if (n <= 0) return Preparation::NoRows;
    prepared.rows.assign(static_cast<size_t>(n), nullptr);
    LedraRowList list{n, 0, prepared.rows.data()};
    if (source.GetRows(n, &list) != 0) return Preparation::RowsNotObtained;
    std::vector<ReactantInput> input;
    for (const LedraRow *row : prepared.rows) {
        if (row == nullptr) return Preparation::RowsNotObtained;
        input.push_back(ReactantInput{row->formula, row->fixed, row->ratio});
    }
    prepared.reaction.reset(new CReaction(parser, selection));
    prepared.reaction->SetInput(product, productRatio, input);
    return Preparation::Ready;
}

// How a calculation ended.
enum class Calculation { Ready, PreparationFailed, RatiosNotDetermined, Failed };

// Preparation, then the molar masses (and the ratios first with autoRatio,
// written into the rows). For RatiosNotDetermined the Unfixed rows are
// marked "?" and *why receives the sentence that says why.
Calculation PrepareAndRunCalculation(CalcEntrySource &source, const CFormulaParser &parser,
                                     const ElementSelection &selection, bool autoRatio, Prepared &prepared,
                                     CString *why) {
    if (PrepareCalculation(source, parser, selection, prepared) != Preparation::Ready)
        return Calculation::PreparationFailed;
    const ReactionResult result = prepared.reaction->RunCalculation(autoRatio);
    if (result == ReactionResult::NotSolved) {
        prepared.MarkUndetermined();
        *why = prepared.reaction->SolveFailure();
        return Calculation::RatiosNotDetermined;
    }
    if (result != ReactionResult::Done) return Calculation::Failed;
    if (autoRatio) prepared.WriteBackRatios();
    return Calculation::Ready;
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


// "X (row 3)", or "X (starting material 3)" when the row is not known.
CString RowName(CalcEntrySource &source, const Prepared &prepared, int i) {
    const CReaction &reaction = *prepared.reaction;
    int row = static_cast<size_t>(i) < prepared.rows.size() ? source.RowNumber(prepared.rows[static_cast<size_t>(i)]) : 0;
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

// Why a calculated reaction gives no sheet of finite numbers for amount
// grams of product: a product ratio so small that the grams overflow, or the
// first molar mass, ratio, amount to weigh or element amount of the
// differential that is not a finite number, naming its starting material
// and row ("Molar mass of Og1e306 (row 3) is not a finite number."); empty
// when every number is finite. Checked in sheet order.
CString NonFiniteSheetNumber(CalcEntrySource &source, const Prepared &prepared, double amount,
                             const WeighingSheet &sheet) {
    const CReaction &reaction = *prepared.reaction;
    // A product ratio of 1e-310 makes every gram infinite (or NaN at ratio 0).
    if (!std::isfinite(GramsFactor(amount, reaction.ProductMolarMass(), reaction.ProductRatio())))
        return CString("Product ratio is too small: the amounts to weigh are not finite numbers.");
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
    if (failing >= 0) return what + RowName(source, prepared, failing) + " is not a finite number.";
    Composition sum;
    for (int i = 0; i < reaction.ReactantCount(); ++i)
        sum.Add(reaction.ReactantComposition(i).ScaledCopy(reaction.ReactantRatio(i) / reaction.ProductRatio()));
    sum.Subtract(reaction.ProductComposition());
    if (!AllFinite(sum)) return CString("Differential of the product is not a finite number.");
    return CString();
}

// The list rows of the prepared starting materials, in their order.
std::vector<int> RowNumbers(CalcEntrySource &source, const Prepared &prepared) {
    std::vector<int> numbers;
    for (const LedraRow *row : prepared.rows) numbers.push_back(source.RowNumber(row));
    return numbers;
}

// Why a batch gives no sheet, naming the row; empty when it does.
CString BatchRefusal(CalcEntrySource &source, const Prepared &prepared, const BatchInput &input,
                     const BatchResult &result) {
    switch (result.status) {
    case BatchStatus::Done:
        break;
    case BatchStatus::BadPurity:
        return "Purity of " + RowName(source, prepared, result.material) + " must be above 0 and at most 100 %.";
    case BatchStatus::BadExcess:
        return "Excess of " + RowName(source, prepared, result.material) + " must be 0 or more and below 1000 %.";
    case BatchStatus::BadMass:
        return input.scale == BatchScale::Product ? CString("Enter positive value for product amount in grams.")
                                                  : CString("Enter positive value for the grams to scale to.");
    case BatchStatus::BadScaleMaterial:
    case BatchStatus::CannotScale:
        if (input.scale == BatchScale::Material && input.scaleMaterial >= 0)
            return "The batch cannot be scaled to " + RowName(source, prepared, input.scaleMaterial) +
                   ": its amount to weigh is not above 0.";
        return CString("The batch cannot be scaled to the total: the amounts to weigh are not above 0 in total.");
    case BatchStatus::NotFinite:
        return CString("The batch's amounts are not finite numbers.");
    }
    return CString();
}

// The batch on top of a calculated reaction: its sheet checked on its own,
// then its report. Refused with a message when the values do not fit the
// starting materials or the sheet does not hold.
CommandResult CalculateBatchCommand(CalcEntrySource &source, const Prepared &prepared, const BatchSettings &settings,
                                    double amount, bool autoRatio) {
    const CReaction &reaction = *prepared.reaction;
    const std::vector<int> rowNumbers = RowNumbers(source, prepared);
    BatchInput input;
    if (MakeBatchInput(settings, reaction, rowNumbers, amount, &input) != BatchMatch::Done) {
        CString text;
        text.Format("The batch is scaled to row %d (%s), which is not a starting material now.\n"
                    "Choose again what to scale to.",
                    settings.scaleRow, settings.scaleFormula.GetString());
        source.ShowMessage(text, CALC_CORRECT);
        return CommandResult::Refused;
    }
    const BatchResult result = CalculateBatch(reaction, input);
    CString refusal = BatchRefusal(source, prepared, input, result);
    const WeighingSheet sheet = refusal.IsEmpty() ? MakeBatchSheet(reaction, input, result, rowNumbers, "", 1)
                                                  : WeighingSheet();
    if (refusal.IsEmpty()) refusal = NonFiniteSheetNumber(source, prepared, result.productGrams, sheet);
    if (!refusal.IsEmpty()) {
        source.ShowMessage(refusal, CALC_CORRECT);
        return CommandResult::Refused;
    }
    const SheetCheckResult check = CheckBatchSheet(reaction, input, sheet, autoRatio);
    if (check.status != SheetCheck::Passed) {
        source.ShowMessage(WithReason("Failed to generate output.", check.text), CALC_FAILURE);
        return CommandResult::Refused;
    }
    WarnNegative(source, "amounts to weigh", NegativeWeighingNames(sheet));
    source.WriteBatchReport(reaction, input, result, rowNumbers);
    return CommandResult::Done;
}

}  // namespace

// The Calculate command.
CommandResult CalculateCommand(CalcEntrySource &source, const CFormulaParser &parser, bool autoRatio,
                               ElementSelection *selection, int *resetSelection) {
    const BatchSettings *batch = source.Batch();
    if (batch != nullptr && batch->IsPlain()) batch = nullptr;
    // Scaled to a starting material or the total, the amount field is not used.
    const bool amountUsed = batch == nullptr || batch->scale == BatchScale::Product;
    double amount = amountUsed ? 0.0 : 1.0;
    int read = amountUsed ? source.ReadAmount(&amount) : 0;
    if (read != 0) {
        source.ShowMessage(read == 2 ? "Check amount of product in grams.\nUse a point for decimals: 1.5."
                                     : "Check amount of product in grams.",
                           CALC_CORRECT);
        return CommandResult::Refused;
    }
    if (!(amount > 0.0)) {
        source.ShowMessage("Enter positive value for product amount in grams.", CALC_CORRECT);
        return CommandResult::Refused;
    }
    if (!ProductRatioUsable(source)) return CommandResult::Refused;
    CString undetermined;
    int row = autoRatio ? 0 : source.UndeterminedRow(&undetermined);
    if (row > 0) {
        CString text;
        text.Format("The ratio of row %d (%s) is not determined (\"?\").\n"
                    "Type its ratio, or check Auto-Ratio to have it determined.",
                    row, undetermined.GetString());
        source.ShowMessage(text, CALC_CORRECT);
        return CommandResult::Refused;
    }
    if (autoRatio) {
        CString product = source.ProductFormula();
        if (product.IsEmpty()) {
            source.ShowMessage("Product entry is empty.", CALC_FAILURE);
            return CommandResult::Refused;
        }
        int unfixed = source.GetUnfixedCount();
        if (!source.ChooseElements(product, unfixed, selection, resetSelection)) return CommandResult::Refused;
    }

    Prepared prepared;
    CString why;
    const Calculation outcome = PrepareAndRunCalculation(source, parser, *selection, autoRatio, prepared, &why);
    if (outcome == Calculation::RatiosNotDetermined) {
        source.ShowMessage(WithReason("Failed to obtain ratios.", why), CALC_FAILURE);
        source.RowsChanged();
        return CommandResult::Refused;
    }
    if (outcome != Calculation::Ready) {
        source.ShowMessage("Failed to generate output.", CALC_FAILURE);
        source.RowsChanged();
        return CommandResult::Refused;
    }
    const CReaction &reaction = *prepared.reaction;
    if (!PositiveFinite(reaction.ProductMolarMass())) {
        // "()" weighs nothing and Og1e306 more than a double holds: no grams follow from either.
        source.RowsChanged();
        source.ShowMessage("Molar mass of product is not a positive number.", CALC_CORRECT, CALC_FIELD_PRODUCT);
        return CommandResult::Refused;
    }
    if (batch != nullptr) {
        const CommandResult done = CalculateBatchCommand(source, prepared, *batch, amount, autoRatio);
        if (done == CommandResult::Done && resetSelection != nullptr && *resetSelection != 0)
            *selection = ElementSelection::Metals(parser.Table());
        source.RowsChanged();
        return done;
    }
    // The sheet the report will print, made once for the checks and the warning.
    const WeighingSheet sheet = MakeWeighingSheet(reaction, amount, "", 1);
    CString nonFinite = NonFiniteSheetNumber(source, prepared, amount, sheet);
    if (!nonFinite.IsEmpty()) {
        source.RowsChanged();
        source.ShowMessage(nonFinite, CALC_FAILURE);
        return CommandResult::Refused;
    }
    if (!SheetHolds(source, reaction, amount, sheet, autoRatio)) {
        source.RowsChanged();
        return CommandResult::Refused;
    }
    WarnNegative(source, "amounts to weigh", NegativeWeighingNames(sheet));
    source.WriteReport(reaction, amount);
    if (resetSelection != nullptr && *resetSelection != 0) *selection = ElementSelection::Metals(parser.Table());
    source.RowsChanged();
    return CommandResult::Done;
}

// The automatic-ratio command.
CommandResult AutoRatioCommand(CalcEntrySource &source, const CFormulaParser &parser, ElementSelection *selection) {
    CString product = source.ProductFormula();
    if (product.IsEmpty()) {
        source.ShowMessage("Product entry is empty.", CALC_FAILURE);
        return CommandResult::Refused;
    }
    if (!ProductRatioUsable(source)) return CommandResult::Refused;
    int unfixed = source.GetUnfixedCount();
    if (!source.ChooseElements(product, unfixed, selection, nullptr)) return CommandResult::Refused;

    Prepared prepared;
    if (PrepareCalculation(source, parser, *selection, prepared) != Preparation::Ready) {
        source.ShowMessage("Ratio cannot be determined.", CALC_FAILURE);
        source.RowsChanged();
        return CommandResult::Refused;
    }
    CReaction &reaction = *prepared.reaction;
    const ReactionResult result = reaction.RunAutoRatio();
    bool solved = result == ReactionResult::Done;
    if (result == ReactionResult::NotSolved) {
        source.ShowMessage(WithReason("Failed to determine ratio.", reaction.SolveFailure()), CALC_FAILURE);
    } else if (!solved) {
        source.ShowMessage("Ratio cannot be determined.", CALC_FAILURE);
    }
    for (int i = 0; i < reaction.ReactantCount() && solved; ++i) {
        if (std::isfinite(reaction.ReactantRatio(i))) continue;
        source.ShowMessage("Ratio of " + RowName(source, prepared, i) + " is not a finite number.", CALC_FAILURE);
        solved = false;
    }
    if (solved) {
        prepared.WriteBackRatios();
        WarnNegative(source, "ratios", NegativeRatioNames(reaction));
    } else {
        prepared.MarkUndetermined();
    }
    source.RowsChanged();
    return solved ? CommandResult::Done : CommandResult::Refused;
}
