// Start-up and Calculate benchmarks and the soak of Quillon.exe, run against
// the real program under the same Wine in one run (scripts/bench-windows):
//   startup   time from process start to the end of the deferred
//             initialisation, against startup_baseline.exe started the same
//             way: the ratio of the medians (target at most 1.2)
//   calculate 30 rows, 3 of them Unfixed and solved automatically: from
//             "Get Ratios" to the report file written (target under 20 ms)
//   shelf     the Shelf window over 10,000 bottles: shown, and a filter
//             typed (target well under 100 ms)
//   soak      2,000 cycles (or the number given) of each way a day goes:
//             Calculate; Weighed Masses, Print Preview (where the build has
//             it), Purity, Excess and Scaling, Composition Series, Balance
//             and Operator opened and closed; Clear answered Cancel (the
//             entry kept) and No (the entry emptied and filled again). After
//             every cycle nothing but the main window may be open. Per kind
//             the Wine process's memory (the host's /proc), its handles, GDI
//             objects and windows, and the framework's live objects of
//             Quillon.exe and LEDRA.DLL, after the warm-up, half-way and at
//             the end, with the verdict "flat" or "grows"; the exit code is
//             1 when a kind grows or a cycle goes wrong
// Prints one line per figure.
#include <windows.h>

#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "app/resource.h"
#include "framework/afxwin.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Min(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }
double Max(const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); }

// Seconds from CreateProcess until the baseline's dialog marks itself ready.
double BaselineStart(const std::string &folder) {
    std::string command = "\"" + folder + "\\startup_baseline.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    double start = Now();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
        return -1;
    double ready = -1;
    while (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT && Now() - start < 30) {
        HWND window = ::FindWindowA("#32770", "Baseline ready");
        if (window != nullptr) {
            ready = Now() - start;
            ::PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
        ::Sleep(1);
    }
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return ready;
}

// True once the main dialog's deferred initialisation has laid the fields
// over the list's columns: its last move puts the ratio header's right edge
// on the list's. Read from window rectangles only, so that the poll sends
// nothing to the program (as the baseline's poll sends nothing to it).
bool LaidOut(HWND main) {
    HWND list = ::GetDlgItem(main, IDC_LIST), sample = ::GetDlgItem(main, IDC_SAMPLE_ID),
         header = ::GetDlgItem(main, IDC_HEADER_RATIO);
    if (list == nullptr || sample == nullptr || header == nullptr) return false;
    RECT l, s, h;
    ::GetWindowRect(list, &l);
    ::GetWindowRect(sample, &s);
    ::GetWindowRect(header, &h);
    return s.left == l.left && s.right == l.right && h.right == l.right;
}

// Seconds from CreateProcess until the main window exists (*shown) and
// until its deferred initialisation has run (the result). Polled as the
// baseline is, every millisecond; the settings of an earlier run are
// removed before the clock starts.
double QuillonStart(const std::string &folder, double *shown) {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hobnail");
    Quillon quillon;
    double start = Now();
    if (!quillon.Start(folder, true)) return -1;
    *shown = -1;
    double ready = -1;
    HWND window = nullptr;  // found by its template caption, kept once the title names the entry
    while (quillon.Running() && Now() - start < 30) {
        if (window == nullptr) window = ::FindWindowA("#32770", "Quillon");
        if (window != nullptr && *shown < 0) *shown = Now() - start;
        if (window != nullptr && LaidOut(window)) {
            ready = Now() - start;
            break;
        }
        ::Sleep(1);
    }
    HWND main = quillon.WaitReady(30000, 1);
    if (main == nullptr) return -1;
    ::PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    quillon.WaitExit();
    return ready;
}

void Startup(const std::string &folder, int runs) {
    std::vector<double> baseline, quillon, shown;
    for (int i = 0; i < runs; ++i) {
        baseline.push_back(BaselineStart(folder));
        double windowTime = 0;
        quillon.push_back(QuillonStart(folder, &windowTime));
        shown.push_back(windowTime);
    }
    // Each pair ran back to back: the median of the pairs' ratios follows a
    // load that changes during the run better than the ratio of the medians.
    std::vector<double> pairs;
    for (int i = 0; i < runs; ++i) pairs.push_back(quillon[i] / baseline[i]);
    double b = Median(baseline), q = Median(quillon);
    std::printf("startup: Quillon %.1f ms (main window exists at %.1f ms), baseline %.1f ms (medians of %d), "
                "ratio %.2f, median of the pairs' ratios %.2f (target <= 1.2); ranges Quillon %.1f-%.1f ms, "
                "baseline %.1f-%.1f ms\n",
                q * 1000, Median(shown) * 1000, b * 1000, runs, q / b, Median(pairs), Min(quillon) * 1000,
                Max(quillon) * 1000, Min(baseline) * 1000, Max(baseline) * 1000);
}

long FileSize(const std::string &folder) {
    long total = 0;
    for (const std::string &name : qdriver::FilesIn(folder, "*.QL")) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (::GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &data))
            total += long(data.nFileSizeLow);
    }
    return total;
}

