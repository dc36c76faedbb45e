// wordstandin.dll: the word processor's stand-in, an in-process automation
// server of the members the program calls (Application, Documents, Document,
// Selection, Font) by dispatch id, every argument's kind checked as the real
// type library declares it. Its state is process-wide, as with a
// single-instance server: every Application object sees the same documents.
#include <windows.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "registration.h"

namespace {

struct Document {
    int id;  // its name is "Document<id>"
    std::string text;
};

struct State {
    std::string log;
    std::vector<Document> documents;  // open documents, in creation order
    int activeId = 0, nextId = 1;     // the active document's id (0: none), the next new one's
    bool subscript = false;           // the selection font's Subscript
    std::string failCall;
    int failCountdown = 0;
} g;
const std::string CLSID_KEY = "CLSID\\{6E1F3A52-9C1B-4D2E-8F40-2B7C5D8E9A11}";

Document *FindDocument(int id) {
    for (Document &d : g.documents)
        if (d.id == id) return &d;
    return nullptr;
}

std::string Narrow(BSTR text) { return std::string(text, text + ::SysStringLen(text)); }

// Logs one call; false when it is the planned failure or not possible (no document).
bool Done(const std::string &line, bool possible = true) {
    bool fail = !g.failCall.empty() && line.compare(0, g.failCall.size(), g.failCall) == 0 && --g.failCountdown == 0;
    if (fail) g.failCall.clear();
    g.log += line + (fail ? " !failed\n" : "\n");
    return !fail && possible;
}

bool IsGet(WORD flags, const DISPPARAMS &p, VARIANT *result) {
    return (flags & DISPATCH_PROPERTYGET) && p.cArgs == 0 && result != nullptr;
}
bool IsPut(WORD flags, const DISPPARAMS &p, VARTYPE type) {
    return (flags & DISPATCH_PROPERTYPUT) && p.cArgs == 1 && p.cNamedArgs == 1 &&
           p.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT && p.rgvarg[0].vt == type;
}
bool IsMethod(WORD flags, const DISPPARAMS &p, UINT args) {
    return (flags & DISPATCH_METHOD) && p.cArgs == args && p.cNamedArgs == 0;
}
bool IsOmitted(const VARIANT &v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

const HRESULT REFUSED = DISP_E_EXCEPTION;  // an exception of the server, its scode left 0

enum Kind { APPLICATION, DOCUMENTS, DOCUMENT, SELECTION, FONT };

// One automation object: IDispatch, its members in Call (a Document's for its document id).
class Object final : public IDispatch {
public:
    explicit Object(Kind kind, int document = 0) : kind_(kind), document_(document) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) return *out = nullptr, E_NOINTERFACE;
        return *out = static_cast<IDispatch *>(this), AddRef(), S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override { return *info = nullptr, E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                     EXCEPINFO *, UINT *) override {
        if (result != nullptr) ::VariantInit(result);
        return Call(id, flags, *params, result);
    }

private:
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS &p, VARIANT *result);
    const Kind kind_;
    const int document_;
    ULONG refs_ = 1;
};

HRESULT Returned(VARIANT *result, Object *object) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

