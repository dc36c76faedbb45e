// The directory of a compiled help file: name -> length of every file its
// PMGL listing chunks name (empty when the bytes are no help file).
#ifndef QUILLON_TESTS_SUPPORT_CHM_H
#define QUILLON_TESTS_SUPPORT_CHM_H

#include <cstdint>
#include <map>
#include <string>

inline std::map<std::string, uint64_t> ChmDirectory(const std::string &chm) {
    auto le = [&chm](size_t at, int bytes) {  // little-endian
        uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | uint8_t(chm.at(at + size_t(i)));
        return size_t(value);
    };
    auto encInt = [&chm](size_t &at) {  // 7 bits a byte, high bit = more
        uint64_t value = 0;
        uint8_t byte;
        do value = value << 7 | ((byte = uint8_t(chm.at(at++))) & 0x7F);
        while (byte & 0x80);
        return value;
    };
    std::map<std::string, uint64_t> files;
    if (chm.compare(0, 4, "ITSF") != 0) return files;
    const size_t directory = le(0x48, 8);
    if (chm.compare(directory, 4, "ITSP") != 0) return files;
    const size_t headerLength = le(directory + 8, 4), chunkSize = le(directory + 0x10, 4);
    for (size_t c = 0, chunks = le(directory + 0x2C, 4); c < chunks; ++c) {
        const size_t chunk = directory + headerLength + c * chunkSize;
        if (chm.compare(chunk, 4, "PMGL") != 0) continue;
        for (size_t at = chunk + 0x14, end = chunk + chunkSize - le(chunk + 4, 4); at < end;) {
            const size_t nameLength = size_t(encInt(at));
            const std::string name = chm.substr(at, nameLength);
            at += nameLength;
            encInt(at);  // section
            encInt(at);  // offset
            files[name] = encInt(at);
        }
    }
    return files;
}

#endif
