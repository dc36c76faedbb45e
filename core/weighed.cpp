#include "weighed.h"

#include <cmath>
#include <cstdio>

#include "formula.h"
#include "reaction.h"
#include "series.h"
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

double AmountOf(const Composition &composition, int element) {
    for (int k = 0; k < composition.count; ++k)
        if (composition.elements[k] == element) return composition.amounts[k];
    return 0.0;
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

bool WeighedResult::Within() const {
    for (const WeighedElement &element : elements)
        if (element.past) return false;
    return done;
}

WeighedResult CheckWeighed(const CReaction &reaction, const WeighingSheet &sheet, const std::vector<int> &rowNumbers,
                           const std::vector<double> &weighed, double tolerance) {
    WeighedResult result;
    result.sampleId = sheet.sampleId;
    result.productFormula = sheet.productFormula;
    result.amount = sheet.amount;
    result.tolerance = tolerance;
    const CElementTable &table = reaction.Parser().Table();
    Composition total;
    for (int i = 0; i < reaction.ReactantCount(); ++i)
        total.Add(reaction.ReactantComposition(i).ScaledCopy(MolesAsMeant(sheet.reactants[size_t(i)], weighed[size_t(i)])));
    const Composition &product = reaction.ProductComposition();
    std::vector<int> order = FormulaOrder(sheet.productFormula, table);
    for (int k = 0; k < total.count; ++k)
        if (AmountOf(product, total.elements[k]) == 0.0) order.push_back(total.elements[k]);
    bool anySelected = false;
    for (int k = 0; k < product.count; ++k) anySelected = anySelected || reaction.Selection().Includes(product.elements[k]);
    double targetSum = 0.0, weighedSum = 0.0;
    for (int element : order) {
        WeighedElement entry;
        entry.symbol = table.Symbol(element);
        entry.target = AmountOf(product, element);
        entry.weighed = AmountOf(total, element);
        entry.balanced = entry.target != 0.0 && (!anySelected || reaction.Selection().Includes(element));
        if (entry.balanced) {
            targetSum += entry.target;
            weighedSum += entry.weighed;
        }
        result.elements.push_back(entry);
    }
    if (!(weighedSum > 0.0) || !std::isfinite(weighedSum)) return result;
    // Moles of product the balanced elements make, and the batch's size against the sheet's.
    const double productMoles = weighedSum / targetSum;
    result.productGrams = productMoles * reaction.ProductMolarMass();
    const double batch = result.productGrams / sheet.amount;
    for (size_t k = 0; k < order.size(); ++k) {
        WeighedElement &entry = result.elements[k];
        entry.weighed /= productMoles;
        if (entry.balanced) {
            entry.deviation = (entry.weighed - entry.target) / entry.target * 100.0;
            entry.past = !(std::fabs(entry.deviation) <= tolerance);
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
        row.targetGrams = row.sheetGrams * batch;
        const double difference = row.weighedGrams - row.targetGrams;
        row.deviation = difference == 0.0 ? 0.0 : difference / std::fabs(row.targetGrams) * 100.0;
        row.past = !(std::fabs(row.deviation) <= tolerance);
        result.rows.push_back(row);
    }
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
    const std::string rule = std::string(53, '-') + "\n";
    std::string text = "ID: " + Str(result.sampleId) + "\n";
    text += Str(result.productFormula) + "  (" + Shown(result.amount) + " grams)  as weighed, tolerance " +
            Shown(result.tolerance) + " %\n";
    if (result.done) text += "The weighed masses make " + Shown(result.productGrams) + " grams of product.\n";
    text += std::string(53, '=') + "\n";
    text += Cell("Row", 5, false) + Cell("Reactant", 14, false) + Cell("Target(g)", 11) + Cell("Weighed(g)", 11) +
            Cell("Deviation(%)", 13) + "\n" + rule;
    for (const WeighedRow &row : result.rows)
        text += Cell(std::to_string(row.row), 5, false) + Cell(Str(row.formula), 14, false) +
                Cell(Shown(row.targetGrams), 11) + Cell(Shown(row.weighedGrams), 11) +
                Cell(Percent(row.deviation), 13) + (row.past ? "  *" : "") + "\n";
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
    if (!result.done) return text + "The weighed masses hold none of the balanced elements.\n";
    // The balanced elements as ratios to the first, as recipes are published.
    std::string symbols, ratios;
    const WeighedElement *first = nullptr;
    for (const WeighedElement &element : result.elements) {
        if (!element.balanced) continue;
        if (first == nullptr) first = &element;
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
    std::string text = "row,starting material,molar mass (g/mol),sheet (g),target (g),weighed (g),deviation (%),past tolerance\r\n";
    for (const WeighedRow &row : result.rows)
        text += std::to_string(row.row) + "," + CsvField(Str(row.formula)) + "," + ExactNumber(row.molarMass) + "," +
                ExactNumber(row.sheetGrams) + "," + ExactNumber(row.targetGrams) + "," + ExactNumber(row.weighedGrams) + "," + ExactNumber(row.deviation) +
                "," + (row.past ? "yes" : "no") + "\r\n";
    text += "\r\nelement,product,weighed,deviation (%),past tolerance\r\n";
    for (const WeighedElement &element : result.elements)
        text += Str(element.symbol) + "," + ExactNumber(element.target) + "," +
                (result.done ? ExactNumber(element.weighed) : "") + "," +
                (result.done && element.balanced ? ExactNumber(element.deviation) : "") + "," +
                (element.past ? "yes" : "no") + "\r\n";
    return text;
}

std::string WeighedJson(const WeighedResult &result) {
    auto number = [](double value) { return std::isfinite(value) ? ExactNumber(value) : std::string("null"); };
    std::string text = "{\"sampleId\":" + JsonString(Str(result.sampleId)) + ",\"formula\":" +
                       JsonString(Str(result.productFormula)) + ",\"grams\":" + number(result.amount) +
                       ",\"productGrams\":" + number(result.productGrams) + ",\"tolerance\":" + number(result.tolerance) + ",\"within\":" +
                       (result.Within() ? "true" : "false") + ",\"rows\":[";
    for (size_t i = 0; i < result.rows.size(); ++i) {
        const WeighedRow &row = result.rows[i];
        text += std::string(i ? "," : "") + "\n{\"row\":" + std::to_string(row.row) + ",\"formula\":" +
                JsonString(Str(row.formula)) + ",\"molarMass\":" + number(row.molarMass) + ",\"sheetGrams\":" +
                number(row.sheetGrams) + ",\"targetGrams\":" + number(row.targetGrams) + ",\"weighedGrams\":" + number(row.weighedGrams) + ",\"deviation\":" +
                number(row.deviation) + ",\"past\":" + (row.past ? "true" : "false") + "}";
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
