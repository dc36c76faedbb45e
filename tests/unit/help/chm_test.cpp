// Quillon.chm as built: its directory lists every page named in the table
// of contents it was compiled from, each with content.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/chm.h"
#include "tests/support/files.h"

TEST(HelpFile, HoldsEveryPageOfItsTableOfContents) {
    std::map<std::string, uint64_t> files = ChmDirectory(ReadBytes(QUILLON_CHM_PATH));
    ASSERT_FALSE(files.empty()) << "no CHM directory in " << QUILLON_CHM_PATH;
    EXPECT_EQ(1u, files.count("/Quillon.hhc"));
    const std::string contents = ReadBytes(QUILLON_HHC_PATH);
    const std::regex local("<param name=\"Local\" value=\"([^\"]+)\">", std::regex::icase);
    int pages = 0;
    for (std::sregex_iterator it(contents.begin(), contents.end(), local), end; it != end; ++it, ++pages) {
        const std::string page = "/" + (*it)[1].str();
        ASSERT_EQ(1u, files.count(page)) << page << " is in the contents but not in the help file";
        EXPECT_GT(files[page], 500u) << page;
    }
    EXPECT_GE(pages, 8);
}
