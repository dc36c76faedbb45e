// The Shelf window and its bottle dialog run modally in process and driven
// from inside their loops: the window run over a shelf with a script, its
// buttons pressed, its list read, an item selected, a column heading clicked.
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_SHELFWINDOW_H
#define QUILLON_TESTS_SUPPORT_TESTBED_SHELFWINDOW_H

#include <functional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/shelfdlg.h"
#include "tests/support/testbed/maindialog.h"

namespace testbed {

inline std::string lastPut;  // PutBottle's formula and PutRow of the window run last

// Runs the Shelf window over shelf; script acts once it is shown and must end it
// (its buttons pressed with Press of maindialog.h).
inline INT_PTR RunShelf(Shelf &shelf, const ShelfFormulaCheck &check, const std::string &path, int row,
                        const std::function<void(HWND)> &script) {
    CShelfDlg dialog(shelf, path.c_str(), check, row);
    UINT_PTR timer = ActWhenShown("Quillon : Shelf", [&](HWND window) {
        script(window);
        if (::IsWindowVisible(window)) ::EndDialog(window, -2);  // a script that stopped at a failure
    });
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    lastPut = dialog.PutBottle().formula.GetString() + std::string("|") + std::to_string(dialog.PutRow());
    return result;
}


// A button of the Shelf window that opens the bottle dialog, act run in that dialog's loop.
inline void WithBottle(HWND shelf, int id, const std::function<void(HWND)> &act) {
    std::string caption = g_actCaption;
    std::function<void(HWND)> outer = g_act;
    UINT_PTR timer = ActWhenShown("Quillon : Bottle", act);
    Press(shelf, id);
    ::KillTimer(nullptr, timer);
    g_actCaption = caption, g_act = outer;
}

inline HWND List(HWND shelf) { return ::GetDlgItem(shelf, IDC_SHELF_LIST); }

// The list's lines, each as its columns joined by "|" (the first columns only: count).
inline std::vector<std::string> Lines(HWND shelf, int count = 4) {
    std::vector<std::string> lines;
    const int items = int(::SendMessageA(List(shelf), LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < items; ++item) {
        std::string line;
        for (int column = 0; column < count; ++column) {
            char text[256] = "";
            LVITEMA lvi = {};
            lvi.iSubItem = column;
            lvi.pszText = text;
            lvi.cchTextMax = sizeof text;
            ::SendMessageA(List(shelf), LVM_GETITEMTEXTA, WPARAM(item), reinterpret_cast<LPARAM>(&lvi));
            line += (column ? "|" : "") + std::string(text);
        }
        lines.push_back(line);
    }
    return lines;
}
inline std::string Formulas(HWND shelf) {
    std::string all;
    for (const std::string &line : Lines(shelf, 1)) all += line + " ";
    return all;
}

inline void Select(HWND shelf, int item) {
    LVITEMA lvi = {};
    lvi.state = lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(List(shelf), LVM_SETITEMSTATE, WPARAM(item), reinterpret_cast<LPARAM>(&lvi));
}

inline void ClickHeader(HWND shelf, int column) {
    NMLISTVIEW click = {};
    click.hdr = {List(shelf), IDC_SHELF_LIST, UINT(LVN_COLUMNCLICK)};
    click.iSubItem = column;
    ::SendMessageA(shelf, WM_NOTIFY, IDC_SHELF_LIST, reinterpret_cast<LPARAM>(&click));
}

inline bool Enabled(HWND shelf, int id) { return ::IsWindowEnabled(::GetDlgItem(shelf, id)) != FALSE; }

}  // namespace testbed

#endif
