// The batch: what the bench adds on top of a calculated reaction. Purity
// (assay) and excess per starting material, the scaling (to the product's
// mass, to the weighed mass of one starting material, or to the total
// weighed mass), moles, and the gases the batch gives off or takes up.
//
// How the numbers follow from each other, per starting material i with
// ratio r_i and molar mass M_i, purity p_i (%) and excess x_i (%), and k
// the moles of one reaction unit (one unit of ratio) in the batch:
//   stoichiometric grams  s_i = r_i * M_i * k       (pure material, no excess)
//   weighed grams         w_i = s_i / (p_i / 100) * (1 + x_i / 100)
//   mmol                  n_i = 1000 * s_i / M_i * (1 + x_i / 100)
//                         (the pure material in what is weighed: purity
//                         leaves it alone, the excess adds to it)
//   product grams         A   = k * r_product * M_product
// Scaling fixes k: from A (the product's mass), from w_j = G (one row's
// weighed mass) or from the sum of every w_i = T (the total weighed mass).
//
// The gases follow the element balance of the stoichiometric amounts (the
// ratios): what the starting materials bring minus what the product keeps.
// The impurities (whatever makes a purity below 100 %) and the excess are
// not in it: they are unknown matter and a deliberate addition that is
// meant to be lost, respectively. Left-over C leaves as CO2, H as H2O, N as
// NO2 (the mass of NOx is counted as NO2), then the oxygen left after those
// leaves as O2 (released), or, when the product keeps more than is brought,
// O2 is taken up from the air. Any other element left over (Cl, S, a metal
// in excess), and C, H or N that the product keeps more of than is brought,
// is named as not accounted for, never dropped. The mass loss of the batch
// in % is the gases' net mass (released minus taken up) over the sum of the
// stoichiometric grams. The differential is that of the ratios alone.
//
// The values of the entry (BatchSettings) are kept per list row and carry
// the formula they were given for: they apply to a row only while the row
// holds that very formula, so that no value ever passes to another
// material (the list's rows never move, but a row's formula may be
// retyped). Portable: no Windows headers here.
#ifndef QUILLON_CORE_BATCH_H
#define QUILLON_CORE_BATCH_H

#include <vector>

#include "quillon/rows.h"
#include "framework/afxstr.h"
#include "textutil.h"

class CReaction;

// How a starting material is dispensed (MaterialForm below): a solid is
// weighed; a neat liquid, a solution of known molarity or one given by mass
// fraction is dispensed by volume. Per starting material i, with w_i its
// weighed grams as above (for a solution: the grams of the compound in what
// is dispensed, s_i * (1 + x_i / 100); a solution's purity is 100 %, its
// concentration says how much of it is the compound):
//   neat liquid, density d (g/mL)          volume V_i = w_i / d
//   molarity c (mol/L of the formula)      V_i = n_i / c            (mmol / (mol/L) = mL)
//                                          with a density d: solution grams = V_i * d
//   mass fraction f (% of the solution)    solution grams = w_i / (f / 100)
//                                          with a density d: V_i = solution grams / d
// The solvent, like an impurity, is in neither the element balance, the
// differential nor the gases.
enum class FormKind {
    Solid,         // weighed (the default)
    NeatLiquid,    // a density alone
    Molar,         // a molarity (and perhaps the solution's density)
    MassFraction,  // a mass fraction (and perhaps the solution's density)
};

// A starting material's form, from which values are given (0: not given).
struct MaterialForm {
    double density = 0.0;       // g/mL: of the liquid, or of the solution
    double molarity = 0.0;      // mol/L of the formula as written in the row
    double massFraction = 0.0;  // % of the formula's mass in the solution

    FormKind Kind() const;
    bool IsSolid() const { return Kind() == FormKind::Solid; }
    bool operator==(const MaterialForm &other) const {
        return density == other.density && molarity == other.molarity && massFraction == other.massFraction;
    }
    bool operator!=(const MaterialForm &other) const { return !(*this == other); }
};

// How a form meets the limits: every value given is a finite number of at
// least 0.00001 (the sheet shows 5 decimals), a mass fraction at most 100,
// never a molarity and a mass fraction together, and a solution's purity is
// 100 %.
enum class FormCheck {
    Acceptable,
    BadDensity,
    BadMolarity,
    BadMassFraction,
    MolarityWithMassFraction,
    PurityOfSolution,  // a purity other than 100 % on a solution row
};

FormCheck CheckForm(const MaterialForm &form, double purity);
// A starting material as every refusal names it: "TiO2 (row 2)".
CString MaterialName(const char *formula, int row);
// Why a form is refused, for every reader (window, file, quillon-cli), with
// the value as given; material names the row ("TEOS (row 2)"). For example
// "Density of Si(OC2H5)4 (row 1) must be a number of at least 0.00001 g/mL
// (the sheet shows 5 decimals), not -1." Empty for Acceptable.
CString FormProblem(FormCheck check, const MaterialForm &form, const char *material);

