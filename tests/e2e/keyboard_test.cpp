// One whole recipe at the keyboard alone: the entry typed through the access keys and the list's
// cells, Calculate, the sheet display, the weighed check and a series, every dialog opened and closed
// by keys. The texts are read to check; nothing is clicked or set by message.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <sstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;
using qwintest::kAlt;

namespace {

using Keyboard = qdriver::Session;

// The numbers after "(molar mass)" on each reactant line of a sheet, by formula.
std::map<std::string, std::vector<double>> Weighings(const std::string &sheet) {
    std::map<std::string, std::vector<double>> grams;
    std::istringstream lines(sheet);
    for (std::string line; std::getline(lines, line);) {
        const size_t open = line.find("  ("), close = line.find(')');
        if (open == std::string::npos || close == std::string::npos || line.compare(0, 8, "Reactant") == 0) continue;
        std::istringstream numbers(line.substr(close + 1));
        for (double value; numbers >> value;) grams[line.substr(0, open)].push_back(value);
    }
    return grams;
}

// A dialog of the program is gone (closed by a key).
bool Closed(Quillon &quillon, HWND dialog) {
    for (int tries = 0; tries < 100 && ::IsWindow(dialog); ++tries) ::Sleep(20);
    quillon.Sync();
    return !::IsWindow(dialog);
}

}  // namespace

