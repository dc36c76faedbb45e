// The weighing sheet as a CSV file a spreadsheet opens as it is: a header
// row, then one row per starting material with the sample ID and the
// product repeated, numbers in full precision with a decimal point, fields
// quoted where they must be, CR LF line ends. Portable: no Windows headers.
#ifndef QUILLON_REPORT_SHEETCSV_H
#define QUILLON_REPORT_SHEETCSV_H

#include <string>

#include "framework/afxstr.h"

struct WeighingSheet;

// The header row's fields, in order.
extern const char *const SHEET_CSV_COLUMNS[7];

// One field as CSV writes it: quoted, with its quotes doubled, when it holds
// a comma, a quote, a line break or blanks at either end; else as it is.
CString CsvField(const CString &text);

// The shortest decimal text that reads back as exactly value ("0.1",
// "1.1189800000000001", "1e-07"); never depends on the locale's decimal mark.
std::string ExactNumberText(double value);

// The whole file's text.
CString SheetCsvText(const WeighingSheet &sheet);

#endif
