// Fuzzes the number texts: trimming, reading a number field and the
// "%.5f"-and-trim display of numbers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textutil.h"

namespace {

// TrimBlanks keeps exactly the span from the first character of code 33 to
// 255 (leading) to the last character of code 33 to 127.
void CheckTrim(const std::string &text) {
    std::string buffer = text.c_str();  // up to the first NUL, as C sees it
    std::string original = buffer;
    int length = TrimBlanks(&buffer[0]);
    std::string trimmed = buffer.c_str();
    if (length != static_cast<int>(trimmed.size())) std::abort();
    if (original.find(trimmed) == std::string::npos) std::abort();
    if (!trimmed.empty()) {
        unsigned char first = static_cast<unsigned char>(trimmed.front());
        unsigned char last = static_cast<unsigned char>(trimmed.back());
        if (first >= 1 && first <= 32) std::abort();
        if (last < 33 || last > 127) std::abort();
    }
    std::string twice = trimmed;
    if (TrimBlanks(&twice[0]) != length) std::abort();
}

// A value read from a field shows as a number that reads back within the
// rounding of "%.5f".
void CheckRead(const std::string &text) {
    double value = 12345.0;
    int failed = ReadNumberText(text.c_str(), &value);
    if (failed) {
        if (value != 12345.0) std::abort();  // left alone on failure
        return;
    }
    if (value == HUGE_VAL || value == -HUGE_VAL) std::abort();
    if (std::isnan(value)) return;
    NumberText shown(value);
    // A field reads only its first 99 characters; longer texts (beyond
    // about 1e92) do not read back whole.
    if (std::strlen(shown.c_str()) < 99) {
        double back = 0.0;
        if (ReadNumberText(shown.c_str(), &back) != 0) std::abort();
        if (std::fabs(back - value) > 5.0000001e-6 + std::fabs(value) * 1e-15) std::abort();
    }

    double fallback = 0.0;
    if (ReadNumberTextOr(("?" + text).c_str(), -7.0, &fallback) != 0 || fallback != -7.0) std::abort();
}

// FormatNumber into any buffer size gives a NUL-terminated prefix of the whole text.
void CheckFormat(double value, size_t size) {
    NumberText whole(value);
    char buffer[NUMBER_TEXT_SIZE + 8];
    std::memset(buffer, 'x', sizeof buffer);
    FormatNumber(value, buffer, size);
    if (size == 0) {
        if (buffer[0] != 'x') std::abort();
        return;
    }
    size_t n = std::strlen(buffer);
    if (n >= size || std::strncmp(buffer, whole.c_str(), n) != 0) std::abort();
    if (size > std::strlen(whole.c_str()) && std::strcmp(buffer, whole.c_str()) != 0) std::abort();
    if (buffer[size] != 'x' && size < sizeof buffer) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    CheckTrim(text);
    CheckRead(text.c_str());
    if (size >= sizeof(double) + 1) {
        double value;
        std::memcpy(&value, data, sizeof value);
        CheckFormat(value, data[sizeof value] % (NUMBER_TEXT_SIZE + 1));
    }
    return 0;
}
