// The main dialog end to end: layout, the checks of Calculate and of the
// fields, Enter and Escape, Clear.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Box;
using qdriver::SELECTION_CAPTION;
using qwintest::BoxIcon;

using MainDialog = qdriver::Session;

// The deferred initialisation lays the fields and headers over the list's columns.
TEST_F(MainDialog, LayoutFollowsTheListColumns) {
    auto Rect = [&](int id) {
        RECT r;
        ::GetWindowRect(quillon.Item(id), &r);
        return r;
    };
    RECT list = Rect(IDC_LIST), sample = Rect(IDC_SAMPLE_ID), product = Rect(IDC_PRODUCT),
         ratio = Rect(IDC_PRODUCT_RATIO), number = Rect(IDC_HEADER_NUMBER), formula = Rect(IDC_HEADER_FORMULA),
         ratioHeader = Rect(IDC_HEADER_RATIO);
    // Edges that meet: the product field ends where the ratio column begins, its ratio stands above it.
    const LONG meet[][2] = {{sample.left, list.left},        {sample.right, list.right},
                            {product.left, list.left},       {product.right, ratioHeader.left},
                            {ratio.left, ratioHeader.left},  {ratio.right, list.right},
                            {number.left, list.left},        {number.right, formula.left},
                            {formula.right, ratioHeader.left}};
    for (const auto &edges : meet) EXPECT_EQ(edges[0], edges[1]) << &edges - meet;
    EXPECT_GT(ratioHeader.left, formula.left);
    EXPECT_LT(ratioHeader.left, list.right);
    // At start the product is empty and ratio and amount show 1.
    EXPECT_EQ(quillon.Text(IDC_PRODUCT), "");
    EXPECT_EQ(quillon.Text(IDC_PRODUCT_RATIO), "1");
    EXPECT_EQ(quillon.Text(IDC_AMOUNT), "1");
    EXPECT_TRUE(qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)));
}

// Calculate checks the amount first, then the product ratio, then the rest,
// each message with its icon and the field it sends the user back to (the
// messages of every refusal: commands_test and the quillon-cli tests).
TEST_F(MainDialog, CalculateChecksTheAmountFirst) {
    const struct {
        const char *amount;
        const char *product;
        const char *ratio;
        bool autoRatio;
        const char *message;
        BoxIcon icon;
        int focus;  // the field the message sends the user back to, or 0
    } cases[] = {
        {"", "", "1", true, "Enter positive value for product amount in grams.", BoxIcon::Exclamation, 0},
        {"5", "", "1", true, "Product entry is empty.", BoxIcon::Hand, 0},
        // No grams follow from a product ratio of 0 (or below) or "?".
        {"5", "BaTiO3", "0", false, "Enter positive value for product ratio.", BoxIcon::Exclamation,
         IDC_PRODUCT_RATIO},
        // Last: leaving "?" in the ratio field would be refused by its own check.
        {"5", "BaTiO3", "?", true, "Enter positive value for product ratio.", BoxIcon::Exclamation,
         IDC_PRODUCT_RATIO},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("amount '") + c.amount + "' product '" + c.product + "' ratio '" + c.ratio + "'");
        quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));  // away from the fields set below
        qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), c.autoRatio);
        // The fields are set directly: their own leave checks are tested below.
        qdriver::SetText(quillon.Item(IDC_PRODUCT), c.product);
        qdriver::SetText(quillon.Item(IDC_PRODUCT_RATIO), c.ratio);
        qdriver::SetText(quillon.Item(IDC_AMOUNT), c.amount);
        Press(IDC_CALCULATE);
        ExpectBox(c.message, c.icon);
        if (c.focus != 0) {
            EXPECT_EQ(quillon.Focus(), quillon.Item(c.focus));
            EXPECT_TRUE(quillon.WholeTextSelected(c.focus));
        }
        EXPECT_EQ(quillon.WaitDialog(SELECTION_CAPTION, 0), nullptr);
        EXPECT_TRUE(Reports().empty());
    }
}

