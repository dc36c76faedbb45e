// One calculation: product and reactants with their ratios, compositions,
// molar masses, the differential and the automatic ratio determination.
#include "reaction.h"

#include <cmath>
#include <vector>

#include "elements.h"
#include "solver.h"
#include "textutil.h"

// An empty reaction that will parse its formulas with parser.
CReaction::CReaction(const CFormulaParser *parser) : parser(parser) {}

// Frees the entries and the row list record; the rows belong to the list.
CReaction::~CReaction() {
    delete[] reactants;
    if (rowList != nullptr) {
        delete[] rowList->rows;
        delete rowList;
    }
}

// Takes the product, its ratio and the list's rows (copied into entries);
// the reaction owns rowList from now on.
int CReaction::SetInput(const char *productFormula, double productRatio, LedraRowList *list) {
    if (rowList != nullptr && rowList != list) {
        delete[] rowList->rows;
        delete rowList;
    }
    delete[] reactants;
    reactants = nullptr;

    product.formula = productFormula;
    product.ratio = productRatio;
    product.composition.Clear();
    product.molarMass = 0.0;
    rowList = list;
    reactantCount = 0;
    fixedCount = 0;
    if (list == nullptr) return 0;

    reactantCount = list->count > 0 ? list->count : 0;
    fixedCount = list->fixedCount;
    if (reactantCount > 0) reactants = new ReactionEntry[reactantCount];
    for (int i = 0; i < reactantCount; ++i) {
        const LedraRow *row = list->rows != nullptr ? list->rows[i] : nullptr;
        if (row == nullptr) continue;
        reactants[i].formula = row->formula;
        reactants[i].fixed = row->fixed;
        reactants[i].ratio = row->ratio;
    }
    return 0;
}

// The product's composition; 1 when its formula fails Check or has none.
int CReaction::ComputeProductComposition(int includedOnly) {
    product.composition.Clear();
    if (parser == nullptr) return 1;
    CFormulaNode *tree = nullptr;
    if (parser->Check(product.formula, &tree) != 0) return 1;
    int result = parser->GetComposition(includedOnly, 1.0, tree, product.composition);
    delete tree;
    if (result != 0) {
        product.composition.Clear();
        return 1;
    }
    return 0;
}

// Every reactant's composition, optionally projected onto the product's
// element list. On failure every reactant composition is left empty.
int CReaction::ComputeReactantCompositions(int includedOnly, int projectOntoProduct, int *failingIndex) {
    for (int i = 0; i < reactantCount; ++i) reactants[i].composition.Clear();
    for (int i = 0; i < reactantCount; ++i) {
        CFormulaNode *tree = nullptr;
        int failure = 0;
        if (parser == nullptr || parser->Check(reactants[i].formula, &tree) != 0) {
            failure = 1;
        } else if (parser->GetComposition(includedOnly, 1.0, tree, reactants[i].composition) != 0) {
            failure = 2;
        }
        delete tree;
        if (failure != 0) {
            for (int k = 0; k < reactantCount; ++k) reactants[k].composition.Clear();
            if (failingIndex != nullptr) *failingIndex = i;
            return failure;
        }
        if (projectOntoProduct) reactants[i].composition.Project(product.composition);
    }
    return 0;
}

// Optional automatic ratios, then every composition over all elements and
// the molar masses.
int CReaction::RunCalculation(int autoRatio) {
    if (autoRatio && RunAutoRatio() != 0) return 1;
    if (ComputeProductComposition(0) != 0) return 2;
    int failingIndex = 0;
    if (ComputeReactantCompositions(0, 0, &failingIndex) != 0) return 3;
    product.molarMass = MolarMass(product.composition);
    for (int i = 0; i < reactantCount; ++i) reactants[i].molarMass = MolarMass(reactants[i].composition);
    return 0;
}

// Solves the Unfixed reactants' ratios from the balance of the included
// product elements and writes them into the list's rows.
int CReaction::RunAutoRatio() {
    if (ComputeProductComposition(1) != 0) return 1;
    int failingIndex = 0;
    if (ComputeReactantCompositions(1, 1, &failingIndex) != 0) return 3;
    if (SolveRatios() != 0) return 4;
    WriteBackRatios();
    return 0;
}

// Builds the element balance (one row per product element, one column per
// Unfixed reactant, then the right-hand side) and solves it. The Unfixed
// reactants receive the solution; on failure no ratio changes.
int CReaction::SolveRatios() {
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
    if (!lastSolve.Solved()) return 1;

    column = 0;
    for (int i = 0; i < reactantCount; ++i) {
        if (reactants[i].fixed == 0) reactants[i].ratio = x[static_cast<size_t>(column++)];
    }
    return 0;
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
            text = elementTable.Symbol(solveRows[static_cast<size_t>(lastSolve.row)]);
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

// Every reactant's ratio into the list row it came from.
void CReaction::WriteBackRatios() {
    if (rowList == nullptr || rowList->rows == nullptr) return;
    for (int i = 0; i < reactantCount; ++i) {
        LedraRow *row = rowList->rows[i];
        if (row != nullptr) row->ratio = reactants[i].ratio;
    }
}

// Marks every Unfixed row of the list as undetermined ("?").
void CReaction::MarkUndetermined() {
    if (rowList == nullptr || rowList->rows == nullptr) return;
    for (int i = 0; i < reactantCount; ++i) {
        LedraRow *row = rowList->rows[i];
        if (row != nullptr && row->fixed == 0) row->ratio = UNDETERMINED_RATIO;
    }
}

// The element amounts the reactants bring beyond the product, per formula
// unit of product: symbol and trimmed amount per element, no separators.
CString CReaction::GetDifferential() const {
    Composition sum;
    for (int i = 0; i < reactantCount; ++i) {
        double factor = reactants[i].ratio / product.ratio;
        sum.Add(reactants[i].composition.ScaledCopy(factor));
    }
    sum.Subtract(product.composition);

    CString text;
    for (int i = 0; i < sum.count; ++i) {
        int element = sum.elements[i];
        if (element >= 0 && element < elementTable.Count()) text += elementTable.Symbol(element);
        text += NumberText(sum.amounts[i]).c_str();
    }
    return text;
}
