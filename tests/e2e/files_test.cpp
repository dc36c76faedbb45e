// Calculation files and settings end to end: the system's Open and Save As dialogs, the registry
// between runs; series calculated and exported against quillon-cli's golden files; the lab record
// (balance settings, the sheet printed through the print dialog into a file by a PostScript printer
// the test adds to the prefix, previewed, and exported as CSV, against tests/golden).
#include <gtest/gtest.h>

#include <shlwapi.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>

#include "app/resource.h"
#include "tests/support/driver/driver.h"
#include "tests/support/driver/printing.h"

using qdriver::Box;
using qdriver::InstallFilePrinter;
using qdriver::kPrinterName;
using qdriver::PageIn;
using qdriver::PostScriptText;
using qdriver::ReadStoredPng;
using qdriver::ShownPage;
using qdriver::Quillon;
using qwintest::BoxIcon;

namespace {

using FilesEndToEnd = qdriver::Session;

// Typed in (formulas longer than their fields), saved, cleared, opened: the same bytes saved again.
TEST_F(FilesEndToEnd, ASavedEntryReopensIdentically) {
    std::string product, material;
    for (int i = 0; i < 16; ++i) product += "H2O", material += "La0.6Sr0.4CoO3";
    material.resize(60);
    Enter(product, "123.456", {}, "S-17 batch 2");
    quillon.EnterRow(1, "Y2O3", "0.5", true);
    quillon.EnterRow(4, material);
    Press(IDC_SAMPLE_ID);  // closes the open cell

    EXPECT_EQ(quillon.FileCommand(ID_FILE_SAVE, folder + "\\entry"), product);  // the product is the proposed name
    const std::string saved = ReadBytes(folder + "\\entry.QSF");
    EXPECT_EQ(saved, "-1 S-17 batch 2\r\n0 123.45600 1.00000 " + product + "\r\n2 1 0.50000 Y2O3\r\n5 0 1.00000 " +
                         material + "\r\n");

    quillon.Command(ID_FILE_NEW);
    EXPECT_EQ(quillon.ReadRow(1).formula, "");
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\entry.QSF");
    EXPECT_EQ(quillon.Text(IDC_AMOUNT), "123.456");  // shown as typed, not as stored
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_SAMPLE_ID));

    quillon.FileCommand(ID_FILE_SAVE, folder + "\\entry.QSF");
    Box replace = quillon.WaitBox();  // the file exists: the dialog asks first
    ASSERT_NE(replace.hwnd, nullptr);
    quillon.Answer(replace, IDYES);
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

