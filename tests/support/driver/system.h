// The machine's files, registry keys and processes as the installer test
// checks them: whether a path or a key of the current user exists, a key's
// text value, a command line run to its end, and a fresh installation folder.
#ifndef QUILLON_TESTS_SUPPORT_DRIVER_SYSTEM_H
#define QUILLON_TESTS_SUPPORT_DRIVER_SYSTEM_H

#include <windows.h>

#include <string>

#include "driver.h"

namespace qdriver {

inline bool Exists(const std::string &path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool KeyExists(const char *key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

inline std::string KeyText(const char *key, const char *value) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return "";
    char text[MAX_PATH + 1] = "";
    DWORD size = MAX_PATH, type = 0;
    LONG result = ::RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE *>(text), &size);
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS && type == REG_SZ ? text : "";
}

// Runs a command line to its end; its exit code, or -1.
inline long Run(const std::string &commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    DWORD code = DWORD(-1);
    if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return long(code);
}

// A fresh, empty folder name under <bin>\..\install-test (the installer makes it).
inline std::string InstallFolder(const std::string &name) {
    std::string folder = qwintest::ProgramFolder() + "..\\install-test\\" + name;
    char full[MAX_PATH];
    ::GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    folder = full;
    std::string remove = "cmd.exe /c rmdir /s /q \"" + folder + "\"";
    if (Exists(folder)) Run(remove);
    return folder;
}

}  // namespace qdriver

#endif
