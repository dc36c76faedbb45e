// The machine's files, registry keys and processes as the installer test
// checks them: whether a path or a key of the current user exists, a key's
// text value, a command line run to its end, and a fresh installation folder.
#ifndef QUILLON_TESTS_SUPPORT_DRIVER_SYSTEM_H
#define QUILLON_TESTS_SUPPORT_DRIVER_SYSTEM_H

#include <windows.h>

#include <shlwapi.h>

#include <filesystem>
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
    char text[MAX_PATH + 1] = "";
    DWORD size = MAX_PATH, type = 0;
    LONG result = ::SHGetValueA(HKEY_CURRENT_USER, key, value, &type, text, &size);
    return result == ERROR_SUCCESS && type == REG_SZ ? text : "";
}

// Runs a command line to its end; its exit code, or -1.
inline long Run(std::string line) {
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

// A fresh, empty folder name under <bin>\..\install-test (the installer makes it).
inline std::string InstallFolder(const std::string &name) {
    char full[MAX_PATH];
    ::GetFullPathNameA((qwintest::ProgramFolder() + "..\\install-test\\" + name).c_str(), MAX_PATH, full, nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(full, ignored);
    return full;
}

}  // namespace qdriver

#endif
