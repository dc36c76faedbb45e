// The program entry point of a program built on this framework. It lives in
// its own object (library qframework_main), so that DLLs and test programs,
// which have entry points of their own, do not get it.
#include "afxwin.h"

// Runs the application object: InitInstance, then Run when it returned TRUE,
// then ExitInstance, whose result is the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    AfxSetInstanceHandle(instance);
    CWinApp *app = AfxGetApp();
    if (app == nullptr) return 1;  // a program without an application object
    if (app->InitInstance()) app->Run();
    return app->ExitInstance();
}
