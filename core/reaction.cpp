// One calculation: product and reactants with their ratios, compositions,
// molar masses, the differential and the automatic ratio determination.
#include "reaction.h"

#include <cmath>
#include <vector>

#include "solver.h"
#include "textutil.h"

// An empty reaction that will parse its formulas with parser.
CReaction::CReaction(const CFormulaParser &parser, const ElementSelection &selection)
    : parser(parser), selection(selection) {}

CReaction::~CReaction() { delete[] reactants; }

// Takes the product, its ratio and the starting materials (copied into entries).
void CReaction::SetInput(const char *productFormula, double productRatio, const std::vector<ReactantInput> &input) {
    delete[] reactants;
    reactants = nullptr;
    product.formula = productFormula;
    product.ratio = productRatio;
    product.composition.Clear();
    product.molarMass = 0.0;
    reactantCount = static_cast<int>(input.size());
    fixedCount = 0;
    if (reactantCount > 0) reactants = new ReactionEntry[input.size()];
    for (int i = 0; i < reactantCount; ++i) {
        const ReactantInput &given = input[static_cast<size_t>(i)];
        reactants[i].formula = given.formula;
        reactants[i].fixed = given.fixed;
        reactants[i].ratio = given.ratio;
        if (given.fixed != 0) ++fixedCount;
    }
}

// The product's composition, of the selected elements only with selectedOnly.
CompositionResult CReaction::ComputeProductComposition(bool selectedOnly) {
    product.composition.Clear();
    CFormulaNode *tree = nullptr;
    if (parser.Check(product.formula, &tree) != 0) return CompositionResult::Invalid;
    int result = parser.GetComposition(selectedOnly ? &selection : nullptr, 1.0, tree, product.composition);
    delete tree;
    if (result != 0) {
        product.composition.Clear();
        return CompositionResult::NoComposition;
    }
    return CompositionResult::Done;
}

// Every reactant's composition, optionally projected onto the product's
// element list. On failure every reactant composition is left empty.
CompositionResult CReaction::ComputeReactantCompositions(bool selectedOnly, bool projectOntoProduct,
                                                        int *failingIndex) {
    for (int i = 0; i < reactantCount; ++i) reactants[i].composition.Clear();
    for (int i = 0; i < reactantCount; ++i) {
        CFormulaNode *tree = nullptr;
        CompositionResult failure = CompositionResult::Done;
        if (parser.Check(reactants[i].formula, &tree) != 0) {
            failure = CompositionResult::Invalid;
        } else if (parser.GetComposition(selectedOnly ? &selection : nullptr, 1.0, tree,
                                         reactants[i].composition) != 0) {
            failure = CompositionResult::NoComposition;
        }
        delete tree;
        if (failure != CompositionResult::Done) {
            for (int k = 0; k < reactantCount; ++k) reactants[k].composition.Clear();
            if (failingIndex != nullptr) *failingIndex = i;
            return failure;
        }
        if (projectOntoProduct) reactants[i].composition.Project(product.composition);
    }
    return CompositionResult::Done;
}

// Optional automatic ratios, then every composition over all elements and
// the molar masses.
ReactionResult CReaction::RunCalculation(bool autoRatio) {
    if (autoRatio && RunAutoRatio() != ReactionResult::Done) return ReactionResult::NotSolved;
    if (ComputeProductComposition(false) != CompositionResult::Done) return ReactionResult::ProductFails;
    int failingIndex = 0;
    if (ComputeReactantCompositions(false, false, &failingIndex) != CompositionResult::Done)
        return ReactionResult::ReactantFails;
    const CElementTable &table = parser.Table();
    product.molarMass = MolarMass(product.composition, table);
    for (int i = 0; i < reactantCount; ++i) reactants[i].molarMass = MolarMass(reactants[i].composition, table);
    return ReactionResult::Done;
}

// Solves the Unfixed reactants' ratios from the balance of the selected
// product elements.
ReactionResult CReaction::RunAutoRatio() {
    if (ComputeProductComposition(true) != CompositionResult::Done) return ReactionResult::ProductFails;
    int failingIndex = 0;
    if (ComputeReactantCompositions(true, true, &failingIndex) != CompositionResult::Done)
        return ReactionResult::ReactantFails;
    return SolveRatios() ? ReactionResult::Done : ReactionResult::NotSolved;
}

