#include "calculation.h"

#include <cmath>
#include <string>

#include "formula.h"
#include "reaction.h"
#include "sheetcheck.h"
#include "textutil.h"
#include "zerocount.h"

namespace {

bool PositiveFinite(double value) { return value > 0.0 && std::isfinite(value); }

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

void Say(std::vector<CalcMessage> &messages, CalcMessageKind kind, const CString &text,
         CalcField field = CALC_FIELD_NONE) {
    CalcMessage message;
    message.kind = kind;
    message.text = text;
    message.field = field;
    messages.push_back(message);
}

bool Used(const LedraRow *row) { return !row->formula.IsEmpty(); }

bool Undetermined(double ratio) { return !(ratio > UNDETERMINED_RATIO); }

// The product ratio as typed: 0 and the value ("?" reads as
// UNDETERMINED_RATIO), 1 when it is not a number.
int ReadProductRatio(const Entry &entry, double *ratio) {
    return ReadNumberTextOr(entry.fields.ratioText, UNDETERMINED_RATIO, ratio);
}

// A product ratio of 0, below 0 or "?" would divide the grams by zero or by a
// huge negative number (the sheet would show inf, nan or -0), and balance the
// starting materials against nothing or against minus the product. A ratio
// that does not read as a number is refused when the reaction is built.
bool ProductRatioUsable(const Entry &entry, std::vector<CalcMessage> &messages) {
    double productRatio = 0.0;
    if (ReadProductRatio(entry, &productRatio) != 0 || PositiveFinite(productRatio)) return true;
    Say(messages, CALC_CORRECT, "Enter positive value for product ratio.", CALC_FIELD_RATIO);
    return false;
}

// How the used rows enter a calculation. A ratio shown as "?" makes its row
// Unfixed. When the ratios are to be determined the Unfixed ones start at 1
// (the solver's start); otherwise every ratio is weighed as it is shown.
// Returns the indices of the used rows in row order.
std::vector<int> NormaliseRows(LedraRowStore &rows, bool solving) {
    std::vector<int> used;
    for (int i = 0; i < rows.capacity(); ++i) {
        LedraRow *row = rows.row(i);
        if (!Used(row)) continue;
        if (Undetermined(row->ratio)) row->fixed = 0;
        if (solving && row->fixed == 0) row->ratio = 1.0;
        used.push_back(i);
    }
    return used;
}

// The number of used rows whose ratio is to be determined ("?" rows included).
int UnknownCount(const Entry &entry) {
    int unknowns = 0;
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (Used(row) && (row->fixed == 0 || Undetermined(row->ratio))) ++unknowns;
    }
    return unknowns;
}

// The amount field as the calculation uses it: the grams of product, or 1
// when the batch is scaled to a starting material or the total (the field
// is not read then). False, with the message, when it is refused.
bool ReadAmount(const Entry &entry, std::vector<CalcMessage> &messages, double *amount) {
    const bool amountUsed = entry.batch.IsPlain() || entry.batch.scale == BatchScale::Product;
    *amount = 1.0;
    if (!amountUsed) return true;
    const int read = ReadNumberText(entry.fields.amountText, amount);
    if (read != 0) {
        Say(messages, CALC_CORRECT,
            read == 2 ? "Check amount of product in grams.\nUse a point for decimals: 1.5." : "Check amount of product in grams.");
        return false;
    }
    if (!(*amount > 0.0)) {
        Say(messages, CALC_CORRECT, "Enter positive value for product amount in grams.");
        return false;
    }
    // An amount the sheet's five decimals show as 0 would head a sheet of zeros.
    if (!AmountShowable(*amount)) {
        Say(messages, CALC_CORRECT, "Enter a product amount of " + AmountShownLimit() + ".");
        return false;
    }
    return true;
}

