// CString storage on the process heap, shared by every module of the process.
#include "afxstr.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The shared empty string: capacity 0 marks it, so any module recognises
// another module's empty string and never frees it.
struct EmptyString {
    CStringData header;
    char nul;
};
EmptyString g_empty = {{0, 0}, 0};

char *EmptyChars() { return g_empty.header.chars(); }

void *HeapGet(size_t bytes) {
#ifdef _WIN32
    return HeapAlloc(GetProcessHeap(), 0, bytes);
#else
    return std::malloc(bytes);
#endif
}

void HeapPut(void *block) {
#ifdef _WIN32
    HeapFree(GetProcessHeap(), 0, block);
#else
    std::free(block);
#endif
}

// Allocates a header with room for capacity characters and a NUL.
CStringData *NewData(int capacity) {
    if (capacity < 0 || capacity > INT_MAX - 64) std::abort();
    CStringData *data = static_cast<CStringData *>(HeapGet(sizeof(CStringData) + size_t(capacity) + 1));
    if (data == nullptr) std::abort();
    data->length = 0;
    data->capacity = capacity;
    data->chars()[0] = 0;
    return data;
}

void FreeData(CStringData *data) {
    // The address test is implied by the capacity test for this module's own
    // empty string; stating it lets the compiler see that it is never freed.
    if (data->capacity != 0 && data != &g_empty.header) HeapPut(data);
}

int LengthOf(const char *text) {
    if (text == nullptr) return 0;
    size_t length = std::strlen(text);
    if (length > size_t(INT_MAX - 64)) std::abort();
    return int(length);
}

}  // namespace

CString::CString() : m_pchData(EmptyChars()) {}

CString::CString(const CString &other) : m_pchData(EmptyChars()) {
    Assign(other.m_pchData, other.GetLength());
}

CString::CString(const char *text) : m_pchData(EmptyChars()) { Assign(text, LengthOf(text)); }

CString::CString(const char *text, int length) : m_pchData(EmptyChars()) {
    Assign(text, text == nullptr || length < 0 ? 0 : length);
}

CString::~CString() { FreeData(Data()); }

CString &CString::operator=(const CString &other) {
    if (this != &other) Assign(other.m_pchData, other.GetLength());
    return *this;
}

CString &CString::operator=(const char *text) {
    Assign(text, LengthOf(text));
    return *this;
}

CString &CString::operator+=(const CString &other) {
    Append(other.m_pchData, other.GetLength());
    return *this;
}

CString &CString::operator+=(const char *text) {
    Append(text, LengthOf(text));
    return *this;
}

CString &CString::operator+=(char ch) {
    Append(&ch, 1);
    return *this;
}

void CString::Empty() {
    FreeData(Data());
    m_pchData = EmptyChars();
}

// Makes room for capacity characters; keep copies the current text over.
void CString::Reserve(int capacity, bool keep) {
    if (capacity <= Data()->capacity) return;
    CStringData *old = Data();
    CStringData *data = NewData(capacity);
    if (keep) {
        std::memcpy(data->chars(), old->chars(), size_t(old->length) + 1);
        data->length = old->length;
    }
    FreeData(old);
    m_pchData = data->chars();
}

void CString::Assign(const char *text, int length) {
    if (length == 0) {
        Empty();
        return;
    }
    // text may point into this string's own buffer (s = s.Mid(...)).
    if (length > Data()->capacity) {
        CStringData *data = NewData(length);
        std::memcpy(data->chars(), text, size_t(length));
        FreeData(Data());
        m_pchData = data->chars();
    } else {
        std::memmove(m_pchData, text, size_t(length));
    }
    Data()->length = length;
    m_pchData[length] = 0;
}

void CString::Append(const char *text, int length) {
    if (length <= 0) return;
    int oldLength = GetLength();
    if (length > INT_MAX - 64 - oldLength) std::abort();
    int needed = oldLength + length;
    if (needed > Data()->capacity) {
        // Grow geometrically so that appending in a loop stays linear.
        int capacity = needed < INT_MAX / 2 - 64 ? needed + needed / 2 + 16 : needed;
        CStringData *data = NewData(capacity);
        std::memcpy(data->chars(), m_pchData, size_t(oldLength));
        std::memcpy(data->chars() + oldLength, text, size_t(length));
        FreeData(Data());
        m_pchData = data->chars();
    } else {
        std::memmove(m_pchData + oldLength, text, size_t(length));
    }
    Data()->length = needed;
    m_pchData[needed] = 0;
}

char *CString::GetBuffer(int minLength) {
    if (minLength < GetLength()) minLength = GetLength();
    if (minLength == 0) minLength = 1;  // the shared empty string is never writable
    Reserve(minLength, true);
    return m_pchData;
}

void CString::ReleaseBuffer(int newLength) {
    if (Data()->capacity == 0) return;
    if (newLength < 0) newLength = int(strnlen(m_pchData, size_t(Data()->capacity)));
    if (newLength > Data()->capacity) newLength = Data()->capacity;
    Data()->length = newLength;
    m_pchData[newLength] = 0;
}

void CString::Format(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        Empty();
    } else {
        CStringData *data = NewData(length);
        std::vsnprintf(data->chars(), size_t(length) + 1, format, args);
        data->length = length;
        FreeData(Data());
        m_pchData = data->chars();
    }
    va_end(args);
}

int CString::Compare(const char *text) const { return std::strcmp(m_pchData, text ? text : ""); }

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first > GetLength()) first = GetLength();
    int rest = GetLength() - first;
    if (count < 0 || count > rest) count = rest;
    return CString(m_pchData + first, count);
}

CString operator+(const CString &a, const CString &b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString &a, const char *b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const char *a, const CString &b) {
    CString result(a);
    result += b;
    return result;
}

bool operator==(const CString &a, const CString &b) {
    return a.GetLength() == b.GetLength() && std::memcmp(a.GetString(), b.GetString(), size_t(a.GetLength())) == 0;
}
bool operator==(const CString &a, const char *b) { return a.Compare(b) == 0; }
bool operator==(const char *a, const CString &b) { return b.Compare(a) == 0; }
bool operator!=(const CString &a, const CString &b) { return !(a == b); }
bool operator!=(const CString &a, const char *b) { return !(a == b); }
bool operator!=(const char *a, const CString &b) { return !(a == b); }
