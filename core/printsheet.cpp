#include "printsheet.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "sheet.h"
#include "textutil.h"

namespace {

const long long POWERS_OF_TEN[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
// Below this many units a double holds every whole number of them exactly.
const double MAX_UNITS = 1e15;

}  // namespace

const char *const PRINT_COLUMNS[7] = {"#", "Starting material", "Molar mass (g/mol)", "Mass (g)", "",
                                      "Weighed (g)", "Done"};
const char *const PRINT_WARNING_MARK = "!";

double DecimalGrams::Grams() const { return double(units) / double(POWERS_OF_TEN[decimals]); }

CString DecimalGrams::Text() const {
    long long magnitude = units < 0 ? -units : units;
    long long scale = POWERS_OF_TEN[decimals];
    CString text;
    if (decimals == 0)
        text.Format("%s%lld", units < 0 ? "-" : "", magnitude);
    else
        text.Format("%s%lld.%0*lld", units < 0 ? "-" : "", magnitude / scale, decimals, magnitude % scale);
    return text;
}

bool ReadBalanceGrams(const char *text, DecimalGrams *grams) {
    const char *p = text;
    while (*p == ' ' || *p == '\t') ++p;
    long long units = 0;
    int decimals = -1;  // -1 until the decimal point
    int digits = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)) || (*p == '.' && decimals < 0); ++p) {
        if (*p == '.') {
            decimals = 0;
            continue;
        }
        if (decimals >= MAX_BALANCE_DECIMALS || units > 1000000000000LL) return false;
        units = units * 10 + (*p - '0');
        ++digits;
        if (decimals >= 0) ++decimals;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != 0 || digits == 0 || units == 0) return false;
    DecimalGrams read{units, decimals < 0 ? 0 : decimals};
    while (read.decimals > 0 && read.units % 10 == 0) {  // "0.010" is the readability 0.01
        read.units /= 10;
        --read.decimals;
    }
    if (read.Grams() > 1000.0) return false;
    *grams = read;
    return true;
}

bool RoundToBalance(double grams, const DecimalGrams &readability, DecimalGrams *rounded) {
    double steps = grams / readability.Grams();
    if (!std::isfinite(steps) || std::fabs(steps) * double(readability.units) >= MAX_UNITS) return false;
    // The quotient is rounded to double before the whole steps are taken:
    // grams exactly halfway (to the double) round away from zero.
    long long whole = std::llround(steps);
    *rounded = DecimalGrams{whole * readability.units, readability.decimals};
    return true;
}

PrintSheetStatus MakePrintedSheet(const WeighingSheet &sheet, const PrintSettings &settings, const char *date,
                                  PrintedSheet *out) {
    const DecimalGrams &readability = settings.readability;
    DecimalGrams minimum = settings.minimumWeight;
    if (minimum.units <= 0) minimum = DecimalGrams{readability.units * 100, readability.decimals};

    PrintedSheet printed;
    printed.fields.push_back({"Sample ID", sheet.sampleId});
    printed.fields.push_back({"Date", date});
    printed.fields.push_back({"Operator", settings.operatorName});
    printed.fields.push_back({"Product", sheet.productFormula + ", " + NumberText(sheet.amount).c_str() + " g"});
    printed.fields.push_back({"Balance", "readability " + readability.Text() + " g, minimum weight " +
                                             minimum.Text() + " g"});
    double total = 0.0;
    bool anyWarned = false;
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        const SheetReactant &reactant = sheet.reactants[i];
        DecimalGrams mass;
        if (!RoundToBalance(GramsToWeigh(sheet, reactant), readability, &mass)) return PrintSheetStatus::NotRoundable;
        PrintedRow row;
        row.number.Format("%d", int(i + 1));
        row.formula = reactant.formula;
        row.molarMass = NumberText(reactant.molarMass).c_str();
        row.mass = mass.Text();
        // Both doubles are the nearest to their decimals, so equal masses compare equal.
        row.warned = mass.Grams() < minimum.Grams();
        anyWarned = anyWarned || row.warned;
        printed.rows.push_back(row);
        total += GramsToWeigh(sheet, reactant);
    }
    DecimalGrams roundedTotal;
    if (!RoundToBalance(total, readability, &roundedTotal)) return PrintSheetStatus::NotRoundable;
    printed.total = roundedTotal.Text();
    if (anyWarned)
        printed.notes.push_back(CString(PRINT_WARNING_MARK) + " Below the balance's minimum weight of " +
                                minimum.Text() + " g: weigh a larger batch or use a finer balance.");
    CString negative = NegativeWeighingWarning(sheet);
    if (!negative.IsEmpty()) printed.notes.push_back(negative);
    *out = printed;
    return PrintSheetStatus::Ready;
}
