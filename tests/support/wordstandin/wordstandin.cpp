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
    std::string name;
    std::string text;
};

struct State {
    std::string log;
    std::vector<Document> documents;  // open documents, in creation order
    int activeId = 0;                 // the active document's id, 0 for none
    int nextNumber = 1;               // for "DocumentN"
    int subscript = 0;                // the selection font's Subscript
    std::string failCall;
    int failCountdown = 0;
    std::string scratch;              // returned texts
};

State g;

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
    bool fail = false;
    if (!g.failCall.empty() && line.compare(0, g.failCall.size(), g.failCall) == 0 && --g.failCountdown == 0) {
        fail = true;
        g.failCall.clear();
    }
    g.log += line + (fail ? " !failed\n" : "\n");
    return fail;
}

HRESULT Raise(EXCEPINFO *info, const char *description) {
    if (info != nullptr) {
        *info = EXCEPINFO();
        info->wCode = 1001;
        info->bstrSource = ::SysAllocString(L"Stand-in");
        std::wstring wide(description, description + std::string(description).size());
        info->bstrDescription = ::SysAllocString(wide.c_str());
    }
    return DISP_E_EXCEPTION;
}

bool IsGet(WORD flags, DISPPARAMS *params, VARIANT *result) {
    return (flags & DISPATCH_PROPERTYGET) && params->cArgs == 0 && result != nullptr;
}
bool IsPut(WORD flags, DISPPARAMS *params, VARTYPE type) {
    return (flags & DISPATCH_PROPERTYPUT) && params->cArgs == 1 && params->cNamedArgs == 1 &&
           params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT && params->rgvarg[0].vt == type;
}
bool IsMethod(WORD flags, DISPPARAMS *params, UINT args) {
    return (flags & DISPATCH_METHOD) && params->cArgs == args && params->cNamedArgs == 0;
}

// One automation object: IDispatch with Invoke handed to Call.
class Object : public IDispatch {
public:
    virtual ~Object() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
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
        HRESULT hr = Call(id, flags, params, result, info);
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_TYPEMISMATCH) {
            char line[80];
            std::snprintf(line, sizeof line, "%s: bad call of dispatch id %ld flags %u", Name(), long(id), flags);
            g.log += std::string(line) + "\n";
        }
        return hr;
    }

