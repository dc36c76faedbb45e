// HTML Help, found at run time: the HTML Help control named by its class
// registration, else "hhctrl.ocx" by name, and its export number 14
// (HtmlHelpA). Nothing is imported, so the program starts where HTML Help
// is missing; then every help call does nothing and answers 0.
#ifndef QUILLON_APP_HTMLHELP_H
#define QUILLON_APP_HTMLHELP_H

#include <windows.h>

#include <string>

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

// The program's help: the HTML Help control of class
// {ADB880A6-D8FF-11CF-9377-00AA003B7A11}, else "hhctrl.ocx", initialised
// at the first help command and uninitialised by Close (the main dialog's
// destruction).
class CAppHelp {
public:
    CAppHelp();
    ~CAppHelp() { Close(); }
    CAppHelp(const CAppHelp &) = delete;

    // The contents of folder + "Quillon.chm": in a help window where the
    // system can draw HTML and has the HTML Help control, else the pages in
    // the desktop's browser (see ShowHelpInBrowser). The help window, or nullptr.
    HWND ShowContents(HWND caller, const char *folder);
    // HH_UNINITIALIZE with the cookie HH_INITIALIZE gave, when it ran.
    void Close();

private:
    CHtmlHelp control;
    DWORD_PTR cookie = 0;
    bool initialized = false;
};

// Whether the system's HTML document object can be created: HTML Help draws
// its pages with it, and shows empty pages without it (Wine without its HTML
// engine). Asked once; COM must be initialised.
bool HtmlEngineAvailable();

// Copies the pages of the help file chm (every stream of its root that is
// not one of the file's own tables) into folder, which must exist; the
// number of pages copied, 0 when the file cannot be read.
int ExtractHelpPages(const char *chm, const std::string &folder);

// The help file's pages in the user's web browser: copied into a folder
// "Quillon Help" under the temporary folder, then index.htm opened as a
// document (under Wine this reaches the desktop's browser). A message box
// says so when the help file cannot be read or no browser starts (the
// document's program could not be run, or ended at once with a failure),
// naming the folder the pages are in.
void ShowHelpInBrowser(HWND caller, const char *chm);

#endif