// Every way an entry can be dropped asks first when it has changed: Yes saves through the usual
// dialog, No drops it, Cancel keeps everything. Rows that leave the program running share one start.
TEST_F(FilesEndToEnd, AChangedEntryIsNotDroppedWithoutAQuestion) {
    enum Way { ESCAPE, CLOSE_BOX, EXIT, NEW, OPEN };
    const char *names[] = {"Escape", "close box", "Exit", "Ctrl+N", "Ctrl+O"};
    const std::pair<Way, int> rows[] = {{ESCAPE, IDCANCEL}, {CLOSE_BOX, IDCANCEL}, {EXIT, IDCANCEL}, {NEW, IDCANCEL},
                                        {OPEN, IDCANCEL},   {NEW, IDNO},           {NEW, IDYES},     {OPEN, IDNO},
                                        {OPEN, IDYES},      {ESCAPE, IDNO},        {ESCAPE, IDYES},  {CLOSE_BOX, IDNO},
                                        {CLOSE_BOX, IDYES}, {EXIT, IDNO},          {EXIT, IDYES}};
    std::unique_ptr<Quillon> started;
    Quillon *q = &quillon;
    std::string place = folder, title;  // the entry's name in the title, empty after a start
    auto titled = [&](const std::string &name) { EXPECT_EQ(q->Settled(name + " - Quillon"), name + " - Quillon"); };
    int n = 0;
    for (const auto &[way, answer] : rows) {
        SCOPED_TRACE(std::string(names[way]) + (answer == IDYES ? " Yes" : answer == IDNO ? " No" : " Cancel"));
        if (!q->Running()) {
            place = qdriver::MakeFolder("question");
            started.reset(q = new Quillon);
            ASSERT_TRUE(q->Start(place));
            ASSERT_NE(q->WaitReady(), nullptr);
            title.clear();
        }
        if (title.empty()) titled(title = "Untitled");
        ::DeleteFileA((place + "\\entry.QSF").c_str());
        // A whole entry (a file without a starting material does not open), another sample each row.
        const std::string sample = "S-" + std::to_string(n++);
        q->Fill(IDC_SAMPLE_ID, sample);
        q->Fill(IDC_PRODUCT, "BaO");
        if (q->ReadRow(0).formula.empty()) q->EnterRow(0, "BaCO3");
        q->ClickCenter(q->Item(IDC_SAMPLE_ID));  // closes the open cell
        titled(title + "*");
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
            titled(title + "*");
            EXPECT_EQ(fileDialog(300), nullptr);
        } else if (way == ESCAPE || way == CLOSE_BOX || way == EXIT) {
            EXPECT_EQ(q->WaitExit(), 0);
            continue;
        } else if (way == NEW) {
            titled(title = "Untitled");
        } else if (saved) {  // Open, after the save: the saved file opens again
            q->AnswerFileDialog(place + "\\entry.QSF");
            titled(title = "entry.QSF");
        } else {  // Open, changes dropped, then the file dialog cancelled: nothing changes
            HWND dialog = fileDialog(10000);
            ASSERT_NE(dialog, nullptr);
            qdriver::PressAndWait(*q, dialog, IDCANCEL);
        }
        EXPECT_EQ(q->Text(IDC_SAMPLE_ID), way == NEW && answer != IDCANCEL ? "" : sample);
        EXPECT_EQ(q->WaitBox(200).hwnd, nullptr);
    }
}

const char *const SERIES_CAPTION = "Quillon : Composition Series";

TEST_F(FilesEndToEnd, ExampleSeriesAgainstQuillonCli) {
    // examples/FORMULA.qsf (golden FORMULA-series.txt and .csv) and the values of x added when it has none.
    const struct {
        const char *formula, *values;
    } scenarios[] = {
        {"Sr1-xBaxTiO3", "0:1:0.1"},                // eleven titanates
        {"Li7-xLa3Zr2-xTaxO12", "0,0.25,0.5,0.75,1"},  // five LLZO members
    };
    std::string file;
    for (const auto &s : scenarios) {
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

    // Other values, kept with the entry by OK and saved.
    HWND series = OpenDialog(ID_OPTIONS_SERIES, SERIES_CAPTION);
    const std::string values = scenarios[1].values;  // shown, as checked above
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0,0.5");
    qdriver::PressAndWait(quillon, series, IDOK);
    quillon.Command(ID_FILE_NEW);
    ExpectSaveQuestion(IDYES);
    quillon.AnswerFileDialog(folder + "\\again");
    std::string expected = file;
    expected.replace(expected.find(values), values.size(), "0,0.5");
    EXPECT_EQ(ReadBytes(folder + "\\again.QSF"), expected);
    quillon.Fill(IDC_PRODUCT, "SrTiO3");  // a new entry is no series, nor saved as one
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\new");
    EXPECT_EQ(ReadBytes(folder + "\\new.QSF").find("series"), std::string::npos);
}

const int kPrintToFile = 0x410;  // chx1 of the print dialog
const char *const BALANCE_CAPTION = "Quillon : Balance and Operator";

using qdriver::PressAndWait;
using qdriver::SetText;

struct LabRecord : qdriver::Session {
    static void SetUpTestSuite() { printerName = InstallFilePrinter(); }
    static inline std::string printerName;
    // The print dialog (next to come) answered with "Print to file" and file; the PostScript as text
    // (the date made <date>).
    std::string PrintedText(const std::string &file) {
        HWND print = quillon.WaitWindow([](HWND window) { return ::GetDlgItem(window, kPrintToFile) != nullptr; });
        if (print == nullptr) return "no print dialog";
        ::SendMessageA(::GetDlgItem(print, kPrintToFile), BM_SETCHECK, BST_CHECKED, 0);
        PressAndWait(quillon, print, IDOK);
        quillon.AnswerFileDialog(file);
        std::string postScript;
        for (int tries = 0; tries < 250 && postScript.find("%%EOF") == std::string::npos; ++tries, ::Sleep(20))
            postScript = ReadBytes(file);
        const std::regex date("Date: \\| \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d");
        return std::regex_replace(PostScriptText(postScript), date, "Date: | <date>");
    }
};

// The prefix without any printer for a scope; the test printer put back after.
struct WithoutPrinters {
    WithoutPrinters() {
        HANDLE printer = nullptr;
        if (::OpenPrinterA(const_cast<char *>(kPrinterName), &printer, nullptr)) {
            ::DeletePrinter(printer);
            ::ClosePrinter(printer);
        }
    }
    ~WithoutPrinters() { LabRecord::printerName = InstallFilePrinter(); }
    static DWORD Count() {
        DWORD needed = 0, count = 0;
        ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        return needed;  // bytes the printers' records would take: 0 when there is none
    }
};

}  // namespace

