// The Calculate command's answer to an amount that is not a usable number.
#include <gtest/gtest.h>

#include <string>

#include "core/commands.h"
#include "core/formula.h"
#include "core/textutil.h"

namespace {

// Stand-in entry: only the amount is asked for before these messages.
class AmountOnly : public CalcEntrySource {
public:
    explicit AmountOnly(const char *text) : text(text) {}
    CString ProductFormula() override { return CString(); }
    int ReadProductRatio(double *) override { return 1; }
    int ReadAmount(double *amount) override { return ReadNumberText(text, amount); }
    int GetRows(int, LedraRowList *) override { return 0; }
    int GetUnfixedCount() override { return 0; }
    bool ChooseElements(const CString &, int, ElementSelection *, int *) override { return false; }
    void ShowMessage(const char *message, CalcMessageKind, CalcField) override { shown += message; }
    void WriteReport(const CReaction &, double) override {}
    const char *text;
    std::string shown;
};

}  // namespace

// A decimal comma gets the hint; other wrong spellings (nan would pass no check, 0x10 was 16 g) do not.
TEST(CalculateAmount, WrongSpellingsAreRefusedWithTheRightMessage) {
    const std::string check = "Check amount of product in grams.";
    const struct { const char *text; std::string message; } cases[] = {
        {"1,5", check + "\nUse a point for decimals: 1.5."}, {"0x10", check}, {"nan", check},
        {"inf", check}, {"1e400", check}, {"-0", "Enter positive value for product amount in grams."}};
    for (const auto &c : cases) {
        AmountOnly source(c.text);
        int reset = 0;
        CElementTable table;
        ElementSelection selection;
        EXPECT_EQ(CommandResult::Refused, CalculateCommand(source, CFormulaParser(table), false, &selection, &reset))
            << c.text;
        EXPECT_EQ(c.message, source.shown) << c.text;
    }
}
