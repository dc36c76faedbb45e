#include "sheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "reaction.h"
#include "textutil.h"

namespace {

const char *const SHEET_HEADER = "Reactant  (Molar Mass)              Amount Weighed(g)";
const int RULE_LENGTH = 53;
// A reactant's "formula  (molar mass)" piece is padded with blanks to this width.
const int REACTANT_COLUMN = 36;

// A rule of length copies of ch (53, the width of the sheet's header line,
// unless given).
CString Rule(char ch, int length = RULE_LENGTH) {
    CString rule;
    for (int i = 0; i < length; ++i) rule += ch;
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
    for (const SheetReactant &reactant : sheet.reactants) total += GramsToWeigh(sheet, reactant);
    CString line = "Total";
    while (line.GetLength() < REACTANT_COLUMN) line += ' ';
    lines.push_back(line + GramsPiece(sheet, total));
    lines.push_back(CString("Balance: readability ") + DecimalText(sheet.readability).c_str() + " g, minimum weight " +
                    NumberText(sheet.minimumWeight).c_str() + " g.");
    CString under = UnderMinimumNames(sheet);
    if (!under.IsEmpty()) lines.push_back("Warning: under the balance's minimum weight: " + under + ".");
    return lines;
}

// The lines a pipette's readability adds after the balance's, when the
// sheet shows volumes: the pipette and the rows under its minimum volume.
std::vector<CString> PipetteLines(const WeighingSheet &sheet) {
    std::vector<CString> lines;
    if (sheet.pipetteReadability.units <= 0 || !sheet.showVolume) return lines;
    lines.push_back(CString("Pipette: readability ") + DecimalText(sheet.pipetteReadability).c_str() +
                    " mL, minimum volume " + NumberText(sheet.minimumVolume).c_str() + " mL.");
    const CString under = UnderMinimumVolumeNames(sheet);
    if (!under.IsEmpty()) lines.push_back("Warning: under the pipette's minimum volume: " + under + ".");
    return lines;
}

// Appends a piece of the word-processor variant.
void AddPiece(std::vector<SheetPiece> &pieces, SheetPieceKind kind, const CString &text) {
    SheetPiece piece;
    piece.kind = kind;
    piece.text = text;
    pieces.push_back(piece);
}

// The batch's columns after "Amount Weighed(g)": each two blanks and a
// text padded to the column's width, EXTRA_COLUMN characters or its label's.
const int EXTRA_COLUMN = 10;

struct Column {
    const char *label;
    int width;
};

void AddColumn(CString &line, const char *text, int width = EXTRA_COLUMN) {
    line += "  ";
    line += text;
    for (int i = static_cast<int>(std::strlen(text)); i < width; ++i) line += ' ';
}

// Blanks at the end of a line go.
CString TrimmedEnd(CString line) {
    int length = line.GetLength();
    while (length > 0 && line[length - 1] == ' ') --length;
    return CString(line.GetString(), length);
}

// The columns the sheet shows after "Amount Weighed(g)", in order. The
// columns of solution grams and volumes are as wide as their widest cell.
std::vector<Column> ExtraColumns(const WeighingSheet &sheet) {
    std::vector<Column> columns;
    auto add = [&columns](const char *label, int widest = 0) {
        const int length = static_cast<int>(std::strlen(label));
        int width = length > EXTRA_COLUMN ? length : EXTRA_COLUMN;
        columns.push_back(Column{label, widest > width ? widest : width});
    };
    if (sheet.showPurity) {
        add("Pure(g)");
        add("Purity(%)");
        add("Excess(%)");
    }
    if (sheet.showMmol) add("mmol");
    int solution = 0, volume = 0;
    for (const SheetReactant &reactant : sheet.reactants) {
        if (reactant.hasSolutionGrams) solution = std::max(solution, SheetGramsText(sheet, reactant.solutionGrams).GetLength());
        if (reactant.hasVolume) volume = std::max(volume, SheetVolumeText(sheet, reactant.volumeMl).GetLength());
    }
    if (sheet.showSolutionGrams) add("Solution(g)", solution);
    if (sheet.showVolume) add("Volume(mL)", volume);
    return columns;
}

int TableWidth(const WeighingSheet &sheet) {
    int width = RULE_LENGTH;
    for (const Column &column : ExtraColumns(sheet)) width += column.width + 2;
    return width;
}

// The header of the weighings, with the batch's column labels.
CString TableHeader(const WeighingSheet &sheet) {
    CString header = SHEET_HEADER;
    for (const Column &column : ExtraColumns(sheet)) AddColumn(header, column.label, column.width);
    return TrimmedEnd(header);
}

// A reactant's cells of the batch's columns, in ExtraColumns' order (empty
// where a row has no value).
std::vector<CString> ExtraCells(const WeighingSheet &sheet, const SheetReactant &reactant) {
    std::vector<CString> cells;
    if (sheet.showPurity) {
        cells.push_back(NumberText(reactant.grams).c_str());
        cells.push_back(NumberText(reactant.purity).c_str());
        cells.push_back(NumberText(reactant.excess).c_str());
    }
    if (sheet.showMmol) cells.push_back(NumberText(reactant.mmol).c_str());
    if (sheet.showSolutionGrams)
        cells.push_back(reactant.hasSolutionGrams ? SheetGramsText(sheet, reactant.solutionGrams) : CString());
    if (sheet.showVolume) cells.push_back(reactant.hasVolume ? SheetVolumeText(sheet, reactant.volumeMl) : CString());
    return cells;
}

// What follows the molar mass piece of a reactant line: the weighed grams,
// then, padded from the end of a 53-character line, the batch's columns.
// used: the characters of the line before this piece.
CString AmountPieces(const WeighingSheet &sheet, const SheetReactant &reactant, int used) {
    const std::vector<Column> columns = ExtraColumns(sheet);
    if (columns.empty()) return GramsPiece(sheet, reactant.grams);
    CString piece = GramsPiece(sheet, GramsToWeigh(sheet, reactant));
    while (used + piece.GetLength() < RULE_LENGTH) piece += ' ';
    const std::vector<CString> cells = ExtraCells(sheet, reactant);
    for (size_t i = 0; i < columns.size(); ++i) AddColumn(piece, cells[i], columns[i].width);
    return TrimmedEnd(piece);
}

typedef std::vector<SheetPiece> SheetLine;

// A gas's formula and what it does are padded to this width.
const int GAS_COLUMN = 14;

void AddText(SheetLine &line, const CString &text) { AddPiece(line, SHEET_TEXT, text); }
void AddFormula(SheetLine &line, const CString &text) { AddPiece(line, SHEET_FORMULA, text); }

// "<number> g" or "<number> mmol".
CString Quantity(double value, const char *unit) { return CString(NumberText(value).c_str()) + " " + unit; }

// What a row's form line says after its formula: ": neat liquid, 0.933 g/mL.",
// ": solution, 0.5 mol/L (1.1 g/mL).", ": 40 % by mass."; empty for a solid.
CString FormText(const MaterialForm &form) {
    const CString density =
        form.density != 0.0 ? CString(" (") + NumberText(form.density).c_str() + " g/mL)" : CString();
    switch (form.Kind()) {
    case FormKind::Solid:
        break;
    case FormKind::NeatLiquid:
        return CString(": neat liquid, ") + NumberText(form.density).c_str() + " g/mL.";
    case FormKind::Molar:
        return CString(": solution, ") + NumberText(form.molarity).c_str() + " mol/L" + density + ".";
    case FormKind::MassFraction:
        return CString(": ") + NumberText(form.massFraction).c_str() + " % by mass" + density + ".";
    }
    return CString();
}

// The batch's lines under the weighings, each a run of pieces.
std::vector<SheetLine> BatchLines(const WeighingSheet &sheet) {
    std::vector<SheetLine> lines;
    const BatchResult &batch = sheet.batch;
    if (sheet.showMmol) {
        lines.emplace_back();
        AddText(lines.back(), "Product: ");
        AddFormula(lines.back(), sheet.productFormula);
        AddText(lines.back(), "  " + Quantity(sheet.productMmol, "mmol"));
    }
    if (!sheet.scaleNote.IsEmpty()) {
        lines.emplace_back();
        AddText(lines.back(), sheet.scaleNote);
    }
    if (sheet.showPurity) {
        lines.emplace_back();
        AddText(lines.back(), "Amount Weighed = Pure(g) / purity x (1 + excess); the gases come from Pure(g).");
        for (const SheetReactant &reactant : sheet.reactants) {
            if (reactant.excess == 0.0) continue;
            lines.emplace_back();
            AddFormula(lines.back(), reactant.formula);
            AddText(lines.back(), CString(": ") + NumberText(reactant.excess).c_str() +
                                      " % excess, added to the weighing; not in the differential or the gases.");
        }
    }
    for (const SheetReactant &reactant : sheet.reactants) {
        const CString form = FormText(reactant.form);
        if (form.IsEmpty()) continue;
        lines.emplace_back();
        AddFormula(lines.back(), reactant.formula);
        AddText(lines.back(), form);
    }
    for (const SheetReactant &reactant : sheet.reactants) {
        if (!reactant.bottle.fromShelf) continue;
        lines.emplace_back();
        AddFormula(lines.back(), reactant.formula);
        AddText(lines.back(), ": bottle " + BottleText(reactant.bottle) + ".");
    }
    if (sheet.anySolution) {
        lines.emplace_back();
        AddText(lines.back(), "Solutions: the solvent is not in the element balance, the differential or the gases.");
        lines.emplace_back();
        AddText(lines.back(), "Their Amount Weighed(g) is the compound they hold.");
    }
    if (sheet.showGases) {
        lines.emplace_back();
        AddText(lines.back(), "Gases (per batch; NOx counted as NO2):");
        if (batch.gases.empty()) {
            lines.emplace_back();
            AddText(lines.back(), "  None");
        }
        for (const BatchGas &gas : batch.gases) {
            lines.emplace_back();
            AddText(lines.back(), "  ");
            AddFormula(lines.back(), gas.formula);
            CString text = gas.grams < 0.0 ? " taken up" : " released";
            while (gas.formula.GetLength() + text.GetLength() < GAS_COLUMN) text += ' ';
            text += Quantity(std::fabs(gas.grams), "g") + "  (" + Quantity(std::fabs(gas.mmol), "mmol") + ")";
            AddText(lines.back(), text);
        }
        lines.emplace_back();
        AddText(lines.back(), "Mass loss: " + Quantity(batch.massLossPercent, "%") + "  (" +
                                  Quantity(batch.gasGrams, "g") + " of " + Quantity(batch.stoichiometricTotal, "g") +
                                  " of pure starting materials)");
        for (const BatchLeftover &leftover : batch.unaccounted) {
            lines.emplace_back();
            AddText(lines.back(), "  Not accounted for: ");
            AddFormula(lines.back(), leftover.symbol);
            AddText(lines.back(), CString(" ") + Quantity(std::fabs(leftover.mmol), "mmol") +
                                      (leftover.mmol < 0.0 ? " missing" : " left over"));
        }
    }
    return lines;
}

}  // namespace

