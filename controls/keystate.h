// The modifier keys held during the key message being handled, as the
// controls' keyboard handling reads them.
#ifndef QUILLON_CONTROLS_KEYSTATE_H
#define QUILLON_CONTROLS_KEYSTATE_H

#include <windows.h>

// Bit 0 Shift, bit 1 Ctrl, bit 2 Alt, each down when GetKeyState sets its high bit.
inline int ModifierState() {
    int m = 0;
    if (GetKeyState(VK_SHIFT) & 0x8000) m |= 1;
    if (GetKeyState(VK_CONTROL) & 0x8000) m |= 2;
    if (GetKeyState(VK_MENU) & 0x8000) m |= 4;
    return m;
}

#endif
