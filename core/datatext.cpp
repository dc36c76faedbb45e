#include "datatext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "numbers.h"

// The shortest text that reads back to value: fixed decimals for
// magnitudes from 1e-4 to 1e15 (17 significant digits always fit in 21
// decimals there), the shortest "%g" otherwise.
CString FormatFieldNumber(double value) {
    CString text;
    if (value == 0.0) return CString("0");  // -0 as well: the field shows no sign
    if (!std::isfinite(value)) {
        text.Format("%g", value);
        return text;
    }
    double magnitude = std::fabs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        for (int decimals = 0; decimals <= 21; ++decimals) {
            text.Format("%.*f", decimals, value);
            if (ReadsBackAs(text, value)) return text;
        }
    }
    for (int digits = 1; digits <= 17; ++digits) {
        text.Format("%.*g", digits, value);
        if (ReadsBackAs(text, value)) break;
    }
    return text;
}

std::string CsvField(const std::string &text) {
    // A spreadsheet runs a cell that starts = + - @ (or a tab or CR) as a
    // formula: a sample ID typed "=HYPERLINK(...)" is data, so it is kept text.
    const std::string cell = !text.empty() && std::strchr("=+-@\t\r", text[0]) != nullptr ? "'" + text : text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string JsonString(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7f) {  // bytes from 128 are Latin-1 (0xB7 the hydrate dot)
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string ExactNumber(double value) {
    const CString text = FormatFieldNumber(value);
    return std::string(text.GetString(), size_t(text.GetLength()));
}
