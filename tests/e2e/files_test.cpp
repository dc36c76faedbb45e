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
    quillon.Command(ID_FILE_EXIT);
    EXPECT_EQ(quillon.WaitExit(), 0);
}

// Settings changed in one run, and the window made taller (more rows, the
// buttons kept at its bottom), are written at exit and found at the next start.
TEST_F(FilesEndToEnd, SettingsAndHeightLastFromRunToRun) {
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
    quillon.ClickCenter(quillon.Item(IDC_AUTO_RATIO));
    quillon.Command(ID_FILE_EXIT);
    ASSERT_EQ(quillon.WaitExit(), 0);

    for (const char *name : {"Show Differential", "Automatic Ratio Calculation", "Output To MS Word",
                             "Retain Change After Calculation"})
        EXPECT_EQ(qdriver::Setting(name), 0u) << name;
    char stored[MAX_PATH] = "";
    DWORD size = sizeof stored;
    ::SHGetValueA(HKEY_CURRENT_USER, "Software\\Hobnail\\Quillon\\Settings", "Last Working Dir", nullptr, stored, &size);
    char full[MAX_PATH] = "";
    ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);  // the folder the program started in
    EXPECT_STRCASEEQ(stored, full);

    Quillon again;
    ASSERT_TRUE(again.Start(folder, true));
    ASSERT_NE(again.WaitReady(), nullptr);
    EXPECT_FALSE(qdriver::Checked(again.Item(IDC_AUTO_RATIO)));
    EXPECT_EQ(Height(again.Main()), before.bottom - before.top + grow);
    EXPECT_EQ(Height(again.Item(IDC_LIST)), list.bottom - list.top + listGrows);
    again.Command(ID_FILE_EXIT);
    EXPECT_EQ(again.WaitExit(), 0);
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
            EXPECT_EQ(q.Settled("Untitled - Quillon"), "Untitled - Quillon");
            // A whole entry (a file without a starting material does not open).
            q.Fill(IDC_SAMPLE_ID, "S-5");
            q.Fill(IDC_PRODUCT, "BaO");
            q.EnterRow(0, "BaCO3");
            q.ClickCenter(q.Item(IDC_SAMPLE_ID));  // closes the open cell
            EXPECT_EQ(q.Settled("Untitled* - Quillon"), "Untitled* - Quillon");
            switch (way) {
            case ESCAPE:
                q.ClickCenter(q.Item(IDC_SAMPLE_ID));
                q.Key(VK_ESCAPE);
                break;
            case CLOSE_BOX: ::PostMessageA(q.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case EXIT: q.Command(ID_FILE_EXIT); break;
            case NEW: q.Key('N', qwintest::kControl); break;
            case OPEN: q.Key('O', qwintest::kControl); break;
            }
            qdriver::ExpectBox(q, "Save changes?", qwintest::BoxIcon::Question, answer);
            const bool saved = answer == IDYES;
            if (saved) q.AnswerFileDialog(place + "\\entry.QSF");
            EXPECT_EQ(ReadBytes(place + "\\entry.QSF").substr(0, 9), saved ? "-1 S-5\r\n0" : "");
            const bool closing = way == ESCAPE || way == CLOSE_BOX || way == EXIT;
            if (answer == IDCANCEL) {
                EXPECT_TRUE(q.Running());
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
                EXPECT_EQ(q.Settled("Untitled* - Quillon"), "Untitled* - Quillon");
                EXPECT_EQ(q.WaitWindow([](HWND w) { return qdriver::FileNameField(w) != nullptr; }, 300), nullptr);
            } else if (closing) {
                EXPECT_EQ(q.WaitExit(), 0);
                continue;
            } else if (way == NEW) {
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "");
                EXPECT_EQ(q.Settled("Untitled - Quillon"), "Untitled - Quillon");
            } else if (saved) {  // Open, after the save: the saved file opens again
                q.AnswerFileDialog(place + "\\entry.QSF");
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
                EXPECT_EQ(q.Settled("entry.QSF - Quillon"), "entry.QSF - Quillon");
            } else {  // Open, changes dropped, then the file dialog cancelled: nothing changes
                HWND dialog = q.WaitWindow([](HWND w) { return qdriver::FileNameField(w) != nullptr; });
                ASSERT_NE(dialog, nullptr);
                ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                q.Sync();
                EXPECT_EQ(q.Text(IDC_SAMPLE_ID), "S-5");
            }
            EXPECT_EQ(q.WaitBox(200).hwnd, nullptr);
        }
    }
}

}  // namespace
