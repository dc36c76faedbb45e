#include "batch.h"

#include <cmath>
#include <map>

#include "datatext.h"
#include "formula.h"
#include "reaction.h"
#include "solver.h"

namespace {

typedef long double Wide;

bool Finite(double value) { return std::isfinite(value); }

// The material's values, or the defaults beyond the input's list.
BatchMaterial MaterialOf(const BatchInput &input, int i) {
    return static_cast<size_t>(i) < input.materials.size() ? input.materials[static_cast<size_t>(i)] : BatchMaterial();
}

// Weighed grams per stoichiometric gram: 1 / purity fraction * (1 + excess fraction).
double WeighedFactor(const BatchMaterial &material) {
    return 1.0 / (material.purity / 100.0) * (1.0 + material.excess / 100.0);
}

// s / (p / 100) * (1 + x / 100): with the defaults exactly s.
double WeighedGrams(double grams, const BatchMaterial &material) {
    return grams / (material.purity / 100.0) * (1.0 + material.excess / 100.0);
}

// The element balance of one reaction unit: what the starting materials
// bring minus what the product keeps, and the magnitudes involved.
struct Balance {
    std::map<int, Wide> left, involved;

    // The amount left of element (0 for an element not in the table); an
    // amount within the balance tolerance of its magnitudes counts as none.
    Wide Left(int element) const {
        if (element < 0) return 0.0L;
        auto found = left.find(element);
        if (found == left.end()) return 0.0L;
        const Wide magnitude = involved.at(element);
        return std::fabs(found->second) <= static_cast<Wide>(BALANCE_TOLERANCE) * magnitude ? 0.0L : found->second;
    }
};

Balance BalanceOf(const CReaction &reaction) {
    Balance balance;
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        const Composition &c = reaction.ReactantComposition(i);
        for (int e = 0; e < c.count; ++e) {
            const Wide moles = static_cast<Wide>(reaction.ReactantRatio(i)) * c.amounts[e];
            balance.left[c.elements[e]] += moles;
            balance.involved[c.elements[e]] += std::fabs(moles);
        }
    }
    const Composition &p = reaction.ProductComposition();
    for (int e = 0; e < p.count; ++e) {
        const Wide moles = static_cast<Wide>(reaction.ProductRatio()) * p.amounts[e];
        balance.left[p.elements[e]] -= moles;
        balance.involved[p.elements[e]] += std::fabs(moles);
    }
    return balance;
}

// Adds a gas of molecules per reaction unit; molecules of 0 add nothing.
void AddGas(BatchResult &result, const char *formula, Wide molecules, Wide molarMass) {
    if (molecules == 0.0L) return;
    BatchGas gas;
    gas.formula = formula;
    gas.molarMass = static_cast<double>(molarMass);
    gas.mmol = static_cast<double>(1000.0L * molecules * result.unitMoles);
    gas.grams = static_cast<double>(molecules * result.unitMoles * molarMass);
    result.gases.push_back(gas);
}

// The gases and the elements no gas accounts for.
void ComputeGases(const CReaction &reaction, BatchResult &result) {
    const CElementTable &table = reaction.Parser().Table();
    const Balance balance = BalanceOf(reaction);
    const int carbon = table.Lookup("C"), hydrogen = table.Lookup("H"), nitrogen = table.Lookup("N"),
              oxygen = table.Lookup("O");
    auto mass = [&](int element) { return element < 0 ? 0.0L : static_cast<Wide>(table.Mass(element)); };
    // C, H and N leave with oxygen only when they are left over.
    const Wide c = std::fmax(balance.Left(carbon), 0.0L), h = std::fmax(balance.Left(hydrogen), 0.0L),
               n = std::fmax(balance.Left(nitrogen), 0.0L);
    AddGas(result, "CO2", c, mass(carbon) + 2 * mass(oxygen));
    AddGas(result, "H2O", h / 2, 2 * mass(hydrogen) + mass(oxygen));
    AddGas(result, "NO2", n, mass(nitrogen) + 2 * mass(oxygen));
    // The oxygen left once CO2, H2O and NO2 took theirs: released as O2, or,
    // below 0, taken up from the air (also when no formula holds oxygen and
    // the gases take all of theirs from the air).
    Wide o = 0.0L;
    if (oxygen >= 0) {
        const bool present = balance.left.count(oxygen) != 0;
        const Wide brought = present ? balance.left.at(oxygen) : 0.0L;
        const Wide involved = present ? balance.involved.at(oxygen) : 0.0L;
        o = brought - 2 * c - h / 2 - 2 * n;
        // The oxygen the gases took is part of what is involved.
        if (std::fabs(o) <= static_cast<Wide>(BALANCE_TOLERANCE) * (involved + 2 * c + h / 2 + 2 * n)) o = 0.0L;
    }
    AddGas(result, "O2", o / 2, 2 * mass(oxygen));
    for (const BatchGas &gas : result.gases) result.gasGrams += gas.grams;

    for (const auto &entry : balance.left) {
        const int element = entry.first;
        if (element == oxygen) continue;
        const Wide left = balance.Left(element);
        if (left == 0.0L) continue;
        if (left > 0.0L && (element == carbon || element == hydrogen || element == nitrogen)) continue;
        BatchLeftover leftover;
        leftover.symbol = table.Symbol(element);
        leftover.mmol = static_cast<double>(1000.0L * left * result.unitMoles);
        result.unaccounted.push_back(leftover);
    }
}

