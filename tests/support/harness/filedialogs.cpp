// Answering the system's Open and Save As dialogs as a person does: a
// thread of the test waits for the dialog to appear among the windows of
// the thread that runs it, types the file name into its name field and
// presses its Open or Save button (or Cancel).
#include "qwintest.h"

#include <cstring>

namespace qwintest {
namespace {

const int kNameCombo = 0x47C;  // cmb13: the name field of the explorer-style dialogs
const int kNameEdit = 0x480;   // edt1: the name field of the older ones
const int kTypeCombo = 0x470;  // cmb1: the file type (filter) list

struct Search {
    HWND found = nullptr;
};

BOOL CALLBACK FindFileDialog(HWND hWnd, LPARAM lParam) {
    char name[16] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(hWnd) &&
        (::GetDlgItem(hWnd, kNameCombo) != nullptr || ::GetDlgItem(hWnd, kNameEdit) != nullptr)) {
        reinterpret_cast<Search *>(lParam)->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::string TextOfItem(HWND dialog, int id) {
    char text[512] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace

FileDialogDriver::FileDialogDriver(const std::string &fileName, bool cancel)
    : fileName_(fileName), cancel_(cancel), thread_(::GetCurrentThreadId()) {
    worker_ = ::CreateThread(nullptr, 0, &FileDialogDriver::Run, this, 0, nullptr);
}

FileDialogDriver::~FileDialogDriver() {
    if (worker_ == nullptr) return;
    stop_ = true;
    // The dialog may still be waiting for the worker: keep this thread's messages flowing.
    while (::MsgWaitForMultipleObjects(1, &worker_, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) PumpMessages();
    ::CloseHandle(worker_);
}

DWORD WINAPI FileDialogDriver::Run(void *self) {
    FileDialogDriver *driver = static_cast<FileDialogDriver *>(self);
    for (int tries = 0; tries < 400 && !driver->stop_; ++tries) {  // up to 20 s
        Search search;
        ::EnumThreadWindows(driver->thread_, FindFileDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            ::Sleep(50);
            continue;
        }
        HWND dialog = search.found;
        char title[256] = "";
        ::GetWindowTextA(dialog, title, sizeof title);
        driver->title = title;
        driver->fileType = TextOfItem(dialog, kTypeCombo);
        driver->initialName = TextOfItem(dialog, ::GetDlgItem(dialog, kNameCombo) ? kNameCombo : kNameEdit);
        if (driver->cancel_) {
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, IDCANCEL));
        } else {
            int id = ::GetDlgItem(dialog, kNameCombo) ? kNameCombo : kNameEdit;
            ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)driver->fileName_.c_str());
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, IDOK));
        }
        driver->answered = true;
        return 0;
    }
    return 0;
}

}  // namespace qwintest
