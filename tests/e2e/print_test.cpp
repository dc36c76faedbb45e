// The lab record end to end: the balance settings, the sheet printed
// through the system's print dialog into a file (Wine's PostScript driver,
// with a printer the test adds to the prefix) and exported as CSV, both
// against tests/golden; nothing printed or exported from a changed entry.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

// The test's printer and the text it printed (printer.cpp).
std::string InstallFilePrinter();
std::vector<std::string> PostScriptLines(const std::string &postScript);

using qdriver::Quillon;
using qwintest::BoxIcon;

namespace {

const int kPrintToFile = 0x410;  // chx1 of the print dialog
const char *const BALANCE_CAPTION = "Quillon : Balance and Operator";

using qdriver::PressAndWait;
using qdriver::SetText;

class LabRecord : public qdriver::Session {
protected:
    static void SetUpTestSuite() { printerName = InstallFilePrinter(); }
    static std::string printerName;
};
std::string LabRecord::printerName;

}  // namespace

TEST_F(LabRecord, PrintedAndExportedSheetsOfYBa2Cu3O7) {
    ASSERT_FALSE(printerName.empty()) << "no printer in the prefix";
    quillon.Command(ID_FILE_PRINT);
    ExpectBox("There is no weighing sheet yet: press Calculate first.", BoxIcon::Exclamation);

    // The balance: a readability with a comma is refused and the dialog stays.
    HWND balance = OpenDialog(ID_OPTIONS_BALANCE, BALANCE_CAPTION);
    ASSERT_NE(balance, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(balance, IDC_READABILITY)), "0.0001");  // the default
    SetText(::GetDlgItem(balance, IDC_OPERATOR), "A. Chemist");
    SetText(::GetDlgItem(balance, IDC_READABILITY), "0,001");
    PressAndWait(quillon, balance, IDOK);
    ExpectBox("Enter the balance's readability in grams: a positive number with at most 6 decimals, such as 0.0001.",
              BoxIcon::Exclamation);
    ASSERT_TRUE(::IsWindow(balance));
    SetText(::GetDlgItem(balance, IDC_READABILITY), "0.001");
    SetText(::GetDlgItem(balance, IDC_MINIMUM_WEIGHT), "2");  // Y2O3 (1.695 g) is below it
    PressAndWait(quillon, balance, IDOK);
    EXPECT_FALSE(::IsWindow(balance));

    // 10 g YBa2Cu3O7 from the ratios typed (no element selection).
    ::SendMessageA(quillon.Item(IDC_AUTO_RATIO), BM_CLICK, 0, 0);
    quillon.Fill(IDC_SAMPLE_ID, "S-17, \"lab\"");
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "10");
    const char *rows[][2] = {{"Y2O3", "0.5"}, {"BaCO3", "2"}, {"CuO", "3"}};
    for (int i = 0; i < 3; ++i) quillon.EnterRow(i, rows[i][0], rows[i][1]);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    HWND display = Calculate(false);
    ASSERT_NE(display, nullptr);
    PressAndWait(quillon, display, IDOK);

    // Print: the system's dialog with "Print to file", then the file's name.
    quillon.Command(ID_FILE_PRINT);
    HWND print = quillon.WaitWindow([](HWND window) { return ::GetDlgItem(window, kPrintToFile) != nullptr; });
    ASSERT_NE(print, nullptr) << "no print dialog";
    ::SendMessageA(::GetDlgItem(print, kPrintToFile), BM_SETCHECK, BST_CHECKED, 0);
    PressAndWait(quillon, print, IDOK);
    const std::string printed = folder + "\\sheet.prn";
    quillon.AnswerFileDialog(printed);
    std::string postScript;
    for (int tries = 0; tries < 250 && postScript.find("%%EOF") == std::string::npos; ++tries, ::Sleep(20))
        postScript = ReadBytes(printed);
    std::vector<std::string> lines = PostScriptLines(postScript);
    std::string text;
    const std::regex date("Date: \\| \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d");
    for (const std::string &line : lines) text += (std::regex_match(line, date) ? "Date: | <date>" : line) + "\n";
    EXPECT_EQ(text, ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-printed.txt"));
    std::ofstream(qwintest::ArtifactPath("quillon-printed.ps"), std::ios::binary) << postScript;

    // Export CSV: proposed under the sample ID (without the quotes a file
    // name cannot hold), the full-precision sheet.
    EXPECT_EQ(quillon.FileCommand(ID_FILE_EXPORT_CSV, folder + "\\sheet"), "S-17, _lab_");
    EXPECT_EQ(ReadBytes(folder + "\\sheet.csv"), ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-sheet.csv"));

    // Once the entry changes, its old sheet is neither printed nor exported.
    quillon.Fill(IDC_AMOUNT, "20");
    quillon.Command(ID_FILE_EXPORT_CSV);
    ExpectBox("The entry has changed since the last calculation.\nPress Calculate again, then print or export.",
              BoxIcon::Exclamation);

    // The operator and the balance are there again at the next start.
    ::PostMessageA(quillon.Main(), WM_COMMAND, ID_FILE_EXIT, 0);
    ExpectSaveQuestion(IDNO);
    ASSERT_EQ(quillon.WaitExit(), 0);
    Quillon again;
    ASSERT_TRUE(again.Start(folder, true));
    qdriver::Box reports = again.WaitBox();  // the report file of the calculation: kept
    ASSERT_NE(reports.hwnd, nullptr);
    again.Answer(reports, IDNO);
    ASSERT_NE(again.WaitReady(), nullptr);
    ::PostMessageA(again.Main(), WM_COMMAND, ID_OPTIONS_BALANCE, 0);
    balance = again.WaitDialog(BALANCE_CAPTION);
    ASSERT_NE(balance, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(balance, IDC_OPERATOR)), "A. Chemist");
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(balance, IDC_READABILITY)), "0.001");
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(balance, IDC_MINIMUM_WEIGHT)), "2");
    PressAndWait(again, balance, IDCANCEL);
}
