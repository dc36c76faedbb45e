// HTML Help found at run time, and the help file's pages copied out for a browser. (The Help command itself is tested
// end to end, tests/e2e/help_test.cpp.)
#include <gtest/gtest.h>

#include "tests/support/files.h"

#include <objbase.h>
#include <shlwapi.h>

#include <string>

#include "app/htmlhelp.h"
#include "tests/support/harness/qwintest.h"

namespace {

// A registered control that cannot load falls back to the name; with neither, calls do nothing, once.
TEST(HtmlHelpTest, FallsBackToTheNameAndGivesUpForGood) {
    const char missing[] = "%SystemRoot%\\no-such-help.ocx";
    ASSERT_EQ(ERROR_SUCCESS, ::SHSetValueA(HKEY_CLASSES_ROOT, "QuillonTestHelp\\InprocServer32", nullptr, REG_EXPAND_SZ,
                                           missing, sizeof missing));

    CHtmlHelp byName("QuillonTestHelp\\InprocServer32", "hhctrl.ocx");
    DWORD_PTR cookie = 0;
    byName.Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie));
    EXPECT_TRUE(byName.Module() != nullptr && byName.Module() == ::GetModuleHandleA("hhctrl.ocx"));
    byName.Call(nullptr, nullptr, HH_UNINITIALIZE, cookie);

    CHtmlHelp none("QuillonTestHelp\\InprocServer32", "no-such-help.ocx");
    for (int call = 0; call < 2; ++call) EXPECT_EQ(nullptr, none.Call(nullptr, "x.chm", HH_DISPLAY_TOC, 0));
    EXPECT_EQ(1, none.LoadAttempts());
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, "QuillonTestHelp");
}

// The pages come out of the built help file (the working folder holds it) whole, with none of the file's own tables;
// anything else yields nothing.
TEST(HtmlHelpTest, ExtractsThePagesOfTheHelpFileOnly) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const std::string folder = qwintest::ArtifactPath("help-pages") + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const char *left : {"index.htm", "#SYSTEM"}) ::DeleteFileA((folder + left).c_str());  // by an earlier run
    for (const char *other : {"no-such-file.chm", "ATOMS.LST"}) EXPECT_EQ(0, ExtractHelpPages(other, folder)) << other;
    // The pages, style sheet and pictures of the help project.
    EXPECT_EQ(17, ExtractHelpPages("Quillon.chm", folder));
    EXPECT_NE(ReadBytes(folder + "index.htm").find("<title>Quillon at the bench</title>"), std::string::npos);
    EXPECT_NE(ReadBytes(folder + "sheet.htm").find("</html>"), std::string::npos) << "a page cut short";
    EXPECT_NE(ReadBytes(folder + "help.css").find("body"), std::string::npos);
    EXPECT_EQ(::GetFileAttributesA((folder + "#SYSTEM").c_str()), INVALID_FILE_ATTRIBUTES);
    ::CoUninitialize();
}

}  // namespace
