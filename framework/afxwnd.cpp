// CWnd: this module's map from window handle to object, message dispatch
// through the message maps, default processing, subclassing, and the
// temporary wrappers that FromHandle hands out.
//
// Everything kept here is module-private: each module (the program and each
// DLL) links its own copy of this library and so has its own handle map, its
// own chain of messages being handled and its own temporaries. One window may
// thus carry one object per module; each module's AfxWndProc finds its own.
#include "afxwin.h"

#include <unordered_map>

namespace {

// ---------------------------------------------------------------------------
// Permanent objects

typedef std::unordered_map<HWND, CWnd *> WindowMap;

// The windows of this module that have an object (Attach, SubclassWindow, CreateEx).
WindowMap &PermanentMap() {
    static WindowMap *map = new WindowMap;  // never destroyed: objects may detach at exit
    return *map;
}

// ---------------------------------------------------------------------------
// Messages being handled

// One message being handled by one object of this module. Frames live on the
// stack of AfxCallWndProc and chain outwards; the chain answers Default()
// and tells when the outermost message has returned.
struct MessageFrame {
    CWnd *wnd;  // nullptr once the object has been deleted
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    MessageFrame *outer;
};

MessageFrame *g_innermost = nullptr;

// Clears the frames of an object that is going away, so nothing reaches it later.
void ForgetFrames(CWnd *wnd) {
    for (MessageFrame *frame = g_innermost; frame != nullptr; frame = frame->outer)
        if (frame->wnd == wnd) frame->wnd = nullptr;
}

// ---------------------------------------------------------------------------
// Temporary wrappers

// Wrappers made for handles without a permanent object. Those made while a
// message of this module is being handled are deleted when the outermost such
// message returns; those made outside any message live until
// AfxDeleteTemporaryObjects (the message loop's idle time). One wrapper per
// handle, so their number is bounded by the handles in use; wrappers of dead
// handles made outside messages are pruned when that store grows large.
template <class T>
class TempStore {
public:
    T *Get(void *handle, bool insideMessage) {
        auto found = inside_.find(handle);
        if (found != inside_.end()) return found->second;
        found = outside_.find(handle);
        if (found != outside_.end()) return found->second;
        if (!insideMessage && outside_.size() >= kPruneAt) PruneDead();
        T *wrapper = new T;
        SetHandle(wrapper, handle);
        (insideMessage ? inside_ : outside_)[handle] = wrapper;
        return wrapper;
    }
    void DeleteInside() { DeleteAll(inside_); }
    void DeleteOutside() { DeleteAll(outside_); }
    int Count() const { return int(inside_.size() + outside_.size()); }

private:
    typedef std::unordered_map<void *, T *> Map;
    static const size_t kPruneAt = 256;

    static void DeleteAll(Map &map) {
        Map doomed;
        doomed.swap(map);  // a destructor must not find a half-cleared map
        for (auto &entry : doomed) {
            SetHandle(entry.second, nullptr);
            delete entry.second;
        }
    }
    void PruneDead() {
        for (auto it = outside_.begin(); it != outside_.end();) {
            if (IsAlive(it->second)) {
                ++it;
            } else {
                SetHandle(it->second, nullptr);
                delete it->second;
                it = outside_.erase(it);
            }
        }
    }
    static void SetHandle(CWnd *wnd, void *handle) { wnd->m_hWnd = static_cast<HWND>(handle); }
    static void SetHandle(CDC *dc, void *handle) { dc->m_hDC = static_cast<HDC>(handle); }
    static bool IsAlive(CWnd *wnd) { return ::IsWindow(wnd->m_hWnd) != FALSE; }
    static bool IsAlive(CDC *dc) { return ::GetObjectType(dc->m_hDC) != 0; }

