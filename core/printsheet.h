// The weighing sheet as it goes on paper for the lab record: the header
// fields (sample ID, date, operator, product, balance, and the pipette when
// the sheet has volumes), one row per starting material with its mass
// rounded to the balance's readability and a mark on the rows the balance
// cannot weigh well (and its volume rounded to the pipette's, marked the same
// way), and the total. Only what is
// printed is decided here; the program draws it. Portable: no Windows headers.
#ifndef QUILLON_CORE_PRINTSHEET_H
#define QUILLON_CORE_PRINTSHEET_H

#include <utility>
#include <vector>

#include "decimal.h"
#include "framework/afxstr.h"

struct WeighingSheet;

// The most decimals a readability or minimum weight may have (1 microgram).
const int MAX_BALANCE_DECIMALS = 6;
// The most grams a readability or minimum weight may be.
const int MAX_BALANCE_GRAMS = 1000;

// Reads a balance setting: a positive plain decimal ("0.0001", "0.002") of
// at most MAX_BALANCE_DECIMALS decimals and at most MAX_BALANCE_GRAMS g;
// blanks around it are allowed; trailing zeros of the decimals are dropped.
// False, and *grams untouched, for anything else. Masses are rounded to it
// with RoundToMultiple. The one rule of the Balance dialog and quillon-cli,
// for the pipette's settings (in mL) as well.
bool ReadBalanceGrams(const char *text, Decimal *grams);

// What the chemist set for printing. An empty minimum weight (units 0)
// means 100 times the readability; an empty pipette readability 0.01 mL, an
// empty minimum volume 10 times the pipette readability.
struct PrintSettings {
    CString operatorName;
    Decimal readability;
    Decimal minimumWeight;
    Decimal pipetteReadability;  // mL
    Decimal minimumVolume;       // mL
};

// The pipette readability when none is set: 0.01 mL.
const Decimal PIPETTE_READABILITY_DEFAULT{1, 2};

// One printed row: number from 1, formula, molar mass as the sheet shows
// it, mass rounded to the balance; warned when the mass is below the
// balance's minimum weight (negative masses included); the volume to
// dispense rounded to the pipette, warned when above 0 mL but below the
// minimum volume (empty for a row that is weighed).
struct PrintedRow {
    CString number;
    CString formula;
    CString molarMass;
    CString mass;
    bool warned = false;
    CString volume;
    bool volumeWarned = false;
};

struct PrintedSheet {
    bool volumes = false;  // the sheet shows volumes: PRINT_VOLUME_COLUMNS, else PRINT_COLUMNS
    std::vector<std::pair<CString, CString>> fields;  // label and value, in printing order
    std::vector<PrintedRow> rows;
    CString total;               // the sum of the unrounded masses, rounded to the balance
    std::vector<CString> bottles;  // under the table: "BaCO3: bottle <BottleText>." per row from the shelf
    std::vector<CString> notes;  // what the marks mean, the negative masses
};

// The table's column headings, in order: without volumes, and with them
// (the volume and its mark after the mass and its mark).
extern const char *const PRINT_COLUMNS[7];
extern const char *const PRINT_VOLUME_COLUMNS[9];
// The mark of a warned mass or volume.
extern const char *const PRINT_WARNING_MARK;

enum class PrintSheetStatus { Ready, NotRoundable, VolumeNotRoundable };

// The printed form of a sheet, dated date (as the program formats it).
// NotRoundable when a mass or the total cannot be rounded to the balance,
// VolumeNotRoundable when a volume cannot be rounded to the pipette
// (RoundToMultiple); *out is then incomplete.
PrintSheetStatus MakePrintedSheet(const WeighingSheet &sheet, const PrintSettings &settings, const char *date,
                                  PrintedSheet *out);

#endif
