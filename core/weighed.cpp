#include "weighed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "datatext.h"
#include "formula.h"
#include "reaction.h"
#include "rowstore.h"
#include "solver.h"
#include "textutil.h"

namespace {

// The elements in the order the product formula first names them.
std::vector<int> FormulaOrder(const char *formula, const CElementTable &table) {
    std::vector<int> order;
    for (const char *p = formula; *p != 0;) {
        if (*p < 'A' || *p > 'Z') {
            ++p;
            continue;
        }
        char symbol[4] = {*p++, 0, 0, 0};
        for (int n = 1; n < 3 && *p >= 'a' && *p <= 'z'; ++n) symbol[n] = *p++;
        int element = table.Lookup(symbol);
        bool seen = false;
        for (int e : order) seen = seen || e == element;
        if (element >= 0 && !seen) order.push_back(element);
    }
    return order;
}

// The moles of the compound in grams weighed of a row (its purity counted),
// less the excess the sheet adds on purpose: that part is meant to go (what
// the furnace takes), so the sheet's own mass gives the ratios' moles.
double MolesAsMeant(const SheetReactant &row, double grams) {
    return grams * (row.purity / 100.0) / row.molarMass / (1.0 + row.excess / 100.0);
}

std::string Str(const CString &text) { return std::string(text.GetString(), size_t(text.GetLength())); }

std::string Percent(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%+.4f", value);
    return text;
}

}  // namespace

const char *WeighedWhyNot(WeighedStatus status) {
    switch (status) {
    case WeighedStatus::Done:
        return "";
    case WeighedStatus::NoneWeighed:
        break;
    case WeighedStatus::NoneBalanced:
        return "The element selection holds none of the product's elements, and the sheet's ratios balance none of "
               "them: there is nothing to compare.";
    case WeighedStatus::Overflow:
        return "The weighed masses are too large to compare with the sheet.";
    case WeighedStatus::BadVolume:
        return "A volume was given that makes no grams.";
    }
    return "The weighed masses hold none of the balanced elements.";
}

bool WeighedMasses::IsPlain() const {
    for (const WeighedRowMass &row : rows)
        if (!row.formula.IsEmpty()) return false;
    return tolerance == DEFAULT_WEIGHED_TOLERANCE;
}

bool WeighedMasses::SetRow(int rowNumber, const char *formula, double grams) {
    if (rowNumber < 1 || rowNumber > ROW_CAPACITY) return false;
    WeighedRowMass &row = rows[rowNumber - 1];
    row.formula = formula;
    row.amount = WeighedAmount();
    if (!row.formula.IsEmpty()) row.amount.grams = grams;
    return true;
}

bool WeighedMasses::SetDispensed(int rowNumber, const char *formula, double millilitres) {
    if (!SetRow(rowNumber, formula, 0.0)) return false;
    WeighedRowMass &row = rows[rowNumber - 1];
    row.amount.byVolume = !row.formula.IsEmpty();
    if (row.amount.byVolume) row.amount.millilitres = millilitres;
    return true;
}

const WeighedAmount *WeighedMasses::Given(int rowNumber, const char *formula) const {
    if (rowNumber < 1 || rowNumber > ROW_CAPACITY) return nullptr;
    const WeighedRowMass &row = rows[rowNumber - 1];
    return !row.formula.IsEmpty() && row.formula == formula ? &row.amount : nullptr;
}

const double *WeighedMasses::Grams(int rowNumber, const char *formula) const {
    const WeighedAmount *given = Given(rowNumber, formula);
    return given != nullptr && !given->byVolume ? &given->grams : nullptr;
}

const double *WeighedMasses::Millilitres(int rowNumber, const char *formula) const {
    const WeighedAmount *given = Given(rowNumber, formula);
    return given != nullptr && given->byVolume ? &given->millilitres : nullptr;
}

WeighedMasses WeighedMasses::ForRows(const LedraRowStore &store) const {
    WeighedMasses kept;
    kept.tolerance = tolerance;
    for (int i = 0; i < ROW_CAPACITY && i < store.capacity(); ++i)
        if (Given(i + 1, store.row(i)->formula) != nullptr) kept.rows[i] = rows[i];
    return kept;
}

bool SameWeighed(const WeighedMasses &a, const WeighedMasses &b) {
    if (a.tolerance != b.tolerance) return false;
    for (int i = 0; i < ROW_CAPACITY; ++i)
        if (a.rows[i].formula != b.rows[i].formula || !(a.rows[i].amount == b.rows[i].amount)) return false;
    return true;
}

