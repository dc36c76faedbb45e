#include "driver.h"

#include <shlwapi.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "quillon/ledra.h"
#include "app/resource.h"

namespace qdriver {

namespace {

using qwintest::BoxIconStatic;
using qwintest::ClassOf;
using qwintest::kBoxTextId;

struct FindData {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    FindData *d = reinterpret_cast<FindData *>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == d->pid && ::IsWindowVisible(window)) d->windows.push_back(window);
    return TRUE;
}

// The visible top-level windows of process pid, topmost first.
std::vector<HWND> TopLevelWindows(DWORD pid) {
    FindData data = {pid, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&data));
    return data.windows;
}

// The icon of a box of another process: its pixels against the system icons
// drawn here on the same background.
qwintest::BoxIcon IconKind(Quillon &quillon, HWND iconStatic) {
    qwintest::Bitmap32 shown = quillon.Capture(iconStatic);
    if (shown.Width() < 32 || shown.Height() < 32) return qwintest::BoxIcon::Other;
    COLORREF background = shown.At(0, 0);
    const struct {
        LPCSTR id;
        qwintest::BoxIcon kind;
    } icons[] = {{IDI_HAND, qwintest::BoxIcon::Hand},
                 {IDI_EXCLAMATION, qwintest::BoxIcon::Exclamation},
                 {IDI_ASTERISK, qwintest::BoxIcon::Asterisk},
                 {IDI_QUESTION, qwintest::BoxIcon::Question}};
    qwintest::BoxIcon best = qwintest::BoxIcon::Other;
    int bestDiff = 32 * 32 / 8;  // a match differs in at most an eighth of the pixels
    for (const auto &icon : icons) {
        qwintest::Bitmap32 drawn = qwintest::RenderToBitmap(
            32, 32, [&](CDC &dc) { ::DrawIcon(dc, 0, 0, ::LoadIconA(nullptr, icon.id)); }, background);
        int diff = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (drawn.At(x, y) != shown.At(x, y)) ++diff;
        if (diff < bestDiff) {
            bestDiff = diff;
            best = icon.kind;
        }
    }
    return best;
}

void SendInputs(std::vector<INPUT> &inputs) {
    if (!inputs.empty()) ::SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

std::string MakeFolder(const std::string &name, const std::vector<std::string> &files) {
    std::string root = qwintest::ProgramFolder() + "..\\e2e";
    ::CreateDirectoryA(root.c_str(), nullptr);
    std::string folder = root + "\\" + name;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string &old : FilesIn(folder, "*")) ::DeleteFileA((folder + "\\" + old).c_str());
    for (const std::string &file : files)
        ::CopyFileA((qwintest::ProgramFolder() + file).c_str(), (folder + "\\" + file).c_str(), FALSE);
    return folder;
}

std::vector<std::string> FilesIn(const std::string &folder, const std::string &pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}


// ---------------------------------------------------------------------------
// Quillon

Quillon::~Quillon() {
    if (process_ != nullptr) {
        if (Running()) {
            ::TerminateProcess(process_, 99);
            ::WaitForSingleObject(process_, 10000);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(process_);
    }
}

bool Quillon::Start(const std::string &folder, bool keepSettings) {
    // The program keeps its settings (and the last folder used) in the
    // registry between runs: each start is a first run unless asked otherwise.
    if (!keepSettings) ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hobnail");
    std::string command = "\"" + folder + "\\Quillon.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info_))
        return false;
    process_ = info_.hProcess;
    pid_ = info_.dwProcessId;
    return true;
}

bool Quillon::Running() const { return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

// "Quillon" from the template, then "<entry>[*] - Quillon".
static bool IsMainTitle(const std::string &title) {
    const std::string tail = " - Quillon";
    return title == "Quillon" ||
           (title.size() > tail.size() && title.compare(title.size() - tail.size(), tail.size(), tail) == 0);
}

HWND Quillon::WaitReady(DWORD timeoutMs, DWORD pollMs) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs && Running()) {
        for (HWND window : TopLevelWindows(pid_)) {
            if (ClassOf(window) != "#32770" || !IsMainTitle(TextOf(window))) continue;
            HWND sample = ::GetDlgItem(window, IDC_SAMPLE_ID), list = ::GetDlgItem(window, IDC_LIST);
            if (sample == nullptr || list == nullptr) continue;
            RECT s, l;
            ::GetWindowRect(sample, &s);
            ::GetWindowRect(list, &l);
            // The deferred initialisation lays the sample ID over the list's width.
            if (s.left == l.left && s.right == l.right) {
                main_ = window;
                Sync();
                return main_;
            }
        }
        ::Sleep(pollMs);
    }
    return nullptr;
}

