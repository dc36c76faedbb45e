// Formula texts: reading counts, the validity test, the formula tree and
// compositions.
//
// Formulas may nest parentheses to any depth, so nothing here recurses:
// parsing, normalisation, accumulation and destruction of a tree all keep
// their own explicit stacks.
#include "formula.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "decimal.h"
#include "numbers.h"

namespace {

// A stack that keeps its first N entries in place and only spills to the
// heap for deep nesting, so typical formulas cost no allocation.
template <typename T, int N = 32>
class SmallStack {
public:
    void Push(const T &value) {
        if (size < N) {
            local[size] = value;
        } else {
            spill.push_back(value);
        }
        ++size;
    }
    T &Top() { return size <= N ? local[size - 1] : spill.back(); }
    void Pop() {
        if (size > N) spill.pop_back();
        --size;
    }
    bool Empty() const { return size == 0; }
    size_t Size() const { return size; }

private:
    T local[N];
    std::vector<T> spill;
    size_t size = 0;
};

}  // namespace

// ---------------------------------------------------------------------------
// Formula tree nodes

// A node with no children yet.
CFormulaNode::CFormulaNode(int kind, int element, double count) : kind(kind), element(element), count(count) {}

// Destroys the subtree. Children are collected on an explicit stack and
// stripped of their own children before they are deleted, so no destructor
// ever recurses, however deep the tree.
CFormulaNode::~CFormulaNode() {
    if (childCount == 0) {
        std::free(children);
        return;
    }
    SmallStack<CFormulaNode *> pending;
    for (int i = 0; i < childCount; ++i) pending.Push(children[i]);
    std::free(children);
    children = nullptr;
    childCount = 0;
    while (!pending.Empty()) {
        CFormulaNode *node = pending.Top();
        pending.Pop();
        for (int i = 0; i < node->childCount; ++i) pending.Push(node->children[i]);
        std::free(node->children);
        node->children = nullptr;
        node->childCount = 0;
        delete node;
    }
}

// Appends a child to a group, growing the array in steps of 10 entries (in
// larger steps once it is long, so very wide groups stay linear).
int CFormulaNode::AppendChild(CFormulaNode *child) {
    if (kind == ELEMENT || child == nullptr) return 0;
    if (childCount == capacity) {
        int step = capacity < 100 ? 10 : capacity / 20 * 10;
        CFormulaNode **grown = static_cast<CFormulaNode **>(
            std::realloc(children, sizeof(CFormulaNode *) * static_cast<size_t>(capacity + step)));
        if (grown == nullptr) return 0;
        children = grown;
        capacity += step;
    }
    children[childCount++] = child;
    return 1;
}

// ---------------------------------------------------------------------------
// Parsing