// "X (row 3)".
CString RowName(const CReaction &reaction, const std::vector<int> &rowNumbers, int i) {
    return MaterialName(reaction.ReactantFormula(i), rowNumbers[static_cast<size_t>(i)]);
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

// The warning of negative values, "These starting materials have negative <what>: A, B." and what follows.
void WarnNegative(std::vector<CalcMessage> &messages, const char *what, const CString &names) {
    if (names.IsEmpty()) return;
    CString text = "These starting materials have negative ";
    text += what;
    text += ": ";
    text += names;
    text += ".\nThey cannot give the product as they stand.";
    Say(messages, CALC_WARNING, text);
}

bool AllFinite(const Composition &composition) {
    for (int k = 0; k < composition.count; ++k)
        if (!std::isfinite(composition.amounts[k])) return false;
    return true;
}

// Why a calculated reaction gives no sheet of finite numbers for amount
// grams of product: a product ratio so small that the grams overflow, or the
// first molar mass, ratio, amount to weigh or element amount of the
// differential that is not a finite number, naming its starting material
// and row ("Molar mass of Og1e306 (row 3) is not a finite number."); empty
// when every number is finite. Checked in sheet order.
CString NonFiniteSheetNumber(const CReaction &reaction, const std::vector<int> &rowNumbers, double amount,
                             const WeighingSheet &sheet) {
    // A product ratio of 1e-310 makes every gram infinite (or NaN at ratio 0).
    if (!std::isfinite(GramsFactor(amount, reaction.ProductMolarMass(), reaction.ProductRatio())))
        return CString("Product ratio is too small: the amounts to weigh are not finite numbers.");
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        const char *what = nullptr;
        if (!std::isfinite(reaction.ReactantMolarMass(i)))
            what = "Molar mass of ";
        else if (!std::isfinite(reaction.ReactantRatio(i)))
            what = "Ratio of ";
        else if (!std::isfinite(sheet.reactants[static_cast<size_t>(i)].grams))
            what = "Amount to weigh of ";
        else if (!AllFinite(reaction.ReactantComposition(i).ScaledCopy(reaction.ReactantRatio(i) /
                                                                       reaction.ProductRatio())))
            what = "Differential amount of ";
        if (what != nullptr) return what + RowName(reaction, rowNumbers, i) + " is not a finite number.";
    }
    Composition sum;
    for (int i = 0; i < reaction.ReactantCount(); ++i)
        sum.Add(reaction.ReactantComposition(i).ScaledCopy(reaction.ReactantRatio(i) / reaction.ProductRatio()));
    sum.Subtract(reaction.ProductComposition());
    if (!AllFinite(sum)) return CString("Differential of the product is not a finite number.");
    return CString();
}

// Every ratio 0, a product ratio so large that every amount is a trace, or a
// lone formula that weighs nothing: a sheet of zeros is no weighing.
const char NOTHING_TO_WEIGH[] = "The amounts to weigh all show as 0 g: there is nothing to weigh.";

bool NothingShown(const WeighingSheet &sheet) {
    for (const SheetReactant &reactant : sheet.reactants) {
        const double grams = GramsToWeigh(sheet, reactant);
        if (!std::isfinite(grams) || std::string(NumberText(grams).c_str()) != "0") return false;
    }
    return true;
}

// Why a batch gives no sheet, naming the row; empty when it does.
CString BatchRefusal(const CReaction &reaction, const std::vector<int> &rowNumbers, const BatchInput &input,
                     const BatchResult &result) {
    switch (result.status) {
    case BatchStatus::Done:
        break;
    case BatchStatus::BadPurity:
    case BatchStatus::BadExcess: {
        const bool purity = result.status == BatchStatus::BadPurity;
        const BatchMaterial &material = input.materials[static_cast<size_t>(result.material)];
        const bool tooFine = (purity ? CheckPurity(material.purity) : CheckExcess(material.excess)) ==
                             BatchValueCheck::TooFine;
        const CString limit = tooFine ? (purity ? PurityShownLimit() : ExcessShownLimit())
                                      : CString(purity ? "above 0 and at most 100 %" : "0 or more and below 1000 %");
        return (purity ? "Purity of " : "Excess of ") + RowName(reaction, rowNumbers, result.material) + " must be " +
               limit + ".";
    }
    case BatchStatus::BadForm:
        return FormProblem(result.formCheck, input.materials[static_cast<size_t>(result.material)].form,
                           RowName(reaction, rowNumbers, result.material));
    case BatchStatus::BadMass:
        return input.scale == BatchScale::Product ? CString("Enter positive value for product amount in grams.")
                                                  : CString("Enter positive value for the grams to scale to.");
    case BatchStatus::BadScaleMaterial:
    case BatchStatus::CannotScale:
        if (input.scale == BatchScale::Material && input.scaleMaterial >= 0)
            return "The batch cannot be scaled to " + RowName(reaction, rowNumbers, input.scaleMaterial) +
                   ": its amount to weigh is not above 0.";
        return CString("The batch cannot be scaled to the total: the amounts to weigh are not above 0 in total.");
    case BatchStatus::NothingToWeigh:
        return CString(NOTHING_TO_WEIGH);
    case BatchStatus::NotFinite:
        return CString("The batch's amounts are not finite numbers.");
    }
    return CString();
}