// Presses a dialog button by message (no input queue: the soak runs long).
void Press(HWND dialog, int id) { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, id)); }

const char *const METALS[30] = {"Li", "Na", "K",  "Rb", "Cs", "Be", "Mg", "Ca", "Sr", "Ba",
                                "Sc", "Y",  "Ti", "Zr", "Hf", "V",  "Nb", "Ta", "Cr", "Mo",
                                "W",  "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Al", "Ga", "In"};

// The client y of the middle of the list's open editor, or -1.
int OpenEditorY(HWND list) {
    for (HWND child = ::GetWindow(list, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        RECT r;
        ::GetWindowRect(child, &r);
        POINT middle = {r.left, (r.top + r.bottom) / 2};
        ::ScreenToClient(list, &middle);
        return middle.y;
    }
    return -1;
}

// 30 rows: YBa2Cu3O7 from Y2O3, BaCO3 and CuO left Unfixed, and 27 Fixed
// rows of dopants in small amounts that the balance takes into account.
// The Shelf window over a shelf of 10,000 bottles: from Options > Shelf... to
// the window shown, and each filter typed to the list shown again (the
// filter's text set by message, which returns once the list is refilled and
// drawn). Target: every figure well under 100 ms, so that typing keeps up.
void ShelfWindow(const std::string &folder, int runs) {
    const std::string path = folder + "\\bench-shelf.csv";
    std::string text = "Formula,Name,Purity (%),Supplier,Lot,Location\r\n";
    const char *formulas[] = {"BaCO3", "TiO2", "Y2O3", "CuO", "SrCO3", "Li2CO3", "La2O3", "Fe2O3"};
    for (int i = 0; i < 10000; ++i)
        text += std::string(formulas[i % 8]) + ",Bottle " + std::to_string(i) + ",99.5,Northfield Chemicals,L-" +
                std::to_string(i) + ",Cabinet A" + std::to_string(i % 9) + "\r\n";
    std::ofstream(path, std::ios::binary) << text;
    Quillon quillon;
    if (!quillon.Start(folder) || quillon.WaitReady() == nullptr) return;
    quillon.FileCommand(ID_OPTIONS_SHELF_FILE, path);
    std::vector<double> opened, filtered;
    const char *filters[] = {"b", "bo", "bottle 9", "l-99", "cabinet a3", ""};
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        quillon.Command(ID_OPTIONS_SHELF);
        HWND shelf = quillon.WaitDialog("Quillon : Shelf");
        if (shelf == nullptr) break;
        opened.push_back(Now() - start);
        for (const char *filter : filters) {
            start = Now();
            ::SendMessageA(::GetDlgItem(shelf, IDC_SHELF_FILTER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filter));
            ::RedrawWindow(shelf, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            filtered.push_back(Now() - start);
        }
        Press(shelf, IDCANCEL);
        for (int wait = 0; wait < 500 && ::IsWindow(shelf); ++wait) ::Sleep(10);
    }
    if (!opened.empty())
        std::printf("shelf: 10,000 bottles, the window shown in %.1f ms, a filter typed %.1f ms (medians of %zu and "
                    "%zu; slowest %.1f ms; target well under 100 ms)\n",
                    Median(opened) * 1000, Median(filtered) * 1000, opened.size(), filtered.size(),
                    Max(filtered) * 1000);
    quillon.Command(ID_OPTIONS_NO_SHELF);
    quillon.Exit(ID_FILE_EXIT);
}

void Calculate(const std::string &folder, int runs) {
    Quillon quillon;
    if (!quillon.Start(folder) || quillon.WaitReady() == nullptr) return;
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "10");
    HWND list = quillon.Item(IDC_LIST);
    qdriver::ListColumns columns = qdriver::ColumnsOf(quillon);
    int formulaX = (columns.formulaLeft + columns.ratioLeft) / 2;
    quillon.Click(list, formulaX, columns.rowHeight / 2);
    const char *unfixed[3] = {"Y2O3", "BaCO3", "CuO"};
    for (int i = 0; i < 30; ++i) {
        if (i < 3) {
            quillon.Type(unfixed[i]);
            quillon.Key(VK_RETURN);
            quillon.Key(VK_RETURN);
            continue;
        }
        int y = OpenEditorY(list);
        quillon.Click(list, columns.formulaLeft / 2, y);  // Fixed
        quillon.Click(list, formulaX, y);
        quillon.Type(std::string(i % 2 ? "Y2O3" : "CuO"));
        quillon.Key(VK_RETURN);
        quillon.Type("0.001");
        quillon.Key(VK_RETURN);
    }
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    std::vector<double> times, displayTimes;
    for (int run = 0; run < runs; ++run) {
        Press(quillon.Main(), IDC_CALCULATE);
        HWND selection = quillon.WaitDialog("Quillon : Select Elements for Ratio Calculation");
        if (selection == nullptr) break;
        long before = FileSize(folder);
        double start = Now();
        Press(selection, IDOK);
        while (FileSize(folder) == before && Now() - start < 10) ::Sleep(1);
        times.push_back(Now() - start);
        HWND display = quillon.WaitDialog("Quillon : Default Output Display");
        displayTimes.push_back(Now() - start);
        if (display == nullptr) break;
        Press(display, IDOK);
        quillon.Sync();
    }
    double solved[3] = {quillon.ReadRow(0).ratio, quillon.ReadRow(1).ratio, quillon.ReadRow(2).ratio};
    // The same entry without the selection dialog: Calculate to the file.
    ::SendMessageA(quillon.Item(IDC_AUTO_RATIO), BM_SETCHECK, BST_UNCHECKED, 0);
    std::vector<double> direct;
    for (int run = 0; run < runs; ++run) {
        long before = FileSize(folder);
        double start = Now();
        Press(quillon.Main(), IDC_CALCULATE);
        while (FileSize(folder) == before && Now() - start < 10) ::Sleep(1);
        direct.push_back(Now() - start);
        HWND display = quillon.WaitDialog("Quillon : Default Output Display");
        if (display == nullptr) break;
        Press(display, IDOK);
        quillon.Sync();
    }
    if (!direct.empty())
        std::printf("calculate: Auto-Ratio off, Calculate to report file written %.1f ms (median of %zu, range "
                    "%.1f-%.1f ms)\n",
                    Median(direct) * 1000, direct.size(), Min(direct) * 1000, Max(direct) * 1000);
    int used = 0, fixed = 0;
    for (int i = 0; i < 30; ++i) {
        Quillon::Row row = quillon.ReadRow(i);
        used += row.formula.empty() ? 0 : 1;
        fixed += row.fixed;
    }
    if (times.empty()) {
        std::printf("calculate: no calculation ran (%d rows entered, %d Fixed)\n", used, fixed);
        return;
    }
    std::printf("calculate: %d rows (%d Fixed), \"Get Ratios\" to report file written %.1f ms (median of %zu, range "
                "%.1f-%.1f ms), to the display shown %.1f ms; ratios %.5f %.5f %.5f\n",
                used, fixed, Median(times) * 1000, times.size(), Min(times) * 1000, Max(times) * 1000,
                Median(displayTimes) * 1000, solved[0], solved[1], solved[2]);
}

