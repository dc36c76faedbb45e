// The installer end to end: a silent install into a folder of the test's own,
// the installed program starting from it, and the uninstaller removing what
// was installed (the user's report files and, unless asked, the settings stay).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "tests/support/driver/driver.h"
#include "tests/support/driver/system.h"

namespace {

using qdriver::Exists;
using qdriver::KeyExists;
using qdriver::KeyText;
using qdriver::Run;
using qdriver::InstallFolder;

const char *const INSTALLED[] = {"Quillon.exe", "LEDRA.DLL", "VEXIL.DLL", "ATOMS.LST", "Quillon.chm", "Uninstall.exe"};
const char *const UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon";
const char *const SETTINGS_KEY = "Software\\Hobnail\\Quillon";

std::string Shortcut() {
    char programs[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Quillon\\Quillon.lnk";
}

void Install(const std::string &folder) {
    ASSERT_EQ(Run(std::string("\"") + QUILLON_INSTALLER_PATH + "\" /S /D=" + folder), 0);
    for (const char *file : INSTALLED) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_EQ(KeyText(UNINSTALL_KEY, "InstallLocation"), folder);
}

// The uninstaller hands its work to a copy of itself and returns at once:
// wait until that copy has removed the uninstaller.
void Uninstall(const std::string &folder, const std::string &options) {
    ASSERT_EQ(Run("\"" + folder + "\\Uninstall.exe\" /S" + options), 0);
    for (int i = 0; i < 600 && Exists(folder + "\\Uninstall.exe"); ++i) ::Sleep(100);
    ::Sleep(500);  // the copy's last steps after the file deletions
    for (const char *file : INSTALLED) EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(KeyExists(UNINSTALL_KEY));
}

}  // namespace

TEST(Installer, InstallStartUninstall) {
    const std::string folder = InstallFolder("Quillon");
    Install(folder);
    // The installed files are this build's.
    for (const char *file : {"Quillon.exe", "LEDRA.DLL", "VEXIL.DLL", "ATOMS.LST"})
        EXPECT_EQ(ReadBytes(folder + "\\" + file), ReadBytes(qwintest::ProgramFolder() + file)) << file;

    // The installed program starts from its folder (its libraries and
    // element data found) and keeps its settings at exit; a report file of
    // the user's is left there.
    {
        qdriver::Quillon quillon;
        ASSERT_TRUE(quillon.Start(folder));
        ASSERT_NE(quillon.WaitReady(), nullptr);
        quillon.Key(VK_ESCAPE);
        EXPECT_EQ(quillon.WaitExit(), 0);
    }
    const std::vector<std::string> reports = {"2002.03.21-14.05.09.QL"};
    std::ofstream(folder + "\\" + reports[0]) << "a sheet\r\n";
    EXPECT_TRUE(KeyExists(SETTINGS_KEY)) << "the program wrote no settings";

    // A silent uninstall keeps the settings and the report file (so the
    // folder stays, holding only that).
    Uninstall(folder, "");
    EXPECT_TRUE(KeyExists(SETTINGS_KEY));
    EXPECT_EQ(qdriver::FilesIn(folder, "*"), reports);

    // Asked to, it removes the settings; an empty folder goes too.
    const std::string second = InstallFolder("Quillon2");
    Install(second);
    Uninstall(second, " /REMOVESETTINGS");
    EXPECT_FALSE(KeyExists(SETTINGS_KEY));
    EXPECT_FALSE(Exists(second));
}