namespace {

// Builds the tree while the parser reads: the open groups are a stack whose
// bottom is the root.
class TreeBuilder {
public:
    explicit TreeBuilder(CFormulaNode *root) { open.Push(root); }
    // Opens a group inside the current one.
    bool OpenGroup() {
        CFormulaNode *group = new (std::nothrow) CFormulaNode(CFormulaNode::GROUP, 0, 1.0);
        if (!Attach(group)) return false;
        open.Push(group);
        return true;
    }
    // Closes the current group; its count follows.
    double *CloseGroup() {
        CFormulaNode *group = open.Top();
        open.Pop();
        return &group->count;
    }
    // Appends an element node; its count follows.
    double *AddElement(int element) {
        CFormulaNode *node = new (std::nothrow) CFormulaNode(CFormulaNode::ELEMENT, element, 1.0);
        return Attach(node) ? &node->count : nullptr;
    }

private:
    bool Attach(CFormulaNode *node) {
        if (node == nullptr) return false;
        if (open.Top()->AppendChild(node)) return true;
        delete node;
        return false;
    }
    SmallStack<CFormulaNode *> open;
};

// Validates without building anything: only the depth of open groups counts.
class DepthCounter {
public:
    bool OpenGroup() { return true; }
    double *CloseGroup() { return &scratch; }
    double *AddElement(int) { return &scratch; }

private:
    double scratch = 1.0;
};

// Reads an optional count into *count (left alone when none is written).
// Returns the position after it, or nullptr when the count overflows.
const char *ReadCount(const char *p, double *count) {
    double value = 1.0;
    const char *end = ReadDecimalNumber(p, &value);
    if (end == p) return p;
    if (value == HUGE_VAL || value == -HUGE_VAL) return nullptr;
    *count = value;
    return end;
}

// Reads the leading count of an adduct part: digits or a point first (no
// blank, no sign), then as any count. Returns the position after it (p when
// there is none), or nullptr when it overflows.
const char *ReadLeadingCount(const char *p, double *count) {
    if ((*p < '0' || *p > '9') && *p != '.') return p;
    return ReadCount(p, count);
}

// Reads the parts of a formula to the end of the text (which closes every
// open group) or to a ")" at the top level. The first part's items go into
// the current group; every part after a separator becomes a group of its
// own whose count is the part's leading count. Returns false on a character
// that cannot start an item, an unknown symbol, an overflowing count, a
// separator inside parentheses, and a part without items (a separator
// first, last or twice, or a leading count with nothing after it).
template <typename Sink>
bool ParseItems(const char *p, const CElementTable &table, Sink &sink) {
    size_t depth = 0;          // parentheses open
    bool inPart = false;       // a part after a separator is open
    bool partEmpty = true;     // no item in the current part yet
    double partCount = 1.0;    // its leading count
    for (;;) {
        char c = *p;
        double *count = nullptr;
        if (c >= 'A' && c <= 'Z') {
            // The symbol: the capital and every following small letter, at
            // most two; the whole symbol must be known.
            char symbol[4] = {c, 0, 0, 0};
            int length = 1;
            ++p;
            while (length < 3 && *p >= 'a' && *p <= 'z') symbol[length++] = *p++;
            int element = table.Lookup(symbol);
            if (element < 0 || element >= MAX_ELEMENTS) return false;
            count = sink.AddElement(element);
            if (count == nullptr) return false;
        } else if (c == '(') {
            ++p;
            ++depth;
            partEmpty = false;
            if (!sink.OpenGroup()) return false;
            continue;
        } else if (c == ')' && depth > 0) {
            ++p;
            --depth;
            count = sink.CloseGroup();
        } else {
            // The end, a ")" at the top level or a separator ends the part.
            // A part that would stay empty, or a separator inside
            // parentheses, fails; the end closes the groups still open.
            size_t separator = FormulaSeparatorLength(p);
            if (separator == 0 && c != 0 && c != ')') return false;
            if ((separator > 0 && (partEmpty || depth > 0)) || (inPart && partEmpty)) return false;
            for (; depth > 0; --depth) sink.CloseGroup();
            if (inPart) *sink.CloseGroup() = partCount;
            if (separator == 0) return true;
            partCount = 1.0;
            p = ReadLeadingCount(p + separator, &partCount);
            if (p == nullptr || !sink.OpenGroup()) return false;
            inPart = true;
            partEmpty = true;
            continue;
        }
        partEmpty = false;
        p = ReadCount(p, count);
        if (p == nullptr) return false;
    }
}

// The parenthesis test: never more ")" than "(" so far, equal at the end.
bool ParenthesesBalance(const char *text) {
    size_t open = 0;
    for (const char *p = text; *p != 0; ++p) {
        if (*p == '(') {
            ++open;
        } else if (*p == ')') {
            if (open == 0) return false;
            --open;
        }
    }
    return open == 0;
}

}  // namespace

// A parser that resolves symbols in table.
CFormulaParser::CFormulaParser(const CElementTable &table) : table(table) {}

// Validity test: parentheses first (-1), then the items (-2).
int CFormulaParser::Check(const char *text, CFormulaNode **tree) const {
    if (tree != nullptr) *tree = nullptr;
    if (text == nullptr) return -2;
    if (!ParenthesesBalance(text)) return -1;
    if (tree == nullptr) {
        DepthCounter counter;
        return ParseItems(text, table, counter) ? 0 : -2;
    }
    CFormulaNode *root = Parse(text);
    if (root == nullptr) return -2;
    *tree = root;
    return 0;
}

// The validity test, then the composition of the tree it gives.
int CFormulaParser::CheckComposition(const char *text, Composition &out) const {
    CFormulaNode *tree = nullptr;
    int result = Check(text, &tree);
    if (result == 0 && GetComposition(nullptr, 1.0, tree, out) != 0) result = FORMULA_AMOUNT_TOO_LARGE;
    delete tree;
    return result;
}

