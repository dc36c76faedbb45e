// Calculation files (*.QSF): the whole entry of the main dialog as CR LF
// text lines. Each line starts with an integer giving its kind:
//   sample line   "-1 <sample ID>"                  (any negative number when read)
//   product line  "0 <amount> <ratio> <formula>"
//   row line      "<row 1..30> <fixed> <ratio> <formula>"
// An entry with batch values (core/batch.h) adds lines that start with a
// word, which no line above can (the reader of files without them refuses
// such a line), each after the row lines:
//   "purity <row> <percent> <formula>"   purity of the row while it holds formula
//   "excess <row> <percent> <formula>"   excess of the row while it holds formula
//   "density <row> <g/mL> <formula>"     a neat liquid's density, or a solution's
//   "molarity <row> <mol/L> <formula>"   a solution of that molarity of formula
//   "mass-fraction <row> <percent> <formula>"  a solution of that mass fraction
//   "scale row <row> <grams> <formula>"  scaled to the weighed mass of that row
//   "scale total <grams>"                scaled to the total weighed mass
//   "show mmol", "show gases"            the sheet's options
//   "bottle <row> "<name>" "<supplier>" "<lot>" <formula>"  the shelf's bottle
//                                        the row's values came from (core/shelf.h),
//                                        each text in double quotes, a quote inside
//                                        doubled; written only for a row naming one
// Purity is above 0 and at most 100, excess at least 0 and below 1000,
// grams above 0; an entry without batch values writes none of these lines.
// A row's form (MaterialForm: density alone a neat liquid, a molarity or a
// mass fraction a solution) takes the values CheckForm takes, each line
// alone and the row's lines together (no molarity with a mass fraction, a
// solution's purity 100 %); its lines follow the row's purity and excess.
//   series line   "series <values of x>"             (see core/series.h)
// An entry with weighed masses (core/weighed.h) adds, after those:
//   "weighed <row> <grams> <formula>"    the grams weighed of the row while it holds formula
//   "dispensed <row> <mL> <formula>"     or the millilitres dispensed of it (one of the two per row)
//   "tolerance <percent>"                the tolerance the masses are judged by
// Grams, millilitres and tolerance are 0 or more; an entry without masses and with the
// default tolerance writes neither.
// The product line of a composition series holds the series formula (with
// x); a program that knows no series refuses both lines, so such a file is
// never opened as something else.
// The reader accepts lines in any order and skips blank ones; LF, CR LF
// and a CR alone end a line, and a UTF-8 byte-order mark before the first
// line is skipped. A file is read whole or refused: each kind of line
// appears once (each row's lines once per row, one scale line), a purity,
// excess or scale row line names the formula its row holds (spelled
// either way: the middle dot or "*" as the hydrate separator, blanks
// around it or none), and the file has a product line and a row with a
// starting material. Lines may be up to 1 MiB long and the file up to 16
// MiB (textutil.h); a line holding a NUL byte is refused. Numbers are
// written with "%.5f" when that reads back to the value, else in the
// fewest digits that do, and are read as plain decimals only (no
// hexadecimal, infinity or NaN, nothing that overflows). Whatever opens
// saves back as the same entry.
// Portable: no Windows headers here.
#ifndef QUILLON_CORE_CALCFILE_H
#define QUILLON_CORE_CALCFILE_H

#include <cstdio>
#include <functional>
#include <vector>

#include "framework/afxstr.h"
#include "batch.h"
#include "datatext.h"  // FormatFieldNumber: the ratio and amount fields after a load
#include "entry.h"     // CalcFields

class LedraRowStore;

// Formula check: nonzero when the text is a valid formula. An empty check
// accepts every formula.
using CalcFormulaCheck = std::function<int(const char *formula)>;

enum CalcRecordKind {
    CALC_SAMPLE = 0,
    CALC_PRODUCT = 1,
    CALC_ROW = 2,
    CALC_PURITY = 3,       // row, amount (%), text (formula)
    CALC_EXCESS = 4,       // row, amount (%), text (formula)
    CALC_SCALE_ROW = 5,    // row, amount (grams), text (formula)
    CALC_SCALE_TOTAL = 6,  // amount (grams)
    CALC_SHOW_MMOL = 7,
    CALC_SHOW_GASES = 8,
    CALC_SERIES = 9,       // text (the values of x)
    CALC_WEIGHED = 10,     // row, amount (grams), text (formula)
    CALC_TOLERANCE = 11,   // amount (%)
    CALC_DENSITY = 12,     // row, amount (g/mL), text (formula)
    CALC_MOLARITY = 13,    // row, amount (mol/L), text (formula)
    CALC_MASS_FRACTION = 14,  // row, amount (%), text (formula)
    CALC_DISPENSED = 15,   // row, amount (mL), text (formula)
    CALC_BOTTLE = 16,      // row, bottle (name, supplier, lot), text (formula)
};

// One accepted line of a calculation file.
struct CalcRecord {
    CalcRecordKind kind = CALC_SAMPLE;
    int line = 0;        // line number in the file, from 1
    CString text;        // sample: the sample ID; product, row: the formula; series: the values of x
    double amount = 0.0; // product: grams; purity, excess: %; scale, weighed: grams; dispensed: mL; tolerance: %;
                         // the form's value
    double ratio = 0.0;  // product, row
    int row = 0;         // row, purity, excess, scale row, weighed, dispensed: the row number, 1..capacity
    int fixed = 0;       // row: 1 Fixed, 0 Unfixed
    BottleRef bottle{};  // bottle: the bottle named (fromShelf set)
};

