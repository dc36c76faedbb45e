// The program entry point of a program built on this framework. It lives in
// its own object (library quillon_framework_main), so that DLLs and test programs,
// which have entry points of their own, do not get it.
#include "afxwin.h"

#include <memory>

// Makes the program's application object and runs it: InitInstance, then Run
// when it returned TRUE, then ExitInstance, whose result is the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    AfxSetInstanceHandle(instance);
    const std::unique_ptr<CWinApp> app(AfxCreateApp());
    if (!app) return 1;
    if (app->InitInstance()) app->Run();
    return app->ExitInstance();
}
