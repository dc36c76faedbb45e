// Text helpers shared by every deliverable: trimming and number display.
#ifndef QUILLON_COMMON_TEXTUTIL_H
#define QUILLON_COMMON_TEXTUTIL_H

#include <cstddef>

// Removes, in place, the leading characters of codes 1 to 32 and everything
// after the last character of code 33 to 127 (trailing blanks, control
// characters and bytes 128 to 255). A text without any character of code 33
// to 127 becomes empty. Returns the new length.
int TrimBlanks(char *text);

// Shortens, in place, a number text made with "%.5f": trailing '0' characters
// go (never the first character), then a trailing decimal point.
// 2.50000 -> 2.5, 2.00000 -> 2, 10.00000 -> 10, 0.00000 -> 0, -0.00000 -> -0.
void TrimTrailingZeros(char *text);

// Room for "%.5f" of any double: -1e308 takes 316 characters plus the NUL.
const size_t NUMBER_TEXT_SIZE = 330;

// A value as the user sees it: "%.5f", then TrimTrailingZeros. Never writes
// more than size bytes (the text is cut short only when size is too small).
void FormatNumber(double value, char *buffer, size_t size);

// The same, into a fixed buffer that always holds the whole text.
struct NumberText {
    explicit NumberText(double value) { FormatNumber(value, text, sizeof text); }
    const char *c_str() const { return text; }
    char text[NUMBER_TEXT_SIZE];
};

// Reads the text of a number field: blanks around the number are allowed,
// blank text reads as 0.0; anything else that is not exactly one strtod
// number (nothing converted, characters after it, overflow to +-HUGE_VAL)
// fails. Returns 0 and stores the value, or 1 and leaves value alone.
// Only the first 99 characters count, as a field read into a 100-character
// buffer gives.
int ReadNumberText(const char *text, double *value);

// The same, but a text whose very first character is '?' reads as fallback.
int ReadNumberTextOr(const char *text, double fallback, double *value);

#endif
