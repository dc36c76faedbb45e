// Test bed of the control tests: loads VEXIL.DLL or LEDRA.DLL by name as the
// program does, hosts an initialised control (VEXIL in a test window, LEDRA in
// a dialog from controls.rc under its three headers, as the main dialog does),
// drives it by messages and keys, and reads its pixels and the parent's
// notifications back.
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_H
#define QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_H

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/controlrecords.h"
#include "controls_ids.h"
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

// The main dialog's VEXIL record with its formula fonts (app/controlrecords.h).
inline VexilInit MainDialogInit() {
    static CFont *letter = new CFont, *digit = new CFont;
    if (letter->m_hObject == nullptr) CreateFormulaFonts(*letter, *digit, FORMULA_FONT_FACE);
    return FormulaFieldInit(*letter, *digit);
}

// Layout measured here, independently of the controls, with a record's fonts:
// edges[i] is the left edge of character i, edges[n] the end. Digits and '.'
// are subscripts, except right after a separator ('*' or the middle dot 0xB7),
// where they are a coefficient in the letter font.
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

// VEXIL's picture as it should be, drawn here with the record's fonts:
// characters lo..hi-1 selected.
inline qwintest::Bitmap32 Reference(const qwintest::Bitmap32 &like, const std::string &text, const VexilInit &init, int lo, int hi) {
    Layout layout = Measure(text, init);
    return qwintest::RenderToBitmap(like.Width(), like.Height(), [&](CDC &dc) {
        COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
        RECT band = {layout.edges[lo], init.top, layout.edges[hi], layout.caretBottom};
        HBRUSH brush = ::CreateSolidBrush(highlight);
        if (lo != hi) ::FillRect(dc, &band, brush);
        ::DeleteObject(brush);
        HGDIOBJ old = ::SelectObject(dc, init.letterFont);
        for (size_t i = 0; i < text.size(); ++i) {
            bool selected = int(i) >= lo && int(i) < hi;
            bool digit = layout.subscript[i];
            ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_WINDOW : COLOR_WINDOWTEXT));
            ::SetBkColor(dc, selected ? highlight : ::GetSysColor(COLOR_WINDOW));
            ::SelectObject(dc, digit ? init.digitFont : init.letterFont);
            ::TextOutA(dc, layout.edges[i], digit ? layout.digitTop : init.top, &text[i], 1);
        }
        ::SelectObject(dc, old);
    });
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

// A fixture around one control window: messages and keys to it.
class ControlTest : public ::testing::Test {
protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(control, message, wParam, lParam);
    }
    static int CaretX() {
        POINT p = {-100, -100};
        ::GetCaretPos(&p);
        return p.x;
    }
    HWND control = nullptr;
};

// One keystroke: WM_KEYDOWN of vk with modifiers, or (vk 0) WM_CHAR of ch.
struct KeyPress {
    UINT vk;
    unsigned modifiers;
    char ch;
};
inline KeyPress Down(UINT vk, unsigned modifiers = 0) { return {vk, modifiers, 0}; }
inline KeyPress Char(char ch) { return {0, 0, ch}; }

