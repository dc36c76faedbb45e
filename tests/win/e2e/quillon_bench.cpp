// Start-up and Calculate benchmarks and the soak of Quillon.exe, run against
// the real program under the same Wine in one run (scripts/bench-windows):
//   startup   time from process start to the end of the deferred
//             initialisation, against startup_baseline.exe started the same
//             way: the ratio of the medians (target at most 1.3)
//   calculate 30 Unfixed rows solved automatically: from "Get Ratios" to the
//             report file written (target under 20 ms)
//   soak      2,000 Calculate cycles and 2,000 Clear/refill cycles: handles,
//             private bytes and cycle times at the start and the end
// Prints one line per figure.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "../../../shell/resource.h"
#include "driver.h"

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

double QuillonStart(const std::string &folder) {
    Quillon quillon;
    double start = Now();
    if (!quillon.Start(folder)) return -1;
    HWND main = quillon.WaitReady(30000, 1);
    double ready = Now() - start;
    if (main == nullptr) return -1;
    ::PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    quillon.WaitExit();
    return ready;
}

void Startup(const std::string &folder, int runs) {
    std::vector<double> baseline, quillon;
    for (int i = 0; i < runs; ++i) {
        baseline.push_back(BaselineStart(folder));
        quillon.push_back(QuillonStart(folder));
    }
    double b = Median(baseline), q = Median(quillon);
    std::printf("startup: Quillon %.1f ms, baseline %.1f ms (medians of %d), ratio %.2f (target <= 1.3)\n", q * 1000,
                b * 1000, runs, q / b);
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

void Calculate(const std::string &folder, int runs) {
    Quillon quillon;
    if (!quillon.Start(folder) || quillon.WaitReady() == nullptr) return;
    std::string product;
    for (const char *metal : METALS) product += metal;
    product += "O30";
    quillon.Fill(IDC_PRODUCT, product);
    quillon.Fill(IDC_AMOUNT, "10");
    // Rows typed from the top; the list scrolls as Enter moves down.
    HWND list = quillon.Item(IDC_LIST);
    qdriver::ListColumns columns = qdriver::ColumnsOf(quillon);
    quillon.Click(list, (columns.formulaLeft + columns.ratioLeft) / 2, columns.rowHeight / 2);
    for (int i = 0; i < 30; ++i) {
        quillon.Type(std::string(METALS[i]) + "O");
        quillon.Key(VK_RETURN);  // to the ratio cell
        quillon.Key(VK_RETURN);  // to the next row's formula
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
        while (FileSize(folder) == before && Now() - start < 10) ::Sleep(0);
        times.push_back(Now() - start);
        HWND display = quillon.WaitDialog("Quillon : Default Output Display");
        displayTimes.push_back(Now() - start);
        if (display == nullptr) break;
        Press(display, IDOK);
        quillon.Sync();
    }
    int unfixed = 0;
    for (int i = 0; i < 30; ++i) unfixed += quillon.ReadRow(i).formula.empty() ? 0 : 1;
    if (times.empty()) {
        std::printf("calculate: no calculation ran (%d rows entered)\n", unfixed);
        return;
    }
    std::printf("calculate: %d rows, \"Get Ratios\" to report file written %.1f ms (median of %zu), to the display shown %.1f ms\n",
                unfixed, Median(times) * 1000, times.size(), Median(displayTimes) * 1000);
}

struct Usage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    DWORD gdi = 0, user = 0;
};

Usage UsageOf(HANDLE process) {
    Usage usage;
    ::GetProcessHandleCount(process, &usage.handles);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory))
        usage.privateBytes = memory.PrivateUsage;
    usage.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = ::GetGuiResources(process, GR_USEROBJECTS);
    return usage;
}

void Report(const char *what, int cycle, const Usage &u, double msPerCycle) {
    std::printf("soak %s after %4d cycles: %lu handles, %.0f KiB private, GDI %lu, USER %lu, %.1f ms per cycle\n", what,
                cycle, (unsigned long)u.handles, double(u.privateBytes) / 1024, (unsigned long)u.gdi,
                (unsigned long)u.user, msPerCycle);
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
        if (cycle == 100 || cycle == cycles) {
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
        if (cycle == 100 || cycle == cycles)
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
    if (what == "startup" || what == "all") Startup(folder, 15);
    if (what == "calculate" || what == "all") Calculate(folder, 15);
    if (what == "soak" || what == "all") Soak(folder, cycles);
    return 0;
}
