// fwpeer.dll owns a window class as VEXIL.DLL does: its class procedure binds
// an object of its own module to each window on the first message.
#ifndef QUILLON_TESTS_SUPPORT_PEER_PEER_H
#define QUILLON_TESTS_SUPPORT_PEER_PEER_H

#include <windows.h>

#define PEER_CLASS_NAME "FwPeer"
#define PEER_APP_NAME "FwPeer"
#define PEER_WHO (WM_USER + 100)     // answers 'P'
#define PEER_ONLY (WM_USER + 101)    // answers 501
#define PEER_NESTED (WM_USER + 102)  // sends PEER_ONLY to itself, then answers Default()

typedef int(__cdecl *PeerLiveObjectsFn)(void);         // objects alive
typedef int(__cdecl *PeerHasObjectFn)(HWND);           // 1 when the DLL's map binds hWnd
typedef int(__cdecl *PeerMessageBoxFn)(const char *);  // AfxMessageBox in the DLL
typedef HINSTANCE(__cdecl *PeerInstanceFn)(void);      // the DLL's AfxGetInstanceHandle

template <class Fn>
Fn PeerExport(HMODULE peer, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(::GetProcAddress(peer, name)));
}

#endif
