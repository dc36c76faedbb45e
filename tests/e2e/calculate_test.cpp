// Calculate and the automatic ratios end to end: the element selection, the report file and its
// display, Copy All, the weighing's options and the masses weighed, and the entries that cannot give a
// sheet. Screenshots of the windows go to the build's test-output.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <ctime>
#include <fstream>

#include "app/resource.h"
#include "core/batch.h"
#include "tests/support/driver/driver.h"

using qdriver::DISPLAY_CAPTION;
using qdriver::Quillon;
using qdriver::SELECTION_CAPTION;
using qwintest::BoxIcon;

namespace {

// A text of 10 g YBa2Cu3O7 from Y2O3, BaCO3 and CuO (0.5, 2, 3) as quillon-cli prints it, for another sample ID.
std::string Golden(const char *name, const std::string &sampleId) {
    std::string text = ReadBytes(std::string(QUILLON_GOLDEN "/YBa2Cu3O7-") + name + ".txt");
    return text.empty() ? text : "ID: " + sampleId + text.substr(text.find('\n'));
}

// A report file's sheet without its line ends' CRs (written in text mode: CR CR LF, CR LF or LF).
std::string Written(const std::string &bytes) {
    EXPECT_NE(bytes.find("\r\r\n"), std::string::npos) << "not written in text mode";
    return qdriver::WithoutCR(bytes);
}

// The items of the program's tree view: text and state image index, read through the program's memory.
std::vector<std::pair<std::string, int>> TreeItems(const Quillon &quillon, HWND tree) {
    std::vector<std::pair<std::string, int>> items;
    char text[32];
    auto *remote = static_cast<char *>(::VirtualAllocEx(quillon.Process(), nullptr, 256, MEM_COMMIT, PAGE_READWRITE));
    for (LRESULT item = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item != 0;
         item = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        TVITEMA tvi = {TVIF_TEXT, reinterpret_cast<HTREEITEM>(item), 0, 0, remote + sizeof tvi, sizeof text,
                       0, 0, 0, 0};
        ::WriteProcessMemory(quillon.Process(), remote, &tvi, sizeof tvi, nullptr);
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(quillon.Process(), remote + sizeof tvi, text, sizeof text, nullptr);
        text[sizeof text - 1] = '\0';
        items.push_back({text, int(::SendMessageA(tree, TVM_GETITEMSTATE, item, TVIS_STATEIMAGEMASK) >> 12)});
    }
    ::VirtualFreeEx(quillon.Process(), remote, 0, MEM_RELEASE);
    return items;
}

// The Weighed Masses dialog's row chosen as a click does; grams given by message to its rows 1, 2, ...;
// the text of its check.
void ChooseRow(HWND weighed, int row) {
    HWND list = ::GetDlgItem(weighed, IDC_WEIGHED_LIST);
    ::SendMessageA(list, LB_SETCURSEL, row, 0);
    ::SendMessageA(weighed, WM_COMMAND, MAKEWPARAM(IDC_WEIGHED_LIST, LBN_SELCHANGE), LPARAM(list));
}
std::string Weigh(HWND weighed, const std::vector<const char *> &grams) {
    for (size_t i = 0; i < grams.size(); ++i)
        ChooseRow(weighed, int(i)), qdriver::SetText(::GetDlgItem(weighed, IDC_WEIGHED_GRAMS), grams[i]);
    return qdriver::WithoutCR(Quillon::TextOf(::GetDlgItem(weighed, IDC_WEIGHED_RESULT)));
}

using Calculation = qdriver::Session;

}  // namespace

