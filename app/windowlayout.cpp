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
        {IDC_SAMPLE_ID, x0, xR},      {IDC_PRODUCT, x0, x2},        {IDC_PRODUCT_RATIO, x2, xR},
        {IDC_HEADER_NUMBER, x0, x1},  {IDC_HEADER_FORMULA, x1, x2}, {IDC_HEADER_RATIO, x2, xR},
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
    if (given <= 0) return;
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

// The list keeps its rows' height (its record's sizes are fixed at its
// initialisation), so its own height stays in whole rows of that height.
void CWindowLayout::DpiChanged(int newDpi) {
    if (newDpi <= 0 || newDpi == dpi) return;
    auto scale = [this, newDpi](int &size) { size = ::MulDiv(size, newDpi, dpi); };
    scale(baseWidth);
    scale(baseHeight);
    scale(baseClientHeight);
    scale(templateListBottom);
    for (auto &control : belowList) scale(control.second);
    dpi = newDpi;
}

void CWindowLayout::ApplyHeight(int height) {
    RECT outer = {};
    ::GetWindowRect(dialog, &outer);
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (height > work.bottom - work.top) height = work.bottom - work.top;
    if (height <= baseHeight) return;
    ::SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWindowLayout::NormalHeight() const {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (dialog == nullptr || !::GetWindowPlacement(dialog, &placement)) return 0;
    return int(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top);
}

void CWindowLayout::LimitTracking(MINMAXINFO *info) const {
    if (baseWidth <= 0) return;
    // Taller only: the list's columns and the fields over them keep their width.
    info->ptMinTrackSize.x = info->ptMaxTrackSize.x = baseWidth;
    info->ptMinTrackSize.y = baseHeight;
}

void CWindowLayout::Resize(UINT type, int clientHeight) {
    if (type == SIZE_MINIMIZED || baseListHeight == 0 || rowHeight <= 0) return;
    int grow = clientHeight > baseClientHeight ? clientHeight - baseClientHeight : 0;
    HWND listWindow = ::GetDlgItem(dialog, IDC_LIST);
    RECT list = ChildRect(listWindow);
    int rows = grow / rowHeight;
    ::MoveWindow(listWindow, list.left, list.top, list.right - list.left, baseListHeight + rows * rowHeight, TRUE);
    for (const auto &control : belowList) {
        RECT rect = ChildRect(control.first);
        ::MoveWindow(control.first, rect.left, control.second + grow, rect.right - rect.left, rect.bottom - rect.top,
                     TRUE);
    }
    ::InvalidateRect(dialog, nullptr, TRUE);
}