DispenseCheck DispensedGrams(const SheetReactant &reactant, double millilitres, double *grams) {
    const MaterialForm &form = reactant.form;
    *grams = 0.0;
    switch (form.Kind()) {
    case FormKind::Solid:
        return DispenseCheck::Solid;
    case FormKind::NeatLiquid:
        *grams = millilitres * form.density;
        break;
    case FormKind::Molar:
        *grams = millilitres * form.molarity / 1000.0 * reactant.molarMass;
        break;
    case FormKind::MassFraction:
        if (form.density == 0.0) return DispenseCheck::FractionNoDensity;
        *grams = millilitres * form.density * (form.massFraction / 100.0);
        break;
    }
    return DispenseCheck::Converted;
}

namespace {

// The compound's grams in solutionGrams of reactant's solution; a solid's or
// a neat liquid's grams are its own.
DispenseCheck SolutionGrams(const SheetReactant &reactant, double solutionGrams, double *grams) {
    const MaterialForm &form = reactant.form;
    *grams = solutionGrams;
    if (form.Kind() == FormKind::MassFraction) *grams = solutionGrams * (form.massFraction / 100.0);
    if (form.Kind() != FormKind::Molar) return DispenseCheck::Converted;
    if (form.density == 0.0) return DispenseCheck::MolarNoDensity;
    *grams = solutionGrams / form.density * form.molarity / 1000.0 * reactant.molarMass;
    return DispenseCheck::Converted;
}

}  // namespace

CString DispenseProblem(DispenseCheck check, const char *material) {
    switch (check) {
    case DispenseCheck::Converted:
        break;
    case DispenseCheck::Solid:
        return CString(material) + " is weighed as a solid: give the grams weighed, not millilitres.";
    case DispenseCheck::FractionNoDensity:
        return CString(material) +
               " is given by mass fraction without the solution's density: its millilitres make no grams. Give the "
               "density, or the grams weighed.";
    case DispenseCheck::MolarNoDensity:
        return CString(material) +
               " is a solution of known molarity without its density: its grams make no amount. Give the millilitres "
               "dispensed, or the solution's density.";
    }
    return "";
}

bool WeighedResult::Within() const {
    for (const WeighedElement &element : elements)
        if (element.past) return false;
    for (const WeighedRow &row : rows)
        if (row.past) return false;
    return done;
}

bool WeighedResult::AnyVolume() const {
    for (const WeighedRow &row : rows)
        if (row.byVolume) return true;
    return false;
}

namespace {

// Moles of one element summed over the rows, nothing dropped however small
// (a dopant of a milligram batch), with the magnitudes summed beside them.
struct ElementSum {
    int element;
    double amount;
    double magnitude;
};

void AddMoles(std::vector<ElementSum> &sums, const Composition &composition, double moles) {
    for (int k = 0; k < composition.count; ++k) {
        const double amount = composition.amounts[k] * moles;
        bool found = false;
        for (ElementSum &sum : sums) {
            if (sum.element != composition.elements[k]) continue;
            sum.amount += amount;
            sum.magnitude += std::fabs(amount);
            found = true;
        }
        if (!found) sums.push_back({composition.elements[k], amount, std::fabs(amount)});
    }
}

double SumOf(const std::vector<ElementSum> &sums, int element) {
    for (const ElementSum &sum : sums)
        if (sum.element == element) return sum.amount;
    return 0.0;
}

// Whether the sheet's ratios bring element in the product's amount, as the
// sheet's own check judges a balanced element.
bool SheetBalances(const CReaction &reaction, int element) {
    double brought = 0.0, involved = 0.0;
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        const double moles = reaction.ReactantRatio(i) * reaction.ReactantComposition(i).AmountOf(element);
        brought += moles;
        involved += std::fabs(moles);
    }
    const double wanted = reaction.ProductRatio() * reaction.ProductComposition().AmountOf(element);
    return std::fabs(brought - wanted) <= BALANCE_TOLERANCE * (involved + std::fabs(wanted));
}

std::string Symbols(const CElementTable &table, const std::vector<int> &elements) {
    std::string text;
    for (int element : elements) text += (text.empty() ? "" : ", ") + std::string(table.Symbol(element));
    return text;
}

}  // namespace

WeighedResult CheckWeighed(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                           const std::vector<double> &weighed, double tolerance) {
    std::vector<WeighedAmount> amounts(weighed.size());
    for (size_t i = 0; i < weighed.size(); ++i) amounts[i].grams = weighed[i];
    return CheckWeighed(reaction, sheet, rowNumbers, amounts, tolerance);
}

