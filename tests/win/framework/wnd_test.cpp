// CWnd: message map dispatch, commands and notifications, Default() under
// nested messages, subclassing, WM_NCDESTROY and temporary objects.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "afxwin.h"
#include "fwtest.h"
#include "qwintest.h"

namespace {

const UINT WM_PROBE_A = WM_USER + 10;       // mapped in base and derived
const UINT WM_PROBE_B = WM_USER + 11;       // mapped in the base only
const UINT WM_PROBE_C = WM_USER + 12;       // mapped nowhere
const UINT WM_NESTED_OUTER = WM_USER + 20;  // sends WM_NESTED_INNER, then Default()
const UINT WM_NESTED_INNER = WM_USER + 21;  // Default()
const UINT WM_TEMP_PROBE = WM_USER + 30;    // exercises FromHandle inside a message
const UINT ID_SAVE = 300;
const UINT ID_APPLY = 301;
const UINT ID_EDIT = 302;
const UINT ID_LIST = 303;

std::vector<std::string> g_calls;

class CBaseProbe : public CWnd {
protected:
    LRESULT OnProbeA(WPARAM, LPARAM) {
        g_calls.push_back("base A");
        return 1;
    }
    LRESULT OnProbeB(WPARAM wParam, LPARAM) {
        g_calls.push_back("base B");
        return LRESULT(wParam) * 2;
    }
    void OnSave() { g_calls.push_back("save"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
    ON_MESSAGE(WM_PROBE_A, OnProbeA)
    ON_MESSAGE(WM_PROBE_B, OnProbeB)
    ON_COMMAND(ID_SAVE, OnSave)
END_MESSAGE_MAP()

class CProbe : public CBaseProbe {
public:
    bool failCreate = false;
    bool selfDelete = false;
    bool *deleted = nullptr;
    void *createParam = nullptr;
    HWND tempTarget = nullptr;      // WM_TEMP_PROBE looks this window up
    CWnd *tempSeen = nullptr;
    int tempCountInside = 0;

protected:
    LRESULT OnProbeA(WPARAM, LPARAM) {
        g_calls.push_back("derived A");
        return 2;
    }
    int OnCreate(LPCREATESTRUCT create) {
        g_calls.push_back("create");
        createParam = create->lpCreateParams;
        return failCreate ? -1 : 0;
    }
    void OnDestroy() {
        g_calls.push_back("destroy");
        Default();
    }
    void OnApply() { g_calls.push_back("apply"); }
    void OnEditChange() { g_calls.push_back("edit change"); }
    void OnListClick(NMHDR *header, LRESULT *result) {
        g_calls.push_back("list click");
        *result = LRESULT(header->idFrom) + 5;
    }
    LRESULT OnNestedOuter(WPARAM, LPARAM) {
        SendMessage(WM_NESTED_INNER, 7, 8);
        return Default();
    }
    LRESULT OnNestedInner(WPARAM, LPARAM) { return Default(); }
    LRESULT OnTempProbe(WPARAM depth, LPARAM) {
        CWnd *first = CWnd::FromHandle(tempTarget);
        if (depth > 0) SendMessage(WM_TEMP_PROBE, depth - 1);  // nested: must not free first
        CWnd *again = CWnd::FromHandle(tempTarget);
        if (depth > 0) {
            tempSeen = first == again && first->m_hWnd == tempTarget ? first : nullptr;
            tempCountInside = AfxGetTemporaryObjectCount();
        }
        return 0;
    }
    void PostNcDestroy() override {
        g_calls.push_back("post nc destroy");
        if (deleted != nullptr) *deleted = true;
        if (selfDelete) delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbe, CBaseProbe)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_PROBE_A, OnProbeA)
    ON_BN_CLICKED(ID_APPLY, OnApply)
    ON_CONTROL(EN_CHANGE, ID_EDIT, OnEditChange)
    ON_NOTIFY(NM_CLICK, ID_LIST, OnListClick)
    ON_MESSAGE(WM_NESTED_OUTER, OnNestedOuter)
    ON_MESSAGE(WM_NESTED_INNER, OnNestedInner)
    ON_MESSAGE(WM_TEMP_PROBE, OnTempProbe)
END_MESSAGE_MAP()

class WndTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        fwtest::RecorderLog().clear();
        AfxDeleteTemporaryObjects();
    }
};

TEST_F(WndTest, DerivedEntriesComeFirstThenBaseEntriesThenThePreviousProcedure) {
    HWND recorder = fwtest::CreateRecorder();
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(recorder));

