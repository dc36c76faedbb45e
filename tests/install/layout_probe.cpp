// layout_probe: prints the layout of the running program's main window, one
// line: its client size (set by the dialog font, through dialog units) and
// the left and right edges of the list's column headers and the amount
// field. The launcher test compares a first and a later start with the test
// prefix. Waits up to 30 s for the window; exit code 1 without it.
#include <windows.h>

#include <cstdio>

#include "app/resource.h"

namespace {

RECT In(HWND main, int id) {
    RECT r;
    ::GetWindowRect(::GetDlgItem(main, id), &r);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

}  // namespace

int main() {
    const int ids[] = {IDC_HEADER_NUMBER, IDC_HEADER_FORMULA, IDC_HEADER_RATIO, IDC_AMOUNT};
    for (int tries = 0; tries < 300; ++tries, ::Sleep(100)) {
        // The template's caption, until the program names the entry in it.
        HWND main = ::FindWindowA("#32770", "Untitled - Quillon");
        if (main == nullptr) main = ::FindWindowA("#32770", "Quillon");
        if (main == nullptr || ::GetDlgItem(main, IDC_LIST) == nullptr) continue;
        // Ready once the deferred initialisation has laid the sample ID over the list's width.
        RECT sample = In(main, IDC_SAMPLE_ID), list = In(main, IDC_LIST);
        if (sample.left != list.left || sample.right != list.right) continue;
        RECT client;
        ::GetClientRect(main, &client);
        std::printf("client %ldx%ld", client.right, client.bottom);
        for (int id : ids) {
            RECT r = In(main, id);
            std::printf(" %d:%ld-%ld", id, r.left, r.right);
        }
        std::printf("\n");
        return 0;
    }
    return 1;
}
