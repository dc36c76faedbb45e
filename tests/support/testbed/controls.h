// Test bed of the control tests: loads VEXIL.DLL or LEDRA.DLL by name as the
// program does, hosts an initialised control with the main dialog's records
// (app/controlrecords.h; VEXIL in a test window, LEDRA in a dialog from
// controls.rc under its three headers), drives it by messages and keys, and
// reads its pixels and the parent's notifications back.
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_H
#define QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_H

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/controlrecords.h"
#include "controls_ids.h"
#include "core/formula.h"
#include "framework/afxwin.h"
#include "quillon/ledra.h"
#include "quillon/vexil.h"
#include "tests/support/harness/qwintest.h"
#include "tests/support/peer/recorder.h"

namespace testbed {

inline HMODULE LoadVexil() {
    static HMODULE module = ::LoadLibraryA("VEXIL.DLL");
    return module;
}
// VEXIL.DLL first, as the program loads them: the host dialog's product
// control, made before the list, is a VEXIL window.
inline HMODULE LoadLedra() {
    static HMODULE module = LoadVexil() != nullptr ? ::LoadLibraryA("LEDRA.DLL") : nullptr;
    return module;
}

// The main dialog's VEXIL record with its formula fonts.
inline VexilInit MainDialogInit() {
    static CFont *letter = new CFont, *digit = new CFont;
    if (letter->m_hObject == nullptr) CreateFormulaFonts(*letter, *digit, FORMULA_FONT_FACE);
    return FormulaFieldInit(*letter, *digit);
}

// Layout measured here with a record's fonts, character by character (which
// characters are subscripts: core's FormulaSubscripts): edges[i] is the left
// edge of character i, edges[n] the end.
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
    FormulaSubscripts subscripts;
    for (char c : text) {
        layout.subscript.push_back(subscripts.Next(c));
        ::SelectObject(dc, layout.subscript.back() ? init.digitFont : init.letterFont);
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

// VEXIL's picture as it should be, one TextOut per character with the
// record's fonts, ink and ground: characters lo..hi-1 selected.
inline qwintest::Bitmap32 Reference(const qwintest::Bitmap32 &like, const std::string &text, const VexilInit &init, int lo, int hi,
                                    COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT), COLORREF ground = ::GetSysColor(COLOR_WINDOW)) {
    Layout layout = Measure(text, init);
    return qwintest::RenderToBitmap(like.Width(), like.Height(), [&](CDC &dc) {
        COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
        RECT band = {layout.edges[lo], init.top, layout.edges[hi], layout.caretBottom};
        if (lo != hi) dc.FillSolidRect(&band, highlight);
        for (size_t i = 0; i < text.size(); ++i) {
            bool selected = int(i) >= lo && int(i) < hi, digit = layout.subscript[i];
            ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_WINDOW) : ink);
            ::SetBkColor(dc, selected ? highlight : ground);
            ::SelectObject(dc, digit ? init.digitFont : init.letterFont);
            ::TextOutA(dc, layout.edges[i], digit ? layout.digitTop : init.top, &text[i], 1);
        }
    }, ground);
}