// The print, preview and export of a sheet; then settings and the balance, written at exit and found
// at the next start.
TEST_F(LabRecord, PrintedPreviewedAndExportedSheetsAndSettingsFromRunToRun) {
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
    Enter("YBa2Cu3O7", "10", {{"Y2O3", "0.5"}, {"BaCO3", "2"}, {"CuO", "3"}}, "S-17, \"lab\"");
    PressAndWait(quillon, Calculate(false), IDOK);

    // Print (Ctrl+P, enabled now): the system's dialog with "Print to file", then the file's name.
    quillon.Key('P', qwintest::kControl);
    EXPECT_EQ(PrintedText(folder + "\\sheet.prn"), ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-printed.txt"));
    std::ofstream(qwintest::ArtifactPath("quillon-printed.ps"), std::ios::binary) << ReadBytes(folder + "\\sheet.prn");

    // Export CSV: proposed under the sample ID (without the quotes a file name cannot hold).
    EXPECT_EQ(quillon.FileCommand(ID_FILE_EXPORT_CSV, folder + "\\sheet"), "S-17, _lab_");
    EXPECT_EQ(ReadBytes(folder + "\\sheet.csv"), ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-sheet.csv"));

    // The preview, with the test printer and without any: an A4 page with dark text, larger in a larger
    // window. With the printer, Print prints it as File > Print does and closes the preview; without,
    // Print says how to keep the page, the preview stays, and Save as PNG writes the page at 150 dpi.
    for (bool printer : {true, false}) {
        SCOPED_TRACE(printer ? "with the printer" : "without a printer");
        std::unique_ptr<WithoutPrinters> none(printer ? nullptr : new WithoutPrinters);
        ASSERT_TRUE(printer || WithoutPrinters::Count() == 0) << "a printer is left in the prefix";
        HWND preview = OpenDialog(ID_FILE_PRINT_PREVIEW, "Quillon : Print Preview");
        ASSERT_NE(preview, nullptr);
        auto shown = [&] {  // the client area above the buttons, in the window's picture
            RECT window, button, client;
            ::GetWindowRect(preview, &window);
            ::GetWindowRect(::GetDlgItem(preview, IDCANCEL), &button);
            ::GetClientRect(preview, &client);
            ::MapWindowPoints(preview, nullptr, reinterpret_cast<POINT *>(&client), 2);
            const RECT area = {client.left - window.left, client.top - window.top, client.right - window.left,
                               button.top - window.top};
            return PageIn(quillon.Capture(preview), area);
        };
        ShownPage page = shown();
        EXPECT_GT(page.Width(), 100);
        EXPECT_NEAR(page.Ratio(), 297.0 / 210.0, 0.03);
        EXPECT_GT(page.darkTop, 20) << "no title";
        EXPECT_GT(page.dark, 400) << "no sheet";
        EXPECT_LT(page.dark, page.Width() * (page.bottom - page.top) / 5) << "dark paper";
        RECT r;
        ::GetWindowRect(preview, &r);
        ::SetWindowPos(preview, nullptr, 0, 0, (r.right - r.left) * 3 / 2, (r.bottom - r.top) * 3 / 2, SWP_NOMOVE | SWP_NOZORDER);
        ShownPage larger = shown();
        EXPECT_GT(larger.Width(), page.Width() * 5 / 4);
        EXPECT_GT(larger.dark, page.dark);
        quillon.Capture(preview).SaveBmp(qwintest::ArtifactPath(printer ? "quillon-preview.bmp" : "quillon-preview-a4.bmp"));

        if (printer) {
            PressAndWait(quillon, preview, IDC_PREVIEW_PRINT);
            EXPECT_EQ(PrintedText(folder + "\\preview.prn"), ReadBytes(QUILLON_GOLDEN "/YBa2Cu3O7-printed.txt"));
            for (int tries = 0; tries < 100 && ::IsWindow(preview); ++tries) ::Sleep(20);
            EXPECT_FALSE(::IsWindow(preview)) << "the preview stayed after printing";
            continue;
        }
        PressAndWait(quillon, preview, IDC_PREVIEW_PRINT);
        ExpectBox("No printer is installed. The page can be saved as a picture with Save as PNG...", BoxIcon::Asterisk);
        ASSERT_TRUE(::IsWindowVisible(preview));
        PressAndWait(quillon, preview, IDC_PREVIEW_PNG);
        EXPECT_EQ(quillon.AnswerFileDialog(folder + "\\page.png"), "S-17, _lab_");
        qwintest::Bitmap32 png = ReadStoredPng(ReadBytes(folder + "\\page.png"));
        EXPECT_TRUE(png.Width() == 1240 && png.Height() == 1754) << png.Width() << "x" << png.Height();  // A4, 150 dpi
        ShownPage saved = PageIn(png, RECT{0, 0, png.Width(), png.Height()});
        EXPECT_EQ(saved.Width(), png.Width()) << "not white to its edges";
        EXPECT_GT(saved.darkTop, larger.darkTop);
        EXPECT_GT(saved.dark, larger.dark);
        PressAndWait(quillon, preview, IDCANCEL);
        EXPECT_FALSE(::IsWindow(preview));
    }

    // Once the entry changes, its old sheet is neither printed nor exported.
    quillon.Fill(IDC_AMOUNT, "20");
    quillon.Command(ID_FILE_EXPORT_CSV);
    ExpectBox("The entry has changed since the last calculation.\nPress Calculate again, then print or export.",
              BoxIcon::Exclamation);

    // The differential and Auto-Ratio (above) switched off (the window's size: desk_test).
    quillon.Command(ID_OPTIONS_DIFFERENCE);
    ::PostMessageA(quillon.Main(), WM_COMMAND, ID_FILE_EXIT, 0);
    ExpectSaveQuestion(IDNO);
    ASSERT_EQ(quillon.WaitExit(), 0);

    const char *const key = "Software\\Hobnail\\Quillon\\Settings";
    for (const char *name :
         {"Show Differential", "Automatic Ratio Calculation", "Output To MS Word", "Retain Change After Calculation"}) {
        DWORD value = 0xDEAD, size = sizeof value;
        ::SHGetValueA(HKEY_CURRENT_USER, key, name, nullptr, &value, &size);
        EXPECT_EQ(value, 0u) << name;
    }
    char stored[MAX_PATH] = "", full[MAX_PATH] = "";
    DWORD size = sizeof stored;
    ::SHGetValueA(HKEY_CURRENT_USER, key, "Last Working Dir", nullptr, stored, &size);
    ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);  // the folder the program started in
    EXPECT_STRCASEEQ(stored, full);

    ASSERT_TRUE(quillon.Start(folder, true));
    quillon.Answer(quillon.WaitBox(), IDNO);  // the report file of the calculation kept (the question: main_dialog_test)
    ASSERT_NE(quillon.WaitReady(), nullptr);
    EXPECT_FALSE(qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)));
    balance = OpenDialog(ID_OPTIONS_BALANCE, BALANCE_CAPTION);
    for (const auto &field : {std::make_pair(IDC_OPERATOR, "A. Chemist"), std::make_pair(IDC_READABILITY, "0.001"),
                              std::make_pair(IDC_MINIMUM_WEIGHT, "2")})
        EXPECT_EQ(Quillon::TextOf(item(field.first)), field.second);
    PressAndWait(quillon, balance, IDCANCEL);
}