WeighedResult CheckWeighed(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                           const std::vector<WeighedAmount> &amounts, double tolerance) {
    WeighedResult result;
    result.sampleId = sheet.sampleId;
    result.productFormula = sheet.productFormula;
    result.amount = sheet.amount;
    result.tolerance = tolerance;
    // The compound grams each row stands for: a volume, or a solution's grams, through its row's form.
    std::vector<double> weighed(amounts.size());
    for (size_t i = 0; i < amounts.size(); ++i) {
        const SheetReactant &reactant = sheet.reactants[i];
        const DispenseCheck check = amounts[i].byVolume ? DispensedGrams(reactant, amounts[i].millilitres, &weighed[i])
                                                        : SolutionGrams(reactant, amounts[i].grams, &weighed[i]);
        if (check == DispenseCheck::Converted) continue;
        result.status = WeighedStatus::BadVolume;
        result.refusal = DispenseProblem(check, MaterialName(reactant.formula, rowNumbers[i]));
        return result;
    }
    const CElementTable &table = reaction.Parser().Table();
    std::vector<ElementSum> total;
    for (int i = 0; i < reaction.ReactantCount(); ++i)
        AddMoles(total, reaction.ReactantComposition(i), MolesAsMeant(sheet.reactants[size_t(i)], weighed[size_t(i)]));
    const Composition &product = reaction.ProductComposition();
    std::vector<int> order = FormulaOrder(sheet.productFormula, table);
    // Another element is listed when something of it is left once the rows'
    // amounts are summed (not what cancels to rounding, as C of "(CO2)-1").
    for (const ElementSum &sum : total)
        if (product.AmountOf(sum.element) == 0.0 && std::fabs(sum.amount) > 1e-12 * sum.magnitude)
            order.push_back(sum.element);
    // The balanced elements: the selection's; when it holds none of the
    // product's, those the sheet's ratios bring in the product's amounts.
    std::vector<int> balanced;
    for (int element : FormulaOrder(sheet.productFormula, table))
        if (product.AmountOf(element) != 0.0 && reaction.Selection().Includes(element)) balanced.push_back(element);
    if (balanced.empty()) {
        for (int element : FormulaOrder(sheet.productFormula, table))
            if (product.AmountOf(element) != 0.0 && SheetBalances(reaction, element)) balanced.push_back(element);
        if (balanced.empty()) result.status = WeighedStatus::NoneBalanced;
        else
            result.basis = ("The element selection holds none of the product's elements: compared on " +
                            Symbols(table, balanced) + ", which the sheet's ratios balance.")
                               .c_str();
    }
    double targetSum = 0.0, weighedSum = 0.0;
    for (int element : order) {
        WeighedElement entry;
        entry.symbol = table.Symbol(element);
        entry.target = product.AmountOf(element);
        entry.weighed = SumOf(total, element);
        entry.balanced = std::find(balanced.begin(), balanced.end(), element) != balanced.end();
        if (entry.balanced) {
            targetSum += entry.target;
            weighedSum += entry.weighed;
        }
        result.elements.push_back(entry);
    }
    if (balanced.empty() || !(weighedSum > 0.0) || !std::isfinite(weighedSum)) return result;
    // Moles of product the balanced elements make, and the batch's size against the sheet's.
    const double productMoles = weighedSum / targetSum;
    result.productGrams = productMoles * reaction.ProductMolarMass();
    const double batch = result.productGrams / sheet.amount;
    bool finite = std::isfinite(result.productGrams) && std::isfinite(batch) && batch > 0.0;
    for (size_t k = 0; k < order.size(); ++k) {
        WeighedElement &entry = result.elements[k];
        entry.weighed /= productMoles;
        finite = finite && std::isfinite(entry.weighed);
        if (entry.balanced) {
            entry.deviation = (entry.weighed - entry.target) / entry.target * 100.0;
            entry.past = !(std::fabs(entry.deviation) <= tolerance);
            finite = finite && std::isfinite(entry.deviation);
        } else if (entry.target == 0.0 && reaction.Selection().Includes(order[k])) {
            // A selected element the product lacks (Ba weighed for SrTiO3) is past any tolerance.
            entry.past = entry.weighed > 0.0;
            entry.deviation = entry.past ? HUGE_VAL : 0.0;
        }
    }
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        WeighedRow row;
        row.row = rowNumbers[size_t(i)];
        row.formula = sheet.reactants[size_t(i)].formula;
        row.molarMass = sheet.reactants[size_t(i)].molarMass;
        row.sheetGrams = GramsToWeigh(sheet, sheet.reactants[size_t(i)]);
        row.weighedGrams = weighed[size_t(i)];
        row.byVolume = amounts[size_t(i)].byVolume;
        row.millilitres = amounts[size_t(i)].millilitres;
        row.targetGrams = row.sheetGrams * batch;
        const double difference = row.weighedGrams - row.targetGrams;
        row.deviation = difference == 0.0 ? 0.0 : difference / std::fabs(row.targetGrams) * 100.0;
        row.past = !(std::fabs(row.deviation) <= tolerance);
        finite = finite && std::isfinite(row.targetGrams) && (row.targetGrams == 0.0 || std::isfinite(row.deviation));
        result.rows.push_back(row);
    }
    if (!finite) {
        // Masses so large (or a batch so small) that the numbers overflow: nothing is judged.
        result.rows.clear();
        for (WeighedElement &entry : result.elements) entry = WeighedElement{entry.symbol, entry.target};
        result.productGrams = 0.0;
        result.status = WeighedStatus::Overflow;
        return result;
    }
    result.status = WeighedStatus::Done;
    result.done = true;
    return result;
}

