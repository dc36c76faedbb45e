// Exact decimal numbers for the values a chemist types and reads: the x of a
// composition series and the counts it gives (1 - 0.7 is 0.3, never
// 0.30000000000000004), and masses rounded to a balance's readability.
// A value is units / 10^scale with a 64-bit units; every operation says when
// the result does not fit (about 18 significant digits). Portable.
#ifndef QUILLON_CORE_DECIMAL_H
#define QUILLON_CORE_DECIMAL_H

#include <cstddef>
#include <cstdint>
#include <string>

struct Decimal {
    int64_t units = 0;
    int scale = 0;  // decimals, 0..18
};

// Reads a plain decimal at text: an optional sign (only when signed is true),
// digits with at most one point, at least one digit; no exponent. Returns the
// end of the number, or text itself when none is there or it does not fit.
const char *ReadDecimal(const char *text, bool signedNumber, Decimal *value);

// a + b and a * b exactly; false when the result does not fit.
bool DecimalAdd(const Decimal &a, const Decimal &b, Decimal *sum);
bool DecimalMultiply(const Decimal &a, const Decimal &b, Decimal *product);

int DecimalCompare(const Decimal &a, const Decimal &b);  // -1, 0, 1
inline int DecimalSign(const Decimal &a) { return a.units < 0 ? -1 : a.units > 0 ? 1 : 0; }

// The value as typed: "0.3", "6.75", "2", "-0.5" (no trailing zeros).
std::string DecimalText(const Decimal &value);

// The double a chemist typing DecimalText(value) gets.
double DecimalValue(const Decimal &value);

// grams rounded to the nearest whole multiple of step (halves away from
// zero), exactly: 1.11898 at 0.0001 gives 1.1190, at 0.002 gives 1.118.
// False when step is not positive, grams is not finite or the result would
// be 10^15 of step's last digit or more. The result keeps step's decimals,
// so 0.0010 g steps print 4 decimals.
bool RoundToMultiple(double grams, const Decimal &step, Decimal *rounded);

// The result's text with exactly the decimals of its scale ("8.040").
std::string DecimalFixedText(const Decimal &value);

// The sum of a[i] x b[i] for i below n, each factor taken as the shortest
// decimal that reads back as it (15.999, not the double's
// 15.9989999999999994884), summed exactly and rounded once to the nearest
// double, halves to even: 137.327 + 12.011 + 3 x 15.999 gives the double
// nearest 197.335, where summing the doubles gives 197.33499999999998.
// Infinite past the largest double; a factor that is not finite gives its
// plain product (infinite or NaN).
double DecimalSumOfProducts(const double *a, const double *b, size_t n);

#endif
