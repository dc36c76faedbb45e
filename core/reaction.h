// One calculation: the product and its starting materials (reactants) with
// their ratios, compositions, molar masses and the differential.
#ifndef QUILLON_CHEM_REACTION_H
#define QUILLON_CHEM_REACTION_H

#include "quillon/rows.h"
#include "formula.h"
#include "solver.h"

struct ReactionEntry {
    CString formula;
    int fixed = 0;        // reactants: 1 = ratio given, 0 = ratio to be determined
    double ratio = 1.0;
    double molarMass = 0.0;
    Composition composition;
};

class CReaction {
public:
    explicit CReaction(const CFormulaParser *parser);
    ~CReaction();  // frees the entries and the row list record (never the rows)

    // Takes the product and the rows; takes ownership of rowList, which must
    // come from new, with its rows array from new[]. Always 0.
    int SetInput(const char *productFormula, double productRatio, LedraRowList *rowList);

    int ComputeProductComposition(int includedOnly);  // 0, or 1
    // 0, or 1 (a formula fails Check) / 2 (no composition) with *failingIndex.
    int ComputeReactantCompositions(int includedOnly, int projectOntoProduct, int *failingIndex);
    // 0, 1 ratios not determined, 2 product fails, 3 a reactant fails.
    int RunCalculation(int autoRatio);
    // 0, 1 product fails, 3 a reactant fails, 4 ratios cannot be solved.
    int RunAutoRatio();
    int SolveRatios();  // 0 success, 1 failure (no ratio changed; SolveFailure says why)
    // Why the last SolveRatios failed, as a sentence naming the element that
    // cannot be balanced or the starting materials that depend on each other;
    // empty when it succeeded or did not run.
    CString SolveFailure() const;

    void WriteBackRatios();   // every reactant's ratio into its list row
    void MarkUndetermined();  // Unfixed rows' ratios := UNDETERMINED_RATIO
    CString GetDifferential() const;

    const LedraRowList *RowList() const { return rowList; }
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

    const CFormulaParser *parser;
    ReactionEntry product;
    int reactantCount = 0;
    int fixedCount = 0;
    ReactionEntry *reactants = nullptr;
    LedraRowList *rowList = nullptr;
    bool solveRan = false;
    SolveResult lastSolve;       // of the last SolveRatios, when solveRan
    std::vector<int> solveRows;  // element index of each balance row
    std::vector<int> solveColumns;  // reactant index of each balance column
};

#endif
