// The main dialog's calculation files, settings, menu, help and Word output,
// driven as the chemist drives them: menu commands, the real file dialogs,
// message boxes answered by the watcher. Each test runs the dialog modally
// and acts from inside its loop (a timer), then leaves with File, Exit.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/elements.h"
#include "tests/support/testbed/maindialog.h"
#include "tests/support/wordstandin/registration.h"
#include "version.h"

namespace {

using namespace testbed;

// ---------------------------------------------------------------------------
// Calculation files

// Files as people write them load; a file with a bad line (here a formula
// the program's own check refuses, a second line for one row, a line that
// does not end), or without any line, is refused with the reason and leaves
// the entry exactly as it was (which lines read: calcfile_test).
TEST_F(DialogTest, OpenIsAllOrNothing) {
    const struct {
        std::string bytes;
        bool loads;
        const char *message;  // the refusal names the line and why, or says the file is empty
    } cases[] = {
        {"\n  -1   \n\n0 10.00000 1.00000 BaTiO3  \n 2 0 1.00000 BaCO3\n\t5 1 1.00000 TiO2\n", true, ""},
        {"-1 x\r\n0 1 1 BaTiO3\r\n1 0 1.00000 BaCO3\r\n2 0 1.00000 Xx9\r\n", false,
         "Failed to load a file.\nLine 4 cannot be read. Xx9 is not a valid formula."},
        {"0 1 1 BaTiO3\r\n1 0 1 BaCO3\r\n1 0 1 TiO2\r\n", false,
         "Failed to load a file.\nLine 3 cannot be read. A second line for row 1 (the first is line 2)."},
        {"-1 " + std::string(size_t(1) << 20, 'A'), false, "Failed to load a file.\nLine 1 cannot be read. The line is longer than 1 MiB."},
        {"", false, "Failed to load a file.\nThe file holds no entry. The file is empty."},
    };
    std::string path = TempFolder() + "loose.QSF";
    Run([&](CQuillonDlg &dialog) {
        for (const auto &c : cases) {
            Put(path, c.bytes);
            CString filler("H2O");
            double ratio = 0.25;
            dialog.GetDlgItem(IDC_LIST)->SendMessage(LDM_SETFORMULA, 29, reinterpret_cast<LPARAM>(&filler));
            dialog.GetDlgItem(IDC_LIST)->SendMessage(LDM_SETRATIO, 29, reinterpret_cast<LPARAM>(&ratio));
            SetText(dialog, IDC_SAMPLE_ID, "before");
            SetText(dialog, IDC_AMOUNT, "7");
            qwintest::MessageBoxWatcher boxes(IDNO);  // the entry changed: not saved
            {
                qwintest::FileDialogDriver driver(path);
                dialog.SendMessage(WM_COMMAND, ID_FILE_OPEN);
            }
            ASSERT_LE(1u, boxes.Count()) << c.bytes;
            EXPECT_EQ("Save changes?", boxes[0].text);
            LedraRowStore &rows = StandInRows();
            if (c.loads) {
                EXPECT_EQ(1u, boxes.Count()) << c.bytes;
                EXPECT_EQ("", Text(dialog, IDC_SAMPLE_ID));
                EXPECT_EQ("10", Text(dialog, IDC_AMOUNT));
                EXPECT_TRUE(rows.formula(29)->IsEmpty());
                EXPECT_EQ("BaCO3", std::string(*rows.formula(1)));
                EXPECT_EQ("TiO2", std::string(*rows.formula(4)));
                EXPECT_EQ(1, rows.row(4)->fixed);
                continue;
            }
            ASSERT_EQ(2u, boxes.Count()) << c.bytes;
            EXPECT_EQ(c.message, boxes[1].text);
            EXPECT_EQ("Quillon : File I/O Error", boxes[1].caption);
            EXPECT_EQ(qwintest::BoxIcon::Exclamation, boxes[1].icon);
            EXPECT_EQ("before", Text(dialog, IDC_SAMPLE_ID)) << c.bytes;
            EXPECT_EQ("7", Text(dialog, IDC_AMOUNT)) << c.bytes;
            EXPECT_EQ("H2O", std::string(*rows.formula(29))) << c.bytes;
            EXPECT_EQ(0.25, *rows.ratio(29)) << c.bytes;
            EXPECT_EQ("BaCO3", std::string(*rows.formula(1))) << c.bytes;  // from the file loaded first
        }
    });
}

// A save that cannot replace the file (held open without sharing, as another
// program might; or a full disk: run by full_disk.sh on the tiny filesystem it
// mounts, QUILLON_TINY_DISK), or that reads a bad amount, says so and keeps
// the old file whole, with no partial file left beside it.
TEST_F(DialogTest, AFailedSaveKeepsTheOldFile) {
    const char *tiny = std::getenv("QUILLON_TINY_DISK");
    const std::string folder = tiny != nullptr ? std::string(tiny) + "\\" : TempFolder(), path = folder + "kept.QSF";
    DeleteFiles(folder, "*.tmp");  // left by an earlier run that failed
    const std::string old = "-1 old\r\n0 1.00000 1.00000 H2O\r\n";
    Put(path, old);
    HANDLE held = nullptr;
    if (tiny != nullptr) {  // filled to the last byte
        FILE *filler = std::fopen((folder + "filler").c_str(), "wb");
        ASSERT_NE(nullptr, filler);
        std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
        }
        std::fclose(filler);
    } else {
        held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }
    Run([&](CQuillonDlg &dialog) {
        SetText(dialog, IDC_PRODUCT, "H2O");
        for (const char *amount : {"5", "abc"}) {
            if (std::string(amount) == "abc" && held != nullptr) {
                ::CloseHandle(held);
                held = nullptr;
            }
            SetText(dialog, IDC_AMOUNT, amount);
            qwintest::MessageBoxWatcher boxes(IDYES);
            {
                qwintest::FileDialogDriver driver(path);
                dialog.SendMessage(WM_COMMAND, ID_FILE_SAVE);
            }
            ASSERT_LE(1u, boxes.Count()) << amount;
            const qwintest::ObservedBox &last = boxes[boxes.Count() - 1];
            EXPECT_EQ("Failed to save to a file.", last.text) << amount;
            EXPECT_EQ("Quillon : File I/O Error", last.caption);
            EXPECT_EQ(qwintest::BoxIcon::Exclamation, last.icon);
        }
    });
    EXPECT_EQ(old, ReadBytes(path));
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
}

