// The Calculate and automatic-ratio commands on an entry of the test's own:
// what each entry gives (a sheet, the ratios written back, or one message of
// the right kind sending the user to the right field), as the main dialog
// and quillon-cli both rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/elements.h"
#include "core/formula.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "core/textutil.h"

namespace {

// The entry: fields as text, rows as "Formula" (Unfixed), "Formula:ratio"
// (Fixed) or "Formula:?" (Unfixed, undetermined); the element selection as
// symbols ("" the defaults), or "cancel".
class Entry : public CalcEntrySource {
public:
    Entry(const char *product, std::vector<std::string> rowTexts, const char *selection = "",
          const char *amount = "10", const char *ratio = "1")
        : product(product), amount(amount), ratio(ratio), selection(selection) {
        rows.create(ROW_CAPACITY);
        for (size_t i = 0; i < rowTexts.size(); ++i) {
            std::string text = rowTexts[i];
            size_t colon = text.find(':');
            rows.setFormula(int(i), text.substr(0, colon).c_str());
            if (colon == std::string::npos) continue;
            bool undetermined = text.substr(colon + 1) == "?";
            rows.setFixed(int(i), undetermined ? 0 : 1);
            rows.setRatio(int(i), undetermined ? UNDETERMINED_RATIO : std::stod(text.substr(colon + 1)));
        }
    }
    CString ProductFormula() override { return CString(product); }
    int ReadProductRatio(double *value) override { return ReadNumberTextOr(ratio, UNDETERMINED_RATIO, value); }
    int ReadAmount(double *value) override { return ReadNumberText(amount, value); }
    int GetRows(int count, LedraRowList *list) override { return rows.getRows(count, list); }
    int GetUnfixedCount() override { return rows.getUnfixedCount(); }
    bool ChooseElements(const CString &, int, int *) override {
        if (std::string(selection) == "cancel") return false;
        elementTable.ResetInclusion();
        if (*selection == 0) return true;
        for (int i = 0; i < elementTable.Count(); ++i) elementTable.SetIncluded(i, 0);
        for (const char *symbol = selection; *symbol != 0;) {
            std::string name(symbol, std::strcspn(symbol, ","));
            elementTable.SetIncluded(elementTable.Lookup(name.c_str()), 1);
            symbol += name.size() + (symbol[name.size()] == ',' ? 1 : 0);
        }
        return true;
    }
    void ShowMessage(const char *text, CalcMessageKind kind, CalcField field) override {
        messages.push_back({text, kind, field});
    }
    void WriteReport(const CReaction &reaction, double grams) override {
        WeighingSheet sheet = MakeWeighingSheet(reaction, grams, "", 0);
        for (const SheetReactant &r : sheet.reactants) weighed.push_back(r.grams);
        reported = true;
    }
    int RowNumber(const LedraRow *row) override {
        for (int i = 0; i < rows.capacity(); ++i)
            if (rows.row(i) == row) return i + 1;
        return 0;
    }
    int UndeterminedRow(CString *formula) override {
        for (int i = 0; i < rows.capacity(); ++i)
            if (!rows.row(i)->formula.IsEmpty() && rows.row(i)->ratio <= UNDETERMINED_RATIO) {
                *formula = rows.row(i)->formula;
                return i + 1;
            }
        return 0;
    }

    struct Message {
        std::string text;
        CalcMessageKind kind;
        CalcField field;
    };
    const char *product, *amount, *ratio, *selection;
    LedraRowStore rows;
    std::vector<Message> messages;
    std::vector<double> weighed;
    bool reported = false;
};

class Commands : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_GT(elementTable.Load(QUILLON_ATOMS_PATH), 100);
        static CFormulaParser parser(LookupElement);
        formulaParser = &parser;
    }
    void SetUp() override { elementTable.ResetInclusion(); }
};

const std::string kDependent = "depend on each other in the elements being balanced, so their ratios have no single answer.";
const std::string kNegative = ".\nThey cannot give the product as they stand.";

// One case: the entry, the message shown (empty: none) with its kind and
// field, and afterwards the list's ratios (NAN: "?") and the grams weighed.
struct Case {
    const char *name;
    Entry entry;
    std::string message;
    CalcMessageKind kind;
    CalcField field;
    std::vector<double> ratios, grams;
};

