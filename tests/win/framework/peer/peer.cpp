// fwpeer.dll: a second module built on its own copy of the framework, for
// the tests of one window carrying one object per module.
#include "peer.h"

#include "afxwin.h"

namespace {

int g_live = 0;

class CPeer : public CWnd {
public:
    CPeer() { ++g_live; }
    ~CPeer() override { --g_live; }

protected:
    LRESULT OnWho(WPARAM, LPARAM) { return 'P'; }
    LRESULT OnOnly(WPARAM, LPARAM) { return 501; }
    LRESULT OnNested(WPARAM, LPARAM) {
        SendMessage(PEER_ONLY);
        CWnd::FromHandle(::GetDesktopWindow());  // a temporary of this module
        return Default();
    }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPeer, CWnd)
    ON_MESSAGE(PEER_WHO, OnWho)
    ON_MESSAGE(PEER_ONLY, OnOnly)
    ON_MESSAGE(PEER_NESTED, OnNested)
END_MESSAGE_MAP()

// The class procedure: the window's object of this module, made on the first message.
LRESULT CALLBACK PeerWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) {
        CPeer *peer = new CPeer;
        peer->Attach(hWnd);
        wnd = peer;
    }
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}

}  // namespace

extern "C" __declspec(dllexport) int PeerLiveObjects(void) { return g_live; }
extern "C" __declspec(dllexport) int PeerHasObject(HWND hWnd) { return CWnd::FromHandlePermanent(hWnd) != nullptr; }
extern "C" __declspec(dllexport) int PeerMessageBox(const char *text) { return AfxMessageBox(text); }
extern "C" __declspec(dllexport) HINSTANCE PeerInstance(void) { return AfxGetInstanceHandle(); }
extern "C" __declspec(dllexport) int PeerTemporaries(void) { return AfxGetTemporaryObjectCount(); }

// Records the instance, names the module's boxes and registers the class.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AfxSetInstanceHandle(instance);
        AfxSetAppName(PEER_APP_NAME);
        WNDCLASSA wc = {};
        wc.style = CS_GLOBALCLASS;
        wc.lpfnWndProc = PeerWindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = PEER_CLASS_NAME;
        if (::RegisterClassA(&wc) == 0) return FALSE;
    }
    return TRUE;
}
