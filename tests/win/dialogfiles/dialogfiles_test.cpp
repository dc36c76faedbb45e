// The main dialog's calculation files, settings, menu, About and Word output, driven as the chemist drives them: menu
// commands, the real file dialogs, message boxes answered by the watcher. Each test runs the dialog modally, acts
// from inside its loop, and leaves with File, Exit.
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/testbed/maindialog.h"
#include "tests/support/wordstandin/registration.h"
#include "version.h"

namespace {

using namespace testbed;

// A message box as one text: its caption, text and icon.
std::string Seen(const qwintest::ObservedBox &box) {
    using qwintest::BoxIcon;
    return box.caption + ": " + box.text + (box.icon == BoxIcon::Exclamation ? " (!)" : box.icon == BoxIcon::Hand ? " (stop)" : " (?)");
}

// A file command of the menu, its file dialog answered with path.
void FileCommand(CQuillonDlg &dialog, UINT id, const std::string &path) {
    qwintest::FileDialogDriver driver(path);
    dialog.SendMessage(WM_COMMAND, id);
}

// Files as people write them load; a file with a bad line (a formula the program's own check refuses, a second line
// for one row), or without any line, is refused with where and why, a sentence, and leaves the entry exactly as it
// was (which lines read, and why not: calcfile_test).
TEST_F(DialogTest, OpenIsAllOrNothing) {
    const struct { std::string bytes; const char *message; } cases[] = {  // message nullptr: the file loads
        {"\n  -1   \n\n0 10.00000 1.00000 BaTiO3  \n 2 0 1.00000 BaCO3\n\t5 1 1.00000 TiO2\n", nullptr},
        {"-1 x\r\n0 1 1 BaTiO3\r\n1 0 1.00000 BaCO3\r\n2 0 1.00000 Xx9\r\n", "Line 4 cannot be read. Xx9 is not a valid formula."},
        {"0 1 1 BaTiO3\r\n1 0 1 BaCO3\r\n1 0 1 TiO2\r\n", "Line 3 cannot be read. A second line for row 1 (the first is line 2)."},
        {"", "The file holds no entry. The file is empty."},
    };
    std::string path = TempFolder() + "loose.QSF";
    Run([&](CQuillonDlg &dialog) {
        for (const auto &c : cases) {
            Put(path, c.bytes);
            StandInRows().setFormula(29, "H2O");
            StandInRows().setRatio(29, 0.25);
            SetText(dialog, IDC_SAMPLE_ID, "before");
            SetText(dialog, IDC_AMOUNT, "7");
            qwintest::MessageBoxWatcher boxes(IDNO);  // the entry changed: not saved
            FileCommand(dialog, ID_FILE_OPEN, path);
            ASSERT_EQ(c.message ? 2u : 1u, boxes.Count()) << c.bytes;
            EXPECT_EQ("Save changes?", boxes[0].text);
            EXPECT_EQ(c.message ? "Quillon : File I/O Error: Failed to load a file.\n" + std::string(c.message) + " (!)"
                                : "Quillon: Save changes? (?)", Seen(boxes[boxes.Count() - 1]));
            // Loaded: the file's fields and rows only; refused: the entry as it was, from the file loaded first.
            LedraRowStore &rows = StandInRows();
            const std::string entry = Text(dialog, IDC_SAMPLE_ID) + "|" + Text(dialog, IDC_AMOUNT) + "|" + rows.formula(29)->GetString() + "|" +
                                      rows.formula(1)->GetString() + "|" + rows.formula(4)->GetString() + "|" + std::to_string(rows.row(4)->fixed);
            EXPECT_EQ(c.message ? "before|7|H2O|BaCO3|TiO2|1" : "|10||BaCO3|TiO2|1", entry) << c.bytes;
            EXPECT_TRUE(!c.message || *rows.ratio(29) == 0.25) << c.bytes;
        }
    });
}

// A save that cannot replace the file (held open without sharing, as another program might; or a full disk:
// full_disk.sh runs this on a tiny filesystem, QUILLON_TINY_DISK), or that reads a bad amount, says so and keeps the
// old file whole, with no partial file left beside it.
TEST_F(DialogTest, AFailedSaveKeepsTheOldFile) {
    const char *tiny = std::getenv("QUILLON_TINY_DISK");
    const std::string folder = tiny != nullptr ? std::string(tiny) + "\\" : TempFolder(), path = folder + "kept.QSF";
    DeleteFiles(folder, "*.tmp");  // left by an earlier run that failed
    const std::string old = "-1 old\r\n0 1.00000 1.00000 H2O\r\n";
    Put(path, old);
    HANDLE held = nullptr;
    if (tiny != nullptr) {  // filled to the last byte
        std::ofstream filler(folder + "filler", std::ios::binary);
        ASSERT_TRUE(filler.is_open());
        const std::string block(4096, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())).flush()) {
        }
    } else {
        held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }
    Run([&](CQuillonDlg &dialog) {
        SetText(dialog, IDC_PRODUCT, "H2O");
        for (const char *amount : {"5", "abc"}) {
            if (std::string(amount) == "abc" && held != nullptr) ::CloseHandle(held), held = nullptr;
            SetText(dialog, IDC_AMOUNT, amount);
            qwintest::MessageBoxWatcher boxes(IDYES);
            FileCommand(dialog, ID_FILE_SAVE, path);
            ASSERT_LE(1u, boxes.Count()) << amount;
            EXPECT_EQ("Quillon : File I/O Error: Failed to save to a file. (!)", Seen(boxes[boxes.Count() - 1])) << amount;
        }
    });
    EXPECT_EQ(old, ReadBytes(path));
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName;
    ::FindClose(search);
}