// Why a value finer than the sheet's last decimal is refused.
CString ShownDecimals() {
    CString text;
    text.Format(" (the sheet shows %d decimals)", NUMBER_TEXT_DECIMALS);
    return text;
}

// The volume and grams of solution of a row whose weighed grams and mmol
// are known (see MaterialForm in batch.h).
void Dispense(const MaterialForm &form, BatchRow &row) {
    row.form = form;
    switch (form.Kind()) {
    case FormKind::Solid:
        return;
    case FormKind::NeatLiquid:
        row.hasVolume = true;
        row.volumeMl = row.weighedGrams / form.density;
        return;
    case FormKind::Molar:
        row.hasVolume = true;
        row.volumeMl = row.mmol / form.molarity;
        if (form.density != 0.0) {
            row.hasSolutionGrams = true;
            row.solutionGrams = row.volumeMl * form.density;
        }
        return;
    case FormKind::MassFraction:
        row.hasSolutionGrams = true;
        row.solutionGrams = row.weighedGrams / (form.massFraction / 100.0);
        if (form.density != 0.0) {
            row.hasVolume = true;
            row.volumeMl = row.solutionGrams / form.density;
        }
        return;
    }
}

// A form's value, given (not 0): finite and shown truthfully at 5 decimals.
bool FormValueAcceptable(double value, double limit) {
    return Finite(value) && value >= NUMBER_TEXT_UNIT && value <= limit;
}

BatchResult Failed(BatchStatus status, int material = -1) {
    BatchResult result;
    result.status = status;
    result.material = material;
    return result;
}

}  // namespace

// k = (A / M_p) / r_p, each step rounded to double.
double GramsFactor(double amount, double productMolarMass, double productRatio) {
    return (amount / productMolarMass) / productRatio;
}

// g_i = r_i * (M_i * k), the inner product rounded to double.
double ReactantGrams(double ratio, double molarMass, double k) {
    return ratio * (molarMass * k);
}

FormKind MaterialForm::Kind() const {
    if (molarity != 0.0) return FormKind::Molar;
    if (massFraction != 0.0) return FormKind::MassFraction;
    return density != 0.0 ? FormKind::NeatLiquid : FormKind::Solid;
}

FormCheck CheckForm(const MaterialForm &form, double purity) {
    const double unlimited = HUGE_VAL;
    if (form.density != 0.0 && !FormValueAcceptable(form.density, unlimited)) return FormCheck::BadDensity;
    if (form.molarity != 0.0 && !FormValueAcceptable(form.molarity, unlimited)) return FormCheck::BadMolarity;
    if (form.massFraction != 0.0 && !FormValueAcceptable(form.massFraction, 100.0)) return FormCheck::BadMassFraction;
    if (form.molarity != 0.0 && form.massFraction != 0.0) return FormCheck::MolarityWithMassFraction;
    const FormKind kind = form.Kind();
    if ((kind == FormKind::Molar || kind == FormKind::MassFraction) && purity != PURITY_DEFAULT)
        return FormCheck::PurityOfSolution;
    return FormCheck::Acceptable;
}

CString MaterialName(const char *formula, int row) {
    CString name;
    name.Format("%s (row %d)", formula, row);
    return name;
}

CString FormProblem(FormCheck check, const MaterialForm &form, const char *material) {
    const CString unit = NumberText(NUMBER_TEXT_UNIT).c_str();
    const CString of = CString(" of ") + material + " must be a number ";
    switch (check) {
    case FormCheck::Acceptable:
        break;
    case FormCheck::BadDensity:
        return "Density" + of + "of at least " + unit + " g/mL" + ShownDecimals() + ", not " +
               ExactNumber(form.density).c_str() + ".";
    case FormCheck::BadMolarity:
        return "Molarity" + of + "of at least " + unit + " mol/L" + ShownDecimals() + ", not " +
               ExactNumber(form.molarity).c_str() + ".";
    case FormCheck::BadMassFraction:
        return "Mass fraction" + of + "from " + unit + " to 100 %" + ShownDecimals() + ", not " +
               ExactNumber(form.massFraction).c_str() + ".";
    case FormCheck::MolarityWithMassFraction:
        return CString(material) + " has both a molarity and a mass fraction: give one of them.";
    case FormCheck::PurityOfSolution:
        return CString("Purity of ") + material +
               " must be 100 % for a solution: its molarity or mass fraction says how much of it is the compound.";
    }
    return CString();
}