// Collects the sheet's values from a calculated reaction.
WeighingSheet MakeWeighingSheet(const CReaction &reaction, double amount, const char *sampleId,
                                int showDifferential) {
    WeighingSheet sheet;
    sheet.sampleId = sampleId;
    sheet.amount = amount;
    sheet.productFormula = reaction.ProductFormula();
    sheet.productMolarMass = reaction.ProductMolarMass();
    sheet.productRatio = reaction.ProductRatio();
    sheet.showDifferential = showDifferential;
    if (showDifferential) sheet.differential = reaction.GetDifferential();
    double k = GramsFactor(amount, reaction.ProductMolarMass(), reaction.ProductRatio());
    for (int i = 0; i < reaction.ReactantCount(); ++i) {
        SheetReactant reactant;
        reactant.formula = reaction.ReactantFormula(i);
        reactant.molarMass = reaction.ReactantMolarMass(i);
        reactant.ratio = reaction.ReactantRatio(i);
        reactant.grams = ReactantGrams(reaction.ReactantRatio(i), reactant.molarMass, k);
        reactant.ratio = reaction.ReactantRatio(i);
        sheet.reactants.push_back(reactant);
    }
    return sheet;
}

// The plain sheet, then the batch's numbers and what it shows.
WeighingSheet MakeBatchSheet(const CReaction &reaction, const BatchInput &input, const BatchResult &result,
                             const std::vector<int> &rowNumbers, const char *sampleId, int showDifferential) {
    WeighingSheet sheet = MakeWeighingSheet(reaction, result.productGrams, sampleId, showDifferential);
    for (size_t i = 0; i < sheet.reactants.size() && i < result.rows.size(); ++i) {
        SheetReactant &reactant = sheet.reactants[i];
        const BatchRow &row = result.rows[i];
        if (i < rowNumbers.size()) reactant.row = rowNumbers[i];
        reactant.weighedGrams = row.weighedGrams;
        reactant.purity = row.purity;
        reactant.excess = row.excess;
        reactant.mmol = row.mmol;
        reactant.form = row.form;
        reactant.hasVolume = row.hasVolume;
        reactant.volumeMl = row.volumeMl;
        reactant.hasSolutionGrams = row.hasSolutionGrams;
        reactant.solutionGrams = row.solutionGrams;
        reactant.bottle = row.bottle;
        if (row.purity != PURITY_DEFAULT || row.excess != EXCESS_DEFAULT) sheet.showPurity = 1;
    }
    sheet.showVolume = result.anyVolume ? 1 : 0;
    sheet.showSolutionGrams = result.anySolutionGrams ? 1 : 0;
    sheet.anySolution = result.anySolution ? 1 : 0;
    sheet.showMmol = input.mmol ? 1 : 0;
    sheet.showGases = input.gases ? 1 : 0;
    sheet.productMmol = result.productMmol;
    if (input.scale == BatchScale::Material && input.scaleMaterial >= 0 &&
        input.scaleMaterial < reaction.ReactantCount()) {
        const size_t i = static_cast<size_t>(input.scaleMaterial);
        CString row;
        if (i < rowNumbers.size()) row.Format(" (row %d)", rowNumbers[i]);
        sheet.scaleRow = i < rowNumbers.size() ? rowNumbers[i] : 0;
        sheet.scaleFormula = reaction.ReactantFormula(input.scaleMaterial);
        sheet.scaleNote = CString("Scaled to ") + NumberText(input.mass).c_str() + " g of " +
                          reaction.ReactantFormula(input.scaleMaterial) + row + " as weighed";
    } else if (input.scale == BatchScale::Total) {
        sheet.scaleNote = CString("Scaled to ") + NumberText(input.mass).c_str() + " g of starting materials weighed in total";
    }
    sheet.scale = input.scale;
    if (input.scale != BatchScale::Product) sheet.scaleGrams = input.mass;
    sheet.batch = result;
    return sheet;
}