// The reaction of the entry's product and used rows (already normalised);
// when there is none, *why says what is missing.
enum class Preparation { Ready, Failed };

Preparation Prepare(const Entry &entry, const std::vector<int> &used, const CFormulaParser &parser,
                    const ElementSelection &selection, std::shared_ptr<CReaction> *reaction, CString *why) {
    const CString &product = entry.fields.productFormula;
    double productRatio = 0.0;
    *why = product.IsEmpty()                            ? "Product entry is empty."
           : parser.Check(product) != 0                 ? "The product formula is not valid."
           : ReadProductRatio(entry, &productRatio) != 0 ? "Check product ratio."
           : used.empty()                               ? "The list holds no starting material."
                                                        : "";
    if (!why->IsEmpty()) return Preparation::Failed;
    std::vector<ReactantInput> input;
    for (int i : used) {
        const LedraRow *row = entry.rows.row(i);
        input.push_back(ReactantInput{row->formula, row->fixed, row->ratio});
    }
    reaction->reset(new CReaction(parser, selection));
    (*reaction)->SetInput(product, productRatio, input);
    return Preparation::Ready;
}

// The reaction's ratios into the rows they came from.
void WriteBackRatios(const CReaction &reaction, const std::vector<int> &used, LedraRowStore &rows) {
    const std::vector<double> ratios = reaction.Ratios();
    for (size_t i = 0; i < used.size() && i < ratios.size(); ++i) rows.setRatio(used[i], ratios[i]);
}

// Every Unfixed row marked undetermined ("?"): no ratio found must not look like one.
void MarkUndetermined(const std::vector<int> &used, LedraRowStore &rows) {
    for (int i : used)
        if (rows.row(i)->fixed == 0) rows.setRatio(i, UNDETERMINED_RATIO);
}

// The sheet of a calculated reaction, its batch and the checks every sheet
// passes before anyone sees it; false (with the message) when refused.
bool MakeCheckedSheet(const Entry &entry, const CReaction &reaction, const std::vector<int> &rowNumbers,
                      double amount, const CalcOptions &options, CalcOutcome &out) {
    const bool plain = entry.batch.IsPlain();
    BatchInput input;
    if (plain) {
        input.mass = amount;
    } else if (MakeBatchInput(entry.batch, reaction, rowNumbers, amount, &input) != BatchMatch::Done) {
        CString text;
        text.Format("The batch is scaled to row %d (%s), which is not a starting material now.\n"
                    "Choose again what to scale to.",
                    entry.batch.scaleRow, entry.batch.scaleFormula.GetString());
        Say(out.messages, CALC_CORRECT, text);
        return false;
    }
    const BatchResult result = CalculateBatch(reaction, input);
    const bool batchDone = result.status == BatchStatus::Done;
    const CString &sampleId = entry.fields.sampleId;
    WeighingSheet sheet = batchDone ? MakeBatchSheet(reaction, input, result, rowNumbers, sampleId, options.showDifferential)
                                    : MakeWeighingSheet(reaction, amount, sampleId, options.showDifferential);
    for (size_t i = 0; i < sheet.reactants.size() && i < rowNumbers.size(); ++i) sheet.reactants[i].row = rowNumbers[i];
    sheet.readability = options.readability;
    sheet.minimumWeight = options.minimumWeight;
    sheet.pipetteReadability = options.pipetteReadability;
    sheet.minimumVolume = options.minimumVolume;

    // A plain entry names the first number that is not finite before the
    // batch is looked at; an entry with batch values names its own values
    // first, as they are what the chemist typed last.
    CString refusal = plain ? NonFiniteSheetNumber(reaction, rowNumbers, amount, sheet) : CString();
    CalcMessageKind kind = CALC_FAILURE;
    if (refusal.IsEmpty() && NothingShown(sheet)) {
        refusal = NOTHING_TO_WEIGH;
        kind = CALC_CORRECT;
    }
    if (refusal.IsEmpty()) {
        refusal = BatchRefusal(reaction, rowNumbers, input, result);
        if (refusal.IsEmpty() && !plain) refusal = NonFiniteSheetNumber(reaction, rowNumbers, result.productGrams, sheet);
        kind = CALC_CORRECT;
    }
    if (!refusal.IsEmpty()) {
        Say(out.messages, kind, refusal);
        return false;
    }
    const SheetCheckResult check = CheckBatchSheet(reaction, input, sheet, options.autoRatio);
    if (check.status != SheetCheck::Passed) {
        Say(out.messages, CALC_FAILURE, WithReason("Failed to generate output.", check.text));
        return false;
    }
    WarnNegative(out.messages, "amounts to weigh", NegativeWeighingNames(sheet));
    out.sheet = sheet;
    return true;
}

}  // namespace

