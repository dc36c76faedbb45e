// A thin C++ layer over Win32 in the shape of the classic application
// framework: CWinApp, CWnd with message maps, CDialog, CDC, GDI objects and
// AfxMessageBox. It wraps what the program and the two control libraries
// use and nothing more.
//
// Each module (Quillon.exe, LEDRA.DLL, VEXIL.DLL) links its own copy of this
// static library, and so keeps its own map from window handle to C++ object.
// One window may therefore carry one object per module: the list control
// subclasses its VEXIL child, whose own object lives in VEXIL.DLL. Each
// module's window procedure finds the object of its own module and passes
// what that object does not handle to the previous window procedure.
//
// Message maps are tables of entries made by the ON_ macros below; every
// entry holds a small adapter that unpacks wParam and lParam and calls a
// typed handler. Handlers ask for the default processing of the current
// message with Default(). Nothing in this layer throws.
#ifndef QUILLON_FRAMEWORK_AFXWIN_H
#define QUILLON_FRAMEWORK_AFXWIN_H

#include <windows.h>

#include "afxstr.h"

class CWnd;
class CDC;

// ---------------------------------------------------------------------------
// Small value types

struct CPoint : POINT {
    CPoint() { x = y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
    explicit CPoint(LPARAM lParam) { x = (short)LOWORD(lParam); y = (short)HIWORD(lParam); }
};

struct CRect : RECT {
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT &r) : RECT(r) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator RECT *() { return this; }
    operator const RECT *() const { return this; }
};

// ---------------------------------------------------------------------------
// Message maps

// Calls the handler of one entry. Returns TRUE when the message was handled
// (result holds the answer), FALSE to let the search go on.
typedef BOOL (*AfxMsgThunk)(CWnd *self, WPARAM wParam, LPARAM lParam, LRESULT *result);

struct AFX_MSGMAP_ENTRY {
    UINT message;  // the window message (WM_COMMAND and WM_NOTIFY for command entries)
    UINT code;     // WM_COMMAND/WM_NOTIFY: the notification code
    UINT idFirst;  // WM_COMMAND/WM_NOTIFY: first control or command id
    UINT idLast;   // WM_COMMAND/WM_NOTIFY: last control or command id
    AfxMsgThunk thunk;  // nullptr ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)();  // nullptr for CWnd
    const AFX_MSGMAP_ENTRY *lpEntries;
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP *GetThisMessageMap();   \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                    \
    const AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP *theClass::GetThisMessageMap() {                             \
        typedef theClass ThisClass;                                               \
        typedef baseClass TheBaseClass;                                           \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                  \
        {0, 0, 0, 0, nullptr}};                                            \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                       \
    }

// Any message: LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                  \
    {message, 0, 0, 0, [](CWnd *w, WPARAM wp, LPARAM lp, LRESULT *r) -> BOOL {          \
         *r = static_cast<ThisClass *>(w)->memberFxn(wp, lp);                           \
         return TRUE;                                                                   \
     }},

// Command from a menu, accelerator or button: void memberFxn().
#define ON_COMMAND(id, memberFxn)                                                      \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), [](CWnd *w, WPARAM, LPARAM, LRESULT *r) -> BOOL { \
         static_cast<ThisClass *>(w)->memberFxn();                                     \
         *r = 0;                                                                       \
         return TRUE;                                                                  \
     }},
#define ON_CONTROL(code, id, memberFxn)                                                  \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), [](CWnd *w, WPARAM, LPARAM, LRESULT *r) -> BOOL { \
         static_cast<ThisClass *>(w)->memberFxn();                                       \
         *r = 0;                                                                         \
         return TRUE;                                                                    \
     }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)

// WM_NOTIFY from control id: void memberFxn(NMHDR *, LRESULT *).
#define ON_NOTIFY(code, id, memberFxn)                                                   \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), [](CWnd *w, WPARAM, LPARAM lp, LRESULT *r) -> BOOL { \
         *r = 0;                                                                         \
         static_cast<ThisClass *>(w)->memberFxn(reinterpret_cast<NMHDR *>(lp), r);       \
         return TRUE;                                                                    \
     }},

// Standard messages with their usual handler signatures.
#define AFX_SIMPLE_ENTRY(message, call)                                              \
    {message, 0, 0, 0, [](CWnd *w, WPARAM wParam, LPARAM lParam, LRESULT *r) -> BOOL { \
         ThisClass *self = static_cast<ThisClass *>(w);                              \
         (void)wParam;                                                               \
         (void)lParam;                                                               \
         *r = 0;                                                                     \
         call;                                                                       \
         return TRUE;                                                                \
     }},