// ---------------------------------------------------------------------------
// Settings (first-run defaults and values that last from run to run are
// tested end to end, tests/e2e/files_test.cpp)

UINT ItemState(HMENU menu, UINT id) { return ::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED); }

// Stored values are read at start and marked in the menus, and the ones the
// dialog changed written back as it keeps them. A wrong amount being edited
// is reported when the menu opens, before any command.
TEST_F(DialogTest, StoredSettingsAreReadMarkedAndWrittenBack) {
    char current[MAX_PATH];
    ::GetCurrentDirectoryA(sizeof current, current);
    std::string folder = TempFolder();
    folder.pop_back();  // without the trailing backslash, as the current directory reads
    SetSettingInt("Output To MS Word", 1);
    SetSettingInt("Automatic Ratio Calculation", 2);
    SetSettingInt("Retain Change After Calculation", 5);
    SetSettingInt("Show Differential", 0);
    SetSettingInt("Show mmol", 1);
    ::SHSetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), "Last Working Dir", REG_SZ, folder.c_str(),
                  DWORD(folder.size() + 1));
    Run([&](CQuillonDlg &dialog) {
        EXPECT_EQ(BST_UNCHECKED, dialog.IsDlgButtonChecked(IDC_AUTO_RATIO));
        EXPECT_TRUE(dialog.RetainsSelection());
        char now[MAX_PATH];
        ::GetCurrentDirectoryA(sizeof now, now);
        EXPECT_STRCASEEQ(folder.c_str(), now);
        HMENU menu = ::GetMenu(dialog.m_hWnd);
        ASSERT_NE(nullptr, menu);
        const struct { UINT id, before, after; } marks[] = {
            {ID_OUTPUT_WORD, MF_GRAYED, MF_GRAYED},  // stored 1, but Word is not there
            {ID_OUTPUT_DEFAULT, MF_GRAYED | MF_CHECKED, MF_GRAYED | MF_CHECKED},
            {ID_OPTIONS_DIFFERENCE, 0, MF_CHECKED}, {ID_OPTIONS_MMOL, MF_CHECKED, 0}, {ID_OPTIONS_GASES, 0, MF_CHECKED},
        };
        for (bool toggled : {false, true}) {
            if (toggled)
                for (UINT id : {ID_OPTIONS_DIFFERENCE, ID_OPTIONS_MMOL, ID_OPTIONS_GASES}) dialog.SendMessage(WM_COMMAND, id);
            dialog.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
            for (const auto &m : marks) EXPECT_EQ(toggled ? m.after : m.before, ItemState(menu, m.id)) << m.id;
        }
        dialog.GetDlgItem(IDC_AMOUNT)->SetFocus();
        SetText(dialog, IDC_AMOUNT, "abc");
        qwintest::MessageBoxWatcher boxes;
        dialog.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("Wrong value for amount!", boxes[0].text);
        SetText(dialog, IDC_AMOUNT, "1");
    });
    ::SetCurrentDirectoryA(current);
    EXPECT_EQ(0u, SettingInt("Output To MS Word"));
    EXPECT_EQ(0u, SettingInt("Automatic Ratio Calculation"));  // 2 is written back as 0
    EXPECT_EQ(1u, SettingInt("Retain Change After Calculation"));
    EXPECT_EQ(1u, SettingInt("Show Differential"));
    EXPECT_EQ(0u, SettingInt("Show mmol"));
    EXPECT_EQ(1u, SettingInt("Show Released Gases"));
}