enum { SOLID, NEAT, MOLAR, FRACTION };  // the Form list's choices

// The Form list's choice made as a click makes it.
void ChooseForm(HWND weighing, int form) {
    ::SendDlgItemMessageA(weighing, IDC_FORM, CB_SETCURSEL, WPARAM(form), 0);
    ::SendMessageA(weighing, WM_COMMAND, MAKEWPARAM(IDC_FORM, CBN_SELCHANGE), LPARAM(::GetDlgItem(weighing, IDC_FORM)));
}

UINT ItemState(HMENU menu, UINT id) { return ::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED); }

// Stored values are read at start, marked in the menus (the sheet's options toggled first) and written back as the
// dialog keeps them; a wrong amount being edited is reported when the menu opens, before any command (first-run
// defaults, values kept between runs: e2e files_test).
TEST_F(DialogTest, StoredSettingsAreReadMarkedAndWrittenBack) {
    char current[MAX_PATH];
    ::GetCurrentDirectoryA(sizeof current, current);
    std::string folder = TempFolder();
    folder.pop_back();  // without the trailing backslash, as the current directory reads
    const struct { const char *name; DWORD stored, written; } settings[] = {
        {"Output To MS Word", 1, 0},  // Word is not there
        {"Automatic Ratio Calculation", 2, 0}, {"Retain Change After Calculation", 5, 1},
        {"Show Differential", 0, 1}, {"Show mmol", 1, 0}, {"Show Released Gases", 0, 1},  // toggled
    };
    for (const auto &s : settings) SetSettingInt(s.name, s.stored);
    ::SHSetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), "Last Working Dir", REG_SZ, folder.c_str(),
                  DWORD(folder.size() + 1));
    Run([&](CQuillonDlg &dialog) {
        EXPECT_EQ(BST_UNCHECKED, dialog.IsDlgButtonChecked(IDC_AUTO_RATIO));
        EXPECT_TRUE(dialog.RetainsSelection());
        char now[MAX_PATH];
        ::GetCurrentDirectoryA(sizeof now, now);
        EXPECT_STRCASEEQ(folder.c_str(), now);
        HMENU menu = ::GetMenu(dialog.m_hWnd);
        for (UINT id : {ID_OPTIONS_DIFFERENCE, ID_OPTIONS_MMOL, ID_OPTIONS_GASES}) dialog.SendMessage(WM_COMMAND, id);
        dialog.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
        const struct { UINT id, state; } marks[] = {
            {ID_OUTPUT_WORD, MF_GRAYED}, {ID_OUTPUT_DEFAULT, MF_GRAYED | MF_CHECKED},
            {ID_OPTIONS_DIFFERENCE, MF_CHECKED}, {ID_OPTIONS_MMOL, 0}, {ID_OPTIONS_GASES, MF_CHECKED},
        };
        for (const auto &m : marks) EXPECT_EQ(m.state, ItemState(menu, m.id)) << m.id;
        dialog.GetDlgItem(IDC_AMOUNT)->SetFocus();
        SetText(dialog, IDC_AMOUNT, "abc");
        qwintest::MessageBoxWatcher boxes;
        dialog.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("Wrong value for amount!", boxes[0].text);
        SetText(dialog, IDC_AMOUNT, "1");
    });
    ::SetCurrentDirectoryA(current);
    for (const auto &s : settings) EXPECT_EQ(s.written, SettingInt(s.name)) << s.name;
}