// The worked example: ratios solved from the metals, the sheet in a report file, the display
// showing it, Copy All putting it on the clipboard; then masses checked against the sheet.
TEST_F(Calculation, YBa2Cu3O7FromItsOxidesAndCarbonate) {
    quillon.Command(ID_OPTIONS_WEIGHED);  // no sheet yet
    ExpectBox("There is no weighing sheet yet: press Calculate first.", BoxIcon::Exclamation);
    Enter("YBa2Cu3O7", "10", {{"Y2O3", ""}, {"BaCO3", ""}, {"CuO", ""}});
    // Cancelling the selection ends Calculate silently.
    Press(IDC_CALCULATE);
    Press(OpenDialog(0, SELECTION_CAPTION), IDCANCEL);
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    EXPECT_EQ(quillon.WaitDialog(DISPLAY_CAPTION, 300), nullptr);
    EXPECT_TRUE(Reports().empty());

    Press(IDC_CALCULATE);
    HWND selection = OpenDialog(0, SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    auto item = [&](int id) { return ::GetDlgItem(selection, id); };
    HWND tree = item(IDC_ELEMENT_TREE);
    // Sorted by text; metals included (disc, 4), oxygen excluded (cross, 1).
    std::vector<std::pair<std::string, int>> expected = {{"Ba  56", 4}, {"Cu  29", 4}, {"O   8", 1}, {"Y   39", 4}};
    EXPECT_EQ(TreeItems(quillon, tree), expected);
    EXPECT_FALSE(qdriver::Checked(item(IDC_RETAIN_CHANGE)));
    EXPECT_FALSE(::GetWindowLongA(item(IDC_SELECTION_HELP), GWL_STYLE) & WS_TABSTOP);  // read-only
    quillon.Capture(selection).SaveBmp(qwintest::ArtifactPath("quillon-selection.bmp"));
    // Excluding Cu (space on the second item) makes the calibration negative and disables "Get Ratios";
    // including it again restores both.
    LRESULT cu = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, cu);
    quillon.ClickCenter(item(IDC_CALIBRATION));  // brings the dialog to the front
    ::PostMessageA(selection, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree), TRUE);
    quillon.Sync();
    int presses = 0;
    for (const char *calibration : {"0", "-1", "0"}) {  // as shown, then after each space
        if (presses++ > 0) quillon.Key(VK_SPACE);
        EXPECT_EQ(Quillon::TextOf(item(IDC_CALIBRATION)), calibration);
        EXPECT_EQ(::IsWindowEnabled(item(IDOK)) != 0, calibration[0] == '0');
    }
    Press(selection, IDOK);

    HWND display = OpenDialog(0, DISPLAY_CAPTION);
    ASSERT_NE(display, nullptr);
    // The sheet shows from its top, the caret at its start.
    EXPECT_EQ(::SendMessageA(::GetDlgItem(display, IDC_REPORT_TEXT), EM_GETSEL, 0, 0), 0);
    const double ratios[] = {0.5, 2, 3};
    for (int row = 0; row < 3; ++row) EXPECT_DOUBLE_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;
    EXPECT_EQ(Written(Report()), Golden("sheet-auto", "S-17"));

    Press(display, IDC_COPY_ALL);
    EXPECT_EQ(qdriver::WithoutCR(qdriver::ClipboardText()), Golden("sheet-auto", "S-17"));
    quillon.Capture(display).SaveBmp(qwintest::ArtifactPath("quillon-display.bmp"));
    qdriver::PressAndWait(quillon, display, IDOK);
    EXPECT_FALSE(::IsWindow(display));
    quillon.Capture(quillon.Main()).SaveBmp(qwintest::ArtifactPath("quillon-main.bmp"));

    // BaCO3 weighed heavy is marked, with Ba (the sheet's own masses: the keyboard test; the kit's:
    // WeighedMassesStayWithTheEntry).
    HWND weighed = OpenDialog(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses");
    ASSERT_NE(weighed, nullptr);
    EXPECT_EQ(Weigh(weighed, {}), "Enter the grams weighed of Y2O3 (row 1).");
    const std::string text = Weigh(weighed, {"1.69477", "6", "3.58208"});
    EXPECT_NE(text.find("\n2    BaCO3             5.94951          6      +0.8486  *\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Past the tolerance (*): Ba, row 2 BaCO3.\n"), std::string::npos) << text;
    quillon.Capture(weighed).SaveBmp(qwintest::ArtifactPath("quillon-weighed.bmp"));
    qdriver::PressAndWait(quillon, weighed, IDCANCEL);
}

