#include "standin_list.h"

#include <windows.h>

#include "quillon/ledra.h"

namespace {

LedraRowStore g_rows;

LRESULT CALLBACK ListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    int i = int(wParam);
    switch (message) {
    case WM_CREATE: g_rows.create(ROW_CAPACITY); return 0;
    case LDM_INITIALIZE: {
        LedraInit *init = reinterpret_cast<LedraInit *>(lParam);
        RECT client;
        ::GetClientRect(hWnd, &client);
        init->formulaLeft = 30;
        init->ratioLeft = client.right - 70;
        return 0;
    }
    case LDM_GETCAPACITY: return g_rows.capacity();
    case LDM_GETFORMULA: return reinterpret_cast<LRESULT>(g_rows.formula(i));
    case LDM_GETRATIO: return reinterpret_cast<LRESULT>(g_rows.ratio(i));
    case LDM_GETROW: return reinterpret_cast<LRESULT>(g_rows.row(i));
    case LDM_SETFORMULA: return g_rows.setFormula(i, *reinterpret_cast<const CString *>(lParam));
    case LDM_SETRATIO: return g_rows.setRatio(i, *reinterpret_cast<const double *>(lParam));
    case LDM_SETFIXED: return g_rows.setFixed(i, int(lParam));
    case LDM_RESETCONTENT: g_rows.reset(); return 0;
    case LDM_GETROWS: return g_rows.getRows(i, reinterpret_cast<LedraRowList *>(lParam));
    case LDM_GETUNFIXEDCOUNT: return g_rows.getUnfixedCount();
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

bool RegisterStandInList() {
    WNDCLASSA wc = {};
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), "LEDRA", &wc)) return true;
    wc.lpfnWndProc = ListProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "LEDRA";
    return ::RegisterClassA(&wc) != 0;
}

LedraRowStore &StandInRows() { return g_rows; }
