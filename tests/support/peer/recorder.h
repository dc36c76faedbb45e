// Windows for the framework tests: a class registered once by name, a plain
// popup of a class, and a recorder popup whose own procedure keeps every
// message that reaches it.
#ifndef QUILLON_TESTS_SUPPORT_PEER_RECORDER_H
#define QUILLON_TESTS_SUPPORT_PEER_RECORDER_H

#include <windows.h>

#include <algorithm>
#include <vector>

namespace fwtest {

inline std::vector<UINT> g_recorded;  // what reached the recorder window's own procedure

inline LRESULT CALLBACK RecorderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_recorded.push_back(message);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

inline const char *Registered(const char *className, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    return className;
}

inline HWND CreatePopup(const char *className) {
    return ::CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

inline HWND CreateRecorder() { return CreatePopup(Registered("FwTestRecorder", RecorderProc)); }

inline size_t RecordedCount(UINT message) { return size_t(std::count(g_recorded.begin(), g_recorded.end(), message)); }

}  // namespace fwtest

#endif
