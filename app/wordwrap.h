// Dispatch wrappers of the word processor's automation objects: one member
// per operation the program uses, called by its published dispatch id.
// Every member throws COleException (new, as the framework does) on failure.
#ifndef QUILLON_APP_WORDWRAP_H
#define QUILLON_APP_WORDWRAP_H

#include "framework/afxdisp.h"

// The dispatch ids of the object model.
enum WordDispId : DISPID {
    WORD_APPLICATION_DOCUMENTS = 6,
    WORD_APPLICATION_SELECTION = 5,
    WORD_APPLICATION_VISIBLE = 23,
    WORD_DOCUMENTS_COUNT = 2,
    WORD_DOCUMENTS_ITEM = 0,
    WORD_DOCUMENTS_ADD = 11,
    WORD_DOCUMENT_NAME = 0,
    WORD_DOCUMENT_ACTIVATE = 113,
    WORD_SELECTION_FONT = 5,
    WORD_SELECTION_TYPETEXT = 507,
    WORD_SELECTION_TYPEPARAGRAPH = 512,
    WORD_FONT_NAME = 142,
    WORD_FONT_SIZE = 141,
    WORD_FONT_SUBSCRIPT = 138,
};

// A dispatch-valued result handed to a wrapper that takes it over.
inline IDispatch *WordGetObject(COleDispatchDriver &driver, DISPID id) {
    IDispatch *object = nullptr;
    driver.InvokeHelper(id, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, VTS_NONE);
    return object;
}

class CWordFont : public COleDispatchDriver {
public:
    void SetName(const char *name) { SetProperty(WORD_FONT_NAME, VT_BSTR, name); }
    void SetSize(float size) { SetProperty(WORD_FONT_SIZE, VT_R4, double(size)); }
    void SetSubscript(long on) { SetProperty(WORD_FONT_SUBSCRIPT, VT_I4, on); }
};

class CWordSelection : public COleDispatchDriver {
public:
    IDispatch *GetFont() { return WordGetObject(*this, WORD_SELECTION_FONT); }
    void TypeText(const char *text) {
        InvokeHelper(WORD_SELECTION_TYPETEXT, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_BSTR, text);
    }
    void TypeParagraph() { InvokeHelper(WORD_SELECTION_TYPEPARAGRAPH, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE); }
};

class CWordDocument : public COleDispatchDriver {
public:
    CString GetName() {
        CString name;
        GetProperty(WORD_DOCUMENT_NAME, VT_BSTR, &name);
        return name;
    }
    void Activate() { InvokeHelper(WORD_DOCUMENT_ACTIVATE, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE); }
};

class CWordDocuments : public COleDispatchDriver {
public:
    long GetCount() {
        long count = 0;
        GetProperty(WORD_DOCUMENTS_COUNT, VT_I4, &count);
        return count;
    }
    // The document at index, from 1.
    IDispatch *Item(long index) {
        VARIANT which;
        ::VariantInit(&which);
        which.vt = VT_I4;
        which.lVal = index;
        IDispatch *document = nullptr;
        InvokeHelper(WORD_DOCUMENTS_ITEM, DISPATCH_METHOD, VT_DISPATCH, &document, VTS_VARIANT, &which);
        return document;
    }
    // A new document from the default template: both arguments omitted.
    IDispatch *Add() {
        VARIANT omitted;
        ::VariantInit(&omitted);
        omitted.vt = VT_ERROR;
        omitted.scode = DISP_E_PARAMNOTFOUND;
        IDispatch *document = nullptr;
        InvokeHelper(WORD_DOCUMENTS_ADD, DISPATCH_METHOD, VT_DISPATCH, &document, VTS_VARIANT VTS_VARIANT, &omitted,
                     &omitted);
        return document;
    }
};

class CWordApplication : public COleDispatchDriver {
public:
    IDispatch *GetDocuments() { return WordGetObject(*this, WORD_APPLICATION_DOCUMENTS); }
    IDispatch *GetSelection() { return WordGetObject(*this, WORD_APPLICATION_SELECTION); }
    void SetVisible(BOOL visible) { SetProperty(WORD_APPLICATION_VISIBLE, VT_BOOL, visible); }
};

#endif