// ---------------------------------------------------------------------------
// Closing, About

TEST_F(DialogTest, ExitAndCloseMarkTheApplicationClosingEscapeDoesNot) {
    const struct {
        UINT message;
        WPARAM wParam;
        int closing;
    } cases[] = {{WM_COMMAND, ID_FILE_EXIT, 1}, {WM_SYSCOMMAND, SC_CLOSE, 1}, {WM_COMMAND, IDCANCEL, 0}};
    for (const auto &c : cases) {
        INT_PTR result = Run([&](CQuillonDlg &dialog) { dialog.PostMessage(c.message, c.wParam); }, false);
        EXPECT_EQ(IDCANCEL, result) << c.wParam;  // the dialog ended by itself
        EXPECT_EQ(c.closing != 0, lastClosing) << c.wParam;
    }
}

// (Help is opened end to end, tests/e2e/help_test.cpp.)
TEST_F(DialogTest, AboutShowsNameAndVersion) {
    Run([](CQuillonDlg &dialog) {
        UINT_PTR timer = PressOkWhenShown("About Quillon");
        dialog.SendMessage(WM_COMMAND, ID_HELP_ABOUT);
        ::KillTimer(nullptr, timer);
        EXPECT_TRUE(g_pressed);
        EXPECT_NE(std::string::npos, g_pressedTexts.find("|" QUILLON_VERSION_LINE "|")) << g_pressedTexts;
        EXPECT_NE(std::string::npos, g_pressedTexts.find("|OK|")) << g_pressedTexts;
    });
}

// ---------------------------------------------------------------------------
// Word output

TEST_F(DialogTest, CalculateTypesIntoWordAndFallsBackWhenItCannotStart) {
    {
        StandInServer word;
        ASSERT_TRUE(word.ok());
        Run([&](CQuillonDlg &dialog) {
            EXPECT_TRUE(dialog.WordAvailable());
            EXPECT_TRUE(dialog.OutputToWord());  // first run: Word when it is there
            EnterWater(dialog, "first");
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CALCULATE, BN_CLICKED));
            EnterWater(dialog, "second");
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CALCULATE, BN_CLICKED));
        });
        std::string text = word.DocumentText("Document1") ? word.DocumentText("Document1") : "";
        EXPECT_EQ(0u, text.find("ID: first\nH_{2}O  (10 grams)    + None\n")) << text;
        EXPECT_NE(std::string::npos, text.find("\nO_{2}  (31.998)")) << text;  // the oxygen of ATOMS.LST
        EXPECT_NE(std::string::npos, text.find("\n\n\n\nID: second\nH_{2}O")) << text;
        EXPECT_EQ(nullptr, word.DocumentText("Document2"));
    }
    {
        StandInServer broken("C:\\nowhere\\missing-server.dll");
        Run([&](CQuillonDlg &dialog) {
            EXPECT_TRUE(dialog.OutputToWord());
            EnterWater(dialog, "fallback");
            UINT_PTR timer = PressOkWhenShown("Quillon : Default Output Display");
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CALCULATE, BN_CLICKED));
            ::KillTimer(nullptr, timer);
            EXPECT_TRUE(g_pressed) << "no report display";
            EXPECT_FALSE(dialog.OutputToWord());
            HMENU menu = ::GetMenu(dialog.m_hWnd);
            dialog.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
            EXPECT_EQ(UINT(MF_CHECKED), ItemState(menu, ID_OUTPUT_DEFAULT));
            EXPECT_EQ(0u, ItemState(menu, ID_OUTPUT_WORD));
        });
        EXPECT_EQ(0u, SettingInt("Output To MS Word"));
    }
}

