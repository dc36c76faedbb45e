// The one file reader of the tests, native and Windows.
#ifndef QUILLON_TESTS_SUPPORT_FILES_H
#define QUILLON_TESTS_SUPPORT_FILES_H

#include <fstream>
#include <sstream>
#include <string>

// The bytes of a file as stored; empty when it cannot be read. Path: a
// std::string or a std::filesystem::path.
template <class Path>
std::string ReadBytes(const Path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

#endif
