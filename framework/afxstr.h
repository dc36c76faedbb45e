// CString: the string object that crosses module boundaries.
//
// Rows of the starting-materials list hold their formula in a CString, and
// the program, LEDRA.DLL and VEXIL.DLL all copy and release such strings.
// Every module links its own copy of this code, so the object must not
// depend on module-private state: it is a single pointer to characters that
// sit right after a small header, and the memory comes from and goes back to
// the process heap (HeapAlloc on Windows, malloc elsewhere) through the
// out-of-line functions in afxstr.cpp. The empty string needs no memory at
// all: its header is a static with capacity 0 that is never freed, whichever
// module's copy it is.
//
// The class is portable C++ so that the chemistry core and its tests build
// natively as well. Nothing here throws; running out of memory ends the
// process, because a silently shortened formula would be a wrong result.
#ifndef QUILLON_FRAMEWORK_AFXSTR_H
#define QUILLON_FRAMEWORK_AFXSTR_H

#include <cstddef>

struct CStringData {
    int length;    // characters in use, not counting the NUL
    int capacity;  // characters that fit, not counting the NUL; 0 = shared empty
    char *chars() { return reinterpret_cast<char *>(this + 1); }
};

class CString {
public:
    CString();
    CString(const CString &other);
    CString(const char *text);              // NULL is taken as ""
    CString(const char *text, int length);  // the first length bytes
    ~CString();

    CString &operator=(const CString &other);
    CString &operator=(const char *text);
    CString &operator+=(const CString &other);
    CString &operator+=(const char *text);
    CString &operator+=(char ch);

    int GetLength() const { return Data()->length; }
    bool IsEmpty() const { return Data()->length == 0; }
    void Empty();
    operator const char *() const { return m_pchData; }
    const char *GetString() const { return m_pchData; }
    char operator[](int index) const { return m_pchData[index]; }

    // Direct access for C APIs: GetBuffer makes room for at least minLength
    // characters (plus the NUL) and returns the writable characters;
    // ReleaseBuffer(-1) takes the length from the first NUL.
    char *GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // printf-style formatting into the string. Pass character pointers
    // (GetString()), never CString objects, through the variable arguments.
    void Format(const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    int Compare(const char *text) const;
    CString Mid(int first, int count = -1) const;

private:
    CStringData *Data() const { return reinterpret_cast<CStringData *>(m_pchData) - 1; }
    void Assign(const char *text, int length);
    void Append(const char *text, int length);
    void Reserve(int capacity, bool keep);

    char *m_pchData;  // the characters; the header lies just before them
};

CString operator+(const CString &a, const CString &b);
CString operator+(const CString &a, const char *b);
CString operator+(const char *a, const CString &b);
bool operator==(const CString &a, const CString &b);
bool operator==(const CString &a, const char *b);
bool operator==(const char *a, const CString &b);
bool operator!=(const CString &a, const CString &b);
bool operator!=(const CString &a, const char *b);
bool operator!=(const char *a, const CString &b);

#endif
