#include "decimal.h"

#include <cmath>
#include <cstdlib>

#include "numbers.h"

namespace {

const int MAX_SCALE = 18;

bool MultiplyFits(int64_t a, int64_t b, int64_t *out) { return !__builtin_mul_overflow(a, b, out); }

// value scaled up to scale decimals; false when it does not fit.
bool Rescale(const Decimal &value, int scale, int64_t *units) {
    int64_t result = value.units;
    for (int s = value.scale; s < scale; ++s)
        if (!MultiplyFits(result, 10, &result)) return false;
    *units = result;
    return true;
}

// Drops trailing zero decimals.
Decimal Normalised(Decimal value) {
    while (value.scale > 0 && value.units % 10 == 0) {
        value.units /= 10;
        --value.scale;
    }
    return value;
}

}  // namespace

const char *ReadDecimal(const char *text, bool signedNumber, Decimal *value) {
    const char *p = text;
    bool negative = false;
    if (signedNumber && (*p == '-' || *p == '+')) negative = *p++ == '-';
    Decimal result;
    bool digits = false, point = false;
    for (;; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (*p < '0' || *p > '9') break;
        digits = true;
        if (point && ++result.scale > MAX_SCALE) return text;
        if (!MultiplyFits(result.units, 10, &result.units) ||
            __builtin_add_overflow(result.units, int64_t(*p - '0'), &result.units))
            return text;
    }
    if (!digits) return text;
    if (negative) result.units = -result.units;
    *value = Normalised(result);
    return p;
}

bool DecimalAdd(const Decimal &a, const Decimal &b, Decimal *sum) {
    int scale = a.scale > b.scale ? a.scale : b.scale;
    int64_t x = 0, y = 0, z = 0;
    if (!Rescale(a, scale, &x) || !Rescale(b, scale, &y) || __builtin_add_overflow(x, y, &z)) return false;
    *sum = Normalised(Decimal{z, scale});
    return true;
}

bool DecimalMultiply(const Decimal &a, const Decimal &b, Decimal *product) {
    int64_t units = 0;
    if (a.scale + b.scale > MAX_SCALE || !MultiplyFits(a.units, b.units, &units)) return false;
    *product = Normalised(Decimal{units, a.scale + b.scale});
    return true;
}

int DecimalCompare(const Decimal &a, const Decimal &b) {
    Decimal difference;
    if (DecimalAdd(a, Decimal{-b.units, b.scale}, &difference)) return DecimalSign(difference);
    // Too far apart to subtract exactly: the doubles tell.
    double x = DecimalValue(a), y = DecimalValue(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

std::string DecimalFixedText(const Decimal &value) {
    uint64_t magnitude = value.units < 0 ? 0 - uint64_t(value.units) : uint64_t(value.units);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= size_t(value.scale)) digits.insert(0, size_t(value.scale) + 1 - digits.size(), '0');
    if (value.scale > 0) digits.insert(digits.size() - size_t(value.scale), 1, '.');
    return value.units < 0 ? "-" + digits : digits;
}

std::string DecimalText(const Decimal &value) { return DecimalFixedText(Normalised(value)); }

double DecimalValue(const Decimal &value) {
    std::string text = DecimalText(value);
    double result = 0.0;
    ReadDecimalNumber(text.c_str(), &result);
    return result;
}

bool RoundToMultiple(double grams, const Decimal &step, Decimal *rounded) {
    if (step.units <= 0 || !std::isfinite(grams)) return false;
    const double steps = grams / DecimalValue(step);
    // Below 10^15 units a double holds every digit of the result and the
    // quotient's error stays far under half a step, so the step is the one
    // the grams mean; beyond, the last printed digit would be a guess.
    if (!(std::fabs(steps) * double(step.units) < 1e15)) return false;
    *rounded = Decimal{int64_t(std::round(steps)) * step.units, step.scale};
    return true;
}
