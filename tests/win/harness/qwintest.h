// qwintest: the test bed for Quillon's Windows tests (GoogleTest under Wine).
//
// Link a test program with qwintest (it brings qframework and gtest). Helpers:
//
// Message boxes. Every test program watches the message boxes of its main
// thread from start-up: a box that no MessageBoxWatcher expects is recorded
// as a test failure and dismissed (Cancel, No or OK), so nothing ever waits
// for a person. To expect boxes, put a watcher on the stack:
//     qwintest::MessageBoxWatcher boxes(IDYES);   // answer Yes to each box
//     ...code that shows boxes...
//     ASSERT_EQ(1u, boxes.Count());
//     EXPECT_EQ("Quillon", boxes[0].caption);
//     EXPECT_EQ(qwintest::BoxIcon::Exclamation, boxes[0].icon);
// QueueAnswers({IDNO, IDYES}) answers the next boxes one by one. Watchers
// nest; the innermost one sees the boxes.
//
// Paths that end the process. RunInChild re-runs the current test in a new
// process up to the RunInChild call, runs the body there (with a watcher
// that answers every box), and reports the exit code and the boxes:
//     qwintest::ChildResult r = qwintest::RunInChild([] { FailAndExit(); });
//     EXPECT_EQ(1u, r.exitCode);
//     EXPECT_EQ("NULL parameter passed to Initialization.", r.boxes.at(0).text);
// The test's code before the call runs again in the child, so keep one
// RunInChild per test and do little before it. A body that returns ends the
// child with exit code 0. GoogleTest's EXPECT_EXIT works as well (the child's
// boxes are then answered by the start-up watcher, which prints them to
// stderr, where EXPECT_EXIT's pattern can match them).
//
// Keyboard. KeyboardState sets what GetKeyState reports for Shift, Ctrl and
// Alt until it goes out of scope; SendKeyDown sends WM_KEYDOWN with that
// state set, as a key press would:
//     qwintest::SendKeyDown(edit, VK_RETURN, qwintest::kShift);
//
// Pixels. CaptureClient copies a window's client area (after UpdateWindow)
// into a Bitmap32; RenderToBitmap runs drawing code on a CDC over a memory
// bitmap. Bitmap32::At(x, y) gives a COLORREF; SavePng writes the image, and
// ArtifactPath("name.png") names a file in <build>/test-output/.
//
// Host windows. TestHost is a visible top-level window that hosts controls as
// the main dialog does (a dialog, so Tab and Enter work as there): it
// records the WM_COMMAND and WM_NOTIFY messages and every message from
// WM_USER up that it receives, and can answer them through onMessage.
// PumpMessages() processes what is queued (posted messages, painting).
#ifndef QUILLON_TESTS_QWINTEST_H
#define QUILLON_TESTS_QWINTEST_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "afxwin.h"

namespace qwintest {

// ---------------------------------------------------------------------------
// Message boxes

enum class BoxIcon { None, Hand, Exclamation, Asterisk, Question, Other };

const char *BoxIconName(BoxIcon icon);  // "hand", "exclamation", ...

// One message box as the thread showed it.
struct ObservedBox {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::None;
    std::vector<int> buttons;  // button ids (IDOK, IDCANCEL, IDYES, ...) in the box's order
    int answer = 0;            // the button used to dismiss it
    HWND owner = nullptr;      // the box's owner window
};

class MessageBoxWatcher {
public:
    // Observes the boxes of this thread until destroyed, answering each with
    // answer (or, when the box has no such button, Cancel, No or OK).
    explicit MessageBoxWatcher(int answer = IDOK);
    ~MessageBoxWatcher();

    void SetAnswer(int answer);                    // for the boxes to come
    void QueueAnswers(std::initializer_list<int>);  // one per box, before the default

    size_t Count() const { return boxes_.size(); }
    const ObservedBox &operator[](size_t i) const { return boxes_.at(i); }
    const std::vector<ObservedBox> &Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

    // Internal: called by the thread's hook for each box.
    int Observe(const ObservedBox &box);

    // Called with each box as it is observed, before it is dismissed.
    std::function<void(const ObservedBox &)> onBox;

private:
    MessageBoxWatcher(const MessageBoxWatcher &) = delete;
    MessageBoxWatcher &operator=(const MessageBoxWatcher &) = delete;