// The first and last rows within [y0, y1) holding pixels other than back in
// columns [x0, x1): {first, last}, or {-1, -1}.
inline std::pair<int, int> InkRows(const qwintest::Bitmap32 &image, int x0, int x1,
                                   COLORREF back = RGB(255, 255, 255), int y0 = 0, int y1 = -1) {
    int first = -1, last = -1;
    for (int y = y0; y < (y1 < 0 ? image.Height() : y1); ++y)
        for (int x = x0; x < x1; ++x)
            if (image.At(x, y) != back) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

// One keystroke: WM_KEYDOWN of vk with modifiers, or (vk 0) WM_CHAR of ch.
struct KeyPress {
    UINT vk;
    unsigned modifiers;
    char ch;
};
inline KeyPress Down(UINT vk, unsigned modifiers = 0) { return {vk, modifiers, 0}; }
inline KeyPress Char(char ch) { return {0, 0, ch}; }

// A host window with one initialised VEXIL control (id 1001); Send goes to it.
class VexilTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadVexil()) << "VEXIL.DLL did not load";
        Recreate(300, MainDialogInit());
        qwintest::PumpMessages();
    }
    // (Re-)creates the control with a width and a record.
    void Recreate(int width, const VexilInit &record) {
        if (edit) ::DestroyWindow(edit);
        init = record;
        edit = host.CreateChild(VEXIL_CLASS_NAME, "", WS_TABSTOP, 10, 10, width, 30, 1001);
        ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageA(edit, message, wParam, lParam); }
    LRESULT SetText(const char *text) const { return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    std::string Text() const { return qwintest::WindowText(edit); }
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
    // Characters as TranslateMessage delivers them: WM_CHAR.
    void Type(const std::string &text) const {
        for (char c : text) Send(WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void Press(const std::vector<KeyPress> &keys) const {
        for (const KeyPress &k : keys) k.vk ? Key(k.vk, k.modifiers) : Type(std::string(1, k.ch));
    }
    // Messages sent to the host window set edit: Send goes to it.
    void Use(HWND hWnd) { edit = hWnd; }
    static int CaretX() {
        POINT p = {-100, -100};
        ::GetCaretPos(&p);
        return p.x;
    }

    qwintest::TestHost host{480, 200};
    HWND edit = nullptr;
    VexilInit init = {};
};

// LEDRA's callbacks: the formula check counts its calls and accepts a text
// that starts with a capital letter; the closing flag is g_closing.
inline int g_checks = 0, g_closing = 0;
inline int CheckFormula(const char *formula) { return ++g_checks, std::isupper(static_cast<unsigned char>(formula[0])) != 0; }
inline int IsClosing() { return g_closing; }

// The host dialog records its list's WM_COMMAND notifications and
// LDM_FORWARDTOPARENT in fwtest::g_recorded (after LDN_FORMULACOMMITTED, the
// list's answer to LDM_GETCURRENTROW as {LDM_GETCURRENTROW, answer, 0});
// with g_boxOnAutoRatio it answers LDN_AUTORATIO and LDN_FORMULACOMMITTED
// with a modal message box.
inline bool g_boxOnAutoRatio = false;
inline INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_COMMAND && LOWORD(wParam) == IDC_LIST) || message == LDM_FORWARDTOPARENT) {
        fwtest::g_recorded.push_back({message, wParam, lParam});
        const bool committed = message == WM_COMMAND && HIWORD(wParam) == LDN_FORMULACOMMITTED;
        if (committed)
            fwtest::g_recorded.push_back(
                {LDM_GETCURRENTROW, WPARAM(::SendMessageA(HWND(lParam), LDM_GETCURRENTROW, 0, 0)), 0});
        if (g_boxOnAutoRatio && message == WM_COMMAND && (HIWORD(wParam) == LDN_AUTORATIO || committed))
            ::MessageBoxA(::GetActiveWindow(), "Ratios determined.", "Quillon", MB_OK);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

// The host dialog with its list, not yet initialised; FillRecord writes the
// main dialog's record as the main dialog does: the dialog's font, rows as
// high as the product control's client area.
class LedraHost {
public:
    LedraHost() {
        LoadLedra();
        dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LEDRA_HOST), nullptr,
                                      HostProc, 0);
        list = ::GetDlgItem(dialog, IDC_LIST);
        product = ::GetDlgItem(dialog, IDC_PRODUCT);
        ::SetForegroundWindow(dialog);
        qwintest::PumpMessages();
    }
    ~LedraHost() {
        ::DestroyWindow(dialog);
        qwintest::PumpMessages();
    }
    void FillRecord() {
        vexilInit = MainDialogInit();
        ::SendMessageA(product, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&vexilInit), 0);
        RECT productClient;
        ::GetClientRect(product, &productClient);
        init = ListInit(dialog, &vexilInit, reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)),
                        productClient.bottom, CheckFormula, IsClosing);
    }
    LRESULT Initialise() { return ::SendMessageA(list, LDM_INITIALIZE, 0, reinterpret_cast<LPARAM>(&init)); }
    // A record's column edge (window coordinates, past the border) in client coordinates.
    int ClientX(int windowX) const {
        RECT window;
        ::GetWindowRect(list, &window);
        POINT p = {window.left + windowX, window.top};
        ::ScreenToClient(list, &p);
        return p.x;
    }
    // Stores one row as the main dialog does.
    void SetRow(int row, const char *formula, double ratio, int fixed) const {
        CString text(formula);
        ::SendMessageA(list, LDM_SETFORMULA, row, reinterpret_cast<LPARAM>(&text));
        ::SendMessageA(list, LDM_SETRATIO, row, reinterpret_cast<LPARAM>(&ratio));
        ::SendMessageA(list, LDM_SETFIXED, row, fixed);
    }

    HWND dialog = nullptr, list = nullptr, product = nullptr;
    VexilInit vexilInit = {};
    LedraInit init = {};
};

