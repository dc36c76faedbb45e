// wordstandin.dll: an in-process automation server that stands in for the
// word processor in the tests. It implements, by dispatch id, the members
// the program calls (Application, Documents, Document, Selection, Font),
// checks the kind of every argument as the real server's type library
// declares it, keeps documents with the text typed into them, and logs
// every call. All state is process-wide, as with a single-instance server:
// every Application object sees the same documents.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "standin.h"

namespace {

struct Document {
    int id;
    std::string name, text;
};

struct State {
    std::string log;
    std::vector<Document> documents;  // open documents, in creation order
    int activeId = 0;                 // the active document's id, 0 for none
    int nextNumber = 1;               // for "DocumentN"
    bool subscript = false;           // the selection font's Subscript
    std::string failCall;
    int failCountdown = 0;
    std::string scratch;  // returned texts
} g;

Document *FindDocument(int id) {
    for (Document &d : g.documents)
        if (d.id == id) return &d;
    return nullptr;
}

std::string Narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text != nullptr && i < ::SysStringLen(text); ++i) out += char(text[i]);
    return out;
}

// Logs one call; true when it is the planned failure.
bool Log(const std::string &line) {
    bool fail = !g.failCall.empty() && line.compare(0, g.failCall.size(), g.failCall) == 0 && --g.failCountdown == 0;
    if (fail) g.failCall.clear();
    g.log += line + (fail ? " !failed\n" : "\n");
    return fail;
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

// A call refused (planned, or without the document it needs): an exception of the server.
const HRESULT REFUSED = DISP_E_EXCEPTION;

enum Kind { APPLICATION, DOCUMENTS, DOCUMENT, SELECTION, FONT };
const char *const KIND_NAMES[] = {"Application", "Documents", "Document", "Selection", "Font"};

// One automation object: IDispatch, its members in Call (a Document's for its document id).
class Object final : public IDispatch {
public:
    explicit Object(Kind kind, int document = 0) : kind_(kind), document_(document) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch *>(this) : nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
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
                                     EXCEPINFO *info, UINT *) override {
        if (result != nullptr) ::VariantInit(result);
        HRESULT hr = Call(id, flags, *params, result);
        if (hr == REFUSED && info != nullptr) {
            *info = EXCEPINFO();
            info->wCode = 1001;
            info->bstrSource = ::SysAllocString(L"Stand-in");
            info->bstrDescription = ::SysAllocString(L"The stand-in refused the call.");
        }
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_TYPEMISMATCH)
            g.log += std::string(KIND_NAMES[kind_]) + ": bad call of dispatch id " + std::to_string(id) + " flags " +
                     std::to_string(flags) + "\n";
        return hr;
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
        if (id == 6 && get) return Log("Application.Documents") ? REFUSED : Returned(result, new Object(DOCUMENTS));
        if (id == 5 && get)
            return Log("Application.Selection") || active == nullptr ? REFUSED : Returned(result, new Object(SELECTION));
        if (id == 23 && IsPut(flags, p, VT_BOOL))
            return Log(std::string("Application.Visible=") + (arg->boolVal ? "1" : "0")) ? REFUSED : S_OK;
        break;
    case DOCUMENTS:
        if (id == 2 && get) {
            if (Log("Documents.Count")) return REFUSED;
            result->vt = VT_I4;
            result->lVal = long(g.documents.size());
            return S_OK;
        }
        if (id == 0 && IsMethod(flags, p, 1) && result != nullptr) {
            if (arg->vt != VT_I4) return DISP_E_TYPEMISMATCH;
            long index = arg->lVal;
            if (Log("Documents.Item(" + std::to_string(index) + ")") || index < 1 || size_t(index) > g.documents.size())
                return REFUSED;
            return Returned(result, new Object(DOCUMENT, g.documents[size_t(index - 1)].id));
        }
        if (id == 11 && IsMethod(flags, p, 2) && result != nullptr) {
            if (!IsOmitted(arg[0]) || !IsOmitted(arg[1])) return DISP_E_TYPEMISMATCH;
            if (Log("Documents.Add()")) return REFUSED;
            g.documents.push_back({g.nextNumber, "Document" + std::to_string(g.nextNumber), ""});
            g.activeId = g.nextNumber++;  // a new document becomes the active one
            return Returned(result, new Object(DOCUMENT, g.activeId));
        }
        break;
    case DOCUMENT:
        if (id == 0 && get) {
            if (Log("Document.Name") || own == nullptr) return REFUSED;
            std::wstring wide(own->name.begin(), own->name.end());
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(wide.c_str());
            return S_OK;
        }
        if (id == 113 && IsMethod(flags, p, 0)) {
            if (Log("Document.Activate()") || own == nullptr) return REFUSED;
            g.activeId = document_;
            return S_OK;
        }
        break;
    case SELECTION:
        if (id == 5 && get) return Log("Selection.Font") ? REFUSED : Returned(result, new Object(FONT));
        if (id == 507 && IsMethod(flags, p, 1)) {
            if (arg->vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
            std::string text = Narrow(arg->bstrVal), shown;
            for (char c : text) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
            if (Log("Selection.TypeText(" + shown + ")") || active == nullptr) return REFUSED;
            active->text += g.subscript ? "_{" + text + "}" : text;
            return S_OK;
        }
        if (id == 512 && IsMethod(flags, p, 0)) {
            if (Log("Selection.TypeParagraph()") || active == nullptr) return REFUSED;
            active->text += "\n";
            return S_OK;
        }
        break;
    case FONT:
        if (id == 142 && IsPut(flags, p, VT_BSTR)) return Log("Font.Name=" + Narrow(arg->bstrVal)) ? REFUSED : S_OK;
        if (id == 141 && IsPut(flags, p, VT_R4)) {
            char size[32];
            std::snprintf(size, sizeof size, "%g", double(arg->fltVal));
            return Log(std::string("Font.Size=") + size) ? REFUSED : S_OK;
        }
        if (id == 138 && IsPut(flags, p, VT_I4)) {
            if (Log("Font.Subscript=" + std::to_string(arg->lVal))) return REFUSED;
            g.subscript = arg->lVal != 0;
            return S_OK;
        }
        break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory *>(this) : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
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

// Any class id: the tests register this file under a class id of their choosing.
HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void **out) { return g_factory.QueryInterface(iid, out); }

// Stays loaded: the tests hold the state it keeps.
HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

void StandInReset() { g = State(); }

const char *StandInLog() { return g.log.c_str(); }

void StandInFailAt(const char *call, int occurrence) {
    g.failCall = call;
    g.failCountdown = occurrence;
}

const char *StandInDocumentText(const char *name) {
    for (const Document &d : g.documents)
        if (d.name == name) return (g.scratch = d.text).c_str();
    return nullptr;
}

void StandInCloseDocument(const char *name) {
    for (size_t i = 0; i < g.documents.size(); ++i) {
        if (g.documents[i].name != name) continue;
        if (g.activeId == g.documents[i].id) g.activeId = 0;
        g.documents.erase(g.documents.begin() + long(i));
        if (g.activeId == 0 && !g.documents.empty()) g.activeId = g.documents.back().id;
        return;
    }
}

IDispatch *StandInNewApplication() { return new Object(APPLICATION); }

}  // extern "C"