FormCheck SetFormValue(MaterialForm *form, FormValue which, double value) {
    MaterialForm alone;
    double MaterialForm::*field = which == FormValue::Density    ? &MaterialForm::density
                                  : which == FormValue::Molarity ? &MaterialForm::molarity
                                                                 : &MaterialForm::massFraction;
    form->*field = value;
    alone.*field = value;
    if (value != 0.0 && CheckForm(alone, PURITY_DEFAULT) == FormCheck::Acceptable) return FormCheck::Acceptable;
    return which == FormValue::Density    ? FormCheck::BadDensity
           : which == FormValue::Molarity ? FormCheck::BadMolarity
                                          : FormCheck::BadMassFraction;
}

BatchValueCheck CheckPurity(double purity) {
    if (!Finite(purity) || !(purity > 0.0 && purity <= 100.0)) return BatchValueCheck::OutOfLimits;
    return purity >= NUMBER_TEXT_UNIT ? BatchValueCheck::Acceptable : BatchValueCheck::TooFine;
}

BatchValueCheck CheckExcess(double excess) {
    if (!Finite(excess) || !(excess >= 0.0 && excess < EXCESS_LIMIT)) return BatchValueCheck::OutOfLimits;
    const bool shown = excess == 0.0 || (excess >= NUMBER_TEXT_UNIT && excess <= EXCESS_SHOWN_LIMIT);
    return shown ? BatchValueCheck::Acceptable : BatchValueCheck::TooFine;
}

bool PurityAcceptable(double purity) { return CheckPurity(purity) == BatchValueCheck::Acceptable; }

bool ExcessAcceptable(double excess) { return CheckExcess(excess) == BatchValueCheck::Acceptable; }

CString PurityShownLimit() {
    return CString("at least ") + NumberText(NUMBER_TEXT_UNIT).c_str() + " %" + ShownDecimals();
}

CString ExcessShownLimit() {
    return CString("0, or from ") + NumberText(NUMBER_TEXT_UNIT).c_str() + " to " +
           NumberText(EXCESS_SHOWN_LIMIT).c_str() + " %" + ShownDecimals();
}

bool AmountShowable(double grams) { return Finite(grams) && grams >= NUMBER_TEXT_UNIT; }

CString AmountShownLimit() {
    return CString("at least ") + NumberText(NUMBER_TEXT_UNIT).c_str() + " g" + ShownDecimals();
}

