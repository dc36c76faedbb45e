#include "sheetcheck.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "elements.h"
#include "formula.h"
#include "reaction.h"
#include "solver.h"
#include "sheet.h"
#include "batch.h"

namespace {

typedef long double Wide;

// Figures computed two ways agree when they differ by no more than this
// fraction of the magnitudes summed: a few hundred roundings of a double.
const Wide AGREEMENT = 1e-12L;

bool Finite(Wide value) { return std::isfinite(value); }

bool Agree(Wide a, Wide b, Wide magnitude) { return std::fabs(a - b) <= AGREEMENT * magnitude; }

// "TiO2 (row 2)" for a sheet line from list row 2, else "TiO2 (starting material 2)".
CString Name(const CString &formula, int index, int row) {
    char number[40];
    if (row > 0)
        std::snprintf(number, sizeof number, " (row %d)", row);
    else
        std::snprintf(number, sizeof number, " (starting material %d)", index + 1);
    CString text = formula;
    text += number;
    return text;
}

SheetCheckResult Fail(SheetCheck status, const CString &subject, const char *predicate) {
    SheetCheckResult result;
    result.status = status;
    result.text = subject;
    result.text += predicate;
    return result;
}

// The element amounts of a formula, read again from its text: false when it
// does not read.
bool AmountsOf(const CFormulaParser &parser, const char *formula, std::map<int, Wide> &amounts) {
    CFormulaNode *tree = nullptr;
    Composition composition;
    const bool read = parser.Check(formula, &tree) == 0 && parser.GetComposition(nullptr, 1.0, tree, composition) == 0;
    delete tree;
    if (!read) return false;
    for (int k = 0; k < composition.count; ++k) amounts[composition.elements[k]] += composition.amounts[k];
    return true;
}

// The molar mass of the amounts, and the sum of the magnitudes of its terms.
Wide MassOf(const CElementTable &table, const std::map<int, Wide> &amounts, Wide *magnitude) {
    Wide mass = 0.0L;
    *magnitude = 0.0L;
    for (const auto &entry : amounts) {
        const Wide term = entry.second * static_cast<Wide>(table.Mass(entry.first));
        mass += term;
        *magnitude += std::fabs(term);
    }
    return mass;
}

}  // namespace

