// A stand-in for the desktop's browser: Wine's browser launcher pointed (in
// the registry, for the object's life) at a program that appends what it was
// asked to open to a log file.
#ifndef QUILLON_TESTS_SUPPORT_DRIVER_BROWSER_H
#define QUILLON_TESTS_SUPPORT_DRIVER_BROWSER_H

#include <windows.h>

#include <shlwapi.h>

#include <string>

#include "tests/support/files.h"

namespace qdriver {

class BrowserStandIn {
public:
    // program: the stand-in (a Unix path); log: its log, as a Windows path.
    BrowserStandIn(const std::string &program, const std::string &log) : log_(log) {
        Forget();
        ::SHSetValueA(HKEY_CURRENT_USER, KEY, "Browsers", REG_SZ, program.c_str(), DWORD(program.size() + 1));
    }
    ~BrowserStandIn() { ::SHDeleteValueA(HKEY_CURRENT_USER, KEY, "Browsers"); }
    BrowserStandIn(const BrowserStandIn &) = delete;
    void Forget() const { ::DeleteFileA(log_.c_str()); }
    // What the browser was asked to open (one line), once it has been asked; empty after 10 s.
    std::string Opened() const {
        for (int tries = 0; tries < 250; ++tries) {
            std::string log = ReadBytes(log_);
            if (!log.empty() && log.back() == '\n') return log.substr(0, log.size() - 1);
            ::Sleep(40);
        }
        return std::string();
    }
    // The Windows path of a file URL or Unix path the browser was given.
    static std::string WindowsPath(std::string opened) {
        if (opened.compare(0, 7, "file://") == 0) opened.erase(0, 7);
        std::string path = "Z:";
        for (std::string::size_type i = 0; i < opened.size(); ++i) {
            if (opened[i] == '%' && i + 2 < opened.size()) {
                path += char(std::stoi(opened.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                path += opened[i] == '/' ? '\\' : opened[i];
            }
        }
        return path;
    }

private:
    static constexpr const char *KEY = "Software\\Wine\\WineBrowser";
    std::string log_;
};

}  // namespace qdriver

#endif