// File, Exit and the close box mark the application closing (so the list checks no open cell as its windows go);
// Escape ends the dialog without.
TEST_F(DialogTest, ExitAndCloseMarkTheApplicationClosingEscapeDoesNot) {
    const struct { UINT message; WPARAM wParam; bool closing; } cases[] = {
        {WM_COMMAND, ID_FILE_EXIT, true}, {WM_SYSCOMMAND, SC_CLOSE, true}, {WM_COMMAND, IDCANCEL, false}};
    for (const auto &c : cases) {
        INT_PTR result = Run([&](CQuillonDlg &dialog) { dialog.PostMessage(c.message, c.wParam); }, false);
        EXPECT_EQ(IDCANCEL, result) << c.wParam;  // the dialog ended by itself
        EXPECT_EQ(c.closing, lastClosing) << c.wParam;
    }
}

// (Help is opened end to end, tests/e2e/main_dialog_test.cpp.)
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

// Word, when it is there, is the first run's output: each calculation is typed into the one document, a failure
// half-way reported over the main dialog, what was typed staying. A Word that cannot start gives way to the report
// display, for good.
TEST_F(DialogTest, CalculateTypesIntoWordAndFallsBackWhenItCannotStart) {
    {
        StandInServer word;
        ASSERT_TRUE(word.ok());
        qwintest::MessageBoxWatcher boxes;
        Run([&](CQuillonDlg &dialog) {
            EXPECT_TRUE(dialog.WordAvailable() && dialog.OutputToWord());
            for (const char *id : {"first", "second", "S-1"}) {
                EnterWater(dialog, id);
                if (std::string(id) == "S-1") word.FailAt("Selection.TypeText", 3);  // the "2" of H2O
                dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CALCULATE, BN_CLICKED));
            }
            ASSERT_EQ(1u, boxes.Count());
            EXPECT_TRUE(boxes[0].owner == dialog.m_hWnd && dialog.OutputToWord()) << "the box over the main dialog, Word kept";
        });
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ("Quillon I/O Error: Output to MS Word failed! (stop)", Seen(boxes[0]));
        std::string text = word.DocumentText("Document1") ? word.DocumentText("Document1") : "";
        EXPECT_EQ(0u, text.find("ID: first\nH_{2}O  (10 grams)    + None\n")) << text;
        EXPECT_NE(std::string::npos, text.find("\nO_{2}  (31.998)")) << text;  // the oxygen of ATOMS.LST
        EXPECT_NE(std::string::npos, text.find("\n\n\n\nID: second\nH_{2}O")) << text;
        EXPECT_EQ("\n\n\n\nID: S-1\nH", text.substr(text.rfind("\n\n\n\n"))) << "typed up to the failure";
        EXPECT_EQ(nullptr, word.DocumentText("Document2"));
    }
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
        EXPECT_TRUE(ItemState(menu, ID_OUTPUT_DEFAULT) == MF_CHECKED && ItemState(menu, ID_OUTPUT_WORD) == 0);
    });
    EXPECT_EQ(0u, SettingInt("Output To MS Word"));
}

