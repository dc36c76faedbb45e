#include "series.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "datatext.h"
#include "entry.h"
#include "formula.h"
#include "rowstore.h"
#include "textutil.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool StartsNumber(char c) { return IsDigit(c) || c == '.'; }

// A count with x: A + sign * B * x (A 0 and sign + for "Bx" and "x").
struct XCount {
    Decimal constant;
    Decimal coefficient{1, 0};
    int sign = 1;
};

// Reads a count with x at p, if one is there. Returns the end, p itself when
// the count there has no x, or nullptr when it starts like one but is not.
const char *ReadXCount(const char *p, XCount *count) {
    const char *q = p;
    Decimal first{1, 0};
    bool haveFirst = false;
    if (StartsNumber(*q)) {
        const char *end = ReadDecimal(q, false, &first);
        if (end == q) return p;  // no number after all: left to the parser
        haveFirst = true;
        q = end;
    }
    if (*q == 'x') {
        count->coefficient = first;
        return q + 1;
    }
    if (!haveFirst || (*q != '+' && *q != '-')) return p;  // a plain count, or none
    count->constant = first;
    count->sign = *q++ == '-' ? -1 : 1;
    if (StartsNumber(*q)) {
        const char *end = ReadDecimal(q, false, &count->coefficient);
        if (end == q) return nullptr;
        q = end;
    }
    return *q == 'x' ? q + 1 : nullptr;
}

// What may not follow a count with x: more of a number (digits, a sign, an
// exponent: the count put in would read on into it), a blank or a small letter.
bool BadAfterCount(const char *p) {
    const char c = p[0];
    if (c == 'E') return IsDigit(p[1]) || p[1] == '+' || p[1] == '-';
    return c != 0 && (StartsNumber(c) || std::strchr("+- \t", c) != nullptr || (c >= 'a' && c <= 'z'));
}

// The member formula's text without the parser's check (see SeriesMemberFormula).
SeriesFormulaStatus Substitute(const char *templ, const SeriesX *x, std::string &out, CString *why) {
    std::vector<size_t> groups;  // where each open group starts in out
    bool variable = false;
    const char *p = templ;
    while (*p != 0) {
        size_t owner = out.size();
        std::string name;
        if (*p == '(') {
            groups.push_back(out.size());
            out += *p++;
            continue;
        }
        if (*p == ')') {
            if (groups.empty()) {
                *why = CString("A parenthesis closes that was never opened.");
                return SeriesFormulaStatus::Invalid;
            }
            owner = groups.back();
            groups.pop_back();
            out += *p++;
            name = "a group";
        } else if (*p >= 'A' && *p <= 'Z') {
            out += *p++;
            while (*p >= 'a' && *p <= 'z' && *p != 'x' && out.size() - owner < 3) out += *p++;
            name = out.substr(owner);
        } else {
            out += *p++;  // left to the parser's judgement
            continue;
        }
        XCount count;
        const char *end = ReadXCount(p, &count);
        if (end == p) continue;
        if (end == nullptr || BadAfterCount(end)) {
            *why = CString("The count after ") + name.c_str() + " is not of the form x, Bx, A+x, A-x, A+Bx or A-Bx.";
            return SeriesFormulaStatus::Invalid;
        }
        variable = true;
        p = end;
        if (x == nullptr) continue;  // the template check: a count of 1
        Decimal product, value;
        if (!DecimalMultiply(count.coefficient, x->value, &product) ||
            !DecimalMultiply(product, Decimal{count.sign, 0}, &product) ||
            !DecimalAdd(count.constant, product, &value)) {
            *why = CString("The count of ") + name.c_str() + " has too many digits at x = " + x->text + ".";
            return SeriesFormulaStatus::TooLong;
        }
        if (DecimalSign(value) < 0) {
            *why = CString("The count of ") + name.c_str() + " is negative (" + DecimalText(value).c_str() +
                   ") at x = " + x->text + ".";
            return SeriesFormulaStatus::Negative;
        }
        if (DecimalSign(value) == 0)
            out.erase(owner);
        else if (DecimalCompare(value, Decimal{1, 0}) != 0)
            out += DecimalText(value);
    }
    if (!variable) {
        *why = CString("The formula has no count with x.");
        return SeriesFormulaStatus::NoVariable;
    }
    return SeriesFormulaStatus::Done;
}

}  // namespace