void Check(const Case &c, const Entry &entry, int result, int expected) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(expected, result);
    if (c.message.empty()) {
        EXPECT_TRUE(entry.messages.empty()) << entry.messages[0].text;
    } else {
        ASSERT_EQ(1u, entry.messages.size());
        EXPECT_EQ(c.message, entry.messages[0].text);
        EXPECT_EQ(c.kind, entry.messages[0].kind);
        EXPECT_EQ(c.field, entry.messages[0].field);
    }
    for (size_t i = 0; i < c.ratios.size(); ++i) {
        double shown = entry.rows.row(int(i))->ratio;
        if (std::isnan(c.ratios[i])) EXPECT_LE(shown, UNDETERMINED_RATIO) << "row " << i + 1 << " not \"?\"";
        else EXPECT_NEAR(c.ratios[i], shown, 1e-12) << "row " << i + 1;
    }
    EXPECT_EQ(c.grams.size(), entry.weighed.size());
    for (size_t i = 0; i < c.grams.size() && i < entry.weighed.size(); ++i)
        EXPECT_NEAR(c.grams[i], entry.weighed[i], 5e-6) << "row " << i + 1;
}

const std::vector<std::string> kYbco = {"Y2O3", "BaCO3", "CuO"};
const std::vector<double> kYbcoGrams = {1.69477, 5.92428, 3.58208};

}  // namespace