// Input goes through the system's queue, sent messages do not: wait until
// the program has taken its input and answers a message again.
void Quillon::Sync() {
    for (int round = 0; round < 2; ++round) {
        ::Sleep(20);
        if (process_ != nullptr) ::WaitForInputIdle(process_, 2000);
        if (main_ != nullptr && ::IsWindow(main_)) {
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        }
    }
}

Box Quillon::WaitBox(DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    do {
        for (HWND window : TopLevelWindows(pid_)) {
            HWND icon = BoxIconStatic(window);
            if (icon == nullptr) continue;
            Box box;
            box.hwnd = window;
            ::Sleep(50);  // let it paint before its icon is read
            ::UpdateWindow(window);
            box.caption = TextOf(window);
            box.text = TextOf(::GetDlgItem(window, kBoxTextId));
            box.icon = IconKind(*this, icon);
            return box;
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs && Running());
    return Box();
}

void Quillon::Answer(const Box &box, int button) {
    HWND control = ::GetDlgItem(box.hwnd, button);
    if (control != nullptr) ::PostMessageA(control, BM_CLICK, 0, 0);
    DWORD start = ::GetTickCount();
    while (::IsWindow(box.hwnd) && ::GetTickCount() - start < 5000) ::Sleep(10);
    Sync();
}

HWND Quillon::WaitWindow(const std::function<bool(HWND)> &match, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    do {
        for (HWND window : TopLevelWindows(pid_))
            if (match(window)) {
                Sync();
                return window;
            }
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs && Running());
    return nullptr;
}

HWND Quillon::WaitDialog(const char *caption, DWORD timeoutMs) {
    return WaitWindow([&](HWND window) { return ClassOf(window) == "#32770" && TextOf(window) == caption; },
                      timeoutMs);
}

long Quillon::WaitExit(DWORD timeoutMs) {
    if (process_ == nullptr || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return long(code);
}

// The program's active window comes to the front so that input reaches it.
void Quillon::Foreground() {
    std::vector<HWND> windows = TopLevelWindows(pid_);
    if (!windows.empty() && ::GetForegroundWindow() != windows.front()) ::SetForegroundWindow(windows.front());
}

void Quillon::Click(HWND window, int x, int y) {
    Foreground();
    POINT point = {x, y};
    ::ClientToScreen(window, &point);
    // A click near the last one within the double-click time would be taken
    // as its second half.
    static POINT lastPoint = {-1000, -1000};
    static DWORD lastTime = 0;
    DWORD wait = ::GetDoubleClickTime() + 50, since = ::GetTickCount() - lastTime;
    if (std::abs(point.x - lastPoint.x) <= ::GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(point.y - lastPoint.y) <= ::GetSystemMetrics(SM_CYDOUBLECLK) && since < wait)
        ::Sleep(wait - since);
    int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = (point.x * 65536 + width / 2) / width;
    move.mi.dy = (point.y * 65536 + height / 2) / height;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs.push_back(move);
    for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        inputs.push_back(move);
        inputs.back().mi.dwFlags = button | MOUSEEVENTF_ABSOLUTE;
    }
    SendInputs(inputs);
    lastPoint = point;
    lastTime = ::GetTickCount();
    Sync();
}

void Quillon::Key(UINT vk, unsigned modifiers) {
    Foreground();
    std::vector<INPUT> inputs;
    const struct {
        unsigned bit;
        WORD vk;
    } mods[] = {{qwintest::kShift, VK_SHIFT}, {qwintest::kControl, VK_CONTROL}, {qwintest::kAlt, VK_MENU}};
    for (const auto &m : mods)
        if (modifiers & m.bit) inputs.push_back(KeyInput(m.vk, false));
    inputs.push_back(KeyInput(WORD(vk), false));
    inputs.push_back(KeyInput(WORD(vk), true));
    for (const auto &m : mods)
        if (modifiers & m.bit) inputs.push_back(KeyInput(m.vk, true));
    SendInputs(inputs);
    Sync();
}

// Typed as key presses of a US keyboard (Wine's VkKeyScan knows no key for
// the parentheses), one character at a time: the program turns them into
// posted WM_CHAR messages, which a Sync does not wait for, so a burst could
// still be on its way when the next command arrives.
void Quillon::Type(const std::string &text) {
    for (char ch : text) {
        SHORT scan = ch == '(' ? SHORT(0x100 | '9') : ch == ')' ? SHORT(0x100 | '0') : ::VkKeyScanA(ch);
        if (scan != -1) Key(UINT(scan & 0xFF), (scan & 0x100) ? unsigned(qwintest::kShift) : 0u);
    }
}

void Quillon::Fill(HWND field, const std::string &text, bool leave) {
    ClickCenter(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    Key(VK_DELETE);
    Type(text);
    if (leave) Key(VK_TAB);
}

void Quillon::Command(UINT id) {
    ::PostMessageA(main_, WM_COMMAND, id, 0);
    Sync();
}

std::string Quillon::TextOf(HWND window) {
    if (ClassOf(window) == "VEXIL") {
        // Its WM_GETTEXT answers one less than it copied, which the system's
        // conversion between processes takes for the length: the text goes
        // through the clipboard instead, the selection put back afterwards.
        DWORD start = 0, end = 0;
        LRESULT selected = ::SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                          reinterpret_cast<LPARAM>(&end));
        if (::OpenClipboard(nullptr)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
        ::SendMessageA(window, EM_SETSEL, 0, -1);
        ::SendMessageA(window, WM_COPY, 0, 0);
        if (selected)
            ::SendMessageA(window, EM_SETSEL, start, end);
        else
            ::SendMessageA(window, EM_SETSEL, WPARAM(-1), 0);
        return ClipboardText();
    }
    char text[1024] = "";
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                          &result);
    return text;
}

bool Quillon::WholeTextSelected(int id) {
    HWND window = Item(id);
    DWORD start = 0, end = 0;
    LRESULT selected =
        ::SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    size_t length = TextOf(window).size();
    if (ClassOf(window) == "VEXIL")  // the end is inclusive, and 0 answers "no selection"
        return length == 0 || (selected != 0 && start == 0 && end + 1 == length);
    return start == 0 && end == length;
}

std::string Quillon::Settled(const std::string &expected, HWND window) const {
    std::string text;
    for (int tries = 0; tries < 100 && (text = TextOf(window ? window : main_)) != expected; ++tries) ::Sleep(30);
    return text;
}

std::vector<std::pair<std::string, int>> Quillon::TreeItems(HWND tree) {
    std::vector<std::pair<std::string, int>> items;
    for (LRESULT item = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item != 0;
         item = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        struct {
            TVITEMA tvi;
            char text[32];
        } buffer = {};
        buffer.tvi.mask = TVIF_TEXT | TVIF_STATE;
        buffer.tvi.hItem = reinterpret_cast<HTREEITEM>(item);
        buffer.tvi.stateMask = TVIS_STATEIMAGEMASK;
        buffer.tvi.cchTextMax = sizeof buffer.text;
        // The text pointer must point into the program: the record goes there whole.
        void *remote = ::VirtualAllocEx(process_, nullptr, sizeof buffer, MEM_COMMIT, PAGE_READWRITE);
        buffer.tvi.pszText = reinterpret_cast<char *>(remote) + offsetof(decltype(buffer), text);
        SIZE_T done = 0;
        ::WriteProcessMemory(process_, remote, &buffer, sizeof buffer, &done);
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(process_, remote, &buffer, sizeof buffer, &done);
        ::VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
        items.push_back({std::string(buffer.text), int((buffer.tvi.state & TVIS_STATEIMAGEMASK) >> 12)});
    }
    return items;
}

HWND Quillon::Focus() const {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(info_.dwThreadId, &gui);
    return gui.hwndFocus;
}

Quillon::Row Quillon::ReadRow(int index) {
    Row row;
    LRESULT address = ::SendMessageA(Item(IDC_LIST), LDM_GETROW, WPARAM(index), 0);
    if (address == 0) return row;
    SIZE_T read = 0;
    // The row's bytes; its CString is one pointer to the characters.
    unsigned char bytes[sizeof(LedraRow)];
    if (!::ReadProcessMemory(process_, reinterpret_cast<void *>(address), bytes, sizeof bytes, &read)) return row;
    std::memcpy(&row.fixed, bytes + offsetof(LedraRow, fixed), sizeof row.fixed);
    std::memcpy(&row.ratio, bytes + offsetof(LedraRow, ratio), sizeof row.ratio);
    const char *chars = nullptr;
    std::memcpy(&chars, bytes + offsetof(LedraRow, formula), sizeof chars);
    char text[257] = "";
    for (int i = 0; i < 256 && chars != nullptr; ++i) {
        if (!::ReadProcessMemory(process_, chars + i, text + i, 1, &read) || text[i] == 0) break;
    }
    text[256] = 0;
    row.formula = text;
    return row;
}

// Enter commits a cell and opens the next one in reading order (formula,
// ratio, next formula), with its text selected.
void Quillon::EnterRow(int index, const std::string &formula, const std::string &ratio, bool fixedClick) {
    ListColumns columns = ColumnsOf(*this);
    HWND list = Item(IDC_LIST);
    int y = index * columns.rowHeight + columns.rowHeight / 2;
    if (fixedClick) Click(list, columns.formulaLeft / 2, y);
    Click(list, (columns.formulaLeft + columns.ratioLeft) / 2, y);
    Type(formula);
    Key(VK_RETURN);
    if (!ratio.empty()) {
        Type(ratio);
        Key(VK_RETURN);
    }
}

qwintest::Bitmap32 Quillon::Capture(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync();
    RECT r;
    ::GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    qwintest::Bitmap32 image = qwintest::RenderToBitmap(
        width, height, [&](CDC &dc) { ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY); });
    ::ReleaseDC(nullptr, screen);
    return image;
}

