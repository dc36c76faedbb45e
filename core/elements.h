// The element table: symbol, atomic mass, metal/non-metal class and the
// inclusion flag of every element the program knows, read once from
// ATOMS.LST. Elements are identified everywhere by their 0-based index.
#ifndef QUILLON_CHEM_ELEMENTS_H
#define QUILLON_CHEM_ELEMENTS_H

const int MAX_ELEMENTS = 120;

class CElementTable {
public:
    CElementTable();

    // Reads an element data file. Returns the number of elements loaded, or
    // -1 cannot open, -2 read error, -3 bad symbol, or a mass that is not a
    // positive finite plain decimal followed only by the class mark,
    // -4 more than MAX_ELEMENTS element lines.
    int Load(const char *path);
    // After a failed Load: the line it failed at (from 1), or 0.
    int FailingLine() const { return failingLine; }

    // Index of the element whose symbol equals symbol exactly, or -1.
    int Lookup(const char *symbol) const;

    int Count() const { return count; }
    const char *Symbol(int i) const { return symbol[i]; }
    double Mass(int i) const { return mass[i]; }
    int metal(int i) const { return metalFlag[i]; }
    int included(int i) const { return includedFlag[i]; }

    void SetIncluded(int i, int value);
    void ResetInclusion();  // included := metal, for every element
    void IncludeAll();

private:
    int count;
    int failingLine;
    char symbol[MAX_ELEMENTS][4];
    double mass[MAX_ELEMENTS];
    int metalFlag[MAX_ELEMENTS];
    int includedFlag[MAX_ELEMENTS];
    // The sorted index: symbols in ascending strcmp order, each packed into
    // one integer whose order equals strcmp order, with its element index.
    unsigned sortedKey[MAX_ELEMENTS];
    int sortedElement[MAX_ELEMENTS];
    void BuildSortedIndex();
};

// The one process-wide element table.
extern CElementTable elementTable;

// elementTable.Lookup as a plain function: the formula parser's symbol lookup.
int LookupElement(const char *symbol);

#endif