    Map inside_;
    Map outside_;
};

TempStore<CWnd> &TempWindows() {
    static TempStore<CWnd> *store = new TempStore<CWnd>;
    return *store;
}

TempStore<CDC> &TempDCs() {
    static TempStore<CDC> *store = new TempStore<CDC>;
    return *store;
}

// ---------------------------------------------------------------------------
// Window creation

// The object CreateEx is creating a window for, and the class asked for; the
// CBT hook binds the object to the first window of that class created after
// it was set, before that window's first message. (The system may create a
// helper window, such as the thread's IME window, first.)
CWnd *g_creating = nullptr;
const char *g_creatingClass = nullptr;
HHOOK g_createHook = nullptr;

// True when hWnd is of the class CreateEx asked for (an atom matches anything).
bool IsClassBeingCreated(HWND hWnd) {
    if (g_creatingClass == nullptr || IS_INTRESOURCE(g_creatingClass)) return true;
    char name[256];
    if (::GetClassNameA(hWnd, name, sizeof name) == 0) return false;
    return ::lstrcmpiA(name, g_creatingClass) == 0;
}

// Binds the pending object to the window being created.
LRESULT CALLBACK CreateHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && g_creating != nullptr && IsClassBeingCreated(hWnd)) {
        CWnd *wnd = g_creating;
        g_creating = nullptr;
        wnd->SubclassWindow(hWnd);
    }
    return ::CallNextHookEx(g_createHook, code, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Message maps

// Runs the first entry of the map chain that matches and takes the message.
template <class Match>
BOOL RunMapEntry(CWnd *wnd, const AFX_MSGMAP *map, Match matches, WPARAM wParam, LPARAM lParam,
                 LRESULT *result) {
    for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *entry = map->lpEntries; entry->thunk != nullptr; ++entry) {
            if (matches(*entry) && entry->thunk(wnd, wParam, lParam, result)) return TRUE;
        }
    }
    return FALSE;
}

// True for the entries that ON_COMMAND, ON_CONTROL and ON_NOTIFY make.
bool IsCommandEntry(const AFX_MSGMAP_ENTRY &entry) {
    return entry.message == WM_COMMAND || entry.message == WM_NOTIFY;
}

}  // namespace

// ---------------------------------------------------------------------------
// Window procedure

// This module's window procedure: the object of this module, or default processing.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}

// Runs one message through wnd with a frame for Default(); ends the binding
// after WM_NCDESTROY and frees temporaries after the outermost message.
// The count message (AFX_OBJECT_COUNT_MESSAGE) is answered here, before
// any map: the controls' class procedures come here directly.
LRESULT AfxCallWndProc(CWnd *wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT countMessage = ::RegisterWindowMessageA(AFX_OBJECT_COUNT_MESSAGE);
    if (message == countMessage && countMessage != 0) return AfxGetLiveObjectCount();
    MessageFrame frame = {wnd, message, wParam, lParam, g_innermost};
    g_innermost = &frame;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && frame.wnd != nullptr && wnd->m_hWnd == hWnd) {
        // The window is gone: give it back its previous procedure (nothing more
        // should arrive, but whatever does goes on down the chain), unbind the
        // object, and let it delete itself if it does so.
        if (wnd->m_pfnSuper != nullptr &&
            reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == AfxWndProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        CWinApp *app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == wnd) {
            // The main window of a program ends its message loop.
            app->m_pMainWnd = nullptr;
            if (AfxGetInstanceHandle() == ::GetModuleHandleA(nullptr)) ::PostQuitMessage(0);
        }
        wnd->PostNcDestroy();
    }
    g_innermost = frame.outer;
    if (g_innermost == nullptr) {
        TempWindows().DeleteInside();
        TempDCs().DeleteInside();
    }
    return result;
}

// ---------------------------------------------------------------------------
// Temporaries

// The live temporary wrappers of this module.
int AfxGetTemporaryObjectCount() { return TempWindows().Count() + TempDCs().Count(); }

int AfxGetLiveObjectCount() { return int(PermanentMap().size()) + AfxGetTemporaryObjectCount(); }

// Deletes every temporary wrapper made outside a message.
void AfxDeleteTemporaryObjects() {
    TempWindows().DeleteOutside();
    TempDCs().DeleteOutside();
}

// A temporary CDC for a device context handle; nullptr for a null handle.
CDC *CDC::FromHandle(HDC dc) {
    if (dc == nullptr) return nullptr;
    return TempDCs().Get(dc, g_innermost != nullptr);
}

