// The host window of the tests (a window of the system dialog class, so
// hosted controls get a dialog parent as in the main dialog) and the pump.
#include "qwintest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace qwintest {
namespace {

std::vector<HWND> &Hosts() {
    static std::vector<HWND> *hosts = new std::vector<HWND>;
    return *hosts;
}

const DWORD kHostStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

}  // namespace

TestHost::TestHost(int clientWidth, int clientHeight) {
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, kHostStyle, FALSE, WS_EX_DLGMODALFRAME);
    hwnd_ = ::CreateWindowExA(WS_EX_DLGMODALFRAME, "#32770", "qwintest host", kHostStyle, 20, 20,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ == nullptr) return;
    Hosts().push_back(hwnd_);
    ::SetForegroundWindow(hwnd_);
    ::SetActiveWindow(hwnd_);
    PumpMessages();
}

TestHost::~TestHost() {
    if (hwnd_ == nullptr) return;
    std::vector<HWND> &hosts = Hosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), hwnd_), hosts.end());
    ::DestroyWindow(hwnd_);
    PumpMessages();
}

HWND TestHost::CreateChild(const char *className, const char *text, DWORD style, int x, int y, int width,
                           int height, int id) {
    return ::CreateWindowExA(0, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                             nullptr);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // tests have no loop to end
            HWND top = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (top != nullptr && std::count(Hosts().begin(), Hosts().end(), top) && ::IsDialogMessageA(top, &msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (::GetTickCount() - start >= milliseconds) break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr)) return text;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const char *chars = data != nullptr ? static_cast<const char *>(::GlobalLock(data)) : nullptr;
    if (chars != nullptr) {
        text = chars;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const std::string &text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    EXPECT_NE(nullptr, ::SetClipboardData(CF_TEXT, memory));
    ::CloseClipboard();
}

namespace {

// The context menu driver's state, and the window procedure it puts in
// front of the window's own while the menu is open.
struct MenuDriver {
    WNDPROC previous;
    std::string items;
    int choice;
    bool acted;
} g_menu;
LRESULT CALLBACK MenuDriverProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITMENUPOPUP) {
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            char text[32] = {};
            ::GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            bool grayed = (::GetMenuState(popup, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) != 0;
            g_menu.items += text + std::string(grayed ? "-" : "+") + std::to_string(::GetMenuItemID(popup, i)) + " ";
        }
    } else if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !g_menu.acted) {
        g_menu.acted = true;
        HWND target = lParam ? reinterpret_cast<HWND>(lParam) : hWnd;
        for (int i = 0; i < g_menu.choice; ++i) ::PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
    }
    return ::CallWindowProcA(g_menu.previous, hWnd, message, wParam, lParam);
}
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

}  // namespace

std::string PickFromContextMenu(HWND window, int choice) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuDriverProc)));
    g_menu = {previous, "", choice, false};
    ::SetCursorPos(700, 600);  // away from the host, so the menu covers nothing of the control
    UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, &CloseMenu);  // a safety net
    ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
    ::KillTimer(nullptr, timer);
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return g_menu.items;
}

}  // namespace qwintest
