// Fuzzes the number texts: trimming, reading a number field (plain decimals with finite values
// only), the "%.5f"-and-trim display (never "-0"), and numbers in calculation files and in the
// fields a loaded file fills, which read back exactly.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/calcfile.h"
#include "quillon/rows.h"
#include "core/textutil.h"

static void Require(bool condition) { if (!condition) std::abort(); }

static int AnyFormula(const char *) { return 1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // TrimBlanks keeps a part of the text from a character of code 33 to 255 to one of 33 to 127, and is idempotent.
    std::string text(reinterpret_cast<const char *>(data), size), buffer = text.c_str();
    int length = TrimBlanks(&buffer[0]);
    std::string trimmed = buffer.c_str();
    Require(length == int(trimmed.size()) && std::string(text.c_str()).find(trimmed) != std::string::npos);
    if (length > 0) {
        unsigned char first = trimmed.front(), last = trimmed.back();
        Require(first > 32 && last > 32 && last <= 127);
        Require(TrimBlanks(&trimmed[0]) == length);
    }

    // A value read from a field shows as a number that reads back within the rounding of "%.5f";
    // a failed read leaves the value alone. A field reads only 99 characters, so longer texts do not read back.
    double value = 12345.0, back = 0.0, fallback = 0.0;
    if (ReadNumberText(text.c_str(), &value) != 0) {
        Require(value == 12345.0);
    } else {
        Require(std::isfinite(value));
        // Only digits, signs, a point, an exponent mark and blanks make an accepted number.
        std::string first99 = text.substr(0, 99);
        for (char c : std::string(first99.c_str())) Require(std::strchr("0123456789+-.eE", c) != nullptr || c < 33 || c > 126);
        NumberText shown(value);
        if (std::strlen(shown.c_str()) < 99) {
            Require(ReadNumberText(shown.c_str(), &back) == 0);
            Require(std::fabs(back - value) <= 5.0000001e-6 + std::fabs(value) * 1e-15);
        }
        Require(ReadNumberTextOr(("?" + std::string(text.c_str())).c_str(), -7.0, &fallback) == 0 && fallback == -7.0);
    }

    // FormatNumber into any buffer size gives a NUL-terminated prefix of the whole text, never more.
    if (size < sizeof(double) + 1) return 0;
    std::memcpy(&value, data, sizeof value);
    size_t room = data[sizeof value] % (NUMBER_TEXT_SIZE + 1);
    NumberText whole(value);
    Require(std::strcmp(whole.c_str(), "-0") != 0);
    if (std::isfinite(value)) {  // a calculation file keeps the value bit for bit
        CString line = CalcRowLine(1, 1, value, "H");
        CalcRecord record;
        Require(ParseCalcLine(line.GetBuffer(0), ROW_CAPACITY, AnyFormula, &record) == 1);
        Require(std::memcmp(&record.ratio, &value, sizeof value) == 0);
        Require(std::strtod(FormatFieldNumber(value), nullptr) == value);  // the field's text after a load
    }
    char out[NUMBER_TEXT_SIZE + 8];
    std::memset(out, 'x', sizeof out);
    FormatNumber(value, out, room);
    Require(room > 0 || out[0] == 'x');
    if (room == 0) return 0;
    size_t n = std::strlen(out);
    Require(n < room && std::strncmp(out, whole.c_str(), n) == 0 && out[room] == 'x');
    Require(room <= std::strlen(whole.c_str()) || std::strcmp(out, whole.c_str()) == 0);
    return 0;
}
