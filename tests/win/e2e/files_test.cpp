// Calculation files and settings end to end: the real program and
// list, the system's Open and Save As dialogs, the registry between runs.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "../../../shell/resource.h"
#include "driver.h"

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
    const std::string saved = qdriver::ReadFile(folder + "\\entry.QSF");
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
    EXPECT_EQ(qdriver::ReadFile(folder + "\\entry.QSF"), saved);
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    Command(quillon, ID_FILE_EXIT);
    EXPECT_EQ(quillon.WaitExit(), 0);
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

}  // namespace
