// The profile functions of CWinApp: settings in the registry. (CFileDialog and the subkey named after the
// program are tested through the main dialog, tests/win/dialogfiles.)
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "framework/afxwin.h"

namespace {

const char kTestKey[] = "Quillon Framework Test";

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() { ::SHDeleteKeyA(HKEY_CURRENT_USER, (std::string("Software\\") + kTestKey).c_str()); }
};

// What is stored that the reads must not trust: a value of the other type (the default instead), a text
// without its terminating NUL (read whole). (Where the values live and that they last:
// tests/win/dialogfiles.)
TEST_F(ProfileTest, ReadsGiveTheDefaultForValuesOfTheOtherKind) {
    CWinApp app("Alembic");
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Count", 3)) << "stored without a registry key";
    app.SetRegistryKey(kTestKey);
    const std::string section = std::string("Software\\") + kTestKey + "\\Alembic\\Settings";
    const DWORD number = 3;
    ASSERT_EQ(ERROR_SUCCESS, ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Number", REG_DWORD, &number, sizeof number));
    ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Text", REG_SZ, "123", 4);  // as long as a number
    ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Bare", REG_SZ, "abc", 3);
    EXPECT_EQ(3u, app.GetProfileInt("Settings", "Number", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Text", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Missing", 7));
    EXPECT_STREQ("x", app.GetProfileString("Settings", "Number", "x"));
    EXPECT_STREQ("123", app.GetProfileString("Settings", "Text", "x"));
    EXPECT_STREQ("abc", app.GetProfileString("Settings", "Bare"));
    EXPECT_STREQ("", app.GetProfileString("Settings", "Missing"));
}

}  // namespace