SeriesFormulaStatus SeriesMemberFormula(const CFormulaParser &parser, const char *templ, const SeriesX *x,
                                        CString *formula, CString *why) {
    std::string out;
    SeriesFormulaStatus status = Substitute(templ, x, out, why);
    if (status != SeriesFormulaStatus::Done) return status;
    if (parser.Check(out.c_str()) != 0) {
        *why = CString("The formula is not valid where x is put in: ") + out.c_str() + ".";
        return SeriesFormulaStatus::Invalid;
    }
    *formula = out.c_str();
    return SeriesFormulaStatus::Done;
}

bool SeriesProbeFormula(const char *templ, std::string *probe) {
    CString why;
    return Substitute(templ, nullptr, *probe, &why) == SeriesFormulaStatus::Done;
}

bool IsSeriesFormula(const CFormulaParser &parser, const char *text) {
    CString formula, why;
    return SeriesMemberFormula(parser, text, nullptr, &formula, &why) == SeriesFormulaStatus::Done;
}

namespace {

// The elements of a formula (none when it does not read).
std::vector<int> ElementsOf(const CFormulaParser &parser, const char *formula) {
    std::vector<int> elements;
    CFormulaNode *tree = nullptr;
    Composition composition;
    if (parser.Check(formula, &tree) == 0 && parser.GetComposition(nullptr, 1.0, tree, composition) == 0)
        elements.assign(composition.elements, composition.elements + composition.count);
    delete tree;
    return elements;
}

bool Holds(const std::vector<int> &elements, int element) {
    return std::find(elements.begin(), elements.end(), element) != elements.end();
}

}  // namespace

void PrepareSeriesMember(const CFormulaParser &parser, const char *templ, const CString &formula,
                         CalcFields &fields, LedraRowStore &rows) {
    fields.productFormula = formula;
    std::string probe;
    if (!SeriesProbeFormula(templ, &probe)) return;
    const std::vector<int> present = ElementsOf(parser, formula);
    std::vector<int> absent;
    for (int element : ElementsOf(parser, probe.c_str()))
        if (!Holds(present, element)) absent.push_back(element);
    for (int i = 0; i < rows.capacity() && !absent.empty(); ++i) {
        LedraRow *row = rows.row(i);
        if (row->formula.IsEmpty() || row->fixed != 0) continue;
        for (int element : ElementsOf(parser, row->formula)) {
            if (!Holds(absent, element)) continue;
            row->fixed = 1;
            row->ratio = 0.0;
            break;
        }
    }
}

namespace {

// One value of x read at the start of text; false unless it is all of text.
bool ReadWholeX(const std::string &text, SeriesX *x) {
    const char *end = ReadDecimal(text.c_str(), true, &x->value);
    if (end == text.c_str() || *end != 0) return false;
    x->text = DecimalText(x->value).c_str();
    x->number = DecimalValue(x->value);
    return true;
}

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool Fail(CString *why, const std::string &text) {
    *why = text.c_str();
    return false;
}

}  // namespace

bool ParseSeriesValues(const char *text, std::vector<SeriesX> *values, CString *why) {
    values->clear();
    const std::string all = text;
    const std::vector<std::string> range = Split(all, ':');
    if (range.size() == 3) {
        SeriesX from, to, step;
        if (!ReadWholeX(range[0], &from) || !ReadWholeX(range[1], &to) || !ReadWholeX(range[2], &step))
            return Fail(why, "The values of x \"" + all + "\" are not FROM:TO:STEP in plain decimals.");
        if (DecimalSign(step.value) <= 0 || DecimalCompare(from.value, to.value) > 0)
            return Fail(why, "The values of x \"" + all + "\" need FROM <= TO and a STEP above 0.");
        Decimal next = from.value;
        for (;;) {
            if (values->size() >= size_t(SERIES_MAX_VALUES))
                return Fail(why, "The values of x \"" + all + "\" are more than " +
                                     std::to_string(SERIES_MAX_VALUES) + ".");
            SeriesX x;
            ReadWholeX(DecimalText(next), &x);
            values->push_back(x);
            int reached = DecimalCompare(next, to.value);
            if (reached == 0) return true;
            Decimal stepped;
            if (reached > 0 || !DecimalAdd(next, step.value, &stepped) || DecimalCompare(stepped, to.value) > 0)
                return Fail(why, "The values of x \"" + all + "\" do not reach TO in whole steps.");
            next = stepped;
        }
    }
    if (range.size() != 1) return Fail(why, "The values of x \"" + all + "\" are neither a list nor FROM:TO:STEP.");
    for (const std::string &item : Split(all, ',')) {
        SeriesX x;
        if (!ReadWholeX(item, &x)) return Fail(why, "\"" + item + "\" is not a value of x (a plain decimal).");
        for (const SeriesX &seen : *values)
            if (DecimalCompare(seen.value, x.value) == 0) return Fail(why, "x = " + item + " is given twice.");
        if (values->size() >= size_t(SERIES_MAX_VALUES))
            return Fail(why, "The values of x are more than " + std::to_string(SERIES_MAX_VALUES) + ".");
        values->push_back(x);
    }
    return true;
}

