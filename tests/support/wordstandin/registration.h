// Registers wordstandin.dll (beside the test program, which links it) as
// the in-process server of the ProgID "Word.Application" in the test's Wine
// prefix, and gives the tests its controls. The registration is removed
// again by the destructor, so that other tests see a machine without the
// word processor.
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

    const char *Log() const { return StandInLog(); }
    void FailAt(const char *call, int occurrence) { StandInFailAt(call, occurrence); }
    const char *DocumentText(const char *name) const { return StandInDocumentText(name); }
    void CloseDocument(const char *name) { StandInCloseDocument(name); }
    IDispatch *NewApplication() { return StandInNewApplication(); }

private:
    bool ok_ = false;
};

#endif
