// Start-up and Calculate benchmarks and the soak of Quillon.exe, run against
// the real program under the same Wine in one run (scripts/bench-windows):
//   startup   time from process start to the end of the deferred
//             initialisation, against startup_baseline.exe started the same
//             way: the ratio of the medians (target at most 1.2)
//   calculate 30 rows, 3 of them Unfixed and solved automatically: from
//             "Get Ratios" to the report file written (target under 20 ms)
//   soak      2,000 Calculate cycles and 2,000 Clear/refill cycles: the
//             Wine process's memory (the host's /proc), the program's
//             handles (counted by handle value), the Windows memory, GDI and
//             USER counters where the system answers them, and cycle times
//             at the start and the end
// Prints one line per figure.
#include <windows.h>

#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "app/resource.h"
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

struct Usage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    DWORD gdi = 0, user = 0;
    long residentKiB = 0, anonymousKiB = 0;  // of the Wine process, from the host's /proc
};

// A field of the host's /proc/<pid>/status of the process whose command line
// names Quillon.exe (Wine maps the host's root as drive Z:). Wine answers
// the handle, memory and GUI counters of another process with 0.
long HostStatusKiB(const char *field) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    long value = -1;
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9') continue;
        std::string dir = std::string("Z:\\proc\\") + found.cFileName;
        std::string command = ReadBytes(dir + "\\cmdline");
        if (command.find("Quillon.exe") == std::string::npos) continue;
        std::string status = ReadBytes(dir + "\\status");
        size_t at = status.find(std::string(field) + ":");
        if (at != std::string::npos) value = std::atol(status.c_str() + at + std::strlen(field) + 1);
        break;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return value;
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

Usage UsageOf(HANDLE process) {
    Usage usage;
    usage.handles = HandleCount(process);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory))
        usage.privateBytes = memory.PrivateUsage;
    usage.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = ::GetGuiResources(process, GR_USEROBJECTS);
    usage.residentKiB = HostStatusKiB("VmRSS");
    usage.anonymousKiB = HostStatusKiB("RssAnon");
    return usage;
}

// A counter the system answers (a live program has private bytes and GDI
// and USER objects), or "n/a under Wine" where it answers 0.
std::string Counter(const char *name, double value, const char *unit) {
    char text[64];
    if (value > 0) std::snprintf(text, sizeof text, "%s %.0f%s", name, value, unit);
    else std::snprintf(text, sizeof text, "%s n/a under Wine", name);
    return text;
}

void Report(const char *what, int cycle, const Usage &u, double msPerCycle) {
    std::string host = u.residentKiB >= 0 ? "host RSS " + std::to_string(u.residentKiB) + " KiB (anonymous " +
                                                std::to_string(u.anonymousKiB) + " KiB), "
                                          : std::string();
    std::printf("soak %s after %4d cycles: %s%lu handles, %s, %s, %s; %.1f ms per cycle\n", what, cycle,
                host.c_str(), (unsigned long)u.handles, Counter("private", double(u.privateBytes) / 1024, " KiB").c_str(),
                Counter("GDI", u.gdi, "").c_str(), Counter("USER", u.user, "").c_str(), msPerCycle);
}

void Soak(const std::string &folder, int cycles) {
    Quillon quillon;
    if (!quillon.Start(folder) || quillon.WaitReady() == nullptr) return;
    quillon.Fill(IDC_SAMPLE_ID, "soak");
    quillon.Fill(IDC_PRODUCT, "YBa2Cu3O7");
    quillon.Fill(IDC_AMOUNT, "10");
    quillon.EnterRow(0, "Y2O3", "0.5", true);
    quillon.EnterRow(1, "BaCO3", "2", true);
    quillon.EnterRow(2, "CuO", "3", true);
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
    ::SendMessageA(quillon.Item(IDC_AUTO_RATIO), BM_SETCHECK, BST_UNCHECKED, 0);
    double start = Now();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        Press(quillon.Main(), IDC_CALCULATE);
        HWND display = quillon.WaitDialog("Quillon : Default Output Display", 10000);
        if (display == nullptr) {
            std::printf("soak calculate: no display at cycle %d\n", cycle);
            return;
        }
        Press(display, IDOK);
        while (::IsWindow(display)) ::Sleep(0);
        if (cycle == 100 || cycle == cycles / 2 || cycle == cycles) {
            Report("calculate", cycle, UsageOf(quillon.Process()), (Now() - start) * 1000 / 100);
        }
        if (cycle % 100 == 0) start = Now();
    }
    // Clear and refill: the fields by message, one row typed every 100th cycle.
    start = Now();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        Press(quillon.Main(), IDC_CLEAR);
        quillon.Sync();
        ::SendMessageA(quillon.Item(IDC_SAMPLE_ID), WM_SETTEXT, 0, (LPARAM) "soak");
        ::SendMessageA(quillon.Item(IDC_PRODUCT), WM_SETTEXT, 0, (LPARAM) "YBa2Cu3O7");
        ::SendMessageA(quillon.Item(IDC_AMOUNT), WM_SETTEXT, 0, (LPARAM) "10");
        if (cycle % 100 == 0) {
            quillon.EnterRow(0, "Y2O3");
            quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));
        }
        if (cycle == 100 || cycle == cycles / 2 || cycle == cycles)
            Report("clear/refill", cycle, UsageOf(quillon.Process()), (Now() - start) * 1000 / 100);
        if (cycle % 100 == 0) start = Now();
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::string what = argc > 1 ? argv[1] : "all";
    int cycles = argc > 2 ? std::atoi(argv[2]) : 2000;
    std::string folder = qdriver::MakeFolder("bench", {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL", "ATOMS.LST",
                                                       "startup_baseline.exe"});
    if (what == "startup" || what == "all") Startup(folder, 31);
    if (what == "calculate" || what == "all") Calculate(folder, 15);
    if (what == "soak" || what == "all") Soak(folder, cycles);
    return 0;
}