#define ON_WM_CREATE() AFX_SIMPLE_ENTRY(WM_CREATE, *r = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_DESTROY() AFX_SIMPLE_ENTRY(WM_DESTROY, self->OnDestroy())
#define ON_WM_PAINT() AFX_SIMPLE_ENTRY(WM_PAINT, self->OnPaint())
#define ON_WM_ERASEBKGND() AFX_SIMPLE_ENTRY(WM_ERASEBKGND, *r = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))
#define ON_WM_SIZE() AFX_SIMPLE_ENTRY(WM_SIZE, self->OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SETFOCUS() AFX_SIMPLE_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() AFX_SIMPLE_ENTRY(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KEYDOWN() AFX_SIMPLE_ENTRY(WM_KEYDOWN, self->OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() AFX_SIMPLE_ENTRY(WM_CHAR, self->OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_LBUTTONDOWN() AFX_SIMPLE_ENTRY(WM_LBUTTONDOWN, self->OnLButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_LBUTTONUP() AFX_SIMPLE_ENTRY(WM_LBUTTONUP, self->OnLButtonUp((UINT)wParam, CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() AFX_SIMPLE_ENTRY(WM_LBUTTONDBLCLK, self->OnLButtonDblClk((UINT)wParam, CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() AFX_SIMPLE_ENTRY(WM_RBUTTONDOWN, self->OnRButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_MOUSEMOVE() AFX_SIMPLE_ENTRY(WM_MOUSEMOVE, self->OnMouseMove((UINT)wParam, CPoint(lParam)))
#define ON_WM_VSCROLL() AFX_SIMPLE_ENTRY(WM_VSCROLL, self->OnVScroll(LOWORD(wParam), (short)HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_GETDLGCODE() AFX_SIMPLE_ENTRY(WM_GETDLGCODE, *r = self->OnGetDlgCode())
#define ON_WM_SYSCOMMAND() AFX_SIMPLE_ENTRY(WM_SYSCOMMAND, self->OnSysCommand((UINT)wParam, lParam))
#define ON_WM_QUERYDRAGICON() AFX_SIMPLE_ENTRY(WM_QUERYDRAGICON, *r = reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))
#define ON_WM_INITMENU() AFX_SIMPLE_ENTRY(WM_INITMENU, self->OnInitMenu(reinterpret_cast<HMENU>(wParam)))

// ---------------------------------------------------------------------------
// GDI objects

class CGdiObject {
public:
    CGdiObject() : m_hObject(nullptr) {}
    virtual ~CGdiObject() { DeleteObject(); }
    BOOL DeleteObject();  // deletes the handle if there is one
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();

    HGDIOBJ m_hObject;

private:
    CGdiObject(const CGdiObject &) = delete;
    CGdiObject &operator=(const CGdiObject &) = delete;
};

class CFont : public CGdiObject {
public:
    // nPointSize in tenths of a point, measured against dc (the screen when null).
    BOOL CreatePointFont(int nPointSize, const char *faceName, CDC *dc = nullptr);
    BOOL CreateFontIndirect(const LOGFONTA *logFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC *dc, int width, int height);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// ---------------------------------------------------------------------------
// Device contexts. Modules hand each other the HDC, never the CDC
// (VXM_DRAWFORMULA); the drawing members are plain wrappers of its calls.

class CDC {
public:
    CDC() : m_hDC(nullptr) {}
    virtual ~CDC();  // deletes a DC made with CreateCompatibleDC
    // A temporary wrapper (see CWnd::FromHandle). Defined in afxwnd.cpp
    // beside the temporary windows: both live and die with one message.
    static CDC *FromHandle(HDC dc);

    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC *dc);
    BOOL DeleteDC();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ object);
    HGDIOBJ SelectObject(CGdiObject *object) { return SelectObject(object->m_hObject); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    BOOL TextOut(int x, int y, const char *text, int length) { return ::TextOutA(m_hDC, x, y, text, length); }
    BOOL GetTextMetrics(TEXTMETRICA *metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }
    void FillSolidRect(const RECT *rect, COLORREF color);
    int FillRect(const RECT *rect, CBrush *brush) { return ::FillRect(m_hDC, rect, *brush); }
    BOOL BitBlt(int x, int y, int width, int height, CDC *source, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, width, height, source->m_hDC, sx, sy, rop);
    }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }

    HDC m_hDC;

private:
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;
    bool ownsDC = false;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd *wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// ---------------------------------------------------------------------------
