// One calculation: the product and its starting materials (reactants) with
// their ratios, compositions, molar masses and the differential.
#ifndef QUILLON_CORE_REACTION_H
#define QUILLON_CORE_REACTION_H

#include <vector>

#include "framework/afxstr.h"
#include "formula.h"
#include "solver.h"

struct ReactionEntry {
    CString formula;
    int fixed = 0;        // reactants: 1 = ratio given, 0 = ratio to be determined
    double ratio = 1.0;
    double molarMass = 0.0;
    Composition composition;
};

// A starting material as the reaction takes it.
struct ReactantInput {
    CString formula;
    int fixed = 0;        // 1 = ratio given, 0 = ratio to be determined
    double ratio = 1.0;
};

// How reading the formulas of a reaction ended.
enum class CompositionResult {
    Done,
    Invalid,        // the formula fails the parser's Check
    NoComposition,  // the formula parses but has no composition (an infinite amount)
};

// How a calculation or an automatic ratio ended.
enum class ReactionResult {
    Done,
    NotSolved,      // the ratios cannot be determined (SolveFailure says why)
    ProductFails,   // the product formula does not read
    ReactantFails,  // a starting material's formula does not read
};

class CReaction {
public:
    // A reaction that reads its formulas with parser (kept by its owner for
    // the reaction's life) and, when it determines ratios, balances the
    // elements of selection.
    CReaction(const CFormulaParser &parser, const ElementSelection &selection);
    ~CReaction();

    // Takes the product and the starting materials.
    void SetInput(const char *productFormula, double productRatio, const std::vector<ReactantInput> &reactants);

    CompositionResult ComputeProductComposition(bool selectedOnly);
    // On failure *failingIndex names the starting material.
    CompositionResult ComputeReactantCompositions(bool selectedOnly, bool projectOntoProduct, int *failingIndex);
    // The ratios first with autoRatio (NotSolved when they cannot be
    // determined), then every composition and molar mass.
    ReactionResult RunCalculation(bool autoRatio);
    // Determines the ratios of the starting materials to be determined.
    ReactionResult RunAutoRatio();
    bool SolveRatios();  // false: no ratio changed; SolveFailure says why
    // Why the last SolveRatios failed, as a sentence naming the element that
    // cannot be balanced or the starting materials that depend on each other;
    // empty when it succeeded or did not run.
    CString SolveFailure() const;

    // Every starting material's ratio, in input order (solved ones included).
    std::vector<double> Ratios() const;
    CString GetDifferential() const;

    const CFormulaParser &Parser() const { return parser; }
    const ElementSelection &Selection() const { return selection; }
    int ReactantCount() const { return reactantCount; }
    int FixedCount() const { return fixedCount; }
    CString ProductFormula() const { return product.formula; }
    double ProductRatio() const { return product.ratio; }
    double ProductMolarMass() const { return product.molarMass; }
    CString ReactantFormula(int i) const { return reactants[i].formula; }
    double ReactantRatio(int i) const { return reactants[i].ratio; }
    double ReactantMolarMass(int i) const { return reactants[i].molarMass; }
    int ReactantFixed(int i) const { return reactants[i].fixed; }
    const Composition &ProductComposition() const { return product.composition; }
    const Composition &ReactantComposition(int i) const { return reactants[i].composition; }

private:
    CReaction(const CReaction &) = delete;
    CReaction &operator=(const CReaction &) = delete;

    const CFormulaParser &parser;
    const ElementSelection selection;
    ReactionEntry product;
    int reactantCount = 0;
    int fixedCount = 0;
    ReactionEntry *reactants = nullptr;
    bool solveRan = false;
    SolveResult lastSolve;       // of the last SolveRatios, when solveRan
    std::vector<int> solveRows;  // element index of each balance row
    std::vector<int> solveColumns;  // reactant index of each balance column
};

#endif
