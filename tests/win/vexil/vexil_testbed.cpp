// Test bed of the VEXIL control tests (see vexil_testbed.h).
#include "vexil_testbed.h"

#include <algorithm>

namespace vexiltest {

// Loads the library the way the program does: by file name, once.
HMODULE LoadVexil() {
    static HMODULE module = ::LoadLibraryA("VEXIL.DLL");
    return module;
}

// The 14-point letter font of the main dialog.
CFont &LetterFont() {
    static CFont *font = [] {
        CFont *f = new CFont;
        f->CreatePointFont(140, "Times New Roman");
        return f;
    }();
    return *font;
}

// The 9-point digit font of the main dialog.
CFont &DigitFont() {
    static CFont *font = [] {
        CFont *f = new CFont;
        f->CreatePointFont(90, "Times New Roman");
        return f;
    }();
    return *font;
}

// The main dialog's VexilInit.
VexilInit MainDialogInit() {
    VexilInit init;
    init.maxLength = 256;
    init.letterFont = LetterFont();
    init.digitFont = DigitFont();
    init.top = 0;
    init.digitOffset = -5;
    init.leftMargin = 2;
    init.rightMargin = 1;
    return init;
}

// Measures text with the two fonts on a screen DC, independently of the control.
Layout Measure(const std::string &text, const VexilInit &init) {
    Layout layout;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, init.letterFont);
    TEXTMETRICA letter;
    ::GetTextMetricsA(dc, &letter);
    ::SelectObject(dc, init.digitFont);
    TEXTMETRICA digit;
    ::GetTextMetricsA(dc, &digit);
    layout.letterAscent = letter.tmAscent;
    layout.letterDescent = letter.tmDescent;
    layout.digitAscent = digit.tmAscent;
    layout.baseline = init.top + letter.tmAscent;
    layout.digitTop = layout.baseline - init.digitOffset - digit.tmAscent;
    int x = init.leftMargin;
    for (char c : text) {
        bool isDigit = (c >= '0' && c <= '9') || c == '.';
        ::SelectObject(dc, isDigit ? init.digitFont : init.letterFont);
        SIZE size;
        ::GetTextExtentPointA(dc, &c, 1, &size);
        layout.edges.push_back(x);
        layout.digit.push_back(isDigit);
        x += size.cx;
    }
    layout.edges.push_back(x);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return layout;
}

// The clipboard's CF_TEXT, or "".
std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr)) return text;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const char *chars = data ? static_cast<const char *>(::GlobalLock(data)) : nullptr;
    if (chars) {
        text = chars;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// True when the clipboard holds CF_TEXT.
bool ClipboardHasText() {
    return ::IsClipboardFormatAvailable(CF_TEXT) != 0;
}

// Puts text on the clipboard as CF_TEXT.
bool SetClipboardText(const std::string &text) {
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (memory) {
        char *chars = static_cast<char *>(::GlobalLock(memory));
        memcpy(chars, text.c_str(), text.size() + 1);
        ::GlobalUnlock(memory);
        ok = ::SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!ok) ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return ok;
}

// ---------------------------------------------------------------------------
// Recorder

namespace {
const char kRecorderProp[] = "vexiltest.recorder";
}

Recorder::Recorder(HWND hWnd) : hwnd_(hWnd) {
    ::SetPropA(hWnd, kRecorderProp, this);
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder::Proc)));
}

Recorder::~Recorder() {
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        ::RemovePropA(hwnd_, kRecorderProp);
    }
}

int Recorder::Count(UINT message) const {
    for (const auto &entry : counts_)
        if (entry.first == message) return entry.second;
    return 0;
}

// Counts the message, offers it to the test, then passes it on.
LRESULT CALLBACK Recorder::Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Recorder *self = static_cast<Recorder *>(::GetPropA(hWnd, kRecorderProp));
    if (self == nullptr) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    WNDPROC previous = self->previous_;
    auto found = std::find_if(self->counts_.begin(), self->counts_.end(),
                              [message](const std::pair<UINT, int> &e) { return e.first == message; });
    if (found == self->counts_.end()) {
        self->counts_.push_back({message, 1});
    } else {
        ++found->second;
    }
    if (self->before && self->before(message, wParam, lParam)) return 0;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(hWnd, kRecorderProp);
    }
    return ::CallWindowProcA(previous, hWnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Fixture

void VexilTest::SetUp() {
    ASSERT_NE(nullptr, LoadVexil()) << "VEXIL.DLL did not load";
    host.reset(new qwintest::TestHost(480, 200));
    ASSERT_NE(nullptr, host->hwnd());
    init = MainDialogInit();
    edit = CreateEdit(10, 10, 300, 30, 1001);
    ASSERT_NE(nullptr, edit);
    ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
    recorder.reset(new Recorder(edit));
    qwintest::PumpMessages();
}

void VexilTest::TearDown() {
    recorder.reset();
    host.reset();
    qwintest::SetModifiers(0);
}

HWND VexilTest::CreateEdit(int x, int y, int width, int height, int id, DWORD style) {
    return host->CreateChild(VEXIL_CLASS_NAME, "", style, x, y, width, height, id);
}

void VexilTest::Recreate(int width, const VexilInit &newInit) {
    recorder.reset();
    ::DestroyWindow(edit);
    init = newInit;
    edit = CreateEdit(10, 10, width, 30, 1001);
    ASSERT_NE(nullptr, edit);
    ASSERT_EQ(0, Send(VXM_INITIALIZE, reinterpret_cast<WPARAM>(&init)));
    recorder.reset(new Recorder(edit));
}

std::string VexilTest::TextOf(HWND hWnd) {
    LRESULT length = ::SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0) return "<not initialised>";
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(hWnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]));
    buffer.resize(strlen(buffer.c_str()));
    return buffer;
}

std::string VexilTest::SelectionOf(HWND hWnd) {
    int first = -100, last = -100;
    if (::SendMessageA(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last)) == 0)
        return "none";
    return std::to_string(first) + ".." + std::to_string(last);
}

void VexilTest::Type(const std::string &formula) const {
    for (char c : formula) {
        if (c >= 'A' && c <= 'Z') {
            Key(c, qwintest::kShift);
        } else if (c >= 'a' && c <= 'z') {
            Key(c - 'a' + 'A');
        } else if (c >= '0' && c <= '9') {
            Key(c);
        } else if (c == '(') {
            Key('9', qwintest::kShift);
        } else if (c == ')') {
            Key('0', qwintest::kShift);
        } else if (c == '.') {
            Key(VK_OEM_PERIOD);
        } else {
            ADD_FAILURE() << "cannot type '" << c << "'";
        }
    }
}

int VexilTest::CaretX() {
    POINT p = {-100, -100};
    ::GetCaretPos(&p);
    return p.x;
}

}  // namespace vexiltest
