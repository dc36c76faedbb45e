// Chemical formulas: the validity test, the formula tree and compositions.
//
// A formula is a sequence of items to the end of the text: an element symbol
// (one upper-case letter and up to two lower-case letters, found whole in the
// element table) or a parenthesised group, each optionally followed by a
// count as strtod reads it. Parentheses nest to any depth.
//
// Hydrates and adducts: a separator, the middle dot or "*", starts a new
// part, and a count written right after it (digits or a point first: no
// blank, no sign) multiplies everything up to the next separator or the end.
// CuSO4·5H2O and CuSO4*5H2O both mean CuSO4(H2O)5. A separator first,
// last or twice in a row, a count with nothing after it, and a separator
// inside parentheses make the formula invalid. The period is never a
// separator: it belongs to the count before it, so CuSO4.5H2O is Cu S O4.5
// H2 O (O 5.5, H 2), a decimal count like any other.
//
// The middle dot is stored as the program types it, the single byte 0xB7
// of Windows-1252; that is its form in calculation files, report files and
// the formula editor. The parser also reads the UTF-8 spelling C2 B7 (a
// terminal or a text file on Linux) as the same separator; nothing else
// reads as one. StoredFormulaText turns the UTF-8 spelling into the stored
// form, as the calculation-file reader does.
#ifndef QUILLON_CORE_FORMULA_H
#define QUILLON_CORE_FORMULA_H

#include <cstddef>
#include <string>

#include "elements.h"

// The middle dot as stored (Windows-1252).
const char FORMULA_MIDDLE_DOT = '\xB7';

// The length of the separator that starts at text: 1 for "*" and the stored
// middle dot, 2 for the UTF-8 middle dot, 0 for anything else.
inline size_t FormulaSeparatorLength(const char *text) {
    if (*text == '*' || *text == FORMULA_MIDDLE_DOT) return 1;
    return static_cast<unsigned char>(text[0]) == 0xC2 && text[1] == FORMULA_MIDDLE_DOT ? 2 : 0;
}

// text with every UTF-8 middle dot (C2 B7) made the stored byte 0xB7.
std::string StoredFormulaText(const char *text);

// Tells, character by character in text order, which characters of a
// formula are set as subscripts: every character but letters, parentheses,
// separators and the leading count of a part (the 5 of CuSO4·5H2O is a
// coefficient at full size; its 4 and 2 are subscripts).
class FormulaSubscripts {
public:
    bool Next(char c) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '*' || c == FORMULA_MIDDLE_DOT) {
            leading = true;
            return false;
        }
        if (leading && ((u >= '0' && u <= '9') || c == '.')) return false;
        leading = false;
        return !((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '(' || c == ')');
    }

private:
    bool leading = false;  // in the digits right after a separator
};

// Sums of compositions (Add, Subtract: the differential) drop the amounts
// below this in absolute value, what is left of amounts that cancel.
const double COMPOSITION_TOLERANCE = 5e-6;

// Element amounts of one formula, elements in strictly ascending index order.
// Owns its arrays. A formula's composition lists every element whose amount
// is not zero, however small (Cr0.000004 is kept); Add and Subtract drop
// amounts below COMPOSITION_TOLERANCE, Accumulate, Project and ScaledCopy
// drop nothing.
struct Composition {
    int count = 0;
    int *elements = nullptr;
    double *amounts = nullptr;

    Composition() = default;
    Composition(const Composition &other);
    Composition &operator=(const Composition &other);
    ~Composition();

    void Clear();
    void Copy(const Composition &other);                // deep copy
    Composition ScaledCopy(double factor) const;        // every amount x factor, nothing dropped
    void Add(const Composition &other);                 // this += other, small amounts dropped
    void Accumulate(const Composition &other);          // this += other, nothing dropped
    void Subtract(const Composition &other);            // this -= other, small amounts dropped
    void Project(const Composition &onto);              // exactly onto's elements, 0 where missing
    double AmountOf(int element) const;                 // 0 for an element it does not hold
};

// A node of a formula tree: a group (kind 0) with children, or an element
// (kind 1). count is the multiplier written after it, 1.0 when none is.
class CFormulaNode {
public:
    enum { GROUP = 0, ELEMENT = 1 };
    CFormulaNode(int kind, int element, double count);
    ~CFormulaNode();  // destroys the whole subtree, at any depth

    int kind;
    int element;      // element nodes: the element index
    double count;

    int ChildCount() const { return childCount; }
    CFormulaNode *Child(int i) const { return children[i]; }
    // Appends a child to a group (the node takes ownership); refused (0)
    // for an element node, 1 otherwise.
    int AppendChild(CFormulaNode *child);

private:
    CFormulaNode(const CFormulaNode &) = delete;
    CFormulaNode &operator=(const CFormulaNode &) = delete;
    int childCount = 0;
    int capacity = 0;
    CFormulaNode **children = nullptr;
};

// The result of CheckComposition for a formula whose counts multiply or add
// up past the largest double.
const int FORMULA_AMOUNT_TOO_LARGE = -3;

// Reads formulas against an element table, which its owner keeps alive for
// as long as the parser.
class CFormulaParser {
public:
    explicit CFormulaParser(const CElementTable &table);
    const CElementTable &Table() const { return table; }

    // 0 valid, -1 unbalanced parentheses (tested first), -2 any other error.
    // With tree non-null and result 0, *tree receives the tree (caller owns it).
    int Check(const char *text, CFormulaNode **tree = nullptr) const;

    // Check, then GetComposition over every element into out: 0 valid,
    // -1 and -2 as Check, FORMULA_AMOUNT_TOO_LARGE when the formula reads but
    // an amount comes out infinite or undefined ((Ba1e200)1e200).
    int CheckComposition(const char *text, Composition &out) const;

    // Builds the tree without the parenthesis test; nullptr on failure.
    CFormulaNode *Parse(const char *text) const;

    // Normalises the tree and fills out with its composition, amounts times
    // scale; only the elements of *only when only is given.
    // 0 success; 1 (out untouched) when the root is missing or not a group,
    // or when an amount comes out infinite or undefined (counts multiplied
    // past the largest double).
    int GetComposition(const ElementSelection *only, double scale, CFormulaNode *tree, Composition &out) const;

private:
    const CElementTable &table;
};

// Sum of amount x atomic mass over the composition, each amount and mass
// read as the shortest decimal of its double, the sum exact and rounded
// once to the nearest double (DecimalSumOfProducts).
double MolarMass(const Composition &composition, const CElementTable &table);

// The first element symbol of text (a capital and up to two small letters)
// that table does not know, such as "Xx" in "Xx2O3"; empty when every
// symbol is known. Says which element makes a formula fail.
std::string FirstUnknownSymbol(const char *text, const CElementTable &table);

#endif
