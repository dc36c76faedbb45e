// Answering the system's Open and Save As dialogs as a person does: a
// thread of the test waits for the dialog to appear among the windows of
// the thread that runs it, types the file name into its name field and
// presses its Open or Save button.
#include "qwintest.h"

namespace qwintest {
namespace {

BOOL CALLBACK FindFileDialog(HWND hWnd, LPARAM lParam) {
    if (ClassOf(hWnd) != "#32770" || !::IsWindowVisible(hWnd) || FileNameField(hWnd) == nullptr) return TRUE;
    *reinterpret_cast<HWND *>(lParam) = hWnd;
    return FALSE;
}

}  // namespace

HWND FileNameField(HWND dialog) {
    HWND name = ::GetDlgItem(dialog, 0x47C);  // cmb13 of the explorer-style dialogs
    return name != nullptr ? name : ::GetDlgItem(dialog, 0x480);  // edt1 of the older ones
}

FileDialogDriver::FileDialogDriver(const std::string &fileName)
    : fileName_(fileName), thread_(::GetCurrentThreadId()) {
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
    for (int tries = 0; tries < 400 && !driver->stop_; ++tries, ::Sleep(50)) {  // up to 20 s
        HWND dialog = nullptr;
        ::EnumThreadWindows(driver->thread_, FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr) continue;
        ::SendMessageA(FileNameField(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(driver->fileName_.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        return 0;
    }
    return 0;
}

}  // namespace qwintest