// Entries that cannot give a sheet, and one that gives a sheet with a warning: each message's icon,
// the rows marked "?", the field the user is sent back to, the display after the warning.
TEST_F(Calculation, EntriesWithoutASoundSheet) {
    const double UNDETERMINED = -1e308;  // "?": at most this
    const struct {
        bool autoRatio;
        const char *product;
        std::vector<std::pair<std::string, std::string>> rows;
        const char *message;
        BoxIcon icon;
        int focus;                   // the field the message sends the user back to, or 0
        std::vector<double> ratios;  // the rows' ratios afterwards (none: not checked)
        bool sheet;                  // a sheet follows the message
    } cases[] = {
        // The second is twice the first in fractional counts: dependent, though no elimination step meets an exact 0.
        {true, "Sr0.5Ba0.5TiO3", {{"Sr0.3Ba0.7TiO3", ""}, {"Sr0.6Ba1.4Ti2O6", ""}},
         "Failed to obtain ratios.\nSr0.3Ba0.7TiO3 and Sr0.6Ba1.4Ti2O6 depend on each other in the elements "
         "being balanced, so their ratios have no single answer.",
         BoxIcon::Hand, 0, {UNDETERMINED, UNDETERMINED}, false},
        // A product without mass: no grams follow.
        {false, "()", {{"BaCO3", "1"}}, "Molar mass of product is not a positive number.", BoxIcon::Exclamation,
         IDC_PRODUCT, {}, false},
        // A starting material heavier than a double holds: named by the list's own row number.
        {false, "BaTiO3", {{"BaCO3", "1"}, {"TiO2", "1"}, {"Og1e306", "1"}},
         "Molar mass of Og1e306 (row 3) is not a finite number.", BoxIcon::Hand, 0, {}, false},
        // Sr2TiO4 from SrTiO3 and TiO2 needs -1 TiO2: kept, with a warning first.
        {true, "Sr2TiO4", {{"SrTiO3", ""}, {"TiO2", ""}},
         "These starting materials have negative amounts to weigh: TiO2.\n"
         "They cannot give the product as they stand.",
         BoxIcon::Exclamation, 0, {2.0, -1.0}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.product);
        if (&c != cases) Clear();
        qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), c.autoRatio);
        Enter(c.product, "10", c.rows);
        Press(IDC_CALCULATE);
        if (c.autoRatio) Press(OpenDialog(0, SELECTION_CAPTION), IDOK);
        ExpectBox(c.message, c.icon);
        EXPECT_TRUE(c.focus == 0 || quillon.Focus() == quillon.Item(c.focus)) << "not sent back to " << c.focus;
        for (size_t row = 0; row < c.ratios.size(); ++row) {
            if (c.ratios[row] == UNDETERMINED)
                EXPECT_LE(quillon.ReadRow(int(row)).ratio, UNDETERMINED) << "not shown as ? " << row;
            else
                EXPECT_DOUBLE_EQ(quillon.ReadRow(int(row)).ratio, c.ratios[row]) << row;
        }
        if (c.sheet) Press(OpenDialog(0, DISPLAY_CAPTION), IDOK);
        // The saved sheet carries the warning under the weighings.
        const char *warning = "-\r\nWarning: negative amounts cannot be weighed: TiO2.\r\r\n";
        EXPECT_TRUE(c.sheet ? Report().find(warning) != std::string::npos : Reports().empty());
    }
}

