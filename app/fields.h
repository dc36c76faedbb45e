// The checks of the main dialog's entry fields when the user leaves them:
// CProductField on the product formula (a VEXIL control), CNumberField on
// the product ratio and the product amount. A field that fails keeps the
// user's text, gets the focus back with its text selected, and says why.
// The fields know the dialog they sit in only through FieldOwner.
#ifndef QUILLON_APP_FIELDS_H
#define QUILLON_APP_FIELDS_H

#include "framework/afxwin.h"

// The whole text of a window (an edit field), however long.
CString WholeText(HWND window);

// Reads a number from a window's whole text: blanks around it are allowed
// and blank text reads as 0; anything else that is not exactly one number
// fails. 0 and *value set, or 1 (2 for a number written with a decimal
// comma, "1,5").
int ReadNumberField(CWnd *window, double *value);

// The same, but a text whose first character is '?' reads as fallback.
int ReadNumberFieldOr(CWnd *window, double fallback, double *value);

// Gives the focus to a dialog's field with its whole text selected, so that
// the user retypes a refused value at once.
void FocusField(CWnd *dialog, int id);

// What the fields ask of the window they sit in.
class FieldOwner {
public:
    // True while the program closes: leaving a field then checks nothing.
    virtual bool Closing() const = 0;
    // Why a product formula cannot be used (the text of the message box),
    // or an empty text when it can.
    virtual CString ProductProblem(const char *formula) const = 0;

protected:
    ~FieldOwner() {}
};

class CProductField : public CWnd {
public:
    explicit CProductField(const FieldOwner &owner) : owner(owner) {}

protected:
    void OnKillFocus(CWnd *newFocus);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnSetFocus(CWnd *oldFocus);
    DECLARE_MESSAGE_MAP()

private:
    const FieldOwner &owner;
    int busy = 0;  // a leave check is running (its message box runs a nested loop)
};

class CNumberField : public CWnd {
public:
    CNumberField(const FieldOwner &owner, const char *message) : owner(owner), message(message) {}

protected:
    void OnKillFocus(CWnd *newFocus);
    void OnLButtonDown(UINT flags, CPoint point);
    UINT OnGetDlgCode() { return (UINT)Default(); }
    DECLARE_MESSAGE_MAP()

private:
    const FieldOwner &owner;
    CString message;  // shown when the text is not a number
    int busy = 0;
};

#endif
