// A row taking a bottle from the shelf: when it takes, when it asks first
// and when nothing changes; the bottle passing into the batch only while its
// row holds the formula; quillon-cli's rows without values of their own;
// the bottles of a reopened file whose shelf values have changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/calculation.h"
#include "core/datatext.h"
#include "core/printsheet.h"
#include "core/series.h"
#include "core/sheetdata.h"
#include "core/shelfentry.h"
#include "tests/support/chemistry.h"

namespace {

Bottle MakeBottle(const char *formula, const char *name, const char *lot, double purity, MaterialForm form = {}) {
    Bottle bottle;
    bottle.formula = formula;
    bottle.name = name;
    bottle.supplier = "Northfield Chemicals";
    bottle.lot = lot;
    bottle.purity = purity;
    bottle.form = form;
    return bottle;
}

Shelf MakeShelf() {
    Shelf shelf;
    shelf.bottles = {MakeBottle("BaCO3", "Barium carbonate", "NC-2291", 99.98),
                     MakeBottle("BaCO3", "Barium carbonate", "NC-3004", 99.5),
                     MakeBottle("C2H6O2", "Ethylene glycol", "EG-7", 99.8, MaterialForm{1.113, 0, 0}),
                     MakeBottle("Al(NO3)3*9H2O", "Aluminium nitrate", "AN-1", 98)};
    shelf.Reindex();
    return shelf;
}

TEST(ShelfEntry, TakeBottleAsksBeforeOverwritingTypedValues) {
    const Bottle bottle = MakeBottle("BaCO3", "Barium carbonate", "NC-2291", 99.98);
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
    // A bottle of a form: the form comes with it; a default bottle still names itself.
    BatchSettings batch;
    const Bottle glycol = MakeBottle("C2H6O2", "Ethylene glycol", "EG-7", 100, MaterialForm{1.113, 0, 0});
    EXPECT_EQ(TakeBottle(&batch, 1, "C2H6O2", glycol, false), BottleTake::Taken);
    EXPECT_EQ(batch.rows[0].form, glycol.form);
    EXPECT_EQ(TakeBottle(&batch, 1, "C2H6O2", glycol, false), BottleTake::Unchanged);
    EXPECT_EQ(TakeBottle(&batch, 3, "ZnO", MakeBottle("ZnO", "", "", 100), false), BottleTake::Taken);
    EXPECT_FALSE(batch.IsPlain());
    EXPECT_EQ(batch.rows[2].formula, "ZnO");
    EXPECT_EQ(TakeBottle(&batch, 31, "ZnO", glycol, true), BottleTake::Unchanged);
}

TEST(ShelfEntry, BottleGoesIntoTheSheetOnlyWhileItsRowHoldsTheFormula) {
    Entry entry;
    entry.fields.productFormula = "BaTiO3";
    entry.rows.setFormula(0, "BaCO3");
    entry.rows.setFormula(1, "TiO2");
    const Shelf shelf = MakeShelf();
    ASSERT_EQ(TakeShelfValues(shelf, &entry), 1);
    Entry same = entry, retyped = entry;
    EXPECT_TRUE(SameEntry(entry, same));
    same.batch.rows[0].bottle.lot = "NC-3004";
    EXPECT_FALSE(SameEntry(entry, same));

    auto reaction = Calculated(Atoms(), "BaTiO3", 1.0, {{"BaCO3", 0, 1.0}, {"TiO2", 0, 1.0}});
    BatchInput input;
    ASSERT_EQ(MakeBatchInput(entry.batch, *reaction, {1, 2}, 1.0, &input), BatchMatch::Done);
    const BatchResult result = CalculateBatch(*reaction, input);
    EXPECT_EQ(result.rows[0].bottle, shelf.bottles[0].Ref());
    EXPECT_FALSE(result.rows[1].bottle.fromShelf);
    // Row 1 retyped to SrCO3: BaCO3's bottle does not pass to it.
    auto other = Calculated(Atoms(), "SrTiO3", 1.0, {{"SrCO3", 0, 1.0}, {"TiO2", 0, 1.0}});
    ASSERT_EQ(MakeBatchInput(retyped.batch, *other, {1, 2}, 1.0, &input), BatchMatch::Done);
    EXPECT_FALSE(input.materials[0].bottle.fromShelf);
}

TEST(ShelfEntry, CommandLineRowsTakeTheirBottleUnlessTheyHaveValues) {
    const Shelf shelf = MakeShelf();
    Entry entry;
    const char *formulas[] = {"BaCO3", "BaCO3", "C2H6O2", "Al(NO3)3\xB7" "9H2O", "TiO2", "BaCO3"};
    for (int i = 0; i < 6; ++i) entry.rows.setFormula(i, formulas[i]);
    Bottle second = shelf.bottles[1];
    entry.batch.SetRow(2, "BaCO3", 100, 0, MaterialForm(), second.Ref());  // names the second lot
    entry.batch.SetRow(6, "BaCO3", 97, 0);                                 // typed: kept
    EXPECT_EQ(TakeShelfValues(shelf, &entry), 4);
    EXPECT_EQ(entry.batch.rows[0].purity, 99.98);  // the first bottle of its formula
    EXPECT_EQ(entry.batch.rows[1].purity, 99.5);   // the lot the file names
    EXPECT_EQ(entry.batch.rows[2].form.density, 1.113);
    EXPECT_EQ(entry.batch.rows[3].purity, 98);     // the other hydrate spelling
    EXPECT_TRUE(entry.batch.rows[4].formula.IsEmpty());
    EXPECT_EQ(entry.batch.rows[5].purity, 97);
    EXPECT_FALSE(entry.batch.rows[5].bottle.fromShelf);
    EXPECT_EQ(TakeShelfValues(shelf, &entry), 0);
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

// Every view of a sheet names the rows' bottles, only those from the shelf: the sheet's lines, a
// printed line each, CSV's three columns on every line (a cell with a comma quoted), JSON's member;
// the series sheet's text and JSON likewise.
TEST(ShelfEntry, SheetsNameTheBottleOfEachRowFromTheShelf) {
    Entry entry = MakeEntry("BaTiO3", {{"BaCO3", 0, 1}, {"TiO2", 0, 1}, {"SrCO3", 0, 0}});
    Bottle titania = MakeBottle("TiO2", "", "T,1", 100);
    titania.supplier.Empty();
    TakeBottle(&entry.batch, 1, "BaCO3", MakeBottle("BaCO3", "Barium carbonate", "NC-2291", 99.98), true);
    TakeBottle(&entry.batch, 2, "TiO2", titania, true);
    const CalcOutcome outcome = Calculate(entry, Atoms().parser, ElementSelection::Metals(Atoms().table), CalcOptions());
    ASSERT_TRUE(outcome.done) << Str(outcome.MessageText());
    const std::string text = Str(SheetFileText(outcome.sheet));
    EXPECT_NE(std::string::npos, text.find("\r\nBaCO3: bottle Barium carbonate, Northfield Chemicals, lot NC-2291.\r\n"
                                           "TiO2: bottle lot T,1.\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("SrCO3: bottle")) << text;

    PrintedSheet printed;
    PrintSettings settings;
    settings.readability = Decimal{1, 4};
    ASSERT_EQ(PrintSheetStatus::Ready, MakePrintedSheet(outcome.sheet, settings, "", &printed));
    ASSERT_EQ(2u, printed.bottles.size());
    EXPECT_EQ("TiO2: bottle lot T,1.", Str(printed.bottles[1]));

    const std::string csv = SheetCsv(outcome.sheet);
    EXPECT_EQ(0u, csv.find("record,row,formula,molar_mass,ratio,purity_pct,excess_pct,pure_g,weighed_g,mmol,percent,"
                           "bottle_name,bottle_supplier,bottle_lot\r\n")) << csv;
    EXPECT_NE(std::string::npos, csv.find(",Barium carbonate,Northfield Chemicals,NC-2291\r\n")) << csv;
    EXPECT_NE(std::string::npos, csv.find(",,,\"T,1\"\r\n")) << csv;
    size_t line = 0, lines = 0;
    for (size_t end; (end = csv.find("\r\n", line)) != std::string::npos; line = end + 2, ++lines) {
        const std::string cells = csv.substr(line, end - line);
        EXPECT_EQ(13 + (cells.find("T,1") != std::string::npos), std::count(cells.begin(), cells.end(), ',')) << cells;
    }
    EXPECT_GT(lines, 5u);
    const std::string json = SheetJson(outcome.sheet);
    EXPECT_NE(std::string::npos, json.find("\"mmol\": " + ExactNumber(outcome.sheet.reactants[0].mmol) +
                                           ", \"bottle\": {\"name\": \"Barium carbonate\", \"supplier\": "
                                           "\"Northfield Chemicals\", \"lot\": \"NC-2291\"}}")) << json;
    EXPECT_EQ(2, [&] { int n = 0; for (size_t at = 0; (at = json.find("\"bottle\"", at)) != std::string::npos; ++at) ++n; return n; }());

    entry.fields.productFormula = "Ba1-xSrxTiO3";
    std::vector<SeriesX> values;
    CString why;
    ASSERT_TRUE(ParseSeriesValues("0,0.5", &values, &why));
    CalcOptions options;
    options.autoRatio = true;
    const SeriesResult series =
        CalculateSeries(entry, Atoms().parser, ElementSelection::Metals(Atoms().table), options, values);
    ASSERT_TRUE(series.members[1].outcome.done) << Str(series.members[1].outcome.messages);
    const std::string seriesText = SeriesText(series), seriesJson = SeriesJson(series);
    EXPECT_NE(std::string::npos, seriesText.find("-\nBaCO3: bottle Barium carbonate, Northfield Chemicals, lot NC-2291.\n"
                                                 "TiO2: bottle lot T,1.\n")) << seriesText;
    EXPECT_NE(std::string::npos, seriesJson.find(",\"bottle\":{\"name\":\"\",\"supplier\":\"\",\"lot\":\"T,1\"}}")) << seriesJson;
}

}  // namespace