ListColumns ColumnsOf(const Quillon &quillon) {
    ListColumns columns;
    RECT number, ratio, product;
    ::GetWindowRect(quillon.Item(IDC_HEADER_NUMBER), &number);
    ::GetWindowRect(quillon.Item(IDC_HEADER_RATIO), &ratio);
    ::GetClientRect(quillon.Item(IDC_PRODUCT), &product);
    POINT origin = {0, 0};
    ::ClientToScreen(quillon.Item(IDC_LIST), &origin);  // client coordinates of the list
    columns.formulaLeft = number.right - origin.x;
    columns.ratioLeft = ratio.left - origin.x;
    columns.rowHeight = product.bottom;
    return columns;
}

const char *const SELECTION_CAPTION = "Quillon : Select Elements for Ratio Calculation";
const char *const DISPLAY_CAPTION = "Quillon : Default Output Display";

void Session::SetUp() {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = MakeFolder(std::string(test->test_suite_name()) + "-" + test->name(),
                        {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL", "ATOMS.LST", "Quillon.chm"});
    ASSERT_TRUE(quillon.Start(folder));
    ASSERT_NE(quillon.WaitReady(), nullptr) << "no main window";
}

void Session::TearDown() {
    if (IsSkipped() || !quillon.Running()) return;
    Box stray = quillon.WaitBox(0);
    EXPECT_EQ(stray.hwnd, nullptr) << "message box left open: " << stray.text;
}

void Session::Enter(const std::string &product, const std::string &amount,
                    const std::vector<std::pair<std::string, std::string>> &rows, const std::string &sampleId) {
    quillon.Fill(IDC_SAMPLE_ID, sampleId);
    quillon.Fill(IDC_PRODUCT, product);
    quillon.Fill(IDC_AMOUNT, amount);
    for (size_t i = 0; i < rows.size(); ++i)
        quillon.EnterRow(int(i), rows[i].first, rows[i].second, !rows[i].second.empty());
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));  // closes the open cell
}

