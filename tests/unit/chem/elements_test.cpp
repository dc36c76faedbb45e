// The element table: loading ATOMS.LST-style files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "tests/support/chemistry.h"
#include "core/elements.h"

namespace {

// Loads the text through a scratch file written byte for byte: the result
// ("none", "bad line 3", "too many", ...) or, after success, the count and
// "Symbol mass[m] ..." (m: a non-metal, which the default selection leaves out).
std::string LoadText(CElementTable &table, const std::string &content) {
    const char *path = "chem_tests_scratch.lst";
    if (!(std::ofstream(path, std::ios::binary) << content)) return "no scratch file";
    const ElementLoad result = table.Load(path);
    std::remove(path);
    const char *const failures[] = {"", "none", "cannot open", "read error", "bad line", "too many"};
    if (result == ElementLoad::BadLine) return "bad line " + std::to_string(table.FailingLine());
    if (result != ElementLoad::Loaded) return failures[static_cast<int>(result)];
    std::string text = std::to_string(table.Count());
    const ElementSelection metals = ElementSelection::Metals(table);
    char entry[64];
    for (int i = 0; i < table.Count() && i < MAX_ELEMENTS; ++i) {
        std::snprintf(entry, sizeof entry, " %s %.9g%s%s", table.Symbol(i), table.Mass(i),
                      table.metal(i) ? "" : "m", metals.Includes(i) == (table.metal(i) != 0) ? "" : "?");
        text += entry;
    }
    return text;
}

// Numbering, malformed lines, high bytes, the 120 limit, lines over the 99-byte
// buffer; a damaged mass refuses the file and names its line, instead of
// loading a wrong element.
TEST(ElementTable, LoadEdgeCases) {
    using namespace std::string_literals;
    std::string lines120, table120 = "120", before = "header\n";
    for (int i = 1; i <= 120; ++i) lines120 += std::to_string(i) + " X 1.5\n", table120 += " X 1.5";
    for (int i = 1; i <= 7; ++i) before += std::to_string(i) + " E" + std::to_string(i) + " 1.5\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "none"}, {"1 H 1.00794", "1 H 1.00794"},  // no line end at the end
        {"2 He 4.002602\n3 Li 6.941\n", "none"}, {"1 H 1.00794\n1 He 4\n2 He 4.002602\n", "2 H 1.00794 He 4.002602"},
        {"1 H 1\n2 He 4\n4 Be 9\n5 B 10.8\n", "2 H 1 He 4"},
        {"Number Symbol Mass\n# comment\n\n  +1 H 1\nH 2 3\n\t2\tHe\t4.0\n", "2 H 1 He 4"},
        {"1 N 14.0067 m\n2 O 16 M\n3 Fe 55.845 nonmetal\n4 Ne 20.18\xA0m\n5 Zn 65.38e0 \r\n",
         "5 N 14.0067m O 16m Fe 55.845 Ne 20.18m Zn 65.38"},
        {"1 H 1\n2 B10.811\n", "bad line 2"}, {"1 B\n", "bad line 1"}, {"1 Bxyz 10.811\n", "bad line 1"},
        {"1 H 1\n3 Toolong\n", "1 H 1"},
        {"1 \xA0H 1\n2\xFFHe 4.0\n", "2 H 1 He 4"},  // high bytes are blanks
        {"1 H\xA0" "1.00794\n", "bad line 1"},        // but not before the mass
        {lines120, table120}, {lines120 + "121 X 1\n", "too many"}, {lines120 + "121 Xxxx 1\n", "bad line 121"},
        {lines120 + "122 X 1\n", table120}, {"1 H 1" + std::string(140, ' ') + "\n2 He 4\n", "2 H 1 He 4"},
        {"1" + std::string(97, ' ') + "H 1.00794\n", "1 H 1.00794"},  // a long line is read whole
    };
    for (const auto &c : cases) {
        CElementTable table;
        EXPECT_EQ(c.second, LoadText(table, c.first)) << c.first.substr(0, 40);
    }
    // Damaged masses on line 9 (a decimal comma made oxygen 15 and a metal, hexadecimal read as 0,
    // negative grams, a massless element, text after the class mark, a NUL byte cutting the line, the
    // tail of a long line read as a line, ...); which other spellings are numbers is the number
    // reader's to test.
    for (const std::string &mass : {"15,999 m"s, "0x37"s, "-55.845"s, "0"s, "15.999 m 2"s, "15.999 999"s,
                                    "65.38e0xyz"s, "15.9\0 99 m"s, "15 " + std::string(200, ' ') + "9 F 19"}) {
        CElementTable table;
        EXPECT_EQ("bad line 9", LoadText(table, before + "8 O " + mass + "\n9 F 19\n")) << mass;
    }
    CElementTable table;
    EXPECT_EQ("2 H 1 He 4", LoadText(table, "1 H 1\n2 He 4\n"));
    EXPECT_EQ("1 Li 6.9", LoadText(table, "1 Li 6.9\n"));  // a reload starts from empty
    EXPECT_EQ(-1, table.Lookup("H"));
    EXPECT_EQ(-1, table.Lookup(nullptr));  // Lookup against a linear search is the element file's fuzz target's
#ifdef _WIN32
    EXPECT_EQ(ElementLoad::CannotOpen, table.Load(QUILLON_TEST_DATA));  // Windows refuses to open a directory
#else
    EXPECT_EQ(ElementLoad::ReadError, table.Load(QUILLON_TEST_DATA));  // POSIX opens it but cannot read
#endif
}

}  // namespace
