// The host window of the tests and the message pump.
//
// A TestHost is a modeless dialog made from a template in memory, so the
// controls it hosts see what they see in the main dialog: a dialog parent
// with its tab order, default button handling and dialog font.
#include "qwintest.h"

#include <algorithm>

namespace qwintest {
namespace {

std::vector<HWND> &Hosts() {
    static std::vector<HWND> *hosts = new std::vector<HWND>;
    return *hosts;
}

bool IsHost(HWND hWnd) {
    const std::vector<HWND> &hosts = Hosts();
    return std::find(hosts.begin(), hosts.end(), hWnd) != hosts.end();
}

// Appends a NUL-terminated wide copy of text to a dialog template.
WORD *PutWide(WORD *at, const char *text) {
    do {
        *at++ = WORD(static_cast<unsigned char>(*text));
    } while (*text++ != 0);
    return at;
}

const DWORD kHostStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT | DS_MODALFRAME;

}  // namespace

TestHost::TestHost(int clientWidth, int clientHeight, const char *title) {
    alignas(4) WORD buffer[512] = {};
    DLGTEMPLATE *dialog = reinterpret_cast<DLGTEMPLATE *>(buffer);
    dialog->style = kHostStyle;
    dialog->cdit = 0;
    dialog->x = 10;
    dialog->y = 10;
    dialog->cx = 200;
    dialog->cy = 150;
    WORD *at = reinterpret_cast<WORD *>(reinterpret_cast<BYTE *>(buffer) + sizeof(DLGTEMPLATE));
    *at++ = 0;  // no menu
    *at++ = 0;  // the system dialog class
    at = PutWide(at, title);
    *at++ = 8;  // 8 point
    PutWide(at, "MS Sans Serif");

    hwnd_ = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialog, nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) return;
    Hosts().push_back(hwnd_);
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, kHostStyle, FALSE, 0);
    ::SetWindowPos(hwnd_, nullptr, 20, 20, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    wnd_.Attach(hwnd_);
    ::SetForegroundWindow(hwnd_);
    ::SetActiveWindow(hwnd_);
    PumpMessages();
}

TestHost::~TestHost() {
    if (hwnd_ == nullptr) return;
    wnd_.Detach();
    std::vector<HWND> &hosts = Hosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), hwnd_), hosts.end());
    ::DestroyWindow(hwnd_);
    PumpMessages();
}

HWND TestHost::CreateChild(const char *className, const char *text, DWORD style, int x, int y, int width,
                           int height, int id, DWORD exStyle) {
    return ::CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                             nullptr);
}

std::vector<HostMessage> TestHost::ReceivedOf(UINT message) const {
    std::vector<HostMessage> found;
    for (const HostMessage &m : received_)
        if (m.message == message) found.push_back(m);
    return found;
}

// Records commands, notifications and custom messages, and lets onMessage answer.
INT_PTR CALLBACK TestHost::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        return TRUE;
    }
    TestHost *host = reinterpret_cast<TestHost *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (host == nullptr) return FALSE;
    // DM_GETDEFID comes from the dialog manager itself, all the time.
    if (message == WM_COMMAND || message == WM_NOTIFY || (message >= WM_USER && message != DM_GETDEFID))
        host->received_.push_back(HostMessage{message, wParam, lParam});
    LRESULT result = 0;
    if (host->onMessage && host->onMessage(message, wParam, lParam, &result)) {
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // tests have no loop to end
            HWND top = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (top != nullptr && IsHost(top) && ::IsDialogMessageA(top, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (::GetTickCount() - start >= milliseconds) break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace qwintest
