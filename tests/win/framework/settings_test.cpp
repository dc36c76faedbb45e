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

// Values under a wrong key, or defaults not given for missing or mistyped values.
TEST_F(ProfileTest, ValuesLiveUnderTheKeyTheAppNameAndTheSection) {
    CWinApp app("Alembic");
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Count", 7));
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Count", 3)) << "stored without a registry key";

    app.SetRegistryKey(kTestKey);
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Count", 7));
    EXPECT_STREQ("none", app.GetProfileString("Settings", "Dir", "none"));
    EXPECT_STREQ("", app.GetProfileString("Settings", "Dir"));
    ASSERT_TRUE(app.WriteProfileInt("Settings", "Count", -2));
    ASSERT_TRUE(app.WriteProfileString("Settings", "Dir", "C:\\work\\qsf"));
    EXPECT_EQ(-2, int(app.GetProfileInt("Settings", "Count", 7)));
    EXPECT_STREQ("C:\\work\\qsf", app.GetProfileString("Settings", "Dir", "none"));
    // Each read as the other kind gives the default.
    EXPECT_EQ(5u, app.GetProfileInt("Settings", "Dir", 5));
    EXPECT_STREQ("x", app.GetProfileString("Settings", "Count", "x"));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath("Alembic").c_str(), 0, KEY_READ, &key));
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(key, "Count", nullptr, &type, (BYTE *)&value, &size));
    EXPECT_EQ(DWORD(REG_DWORD), type);
    // A text stored without its terminating NUL reads whole.
    ::RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath("Alembic").c_str(), 0, KEY_WRITE, &key));
    ::RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3);
    ::RegCloseKey(key);
    EXPECT_STREQ("abc", app.GetProfileString("Settings", "Bare"));
}

}  // namespace
