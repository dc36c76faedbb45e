// Text helpers shared by every deliverable: trimming and number display.
#ifndef QUILLON_CORE_TEXTUTIL_H
#define QUILLON_CORE_TEXTUTIL_H

#include <cstddef>
#include <cstdio>
#include <string>

// Removes, in place, the leading characters of codes 1 to 32 and everything
// after the last character of code 33 to 127 (trailing blanks, control
// characters and bytes 128 to 255). A text without any character of code 33
// to 127 becomes empty. Returns the new length.
int TrimBlanks(char *text);

// Shortens, in place, a number text made with "%.5f": trailing '0' characters
// go (never the first character), then a trailing decimal point.
// 2.50000 -> 2.5, 2.00000 -> 2, 10.00000 -> 10, 0.00000 -> 0, -0.00000 -> -0.
void TrimTrailingZeros(char *text);

// The decimals a value shows with (FormatNumber, NumberText), and one unit
// of the last of them: the smallest step the sheet can show.
const int NUMBER_TEXT_DECIMALS = 5;
const double NUMBER_TEXT_UNIT = 0.00001;

// Room for "%.5f" of any double: -1e308 takes 316 characters plus the NUL.
const size_t NUMBER_TEXT_SIZE = 330;

// A value as the user sees it: "%.5f", then TrimTrailingZeros; a value that
// shows as "-0" shows as "0". Never writes more than size bytes (the text is
// cut short only when size is too small).
void FormatNumber(double value, char *buffer, size_t size);

// The same, into a fixed buffer that always holds the whole text.
struct NumberText {
    explicit NumberText(double value) { FormatNumber(value, text, sizeof text); }
    const char *c_str() const { return text; }
    char text[NUMBER_TEXT_SIZE];
};

// The end of the plain decimal number spelled at text: an optional sign,
// digits with at most one decimal point (at least one digit), an optional
// exponent ('e' or 'E', optional sign, digits). Nothing is skipped before
// it. Returns text itself when no such number starts there. Hexadecimal,
// infinity and NaN spellings are not numbers here.
const char *ScanPlainNumber(const char *text);

// Reads the plain decimal number at text (see ScanPlainNumber) into *value.
// Returns its end, or text itself (value untouched) when there is none or
// its value is not finite (it overflows a double).
const char *ReadPlainNumber(const char *text, double *value);

// Reads the text of a number field: blanks around the number are allowed,
// blank text reads as 0.0; anything else that is not exactly one plain
// decimal number with a finite value fails. Returns 0 and stores the value,
// or nonzero and leaves value alone: 2 when the text would read with its one
// decimal comma taken as a point ("1,5"), else 1. The whole text counts,
// however long.
int ReadNumberText(const char *text, double *value);

// The same, but a text whose very first character is '?' reads as fallback.
int ReadNumberTextOr(const char *text, double fallback, double *value);

// The limits of a text file the program reads (a calculation file, the
// element file, weighed masses): no line of a chemist's file comes near
// them, and a file that never ends (a device) stops at them.
const size_t TEXT_LINE_LIMIT = size_t(1) << 20;  // 1 MiB
const size_t TEXT_FILE_LIMIT = size_t(16) << 20; // 16 MiB

enum class TextLineRead {
    Line,          // line holds the next line
    End,           // the end of the file, nothing read
    ReadError,     // the stream failed
    LineTooLong,   // the line goes on past TEXT_LINE_LIMIT bytes
    FileTooLarge,  // the file goes on past TEXT_FILE_LIMIT bytes
};

// Reads the next line of a stream opened in binary mode into line, without
// its end: LF, CR LF and a CR alone (old Mac files) each end a line; a last
// line may lack its end. *total counts the bytes read so far, line ends
// included, for the file's limit.
TextLineRead ReadTextLine(std::FILE *file, std::string &line, size_t *total);

#endif