// Calculate with Auto-Ratio (the selection in the entry) and without it.
TEST_F(Commands, Calculate) {
    const double q = NAN;
    Case autoCases[] = {
        {"the worked example", Entry("YBa2Cu3O7", kYbco), "", CALC_FAILURE, CALC_FIELD_NONE, {0.5, 2, 3}, kYbcoGrams},
        {"selection cancelled", Entry("YBa2Cu3O7", kYbco, "cancel"), "", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
        {"empty product", Entry("", kYbco), "Product entry is empty.", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
        {"dependent rows marked ?", Entry("Sr0.5Ba0.5TiO3", {"Sr0.3Ba0.7TiO3", "Sr0.6Ba1.4Ti2O6"}),
         "Failed to obtain ratios.\nSr0.3Ba0.7TiO3 and Sr0.6Ba1.4Ti2O6 " + kDependent, CALC_FAILURE, CALC_FIELD_NONE,
         {q, q}, {}},
        {"fewer elements than ratios", Entry("YBa2Cu3O7", kYbco, "Y,Ba"),
         "Failed to obtain ratios.\nThere are fewer elements to balance than ratios to determine.", CALC_FAILURE,
         CALC_FIELD_NONE, {q, q, q}, {}},
        {"negative weighing kept with a warning", Entry("Sr2TiO4", {"SrTiO3", "TiO2"}),
         "These starting materials have negative amounts to weigh: TiO2" + kNegative, CALC_WARNING, CALC_FIELD_NONE,
         {2, -1}, {12.78175, -2.78175}},
    };
    for (Case &c : autoCases) {
        int reset = 0;
        Check(c, c.entry, CalculateCommand(c.entry, true, &reset), c.grams.empty() ? 1 : 0);
    }
    Case fixedCases[] = {
        {"Fixed ratios weighed", Entry("YBa2Cu3O7", {"Y2O3:0.5", "BaCO3:2", "CuO:3"}), "", CALC_FAILURE,
         CALC_FIELD_NONE, {0.5, 2, 3}, kYbcoGrams},
        {"a ? row is named", Entry("YBa2Cu3O7", {"Y2O3:0.5", "BaCO3:?", "CuO:3"}),
         "The ratio of row 2 (BaCO3) is not determined (\"?\").\nType its ratio, or check Auto-Ratio to have it "
         "determined.", CALC_CORRECT, CALC_FIELD_NONE, {}, {}},
        {"massless product", Entry("()", {"BaCO3:1"}), "Molar mass of product is not a positive number.", CALC_CORRECT,
         CALC_FIELD_PRODUCT, {}, {}},
        {"infinite molar mass, row named", Entry("BaTiO3", {"BaCO3:1", "TiO2:1", "Og1e306:1"}),
         "Molar mass of Og1e306 (row 3) is not a finite number.", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
        {"invalid product", Entry("h2o", {"BaCO3:1"}), "Failed to generate output.", CALC_FAILURE, CALC_FIELD_NONE,
         {}, {}},
        {"no rows", Entry("BaTiO3", {}), "Failed to generate output.", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
        {"product ratio 0", Entry("BaTiO3", {"BaCO3:1"}, "", "10", "0"), "Enter positive value for product ratio.",
         CALC_CORRECT, CALC_FIELD_RATIO, {}, {}},
        {"product ratio ?", Entry("BaTiO3", {"BaCO3:1"}, "", "10", "?"), "Enter positive value for product ratio.",
         CALC_CORRECT, CALC_FIELD_RATIO, {}, {}},
        {"tiny product ratio", Entry("BaTiO3", {"BaCO3:1", "TiO2:1"}, "", "10", "1e-310"),
         "Product ratio is too small: the amounts to weigh are not finite numbers.", CALC_FAILURE, CALC_FIELD_NONE,
         {}, {}},
    };
    for (Case &c : fixedCases) {
        int reset = 0;
        Check(c, c.entry, CalculateCommand(c.entry, false, &reset), c.grams.empty() ? 1 : 0);
    }
}

// A decimal comma gets the hint; other wrong spellings (nan would pass no
// check, 0x10 was 16 g) do not; nothing is calculated.
TEST_F(Commands, CalculateRefusesAmountsThatAreNoPositiveNumber) {
    const std::string check = "Check amount of product in grams.";
    const struct { const char *text; std::string message; } cases[] = {
        {"1,5", check + "\nUse a point for decimals: 1.5."}, {"0x10", check}, {"nan", check},
        {"inf", check}, {"1e400", check}, {"-0", "Enter positive value for product amount in grams."},
        {"", "Enter positive value for product amount in grams."}};
    for (const auto &c : cases) {
        Entry entry("YBa2Cu3O7", kYbco, "", c.text);
        int reset = 0;
        EXPECT_EQ(1, CalculateCommand(entry, true, &reset)) << c.text;
        ASSERT_EQ(1u, entry.messages.size()) << c.text;
        EXPECT_EQ(c.message, entry.messages[0].text) << c.text;
        EXPECT_EQ(CALC_CORRECT, entry.messages[0].kind) << c.text;
        EXPECT_FALSE(entry.reported) << c.text;
    }
}

// The selection returns to its defaults after a sheet only when asked to.
TEST_F(Commands, CalculateResetsTheSelectionWhenAsked) {
    for (int reset : {0, 1}) {
        Entry entry("YBa2Cu3O7", kYbco, "Y,Ba,Cu");
        ASSERT_EQ(0, CalculateCommand(entry, true, &reset));
        EXPECT_EQ(reset != 0, elementTable.included(elementTable.Lookup("Sr")) != 0) << reset;  // Sr: a metal
        elementTable.ResetInclusion();
    }
}

// The automatic ratios: solved into the list, or a message and "?" rows.
TEST_F(Commands, AutoRatio) {
    const double q = NAN;
    Case cases[] = {
        {"the worked example", Entry("YBa2Cu3O7", kYbco), "", CALC_FAILURE, CALC_FIELD_NONE, {0.5, 2, 3}, {}},
        {"Fixed row kept", Entry("YBa2Cu3O7", {"Y2O3:0.5", "BaCO3", "CuO"}), "", CALC_FAILURE, CALC_FIELD_NONE,
         {0.5, 2, 3}, {}},
        {"overdetermined", Entry("YBa2Cu3O7", kYbco, "Y,Ba,Cu,O"),
         "Failed to determine ratio.\nO cannot be balanced with these starting materials.", CALC_FAILURE,
         CALC_FIELD_NONE, {q, q, q}, {}},
        {"negative ratio kept with a warning", Entry("Sr2TiO4", {"SrTiO3", "TiO2"}, "Sr,Ti"),
         "These starting materials have negative ratios: TiO2" + kNegative, CALC_WARNING, CALC_FIELD_NONE, {2, -1},
         {}},
        {"selection cancelled", Entry("YBa2Cu3O7", kYbco, "cancel"), "", CALC_FAILURE, CALC_FIELD_NONE, {1, 1, 1}, {}},
        {"empty product", Entry("", kYbco), "Product entry is empty.", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
        {"product ratio 0", Entry("YBa2Cu3O7", kYbco, "", "10", "0"), "Enter positive value for product ratio.",
         CALC_CORRECT, CALC_FIELD_RATIO, {}, {}},
        {"no rows", Entry("YBa2Cu3O7", {}), "Ratio cannot be determined.", CALC_FAILURE, CALC_FIELD_NONE, {}, {}},
    };
    for (Case &c : cases) {
        bool solved = !c.ratios.empty() && !std::isnan(c.ratios[0]) && std::string(c.entry.selection) != "cancel";
        Check(c, c.entry, AutoRatioCommand(c.entry), solved ? 0 : 1);
    }
}
