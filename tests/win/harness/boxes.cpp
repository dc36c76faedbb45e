// Message box watching, child processes and keyboard state for the tests.
//
// Boxes are found with a WH_CALLWNDPROCRET hook on the thread: right after a
// system dialog has handled WM_INITDIALOG, a dialog with the message box's
// text and icon statics is read (caption, text, icon, buttons) and a click on
// the chosen button is posted to it. The box's own modal loop then ends it.
#include "qwintest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qwintest {
namespace {

// Child ids of the parts of a system message box.
const int kBoxTextId = 0xFFFF;
const int kBoxIconIdWine = 1088;
const int kBoxIconIdWindows = 20;

HHOOK g_boxHook = nullptr;

// The watchers on the stack, innermost last.
std::vector<MessageBoxWatcher *> &Watchers() {
    static std::vector<MessageBoxWatcher *> *watchers = new std::vector<MessageBoxWatcher *>;
    return *watchers;
}

std::string ClassOf(HWND hWnd) {
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hWnd) {
    int length = ::GetWindowTextLengthA(hWnd);
    std::string text(size_t(length) + 1, '\0');
    int got = ::GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(size_t(got > 0 ? got : 0));
    return text;
}

// The icon static of a message box, or nullptr when hWnd is no message box.
HWND BoxIconStatic(HWND hWnd) {
    if (ClassOf(hWnd) != "#32770") return nullptr;
    HWND text = ::GetDlgItem(hWnd, kBoxTextId);
    if (text == nullptr || ::lstrcmpiA(ClassOf(text).c_str(), "Static") != 0) return nullptr;
    HWND icon = ::GetDlgItem(hWnd, kBoxIconIdWine);
    if (icon == nullptr) icon = ::GetDlgItem(hWnd, kBoxIconIdWindows);
    if (icon == nullptr || (::GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return nullptr;
    return icon;
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

// Reads a message box's caption, text, icon, buttons and owner.
ObservedBox ReadBox(HWND box, HWND iconStatic) {
    ObservedBox seen;
    seen.caption = TextOf(box);
    seen.text = TextOf(::GetDlgItem(box, kBoxTextId));
    seen.icon = IconKind(iconStatic);
    seen.owner = ::GetWindow(box, GW_OWNER);
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::lstrcmpiA(ClassOf(child).c_str(), "Button") == 0) seen.buttons.push_back(::GetDlgCtrlID(child));
    }
    return seen;
}

bool HasButton(const ObservedBox &box, int id) {
    for (int button : box.buttons)
        if (button == id) return true;
    return false;
}

// The button that answers the box: the one wanted, else Cancel, No, OK, or the first.
int ChooseAnswer(const ObservedBox &box, int wanted) {
    for (int id : {wanted, IDCANCEL, IDNO, IDOK})
        if (HasButton(box, id)) return id;
    return box.buttons.empty() ? IDCANCEL : box.buttons.front();
}

// A box that no watcher expected: the running test fails, and the box is
// reported on stderr (where a death test's pattern can see it).
int Unexpected(const ObservedBox &box) {
    int answer = ChooseAnswer(box, IDCANCEL);
    std::fprintf(stderr, "qwintest: message box [%s] %s: %s\n", box.caption.c_str(), BoxIconName(box.icon),
                 box.text.c_str());
    std::fflush(stderr);
    ADD_FAILURE() << "unexpected message box [" << box.caption << "] " << BoxIconName(box.icon) << ": "
                  << box.text;
    return answer;
}

// Watches every dialog of the thread finish WM_INITDIALOG and answers message boxes.
LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT *call = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        HWND iconStatic = BoxIconStatic(call->hwnd);
        if (iconStatic != nullptr) {
            ObservedBox box = ReadBox(call->hwnd, iconStatic);
            int answer = Watchers().empty() ? Unexpected(box) : Watchers().back()->Observe(box);
            ::PostMessageA(call->hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(call->hwnd, answer)));
        }
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

}  // namespace

const char *BoxIconName(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Hand: return "hand";
    case BoxIcon::Exclamation: return "exclamation";
    case BoxIcon::Asterisk: return "asterisk";
    case BoxIcon::Question: return "question";
    case BoxIcon::Other: return "other";
    }
    return "?";
}

// Installs the box hook on the calling thread, once.
void InstallBoxHook() {
    if (g_boxHook == nullptr)
        g_boxHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, BoxHookProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer_(answer) {
    InstallBoxHook();
    Watchers().push_back(this);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    std::vector<MessageBoxWatcher *> &watchers = Watchers();
    for (size_t i = watchers.size(); i-- > 0;) {
        if (watchers[i] == this) {
            watchers.erase(watchers.begin() + long(i));
            break;
        }
    }
}

void MessageBoxWatcher::SetAnswer(int answer) { answer_ = answer; }

void MessageBoxWatcher::QueueAnswers(std::initializer_list<int> answers) {
    queued_.insert(queued_.end(), answers.begin(), answers.end());
}

// Records a box and picks its answer.
int MessageBoxWatcher::Observe(const ObservedBox &box) {
    int wanted = answer_;
    if (!queued_.empty()) {
        wanted = queued_.front();
        queued_.erase(queued_.begin());
    }
    ObservedBox seen = box;
    seen.answer = ChooseAnswer(box, wanted);
    boxes_.push_back(seen);
    if (onBox) onBox(seen);
    return seen.answer;
}

// ---------------------------------------------------------------------------
// Child processes

namespace {

const char kChildVariable[] = "QWINTEST_CHILD_LOG";

// Escapes tabs, line ends and backslashes so that one box fits on one line.
std::string Escape(const std::string &text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\\') out += "\\\\";
        else if (ch == '\t') out += "\\t";
        else if (ch == '\n') out += "\\n";
        else if (ch == '\r') out += "\\r";
        else out += ch;
    }
    return out;
}

std::string Unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string &line) {
    std::vector<std::string> fields(1);
    for (char ch : line) {
        if (ch == '\t') fields.emplace_back();
        else fields.back() += ch;
    }
    return fields;
}

