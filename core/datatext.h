// The text of numbers and cells in the files and data outputs: a number as
// the shortest text that reads back exactly (the entry fields after a
// load, every number of CSV and JSON), a CSV text cell and a JSON string.
// Portable.
#ifndef QUILLON_CORE_DATATEXT_H
#define QUILLON_CORE_DATATEXT_H

#include <string>

#include "framework/afxstr.h"

// A number as the dialog's product ratio and amount fields show it after a
// load: the shortest text that reads back to value, in plain decimals where
// that is short (123.456 from 123.45600, 10 from 10.00000, 0.5), else in
// exponent form (1e-07, -1e+308). Reading the field again gives exactly the
// value the file holds.
CString FormatFieldNumber(double value);

// The text cells and numbers of the tabular outputs (every CSV line of them
// ends CR LF). A text CSV field, quoted when needed and with a ' before a
// leading = + - @ tab or CR, so that a spreadsheet shows it and never runs
// it as a formula (numbers never pass here); a JSON string with every byte
// outside printable ASCII escaped (bytes from 128 read as Latin-1); a number
// as the shortest text that reads back exactly (FormatFieldNumber's).
std::string CsvField(const std::string &text);
std::string JsonString(const std::string &text);
std::string ExactNumber(double value);

#endif