// A host window with one initialised VEXIL control (id 1001).
class VexilTest : public ControlTest {
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
        control = edit = host.CreateChild(VEXIL_CLASS_NAME, "", WS_TABSTOP, 10, 10, width, 30, 1001);
        ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
    }
    LRESULT SetText(const char *text) const { return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    // The text through WM_GETTEXTLENGTH and WM_GETTEXT with count + 1 bytes.
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
    // Types characters as TranslateMessage delivers them: WM_CHAR.
    void Type(const std::string &text) const {
        for (char c : text) Send(WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void Press(const std::vector<KeyPress> &keys) const {
        for (const KeyPress &k : keys) {
            if (k.vk) Key(k.vk, k.modifiers);
            else Send(WM_CHAR, static_cast<unsigned char>(k.ch), 1);
        }
    }
    // Messages sent to the host window set edit: Send goes to it.
    void Use(HWND hWnd) { control = edit = hWnd; }

    qwintest::TestHost host{480, 200};
    HWND edit = nullptr;
    VexilInit init = {};
};

// LEDRA's callbacks: the formula check counts its calls and accepts a capital
// letter followed by formula characters with balanced parentheses.
struct Callbacks {
    int checks = 0, closing = 0;
};
inline Callbacks &Calls() {
    static Callbacks calls;
    return calls;
}
inline int CheckFormula(const char *formula) {
    Calls().checks++;
    int depth = 0;
    if (!std::isupper(static_cast<unsigned char>(formula[0]))) return 0;
    for (const char *p = formula; *p; ++p) {
        depth += *p == '(' ? 1 : *p == ')' ? -1 : 0;
        if (depth < 0) return 0;
    }
    return depth == 0;
}
inline int IsClosing() { return Calls().closing; }

// The host dialog records what the list sends or posts it (its WM_COMMAND
// notifications and LDM_FORWARDTOPARENT) in fwtest::g_recorded; with
// g_boxOnAutoRatio it answers LDN_AUTORATIO with a modal message box.
inline bool g_boxOnAutoRatio = false;
inline INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_COMMAND && LOWORD(wParam) == IDC_LIST) || message == LDM_FORWARDTOPARENT) {
        fwtest::g_recorded.push_back({message, wParam, lParam});
        if (g_boxOnAutoRatio && message == WM_COMMAND && HIWORD(wParam) == LDN_AUTORATIO)
            ::MessageBoxA(::GetActiveWindow(), "Ratios determined.", "Quillon", MB_OK);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

// The host dialog with its list, not yet initialised; FillRecord writes the
// main dialog's record (app/controlrecords.h) as the main dialog does: the
// dialog's font, rows as high as the product control's client area.
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
        POINT origin = {0, 0};
        ::ClientToScreen(list, &origin);
        RECT window;
        ::GetWindowRect(list, &window);
        return windowX - (origin.x - window.left);
    }

    HWND dialog = nullptr, list = nullptr, product = nullptr;
    VexilInit vexilInit = {};
    LedraInit init = {};
};

// Stores one row of a list as the main dialog does.
inline void SetListRow(HWND list, int row, const char *formula, double ratio, int fixed) {
    CString text(formula);
    ::SendMessageA(list, LDM_SETFORMULA, row, reinterpret_cast<LPARAM>(&text));
    ::SendMessageA(list, LDM_SETRATIO, row, reinterpret_cast<LPARAM>(&ratio));
    ::SendMessageA(list, LDM_SETFIXED, row, fixed);
}

// The ground of the main dialog's list (its record's backColor).
const COLORREF LIST_BACK = LIST_BACK_COLOR;

