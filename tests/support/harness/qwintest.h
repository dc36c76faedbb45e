// qwintest: the test bed of the Windows tests (GoogleTest under Wine). Every
// program linking it watches its message boxes from start-up: a box that no
// MessageBoxWatcher on the stack expects fails the running test and is
// dismissed. RunInChild re-runs the current test in a new process up to the
// call and runs body there (one call per test). TestHost is a visible dialog
// hosting controls as the main dialog does. Artifacts go to <build>/test-output/.
#ifndef QUILLON_TESTS_SUPPORT_HARNESS_QWINTEST_H
#define QUILLON_TESTS_SUPPORT_HARNESS_QWINTEST_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "tests/support/files.h"

namespace qwintest {

enum class BoxIcon { None, Hand, Exclamation, Asterisk, Question, Other };

struct ObservedBox {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::None;
    std::vector<int> buttons;  // button ids in the box's order
    int answer = 0;            // the button that dismissed it
    HWND owner = nullptr;
};

class MessageBoxWatcher {
public:
    // Answers each box with answer, or Cancel, No or OK when it lacks that button.
    explicit MessageBoxWatcher(int answer = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher &) = delete;

    size_t Count() const { return boxes_.size(); }
    const ObservedBox &operator[](size_t i) const { return boxes_.at(i); }
    int Observe(const ObservedBox &box);          // called by the thread's hook
    std::function<void(const ObservedBox &)> onBox;  // each box, before it is dismissed

private:
    int answer_;
    std::vector<ObservedBox> boxes_;
};

void InstallBoxHook();  // done at start-up; safe to repeat
std::string ClassOf(HWND window);
// A window's text through WM_GETTEXTLENGTH and WM_GETTEXT with that count + 1
// bytes (also of another process's window: the system copies the text).
std::string WindowText(HWND window);
// The icon static of a message box (also of another process), or nullptr for any other window.
HWND BoxIconStatic(HWND window);
const int kBoxTextId = 0xFFFF;  // the message box's text static
// Reads window into box (all but the answer); false when it is no message box.
bool ReadBox(HWND window, ObservedBox &box);

struct ChildResult {
    DWORD exitCode = 0;
    std::vector<ObservedBox> boxes;  // icon, caption and text
    std::string output;              // standard output and error
};

// Boxes in the child are answered OK; a child still running after 60 s is
// ended. program: another copy of this test program to run as the child
// (empty: this one).
ChildResult RunInChild(const std::function<void()> &body, const std::string &program = std::string());

enum Modifier : unsigned { kShift = 1, kControl = 2, kAlt = 4 };

// Sends WM_KEYDOWN with the modifiers held as GetKeyState reports them, then releases them.
LRESULT SendKeyDown(HWND hWnd, UINT vk, unsigned modifiers = 0);

class Bitmap32 {
public:
    Bitmap32() {}
    Bitmap32(int width, int height, COLORREF fill = RGB(255, 255, 255));

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;  // CLR_INVALID outside the image
    int CountColor(COLORREF color) const;
    const std::vector<uint32_t> &Pixels() const { return pixels_; }  // 0x00RRGGBB, top row first
    std::vector<uint32_t> &Pixels() { return pixels_; }
    bool SaveBmp(const std::string &path) const;  // 32 bits, top row first

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

Bitmap32 CaptureClient(HWND hWnd);  // after UpdateWindow
Bitmap32 RenderToBitmap(int width, int height, const std::function<void(CDC &dc)> &draw,
                        COLORREF background = RGB(255, 255, 255));
std::string ArtifactPath(const std::string &fileName);
// This program's file, and its folder with the trailing backslash.
std::string ProgramPath();
inline std::string ProgramFolder() {
    std::string path = ProgramPath();
    return path.erase(path.find_last_of("\\/") + 1);
}

class TestHost {
public:
    explicit TestHost(int clientWidth = 480, int clientHeight = 360);
    ~TestHost();
    TestHost(const TestHost &) = delete;

    HWND hwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    // A child control (WS_CHILD and WS_VISIBLE are added).
    HWND CreateChild(const char *className, const char *text, DWORD style, int x, int y, int width, int height, int id);

private:
    HWND hwnd_ = nullptr;
};

// The name field of an Open or Save As dialog (also of another process), or nullptr.
HWND FileNameField(HWND dialog);

// Answers the next Open or Save As dialog of the constructing thread from a
// worker thread: types fileName into its name field and presses its OK
// button. Construct it before running the dialog.
class FileDialogDriver {
public:
    explicit FileDialogDriver(const std::string &fileName);
    ~FileDialogDriver();
    FileDialogDriver(const FileDialogDriver &) = delete;

private:
    static DWORD WINAPI Run(void *self);
    std::string fileName_;
    DWORD thread_;
    HANDLE worker_ = nullptr;
    volatile bool stop_ = false;
};

// Processes this thread's queued messages for at least milliseconds.
void PumpMessages(DWORD milliseconds = 0);

// The clipboard's text, and text put on it.
std::string ClipboardText();
void SetClipboardText(const std::string &text);

// Opens a window's context menu with a right press, picks item `choice` (by
// Down keys and Enter once the menu idles) and answers the items seen as
// "text+id " (enabled) or "text-id " (greyed).
std::string PickFromContextMenu(HWND window, int choice);

}  // namespace qwintest

#endif