// Wrong numbers are refused naming the field, which gets the focus back, a case for each way the dialog words a
// refusal, of a solid, a liquid or a solution (a solution's purity stays 100; the limits themselves: calcfile_test,
// batch_test); the material being edited stays chosen. Right ones are kept by OK for the row and formula they were
// given for, mark the entry changed, and go with New.
TEST_F(DialogTest, WeighingDialogRefusesWrongNumbersAndKeepsRightOnes) {
    const char *const purity = "Wrong value for purity!\nA purity is a percentage above 0 and at most 100.";
    const std::string fine = " (the sheet shows 5 decimals)", mass = "!\nA mass is a number of grams above 0.";
    const int P = IDC_SCALE_PRODUCT;
    // The scale button pressed and the form chosen first (a solution's molarity 0.5, its mass fraction 40).
    const struct { int scale, form, field; std::string text, message; } refused[] = {
        {P, NEAT, IDC_DENSITY, "0,9", "Wrong value for density!\nA density is a number of g/mL above 0.\nUse a point for decimals: 1.5."},
        {P, MOLAR, IDC_DENSITY, "0", "Wrong value for density!\nA density is a number of g/mL above 0."},  // blank: not given
        {P, FRACTION, IDC_MASS_FRACTION, "120",
         "Wrong value for mass fraction!\nMass fraction of H2 (row 1) must be a number from 0.00001 to 100 %" + fine + ", not 120."},
        {P, MOLAR, IDC_PURITY, "98", "Wrong value for purity!\nPurity of H2 (row 1) must be 100 % for a solution: its molarity or "
         "mass fraction says how much of it is the compound."},
        {P, SOLID, IDC_PURITY, "0", purity},
        {P, SOLID, IDC_PURITY, "50" + std::string(100, ' ') + "x", purity},  // read whole
        {P, SOLID, IDC_PURITY, "1e-300", "Wrong value for purity!\nA purity must be at least 0.00001 %" + fine + "."},
        {P, SOLID, IDC_EXCESS, "999.9999999999999",
         "Wrong value for excess!\nAn excess must be 0, or from 0.00001 to 999.99999 %" + fine + "."},
        {P, SOLID, IDC_PURITY, "99,5", std::string(purity) + "\nUse a point for decimals: 1.5."},
        {P, SOLID, IDC_EXCESS, "-0.1", "Wrong value for excess!\nAn excess is a percentage of 0 or more, below 1000."},
        {IDC_SCALE_MATERIAL, SOLID, IDC_SCALE_MATERIAL_GRAMS, "0", "Wrong value for the starting material's mass" + mass},
        {IDC_SCALE_TOTAL, SOLID, IDC_SCALE_TOTAL_GRAMS, "", "Wrong value for the total mass" + mass},
        {IDC_SCALE_TOTAL, SOLID, IDC_SCALE_TOTAL_GRAMS, "1e-200",
         "Wrong value for the total mass!\nA mass must be at least 0.00001 g" + fine + "."},
    };
    Run([&](CQuillonDlg &dialog) {
        EnterWater(dialog, "S-2");
        ::DeleteFileA((TempFolder() + "weighed.QSF").c_str());
        FileCommand(dialog, ID_FILE_SAVE, TempFolder() + "weighed.QSF");
        EXPECT_FALSE(Marked(dialog));
        Weigh(dialog, [&](HWND weighing) {
            EXPECT_EQ("2\tO2\t0.5\t100\t0", ListLine(weighing, 1));
            for (const auto &c : refused) {
                Press(weighing, c.scale);
                ChooseForm(weighing, SOLID);
                SetText(weighing, IDC_PURITY, c.field == IDC_PURITY ? c.text.c_str() : "100");
                SetText(weighing, IDC_EXCESS, "0");
                ChooseForm(weighing, c.form);
                if (c.form != SOLID) SetText(weighing, IDC_MOLARITY, "0.5"), SetText(weighing, IDC_MASS_FRACTION, "40");
                SetText(weighing, c.field, c.text.c_str());
                qwintest::MessageBoxWatcher boxes;
                Press(weighing, IDOK);
                ASSERT_EQ(1u, boxes.Count()) << c.text;
                EXPECT_EQ("Quillon: " + c.message + " (stop)", Seen(boxes[0]));
                EXPECT_TRUE(::IsWindow(weighing) && ::GetDlgItem(weighing, c.field) == ::GetFocus()) << c.text << ": not open, focused";
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
            EXPECT_EQ("100|0", Text(weighing, IDC_PURITY) + "|" + Text(weighing, IDC_EXCESS)) << "O2's own values";
            EXPECT_EQ("1\tH2\t1\t99.5\t3", ListLine(weighing, 0)) << "H2 keeps its values";
            ::SetDlgItemTextA(weighing, IDC_EXCESS, " 5.0000001 ");  // shown again exactly, never rounded
            Press(weighing, IDC_SCALE_MATERIAL);
            ::SendDlgItemMessageA(weighing, IDC_SCALE_ROW, CB_SETCURSEL, 1, 0);
            ::SetDlgItemTextA(weighing, IDC_SCALE_MATERIAL_GRAMS, "8");
            Press(weighing, IDOK);
        });
        BatchSettings kept = dialog.BatchValues();
        EXPECT_EQ("H2 O2 O2", std::string(kept.rows[0].formula) + " " + kept.rows[1].formula.GetString() + " " + kept.scaleFormula.GetString());
        EXPECT_TRUE(kept.rows[0].purity == 99.5 && kept.rows[1].excess == 5.0000001 && kept.scale == BatchScale::Material &&
                    kept.scaleRow == 2 && kept.scaleMass == 8.0);
        EXPECT_TRUE(Marked(dialog));

        // Cancel leaves everything; a retyped row shows the defaults, never another material's values.
        StandInRows().setFormula(0, "H2O2");
        Weigh(dialog, [&](HWND weighing) {
            EXPECT_EQ("1\tH2O2\t1\t100\t0|2\tO2\t0.5\t100\t5.0000001", ListLine(weighing, 0) + "|" + ListLine(weighing, 1));
            EXPECT_TRUE(::IsDlgButtonChecked(weighing, IDC_SCALE_MATERIAL) == BST_CHECKED &&
                        Text(weighing, IDC_SCALE_MATERIAL_GRAMS) == "8");
            ::SetDlgItemTextA(weighing, IDC_PURITY, "50");
            Press(weighing, IDCANCEL);
        });
        EXPECT_TRUE(dialog.BatchValues().rows[0].purity == 99.5 && dialog.BatchValues().rows[0].formula == "H2");

        qwintest::MessageBoxWatcher discard(IDNO);
        dialog.SendMessage(WM_COMMAND, ID_FILE_NEW);
        EXPECT_TRUE(dialog.BatchValues().IsPlain());
    });
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != 0; }

std::string StoredText(const char *name) {
    char text[64] = "";
    DWORD size = sizeof text;
    ::SHGetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), name, nullptr, text, &size);
    return text;
}

