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
// Child processes: the child writes each box to its standard error as icon,
// caption and text split by \x1f, between \x1d and \x1e (text may hold tabs
// and line ends); the parent reads them back from the child's output.

namespace {

const char kChildVariable[] = "QWINTEST_CHILD";

std::vector<ObservedBox> BoxesIn(const std::string &output) {
    std::vector<ObservedBox> boxes;
    for (size_t at = output.find('\x1d'); at != std::string::npos; at = output.find('\x1d', at + 1)) {
        size_t end = output.find('\x1e', at), icon = output.find('\x1f', at), caption = output.find('\x1f', icon + 1);
        if (end == std::string::npos || caption > end) break;
        ObservedBox box;
        box.icon = BoxIcon(std::atoi(output.c_str() + at + 1));
        box.caption = output.substr(icon + 1, caption - icon - 1);
        box.text = output.substr(caption + 1, end - caption - 1);
        boxes.push_back(box);
    }
    return boxes;
}

}  // namespace

ChildResult RunInChild(const std::function<void()> &body, const std::string &program) {
    if (::GetEnvironmentVariableA(kChildVariable, nullptr, 0) > 0) {  // this is the child
        MessageBoxWatcher watcher;
        watcher.onBox = [](const ObservedBox &box) {
            std::fprintf(stderr, "\x1d%d\x1f%s\x1f%s\x1e", int(box.icon), box.caption.c_str(), box.text.c_str());
        };
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        ::ExitProcess(0);
    }

    ChildResult result;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return result;
    static int serial = 0;
    std::string outPath = ArtifactPath("child-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                       std::to_string(++serial) + ".out");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return result;
    std::string command = "\"" + (program.empty() ? ProgramPath() : program) + "\" --gtest_filter=" +
                          test->test_suite_name() + "." + test->name() +
                          " --gtest_also_run_disabled_tests --gtest_brief=1";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    ::SetEnvironmentVariableA(kChildVariable, "1");
    BOOL created = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                    &startup, &process);
    ::SetEnvironmentVariableA(kChildVariable, nullptr);
    ::CloseHandle(out);
    if (!created) return result;

    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 0xDEAD);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    result.output = ReadBytes(outPath);
    result.boxes = BoxesIn(result.output);
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