// One value of a form given on its own line or option (the calculation
// file's density, molarity and mass-fraction lines, quillon-cli's options):
// sets it in *form and says whether it is acceptable alone (0 is not: a
// value given is never "not given"). FormProblem of the answer and *form
// says why not.
enum class FormValue { Density, Molarity, MassFraction };
FormCheck SetFormValue(MaterialForm *form, FormValue which, double value);

// The limits of the values: purity in (0, 100], excess in [0, 1000).
const double PURITY_DEFAULT = 100.0;
const double EXCESS_DEFAULT = 0.0;
const double EXCESS_LIMIT = 1000.0;

// The sheet shows purity, excess and grams with NumberText (core/textutil.h),
// to NUMBER_TEXT_DECIMALS decimals. A value the sheet takes must show true
// at that precision: as shown still within its limits, and not 0 unless it
// is 0. So a purity is at least one unit of the last decimal (0.00001 %), an
// excess is 0 or from that unit to 1000 less one unit (999.99999 %), and an
// amount of grams at least that unit.
const double EXCESS_SHOWN_LIMIT = 999.99999;  // EXCESS_LIMIT less one NUMBER_TEXT_UNIT

// k = (A / M_product) / r_product: moles per reaction unit for A grams of product.
double GramsFactor(double amount, double productMolarMass, double productRatio);

// g_i = r_i * (M_i * k): the grams of a reactant that go with the product amount.
double ReactantGrams(double ratio, double molarMass, double k);

// How a purity or an excess meets the limits.
enum class BatchValueCheck {
    Acceptable,
    OutOfLimits,  // not finite, or outside the limits above
    TooFine,      // within the limits, but the sheet cannot show it truthfully
};

BatchValueCheck CheckPurity(double purity);
BatchValueCheck CheckExcess(double excess);

// True for a purity in % that the batch takes: CheckPurity gives Acceptable.
bool PurityAcceptable(double purity);
// True for an excess in % that the batch takes: CheckExcess gives Acceptable.
bool ExcessAcceptable(double excess);

// What a TooFine value must be instead, in words without the value's name,
// for every reader's message ("Purity of X (row N) must be " + ...):
// "at least 0.00001 % (the sheet shows 5 decimals)" and
// "0, or from 0.00001 to 999.99999 % (the sheet shows 5 decimals)".
CString PurityShownLimit();
CString ExcessShownLimit();

// True for an amount of grams (of the product) that the sheet shows
// truthfully: finite and at least NUMBER_TEXT_UNIT (0.00001 g), so that
// neither it nor the sheet's masses show as 0 for the rounding alone.
bool AmountShowable(double grams);
// The same limit in words: "at least 0.00001 g (the sheet shows 5 decimals)".
CString AmountShownLimit();

// What the batch is scaled to.
enum class BatchScale {
    Product,   // the product's mass (the amount field): the plain sheet's scaling
    Material,  // the weighed mass of one starting material
    Total,     // the weighed mass of all starting materials together
};

// The shelf's bottle (core/shelf.h) a row's values were taken from: its
// name, supplier and lot as the shelf gave them. A row whose values were
// typed, or that has none, names no bottle.
struct BottleRef {
    bool fromShelf = false;
    CString name;
    CString supplier;
    CString lot;

    bool operator==(const BottleRef &other) const {
        return fromShelf == other.fromShelf && name == other.name && supplier == other.supplier && lot == other.lot;
    }
    bool operator!=(const BottleRef &other) const { return !(*this == other); }
};

// The bottle as the sheets name it: its name, supplier and "lot " with its
// lot, those that are not empty, joined by ", " ("Barium carbonate,
// Northfield Chemicals, lot NC-2291"); "from the shelf" when all are empty.
CString BottleText(const BottleRef &bottle);

// One starting material's values, in %, and the bottle they came from.
struct BatchMaterial {
    double purity = PURITY_DEFAULT;
    double excess = EXCESS_DEFAULT;
    MaterialForm form{};               // solid by default
    BottleRef bottle{};                // none by default
};

// The plain input of one batch calculation, per starting material of the
// reaction in its order.
struct BatchInput {
    std::vector<BatchMaterial> materials;  // one per starting material; fewer: the rest take the defaults
    BatchScale scale = BatchScale::Product;
    double mass = 0.0;                     // grams: of product, of the starting material, or in total
    int scaleMaterial = -1;                // BatchScale::Material: the starting material's index
    bool mmol = false;                     // the sheet shows the mmol column and the product's mmol
    bool gases = false;                    // the sheet shows the gases and the mass loss
};

// One starting material of the batch.
struct BatchRow {
    double stoichiometricGrams = 0.0;  // s_i
    double weighedGrams = 0.0;         // w_i
    double mmol = 0.0;                 // n_i
    double purity = PURITY_DEFAULT;    // as taken, in %
    double excess = EXCESS_DEFAULT;    // as taken, in %
    MaterialForm form{};               // as taken
    BottleRef bottle{};                // as taken
    // Dispensed by volume: the millilitres to dispense and, where known, the
    // grams of solution (see MaterialForm above).
    bool hasVolume = false;
    double volumeMl = 0.0;
    bool hasSolutionGrams = false;
    double solutionGrams = 0.0;
};