BatchResult CalculateBatch(const CReaction &reaction, const BatchInput &input) {
    const int count = reaction.ReactantCount();
    for (int i = 0; i < count; ++i) {
        const BatchMaterial material = MaterialOf(input, i);
        if (!PurityAcceptable(material.purity)) return Failed(BatchStatus::BadPurity, i);
        if (!ExcessAcceptable(material.excess)) return Failed(BatchStatus::BadExcess, i);
        const FormCheck form = CheckForm(material.form, material.purity);
        if (form != FormCheck::Acceptable) {
            BatchResult failed = Failed(BatchStatus::BadForm, i);
            failed.formCheck = form;
            return failed;
        }
    }
    if (!(Finite(input.mass) && input.mass > 0.0)) return Failed(BatchStatus::BadMass);
    if (input.scale == BatchScale::Material && !(input.scaleMaterial >= 0 && input.scaleMaterial < count))
        return Failed(BatchStatus::BadScaleMaterial);

    const double productMolarMass = reaction.ProductMolarMass(), productRatio = reaction.ProductRatio();
    BatchResult result;
    // The product's grams first: every other number follows from them as
    // the plain sheet's grams follow from the amount of product.
    if (input.scale == BatchScale::Product) {
        result.productGrams = input.mass;
    } else {
        // Weighed grams of the target per reaction unit.
        double perUnit = 0.0;
        for (int i = 0; i < count; ++i) {
            if (input.scale == BatchScale::Material && i != input.scaleMaterial) continue;
            perUnit += reaction.ReactantRatio(i) * reaction.ReactantMolarMass(i) * WeighedFactor(MaterialOf(input, i));
        }
        if (!(Finite(perUnit) && perUnit > 0.0)) return Failed(BatchStatus::CannotScale);
        result.productGrams = input.mass / perUnit * productRatio * productMolarMass;
    }
    result.unitMoles = GramsFactor(result.productGrams, productMolarMass, productRatio);
    result.productMmol = 1000.0 * result.productGrams / productMolarMass;
    for (int i = 0; i < count; ++i) {
        const BatchMaterial material = MaterialOf(input, i);
        BatchRow row;
        row.purity = material.purity;
        row.excess = material.excess;
        row.bottle = material.bottle;
        row.stoichiometricGrams = ReactantGrams(reaction.ReactantRatio(i), reaction.ReactantMolarMass(i), result.unitMoles);
        row.weighedGrams = WeighedGrams(row.stoichiometricGrams, material);
        row.mmol = 1000.0 * reaction.ReactantRatio(i) * result.unitMoles * (1.0 + material.excess / 100.0);
        Dispense(material.form, row);
        result.stoichiometricTotal += row.stoichiometricGrams;
        result.weighedTotal += row.weighedGrams;
        if (!Finite(row.weighedGrams) || !Finite(row.mmol) || !Finite(row.volumeMl) || !Finite(row.solutionGrams))
            return Failed(BatchStatus::NotFinite, i);
        result.anyVolume = result.anyVolume || row.hasVolume;
        result.anySolutionGrams = result.anySolutionGrams || row.hasSolutionGrams;
        const FormKind kind = material.form.Kind();
        result.anySolution = result.anySolution || kind == FormKind::Molar || kind == FormKind::MassFraction;
        result.rows.push_back(row);
    }
    ComputeGases(reaction, result);
    if (!Finite(result.productGrams) || !Finite(result.unitMoles) || !Finite(result.productMmol) ||
        !Finite(result.stoichiometricTotal) || !Finite(result.weighedTotal) || !Finite(result.gasGrams))
        return Failed(BatchStatus::NotFinite);
    // Every ratio 0, a lone formula of no mass, or grams below the smallest
    // double: no batch, and no mass loss to give in %.
    if (result.stoichiometricTotal == 0.0) return Failed(BatchStatus::NothingToWeigh);
    result.massLossPercent = 100.0 * result.gasGrams / result.stoichiometricTotal;
    if (!Finite(result.massLossPercent)) return Failed(BatchStatus::NotFinite);
    return result;
}

CString BottleText(const BottleRef &bottle) {
    CString text;
    const CString lot = bottle.lot.IsEmpty() ? CString() : "lot " + bottle.lot;
    for (const CString *part : {&bottle.name, &bottle.supplier, &lot}) {
        if (part->IsEmpty()) continue;
        if (!text.IsEmpty()) text += ", ";
        text += *part;
    }
    return text.IsEmpty() ? CString("from the shelf") : text;
}

bool BatchSettings::IsPlain() const {
    for (const BatchRowValues &row : rows)
        if (!row.formula.IsEmpty() || row.bottle.fromShelf) return false;
    return scale == BatchScale::Product && !mmol && !gases;
}

bool BatchSettings::SetRow(int rowNumber, const char *formula, double purity, double excess,
                           const MaterialForm &form, const BottleRef &bottle) {
    if (rowNumber < 1 || rowNumber > ROW_CAPACITY) return false;
    BatchRowValues row;
    if (purity != PURITY_DEFAULT || excess != EXCESS_DEFAULT || !form.IsSolid() || bottle.fromShelf)
        row.formula = formula;  // formula may be the row's own
    row.purity = purity;
    row.excess = excess;
    row.form = form;
    if (bottle.fromShelf) row.bottle = bottle;
    rows[rowNumber - 1] = row;
    return true;
}

BatchMatch MakeBatchInput(const BatchSettings &settings, const CReaction &reaction,
                          const std::vector<int> &rowNumbers, double productAmount, BatchInput *input) {
    *input = BatchInput();
    input->scale = settings.scale;
    input->mass = settings.scale == BatchScale::Product ? productAmount : settings.scaleMass;
    input->mmol = settings.mmol;
    input->gases = settings.gases;
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        const int row = static_cast<size_t>(i) < rowNumbers.size() ? rowNumbers[static_cast<size_t>(i)] : 0;
        const CString formula = reaction.ReactantFormula(i);
        BatchMaterial material;
        if (row >= 1 && row <= ROW_CAPACITY && settings.rows[row - 1].formula == formula) {
            material.purity = settings.rows[row - 1].purity;
            material.excess = settings.rows[row - 1].excess;
            material.form = settings.rows[row - 1].form;
            material.bottle = settings.rows[row - 1].bottle;
        }
        input->materials.push_back(material);
        if (settings.scale == BatchScale::Material && row == settings.scaleRow && formula == settings.scaleFormula)
            input->scaleMaterial = i;
    }
    if (settings.scale == BatchScale::Material && input->scaleMaterial < 0) return BatchMatch::ScaleRowUnused;
    return BatchMatch::Done;
}