// ---------------------------------------------------------------------------
// CWnd

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

// Detaches a window still bound (restoring its procedure if it was subclassed).
CWnd::~CWnd() {
    ForgetFrames(this);
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        if (m_pfnSuper != nullptr) UnsubclassWindow();
        else Detach();
    }
}

// The object of this module bound to hWnd, or nullptr.
CWnd *CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    WindowMap &map = PermanentMap();
    auto found = map.find(hWnd);
    return found == map.end() ? nullptr : found->second;
}

// The permanent object of hWnd, or a temporary wrapper; nullptr for NULL.
CWnd *CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    CWnd *wnd = FromHandlePermanent(hWnd);
    if (wnd != nullptr) return wnd;
    return TempWindows().Get(hWnd, g_innermost != nullptr);
}

// Binds this object to hWnd; fails when either is already bound in this module.
BOOL CWnd::Attach(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || !::IsWindow(hWnd)) return FALSE;
    if (FromHandlePermanent(hWnd) != nullptr) return FALSE;
    PermanentMap()[hWnd] = this;
    m_hWnd = hWnd;
    return TRUE;
}

// Unbinds the object; the window and its procedure stay as they are.
HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        WindowMap &map = PermanentMap();
        auto found = map.find(hWnd);
        if (found != map.end() && found->second == this) map.erase(found);
        m_hWnd = nullptr;
    }
    return hWnd;
}

// Binds the object and puts AfxWndProc in front of the window's procedure.
BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (previous == nullptr) {  // a window of another process, or gone
        Detach();
        return FALSE;
    }
    // A window whose class procedure is already this module's AfxWndProc has
    // nothing to chain to but the system default.
    m_pfnSuper = previous == AfxWndProc ? nullptr : previous;
    return TRUE;
}

// Subclasses the child id of parent.
BOOL CWnd::SubclassDlgItem(UINT id, CWnd *parent) {
    if (parent == nullptr || parent->m_hWnd == nullptr) return FALSE;
    HWND child = ::GetDlgItem(parent->m_hWnd, int(id));
    return child != nullptr && SubclassWindow(child);
}

// Gives the window back its previous procedure and unbinds the object.
HWND CWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr) return nullptr;
    if (m_pfnSuper != nullptr)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

// Creates a window bound to this object from its very first message.
BOOL CWnd::CreateEx(DWORD exStyle, const char *className, const char *windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd != nullptr) return FALSE;
    CWnd *outerCreating = g_creating;
    const char *outerClass = g_creatingClass;
    HHOOK outerHook = g_createHook;
    g_creating = this;
    g_creatingClass = className;
    g_createHook = ::SetWindowsHookExA(WH_CBT, CreateHookProc, nullptr, ::GetCurrentThreadId());
    HWND hWnd = nullptr;
    if (g_createHook != nullptr) {
        hWnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                 idOrMenu, AfxGetInstanceHandle(), param);
        ::UnhookWindowsHookEx(g_createHook);
    }
    g_creating = outerCreating;
    g_creatingClass = outerClass;
    g_createHook = outerHook;
    // A failed creation may have ended in PostNcDestroy: do not touch members.
    return hWnd != nullptr;
}

// Destroys the window (the object may delete itself in PostNcDestroy).
BOOL CWnd::DestroyWindow() {
    HWND hWnd = m_hWnd;
    return hWnd != nullptr ? ::DestroyWindow(hWnd) : FALSE;
}

// Default processing of the message this object is handling now (the
// innermost one, when it handles several nested messages).
LRESULT CWnd::Default() {
    for (MessageFrame *frame = g_innermost; frame != nullptr; frame = frame->outer) {
        if (frame->wnd == this) return DefWindowProc(frame->message, frame->wParam, frame->lParam);
    }
    return 0;
}

// Commands and notifications go to OnCommand/OnNotify, the rest to the maps;
// whatever is left gets default processing.
LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) return 0;
    } else if (message == WM_NOTIFY) {
        if (OnNotify(wParam, lParam, &result)) return result;
    } else {
        auto matches = [message](const AFX_MSGMAP_ENTRY &entry) {
            return entry.message == message && !IsCommandEntry(entry);
        };
        if (RunMapEntry(this, GetMessageMap(), matches, wParam, lParam, &result)) return result;
    }
    return DefWindowProc(message, wParam, lParam);
}