// A failure half-way is reported over the main dialog; what was typed stays.
TEST_F(DialogTest, AWordFailureHalfWayIsReported) {
    StandInServer word;
    ASSERT_TRUE(word.ok());
    qwintest::MessageBoxWatcher boxes;
    Run([&](CQuillonDlg &dialog) {
        EnterWater(dialog, "S-1");
        word.FailAt("Selection.TypeText", 3);  // the "2" of H2O
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CALCULATE, BN_CLICKED));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(dialog.m_hWnd, boxes[0].owner);
        EXPECT_TRUE(dialog.OutputToWord());
    });
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Output to MS Word failed!", boxes[0].text);
    EXPECT_EQ("Quillon I/O Error", boxes[0].caption);
    EXPECT_EQ(qwintest::BoxIcon::Hand, boxes[0].icon);
    EXPECT_STREQ("ID: S-1\nH", word.DocumentText("Document1"));
}

// ---------------------------------------------------------------------------
// Purity, excess and scaling

// Wrong numbers are refused naming the field, which gets the focus back; the
// material being edited stays chosen. Right ones are kept by OK for the row
// and formula they were given for, mark the entry changed, and go with New.
TEST_F(DialogTest, WeighingDialogRefusesWrongNumbersAndKeepsRightOnes) {
    const char *const purity = "Wrong value for purity!\nA purity is a percentage above 0 and at most 100.";
    const char *const excess = "Wrong value for excess!\nAn excess is a percentage of 0 or more, below 1000.";
    const char *const massHint = "\nA mass is a number of grams above 0.";
    const std::string fine = " (the sheet shows 5 decimals).";
    const struct {
        int scale;  // the scale button pressed first
        int field;
        std::string text;
        std::string message;
    } refused[] = {
        {IDC_SCALE_PRODUCT, IDC_PURITY, "0", purity},
        {IDC_SCALE_PRODUCT, IDC_PURITY, "50" + std::string(100, ' ') + "x", purity},  // read whole
        {IDC_SCALE_PRODUCT, IDC_PURITY, "1e-300", "Wrong value for purity!\nA purity must be at least 0.00001 %" + fine},
        {IDC_SCALE_PRODUCT, IDC_EXCESS, "999.9999999999999",
         "Wrong value for excess!\nAn excess must be 0, or from 0.00001 to 999.99999 %" + fine},
        {IDC_SCALE_PRODUCT, IDC_PURITY, "100.001", purity},
        {IDC_SCALE_PRODUCT, IDC_PURITY, "99,5", std::string(purity) + "\nUse a point for decimals: 1.5."},
        {IDC_SCALE_PRODUCT, IDC_EXCESS, "-0.1", excess},
        {IDC_SCALE_PRODUCT, IDC_EXCESS, "1000", excess},
        {IDC_SCALE_MATERIAL, IDC_SCALE_MATERIAL_GRAMS, "0", std::string("Wrong value for the starting material's mass!") + massHint},
        {IDC_SCALE_TOTAL, IDC_SCALE_TOTAL_GRAMS, "", std::string("Wrong value for the total mass!") + massHint},
        {IDC_SCALE_TOTAL, IDC_SCALE_TOTAL_GRAMS, "1e-200", "Wrong value for the total mass!\nA mass must be at least 0.00001 g" + fine},
    };
    Run([&](CQuillonDlg &dialog) {
        EnterWater(dialog, "S-2");
        ::DeleteFileA((TempFolder() + "weighed.QSF").c_str());
        {
            qwintest::FileDialogDriver driver(TempFolder() + "weighed.QSF");
            dialog.SendMessage(WM_COMMAND, ID_FILE_SAVE);
        }
        EXPECT_FALSE(Marked(dialog));
        Weigh(dialog, [&](HWND weighing) {
            EXPECT_EQ("1\tH2\t1\t100\t0", ListLine(weighing, 0));
            EXPECT_EQ("2\tO2\t0.5\t100\t0", ListLine(weighing, 1));
            for (const auto &c : refused) {
                Press(weighing, c.scale);
                ::SetDlgItemTextA(weighing, IDC_PURITY, "100");
                ::SetDlgItemTextA(weighing, IDC_EXCESS, "0");
                ::SetDlgItemTextA(weighing, c.field, c.text.c_str());
                qwintest::MessageBoxWatcher boxes;
                Press(weighing, IDOK);
                ASSERT_EQ(1u, boxes.Count()) << c.text;
                EXPECT_EQ(c.message, boxes[0].text);
                EXPECT_EQ("Quillon", boxes[0].caption);
                EXPECT_EQ(qwintest::BoxIcon::Hand, boxes[0].icon);
                EXPECT_EQ(::GetDlgItem(weighing, c.field), ::GetFocus()) << c.text;
                EXPECT_TRUE(::IsWindow(weighing)) << "the dialog stays open";
            }
            // A wrong purity keeps its material chosen when another is clicked.
            ::SetDlgItemTextA(weighing, IDC_PURITY, "-5");
            {
                qwintest::MessageBoxWatcher boxes;
                ChooseLine(weighing, 1);
                EXPECT_EQ(1u, boxes.Count());
            }
            EXPECT_EQ(0, ::SendDlgItemMessageA(weighing, IDC_WEIGHING_LIST, LB_GETCURSEL, 0, 0));
            ::SetDlgItemTextA(weighing, IDC_PURITY, "99.5");
            ::SetDlgItemTextA(weighing, IDC_EXCESS, "3");
            ChooseLine(weighing, 1);
            EXPECT_EQ("1\tH2\t1\t99.5\t3", ListLine(weighing, 0));
            EXPECT_EQ("100", Text(weighing, IDC_PURITY)) << "O2's own values";
            EXPECT_EQ("0", Text(weighing, IDC_EXCESS)) << "O2's own values";
            EXPECT_EQ("1\tH2\t1\t99.5\t3", ListLine(weighing, 0)) << "H2 keeps its values";
            ::SetDlgItemTextA(weighing, IDC_EXCESS, " 5.0000001 ");  // shown again exactly, never rounded
            Press(weighing, IDC_SCALE_MATERIAL);
            ::SendDlgItemMessageA(weighing, IDC_SCALE_ROW, CB_SETCURSEL, 1, 0);
            ::SetDlgItemTextA(weighing, IDC_SCALE_MATERIAL_GRAMS, "8");
            Press(weighing, IDOK);
        });
        BatchSettings kept = dialog.BatchValues();
        EXPECT_EQ("H2", std::string(kept.rows[0].formula));
        EXPECT_EQ(99.5, kept.rows[0].purity);
        EXPECT_EQ("O2", std::string(kept.rows[1].formula));
        EXPECT_EQ(5.0000001, kept.rows[1].excess);
        EXPECT_EQ(BatchScale::Material, kept.scale);
        EXPECT_EQ(2, kept.scaleRow);
        EXPECT_EQ("O2", std::string(kept.scaleFormula));
        EXPECT_EQ(8.0, kept.scaleMass);
        EXPECT_TRUE(Marked(dialog));

        // Cancel leaves everything; a retyped row shows the defaults, never another material's values.
        CString retyped("H2O2");
        dialog.GetDlgItem(IDC_LIST)->SendMessage(LDM_SETFORMULA, 0, reinterpret_cast<LPARAM>(&retyped));
        Weigh(dialog, [&](HWND weighing) {
            EXPECT_EQ("1\tH2O2\t1\t100\t0", ListLine(weighing, 0));
            EXPECT_EQ("2\tO2\t0.5\t100\t5.0000001", ListLine(weighing, 1));
            EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(weighing, IDC_SCALE_MATERIAL));
            EXPECT_EQ("8", Text(weighing, IDC_SCALE_MATERIAL_GRAMS));
            ::SetDlgItemTextA(weighing, IDC_PURITY, "50");
            Press(weighing, IDCANCEL);
        });
        EXPECT_EQ(99.5, dialog.BatchValues().rows[0].purity);
        EXPECT_EQ("H2", std::string(dialog.BatchValues().rows[0].formula));

        qwintest::MessageBoxWatcher discard(IDNO);
        dialog.SendMessage(WM_COMMAND, ID_FILE_NEW);
        EXPECT_TRUE(dialog.BatchValues().IsPlain());
    });
}

}  // namespace
