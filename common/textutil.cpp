#include "textutil.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    std::snprintf(whole, sizeof whole, "%.5f", value);
    TrimTrailingZeros(whole);
    std::snprintf(buffer, size, "%s", whole);
}

int ReadNumberText(const char *text, double *value) {
    char buffer[100];
    std::strncpy(buffer, text, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = 0;
    if (TrimBlanks(buffer) == 0) {
        *value = 0.0;
        return 0;
    }
    char *end = nullptr;
    double number = std::strtod(buffer, &end);
    if (end == buffer || *end != 0) return 1;
    if (number == HUGE_VAL || number == -HUGE_VAL) return 1;
    *value = number;
    return 0;
}

int ReadNumberTextOr(const char *text, double fallback, double *value) {
    if (text[0] == '?') {
        *value = fallback;
        return 0;
    }
    return ReadNumberText(text, value);
}
