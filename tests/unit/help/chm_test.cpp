// Quillon.chm as built: its directory lists every page named in the table
// of contents it was compiled from, each with content.
#include <gtest/gtest.h>

#include "tests/support/files.h"

#include <cstdint>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {


uint64_t Le(const std::string &s, size_t at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | uint8_t(s.at(at + size_t(i)));
    return value;
}

// A variable-length number of the CHM directory: 7 bits a byte, high bit = more.
uint64_t EncInt(const std::string &s, size_t &at) {
    uint64_t value = 0;
    uint8_t byte;
    do {
        byte = uint8_t(s.at(at++));
        value = value << 7 | (byte & 0x7F);
    } while (byte & 0x80);
    return value;
}

// Name -> length of every file in the CHM's directory (its PMGL listing chunks).
std::map<std::string, uint64_t> ChmDirectory(const std::string &chm) {
    std::map<std::string, uint64_t> files;
    if (chm.compare(0, 4, "ITSF") != 0) return files;
    size_t directory = size_t(Le(chm, 0x48, 8));
    if (chm.compare(directory, 4, "ITSP") != 0) return files;
    size_t headerLength = size_t(Le(chm, directory + 8, 4));
    size_t chunkSize = size_t(Le(chm, directory + 0x10, 4));
    size_t chunks = size_t(Le(chm, directory + 0x2C, 4));
    for (size_t c = 0; c < chunks; ++c) {
        size_t chunk = directory + headerLength + c * chunkSize;
        if (chm.compare(chunk, 4, "PMGL") != 0) continue;
        size_t end = chunk + chunkSize - size_t(Le(chm, chunk + 4, 4));
        for (size_t at = chunk + 0x14; at < end;) {
            size_t nameLength = size_t(EncInt(chm, at));
            std::string name = chm.substr(at, nameLength);
            at += nameLength;
            EncInt(chm, at);  // section
            EncInt(chm, at);  // offset
            files[name] = EncInt(chm, at);
        }
    }
    return files;
}

TEST(HelpFile, HoldsEveryPageOfItsTableOfContents) {
    std::map<std::string, uint64_t> files = ChmDirectory(ReadBytes(QUILLON_CHM_PATH));
    ASSERT_FALSE(files.empty()) << "no CHM directory in " << QUILLON_CHM_PATH;
    EXPECT_EQ(1u, files.count("/Quillon.hhc"));

    std::string contents = ReadBytes(QUILLON_HHC_PATH);
    std::regex local("<param name=\"Local\" value=\"([^\"]+)\">", std::regex::icase);
    int pages = 0;
    for (std::sregex_iterator it(contents.begin(), contents.end(), local), end; it != end; ++it, ++pages) {
        std::string page = "/" + (*it)[1].str();
        ASSERT_EQ(1u, files.count(page)) << page << " is in the contents but not in the help file";
        EXPECT_GT(files[page], 500u) << page;
    }
    EXPECT_GE(pages, 8);
}

}  // namespace