// A count that starts with a zero (LiCo02) is asked about first: Yes goes back to the formula named
// (the product field, or the row's formula cell opened) with no sheet; No weighs LiCo2 as typed.
TEST_F(Calculation, ZeroForTheLetterOIsAskedAboutFirst) {
    const std::string goBack = "\n\nGo back to correct it?";
    Enter("LiCo02", "5", {{"Co3O4", ""}, {"Li2CO3", ""}});
    for (int answer : {IDYES, IDNO}) {
        Press(IDC_CALCULATE);
        ExpectBox("The formula LiCo02 has the count 02, which starts with a zero: was the letter O meant (LiCoO2)?" +
                      goBack,
                  BoxIcon::Exclamation, answer);
        if (answer == IDYES) {
            EXPECT_EQ(quillon.WaitDialog(SELECTION_CAPTION, 300), nullptr);
            EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_PRODUCT));
            continue;
        }
        Press(OpenDialog(0, SELECTION_CAPTION), IDOK);
        qdriver::PressAndWait(quillon, OpenDialog(0, DISPLAY_CAPTION), IDOK);
        const std::string sheet = Report();
        EXPECT_NE(sheet.find("LiCo02"), std::string::npos);
        for (const char *grams : {"1.48005", "6.43118"}) EXPECT_NE(sheet.find(grams), std::string::npos) << grams;
    }

    quillon.Fill(IDC_PRODUCT, "LiCoO2");
    quillon.EnterRow(1, "Li2C03");
    Press(IDC_SAMPLE_ID);
    Press(IDC_CALCULATE);
    ExpectBox("The formula Li2C03 (row 2) has the count 03, which starts with a zero: was the letter O meant "
              "(Li2CO3)?" + goBack,
              BoxIcon::Exclamation, IDYES);
    HWND focus = quillon.Focus();
    EXPECT_EQ(::GetParent(focus), quillon.Item(IDC_LIST));
    EXPECT_EQ(Quillon::TextOf(focus), "Li2C03");
    RECT cell;
    ::GetWindowRect(focus, &cell);
    ::MapWindowPoints(nullptr, quillon.Item(IDC_LIST), reinterpret_cast<POINT *>(&cell), 2);
    EXPECT_EQ(cell.top, qdriver::ColumnsOf(quillon).rowHeight + 1);  // the second row's cell
    EXPECT_EQ(Reports().size(), 1u);             // the sheet of No alone
}

// With Auto-Ratio off the sheet uses the ratios the list shows: typed, or determined by "?" typed as
// the Fixed row's ratio (at once: the selection's check box checked and greyed, the Fixed row keeping
// its mark and ratio, no report made). A sheet is appended to the report file of its second.
TEST_F(Calculation, AutoRatioOffWeighsTheRatiosShown) {
    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);
    Enter("YBa2Cu3O7", "10", {}, "shown");
    const char *const typed[][2] = {{"Y2O3", "0.5"}, {"BaCO3", "2"}, {"CuO", "3"}};
    const double ratios[] = {0.5, 2, 3};
    auto SheetIsYbco = [&](const char *stage) {
        SCOPED_TRACE(stage);
        for (const std::string &name : Reports()) ::DeleteFileA((folder + "\\" + name).c_str());
        // Files for the next seconds holding a line: the sheet follows it, whichever second it falls into.
        std::vector<std::string> names;
        for (std::time_t second = std::time(nullptr), last = second + 6; second < last; ++second) {
            char name[64];
            std::strftime(name, sizeof name, "%Y.%m.%d-%H.%M.%S.QL", std::localtime(&second));
            names.push_back(name);
            std::ofstream(folder + "\\" + name, std::ios::binary) << "earlier sheet\r\n";
        }
        HWND display = Calculate(false);
        int written = 0;
        for (const std::string &name : names) {
            std::string bytes = ReadBytes(folder + "\\" + name);
            if (bytes == "earlier sheet\r\n") continue;
            EXPECT_EQ(Written(bytes), "earlier sheet\n" + Golden("sheet-auto", "shown")) << name;
            ++written;
        }
        EXPECT_EQ(written, 1);
        Press(display, IDOK);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;  // still shown
            EXPECT_EQ(quillon.ReadRow(row).fixed, row == 0 ? 1 : 0) << row;
        }
    };
    for (int i = 0; i < 3; ++i) quillon.EnterRow(i, typed[i][0], typed[i][1], i == 0);
    Press(IDC_SAMPLE_ID);
    SheetIsYbco("typed");

    // "?" whose determination is cancelled changes no ratio.
    EnterRatio(1, "?");
    Press(OpenDialog(0, SELECTION_CAPTION), IDCANCEL);
    Press(IDC_SAMPLE_ID);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;

    // Determined with "?" from rows at 1, then weighed as determined.
    EnterRatio(1, "1");
    EnterRatio(2, "1");
    const size_t reports = Reports().size();
    EnterRatio(0, "?");
    HWND selection = OpenDialog(0, SELECTION_CAPTION);
    HWND retain = ::GetDlgItem(selection, IDC_RETAIN_CHANGE);
    EXPECT_TRUE(qdriver::Checked(retain));
    EXPECT_FALSE(::IsWindowEnabled(retain));
    Press(selection, IDOK);
    Press(IDC_SAMPLE_ID);
    EXPECT_EQ(Reports().size(), reports);
    SheetIsYbco("determined with ?");
}