SheetCheckResult CheckSheet(const CReaction &reaction, double amount, const WeighingSheet &sheet,
                            bool balanceIncluded) {
    const int count = reaction.ReactantCount();
    // The product line and the rows shown must be the reaction's.
    if (!Finite(amount)) return Fail(SheetCheck::NotFinite, "The amount of product", " is not a finite number.");
    if (sheet.amount != amount || sheet.productFormula != reaction.ProductFormula() ||
        static_cast<int>(sheet.reactants.size()) != count) {
        return Fail(SheetCheck::Disagrees, "The product line", " does not show the product and amount asked for.");
    }
    std::map<int, Wide> product;
    Wide magnitude = 0.0L;
    if (!AmountsOf(reaction.Parser(), reaction.ProductFormula(), product)) {
        return Fail(SheetCheck::Disagrees, "The product formula", " does not read.");
    }
    const Wide productMass = MassOf(reaction.Parser().Table(), product, &magnitude);
    const Wide productRatio = reaction.ProductRatio();
    if (!Finite(productMass) || !Finite(productRatio) || !Finite(reaction.ProductMolarMass())) {
        return Fail(SheetCheck::NotFinite, "The product's molar mass or ratio", " is not a finite number.");
    }
    if (!Agree(productMass, reaction.ProductMolarMass(), magnitude)) {
        return Fail(SheetCheck::Disagrees, "The product's molar mass", " does not agree with its formula.");
    }
    // Moles of product per unit of ratio, as the grams are meant to follow.
    const Wide k = static_cast<Wide>(amount) / (productMass * productRatio);

    // Per element: the amount the weighings bring, the amount the product
    // takes, and the magnitudes involved.
    std::map<int, Wide> brought, involved;
    for (int i = 0; i < count; ++i) {
        const SheetReactant &line = sheet.reactants[static_cast<size_t>(i)];
        const CString name = Name(reaction.ReactantFormula(i), i, line.row);
        std::map<int, Wide> amounts;
        if (line.formula != reaction.ReactantFormula(i) || !AmountsOf(reaction.Parser(), line.formula, amounts)) {
            return Fail(SheetCheck::Disagrees, name, " is not the formula calculated.");
        }
        const Wide ratio = reaction.ReactantRatio(i), mass = MassOf(reaction.Parser().Table(), amounts, &magnitude);
        if (!Finite(ratio) || !Finite(mass) || !Finite(line.molarMass) || !Finite(line.grams)) {
            return Fail(SheetCheck::NotFinite, name, " has a ratio, molar mass or weighing that is not a finite number.");
        }
        if (line.molarMass != reaction.ReactantMolarMass(i) || !Agree(mass, line.molarMass, magnitude)) {
            return Fail(SheetCheck::Disagrees, name, ": the molar mass shown does not agree with the formula.");
        }
        const Wide grams = ratio * mass * k;
        if (!Finite(grams) || !Agree(grams, line.grams, std::fabs(grams))) {
            return Fail(SheetCheck::Disagrees, name, ": the weighing does not agree with the ratio and molar mass.");
        }
        for (const auto &entry : amounts) {
            const Wide moles = ratio * entry.second;
            brought[entry.first] += moles;
            involved[entry.first] += std::fabs(moles);
        }
    }
    for (const auto &entry : product) {
        brought[entry.first] -= productRatio * entry.second;
        involved[entry.first] += std::fabs(productRatio * entry.second);
    }
    // The differential is what is left over per formula unit of product.
    for (const auto &entry : brought) {
        if (!Finite(entry.second) || !Finite(involved[entry.first])) {
            return Fail(SheetCheck::NotFinite, reaction.Parser().Table().Symbol(entry.first),
                        " left over is not a finite number.");
        }
    }
    if (sheet.showDifferential &&
        (std::strstr(sheet.differential, "inf") != nullptr || std::strstr(sheet.differential, "nan") != nullptr)) {
        return Fail(SheetCheck::NotFinite, "The differential", " is not made of finite numbers.");
    }
    if (!balanceIncluded) return SheetCheckResult();
    for (const auto &entry : product) {
        const int element = entry.first;
        if (!reaction.Selection().Includes(element)) continue;
        if (!(std::fabs(brought[element]) <= static_cast<Wide>(BALANCE_TOLERANCE) * involved[element])) {
            return Fail(SheetCheck::Unbalanced, reaction.Parser().Table().Symbol(element),
                        " is not balanced by the weighings.");
        }
    }
    return SheetCheckResult();
}