    int answer_;
    std::vector<int> queued_;
    std::vector<ObservedBox> boxes_;
};

// Installs the thread's box hook; every test program does this at start-up
// (unexpected boxes fail the running test). Safe to call again.
void InstallBoxHook();

// ---------------------------------------------------------------------------
// Child processes

struct ChildResult {
    bool started = false;   // the child process ran
    bool timedOut = false;  // it was killed after the time limit
    DWORD exitCode = 0;
    std::vector<ObservedBox> boxes;  // every box it showed, in order
    std::string output;              // its standard output and error
};

// Runs body in a fresh copy of this test program (see the header comment);
// each box there is answered with answer.
ChildResult RunInChild(const std::function<void()> &body, int answer = IDOK, DWORD timeoutMs = 60000);

// ---------------------------------------------------------------------------
// Keyboard

enum Modifier : unsigned { kShift = 1, kControl = 2, kAlt = 4 };

// Sets the modifier keys that GetKeyState reports; restores the previous
// keyboard state when it goes out of scope.
class KeyboardState {
public:
    explicit KeyboardState(unsigned modifiers);
    ~KeyboardState();

private:
    BYTE saved_[256];
};

// Sets the modifier state (Shift, Ctrl, Alt and their left variants) for GetKeyState.
void SetModifiers(unsigned modifiers);

// Sends WM_KEYDOWN for vk to hWnd with the modifiers held, then releases them.
LRESULT SendKeyDown(HWND hWnd, UINT vk, unsigned modifiers = 0);

// Sends WM_CHAR for ch to hWnd.
LRESULT SendChar(HWND hWnd, char ch);

// ---------------------------------------------------------------------------
// Pixels

class Bitmap32 {
public:
    Bitmap32() {}
    Bitmap32(int width, int height, COLORREF fill = RGB(255, 255, 255));

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    COLORREF At(int x, int y) const;        // CLR_INVALID outside the image
    void Set(int x, int y, COLORREF color);
    int CountColor(COLORREF color) const;   // pixels of exactly this colour
    // The smallest rectangle holding every pixel that differs from background
    // (empty when there is none).
    RECT BoundsOfNot(COLORREF background) const;
    // Pixels as 0x00RRGGBB, top row first.
    const std::vector<uint32_t> &Pixels() const { return pixels_; }
    std::vector<uint32_t> &Pixels() { return pixels_; }

    bool SavePng(const std::string &path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// The client area of hWnd as it is on the screen, after UpdateWindow.
Bitmap32 CaptureClient(HWND hWnd);

// Runs draw on a CDC over a width x height 32-bit memory bitmap filled with
// background, and returns the result.
Bitmap32 RenderToBitmap(int width, int height, const std::function<void(CDC &dc)> &draw,
                        COLORREF background = RGB(255, 255, 255));

// <build>/test-output/fileName; the folder is created when missing.
std::string ArtifactPath(const std::string &fileName);

// PNG encoding pieces, exposed for their tests.
uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t *data, size_t size, uint32_t adler = 1);
std::vector<uint8_t> EncodePng(const Bitmap32 &image);  // RGB, 8 bits, stored deflate blocks

// ---------------------------------------------------------------------------
// Host windows and messages

struct HostMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class TestHost {
public:
    // A visible host with a client area of the given size.
    explicit TestHost(int clientWidth = 480, int clientHeight = 360, const char *title = "qwintest host");
    ~TestHost();

    HWND hwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    // A CWnd of this module attached to the host (for records that carry one).
    CWnd *Wnd() { return &wnd_; }

    // Creates a child control (WS_CHILD and WS_VISIBLE are added).
    HWND CreateChild(const char *className, const char *text, DWORD style, int x, int y, int width,
                     int height, int id, DWORD exStyle = 0);

    // Messages received: WM_COMMAND, WM_NOTIFY and everything from WM_USER up.
    const std::vector<HostMessage> &Received() const { return received_; }
    std::vector<HostMessage> ReceivedOf(UINT message) const;
    void ClearReceived() { received_.clear(); }

    // Optional answer to any message the host receives: return true and set
    // *result to answer it; false for the dialog's default processing.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)> onMessage;

    // Internal: the host's dialog procedure.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    TestHost(const TestHost &) = delete;
    TestHost &operator=(const TestHost &) = delete;

    HWND hwnd_ = nullptr;
    CWnd wnd_;
    std::vector<HostMessage> received_;
};

// Processes the queued messages of this thread (with the dialog keyboard
// interface for hosts), repeating for at least milliseconds.
void PumpMessages(DWORD milliseconds = 0);

}  // namespace qwintest

#endif
