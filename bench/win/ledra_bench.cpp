// ledra_bench [N]: paints the whole list (30 rows, all visible, all used) N
// times (default 1000) and, in the same run, the system's report-mode list
// view showing the same 30 rows at the same size; prints the time per paint
// of each and their ratio. Then runs N open/commit cycles of each editor.
// Across the paints and the cycles, the process's GDI objects, handles and
// private bytes must stay flat: the exit status is 1 when one of them grew.
// ctest runs it with a tiny N (ledra_resources) as the list's resource
// check; scripts/bench runs it in full.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "app/controlrecords.h"
#include "framework/afxwin.h"
#include "quillon/ledra.h"
#include "tests/support/testbed/controls_ids.h"

namespace {

int AcceptAll(const char *) { return 1; }
int NotClosing() { return 0; }
INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Resources {
    DWORD gdi;
    DWORD handles;
    SIZE_T privateBytes;
};

// The committed private memory of the process, summed over its regions (the
// memory counters' PrivateUsage reads 0 under Wine).
SIZE_T PrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char *at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char *>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

// The process's open handles, counted by asking each handle value in turn
// (GetProcessHandleCount answers nothing under Wine).
DWORD HandleCount() {
    DWORD count = 0, flags = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4)
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

// The process's GDI objects: GetGuiResources where it answers, else (under
// Wine, which answers 0) the entries of the GDI handle table, found by asking
// the object type of each table index (a handle's low word).
DWORD GdiCount() {
    DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0) return count;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    return count;
}

Resources Measure() { return {GdiCount(), HandleCount(), PrivateBytes()}; }

void Report(const char *when, const Resources &r) {
    std::printf("%-24s GDI objects %lu, handles %lu, private %lu KiB\n", when, static_cast<unsigned long>(r.gdi),
                static_cast<unsigned long>(r.handles), static_cast<unsigned long>(r.privateBytes / 1024));
}

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Seconds for n repaints of a window.
double Repaints(HWND window, int n) {
    LARGE_INTEGER from, to;
    ::QueryPerformanceCounter(&from);
    for (int i = 0; i < n; ++i) {
        ::InvalidateRect(window, nullptr, FALSE);
        ::UpdateWindow(window);
    }
    ::GdiFlush();
    ::QueryPerformanceCounter(&to);
    return Seconds(from, to);
}