    EXPECT_EQ(2, probe.SendMessage(WM_PROBE_A));
    EXPECT_EQ(42, probe.SendMessage(WM_PROBE_B, 21));
    EXPECT_EQ(fwtest::RecorderAnswer(WM_PROBE_C), probe.SendMessage(WM_PROBE_C));
    EXPECT_EQ((std::vector<std::string>{"derived A", "base B"}), g_calls);
    // Only the unmapped message went on to the previous procedure.
    auto passed = fwtest::RecordedOf(recorder, WM_USER, WM_USER + 100);
    ASSERT_EQ(1u, passed.size());
    EXPECT_EQ(WM_PROBE_C, passed[0].message);

    probe.SetWindowText("unmapped text");
    CString text;
    probe.GetWindowText(text);
    EXPECT_STREQ("unmapped text", text);
    ::DestroyWindow(recorder);
}

TEST_F(WndTest, CreateExBindsTheObjectBeforeWmCreate) {
    int marker = 0;
    CProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, fwtest::PlainClass(), "probe", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, &marker));
    EXPECT_EQ(&marker, probe.createParam);
    EXPECT_EQ(&probe, CWnd::FromHandlePermanent(probe.m_hWnd));
    EXPECT_EQ((std::vector<std::string>{"create"}), g_calls);
    EXPECT_FALSE(probe.CreateEx(0, fwtest::PlainClass(), "again", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));

    HWND hWnd = probe.m_hWnd;
    ASSERT_TRUE(probe.DestroyWindow());
    EXPECT_EQ((std::vector<std::string>{"create", "destroy", "post nc destroy"}), g_calls);
    EXPECT_EQ(nullptr, probe.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    // The object can make a window again.
    ASSERT_TRUE(probe.CreateEx(0, fwtest::PlainClass(), "probe", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    probe.DestroyWindow();
}

TEST_F(WndTest, FailedCreateEndsInPostNcDestroy) {
    bool deleted = false;
    CProbe *probe = new CProbe;
    probe->failCreate = true;
    probe->selfDelete = true;
    probe->deleted = &deleted;
    EXPECT_FALSE(probe->CreateEx(0, fwtest::PlainClass(), "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    EXPECT_TRUE(deleted);
}

TEST_F(WndTest, CommandsMatchCodeAndIdAndUnhandledOnesPassOn) {
    HWND recorder = fwtest::CreateRecorder();
    HWND control = fwtest::CreateRecorder();  // stands in for a control window
    LPARAM fromControl = reinterpret_cast<LPARAM>(control);
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(recorder));
    struct Case {
        const char *what;
        WPARAM wParam;
        LPARAM lParam;
        const char *handler;  // nullptr: not handled, goes to the previous procedure
    } cases[] = {
        {"menu item", MAKEWPARAM(ID_SAVE, 0), 0, "save"},
        {"accelerator", MAKEWPARAM(ID_SAVE, 1), 0, "save"},
        {"button click on a base entry", MAKEWPARAM(ID_SAVE, BN_CLICKED), fromControl, "save"},
        {"button click", MAKEWPARAM(ID_APPLY, BN_CLICKED), fromControl, "apply"},
        {"accelerator for a button id", MAKEWPARAM(ID_APPLY, 1), 0, "apply"},
        {"control code 1 is no accelerator", MAKEWPARAM(ID_APPLY, 1), fromControl, nullptr},
        {"edit change", MAKEWPARAM(ID_EDIT, EN_CHANGE), fromControl, "edit change"},
        {"other edit code", MAKEWPARAM(ID_EDIT, EN_UPDATE), fromControl, nullptr},
        {"unknown id", MAKEWPARAM(ID_LIST, 0), 0, nullptr},
    };
    for (const Case &c : cases) {
        g_calls.clear();
        fwtest::RecorderLog().clear();
        probe.SendMessage(WM_COMMAND, c.wParam, c.lParam);
        size_t passedOn = fwtest::RecordedOf(recorder, WM_COMMAND, WM_COMMAND).size();
        if (c.handler != nullptr) {
            EXPECT_EQ(std::vector<std::string>{c.handler}, g_calls) << c.what;
            EXPECT_EQ(0u, passedOn) << c.what;
        } else {
            EXPECT_TRUE(g_calls.empty()) << c.what;
            EXPECT_EQ(1u, passedOn) << c.what;
        }
    }
    ::DestroyWindow(control);
    ::DestroyWindow(recorder);
}

TEST_F(WndTest, ClickOnAChildButtonReachesTheParentsMap) {
    CProbe parent;
    ASSERT_TRUE(parent.CreateEx(0, fwtest::PlainClass(), "parent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr));
    HWND button = ::CreateWindowExA(0, "BUTTON", "Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24,
                                    parent.m_hWnd, reinterpret_cast<HMENU>(ID_APPLY), nullptr, nullptr);
    ASSERT_NE(nullptr, button);
    g_calls.clear();
    ::SendMessageA(button, BM_CLICK, 0, 0);
    qwintest::PumpMessages();
    EXPECT_EQ(std::vector<std::string>{"apply"}, g_calls);
    parent.DestroyWindow();
}

TEST_F(WndTest, NotificationsMatchCodeAndIdAndAnswerThroughResult) {
    HWND recorder = fwtest::CreateRecorder();
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(recorder));
    NMHDR header = {recorder, ID_LIST, UINT(NM_CLICK)};
    EXPECT_EQ(LRESULT(ID_LIST) + 5, probe.SendMessage(WM_NOTIFY, ID_LIST, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(std::vector<std::string>{"list click"}, g_calls);

    g_calls.clear();
    header.code = UINT(NM_DBLCLK);
    probe.SendMessage(WM_NOTIFY, ID_LIST, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(1u, fwtest::RecordedOf(recorder, WM_NOTIFY, WM_NOTIFY).size());
    ::DestroyWindow(recorder);
}

TEST_F(WndTest, DefaultProcessesTheMessageOfItsOwnFrameUnderNesting) {
    HWND recorder = fwtest::CreateRecorder();
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(recorder));
    EXPECT_EQ(fwtest::RecorderAnswer(WM_NESTED_OUTER), probe.SendMessage(WM_NESTED_OUTER, 1, 2));
    auto passed = fwtest::RecordedOf(recorder, WM_USER, WM_USER + 100);
    ASSERT_EQ(2u, passed.size());
    EXPECT_EQ(WM_NESTED_INNER, passed[0].message);
    EXPECT_EQ(7u, passed[0].wParam);
    EXPECT_EQ(8, passed[0].lParam);
    EXPECT_EQ(WM_NESTED_OUTER, passed[1].message);
    EXPECT_EQ(1u, passed[1].wParam);
    EXPECT_EQ(2, passed[1].lParam);

    // Outside any message there is nothing to process.
    fwtest::RecorderLog().clear();
    EXPECT_EQ(0, probe.Default());
    EXPECT_TRUE(fwtest::RecorderLog().empty());
    ::DestroyWindow(recorder);
}

TEST_F(WndTest, SubclassAndUnsubclassRestoreTheWindowAsItWas) {
    HWND recorder = fwtest::CreateRecorder();
    LONG_PTR original = ::GetWindowLongPtrA(recorder, GWLP_WNDPROC);
    CProbe probe, other;
    EXPECT_FALSE(probe.SubclassWindow(nullptr));
    ASSERT_TRUE(probe.SubclassWindow(recorder));
    EXPECT_NE(original, ::GetWindowLongPtrA(recorder, GWLP_WNDPROC));
    EXPECT_EQ(&probe, CWnd::FromHandlePermanent(recorder));
    EXPECT_FALSE(other.SubclassWindow(recorder));  // one object per window in a module
    EXPECT_FALSE(other.Attach(recorder));

    EXPECT_EQ(recorder, probe.UnsubclassWindow());
    EXPECT_EQ(original, ::GetWindowLongPtrA(recorder, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(recorder));
    EXPECT_EQ(fwtest::RecorderAnswer(WM_PROBE_A), ::SendMessageA(recorder, WM_PROBE_A, 0, 0));
    EXPECT_TRUE(g_calls.empty());

    // An object that goes away first leaves the window working and unbound.
    {
        CProbe shortLived;
        ASSERT_TRUE(shortLived.SubclassWindow(recorder));
    }
    EXPECT_EQ(original, ::GetWindowLongPtrA(recorder, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(recorder));
    EXPECT_TRUE(::IsWindow(recorder));
    ::DestroyWindow(recorder);
}

TEST_F(WndTest, SubclassDlgItemFindsTheChildById) {
    CProbe parent;
    ASSERT_TRUE(parent.CreateEx(0, fwtest::PlainClass(), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd, reinterpret_cast<HMENU>(5),
                                  nullptr, nullptr);
    CProbe field, missing;
    EXPECT_TRUE(field.SubclassDlgItem(5, &parent));
    EXPECT_EQ(edit, field.m_hWnd);
    EXPECT_FALSE(missing.SubclassDlgItem(6, &parent));
    EXPECT_EQ(2, field.SendMessage(WM_PROBE_A));
    field.SetWindowText("typed");  // unmapped: the EDIT control's own procedure
    char text[16] = "";
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("typed", text);
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, field.m_hWnd);  // the child's WM_NCDESTROY unbound it
}

TEST_F(WndTest, WmNcDestroyUnbindsThenCallsPostNcDestroyAfterThePreviousProcedure) {
    HWND recorder = fwtest::CreateRecorder();
    bool deleted = false;
    CProbe *probe = new CProbe;
    probe->selfDelete = true;
    probe->deleted = &deleted;
    ASSERT_TRUE(probe->SubclassWindow(recorder));
    ::DestroyWindow(recorder);
    EXPECT_TRUE(deleted);
    EXPECT_EQ((std::vector<std::string>{"destroy", "post nc destroy"}), g_calls);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(recorder));
    // The previous procedure saw both messages (OnDestroy's Default, and WM_NCDESTROY unmapped).
    EXPECT_EQ(1u, fwtest::RecordedOf(recorder, WM_DESTROY, WM_DESTROY).size());
    EXPECT_EQ(1u, fwtest::RecordedOf(recorder, WM_NCDESTROY, WM_NCDESTROY).size());
    EXPECT_FALSE(::IsWindow(recorder));
}

TEST_F(WndTest, TemporariesLiveUntilTheOutermostMessageReturns) {
    HWND target = fwtest::CreateRecorder();
    CProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, fwtest::PlainClass(), "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    EXPECT_EQ(&probe, CWnd::FromHandle(probe.m_hWnd));
    int before = AfxGetTemporaryObjectCount();

    probe.tempTarget = target;
    probe.SendMessage(WM_TEMP_PROBE, 1);  // the handler nests one more level
    ASSERT_NE(nullptr, probe.tempSeen) << "temporary changed or freed across a nested message";
    EXPECT_EQ(before + 1, probe.tempCountInside);
    EXPECT_EQ(before, AfxGetTemporaryObjectCount());  // freed after the outermost message

    // Made outside any message: survives messages until the idle clean-up.
    CWnd *outside = CWnd::FromHandle(target);
    EXPECT_EQ(target, outside->m_hWnd);
    probe.SendMessage(WM_PROBE_A);
    qwintest::PumpMessages();
    EXPECT_EQ(outside, CWnd::FromHandle(target));
    EXPECT_EQ(before + 1, AfxGetTemporaryObjectCount());
    AfxDeleteTemporaryObjects();
    EXPECT_EQ(before, AfxGetTemporaryObjectCount());

    probe.DestroyWindow();
    ::DestroyWindow(target);
}

TEST_F(WndTest, TemporariesOfDeadWindowsDoNotPileUp) {
    int before = AfxGetTemporaryObjectCount();
    for (int i = 0; i < 600; ++i) {
        HWND hWnd = fwtest::CreateRecorder();
        ASSERT_EQ(hWnd, CWnd::FromHandle(hWnd)->m_hWnd);
        ::DestroyWindow(hWnd);
    }
    EXPECT_LE(AfxGetTemporaryObjectCount(), before + 257);
    AfxDeleteTemporaryObjects();
}

TEST_F(WndTest, TemporaryDcWrappersFollowTheSameRules) {
    CProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, fwtest::PlainClass(), "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    int before = AfxGetTemporaryObjectCount();
    CDC *dc = probe.GetDC();
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(dc, CDC::FromHandle(dc->m_hDC));
    EXPECT_EQ(before + 1, AfxGetTemporaryObjectCount());
    EXPECT_EQ(1, probe.ReleaseDC(dc));
    AfxDeleteTemporaryObjects();
    EXPECT_EQ(before, AfxGetTemporaryObjectCount());
    EXPECT_EQ(nullptr, CDC::FromHandle(nullptr));
    probe.DestroyWindow();
}

// A window whose WM_GETTEXT answers as the formula edit control does: it
// copies min(count, n) characters, then a NUL, and returns the number copied
// minus one. WM_GETTEXTLENGTH may overstate the length.
struct OddText {
    static const char *text;
    static LRESULT reportedLength;
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_GETTEXTLENGTH) return reportedLength;
        if (message == WM_GETTEXT) {
            size_t count = std::strlen(text);
            size_t copied = count < wParam ? count : size_t(wParam);
            std::memcpy(reinterpret_cast<char *>(lParam), text, copied);
            reinterpret_cast<char *>(lParam)[copied] = 0;
            return LRESULT(copied) - 1;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
};
const char *OddText::text = "";
LRESULT OddText::reportedLength = 0;

TEST_F(WndTest, GetWindowTextTakesTheLengthFromTheCharactersReturned) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OddText::Proc;
    wc.lpszClassName = "FwTestOddText";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, "FwTestOddText", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(hWnd));
    struct Case {
        const char *text;
        LRESULT reported;
    } cases[] = {
        {"Ba(NO3)2", 8},  // exact length
        {"H", 1},
        {"", 0},
        {"SrTiO3", 40},   // overstated: the characters that came back count
        {"Ba(NO3)2", 3},  // understated: n = 4 characters fit, with their NUL
    };
    for (const Case &c : cases) {
        OddText::text = c.text;
        OddText::reportedLength = c.reported;
        CString got;
        wnd.GetWindowText(got);
        size_t expected = std::min(std::strlen(c.text), size_t(c.reported) + 1);
        EXPECT_EQ(std::string(c.text, expected), std::string(got)) << c.text;
        EXPECT_EQ(int(expected), got.GetLength()) << c.text;
    }
    wnd.Detach();
    ::DestroyWindow(hWnd);
}

}  // namespace
