// Calculate and the automatic ratios end to end: the element selection, the
// report file and its display, Copy All, and the entries that cannot give a
// sheet. Screenshots of the three windows go to the build's test-output.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::DISPLAY_CAPTION;
using qdriver::Quillon;
using qdriver::SELECTION_CAPTION;
using qwintest::BoxIcon;

namespace {

// The sheet of 10 g YBa2Cu3O7 from Y2O3, BaCO3 and CuO (ratios 0.5, 2, 3) as
// quillon-cli prints it (tests/golden), for another sample ID.
std::string YbcoSheet(const std::string &sampleId) {
    std::string sheet = ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-sheet-auto.txt");
    return sheet.empty() ? sheet : "ID: " + sampleId + sheet.substr(sheet.find('\n'));
}

// A report file's sheet without its line ends' CRs: written in text mode,
// every line ends in CR CR LF, CR LF or LF (the sheet's own layout is held
// in tests/unit/report/sheet_test.cpp).
std::string Written(const std::string &bytes) {
    EXPECT_NE(bytes.find("\r\r\n"), std::string::npos) << "not written in text mode";
    return qdriver::WithoutCR(bytes);
}


using Calculation = qdriver::Session;

}  // namespace

// The worked example: ratios solved from the metals, the sheet in a report
// file, the display showing it, Copy All putting it on the clipboard.
TEST_F(Calculation, YBa2Cu3O7FromItsOxidesAndCarbonate) {
    Enter("YBa2Cu3O7", "10", {{"Y2O3", ""}, {"BaCO3", ""}, {"CuO", ""}});
    // Cancelling the selection ends Calculate silently.
    Press(IDC_CALCULATE);
    HWND selection = quillon.WaitDialog(SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    Press(selection, IDCANCEL);
    quillon.Sync();
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    EXPECT_EQ(quillon.WaitDialog(DISPLAY_CAPTION, 300), nullptr);
    EXPECT_TRUE(Reports().empty());

    Press(IDC_CALCULATE);
    selection = quillon.WaitDialog(SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    // Sorted by text; metals included (disc, 4), oxygen excluded (cross, 1).
    std::vector<std::pair<std::string, int>> expected = {{"Ba  56", 4}, {"Cu  29", 4}, {"O   8", 1}, {"Y   39", 4}};
    EXPECT_EQ(quillon.TreeItems(::GetDlgItem(selection, IDC_ELEMENT_TREE)), expected);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(selection, IDC_CALIBRATION)), "0");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(selection, IDOK)));
    EXPECT_EQ(::SendMessageA(::GetDlgItem(selection, IDC_RETAIN_CHANGE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(::GetWindowLongA(::GetDlgItem(selection, IDC_SELECTION_HELP), GWL_STYLE) & WS_TABSTOP);  // read-only
    quillon.Capture(selection).SaveBmp(qwintest::ArtifactPath("quillon-selection.bmp"));
    // Excluding Cu (the second item, space on it) makes the calibration
    // negative and disables "Get Ratios"; including it again restores both.
    HWND tree = ::GetDlgItem(selection, IDC_ELEMENT_TREE);
    LRESULT cu = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, cu);
    quillon.ClickCenter(::GetDlgItem(selection, IDC_CALIBRATION));  // brings the dialog to the front
    ::PostMessageA(selection, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree), TRUE);
    quillon.Sync();
    for (const char *calibration : {"-1", "0"}) {
        quillon.Key(VK_SPACE);
        EXPECT_EQ(Quillon::TextOf(::GetDlgItem(selection, IDC_CALIBRATION)), calibration);
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(selection, IDOK)) != 0, calibration[0] == '0');
    }
    Press(selection, IDOK);

    HWND display = quillon.WaitDialog(DISPLAY_CAPTION);
    ASSERT_NE(display, nullptr);
    // The sheet shows from its top, the caret at its start.
    EXPECT_EQ(::SendMessageA(::GetDlgItem(display, IDC_REPORT_TEXT), EM_GETSEL, 0, 0), 0);
    const double ratios[] = {0.5, 2, 3};
    for (int row = 0; row < 3; ++row) EXPECT_DOUBLE_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;
    EXPECT_EQ(Written(Report()), YbcoSheet("S-17"));

    Press(display, IDC_COPY_ALL);
    EXPECT_EQ(qdriver::WithoutCR(qdriver::ClipboardText()), YbcoSheet("S-17"));
    quillon.Capture(display).SaveBmp(qwintest::ArtifactPath("quillon-display.bmp"));
    Press(display, IDOK);
    quillon.Sync();
    EXPECT_FALSE(::IsWindow(display));
    quillon.Capture(quillon.Main()).SaveBmp(qwintest::ArtifactPath("quillon-main.bmp"));
}