// ---------------------------------------------------------------------------
// The soak: the ways a day at the desk goes, each repeated, each answered as
// a person answers (the save question with No or Cancel, every dialog
// closed with its own button). After every cycle the main window must be the
// program's only window: a cycle that left a box or a file dialog open
// would measure that window, not the cycle, and ends the soak.

BOOL CALLBACK CountWindow(HWND, LPARAM count) { return ++*reinterpret_cast<DWORD *>(count), TRUE; }

// Every window of the program, children included: the USER objects Wine cannot count.
DWORD WindowCount(DWORD pid) {
    DWORD count = 0;
    for (HWND top : qdriver::TopLevelWindows(pid, true)) {
        ++count;
        ::EnumChildWindows(top, CountWindow, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

std::string Describe(HWND window) {
    char text[512] = "", kind[64] = "";
    ::GetClassNameA(window, kind, sizeof kind);
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, nullptr);
    qwintest::ObservedBox box;
    std::string what = std::string(kind) + " \"" + text + "\"";
    if (qwintest::ReadBox(window, box)) what += " saying \"" + box.text + "\"";
    return what;
}

// The open handles of another process, counted by duplicating each handle
// value in turn (its handle count reads 0 under Wine; the duplicate goes
// through the same handle table that the count would read).
DWORD HandleCount(HANDLE process) {
    DWORD count = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE copy = nullptr;
        if (!::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(), &copy, 0, FALSE,
                               DUPLICATE_SAME_ACCESS))
            continue;
        ++count;
        ::CloseHandle(copy);
    }
    return count;
}

