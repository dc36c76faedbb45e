// CWnd: commands, WM_NCDESTROY, temporaries, and one window carrying an object of this program and one of fwpeer.dll.
// (Window texts are read through the program's own fields: dialogfiles and the end-to-end tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "tests/support/peer/peer.h"
#include "tests/support/peer/recorder.h"
#include "tests/support/harness/qwintest.h"

namespace {

const UINT WM_TEMP_PROBE = WM_USER + 30;  // FromHandle inside nested messages
const UINT WM_HOOK_NESTED = WM_USER + 110;  // PEER_WHO and PEER_ONLY nested, then Default()
const UINT ID_APPLY = 301, ID_EDIT = 302;

using namespace fwtest;

std::vector<std::string> g_calls;

class CProbe : public CWnd {
public:
    bool failCreate = false, selfDelete = false, tempStable = false;
    HWND tempTarget = nullptr;
    int tempCountInside = 0;
    LRESULT nestedInner = 0;

protected:
    int OnCreate(LPCREATESTRUCT) { return g_calls.push_back("create"), failCreate ? -1 : 0; }
    void OnDestroy() { g_calls.push_back("destroy"), Default(); }
    void OnApply() { g_calls.push_back("apply"); }
    void OnEditChange() { g_calls.push_back("edit change"); }
    LRESULT OnTempProbe(WPARAM depth, LPARAM) {
        CWnd *first = CWnd::FromHandle(tempTarget);
        if (depth == 0) return 0;
        SendMessage(WM_TEMP_PROBE, depth - 1);  // nested: must not free first
        tempStable = first == CWnd::FromHandle(tempTarget) && first->m_hWnd == tempTarget;
        tempCountInside = AfxGetTemporaryObjectCount();
        return 0;
    }
    LRESULT OnWho(WPARAM, LPARAM) { return Default() + 1000; }  // the peer's answer, through Default()
    LRESULT OnHookNested(WPARAM, LPARAM) {
        nestedInner = SendMessage(PEER_WHO);
        return SendMessage(PEER_ONLY) + Default();
    }
    void PostNcDestroy() override {
        g_calls.push_back("post nc destroy");
        if (selfDelete) delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbe, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_BN_CLICKED(ID_APPLY, OnApply)
    ON_CONTROL(EN_CHANGE, ID_EDIT, OnEditChange)
    ON_MESSAGE(WM_TEMP_PROBE, OnTempProbe)
    ON_MESSAGE(PEER_WHO, OnWho)
    ON_MESSAGE(WM_HOOK_NESTED, OnHookNested)
END_MESSAGE_MAP()

// Commands matched on id alone, or an accelerator (code 1, no control) not taken as a menu command.
TEST(WndTest, CommandsMatchCodeAndIdAndTheRestPassOn) {
    HWND recorder = CreateRecorder();
    LPARAM control = reinterpret_cast<LPARAM>(recorder);  // any window stands in for a control
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(recorder));
    const struct { WPARAM wParam; LPARAM lParam; const char *handler; } cases[] = {  // handler nullptr: passed on
        {MAKEWPARAM(ID_APPLY, BN_CLICKED), control, "apply"}, {MAKEWPARAM(ID_APPLY, 1), 0, "apply"},
        {MAKEWPARAM(ID_APPLY, 1), control, nullptr}, {MAKEWPARAM(ID_EDIT, EN_CHANGE), control, "edit change"},
        {MAKEWPARAM(ID_EDIT, EN_UPDATE), control, nullptr},
    };
    for (const auto &c : cases) {
        g_calls.clear();
        g_recorded.clear();
        probe.SendMessage(WM_COMMAND, c.wParam, c.lParam);
        EXPECT_EQ(c.handler ? std::vector<std::string>{c.handler} : std::vector<std::string>{}, g_calls) << c.wParam;
        std::vector<Message> passedOn;  // unchanged to the previous procedure
        if (!c.handler) passedOn.push_back({WM_COMMAND, c.wParam, c.lParam});
        EXPECT_EQ(passedOn, Recorded({WM_COMMAND})) << c.wParam;
    }
    ::DestroyWindow(recorder);
}

// WM_CREATE missed by a late binding; PostNcDestroy too early (before the previous procedure), never, or touched
// after a failed creation deleted the object.
TEST(WndTest, CreateBindsBeforeWmCreateAndWmNcDestroyEndsInPostNcDestroy) {
    g_calls.clear();
    g_recorded.clear();
    CProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, Registered("FwTestRecorder", RecorderProc), "", WS_POPUP, 0, 0, 50, 50, nullptr,
                               nullptr));
    HWND hWnd = probe.m_hWnd;
    ASSERT_TRUE(probe.DestroyWindow());
    EXPECT_EQ((std::vector<std::string>{"create", "destroy", "post nc destroy"}), g_calls);
    EXPECT_EQ((std::vector<Message>{{WM_DESTROY, 0, 0}, {WM_NCDESTROY, 0, 0}}), Recorded({WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(probe.m_hWnd == nullptr && CWnd::FromHandlePermanent(hWnd) == nullptr) << "unbound";

    g_calls.clear();
    CProbe *failing = new CProbe;
    failing->failCreate = failing->selfDelete = true;
    EXPECT_FALSE(failing->CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    EXPECT_EQ(1, std::count(g_calls.begin(), g_calls.end(), "post nc destroy"));  // which deleted it
}

// Temporaries freed inside a nested message, kept too long, or piling up for dead windows.
TEST(WndTest, TemporariesLiveUntilTheOutermostMessageReturns) {
    HWND target = CreateRecorder();
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(CreateRecorder()));
    EXPECT_EQ(&probe, CWnd::FromHandle(probe.m_hWnd));  // permanent, not a temporary
    AfxDeleteTemporaryObjects();
    int before = AfxGetTemporaryObjectCount();
    probe.tempTarget = target;
    probe.SendMessage(WM_TEMP_PROBE, 1);
    EXPECT_TRUE(probe.tempStable) << "temporary changed or freed across a nested message";
    EXPECT_EQ(before + 1, probe.tempCountInside);
    EXPECT_EQ(before, AfxGetTemporaryObjectCount());

    CWnd *outside = CWnd::FromHandle(target);  // outside messages: lives until the idle clean-up
    probe.SendMessage(WM_TEMP_PROBE, 0);
    EXPECT_EQ(outside, CWnd::FromHandle(target));
    AfxDeleteTemporaryObjects();
    EXPECT_EQ(before, AfxGetTemporaryObjectCount());
    probe.DestroyWindow();
    ::DestroyWindow(target);

    for (int i = 0; i < 600; ++i) {
        HWND hWnd = CreateRecorder();
        ASSERT_EQ(hWnd, CWnd::FromHandle(hWnd)->m_hWnd);
        ::DestroyWindow(hWnd);
    }
    EXPECT_LE(AfxGetTemporaryObjectCount(), before + 257);
    AfxDeleteTemporaryObjects();
}

// One module's Default() running another module's message, or objects outliving the window; the count message
// answered by the wrong module, or leaving out the bound windows or the temporaries.
TEST(TwoModuleTest, EachModuleFindsItsOwnObjectDefaultChainsAndCountsAnswerForTheFirst) {
    HMODULE peer = ::LoadLibraryA("fwpeer.dll");
    ASSERT_NE(nullptr, peer) << "fwpeer.dll beside the test program";
    auto liveObjects = PeerExport<PeerLiveObjectsFn>(peer, "PeerLiveObjects");
    auto hasObject = PeerExport<PeerHasObjectFn>(peer, "PeerHasObject");
    ASSERT_TRUE(liveObjects && hasObject);
    HWND window = CreatePopup(PEER_CLASS_NAME);  // the peer binds its object to it
    ASSERT_NE(nullptr, window);
    int live = liveObjects();
    g_calls.clear();
    CProbe hook;
    ASSERT_TRUE(hook.SubclassWindow(window));
    EXPECT_EQ(&hook, CWnd::FromHandlePermanent(window));
    EXPECT_EQ(1, hasObject(window));
    EXPECT_EQ('P' + 1000, ::SendMessageA(window, PEER_WHO, 0, 0));  // the hook, then the peer through Default()
    EXPECT_EQ(501, ::SendMessageA(window, PEER_ONLY, 0, 0));        // unmapped here: straight to the peer
    // Default() after nested sends processes WM_HOOK_NESTED itself (the peer's DefWindowProc: 0).
    EXPECT_EQ(501, ::SendMessageA(window, WM_HOOK_NESTED, 0, 0));
    EXPECT_EQ('P' + 1000, hook.nestedInner);
    // The peer sends PEER_ONLY through the hook inside PEER_NESTED, then its own Default(): 0.
    EXPECT_EQ(0, ::SendMessageA(window, PEER_NESTED, 0, 0));

    ASSERT_TRUE(::DestroyWindow(window));
    EXPECT_EQ((std::vector<std::string>{"destroy", "post nc destroy"}), g_calls);
    EXPECT_EQ(0, hasObject(window));
    EXPECT_EQ(live - 1, liveObjects());  // the peer's object deleted itself

    const UINT count = ::RegisterWindowMessageA(AFX_OBJECT_COUNT_MESSAGE);
    window = CreatePopup(PEER_CLASS_NAME);
    HWND target = CreateRecorder();
    EXPECT_EQ(liveObjects(), ::SendMessageA(window, count, 0, 0));  // the peer's objects, bound to its windows
    AfxDeleteTemporaryObjects();
    const int before = AfxGetLiveObjectCount();
    {
        CProbe second;
        ASSERT_TRUE(second.SubclassWindow(window));
        CWnd::FromHandle(target);  // a temporary, until the idle clean-up
        EXPECT_EQ(before + 2, ::SendMessageA(window, count, 0, 0));
        AfxDeleteTemporaryObjects();
    }
    EXPECT_EQ(before, AfxGetLiveObjectCount());
    EXPECT_EQ(liveObjects(), ::SendMessageA(window, count, 0, 0));  // unhooked: the peer again
    ::DestroyWindow(window);
    ::DestroyWindow(target);
}

}  // namespace
