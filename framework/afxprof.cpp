// The application's settings in the registry: the profile functions of
// CWinApp. Values live under
//   HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>
// as REG_DWORD (integers) and REG_SZ (texts); the registry key is the one
// given to SetRegistryKey, the application name the application object's
// m_pszAppName, the executable's base name by default.
#include "afxwin.h"

namespace {

// Opens (or with create, creates) the section's key; nullptr when there is
// no registry key (SetRegistryKey) or the key cannot be opened.
HKEY OpenSectionKey(const CWinApp *app, const char *section, bool create) {
    const char *registryKey = app->m_pszRegistryKey;
    if (registryKey == nullptr || registryKey[0] == 0 || app->m_pszAppName == nullptr || section == nullptr)
        return nullptr;
    CString path = CString("Software\\") + registryKey + "\\" + app->m_pszAppName + "\\" + section;
    HKEY key = nullptr;
    LONG status = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                         : ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

// A stored REG_DWORD, or defaultValue when it is missing or of another kind.
UINT CWinApp::GetProfileInt(const char *section, const char *entry, int defaultValue) {
    HKEY key = OpenSectionKey(this, section, false);
    if (key == nullptr) return static_cast<UINT>(defaultValue);
    DWORD type = 0, value = 0, size = sizeof value;
    LONG status = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return static_cast<UINT>(defaultValue);
    return value;
}

// A stored REG_SZ, or defaultValue ("" for nullptr) when it is missing or of another kind.
CString CWinApp::GetProfileString(const char *section, const char *entry, const char *defaultValue) {
    CString fallback(defaultValue);
    HKEY key = OpenSectionKey(this, section, false);
    if (key == nullptr) return fallback;
    DWORD type = 0, size = 0;
    LONG status = ::RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size);
    CString text;
    if (status == ERROR_SUCCESS && type == REG_SZ) {
        // The stored bytes need not end in NUL: one spare byte, and the
        // length is taken up to the first NUL.
        char *buffer = text.GetBuffer(static_cast<int>(size) + 1);
        status = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
        buffer[status == ERROR_SUCCESS ? size : 0] = 0;
        text.ReleaseBuffer();
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? text : fallback;
}

// Stores value as a REG_DWORD; FALSE when it cannot be stored.
BOOL CWinApp::WriteProfileInt(const char *section, const char *entry, int value) {
    HKEY key = OpenSectionKey(this, section, true);
    if (key == nullptr) return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG status = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Stores value as a REG_SZ (a null value deletes the entry); FALSE when that fails.
BOOL CWinApp::WriteProfileString(const char *section, const char *entry, const char *value) {
    HKEY key = OpenSectionKey(this, section, true);
    if (key == nullptr) return FALSE;
    LONG status = value == nullptr
                      ? ::RegDeleteValueA(key, entry)
                      : ::RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                                         static_cast<DWORD>(lstrlenA(value) + 1));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