// Entries that cannot give a sheet, and one that gives a sheet with a warning,
// as the window shows them: the icon of each kind of message, the rows marked
// "?", the field the user is sent back to, the display after the warning
// (the calculation's messages themselves: tests/unit/entry/calculation_test.cpp).
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
        // The second starting material is twice the first with fractional
        // counts: no elimination step meets an exact zero, but the two are
        // dependent and no split of the ratios is meaningful.
        {true, "Sr0.5Ba0.5TiO3", {{"Sr0.3Ba0.7TiO3", ""}, {"Sr0.6Ba1.4Ti2O6", ""}},
         "Failed to obtain ratios.\nSr0.3Ba0.7TiO3 and Sr0.6Ba1.4Ti2O6 depend on each other in the elements "
         "being balanced, so their ratios have no single answer.",
         BoxIcon::Hand, 0, {UNDETERMINED, UNDETERMINED}, false},
        // A product without mass: no grams follow.
        {false, "()", {{"BaCO3", "1"}}, "Molar mass of product is not a positive number.", BoxIcon::Exclamation,
         IDC_PRODUCT, {}, false},
        // A starting material heavier than a double holds: refused, named by the
        // list's own row number (the entry the dialog read keeps the rows in place).
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
        if (c.autoRatio) {
            HWND selection = quillon.WaitDialog(SELECTION_CAPTION);
            ASSERT_NE(selection, nullptr);
            Press(selection, IDOK);
        }
        ExpectBox(c.message, c.icon);
        if (c.focus != 0) EXPECT_EQ(quillon.Focus(), quillon.Item(c.focus));
        for (size_t row = 0; row < c.ratios.size(); ++row) {
            if (c.ratios[row] == UNDETERMINED)
                EXPECT_LE(quillon.ReadRow(int(row)).ratio, UNDETERMINED) << "not shown as ? " << row;
            else
                EXPECT_DOUBLE_EQ(quillon.ReadRow(int(row)).ratio, c.ratios[row]) << row;
        }
        if (!c.sheet) {
            EXPECT_TRUE(Reports().empty());
            continue;
        }
        HWND display = quillon.WaitDialog(DISPLAY_CAPTION);
        ASSERT_NE(display, nullptr);
        Press(display, IDOK);
        // The saved sheet carries the warning under the weighings.
        EXPECT_NE(Report().find("-\r\nWarning: negative amounts cannot be weighed: TiO2.\r\r\n"), std::string::npos);
    }
}

// With Auto-Ratio off the sheet uses the ratios the list shows: typed, or
// just determined with "?" (typed as the ratio of the Fixed row, which runs
// the automatic ratios at once: the selection's check box checked and greyed,
// the Unfixed rows determined, the Fixed row keeping its mark and ratio, and
// no report made). A sheet goes into the report
// file of its second, appended, so two calculations within one second share
// one file.
TEST_F(Calculation, AutoRatioOffWeighsTheRatiosShown) {
    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);
    Enter("YBa2Cu3O7", "10", {}, "shown");
    const std::vector<std::pair<std::string, std::string>> typed = {{"Y2O3", "0.5"}, {"BaCO3", "2"}, {"CuO", "3"}};
    const double ratios[] = {0.5, 2, 3};
    auto SheetIsYbco = [&](const char *stage) {
        SCOPED_TRACE(stage);
        for (const std::string &name : Reports()) ::DeleteFileA((folder + "\\" + name).c_str());
        // Files for the next seconds, already holding a line: whichever second
        // the calculation falls into, its sheet must follow that line.
        SYSTEMTIME st;
        ::GetLocalTime(&st);
        FILETIME ft;
        ::SystemTimeToFileTime(&st, &ft);
        std::vector<std::string> names;
        for (int second = 0; second < 6; ++second) {
            ::FileTimeToSystemTime(&ft, &st);
            char name[64];
            std::snprintf(name, sizeof name, "%04d.%02d.%02d-%02d.%02d.%02d.QL", st.wYear, st.wMonth, st.wDay,
                          st.wHour, st.wMinute, st.wSecond);
            names.push_back(name);
            std::ofstream(folder + "\\" + name, std::ios::binary) << "earlier sheet\r\n";
            ULONGLONG next = ((ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) + 10000000ULL;
            ft = {DWORD(next), DWORD(next >> 32)};
        }
        Press(IDC_CALCULATE);
        HWND display = quillon.WaitDialog(DISPLAY_CAPTION);
        ASSERT_NE(display, nullptr);
        int written = 0;
        for (const std::string &name : names) {
            std::string bytes = ReadBytes(folder + "\\" + name);
            if (bytes == "earlier sheet\r\n") continue;
            ++written;
            EXPECT_EQ(Written(bytes), "earlier sheet\n" + YbcoSheet("shown")) << name;
        }
        EXPECT_EQ(written, 1);
        Press(display, IDOK);
        quillon.Sync();
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;  // still shown
            EXPECT_EQ(quillon.ReadRow(row).fixed, row == 0 ? 1 : 0) << row;
        }
    };
    for (size_t i = 0; i < typed.size(); ++i) quillon.EnterRow(int(i), typed[i].first, typed[i].second, i == 0);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    SheetIsYbco("typed");

    // "?" whose determination is cancelled changes no ratio.
    EnterRatio(1, "?");
    HWND selection = quillon.WaitDialog(SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    Press(selection, IDCANCEL);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    for (int row = 0; row < 3; ++row) EXPECT_EQ(quillon.ReadRow(row).ratio, ratios[row]) << row;

    // Determined with "?" from rows at 1, then weighed as determined.
    EnterRatio(1, "1");
    EnterRatio(2, "1");
    const size_t reports = Reports().size();
    EnterRatio(0, "?");
    selection = quillon.WaitDialog(SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    HWND retain = ::GetDlgItem(selection, IDC_RETAIN_CHANGE);
    EXPECT_EQ(::SendMessageA(retain, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(retain));
    Press(selection, IDOK);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    EXPECT_EQ(Reports().size(), reports);
    SheetIsYbco("determined with ?");
}