namespace {

// text padded with blanks to width, on the left (right-aligned) or the right.
std::string Cell(const std::string &text, size_t width, bool right = true) {
    if (text.size() >= width) return text;
    std::string blanks(width - text.size(), ' ');
    return right ? blanks + text : text + blanks;
}

std::string Shown(double value) { return NumberText(value).c_str(); }

}  // namespace

std::string WeighedText(const WeighedResult &result) {
    // Rows dispensed by volume add a column of their millilitres.
    const bool volumes = result.AnyVolume();
    const std::string rule = std::string(volumes ? 68 : 53, '-') + "\n";
    std::string text = "ID: " + Str(result.sampleId) + "\n";
    text += Str(result.productFormula) + "  (" + Shown(result.amount) + " grams)  as weighed, tolerance " +
            Shown(result.tolerance) + " %\n";
    if (result.done) text += "The weighed masses make " + Shown(result.productGrams) + " grams of product.\n";
    text += std::string(volumes ? 68 : 53, '=') + "\n";
    text += Cell("Row", 5, false) + Cell("Reactant", 14, false) + Cell("Target(g)", 11) + Cell("Weighed(g)", 11) +
            Cell("Deviation(%)", 13) + (volumes ? Cell("Dispensed(mL)", 15) : "") + "\n" + rule;
    for (const WeighedRow &row : result.rows)
        text += Cell(std::to_string(row.row), 5, false) + Cell(Str(row.formula), 14, false) +
                Cell(Shown(row.targetGrams), 11) + Cell(Shown(row.weighedGrams), 11) +
                Cell(std::isfinite(row.deviation) ? Percent(row.deviation) : "not on sheet", 13) +
                (volumes ? Cell(row.byVolume ? Shown(row.millilitres) : "", 15) : "") + (row.past ? "  *" : "") + "\n";
    text += rule + Cell("Element", 8, false) + Cell("Product", 11) + Cell("Weighed", 11) + Cell("Deviation(%)", 23) +
            "\n" + rule;
    for (const WeighedElement &element : result.elements) {
        std::string deviation = !result.done          ? ""
                                : element.balanced    ? Percent(element.deviation)
                                : element.target != 0 ? "not balanced"
                                                      : "not in product";
        text += Cell(Str(element.symbol), 8, false) + Cell(Shown(element.target), 11) +
                Cell(result.done ? Shown(element.weighed) : "-", 11) + Cell(deviation, 23) +
                (element.past ? "  *" : "") + "\n";
    }
    text += rule;
    if (!result.basis.IsEmpty()) text += Str(result.basis) + "\n";
    if (!result.done) return text + (result.refusal.IsEmpty() ? WeighedWhyNot(result.status) : Str(result.refusal)) + "\n";
    // The balanced elements as ratios to the first, as recipes are published
    // (to the first of them weighed at all: a ratio to nothing is none).
    std::string symbols, ratios;
    const WeighedElement *first = nullptr;
    for (const WeighedElement &element : result.elements)
        if (first == nullptr && element.balanced && element.weighed != 0.0) first = &element;
    for (const WeighedElement &element : result.elements) {
        if (!element.balanced) continue;
        char ratio[64];
        std::snprintf(ratio, sizeof ratio, "%.4f", element.weighed / first->weighed * first->target);
        symbols += (symbols.empty() ? "" : " : ") + Str(element.symbol);
        ratios += (ratios.empty() ? "" : " : ") + std::string(ratio);
    }
    text += symbols + " = " + ratios + "\n";
    std::string past;
    for (const WeighedElement &element : result.elements)
        if (element.past) past += (past.empty() ? "" : ", ") + Str(element.symbol);
    for (const WeighedRow &row : result.rows)
        if (row.past) past += (past.empty() ? "row " : ", row ") + std::to_string(row.row) + " " + Str(row.formula);
    return text + (past.empty() ? "Every element and row is within the tolerance.\n"
                                : "Past the tolerance (*): " + past + ".\n");
}

