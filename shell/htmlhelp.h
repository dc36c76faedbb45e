// HTML Help, found at run time: the HTML Help control named by its class
// registration, else "hhctrl.ocx" by name, and its export number 14
// (HtmlHelpA). Nothing is imported, so the program starts where HTML Help
// is missing; then every help call does nothing and answers 0.
#ifndef QUILLON_SHELL_HTMLHELP_H
#define QUILLON_SHELL_HTMLHELP_H

#include <windows.h>

const UINT HH_DISPLAY_TOC = 0x0001;
const UINT HH_INITIALIZE = 0x001C;
const UINT HH_UNINITIALIZE = 0x001D;

typedef HWND(WINAPI *HtmlHelpFn)(HWND caller, const char *file, UINT command, DWORD_PTR data);

// The control is looked for once, at the first call; a failed search is
// not repeated. A loaded control stays loaded for the life of the process.
class CHtmlHelp {
public:
    // clsidKey: the key under HKEY_CLASSES_ROOT whose default value names
    // the control's file; fallback: the file loaded by name otherwise.
    CHtmlHelp(const char *clsidKey, const char *fallback);
    CHtmlHelp(const CHtmlHelp &) = delete;

    HWND Call(HWND caller, const char *file, UINT command, DWORD_PTR data);
    int LoadAttempts() const { return attempts_; }  // how often the control was looked for
    HMODULE Module() const { return module_; }

private:
    void Load();
    const char *clsidKey_;
    const char *fallback_;
    int attempts_ = 0;
    bool searched_ = false;
    HMODULE module_ = nullptr;
    HtmlHelpFn function_ = nullptr;
};

// The program's HTML Help: the control of class
// {ADB880A6-D8FF-11CF-9377-00AA003B7A11}, else "hhctrl.ocx".
CHtmlHelp &AppHtmlHelp();

// The cookie that HH_INITIALIZE fills and HH_UNINITIALIZE takes back.
extern DWORD_PTR helpCookie;

// HH_INITIALIZE with &helpCookie, once (the first help command).
void InitializeHelp();
// HH_UNINITIALIZE with helpCookie when HH_INITIALIZE ran (the main dialog's destruction).
void UninitializeHelp();
// The contents of moduleDir + "Quillon.chm" in a help window; the window or nullptr.
HWND ShowHelpContents(HWND caller, const char *moduleDir);

#endif
