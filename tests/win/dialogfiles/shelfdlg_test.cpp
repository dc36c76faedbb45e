// The Shelf window and its bottle dialog, run modally in process and driven from inside their loops: the list sorted
// and filtered, bottles added, edited and removed through the field checks, a bottle put into a row, the shelf saved,
// and a file changed on disk never overwritten without asking.
#include <cstring>
#include <string>
#include <vector>

#include "app/shelfdlg.h"
#include "core/datatext.h"
#include "tests/support/bottles.h"
#include "tests/support/testbed/maindialog.h"
#include "tests/support/testbed/shelfwindow.h"

namespace {

using namespace testbed;

// The test's formula check: anything but a formula holding "Xx".
const ShelfFormulaCheck kCheck = [](const char *formula) { return std::strstr(formula, "Xx") == nullptr; };

Shelf LabShelf() {
    Shelf shelf;
    shelf.bottles = {
        MakeBottle("BaCO3", "Barium carbonate", 99.98, "Northfield Chemicals", "NC-2291"),
        MakeBottle("TiO2", "Titanium dioxide", 99.9, "Harlow Fine Chemicals", "H-17"),
        MakeBottle("C2H6O2", "Ethylene glycol", 99.8, "northfield chemicals", "NC-0412", {1.113, 0, 0}),
        MakeBottle("Y(NO3)3", "Yttrium nitrate solution", 100, "Ostrava Lab Supply", "", {1.1, 0.5, 0}, "made 2 Dec"),
        MakeBottle("Li2CO3", "Lithium carbonate", 99, "Harlow Fine Chemicals", "H-3"),
    };
    shelf.bottles[0].location = shelf.bottles[1].location = "Cabinet A2";
    shelf.bottles[3].location = "Fridge B";
    shelf.Reindex();
    return shelf;
}

// Purity sorts as a number (99 before 100), texts without regard to case, a second click the other way; the filter
// finds any column's text in either case, as it is typed; Enter in the filter does not close the window; Put into Row
// hands back the bottle and the row chosen.
TEST_F(DialogTest, ShelfSortsFiltersAndPutsIntoARow) {
    Shelf shelf = LabShelf();
    const INT_PTR result = RunShelf(shelf, kCheck, "", 7, [&](HWND window) {
        EXPECT_EQ("BaCO3|Barium carbonate|99.98|", Lines(window)[0]);
        EXPECT_EQ("Y(NO3)3|Yttrium nitrate solution|100|0.5 M, 1.1 g/mL", Lines(window)[3]);
        EXPECT_EQ("5 bottles", Text(window, IDC_SHELF_COUNT));
        EXPECT_EQ("7", Text(window, IDC_SHELF_ROW));
        EXPECT_FALSE(Enabled(window, IDC_SHELF_SAVE)) << "no file chosen";
        const struct { int column; const char *order; } sorts[] = {
            {2, "Li2CO3 C2H6O2 TiO2 BaCO3 Y(NO3)3 "}, {2, "Y(NO3)3 BaCO3 TiO2 C2H6O2 Li2CO3 "},
            {0, "BaCO3 C2H6O2 Li2CO3 TiO2 Y(NO3)3 "}, {4, "TiO2 Li2CO3 BaCO3 C2H6O2 Y(NO3)3 "},
        };
        for (const auto &sort : sorts) {
            ClickHeader(window, sort.column);
            EXPECT_EQ(sort.order, Formulas(window)) << sort.column;
        }
        const struct { const char *filter, *shown, *count; } filters[] = {
            {"NORTH", "BaCO3 C2H6O2 ", "2 of 5 bottles"}, {"DEC", "Y(NO3)3 ", "1 of 5 bottles"},
            {"g/ml", "C2H6O2 Y(NO3)3 ", "2 of 5 bottles"}, {"zz", "", "0 of 5 bottles"},
            {"", "TiO2 Li2CO3 BaCO3 C2H6O2 Y(NO3)3 ", "5 bottles"},  // still by supplier
        };
        for (const auto &f : filters) {
            SetText(window, IDC_SHELF_FILTER, f.filter);
            EXPECT_EQ(f.shown, Formulas(window)) << f.filter;
            EXPECT_EQ(f.count, Text(window, IDC_SHELF_COUNT)) << f.filter;
            EXPECT_EQ(*f.shown != 0, Enabled(window, IDC_SHELF_PUT) && Enabled(window, IDC_SHELF_EDIT)) << f.filter;
        }
        // A letter typed in the list goes to the next bottle whose formula starts with it.
        ::SetFocus(List(window));
        for (const auto &typed : {std::pair{'c', 3}, std::pair{'T', 0}, std::pair{'Q', 0}}) {
            ::SendMessageA(List(window), WM_CHAR, WPARAM(typed.first), 1);
            EXPECT_EQ(typed.second, int(::SendMessageA(List(window), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)))
                << typed.first;
            ::Sleep(1100);  // past the list's typing pause: the next letter starts a new search
        }
        ::SetFocus(::GetDlgItem(window, IDC_SHELF_FILTER));
        Press(window, IDOK);
        ASSERT_TRUE(::IsWindow(window));
        Select(window, 1);  // Li2CO3
        ::SendDlgItemMessageA(window, IDC_SHELF_ROW, CB_SETCURSEL, 11, 0);
        Press(window, IDC_SHELF_PUT);
    });
    EXPECT_EQ(IDC_SHELF_PUT, result);
    EXPECT_EQ("Li2CO3|12", lastPut);
}

// Each refused value is named and its field gets the focus back; a bottle that passes is added (its texts without the
// blanks around them), an edit starts from the bottle's values as exact texts, a removal is asked first. Closing with
// changes that cannot be saved (no file) asks to leave them, and the program's shelf stays as it was.
TEST_F(DialogTest, ShelfAddEditAndRemoveThroughTheFieldChecks) {
    const struct { const char *formula, *purity, *density, *molarity, *fraction; int field; const char *message; } cases[] = {
        {"SrCO3", "120", "", "", "", IDC_BOTTLE_PURITY, "Wrong value for purity!\nPurity must be above 0 and at most 100 %, not 120."},
        {"SrCO3", "99,5", "", "", "", IDC_BOTTLE_PURITY,
         "Wrong value for purity!\nA purity is a percentage above 0 and at most 100.\nUse a point for decimals: 1.5."},
        {"SrCO3", "", "abc", "", "", IDC_BOTTLE_DENSITY, "Wrong value for density!\nA density is a number of g/mL above 0."},
        {"SrCO3", "", "", "0", "", IDC_BOTTLE_MOLARITY, "Wrong value for molarity!\nA molarity is a number of mol/L above 0."},
        {"SrCO3", "", "", "0.5", "10", IDC_BOTTLE_FRACTION,
         "Wrong value for mass fraction!\nSrCO3 has both a molarity and a mass fraction: give one of them."},
        {"SrCO3", "99", "", "0.5", "", IDC_BOTTLE_PURITY, "Wrong value for purity!\nPurity of SrCO3 must be 100 % for a "
         "solution: its molarity or mass fraction says how much of it is the compound."},
        {"  ", "", "", "", "", IDC_BOTTLE_FORMULA, "Wrong value for formula!\nThe formula is missing."},
        {"SrXx3", "", "", "", "", IDC_BOTTLE_FORMULA, "Wrong value for formula!\nThe formula SrXx3 does not parse."},
    };
    Shelf shelf = LabShelf();
    RunShelf(shelf, kCheck, "", 1, [&](HWND window) {
        WithBottle(window, IDC_SHELF_ADD, [&](HWND bottle) {
            EXPECT_EQ("100", Text(bottle, IDC_BOTTLE_PURITY));
            for (const auto &c : cases) {
                const std::pair<int, const char *> fields[] = {{IDC_BOTTLE_FORMULA, c.formula}, {IDC_BOTTLE_PURITY, c.purity},
                    {IDC_BOTTLE_DENSITY, c.density}, {IDC_BOTTLE_MOLARITY, c.molarity}, {IDC_BOTTLE_FRACTION, c.fraction}};
                for (const auto &field : fields) SetText(bottle, field.first, field.second);
                qwintest::MessageBoxWatcher boxes;
                Press(bottle, IDOK);
                ASSERT_EQ(1u, boxes.Count()) << c.formula << c.purity;
                EXPECT_EQ(c.message, boxes[0].text);
                EXPECT_TRUE(boxes[0].icon == qwintest::BoxIcon::Hand && ::GetDlgItem(bottle, c.field) == ::GetFocus())
                    << c.formula << c.purity << ": a stop sign, the field focused";
            }
            const std::pair<int, const char *> good[] = {{IDC_BOTTLE_FORMULA, " SrCO3 "}, {IDC_BOTTLE_NAME, "Strontium carbonate"},
                {IDC_BOTTLE_PURITY, "99.9"}, {IDC_BOTTLE_MOLARITY, ""}, {IDC_BOTTLE_FRACTION, ""}, {IDC_BOTTLE_LOT, "NC-7"}};
            for (const auto &field : good) SetText(bottle, field.first, field.second);
            Press(bottle, IDOK);
        });
        EXPECT_EQ("SrCO3|Strontium carbonate|99.9|", Lines(window).at(5));
        EXPECT_EQ("6 bottles", Text(window, IDC_SHELF_COUNT));
        Select(window, 2);  // the glycol
        WithBottle(window, IDC_SHELF_EDIT, [&](HWND bottle) {
            EXPECT_EQ("99.8|1.113|", Text(bottle, IDC_BOTTLE_PURITY) + "|" + Text(bottle, IDC_BOTTLE_DENSITY) + "|" +
                                         Text(bottle, IDC_BOTTLE_MOLARITY));
            SetText(bottle, IDC_BOTTLE_DENSITY, "1.11");
            Press(bottle, IDOK);
        });
        EXPECT_EQ("C2H6O2|Ethylene glycol|99.8|1.11 g/mL", Lines(window)[2]);
        for (int answer : {IDNO, IDYES}) {
            Select(window, 0);
            qwintest::MessageBoxWatcher boxes(answer);
            Press(window, IDC_SHELF_REMOVE);
            ASSERT_EQ(1u, boxes.Count());
            EXPECT_EQ("Remove BaCO3 (Barium carbonate, Northfield Chemicals, lot NC-2291) from the shelf?", boxes[0].text);
        }
        EXPECT_EQ("TiO2 C2H6O2 Y(NO3)3 Li2CO3 SrCO3 ", Formulas(window));
        qwintest::MessageBoxWatcher boxes(IDYES);  // no file: the changes cannot be saved; leave them
        Press(window, IDCANCEL);
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("The changes to the shelf cannot be saved: no shelf file is chosen.\nLeave them?", boxes[0].text);
    });
    EXPECT_EQ(5u, shelf.bottles.size());
    EXPECT_EQ("BaCO3", std::string(shelf.bottles[0].formula));
}

// Save writes the window's shelf and the program takes it; a second save is not taken for someone else's. A file
// changed since it was read or saved is asked about: Cancel keeps editing (Close then asks to save, and asks again
// before overwriting), No reads it again, Yes overwrites it.
TEST_F(DialogTest, ShelfSaveNeverOverwritesAChangedFileSilently) {
    const std::string path = TempFolder() + "shelf.csv";
    const std::string header = "Formula,Name,Purity (%),Supplier,Lot\r\n";
    auto formulas = [](const Shelf &shelf) {
        std::string all;
        for (const Bottle &bottle : shelf.bottles) all += std::string(bottle.formula) + " ";
        return all;
    };
    auto onDisk = [&] {  // the bottles of the file, and its bad line kept
        Shelf read;
        EXPECT_EQ(ShelfReadStatus::Read, ReadShelfFile(path.c_str(), kCheck, &read));
        EXPECT_EQ(1u, read.problems.size());
        return formulas(read);
    };
    const struct { int answer; const char *after; } answers[] = {
        {IDCANCEL, "TiO2 "}, {IDNO, "BaCO3 TiO2 MgO "}, {IDYES, "TiO2 "}};
    for (const auto &a : answers) {
        Put(path, header + "BaCO3,Barium carbonate,99.98,Northfield Chemicals,NC-2291\r\nSrXx3,,99,,\r\nTiO2,,99.9,,\r\nZnO,,99.99,,\r\n");
        Shelf shelf;
        ASSERT_EQ(ShelfReadStatus::Read, ReadShelfFile(path.c_str(), kCheck, &shelf));
        RunShelf(shelf, kCheck, path, 1, [&](HWND window) {
            EXPECT_EQ("File: " + path, Text(window, IDC_SHELF_FILE));
            EXPECT_EQ("1 line of the file could not be read; it is kept as it is when the shelf is saved.",
                      Text(window, IDC_SHELF_PROBLEMS));
            for (int item : {2, 0}) {
                Select(window, item);
                qwintest::MessageBoxWatcher boxes(IDYES);
                Press(window, IDC_SHELF_REMOVE);
                if (item == 2) Press(window, IDC_SHELF_SAVE);
                ASSERT_EQ(1u, boxes.Count()) << "the question to remove alone";
                if (item == 2) {
                    EXPECT_EQ("BaCO3 TiO2 |BaCO3 TiO2 ", onDisk() + "|" + formulas(shelf)) << "saved, and taken";
                }
            }
            Put(path, header + "BaCO3,,99.98,,\r\nTiO2,,99.9,,\r\nMgO,,99.95,,\r\nSrXx3,,99,,\r\n");  // someone else's save
            qwintest::MessageBoxWatcher boxes(a.answer);
            Press(window, IDC_SHELF_SAVE);
            ASSERT_EQ(a.answer == IDNO ? 2u : 1u, boxes.Count());
            if (a.answer == IDNO) {  // the file read again, its bad line said
                EXPECT_EQ("The shelf file " + path + " has lines that give no bottle:\nline 5: the formula SrXx3 does not parse\n"
                          "3 bottles are usable.", boxes[1].text);
            }
            EXPECT_EQ("The shelf file " + path + " was changed since it was read.\n\nYes: overwrite it with the shelf shown here.\n"
                      "No: read the file again (the changes made here are lost).\nCancel: go on editing.", boxes[0].text);
            EXPECT_EQ(qwintest::BoxIcon::Exclamation, boxes[0].icon);
            EXPECT_EQ(a.after, Formulas(window)) << a.answer;
            EXPECT_EQ(a.answer == IDYES ? "TiO2 " : "BaCO3 TiO2 MgO ", onDisk()) << a.answer << ": overwritten by Yes alone";
            qwintest::MessageBoxWatcher closing(IDYES);
            Press(window, IDCANCEL);
            EXPECT_EQ(a.answer == IDCANCEL ? 2u : 0u, closing.Count()) << a.answer;
            EXPECT_TRUE(a.answer != IDCANCEL || closing[0].text == "Save changes to the shelf?");
        });
        EXPECT_EQ(a.after, onDisk()) << a.answer;
        EXPECT_EQ(a.after, formulas(shelf)) << "the program's shelf is the file's: " << a.answer;
    }
}

// Options > Shelf...: the bottle put into a row replaces the row's formula (asked first) and the row takes its values
// and names it.
TEST_F(DialogTest, AShelfBottlePutIntoARowIsTakenByIt) {
    const std::string path = TempFolder() + "main-shelf.csv";
    Put(path, "Formula,Name,Purity (%),Supplier,Lot\r\nBaCO3,Barium carbonate,99.98,Northfield Chemicals,NC-2291\r\n");
    Run([&](CQuillonDlg &dialog) {
        EXPECT_TRUE(dialog.LabShelf().Load(path.c_str()).IsEmpty());
        StandInRows().setFormula(0, "TiO2");
        UINT_PTR timer = ActWhenShown("Quillon : Shelf", [](HWND window) { Press(window, IDC_SHELF_PUT); });
        qwintest::MessageBoxWatcher boxes(IDYES);
        dialog.SendMessage(WM_COMMAND, ID_OPTIONS_SHELF);
        ::KillTimer(nullptr, timer);
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("TiO2 (row 1) is in that row.\nPut BaCO3 there instead?", boxes[0].text);
        EXPECT_EQ("BaCO3", std::string(StandInRows().formula(0)->GetString()));
        const BatchRowValues &row = dialog.BatchValues().rows[0];
        EXPECT_EQ("BaCO3|99.98|NC-2291", std::string(row.formula) + "|" + FormatFieldNumber(row.purity).GetString() + "|" +
                                             row.bottle.lot.GetString());
    });
}

}  // namespace
