// The HTML Help control loaded on demand, and the help pages in a browser
// where HTML Help cannot draw them.
#include "htmlhelp.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>

CHtmlHelp::CHtmlHelp(const char *clsidKey, const char *fallback) : clsidKey_(clsidKey), fallback_(fallback) {}

// The registered file first (its value may hold environment variables),
// then the fallback name; export 14 of whichever loads.
void CHtmlHelp::Load() {
    searched_ = true;
    ++attempts_;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, clsidKey_, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char value[MAX_PATH] = "", path[MAX_PATH] = "";
        DWORD type = 0, size = sizeof value - 1;
        if (::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            DWORD length = ::ExpandEnvironmentStringsA(value, path, sizeof path);
            if (length > 0 && length <= sizeof path && path[0] != 0) module_ = ::LoadLibraryA(path);
        }
        ::RegCloseKey(key);
    }
    if (module_ == nullptr) module_ = ::LoadLibraryA(fallback_);
    if (module_ != nullptr)
        function_ = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(::GetProcAddress(module_, MAKEINTRESOURCEA(14))));
}

HWND CHtmlHelp::Call(HWND caller, const char *file, UINT command, DWORD_PTR data) {
    if (!searched_) Load();
    return function_ != nullptr ? function_(caller, file, command, data) : nullptr;
}

CAppHelp::CAppHelp() : control("CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", "hhctrl.ocx") {}

// The help control is looked for and initialised on the first help command,
// not at start: loading it brings the common controls library with it.
HWND CAppHelp::ShowContents(HWND caller, const char *folder) {
    std::string file = std::string(folder != nullptr ? folder : "") + "Quillon.chm";
    if (!HtmlEngineAvailable()) {
        ShowHelpInBrowser(caller, file.c_str());
        return nullptr;
    }
    if (!initialized) {
        initialized = true;
        control.Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie));
    }
    HWND window = control.Call(caller, file.c_str(), HH_DISPLAY_TOC, 0);
    // Without the HTML Help control the pages go to the browser as well.
    if (window == nullptr && control.Module() == nullptr) ShowHelpInBrowser(caller, file.c_str());
    return window;
}

void CAppHelp::Close() {
    if (!initialized) return;
    initialized = false;
    control.Call(nullptr, nullptr, HH_UNINITIALIZE, cookie);
}

bool HtmlEngineAvailable() {
    static const bool available = [] {
        // CLSID_HTMLDocument, the document object of the system's HTML engine.
        const CLSID htmlDocument = {0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};
        IUnknown *document = nullptr;
        HRESULT result = ::CoCreateInstance(htmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                            reinterpret_cast<void **>(&document));
        if (SUCCEEDED(result) && document != nullptr) document->Release();
        return SUCCEEDED(result);
    }();
    return available;
}

// The storage interface of the system's help file reader (itss.dll), as far
// as StgOpenStorage; the order of the entries is the interface's. Declared
// outside the anonymous namespace: a class no code here derives from would
// otherwise let the compiler treat calls through it as unreachable.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR *, DWORD, DWORD, IStorage **) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes *, DWORD, DWORD, IStorage **) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR *name, IStorage *priority, DWORD mode, SNB exclude,
                                                     DWORD reserved, IStorage **opened) = 0;
};
static const CLSID CLSID_ITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
static const IID IID_ITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

namespace {

// A page's file name from a stream name of the help file's root ("/index.htm"
// or "index.htm"); empty for the file's own tables ("#SYSTEM", "$WWKeywordLinks",
// "::DataSpace", the compiler's "_#_README_#_"), the contents and index
// (.hhc, .hhk), streams in sub-folders and anything not a plain name.
std::string PageName(const WCHAR *streamName) {
    const WCHAR *name = streamName[0] == L'/' ? streamName + 1 : streamName;
    std::string page;
    for (const WCHAR *c = name; *c != 0; ++c) {
        if (*c < 0x20 || *c > 0x7e || wcschr(L"/\\:*?\"<>|", *c) != nullptr) return std::string();
        page += char(*c);
    }
    if (page.empty() || page[0] == '.' || page.find_first_of("#$") != std::string::npos) return std::string();
    std::string::size_type dot = page.rfind('.');
    std::string type = dot == std::string::npos ? "" : page.substr(dot);
    if (_stricmp(type.c_str(), ".hhc") == 0 || _stricmp(type.c_str(), ".hhk") == 0) return std::string();
    return page;
}

// The stream's bytes into a new file at path (an existing one replaced).
bool CopyStream(IStream *stream, const std::string &path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    char buffer[8192];
    for (;;) {
        ULONG got = 0;
        HRESULT result = stream->Read(buffer, sizeof buffer, &got);
        DWORD written = 0;
        if (FAILED(result) || (got > 0 && (!::WriteFile(file, buffer, got, &written, nullptr) || written != got))) {
            ok = false;
            break;
        }
        if (got < sizeof buffer) break;
    }
    ::CloseHandle(file);
    if (!ok) ::DeleteFileA(path.c_str());
    return ok;
}

}  // namespace