// Builds the tree of a formula: a root group holding the top-level items.
CFormulaNode *CFormulaParser::Parse(const char *text) const {
    if (text == nullptr) return nullptr;
    CFormulaNode *root = new (std::nothrow) CFormulaNode(CFormulaNode::GROUP, 0, 1.0);
    if (root == nullptr) return nullptr;
    TreeBuilder builder(root);
    if (!ParseItems(text, table, builder)) {
        delete root;
        return nullptr;
    }
    return root;
}

// ---------------------------------------------------------------------------
// Compositions of trees

namespace {

// Below this, whole numbers and their sums and products are exact doubles.
const double EXACT_WHOLE = 9007199254740992.0;  // 2^53

bool IsSmallWhole(double value) { return std::fabs(value) < EXACT_WHOLE && value == std::floor(value); }

// count x factor as the counts are written: exact over their decimals and
// rounded once ((Sr0.1)3 gives the double of 0.3, not 0.30000000000000004).
// Whole numbers and halves multiply exactly as doubles.
double CountProduct(double count, double factor) {
    if (factor == 1.0 || (IsSmallWhole(count) && IsSmallWhole(factor) && IsSmallWhole(count * factor)) ||
        factor == 0.5 || count == 0.5)
        return count * factor;
    return DecimalSumOfProducts(&count, &factor, 1);
}

// Moves a group's count down onto its children and sets it to 1.0.
void NormaliseGroup(CFormulaNode *group) {
    double factor = group->count;
    group->count = 1.0;
    for (int i = 0; i < group->ChildCount(); ++i) group->Child(i)->count = CountProduct(group->Child(i)->count, factor);
}

const int AMOUNT_WORDS = (MAX_ELEMENTS + 63) / 64;

// An element's amount that is no larger than this times the sum of its
// contributions' magnitudes is what rounding leaves of contributions that
// cancel (H0.1(H-0.1)3 gives 5.6e-17 of H): it counts as zero. Any amount
// the counts give on purpose, however small, is far above it.
const double CANCELLATION = 64 * DBL_EPSILON;

// Per-element sums of one tree, with CANCELLATION times the sum of the
// contributions' magnitudes (scaled as they are added, so that it stays
// finite wherever the amount does); only the elements that occur are touched.
// A sum of whole numbers is exact in doubles; any other sum of several
// contributions is made again from them, exactly over their decimals
// (Exact), so that O0.1O0.2 holds the double of 0.3.
struct AmountTable {
    double amount[MAX_ELEMENTS];
    double slack[MAX_ELEMENTS];
    bool inexact[MAX_ELEMENTS];
    uint64_t seen[AMOUNT_WORDS] = {};
    std::vector<std::pair<int, double>> contributions;

    void Add(int element, double value) {
        uint64_t bit = uint64_t(1) << (element % 64);
        uint64_t &word = seen[element / 64];
        contributions.push_back(std::make_pair(element, value));
        if (word & bit) {
            amount[element] += value;
            slack[element] += CANCELLATION * std::fabs(value);
            inexact[element] = inexact[element] || !IsSmallWhole(value) || !IsSmallWhole(amount[element]);
        } else {
            word |= bit;
            amount[element] = 0.0 + value;
            slack[element] = CANCELLATION * std::fabs(value);
            inexact[element] = false;  // one contribution is its own sum
        }
    }
    // Sums again, exactly, every amount the doubles may have rounded.
    void Exact() {
        std::vector<double> values, ones;
        for (int element = 0; element < MAX_ELEMENTS; ++element) {
            if (!(seen[element / 64] & (uint64_t(1) << (element % 64))) || !inexact[element] ||
                !std::isfinite(amount[element]))
                continue;
            values.clear();
            for (const auto &c : contributions) {
                if (c.first == element) values.push_back(c.second);
            }
            ones.assign(values.size(), 1.0);
            amount[element] = DecimalSumOfProducts(values.data(), ones.data(), values.size());
        }
    }
    // Whether the element's amount is listed: not zero, and not only what
    // is left of contributions that cancel.
    bool Listed(int element) const {
        return std::fabs(amount[element]) > slack[element];
    }
};

// Index of the lowest set bit of a non-zero word.
int LowestBit(uint64_t word) {
#if defined(__GNUC__)
    return __builtin_ctzll(word);
#else
    int i = 0;
    while (!(word & 1)) {
        word >>= 1;
        ++i;
    }
    return i;
#endif
}

}  // namespace

