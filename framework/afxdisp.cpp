// COleException and COleDispatchDriver: IDispatch::Invoke with
// arguments packed from a VT_ code string.
#include "afxdisp.h"

#include <cstdarg>
#include <new>
#include <vector>

namespace {

// A BSTR of a single-byte text (the ANSI code page); nullptr for nullptr.
BSTR AllocBstr(const char *text) {
    if (text == nullptr) return nullptr;
    int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    BSTR bstr = ::SysAllocStringLen(nullptr, length > 0 ? UINT(length - 1) : 0);
    if (bstr == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    if (length > 1) ::MultiByteToWideChar(CP_ACP, 0, text, -1, bstr, length);
    return bstr;
}

// The single-byte text of a BSTR.
CString BstrText(BSTR bstr) {
    UINT length = bstr != nullptr ? ::SysStringLen(bstr) : 0;
    if (length == 0) return CString();
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, bstr, int(length), nullptr, 0, nullptr, nullptr);
    CString text;
    char *buffer = text.GetBuffer(bytes);
    ::WideCharToMultiByte(CP_ACP, 0, bstr, int(length), buffer, bytes, nullptr, nullptr);
    text.ReleaseBuffer(bytes);
    return text;
}

// Clears the VARIANTs that this module filled (arguments), in any case.
struct VariantList {
    std::vector<VARIANT> items;
    std::vector<bool> owned;
    ~VariantList() {
        for (size_t i = 0; i < items.size(); ++i)
            if (owned[i]) ::VariantClear(&items[i]);
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Exceptions

void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }

// ---------------------------------------------------------------------------
// COleDispatchDriver

// CoCreateInstance of the class (local server or in-process) for IDispatch.
BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, COleException *error) {
    ReleaseDispatch();
    IDispatch *dispatch = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void **>(&dispatch));
    if (FAILED(hr) || dispatch == nullptr) {
        if (error != nullptr) error->m_sc = FAILED(hr) ? hr : E_NOINTERFACE;
        return FALSE;
    }
    AttachDispatch(dispatch, TRUE);
    return TRUE;
}

// The same, with the class named by its ProgID.
BOOL COleDispatchDriver::CreateDispatch(const char *progId, COleException *error) {
    BSTR name = AllocBstr(progId != nullptr ? progId : "");
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(name, &clsid);
    ::SysFreeString(name);
    if (FAILED(hr)) {
        if (error != nullptr) error->m_sc = hr;
        return FALSE;
    }
    return CreateDispatch(clsid, error);
}

void COleDispatchDriver::AttachDispatch(IDispatch *dispatch, BOOL autoRelease) {
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

void COleDispatchDriver::ReleaseDispatch() {
    if (m_lpDispatch != nullptr && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

void COleDispatchDriver::InvokeHelper(DISPID dispId, WORD flags, VARTYPE returnType, void *result,
                                      const char *paramInfo, ...) {
    va_list args;
    va_start(args, paramInfo);
    try {
        InvokeHelperV(dispId, flags, returnType, result, paramInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void COleDispatchDriver::GetProperty(DISPID dispId, VARTYPE type, void *value) {
    InvokeHelper(dispId, DISPATCH_PROPERTYGET, type, value, VTS_NONE);
}

// The value follows type as InvokeHelper's arguments do.
void COleDispatchDriver::SetProperty(DISPID dispId, VARTYPE type, ...) {
    const char info[2] = {static_cast<char>(type), 0};
    va_list args;
    va_start(args, type);
    try {
        InvokeHelperV(dispId, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, info, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

// Packs the arguments (the last one first, as Invoke wants them), calls,
// and converts the result.
void COleDispatchDriver::InvokeHelperV(DISPID dispId, WORD flags, VARTYPE returnType, void *result,
                                       const char *paramInfo, va_list args) {
    if (m_lpDispatch == nullptr) AfxThrowOleException(E_UNEXPECTED);
    VariantList arguments;
    for (const char *p = paramInfo != nullptr ? paramInfo : ""; *p != 0; ++p) {
        VARIANT value;
        ::VariantInit(&value);
        bool owned = false;
        switch (static_cast<VARTYPE>(*p)) {
        case VT_I4: value.vt = VT_I4; value.lVal = va_arg(args, long); break;
        case VT_R4: value.vt = VT_R4; value.fltVal = static_cast<float>(va_arg(args, double)); break;
        case VT_BOOL: value.vt = VT_BOOL; value.boolVal = va_arg(args, BOOL) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_BSTR:
            value.vt = VT_BSTR;
            value.bstrVal = AllocBstr(va_arg(args, const char *));
            owned = true;
            break;
        case VT_VARIANT: value = *va_arg(args, const VARIANT *); break;
        default: AfxThrowOleException(E_INVALIDARG);
        }
        arguments.items.insert(arguments.items.begin(), value);
        arguments.owned.insert(arguments.owned.begin(), owned);
    }

    DISPPARAMS params = {};
    params.cArgs = static_cast<UINT>(arguments.items.size());
    params.rgvarg = arguments.items.empty() ? nullptr : arguments.items.data();
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &putId;
    }

    VARIANT answer;
    ::VariantInit(&answer);
    EXCEPINFO info = {};
    UINT argError = 0;
    HRESULT hr = m_lpDispatch->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      returnType == VT_EMPTY ? nullptr : &answer, &info, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
        SCODE sc = info.scode != 0 ? info.scode : DISP_E_EXCEPTION;
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrDescription);
        ::SysFreeString(info.bstrHelpFile);
        ::VariantClear(&answer);
        AfxThrowOleException(sc);
    }
    if (FAILED(hr)) {
        ::VariantClear(&answer);
        AfxThrowOleException(hr);
    }
    if (returnType == VT_EMPTY || result == nullptr) {
        ::VariantClear(&answer);
        return;
    }
    if (returnType == VT_VARIANT) {
        *static_cast<VARIANT *>(result) = answer;
        return;
    }
    if (answer.vt != returnType) {
        hr = ::VariantChangeType(&answer, &answer, 0, returnType);
        if (FAILED(hr)) {
            ::VariantClear(&answer);
            AfxThrowOleException(hr);
        }
    }
    switch (returnType) {
    case VT_I4: *static_cast<long *>(result) = answer.lVal; break;
    case VT_BSTR: *static_cast<CString *>(result) = BstrText(answer.bstrVal); break;
    case VT_DISPATCH:
        // The caller takes over the reference.
        *static_cast<IDispatch **>(result) = answer.pdispVal;
        answer.vt = VT_EMPTY;
        break;
    default:
        ::VariantClear(&answer);
        AfxThrowOleException(E_INVALIDARG);
    }
    ::VariantClear(&answer);
}
