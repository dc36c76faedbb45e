// The installer end to end: a silent install into a folder of the test's own,
// the installed program starting from it, and the uninstaller removing what
// was installed (the user's report files and, unless asked, the settings stay).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

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

// Runs a command line to its end; its exit code, or -1.
long Run(std::string line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = DWORD(-1);
    if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return long(code);
}

std::string Shortcut() {
    char programs[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Quillon\\Quillon.lnk";
}

// Into a fresh folder under <bin>\..\install-test (the installer makes it).
std::string Install(const std::string &name) {
    char folder[MAX_PATH];
    ::GetFullPathNameA((qwintest::ProgramFolder() + "..\\install-test\\" + name).c_str(), MAX_PATH, folder, nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    EXPECT_EQ(Run(std::string("\"") + QUILLON_INSTALLER_PATH + "\" /S /D=" + folder), 0);
    for (const char *file : INSTALLED) EXPECT_TRUE(Exists(std::string(folder) + "\\" + file)) << file;
    EXPECT_TRUE(Exists(Shortcut()));
    char location[MAX_PATH + 1] = "";
    DWORD size = MAX_PATH;
    ::SHGetValueA(HKEY_CURRENT_USER, UNINSTALL_KEY, "InstallLocation", nullptr, location, &size);
    EXPECT_STREQ(location, folder);
    return folder;
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
    const std::string folder = Install("Quillon");
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
    const std::string second = Install("Quillon2");
    Uninstall(second, " /REMOVESETTINGS");
    EXPECT_FALSE(KeyExists(SETTINGS_KEY));
    EXPECT_FALSE(Exists(second));
}
