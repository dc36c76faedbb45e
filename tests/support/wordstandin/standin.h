// The test-only controls of wordstandin.dll, the stand-in for the word
// processor's automation server. The tests link the DLL and register the
// same file as the in-process server of the ProgID "Word.Application", so
// COM and the tests share one state.
#ifndef QUILLON_TESTS_SUPPORT_WORDSTANDIN_STANDIN_H
#define QUILLON_TESTS_SUPPORT_WORDSTANDIN_STANDIN_H

#include <windows.h>

extern "C" {
// Forgets the log, the documents and a planned failure; document names
// start again at "Document1".
void StandInReset();
// Every call so far, one line each: "Object.Member" for gets and methods
// (arguments in parentheses), "Object.Member=value" for puts. A call that
// was refused ends in " !failed".
const char *StandInLog();
// Makes the occurrence-th call (from 1, counted from now) whose log line
// starts with call fail with an exception raised by the server.
void StandInFailAt(const char *call, int occurrence);
// The text typed into the named document, runs typed as subscript in
// "_{...}", paragraphs as "\n"; nullptr when there is no such document.
const char *StandInDocumentText(const char *name);
// Closes the named document as the user would.
void StandInCloseDocument(const char *name);
// A new Application object (one reference), for the running-object table.
IDispatch *StandInNewApplication();
}

#endif