// Builds the element balance (one row per product element, one column per
// Unfixed reactant, then the right-hand side) and solves it. The Unfixed
// reactants receive the solution; on failure no ratio changes.
bool CReaction::SolveRatios() {
    const Composition &target = product.composition;
    int rows = target.count;
    // Counted rather than taken as R - F, so that a wrong fixed count from
    // the list can never make the columns overrun the matrix.
    solveColumns.clear();
    for (int i = 0; i < reactantCount; ++i) {
        if (reactants[i].fixed == 0) solveColumns.push_back(i);
    }
    int unknowns = static_cast<int>(solveColumns.size());
    int stride = unknowns + 1;
    solveRows.assign(target.elements, target.elements + rows);

    std::vector<double> matrix(static_cast<size_t>(rows) * static_cast<size_t>(stride), 0.0);
    std::vector<double> x(static_cast<size_t>(unknowns), 0.0);
    // The amount of each element outside the unknowns, as magnitudes: the
    // scale of what "balanced" means for that element.
    std::vector<double> scale(static_cast<size_t>(rows), 0.0);
    for (int r = 0; r < rows; ++r) {
        matrix[static_cast<size_t>(r) * stride + unknowns] = product.ratio * target.amounts[r];
        scale[r] = std::fabs(product.ratio * target.amounts[r]);
    }

    int column = 0;
    for (int i = 0; i < reactantCount; ++i) {
        const ReactionEntry &entry = reactants[i];
        const Composition &c = entry.composition;
        // The reactant's amount of each product element, 0 where it has none
        // (after projection the two element lists are the same).
        int k = 0;
        for (int r = 0; r < rows; ++r) {
            while (k < c.count && c.elements[k] < target.elements[r]) ++k;
            double amount = (k < c.count && c.elements[k] == target.elements[r]) ? c.amounts[k] : 0.0;
            double *row = &matrix[static_cast<size_t>(r) * stride];
            if (entry.fixed != 0) {
                row[unknowns] -= entry.ratio * amount;
                scale[r] += std::fabs(entry.ratio * amount);
            } else {
                row[column] = entry.ratio * amount;
            }
        }
        if (entry.fixed == 0) ++column;
    }

    solveRan = true;
    lastSolve = SolveBalance(rows, unknowns, matrix.data(), scale.data(), x.data());
    if (!lastSolve.Solved()) return false;

    column = 0;
    for (int i = 0; i < reactantCount; ++i) {
        if (reactants[i].fixed == 0) reactants[i].ratio = x[static_cast<size_t>(column++)];
    }
    return true;
}

// The sentence that says why the last solve failed.
CString CReaction::SolveFailure() const {
    CString text;
    if (!solveRan) return text;
    switch (lastSolve.status) {
    case SolveStatus::Solved:
        break;
    case SolveStatus::NoUnknowns:
        text = "No starting material has a ratio to determine.";
        break;
    case SolveStatus::TooFewEquations:
        text = "There are fewer elements to balance than ratios to determine.";
        break;
    case SolveStatus::NotFinite:
        text = "A ratio or an amount is not a finite number.";
        break;
    case SolveStatus::Unbalanced:
        if (lastSolve.row >= 0 && lastSolve.row < static_cast<int>(solveRows.size())) {
            text = parser.Table().Symbol(solveRows[static_cast<size_t>(lastSolve.row)]);
            text += " cannot be balanced with these starting materials.";
        }
        break;
    case SolveStatus::Dependent: {
        std::vector<CString> names;
        for (int column : lastSolve.columns) {
            if (column >= 0 && column < static_cast<int>(solveColumns.size())) {
                names.push_back(reactants[solveColumns[static_cast<size_t>(column)]].formula);
            }
        }
        if (names.size() == 1) {
            text = names[0];
            text += " contains none of the elements being balanced.";
            break;
        }
        if (names.empty()) {
            text = "The starting materials to be determined depend on each other.";
            break;
        }
        for (size_t k = 0; k < names.size(); ++k) {
            if (k > 0) text += k + 1 == names.size() ? " and " : ", ";
            text += names[k];
        }
        text += " depend on each other in the elements being balanced, so their ratios have no single answer.";
        break;
    }
    }
    return text;
}

// Every reactant's ratio, in input order.
std::vector<double> CReaction::Ratios() const {
    std::vector<double> ratios;
    for (int i = 0; i < reactantCount; ++i) ratios.push_back(reactants[i].ratio);
    return ratios;
}

// The element amounts the reactants bring beyond the product, per formula
// unit of product: symbol and trimmed amount per element, no separators.
CString CReaction::GetDifferential() const {
    // Traces are summed in full (three rows of 3e-6 Cr bring 9e-6); only the
    // leftover drops what is below COMPOSITION_TOLERANCE.
    Composition sum;
    for (int i = 0; i < reactantCount; ++i) {
        double factor = reactants[i].ratio / product.ratio;
        sum.Accumulate(reactants[i].composition.ScaledCopy(factor));
    }
    sum.Subtract(product.composition);

    CString text;
    for (int i = 0; i < sum.count; ++i) {
        int element = sum.elements[i];
        if (element >= 0 && element < parser.Table().Count()) text += parser.Table().Symbol(element);
        text += NumberText(sum.amounts[i]).c_str();
    }
    return text;
}