// The GDI objects of a process of the same kind as this one: the system's
// count, or, where it answers 0 (Wine), the used entries of the process's
// GDI handle table, which Wine lays out as 64-bit Windows does (24-byte
// entries, the type in byte 14) and points to from the PEB. A 32-bit
// program under Wine's 64-bit prefix keeps the pointer in its 64-bit PEB
// only, which this does not find: 0 there.
DWORD GdiCount(HANDLE process) {
    DWORD counted = ::GetGuiResources(process, GR_GDIOBJECTS);
    if (counted > 0) return counted;
    typedef LONG(WINAPI * QueryFn)(HANDLE, int, void *, ULONG, ULONG *);
    static QueryFn query =
        reinterpret_cast<QueryFn>(reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    struct {
        void *reserved1, *peb, *reserved2[2];
        ULONG_PTR pid, reserved3;
    } basic = {};
    if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) return 0;
    const size_t tableField = sizeof(void *) == 8 ? 0xF8 : 0x94, entries = 0x10000, entrySize = 24;
    void *table = nullptr;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, static_cast<char *>(basic.peb) + tableField, &table, sizeof table, &read) ||
        table == nullptr)
        return 0;
    static std::vector<unsigned char> bytes(entries * entrySize);
    if (!::ReadProcessMemory(process, table, bytes.data(), bytes.size(), &read)) return 0;
    DWORD used = 0;
    for (size_t i = 0; i < entries; ++i) used += bytes[i * entrySize + 14] != 0;
    return used;
}

// The host's /proc/<pid> folder (through Wine's Z: drive) of the process
// whose command line names this copy of Quillon.exe.
std::string HostProcFolder(const std::string &exe) {
    std::string wanted = exe;
    CharLowerA(&wanted[0]);
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    std::string folder;
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9') continue;
        std::string dir = std::string("Z:\\proc\\") + found.cFileName;
        std::string command = ReadBytes(dir + "\\cmdline");
        CharLowerA(&command[0]);
        if (command.find(wanted) != std::string::npos) folder = dir;
    } while (folder.empty() && ::FindNextFileA(search, &found));
    ::FindClose(search);
    return folder;
}

long StatusKiB(const std::string &status, const char *field) {
    size_t at = status.find(std::string("\n") + field + ":");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(field) + 2);
}

struct Sample {
    double figures[7] = {};
};
const char *const MEASURES[7] = {"host RSS KiB", "anon KiB", "handles", "GDI", "windows", "objects exe",
                                 "objects list"};

class Soaker {
public:
    Soaker(Quillon &quillon, const std::string &exe)
        : q(quillon), pid(::GetProcessId(quillon.Process())), proc(HostProcFolder(exe)),
          countMessage(::RegisterWindowMessageA(AFX_OBJECT_COUNT_MESSAGE)) {}

