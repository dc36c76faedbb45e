// The main window's layout: the fields and headers over the list's column
// edges, and the window made taller or wider. The list takes the extra
// height in whole rows while the controls under it keep their distance from
// the bottom edge; it takes the extra width in its formula column, with the
// product field and the formula header over it, while the ratio column and
// the controls at the right keep their distance from the right edge.
// The list makes itself whole rows high; the controls under it and the
// window's bottom come up by what it gave back, so no band is left under
// the list at any DPI.
#ifndef QUILLON_APP_WINDOWLAYOUT_H
#define QUILLON_APP_WINDOWLAYOUT_H

#include <vector>

#include <windows.h>

class CWindowLayout {
public:
    // The template's layout of dialog: the smallest size.
    void Record(HWND dialog);
    // Once the list is initialised: its column edges (from its left edge)
    // for the fields and headers above it, the height of its rows, and the
    // height it made itself (whole rows), the smallest it gets. The layout
    // then is the one every larger size is made from.
    void ListReady(int formulaLeft, int ratioLeft, int rowHeight);
    // WM_DPICHANGED: the smallest size and the places recorded follow the
    // window's new DPI.
    void DpiChanged(int newDpi);
    // The size of the last run, each side when it is larger than the
    // template's (0: unknown), as far as the screen allows.
    void ApplySize(int width, int height);
    // The window's size when neither minimised nor maximised, 0 if unknown.
    int NormalWidth() const;
    int NormalHeight() const;

    // WM_GETMINMAXINFO and WM_SIZE of the dialog.
    void LimitTracking(MINMAXINFO *info) const;
    void Resize(UINT type, int clientWidth, int clientHeight);

private:
    RECT ChildRect(HWND child) const;  // in the dialog's client coordinates
    RECT NormalRect() const;

    // How a control follows the window's extra width.
    enum class Across { Stays, Stretches, Moves };
    struct Placed {
        HWND window;
        RECT rect;     // at the smallest size
        bool below;    // under the list: moves down with the extra height
        Across across;
    };

    HWND dialog = nullptr;
    int baseWidth = 0, baseHeight = 0;  // the window at its template size, the smallest it gets
    int baseClientWidth = 0, baseClientHeight = 0, baseListHeight = 0;
    int rowHeight = 0;
    int dpi = 96;  // of the sizes recorded
    int templateListBottom = 0;  // the list's bottom before it made itself whole rows
    std::vector<std::pair<HWND, int>> belowList;  // controls under the list, with their template tops
    std::vector<Placed> placed;  // every control, once the list is ready
};

#endif
