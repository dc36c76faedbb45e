// Test bed of the list control tests: loads LEDRA.DLL by name as the program
// does, hosts the list in a dialog from a template under its three headers,
// initialises it with a record like the main dialog's, and reads the rows,
// the open editor and the parent's notifications back.
#ifndef QUILLON_TESTS_WIN_LEDRA_TESTBED_H
#define QUILLON_TESTS_WIN_LEDRA_TESTBED_H

#include <windows.h>

#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "quillon/ledra.h"
#include "tests/support/harness/qwintest.h"
#include "resource.h"
#include "tests/win/vexil/vexil_testbed.h"

namespace ledratest {

inline HMODULE LoadLedra() {
    static HMODULE module = ::LoadLibraryA("LEDRA.DLL");
    return module;
}

// The callbacks: the formula check counts its calls and accepts a capital
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

// What the parent dialog received from the list.
struct ParentLog {
    int autoRatios = 0;
    WPARAM autoRatioWParam = 0;
    LPARAM autoRatioLParam = 0;
    int signals = 0;
    bool boxOnAutoRatio = false;  // answer LDN_AUTORATIO with a modal message box
};
inline ParentLog &Parent() {
    static ParentLog log;
    return log;
}

inline INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == LDN_AUTORATIO) {
        Parent().autoRatios++;
        Parent().autoRatioWParam = wParam;
        Parent().autoRatioLParam = lParam;
        if (Parent().boxOnAutoRatio) ::MessageBoxA(::GetActiveWindow(), "Ratios determined.", "Quillon", MB_OK);
        return TRUE;
    }
    if (message == LDM_FORWARDTOPARENT) Parent().signals++;
    return message == WM_INITDIALOG;
}

// The host dialog with its list, not yet initialised.
class LedraHost {
public:
    LedraHost() {
        LoadLedra();
        dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LEDRA_HOST), nullptr,
                                      HostProc, 0);
        list = ::GetDlgItem(dialog, IDC_LIST);
        product = ::GetDlgItem(dialog, IDC_PRODUCT);
        dialogObject.Attach(dialog);
        ::SetForegroundWindow(dialog);
        qwintest::PumpMessages();
    }
    ~LedraHost() {
        dialogObject.Detach();
        ::DestroyWindow(dialog);
        qwintest::PumpMessages();
    }
    // The main dialog's record: its fonts and colours, rows as high as the
    // product control's client area, 3 and 8 characters for the columns.
    void FillRecord() {
        vexilInit = vexiltest::MainDialogInit();
        ::SendMessageA(product, VXM_INITIALIZE, reinterpret_cast<WPARAM>(&vexilInit), 0);
        RECT productClient;
        ::GetClientRect(product, &productClient);
        init.vexilInit = &vexilInit;
        init.font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
        init.backColor = 0x00D1FBFE;
        init.rowHeight = productClient.bottom;
        init.numberChars = 3;
        init.ratioChars = 8;
        init.formulaCheck = CheckFormula;
        init.isClosing = IsClosing;
        init.caption = "Quillon ";
    }
    LRESULT Initialise() {
        return ::SendMessageA(list, LDM_INITIALIZE, reinterpret_cast<WPARAM>(&dialogObject),
                              reinterpret_cast<LPARAM>(&init));
    }

    HWND dialog = nullptr, list = nullptr, product = nullptr;
    CWnd dialogObject;
    VexilInit vexilInit = {};
    LedraInit init = {};
};

// An initialised list; row i, cell column c (0 number, 1 formula, 2 ratio).
class LedraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLedra()) << "LEDRA.DLL did not load";
        Calls() = Callbacks();
        Parent() = ParentLog();
        host.FillRecord();
        ASSERT_NE(nullptr, host.list) << "the host dialog or its list was not created";
        ASSERT_EQ(0, host.Initialise());
        list = host.list;
        RECT client;
        ::GetClientRect(list, &client);
        POINT origin = {0, 0};
        ::ClientToScreen(list, &origin);
        RECT window;
        ::GetWindowRect(list, &window);
        formulaLeft = host.init.formulaLeft - (origin.x - window.left);
        ratioLeft = host.init.ratioLeft - (origin.x - window.left);
        rowHeight = host.init.rowHeight;
        visibleRows = client.bottom / rowHeight;
        qwintest::PumpMessages();
    }
    // The program sets its closing flag before its windows go, so an open
    // cell is not validated while the host is destroyed.
    void TearDown() override { Calls().closing = 1; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(list, message, wParam, lParam);
    }
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
    void SetRow(int row, const char *formula, double ratio, int fixed) const {
        CString text(formula);
        Send(LDM_SETFORMULA, row, reinterpret_cast<LPARAM>(&text));
        Send(LDM_SETRATIO, row, reinterpret_cast<LPARAM>(&ratio));
        Send(LDM_SETFIXED, row, fixed);
    }
    int Top() const { return ::GetScrollPos(list, SB_VERT); }
    static std::string WindowText(HWND hWnd) {
        char text[256] = "";
        ::GetWindowTextA(hWnd, text, sizeof text);
        return text;
    }

    LedraHost host;
    HWND list = nullptr;
    int formulaLeft = 0, ratioLeft = 0, rowHeight = 0, visibleRows = 0;
};

}  // namespace ledratest

#endif
