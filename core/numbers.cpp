// Decimal numbers as formulas, fields and the element file spell them.
#include "numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The characters strtod skips before a number (isspace in the C locale).
bool IsNumberSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What one pass over a decimal number learns: where its characters are and,
// for the quick conversion, its significant digits and power of ten.
struct DecimalScan {
    const char *start = nullptr;  // first character after the skipped blanks
    const char *end = nullptr;    // one past the number; nullptr = no number
    bool negative = false;
    uint64_t mantissa = 0;        // significant digits, while there are at most 19
    int significant = 0;          // digits from the first non-zero one on (at most 20)
    long exponent = 0;            // value = mantissa x 10^exponent (while exact)
};

// Takes one significant digit into the mantissa; past 19 digits only the
// fact that there are more is kept.
void AddDigit(DecimalScan *scan, char digit) {
    if (scan->significant < 19) scan->mantissa = scan->mantissa * 10 + static_cast<uint64_t>(digit - '0');
    if (scan->significant < 20) ++scan->significant;
}

const long EXPONENT_LIMIT = 100000;  // beyond this every value over- or underflows

// Scans the decimal number strtod would read at text. Hexadecimal,
// infinity and NaN spellings are not numbers here ("0x1" reads as 0).
void ScanDecimal(const char *text, DecimalScan *scan) {
    const char *p = text;
    while (IsNumberSpace(*p)) ++p;
    scan->start = p;
    if (*p == '+' || *p == '-') {
        scan->negative = (*p == '-');
        ++p;
    }
    bool anyDigit = false;
    long fractionDigits = 0;
    for (; IsDigit(*p); ++p) {
        anyDigit = true;
        if (scan->significant == 0 && *p == '0') continue;
        AddDigit(scan, *p);
    }
    if (*p == '.') {
        ++p;
        for (; IsDigit(*p); ++p) {
            anyDigit = true;
            if (fractionDigits < EXPONENT_LIMIT) ++fractionDigits;
            if (scan->significant == 0 && *p == '0') continue;
            AddDigit(scan, *p);
        }
    }
    if (!anyDigit) return;  // no number: end stays nullptr

    long written = 0;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        bool negativeExponent = false;
        if (*q == '+' || *q == '-') {
            negativeExponent = (*q == '-');
            ++q;
        }
        if (IsDigit(*q)) {
            for (; IsDigit(*q); ++q) {
                if (written < EXPONENT_LIMIT) written = written * 10 + (*q - '0');
            }
            if (negativeExponent) written = -written;
            p = q;
        }
    }
    scan->exponent = written - fractionDigits;
    scan->end = p;
}

const double POWERS_OF_TEN[23] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};

#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
// x87 arithmetic rounds to extended precision first. Rounding that result
// to double again is correct unless it lies exactly halfway between two
// doubles; that rare case is left to strtod.
bool ScaleExactly(double mantissa, double power, bool divide, double *value) {
    long double wide = divide ? static_cast<long double>(mantissa) / power
                              : static_cast<long double>(mantissa) * power;
    volatile double rounded = static_cast<double>(wide);
    double narrow = rounded;
    long double off = wide - narrow;
    if (off != 0) {
        double neighbour = std::nextafter(narrow, off > 0 ? HUGE_VAL : -HUGE_VAL);
        long double half = (static_cast<long double>(neighbour) - narrow) / 2;
        if (off == half) return false;
    }
    *value = narrow;
    return true;
}
#else
// One IEEE operation on two exact doubles: correctly rounded, as strtod is.
bool ScaleExactly(double mantissa, double power, bool divide, double *value) {
    *value = divide ? mantissa / power : mantissa * power;
    return true;
}
#endif

// Clinger's fast path: a mantissa of at most 15 digits is an exact double,
// so is 10^k for k <= 22, and one multiplication or division of the two is
// the correctly rounded value of the decimal number.
bool QuickValue(const DecimalScan &scan, double *value) {
    double magnitude;
    if (scan.mantissa == 0) {
        magnitude = 0.0;  // all digits zero: zero whatever the exponent
    } else {
        if (scan.significant > 15) return false;
        if (scan.exponent < -22 || scan.exponent > 22) return false;
        double mantissa = static_cast<double>(scan.mantissa);
        bool divide = scan.exponent < 0;
        if (!ScaleExactly(mantissa, POWERS_OF_TEN[divide ? -scan.exponent : scan.exponent], divide, &magnitude)) {
            return false;
        }
    }
    *value = scan.negative ? -magnitude : magnitude;
    return true;
}

// The slow path: strtod on a copy of exactly the scanned characters, so
// that it cannot read a hexadecimal, infinity or NaN spelling instead.
double StrtodValue(const DecimalScan &scan) {
    size_t length = static_cast<size_t>(scan.end - scan.start);
    char local[64];
    if (length < sizeof local) {
        std::memcpy(local, scan.start, length);
        local[length] = 0;
        return std::strtod(local, nullptr);
    }
    std::string copy(scan.start, length);
    return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

// Reads the decimal number at text: quick exact conversion when it applies,
// strtod otherwise.
const char *ReadDecimalNumber(const char *text, double *value) {
    DecimalScan scan;
    ScanDecimal(text, &scan);
    if (scan.end == nullptr) return text;
    if (!QuickValue(scan, value)) *value = StrtodValue(scan);
    return scan.end;
}

// The quick conversion alone; 0 when there is no number or it does not apply.
int QuickDecimalNumber(const char *text, double *value) {
    DecimalScan scan;
    ScanDecimal(text, &scan);
    if (scan.end == nullptr) return 0;
    return QuickValue(scan, value) ? 1 : 0;
}


// The number read to the end of the text, compared bit for bit in value.
bool ReadsBackAs(const char *text, double value) {
    double read = 0.0;
    const char *end = ReadDecimalNumber(text, &read);
    return end != text && *end == 0 && read == value;
}
