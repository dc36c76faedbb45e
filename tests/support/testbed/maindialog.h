// Test bed of the in-process dialog tests: the main dialog run modally in the
// test program (its own sources linked, the list control stood in for), a
// script acting from inside its loop, the settings in the registry, and the
// helpers that press through its smaller dialogs.
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_MAINDIALOG_H
#define QUILLON_TESTS_SUPPORT_TESTBED_MAINDIALOG_H

#include <windows.h>

#include <shlwapi.h>

#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/quillondlg.h"
#include "app/resource.h"
#include "framework/afxext.h"
#include "tests/support/harness/qwintest.h"
#include "tests/support/standinlist/standin_list.h"

namespace testbed {

// The settings' key, named after this program (its name without ".exe").
const std::string kSettingsKey = "Software\\Hobnail\\" + [] {
    std::string name = qwintest::ProgramPath().substr(qwintest::ProgramFolder().size());
    return name.substr(0, name.rfind('.'));
}() + "\\Settings";

inline void Put(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string TempFolder() {
    char path[MAX_PATH];
    ::GetTempPathA(sizeof path, path);
    std::string folder = std::string(path) + "quillon-dialog-test\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A control's text in a dialog (the main dialog or a smaller one), and text put in it.
inline std::string Text(HWND dialog, int id) { return qwintest::WindowText(::GetDlgItem(dialog, id)); }
inline void SetText(HWND dialog, int id, const char *text) { ::SetDlgItemTextA(dialog, id, text); }

inline DWORD SettingInt(const char *name, DWORD missing = 0xDEAD) {
    DWORD value = missing, size = sizeof value;
    return ::SHGetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), name, nullptr, &value, &size) == ERROR_SUCCESS ? value
                                                                                                              : missing;
}

inline void SetSettingInt(const char *name, DWORD value) {
    ::SHSetValueA(HKEY_CURRENT_USER, kSettingsKey.c_str(), name, REG_DWORD, &value, sizeof value);
}

// The process-wide parts the program's start-up makes: the application
// object with its registry key, COM, VEXIL and the list's class.
class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app = new CWinApp;
        app->SetRegistryKey("Hobnail");
        ::CoInitialize(nullptr);
        AfxInitCommonControls();
        ::LoadLibraryA("RICHED32.DLL");
        ::LoadLibraryA("VEXIL.DLL");
        RegisterStandInList();
    }
    void SetUp() override {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hobnail");
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, "Word.Application");  // left by a test that crashed
        DeleteReports();
    }
    void TearDown() override { DeleteReports(); }

    // Report files of earlier tests would make the dialog ask to delete them.
    static void DeleteReports() { DeleteFiles(qwintest::ProgramFolder(), "*.QL"); }
    static void DeleteFiles(const std::string &folder, const char *pattern) {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do ::DeleteFileA((folder + found.cFileName).c_str());
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }

    // Runs the main dialog; script acts once its initialisation is done,
    // then File, Exit ends it, unless script ends it itself (exitAfter
    // false). A dialog still open after 30 s is ended with -2.
    static INT_PTR Run(const std::function<void(CQuillonDlg &)> &script, bool exitAfter = true) {
        CQuillonDlg dialog;
        app->m_pMainWnd = &dialog;  // the list's callbacks ask the main window
        current = &dialog;
        currentScript = script;
        exitAfterScript = exitAfter;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 100, RunScript);
        UINT_PTR watchdog = ::SetTimer(nullptr, 0, 30000, EndStuckDialog);
        INT_PTR result = dialog.DoModal();
        ::KillTimer(nullptr, timer);
        ::KillTimer(nullptr, watchdog);
        current = nullptr;
        // The main window's end posts WM_QUIT, as the program's does; the
        // next test runs a dialog of its own.
        MSG quit;
        ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        lastClosing = dialog.Closing();
        return result;
    }
    static void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        if (current == nullptr || current->m_hWnd == nullptr) return;
        currentScript(*current);
        qwintest::MessageBoxWatcher discard(IDNO);  // "Save changes?" of an entry the script changed
        if (exitAfterScript && current->m_hWnd != nullptr) current->SendMessage(WM_COMMAND, ID_FILE_EXIT);
    }
    static void CALLBACK EndStuckDialog(HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        if (current != nullptr && current->m_hWnd != nullptr) current->EndDialog(-2);
    }

    inline static CWinApp *app = nullptr;
    inline static CQuillonDlg *current = nullptr;
    inline static std::function<void(CQuillonDlg &)> currentScript;
    inline static bool exitAfterScript = true;
    inline static bool lastClosing = false;  // Closing() of the dialog Run ended last
};

