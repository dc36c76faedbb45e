// The profile functions of CWinApp: settings in the registry. (CFileDialog
// and the subkey named after the program are tested through the main
// dialog, tests/win/dialogfiles.)
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
    static std::string SectionPath(const char *app) {
        return std::string("Software\\") + kTestKey + "\\" + app + "\\Settings";
    }
};

// What is stored that the reads must not trust: a value of the other type
// (the default instead), a text without its terminating NUL (read whole).
// (Where the values live and that they last: tests/win/dialogfiles.)
TEST_F(ProfileTest, ReadsGiveTheDefaultForValuesOfTheOtherKind) {
    CWinApp app("Alembic");
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Count", 3)) << "stored without a registry key";
    app.SetRegistryKey(kTestKey);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath("Alembic").c_str(), 0, nullptr, 0,
                                               KEY_WRITE, nullptr, &key, nullptr));
    const DWORD number = 3;
    ::RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
    ::RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE *>("123"), 4);  // as long as a number
    ::RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3);
    ::RegCloseKey(key);
    EXPECT_EQ(3u, app.GetProfileInt("Settings", "Number", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Text", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Missing", 7));
    EXPECT_STREQ("x", app.GetProfileString("Settings", "Number", "x"));
    EXPECT_STREQ("123", app.GetProfileString("Settings", "Text", "x"));
    EXPECT_STREQ("abc", app.GetProfileString("Settings", "Bare"));
    EXPECT_STREQ("", app.GetProfileString("Settings", "Missing"));
}

}  // namespace