// Normalises the tree (every group count moved down onto the elements) and
// sums each element's counts in text order, then lists the elements whose
// amount is not zero, in ascending index order, times scale. Every amount
// the counts give is kept, a trace at 1e-9 as well as a major element; only
// contributions that cancel (H2H-2) leave nothing.
int CFormulaParser::GetComposition(const ElementSelection *only, double scale, CFormulaNode *tree, Composition &out) const {
    if (tree == nullptr || tree->kind != CFormulaNode::GROUP) return 1;

    struct Frame {
        CFormulaNode *group;
        int next;
    };
    AmountTable table;
    SmallStack<Frame> frames;
    NormaliseGroup(tree);
    frames.Push(Frame{tree, 0});
    bool valid = true;
    while (!frames.Empty()) {
        Frame &frame = frames.Top();
        if (frame.next == frame.group->ChildCount()) {
            frames.Pop();
            continue;
        }
        CFormulaNode *child = frame.group->Child(frame.next++);
        if (child->kind == CFormulaNode::ELEMENT) {
            if (child->element < 0 || child->element >= MAX_ELEMENTS) {
                valid = false;  // not an element of any table
                continue;
            }
            table.Add(child->element, child->count);
        } else {
            NormaliseGroup(child);
            frames.Push(Frame{child, 0});
        }
    }
    if (!valid) return 1;
    table.Exact();

    // An infinite or undefined amount (counts multiplied past the largest
    // double) has no composition: it would only give infinite masses.
    int listed = 0;
    for (int w = 0; w < AMOUNT_WORDS; ++w) {
        for (uint64_t bits = table.seen[w]; bits != 0; bits &= bits - 1) {
            int element = w * 64 + LowestBit(bits);
            double amount = table.amount[element];
            if (!std::isfinite(amount)) return 1;
            if (table.Listed(element) && (only == nullptr || only->Includes(element))) ++listed;
        }
    }

    out.Clear();
    if (listed == 0) return 0;
    out.elements = new int[listed];
    out.amounts = new double[listed];
    for (int w = 0; w < AMOUNT_WORDS; ++w) {
        for (uint64_t bits = table.seen[w]; bits != 0; bits &= bits - 1) {
            int element = w * 64 + LowestBit(bits);
            double amount = table.amount[element];
            if (table.Listed(element) && (only == nullptr || only->Includes(element))) {
                out.elements[out.count] = element;
                out.amounts[out.count] = amount * scale;
                ++out.count;
            }
        }
    }
    return 0;
}

// Sum of amount x atomic mass, exact over the decimals of both and rounded
// once, so that a molar mass whose exact value is a short decimal is the
// double nearest it (BaCO3 197.335, not 197.33499999999998).
double MolarMass(const Composition &composition, const CElementTable &table) {
    std::vector<double> amounts, masses;
    for (int i = 0; i < composition.count; ++i) {
        int element = composition.elements[i];
        if (element >= 0 && element < MAX_ELEMENTS) {
            amounts.push_back(composition.amounts[i]);
            masses.push_back(table.Mass(element));
        }
    }
    return DecimalSumOfProducts(amounts.data(), masses.data(), amounts.size());
}

// ---------------------------------------------------------------------------
// Compositions

namespace {

// Gives a composition arrays for n entries (none for n = 0), count 0.
void Allocate(Composition &c, int n) {
    c.count = 0;
    c.elements = n > 0 ? new int[n] : nullptr;
    c.amounts = n > 0 ? new double[n] : nullptr;
}

// a := a + sign x b over the union of both element lists, as a dense table
// over all elements would give it (an element only b lists starts from 0),
// keeping the amounts of at least tolerance in absolute value.
void Combine(Composition &a, const Composition &b, double sign, double tolerance) {
    Composition result;
    Allocate(result, a.count + b.count);
    int i = 0;
    int j = 0;
    while (i < a.count || j < b.count) {
        int element;
        double amount;
        if (j == b.count || (i < a.count && a.elements[i] < b.elements[j])) {
            element = a.elements[i];
            amount = a.amounts[i++];
        } else if (i == a.count || b.elements[j] < a.elements[i]) {
            element = b.elements[j];
            amount = sign > 0 ? 0.0 + b.amounts[j++] : 0.0 - b.amounts[j++];
        } else {
            element = a.elements[i];
            amount = sign > 0 ? a.amounts[i++] + b.amounts[j++] : a.amounts[i++] - b.amounts[j++];
        }
        if (std::fabs(amount) >= tolerance) {
            result.elements[result.count] = element;
            result.amounts[result.count] = amount;
            ++result.count;
        }
    }
    a.Clear();
    a.count = result.count;
    a.elements = result.elements;
    a.amounts = result.amounts;
    result.count = 0;
    result.elements = nullptr;
    result.amounts = nullptr;
}

}  // namespace

