// Rows dispensed by volume in every view of a sheet: the report text, the
// word pieces, CSV and JSON against the batch's numbers and each other, on
// a table of forms and on random ones (the exact numbers of real recipes:
// recipe_test; the check refusing an altered volume: batch_test); the series
// sheet's volumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/batch.h"
#include "core/calculation.h"
#include "core/datatext.h"
#include "core/series.h"
#include "core/sheetcheck.h"
#include "core/sheetdata.h"
#include "core/weighed.h"
#include "tests/support/chemistry.h"

namespace {

struct Row {
    const char *formula;
    MaterialForm form;
    double excess = 0.0, purity = 100.0;
};

struct Made {
    std::unique_ptr<CReaction> reaction;
    BatchInput input;
    BatchResult result;
    WeighingSheet sheet;
};

// The sheet of product from rows (every ratio solved), scaled as input says.
Made Make(const char *product, const std::vector<Row> &rows, BatchInput input) {
    std::vector<TestRow> typed;
    for (const Row &row : rows) {
        typed.push_back({row.formula, 0, 1.0});
        input.materials.push_back(BatchMaterial{row.purity, row.excess, row.form});
    }
    Made made{Calculated(Atoms(), product, 1.0, typed), input, {}, {}};
    made.result = CalculateBatch(*made.reaction, input);
    if (made.result.status == BatchStatus::Done)
        made.sheet = MakeBatchSheet(*made.reaction, input, made.result, {1, 2, 3}, "L-1", 1);
    return made;
}

std::vector<std::string> Split(const std::string &text, char by) {
    std::vector<std::string> parts(1);
    for (char c : text) c == by ? void(parts.emplace_back()) : c == '\r' ? void() : parts.back().push_back(c);
    return parts;
}
std::vector<std::string> Lines(const std::string &text) { return Split(text, '\n'); }
std::vector<std::string> Tokens(const std::string &line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The cell of a table line under a header's label: from the label's column to the next blank.
std::string Cell(const std::string &header, const std::string &line, const char *label) {
    const size_t at = header.find(label);
    return at == std::string::npos || at >= line.size() ? "" : line.substr(at, line.find(' ', at) - at);
}

// CSV material line i's cell by header name; JSON material i's member by key (its text, "null" included).
std::string CsvCell(const std::string &csv, size_t material, const std::string &name) {
    const std::vector<std::string> lines = Lines(csv), header = Split(lines[0], ',');
    const size_t column = std::find(header.begin(), header.end(), name) - header.begin();
    for (const std::string &line : lines) {
        const std::vector<std::string> cells = Split(line, ',');
        if (cells[0] == "material" && material-- == 0) return column < cells.size() ? cells[column] : "?";
    }
    return "?";
}
std::string JsonMember(const std::string &json, size_t material, const std::string &key) {
    size_t at = json.find("\"materials\"");
    for (size_t i = 0; i <= material; ++i) at = json.find("{\"row\"", at + 1);
    const size_t k = json.find("\"" + key + "\": ", at), from = k + key.size() + 4;
    return k == std::string::npos || k > json.find('}', at) ? "?" : json.substr(from, json.find_first_of(",}", from) - from);
}

// Every view's volume and grams of solution of every row against the forms' rule (from the row's grams
// and mmol): the text's cells (under their labels) to its five decimals, CSV and JSON the same texts,
// the sheet's own numbers exactly and within 1e-13 of the rule, the forms given in CSV and JSON, the
// word pieces' cells and lines the file's; the check passes. The first disagreement, empty when none.
std::string ViewsDisagree(const Made &m) {
    const std::string text = Str(SheetFileText(m.sheet)), csv = SheetCsv(m.sheet), json = SheetJson(m.sheet);
    std::string word;
    for (const SheetPiece &piece : SheetWordPieces(m.sheet)) word += piece.kind == SHEET_PARAGRAPH ? "\n" : Str(piece.text);
    const std::vector<std::string> lines = Lines(text), typed = Lines(word);
    const std::string &header = lines[3];
    const char *kindNames[] = {"\"solid\"", "\"neat_liquid\"", "\"molar\"", "\"mass_fraction\""};
    const bool liquid = m.sheet.showVolume || m.sheet.showSolutionGrams;
    if (!liquid && (csv.find("volume_ml") != std::string::npos || json.find("\"form\"") != std::string::npos))
        return "forms without a volume or solution";  // all solids (or mass fractions of nothing): as today
    for (size_t i = 0; i < m.result.rows.size(); ++i) {
        const BatchRow &row = m.result.rows[i];
        const MaterialForm &f = m.input.materials[i].form;
        const SheetReactant &r = m.sheet.reactants[i];
        const double solution = f.molarity != 0.0 ? row.mmol / f.molarity * f.density : row.weighedGrams * 100.0 / f.massFraction;
        const double volume = f.molarity != 0.0 ? row.mmol / f.molarity : (f.massFraction != 0.0 ? solution : row.weighedGrams) / f.density;
        const std::string name = "row " + std::to_string(i + 1);
        const struct {
            const char *label, *key;
            bool has;
            double value, shown;
        } values[] = {{"Volume(mL)", "volume_ml", f.molarity != 0.0 || f.density != 0.0, volume, r.volumeMl},
                      {"Solution(g)", "solution_g", f.massFraction != 0.0 || (f.molarity != 0.0 && f.density != 0.0),
                       solution, r.solutionGrams},
                      {"", "density_g_ml", f.density != 0.0, f.density, r.form.density},
                      {"", "molarity_mol_l", f.molarity != 0.0, f.molarity, r.form.molarity},
                      {"", "mass_fraction_pct", f.massFraction != 0.0, f.massFraction, r.form.massFraction}};
        for (const auto &v : values) {
            if (!liquid) break;
            const std::string cell = *v.label ? Cell(header, lines[5 + i], v.label) : "",
                              csvCell = CsvCell(csv, i, v.key), jsonValue = JsonMember(json, i, v.key);
            if (!v.has) {
                if (!cell.empty() || !csvCell.empty() || jsonValue != "null") return name + " shows " + v.key;
                continue;
            }
            const double read = std::strtod(csvCell.c_str(), nullptr);
            if (*v.label && cell != NumberText(v.value).c_str()) return name + " text " + v.label + " " + cell;
            if (!(std::fabs(read - v.value) <= 1e-13 * v.value) || read != v.shown || csvCell != jsonValue)
                return name + " CSV/JSON " + v.key + " " + csvCell + " " + jsonValue;
        }
        if (liquid && JsonMember(json, i, "form") != kindNames[int(f.Kind())]) return name + " form " + JsonMember(json, i, "form");
        if (Tokens(typed[5 + i]) != Tokens(lines[5 + i])) return name + " typed otherwise: " + typed[5 + i];
    }
    const size_t rule = text.rfind('\n' + std::string(header.size(), '-'));
    if (rule == std::string::npos || word.find(TextModeRead(text.data() + rule, text.size() - rule - 4)) == std::string::npos)
        return "the lines under the table are typed otherwise";
    const SheetCheckResult check = CheckBatchSheet(*m.reaction, m.input, m.sheet, true);
    return check.status == SheetCheck::Passed ? "" : "check: " + Str(check.text);
}

// The lines under the table that name forms and the solvent, joined by '|'.
std::string FormLines(const WeighingSheet &sheet) {
    std::string joined;
    for (const std::string &line : Lines(Str(SheetFileText(sheet))))
        if (line.find(": neat liquid, ") != std::string::npos || line.find(": solution, ") != std::string::npos ||
            line.find(" % by mass") != std::string::npos || line.rfind("Solutions: ", 0) == 0 ||
            line.rfind("Their Amount", 0) == 0)
            joined += (joined.empty() ? "" : "|") + line;
    return joined;
}

const MaterialForm SOLID;
const char *const SOLVENT = "Solutions: the solvent is not in the element balance, the differential or the gases.|"
                            "Their Amount Weighed(g) is the compound they hold.";

}  // namespace

// Each form alone and beside solids, with purity and excess and the scalings: the columns it adds, its
// line under the table, and every view agreeing with the rule of its form.
TEST(Liquids, EveryViewShowsTheVolumesOfEachForm) {
    using S = BatchScale;
    const struct {
        const char *product;
        std::vector<Row> rows;
        BatchInput input;
        const char *columns;  // the header after "Amount Weighed(g)"
        std::string lines;
    } cases[] = {
        {"SiO2", {{"Si(OC2H5)4", {0.933, 0, 0}}}, {{}, S::Product, 10}, "  Volume(mL)",
         "Si(OC2H5)4: neat liquid, 0.933 g/mL."},
        {"LiNbO3", {{"LiOH", {0, 2, 0}}, {"Nb2O5", SOLID}}, {{}, S::Product, 5, -1, true}, "  mmol        Volume(mL)",
         std::string("LiOH: solution, 2 mol/L.|") + SOLVENT},
        {"Y2O3", {{"Y(NO3)3", {1.1, 0.5, 0}}}, {{}, S::Product, 1}, "  Solution(g)  Volume(mL)",
         std::string("Y(NO3)3: solution, 0.5 mol/L (1.1 g/mL).|") + SOLVENT},
        {"SiO2", {{"SiO2", {0, 0, 40}}}, {{}, S::Product, 2}, "  Solution(g)", std::string("SiO2: 40 % by mass.|") + SOLVENT},
        {"NaAlSiO4", {{"NaAlO2", SOLID, 2}, {"SiO2", {1.3, 0, 40}, 5}}, {{}, S::Total, 20},
         "  Pure(g)     Purity(%)   Excess(%)   Solution(g)  Volume(mL)",
         std::string("SiO2: 40 % by mass (1.3 g/mL).|") + SOLVENT},
        {"BaTiO3", {{"BaCO3", SOLID, 0, 99.5}, {"Ti(OCH(CH3)2)4", {0.96, 0, 0}, 2, 97}}, {{}, S::Material, 3, 1},
         "  Pure(g)     Purity(%)   Excess(%)   Volume(mL)", "Ti(OCH(CH3)2)4: neat liquid, 0.96 g/mL."},
    };
    for (const auto &c : cases) {
        const Made m = Make(c.product, c.rows, c.input);
        ASSERT_EQ(BatchStatus::Done, m.result.status) << c.product;
        const std::vector<std::string> lines = Lines(Str(SheetFileText(m.sheet)));
        EXPECT_EQ("Reactant  (Molar Mass)              Amount Weighed(g)" + std::string(c.columns), lines[3]) << c.product;
        EXPECT_EQ(lines[3].size() + (lines[3].back() == ')' ? 0 : 1), lines[2].size()) << c.product;  // the rule spans the columns
        EXPECT_EQ(c.lines, FormLines(m.sheet)) << c.product;
        EXPECT_EQ("", ViewsDisagree(m)) << c.product;
    }
}

// Random forms, values, purities, excesses and scalings on recipes of one to three rows: every view
// agrees with the rule of the form, and the check passes.
TEST(Liquids, RandomFormsAgreeInEveryView) {
    const struct {
        const char *product;
        std::vector<const char *> rows;
    } recipes[] = {{"LiNbO3", {"LiOH", "Nb(OC2H5)5"}}, {"NaAlSiO4", {"SiO2", "NaAlO2"}},
                   {"Y3Al5O12", {"Y(NO3)3", "Al(NO3)3"}}, {"BaTiO3", {"BaCO3", "Ti(OCH(CH3)2)4"}},
                   {"Zn2SiO4", {"Zn(NO3)2", "Si(OC2H5)4"}}, {"LaCoO3", {"La(NO3)3", "Co(NO3)2"}},
                   {"LiAlSiO4", {"LiOH", "Al(NO3)3", "Si(OC2H5)4"}}};
    std::mt19937 random(25u);
    auto uniform = [&random](double from, double to) { return std::uniform_real_distribution<double>(from, to)(random); };
    int done = 0;
    for (int n = 0; n < 400; ++n) {
        const auto &recipe = recipes[random() % (sizeof recipes / sizeof recipes[0])];
        std::vector<Row> rows;
        for (const char *formula : recipe.rows) {
            Row row{formula, SOLID};
            const int kind = int(random() % 6);  // solid, neat, molar, molar with density, fraction, with density
            if (kind == 1 || kind == 3 || kind == 5) row.form.density = uniform(0.6, 2.5);
            if (kind == 2 || kind == 3) row.form.molarity = std::pow(10.0, uniform(-3, 1));
            if (kind >= 4) row.form.massFraction = uniform(0.5, 100);
            if (random() % 2) row.excess = uniform(0, 30);
            if (kind <= 1 && random() % 2) row.purity = uniform(80, 100);
            rows.push_back(row);
        }
        BatchInput input{{}, BatchScale(random() % 3), std::pow(10.0, uniform(-2, 2)), 0, random() % 2 == 0};
        const Made m = Make(recipe.product, rows, input);
        if (m.result.status != BatchStatus::Done) continue;  // a starting material weighing nothing
        ++done;
        ASSERT_EQ("", ViewsDisagree(m)) << "case " << n << " " << recipe.product << "\n" << Str(SheetFileText(m.sheet));
    }
    EXPECT_GT(done, 300);
}

// The weighed check of millilitres dispensed: 10 mL of the isopropoxide row stand for the grams of its
// form (by hand: 10 mL x 0.96 g/mL; 10 mL x 0.5 mol/L x 284.219 g/mol; 10 mL x 1.2 g/mL x 40 %), shown
// beside those grams in text, CSV and JSON; the sheet's own volume gives back the sheet. A volume that
// makes no grams (a solid, a mass fraction without density) is refused by name.
TEST(Liquids, WeighedCheckTakesDispensedVolumes) {
    const char *const ti = "Ti(OCH(CH3)2)4";
    const struct {
        MaterialForm form;
        double purity;
        int row;        // the row given 10 mL (or 10 g of its solution)
        double grams;   // what they stand for; 0: refused
        const char *refusal;
        bool ofSolution = false;  // 10 g of the solution, as the balance showed them
    } cases[] = {
        {{0.96, 0, 0}, 97, 2, 9.6, ""}, {{0, 0.5, 0}, 100, 2, 1.421095, ""}, {{1.1, 0.5, 0}, 100, 2, 1.421095, ""},
        {{1.2, 0, 40}, 100, 2, 4.8, ""}, {{0, 0, 40}, 100, 2, 4.0, "", true}, {{1.1, 0.5, 0}, 100, 2, 1.421095 / 1.1, "", true},
        {{0, 0, 40}, 100, 2, 0, "Ti(OCH(CH3)2)4 (row 2) is given by mass fraction without the solution's density: its "
                                "millilitres make no grams. Give the density, or the grams weighed."},
        {{0.96, 0, 0}, 100, 1, 0, "BaCO3 (row 1) is weighed as a solid: give the grams weighed, not millilitres."},
        {{0, 0.5, 0}, 100, 2, 0, "Ti(OCH(CH3)2)4 (row 2) is a solution of known molarity without its density: its grams "
                                 "make no amount. Give the millilitres dispensed, or the solution's density.", true},
    };
    for (const auto &c : cases) {
        const Made m = Make("BaTiO3", {{"BaCO3", SOLID}, {ti, c.form, 0, c.purity}}, {{}, BatchScale::Product, 5});
        ASSERT_EQ(BatchStatus::Done, m.result.status) << c.refusal;
        std::vector<WeighedAmount> given(2), asSheet(2);
        for (size_t i = 0; i < 2; ++i) {
            const SheetReactant &r = m.sheet.reactants[i];
            given[i].grams = r.hasVolume ? 0.0 : GramsToWeigh(m.sheet, r);
            asSheet[i] = WeighedAmount{given[i].grams, r.hasVolume != 0, r.volumeMl};
        }
        given[size_t(c.row - 1)] = c.ofSolution ? WeighedAmount{10.0, false, 0.0} : WeighedAmount{0.0, true, 10.0};
        const WeighedResult check = CheckWeighed(*m.reaction, m.sheet, {1, 2}, given, 0.5);
        if (c.grams == 0) {
            EXPECT_EQ(WeighedStatus::BadVolume, check.status);
            EXPECT_EQ(c.refusal, Str(check.refusal));
            continue;
        }
        ASSERT_TRUE(check.done) << c.grams;
        EXPECT_NEAR(c.grams, check.rows[1].weighedGrams, 1e-12 * c.grams);
        EXPECT_FALSE(check.rows[0].byVolume);
        if (c.ofSolution) continue;
        const std::string text = WeighedText(check), csv = WeighedCsv(check), json = WeighedJson(check);
        const std::vector<std::string> lines = Lines(text);
        EXPECT_EQ("Deviation(%)  Dispensed(mL)", lines[4].substr(lines[4].find("Dev"))) << text;
        const std::vector<std::string> weighed = Tokens(lines[6]), dispensed = Tokens(lines[7]);
        EXPECT_EQ(weighed.size() > 5 ? "*" : "", weighed.size() > 5 ? weighed[5] : "") << text;
        EXPECT_EQ("10", dispensed.at(5)) << text;
        EXPECT_NE(std::string::npos, csv.find(",past tolerance,dispensed (mL)\r\n1,BaCO3,")) << csv;
        EXPECT_NE(std::string::npos, csv.find(",10\r\n\r\nelement")) << csv;
        EXPECT_NE(std::string::npos, json.find("\"dispensedMl\":null}")) << json;
        EXPECT_NE(std::string::npos, json.find("\"dispensedMl\":10}")) << json;
        const WeighedResult same = CheckWeighed(*m.reaction, m.sheet, {1, 2}, asSheet, 1e-9);
        EXPECT_TRUE(same.Within()) << WeighedText(same);
    }
}

// A series gives each member's volumes and grams of solution in its text, CSV and JSON, the members' own.
TEST(Liquids, SeriesShowsEachMembersVolumes) {
    Entry entry = MakeEntry("Li1-xNaxNbO3", {{"LiOH", 0, 1}, {"NaOH", 0, 1}, {"Nb2O5", 0, 1}}, "5");
    entry.batch.SetRow(1, "LiOH", 100, 0, MaterialForm{0, 1, 0});
    entry.batch.SetRow(2, "NaOH", 100, 0, MaterialForm{1.52, 0, 50});
    CalcOptions options;
    options.autoRatio = true;
    std::vector<SeriesX> values;
    CString why;
    ASSERT_TRUE(ParseSeriesValues("0.25,0.5", &values, &why));
    const SeriesResult series =
        CalculateSeries(entry, Atoms().parser, ElementSelection::Metals(Atoms().table), options, values);
    ASSERT_TRUE(series.members[0].outcome.done && series.members[1].outcome.done) << Str(series.members[0].outcome.messages);
    const std::string text = SeriesText(series), csv = SeriesCsv(series), json = SeriesJson(series);
    const SheetReactant &li0 = series.members[0].outcome.sheet.reactants[0], &li1 = series.members[1].outcome.sheet.reactants[0];
    const SheetReactant &na0 = series.members[0].outcome.sheet.reactants[1], &na1 = series.members[1].outcome.sheet.reactants[1];
    const std::vector<std::string> lines = Lines(text);
    const size_t volumes = std::find(lines.begin(), lines.end(), "Volume(mL) at each x") - lines.begin();
    const size_t solutions = std::find(lines.begin(), lines.end(), "Solution(g) at each x") - lines.begin();
    ASSERT_LT(volumes + 3, lines.size()) << text;
    ASSERT_EQ(solutions + 2, volumes) << text;  // NaOH's grams of solution, then the volumes of both
    for (const auto &shown : {std::make_pair(solutions + 1, std::vector<double>{na0.solutionGrams, na1.solutionGrams}),
                              std::make_pair(volumes + 1, std::vector<double>{li0.volumeMl, li1.volumeMl}),
                              std::make_pair(volumes + 2, std::vector<double>{na0.volumeMl, na1.volumeMl})}) {
        const std::vector<std::string> tokens = Tokens(lines[shown.first]);
        EXPECT_EQ(std::vector<std::string>({NumberText(shown.second[0]).c_str(), NumberText(shown.second[1]).c_str()}),
                  std::vector<std::string>(tokens.end() - 2, tokens.end())) << lines[shown.first];
    }
    EXPECT_NE(std::string::npos, csv.find("LiOH volume (mL),23.947," + ExactNumber(li0.volumeMl) + "," + ExactNumber(li1.volumeMl) + "\r\n")) << csv;
    EXPECT_NE(std::string::npos, csv.find("NaOH solution (g)," + ExactNumber(na0.molarMass) + "," + ExactNumber(na0.solutionGrams) + "," + ExactNumber(na1.solutionGrams) + "\r\n")) << csv;
    EXPECT_NE(std::string::npos, json.find("\"solutionGrams\":null,\"volumeMl\":" + ExactNumber(li1.volumeMl) + "}")) << json;
    EXPECT_NE(std::string::npos, json.find("\"solutionGrams\":" + ExactNumber(na0.solutionGrams) + ",\"volumeMl\":" + ExactNumber(na0.volumeMl) + "}")) << json;
}
