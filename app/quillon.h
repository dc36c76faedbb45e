// The application object of Quillon.exe: prepares the process, loads the
// control libraries by file name and runs the main dialog.
#ifndef QUILLON_APP_QUILLON_H
#define QUILLON_APP_QUILLON_H

#include "framework/afxwin.h"

class CQuillonApp : public CWinApp {
public:
    CQuillonApp() {}
    // Always FALSE: the program ends when the main dialog does.
    BOOL InitInstance() override;
};

#endif
