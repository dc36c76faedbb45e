// Composition series end to end: each example series opened from its file,
// calculated from the Series dialog and exported as CSV, the sheet and the
// CSV against quillon-cli's golden files; the series saved with other values,
// and dropped by a new entry.
#include <gtest/gtest.h>

#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

using SeriesEndToEnd = qdriver::Session;

const char *const SERIES_CAPTION = "Quillon : Composition Series";

TEST_F(SeriesEndToEnd, ExampleSeriesAgainstQuillonCli) {
    struct Scenario {
        const char *formula;  // examples/FORMULA.qsf; golden FORMULA-series.txt and .csv
        const char *values;   // the values of x: added to the file when it has none
    } scenarios[] = {
        {"Sr1-xBaxTiO3", "0:1:0.1"},                // eleven titanates
        {"Li7-xLa3Zr2-xTaxO12", "0,0.25,0.5,0.75,1"},  // five LLZO members
    };
    std::string file;
    for (const Scenario &s : scenarios) {
        SCOPED_TRACE(s.formula);
        const std::string golden = std::string(QUILLON_GOLDEN "/") + s.formula + "-series";
        file = ReadBytes(std::string(QUILLON_GOLDEN "/../../examples/") + s.formula + ".qsf");
        if (file.find("\nseries ") == std::string::npos) file += std::string("series ") + s.values + "\r\n";
        ASSERT_NE(file.find(std::string("series ") + s.values + "\r\n"), std::string::npos);
        std::ofstream(folder + "\\series.QSF", std::ios::binary) << file;
        quillon.FileCommand(ID_FILE_OPEN, folder + "\\series.QSF");
        // The product field cannot show x: empty and disabled while the entry is a series.
        EXPECT_EQ(quillon.Text(IDC_PRODUCT), "");
        EXPECT_FALSE(::IsWindowEnabled(quillon.Item(IDC_PRODUCT)));

        HWND series = OpenDialog(ID_OPTIONS_SERIES, SERIES_CAPTION);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_FORMULA)), s.formula);
        EXPECT_EQ(Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_VALUES)), s.values);
        // Values that do not reach TO in whole steps are refused, the field kept.
        qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0:1:0.3");
        qdriver::PressAndWait(quillon, series, IDC_SERIES_CALCULATE);
        ExpectBox("The values of x \"0:1:0.3\" do not reach TO in whole steps.", qwintest::BoxIcon::Exclamation);

        qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), s.values);
        qdriver::PressAndWait(quillon, series, IDC_SERIES_CALCULATE);
        HWND display = quillon.WaitDialog(qdriver::DISPLAY_CAPTION);
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(qdriver::WithoutCR(Report()), ReadBytes(golden + ".txt"));
        for (const std::string &name : Reports()) ::DeleteFileA((folder + "\\" + name).c_str());
        ::SendMessageA(::GetDlgItem(display, IDC_REPORT_TEXT), WM_VSCROLL, SB_BOTTOM, 0);  // the masses in view
        quillon.Sync();
        quillon.Capture(display).SaveBmp(qwintest::ArtifactPath(std::string("quillon-series-") + s.formula + ".bmp"));
        qdriver::PressAndWait(quillon, display, IDOK);
        qdriver::PressAndWait(quillon, series, IDOK);

        // File > Export CSV of a series entry: the series CSV, byte for byte quillon-cli's.
        quillon.FileCommand(ID_FILE_EXPORT_CSV, folder + "\\series");
        EXPECT_EQ(ReadBytes(folder + "\\series.csv"), ReadBytes(golden + ".csv"));
        ::DeleteFileA((folder + "\\series.csv").c_str());
        quillon.Command(ID_FILE_PRINT);  // one composition per printed page: the series is sent to the CSV
        ExpectBox("A series sheet is not printed from here.\nExport it with File, Export CSV, and print it from the "
                  "spreadsheet.",
                  qwintest::BoxIcon::Exclamation);
    }

    // Other values, kept with the entry by OK and saved (a series file opening: above).
    HWND series = OpenDialog(ID_OPTIONS_SERIES, SERIES_CAPTION);
    ASSERT_NE(series, nullptr);
    const std::string values = Quillon::TextOf(::GetDlgItem(series, IDC_SERIES_VALUES));
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0,0.5");
    qdriver::PressAndWait(quillon, series, IDOK);
    quillon.Command(ID_FILE_NEW);
    ExpectSaveQuestion(IDYES);
    quillon.AnswerFileDialog(folder + "\\again");
    std::string expected = file;
    expected.replace(expected.find(values), values.size(), "0,0.5");
    EXPECT_EQ(ReadBytes(folder + "\\again.QSF"), expected);
    EXPECT_TRUE(::IsWindowEnabled(quillon.Item(IDC_PRODUCT)));  // a new entry is no series,
    quillon.Fill(IDC_PRODUCT, "SrTiO3");                          // nor saved as one
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\new");
    EXPECT_EQ(ReadBytes(folder + "\\new.QSF").find("series"), std::string::npos);
}

}  // namespace
