#include "decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

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

// ---------------------------------------------------------------------------
// Exact sums of products of doubles read as their shortest decimals

namespace {

// A non-negative whole number in base 2^32, least significant word first,
// no leading zero words (zero is empty).
typedef std::vector<uint32_t> Natural;

void Trim(Natural &n) {
    while (!n.empty() && n.back() == 0) n.pop_back();
}

Natural FromWide(uint64_t value) {
    Natural n;
    for (; value != 0; value >>= 32) n.push_back(static_cast<uint32_t>(value));
    return n;
}

void MultiplySmall(Natural &n, uint32_t factor) {
    uint64_t carry = 0;
    for (uint32_t &word : n) {
        uint64_t product = static_cast<uint64_t>(word) * factor + carry;
        word = static_cast<uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) n.push_back(static_cast<uint32_t>(carry));
}

// n x 10^power.
void MultiplyByPowerOfTen(Natural &n, long power) {
    for (; power >= 9; power -= 9) MultiplySmall(n, 1000000000u);
    uint32_t rest = 1;
    for (; power > 0; --power) rest *= 10;
    MultiplySmall(n, rest);
}

Natural Multiply(const Natural &a, const Natural &b) {
    Natural product(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.size(); ++j) {
            uint64_t t = static_cast<uint64_t>(a[i]) * b[j] + product[i + j] + carry;
            product[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        product[i + b.size()] = static_cast<uint32_t>(carry);
    }
    Trim(product);
    return product;
}

void AddTo(Natural &a, const Natural &b) {
    if (a.size() < b.size()) a.resize(b.size(), 0);
    uint64_t carry = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t t = static_cast<uint64_t>(a[i]) + (i < b.size() ? b[i] : 0) + carry;
        a[i] = static_cast<uint32_t>(t);
        carry = t >> 32;
    }
    if (carry != 0) a.push_back(static_cast<uint32_t>(carry));
}

int Compare(const Natural &a, const Natural &b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// a -= b, for a >= b.
void SubtractFrom(Natural &a, const Natural &b) {
    int64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int64_t t = static_cast<int64_t>(a[i]) - (i < b.size() ? b[i] : 0) - borrow;
        borrow = t < 0 ? 1 : 0;
        a[i] = static_cast<uint32_t>(t + (borrow << 32));
    }
    Trim(a);
}

Natural ShiftedLeft(const Natural &n, long bits) {
    if (n.empty()) return n;
    Natural shifted(static_cast<size_t>(bits / 32), 0);
    const int rest = static_cast<int>(bits % 32);
    uint32_t carry = 0;
    for (uint32_t word : n) {
        shifted.push_back(rest == 0 ? word : (word << rest) | carry);
        carry = rest == 0 ? 0 : word >> (32 - rest);
    }
    if (carry != 0) shifted.push_back(carry);
    return shifted;
}

long BitLength(const Natural &n) {
    if (n.empty()) return 0;
    long bits = static_cast<long>(n.size() - 1) * 32;
    for (uint32_t top = n.back(); top != 0; top >>= 1) ++bits;
    return bits;
}

// The shortest decimal that reads back as value (at most 17 digits) as
// digits x 10^exponent; false for a value that is not finite. A value
// written with at most 15 significant digits gives back exactly those.
bool ShortestDecimal(double value, uint64_t *digits, long *exponent, bool *negative) {
    if (!std::isfinite(value)) return false;
    *negative = std::signbit(value);
    *digits = 0;
    *exponent = 0;
    if (value == 0.0) return true;
    char text[40];
    for (int precision = 15; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
        if (precision == 17 || ReadsBackAs(text, value)) break;
    }
    const char *p = text + (*negative ? 1 : 0);
    int fraction = -1;  // digits after the point read so far
    for (; *p != 'e'; ++p) {
        if (*p == '.') {
            fraction = 0;
            continue;
        }
        *digits = *digits * 10 + static_cast<uint64_t>(*p - '0');
        if (fraction >= 0) ++fraction;
    }
    *exponent = std::strtol(p + 1, nullptr, 10) - (fraction > 0 ? fraction : 0);
    for (; *digits % 10 == 0; ++*exponent) *digits /= 10;
    return true;
}

// numerator / denominator (both non-zero) rounded to the nearest double,
// halves to even.
double NearestDouble(Natural numerator, Natural denominator) {
    // Scaled so that the quotient q has 55 or 56 bits.
    const long shift = 55 - (BitLength(numerator) - BitLength(denominator));
    if (shift > 0) numerator = ShiftedLeft(numerator, shift);
    if (shift < 0) denominator = ShiftedLeft(denominator, -shift);
    uint64_t q = 0;
    for (int bit = 56; bit >= 0; --bit) {
        Natural part = ShiftedLeft(denominator, bit);
        if (Compare(numerator, part) >= 0) {
            SubtractFrom(numerator, part);
            q |= uint64_t(1) << bit;
        }
    }
    const bool sticky = !numerator.empty();
    int drop = 0;
    while ((q >> drop) >= (uint64_t(1) << 53)) ++drop;
    const uint64_t rest = q & ((uint64_t(1) << drop) - 1), half = uint64_t(1) << (drop - 1);
    q >>= drop;
    if (rest > half || (rest == half && (sticky || (q & 1) != 0))) ++q;
    return std::ldexp(static_cast<double>(q), static_cast<int>(drop - shift));
}

}  // namespace

double DecimalSumOfProducts(const double *a, const double *b, size_t n) {
    // The positive and the negative terms apart, each as a whole number
    // times 10^exponent, the smallest exponent of any term.
    Natural sums[2];
    long exponent = 0;
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        uint64_t digitsA = 0, digitsB = 0;
        long exponentA = 0, exponentB = 0;
        bool negativeA = false, negativeB = false;
        if (!ShortestDecimal(a[i], &digitsA, &exponentA, &negativeA) ||
            !ShortestDecimal(b[i], &digitsB, &exponentB, &negativeB))
            return a[i] * b[i];  // not finite: the plain product says which (infinite or NaN)
        if (digitsA == 0 || digitsB == 0) continue;
        Natural term = Multiply(FromWide(digitsA), FromWide(digitsB));
        long termExponent = exponentA + exponentB;
        if (!any) {
            exponent = termExponent;
            any = true;
        }
        if (termExponent < exponent) {
            for (Natural &sum : sums) MultiplyByPowerOfTen(sum, exponent - termExponent);
            exponent = termExponent;
        }
        MultiplyByPowerOfTen(term, termExponent - exponent);
        AddTo(sums[negativeA != negativeB ? 1 : 0], term);
    }
    const int order = Compare(sums[0], sums[1]);
    if (order == 0) return 0.0;
    Natural magnitude = order > 0 ? sums[0] : sums[1];
    SubtractFrom(magnitude, order > 0 ? sums[1] : sums[0]);
    Natural one = FromWide(1);
    if (exponent >= 0) {
        MultiplyByPowerOfTen(magnitude, exponent);
    } else {
        MultiplyByPowerOfTen(one, -exponent);
    }
    const double value = NearestDouble(magnitude, one);
    return order > 0 ? value : -value;
}
