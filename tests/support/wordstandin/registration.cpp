// Registration of the stand-in server under HKEY_CLASSES_ROOT.
#include "registration.h"

#include <shlwapi.h>

namespace {

const char kClsidText[] = "{6E1F3A52-9C1B-4D2E-8F40-2B7C5D8E9A11}";

bool SetValue(const std::string &path, const std::string &value, const char *name = nullptr) {
    return ::SHSetValueA(HKEY_CLASSES_ROOT, path.c_str(), name, REG_SZ, value.c_str(), DWORD(value.size() + 1)) ==
           ERROR_SUCCESS;
}

}  // namespace

StandInServer::StandInServer(const std::string &serverPath) {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(::GetModuleHandleA("wordstandin.dll"), path, sizeof path);
    std::string server = serverPath.empty() ? std::string(path, length) : serverPath;
    std::string clsidKey = std::string("CLSID\\") + kClsidText;
    ok_ = length != 0 && SetValue("Word.Application\\CLSID", kClsidText) &&
          SetValue(clsidKey, "Stand-in word processor") && SetValue(clsidKey + "\\InprocServer32", server) &&
          SetValue(clsidKey + "\\InprocServer32", "Apartment", "ThreadingModel") &&
          SetValue(clsidKey + "\\ProgID", "Word.Application");
    if (ok_) StandInReset();
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
