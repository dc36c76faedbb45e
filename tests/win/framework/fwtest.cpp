// Helpers shared by the framework tests.
#include "fwtest.h"

namespace fwtest {

std::vector<Recorded> &RecorderLog() {
    static std::vector<Recorded> log;
    return log;
}

std::vector<Recorded> RecordedOf(HWND hwnd, UINT first, UINT last) {
    std::vector<Recorded> found;
    for (const Recorded &r : RecorderLog())
        if (r.hwnd == hwnd && r.message >= first && r.message <= last) found.push_back(r);
    return found;
}

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RecorderLog().push_back(Recorded{hwnd, message, wParam, lParam});
    if (message >= WM_USER && message < 0xC000) return RecorderAnswer(message);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateRecorder() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "FwTestRecorder";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(0, "FwTestRecorder", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

const char *PlainClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "FwTestPlain";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return "FwTestPlain";
}

}  // namespace fwtest
