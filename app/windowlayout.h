// The main window's layout: the fields and headers over the list's column
// edges, and the window made taller (never wider), the list taking the
// extra height in whole rows while the controls under it keep their
// distance from the bottom edge. The list makes itself whole rows high; the
// controls under it and the window's bottom come up by what it gave back, so
// no band is left under the list at any DPI.
#ifndef QUILLON_APP_WINDOWLAYOUT_H
#define QUILLON_APP_WINDOWLAYOUT_H

#include <utility>
#include <vector>

#include <windows.h>

class CWindowLayout {
public:
    // The template's layout of dialog: the smallest size, and the controls
    // under the list that move down when the window grows.
    void Record(HWND dialog);
    // Once the list is initialised: its column edges (from its left edge)
    // for the fields and headers above it, the height of its rows, and the
    // height it made itself (whole rows), the smallest it gets.
    void ListReady(int formulaLeft, int ratioLeft, int rowHeight);
    // WM_DPICHANGED: the smallest size and the distances recorded follow
    // the window's new DPI.
    void DpiChanged(int newDpi);
    // The height of the last run, when it is larger than the template's and
    // fits on the screen.
    void ApplyHeight(int height);
    // The window's height when neither minimised nor maximised, 0 if unknown.
    int NormalHeight() const;

    // WM_GETMINMAXINFO and WM_SIZE of the dialog.
    void LimitTracking(MINMAXINFO *info) const;
    void Resize(UINT type, int clientHeight);

private:
    RECT ChildRect(HWND child) const;  // in the dialog's client coordinates

    HWND dialog = nullptr;
    int baseWidth = 0, baseHeight = 0;  // the window at its template size, the smallest it gets
    int baseClientHeight = 0, baseListHeight = 0;
    int rowHeight = 0;
    int dpi = 96;  // of the sizes recorded
    int templateListBottom = 0;  // the list's bottom before it made itself whole rows
    std::vector<std::pair<HWND, int>> belowList;  // controls under the list, with their template tops
};

#endif