// Windows

class CWnd {
public:
    CWnd();
    virtual ~CWnd();  // a window still attached is detached, never destroyed

    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object of this module attached to hWnd, or nullptr.
    static CWnd *FromHandlePermanent(HWND hWnd);
    // The permanent object, or else a temporary wrapper (one per handle) that
    // lives until the outermost message of this module returns; one made
    // outside any message lives until AfxDeleteTemporaryObjects (the message
    // loop's idle time). nullptr for a null handle.
    static CWnd *FromHandle(HWND hWnd);

    // Binds the object to an existing window without touching its procedure.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Binds the object and routes the window's messages through this
    // module's window procedure first; the previous procedure gets the rest.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd *parent);
    HWND UnsubclassWindow();

    BOOL CreateEx(DWORD exStyle, const char *className, const char *windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    BOOL DestroyWindow();

    // Default processing of the message being handled now.
    LRESULT Default();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *result);
    virtual void PostNcDestroy();  // after WM_NCDESTROY; objects that delete themselves override it
    // A message of a modal dialog's loop, before the dialog manager handles
    // it: offered to this module's object of the window it is for, then to
    // those of its parents up to its top-level window. TRUE: handled, the
    // loop drops it. Default: FALSE.
    virtual BOOL PreTranslateMessage(MSG *msg);

    // Thin wrappers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    CWnd *GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd *GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetWindowText(const char *text) { ::SetWindowTextA(m_hWnd, text); }
    int GetWindowText(char *buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
    void GetWindowText(CString &text) const;
    void GetClientRect(RECT *rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT *rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(POINT *point) const { ::ClientToScreen(m_hWnd, point); }
    void ScreenToClient(POINT *point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(RECT *rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, width, height, repaint); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    CWnd *SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd *GetFocus() { return FromHandle(::GetFocus()); }
    CWnd *SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT *rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void ValidateRect(const RECT *rect) { ::ValidateRect(m_hWnd, rect); }
    CDC *GetDC();                  // a temporary CDC; give it back with ReleaseDC
    int ReleaseDC(CDC *dc);
    CWnd *GetNextDlgTabItem(CWnd *control, BOOL previous = FALSE) const;
    int MessageBox(const char *text, const char *caption = nullptr, UINT type = MB_OK);
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    HICON SetIcon(HICON icon, BOOL big) { return (HICON)::SendMessageA(m_hWnd, WM_SETICON, big, (LPARAM)icon); }
    void SetFont(CFont *font, BOOL redraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)font->m_hObject, redraw); }
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE) { ::SetScrollRange(m_hWnd, bar, minPos, maxPos, redraw); }
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
    int GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
    BOOL CreateSolidCaret(int width, int height) { return ::CreateCaret(m_hWnd, nullptr, width, height); }
    void ShowCaret() { ::ShowCaret(m_hWnd); }

protected:
    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const;

