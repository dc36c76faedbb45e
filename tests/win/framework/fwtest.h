// Helpers shared by the framework tests: a window class that records what
// reaches it (the procedure behind a subclass), and a plain class for CreateEx.
#ifndef QUILLON_TESTS_FWTEST_H
#define QUILLON_TESTS_FWTEST_H

#include <windows.h>

#include <vector>

namespace fwtest {

struct Recorded {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages the recorder procedure has received, in order.
std::vector<Recorded> &RecorderLog();
// The recorder's messages in [first, last] for one window.
std::vector<Recorded> RecordedOf(HWND hwnd, UINT first, UINT last);

// The recorder's window procedure: logs every message; answers messages from
// WM_USER up with message + 1000 and leaves the rest to DefWindowProc.
LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A hidden pop-up window of the recorder class.
HWND CreateRecorder();

// A window class with DefWindowProc, for CWnd::CreateEx.
const char *PlainClass();

// The constant answer of the recorder to a custom message.
inline LRESULT RecorderAnswer(UINT message) { return LRESULT(message) + 1000; }

}  // namespace fwtest

#endif
