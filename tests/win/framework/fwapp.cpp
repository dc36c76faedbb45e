// fwapp.exe: a program built on CWinApp and the framework's WinMain, run by
// the application tests. Its command line picks what InitInstance does:
//   run N   post WM_QUIT with code N and return TRUE (Run ends with N)
//   fail    return FALSE (no Run)
// ExitInstance returns 100 + the base result when the application name is
// the executable's base name ("fwapp"), else 1.
#include <cstdlib>
#include <cstring>

#include "afxwin.h"

class CFwApp : public CWinApp {
public:
    BOOL InitInstance() override {
        const char *command = ::GetCommandLineA();
        const char *run = std::strstr(command, " run ");
        if (run != nullptr) {
            ::PostQuitMessage(std::atoi(run + 5));
            return TRUE;
        }
        return FALSE;
    }
    int ExitInstance() override {
        int base = CWinApp::ExitInstance();
        bool named = std::strcmp(AfxGetAppName(), "fwapp") == 0 && std::strcmp(m_pszAppName, "fwapp") == 0;
        return named && m_hInstance == ::GetModuleHandleA(nullptr) ? 100 + base : 1;
    }
};

CFwApp theApp;
