// The element table: symbol, atomic mass and metal/non-metal class of every
// element the program knows, read from ATOMS.LST by its owner (the program,
// quillon-cli, a test). Elements are identified everywhere by their 0-based
// index. An element selection says which of them an automatic ratio balances.
#ifndef QUILLON_CORE_ELEMENTS_H
#define QUILLON_CORE_ELEMENTS_H

#include <bitset>

const int MAX_ELEMENTS = 120;

// How loading an element file ended.
enum class ElementLoad {
    Loaded,
    NoElements,  // the file holds no element line
    CannotOpen,
    ReadError,
    BadLine,     // a mass that is not a positive finite plain decimal (or a NUL byte)
    TooMany,     // more than MAX_ELEMENTS element lines
    BadSymbol,   // no symbol, or one longer than 3 characters
    BadMark,     // after the mass and its blanks something other than the class mark m (or M)
    LineTooLong, // a line longer than 1 MiB (textutil.h)
    FileTooLarge,  // the file goes on past 16 MiB
};

class CElementTable {
public:
    CElementTable();

    // Reads an element data file; Count() then says how many loaded.
    ElementLoad Load(const char *path);
    // After a failed Load: the line it failed at (from 1), or 0 (no
    // elements, cannot open).
    int FailingLine() const { return failingLine; }

    // Index of the element whose symbol equals symbol exactly, or -1.
    int Lookup(const char *symbol) const;

    int Count() const { return count; }
    const char *Symbol(int i) const { return symbol[i]; }
    double Mass(int i) const { return mass[i]; }
    int metal(int i) const { return metalFlag[i]; }

private:
    int count;
    int failingLine;
    char symbol[MAX_ELEMENTS][4];
    double mass[MAX_ELEMENTS];
    int metalFlag[MAX_ELEMENTS];
    // The sorted index: symbols in ascending strcmp order, each packed into
    // one integer whose order equals strcmp order, with its element index.
    unsigned sortedKey[MAX_ELEMENTS];
    int sortedElement[MAX_ELEMENTS];
    void BuildSortedIndex();
};

// Which elements take part in the balance of an automatic ratio: a value the
// selection dialog returns and the commands pass on. Empty by default.
class ElementSelection {
public:
    // The default selection: the metals of table.
    static ElementSelection Metals(const CElementTable &table);
    // Every element of table.
    static ElementSelection All(const CElementTable &table);

    bool Includes(int element) const {
        return element >= 0 && element < MAX_ELEMENTS && included.test(static_cast<size_t>(element));
    }
    void Set(int element, bool include) {
        if (element >= 0 && element < MAX_ELEMENTS) included.set(static_cast<size_t>(element), include);
    }
    bool operator==(const ElementSelection &other) const { return included == other.included; }

private:
    std::bitset<MAX_ELEMENTS> included;
};

#endif