HRESULT Object::Call(DISPID id, WORD flags, const DISPPARAMS &p, VARIANT *result) {
    const VARIANT *arg = p.rgvarg;  // read only where the call has an argument
    const bool get = IsGet(flags, p, result);
    Document *active = FindDocument(g.activeId), *own = FindDocument(document_);
    switch (kind_) {
    case APPLICATION:
        if (id == 6 && get) return Done("Application.Documents") ? Returned(result, new Object(DOCUMENTS)) : REFUSED;
        if (id == 5 && get)
            return Done("Application.Selection", active != nullptr) ? Returned(result, new Object(SELECTION)) : REFUSED;
        if (id == 23 && IsPut(flags, p, VT_BOOL))
            return Done(std::string("Application.Visible=") + (arg->boolVal ? "1" : "0")) ? S_OK : REFUSED;
        break;
    case DOCUMENTS:
        if (id == 2 && get) {
            if (!Done("Documents.Count")) return REFUSED;
            return result->vt = VT_I4, result->lVal = long(g.documents.size()), S_OK;
        }
        if (id == 0 && IsMethod(flags, p, 1) && result != nullptr) {
            if (arg->vt != VT_I4) return DISP_E_TYPEMISMATCH;
            const long index = arg->lVal;
            const bool exists = index >= 1 && size_t(index) <= g.documents.size();
            if (!Done("Documents.Item(" + std::to_string(index) + ")", exists)) return REFUSED;
            return Returned(result, new Object(DOCUMENT, g.documents[size_t(index - 1)].id));
        }
        if (id == 11 && IsMethod(flags, p, 2) && result != nullptr) {
            if (!IsOmitted(arg[0]) || !IsOmitted(arg[1])) return DISP_E_TYPEMISMATCH;
            if (!Done("Documents.Add()")) return REFUSED;
            g.documents.push_back({g.nextId, ""});
            g.activeId = g.nextId++;  // a new document becomes the active one
            return Returned(result, new Object(DOCUMENT, g.activeId));
        }
        break;
    case DOCUMENT:
        if (id == 0 && get) {
            if (!Done("Document.Name", own != nullptr)) return REFUSED;
            result->vt = VT_BSTR;
            return result->bstrVal = ::SysAllocString((L"Document" + std::to_wstring(own->id)).c_str()), S_OK;
        }
        if (id == 113 && IsMethod(flags, p, 0))
            return Done("Document.Activate()", own != nullptr) ? (g.activeId = document_, S_OK) : REFUSED;
        break;
    case SELECTION:
        if (id == 5 && get) return Done("Selection.Font") ? Returned(result, new Object(FONT)) : REFUSED;
        if (id == 507 && IsMethod(flags, p, 1)) {
            if (arg->vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
            std::string text = Narrow(arg->bstrVal);
            if (!Done("Selection.TypeText(" + text + ")", active != nullptr)) return REFUSED;
            active->text += g.subscript ? "_{" + text + "}" : text;
            return S_OK;
        }
        if (id == 512 && IsMethod(flags, p, 0))
            return Done("Selection.TypeParagraph()", active != nullptr) ? (active->text += "\n", S_OK) : REFUSED;
        break;
    case FONT:
        if (id == 142 && IsPut(flags, p, VT_BSTR)) return Done("Font.Name=" + Narrow(arg->bstrVal)) ? S_OK : REFUSED;
        if (id == 141 && IsPut(flags, p, VT_R4)) {
            char size[32];
            std::snprintf(size, sizeof size, "%g", double(arg->fltVal));
            return Done(std::string("Font.Size=") + size) ? S_OK : REFUSED;
        }
        if (id == 138 && IsPut(flags, p, VT_I4))
            return Done("Font.Subscript=" + std::to_string(arg->lVal)) ? (g.subscript = arg->lVal != 0, S_OK) : REFUSED;
        break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return *out = nullptr, E_NOINTERFACE;
        return *out = static_cast<IClassFactory *>(this), S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        g.log += "new Application\n";
        Object *app = new Object(APPLICATION);
        HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} g_factory;

}  // namespace

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void **out) { return g_factory.QueryInterface(iid, out); }
HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }  // stays loaded: the tests hold its state
bool StandInRegister(const char *serverPath) {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(::GetModuleHandleA("wordstandin.dll"), path, sizeof path);
    auto set = [](const std::string &key, const std::string &value, const char *name) {
        return ::SHSetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(), DWORD(value.size() + 1)) ==
               ERROR_SUCCESS;
    };
    g = State();
    return length != 0 && set("Word.Application\\CLSID", CLSID_KEY.substr(6), nullptr) &&
           set(CLSID_KEY + "\\InprocServer32", *serverPath ? serverPath : std::string(path, length), nullptr) &&
           set(CLSID_KEY + "\\InprocServer32", "Apartment", "ThreadingModel");
}
void StandInUnregister() {
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, "Word.Application");
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, CLSID_KEY.c_str());
}
const char *StandInLog() { return g.log.c_str(); }
void StandInFailAt(const char *call, int occurrence) {
    g.failCall = call;
    g.failCountdown = occurrence;
}
const char *StandInDocumentText(const char *name) {
    for (const Document &d : g.documents)
        if ("Document" + std::to_string(d.id) == name) return d.text.c_str();
    return nullptr;
}
// The active document closed, the last one left becomes the active one.
void StandInCloseDocument(const char *name) {
    for (size_t i = 0; i < g.documents.size(); ++i)
        if ("Document" + std::to_string(g.documents[i].id) == name) {
            g.documents.erase(g.documents.begin() + long(i));
            if (FindDocument(g.activeId) == nullptr) g.activeId = g.documents.empty() ? 0 : g.documents.back().id;
            return;
        }
}
IDispatch *StandInNewApplication() { return new Object(APPLICATION); }

}  // extern "C"
