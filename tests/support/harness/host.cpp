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

}  // namespace qwintest