// The previous window procedure, or the system default.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

// Finds the command entry for (notification code, id). Menus (code 0) and
// accelerators (code 1) have no control window and both count as code 0, so
// ON_COMMAND answers a menu item, its accelerator and a button's BN_CLICKED.
BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    if (lParam == 0 && code == 1) code = 0;
    auto matches = [id, code](const AFX_MSGMAP_ENTRY &entry) {
        return entry.message == WM_COMMAND && entry.code == code && id >= entry.idFirst && id <= entry.idLast;
    };
    LRESULT ignored = 0;
    return RunMapEntry(this, GetMessageMap(), matches, wParam, lParam, &ignored);
}

// Finds the ON_NOTIFY entry for the record's code and control id.
BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *result) {
    const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
    if (header == nullptr) return FALSE;
    UINT id = UINT(header->idFrom);
    UINT code = header->code;
    auto matches = [id, code](const AFX_MSGMAP_ENTRY &entry) {
        return entry.message == WM_NOTIFY && entry.code == code && id >= entry.idFirst && id <= entry.idLast;
    };
    return RunMapEntry(this, GetMessageMap(), matches, wParam, lParam, result);
}

// Nothing by default; objects that delete themselves override it.
void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG *) { return FALSE; }

// CWnd's own map is empty and ends every chain.
const AFX_MSGMAP *CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

// The map of the object's class.
const AFX_MSGMAP *CWnd::GetMessageMap() const { return GetThisMessageMap(); }

// The window text, however long. The buffer is sized from WM_GETTEXTLENGTH
// and the length taken from the characters that came back, because some
// controls answer WM_GETTEXT with a count of their own. One byte more than
// asked for is kept, for controls that copy n characters before the NUL.
void CWnd::GetWindowText(CString &text) const {
    LRESULT reported = ::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
    int length = reported > 0 && reported < 0x7FFFFF00 ? int(reported) : 0;
    char *buffer = text.GetBuffer(length + 1);
    buffer[0] = 0;
    ::SendMessageA(m_hWnd, WM_GETTEXT, WPARAM(length + 1), reinterpret_cast<LPARAM>(buffer));
    buffer[length + 1] = 0;
    text.ReleaseBuffer(-1);
}

// Converts both corners of a screen rectangle to client coordinates.
void CWnd::ScreenToClient(RECT *rect) const {
    POINT *corners = reinterpret_cast<POINT *>(rect);
    ::ScreenToClient(m_hWnd, &corners[0]);
    ::ScreenToClient(m_hWnd, &corners[1]);
}

// A temporary CDC for the client area; give it back with ReleaseDC.
CDC *CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }

// Releases a DC obtained with GetDC.
int CWnd::ReleaseDC(CDC *dc) {
    if (dc == nullptr || dc->m_hDC == nullptr) return 0;
    return ::ReleaseDC(m_hWnd, dc->m_hDC);
}

// The next (or previous) control in the tab order of this dialog.
CWnd *CWnd::GetNextDlgTabItem(CWnd *control, BOOL previous) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control != nullptr ? control->m_hWnd : nullptr, previous));
}

// A message box owned by this window; the caption defaults to the application
// name. The focus returns where it was once the box is answered.
int CWnd::MessageBox(const char *text, const char *caption, UINT type) {
    CFocusKeeper focus;
    return ::MessageBoxA(m_hWnd, text, caption != nullptr ? caption : AfxGetAppName(), type);
}

// ---------------------------------------------------------------------------
// CFocusKeeper

void CFocusKeeper::Restore() const {
    if (focus == nullptr || !::IsWindow(focus)) return;
    HWND root = ::GetAncestor(focus, GA_ROOT);
    if (root == nullptr || !::IsWindowEnabled(root)) return;
    for (HWND window = focus; window != nullptr && window != root; window = ::GetParent(window)) {
        if ((::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) == 0) return;
        if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            if (::GetFocus() != window) ::SetFocus(window);
            return;
        }
    }
}
