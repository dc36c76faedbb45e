// The HTML Help control loaded on demand.
#include "htmlhelp.h"

#include <string>

DWORD_PTR helpCookie = 0;

CHtmlHelp::CHtmlHelp(const char *clsidKey, const char *fallback) : clsidKey_(clsidKey), fallback_(fallback) {}

// The registered file first (its value may hold environment variables),
// then the fallback name; export 14 of whichever loads.
void CHtmlHelp::Load() {
    searched_ = true;
    ++attempts_;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, clsidKey_, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char value[MAX_PATH] = "", path[MAX_PATH] = "";
        DWORD type = 0, size = sizeof value - 1;
        if (::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            DWORD length = ::ExpandEnvironmentStringsA(value, path, sizeof path);
            if (length > 0 && length <= sizeof path && path[0] != 0) module_ = ::LoadLibraryA(path);
        }
        ::RegCloseKey(key);
    }
    if (module_ == nullptr) module_ = ::LoadLibraryA(fallback_);
    if (module_ != nullptr)
        function_ = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(::GetProcAddress(module_, MAKEINTRESOURCEA(14))));
}

HWND CHtmlHelp::Call(HWND caller, const char *file, UINT command, DWORD_PTR data) {
    if (!searched_) Load();
    return function_ != nullptr ? function_(caller, file, command, data) : nullptr;
}

CHtmlHelp &AppHtmlHelp() {
    static CHtmlHelp help("CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", "hhctrl.ocx");
    return help;
}

namespace {

bool helpInitialized = false;

}  // namespace

void InitializeHelp() {
    if (helpInitialized) return;
    helpInitialized = true;
    AppHtmlHelp().Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&helpCookie));
}

void UninitializeHelp() {
    if (!helpInitialized) return;
    helpInitialized = false;
    AppHtmlHelp().Call(nullptr, nullptr, HH_UNINITIALIZE, helpCookie);
}

// The help control is looked for and initialised on the first help command,
// not at start: loading it brings the common controls library with it.
HWND ShowHelpContents(HWND caller, const char *moduleDir) {
    InitializeHelp();
    std::string file = std::string(moduleDir != nullptr ? moduleDir : "") + "Quillon.chm";
    return AppHtmlHelp().Call(caller, file.c_str(), HH_DISPLAY_TOC, 0);
}