int ExtractHelpPages(const char *chm, const std::string &folder) {
    wchar_t wide[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, chm, -1, wide, MAX_PATH) == 0) return 0;
    IITStorage *reader = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ITStorage, nullptr, CLSCTX_INPROC_SERVER, IID_ITStorage,
                                  reinterpret_cast<void **>(&reader))))
        return 0;
    IStorage *root = nullptr;
    HRESULT opened = reader->StgOpenStorage(wide, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &root);
    reader->Release();
    if (FAILED(opened) || root == nullptr) return 0;
    int pages = 0;
    IEnumSTATSTG *entries = nullptr;
    if (SUCCEEDED(root->EnumElements(0, nullptr, 0, &entries)) && entries != nullptr) {
        STATSTG entry;
        ULONG got = 0;
        while (entries->Next(1, &entry, &got) == S_OK && got == 1) {
            std::string page = entry.type == STGTY_STREAM && entry.pwcsName != nullptr ? PageName(entry.pwcsName) : "";
            IStream *stream = nullptr;
            if (!page.empty() &&
                SUCCEEDED(root->OpenStream(entry.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) {
                if (CopyStream(stream, folder + page)) ++pages;
                stream->Release();
            }
            ::CoTaskMemFree(entry.pwcsName);
        }
        entries->Release();
    }
    root->Release();
    return pages;
}

void ShowHelpInBrowser(HWND caller, const char *chm) {
    char temp[MAX_PATH] = "";
    DWORD length = ::GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(length > 0 && length < sizeof temp ? temp : ".\\") + "Quillon Help\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    if (ExtractHelpPages(chm, folder) == 0) {
        std::string text = std::string("The help file could not be read:\n") + chm;
        ::MessageBoxA(caller, text.c_str(), "Quillon", MB_OK | MB_ICONSTOP);
        return;
    }
    // Opened as an HTML document by class: where the HTML engine is missing,
    // so may be the association of the extension .htm (Wine registers it with
    // its HTML engine), while the class still names the browser.
    std::string index = folder + "index.htm";
    SHELLEXECUTEINFOA open = {};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    open.hwnd = caller;
    open.lpVerb = "open";
    open.lpFile = index.c_str();
    open.lpDirectory = folder.c_str();
    open.lpClass = "htmlfile";
    open.nShow = SW_SHOWNORMAL;
    // The shell library is loaded here, not imported: it would slow every start.
    typedef BOOL(WINAPI * ShellExecuteExFn)(SHELLEXECUTEINFOA *);
    HMODULE shell = ::LoadLibraryA("shell32.dll");
    ShellExecuteExFn execute =
        shell == nullptr ? nullptr
                         : reinterpret_cast<ShellExecuteExFn>(
                               reinterpret_cast<void *>(::GetProcAddress(shell, "ShellExecuteExA")));
    open.fMask |= SEE_MASK_NOCLOSEPROCESS;
    bool started = execute != nullptr && execute(&open) != FALSE;
    if (!started && execute != nullptr) {
        open.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
        started = execute(&open) != FALSE;
    }
    if (started && open.hProcess != nullptr) {
        // A launcher that hands the page on (Wine's) ends at once, with a
        // failure when it found no browser to hand it to; a browser that
        // opens the page itself keeps running. The program's windows are
        // repainted while it is waited for; no input is taken.
        const DWORD start = ::GetTickCount(), wait = 3000;
        DWORD left = wait;
        while (left > 0 && ::MsgWaitForMultipleObjects(1, &open.hProcess, FALSE, left, QS_PAINT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageA(&message);
            const DWORD spent = ::GetTickCount() - start;
            left = spent < wait ? wait - spent : 0;
        }
        DWORD code = 0;
        if (::WaitForSingleObject(open.hProcess, 0) == WAIT_OBJECT_0 && ::GetExitCodeProcess(open.hProcess, &code) &&
            code != 0)
            started = false;
        ::CloseHandle(open.hProcess);
    }
    if (!started) {
        std::string text = "No web browser could be started to show the help pages. They are in\n" + folder;
        ::MessageBoxA(caller, text.c_str(), "Quillon", MB_OK | MB_ICONSTOP);
    }
}
