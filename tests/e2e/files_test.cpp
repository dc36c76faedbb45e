// Calculation files and settings end to end: the real program and list, the
// system's Open and Save As dialogs, the registry between runs; composition
// series opened, calculated and exported against quillon-cli's golden files;
// the lab record (the balance settings, the sheet printed through the
// system's print dialog into a file with Wine's PostScript driver and a
// printer the test adds to the prefix, and exported as CSV, against tests/golden).
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>
#include <memory>
#include <regex>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

// The lab record test's printer and the text it printed (printer.cpp).
std::string InstallFilePrinter();
std::vector<std::string> PostScriptLines(const std::string &postScript);

using qdriver::Box;
using qdriver::Quillon;
using qwintest::BoxIcon;

namespace {

using FilesEndToEnd = qdriver::Session;

// Typed in (formulas longer than their fields), saved, cleared, opened: the
// same fields and rows, and the same bytes when saved again.
TEST_F(FilesEndToEnd, ASavedEntryReopensIdentically) {
    std::string product, material;
    while (product.size() < 48) product += "H2O";
    while (material.size() < 60) material += "La0.6Sr0.4CoO3";
    material.resize(60);
    quillon.Fill(IDC_SAMPLE_ID, "S-17 batch 2");
    quillon.Fill(IDC_PRODUCT, product);
    quillon.Fill(IDC_AMOUNT, "123.456");
    quillon.EnterRow(1, "Y2O3", "0.5", true);
    quillon.EnterRow(4, material);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));  // closes the open cell

    EXPECT_EQ(quillon.FileCommand(ID_FILE_SAVE, folder + "\\entry"), product);  // the product is the proposed name
    const std::string saved = ReadBytes(folder + "\\entry.QSF");
    EXPECT_EQ(saved, "-1 S-17 batch 2\r\n0 123.45600 1.00000 " + product + "\r\n2 1 0.50000 Y2O3\r\n5 0 1.00000 " +
                         material + "\r\n");

    quillon.Command(ID_FILE_NEW);
    EXPECT_EQ(quillon.ReadRow(1).formula, "");
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\entry.QSF");
    // Every field and row came back: saved again below, the bytes are the same.
    EXPECT_EQ(quillon.Text(IDC_AMOUNT), "123.456");  // shown as typed, not as stored
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_SAMPLE_ID));

    quillon.FileCommand(ID_FILE_SAVE, folder + "\\entry.QSF");
    Box replace = quillon.WaitBox();  // the file exists: the dialog asks first
    ASSERT_NE(replace.hwnd, nullptr);
    quillon.Answer(replace, IDYES);
    quillon.Sync();
    EXPECT_EQ(ReadBytes(folder + "\\entry.QSF"), saved);
    EXPECT_EQ(quillon.Settled("entry.QSF - Quillon"), "entry.QSF - Quillon");

    // A file that does not read leaves the title (its message and the entry kept: dialogfiles_test).
    std::ofstream(folder + "\\bad.QSF", std::ios::binary) << "-1 other\r\n4 0 1 Xx9\r\n";
    quillon.Key('O', qwintest::kControl);  // unchanged since saved: no question
    quillon.AnswerFileDialog(folder + "\\bad.QSF");
    Box box = quillon.WaitBox();
    ASSERT_NE(box.hwnd, nullptr);
    quillon.Answer(box);
    EXPECT_EQ(quillon.Settled("entry.QSF - Quillon"), "entry.QSF - Quillon");
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    EXPECT_EQ(quillon.Exit(ID_FILE_EXIT), 0);
}