// The published recipe, 3 g YBa2Cu3O7 from BaCO3 (99 % pure), Y2(CO3)3 and CuCO3 (10 % excess): the
// values survive a save and an open, and the sheet weighs BaCO3 / 0.99 and CuCO3 * 1.1.
TEST_F(Calculation, PurityAndExcessAreSavedReopenedAndWeighed) {
    Enter("YBa2Cu3O7", "3", {{"BaCO3", ""}, {"Y2(CO3)3", ""}, {"CuCO3", ""}}, "YBCO-3");
    HWND weighing = OpenDialog(ID_OPTIONS_WEIGHING, "Quillon : Purity, Excess and Scaling");
    ASSERT_NE(weighing, nullptr);
    HWND list = ::GetDlgItem(weighing, IDC_WEIGHING_LIST);
    const int line = int(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    quillon.Fill(::GetDlgItem(weighing, IDC_PURITY), "99");  // BaCO3, chosen first
    quillon.Click(list, 30, 2 * line + line / 2);
    quillon.Fill(::GetDlgItem(weighing, IDC_EXCESS), "10");
    quillon.Capture(weighing).SaveBmp(qwintest::ArtifactPath("quillon-weighing.bmp"));
    qdriver::PressAndWait(quillon, weighing, IDOK);
    ASSERT_FALSE(::IsWindow(weighing));

    quillon.FileCommand(ID_FILE_SAVE, folder + "\\ybco");
    const std::string saved = ReadBytes(folder + "\\ybco.QSF");
    EXPECT_NE(saved.find("\r\npurity 1 99"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nexcess 3 10"), std::string::npos) << saved;
    quillon.Command(ID_FILE_NEW);
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\ybco.QSF");
    EXPECT_EQ(quillon.ReadRow(2).formula, "CuCO3");  // the values came back with it: the sheet weighs them

    // The sheet's options are settings of the program, set in the Options menu.
    quillon.Command(ID_OPTIONS_MMOL);
    quillon.Command(ID_OPTIONS_GASES);
    HWND display = Calculate();
    ASSERT_NE(display, nullptr);
    const std::string sheet = Report();
    // k = 3 g / 666.19084 g/mol of product: BaCO3 2 k 197.335 / 0.99, Y2(CO3)3 0.5 k 357.83568,
    // CuCO3 3 k 123.554 x 1.1, the product's 1000 k mmol, CO2 6.5 k 44.009 g.
    for (const char *figure : {"1.79524", "0.80571", "1.83609", "4.50321", "1.28818"})
        EXPECT_NE(sheet.find(figure), std::string::npos) << figure << " not in\n" << sheet;
    quillon.Capture(display).SaveBmp(qwintest::ArtifactPath("quillon-batch-display.bmp"));
    qdriver::PressAndWait(quillon, display, IDOK);
}

// The Pechini recipe of examples/Y3Al5O12-pechini.qsf typed in: two stock solutions and a neat liquid
// given their forms, and the sheet dispenses them by volume (the recipe test's exact numbers).
TEST_F(Calculation, LiquidsAndSolutionsAreDispensedByVolume) {
    Enter("Y3Al5O12", "2", {{"Y(NO3)3", "3"}, {"Al(NO3)3", "5"}, {"C6H8O7", "16"}, {"C2H6O2", "64"}}, "YAG Pechini");
    HWND weighing = OpenDialog(ID_OPTIONS_WEIGHING, "Quillon : Purity, Excess and Scaling");
    ASSERT_NE(weighing, nullptr);
    HWND list = ::GetDlgItem(weighing, IDC_WEIGHING_LIST), form = ::GetDlgItem(weighing, IDC_FORM);
    const int line = int(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const struct { int index; FormKind kind; const char *molarity, *density; } forms[] = {
        {0, FormKind::Molar, "0.5", "1.1"}, {1, FormKind::Molar, "1", ""}, {3, FormKind::NeatLiquid, "", "1.113"}};
    for (const auto &f : forms) {
        quillon.Click(list, 30, f.index * line + line / 2);
        ::SendMessageA(form, CB_SETCURSEL, WPARAM(f.kind), 0);
        ::SendMessageA(weighing, WM_COMMAND, MAKEWPARAM(IDC_FORM, CBN_SELCHANGE), LPARAM(form));
        if (*f.molarity) quillon.Fill(::GetDlgItem(weighing, IDC_MOLARITY), f.molarity);
        if (*f.density) quillon.Fill(::GetDlgItem(weighing, IDC_DENSITY), f.density);
    }
    quillon.Capture(weighing).SaveBmp(qwintest::ArtifactPath("quillon-liquids.bmp"));
    qdriver::PressAndWait(quillon, weighing, IDOK);
    ASSERT_FALSE(::IsWindow(weighing));

    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);  // every ratio is Fixed
    HWND display = Calculate(false);
    ASSERT_NE(display, nullptr);
    const std::string sheet = qdriver::WithoutCR(Report());
    for (const char *figure : {"Solution(g)  Volume(mL)", "2.77876           22.2367      20.21518",
                               "3.58809                        16.84599", "13.38364                       12.02483",
                               "Y(NO3)3: solution, 0.5 mol/L (1.1 g/mL).", "C2H6O2: neat liquid, 1.113 g/mL."})
        EXPECT_NE(sheet.find(figure), std::string::npos) << figure << " not in\n" << sheet;
    quillon.Capture(display).SaveBmp(qwintest::ArtifactPath("quillon-liquid-display.bmp"));
    qdriver::PressAndWait(quillon, display, IDOK);
}

// The masses weighed stay with the entry: Enter in "Weighed (g)" keeps the row's mass and brings up the
// next row (the last row stays, its mass selected), Escape keeps a mass typed but not entered; they
// come back when the dialog opens again, mark the entry changed, and are saved and opened with it. Copy
// puts quillon-cli's text of the check on the clipboard, Export CSV writes its CSV.
TEST_F(Calculation, WeighedMassesStayWithTheEntry) {
    Enter("YBa2Cu3O7", "10", {{"Y2O3", ""}, {"BaCO3", ""}, {"CuO", ""}});
    qdriver::PressAndWait(quillon, Calculate(), IDOK);
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\ybco");
    EXPECT_EQ(quillon.Settled("ybco.qsf - Quillon"), "ybco.qsf - Quillon");
    HWND weighed = OpenDialog(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses");
    HWND grams = ::GetDlgItem(weighed, IDC_WEIGHED_GRAMS);
    quillon.ClickCenter(grams);
    const struct {
        const char *typed;
        int rowAfter;            // the row selected after Enter
        const char *fieldAfter;  // and its mass in the field, selected
    } steps[] = {{"11.29", 1, ""}, {"39.47", 2, ""}, {"23.86", 2, "23.86"}};
    for (const auto &step : steps) {
        quillon.Type(step.typed);
        quillon.Key(VK_RETURN);
        quillon.Sync();
        ASSERT_TRUE(::IsWindow(weighed)) << "Enter closed the dialog after " << step.typed;
        EXPECT_EQ(::SendDlgItemMessageA(weighed, IDC_WEIGHED_LIST, LB_GETCURSEL, 0, 0), step.rowAfter) << step.typed;
        EXPECT_EQ(Quillon::TextOf(grams), step.fieldAfter) << step.typed;
        EXPECT_EQ(::SendMessageA(grams, EM_GETSEL, 0, 0), MAKELONG(0, std::strlen(step.fieldAfter))) << "not selected";
    }
    EXPECT_EQ(Weigh(weighed, {}), Golden("weighed-kit", "S-17"));
    quillon.Type("2");  // replaces 23.86, not entered
    EXPECT_EQ(quillon.Settled("2", grams), "2");
    quillon.Key(VK_ESCAPE);
    for (int i = 0; i < 100 && ::IsWindow(weighed); ++i) ::Sleep(20);
    ASSERT_FALSE(::IsWindow(weighed));
    EXPECT_EQ(quillon.Settled("ybco.qsf* - Quillon"), "ybco.qsf* - Quillon");

    // Opened again: the masses as left, 2 g of CuO too; back to the kit's, then Copy and Export.
    weighed = OpenDialog(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses");
    const char *const left[] = {"11.29", "39.47", "2"};
    for (int row = 0; row < 3; ++row) {
        ChooseRow(weighed, row);
        EXPECT_EQ(Quillon::TextOf(::GetDlgItem(weighed, IDC_WEIGHED_GRAMS)), left[row]) << row;
    }
    Weigh(weighed, {"11.29", "39.47", "23.86"});
    Press(weighed, IDC_WEIGHED_COPY);
    quillon.Sync();
    EXPECT_EQ(qdriver::WithoutCR(qdriver::ClipboardText()), Golden("weighed-kit", "S-17"));
    Weigh(weighed, {"1.69477", "6", "3.58208"});
    Press(weighed, IDC_WEIGHED_EXPORT);
    quillon.AnswerFileDialog(folder + "\\check.csv");
    EXPECT_EQ(ReadBytes(folder + "\\check.csv"), ReadBytes(std::string(QUILLON_GOLDEN) + "/YBa2Cu3O7-weighed-past.csv"));
    qdriver::PressAndWait(quillon, weighed, IDCANCEL);
    ASSERT_FALSE(::IsWindow(weighed));

    // Saved and opened with the entry; the check of the opened entry is of those masses.
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\weighed");
    const std::string saved = ReadBytes(folder + "\\weighed.QSF");
    EXPECT_NE(saved.find("\r\nweighed 1 1.69477 Y2O3\r\nweighed 2 6.00000 BaCO3\r\nweighed 3 3.58208 CuO\r\n"),
              std::string::npos) << saved;
    quillon.Command(ID_FILE_NEW);
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\weighed.QSF");
    qdriver::PressAndWait(quillon, Calculate(), IDOK);
    weighed = OpenDialog(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses");
    const std::string check = Weigh(weighed, {});
    EXPECT_NE(check.find("Past the tolerance (*): Ba, row 2 BaCO3.\n"), std::string::npos) << check;
    qdriver::PressAndWait(quillon, weighed, IDCANCEL);
}

// The stock solution calculator: a molarity with a decimal comma refused, the focus back in its field;
// then the grams of the solid.
TEST_F(Calculation, StockSolutionGramsOfTheSolid) {
    HWND stock = OpenDialog(ID_OPTIONS_STOCK, "Quillon : Stock Solution");
    auto item = [&](int id) { return ::GetDlgItem(stock, id); };
    EXPECT_EQ(Quillon::TextOf(item(IDC_STOCK_PURITY)), "100");
    const std::pair<int, const char *> typed[] = {{IDC_STOCK_SOLID, "Y(NO3)3\xB7" "6H2O"}, {IDC_STOCK_PURITY, "99.9"},
                                                  {IDC_STOCK_UNIT, "Y"},                  {IDC_STOCK_MOLARITY, "0,5"},
                                                  {IDC_STOCK_VOLUME, "50"}};
    for (const auto &field : typed) qdriver::SetText(item(field.first), field.second);
    Press(stock, IDC_STOCK_CALCULATE);
    ExpectBox("The molarity must be a number of mol/L above 0.\nUse a point for decimals: 1.5.", BoxIcon::Hand);
    quillon.Sync();
    EXPECT_EQ(quillon.Focus(), item(IDC_STOCK_MOLARITY));
    EXPECT_EQ(Quillon::TextOf(item(IDC_STOCK_RESULT)), "");
    qdriver::SetText(item(IDC_STOCK_MOLARITY), "0.5");
    Press(stock, IDC_STOCK_CALCULATE);
    const std::string line = "Dissolve 9.58478 g of Y(NO3)3\xB7" "6H2O (99.9 %) to make 50 mL of 0.5 mol/L Y (1 Y per formula).";
    EXPECT_EQ(quillon.Settled(line, item(IDC_STOCK_RESULT)), line);
    qdriver::PressAndWait(quillon, stock, IDCANCEL);
}