SeriesResult RunSeries(const CFormulaParser &parser, const char *templ, const std::vector<SeriesX> &values,
                       const SeriesCalculation &calculate) {
    SeriesResult result;
    result.templ = templ;
    for (const SeriesX &x : values) {
        SeriesMember member;
        member.x = x;
        CString why;
        if (SeriesMemberFormula(parser, templ, &x, &member.formula, &why) == SeriesFormulaStatus::Done) {
            member.outcome = calculate(member.formula);
        } else {
            member.formula.Empty();
            member.outcome.messages = why;
        }
        result.members.push_back(member);
    }
    return result;
}

// ---------------------------------------------------------------------------
// The series sheet

namespace {

std::string Str(const CString &text) { return std::string(text.GetString(), size_t(text.GetLength())); }

// The starting materials of the series: those of the first member done
// (every member has the same ones).
const SeriesMember *FirstDone(const SeriesResult &series) {
    for (const SeriesMember &member : series.members)
        if (member.outcome.done) return &member;
    return nullptr;
}

// A member's check: "None" or its differential; then warnings, one line each.
std::string Check(const SeriesMember &member) {
    if (!member.outcome.done) return "failed: " + Str(member.outcome.messages);
    std::string text = member.outcome.sheet.differential.IsEmpty() ? "None" : "+ " + Str(member.outcome.sheet.differential);
    if (!member.outcome.messages.IsEmpty()) text += "; " + Str(member.outcome.messages);
    return text;
}

// The messages on one line.
std::string OneLine(std::string text) {
    for (char &c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string Padded(const std::string &text, size_t width, bool right) {
    if (text.size() >= width) return text;
    return right ? std::string(width - text.size(), ' ') + text : text + std::string(width - text.size(), ' ');
}

std::string Shown(double value) { return NumberText(value).c_str(); }

// The grams on the balance of a member's row i (purity and excess in).
double Weighed(const SeriesMember &member, size_t i) {
    return GramsToWeigh(member.outcome.sheet, member.outcome.sheet.reactants[i]);
}

// The sheet of the first member done, or null.
const WeighingSheet *FirstSheet(const SeriesResult &series) {
    const SeriesMember *first = FirstDone(series);
    return first == nullptr ? nullptr : &first->outcome.sheet;
}

// How every member is scaled, in the words of the single sheet's note
// ("scaled to 20 g of starting materials weighed in total"); empty when the
// members are scaled to the product (or none is done).
std::string ScaledTo(const SeriesResult &series) {
    const WeighingSheet *sheet = FirstSheet(series);
    if (sheet == nullptr || sheet->scale == BatchScale::Product || sheet->scaleNote.IsEmpty()) return "";
    std::string note = Str(sheet->scaleNote);
    if (note[0] >= 'A' && note[0] <= 'Z') note[0] = char(note[0] - 'A' + 'a');
    return note;
}

// Whether a member done shows purity (&WeighingSheet::showPurity), volumes or grams of solution.
bool Shows(const SeriesResult &series, int WeighingSheet::*flag) {
    for (const SeriesMember &member : series.members)
        if (member.outcome.done && member.outcome.sheet.*flag) return true;
    return false;
}
bool ShowsPurity(const SeriesResult &series) { return Shows(series, &WeighingSheet::showPurity); }

// What a row dispenses besides its grams: the grams of solution or the volume.
struct Dispensed {
    const char *title;  // of the series sheet's table
    const char *unit;   // of its CSV lines
    int WeighingSheet::*shown;
    bool SheetReactant::*has;
    double SheetReactant::*value;
};
const Dispensed DISPENSED[] = {
    {"Solution(g) at each x", " solution (g)", &WeighingSheet::showSolutionGrams, &SheetReactant::hasSolutionGrams,
     &SheetReactant::solutionGrams},
    {"Volume(mL) at each x", " volume (mL)", &WeighingSheet::showVolume, &SheetReactant::hasVolume,
     &SheetReactant::volumeMl},
};

// A member's row i as kind gives it, if it has one.
bool DispensedValue(const SeriesMember &member, size_t i, const Dispensed &kind, double *value) {
    if (!member.outcome.done) return false;
    const SheetReactant &row = member.outcome.sheet.reactants[i];
    *value = row.*kind.value;
    return row.*kind.has;
}

// Whether row i has kind's value in some member done.
bool RowDispenses(const SeriesResult &series, size_t i, const Dispensed &kind) {
    double value = 0.0;
    for (const SeriesMember &member : series.members)
        if (DispensedValue(member, i, kind, &value)) return true;
    return false;
}

}  // namespace

std::string SeriesText(const SeriesResult &series) {
    std::string text = "ID: " + Str(series.sampleId) + "\n";
    const std::string scaled = ScaledTo(series);
    text += "Series " + Str(series.templ) + "  (" +
            (scaled.empty() ? Shown(series.amount) + " grams of each member" : "each member " + scaled) + ")\n";
    size_t xWidth = 1, formulaWidth = 7;
    for (const SeriesMember &member : series.members) {
        xWidth = std::max(xWidth, size_t(member.x.text.GetLength()));
        formulaWidth = std::max(formulaWidth, size_t(member.formula.GetLength()));
    }
    text += std::string(53, '=') + "\n";
    text += Padded("x", xWidth + 2, false) + Padded("Product", formulaWidth + 2, false) + "Check (differential)\n";
    for (const SeriesMember &member : series.members)
        text += Padded(Str(member.x.text), xWidth + 2, false) +
                Padded(member.formula.IsEmpty() ? "-" : Str(member.formula), formulaWidth + 2, false) +
                OneLine(Check(member)) + "\n";
    const SeriesMember *first = FirstDone(series);
    if (first != nullptr) {
        const std::vector<SheetReactant> &rows = first->outcome.sheet.reactants;
        std::vector<std::string> labels;
        size_t labelWidth = 22;
        for (const SheetReactant &row : rows) {
            labels.push_back(Str(row.formula) + "  (" + Shown(row.molarMass) + ")");
            labelWidth = std::max(labelWidth, labels.back().size());
        }
        size_t column = 0;
        for (const SeriesMember &member : series.members) {
            column = std::max(column, size_t(member.x.text.GetLength()) + 2);
            if (!member.outcome.done) continue;
            for (size_t i = 0; i < member.outcome.sheet.reactants.size(); ++i) {
                column = std::max(column, Shown(Weighed(member, i)).size());
                double value = 0.0;
                for (const Dispensed &kind : DISPENSED)
                    if (DispensedValue(member, i, kind, &value)) column = std::max(column, Shown(value).size());
            }
            if (!scaled.empty()) column = std::max(column, Shown(member.outcome.sheet.amount).size());
        }
        column += 2;
        text += std::string(53, '-') + "\n";
        text += "Amount Weighed(g) at each x\n";
        std::string header = Padded("Reactant  (Molar Mass)", labelWidth, false);
        for (const SeriesMember &member : series.members) header += Padded("x=" + Str(member.x.text), column, true);
        text += header + "\n";
        for (size_t i = 0; i < rows.size(); ++i) {
            std::string line = Padded(labels[i], labelWidth, false);
            for (const SeriesMember &member : series.members)
                line += Padded(member.outcome.done ? Shown(Weighed(member, i)) : "-", column, true);
            text += line + "\n";
        }
        if (!scaled.empty()) {
            std::string line = Padded("Product(g)", labelWidth, false);
            for (const SeriesMember &member : series.members)
                line += Padded(member.outcome.done ? Shown(member.outcome.sheet.amount) : "-", column, true);
            text += line + "\n";
        }
        for (const Dispensed &kind : DISPENSED) {
            if (!Shows(series, kind.shown)) continue;
            text += std::string(kind.title) + "\n";
            for (size_t i = 0; i < rows.size(); ++i) {
                if (!RowDispenses(series, i, kind)) continue;
                std::string line = Padded(labels[i], labelWidth, false);
                double value = 0.0;
                for (const SeriesMember &member : series.members)
                    line += Padded(DispensedValue(member, i, kind, &value) ? Shown(value) : "-", column, true);
                text += line + "\n";
            }
        }
    }
    text += std::string(53, '-') + "\n";
    if (first != nullptr)
        for (const SheetReactant &row : first->outcome.sheet.reactants)
            if (row.bottle.fromShelf) text += Str(row.formula) + ": bottle " + Str(BottleText(row.bottle)) + ".\n";
    return text;
}

std::string SeriesCsv(const SeriesResult &series) {
    std::string header = "starting material,molar mass (g/mol)";
    std::string product = "product,", check = "check,";
    for (const SeriesMember &member : series.members) {
        header += ",x=" + CsvField(Str(member.x.text));
        product += "," + CsvField(Str(member.formula));
        check += "," + CsvField(OneLine(Check(member)));
    }
    std::string text = header + "\r\n" + product + "\r\n";
    if (!ScaledTo(series).empty()) {
        text += "product (g),";
        for (const SeriesMember &member : series.members)
            text += "," + (member.outcome.done ? ExactNumber(member.outcome.sheet.amount) : "");
        text += "\r\n";
    }
    const SeriesMember *first = FirstDone(series);
    if (first != nullptr) {
        for (size_t i = 0; i < first->outcome.sheet.reactants.size(); ++i) {
            const SheetReactant &row = first->outcome.sheet.reactants[i];
            std::string line = CsvField(Str(row.formula)) + "," + ExactNumber(row.molarMass);
            for (const SeriesMember &member : series.members)
                line += "," + (member.outcome.done ? ExactNumber(Weighed(member, i)) : "");
            text += line + "\r\n";
        }
        for (const Dispensed &kind : DISPENSED) {
            if (!Shows(series, kind.shown)) continue;
            for (size_t i = 0; i < first->outcome.sheet.reactants.size(); ++i) {
                if (!RowDispenses(series, i, kind)) continue;
                const SheetReactant &row = first->outcome.sheet.reactants[i];
                std::string line = CsvField(Str(row.formula) + kind.unit) + "," + ExactNumber(row.molarMass);
                double value = 0.0;
                for (const SeriesMember &member : series.members)
                    line += "," + (DispensedValue(member, i, kind, &value) ? ExactNumber(value) : "");
                text += line + "\r\n";
            }
        }
    }
    return text + check + "\r\n";
}

namespace {

std::string OrNull(bool applies, double value) { return applies ? ExactNumber(value) : "null"; }

}  // namespace

std::string SeriesJson(const SeriesResult &series) {
    const std::string scaled = ScaledTo(series);
    const bool purity = ShowsPurity(series);
    const bool solution = Shows(series, &WeighingSheet::showSolutionGrams) || Shows(series, &WeighingSheet::showVolume);
    std::string text = "{\"sampleId\":" + JsonString(Str(series.sampleId)) + ",\"formula\":" +
                       JsonString(Str(series.templ)) + ",\"grams\":" +
                       (scaled.empty() ? ExactNumber(series.amount)
                                       : "null,\"scaledTo\":" + JsonString(Str(FirstSheet(series)->scaleNote)) +
                                             ",\"scaleGrams\":" + ExactNumber(FirstSheet(series)->scaleGrams)) +
                       ",\"members\":[";
    for (size_t m = 0; m < series.members.size(); ++m) {
        const SeriesMember &member = series.members[m];
        text += m ? ",\n" : "\n";
        text += "{\"x\":" + Str(member.x.text) + ",\"formula\":" + JsonString(Str(member.formula)) +
                ",\"done\":" + (member.outcome.done ? "true" : "false");
        if (member.outcome.done) {
            if (!scaled.empty()) text += ",\"productGrams\":" + ExactNumber(member.outcome.sheet.amount);
            text += ",\"differential\":" + JsonString(Str(member.outcome.sheet.differential)) + ",\"reactants\":[";
            const std::vector<SheetReactant> &rows = member.outcome.sheet.reactants;
            for (size_t i = 0; i < rows.size(); ++i)
                text += std::string(i ? "," : "") + "{\"formula\":" + JsonString(Str(rows[i].formula)) +
                        ",\"molarMass\":" + ExactNumber(rows[i].molarMass) + ",\"grams\":" +
                        ExactNumber(Weighed(member, i)) +
                        (purity ? ",\"pureGrams\":" + ExactNumber(rows[i].grams) + ",\"purity\":" +
                                      ExactNumber(rows[i].purity) + ",\"excess\":" + ExactNumber(rows[i].excess)
                                : "") +
                        (solution ? ",\"solutionGrams\":" + OrNull(rows[i].hasSolutionGrams, rows[i].solutionGrams) +
                                        ",\"volumeMl\":" + OrNull(rows[i].hasVolume, rows[i].volumeMl)
                                  : "") +
                        (rows[i].bottle.fromShelf
                             ? ",\"bottle\":{\"name\":" + JsonString(Str(rows[i].bottle.name)) + ",\"supplier\":" +
                                   JsonString(Str(rows[i].bottle.supplier)) + ",\"lot\":" +
                                   JsonString(Str(rows[i].bottle.lot)) + "}"
                             : "") +
                        "}";
            text += "]";
        }
        text += ",\"messages\":" + JsonString(Str(member.outcome.messages)) + "}";
    }
    return text + "\n]}\n";
}
