// Calculation files and settings end to end: the real program and
// list, the system's Open and Save As dialogs, the registry between runs.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Box;
using qdriver::Quillon;

namespace {

// The program's Open or Save As dialog: a window with a file name field.
HWND NameField(HWND dialog) {
    HWND name = ::GetDlgItem(dialog, 0x47C);
    return name != nullptr ? name : ::GetDlgItem(dialog, 0x480);
}

// Types path into the program's Open or Save As dialog and presses its button;
// the name the dialog proposed first, when given, is checked.
void AnswerFileDialog(Quillon &quillon, const std::string &path, const char *proposed = nullptr) {
    HWND dialog = quillon.WaitWindow([](HWND window) { return NameField(window) != nullptr; });
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    HWND name = NameField(dialog);
    if (proposed != nullptr) {
        EXPECT_EQ(Quillon::TextOf(name), proposed);
    }
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000, &result);
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    for (int tries = 0; tries < 250 && ::IsWindow(dialog); ++tries) ::Sleep(20);
    quillon.Sync();
}

void Command(Quillon &quillon, UINT id) {
    ::PostMessageA(quillon.Main(), WM_COMMAND, id, 0);
    quillon.Sync();
}

using FilesEndToEnd = qdriver::Session;

// Typed in, saved, cleared, opened: the same fields and rows, and the same bytes when saved again.
TEST_F(FilesEndToEnd, ASavedEntryReopensIdentically) {
    quillon.Fill(IDC_SAMPLE_ID, "S-17 batch 2");
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "123.456");
    quillon.EnterRow(1, "Y2O3", "0.5", true);
    quillon.EnterRow(4, "CuO");
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));  // closes the open cell

    Command(quillon, ID_FILE_SAVE);
    AnswerFileDialog(quillon, folder + "\\entry", "YBa2Cu3O7");  // the product is the proposed name
    const std::string saved = ReadBytes(folder + "\\entry.QSF");
    EXPECT_EQ(saved, "-1 S-17 batch 2\r\n0 123.45600 1.00000 YBa2Cu3O7\r\n2 1 0.50000 Y2O3\r\n5 0 1.00000 CuO\r\n");

    Command(quillon, ID_FILE_NEW);
    EXPECT_EQ(quillon.ReadRow(1).formula, "");
    Command(quillon, ID_FILE_OPEN);
    AnswerFileDialog(quillon, folder + "\\entry.QSF");
    EXPECT_EQ(quillon.Text(IDC_SAMPLE_ID), "S-17 batch 2");
    EXPECT_EQ(quillon.Text(IDC_PRODUCT), "YBa2Cu3O7");
    EXPECT_EQ(quillon.Text(IDC_AMOUNT), "123.456");
    Quillon::Row row = quillon.ReadRow(1);
    EXPECT_EQ(row.formula, "Y2O3");
    EXPECT_EQ(row.fixed, 1);
    EXPECT_EQ(row.ratio, 0.5);
    EXPECT_EQ(quillon.ReadRow(4).formula, "CuO");
    EXPECT_EQ(quillon.ReadRow(0).formula, "");
    EXPECT_EQ(quillon.Focus(), quillon.Item(IDC_SAMPLE_ID));

    Command(quillon, ID_FILE_SAVE);
    AnswerFileDialog(quillon, folder + "\\entry.QSF");
    Box replace = quillon.WaitBox();  // the file exists: the dialog asks first
    ASSERT_NE(replace.hwnd, nullptr);
    quillon.Answer(replace, IDYES);
    quillon.Sync();
    EXPECT_EQ(ReadBytes(folder + "\\entry.QSF"), saved);
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    Command(quillon, ID_FILE_EXIT);
    EXPECT_EQ(quillon.WaitExit(), 0);
}