// A material's form: its fields take input as the form needs them; their values are kept for the row and formula,
// shown briefly in the list, and go with a retyped formula.
TEST_F(DialogTest, WeighingDialogTakesLiquidsAndSolutions) {
    Run([&](CQuillonDlg &dialog) {
        EnterWater(dialog, "S-3");
        Weigh(dialog, [&](HWND weighing) {
            ChooseForm(weighing, SOLID);
            SetText(weighing, IDC_PURITY, "100");
            ChooseForm(weighing, NEAT);
            EXPECT_TRUE(Enabled(weighing, IDC_PURITY) && Enabled(weighing, IDC_DENSITY) &&
                        !Enabled(weighing, IDC_MOLARITY) && !Enabled(weighing, IDC_MASS_FRACTION));
            SetText(weighing, IDC_DENSITY, "0.0708");
            EXPECT_EQ("1\tH2\t1\t100\t0\t0.0708 g/mL", ListLine(weighing, 0));
            ChooseLine(weighing, 1);
            EXPECT_EQ(SOLID, ::SendDlgItemMessageA(weighing, IDC_FORM, CB_GETCURSEL, 0, 0)) << "O2's own form";
            ChooseForm(weighing, MOLAR);
            EXPECT_TRUE(!Enabled(weighing, IDC_PURITY) && Enabled(weighing, IDC_DENSITY) &&
                        Enabled(weighing, IDC_MOLARITY) && !Enabled(weighing, IDC_MASS_FRACTION));
            SetText(weighing, IDC_MOLARITY, "0.5");
            SetText(weighing, IDC_DENSITY, "1.02");
            EXPECT_EQ("2\tO2\t0.5\t100\t0\t0.5 M, 1.02 g/mL", ListLine(weighing, 1));
            ChooseLine(weighing, 0);
            EXPECT_EQ("0.0708|", Text(weighing, IDC_DENSITY) + "|" + Text(weighing, IDC_MOLARITY));
            Press(weighing, IDOK);
        });
        const BatchSettings &kept = dialog.BatchValues();
        const MaterialForm liquid{0.0708, 0, 0}, solution{1.02, 0.5, 0};
        EXPECT_TRUE(kept.rows[0].formula == "H2" && kept.rows[0].form == liquid && kept.rows[1].formula == "O2" &&
                    kept.rows[1].form == solution);
        StandInRows().setFormula(0, "H2O2");
        Weigh(dialog, [&](HWND weighing) {
            EXPECT_EQ("1\tH2O2\t1\t100\t0", ListLine(weighing, 0));
            Press(weighing, IDCANCEL);
        });
    });
}