// Acts on the next window with this caption once it is shown (a timer inside
// its loop): the About box, the report display, the weighing dialog.
inline std::string g_actCaption;
inline std::function<void(HWND)> g_act;
inline void CALLBACK ActOnShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = ::FindWindowA("#32770", g_actCaption.c_str());
    if (window == nullptr || !::IsWindowEnabled(window)) return;
    ::KillTimer(nullptr, timer);
    std::function<void(HWND)> act = g_act;
    act(window);
}
inline UINT_PTR ActWhenShown(const char *caption, const std::function<void(HWND)> &act) {
    g_actCaption = caption;
    g_act = act;
    return ::SetTimer(nullptr, 0, 50, ActOnShown);
}

// Presses OK of the next window with this caption, keeping the texts of its controls.
inline std::string g_pressedTexts;
inline bool g_pressed = false;
inline UINT_PTR PressOkWhenShown(const char *caption) {
    g_pressed = false;
    return ActWhenShown(caption, [](HWND window) {
        g_pressed = true;
        g_pressedTexts.clear();
        for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
            g_pressedTexts += qwintest::WindowText(child) + "|";
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
}

// Runs the weighing dialog; act must end it with OK or Cancel.
inline void Weigh(CQuillonDlg &dialog, const std::function<void(HWND)> &act) {
    UINT_PTR timer = ActWhenShown("Quillon : Purity, Excess and Scaling", act);
    dialog.SendMessage(WM_COMMAND, ID_OPTIONS_WEIGHING);
    ::KillTimer(nullptr, timer);
}

inline std::string ListLine(HWND weighing, int index) {
    char line[256] = "";
    ::SendDlgItemMessageA(weighing, IDC_WEIGHING_LIST, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(line));
    return line;
}

// A button of the weighing dialog pressed: a scale button takes the check, then the dialog gets the command.
inline void Press(HWND window, int id) {
    if (id >= IDC_SCALE_PRODUCT && id <= IDC_SCALE_TOTAL) ::CheckRadioButton(window, IDC_SCALE_PRODUCT, IDC_SCALE_TOTAL, id);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// A click on a line of the materials' list: the selection moves, the dialog is told.
inline void ChooseLine(HWND weighing, int index) {
    HWND list = ::GetDlgItem(weighing, IDC_WEIGHING_LIST);
    ::SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
    ::SendMessageA(weighing, WM_COMMAND, MAKEWPARAM(IDC_WEIGHING_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

inline bool Marked(CQuillonDlg &dialog) {
    dialog.SendMessage(WM_ENTRY_EDITED);
    CString title;
    dialog.GetWindowText(title);
    return std::string(title).find('*') != std::string::npos;
}

// Enters water from hydrogen and oxygen, fixed ratios, 10 g, Auto-Ratio off.
inline void EnterWater(CQuillonDlg &dialog, const char *sampleId) {
    dialog.CheckDlgButton(IDC_AUTO_RATIO, BST_UNCHECKED);
    SetText(dialog, IDC_SAMPLE_ID, sampleId);
    SetText(dialog, IDC_PRODUCT, "H2O");
    SetText(dialog, IDC_PRODUCT_RATIO, "1");
    SetText(dialog, IDC_AMOUNT, "10");
    StandInRows().setFormula(0, "H2");
    StandInRows().setFixed(0, 1);
    StandInRows().setFormula(1, "O2");
    StandInRows().setRatio(1, 0.5);
    StandInRows().setFixed(1, 1);
}

}  // namespace testbed

#endif
