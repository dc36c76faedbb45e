#include "filereplace.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "framework/afxstr.h"

namespace {

// The folder part of path ("." when there is none), for the temporary file.
CString FolderOf(const char *path) {
    const char *last = nullptr;
    for (const char *p = path; *p != 0; ++p) {
        if (*p == '/') last = p;
#ifdef _WIN32
        if (*p == '\\' || *p == ':') last = p;
#endif
    }
    if (last == nullptr) return CString(".");
    if (last == path) return CString(path, 1);  // the root folder
#ifdef _WIN32
    if (*last == ':') return CString(path, int(last - path) + 1);
#endif
    return CString(path, int(last - path));
}

// Makes a new, empty file in folder; its name goes to *name. nullptr when
// none can be made.
FILE *CreateTemporary(const CString &folder, CString *name) {
#ifdef _WIN32
    char buffer[MAX_PATH];
    if (::GetTempFileNameA(folder, "qsf", 0, buffer) == 0) return nullptr;
    *name = buffer;
    FILE *file = std::fopen(buffer, "wb");
    if (file == nullptr) ::DeleteFileA(buffer);
    return file;
#else
    CString pattern = folder + "/.qsf-XXXXXX";
    char *buffer = pattern.GetBuffer(pattern.GetLength());
    int fd = ::mkstemp(buffer);
    pattern.ReleaseBuffer();
    if (fd < 0) return nullptr;
    *name = pattern;
    // The permissions a file made with fopen would get (mkstemp gives 0600).
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    FILE *file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        std::remove(pattern);
    }
    return file;
#endif
}

// Replaces target with source (both in one folder).
bool ReplaceTarget(const CString &source, const char *target) {
#ifdef _WIN32
    return ::MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source, target) == 0;
#endif
}

}  // namespace

// A temporary file beside path, checked writes and close, then the replacement.
FileReplaceStatus ReplaceFileBytes(const char *path, const char *bytes, size_t length) {
    CString temporary;
    FILE *file = CreateTemporary(FolderOf(path), &temporary);
    if (file == nullptr) return FileReplaceStatus::NoTemporary;
    bool written = std::fwrite(bytes, 1, length, file) == length && !std::ferror(file) && std::fflush(file) == 0 &&
                   !std::ferror(file);
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        std::remove(temporary);
        return FileReplaceStatus::WriteFailed;
    }
    if (!ReplaceTarget(temporary, path)) {
        std::remove(temporary);
        return FileReplaceStatus::NotReplaced;
    }
    return FileReplaceStatus::Replaced;
}