// The values of x a file brings are saved with the entry again; a new entry has none.
TEST_F(FilesEndToEnd, TheValuesOfASeriesAreKept) {
    const std::string file = "-1 SBT\r\n0 5.00000 1.00000 SrTiO3\r\n1 0 1.00000 SrCO3\r\nseries 0:1:0.1\r\n";
    std::ofstream(folder + "\\series.QSF", std::ios::binary) << file;
    Command(quillon, ID_FILE_OPEN);
    AnswerFileDialog(quillon, folder + "\\series.QSF");
    Command(quillon, ID_FILE_SAVE);
    AnswerFileDialog(quillon, folder + "\\again");
    EXPECT_EQ(ReadBytes(folder + "\\again.QSF"), file);
    Command(quillon, ID_FILE_NEW);
    quillon.Fill(IDC_PRODUCT, "SrTiO3");
    Command(quillon, ID_FILE_SAVE);
    AnswerFileDialog(quillon, folder + "\\new");
    EXPECT_EQ(ReadBytes(folder + "\\new.QSF").find("series"), std::string::npos);
}

DWORD Setting(const char *name) {
    DWORD value = 0xDEAD, size = sizeof value;
    ::SHGetValueA(HKEY_CURRENT_USER, "Software\\Hobnail\\Quillon\\Settings", name, nullptr, &value, &size);
    return value;
}

