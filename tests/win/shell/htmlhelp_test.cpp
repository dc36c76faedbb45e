// HTML Help found at run time. (The help window on Quillon.chm and the About
// box are tested through the main dialog's menu, tests/win/dialogfiles.)
#include <gtest/gtest.h>

#include "htmlhelp.h"

namespace {

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

}  // namespace
