#include "sheet.h"

#include <cctype>

#include "reaction.h"
#include "textutil.h"

namespace {

const char *const SHEET_HEADER = "Reactant  (Molar Mass)              Amount Weighed(g)";
const int RULE_LENGTH = 53;
// A reactant's "formula  (molar mass)" piece is padded with blanks to this width.
const int REACTANT_COLUMN = 36;

// A rule of 53 copies of ch.
CString Rule(char ch) {
    CString rule;
    for (int i = 0; i < RULE_LENGTH; ++i) rule += ch;
    return rule;
}

// "  (" molar mass ")" padded with blanks: the part of a reactant line after
// its formula. The padding counts lead as characters already in the piece.
CString MolarMassPiece(const CString &lead, double molarMass) {
    CString piece = lead;
    piece += "  (";
    piece += NumberText(molarMass).c_str();
    piece += ")";
    while (piece.GetLength() < REACTANT_COLUMN) piece += ' ';
    return piece;
}

// " " grams: the end of a reactant line.
CString GramsPiece(const WeighingSheet &sheet, double grams) { return " " + SheetGramsText(sheet, grams); }

// The lines a balance's readability adds after the rows: the total, the
// balance and the rows under its minimum weight (each without a line end).
std::vector<CString> BalanceLines(const WeighingSheet &sheet) {
    std::vector<CString> lines;
    if (sheet.readability.units <= 0) return lines;
    double total = 0.0;
    for (const SheetReactant &reactant : sheet.reactants) total += reactant.grams;
    CString line = "Total";
    while (line.GetLength() < REACTANT_COLUMN) line += ' ';
    lines.push_back(line + GramsPiece(sheet, total));
    lines.push_back(CString("Balance: readability ") + DecimalText(sheet.readability).c_str() + " g, minimum weight " +
                    NumberText(sheet.minimumWeight).c_str() + " g.");
    CString under = UnderMinimumNames(sheet);
    if (!under.IsEmpty()) lines.push_back("Warning: under the balance's minimum weight: " + under + ".");
    return lines;
}

// Appends a piece of the word-processor variant.
void AddPiece(std::vector<SheetPiece> &pieces, SheetPieceKind kind, const CString &text) {
    SheetPiece piece;
    piece.kind = kind;
    piece.text = text;
    pieces.push_back(piece);
}

}  // namespace

// k = (A / M_p) / r_p, each step rounded to double.
double GramsFactor(double amount, double productMolarMass, double productRatio) {
    return (amount / productMolarMass) / productRatio;
}

// g_i = r_i * (M_i * k), the inner product rounded to double.
double ReactantGrams(double ratio, double molarMass, double k) {
    return ratio * (molarMass * k);
}

// Collects the sheet's values from a calculated reaction.
WeighingSheet MakeWeighingSheet(const CReaction &reaction, double amount, const char *sampleId,
                                int showDifferential) {
    WeighingSheet sheet;
    sheet.sampleId = sampleId;
    sheet.amount = amount;
    sheet.productFormula = reaction.ProductFormula();
    sheet.showDifferential = showDifferential;
    if (showDifferential) sheet.differential = reaction.GetDifferential();
    double k = GramsFactor(amount, reaction.ProductMolarMass(), reaction.ProductRatio());
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        SheetReactant reactant;
        reactant.formula = reaction.ReactantFormula(i);
        reactant.molarMass = reaction.ReactantMolarMass(i);
        reactant.grams = ReactantGrams(reaction.ReactantRatio(i), reactant.molarMass, k);
        sheet.reactants.push_back(reactant);
    }
    return sheet;
}

// The formulas of the reactants whose grams show negative, comma separated.
// A residue that shows as 0 is no weighing to warn of.
CString NegativeWeighingNames(const WeighingSheet &sheet) {
    CString names;
    for (const SheetReactant &reactant : sheet.reactants) {
        if (NumberText(reactant.grams).c_str()[0] != '-') continue;
        if (!names.IsEmpty()) names += ", ";
        names += reactant.formula;
    }
    return names;
}

// "Warning: ..." naming them, or empty.
CString NegativeWeighingWarning(const WeighingSheet &sheet) {
    CString names = NegativeWeighingNames(sheet);
    if (names.IsEmpty()) return names;
    return "Warning: negative amounts cannot be weighed: " + names + ".";
}

