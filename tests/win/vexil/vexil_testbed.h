// Test bed of the VEXIL control tests: loads VEXIL.DLL by name as the program
// does, hosts an initialised control in a test window and drives it by messages.
#ifndef QUILLON_TESTS_WIN_VEXIL_TESTBED_H
#define QUILLON_TESTS_WIN_VEXIL_TESTBED_H

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/afxwin.h"
#include "tests/support/harness/qwintest.h"
#include "quillon/vexil.h"

namespace vexiltest {

inline HMODULE LoadVexil() {
    static HMODULE module = ::LoadLibraryA("VEXIL.DLL");
    return module;
}

// The main dialog's record: limit 256, 14- and 9-point "Times New Roman",
// top 0, digit offset -5, margins 2 and 1.
inline VexilInit MainDialogInit() {
    static CFont *letter = new CFont, *digit = new CFont;
    if (letter->m_hObject == nullptr) {
        letter->CreatePointFont(140, "Times New Roman");
        digit->CreatePointFont(90, "Times New Roman");
    }
    return VexilInit{256, *letter, *digit, 0, -5, 2, 1};
}

// Layout measured here, independently of the control, with its fonts:
// edges[i] is the left edge of character i, edges[n] the end. Digits and
// '.' are subscripts, except right after a separator ('*' or the middle dot
// 0xB7), where they are a coefficient in the letter font.
struct Layout {
    std::vector<int> edges;
    std::vector<bool> subscript;
    int baseline = 0;     // top + letter ascent
    int digitTop = 0;     // baseline - digitOffset - digit ascent
    int caretBottom = 0;  // baseline + max(letter descent, -digitOffset)
};

inline Layout Measure(const std::string &text, const VexilInit &init) {
    Layout layout;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, init.digitFont);
    TEXTMETRICA letter, digit;
    ::GetTextMetricsA(dc, &digit);
    ::SelectObject(dc, init.letterFont);
    ::GetTextMetricsA(dc, &letter);
    layout.baseline = init.top + letter.tmAscent;
    layout.digitTop = layout.baseline - init.digitOffset - digit.tmAscent;
    layout.caretBottom = layout.baseline + std::max<int>(letter.tmDescent, -init.digitOffset);
    int x = init.leftMargin;
    bool coefficient = false;
    for (char c : text) {
        bool isDigit = (c >= '0' && c <= '9') || c == '.';
        coefficient = (c == '*' || c == '\xB7') || (coefficient && isDigit);
        isDigit = isDigit && !coefficient;
        layout.subscript.push_back(isDigit);
        ::SelectObject(dc, isDigit ? init.digitFont : init.letterFont);
        SIZE size;
        ::GetTextExtentPointA(dc, &c, 1, &size);
        layout.edges.push_back(x);
        x += size.cx;
    }
    layout.edges.push_back(x);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return layout;
}

// A host window with one initialised VEXIL control (id 1001).
class VexilTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadVexil()) << "VEXIL.DLL did not load";
        Recreate(300, MainDialogInit());
        qwintest::PumpMessages();
    }
    // (Re-)creates the main control with a width and a record.
    void Recreate(int width, const VexilInit &record) {
        if (edit) ::DestroyWindow(edit);
        init = record;
        edit = host.CreateChild(VEXIL_CLASS_NAME, "", WS_TABSTOP, 10, 10, width, 30, 1001);
        ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(edit, message, wParam, lParam);
    }
    LRESULT SetText(const char *text) const { return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    // The text through WM_GETTEXTLENGTH and WM_GETTEXT with count + 1 bytes.
    std::string Text() const {
        std::string buffer(static_cast<size_t>(std::max<LRESULT>(Send(WM_GETTEXTLENGTH), 0)) + 1, '\0');
        Send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]));
        return buffer.c_str();
    }
    // EM_GETSEL as "first..last" (inclusive), or "none" when it answers 0.
    static std::string SelectionOf(HWND hWnd) {
        int first = -100, last = -100;
        if (!::SendMessageA(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last)))
            return "none";
        return std::to_string(first) + ".." + std::to_string(last);
    }
    std::string Selection() const { return SelectionOf(edit); }
    LRESULT Modified() const { return Send(VXM_GETMODIFY); }
    void Key(UINT vk, unsigned modifiers = 0) const { qwintest::SendKeyDown(edit, vk, modifiers); }
    // Types characters as TranslateMessage delivers them: WM_CHAR.
    void Type(const std::string &text) const {
        for (char c : text) Send(WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    static int CaretX() {
        POINT p = {-100, -100};
        ::GetCaretPos(&p);
        return p.x;
    }

    qwintest::TestHost host{480, 200};
    HWND edit = nullptr;
    VexilInit init = {};
};

}  // namespace vexiltest

#endif