    // Lets the program handle what was posted to it (a sent message is
    // answered only once the posted ones before it have been taken).
    void Sync() {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(q.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    }
    HWND WaitFor(const std::function<bool(HWND)> &match) {
        for (double start = Now(); Now() - start < 10 && q.Running(); ::Sleep(1))
            for (HWND window : qdriver::TopLevelWindows(pid))
                if (window != q.Main() && match(window)) return window;
        return nullptr;
    }
    HWND WaitDialog(const char *caption) {
        return WaitFor([&](HWND w) { return qwintest::ClassOf(w) == "#32770" && Quillon::TextOf(w) == caption; });
    }
    // Presses a dialog's button and waits until the dialog is gone.
    bool Dismiss(HWND dialog, int id) {
        Press(dialog, id);
        for (double start = Now(); ::IsWindow(dialog); ::Sleep(0))
            if (Now() - start > 10) return false;
        Sync();
        return true;
    }
    // "" when the main window is the program's only one, else what else is open.
    std::string Others() {
        std::string others;
        for (HWND window : qdriver::TopLevelWindows(pid))
            if (window != q.Main()) others += (others.empty() ? "" : ", ") + Describe(window);
        return others;
    }
    // The one modeless step of a cycle: a command, then its dialog closed.
    void Command(UINT id) { ::PostMessageA(q.Main(), WM_COMMAND, id, 0); }
    std::string OpenAndClose(UINT command, const char *caption, int button) {
        Command(command);
        HWND dialog = WaitDialog(caption);
        if (dialog == nullptr) return std::string("no \"") + caption + "\" dialog";
        return Dismiss(dialog, button) ? "" : std::string("\"") + caption + "\" stayed open";
    }
    std::string Calculate() {
        Press(q.Main(), IDC_CALCULATE);
        HWND display = WaitDialog(qdriver::DISPLAY_CAPTION);
        if (display == nullptr) return "no sheet display";
        return Dismiss(display, IDOK) ? "" : "the sheet display stayed open";
    }
    // Clear on a changed entry asks "Save changes?"; answered with button.
    std::string Clear(int button) {
        Press(q.Main(), IDC_CLEAR);
        qwintest::ObservedBox box;
        HWND shown = WaitFor([&](HWND w) { return qwintest::ReadBox(w, box); });
        if (shown == nullptr) return "Clear asked nothing";
        if (box.text != "Save changes?" || box.caption != "Quillon") return "Clear asked \"" + box.text + "\"";
        return Dismiss(shown, button) ? "" : "the save question stayed open";
    }

    Sample Measure() {
        Sample s;
        std::string status = proc.empty() ? std::string() : ReadBytes(proc + "\\status");
        s.figures[0] = double(StatusKiB(status, "VmRSS"));
        s.figures[1] = double(StatusKiB(status, "RssAnon"));
        s.figures[2] = HandleCount(q.Process());
        s.figures[3] = GdiCount(q.Process());
        s.figures[4] = WindowCount(pid);
        s.figures[5] = double(::SendMessageA(q.Main(), countMessage, 0, 0));
        s.figures[6] = double(::SendMessageA(q.Item(IDC_LIST), countMessage, 0, 0));
        return s;
    }

    Quillon &q;
    DWORD pid;
    std::string proc;
    UINT countMessage;
};

// The command id of the main menu's item whose text starts with prefix (the
// access keys' & left out), read from the program's own menu resource: a
// menu of another process is not readable under Wine. 0 when there is none.
UINT MenuCommand(const std::string &exe, const std::string &prefix) {
    HMODULE module = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = module != nullptr ? ::LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAINFRAME)) : nullptr;
    UINT found = 0;
    std::function<void(HMENU)> search = [&](HMENU m) {
        for (int i = 0; i < ::GetMenuItemCount(m) && found == 0; ++i) {
            if (HMENU sub = ::GetSubMenu(m, i)) {
                search(sub);
                continue;
            }
            char text[128] = "";
            ::GetMenuStringA(m, UINT(i), text, sizeof text, MF_BYPOSITION);
            std::string plain;
            for (const char *c = text; *c; ++c)
                if (*c != '&') plain += *c;
            if (plain.compare(0, prefix.size(), prefix) == 0) found = ::GetMenuItemID(m, i);
        }
    };
    if (menu != nullptr) search(menu);
    if (menu != nullptr) ::DestroyMenu(menu);
    if (module != nullptr) ::FreeLibrary(module);
    return found;
}

