// The one decimal number reader of the core: formula counts, number fields
// and element masses are all read through it.
#ifndef QUILLON_CORE_NUMBERS_H
#define QUILLON_CORE_NUMBERS_H

// Numbers as formulas and the element file hold them: the decimal number
// strtod reads at text (blanks it skips, a sign, digits with an optional
// point, an optional exponent), never a hexadecimal, infinity or NaN
// spelling. Returns the position after the number with *value set to what
// strtod gives for it (overflow gives +-HUGE_VAL), or text itself, value
// untouched, when no number is there.
const char *ReadDecimalNumber(const char *text, double *value);

// The exact quick conversion ReadDecimalNumber tries before strtod: at most
// 15 significant digits and a power of ten of at most 22. Returns 1 with
// *value (equal to strtod's result bit for bit) when it applies, else 0.
int QuickDecimalNumber(const char *text, double *value);

// Whether the whole of text is one decimal number that reads back as exactly
// value: the test of the shortest-text formatters.
bool ReadsBackAs(const char *text, double value);

#endif
