// A row taking a bottle from the shelf: when it takes, when it asks first
// and when nothing changes (quillon-cli's rows without values of their own:
// tests/cli); the bottles of a reopened file whose shelf values have changed; the views
// that name the bottles.
#include <gtest/gtest.h>

#include <string>

#include "core/calculation.h"
#include "core/printsheet.h"
#include "core/series.h"
#include "core/sheetdata.h"
#include "core/shelfentry.h"
#include "tests/support/bottles.h"
#include "tests/support/chemistry.h"

namespace {

Shelf MakeShelf() {
    Shelf shelf;
    const char *const supplier = "Northfield Chemicals";
    shelf.bottles = {MakeBottle("BaCO3", "Barium carbonate", 99.98, supplier, "NC-2291"),
                     MakeBottle("BaCO3", "Barium carbonate", 99.5, supplier, "NC-3004"),
                     MakeBottle("C2H6O2", "Ethylene glycol", 99.8, supplier, "EG-7", MaterialForm{1.113, 0, 0}),
                     MakeBottle("Al(NO3)3*9H2O", "Aluminium nitrate", 98, supplier, "AN-1")};
    shelf.Reindex();
    return shelf;
}

TEST(ShelfEntry, TakeBottleAsksBeforeOverwritingTypedValues) {
    const Bottle bottle = MakeBottle("BaCO3", "Barium carbonate", 99.98, "Northfield Chemicals", "NC-2291");
    Bottle other = bottle;
    other.lot = "NC-3004";
    struct Case {
        const char *what;
        const char *formula;  // the row's values were given for
        double purity, excess;
        const Bottle *named;  // the bottle the row names already
        bool overwrite;
        BottleTake expected;
        double excessAfter;
    } cases[] = {
        {"no values", "", 100, 0, nullptr, false, BottleTake::Taken, 0},
        {"only an excess typed: asks (its purity may be typed)", "BaCO3", 100, 5, nullptr, false, BottleTake::AskFirst, 5},
        {"only an excess typed, overwritten: kept", "BaCO3", 100, 5, nullptr, true, BottleTake::Taken, 5},
        {"values of another formula: excess dropped", "TiO2", 99, 5, nullptr, false, BottleTake::Taken, 0},
        {"a typed purity", "BaCO3", 99, 0, nullptr, false, BottleTake::AskFirst, 0},
        {"a typed purity, overwritten", "BaCO3", 99, 2, nullptr, true, BottleTake::Taken, 2},
        {"the bottle's values typed: named", "BaCO3", 99.98, 0, nullptr, false, BottleTake::Taken, 0},
        {"this bottle already", "BaCO3", 99.98, 3, &bottle, false, BottleTake::Unchanged, 3},
        {"another bottle with equal values", "BaCO3", 99.98, 3, &other, false, BottleTake::AskFirst, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        BatchSettings batch;
        batch.SetRow(2, c.formula, c.purity, c.excess, MaterialForm(), c.named ? c.named->Ref() : BottleRef());
        const BatchSettings before = batch;
        EXPECT_EQ(TakeBottle(&batch, 2, "BaCO3", bottle, c.overwrite), c.expected);
        const BatchRowValues &row = batch.rows[1];
        if (c.expected == BottleTake::AskFirst) {
            EXPECT_EQ(row.purity, before.rows[1].purity);
            EXPECT_EQ(row.bottle, before.rows[1].bottle);
            continue;
        }
        EXPECT_EQ(row.formula, "BaCO3");
        EXPECT_EQ(row.purity, 99.98);
        EXPECT_EQ(row.excess, c.excessAfter);
        EXPECT_EQ(row.bottle, bottle.Ref());
    }
    // A bottle of default values names itself all the same: the entry is not plain.
    BatchSettings batch;
    EXPECT_EQ(TakeBottle(&batch, 3, "ZnO", MakeBottle("ZnO", "", 100, "Northfield Chemicals", ""), false), BottleTake::Taken);
    EXPECT_FALSE(batch.IsPlain());
    EXPECT_EQ(batch.rows[2].formula, "ZnO");
}

TEST(ShelfEntry, ReopenedFileSaysWhichBottleValuesChanged) {
    Shelf shelf = MakeShelf();
    Entry entry;
    for (int i = 0; i < 4; ++i) entry.rows.setFormula(i, shelf.bottles[static_cast<size_t>(i)].formula);
    entry.rows.setFormula(4, "BaCO3");
    for (int i = 0; i < 4; ++i)
        TakeBottle(&entry.batch, i + 1, entry.rows.row(i)->formula, shelf.bottles[static_cast<size_t>(i)], true);
    entry.batch.rows[1].excess = 4;
    EXPECT_TRUE(ShelfChanges(shelf, entry).empty());
    EXPECT_TRUE(ShelfChangesText({}).IsEmpty());

    shelf.bottles[1].purity = 99.9;
    shelf.bottles[2].form = MaterialForm{1.11, 0, 0};
    shelf.bottles[3].lot = "AN-2";  // row 4's bottle gone
    shelf.Reindex();
    const std::vector<ShelfChange> changes = ShelfChanges(shelf, entry);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].row, 2);
    EXPECT_TRUE(changes[2].gone);
    EXPECT_EQ(ShelfChangesText(changes),
              "The shelf's values differ from this file's:\n"
              "BaCO3 (row 2), bottle Barium carbonate, Northfield Chemicals, lot NC-3004: "
              "purity 99.9 % on the shelf, 99.5 % in the file.\n"
              "C2H6O2 (row 3), bottle Ethylene glycol, Northfield Chemicals, lot EG-7: "
              "density 1.11 g/mL on the shelf, 1.113 g/mL in the file.\n"
              "Al(NO3)3*9H2O (row 4), bottle Aluminium nitrate, Northfield Chemicals, lot AN-1: "
              "no longer on the shelf.\n");

