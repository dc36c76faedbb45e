// Purity, excess, mmol and gases end to end: entered in the weighing dialog,
// saved, reopened and calculated into the report file. Screenshots of the
// dialog and of the sheet go to the build's test-output.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

namespace {

const char *const WEIGHING_CAPTION = "Quillon : Purity, Excess and Scaling";

using Weighing = qdriver::Session;

// The published recipe, 3 g of YBa2Cu3O7 from BaCO3, Y2(CO3)3 and CuCO3,
// with BaCO3 of 99 % purity and 10 % excess of CuCO3: the values survive a
// save and an open, and the sheet weighs BaCO3 / 0.99 and CuCO3 * 1.1.
TEST_F(Weighing, PurityAndExcessAreSavedReopenedAndWeighed) {
    quillon.Fill(IDC_SAMPLE_ID, "YBCO-3");
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "3");
    const char *const materials[] = {"BaCO3", "Y2(CO3)3", "CuCO3"};
    for (int row = 0; row < 3; ++row) quillon.EnterRow(row, materials[row]);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));

    Press(IDC_WEIGHING);
    HWND weighing = quillon.WaitDialog(WEIGHING_CAPTION);
    ASSERT_NE(weighing, nullptr);
    HWND list = ::GetDlgItem(weighing, IDC_WEIGHING_LIST);
    const int line = int(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    quillon.Fill(::GetDlgItem(weighing, IDC_PURITY), "99");  // BaCO3, chosen first
    quillon.Click(list, 30, 2 * line + line / 2);
    quillon.Fill(::GetDlgItem(weighing, IDC_EXCESS), "10");
    quillon.Capture(weighing).SaveBmp(qwintest::ArtifactPath("quillon-weighing.bmp"));
    Press(weighing, IDOK);
    quillon.Sync();
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
    Press(display, IDOK);
    quillon.Sync();
}

}  // namespace
