// One window, one object per module: this test program subclasses a window
// of fwpeer.dll, whose class procedure has already bound the DLL's own
// object, as the list control does with its formula editor child.
#include <gtest/gtest.h>

#include "afxwin.h"
#include "peer/peer.h"
#include "qwintest.h"

namespace {

const UINT WM_HOOK_NESTED = WM_USER + 110;

class CHook : public CWnd {
public:
    bool *postNcDestroyed = nullptr;
    LRESULT nestedInner = 0;

protected:
    // Adds to what the peer answers: proves Default() went through the peer's object.
    LRESULT OnWho(WPARAM, LPARAM) { return Default() + 1000; }
    // A nested message first, then the default processing of this one.
    LRESULT OnHookNested(WPARAM, LPARAM) {
        nestedInner = SendMessage(PEER_WHO);
        return SendMessage(PEER_ONLY) + Default();
    }
    void PostNcDestroy() override {
        if (postNcDestroyed != nullptr) *postNcDestroyed = true;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHook, CWnd)
    ON_MESSAGE(PEER_WHO, OnWho)
    ON_MESSAGE(WM_HOOK_NESTED, OnHookNested)
END_MESSAGE_MAP()

class TwoModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        peer = ::LoadLibraryA("fwpeer.dll");
        ASSERT_NE(nullptr, peer) << "fwpeer.dll beside the test program";
        liveObjects = PeerExport<PeerLiveObjectsFn>(peer, "PeerLiveObjects");
        hasObject = PeerExport<PeerHasObjectFn>(peer, "PeerHasObject");
        temporaries = PeerExport<PeerTemporariesFn>(peer, "PeerTemporaries");
        ASSERT_TRUE(liveObjects && hasObject && temporaries);
        window = ::CreateWindowExA(0, PEER_CLASS_NAME, "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }

    HMODULE peer = nullptr;
    PeerLiveObjectsFn liveObjects = nullptr;
    PeerHasObjectFn hasObject = nullptr;
    PeerTemporariesFn temporaries = nullptr;
    HWND window = nullptr;
};

TEST_F(TwoModuleTest, EachModuleFindsItsOwnObjectAndDefaultReachesThePeer) {
    int liveBefore = liveObjects();
    EXPECT_EQ(1, hasObject(window));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));  // nothing of this module yet

    CHook hook;
    ASSERT_TRUE(hook.SubclassWindow(window));
    EXPECT_EQ(&hook, CWnd::FromHandlePermanent(window));
    EXPECT_EQ(1, hasObject(window));

    EXPECT_EQ('P' + 1000, ::SendMessageA(window, PEER_WHO, 0, 0));  // hook, then the peer through Default()
    EXPECT_EQ(501, ::SendMessageA(window, PEER_ONLY, 0, 0));        // unmapped here: straight to the peer
    // Default() after nested sends processes WM_HOOK_NESTED itself, which the
    // peer leaves to DefWindowProc (0), not the last nested message ('P').
    EXPECT_EQ(501, ::SendMessageA(window, WM_HOOK_NESTED, 0, 0));
    EXPECT_EQ('P' + 1000, hook.nestedInner);
    EXPECT_EQ(liveBefore, liveObjects());
}

TEST_F(TwoModuleTest, NestedMessagesInsideThePeerKeepEachModulesDefault) {
    CHook hook;
    ASSERT_TRUE(hook.SubclassWindow(window));
    int peerTemporaries = temporaries();
    // The peer, inside PEER_NESTED, sends PEER_ONLY through the hook and back,
    // then asks for its own default processing (DefWindowProc: 0).
    EXPECT_EQ(0, ::SendMessageA(window, PEER_NESTED, 0, 0));
    EXPECT_EQ(peerTemporaries, temporaries());  // the peer's temporaries went with its outermost message
}

TEST_F(TwoModuleTest, UnsubclassLeavesThePeerBound) {
    CHook hook;
    ASSERT_TRUE(hook.SubclassWindow(window));
    EXPECT_EQ(window, hook.UnsubclassWindow());
    EXPECT_EQ('P', ::SendMessageA(window, PEER_WHO, 0, 0));
    EXPECT_EQ(1, hasObject(window));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
}

TEST_F(TwoModuleTest, DestroyingTheWindowEndsBothObjects) {
    int liveBefore = liveObjects();
    bool hookEnded = false;
    CHook hook;
    hook.postNcDestroyed = &hookEnded;
    ASSERT_TRUE(hook.SubclassWindow(window));
    ASSERT_TRUE(::DestroyWindow(window));
    EXPECT_TRUE(hookEnded);
    EXPECT_EQ(nullptr, hook.m_hWnd);
    EXPECT_EQ(0, hasObject(window));
    EXPECT_EQ(liveBefore - 1, liveObjects());  // the peer's object deleted itself
}

}  // namespace
