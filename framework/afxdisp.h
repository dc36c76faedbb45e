// Exceptions and the client side of OLE automation: CException with
// COleException, and COleDispatchDriver, the base of the dispatch wrappers through which the
// program calls an automation server.
//
// This is the one part of the framework that throws. As in the classic
// framework, exceptions are thrown as pointers to heap objects (throw new
// COleException) and the catcher calls Delete(). They never leave the
// module that throws them: the code that calls a driver catches them
// before returning to any window procedure.
#ifndef QUILLON_FRAMEWORK_AFXDISP_H
#define QUILLON_FRAMEWORK_AFXDISP_H

#include <windows.h>
#include <oleauto.h>

#include "afxstr.h"

class CException {
public:
    CException() {}
    virtual ~CException() {}
    // Frees an exception that was thrown with new.
    void Delete() { delete this; }

private:
    CException(const CException &) = delete;
    CException &operator=(const CException &) = delete;
};

// A failed OLE call, an exception the server raised during IDispatch::Invoke
// (its scode), or a string that could not be allocated (E_OUTOFMEMORY).
class COleException : public CException {
public:
    explicit COleException(SCODE sc = S_OK) : m_sc(sc) {}
    SCODE m_sc;
};

[[noreturn]] void AfxThrowOleException(SCODE sc);

// Argument and result kinds of InvokeHelper: a string of VT_ codes, one
// byte each (VTS_ macros below), as the classic wrappers write them.
#define VTS_BSTR "\x08"      // passed as const char *
#define VTS_VARIANT "\x0C"   // passed as const VARIANT *
#define VTS_NONE ""

// Holds one IDispatch and calls it. Wrappers derive from it and add one
// member per operation, each a call of InvokeHelper, GetProperty or
// SetProperty with the operation's dispatch id.
class COleDispatchDriver {
public:
    COleDispatchDriver() : m_lpDispatch(nullptr), m_bAutoRelease(TRUE) {}
    explicit COleDispatchDriver(IDispatch *dispatch, BOOL autoRelease = TRUE)
        : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease) {}
    virtual ~COleDispatchDriver() { ReleaseDispatch(); }

    // Starts a new instance of the class and keeps its IDispatch. FALSE
    // when it cannot be created (*error, when given, gets the status).
    BOOL CreateDispatch(REFCLSID clsid, COleException *error = nullptr);
    BOOL CreateDispatch(const char *progId, COleException *error = nullptr);
    // Keeps dispatch (released in ReleaseDispatch when autoRelease).
    void AttachDispatch(IDispatch *dispatch, BOOL autoRelease = TRUE);
    void ReleaseDispatch();

    // Calls member dispId with flags (DISPATCH_METHOD, DISPATCH_PROPERTYGET,
    // DISPATCH_PROPERTYPUT); the arguments follow paramInfo, in order.
    // Arguments: VT_I4 a long, VT_R4 a double (sent as a float), VT_BOOL a
    // BOOL and the VTS_ kinds below. The result, unless returnType is
    // VT_EMPTY, goes to *result: VT_I4 a long, VT_BSTR a CString,
    // VT_DISPATCH an IDispatch * the caller owns, VT_VARIANT a VARIANT the
    // caller clears. Throws COleException for every failure (also when no
    // IDispatch is held, and for a kind not listed here).
    void InvokeHelper(DISPID dispId, WORD flags, VARTYPE returnType, void *result, const char *paramInfo, ...);
    void GetProperty(DISPID dispId, VARTYPE type, void *value);
    void SetProperty(DISPID dispId, VARTYPE type, ...);

    IDispatch *m_lpDispatch;
    BOOL m_bAutoRelease;

private:
    void InvokeHelperV(DISPID dispId, WORD flags, VARTYPE returnType, void *result, const char *paramInfo,
                       va_list args);
    COleDispatchDriver(const COleDispatchDriver &) = delete;
    COleDispatchDriver &operator=(const COleDispatchDriver &) = delete;
};

#endif
