// Purity, excess, mmol and gases end to end: entered in the weighing dialog,
// saved, reopened and calculated into the report file. Screenshots of the
// dialog and of the sheet go to the build's test-output.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::DISPLAY_CAPTION;
using qdriver::Quillon;
using qdriver::SELECTION_CAPTION;

namespace {

const char *const WEIGHING_CAPTION = "Quillon : Purity, Excess and Scaling";

// Atomic masses of the shipped ATOMS.LST.
const double C = 12.011, O = 15.999, Cu = 63.546, Y = 88.905838, Ba = 137.327;

// As the sheet shows numbers: five decimals without trailing zeros.
std::string Shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", value);
    std::string shown = text;
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}

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
    quillon.Fill(::GetDlgItem(weighing, IDC_PURITY), "0");   // refused on choosing another material
    quillon.Click(list, 30, 2 * line + line / 2);
    qdriver::Box refused = quillon.WaitBox();
    EXPECT_EQ(refused.text, "Wrong value for purity!\nA purity is a percentage above 0 and at most 100.");
    quillon.Answer(refused);
    quillon.Fill(::GetDlgItem(weighing, IDC_PURITY), "99");
    quillon.Click(list, 30, 2 * line + line / 2);
    quillon.Fill(::GetDlgItem(weighing, IDC_EXCESS), "10");
    quillon.Capture(weighing).SavePng(qwintest::ArtifactPath("quillon-weighing.png"));
    Press(weighing, IDOK);
    quillon.Sync();
    ASSERT_FALSE(::IsWindow(weighing));

    quillon.Command(ID_FILE_SAVE);
    quillon.AnswerFileDialog(folder + "\\ybco");
    const std::string saved = ReadBytes(folder + "\\ybco.QSF");
    EXPECT_NE(saved.find("\r\npurity 1 99"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nexcess 3 10"), std::string::npos) << saved;
    quillon.Command(ID_FILE_NEW);
    quillon.Command(ID_FILE_OPEN);
    quillon.AnswerFileDialog(folder + "\\ybco.QSF");
    EXPECT_EQ(quillon.ReadRow(2).formula, "CuCO3");
    Press(IDC_WEIGHING);  // the values came back with the entry
    weighing = quillon.WaitDialog(WEIGHING_CAPTION);
    ASSERT_NE(weighing, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(weighing, IDC_PURITY)), "99");  // BaCO3
    quillon.Click(::GetDlgItem(weighing, IDC_WEIGHING_LIST), 30, 2 * line + line / 2);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(weighing, IDC_EXCESS)), "10");  // CuCO3
    Press(weighing, IDCANCEL);
    quillon.Sync();

    // The sheet's options are settings of the program, set in the Options menu.
    quillon.Command(ID_OPTIONS_MMOL);
    quillon.Command(ID_OPTIONS_GASES);
    Press(IDC_CALCULATE);
    HWND selection = quillon.WaitDialog(SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    Press(selection, IDOK);
    HWND display = quillon.WaitDialog(DISPLAY_CAPTION);
    ASSERT_NE(display, nullptr);
    std::vector<std::string> reports = qdriver::FilesIn(folder, "*.QL");
    ASSERT_EQ(reports.size(), 1u);
    const std::string sheet = ReadBytes(folder + "\\" + reports[0]);
    const double k = 3 / (Y + 2 * Ba + 3 * Cu + 7 * O);  // moles of product
    for (const std::string &figure : {Shown(2 * (Ba + C + 3 * O) * k / 0.99), Shown(0.5 * (2 * Y + 3 * C + 9 * O) * k),
                                      Shown(3 * (Cu + C + 3 * O) * k * 1.1), Shown(1000 * k),
                                      Shown(6.5 * (C + 2 * O) * k)})
        EXPECT_NE(sheet.find(figure), std::string::npos) << figure << " not in\n" << sheet;
    EXPECT_NE(sheet.find("CO2"), std::string::npos) << sheet;
    quillon.Capture(display).SavePng(qwintest::ArtifactPath("quillon-batch-display.png"));
    Press(display, IDOK);
    quillon.Sync();
}

}  // namespace
