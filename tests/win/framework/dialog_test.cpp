// CDialog: modal dialogs from a resource template, OnInitDialog, the message
// map of a dialog, and Enter/Escape/Close as in a standard dialog.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "afxwin.h"
#include "qwintest.h"
#include "resource.h"

namespace {

const UINT WM_SCRIPT = WM_USER + 50;  // posted by OnInitDialog: runs the test's script
const UINT_PTR kWatchdog = 77;        // ends a dialog that a test failed to end

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(CWnd *parent = nullptr) : CDialog(IDD_FWTEST, parent) {}

    std::function<void(CTestDialog &)> script;
    std::vector<std::string> calls;
    bool boundAtInit = false;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        calls.push_back("init");
        boundAtInit = CWnd::FromHandlePermanent(m_hWnd) == this;
        SetDlgItemText(IDC_FWTEST_EDIT, "from init");
        ::SetTimer(m_hWnd, kWatchdog, 10000, nullptr);
        PostMessage(WM_SCRIPT);
        return TRUE;
    }
    void OnOK() override {
        calls.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        calls.push_back("cancel");
        CDialog::OnCancel();
    }
    void OnApply() {
        calls.push_back("apply");
        EndDialog(77);
    }
    void OnClose() {
        calls.push_back("close");
        Default();
    }
    LRESULT OnScript(WPARAM, LPARAM) {
        if (script) script(*this);
        return 0;
    }
    LRESULT OnTimer(WPARAM id, LPARAM) {
        if (id == kWatchdog) EndDialog(-2);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_BN_CLICKED(IDC_FWTEST_APPLY, OnApply)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_SCRIPT, OnScript)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

// Swallows IDOK in OnCommand and passes the rest to CWnd::OnCommand, as the
// main dialog does: Enter must do nothing, Escape must still close.
class CEnterProofDialog : public CTestDialog {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDOK) {
            calls.push_back("enter swallowed");
            return TRUE;
        }
        return CWnd::OnCommand(wParam, lParam);
    }
};

// Posts a key press to the dialog's edit field, where the focus is.
void PostKey(CDialog &dialog, UINT vk) {
    ::PostMessageA(::GetDlgItem(dialog.m_hWnd, IDC_FWTEST_EDIT), WM_KEYDOWN, vk, 1);
}

TEST(DialogTest, RunsFromTheTemplateBoundAtInitAndEnterEndsWithOnOK) {
    CTestDialog dialog;
    std::string editText;
    HWND focus = nullptr, edit = nullptr;
    dialog.script = [&](CTestDialog &d) {
        char text[64] = "";
        ::GetDlgItemTextA(d.m_hWnd, IDC_FWTEST_EDIT, text, sizeof text);
        editText = text;
        focus = ::GetFocus();
        edit = ::GetDlgItem(d.m_hWnd, IDC_FWTEST_EDIT);
        PostKey(d, VK_RETURN);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_EQ((std::vector<std::string>{"init", "ok"}), dialog.calls);
    EXPECT_EQ("from init", editText);
    EXPECT_EQ(edit, focus);  // OnInitDialog's TRUE: focus on the first control
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(DialogTest, EndingPathsReachTheirHandlers) {
    struct Case {
        const char *what;
        std::function<void(CTestDialog &)> script;
        INT_PTR result;
        std::vector<std::string> calls;
    } cases[] = {
        {"Escape", [](CTestDialog &d) { PostKey(d, VK_ESCAPE); }, IDCANCEL, {"init", "cancel"}},
        {"Close command", [](CTestDialog &d) { d.PostMessage(WM_CLOSE); }, IDCANCEL, {"init", "close", "cancel"}},
        {"button in the map",
         [](CTestDialog &d) { ::SendMessageA(::GetDlgItem(d.m_hWnd, IDC_FWTEST_APPLY), BM_CLICK, 0, 0); }, 77,
         {"init", "apply"}},
        {"Cancel button",
         [](CTestDialog &d) { ::SendMessageA(::GetDlgItem(d.m_hWnd, IDCANCEL), BM_CLICK, 0, 0); }, IDCANCEL,
         {"init", "cancel"}},
    };
    for (const Case &c : cases) {
        CTestDialog dialog;
        dialog.script = c.script;
        EXPECT_EQ(c.result, dialog.DoModal()) << c.what;
        EXPECT_EQ(c.calls, dialog.calls) << c.what;
    }
}

TEST(DialogTest, DerivedOnCommandCanSwallowEnterWhileEscapeStillCloses) {
    CEnterProofDialog dialog;
    dialog.script = [](CTestDialog &d) {
        PostKey(d, VK_RETURN);
        PostKey(d, VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{"init", "enter swallowed", "cancel"}), dialog.calls);
}

TEST(DialogTest, TheOwnerIsDisabledWhileTheDialogRuns) {
    qwintest::TestHost host;
    CTestDialog dialog(host.Wnd());
    bool ownerEnabled = true;
    HWND owner = nullptr;
    dialog.script = [&](CTestDialog &d) {
        ownerEnabled = ::IsWindowEnabled(host.hwnd()) != FALSE;
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        PostKey(d, VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(host.hwnd(), owner);
    EXPECT_TRUE(::IsWindowEnabled(host.hwnd()));
}

TEST(DialogTest, MissingTemplateFailsWithMinusOne) {
    class CMissing : public CDialog {
    public:
        CMissing() : CDialog(4321) {}
    } dialog;
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

}  // namespace