    WNDPROC m_pfnSuper;  // the procedure before subclassing, or nullptr

private:
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;
    friend LRESULT AfxCallWndProc(CWnd *wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// This module's window procedure: finds this module's object for hWnd and
// calls AfxCallWndProc, or passes the message on when there is none.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs one message through wnd's message map with the current message kept
// for Default(); after WM_NCDESTROY detaches wnd and calls PostNcDestroy.
LRESULT AfxCallWndProc(CWnd *wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Focus kept over a modal dialog or a message box

// The focus window of the moment (or the one given), given back by Restore
// and by the destructor: a dialog or box closing leaves the window beneath
// it with the focus where it was, not on the dialog manager's first control.
// A focus window that is hidden or disabled by then gives way to its nearest
// parent that can take it; a window that is gone, a top-level focus (no
// control had it) or a top-level window still disabled changes nothing.
class CFocusKeeper {
public:
    CFocusKeeper() : focus(::GetFocus()) {}
    explicit CFocusKeeper(HWND window) : focus(window) {}
    ~CFocusKeeper() { Restore(); }
    void Restore() const;

private:
    CFocusKeeper(const CFocusKeeper &) = delete;
    CFocusKeeper &operator=(const CFocusKeeper &) = delete;
    HWND focus;
};

// ---------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd *parent = nullptr);

    // Runs the dialog from the module's resource template, centred over its
    // owner when the owner is shown, and gives the focus back where it was
    // (CFocusKeeper) when it ends; returns the value given to EndDialog, or
    // -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();  // default: TRUE (focus to the first control)
    virtual void OnOK();          // default: EndDialog(IDOK)
    virtual void OnCancel();      // default: EndDialog(IDCANCEL)
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;  // the maps; IDOK/IDCANCEL end in CDialog's

    // The control the focus goes back to when the dialog is next activated.
    // The dialog keeps the one that has the focus as it is deactivated (a
    // dialog or box opening above it, another program); one given here
    // stands instead until that activation (a control that was just left
    // and cannot take the focus back yet, such as a list's closed cell).
    void KeepFocus(HWND control) {
        focusKept = control;
        focusPinned = true;
    }

    int IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    void SetDlgItemText(int id, const char *text) { ::SetDlgItemTextA(m_hWnd, id, text); }

protected:
    // WM_INITDIALOG goes to OnInitDialog; WM_ACTIVATE keeps and gives back
    // the focus (KeepFocus); everything else as in CWnd.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDHelp;  // the template id
    CWnd *m_pParentWnd;
    HWND focusKept = nullptr;
    bool focusPinned = false;  // focusKept given by KeepFocus

    // IDOK -> OnOK and IDCANCEL -> OnCancel, found after the derived maps, so
    // CWnd::OnCommand of a derived dialog still closes it on Escape.
    DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------
// Application and module

// CWinApp's members are defined by subsystem (afxapp.cpp: the object and
// its loop; afxext.cpp: the registry key and resources; afxprof.cpp: the
// profile), so that a module linking the static framework takes only the
// parts it calls: the control libraries never link the profile.
class CWinApp {
public:
    explicit CWinApp(const char *appName = nullptr);
    virtual ~CWinApp();

    virtual BOOL InitInstance();  // default: TRUE
    virtual int ExitInstance();   // default: 0
    virtual int Run();            // a message loop, when InitInstance returned TRUE

    // afxext.cpp: the registry key of the profile, resources.
    void SetRegistryKey(const char *key);
    HICON LoadIcon(UINT id) const;

    const char *m_pszAppName;  // the executable's base name unless given
    const char *m_pszRegistryKey = nullptr;  // set by SetRegistryKey
    CWnd *m_pMainWnd;
    HINSTANCE m_hInstance;

    // Settings under HKEY_CURRENT_USER\Software\<m_pszRegistryKey>\<m_pszAppName>\<section>
    // (afxprof.cpp). Without a registry key nothing is stored: reads give
    // the default, writes fail.
    UINT GetProfileInt(const char *section, const char *entry, int defaultValue);
    CString GetProfileString(const char *section, const char *entry, const char *defaultValue = nullptr);
    BOOL WriteProfileInt(const char *section, const char *entry, int value);
    BOOL WriteProfileString(const char *section, const char *entry, const char *value);

private:
    char m_registryKey[MAX_PATH] = "";
};

CWinApp *AfxGetApp();
// Defined by a program built on the framework: its application object, which
// the program's entry point (quillon_framework_main) makes, runs and destroys.
CWinApp *AfxCreateApp();
CWnd *AfxGetMainWnd();                 // the application's m_pMainWnd, or nullptr
HINSTANCE AfxGetInstanceHandle();      // this module's instance
void AfxSetInstanceHandle(HINSTANCE);  // a DLL's entry point records its own
const char *AfxGetAppName();           // caption of AfxMessageBox in this module
void AfxSetAppName(const char *name);

// A message box owned by the active window, captioned with the module's
// application name; MB_ICONEXCLAMATION is added when type names no icon.
int AfxMessageBox(const char *text, UINT type = MB_OK, UINT helpId = 0);

// ---------------------------------------------------------------------------
// Diagnostics for tests (per module)

// Temporary CWnd and CDC wrappers made by FromHandle and GetDC that are alive now.
int AfxGetTemporaryObjectCount();
// Deletes the temporaries made outside any message (the message loop does
// this when idle). Those made inside a message go when the outermost message
// of this module returns.
void AfxDeleteTemporaryObjects();
// This module's live framework objects: the windows bound to an object
// (Attach, SubclassWindow, CreateEx, a running CDialog) and the temporary
// CWnd and CDC wrappers. Steady while the program repeats what it does.
int AfxGetLiveObjectCount();
// The name of a registered message that every window bound to an object of
// a module answers, before its message map (in AfxCallWndProc), with that
// module's AfxGetLiveObjectCount() (wParam and lParam unused). A window
// carrying objects of two modules answers for the module whose procedure
// comes first. The soak (bench/win) asks it from another process: the main
// dialog answers for Quillon.exe, the list for LEDRA.DLL.
#define AFX_OBJECT_COUNT_MESSAGE "Quillon.FrameworkObjectCount"

#endif
