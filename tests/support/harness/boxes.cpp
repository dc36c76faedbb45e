// Message box watching, child processes and keyboard state for the tests.
//
// A WH_CALLWNDPROCRET hook sees each system dialog finish WM_INITDIALOG; a
// message box among them is read and a click on its answer is posted to it.
#include "qwintest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qwintest {
namespace {

HHOOK g_boxHook = nullptr;

std::vector<MessageBoxWatcher *> &Watchers() {  // innermost last
    static std::vector<MessageBoxWatcher *> *watchers = new std::vector<MessageBoxWatcher *>;
    return *watchers;
}

BoxIcon IconKind(HWND iconStatic) {
    HICON icon = reinterpret_cast<HICON>(::SendMessageA(iconStatic, STM_GETICON, 0, 0));
    if (icon == nullptr) return BoxIcon::None;
    if (icon == ::LoadIconA(nullptr, IDI_HAND)) return BoxIcon::Hand;
    if (icon == ::LoadIconA(nullptr, IDI_EXCLAMATION)) return BoxIcon::Exclamation;
    if (icon == ::LoadIconA(nullptr, IDI_ASTERISK)) return BoxIcon::Asterisk;
    if (icon == ::LoadIconA(nullptr, IDI_QUESTION)) return BoxIcon::Question;
    return BoxIcon::Other;
}

// The button wanted, else Cancel, No, OK, or the first.
int ChooseAnswer(const ObservedBox &box, int wanted) {
    for (int id : {wanted, IDCANCEL, IDNO, IDOK})
        for (int button : box.buttons)
            if (button == id) return id;
    return box.buttons.empty() ? IDCANCEL : box.buttons.front();
}

// A box no watcher expected fails the test; stderr shows it to death tests too.
int Unexpected(const ObservedBox &box) {
    static const char *const icons[] = {"none", "hand", "exclamation", "asterisk", "question", "other"};
    std::fprintf(stderr, "qwintest: message box [%s] %s: %s\n", box.caption.c_str(), icons[int(box.icon)],
                 box.text.c_str());
    std::fflush(stderr);
    ADD_FAILURE() << "unexpected message box [" << box.caption << "] " << icons[int(box.icon)] << ": " << box.text;
    return ChooseAnswer(box, IDCANCEL);
}

LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT *call = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        ObservedBox box;
        if (ReadBox(call->hwnd, box)) {
            int answer = Watchers().empty() ? Unexpected(box) : Watchers().back()->Observe(box);
            ::PostMessageA(call->hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(call->hwnd, answer)));
        }
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

}  // namespace

