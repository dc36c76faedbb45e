// The protocol of fwpeer.dll, a test module that owns a window class the way
// VEXIL.DLL does: its class procedure attaches an object of its own module to
// each window on the first message and runs every message through it.
#ifndef QUILLON_TESTS_FWPEER_H
#define QUILLON_TESTS_FWPEER_H

#include <windows.h>

#define PEER_CLASS_NAME "FwPeer"
#define PEER_APP_NAME "FwPeer"

// Messages of a peer window.
#define PEER_WHO (WM_USER + 100)    // the peer's object answers 'P'
#define PEER_ONLY (WM_USER + 101)   // the peer's object answers 501
#define PEER_NESTED (WM_USER + 102) // the peer sends PEER_ONLY to itself, then answers Default()

// Exports (looked up with GetProcAddress).
typedef int(__cdecl *PeerLiveObjectsFn)(void);            // "PeerLiveObjects": objects alive
typedef int(__cdecl *PeerHasObjectFn)(HWND);              // "PeerHasObject": 1 when the DLL's map binds hWnd
typedef int(__cdecl *PeerMessageBoxFn)(const char *);     // "PeerMessageBox": AfxMessageBox in the DLL
typedef HINSTANCE(__cdecl *PeerInstanceFn)(void);         // "PeerInstance": the DLL's AfxGetInstanceHandle
typedef int(__cdecl *PeerTemporariesFn)(void);            // "PeerTemporaries": its AfxGetTemporaryObjectCount

// An export of the peer, typed.
template <class Fn>
Fn PeerExport(HMODULE peer, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(::GetProcAddress(peer, name)));
}

#endif
