// The element table: loading ATOMS.LST, the sorted symbol index and lookup.
#include "elements.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textutil.h"

namespace {

// A blank of the element file: any byte below 33 taken as a signed char,
// so control characters and the bytes 128..255 are blanks too.
bool IsBlank(char c) {
    return static_cast<signed char>(c) < 33;
}

// Skips blanks, stopping at the terminating NUL.
const char *SkipBlanks(const char *p) {
    while (*p != 0 && IsBlank(*p)) ++p;
    return p;
}

// Packs a text of at most 3 characters into one integer whose numeric order
// is the order strcmp gives (unsigned bytes, shorter before its extensions).
unsigned PackSymbol(const char *text, size_t length) {
    unsigned key = 0;
    for (size_t i = 0; i < 3; ++i) {
        unsigned char c = i < length ? static_cast<unsigned char>(text[i]) : 0;
        key = (key << 8) | c;
    }
    return key;
}

}  // namespace

// An empty table: no elements, every flag cleared.
CElementTable::CElementTable() : count(0), failingLine(0) {
    std::memset(symbol, 0, sizeof symbol);
    for (int i = 0; i < MAX_ELEMENTS; ++i) {
        mass[i] = 0.0;
        metalFlag[i] = 0;
        sortedKey[i] = 0;
        sortedElement[i] = 0;
    }
}

namespace {

// What follows the mass must be blanks, then at most the class mark, "m"
// or "M" alone, then blanks. A mass cut short by a decimal comma
// ("15,999") or a hexadecimal spelling ("0x37") leaves no blank after it
// and is a bad mass; a second number or any other word is a bad mark.
ElementLoad RestAfterMass(const char *p) {
    if (*p != 0 && !IsBlank(*p)) return ElementLoad::BadLine;
    p = SkipBlanks(p);
    if (*p == 'm' || *p == 'M') p = SkipBlanks(p + 1);
    return *p == 0 ? ElementLoad::Loaded : ElementLoad::BadMark;
}

}  // namespace

// Reads the element data file: lines of "number symbol mass [m]", each read
// whole; only the line numbered count + 1 is taken as the next element, every
// other line is skipped.
ElementLoad CElementTable::Load(const char *path) {
    count = 0;
    failingLine = 0;
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr) return ElementLoad::CannotOpen;

    std::string text;
    size_t total = 0;
    ElementLoad failure = ElementLoad::Loaded;
    for (int lineNumber = 1; failure == ElementLoad::Loaded; ++lineNumber) {
        const TextLineRead got = ReadTextLine(file, text, &total);
        if (got == TextLineRead::End) break;
        if (got != TextLineRead::Line) {
            failingLine = lineNumber;
            failure = got == TextLineRead::ReadError     ? ElementLoad::ReadError
                      : got == TextLineRead::LineTooLong ? ElementLoad::LineTooLong
                                                         : ElementLoad::FileTooLarge;
            break;
        }
        // What an editor writes before the first line.
        if (lineNumber == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        const char *line = text.c_str();

        // The leading number must be the next element number.
        char *end = nullptr;
        long number = std::strtol(line, &end, 10);
        if (end == line || number != static_cast<long>(count) + 1) continue;
        failingLine = lineNumber;

        // The symbol: the run of non-blank characters after the blanks.
        const char *symbolStart = SkipBlanks(end);
        const char *symbolEnd = symbolStart;
        while (*symbolEnd != 0 && !IsBlank(*symbolEnd)) ++symbolEnd;
        size_t symbolLength = static_cast<size_t>(symbolEnd - symbolStart);

        // The mass starts directly after the symbol and must be a positive
        // finite number read to its end: a negative, zero or infinite mass
        // would only give wrong or infinite weighings later. A NUL byte in
        // the line is damage as well.
        double value = 0.0;
        const char *massStart = symbolEnd;
        while (*massStart != 0 && std::strchr(" \t\v\f\r", *massStart) != nullptr) ++massStart;
        const char *massEnd = ReadPlainNumber(massStart, &value);
        if (symbolLength == 0 || symbolLength > 3) {
            failure = ElementLoad::BadSymbol;
        } else if (massEnd == massStart || !(value > 0.0) || std::strlen(line) != text.size()) {
            failure = ElementLoad::BadLine;
        } else {
            failure = RestAfterMass(massEnd);
        }
        if (failure != ElementLoad::Loaded) break;

        const char *mark = SkipBlanks(massEnd);
        int isMetal = (*mark == 'm' || *mark == 'M') ? 0 : 1;

        // A 121st element line has been checked like the others but is
        // never stored.
        if (count == MAX_ELEMENTS) {
            failure = ElementLoad::TooMany;
            break;
        }
        std::memcpy(symbol[count], symbolStart, symbolLength);
        symbol[count][symbolLength] = 0;
        mass[count] = value;
        metalFlag[count] = isMetal;
        ++count;
    }
    std::fclose(file);
    if (failure != ElementLoad::Loaded) {
        count = 0;
        return failure;
    }
    failingLine = 0;
    BuildSortedIndex();
    return count == 0 ? ElementLoad::NoElements : ElementLoad::Loaded;
}

// Sorts the symbols into ascending strcmp order (insertion sort: the table
// is small), each with its element index.
void CElementTable::BuildSortedIndex() {
    for (int i = 0; i < count; ++i) {
        unsigned key = PackSymbol(symbol[i], std::strlen(symbol[i]));
        int j = i;
        while (j > 0 && sortedKey[j - 1] > key) {
            sortedKey[j] = sortedKey[j - 1];
            sortedElement[j] = sortedElement[j - 1];
            --j;
        }
        sortedKey[j] = key;
        sortedElement[j] = i;
    }
}

// Binary search of the sorted index for a symbol equal to the whole text.
int CElementTable::Lookup(const char *text) const {
    if (text == nullptr) return -1;
    size_t length = 0;
    while (length < 4 && text[length] != 0) ++length;
    if (length > 3) return -1;  // no symbol is longer than 3 characters
    unsigned wanted = PackSymbol(text, length);

    int low = 0;
    int high = count - 1;
    while (low <= high) {
        int mid = (low + high) / 2;
        if (wanted == sortedKey[mid]) return sortedElement[mid];
        if (wanted < sortedKey[mid]) {
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    }
    return -1;
}

ElementSelection ElementSelection::Metals(const CElementTable &table) {
    ElementSelection selection;
    for (int i = 0; i < table.Count() && i < MAX_ELEMENTS; ++i) selection.Set(i, table.metal(i) != 0);
    return selection;
}

ElementSelection ElementSelection::All(const CElementTable &table) {
    ElementSelection selection;
    for (int i = 0; i < table.Count() && i < MAX_ELEMENTS; ++i) selection.Set(i, true);
    return selection;
}
