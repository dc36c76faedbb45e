#include "driver.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/resource.h"
#include "quillon/ledra.h"

namespace qdriver {

namespace {

using qwintest::ClassOf;

struct ProcessWindows {
    DWORD pid;
    bool all;
    std::vector<HWND> windows;
};

BOOL CALLBACK AddProcessWindow(HWND window, LPARAM lParam) {
    ProcessWindows *found = reinterpret_cast<ProcessWindows *>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == found->pid && (found->all || ::IsWindowVisible(window))) found->windows.push_back(window);
    return TRUE;
}

// The icon of a box of another process (whose icon handles mean nothing
// here): its pixels against the system icons drawn here on the same background.
BoxIcon IconKind(Quillon &quillon, HWND iconStatic) {
    qwintest::Bitmap32 shown = quillon.Capture(iconStatic);
    if (shown.Width() < 32 || shown.Height() < 32) return BoxIcon::Other;
    const std::pair<LPCSTR, BoxIcon> icons[] = {{IDI_HAND, BoxIcon::Hand},
                                                {IDI_EXCLAMATION, BoxIcon::Exclamation},
                                                {IDI_ASTERISK, BoxIcon::Asterisk},
                                                {IDI_QUESTION, BoxIcon::Question}};
    BoxIcon best = BoxIcon::Other;
    int bestDiff = 32 * 32 / 8;  // a match differs in at most an eighth of the pixels
    for (const auto &icon : icons) {
        qwintest::Bitmap32 drawn = qwintest::RenderToBitmap(
            32, 32, [&](CDC &dc) { ::DrawIcon(dc, 0, 0, ::LoadIconA(nullptr, icon.first)); }, shown.At(0, 0));
        int diff = 0;
        for (int i = 0; i < 32 * 32; ++i) diff += drawn.At(i % 32, i / 32) != shown.At(i % 32, i / 32);
        if (diff < bestDiff) bestDiff = diff, best = icon.second;
    }
    return best;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, bool all) {
    ProcessWindows found = {pid, all, {}};
    ::EnumWindows(AddProcessWindow, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

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

std::string WithoutCR(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

Quillon::~Quillon() {
    if (info_.hProcess == nullptr) return;
    if (Running()) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 10000);
    }
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
}

bool Quillon::Start(const std::string &folder, bool keepSettings) {
    // The program keeps its settings (and the last folder used) in the
    // registry between runs: each start is a first run unless asked otherwise.
    if (!keepSettings) ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hobnail");
    std::string command = "\"" + folder + "\\Quillon.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Wine's CreateProcess fails now and then on a fresh prefix before the
    // program runs a line (seen once as the third start of a test): it is
    // said on stderr and tried once more, so a program that cannot start
    // still fails.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                             &info_) != 0)
            return true;
        std::fprintf(stderr, "qdriver: CreateProcess of %s failed (error %lu)\n", command.c_str(),
                     static_cast<unsigned long>(::GetLastError()));
        ::Sleep(500);
    }
    return false;
}

bool Quillon::Running() const {
    return info_.hProcess != nullptr && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Quillon::WaitReady(DWORD timeoutMs, DWORD pollMs) {
    const std::string tail = " - Quillon";
    main_ = WaitWindow(
        [&](HWND window) {
            // "Quillon" from the template, then "<entry>[*] - Quillon".
            std::string title = TextOf(window);
            if (ClassOf(window) != "#32770" ||
                (title != "Quillon" && (title.size() <= tail.size() ||
                                        title.compare(title.size() - tail.size(), tail.size(), tail) != 0)))
                return false;
            HWND sample = ::GetDlgItem(window, IDC_SAMPLE_ID), list = ::GetDlgItem(window, IDC_LIST);
            RECT s, l;
            // The deferred initialisation lays the sample ID over the list's width.
            return sample != nullptr && list != nullptr && ::GetWindowRect(sample, &s) && ::GetWindowRect(list, &l) &&
                   s.left == l.left && s.right == l.right;
        },
        timeoutMs, pollMs);
    if (main_ != nullptr) Sync();
    return main_;
}

// Input goes through the system's queue, sent messages do not: wait until
// the program has taken its input and answers a message again.
void Quillon::Sync() {
    for (int round = 0; round < 2; ++round) {
        ::Sleep(20);
        if (info_.hProcess != nullptr) ::WaitForInputIdle(info_.hProcess, 2000);
        DWORD_PTR result = 0;
        if (main_ != nullptr && ::IsWindow(main_))
            ::SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    }
}

Box Quillon::WaitBox(DWORD timeoutMs) {
    Box box;
    box.hwnd = WaitWindow([&](HWND window) { return qwintest::ReadBox(window, box); }, timeoutMs);
    if (box.hwnd == nullptr) return box;
    ::UpdateWindow(box.hwnd);  // painted before its icon is read
    box.icon = IconKind(*this, qwintest::BoxIconStatic(box.hwnd));
    return box;
}

void Quillon::Answer(const Box &box, int button) { PressAndWait(*this, box.hwnd, button); }

HWND Quillon::WaitWindow(const std::function<bool(HWND)> &match, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = ::GetTickCount();
    do {
        for (HWND window : TopLevelWindows(info_.dwProcessId))
            if (match(window)) {
                Sync();
                return window;
            }
        ::Sleep(pollMs);
    } while (::GetTickCount() - start < timeoutMs && Running());
    return nullptr;
}

HWND Quillon::WaitDialog(const char *caption, DWORD timeoutMs) {
    return WaitWindow([&](HWND window) { return ClassOf(window) == "#32770" && TextOf(window) == caption; },
                      timeoutMs);
}

long Quillon::WaitExit(DWORD timeoutMs) {
    if (info_.hProcess == nullptr || ::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return long(code);
}

long Quillon::Exit(UINT command) {
    Command(command);
    return WaitExit();
}

// The program's active window comes to the front so that input reaches it.
void Quillon::Foreground() {
    std::vector<HWND> windows = TopLevelWindows(info_.dwProcessId);
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
    INPUT inputs[3] = {};
    const DWORD flags[] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = (point.x * 65536 + width / 2) / width;
        inputs[i].mi.dy = (point.y * 65536 + height / 2) / height;
        inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
    }
    ::SendInput(3, inputs, sizeof(INPUT));
    lastPoint = point;
    lastTime = ::GetTickCount();
    Sync();
}

void Quillon::Key(UINT vk, unsigned modifiers) {
    Foreground();
    // The modifiers pressed around the key: kShift, kControl, kAlt are the bits 1, 2, 4.
    const WORD modifierKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    std::vector<WORD> keys;
    for (int i = 0; i < 3; ++i)
        if (modifiers & (1u << i)) keys.push_back(modifierKeys[i]);
    keys.push_back(WORD(vk));
    std::vector<INPUT> inputs(2 * keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        INPUT &down = inputs[i], &up = inputs[inputs.size() - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = keys[i];
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
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

void Quillon::ClickCenter(HWND window) {
    RECT r;
    ::GetClientRect(window, &r);
    Click(window, r.right / 2, r.bottom / 2);
}

void Quillon::Command(UINT id) {
    ::PostMessageA(main_, WM_COMMAND, id, 0);
    Sync();
}

std::string Quillon::TextOf(HWND window) {
    if (ClassOf(window) != "VEXIL") return qwintest::WindowText(window);
    // Its WM_GETTEXT answers one less than it copied, which the system's
    // conversion between processes takes for the length: the text goes
    // through the clipboard instead, the selection put back afterwards.
    DWORD start = 0, end = 0;
    LRESULT selected =
        ::SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    qwintest::SetClipboardText("");
    ::SendMessageA(window, EM_SETSEL, 0, -1);
    ::SendMessageA(window, WM_COPY, 0, 0);
    ::SendMessageA(window, EM_SETSEL, selected ? start : WPARAM(-1), selected ? end : 0);
    return ClipboardText();
}

std::string Quillon::Settled(const std::string &expected, HWND window) const {
    std::string text;
    for (int tries = 0; tries < 100 && (text = TextOf(window ? window : main_)) != expected; ++tries) ::Sleep(30);
    return text;
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
    SIZE_T read = 0;
    // The row's bytes; its CString is one pointer to the characters.
    unsigned char bytes[sizeof(LedraRow)];
    if (address == 0 ||
        !::ReadProcessMemory(info_.hProcess, reinterpret_cast<void *>(address), bytes, sizeof bytes, &read))
        return row;
    std::memcpy(&row.fixed, bytes + offsetof(LedraRow, fixed), sizeof row.fixed);
    std::memcpy(&row.ratio, bytes + offsetof(LedraRow, ratio), sizeof row.ratio);
    const char *chars = nullptr;
    std::memcpy(&chars, bytes + offsetof(LedraRow, formula), sizeof chars);
    char ch = 0;
    for (int i = 0; i < 256 && chars != nullptr && ::ReadProcessMemory(info_.hProcess, chars + i, &ch, 1, &read) && ch;
         ++i)
        row.formula += ch;
    return row;
}

void Quillon::ClickCell(int row, int column) {
    ListColumns columns = ColumnsOf(*this);
    RECT list;
    ::GetClientRect(Item(IDC_LIST), &list);
    const int x[] = {columns.formulaLeft / 2, (columns.formulaLeft + columns.ratioLeft) / 2,
                     (columns.ratioLeft + list.right) / 2};
    Click(Item(IDC_LIST), x[column], row * columns.rowHeight + columns.rowHeight / 2);
}

void Quillon::EnterRow(int index, const std::string &formula, const std::string &ratio, bool fixedClick) {
    if (fixedClick) ClickCell(index, 0);
    ClickCell(index, 1);
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
    RECT number, ratio, product;
    ::GetWindowRect(quillon.Item(IDC_HEADER_NUMBER), &number);
    ::GetWindowRect(quillon.Item(IDC_HEADER_RATIO), &ratio);
    ::GetClientRect(quillon.Item(IDC_PRODUCT), &product);
    POINT origin = {0, 0};
    ::ClientToScreen(quillon.Item(IDC_LIST), &origin);  // client coordinates of the list
    return {int(number.right - origin.x), int(ratio.left - origin.x), int(product.bottom)};
}

const char *const SELECTION_CAPTION = "Quillon : Select Elements for Ratio Calculation";
const char *const DISPLAY_CAPTION = "Quillon : Default Output Display";

void ExpectBox(Quillon &quillon, const std::string &text, BoxIcon icon, int answer) {
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

bool Checked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetCheck(HWND button, bool checked) {
    ::SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
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
    quillon.ClickCell(row, 2);
    quillon.Type(text);
    quillon.Key(VK_RETURN);
}

HWND Session::Calculate(bool select) {
    Press(IDC_CALCULATE);
    if (select) {
        HWND selection = OpenDialog(0, SELECTION_CAPTION);
        if (selection == nullptr) return nullptr;
        Press(selection, IDOK);
    }
    return OpenDialog(0, DISPLAY_CAPTION);
}

HWND Session::OpenDialog(UINT command, const char *caption) {
    if (command != 0) quillon.Command(command);
    HWND dialog = quillon.WaitDialog(caption);
    EXPECT_NE(dialog, nullptr) << "no dialog " << caption;
    return dialog;
}

void Session::Clear() {
    Press(IDC_CLEAR);
    ExpectSaveQuestion(IDNO);
}

std::string Session::Report() const {
    std::vector<std::string> reports = Reports();
    EXPECT_EQ(reports.size(), 1u) << "report files";
    return reports.size() == 1 ? ReadBytes(folder + "\\" + reports[0]) : std::string();
}

}  // namespace qdriver
