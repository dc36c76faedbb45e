// What the README's guide tells the chemist, done through the real program.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

namespace {

using GuideEndToEnd = qdriver::Session;

// "?" typed as the ratio of a Fixed row determines the Unfixed rows and
// leaves the Fixed row, mark and ratio, as it was given.
TEST_F(GuideEndToEnd, QuestionMarkOnAFixedRowKeepsItsRatio) {
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.EnterRow(0, "Y2O3", "0.5", true);
    quillon.EnterRow(1, "BaCO3");
    quillon.EnterRow(2, "CuO");
    qdriver::ListColumns columns = qdriver::ColumnsOf(quillon);
    quillon.Click(quillon.Item(IDC_LIST), columns.ratioLeft + 8, columns.rowHeight / 2);
    quillon.Type("?");
    quillon.Key(VK_RETURN);
    HWND selection = quillon.WaitDialog(qdriver::SELECTION_CAPTION);
    ASSERT_NE(selection, nullptr);
    Press(selection, IDOK);
    quillon.Sync();
    qdriver::Quillon::Row fixed = quillon.ReadRow(0);
    EXPECT_EQ(fixed.fixed, 1);
    EXPECT_EQ(fixed.ratio, 0.5);
    EXPECT_DOUBLE_EQ(quillon.ReadRow(1).ratio, 2);
    EXPECT_DOUBLE_EQ(quillon.ReadRow(2).ratio, 3);
}

}  // namespace