// The pipette's readability and minimum volume: read by the balance's rule (a stored one that does not read is the
// default), refused naming what to enter, remembered.
TEST_F(DialogTest, PipetteSettingsAreCheckedAndRemembered) {
    ::SHSetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), "Pipette Readability", REG_SZ, "0,1", 4);
    Run([&](CQuillonDlg &dialog) {
        UINT_PTR timer = ActWhenShown("Quillon : Balance and Operator", [&](HWND balance) {
            EXPECT_EQ("0.01|", Text(balance, IDC_PIPETTE_READABILITY) + "|" + Text(balance, IDC_MINIMUM_VOLUME));
            SetText(balance, IDC_PIPETTE_READABILITY, "0.05");
            SetText(balance, IDC_MINIMUM_VOLUME, "-1");
            qwintest::MessageBoxWatcher boxes;
            Press(balance, IDOK);
            ASSERT_EQ(1u, boxes.Count());
            EXPECT_EQ("Quillon: Enter the minimum volume in millilitres (at most 6 decimals, such as 0.1), or leave it "
                      "blank for 10 times the pipette's readability. (!)", Seen(boxes[0]));
            EXPECT_TRUE(::IsWindow(balance) && ::GetDlgItem(balance, IDC_MINIMUM_VOLUME) == ::GetFocus());
            SetText(balance, IDC_MINIMUM_VOLUME, " 0.5 ");
            Press(balance, IDOK);
        });
        dialog.SendMessage(WM_COMMAND, ID_OPTIONS_BALANCE);
        ::KillTimer(nullptr, timer);
    });
    EXPECT_EQ("0.05|0.5", StoredText("Pipette Readability") + "|" + StoredText("Minimum Volume"));
}

}  // namespace