enum class CalcReadStatus {
    Ok,
    OpenFailed,  // the file cannot be opened
    BadLine,     // failingLine does not read (see ParseCalcLine) or holds a NUL byte
    ReadError,   // the stream failed while reading failingLine
    TooLarge,    // failingLine is longer than 1 MiB, or the file goes on past 16 MiB there
    Conflict,    // failingLine reads but says again what an earlier line said, or names
                 // a formula its row does not hold
    NoEntry,     // the file holds no product line (an empty file too)
};

struct CalcReadResult {
    CalcReadStatus status = CalcReadStatus::Ok;
    int failingLine = 0;               // for the statuses that name a line
    CString reason;                    // why the file is refused, as a phrase: "row 31 is beyond the 30 rows"
    std::vector<CalcRecord> records;   // every line before the failure, in file order
};

// Reads one line (trimmed in place). Returns 1 with *record filled (its
// line number left alone), 0 for a line that is blank after trimming, -1
// when the line fails, with the reason in *why (when not nullptr): no
// leading integer or known word; a row number above capacity; a number
// field that is not a plain decimal with a finite value, or out of its
// range; a product or row formula that check rejects. A sample ID keeps
// everything but the blanks and control characters at its ends.
int ParseCalcLine(char *line, int capacity, const CalcFormulaCheck &check, CalcRecord *record, CString *why = nullptr);

// Reads every line of an open stream (opened in binary mode). Returns the
// status that it also stores in result.
CalcReadStatus ReadCalcStream(FILE *file, int capacity, const CalcFormulaCheck &check, CalcReadResult &result);

// Opens path ("rb"), reads it, closes it.
CalcReadStatus ReadCalcFile(const char *path, int capacity, const CalcFormulaCheck &check, CalcReadResult &result);

// Applies records in order, as loading a file does: the sample ID and the
// product fields to fields, row lines to row number - 1 of rows (formula,
// ratio, fixed), and the batch lines to *batch (reset to the defaults
// first). Later records override earlier ones (a file that reads has no
// two of one kind).
void ApplyCalcRecords(const std::vector<CalcRecord> &records, CalcFields &fields, LedraRowStore &rows,
                      BatchSettings *batch);

// The same for a whole entry: fields, rows, batch values and the weighed
// masses with their tolerance (reset to the defaults first).
void ApplyCalcRecords(const std::vector<CalcRecord> &records, Entry *entry);

// The weighed lines of the rows that still hold their mass's formula, and
// the tolerance line when it is not the default; empty for plain masses.
CString CalcWeighedLines(const WeighedMasses &weighed, const LedraRowStore &rows);

// The batch lines of settings, in the order above; empty when the
// settings are plain. A row's values are written only while its list row
// still holds their formula (values of a retyped or emptied row are not
// kept), and so is the scaling to a row.
CString CalcBatchLines(const BatchSettings &settings, const LedraRowStore &rows);

// The lines the writer produces, each ending in CR LF.
CString CalcSampleLine(const char *sampleId);                             // "%d %s" with -1; see CalcSampleIdSavable
CString CalcProductLine(double amount, double ratio, const char *formula); // "0 <amount> <ratio> <formula>"
CString CalcRowLine(int rowNumber, int fixed, double ratio, const char *formula);  // "%d %d <ratio> %s"

CString CalcSeriesLine(const char *values);  // "series <values>"

// False when a sample ID would not open as it was saved: a CR or LF inside
// it would start a line of its own. CalcSampleLine gives such an ID a line
// that SaveCalcFile refuses.
bool CalcSampleIdSavable(const char *sampleId);

// The row lines of every row with a formula, in row order (row index + 1).
CString CalcRowLines(const LedraRowStore &rows);

enum class CalcSaveStatus {
    Saved,
    NoTemporary,  // no file can be made in the target's folder
    WriteFailed,  // a write, the flush or the close failed (a full disk)
    NotReplaced,  // the target cannot be replaced
    Unreadable,   // a line would not read back (a number that is not finite); nothing written
};

// Saves text (the lines of a calculation file) as path without ever
// damaging what path held: the bytes go to a new file in the same folder,
// every write and the close are checked, and only then does that file
// replace path. On any failure the new file is removed and path is left as
// it was (or absent, if it was). Text with a line that would not read back
// (see ParseCalcLine; formulas are not checked here) is refused first.
CalcSaveStatus SaveCalcFile(const char *path, const CString &text);

// The same for any text (an exported sheet), written byte for byte and
// without the check of its lines.
CalcSaveStatus SaveTextFile(const char *path, const CString &text);

// The whole text Save writes for an entry: the sample line, the product line
// (the amount and the ratio read from their field texts), the row lines, the
// series line and the batch lines. False, with *text left alone, when the
// amount or the ratio text is not exactly one number ("?" included).
bool CalcEntryText(const CalcFields &fields, const LedraRowStore &rows, const BatchSettings &batch, CString *text);
// The same for a whole entry, its weighed lines last.
bool CalcEntryText(const Entry &entry, CString *text);

#endif