CString CalcOutcome::MessageText() const {
    CString text;
    for (const CalcMessage &message : messages) {
        if (!text.IsEmpty()) text += "\n";
        text += message.text;
    }
    return text;
}

namespace {

// StartCalculation's checks, with the amount they read into *amount.
CalcStart Start(const Entry &entry, const CalcOptions &options, double *amount) {
    CalcStart start;
    start.refused = true;
    if (!ReadAmount(entry, start.messages, amount)) return start;
    if (!ProductRatioUsable(entry, start.messages)) return start;
    if (!options.autoRatio) {
        for (int i = 0; i < entry.rows.capacity(); ++i) {
            const LedraRow *row = entry.rows.row(i);
            if (!Used(row) || !Undetermined(row->ratio)) continue;
            CString text;
            text.Format("The ratio of row %d (%s) is not determined (\"?\").\n"
                        "Type its ratio, or check Auto-Ratio to have it determined.",
                        i + 1, row->formula.GetString());
            Say(start.messages, CALC_CORRECT, text);
            return start;
        }
    } else {
        if (entry.fields.productFormula.IsEmpty()) {
            Say(start.messages, CALC_FAILURE, "Product entry is empty.");
            return start;
        }
        start.needsSelection = true;
        start.product = entry.fields.productFormula;
        start.unknowns = UnknownCount(entry);
    }
    start.refused = false;
    return start;
}

// "The formula LiCo02 has the count 02, which starts with a zero: was the
// letter O meant (LiCoO2)?"; name is the formula, or "Li2C03 (row 2)".
void WarnZeroCounts(std::vector<CalcMessage> &messages, const CString &formula, const CString &name, CalcField field,
                    int row) {
    const std::vector<ZeroCount> counts = FindZeroCounts(formula);
    if (counts.empty()) return;
    CString list;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (i > 0) list += i + 1 == counts.size() ? " and " : ", ";
        list += counts[i].count.c_str();
    }
    CString text = "The formula " + name + (counts.size() == 1 ? " has the count " : " has the counts ") + list +
                   (counts.size() == 1 ? ", which starts with a zero" : ", which start with a zero") +
                   ": was the letter O meant (" + WithLetterO(formula, counts).c_str() + ")?";
    Say(messages, CALC_WARNING, text, field);
    messages.back().row = row;
}

}  // namespace

std::vector<CalcMessage> ZeroCountWarnings(const Entry &entry) {
    std::vector<CalcMessage> messages;
    const CString &product = entry.fields.productFormula;
    WarnZeroCounts(messages, product, product, CALC_FIELD_PRODUCT, 0);
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (!Used(row)) continue;
        WarnZeroCounts(messages, row->formula, MaterialName(row->formula, i + 1), CALC_FIELD_ROW, i + 1);
    }
    return messages;
}

CalcStart StartCalculation(const Entry &entry, const CalcOptions &options) {
    double amount = 0.0;
    CalcStart start = Start(entry, options, &amount);
    if (!start.refused) start.formulaWarnings = ZeroCountWarnings(entry);
    return start;
}