// Settings changed in one run are written at exit and read at the next start.
TEST_F(FilesEndToEnd, SettingsLastFromRunToRun) {
    Command(quillon, ID_OPTIONS_DIFFERENCE);
    quillon.ClickCenter(quillon.Item(IDC_AUTO_RATIO));
    quillon.Sync();
    Command(quillon, ID_FILE_EXIT);
    ASSERT_EQ(quillon.WaitExit(), 0);

    EXPECT_EQ(Setting("Show Differential"), 0u);
    EXPECT_EQ(Setting("Automatic Ratio Calculation"), 0u);
    EXPECT_EQ(Setting("Output To MS Word"), 0u);
    EXPECT_EQ(Setting("Retain Change After Calculation"), 0u);
    char stored[MAX_PATH] = "";
    DWORD size = sizeof stored;
    ::SHGetValueA(HKEY_CURRENT_USER, "Software\\Hobnail\\Quillon\\Settings", "Last Working Dir", nullptr, stored, &size);
    char full[MAX_PATH] = "";
    ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);  // the folder the program started in
    EXPECT_STRCASEEQ(stored, full);

    Quillon again;
    ASSERT_TRUE(again.Start(folder, true));
    ASSERT_NE(again.WaitReady(), nullptr);
    EXPECT_EQ(::SendMessageA(again.Item(IDC_AUTO_RATIO), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Command(again, ID_FILE_EXIT);
    EXPECT_EQ(again.WaitExit(), 0);
}

// Formulas longer than their fields survive a save and an open whole, in the
// product field and in a list cell, and stay whole when the cell is opened.
TEST_F(FilesEndToEnd, LongFormulasSurviveSavingAndOpening) {
    std::string product, material;
    while (product.size() < 48) product += "H2O";
    while (material.size() < 60) material += "La0.6Sr0.4CoO3";
    material.resize(60);
    quillon.Fill(IDC_PRODUCT, product);
    quillon.EnterRow(0, material);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    Command(quillon, ID_FILE_SAVE);
    AnswerFileDialog(quillon, folder + "\\long");
    Command(quillon, ID_FILE_NEW);
    Command(quillon, ID_FILE_OPEN);
    AnswerFileDialog(quillon, folder + "\\long.QSF");
    EXPECT_EQ(quillon.Text(IDC_PRODUCT), product);
    EXPECT_EQ(quillon.ReadRow(0).formula, material);
    qdriver::ListColumns columns = qdriver::ColumnsOf(quillon);
    quillon.Click(quillon.Item(IDC_LIST), (columns.formulaLeft + columns.ratioLeft) / 2, columns.rowHeight / 2);
    quillon.Key(VK_RIGHT);  // the cell opens with all selected: to its end
    quillon.Type("2");
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    EXPECT_EQ(quillon.ReadRow(0).formula, material + "2") << "opened in its cell and edited at the end";
}

// The title once the program has refreshed it (it follows the entry within a quarter second).
std::string TitleSettled(Quillon &quillon, const std::string &expected) {
    std::string title;
    for (int tries = 0; tries < 50; ++tries) {
        title = Quillon::TextOf(quillon.Main());
        if (title == expected) break;
        ::Sleep(20);
    }
    return title;
}

// Every way an entry can be dropped asks first when it has changed: Yes
// saves through the usual dialog, No drops it, Cancel keeps everything.
TEST_F(FilesEndToEnd, AChangedEntryIsNotDroppedWithoutAQuestion) {
    enum Way { ESCAPE, CLOSE_BOX, EXIT, NEW, OPEN };
    const char *names[] = {"Escape", "close box", "Exit", "Ctrl+N", "Ctrl+O"};
    for (Way way : {ESCAPE, CLOSE_BOX, EXIT, NEW, OPEN}) {
        for (int answer : {IDYES, IDNO, IDCANCEL}) {
            SCOPED_TRACE(std::string(names[way]) + (answer == IDYES ? " Yes" : answer == IDNO ? " No" : " Cancel"));
            std::string place = qdriver::MakeFolder("question");
            Quillon q;
            ASSERT_TRUE(q.Start(place));
            ASSERT_NE(q.WaitReady(), nullptr);
            EXPECT_EQ(TitleSettled(q, "Untitled - Quillon"), "Untitled - Quillon");
            q.Fill(IDC_SAMPLE_ID, "S-5");
            EXPECT_EQ(TitleSettled(q, "Untitled* - Quillon"), "Untitled* - Quillon");
            switch (way) {
            case ESCAPE:
                q.ClickCenter(q.Item(IDC_SAMPLE_ID));
                q.Key(VK_ESCAPE);
                break;
            case CLOSE_BOX: ::PostMessageA(q.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case EXIT: Command(q, ID_FILE_EXIT); break;
            case NEW: q.Key('N', qwintest::kControl); break;
            case OPEN: q.Key('O', qwintest::kControl); break;
            }
            Box box = q.WaitBox();
            ASSERT_NE(box.hwnd, nullptr) << "no question";
            EXPECT_EQ(box.text, "Save changes?");
            EXPECT_EQ(box.icon, qwintest::BoxIcon::Question);
            q.Answer(box, answer);
            if (answer == IDYES) AnswerFileDialog(q, place + "\\entry.QSF");
            const bool saved = answer == IDYES;
            EXPECT_EQ(qdriver::FilesIn(place, "entry.QSF").size(), saved ? 1u : 0u);
            if (saved) {
                EXPECT_EQ(ReadBytes(place + "\\entry.QSF").substr(0, 9), "-1 S-5\r\n0");
            }
            const bool closing = way == ESCAPE || way == CLOSE_BOX || way == EXIT;
            if (answer == IDCANCEL) {
                EXPECT_TRUE(q.Running());
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
                EXPECT_EQ(TitleSettled(q, "Untitled* - Quillon"), "Untitled* - Quillon");
                EXPECT_EQ(q.WaitWindow([](HWND w) { return NameField(w) != nullptr; }, 300), nullptr);
            } else if (closing) {
                EXPECT_EQ(q.WaitExit(), 0);
                continue;
            } else if (way == NEW) {
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "");
                EXPECT_EQ(TitleSettled(q, "Untitled - Quillon"), "Untitled - Quillon");
            } else if (saved) {  // Open, after the save: the saved file opens again
                AnswerFileDialog(q, place + "\\entry.QSF");
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
                EXPECT_EQ(TitleSettled(q, "entry.QSF - Quillon"), "entry.QSF - Quillon");
            } else {  // Open, changes dropped, then the file dialog cancelled: nothing changes
                HWND dialog = q.WaitWindow([](HWND w) { return NameField(w) != nullptr; });
                ASSERT_NE(dialog, nullptr);
                ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                q.Sync();
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
            }
            EXPECT_EQ(q.WaitBox(200).hwnd, nullptr);
        }
    }
}

// An unchanged entry closes at once; a file that cannot be read, or an
// empty one, leaves the entry exactly as it was.
TEST_F(FilesEndToEnd, AFileThatDoesNotReadLeavesTheEntry) {
    quillon.Fill(IDC_SAMPLE_ID, "S-9");
    quillon.Fill(IDC_PRODUCT, "BaTiO3");
    quillon.EnterRow(0, "BaCO3", "1");
    quillon.EnterRow(1, "TiO2");
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    quillon.Key('S', qwintest::kControl);
    AnswerFileDialog(quillon, folder + "\\good.QSF", "BaTiO3");
    EXPECT_EQ(TitleSettled(quillon, "good.QSF - Quillon"), "good.QSF - Quillon");
    const struct {
        const char *name, *bytes, *message;
    } files[] = {
        {"bad.QSF", "-1 other\r\n0 5.00000 1.00000 SrTiO3\r\n3 0 1.00000 SrCO3\r\n4 0 1.00000 Xx9\r\n",
         "Failed to load a file.\nLine 4 cannot be read."},
        {"empty.QSF", "", "Failed to load a file.\nThe file holds no entry."},
        {"series.QSF", "-1 SBT\r\n0 5 1 Sr1-xBaxTiO3\r\n1 0 1 SrCO3\r\nseries 0:1:0.1\r\n",
         "Failed to load a file.\nLine 2 holds a composition series (a formula with x): quillon-cli series calculates it."},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        std::ofstream(folder + "\\" + file.name, std::ios::binary) << file.bytes;
        quillon.Key('O', qwintest::kControl);  // unchanged since saved: no question
        AnswerFileDialog(quillon, folder + "\\" + file.name);
        Box box = quillon.WaitBox();
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_EQ(box.text, file.message);
        quillon.Answer(box);
        EXPECT_EQ(quillon.Text(IDC_SAMPLE_ID), "S-9");
        EXPECT_EQ(quillon.Text(IDC_PRODUCT), "BaTiO3");
        EXPECT_EQ(quillon.Text(IDC_AMOUNT), "1");
        EXPECT_EQ(quillon.ReadRow(0).formula, "BaCO3");
        EXPECT_EQ(quillon.ReadRow(1).formula, "TiO2");
        EXPECT_EQ(quillon.ReadRow(2).formula, "");
        EXPECT_EQ(TitleSettled(quillon, "good.QSF - Quillon"), "good.QSF - Quillon");
    }
    quillon.Key(VK_ESCAPE);
    EXPECT_EQ(quillon.WaitExit(), 0);
}

// Made taller, the window shows more rows and keeps the buttons at its
// bottom; the next start has the same height.
TEST_F(FilesEndToEnd, TheWindowGrowsTallerAndKeepsItsHeight) {
    auto Rect = [](HWND window) {
        RECT r;
        ::GetWindowRect(window, &r);
        return r;
    };
    RECT before = Rect(quillon.Main()), list = Rect(quillon.Item(IDC_LIST)), calc = Rect(quillon.Item(IDC_CALCULATE));
    const int grow = 200;
    ::SetWindowPos(quillon.Main(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top + grow,
                   SWP_NOMOVE | SWP_NOZORDER);
    quillon.Sync();
    RECT after = Rect(quillon.Main()), list2 = Rect(quillon.Item(IDC_LIST)), calc2 = Rect(quillon.Item(IDC_CALCULATE));
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + grow);
    const int rowHeight = qdriver::ColumnsOf(quillon).rowHeight;
    const int listGrows = grow / rowHeight * rowHeight;  // whole rows
    EXPECT_GE(listGrows / rowHeight, 5);
    EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + listGrows);
    EXPECT_EQ(list2.top, list.top);
    EXPECT_EQ(calc2.top - after.top, calc.top - before.top + grow);
    EXPECT_EQ(calc2.left - after.left, calc.left - before.left);
    quillon.Capture(quillon.Main()).SavePng(qwintest::ArtifactPath("quillon-main-taller.png"));
    Command(quillon, ID_FILE_EXIT);
    ASSERT_EQ(quillon.WaitExit(), 0);

    Quillon again;
    ASSERT_TRUE(again.Start(folder, true));
    ASSERT_NE(again.WaitReady(), nullptr);
    RECT reopened = Rect(again.Main());
    EXPECT_EQ(reopened.bottom - reopened.top, before.bottom - before.top + grow);
    EXPECT_EQ(Rect(again.Item(IDC_LIST)).bottom - Rect(again.Item(IDC_LIST)).top, list.bottom - list.top + listGrows);
    again.Key(VK_ESCAPE);
    EXPECT_EQ(again.WaitExit(), 0);
}

}  // namespace
