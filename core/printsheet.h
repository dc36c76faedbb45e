// The weighing sheet as it goes on paper for the lab record: the header
// fields (sample ID, date, operator, product, balance), one row per starting
// material with its mass rounded to the balance's readability and a mark on
// the rows the balance cannot weigh well, and the total. Only what is
// printed is decided here; the program draws it. Portable: no Windows headers.
#ifndef QUILLON_REPORT_PRINTSHEET_H
#define QUILLON_REPORT_PRINTSHEET_H

#include <utility>
#include <vector>

#include "framework/afxstr.h"

struct WeighingSheet;

// A mass in grams kept exactly as the decimal the chemist typed:
// units / 10^decimals grams ("0.0001" is 1 unit at 4 decimals).
struct DecimalGrams {
    long long units = 0;
    int decimals = 0;
    double Grams() const;
    CString Text() const;  // with all its decimals: "0.0100"
};

// The most decimals a readability or minimum weight may have (1 microgram).
const int MAX_BALANCE_DECIMALS = 6;

// Reads a balance setting: a positive plain decimal ("0.0001", "0.002") of
// at most MAX_BALANCE_DECIMALS decimals and at most 1000 g; blanks around
// it are allowed; trailing zeros of the decimals are dropped. False, and
// *grams untouched, for anything else.
bool ReadBalanceGrams(const char *text, DecimalGrams *grams);

// grams rounded to the nearest whole multiple of the readability (halves
// away from zero), at the readability's decimals: 1.11898 at 0.0001 gives
// 1.1190, at 0.002 gives 1.118. False when grams is not finite or too large
// to round exactly (10^15 of the readability's last digit or more).
bool RoundToBalance(double grams, const DecimalGrams &readability, DecimalGrams *rounded);

// What the chemist set for printing. An empty minimum weight (units 0)
// means 100 times the readability.
struct PrintSettings {
    CString operatorName;
    DecimalGrams readability;
    DecimalGrams minimumWeight;
};

// One printed row: number from 1, formula, molar mass as the sheet shows
// it, mass rounded to the balance; warned when the mass is below the
// balance's minimum weight (negative masses included).
struct PrintedRow {
    CString number;
    CString formula;
    CString molarMass;
    CString mass;
    bool warned = false;
};

struct PrintedSheet {
    std::vector<std::pair<CString, CString>> fields;  // label and value, in printing order
    std::vector<PrintedRow> rows;
    CString total;               // the sum of the unrounded masses, rounded to the balance
    std::vector<CString> notes;  // what the marks mean, the negative masses
};

// The table's column headings, in order.
extern const char *const PRINT_COLUMNS[7];
// The mark of a warned row.
extern const char *const PRINT_WARNING_MARK;

enum class PrintSheetStatus { Ready, NotRoundable };

// The printed form of a sheet, dated date (as the program formats it).
// NotRoundable when a mass or the total cannot be rounded to the balance
// (RoundToBalance); *out is then incomplete.
PrintSheetStatus MakePrintedSheet(const WeighingSheet &sheet, const PrintSettings &settings, const char *date,
                                  PrintedSheet *out);

#endif
