#include "windowlayout.h"

#include "quillon/dpi.h"
#include "resource.h"

RECT CWindowLayout::ChildRect(HWND child) const {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

void CWindowLayout::Record(HWND window) {
    dialog = window;
    dpi = QuillonDpiOf(dialog);
    RECT outer = {}, client = {};
    ::GetWindowRect(dialog, &outer);
    ::GetClientRect(dialog, &client);
    baseWidth = outer.right - outer.left;
    baseHeight = outer.bottom - outer.top;
    baseClientWidth = client.right - client.left;
    baseClientHeight = client.bottom - client.top;
    RECT list = ChildRect(::GetDlgItem(dialog, IDC_LIST));
    templateListBottom = int(list.bottom);
    belowList.clear();
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = ChildRect(child);
        if (rect.top >= list.bottom) belowList.push_back({child, int(rect.top)});
    }
}

void CWindowLayout::ListReady(int formulaLeft, int ratioLeft, int rows) {
    rowHeight = rows;
    RECT list = ChildRect(::GetDlgItem(dialog, IDC_LIST));
    int x0 = list.left, x1 = x0 + formulaLeft, x2 = x0 + ratioLeft, xR = list.right;
    const struct { int id, left, right; } moves[] = {
        {IDC_SAMPLE_ID, x0, xR},      {IDC_PRODUCT, x0, x2},        {IDC_SERIES_SHOWN, x0, x2},
        {IDC_PRODUCT_RATIO, x2, xR},  {IDC_HEADER_NUMBER, x0, x1},  {IDC_HEADER_FORMULA, x1, x2},
        {IDC_HEADER_RATIO, x2, xR},
    };
    // Moved without drawing; each control and the dialog's ground it
    // uncovers are drawn once, at the next paint.
    for (const auto &move : moves) {
        HWND control = ::GetDlgItem(dialog, move.id);
        RECT own = ChildRect(control);
        ::SetWindowPos(control, nullptr, move.left, own.top, move.right - move.left, own.bottom - own.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        ::InvalidateRect(dialog, &own, TRUE);
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    RECT made = ChildRect(::GetDlgItem(dialog, IDC_LIST));
    baseListHeight = made.bottom - made.top;
    // What the list gave back to make whole rows: the controls under it and
    // the window's bottom come up by as much.
    int given = templateListBottom - int(made.bottom);
    if (given > 0) {
        for (auto &control : belowList) {
            control.second -= given;
            RECT rect = ChildRect(control.first);
            ::SetWindowPos(control.first, nullptr, rect.left, control.second, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT outer = {};
        ::GetWindowRect(dialog, &outer);
        baseHeight -= given;
        baseClientHeight -= given;
        ::SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, baseHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(dialog, nullptr, TRUE);
    }

    // The fields, headers and list over the formula column stretch; what
    // stands over the ratio column or at the right moves with the edge.
    const int stretching[] = {IDC_SAMPLE_ID, IDC_PRODUCT, IDC_SERIES_SHOWN, IDC_HEADER_FORMULA, IDC_LIST,
                              IDC_SCALED_TO};
    const int moving[] = {IDC_PRODUCT_RATIO, IDC_RATIO_LABEL, IDC_HEADER_RATIO, IDC_AUTO_RATIO, IDC_CALCULATE};
    placed.clear();
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        Placed control = {child, ChildRect(child), false, Across::Stays};
        control.below = control.rect.top >= made.bottom;
        for (int s : stretching)
            if (id == s) control.across = Across::Stretches;
        for (int m : moving)
            if (id == m) control.across = Across::Moves;
        placed.push_back(control);
    }
}

// The list keeps its rows' height (its record's sizes are fixed at its
// initialisation), so its own height stays in whole rows of that height;
// the places every larger size is made from follow the new DPI.
void CWindowLayout::DpiChanged(int newDpi) {
    if (newDpi <= 0 || newDpi == dpi) return;
    auto scale = [this, newDpi](auto &size) { size = decltype(+size)(::MulDiv(int(size), newDpi, dpi)); };
    scale(baseWidth);
    scale(baseHeight);
    scale(baseClientWidth);
    scale(baseClientHeight);
    scale(templateListBottom);
    for (auto &control : belowList) scale(control.second);
    for (Placed &control : placed) {
        scale(control.rect.left);
        scale(control.rect.top);
        scale(control.rect.right);
        scale(control.rect.bottom);
    }
    dpi = newDpi;
}

RECT CWindowLayout::NormalRect() const {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (dialog == nullptr || !::GetWindowPlacement(dialog, &placement)) return RECT{};
    return placement.rcNormalPosition;
}

void CWindowLayout::ApplySize(int width, int height) {
    RECT outer = {};
    ::GetWindowRect(dialog, &outer);
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (width > work.right - work.left) width = work.right - work.left;
    if (height > work.bottom - work.top) height = work.bottom - work.top;
    if (width < baseWidth) width = baseWidth;
    if (height < baseHeight) height = baseHeight;
    if (width == outer.right - outer.left && height == outer.bottom - outer.top) return;
    ::SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWindowLayout::NormalWidth() const {
    RECT normal = NormalRect();
    return int(normal.right - normal.left);
}

int CWindowLayout::NormalHeight() const {
    RECT normal = NormalRect();
    return int(normal.bottom - normal.top);
}

void CWindowLayout::LimitTracking(MINMAXINFO *info) const {
    if (baseWidth <= 0) return;
    info->ptMinTrackSize.x = baseWidth;
    info->ptMinTrackSize.y = baseHeight;
}

void CWindowLayout::Resize(UINT type, int clientWidth, int clientHeight) {
    if (type == SIZE_MINIMIZED || baseListHeight == 0 || rowHeight <= 0) return;
    const int wider = clientWidth > baseClientWidth ? clientWidth - baseClientWidth : 0;
    const int taller = clientHeight > baseClientHeight ? clientHeight - baseClientHeight : 0;
    HWND list = ::GetDlgItem(dialog, IDC_LIST);
    HDWP moves = ::BeginDeferWindowPos(int(placed.size()));
    for (const Placed &control : placed) {
        RECT rect = control.rect;
        if (control.below) ::OffsetRect(&rect, 0, taller);
        if (control.window == list) rect.bottom += taller / rowHeight * rowHeight;
        if (control.across != Across::Stays) rect.right += wider;
        if (control.across == Across::Moves) rect.left += wider;
        if (moves != nullptr)
            moves = ::DeferWindowPos(moves, control.window, nullptr, rect.left, rect.top, rect.right - rect.left,
                                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves != nullptr) ::EndDeferWindowPos(moves);
    ::InvalidateRect(dialog, nullptr, TRUE);
}
