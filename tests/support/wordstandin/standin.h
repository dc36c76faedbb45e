// The test-only controls of wordstandin.dll, the stand-in for the word
// processor's automation server. The tests load the DLL themselves, find
// these exports, and register the same file as the in-process server of
// the ProgID "Word.Application", so COM and the tests share one state.
#ifndef QUILLON_TESTS_SUPPORT_WORDSTANDIN_STANDIN_H
#define QUILLON_TESTS_SUPPORT_WORDSTANDIN_STANDIN_H

extern "C" {
// Forgets the log, the documents and a planned failure; document names
// start again at "Document1".
typedef void (*StandInResetFn)();
// Every call so far, one line each: "Object.Member" for gets and methods
// (arguments in parentheses), "Object.Member=value" for puts. A call that
// was refused ends in " !failed".
typedef const char *(*StandInLogFn)();
// Makes the occurrence-th call (from 1, counted from now) whose log line
// starts with call fail with an exception raised by the server.
typedef void (*StandInFailAtFn)(const char *call, int occurrence);
// The text typed into the named document, runs typed as subscript in
// "_{...}", paragraphs as "\n"; nullptr when there is no such document.
typedef const char *(*StandInDocumentTextFn)(const char *name);
// Closes the named document as the user would.
typedef void (*StandInCloseDocumentFn)(const char *name);
// A new Application object (one reference), for the running-object table.
typedef IDispatch *(*StandInNewApplicationFn)();
}

#endif
