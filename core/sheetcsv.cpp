#include "sheetcsv.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sheet.h"

const char *const SHEET_CSV_COLUMNS[7] = {"Sample ID", "Product", "Product amount (g)", "Starting material",
                                          "Ratio", "Molar mass (g/mol)", "Mass (g)"};

CString CsvField(const CString &text) {
    const char *s = text.GetString();
    int length = text.GetLength();
    bool quote = length > 0 && (s[0] == ' ' || s[length - 1] == ' ');
    for (int i = 0; i < length && !quote; ++i) quote = std::strchr(",\"\r\n", s[i]) != nullptr && s[i] != 0;
    if (!quote) return text;
    CString quoted = "\"";
    for (int i = 0; i < length; ++i) {
        if (s[i] == '"') quoted += '"';
        quoted += s[i];
    }
    quoted += '"';
    return quoted;
}

// The fewest significant digits that read back exactly, written without an
// exponent where that stays short (spreadsheets show 10, not 1e+01). printf
// writes a point in the "C" locale, which the programs never leave.
std::string ExactNumberText(double value) {
    char text[64];
    if (!std::isfinite(value)) return value != value ? "nan" : value > 0 ? "inf" : "-inf";
    int digits = 1;
    for (; digits < 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    int exponent = std::atoi(std::strchr(text, 'e') + 1);
    if (exponent >= -6 && exponent < 17) {
        int decimals = digits - 1 - exponent;
        std::snprintf(text, sizeof text, "%.*f", decimals > 0 ? decimals : 0, value);
    } else {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
    }
    return text;
}

CString SheetCsvText(const WeighingSheet &sheet) {
    CString text;
    for (int i = 0; i < 7; ++i) {
        if (i > 0) text += ",";
        text += CsvField(SHEET_CSV_COLUMNS[i]);
    }
    text += "\r\n";
    for (const SheetReactant &reactant : sheet.reactants) {
        const std::string numbers[] = {ExactNumberText(reactant.ratio), ExactNumberText(reactant.molarMass),
                                       ExactNumberText(GramsToWeigh(sheet, reactant))};
        text += CsvField(sheet.sampleId) + "," + CsvField(sheet.productFormula) + "," +
                ExactNumberText(sheet.amount).c_str() + "," + CsvField(reactant.formula);
        for (const std::string &number : numbers) text += CString(",") + number.c_str();
        text += "\r\n";
    }
    return text;
}
