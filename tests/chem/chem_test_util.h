// Helpers shared by the chemistry tests: test data, scratch files and the
// standard test element table.
#ifndef QUILLON_TESTS_CHEM_TEST_UTIL_H
#define QUILLON_TESTS_CHEM_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "elements.h"
#include "formula.h"

// A file under tests/data.
inline std::string TestDataPath(const char *name) {
    return std::string(QUILLON_TEST_DATA) + "/" + name;
}

// A scratch file in the working directory, written byte for byte and
// removed when the object goes.
class ScratchFile {
public:
    explicit ScratchFile(const std::string &content) {
        static int serial = 0;
        path_ = "chem_tests_scratch_" + std::to_string(++serial) + ".lst";
        std::FILE *file = std::fopen(path_.c_str(), "wb");
        if (file != nullptr) {
            std::fwrite(content.data(), 1, content.size(), file);
            std::fclose(file);
        }
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    const char *Path() const { return path_.c_str(); }

private:
    std::string path_;
};

// Loads tests/data/chem_elements.lst (31 elements, H to Au in atomic-number
// order) into the process-wide table and makes the process-wide parser.
inline void LoadTestElements() {
    ASSERT_EQ(31, elementTable.Load(TestDataPath("chem_elements.lst").c_str()));
    static CFormulaParser parser(LookupElement);
    formulaParser = &parser;
}

// Index of a symbol in the process-wide table (fails the test when absent).
inline int El(const char *symbol) {
    int index = elementTable.Lookup(symbol);
    EXPECT_GE(index, 0) << symbol;
    return index;
}

#endif