std::string WeighedCsv(const WeighedResult &result) {
    const bool volumes = result.AnyVolume();
    std::string text = "row,starting material,molar mass (g/mol),sheet (g),target (g),weighed (g),deviation (%),past tolerance" +
                       std::string(volumes ? ",dispensed (mL)" : "") + "\r\n";
    for (const WeighedRow &row : result.rows)
        text += std::to_string(row.row) + "," + CsvField(Str(row.formula)) + "," + ExactNumber(row.molarMass) + "," +
                ExactNumber(row.sheetGrams) + "," + ExactNumber(row.targetGrams) + "," + ExactNumber(row.weighedGrams) + "," +
                (std::isfinite(row.deviation) ? ExactNumber(row.deviation) : "") +
                "," + (row.past ? "yes" : "no") +
                (volumes ? "," + (row.byVolume ? ExactNumber(row.millilitres) : std::string()) : std::string()) + "\r\n";
    text += "\r\nelement,product,weighed,deviation (%),past tolerance\r\n";
    for (const WeighedElement &element : result.elements)
        text += Str(element.symbol) + "," + ExactNumber(element.target) + "," +
                (result.done ? ExactNumber(element.weighed) : "") + "," +
                (result.done && element.balanced ? ExactNumber(element.deviation) : "") + "," +
                (element.past ? "yes" : "no") + "\r\n";
    if (!result.basis.IsEmpty()) text += "\r\nnote\r\n" + CsvField(Str(result.basis)) + "\r\n";
    return text;
}

std::string WeighedJson(const WeighedResult &result) {
    auto number = [](double value) { return std::isfinite(value) ? ExactNumber(value) : std::string("null"); };
    const bool volumes = result.AnyVolume();
    std::string text = "{\"sampleId\":" + JsonString(Str(result.sampleId)) + ",\"formula\":" +
                       JsonString(Str(result.productFormula)) + ",\"grams\":" + number(result.amount) +
                       ",\"productGrams\":" + number(result.productGrams) + ",\"tolerance\":" + number(result.tolerance) + ",\"within\":" +
                       (result.Within() ? "true" : "false") +
                       (result.basis.IsEmpty() ? "" : ",\"basis\":" + JsonString(Str(result.basis))) + ",\"rows\":[";
    for (size_t i = 0; i < result.rows.size(); ++i) {
        const WeighedRow &row = result.rows[i];
        text += std::string(i ? "," : "") + "\n{\"row\":" + std::to_string(row.row) + ",\"formula\":" +
                JsonString(Str(row.formula)) + ",\"molarMass\":" + number(row.molarMass) + ",\"sheetGrams\":" +
                number(row.sheetGrams) + ",\"targetGrams\":" + number(row.targetGrams) + ",\"weighedGrams\":" + number(row.weighedGrams) + ",\"deviation\":" +
                number(row.deviation) + ",\"past\":" + (row.past ? "true" : "false") +
                (!volumes ? "" : ",\"dispensedMl\":" + (row.byVolume ? number(row.millilitres) : "null")) + "}";
    }
    text += "],\"elements\":[";
    for (size_t i = 0; i < result.elements.size(); ++i) {
        const WeighedElement &element = result.elements[i];
        text += std::string(i ? "," : "") + "\n{\"element\":" + JsonString(Str(element.symbol)) + ",\"product\":" +
                number(element.target) + ",\"weighed\":" + (result.done ? number(element.weighed) : "null") +
                ",\"balanced\":" + (element.balanced ? "true" : "false") + ",\"deviation\":" +
                (result.done && element.balanced ? number(element.deviation) : "null") + ",\"past\":" +
                (element.past ? "true" : "false") + "}";
    }
    return text + "\n]}\n";
}