// 10 g YBa2Cu3O7 from Y2O3 and BaCO3 to be determined and CuO Fixed at 3: quillon-cli's sheet for the
// three determined together; its own masses weighed give back the product; the series Y1-xCaxBa2Cu3O7
// with CaCO3 added is that sheet again at x = 0.
TEST_F(Keyboard, OneRecipeSeriesAndWeighedCheckByKeysAlone) {
    const std::string golden = ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-sheet-auto.txt");
    ASSERT_FALSE(golden.empty());
    const std::string expected = "ID: KB-7" + golden.substr(golden.find('\n'));
    const std::map<std::string, std::vector<double>> sheet = Weighings(golden);
    ASSERT_EQ(sheet.size(), 3u);

    quillon.Key('I', kAlt);
    quillon.Type("KB-7");
    quillon.Key('P', kAlt);
    quillon.Type("YBa2Cu3O7");
    quillon.Key(VK_TAB);
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_PRODUCT_RATIO));
    quillon.Type("1");
    quillon.Key(VK_TAB);
    quillon.Sync();
    ASSERT_EQ(::GetParent(quillon.Focus()), quillon.Item(IDC_LIST)) << "Tab from the ratio field opens row 1's cell";
    // Home and End move the caret in the open cell, not the list. Enter passes an Unfixed row's ratio cell
    // as it is, for Calculate to determine; F4 makes the row Fixed, its cell left open; Ctrl+Tab commits
    // the last ratio and leaves the list for the amount, its text selected.
    const struct {
        const char *formula, *ratio;
        bool fixed;  // F4 in its ratio cell
    } rows[] = {{"Y2O3", "", false}, {"BaCO3", "", false}, {"CuO", "3", true}};
    for (const auto &row : rows) {
        if (&row != rows) quillon.Type(row.formula);
        else quillon.Type("2O"), quillon.Key(VK_HOME), quillon.Type("Y"), quillon.Key(VK_END), quillon.Type("3");
        quillon.Key(VK_RETURN);
        if (row.fixed) quillon.Key(VK_F4);
        quillon.Type(row.ratio);
        quillon.Key(row.fixed ? VK_TAB : VK_RETURN, row.fixed ? qwintest::kControl : 0u);
    }
    quillon.Sync();
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_AMOUNT));
    quillon.Type("10");
    quillon.Key('S', kAlt);  // back into the list
    quillon.Sync();
    // The fields, formulas and ratio typed show in the sheet; the Fixed marks do not.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(quillon.ReadRow(i).fixed != 0, rows[i].fixed) << rows[i].formula;

    // Calculate from the open cell; Enter takes the element selection as offered.
    quillon.Key('C', kAlt);
    ASSERT_NE(OpenDialog(0, qdriver::SELECTION_CAPTION), nullptr);
    quillon.Key(VK_RETURN);
    HWND display = OpenDialog(0, qdriver::DISPLAY_CAPTION);
    EXPECT_EQ(qdriver::WithoutCR(Quillon::TextOf(::GetDlgItem(display, IDC_REPORT_TEXT))), expected);
    const double ratios[] = {0.5, 2, 3};
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(quillon.ReadRow(i).ratio, ratios[i]) << i;
    quillon.Key(VK_ESCAPE);
    ASSERT_TRUE(Closed(quillon, display));
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_CALCULATE)) << qwintest::ClassOf(quillon.Focus());

    // Options, Weighed Masses: the sheet's masses row by row, Enter after each.
    quillon.Key('O', kAlt);
    quillon.Key('E');
    HWND weighed = OpenDialog(0, "Quillon : Weighed Masses");
    quillon.Key('W', kAlt);
    for (const char *formula : {"Y2O3", "BaCO3", "CuO"}) {
        std::ostringstream grams;
        grams << sheet.at(formula).at(0);
        quillon.Type(grams.str());
        quillon.Key(VK_RETURN);
    }
    const std::string check = qdriver::WithoutCR(Quillon::TextOf(::GetDlgItem(weighed, IDC_WEIGHED_RESULT)));
    EXPECT_NE(check.find("Y : Ba : Cu = 1.0000 : 2.0000 : 3.0000\n"), std::string::npos) << check;
    EXPECT_NE(check.find("Every element and row is within the tolerance."), std::string::npos) << check;
    quillon.Key(VK_ESCAPE);
    ASSERT_TRUE(Closed(quillon, weighed));

    // CaCO3 in row 4 (Ctrl+Home: row 1's formula cell; Down walks formula, ratio, next formula).
    quillon.Key('S', kAlt);
    quillon.Key(VK_HOME, qwintest::kControl);
    for (int step = 0; step < 6; ++step) quillon.Key(VK_DOWN);
    quillon.Type("CaCO3");
    quillon.Key(VK_RETURN);
    quillon.Key(VK_RETURN);
    quillon.Sync();  // the rows show in the series' sheet

    // Options, Composition Series: formula, values, the dialog's Calculate.
    quillon.Key('O', kAlt);
    quillon.Key('S');
    HWND series = OpenDialog(0, "Quillon : Composition Series");
    quillon.Key('F', kAlt);
    quillon.Type("Y1-xCaxBa2Cu3O7");
    quillon.Key('V', kAlt);
    quillon.Type("0,0.1");
    quillon.Key('C', kAlt);
    display = OpenDialog(0, qdriver::DISPLAY_CAPTION);
    const std::string text = qdriver::WithoutCR(Quillon::TextOf(::GetDlgItem(display, IDC_REPORT_TEXT)));
    EXPECT_NE(text.find("Series Y1-xCaxBa2Cu3O7  (10 grams of each member)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n0.1  Y0.9Ca0.1Ba2Cu3O7"), std::string::npos) << text;
    std::map<std::string, std::vector<double>> members = Weighings(text);
    ASSERT_EQ(members.size(), 4u) << text;
    for (const auto &reactant : sheet) {
        SCOPED_TRACE(reactant.first);
        ASSERT_EQ(members[reactant.first].size(), 2u);
        EXPECT_EQ(members[reactant.first][0], reactant.second[0]) << "x = 0 is the sheet";
    }
    EXPECT_EQ(members["CaCO3"], (std::vector<double>{0, members["CaCO3"][1]}));
    EXPECT_GT(members["CaCO3"][1], 0.0);
    EXPECT_LT(members["Y2O3"][1], members["Y2O3"][0]);
    quillon.Key(VK_ESCAPE);
    ASSERT_TRUE(Closed(quillon, display));
    EXPECT_EQ(quillon.Focus(), ::GetDlgItem(series, IDC_SERIES_CALCULATE));
    quillon.Key(VK_ESCAPE);  // the series dropped: the entry stays YBa2Cu3O7
    ASSERT_TRUE(Closed(quillon, series));
    EXPECT_EQ(quillon.Settled("YBa2Cu3O7", quillon.Item(IDC_PRODUCT)), "YBa2Cu3O7");
    EXPECT_TRUE(::IsWindowVisible(quillon.Item(IDC_PRODUCT)));
}