// Leaving a field checks it: a wrong entry keeps its text, gets the focus
// back selected and says why, once, also when the click that left it was on
// Calculate (which is not left pressed); a number is shown normalised. (Which
// texts are numbers and formulas: textutil_test and formula_test.)
TEST_F(MainDialog, LeavingAFieldChecksIt) {
    const struct {
        int id;
        const char *typed;
        const char *message;  // nullptr: accepted
        const char *shown;    // the text afterwards
        int clicked = IDC_SAMPLE_ID;  // what the field is left for; 0: Tab
    } cases[] = {
        {IDC_AMOUNT, "1,5", "Wrong value for amount!\nUse a point for decimals: 1.5.", "1,5"},
        {IDC_AMOUNT, "1e3", nullptr, "1000"},
        {IDC_AMOUNT, "", nullptr, "0"},
        {IDC_PRODUCT_RATIO, "?", "Wrong ratio value for the product!", "?"},
        // Tab goes into the list, whose reopening of its last cell must not take the focus.
        {IDC_PRODUCT_RATIO, "?", "Wrong ratio value for the product!", "?", 0},
        {IDC_PRODUCT_RATIO, "2.50", nullptr, "2.5"},
        {IDC_PRODUCT, "Y2O3Xx", "Wrong Format for Product.\nXx is not in ATOMS.LST.", "Y2O3Xx"},
        {IDC_PRODUCT, "Xq2", "Wrong Format for Product.\nXq is not in ATOMS.LST.", "Xq2", IDC_AMOUNT},
        {IDC_PRODUCT, "Xq2", "Wrong Format for Product.\nXq is not in ATOMS.LST.", "Xq2", IDC_CALCULATE},
        {IDC_PRODUCT, "Ba(NO3)2", nullptr, "Ba(NO3)2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "', then a click on " + std::to_string(c.clicked));
        quillon.Fill(c.id, c.typed, c.clicked == 0);
        if (c.clicked != 0) quillon.ClickCenter(quillon.Item(c.clicked));
        if (c.message != nullptr) {
            ExpectBox(c.message, BoxIcon::Hand);
            EXPECT_EQ(quillon.Focus(), quillon.Item(c.id));
            EXPECT_TRUE(quillon.WholeTextSelected(c.id));
        } else {
            EXPECT_NE(quillon.Focus(), quillon.Item(c.id));
        }
        EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
        EXPECT_EQ(::SendMessageA(quillon.Item(IDC_CALCULATE), BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
        EXPECT_EQ(quillon.Text(c.id), c.shown);
        quillon.Fill(c.id, c.id == IDC_PRODUCT ? "" : "1", false);  // a valid text again
        quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    }
}

// Enter never closes the dialog; Escape does, without a question for an unchanged entry.
TEST_F(MainDialog, EnterStaysEscapeCloses) {
    for (int id : {IDC_SAMPLE_ID, IDC_PRODUCT, IDC_PRODUCT_RATIO, IDC_AMOUNT}) {
        quillon.ClickCenter(quillon.Item(id));
        quillon.Key(VK_RETURN);
        EXPECT_TRUE(::IsWindowVisible(quillon.Main())) << id;
    }
    EXPECT_EQ(quillon.WaitBox(200).hwnd, nullptr);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    quillon.Key(VK_ESCAPE);
    EXPECT_EQ(quillon.WaitExit(), 0);
}

// Clear empties the entry (after asking, as it has changed); the ratio shows 1 and the amount nothing.
TEST_F(MainDialog, ClearEmptiesTheEntry) {
    quillon.Fill(IDC_SAMPLE_ID, "S-17");
    quillon.Fill(IDC_PRODUCT, "BaTiO3");
    quillon.Fill(IDC_PRODUCT_RATIO, "2");
    quillon.Fill(IDC_AMOUNT, "10");
    quillon.EnterRow(0, "BaCO3");
    quillon.EnterRow(1, "TiO2", "1");
    Clear();
    const std::pair<int, const char *> fields[] = {
        {IDC_SAMPLE_ID, ""}, {IDC_PRODUCT, ""}, {IDC_PRODUCT_RATIO, "1"}, {IDC_AMOUNT, ""}};
    for (const auto &field : fields) EXPECT_EQ(quillon.Text(field.first), field.second) << field.first;
    for (int row = 0; row < 2; ++row) EXPECT_EQ(quillon.ReadRow(row).formula, "");
    EXPECT_TRUE(qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)));
}

// Ctrl+Shift+J in a formula editor asks the main dialog what it runs on.
TEST_F(MainDialog, EditorSignalShowsTheProgramsData) {
    quillon.ClickCenter(quillon.Item(IDC_PRODUCT));
    quillon.Key('J', qwintest::kControl | qwintest::kShift);
    Box box = quillon.WaitBox();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.caption, "Quillon");
    EXPECT_EQ(box.icon, BoxIcon::Asterisk);
    EXPECT_NE(box.text.find("ATOMS.LST, 118 elements."), std::string::npos) << box.text;
    quillon.Answer(box);
}
