// What was weighed, end to end: the worked YBa2Cu3O7 entry calculated, then
// the masses typed into the Weighed Masses dialog checked against its sheet.
#include <gtest/gtest.h>

#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

using WeighedEndToEnd = qdriver::Session;

// The sheet's own masses give back the product; the published kit masses
// give quillon-cli's text; BaCO3 weighed heavy is marked, with Ba.
TEST_F(WeighedEndToEnd, TheWeighedMassesAreCheckedAgainstTheSheet) {
    std::ofstream(folder + "\\ybco.QSF", std::ios::binary) << ReadBytes(QUILLON_GOLDEN "/../../examples/YBa2Cu3O7.qsf");
    quillon.Command(ID_OPTIONS_WEIGHED);  // no sheet yet
    ExpectBox("There is no weighing sheet yet: press Calculate first.", qwintest::BoxIcon::Exclamation);
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\ybco.QSF");
    HWND display = Calculate();
    ASSERT_NE(display, nullptr);
    qdriver::PressAndWait(quillon, display, IDOK);

    HWND weighed = OpenDialog(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses");
    ASSERT_NE(weighed, nullptr);
    HWND list = ::GetDlgItem(weighed, IDC_WEIGHED_LIST), result = ::GetDlgItem(weighed, IDC_WEIGHED_RESULT);
    EXPECT_EQ(qdriver::WithoutCR(Quillon::TextOf(result)), "Enter the grams weighed of Y2O3 (row 1).");
    auto enter = [&](const std::vector<const char *> &grams) {
        for (size_t i = 0; i < grams.size(); ++i) {
            ::SendMessageA(list, LB_SETCURSEL, i, 0);
            ::SendMessageA(weighed, WM_COMMAND, MAKEWPARAM(IDC_WEIGHED_LIST, LBN_SELCHANGE), LPARAM(list));
            qdriver::SetText(::GetDlgItem(weighed, IDC_WEIGHED_GRAMS), grams[i]);
        }
        return qdriver::WithoutCR(Quillon::TextOf(result));
    };
    std::string text = enter({"1.69477", "5.92428", "3.58208"});
    // The sheet's masses (to its 5 decimals) give back the product.
    EXPECT_NE(text.find("Y : Ba : Cu = 1.0000 : 2.0000 : 3.0000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Every element and row is within the tolerance."), std::string::npos);

    std::string kit = enter({"11.29", "39.47", "23.86"});
    EXPECT_EQ(kit, ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-weighed-kit.txt"));
    text = enter({"1.69477", "6", "3.58208"});
    EXPECT_NE(text.find("\n2    BaCO3             5.94951          6      +0.8486  *\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Past the tolerance (*): Ba, row 2 BaCO3.\n"), std::string::npos) << text;
    quillon.Capture(weighed).SaveBmp(qwintest::ArtifactPath("quillon-weighed.bmp"));
    qdriver::PressAndWait(quillon, weighed, IDCANCEL);
}

}  // namespace
