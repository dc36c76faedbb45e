// Property test of the whole calculation on random entries made from known
// ratios (tests/support/recipes.h). Every sheet is held to a recomputation
// of its own in long double, and every view of it (the text sheet, CSV,
// JSON, the printed sheet, the series sheet, the weighed check) must show
// the sheet's own numbers. Dependent or nearly dependent sets of starting
// materials must never give a sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include "core/calculation.h"
#include "core/datatext.h"
#include "core/printsheet.h"
#include "core/sheetdata.h"
#include "core/weighed.h"
#include "tests/support/exact_rank.h"
#include "tests/support/chemistry.h"
#include "tests/support/recipes.h"

namespace {

const int CASES = RECIPE_CASES;  // a quarter in the sanitizer build

// The parts of a text between the separators, the lines (CR LF or LF), and the blank-separated tokens of
// line at ("" past the end).
std::vector<std::string> Split(const std::string &text, char by) {
    std::vector<std::string> parts(1);
    for (char c : text) c == by ? void(parts.emplace_back()) : parts.back().push_back(c);
    return parts;
}
std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines = Split(text, '\n');
    for (std::string &line : lines)
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
}
std::vector<std::string> Tokens(const std::vector<std::string> &lines, size_t at) {
    std::istringstream in(at < lines.size() ? lines[at] : "");
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Whether a whole text reads as exactly value, or as value rounded to a step (within half of it).
double Read(const std::string &text) {
    char *end = nullptr;
    const double read = std::strtod(text.c_str(), &end);
    return text.empty() || *end != 0 ? NAN : read;
}
bool ReadsAs(const std::string &text, double value) { return Read(text) == value; }
bool ShowsNear(const std::string &text, double value, double step) {
    return std::fabs(Read(text) - value) <= step / 2 * (1 + 1e-9) + 1e-12 * std::fabs(value);
}
bool Near(long double value, long double expected, long double relative) {
    return std::fabs(value - expected) <= relative * std::fabs(expected);
}

// The number texts that follow key in a JSON text, in order.
std::vector<std::string> JsonNumbers(const std::string &json, const std::string &key) {
    std::vector<std::string> numbers;
    const std::string find = "\"" + key + "\": ";
    for (size_t at = json.find(find); at != std::string::npos; at = json.find(find, at + 1))
        numbers.push_back(json.substr(at + find.size(), json.find_first_of(",}", at + find.size()) - at - find.size()));
    return numbers;
}

// The numbers every tabular view gives per starting material, in their column order.
double SheetReactant::*const FIELDS[] = {&SheetReactant::molarMass, &SheetReactant::ratio, &SheetReactant::purity,
                                         &SheetReactant::excess,    &SheetReactant::grams, &SheetReactant::weighedGrams,
                                         &SheetReactant::mmol};
const char *const JSON_KEYS[] = {"molar_mass", "ratio", "purity_pct", "excess_pct", "pure_g", "weighed_g", "mmol"};

// Collects the first fault of a sheet.
struct Checker {
    std::string fault;
    void Expect(bool ok, const std::string &what) { fault = ok || !fault.empty() ? fault : what; }
};

// One sheet of r at x against a recomputation of its own, and every view of it.
void CheckSheet(const Recipe &r, double x, const CalcOutcome &out, Checker &c) {
    const WeighingSheet &s = out.sheet;
    const size_t n = r.materials.size();
    if (s.reactants.size() != n) return c.Expect(false, "starting materials on the sheet");
    Counts product = r.product0;
    for (const auto &e : r.product1) product[e.first] += x * e.second;
    const BatchSettings &batch = r.entry.batch;
    if (batch.scale == BatchScale::Product)
        c.Expect(s.amount == std::strtod(r.entry.fields.amountText.GetString(), nullptr), "product amount");

    // Molar masses exact; grams as planted (a ratio fixed only by a dopant
    // is sensitive to the rounding of the product's counts); the weighed
    // grams and mmol from the pure grams, purity and excess; what the ratios
    // bring balances every selected element of the product exactly.
    const long double productMoles = s.amount / MassOf(product);
    std::map<int, long double> left, involved;
    for (const auto &e : product) left[e.first] -= productMoles * e.second, involved[e.first] += productMoles * e.second;
    long double total = 0.0L;
    double sum = 0.0;  // as the sheet adds its total up
    std::vector<double> weighed;  // the grams to weigh
    for (size_t m = 0; m < n; ++m) {
        const Material &material = r.materials[m];
        const SheetReactant &line = s.reactants[m];
        const std::string row = " of row " + std::to_string(material.row + 1);
        const long double mass = MassOf(material.counts);
        const long double grams = (material.r0 + x * material.r1) * mass * productMoles / r.productRatio;
        const long double excess = 1.0L + line.excess / 100.0L, toWeigh = line.grams * 100.0L / line.purity * excess;
        weighed.push_back(GramsToWeigh(s, line));
        total += weighed[m], sum += weighed[m];
        c.Expect(Near(line.molarMass, mass, 1e-12L), "molar mass" + row);
        c.Expect(Near(line.grams, grams, 1e-6L), "grams" + row);
        c.Expect(line.purity == material.purity && line.excess == material.excess, "purity or excess" + row);
        c.Expect(line.row == material.row + 1 && out.rowNumbers[m] == line.row, "row number" + row);
        c.Expect(Near(line.weighedGrams, toWeigh, 1e-9L) && Near(weighed[m], toWeigh, 1e-9L), "weighed grams" + row);
        c.Expect(Near(line.mmol, 1000.0L * line.grams / line.molarMass * excess, 1e-9L), "mmol" + row);
        for (const auto &e : material.counts)
            left[e.first] += line.grams / mass * e.second, involved[e.first] += std::fabs(line.grams / mass * e.second);
    }
    for (const auto &e : product)
        if (r.selection.Includes(e.first))
            c.Expect(std::fabs(left[e.first]) <= 1e-9L * involved[e.first],
                     std::string("balance of ") + Table().Symbol(e.first));
    // The scaling target: the scaled row's or the total's weighed grams are the mass asked for.
    if (batch.scale == BatchScale::Total) c.Expect(Near(total, batch.scaleMass, 1e-9L), "scaled total");
    for (size_t m = 0; m < n && batch.scale == BatchScale::Material; ++m)
        if (r.materials[m].row + 1 == batch.scaleRow) c.Expect(Near(weighed[m], batch.scaleMass, 1e-9L), "scaled row");
    c.Expect(Near(s.batch.weighedTotal, total, 1e-12L), "weighed total");

    // The text sheet: each row laid out and its tokens as the sheet formats its numbers, and each
    // number shown truly.
    const std::vector<std::string> text = Lines(Str(SheetFileText(s)));
    c.Expect(text.size() > 1 && text[1].find(Str(s.productFormula) + "  (" + Shown(s.amount) + " grams)") == 0,
             "text: product line");
    const double step = s.readability.units > 0 ? std::max(DecimalValue(s.readability), 1e-5) : 1e-5;
    size_t at = 0;
    while (at < text.size() && text[at].compare(0, 22, "Reactant  (Molar Mass)") != 0) ++at;
    for (size_t m = 0; m < n; ++m) {
        const SheetReactant &line = s.reactants[m];
        const std::string row = " of row " + std::to_string(m + 1);
        const std::vector<std::string> got = Tokens(text, at + 2 + m);
        std::vector<std::string> want = {Str(line.formula), "(" + Shown(line.molarMass) + ")",
                                         Str(SheetGramsText(s, weighed[m]))};
        std::vector<double> values = {line.molarMass, weighed[m]};
        if (s.showPurity) want.insert(want.end(), {Shown(line.grams), Shown(line.purity), Shown(line.excess)});
        if (s.showPurity) values.insert(values.end(), {line.grams, line.purity, line.excess});
        if (s.showMmol) want.push_back(Shown(line.mmol)), values.push_back(line.mmol);
        // "formula  (molar mass)" padded to 36 characters, then one blank and the grams.
        std::string lead = want[0] + "  " + want[1];
        lead.resize(std::max<size_t>(lead.size(), 36), ' ');
        const std::string &shown = at + 2 + m < text.size() ? text[at + 2 + m] : lead;
        c.Expect(got == want && shown.compare(0, lead.size() + 1 + want[2].size(), lead + " " + want[2]) == 0,
                 "text: layout" + row);
        for (size_t k = 1; k < got.size() && k <= values.size(); ++k)
            c.Expect(ShowsNear(k == 1 ? got[k].substr(1, got[k].size() - 2) : got[k], values[k - 1], k == 2 ? step : 1e-5),
                     "text: number" + row);
        if (s.readability.units > 0 && s.readability.scale > 0)
            c.Expect(got.size() > 2 && got[2].size() - got[2].find('.') - 1 == size_t(s.readability.scale),
                     "text: decimals" + row);
    }
    const std::vector<std::string> totalLine = Tokens(text, at + 3 + n);
    c.Expect(s.readability.units == 0 || (totalLine.size() == 2 && totalLine[0] == "Total" &&
                                          ShowsNear(totalLine[1], double(total), step) &&
                                          totalLine[1] == Str(SheetGramsText(s, sum))),
             "text: total");

    // CSV and JSON: every line of the CSV has its 11 cells, and every number reads back as exactly the sheet's.
    size_t materials = 0, gases = 0;
    for (const std::string &line : Lines(SheetCsv(s))) {
        const std::vector<std::string> f = Split(line, ',');
        bool exact = f.size() == 11 || line.empty();
        auto reads = [&](size_t k, double value) { exact = exact && ReadsAs(f[k], value); };
        if (f[0] == "material" && materials < n) {
            const SheetReactant &reactant = s.reactants[materials++];
            exact = exact && f[1] == std::to_string(reactant.row) && f[2] == Str(reactant.formula);
            for (size_t k = 0; k < 7; ++k) reads(3 + k, reactant.*FIELDS[k]);
        } else if (f[0] == "product") {
            reads(3, s.productMolarMass), reads(4, s.productRatio), reads(7, s.amount), reads(9, s.productMmol);
        } else if (f[0] == "total") {
            reads(7, s.batch.stoichiometricTotal), reads(8, s.batch.weighedTotal);
        } else if (f[0] == "scale") {
            reads(8, batch.scaleMass);
        } else if (f[0] == "gas" && gases < s.batch.gases.size()) {
            const BatchGas &gas = s.batch.gases[gases++];
            exact = exact && f[2] == Str(gas.formula);
            reads(3, gas.molarMass), reads(7, gas.grams), reads(9, gas.mmol);
        } else if (f[0] == "mass_loss") {
            reads(7, s.batch.gasGrams), reads(10, s.batch.massLossPercent);
        }
        c.Expect(exact, "csv: " + line);
    }
    c.Expect(materials == n && gases == s.batch.gases.size(), "csv: rows");
    const std::string json = SheetJson(s);
    std::string bare;  // the JSON outside its strings, in lower case
    for (size_t i = 0, quoted = 0; i < json.size(); ++i) {
        if (json[i] == '\\')
            ++i;
        else if (json[i] == '"')
            quoted = !quoted;
        else if (!quoted)
            bare += char(std::tolower(static_cast<unsigned char>(json[i])));
    }
    c.Expect(bare.find("inf") == std::string::npos && bare.find("nan") == std::string::npos, "json: not finite");
    const size_t from = json.find("\"materials\": [");
    const std::string list = json.substr(from, json.find("\n  ]", from) - from);
    for (size_t k = 0; k < 7; ++k) {
        const std::vector<std::string> numbers = JsonNumbers(list, JSON_KEYS[k]);
        bool exact = numbers.size() == n;
        for (size_t m = 0; m < n && exact; ++m) exact = ReadsAs(numbers[m], s.reactants[m].*FIELDS[k]);
        c.Expect(exact, std::string("json: ") + JSON_KEYS[k]);
    }
    const std::vector<std::string> weighedTotal = JsonNumbers(json, "weighed_g_total");
    c.Expect(weighedTotal.size() == 1 && ReadsAs(weighedTotal[0], s.batch.weighedTotal), "json: weighed total");

    // The printed sheet: each mass the grams to weigh rounded to a whole multiple of the readability.
    PrintSettings print;
    PrintedSheet printed;
    const double readability = DecimalValue(print.readability = r.printReadability);
    const bool ready = MakePrintedSheet(s, print, "1 January 2026", &printed) == PrintSheetStatus::Ready;
    c.Expect(ready && printed.rows.size() == n, "printed sheet");
    for (size_t m = 0; m < n && ready; ++m) {
        std::string mass = Str(printed.rows[m].mass), digits = mass;
        const size_t point = std::min(mass.find('.'), mass.size());
        digits.erase(point, 1);
        c.Expect(mass.size() - std::min(point + 1, mass.size()) == size_t(print.readability.scale) &&
                     std::strtoll(digits.c_str(), nullptr, 10) % print.readability.units == 0 &&
                     ShowsNear(mass, weighed[m], readability),
                 "printed: row " + std::to_string(m + 1));
    }
    c.Expect(!ready || ShowsNear(Str(printed.total), double(total), readability), "printed: total");

    // The weighed check of the sheet's own masses finds nothing; one mass
    // 2 % off puts a row past the tolerance (unless it is the only one
    // weighed: a whole batch weighed larger deviates nowhere).
    std::vector<size_t> nonzero;
    for (size_t m = 0; m < n; ++m)
        if (weighed[m] > 0.0) nonzero.push_back(m);
    const WeighedResult check = CheckWeighed(*out.reaction, s, out.rowNumbers, weighed, DEFAULT_WEIGHED_TOLERANCE);
    bool exact = check.done && check.Within();
    for (const WeighedRow &row : check.rows) exact = exact && std::fabs(row.deviation) <= 1e-9;
    for (const WeighedElement &e : check.elements) exact = exact && (!e.balanced || std::fabs(e.deviation) <= 1e-9);
    c.Expect(exact, "weighed: the sheet's masses deviate");
    if (nonzero.empty()) return;
    const size_t moved = nonzero[size_t(s.batch.weighedTotal * 1000) % nonzero.size()];
    weighed[moved] *= 1.02;
    const WeighedResult off = CheckWeighed(*out.reaction, s, out.rowNumbers, weighed, DEFAULT_WEIGHED_TOLERANCE);
    const bool past = std::any_of(off.rows.begin(), off.rows.end(), [](const WeighedRow &row) { return row.past; });
    c.Expect(nonzero.size() > 1 ? off.done && !off.Within() && past : off.Within(),
             "weighed: row " + std::to_string(moved + 1) + " moved 2 %");
}

// Each member of a series as CalculateSeries gives it, against the member's own calculation and its
// column of the series text and CSV; refused only when scaled to a row it leaves out.
int CheckSeries(const Recipe &r, Checker &c) {
    const BatchSettings &batch = r.entry.batch;
    std::vector<SeriesX> values;
    CString why;
    c.Expect(ParseSeriesValues(r.values.c_str(), &values, &why), "values of x");
    const SeriesResult series = CalculateSeries(r.entry, Parser(), r.selection, r.options, values);
    const std::vector<std::string> text = Lines(SeriesText(series)), csv = Lines(SeriesCsv(series));
    const size_t count = r.materials.size(), csvAt = csv.size() - 2 - count, columns = 2 + series.members.size();
    const size_t at = std::find(text.begin(), text.end(), "Amount Weighed(g) at each x") - text.begin();
    int sheets = 0;
    for (size_t j = 0; j < series.members.size() && c.fault.empty(); ++j) {
        const SeriesMember &member = series.members[j];
        const std::string x = " x=" + Str(member.x.text);
        Entry entry = r.entry;
        PrepareSeriesMember(Parser(), r.templ.c_str(), member.formula, entry.fields, entry.rows);
        const CalcOutcome out = Calculate(entry, Parser(), r.selection, r.options);
        const bool scaledOut = std::any_of(r.materials.begin(), r.materials.end(), [&](const Material &m) {
            return batch.scale == BatchScale::Material && m.row + 1 == batch.scaleRow && m.r0 + member.x.number * m.r1 == 0.0;
        });
        c.Expect(out.done == !scaledOut && member.outcome.done == out.done, "member" + x + ": " + Str(out.MessageText()));
        c.Expect(!out.done || SheetCsv(out.sheet) == SheetCsv(member.outcome.sheet), "series sheet of" + x);
        for (size_t m = 0; m < count; ++m) {
            const double grams = out.done ? GramsToWeigh(out.sheet, out.sheet.reactants[m]) : 0.0;
            const std::vector<std::string> t = Tokens(text, at + 2 + m), f = Split(csv[csvAt + m], ',');
            const std::string row = ": row " + std::to_string(m + 1) + x;
            c.Expect(t.size() == columns && t[2 + j] == (out.done ? Shown(grams) : "-") &&
                         (!out.done || ShowsNear(t[2 + j], grams, 1e-5)),
                     "series text" + row);
            c.Expect(f.size() == columns && (out.done ? ReadsAs(f[2 + j], grams) : f[2 + j].empty()), "series csv" + row);
        }
        if (out.done) CheckSheet(r, member.x.number, out, c), ++sheets;
    }
    return sheets;
}

// Thousands of entries through Calculate (and series through
// CalculateSeries): a sheet exactly when the automatic materials are
// independent in the selected elements of the product, checked above;
// otherwise a refusal, never a sheet.
TEST(RecipeProperty, EverySheetAndViewMatchesAnExactRecomputation) {
    LoadTestElements();
    RecipeGenerator generator{std::mt19937(1234567u), {}, {}, Table().Lookup("O"), Table().Lookup("C"),
                              Table().Lookup("H")};
    for (int i = 0; i < Table().Count(); ++i)
        if (Table().metal(i)) generator.metals.push_back(i);
    for (const char *symbol : {"B", "N", "F", "Si", "P", "S", "Cl"})
        generator.nonMetals.push_back(Table().Lookup(symbol));
    int sheets = 0, members = 0, refusedDependent = 0, refusedOther = 0, failures = 0, n = 0;
    for (; n < CASES && failures < 5; ++n) {
        const Recipe r = generator.Next();
        Checker c;
        if (r.series) {
            members += CheckSeries(r, c);
        } else {
            const CalcOutcome out = Calculate(r.entry, Parser(), r.selection, r.options);
            // The balance the command must solve: automatic columns over the product's selected elements.
            std::vector<int> rowsOf, columns;
            for (const auto &e : r.product0)
                if (r.selection.Includes(e.first)) rowsOf.push_back(e.first);
            for (size_t m = 0; m < r.materials.size(); ++m)
                if (!r.materials[m].fixed) columns.push_back(static_cast<int>(m));
            const int E = static_cast<int>(rowsOf.size()), U = static_cast<int>(columns.size());
            auto entry = [&](int i, int j) {
                const Counts &counts = r.materials[columns[j]].counts;
                return counts.count(rowsOf[i]) ? counts.at(rowsOf[i]) : 0.0;
            };
            if (U >= 1 && E >= U && !r.mustRefuse && ExactRank(E, U, entry) == U) {
                c.Expect(out.done, "refused: " + Str(out.MessageText()));
                if (out.done) CheckSheet(r, 0.0, out, c), ++sheets;
            } else {
                c.Expect(!out.done, "a sheet from an unsolvable recipe");
                c.Expect(Str(out.MessageText()).compare(0, 24, "Failed to obtain ratios.") == 0, "wrong message");
                (r.mustRefuse ? refusedDependent : refusedOther)++;
            }
        }
        if (c.fault.empty() || !++failures) continue;
        std::string rows;
        for (const Material &m : r.materials)
            rows += "\n  row " + std::to_string(m.row + 1) + " " + m.text + (m.fixed ? " fixed " : " auto ") + Shown(m.r0) +
                    " + " + Shown(m.r1) + "x, purity " + Shown(m.purity) + ", excess " + Shown(m.excess);
        ADD_FAILURE() << c.fault << ": case " << n << ", " << Str(r.entry.fields.productFormula) << " x " << r.values
                      << ", scale " << int(r.entry.batch.scale) << " row " << r.entry.batch.scaleRow << rows;
    }
    sheets += members;
    std::printf("[ recipes ] %d cases: %d sheets checked (%d of series members), %d dependent sets refused, %d others "
                "refused, %d failures\n", n, sheets, members, refusedDependent, refusedOther, failures);
    EXPECT_EQ(0, failures);
    EXPECT_GT(sheets, n / 4);
    EXPECT_GT(refusedDependent, n / 20);
    EXPECT_GT(members, n / 10);
}

}  // namespace