// The formulas of the reactants that would be weighed negative, comma
// separated: what goes on the balance, purity and excess included.
CString NegativeWeighingNames(const WeighingSheet &sheet) {
    CString names;
    for (const SheetReactant &reactant : sheet.reactants) {
        if (!(GramsToWeigh(sheet, reactant) < 0.0)) continue;
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

    const int width = TableWidth(sheet);
    text += Rule('=', width) + "\r\n";
    text += TableHeader(sheet) + "\r\n";
    text += Rule('-', width) + "\r\n";
    for (const SheetReactant &reactant : sheet.reactants) {
        const CString lead = MolarMassPiece(reactant.formula, reactant.molarMass);
        text += lead;
        text += AmountPieces(sheet, reactant, lead.GetLength());
        text += "\r\n";
    }
    text += Rule('-', width) + "\n";
    for (const CString &line : BalanceLines(sheet)) text += line + "\r\n";
    for (const CString &line : PipetteLines(sheet)) text += line + "\r\n";
    CString warning = NegativeWeighingWarning(sheet);
    if (!warning.IsEmpty()) text += warning + "\r\n";
    for (const SheetLine &line : BatchLines(sheet)) {
        for (const SheetPiece &piece : line) text += piece.text;
        text += "\r\n";
    }
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

    const int width = TableWidth(sheet);
    AddPiece(pieces, SHEET_TEXT, Rule('=', width) + "\n");
    AddPiece(pieces, SHEET_TEXT, TableHeader(sheet) + "\n");
    AddPiece(pieces, SHEET_TEXT, Rule('=', width) + "\n");
    for (const SheetReactant &reactant : sheet.reactants) {
        AddPiece(pieces, SHEET_FORMULA, reactant.formula);
        // Only the part after the formula is padded here.
        const CString after = MolarMassPiece("", reactant.molarMass);
        AddPiece(pieces, SHEET_TEXT, after);
        AddPiece(pieces, SHEET_TEXT, AmountPieces(sheet, reactant, reactant.formula.GetLength() + after.GetLength()));
        AddPiece(pieces, SHEET_PARAGRAPH, "");
    }
    AddPiece(pieces, SHEET_TEXT, Rule('-', width) + "\n");
    for (const CString &line : BalanceLines(sheet)) AddPiece(pieces, SHEET_TEXT, line + "\n");
    for (const CString &line : PipetteLines(sheet)) AddPiece(pieces, SHEET_TEXT, line + "\n");
    CString warning = NegativeWeighingWarning(sheet);
    if (!warning.IsEmpty()) AddPiece(pieces, SHEET_TEXT, warning + "\n");
    for (const SheetLine &line : BatchLines(sheet)) {
        pieces.insert(pieces.end(), line.begin(), line.end());
        AddPiece(pieces, SHEET_TEXT, "\n");
    }
    for (int i = 0; i < 3; ++i) AddPiece(pieces, SHEET_PARAGRAPH, "");
    return pieces;
}

// Rounded to the readability when there is one.
namespace {

// A mass or volume rounded to a readability when there is one ("%.5f" trimmed without).
CString RoundedText(double value, const Decimal &readability) {
    Decimal rounded;
    if (readability.units > 0 && RoundToMultiple(value, readability, &rounded))
        return CString(DecimalFixedText(rounded).c_str());
    return CString(NumberText(value).c_str());
}

// The formulas of the rows whose amount (amountOf: < 0 for none) is above 0 and under minimum, "A, B".
template <typename AmountOf>
CString NamesUnder(const WeighingSheet &sheet, double minimum, AmountOf amountOf) {
    CString names;
    for (const SheetReactant &reactant : sheet.reactants) {
        const double amount = amountOf(reactant);
        if (!(amount > 0.0 && amount < minimum)) continue;
        if (!names.IsEmpty()) names += ", ";
        names += reactant.formula;
    }
    return names;
}

}  // namespace

CString SheetGramsText(const WeighingSheet &sheet, double grams) { return RoundedText(grams, sheet.readability); }

CString SheetVolumeText(const WeighingSheet &sheet, double millilitres) {
    return RoundedText(millilitres, sheet.pipetteReadability);
}

// Rows dispensed by volume, above 0 mL and under the minimum volume.
CString UnderMinimumVolumeNames(const WeighingSheet &sheet) {
    return NamesUnder(sheet, sheet.minimumVolume,
                      [](const SheetReactant &reactant) { return reactant.hasVolume ? reactant.volumeMl : -1.0; });
}

// Rows above 0 g and under the minimum weight.
CString UnderMinimumNames(const WeighingSheet &sheet) {
    return NamesUnder(sheet, sheet.minimumWeight,
                      [&sheet](const SheetReactant &reactant) { return GramsToWeigh(sheet, reactant); });
}

// Maximal runs of full-size characters and of subscripts.
std::vector<FormulaRun> SplitFormulaRuns(const char *formula) {
    std::vector<FormulaRun> runs;
    FormulaSubscripts subscripts;
    for (const char *p = formula; *p != 0; ++p) {
        int subscript = subscripts.Next(*p) ? 1 : 0;
        if (runs.empty() || runs.back().subscript != subscript) runs.push_back(FormulaRun{subscript, CString()});
        runs.back().text += *p;
    }
    return runs;
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
