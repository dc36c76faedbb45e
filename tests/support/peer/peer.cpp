// fwpeer.dll: a second module with its own copy of the framework.
#include "peer.h"

#include "framework/afxwin.h"

namespace {

int g_live = 0;

class CPeer : public CWnd {
public:
    CPeer() { ++g_live; }
    ~CPeer() override { --g_live; }

protected:
    LRESULT OnWho(WPARAM, LPARAM) { return 'P'; }
    LRESULT OnOnly(WPARAM, LPARAM) { return 501; }
    LRESULT OnNested(WPARAM, LPARAM) { return SendMessage(PEER_ONLY), Default(); }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPeer, CWnd)
    ON_MESSAGE(PEER_WHO, OnWho)
    ON_MESSAGE(PEER_ONLY, OnOnly)
    ON_MESSAGE(PEER_NESTED, OnNested)
END_MESSAGE_MAP()

LRESULT CALLBACK PeerWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) (wnd = new CPeer)->Attach(hWnd);
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}

}  // namespace

extern "C" __declspec(dllexport) int PeerLiveObjects(void) { return g_live; }
extern "C" __declspec(dllexport) int PeerHasObject(HWND hWnd) { return CWnd::FromHandlePermanent(hWnd) != nullptr; }
extern "C" __declspec(dllexport) int PeerMessageBox(const char *text) { return AfxMessageBox(text); }
extern "C" __declspec(dllexport) HINSTANCE PeerInstance(void) { return AfxGetInstanceHandle(); }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    AfxSetInstanceHandle(instance);
    AfxSetAppName(PEER_APP_NAME);
    WNDCLASSA wc = {};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = PeerWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = PEER_CLASS_NAME;
    return ::RegisterClassA(&wc) != 0;
}