// The distance between the first two rows of a list view.
int RowHeight(HWND view) {
    RECT first = {}, second = {};  // left = LVIR_BOUNDS
    ::SendMessageA(view, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    ::SendMessageA(view, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    return int(second.top - first.top);
}

// The system's report-mode list view beside the list, at the list's window
// size, with the same font, colour, row height and row lines and the same 30
// rows in number, formula and ratio columns of the list's widths.
HWND ListView(HWND dialog, HWND list, const LedraInit &init, const char *const *formulas) {
    RECT window;
    ::GetWindowRect(list, &window);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&window), 2);
    int width = window.right - window.left, height = window.bottom - window.top;
    HWND view = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT |
                                  LVS_NOCOLUMNHEADER, window.right + 10, window.top, width, height, dialog,
                                  nullptr, nullptr, nullptr);
    ::SendMessageA(view, WM_SETFONT, reinterpret_cast<WPARAM>(init.font), FALSE);
    ::SendMessageA(view, LVM_SETBKCOLOR, 0, init.backColor);
    ::SendMessageA(view, LVM_SETTEXTBKCOLOR, 0, init.backColor);
    ::SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);  // the list's row lines
    const int lefts[] = {0, init.formulaLeft, init.ratioLeft, width};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = lefts[c + 1] - lefts[c];
        ::SendMessageA(view, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        char number[16], ratio[32];
        std::snprintf(number, sizeof number, "%d", i + 1);
        std::snprintf(ratio, sizeof ratio, i == 7 ? "?" : "%g", 0.25 * (i + 1));
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = number;
        ::SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char *>(formulas[i % 5]);
        ::SendMessageA(view, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 2;
        item.pszText = ratio;
        ::SendMessageA(view, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
    // The rows take the height of a small image: the one that makes them the list's.
    for (int imageHeight = init.rowHeight; imageHeight > init.rowHeight - 4; --imageHeight) {
        HIMAGELIST images = ImageList_Create(1, imageHeight, ILC_COLOR, 0, 1);
        HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(view, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
        if (old != nullptr) ImageList_Destroy(old);
        if (RowHeight(view) <= init.rowHeight) break;
    }
    return view;
}

// One open/commit cycle of each editor in row (cycle % 30): type, then move on.
void EditCycle(HWND list, int rowHeight, int formulaX, int ratioX, int cycle, bool formula) {
    int y = (cycle % ROW_CAPACITY) * rowHeight + 2;
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(formula ? formulaX : ratioX, y));
    HWND editor = ::GetFocus();
    if (formula) ::SendMessageA(editor, WM_KEYDOWN, 'C', 0);
    else ::SendMessageA(editor, WM_CHAR, '2', 0);
    Pump();
}

}  // namespace

int main(int argc, char **argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 1000;
    // VEXIL.DLL first, as the program loads them: the host's product control is a VEXIL window.
    if (n < 1 || ::LoadLibraryA("VEXIL.DLL") == nullptr || ::LoadLibraryA("LEDRA.DLL") == nullptr) return 2;
    ::InitCommonControls();
    HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LEDRA_HOST), nullptr,
                                       HostProc, 0);
    HWND list = ::GetDlgItem(dialog, IDC_LIST);
    if (list == nullptr) return 2;

    // The main dialog's fonts and colours; a list tall enough for all 30 rows.
    CFont letter, digit;
    CreateFormulaFonts(letter, digit, FORMULA_FONT_FACE);
    VexilInit vexilInit = FormulaFieldInit(letter, digit);
    const int rowHeight = 26;
    RECT window, client;
    ::GetWindowRect(list, &window);
    ::GetClientRect(list, &client);
    int frame = (window.bottom - window.top) - client.bottom;
    ::SetWindowPos(dialog, nullptr, 0, 0, 2 * (window.right - window.left) + 60, ROW_CAPACITY * rowHeight + 160,
                   SWP_NOZORDER);
    ::MoveWindow(list, 10, 60, window.right - window.left, ROW_CAPACITY * rowHeight + frame, TRUE);
    LedraInit init = ListInit(dialog, &vexilInit, reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)),
                              rowHeight, AcceptAll, NotClosing);
    ::SendMessageA(list, LDM_INITIALIZE, 0, reinterpret_cast<LPARAM>(&init));
    const char *formulas[] = {"YBa2Cu3O7", "BaCO3", "La0.6Sr0.4Co0.2Fe0.8O3", "Ba(NO3)2", "Cu(CH3COO)2"};
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        CString text(formulas[i % 5]);
        double ratio = i == 7 ? UNDETERMINED_RATIO : 0.25 * (i + 1);
        ::SendMessageA(list, LDM_SETFORMULA, i, reinterpret_cast<LPARAM>(&text));
        ::SendMessageA(list, LDM_SETRATIO, i, reinterpret_cast<LPARAM>(&ratio));
        ::SendMessageA(list, LDM_SETFIXED, i, i % 2);
    }
    ::GetClientRect(list, &client);
    int width = client.right, height = client.bottom;
    HWND view = ListView(dialog, list, init, formulas);
    std::printf("row height: the list %d, the system's list view %d; rows shown by the list view %d\n", rowHeight,
                RowHeight(view), int(::SendMessageA(view, LVM_GETCOUNTPERPAGE, 0, 0)));
    int formulaX = init.formulaLeft + 2, ratioX = init.ratioLeft + 2;  // within the cells, border or not
    Pump();

    // Warm-up: the first paints and cycles settle caches and heaps.
    for (int i = 0; i < 20; ++i) {
        Repaints(list, 1);
        Repaints(view, 1);
        EditCycle(list, rowHeight, formulaX, ratioX, i, true);
        EditCycle(list, rowHeight, formulaX, ratioX, i, false);
    }
    ::SetFocus(nullptr);
    Pump();
    Resources before = Measure();
    Report("before", before);

    // Interleaved, one repaint of each in turn, so that the load of the
    // machine weighs on both alike. The median of the pairs' ratios is
    // little moved by a pair that a busy machine slowed down.
    double paint = 0.0, system = 0.0;
    std::vector<double> pairs;
    for (int i = 0; i < n; ++i) {
        double own = Repaints(list, 1), other = Repaints(view, 1);
        paint += own;
        system += other;
        pairs.push_back(own / other);
    }
    paint = paint / n * 1e6;
    system = system / n * 1e6;
    std::nth_element(pairs.begin(), pairs.begin() + n / 2, pairs.end());
    std::printf("%d paints of 30 rows (%d x %d): the list %.1f us, the system's list view %.1f us; ratio %.2f, "
                "median of the pairs' ratios %.2f\n",
                n, width, height, paint, system, paint / system, pairs[n / 2]);
    Resources afterPaints = Measure();
    Report("after the paints", afterPaints);

    for (int i = 0; i < n; ++i) EditCycle(list, rowHeight, formulaX, ratioX, i, true);
    ::SetFocus(nullptr);
    Pump();
    Resources afterFormulas = Measure();
    Report("after formula cycles", afterFormulas);
    for (int i = 0; i < n; ++i) EditCycle(list, rowHeight, formulaX, ratioX, i, false);
    ::SetFocus(nullptr);
    Pump();
    Resources afterRatios = Measure();
    Report("after ratio cycles", afterRatios);

    ::DestroyWindow(view);
    // Flat: the same GDI count, at most one more handle (Wine now and then
    // opens one of its own on the way; a leak grows with every cycle), and
    // less than 256 KiB of heap noise.
    bool flat = true;
    for (const Resources &r : {afterPaints, afterFormulas, afterRatios})
        flat = flat && r.gdi == before.gdi && r.handles <= before.handles + 1 &&
               r.privateBytes <= before.privateBytes + 256 * 1024;
    std::printf("resources %s\n", flat ? "flat" : "GREW");
    ::DestroyWindow(dialog);
    return flat ? 0 : 1;
}