namespace {

// What a row's form makes of its grams and mmol, recomputed: whether it has a
// volume and grams of solution, and how many.
struct Dispensed {
    bool hasVolume = false, hasSolutionGrams = false, solution = false;
    Wide volume = 0.0L, solutionGrams = 0.0L;
};

Dispensed DispensedOf(const MaterialForm &form, Wide weighed, Wide mmol) {
    Dispensed d;
    const Wide density = form.density;
    if (form.molarity != 0.0) {
        d.solution = d.hasVolume = true;
        d.volume = mmol / form.molarity;
        d.hasSolutionGrams = form.density != 0.0;
        d.solutionGrams = d.volume * density;
    } else if (form.massFraction != 0.0) {
        d.solution = d.hasSolutionGrams = true;
        d.solutionGrams = weighed * 100.0L / form.massFraction;
        d.hasVolume = form.density != 0.0;
        if (d.hasVolume) d.volume = d.solutionGrams / density;
    } else if (form.density != 0.0) {
        d.hasVolume = true;
        d.volume = weighed / density;
    }
    return d;
}

// A row's volume and grams of solution against those recomputed.
SheetCheckResult CheckDispensed(const SheetReactant &line, const Dispensed &d, const CString &name) {
    if (!Finite(line.volumeMl) || !Finite(line.solutionGrams) || !Finite(d.volume) || !Finite(d.solutionGrams))
        return Fail(SheetCheck::NotFinite, name, " has a volume or grams of solution that is not a finite number.");
    if (line.hasVolume != d.hasVolume || (d.hasVolume && !Agree(d.volume, line.volumeMl, std::fabs(d.volume))))
        return Fail(SheetCheck::Disagrees, name, ": the volume does not agree with the grams, mmol and form.");
    if (line.hasSolutionGrams != d.hasSolutionGrams ||
        (d.hasSolutionGrams && !Agree(d.solutionGrams, line.solutionGrams, std::fabs(d.solutionGrams))))
        return Fail(SheetCheck::Disagrees, name, ": the grams of solution do not agree with the grams and form.");
    return SheetCheckResult();
}

// The batch's numbers, recomputed from the reaction, the input and the sheet's own figures.
SheetCheckResult CheckBatchNumbers(const CReaction &reaction, const BatchInput &input, const WeighingSheet &sheet) {
    const CFormulaParser &parser = reaction.Parser();
    const CElementTable &table = parser.Table();
    const BatchResult &batch = sheet.batch;
    const int count = reaction.ReactantCount();
    if (static_cast<int>(batch.rows.size()) != count || batch.productGrams != sheet.amount)
        return Fail(SheetCheck::Disagrees, "The batch", " does not belong to the sheet.");
    const Wide k = static_cast<Wide>(sheet.amount) / (static_cast<Wide>(reaction.ProductMolarMass()) * reaction.ProductRatio());
    Wide weighedTotal = 0.0L, target = 0.0L;
    bool anyVolume = false, anySolutionGrams = false, anySolution = false;
    std::map<int, Wide> left, involved;
    for (int i = 0; i < count; ++i) {
        const SheetReactant &line = sheet.reactants[static_cast<size_t>(i)];
        const CString name = Name(line.formula, i, line.row);
        const BatchMaterial material =
            static_cast<size_t>(i) < input.materials.size() ? input.materials[static_cast<size_t>(i)] : BatchMaterial();
        if (!Finite(line.weighedGrams) || !Finite(line.mmol))
            return Fail(SheetCheck::NotFinite, name, " has a weighing or mmol that is not a finite number.");
        if (line.purity != material.purity || line.excess != material.excess)
            return Fail(SheetCheck::Disagrees, name, ": the purity or excess shown is not the one given.");
        const Wide extra = 1.0L + static_cast<Wide>(material.excess) / 100.0L;
        const Wide weighed = static_cast<Wide>(line.grams) * 100.0L / material.purity * extra;
        if (!Agree(weighed, line.weighedGrams, std::fabs(weighed)))
            return Fail(SheetCheck::Disagrees, name, ": the weighing does not agree with the purity and excess.");
        const Wide mmol = 1000.0L * reaction.ReactantRatio(i) * k * extra;
        if (!Agree(mmol, line.mmol, std::fabs(mmol)))
            return Fail(SheetCheck::Disagrees, name, ": the mmol do not agree with the ratio.");
        if (line.form != material.form)
            return Fail(SheetCheck::Disagrees, name, ": the density, molarity or mass fraction shown is not the one given.");
        const Dispensed dispensed = DispensedOf(material.form, weighed, mmol);
        const SheetCheckResult form = CheckDispensed(line, dispensed, name);
        if (form.status != SheetCheck::Passed) return form;
        anyVolume = anyVolume || dispensed.hasVolume;
        anySolutionGrams = anySolutionGrams || dispensed.hasSolutionGrams;
        anySolution = anySolution || dispensed.solution;
        weighedTotal += weighed;
        if (input.scale == BatchScale::Material && i == input.scaleMaterial) target = weighed;
        std::map<int, Wide> amounts;
        AmountsOf(parser, line.formula, amounts);
        for (const auto &entry : amounts) {
            left[entry.first] += reaction.ReactantRatio(i) * entry.second * k * 1000.0L;
            involved[entry.first] += std::fabs(reaction.ReactantRatio(i) * entry.second * k * 1000.0L);
        }
    }
    if (anyVolume != (sheet.showVolume != 0) || anySolutionGrams != (sheet.showSolutionGrams != 0) ||
        anySolution != (sheet.anySolution != 0))
        return Fail(SheetCheck::Disagrees, "The sheet", " does not show the volumes and grams of solution its rows have.");
    if (input.scale == BatchScale::Total) target = weighedTotal;
    if (input.scale == BatchScale::Product) target = sheet.amount;
    if (!Agree(target, input.mass, 4.0L * std::fabs(target)))
        return Fail(SheetCheck::Disagrees, "The batch", " does not meet the mass it is scaled to.");
    const Wide productMmol = 1000.0L * sheet.amount / reaction.ProductMolarMass();
    if (!Agree(productMmol, sheet.productMmol, std::fabs(productMmol)))
        return Fail(SheetCheck::Disagrees, "The product's mmol", " do not agree with its grams.");
    // Every element brought is kept by the product, leaves with a gas or is named.
    std::map<int, Wide> product;
    AmountsOf(parser, reaction.ProductFormula(), product);
    for (const auto &entry : product) {
        const Wide moles = reaction.ProductRatio() * entry.second * k * 1000.0L;
        left[entry.first] -= moles;
        involved[entry.first] += std::fabs(moles);
    }
    Wide gasGrams = 0.0L;
    for (const BatchGas &gas : batch.gases) {
        std::map<int, Wide> amounts;
        Wide magnitude = 0.0L;
        if (!AmountsOf(parser, gas.formula, amounts) || !Finite(gas.grams) || !Finite(gas.mmol))
            return Fail(SheetCheck::Disagrees, gas.formula, " is not a gas of finite amount.");
        const Wide grams = static_cast<Wide>(gas.mmol) / 1000.0L * MassOf(table, amounts, &magnitude);
        if (!Agree(grams, gas.grams, std::fabs(grams)))
            return Fail(SheetCheck::Disagrees, gas.formula, ": the grams do not agree with the mmol.");
        gasGrams += grams;
        for (const auto &entry : amounts) {
            left[entry.first] -= gas.mmol * entry.second;
            involved[entry.first] += std::fabs(gas.mmol * entry.second);
        }
    }
    for (const BatchLeftover &leftover : batch.unaccounted) {
        const int element = table.Lookup(leftover.symbol);
        if (element < 0 || !Finite(leftover.mmol))
            return Fail(SheetCheck::Disagrees, leftover.symbol, " is not an element of finite amount.");
        left[element] -= leftover.mmol;
    }
    for (const auto &entry : left) {
        if (!(std::fabs(entry.second) <= 1e-8L * (involved[entry.first] + 1e-300L)))
            return Fail(SheetCheck::Unbalanced, table.Symbol(entry.first), " is not accounted for by the product and the gases.");
    }
    if (!Agree(gasGrams, batch.gasGrams, std::fabs(gasGrams) + sheet.amount) ||
        !Agree(100.0L * gasGrams / batch.stoichiometricTotal, batch.massLossPercent, 100.0L))
        return Fail(SheetCheck::Disagrees, "The mass loss", " does not agree with the gases.");
    return SheetCheckResult();
}

}  // namespace

SheetCheckResult CheckBatchSheet(const CReaction &reaction, const BatchInput &input, const WeighingSheet &sheet,
                                 bool balanceIncluded) {
    const SheetCheckResult plain = CheckSheet(reaction, sheet.amount, sheet, balanceIncluded);
    if (plain.status != SheetCheck::Passed) return plain;
    return CheckBatchNumbers(reaction, input, sheet);
}
