// Registers wordstandin.dll (beside the test program) as the in-process
// server of the ProgID "Word.Application" in the test's Wine prefix, and
// gives the tests its controls. The registration is removed again by the
// destructor, so that other tests see a machine without the word processor.
#ifndef QUILLON_TESTS_SUPPORT_WORDSTANDIN_REGISTRATION_H
#define QUILLON_TESTS_SUPPORT_WORDSTANDIN_REGISTRATION_H

#include <windows.h>

#include <string>

#include "standin.h"

class StandInServer {
public:
    // serverPath: what InprocServer32 names; empty for the real stand-in,
    // another path for a server that cannot start.
    explicit StandInServer(const std::string &serverPath = "");
    ~StandInServer();
    StandInServer(const StandInServer &) = delete;

    bool ok() const { return ok_; }
    CLSID clsid() const;  // as CLSIDFromProgID finds it

    StandInResetFn Reset = nullptr;
    StandInLogFn Log = nullptr;
    StandInFailAtFn FailAt = nullptr;
    StandInDocumentTextFn DocumentText = nullptr;
    StandInCloseDocumentFn CloseDocument = nullptr;
    StandInNewApplicationFn NewApplication = nullptr;

private:
    bool ok_ = false;
    HMODULE module_ = nullptr;
};

#endif
