#include "zerocount.h"

#include "formula.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::vector<ZeroCount> FindZeroCounts(const char *formula) {
    std::vector<ZeroCount> found;
    const char *p = formula;
    bool countStarts = false;  // p is where a count may start
    while (*p != 0) {
        if (countStarts) {
            countStarts = false;
            while (IsBlank(*p)) ++p;
            if (*p == '0' && IsDigit(p[1])) {
                ZeroCount zero;
                zero.position = static_cast<size_t>(p - formula);
                for (const char *q = p; IsDigit(*q) || *q == '.'; ++q) zero.count += *q;
                found.push_back(zero);
            }
            continue;
        }
        const size_t separator = FormulaSeparatorLength(p);
        if (*p >= 'A' && *p <= 'Z') {
            for (++p; *p >= 'a' && *p <= 'z' && *p != 'x'; ++p) {
            }
            countStarts = true;
        } else if (*p == ')' || separator > 0) {
            p += separator > 0 ? separator : 1;
            countStarts = true;
        } else {
            ++p;  // inside a count, "(" or a character the parser refuses
        }
    }
    return found;
}

std::string WithLetterO(const char *formula, const std::vector<ZeroCount> &counts) {
    std::string text = formula;
    for (const ZeroCount &zero : counts)
        if (zero.position < text.size()) text[zero.position] = 'O';
    return text;
}