// One line per box: answer, icon, buttons (comma separated), caption, text.
void AppendBoxLine(const std::string &logPath, const ObservedBox &box) {
    FILE *log = std::fopen(logPath.c_str(), "ab");
    if (log == nullptr) return;
    std::string buttons;
    for (int id : box.buttons) buttons += (buttons.empty() ? "" : ",") + std::to_string(id);
    std::fprintf(log, "%d\t%d\t%s\t%s\t%s\n", box.answer, int(box.icon), buttons.c_str(),
                 Escape(box.caption).c_str(), Escape(box.text).c_str());
    std::fclose(log);
}

std::vector<ObservedBox> ReadBoxLines(const std::string &logPath) {
    std::vector<ObservedBox> boxes;
    FILE *log = std::fopen(logPath.c_str(), "rb");
    if (log == nullptr) return boxes;
    std::string line;
    for (int ch = std::fgetc(log);; ch = std::fgetc(log)) {
        if (ch == EOF || ch == '\n') {
            std::vector<std::string> fields = SplitTabs(line);
            if (fields.size() == 5) {
                ObservedBox box;
                box.answer = std::atoi(fields[0].c_str());
                box.icon = BoxIcon(std::atoi(fields[1].c_str()));
                for (const char *p = fields[2].c_str(); *p != 0;) {
                    char *end = nullptr;
                    box.buttons.push_back(int(std::strtol(p, &end, 10)));
                    p = *end == ',' ? end + 1 : end;
                }
                box.caption = Unescape(fields[3]);
                box.text = Unescape(fields[4]);
                boxes.push_back(box);
            }
            line.clear();
            if (ch == EOF) break;
        } else {
            line += char(ch);
        }
    }
    std::fclose(log);
    return boxes;
}

std::string ReadWholeFile(const std::string &path) {
    std::string text;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

// The child's body: answer and log every box, run, and end the process.
void RunAsChild(const std::string &logPath, const std::function<void()> &body, int answer) {
    MessageBoxWatcher watcher(answer);
    watcher.onBox = [&logPath](const ObservedBox &box) { AppendBoxLine(logPath, box); };
    body();
    std::fflush(stdout);
    std::fflush(stderr);
    ::ExitProcess(0);
}

}  // namespace

// Re-runs the current test in a child process, which runs body (see the header).
ChildResult RunInChild(const std::function<void()> &body, int answer, DWORD timeoutMs) {
    char childLog[MAX_PATH];
    if (::GetEnvironmentVariableA(kChildVariable, childLog, sizeof childLog) > 0) {
        RunAsChild(childLog, body, answer);  // does not return
    }

    ChildResult result;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return result;
    std::string name = std::string(test->test_suite_name()) + "." + test->name();

    char exe[MAX_PATH];
    DWORD exeLength = ::GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (exeLength == 0 || exeLength >= sizeof exe) return result;
    static int serial = 0;
    std::string base = ArtifactPath("child-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                    std::to_string(++serial));
    std::string logPath = base + ".boxes";
    std::string outPath = base + ".out";
    ::DeleteFileA(logPath.c_str());

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return result;

    std::string command = std::string("\"") + exe + "\" --gtest_filter=" + name +
                          " --gtest_also_run_disabled_tests --gtest_brief=1";
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
        result.timedOut = true;
        ::TerminateProcess(process.hProcess, 0xDEAD);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    result.boxes = ReadBoxLines(logPath);
    result.output = ReadWholeFile(outPath);
    ::DeleteFileA(logPath.c_str());
    ::DeleteFileA(outPath.c_str());
    return result;
}

// ---------------------------------------------------------------------------
// Keyboard

namespace {

void SetKey(BYTE *state, int vk, bool down) { state[vk] = down ? 0x80 : 0; }

}  // namespace

void SetModifiers(unsigned modifiers) {
    BYTE state[256];
    ::GetKeyboardState(state);
    SetKey(state, VK_SHIFT, modifiers & kShift);
    SetKey(state, VK_LSHIFT, modifiers & kShift);
    SetKey(state, VK_RSHIFT, false);
    SetKey(state, VK_CONTROL, modifiers & kControl);
    SetKey(state, VK_LCONTROL, modifiers & kControl);
    SetKey(state, VK_RCONTROL, false);
    SetKey(state, VK_MENU, modifiers & kAlt);
    SetKey(state, VK_LMENU, modifiers & kAlt);
    SetKey(state, VK_RMENU, false);
    ::SetKeyboardState(state);
}

KeyboardState::KeyboardState(unsigned modifiers) {
    ::GetKeyboardState(saved_);
    SetModifiers(modifiers);
}

KeyboardState::~KeyboardState() { ::SetKeyboardState(saved_); }

LRESULT SendKeyDown(HWND hWnd, UINT vk, unsigned modifiers) {
    KeyboardState held(modifiers);
    UINT scan = ::MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */);
    LPARAM lParam = 1 | LPARAM(scan & 0xFF) << 16;
    return ::SendMessageA(hWnd, WM_KEYDOWN, vk, lParam);
}

LRESULT SendChar(HWND hWnd, char ch) {
    UINT scan = ::MapVirtualKeyA(UINT(::VkKeyScanA(ch) & 0xFF), 0);
    return ::SendMessageA(hWnd, WM_CHAR, WPARAM(static_cast<unsigned char>(ch)), 1 | LPARAM(scan & 0xFF) << 16);
}

}  // namespace qwintest
