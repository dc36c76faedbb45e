// Replacing a file with new bytes without ever damaging what it held: the
// one file of core/ that uses the platform's file calls (windows.h in the
// Windows build, POSIX elsewhere). Portable to its callers.
#ifndef QUILLON_CORE_FILEREPLACE_H
#define QUILLON_CORE_FILEREPLACE_H

#include <cstddef>

enum class FileReplaceStatus {
    Replaced,
    NoTemporary,  // no file can be made in the target's folder
    WriteFailed,  // a write, the flush or the close failed (a full disk)
    NotReplaced,  // the target cannot be replaced
};

// Writes length bytes to a new file in path's folder, checks every write and
// the close, and only then lets that file replace path. On any failure the
// new file is removed and path is left as it was (or absent, if it was).
FileReplaceStatus ReplaceFileBytes(const char *path, const char *bytes, size_t length);

#endif