CalcOutcome Calculate(const Entry &entry, const CFormulaParser &parser, const ElementSelection &selection,
                      const CalcOptions &options) {
    CalcOutcome out;
    out.entry = entry;
    double amount = 0.0;
    const CalcStart start = Start(entry, options, &amount);
    if (start.refused) {
        out.messages = start.messages;
        return out;
    }

    const std::vector<int> used = NormaliseRows(out.entry.rows, options.autoRatio);
    for (int i : used) out.rowNumbers.push_back(i + 1);
    std::shared_ptr<CReaction> reaction;
    CString why;
    if (Prepare(out.entry, used, parser, selection, &reaction, &why) != Preparation::Ready) {
        out.entry = entry;  // nothing was calculated: the rows stay as they were
        Say(out.messages, CALC_FAILURE, WithReason("Failed to generate output.", why));
        return out;
    }
    const ReactionResult result = reaction->RunCalculation(options.autoRatio);
    if (result == ReactionResult::NotSolved) {
        MarkUndetermined(used, out.entry.rows);
        Say(out.messages, CALC_FAILURE, WithReason("Failed to obtain ratios.", reaction->SolveFailure()));
        return out;
    }
    if (result != ReactionResult::Done) {
        Say(out.messages, CALC_FAILURE, "Failed to generate output.");
        return out;
    }
    if (options.autoRatio) WriteBackRatios(*reaction, used, out.entry.rows);
    if (!PositiveFinite(reaction->ProductMolarMass())) {
        // "()" weighs nothing and Og1e306 more than a double holds: no grams follow from either.
        Say(out.messages, CALC_CORRECT, "Molar mass of product is not a positive number.", CALC_FIELD_PRODUCT);
        return out;
    }
    if (!MakeCheckedSheet(out.entry, *reaction, out.rowNumbers, amount, options, out)) return out;
    out.reaction = reaction;
    out.done = true;
    return out;
}

CalcStart StartSolve(const Entry &entry) {
    CalcStart start;
    start.refused = true;
    if (entry.fields.productFormula.IsEmpty()) {
        Say(start.messages, CALC_FAILURE, "Product entry is empty.");
        return start;
    }
    if (!ProductRatioUsable(entry, start.messages)) return start;
    start.refused = false;
    start.needsSelection = true;
    start.product = entry.fields.productFormula;
    start.unknowns = UnknownCount(entry);
    return start;
}

CalcOutcome Solve(const Entry &entry, const CFormulaParser &parser, const ElementSelection &selection) {
    CalcOutcome out;
    out.entry = entry;
    const CalcStart start = StartSolve(entry);
    if (start.refused) {
        out.messages = start.messages;
        return out;
    }
    const std::vector<int> used = NormaliseRows(out.entry.rows, true);
    for (int i : used) out.rowNumbers.push_back(i + 1);
    std::shared_ptr<CReaction> reaction;
    CString why;
    if (Prepare(out.entry, used, parser, selection, &reaction, &why) != Preparation::Ready) {
        out.entry = entry;
        Say(out.messages, CALC_FAILURE, WithReason("Ratio cannot be determined.", why));
        return out;
    }
    const ReactionResult result = reaction->RunAutoRatio();
    bool solved = result == ReactionResult::Done;
    if (result == ReactionResult::NotSolved)
        Say(out.messages, CALC_FAILURE, WithReason("Failed to determine ratio.", reaction->SolveFailure()));
    else if (!solved)
        Say(out.messages, CALC_FAILURE, "Ratio cannot be determined.");
    for (int i = 0; i < reaction->ReactantCount() && solved; ++i) {
        if (std::isfinite(reaction->ReactantRatio(i))) continue;
        Say(out.messages, CALC_FAILURE, "Ratio of " + RowName(*reaction, out.rowNumbers, i) + " is not a finite number.");
        solved = false;
    }
    if (solved) {
        WriteBackRatios(*reaction, used, out.entry.rows);
        WarnNegative(out.messages, "ratios", NegativeRatioNames(*reaction));
    } else {
        MarkUndetermined(used, out.entry.rows);
    }
    out.done = solved;
    return out;
}

SeriesMemberOutcome CalculateSeriesMember(const Entry &seriesEntry, const CFormulaParser &parser,
                                          const ElementSelection &selection, const CalcOptions &options,
                                          const CString &formula) {
    Entry member = seriesEntry;
    PrepareSeriesMember(parser, seriesEntry.fields.productFormula, formula, member.fields, member.rows);
    const CalcOutcome outcome = Calculate(member, parser, selection, options);
    SeriesMemberOutcome result;
    result.done = outcome.done;
    result.sheet = outcome.sheet;
    result.messages = outcome.MessageText();
    return result;
}

SeriesResult CalculateSeries(const Entry &seriesEntry, const CFormulaParser &parser, const ElementSelection &selection,
                             const CalcOptions &options, const std::vector<SeriesX> &values) {
    SeriesCalculation calculate = [&](const CString &formula) {
        return CalculateSeriesMember(seriesEntry, parser, selection, options, formula);
    };
    SeriesResult series = RunSeries(parser, seriesEntry.fields.productFormula, values, calculate);
    series.sampleId = seriesEntry.fields.sampleId;
    ReadNumberText(seriesEntry.fields.amountText, &series.amount);
    return series;
}
