// HTML Help found at run time and showing Quillon.chm, and the About box.
#include <gtest/gtest.h>

#include <string>

#include "aboutdlg.h"
#include "htmlhelp.h"
#include "qwintest.h"

namespace {

std::string TextOf(HWND hWnd) {
    char text[256] = "";
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// The folder of this program, ending in a backslash, as the main dialog keeps it.
std::string ModuleDir() {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, length);
    return dir.substr(0, dir.rfind('\\') + 1);
}

// A help window that does not open, or not on Quillon.chm's contents.
TEST(HtmlHelpTest, ShowsTheContentsOfQuillonChm) {
    qwintest::TestHost host;
    InitializeHelp();
    EXPECT_NE(nullptr, AppHtmlHelp().Module());
    HWND help = ShowHelpContents(host.hwnd(), ModuleDir().c_str());
    ASSERT_NE(nullptr, help);
    qwintest::PumpMessages(200);
    EXPECT_TRUE(::IsWindow(help));
    EXPECT_EQ("Quillon Help", TextOf(help));
    ::DestroyWindow(help);
    UninitializeHelp();
    EXPECT_EQ(1, AppHtmlHelp().LoadAttempts());
}

// A registered control that cannot load falls back to the name; with neither, calls do nothing, once.
TEST(HtmlHelpTest, FallsBackToTheNameAndGivesUpForGood) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CLASSES_ROOT, "QuillonTestHelp\\InprocServer32", 0, nullptr, 0,
                                               KEY_WRITE, nullptr, &key, nullptr));
    const char missing[] = "%SystemRoot%\\no-such-help.ocx";
    ::RegSetValueExA(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(missing), sizeof missing);
    ::RegCloseKey(key);

    CHtmlHelp byName("QuillonTestHelp\\InprocServer32", "hhctrl.ocx");
    DWORD_PTR cookie = 0;
    byName.Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie));
    EXPECT_EQ(::GetModuleHandleA("hhctrl.ocx"), byName.Module());
    byName.Call(nullptr, nullptr, HH_UNINITIALIZE, cookie);

    CHtmlHelp none("QuillonTestHelp\\InprocServer32", "no-such-help.ocx");
    EXPECT_EQ(nullptr, none.Call(nullptr, "x.chm", HH_DISPLAY_TOC, 0));
    EXPECT_EQ(nullptr, none.Call(nullptr, "x.chm", HH_DISPLAY_TOC, 0));
    EXPECT_EQ(1, none.LoadAttempts());
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QuillonTestHelp\\InprocServer32");
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QuillonTestHelp");
}

struct AboutSeen {
    std::string caption, name;
    bool okButton = false;
};
AboutSeen g_about;

// Reads the About box once it runs, then presses its OK button.
void CALLBACK PressAboutOk(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = ::GetActiveWindow();
    if (about == nullptr || ::GetDlgItem(about, IDOK) == nullptr) return;
    ::KillTimer(nullptr, timer);
    g_about.caption = TextOf(about);
    for (HWND child = ::GetWindow(about, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child).rfind("Quillon Version", 0) == 0) g_about.name = TextOf(child);
    HWND ok = ::GetDlgItem(about, IDOK);
    g_about.okButton = ok != nullptr && TextOf(ok) == "OK";
    ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

TEST(AboutTest, ShowsNameAndVersionAndClosesWithOk) {
    qwintest::TestHost host;
    CWnd parent;
    parent.Attach(host.hwnd());
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, PressAboutOk);
    CAboutDlg about;
    EXPECT_EQ(IDOK, about.DoModal());
    ::KillTimer(nullptr, timer);
    parent.Detach();
    EXPECT_EQ("About Quillon", g_about.caption);
    EXPECT_EQ("Quillon Version 1.0", g_about.name);
    EXPECT_TRUE(g_about.okButton);
}

}  // namespace