// The file variant of the sheet, line ends as written.
CString SheetFileText(const WeighingSheet &sheet) {
    CString text = "ID: ";
    text += sheet.sampleId;
    text += "\r\n";

    text += sheet.productFormula;
    text += "  (";
    text += NumberText(sheet.amount).c_str();
    text += " grams)";
    if (sheet.showDifferential) {
        text += "  + ";
        text += sheet.differential.IsEmpty() ? CString("None") : sheet.differential;
    }
    text += "\r\n";

    text += Rule('=') + "\r\n";
    text += CString(SHEET_HEADER) + "\r\n";
    text += Rule('-') + "\r\n";
    for (const SheetReactant &reactant : sheet.reactants) {
        text += MolarMassPiece(reactant.formula, reactant.molarMass);
        text += GramsPiece(sheet, reactant.grams);
        text += "\r\n";
    }
    text += Rule('-') + "\n";
    for (const CString &line : BalanceLines(sheet)) text += line + "\r\n";
    CString warning = NegativeWeighingWarning(sheet);
    if (!warning.IsEmpty()) text += warning + "\r\n";
    text += "\r\n\r\n";
    return text;
}

// The word-processor variant of the sheet, piece by piece.
std::vector<SheetPiece> SheetWordPieces(const WeighingSheet &sheet) {
    std::vector<SheetPiece> pieces;
    AddPiece(pieces, SHEET_TEXT, "ID: " + sheet.sampleId + "\n");

    AddPiece(pieces, SHEET_FORMULA, sheet.productFormula);
    AddPiece(pieces, SHEET_TEXT, CString("  (") + NumberText(sheet.amount).c_str() + " grams)  ");
    if (sheet.showDifferential) {
        AddPiece(pieces, SHEET_TEXT, "  + ");
        if (sheet.differential.IsEmpty())
            AddPiece(pieces, SHEET_TEXT, "None");
        else
            AddPiece(pieces, SHEET_FORMULA, sheet.differential);
    }
    AddPiece(pieces, SHEET_TEXT, "\n");

    AddPiece(pieces, SHEET_TEXT, Rule('=') + "\n");
    AddPiece(pieces, SHEET_TEXT, CString(SHEET_HEADER) + "\n");
    AddPiece(pieces, SHEET_TEXT, Rule('=') + "\n");
    for (const SheetReactant &reactant : sheet.reactants) {
        AddPiece(pieces, SHEET_FORMULA, reactant.formula);
        // Only the part after the formula is padded here.
        AddPiece(pieces, SHEET_TEXT, MolarMassPiece("", reactant.molarMass));
        AddPiece(pieces, SHEET_TEXT, GramsPiece(sheet, reactant.grams));
        AddPiece(pieces, SHEET_PARAGRAPH, "");
    }
    AddPiece(pieces, SHEET_TEXT, Rule('-') + "\n");
    for (const CString &line : BalanceLines(sheet)) AddPiece(pieces, SHEET_TEXT, line + "\n");
    CString warning = NegativeWeighingWarning(sheet);
    if (!warning.IsEmpty()) AddPiece(pieces, SHEET_TEXT, warning + "\n");
    for (int i = 0; i < 3; ++i) AddPiece(pieces, SHEET_PARAGRAPH, "");
    return pieces;
}

// Rounded to the readability when there is one.
CString SheetGramsText(const WeighingSheet &sheet, double grams) {
    Decimal rounded;
    if (sheet.readability.units > 0 && RoundToMultiple(grams, sheet.readability, &rounded))
        return CString(DecimalFixedText(rounded).c_str());
    return CString(NumberText(grams).c_str());
}

// Rows above 0 g and under the minimum weight.
CString UnderMinimumNames(const WeighingSheet &sheet) {
    CString names;
    for (const SheetReactant &reactant : sheet.reactants) {
        if (!(reactant.grams > 0.0 && reactant.grams < sheet.minimumWeight)) continue;
        if (!names.IsEmpty()) names += ", ";
        names += reactant.formula;
    }
    return names;
}

// Maximal runs of letters-and-parentheses and of everything else.
std::vector<FormulaRun> SplitFormulaRuns(const char *formula) {
    std::vector<FormulaRun> runs;
    const char *p = formula;
    while (*p != 0) {
        unsigned char first = static_cast<unsigned char>(*p);
        int letterClass = std::isalpha(first) || first == '(' || first == ')';
        const char *start = p;
        while (*p != 0) {
            unsigned char c = static_cast<unsigned char>(*p);
            int cls = std::isalpha(c) || c == '(' || c == ')';
            if (cls != letterClass) break;
            ++p;
        }
        FormulaRun run;
        run.subscript = letterClass ? 0 : 1;
        run.text = CString(start, static_cast<int>(p - start));
        runs.push_back(run);
    }
    return runs;
}

// LF -> CR LF, as a Windows text-mode stream stores it.
std::string TextModeBytes(const char *text) {
    std::string bytes;
    for (const char *p = text; *p != 0; ++p) {
        if (*p == '\n') bytes += '\r';
        bytes += *p;
    }
    return bytes;
}

// CR LF -> LF, as a Windows text-mode stream reads it.
std::string TextModeRead(const char *bytes, size_t length) {
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}
