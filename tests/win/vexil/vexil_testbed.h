// Test bed of the VEXIL control tests: loads VEXIL.DLL by name as the
// program does, makes the main dialog's fonts and initialisation record,
// hosts controls in a test window and drives them by messages only.
#ifndef QUILLON_TESTS_WIN_VEXIL_TESTBED_H
#define QUILLON_TESTS_WIN_VEXIL_TESTBED_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "afxwin.h"
#include "qwintest.h"
#include "vexil.h"

namespace vexiltest {

// VEXIL.DLL, loaded with LoadLibraryA on first use (nullptr on failure).
HMODULE LoadVexil();

// The main dialog's formula fonts: 14- and 9-point "Times New Roman".
CFont &LetterFont();
CFont &DigitFont();

// The record the main dialog sends: limit 256, top 0, digit offset -5,
// margins 2 and 1.
VexilInit MainDialogInit();

// Layout of a text as the control should make it, measured here with the
// same fonts: edges[i] is the left edge of character i, edges[n] the end.
struct Layout {
    std::vector<int> edges;
    std::vector<bool> digit;  // drawn with the digit font
    int letterAscent = 0;
    int digitAscent = 0;
    int letterDescent = 0;
    int baseline = 0;  // top + letter ascent
    int digitTop = 0;  // baseline - digitOffset - digit ascent
};
Layout Measure(const std::string &text, const VexilInit &init);

// The text of the clipboard as CF_TEXT ("" when there is none), and setting it.
std::string ClipboardText();
bool SetClipboardText(const std::string &text);
bool ClipboardHasText();

// Counts the messages a control receives (through a subclass in this
// module) and lets a test act on them before the control does.
class Recorder {
public:
    explicit Recorder(HWND hWnd);
    ~Recorder();
    int Count(UINT message) const;
    void Clear() { counts_.clear(); }
    // Called before the control sees a message; return true to keep it away.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> before;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    WNDPROC previous_;
    std::vector<std::pair<UINT, int>> counts_;
};

// A host window with one initialised VEXIL control (id 1001).
class VexilTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates another VEXIL child of the host (not initialised).
    HWND CreateEdit(int x, int y, int width, int height, int id, DWORD style = WS_TABSTOP);
    // Re-creates the main control with another width and initialisation.
    void Recreate(int width, const VexilInit &init);

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(edit, message, wParam, lParam);
    }
    // WM_SETTEXT's result.
    LRESULT SetText(const char *text) const { return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    // The whole text through WM_GETTEXTLENGTH and WM_GETTEXT (count + 1 bytes).
    std::string Text() const { return TextOf(edit); }
    static std::string TextOf(HWND hWnd);
    // EM_GETSEL as "first..last" (inclusive), or "none" when it answers 0.
    std::string Selection() const { return SelectionOf(edit); }
    static std::string SelectionOf(HWND hWnd);
    LRESULT Modified() const { return Send(VXM_GETMODIFY); }
    // Types a formula with WM_KEYDOWN: upper case with Shift, '(' and ')'
    // as Shift+9 and Shift+0, '.' as the period key.
    void Type(const std::string &formula) const;
    // Presses one key with modifiers (qwintest::kShift, kControl, kAlt).
    void Key(UINT vk, unsigned modifiers = 0) const { qwintest::SendKeyDown(edit, vk, modifiers); }
    // The caret's x while the control has the focus.
    static int CaretX();

    std::unique_ptr<qwintest::TestHost> host;
    HWND edit = nullptr;
    VexilInit init = {};
    std::unique_ptr<Recorder> recorder;
};

}  // namespace vexiltest

#endif
