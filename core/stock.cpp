#include "stock.h"

#include <cmath>

#include "datatext.h"
#include "textutil.h"

namespace {

bool PositiveFinite(double value) { return std::isfinite(value) && value > 0.0; }

std::string Shown(double value) { return NumberText(value).c_str(); }

}  // namespace

std::string StockUnit(const StockInput &input) { return input.unit.empty() ? input.solid : input.unit; }

StockResult CalculateStock(const CFormulaParser &parser, const StockInput &input) {
    StockResult result;
    Composition solid, unit;
    if (parser.CheckComposition(input.solid.c_str(), solid) != 0) return result;
    result.status = StockStatus::BadUnit;
    if (parser.CheckComposition(StockUnit(input).c_str(), unit) != 0 || unit.count == 0) return result;
    double n = INFINITY;
    for (int k = 0; k < unit.count; ++k) {
        if (!(unit.amounts[k] > 0.0)) return result;
        const double held = solid.AmountOf(unit.elements[k]);
        if (!(held > 0.0)) {
            result.status = StockStatus::UnitNotInSolid;
            result.missing = parser.Table().Symbol(unit.elements[k]);
            return result;
        }
        n = std::fmin(n, held / unit.amounts[k]);
    }
    result.status = !(input.purity > 0.0 && input.purity <= 100.0) ? StockStatus::BadPurity
                    : !PositiveFinite(input.molarity)              ? StockStatus::BadMolarity
                    : !PositiveFinite(input.volumeMl)              ? StockStatus::BadVolume
                                                                   : StockStatus::Done;
    if (result.status != StockStatus::Done) return result;
    result.unitsPerFormula = n;
    result.solidMolarMass = MolarMass(solid, parser.Table());
    result.unitMol = input.molarity * input.volumeMl / 1000.0;
    result.solidMol = result.unitMol / n;
    result.grams = result.solidMol * result.solidMolarMass / (input.purity / 100.0);
    if (!PositiveFinite(n) || !PositiveFinite(result.solidMolarMass) || !PositiveFinite(result.grams))
        result.status = StockStatus::NotFinite;
    return result;
}

std::string StockProblem(const StockInput &input, const StockResult &result) {
    switch (result.status) {
    case StockStatus::Done:
        break;
    case StockStatus::BadSolid:
        return "The solid's formula " + input.solid + " is not valid.";
    case StockStatus::BadUnit:
        return "The formula unit " + StockUnit(input) + " is not valid.";
    case StockStatus::UnitNotInSolid:
        return "The solid " + input.solid + " holds no " + result.missing + ", so it cannot give " + StockUnit(input) + ".";
    case StockStatus::BadPurity:
        return "The purity must be above 0 and at most 100 %.";
    case StockStatus::BadMolarity:
        return "The molarity must be a number of mol/L above 0.";
    case StockStatus::BadVolume:
        return "The volume must be a number of mL above 0.";
    case StockStatus::NotFinite:
        return "The grams of the solid would not be a finite number.";
    }
    return "";
}

std::string StockText(const StockInput &input, const StockResult &result) {
    const std::string unit = StockUnit(input);
    return "Dissolve " + Shown(result.grams) + " g of " + input.solid + " (" + Shown(input.purity) + " %) to make " +
           Shown(input.volumeMl) + " mL of " + Shown(input.molarity) + " mol/L " + unit + " (" +
           Shown(result.unitsPerFormula) + " " + unit + " per formula).\n";
}

std::string StockJson(const StockInput &input, const StockResult &result) {
    const auto formula = [](const std::string &text) { return JsonString(StoredFormulaText(text.c_str())); };
    return "{\"solid\":" + formula(input.solid) + ",\"purity_pct\":" + ExactNumber(input.purity) +
           ",\"unit\":" + formula(StockUnit(input)) + ",\"molarity_mol_l\":" + ExactNumber(input.molarity) +
           ",\"volume_ml\":" + ExactNumber(input.volumeMl) + ",\"units_per_formula\":" +
           ExactNumber(result.unitsPerFormula) + ",\"solid_molar_mass\":" + ExactNumber(result.solidMolarMass) +
           ",\"unit_mol\":" + ExactNumber(result.unitMol) + ",\"solid_mol\":" + ExactNumber(result.solidMol) +
           ",\"solid_g\":" + ExactNumber(result.grams) + "}\n";
}
