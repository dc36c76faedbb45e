// layout_probe: prints the layout of the running program's main window, one
// line: its client size (set by the dialog font, through dialog units) and
// the left and right edges of the list's column headers and the amount
// field. The launcher test compares a first and a later start with the test
// prefix. Waits up to 30 s for the window; exit code 1 without it.
#include <windows.h>

#include <cstdio>

#include "app/resource.h"

int main() {
    // The sample ID and the list (for readiness), then the edges printed.
    const int ids[] = {IDC_SAMPLE_ID, IDC_LIST, IDC_HEADER_NUMBER, IDC_HEADER_FORMULA, IDC_HEADER_RATIO, IDC_AMOUNT};
    for (int tries = 0; tries < 300; ++tries, ::Sleep(100)) {
        // The template's caption, until the program names the entry in it.
        HWND main = ::FindWindowA("#32770", "Untitled - Quillon");
        if (main == nullptr) main = ::FindWindowA("#32770", "Quillon");
        if (main == nullptr || ::GetDlgItem(main, IDC_LIST) == nullptr) continue;
        RECT r[6];  // in the window's client coordinates
        for (int i = 0; i < 6; ++i) {
            ::GetWindowRect(::GetDlgItem(main, ids[i]), &r[i]);
            ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT *>(&r[i]), 2);
        }
        // Ready once the deferred initialisation has laid the sample ID over the list's width.
        if (r[0].left != r[1].left || r[0].right != r[1].right) continue;
        RECT client;
        ::GetClientRect(main, &client);
        std::printf("client %ldx%ld", client.right, client.bottom);
        for (int i = 2; i < 6; ++i) std::printf(" %d:%ld-%ld", ids[i], r[i].left, r[i].right);
        std::printf("\n");
        return 0;
    }
    return 1;
}
