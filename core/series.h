// Composition series: a product formula with a variable x, the values of x,
// and every member calculated as a single entry of its own formula.
//
// The counts of a series formula: wherever a formula takes a count (after an
// element symbol or a closing parenthesis) it may take
//     x      Bx      A+x      A-x      A+Bx      A-Bx
// with A and B unsigned decimals (digits with at most one point, no
// exponent, no blanks): Sr1-xBaxTiO3, La1-xSrxMnO3, Li7-xLa3Zr2-xTaxO12,
// (Sr1-0.5xBa0.5x)TiO3. The coefficient B is written directly before x,
// without a dot or an asterisk: those separate the parts of an adduct. A
// small x is never part of an element symbol. Nothing else may follow such
// a count but what starts the next item (a symbol, a parenthesis).
//
// A member's formula is the template with x put in and each count computed
// in exact decimal arithmetic, written as a chemist types it: 1 - 0.7 is
// "0.3", a count of 1 is left out (Sr, not Sr1), and an element or group
// whose count is 0 is left out with it (Sr1-xBaxTiO3 at x = 0 is SrTiO3). A
// count below 0 makes that member fail.
//
// The values of x: a comma list ("0,0.1,0.25") or FROM:TO:STEP ("0:1:0.1",
// both ends included, every value computed as FROM + i * STEP in decimal,
// so exactly eleven values 0, 0.1, ..., 1). Portable.
#ifndef QUILLON_CORE_SERIES_H
#define QUILLON_CORE_SERIES_H

#include <functional>
#include <string>
#include <vector>

#include "framework/afxstr.h"
#include "decimal.h"
#include "sheet.h"

class CFormulaParser;
class LedraRowStore;
struct CalcFields;

// At most this many values of x in one series.
const int SERIES_MAX_VALUES = 1000;

// One value of x: exact, as text and as the double a chemist typing it gets.
struct SeriesX {
    Decimal value;
    CString text;
    double number = 0.0;
};

// Reads the values of x; on failure false and *why says what is wrong.
bool ParseSeriesValues(const char *text, std::vector<SeriesX> *values, CString *why);

enum class SeriesFormulaStatus {
    Done,
    NoVariable,  // a valid formula without x: not a series
    Invalid,     // not a series formula (*why says where)
    Negative,    // a count is below 0 at this x (*why names it)
    TooLong,     // a count has more digits than the exact arithmetic holds
};

// The member formula of a series formula at x (see above) into *formula.
// With x null, only the template is checked: every count with x counts as 1
// and must give a formula parser accepts.
SeriesFormulaStatus SeriesMemberFormula(const CFormulaParser &parser, const char *templ, const SeriesX *x,
                                        CString *formula, CString *why);

// The template check without a parser: true when templ has a count with x
// and every such count has a form above; *probe is then the formula with
// each of them read as 1, for a formula check to judge.
bool SeriesProbeFormula(const char *templ, std::string *probe);

// True when text is a valid series formula (has x, reads with parser).
bool IsSeriesFormula(const CFormulaParser &parser, const char *text);

// Turns a copy of the entry as opened into the entry of one member: its
// product formula becomes formula, and every Unfixed row that brings an
// element the member lacks but the series formula has (Ba of BaCO3 at x = 0
// in Sr1-xBaxTiO3) is fixed at ratio 0, as the chemist would leave that
// starting material out of the pure compound.
void PrepareSeriesMember(const CFormulaParser &parser, const char *templ, const CString &formula,
                         CalcFields &fields, LedraRowStore &rows);

// What calculating one member's entry gave: done with its sheet (and any
// warnings), or refused with the program's messages.
struct SeriesMemberOutcome {
    bool done = false;
    WeighingSheet sheet;
    CString messages;  // the messages, one per line: warnings when done, why when refused
};

// Calculates the entry with its product formula replaced by formula, from
// the entry as it was opened: nothing of an earlier member may reach it.
typedef std::function<SeriesMemberOutcome(const CString &formula)> SeriesCalculation;

struct SeriesMember {
    SeriesX x;
    CString formula;   // empty when the formula itself failed
    SeriesMemberOutcome outcome;
};

struct SeriesResult {
    CString sampleId;     // the entry's, set by the caller
    CString templ;
    double amount = 0.0;  // grams of each member, set by the caller
    std::vector<SeriesMember> members;
};

// Every member in the order of values; a failing member is kept with its reason.
SeriesResult RunSeries(const CFormulaParser &parser, const char *templ, const std::vector<SeriesX> &values,
                       const SeriesCalculation &calculate);

// The series sheet: one row per starting material, one column per x, and
// each member's formula and check (its differential, warnings, or why it
// failed). The grams are those on the balance (GramsToWeigh: purity and
// excess in; JSON adds the pure grams when a member has them); rows
// dispensed by volume add their grams of solution and volumes (a table of
// each in the text, a line per row and kind in CSV, "solutionGrams" and
// "volumeMl", null where none, in JSON) when a member has them. A series
// scaled to a total or to one starting material says so in the words of
// the single sheet's note and gives each member's product grams. A row
// whose values came from the shelf is named with its bottle: a line under
// the text's tables ("BaCO3: bottle <BottleText>."), "bottle" with name,
// supplier and lot in its JSON reactants (CSV leaves it out). Text with
// LF line ends; CSV (numbers at full precision); JSON (numbers at full
// precision).
std::string SeriesText(const SeriesResult &series);
std::string SeriesCsv(const SeriesResult &series);
std::string SeriesJson(const SeriesResult &series);

#endif