// A preview: a new window of the program; closed with its Close button, or
// as its frame's close box would.
std::string PrintPreview(Soaker &s, UINT command) {
    s.Command(command);
    HWND preview = s.WaitFor([](HWND) { return true; });
    if (preview == nullptr) return "no preview window";
    HWND close = nullptr;
    for (HWND child = ::GetWindow(preview, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (Quillon::TextOf(child) == "Close" || Quillon::TextOf(child) == "&Close") close = child;
    if (close != nullptr) Press(preview, ::GetDlgCtrlID(close));
    else ::PostMessageA(preview, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (double start = Now(); ::IsWindow(preview) && ::IsWindowVisible(preview); ::Sleep(0))
        if (Now() - start > 10) return "the preview stayed open";
    s.Sync();
    return "";
}

struct Kind {
    const char *name;
    std::function<std::string(Soaker &, int cycle)> cycle;
};

// Flat: every count within 2 of its value after the warm-up (a leak in each
// cycle adds at least one per cycle, thousands over the run; a leak in every
// 100th cycle still adds 19); the anonymous memory within 512 KiB (a leak of
// 270 bytes a cycle over 2,000 cycles; the heap alone moves it by 400 KiB
// either way); the resident memory within 5 %: its file-backed pages come
// and go as the host reclaims page cache (800 KiB either way).
bool Flat(int measure, double start, double end) {
    return measure == 0 ? end - start <= start * 0.05 : measure == 1 ? end - start <= 512 : end - start <= 2;
}

// Fills the entry's fields by message (the rows stay as the list has them).
void FillFields(Quillon &q, const char *sampleId) {
    qdriver::SetText(q.Item(IDC_SAMPLE_ID), sampleId);
    qdriver::SetText(q.Item(IDC_PRODUCT), "YBa2Cu3O7");
    qdriver::SetText(q.Item(IDC_AMOUNT), "10");
}

// The entry as the window shows it: the fields and the used rows of the three.
std::string EntryText(Quillon &q) {
    std::string text = q.Text(IDC_SAMPLE_ID) + "|" + q.Text(IDC_PRODUCT) + "|" + q.Text(IDC_AMOUNT);
    for (int i = 0; i < 3; ++i) {
        Quillon::Row row = q.ReadRow(i);
        if (!row.formula.empty()) text += "|" + row.formula + " " + std::to_string(row.ratio) + (row.fixed ? " F" : "");
    }
    return text;
}

int Soak(const std::string &folder, int cycles, const std::string &only) {
    const std::string exe = folder + "\\Quillon.exe";
    Quillon quillon;
    if (!quillon.Start(folder) || quillon.WaitReady() == nullptr) {
        std::printf("soak: Quillon did not start\n");
        return 1;
    }
    quillon.Fill(IDC_SAMPLE_ID, "soak");
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "10");
    quillon.EnterRow(0, "Y2O3", "0.5", true);
    quillon.EnterRow(1, "BaCO3", "2", true);
    quillon.EnterRow(2, "CuO", "3", true);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);
    Soaker soaker(quillon, exe);
    if (soaker.proc.empty()) std::printf("soak: the host's /proc of the program not found: no memory figures\n");

    const UINT preview = MenuCommand(exe, "Print Preview");
    const std::vector<Kind> kinds = {
        {"calculate", [](Soaker &s, int) { return s.Calculate(); }},
        // The dialogs that need a sheet of the unchanged entry: one Calculate first.
        {"weighed masses",
         [](Soaker &s, int cycle) {
             std::string failed = cycle == 1 ? s.Calculate() : "";
             return !failed.empty() ? failed : s.OpenAndClose(ID_OPTIONS_WEIGHED, "Quillon : Weighed Masses", IDCANCEL);
         }},
        {"print preview", [preview](Soaker &s, int) { return PrintPreview(s, preview); }},
        {"weighing", [](Soaker &s, int) { return s.OpenAndClose(ID_OPTIONS_WEIGHING, "Quillon : Purity, Excess and Scaling", IDOK); }},
        {"series", [](Soaker &s, int) { return s.OpenAndClose(ID_OPTIONS_SERIES, "Quillon : Composition Series", IDCANCEL); }},
        {"balance", [](Soaker &s, int) { return s.OpenAndClose(ID_OPTIONS_BALANCE, "Quillon : Balance and Operator", IDCANCEL); }},
        // Cancel keeps the entry as it was.
        {"clear, Cancel",
         [](Soaker &s, int cycle) {
             FillFields(s.q, ("soak " + std::to_string(cycle)).c_str());
             std::string before = EntryText(s.q), failed = s.Clear(IDCANCEL), after = EntryText(s.q);
             return !failed.empty() ? failed : before != after ? "Cancel changed the entry: " + before + " became " + after : "";
         }},
        // No empties the entry, which is filled again: the fields by
        // message, a row typed every 100th cycle.
        {"clear, No",
         [](Soaker &s, int cycle) {
             FillFields(s.q, "soak");
             if (cycle % 100 == 0) {
                 s.q.EnterRow(0, "Y2O3");
                 s.q.ClickCenter(s.q.Item(IDC_SAMPLE_ID));
             }
             std::string failed = s.Clear(IDNO);
             std::string left = EntryText(s.q);
             return !failed.empty() ? failed : left != "||" ? "No left " + left : "";
         }},
    };

    const int warmUp = std::min(50, cycles / 4);
    std::printf("soak: %d cycles of each kind; start after %d warm-up cycles, middle, end; flat = every count "
                "within +2 of its start, anonymous memory within 512 KiB, resident within 5 %%\n",
                cycles, warmUp);
    std::printf("%-15s %8s", "kind", "ms/cycle");
    for (const char *measure : MEASURES) std::printf("  %-22s", measure);
    std::printf("  verdict\n");
    int failures = 0;
    for (const Kind &kind : kinds) {
        if (!only.empty() && only != kind.name) continue;
        if (std::strcmp(kind.name, "print preview") == 0 && preview == 0) {
            std::printf("print preview: not in this build\n");
            continue;
        }
        Sample start, middle;
        double clock = Now(), timed = 0;
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            std::string failed = kind.cycle(soaker, cycle);
            std::string others = soaker.Others();
            if (!failed.empty() || !others.empty()) {
                std::printf("soak %s: cycle %d: %s%s%s\n", kind.name, cycle, failed.c_str(),
                            failed.empty() || others.empty() ? "" : "; ", others.empty() ? "" : ("open: " + others).c_str());
                return 1;  // the program ends with the Quillon object
            }
            if (cycle == warmUp) start = soaker.Measure(), clock = Now();
            if (cycle == cycles / 2) middle = soaker.Measure();
        }
        timed = (Now() - clock) * 1000 / std::max(1, cycles - warmUp);
        Sample end = soaker.Measure();
        bool flat = true;
        std::printf("%-15s %8.1f", kind.name, timed);
        for (int m = 0; m < 7; ++m) {
            char cell[64];
            std::snprintf(cell, sizeof cell, "%.0f %.0f %.0f (%+.0f)", start.figures[m], middle.figures[m],
                          end.figures[m], end.figures[m] - start.figures[m]);
            std::printf("  %-22s", cell);
            flat = flat && Flat(m, start.figures[m], end.figures[m]);
        }
        std::printf("  %s\n", flat ? "flat" : "grows");
        failures += flat ? 0 : 1;
        std::fflush(stdout);
    }
    quillon.Exit(ID_FILE_EXIT);
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it comes, also when the run is ended early
    std::string what = argc > 1 ? argv[1] : "all";
    int cycles = argc > 2 ? std::atoi(argv[2]) : 2000;
    std::string folder = qdriver::MakeFolder("bench", {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL", "ATOMS.LST",
                                                       "startup_baseline.exe"});
    if (what == "startup" || what == "all") Startup(folder, 31);
    if (what == "calculate" || what == "all") Calculate(folder, 15);
    if (what == "shelf" || what == "all") ShelfWindow(folder, 5);
    // A third argument names the one kind of cycle to soak ("print preview").
    if (what == "soak" || what == "all") return Soak(folder, cycles, argc > 3 ? argv[3] : "");
    return 0;
}