protected:
    virtual const char *Name() const = 0;
    virtual HRESULT Call(DISPID id, WORD flags, DISPPARAMS *params, VARIANT *result, EXCEPINFO *info) = 0;

    static HRESULT ReturnObject(VARIANT *result, Object *object) {
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

class Font : public Object {
    const char *Name() const override { return "Font"; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS *p, VARIANT *, EXCEPINFO *info) override {
        char line[300];
        if (id == 142 && IsPut(flags, p, VT_BSTR)) {
            std::snprintf(line, sizeof line, "Font.Name=%s", Narrow(p->rgvarg[0].bstrVal).c_str());
        } else if (id == 141 && IsPut(flags, p, VT_R4)) {
            std::snprintf(line, sizeof line, "Font.Size=%g", double(p->rgvarg[0].fltVal));
        } else if (id == 138 && IsPut(flags, p, VT_I4)) {
            std::snprintf(line, sizeof line, "Font.Subscript=%ld", long(p->rgvarg[0].lVal));
            if (!Log(line)) return g.subscript = p->rgvarg[0].lVal != 0, S_OK;
            return Raise(info, "Font.Subscript failed");
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        return Log(line) ? Raise(info, "Font failed") : S_OK;
    }
};

class Selection : public Object {
    const char *Name() const override { return "Selection"; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *info) override {
        if (id == 5 && IsGet(flags, p, result)) {
            if (Log("Selection.Font")) return Raise(info, "Selection.Font failed");
            return ReturnObject(result, new Font);
        }
        Document *active = FindDocument(g.activeId);
        if (id == 507 && IsMethod(flags, p, 1)) {
            if (p->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
            std::string text = Narrow(p->rgvarg[0].bstrVal), shown;
            for (char c : text) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
            if (Log("Selection.TypeText(" + shown + ")")) return Raise(info, "TypeText failed");
            if (active == nullptr) return Raise(info, "no document");
            active->text += g.subscript ? "_{" + text + "}" : text;
            return S_OK;
        }
        if (id == 512 && IsMethod(flags, p, 0)) {
            if (Log("Selection.TypeParagraph()")) return Raise(info, "TypeParagraph failed");
            if (active == nullptr) return Raise(info, "no document");
            active->text += "\n";
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

class DocumentObject : public Object {
public:
    explicit DocumentObject(int id) : id_(id) {}

private:
    const char *Name() const override { return "Document"; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *info) override {
        Document *document = FindDocument(id_);
        if (id == 0 && IsGet(flags, p, result)) {
            if (Log("Document.Name")) return Raise(info, "Document.Name failed");
            if (document == nullptr) return Raise(info, "the document is closed");
            std::wstring wide(document->name.begin(), document->name.end());
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(wide.c_str());
            return S_OK;
        }
        if (id == 113 && IsMethod(flags, p, 0)) {
            if (Log("Document.Activate()")) return Raise(info, "Activate failed");
            if (document == nullptr) return Raise(info, "the document is closed");
            g.activeId = id_;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    int id_;
};

bool IsOmitted(const VARIANT &v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

class Documents : public Object {
    const char *Name() const override { return "Documents"; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *info) override {
        if (id == 2 && IsGet(flags, p, result)) {
            if (Log("Documents.Count")) return Raise(info, "Documents.Count failed");
            result->vt = VT_I4;
            result->lVal = long(g.documents.size());
            return S_OK;
        }
        if (id == 0 && IsMethod(flags, p, 1) && result != nullptr) {
            if (p->rgvarg[0].vt != VT_I4) return DISP_E_TYPEMISMATCH;
            long index = p->rgvarg[0].lVal;
            if (Log("Documents.Item(" + std::to_string(index) + ")")) return Raise(info, "Item failed");
            if (index < 1 || size_t(index) > g.documents.size()) return Raise(info, "no such document");
            return ReturnObject(result, new DocumentObject(g.documents[size_t(index - 1)].id));
        }
        if (id == 11 && IsMethod(flags, p, 2) && result != nullptr) {
            if (!IsOmitted(p->rgvarg[0]) || !IsOmitted(p->rgvarg[1])) return DISP_E_TYPEMISMATCH;
            if (Log("Documents.Add()")) return Raise(info, "Add failed");
            Document document{g.nextNumber, "Document" + std::to_string(g.nextNumber), ""};
            ++g.nextNumber;
            g.documents.push_back(document);
            g.activeId = document.id;  // a new document becomes the active one
            return ReturnObject(result, new DocumentObject(document.id));
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

class Application : public Object {
    const char *Name() const override { return "Application"; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *info) override {
        if (id == 6 && IsGet(flags, p, result)) {
            if (Log("Application.Documents")) return Raise(info, "Documents failed");
            return ReturnObject(result, new Documents);
        }
        if (id == 5 && IsGet(flags, p, result)) {
            if (Log("Application.Selection")) return Raise(info, "Selection failed");
            if (FindDocument(g.activeId) == nullptr) return Raise(info, "no document");
            return ReturnObject(result, new Selection);
        }
        if (id == 23 && IsPut(flags, p, VT_BOOL)) {
            return Log(std::string("Application.Visible=") + (p->rgvarg[0].boolVal ? "1" : "0"))
                       ? Raise(info, "Visible failed")
                       : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        g.log += "new Application\n";
        Application *app = new Application;
        HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" {

// Any class id: the tests register this file under a class id of their choosing.
HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void **out) { return g_factory.QueryInterface(iid, out); }

// Stays loaded: the tests hold the state it keeps.
HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

__declspec(dllexport) void StandInReset() { g = State(); }

__declspec(dllexport) const char *StandInLog() { return g.log.c_str(); }

__declspec(dllexport) void StandInFailAt(const char *call, int occurrence) {
    g.failCall = call;
    g.failCountdown = occurrence;
}

__declspec(dllexport) const char *StandInDocumentText(const char *name) {
    for (const Document &d : g.documents)
        if (d.name == name) return (g.scratch = d.text).c_str();
    return nullptr;
}

__declspec(dllexport) void StandInCloseDocument(const char *name) {
    for (size_t i = 0; i < g.documents.size(); ++i) {
        if (g.documents[i].name != name) continue;
        if (g.activeId == g.documents[i].id) g.activeId = 0;
        g.documents.erase(g.documents.begin() + long(i));
        if (g.activeId == 0 && !g.documents.empty()) g.activeId = g.documents.back().id;
        return;
    }
}

__declspec(dllexport) IDispatch *StandInNewApplication() { return new Application; }

}  // extern "C"