// A deep copy of other.
Composition::Composition(const Composition &other) {
    Copy(other);
}

// Replaces this composition by a deep copy of other.
Composition &Composition::operator=(const Composition &other) {
    if (this != &other) Copy(other);
    return *this;
}

Composition::~Composition() {
    Clear();
}

// Frees both arrays; nothing is listed afterwards.
void Composition::Clear() {
    delete[] elements;
    delete[] amounts;
    elements = nullptr;
    amounts = nullptr;
    count = 0;
}

// Makes this a deep copy of other (same elements, same amounts).
void Composition::Copy(const Composition &other) {
    if (this == &other) return;
    int n = other.count;
    int *newElements = n > 0 ? new int[n] : nullptr;
    double *newAmounts = n > 0 ? new double[n] : nullptr;
    for (int i = 0; i < n; ++i) {
        newElements[i] = other.elements[i];
        newAmounts[i] = other.amounts[i];
    }
    Clear();
    count = n;
    elements = newElements;
    amounts = newAmounts;
}

// The same elements with every amount multiplied by factor; nothing dropped.
Composition Composition::ScaledCopy(double factor) const {
    Composition result;
    Allocate(result, count);
    for (int i = 0; i < count; ++i) {
        result.elements[i] = elements[i];
        result.amounts[i] = amounts[i] * factor;
    }
    result.count = count;
    return result;
}

// this += other; negligible amounts are dropped.
void Composition::Add(const Composition &other) {
    Composition copy;
    Combine(*this, this == &other ? copy = other : other, 1.0, COMPOSITION_TOLERANCE);
}

// this += other; every amount is kept, zeros included.
void Composition::Accumulate(const Composition &other) {
    Composition copy;
    Combine(*this, this == &other ? copy = other : other, 1.0, 0.0);
}

// this -= other; negligible amounts are dropped.
void Composition::Subtract(const Composition &other) {
    Composition copy;
    Combine(*this, this == &other ? copy = other : other, -1.0, COMPOSITION_TOLERANCE);
}

// Lists exactly onto's elements: this composition's amount for each of
// them, 0 where it has none; its other elements are dropped.
double Composition::AmountOf(int element) const {
    for (int k = 0; k < count; ++k)
        if (elements[k] == element) return amounts[k];
    return 0.0;
}

void Composition::Project(const Composition &onto) {
    Composition result;
    Allocate(result, onto.count);
    int i = 0;
    for (int j = 0; j < onto.count; ++j) {
        int element = onto.elements[j];
        while (i < count && elements[i] < element) ++i;
        result.elements[j] = element;
        result.amounts[j] = (i < count && elements[i] == element) ? amounts[i] : 0.0;
    }
    result.count = onto.count;
    Clear();
    count = result.count;
    elements = result.elements;
    amounts = result.amounts;
    result.count = 0;
    result.elements = nullptr;
    result.amounts = nullptr;
}

// The first symbol the table does not know, read as the parser reads symbols.
std::string FirstUnknownSymbol(const char *text, const CElementTable &table) {
    for (const char *p = text; p != nullptr && *p != 0;) {
        if (*p < 'A' || *p > 'Z') {
            ++p;
            continue;
        }
        char symbol[4] = {*p++, 0, 0, 0};
        for (int length = 1; length < 3 && *p >= 'a' && *p <= 'z';) symbol[length++] = *p++;
        int element = table.Lookup(symbol);
        if (element < 0 || element >= MAX_ELEMENTS) return symbol;
    }
    return std::string();
}

// Each UTF-8 middle dot becomes the single byte the program stores.
std::string StoredFormulaText(const char *text) {
    std::string stored;
    for (const char *p = text; p != nullptr && *p != 0; ++p) {
        if (static_cast<unsigned char>(p[0]) == 0xC2 && p[1] == FORMULA_MIDDLE_DOT) continue;
        stored += *p;
    }
    return stored;
}
