// The installer end to end: a silent install into a folder of the test's own,
// the installed program starting from it, and the uninstaller removing what
// was installed (the user's report files and, unless asked, the settings stay).
#include <gtest/gtest.h>
#include <process.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/driver/driver.h"

namespace {

const char *const INSTALLED[] = {"Quillon.exe", "LEDRA.DLL", "VEXIL.DLL", "ATOMS.LST", "Quillon.chm", "Uninstall.exe"};
const char *const UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon";
const char *const SETTINGS_KEY = "Software\\Hobnail\\Quillon";

bool Exists(const std::string &path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const char *key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    return ::RegCloseKey(handle), true;
}

// Runs a program with these arguments to its end; its exit code, or -1.
long RunToEnd(const std::string &program, const std::string &arguments) {
    return long(::_spawnl(_P_WAIT, program.c_str(), ("\"" + program + "\"").c_str(), arguments.c_str(), nullptr));
}

}  // namespace

// Two installs into fresh folders under <bin>\..\install-test. The first: this
// build's files, the program starting from its folder (its libraries and
// element data found) and writing its settings; a silent uninstall keeps them
// and the user's report file (the folder stays). The second: asked to, the
// uninstaller removes the settings, and the empty folder goes too.
TEST(Installer, InstallStartUninstall) {
    char programs[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    const std::string shortcut = std::string(programs) + "\\Quillon\\Quillon.lnk";
    const std::vector<std::string> reports = {"2002.03.21-14.05.09.QL"};
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first install" : "second install");
        char full[MAX_PATH], location[MAX_PATH + 1] = "";
        const std::string name = qwintest::ProgramFolder() + "..\\install-test\\Quillon" + (first ? "" : "2");
        ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
        const std::string folder = full;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        ASSERT_EQ(RunToEnd(QUILLON_INSTALLER_PATH, "/S /D=" + folder), 0);
        for (const char *file : INSTALLED) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
        EXPECT_TRUE(Exists(shortcut));
        DWORD size = MAX_PATH;
        ::SHGetValueA(HKEY_CURRENT_USER, UNINSTALL_KEY, "InstallLocation", nullptr, location, &size);
        EXPECT_STREQ(location, folder.c_str());
        if (first) {
            for (const char *file : {"Quillon.exe", "LEDRA.DLL", "VEXIL.DLL", "ATOMS.LST"})
                EXPECT_EQ(ReadBytes(folder + "\\" + file), ReadBytes(qwintest::ProgramFolder() + file));
            qdriver::Quillon quillon;
            ASSERT_TRUE(quillon.Start(folder));
            ASSERT_NE(quillon.WaitReady(), nullptr);
            quillon.Key(VK_ESCAPE);
            EXPECT_EQ(quillon.WaitExit(), 0);
            std::ofstream(folder + "\\" + reports[0]) << "a sheet\r\n";
            EXPECT_TRUE(KeyExists(SETTINGS_KEY)) << "the program wrote no settings";
        }
        // The uninstaller hands its work to a copy of itself and returns at
        // once: wait until that copy has removed the uninstaller.
        ASSERT_EQ(RunToEnd(folder + std::string("\\Uninstall.exe"), first ? "/S" : "/S /REMOVESETTINGS"), 0);
        for (int i = 0; i < 600 && Exists(folder + std::string("\\Uninstall.exe")); ++i) ::Sleep(100);
        ::Sleep(500);  // the copy's last steps after the file deletions
        for (const char *file : INSTALLED) EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
        EXPECT_FALSE(Exists(shortcut));
        EXPECT_FALSE(KeyExists(UNINSTALL_KEY));
        EXPECT_EQ(KeyExists(SETTINGS_KEY), first);
        EXPECT_EQ(Exists(folder), first);
        EXPECT_EQ(qdriver::FilesIn(folder, "*"), first ? reports : std::vector<std::string>());
    }
}