// Every way an entry can be dropped asks first when it has changed: Yes
// saves through the usual dialog, No drops it, Cancel keeps everything. The
// rows that leave the program running share one start, in this order.
TEST_F(FilesEndToEnd, AChangedEntryIsNotDroppedWithoutAQuestion) {
    enum Way { ESCAPE, CLOSE_BOX, EXIT, NEW, OPEN };
    const char *names[] = {"Escape", "close box", "Exit", "Ctrl+N", "Ctrl+O"};
    const std::pair<Way, int> rows[] = {{ESCAPE, IDCANCEL}, {CLOSE_BOX, IDCANCEL}, {EXIT, IDCANCEL}, {NEW, IDCANCEL},
                                        {OPEN, IDCANCEL},   {NEW, IDNO},           {NEW, IDYES},     {OPEN, IDNO},
                                        {OPEN, IDYES},      {ESCAPE, IDNO},        {ESCAPE, IDYES},  {CLOSE_BOX, IDNO},
                                        {CLOSE_BOX, IDYES}, {EXIT, IDNO},          {EXIT, IDYES}};
    std::unique_ptr<Quillon> started;
    Quillon *q = &quillon;
    std::string place = folder, title = "Untitled";  // the entry's name in the title
    EXPECT_EQ(q->Settled("Untitled - Quillon"), "Untitled - Quillon");
    for (const auto &row : rows) {
        const Way way = row.first;
        const int answer = row.second;
        SCOPED_TRACE(std::string(names[way]) + (answer == IDYES ? " Yes" : answer == IDNO ? " No" : " Cancel"));
        if (!q->Running()) {
            place = qdriver::MakeFolder("question");
            started.reset(q = new Quillon);
            ASSERT_TRUE(q->Start(place));
            ASSERT_NE(q->WaitReady(), nullptr);
            EXPECT_EQ(q->Settled("Untitled - Quillon"), "Untitled - Quillon");
            title = "Untitled";
        }
        ::DeleteFileA((place + "\\entry.QSF").c_str());
        // A whole entry (a file without a starting material does not open), another sample each row.
        const std::string sample = "S-" + std::to_string(&row - rows);
        q->Fill(IDC_SAMPLE_ID, sample);
        q->Fill(IDC_PRODUCT, "BaO");
        if (q->ReadRow(0).formula.empty()) q->EnterRow(0, "BaCO3");
        q->ClickCenter(q->Item(IDC_SAMPLE_ID));  // closes the open cell
        EXPECT_EQ(q->Settled(title + "* - Quillon"), title + "* - Quillon");
        switch (way) {
        case ESCAPE: q->Key(VK_ESCAPE); break;
        case CLOSE_BOX: ::PostMessageA(q->Main(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case EXIT: q->Command(ID_FILE_EXIT); break;
        case NEW: q->Key('N', qwintest::kControl); break;
        case OPEN: q->Key('O', qwintest::kControl); break;
        }
        qdriver::ExpectBox(*q, "Save changes?", BoxIcon::Question, answer);
        const bool saved = answer == IDYES;
        if (saved) q->AnswerFileDialog(place + "\\entry.QSF");
        EXPECT_EQ(ReadBytes(place + "\\entry.QSF").substr(0, 6 + sample.size()), saved ? "-1 " + sample + "\r\n0" : "");
        auto fileDialog = [&](DWORD ms) { return q->WaitWindow(qdriver::FileNameField, ms); };
        if (answer == IDCANCEL) {
            EXPECT_TRUE(q->Running());
            EXPECT_EQ(q->Text(IDC_SAMPLE_ID), sample);
            EXPECT_EQ(q->Settled(title + "* - Quillon"), title + "* - Quillon");
            EXPECT_EQ(fileDialog(300), nullptr);
        } else if (way == ESCAPE || way == CLOSE_BOX || way == EXIT) {
            EXPECT_EQ(q->WaitExit(), 0);
            continue;
        } else if (way == NEW) {
            EXPECT_EQ(q->Text(IDC_SAMPLE_ID), "");
            EXPECT_EQ(q->Settled("Untitled - Quillon"), "Untitled - Quillon");
        } else if (saved) {  // Open, after the save: the saved file opens again
            q->AnswerFileDialog(place + "\\entry.QSF");
            EXPECT_EQ(q->Text(IDC_SAMPLE_ID), sample);
            EXPECT_EQ(q->Settled("entry.QSF - Quillon"), "entry.QSF - Quillon");
            title = "entry.QSF";
        } else {  // Open, changes dropped, then the file dialog cancelled: nothing changes
            HWND dialog = fileDialog(10000);
            ASSERT_NE(dialog, nullptr);
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            q->Sync();
            EXPECT_EQ(q->Text(IDC_SAMPLE_ID), sample);
        }
        EXPECT_EQ(q->WaitBox(200).hwnd, nullptr);
    }
}

const char *const SERIES_CAPTION = "Quillon : Composition Series";

TEST_F(FilesEndToEnd, ExampleSeriesAgainstQuillonCli) {
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
        ExpectBox("The values of x \"0:1:0.3\" do not reach TO in whole steps.", BoxIcon::Exclamation);

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
                  BoxIcon::Exclamation);
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

// The print and export of a sheet; then settings changed in the run, the
// balance and operator, and the window made taller (more rows, the buttons
// kept at its bottom), written at exit and found at the next start.
TEST_F(LabRecord, PrintedAndExportedSheetsAndSettingsFromRunToRun) {
    ASSERT_FALSE(printerName.empty()) << "no printer in the prefix";
    quillon.Key('P', qwintest::kControl);  // greyed while there is no sheet: Ctrl+P does nothing
    EXPECT_EQ(quillon.WaitBox(500).hwnd, nullptr);
    quillon.Command(ID_FILE_PRINT);
    ExpectBox("There is no weighing sheet yet: press Calculate first.", BoxIcon::Exclamation);

    // The balance: a readability with a comma is refused and the dialog stays.
    HWND balance = OpenDialog(ID_OPTIONS_BALANCE, BALANCE_CAPTION);
    auto item = [&](int id) { return ::GetDlgItem(balance, id); };
    EXPECT_EQ(Quillon::TextOf(item(IDC_READABILITY)), "0.0001");  // the default
    SetText(item(IDC_OPERATOR), "A. Chemist");
    SetText(item(IDC_READABILITY), "0,001");
    PressAndWait(quillon, balance, IDOK);
    ExpectBox("Enter the balance's readability in grams: a positive number with at most 6 decimals, such as 0.0001.",
              BoxIcon::Exclamation);
    ASSERT_TRUE(::IsWindow(balance));
    SetText(item(IDC_READABILITY), "0.001");
    SetText(item(IDC_MINIMUM_WEIGHT), "2");  // Y2O3 (1.695 g) is below it
    PressAndWait(quillon, balance, IDOK);
    EXPECT_FALSE(::IsWindow(balance));

    // 10 g YBa2Cu3O7 from the ratios typed (no element selection).
    ::SendMessageA(quillon.Item(IDC_AUTO_RATIO), BM_CLICK, 0, 0);
    Enter("YBa2Cu3O7", "10", {}, "S-17, \"lab\"");
    const char *rows[][2] = {{"Y2O3", "0.5"}, {"BaCO3", "2"}, {"CuO", "3"}};
    for (int i = 0; i < 3; ++i) quillon.EnterRow(i, rows[i][0], rows[i][1]);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    PressAndWait(quillon, Calculate(false), IDOK);

    // Print (Ctrl+P, enabled now): the system's dialog with "Print to file", then the file's name.
    quillon.Key('P', qwintest::kControl);
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

    // The window made taller; the differential and Auto-Ratio (above) switched off.
    auto Rect = [](HWND window) {
        RECT r;
        ::GetWindowRect(window, &r);
        return r;
    };
    auto Height = [&](HWND window) { return Rect(window).bottom - Rect(window).top; };
    RECT before = Rect(quillon.Main()), list = Rect(quillon.Item(IDC_LIST)), calc = Rect(quillon.Item(IDC_CALCULATE));
    const int grow = 200;
    ::SetWindowPos(quillon.Main(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top + grow,
                   SWP_NOMOVE | SWP_NOZORDER);
    quillon.Sync();
    RECT after = Rect(quillon.Main()), list2 = Rect(quillon.Item(IDC_LIST)), calc2 = Rect(quillon.Item(IDC_CALCULATE));
    const int rowHeight = qdriver::ColumnsOf(quillon).rowHeight;
    const int listGrows = grow / rowHeight * rowHeight;  // whole rows
    EXPECT_GE(listGrows / rowHeight, 5);
    EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + listGrows);
    EXPECT_EQ(list2.top, list.top);
    EXPECT_EQ(calc2.top - after.top, calc.top - before.top + grow);
    EXPECT_EQ(calc2.left - after.left, calc.left - before.left);
    quillon.Capture(quillon.Main()).SaveBmp(qwintest::ArtifactPath("quillon-main-taller.bmp"));
    quillon.Command(ID_OPTIONS_DIFFERENCE);
    ::PostMessageA(quillon.Main(), WM_COMMAND, ID_FILE_EXIT, 0);
    ExpectSaveQuestion(IDNO);
    ASSERT_EQ(quillon.WaitExit(), 0);

    const char *const key = "Software\\Hobnail\\Quillon\\Settings";
    for (const char *name : {"Show Differential", "Automatic Ratio Calculation", "Output To MS Word",
                             "Retain Change After Calculation"}) {
        DWORD value = 0xDEAD, size = sizeof value;
        ::SHGetValueA(HKEY_CURRENT_USER, key, name, nullptr, &value, &size);
        EXPECT_EQ(value, 0u) << name;
    }
    char stored[MAX_PATH] = "", full[MAX_PATH] = "";
    DWORD size = sizeof stored;
    ::SHGetValueA(HKEY_CURRENT_USER, key, "Last Working Dir", nullptr, stored, &size);
    ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);  // the folder the program started in
    EXPECT_STRCASEEQ(stored, full);

    Quillon again;
    ASSERT_TRUE(again.Start(folder, true));
    qdriver::Box reports = again.WaitBox();  // the report file of the calculation: kept
    ASSERT_NE(reports.hwnd, nullptr);
    again.Answer(reports, IDNO);
    ASSERT_NE(again.WaitReady(), nullptr);
    EXPECT_FALSE(qdriver::Checked(again.Item(IDC_AUTO_RATIO)));
    EXPECT_EQ(Height(again.Main()), before.bottom - before.top + grow);
    EXPECT_EQ(Height(again.Item(IDC_LIST)), list.bottom - list.top + listGrows);
    ::PostMessageA(again.Main(), WM_COMMAND, ID_OPTIONS_BALANCE, 0);
    balance = again.WaitDialog(BALANCE_CAPTION);
    for (const auto &field : {std::make_pair(IDC_OPERATOR, "A. Chemist"), std::make_pair(IDC_READABILITY, "0.001"),
                              std::make_pair(IDC_MINIMUM_WEIGHT, "2")})
        EXPECT_EQ(Quillon::TextOf(item(field.first)), field.second);
    PressAndWait(again, balance, IDCANCEL);
}
