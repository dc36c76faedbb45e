#include "textutil.h"

#include "numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int TrimBlanks(char *text) {
    size_t length = std::strlen(text);
    size_t last = length;  // one past the last character of code 33..127
    while (last > 0) {
        unsigned char c = static_cast<unsigned char>(text[last - 1]);
        if (c >= 33 && c <= 127) break;
        --last;
    }
    size_t first = 0;
    while (first < last) {
        unsigned char c = static_cast<unsigned char>(text[first]);
        if (c < 1 || c > 32) break;
        ++first;
    }
    size_t kept = last - first;
    if (first > 0) std::memmove(text, text + first, kept);
    text[kept] = 0;
    return static_cast<int>(kept);
}

void TrimTrailingZeros(char *text) {
    size_t length = std::strlen(text);
    if (length < 2 || text[length - 1] != '0') return;
    while (length > 1 && text[length - 1] == '0') --length;
    if (length > 1 && (text[length - 1] < '0' || text[length - 1] > '9')) --length;
    text[length] = 0;
}

void FormatNumber(double value, char *buffer, size_t size) {
    if (size == 0) return;
    // Trim the whole text first: trimming a text that was cut short would
    // turn "-100000" (the start of -1e308) into "-1".
    char whole[NUMBER_TEXT_SIZE];
    std::snprintf(whole, sizeof whole, "%.*f", NUMBER_TEXT_DECIMALS, value);
    TrimTrailingZeros(whole);
    // A value too small for five decimals keeps its sign: show it as 0.
    const char *shown = std::strcmp(whole, "-0") == 0 ? whole + 1 : whole;
    std::snprintf(buffer, size, "%s", shown);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of a run of digits.
const char *SkipDigits(const char *p) {
    while (IsDigit(*p)) ++p;
    return p;
}

// Reads a trimmed text that must be one number and nothing else.
bool ReadWholeNumber(const char *text, double *value) {
    double number = 0.0;
    const char *end = ReadPlainNumber(text, &number);
    if (end == text || *end != 0) return false;
    *value = number;
    return true;
}

}  // namespace

const char *ScanPlainNumber(const char *text) {
    const char *p = text;
    if (*p == '+' || *p == '-') ++p;
    const char *digits = p;
    p = SkipDigits(p);
    bool whole = p != digits;
    bool fraction = false;
    if (*p == '.') {
        const char *after = SkipDigits(p + 1);
        fraction = after != p + 1;
        p = after;
    }
    if (!whole && !fraction) return text;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        const char *exponent = SkipDigits(q);
        if (exponent != q) p = exponent;
    }
    return p;
}

const char *ReadPlainNumber(const char *text, double *value) {
    const char *end = ScanPlainNumber(text);
    if (end == text) return text;
    // The core's one decimal reader reads the same characters the plain
    // scan accepted (it skips no blank here: the scan started on the sign or
    // a digit).
    double number = 0.0;
    if (ReadDecimalNumber(text, &number) != end || !std::isfinite(number)) return text;
    *value = number;
    return end;
}

int ReadNumberText(const char *text, double *value) {
    std::string copy(text);
    char *buffer = &copy[0];
    if (TrimBlanks(buffer) == 0) {
        *value = 0.0;
        return 0;
    }
    if (ReadWholeNumber(buffer, value)) return 0;
    // "1,5": would it read with the comma as a point?
    char *comma = std::strchr(buffer, ',');
    if (comma == nullptr || std::strchr(comma + 1, ',') != nullptr || std::strchr(buffer, '.') != nullptr) return 1;
    *comma = '.';
    double ignored = 0.0;
    return ReadWholeNumber(buffer, &ignored) ? 2 : 1;
}

int ReadNumberTextOr(const char *text, double fallback, double *value) {
    if (text[0] == '?') {
        *value = fallback;
        return 0;
    }
    return ReadNumberText(text, value);
}

// One byte at a time: a line is never held beyond the limit, whatever the
// stream gives.
TextLineRead ReadTextLine(std::FILE *file, std::string &line, size_t *total) {
    line.clear();
    for (;;) {
        int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return TextLineRead::ReadError;
            return line.empty() ? TextLineRead::End : TextLineRead::Line;
        }
        if (++*total > TEXT_FILE_LIMIT) return TextLineRead::FileTooLarge;
        if (c == '\n') return TextLineRead::Line;
        if (c == '\r') {
            int next = std::getc(file);
            if (next == '\n') {
                ++*total;
            } else if (next != EOF) {
                std::ungetc(next, file);
            } else if (std::ferror(file)) {
                return TextLineRead::ReadError;
            }
            return TextLineRead::Line;
        }
        if (line.size() == TEXT_LINE_LIMIT) return TextLineRead::LineTooLong;
        line += static_cast<char>(c);
    }
}
