// The word processor's stand-in (wordstandin.dll): the tests link it and
// register the same file as the in-process server of "Word.Application", so
// COM and the tests share one state, for the life of a StandInServer.
#ifndef QUILLON_TESTS_SUPPORT_WORDSTANDIN_REGISTRATION_H
#define QUILLON_TESTS_SUPPORT_WORDSTANDIN_REGISTRATION_H

#include <windows.h>

#include <string>

extern "C" {
// Registers serverPath (empty: the DLL) under HKEY_CLASSES_ROOT with a fresh
// state (names from "Document1"); removes the registration.
bool StandInRegister(const char *serverPath);
void StandInUnregister();
// Every call so far, one line each: "Object.Member" for gets and methods
// (arguments in parentheses), "Object.Member=value" for puts; a refused call ends in " !failed".
const char *StandInLog();
// Makes the occurrence-th call (from 1, counted from now) whose log line
// starts with call fail with an exception raised by the server.
void StandInFailAt(const char *call, int occurrence);
// The text typed into the named document, subscript runs in "_{...}",
// paragraphs as "\n"; nullptr when there is no such document.
const char *StandInDocumentText(const char *name);
void StandInCloseDocument(const char *name);  // as the user would
IDispatch *StandInNewApplication();           // one reference, for the running-object table
}

class StandInServer {
public:
    // serverPath: another path for a server that cannot start.
    explicit StandInServer(const std::string &serverPath = "") : ok_(StandInRegister(serverPath.c_str())) {}
    ~StandInServer() { StandInUnregister(); }
    StandInServer(const StandInServer &) = delete;

    bool ok() const { return ok_; }
    void FailAt(const char *call, int occurrence) { StandInFailAt(call, occurrence); }
    const char *DocumentText(const char *name) const { return StandInDocumentText(name); }

private:
    const bool ok_;
};

#endif