// A gas that leaves (grams > 0) or is taken up (grams < 0).
struct BatchGas {
    CString formula;     // "CO2", "H2O", "NO2", "O2"
    double molarMass = 0.0;
    double mmol = 0.0;   // signed like grams
    double grams = 0.0;
};

// An element left over that no gas accounts for.
struct BatchLeftover {
    CString symbol;
    double mmol = 0.0;  // > 0 left over, < 0 missing (the product keeps more than is brought)
};

// How a batch calculation ended.
enum class BatchStatus {
    Done,
    BadPurity,        // material: purity not acceptable (outside (0, 100], or too fine to show)
    BadExcess,        // material: excess not acceptable (outside [0, 1000), or too fine to show)
    BadForm,          // material: its form is not acceptable (CheckForm; formCheck says why)
    BadMass,          // the scaling mass is not a finite number above 0
    BadScaleMaterial, // scaleMaterial names no starting material
    CannotScale,      // the scaling row (or the total) weighs nothing or less: no batch follows
    NothingToWeigh,   // the starting materials' pure grams add up to 0: nothing to weigh, no mass loss
    NotFinite,        // a number of the batch is not finite (overflow)
};

// Every number the sheet shows for a batch.
struct BatchResult {
    BatchStatus status = BatchStatus::Done;
    int material = -1;               // BadPurity, BadExcess, BadForm: the starting material's index
    FormCheck formCheck = FormCheck::Acceptable;  // BadForm: why
    double productGrams = 0.0;       // A
    double productMmol = 0.0;        // 1000 * A / M_product
    double unitMoles = 0.0;          // k
    std::vector<BatchRow> rows;      // one per starting material
    double stoichiometricTotal = 0.0;  // sum of s_i
    double weighedTotal = 0.0;         // sum of w_i
    // Gases in the order CO2, H2O, NO2, O2, only those not zero; the net
    // mass and the mass loss in %; the elements no gas accounts for.
    std::vector<BatchGas> gases;
    double gasGrams = 0.0;
    double massLossPercent = 0.0;
    std::vector<BatchLeftover> unaccounted;
    // Whether any row is dispensed by volume, has grams of solution, or is a
    // solution (molarity or mass fraction) at all.
    bool anyVolume = false;
    bool anySolutionGrams = false;
    bool anySolution = false;
};

// The one calculation of a batch, on a reaction whose RunCalculation has
// succeeded. Every number of BatchResult is computed whatever the input's
// mmol and gases flags say (they only choose what the sheet shows).
BatchResult CalculateBatch(const CReaction &reaction, const BatchInput &input);

// ---- The values the entry keeps (dialog, files, quillon-cli) ----

// One list row's values and the formula they were given for.
struct BatchRowValues {
    CString formula;                 // empty: the row has no values (defaults)
    double purity = PURITY_DEFAULT;
    double excess = EXCESS_DEFAULT;
    MaterialForm form{};             // solid: weighed
    BottleRef bottle{};              // the bottle the values came from, if any
};

// The batch values of an entry, keyed by the list's row number (index =
// row number - 1). A row's values apply only while the row holds formula;
// so does the scaling to a row (scaleFormula).
struct BatchSettings {
    BatchRowValues rows[ROW_CAPACITY];
    BatchScale scale = BatchScale::Product;
    int scaleRow = 0;          // BatchScale::Material: the row number, 1..ROW_CAPACITY
    CString scaleFormula;      // BatchScale::Material: the formula of that row
    double scaleMass = 0.0;    // BatchScale::Material, BatchScale::Total: grams
    bool mmol = false;
    bool gases = false;

    // True when nothing differs from the defaults: such an entry saves and
    // calculates exactly as one without batch values.
    bool IsPlain() const;
    // Sets row rowNumber's values for formula (purity 100, excess 0, a
    // solid and no bottle clear them; a bottle from the shelf keeps them,
    // defaults or not). False, nothing changed, for a row number outside 1..30.
    bool SetRow(int rowNumber, const char *formula, double purity, double excess,
                const MaterialForm &form = MaterialForm(), const BottleRef &bottle = BottleRef());
};

// How the settings meet the starting materials of a calculation.
enum class BatchMatch {
    Done,
    ScaleRowUnused,  // scaled to a row that is not among the starting materials or holds another formula
};

// The input of one calculation: rowNumbers[i] is the list row (1..30) of
// the reaction's starting material i. A row's values (and its bottle) are taken only when
// the row's stored formula equals the starting material's formula; the
// amount of product is used when the settings scale to the product.
BatchMatch MakeBatchInput(const BatchSettings &settings, const CReaction &reaction,
                          const std::vector<int> &rowNumbers, double productAmount, BatchInput *input);

#endif