std::string ClassOf(HWND window) {
    char name[64] = "";
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

HWND BoxIconStatic(HWND window) {
    if (ClassOf(window) != "#32770") return nullptr;
    HWND text = ::GetDlgItem(window, kBoxTextId);
    if (text == nullptr || ::lstrcmpiA(ClassOf(text).c_str(), "Static") != 0) return nullptr;
    for (int id : {1088, 20}) {  // Wine's and Windows' icon static
        HWND icon = ::GetDlgItem(window, id);
        if (icon != nullptr && (::GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return icon;
    }
    return nullptr;
}

std::string WindowText(HWND window) {
    LRESULT length = ::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(size_t(std::max<LRESULT>(length, 0)) + 1, '\0');
    ::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

bool ReadBox(HWND window, ObservedBox &box) {
    HWND iconStatic = BoxIconStatic(window);
    if (iconStatic == nullptr) return false;
    box.caption = WindowText(window);
    box.text = WindowText(::GetDlgItem(window, kBoxTextId));
    box.icon = IconKind(iconStatic);
    box.owner = ::GetWindow(window, GW_OWNER);
    box.buttons.clear();
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::lstrcmpiA(ClassOf(child).c_str(), "Button") == 0) box.buttons.push_back(::GetDlgCtrlID(child));
    return true;
}

void InstallBoxHook() {
    if (g_boxHook == nullptr)
        g_boxHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, BoxHookProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer_(answer) {
    InstallBoxHook();
    Watchers().push_back(this);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    Watchers().erase(std::remove(Watchers().begin(), Watchers().end(), this), Watchers().end());
}

int MessageBoxWatcher::Observe(const ObservedBox &box) {
    boxes_.push_back(box);
    boxes_.back().answer = ChooseAnswer(box, answer_);
    if (onBox) onBox(boxes_.back());
    return boxes_.back().answer;
}

// ---------------------------------------------------------------------------
// Child processes: the child appends each box to a log file as answer, icon,
// caption, text, buttons split by \x1f and ended by \x1e (text may hold tabs).

namespace {

const char kChildVariable[] = "QWINTEST_CHILD_LOG";

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts(1);
    for (char ch : text) {
        if (ch == separator) parts.emplace_back();
        else parts.back() += ch;
    }
    return parts;
}


void AppendBox(const std::string &logPath, const ObservedBox &box) {
    FILE *log = std::fopen(logPath.c_str(), "ab");
    if (log == nullptr) return;
    std::fprintf(log, "%d\x1f%d\x1f%s\x1f%s", box.answer, int(box.icon), box.caption.c_str(), box.text.c_str());
    for (int id : box.buttons) std::fprintf(log, "\x1f%d", id);
    std::fputc('\x1e', log);
    std::fclose(log);
}

std::vector<ObservedBox> ReadBoxes(const std::string &logPath) {
    std::vector<ObservedBox> boxes;
    for (const std::string &record : Split(ReadBytes(logPath), '\x1e')) {
        std::vector<std::string> fields = Split(record, '\x1f');
        if (fields.size() < 4) continue;
        ObservedBox box;
        box.answer = std::atoi(fields[0].c_str());
        box.icon = BoxIcon(std::atoi(fields[1].c_str()));
        box.caption = fields[2];
        box.text = fields[3];
        for (size_t i = 4; i < fields.size(); ++i) box.buttons.push_back(std::atoi(fields[i].c_str()));
        boxes.push_back(box);
    }
    return boxes;
}

}  // namespace

ChildResult RunInChild(const std::function<void()> &body, int answer, DWORD timeoutMs, const std::string &program) {
    char childLog[MAX_PATH];
    if (::GetEnvironmentVariableA(kChildVariable, childLog, sizeof childLog) > 0) {  // this is the child
        MessageBoxWatcher watcher(answer);
        std::string logPath = childLog;
        watcher.onBox = [&logPath](const ObservedBox &box) { AppendBox(logPath, box); };
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        ::ExitProcess(0);
    }

    ChildResult result;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string exe = ProgramPath();
    if (test == nullptr || exe.empty()) return result;
    static int serial = 0;
    std::string base = ArtifactPath("child-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                    std::to_string(++serial));
    std::string logPath = base + ".boxes", outPath = base + ".out";
    ::DeleteFileA(logPath.c_str());

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return result;
    std::string command = std::string("\"") + (program.empty() ? exe : program) + "\" --gtest_filter=" + test->test_suite_name() + "." +
                          test->name() + " --gtest_also_run_disabled_tests --gtest_brief=1";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    ::SetEnvironmentVariableA(kChildVariable, logPath.c_str());
    BOOL created = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                    &startup, &process);
    ::SetEnvironmentVariableA(kChildVariable, nullptr);
    ::CloseHandle(out);
    if (!created) return result;

    result.started = true;
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 0xDEAD);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    result.boxes = ReadBoxes(logPath);
    result.output = ReadBytes(outPath);
    ::DeleteFileA(logPath.c_str());
    ::DeleteFileA(outPath.c_str());
    return result;
}

// ---------------------------------------------------------------------------
// Keyboard

namespace {

void SetModifiers(unsigned modifiers) {
    BYTE state[256];
    ::GetKeyboardState(state);
    const struct {
        int vk, left, right;
        unsigned modifier;
    } keys[] = {{VK_SHIFT, VK_LSHIFT, VK_RSHIFT, kShift},
                {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, kControl},
                {VK_MENU, VK_LMENU, VK_RMENU, kAlt}};
    for (const auto &key : keys) {
        state[key.vk] = state[key.left] = (modifiers & key.modifier) ? 0x80 : 0;
        state[key.right] = 0;
    }
    ::SetKeyboardState(state);
}

}  // namespace

LRESULT SendKeyDown(HWND hWnd, UINT vk, unsigned modifiers) {
    BYTE saved[256];
    ::GetKeyboardState(saved);
    SetModifiers(modifiers);
    UINT scan = ::MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */);
    LRESULT result = ::SendMessageA(hWnd, WM_KEYDOWN, vk, 1 | LPARAM(scan & 0xFF) << 16);
    ::SetKeyboardState(saved);
    return result;
}

}  // namespace qwintest
