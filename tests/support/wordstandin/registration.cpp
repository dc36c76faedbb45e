// Registration of the stand-in server under HKEY_CLASSES_ROOT.
#include "registration.h"

#include <shlwapi.h>

namespace {

const char kClsidText[] = "{6E1F3A52-9C1B-4D2E-8F40-2B7C5D8E9A11}";

bool SetDefault(const std::string &path, const std::string &value, const char *name = nullptr) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                   DWORD(value.size() + 1));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

template <typename Fn>
void Find(HMODULE module, const char *name, Fn &fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
}

}  // namespace

StandInServer::StandInServer(const std::string &serverPath) {
    module_ = ::LoadLibraryA("wordstandin.dll");
    if (module_ == nullptr) return;
    Find(module_, "StandInReset", Reset);
    Find(module_, "StandInLog", Log);
    Find(module_, "StandInFailAt", FailAt);
    Find(module_, "StandInDocumentText", DocumentText);
    Find(module_, "StandInCloseDocument", CloseDocument);
    Find(module_, "StandInNewApplication", NewApplication);
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(module_, path, sizeof path);
    std::string server = serverPath.empty() ? std::string(path, length) : serverPath;
    std::string clsidKey = std::string("CLSID\\") + kClsidText;
    ok_ = Reset && Log && FailAt && DocumentText && CloseDocument && NewApplication &&
          SetDefault("Word.Application\\CLSID", kClsidText) && SetDefault(clsidKey, "Stand-in word processor") &&
          SetDefault(clsidKey + "\\InprocServer32", server) &&
          SetDefault(clsidKey + "\\InprocServer32", "Apartment", "ThreadingModel") &&
          SetDefault(clsidKey + "\\ProgID", "Word.Application");
    if (ok_) Reset();
}

StandInServer::~StandInServer() {
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, "Word.Application");
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsidText).c_str());
}

CLSID StandInServer::clsid() const {
    CLSID clsid = {};
    ::CLSIDFromProgID(L"Word.Application", &clsid);
    return clsid;
}
