// A composition series end to end: the titanate series opened from its
// file, calculated from the Series dialog, its sheet against quillon-cli's
// golden text, the series saved and opened again.
#include <gtest/gtest.h>

#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

using SeriesEndToEnd = qdriver::Session;

const char *const SERIES_CAPTION = "Quillon : Composition Series";

std::string WithoutCR(const std::string &text) {
    std::string out;
    for (char ch : text)
        if (ch != '\r') out += ch;
    return out;
}

TEST_F(SeriesEndToEnd, TheTitanateSeriesIsCalculatedSavedAndReopened) {
    // The example quillon-cli's golden sheet is made from, with its values of x.
    const std::string file = ReadBytes(QUILLON_GOLDEN "/../../examples/Sr1-xBaxTiO3.qsf") + "series 0:1:0.1\r\n";
    ASSERT_NE(file.find("Sr1-xBaxTiO3"), std::string::npos);
    std::ofstream(folder + "\\sbt.QSF", std::ios::binary) << file;
    quillon.Command(ID_FILE_OPEN);
    quillon.AnswerFileDialog(folder + "\\sbt.QSF");
    // The product field cannot show x: empty and disabled while the entry is a series.
    EXPECT_EQ(quillon.Text(IDC_PRODUCT), "");
    EXPECT_FALSE(::IsWindowEnabled(quillon.Item(IDC_PRODUCT)));

    quillon.Command(ID_OPTIONS_SERIES);
    HWND series = quillon.WaitDialog(SERIES_CAPTION);
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_FORMULA)), "Sr1-xBaxTiO3");
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_VALUES)), "0:1:0.1");

    // Values that do not reach TO in whole steps are refused, the field kept.
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0:1:0.3");
    qdriver::PressAndWait(quillon, series, IDC_SERIES_CALCULATE);
    ExpectBox("The values of x \"0:1:0.3\" do not reach TO in whole steps.", qwintest::BoxIcon::Exclamation);

    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0:1:0.1");
    qdriver::PressAndWait(quillon, series, IDC_SERIES_CALCULATE);
    HWND display = quillon.WaitDialog(qdriver::DISPLAY_CAPTION);
    ASSERT_NE(display, nullptr);
    std::vector<std::string> reports = qdriver::FilesIn(folder, "*.QL");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(WithoutCR(ReadBytes(folder + "\\" + reports[0])), ReadBytes(QUILLON_GOLDEN "/Sr1-xBaxTiO3-series.txt"));
    ::SendMessageA(::GetDlgItem(display, IDC_REPORT_TEXT), WM_VSCROLL, SB_BOTTOM, 0);  // the masses in view
    quillon.Sync();
    quillon.Capture(display).SavePng(qwintest::ArtifactPath("quillon-series.png"));
    qdriver::PressAndWait(quillon, display, IDOK);

    // Other values, kept with the entry by OK, saved and opened again.
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0,0.5,1");
    qdriver::PressAndWait(quillon, series, IDOK);
    quillon.Command(ID_FILE_NEW);
    ExpectSaveQuestion(IDYES);
    quillon.AnswerFileDialog(folder + "\\again");
    std::string expected = file;
    expected.replace(expected.find("0:1:0.1"), 7, "0,0.5,1");
    EXPECT_EQ(ReadBytes(folder + "\\again.QSF"), expected);
    EXPECT_TRUE(::IsWindowEnabled(quillon.Item(IDC_PRODUCT)));  // a new entry is no series

    quillon.Command(ID_FILE_OPEN);
    quillon.AnswerFileDialog(folder + "\\again.QSF");
    quillon.Command(ID_OPTIONS_SERIES);
    series = quillon.WaitDialog(SERIES_CAPTION);
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_FORMULA)), "Sr1-xBaxTiO3");
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_VALUES)), "0,0.5,1");
    qdriver::PressAndWait(quillon, series, IDCANCEL);
}

}  // namespace
