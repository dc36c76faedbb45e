// The weighing sheet typed into the word processor through its automation
// server ("Word.Application").
#ifndef QUILLON_APP_WORDOUT_H
#define QUILLON_APP_WORDOUT_H

#include "framework/afxwin.h"
#include "core/sheet.h"
#include "wordwrap.h"

enum WordOutputResult {
    WORD_OUTPUT_TYPED = 0,        // the sheet is in the document and the server is visible
    WORD_OUTPUT_FAILED = 1,       // a call failed half-way; the user has been told
    WORD_OUTPUT_UNREACHABLE = 2,  // no server running or startable; nothing was shown
};

// Types text as a formula: maximal runs of letters and parentheses with
// Subscript 0, every other run (the counts) with Subscript 1, then
// Subscript 0. An empty text only resets Subscript.
void TypeFormula(CWordSelection &selection, CWordFont &font, const char *text);

// Connects to a running server of wordClsid, else starts one
// ("Word.Application"); types the sheet into the document named
// documentName (a new document when none of that name is open, whose name
// is then stored in documentName), in Times New Roman 13 point, and makes
// the server visible. A failure after connecting shows "Output to MS Word
// failed!" (caption "Quillon I/O Error", stop icon) owned by owner; what was
// typed stays. Shows the wait cursor while it works.
WordOutputResult TypeSheetInWord(const CLSID &wordClsid, const WeighingSheet &sheet, CString &documentName,
                                 CWnd *owner);

#endif
