// Messages recorded as tables the tests compare whole: the recorder popup's
// own procedure keeps every message that reaches it, and a test's own
// procedure (the list's host dialog) records what it is sent the same way.
// Also a class registered once by name and a plain popup of a class.
#ifndef QUILLON_TESTS_SUPPORT_PEER_RECORDER_H
#define QUILLON_TESTS_SUPPORT_PEER_RECORDER_H

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <vector>

namespace fwtest {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message &other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};
inline std::ostream &operator<<(std::ostream &out, const Message &m) {
    return out << "{" << m.message << ", " << m.wParam << ", " << m.lParam << "}";
}

inline std::vector<Message> g_recorded;  // in the order received

// The recorded messages of the kinds given, in order.
inline std::vector<Message> Recorded(std::initializer_list<UINT> kinds) {
    std::vector<Message> seen;
    for (const Message &m : g_recorded)
        if (std::find(kinds.begin(), kinds.end(), m.message) != kinds.end()) seen.push_back(m);
    return seen;
}

inline LRESULT CALLBACK RecorderProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_recorded.push_back({message, wParam, lParam});
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

}  // namespace fwtest

#endif