// An initialised list, which Send goes to; row i, cell column c (0 number, 1
// formula, 2 ratio).
class LedraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLedra()) << "LEDRA.DLL did not load";
        g_checks = g_closing = 0;
        fwtest::g_recorded.clear();
        g_boxOnAutoRatio = false;
        host.FillRecord();
        ASSERT_NE(nullptr, host.list) << "the host dialog or its list was not created";
        ASSERT_EQ(0, host.Initialise());
        list = host.list;
        RECT client;
        ::GetClientRect(list, &client);
        formulaLeft = host.ClientX(host.init.formulaLeft);
        ratioLeft = host.ClientX(host.init.ratioLeft);
        rowHeight = host.init.rowHeight;
        visibleRows = client.bottom / rowHeight;
        qwintest::PumpMessages();
    }
    // The program sets its closing flag before its windows go, so an open
    // cell is not validated while the host is destroyed.
    void TearDown() override { g_closing = 1; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageA(list, message, wParam, lParam); }
    HWND FormulaEditor() const { return ::GetDlgItem(list, 101); }
    HWND RatioEditor() const { return ::GetDlgItem(list, 102); }
    int CellX(int column) const { return column == 0 ? 3 : (column == 1 ? formulaLeft : ratioLeft) + 5; }
    // A press in a cell of screen row i, then the posted messages.
    void Click(int screenRow, int column) const {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(CellX(column), screenRow * rowHeight + 4));
        Send(WM_LBUTTONUP, 0, MAKELPARAM(CellX(column), screenRow * rowHeight + 4));
        qwintest::PumpMessages();
    }
    // A key to the window with the focus, then the posted messages.
    void Key(UINT vk, unsigned modifiers = 0) const {
        qwintest::SendKeyDown(::GetFocus(), vk, modifiers);
        qwintest::PumpMessages();
    }
    // Replaces the open editor's text as typed keys do: Delete on the whole
    // text, then characters as WM_CHAR.
    void Type(const std::string &text) const {
        HWND editor = ::GetFocus();
        ::SendMessageA(editor, EM_SETSEL, 0, -1);
        qwintest::SendKeyDown(editor, VK_DELETE);
        for (char c : text) ::SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
    // The open cell as "row:column" (row 1-based, column F or R), or "none".
    std::string OpenCell() const {
        for (HWND editor : {FormulaEditor(), RatioEditor()}) {
            RECT r;
            if (!::IsWindowVisible(editor) || !::GetWindowRect(editor, &r)) continue;
            ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT *>(&r), 1);
            return std::to_string(Top() + r.top / rowHeight + 1) + (editor == FormulaEditor() ? ":F" : ":R");
        }
        return "none";
    }
    std::string Formula(int row) const {
        const CString *text = reinterpret_cast<const CString *>(Send(LDM_GETFORMULA, row));
        return text ? static_cast<const char *>(*text) : "<null>";
    }
    double Ratio(int row) const { return *reinterpret_cast<const double *>(Send(LDM_GETRATIO, row)); }
    int Fixed(int row) const { return reinterpret_cast<const LedraRow *>(Send(LDM_GETROW, row))->fixed; }
    void SetRow(int row, const char *formula, double ratio, int fixed) const { host.SetRow(row, formula, ratio, fixed); }
    int Top() const { return ::GetScrollPos(list, SB_VERT); }

    LedraHost host;
    HWND list = nullptr;
    int formulaLeft = 0, ratioLeft = 0, rowHeight = 0, visibleRows = 0;
};

}  // namespace testbed

#endif