// An initialised list; row i, cell column c (0 number, 1 formula, 2 ratio).
class LedraTest : public ControlTest {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLedra()) << "LEDRA.DLL did not load";
        Calls() = Callbacks();
        fwtest::g_recorded.clear();
        g_boxOnAutoRatio = false;
        host.FillRecord();
        ASSERT_NE(nullptr, host.list) << "the host dialog or its list was not created";
        ASSERT_EQ(0, host.Initialise());
        control = list = host.list;
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
    void TearDown() override { Calls().closing = 1; }

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
    // Replaces the open editor's text as typed keys do: characters come as WM_CHAR.
    void Type(const std::string &text) const {
        HWND editor = ::GetFocus();
        ::SendMessageA(editor, EM_SETSEL, 0, -1);
        if (editor == FormulaEditor()) qwintest::SendKeyDown(editor, VK_DELETE);
        else ::SendMessageA(editor, WM_CHAR, '\b', 0);
        for (char c : text) ::SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
    // The open cell as "row:column" (row 1-based, column F or R), or "none".
    std::string OpenCell() const {
        for (HWND editor : {FormulaEditor(), RatioEditor()}) {
            if (!::IsWindowVisible(editor)) continue;
            RECT r;
            ::GetWindowRect(editor, &r);
            POINT p = {r.left, r.top};
            ::ScreenToClient(list, &p);
            int row = Top() + p.y / rowHeight + 1;
            return std::to_string(row) + (editor == FormulaEditor() ? ":F" : ":R");
        }
        return "none";
    }
    std::string Formula(int row) const {
        const CString *text = reinterpret_cast<const CString *>(Send(LDM_GETFORMULA, row));
        return text ? static_cast<const char *>(*text) : "<null>";
    }
    double Ratio(int row) const { return *reinterpret_cast<const double *>(Send(LDM_GETRATIO, row)); }
    int Fixed(int row) const { return reinterpret_cast<const LedraRow *>(Send(LDM_GETROW, row))->fixed; }
    void SetRow(int row, const char *formula, double ratio, int fixed) const { SetListRow(list, row, formula, ratio, fixed); }
    int Top() const { return ::GetScrollPos(list, SB_VERT); }

    // The band of screen row i without its grid line, within columns [x0, x1).
    RECT Band(int i, int x0, int x1) const { return {x0, i * rowHeight + 1, x1, (i + 1) * rowHeight}; }
    // Whether the band shows exactly text drawn with the list's font at (x, band top + 6).
    bool ShowsText(const qwintest::Bitmap32 &image, const RECT &band, int x, const char *text) const {
        qwintest::Bitmap32 expected = qwintest::RenderToBitmap(band.right - band.left, band.bottom - band.top,
                                                               [&](CDC &dc) {
                                                                   dc.SelectObject(host.init.font);
                                                                   dc.SetBkColor(LIST_BACK);
                                                                   dc.TextOut(x - band.left, 6, text, int(strlen(text)));
                                                               },
                                                               LIST_BACK);
        for (int y = band.top; y < band.bottom; ++y)
            for (int xx = band.left; xx < band.right; ++xx)
                if (image.At(xx, y) != expected.At(xx - band.left, y - band.top)) return false;
        return true;
    }
    // The pixels of r that are (or, equal false, are not) of color.
    static int Count(const qwintest::Bitmap32 &image, const RECT &r, COLORREF color, bool equal = true) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += (image.At(x, y) == color) == equal;
        return n;
    }

    LedraHost host;
    HWND list = nullptr;
    int formulaLeft = 0, ratioLeft = 0, rowHeight = 0, visibleRows = 0;
};

// Opens a window's context menu with a right press, picks item `choice` (by
// Down keys and Enter once the menu idles) and answers the items seen as
// "text+id " (enabled) or "text-id " (greyed).
struct MenuDriver {
    WNDPROC previous;
    std::string items;
    int choice;
    bool acted;
};
inline MenuDriver &Menu() {
    static MenuDriver menu;
    return menu;
}
inline LRESULT CALLBACK MenuDriverProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuDriver &menu = Menu();
    if (message == WM_INITMENUPOPUP) {
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            char text[32] = {};
            ::GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            bool grayed = (::GetMenuState(popup, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) != 0;
            menu.items += text + std::string(grayed ? "-" : "+") + std::to_string(::GetMenuItemID(popup, i)) + " ";
        }
    } else if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !menu.acted) {
        menu.acted = true;
        HWND target = lParam ? reinterpret_cast<HWND>(lParam) : hWnd;
        for (int i = 0; i < menu.choice; ++i) ::PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
    }
    return ::CallWindowProcA(menu.previous, hWnd, message, wParam, lParam);
}
inline void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }
inline std::string PickFromMenu(HWND window, int choice) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuDriverProc)));
    Menu() = {previous, "", choice, false};
    ::SetCursorPos(700, 600);  // away from the host, so the menu covers nothing of the control
    UINT_PTR timer = ::SetTimer(nullptr, 0, 5000, &CloseMenu);  // a safety net
    ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
    ::KillTimer(nullptr, timer);
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return Menu().items;
}

}  // namespace testbed

#endif