    TakeShelfChanges(shelf, changes, &entry);
    EXPECT_EQ(entry.batch.rows[1].purity, 99.9);
    EXPECT_EQ(entry.batch.rows[1].excess, 4);
    EXPECT_EQ(entry.batch.rows[2].form.density, 1.11);
    EXPECT_EQ(entry.batch.rows[3].purity, 98);  // gone: the file's values stay
    EXPECT_EQ(ShelfChanges(shelf, entry).size(), 1u);
}

// The views the command-line goldens do not show name the bottles of the rows from the shelf: the
// printed sheet a line each, JSON's member (of the series sheet too).
TEST(ShelfEntry, PrintedSheetAndJsonNameTheBottles) {
    Entry entry = MakeEntry("BaTiO3", {{"BaCO3", 0, 1}, {"TiO2", 0, 1}, {"SrCO3", 0, 0}});
    const Shelf shelf = MakeShelf();
    TakeShelfValues(shelf, &entry);
    const CalcOutcome outcome = Calculate(entry, Atoms().parser, ElementSelection::Metals(Atoms().table), CalcOptions());
    ASSERT_TRUE(outcome.done) << Str(outcome.MessageText());
    PrintedSheet printed;
    PrintSettings settings;
    settings.readability = Decimal{1, 4};
    ASSERT_EQ(PrintSheetStatus::Ready, MakePrintedSheet(outcome.sheet, settings, "", &printed));
    ASSERT_EQ(1u, printed.bottles.size());
    EXPECT_EQ("BaCO3: bottle Barium carbonate, Northfield Chemicals, lot NC-2291.", Str(printed.bottles[0]));
    const std::string bottle = "\"bottle\": {\"name\": \"Barium carbonate\", \"supplier\": \"Northfield Chemicals\", "
                               "\"lot\": \"NC-2291\"}}";
    const std::string json = SheetJson(outcome.sheet);
    EXPECT_TRUE(json.find(bottle) != std::string::npos && json.find(bottle) == json.rfind("\"bottle\"")) << json;

    entry.fields.productFormula = "Ba1-xSrxTiO3";
    std::vector<SeriesX> values;
    CString why;
    ASSERT_TRUE(ParseSeriesValues("0,0.5", &values, &why));
    CalcOptions options;
    options.autoRatio = true;
    const std::string series =
        SeriesJson(CalculateSeries(entry, Atoms().parser, ElementSelection::Metals(Atoms().table), options, values));
    EXPECT_NE(std::string::npos, series.find(",\"bottle\":{\"name\":\"Barium carbonate\",\"supplier\":"
                                             "\"Northfield Chemicals\",\"lot\":\"NC-2291\"}}")) << series;
}

}  // namespace