void Session::EnterRatio(int row, const std::string &text) {
    ListColumns columns = ColumnsOf(quillon);
    RECT list;
    ::GetClientRect(quillon.Item(IDC_LIST), &list);
    quillon.Click(quillon.Item(IDC_LIST), (columns.ratioLeft + list.right) / 2,
                  row * columns.rowHeight + columns.rowHeight / 2);
    quillon.Type(text);
    quillon.Key(VK_RETURN);
}

std::vector<Box> Quillon::BoxesUntilQuiet(int answer) {
    std::vector<Box> boxes;
    for (Box box; (box = WaitBox(8000)).hwnd != nullptr; Answer(box, answer)) boxes.push_back(box);
    return boxes;
}

DWORD Setting(const char *name) {
    DWORD value = 0xDEAD, size = sizeof value;
    ::SHGetValueA(HKEY_CURRENT_USER, "Software\\Hobnail\\Quillon\\Settings", name, nullptr, &value, &size);
    return value;
}

std::string WithoutCR(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

void Session::ExpectBox(const std::string &text, qwintest::BoxIcon icon, int answer) {
    Box box = quillon.WaitBox();
    ASSERT_NE(box.hwnd, nullptr) << "no message box; expected: " << text;
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Quillon");
    EXPECT_EQ(box.icon, icon) << box.text;
    quillon.Answer(box, answer);
}

void SetText(HWND window, const std::string &text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &result);
}

void PressAndWait(Quillon &quillon, HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    for (int tries = 0; tries < 250 && ::IsWindow(dialog) && ::IsWindowEnabled(dialog); ++tries) ::Sleep(20);
    quillon.Sync();
}

std::string Quillon::AnswerFileDialog(const std::string &path) {
    HWND dialog = WaitWindow([](HWND window) { return FileNameField(window) != nullptr; });
    if (dialog == nullptr) return std::string();
    std::string proposed = TextOf(FileNameField(dialog));
    SetText(FileNameField(dialog), path);
    PressAndWait(*this, dialog, IDOK);
    return proposed;
}

}  // namespace qdriver
