// The element table: loading ATOMS.LST-style files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "tests/support/chemistry.h"
#include "core/elements.h"
#include "core/textutil.h"

namespace {

// Loads the text through a scratch file written byte for byte: the result
// ("none", "bad line 3", "too many 121", ...) or, after success, the count and
// "Symbol mass[m] ..." (m: a non-metal, which the default selection leaves out).
std::string LoadText(CElementTable &table, const std::string &content) {
    const char *path = "chem_tests_scratch.lst";
    if (!(std::ofstream(path, std::ios::binary) << content)) return "no scratch file";
    const ElementLoad result = table.Load(path);
    std::remove(path);
    const char *const failures[] = {"", "none", "cannot open", "read error", "bad line", "too many",
                                    "bad symbol", "bad mark", "line too long", "file too large"};
    if (result != ElementLoad::Loaded)
        return failures[static_cast<int>(result)] + (table.FailingLine() > 0 ? " " + std::to_string(table.FailingLine()) : "");
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
// buffer, the line ends of any system and an editor's byte-order mark, the 1 MiB
// line and the 16 MiB file; a damaged mass refuses the file and names its line,
// instead of loading a wrong element.
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
        {"1 N 14.0067 m\n2 O 16 M\n3 Fe 55.845\n4 Ne 20.18\xA0m\n5 Zn 65.38e0 \r\n",
         "5 N 14.0067m O 16m Fe 55.845 Ne 20.18m Zn 65.38"},
        {"1 H 1\n2 B10.811\n", "bad symbol 2"}, {"1 B\n", "bad line 1"}, {"1 Bxyz 10.811\n", "bad symbol 1"},
        {"\xEF\xBB\xBF" "1 H 1\r2 He 4\r\n3 Li 7\r", "3 H 1 He 4 Li 7"},
        {"1 H 1" + std::string(TEXT_LINE_LIMIT, ' ') + "\n", "line too long 1"},
        {std::string(TEXT_FILE_LIMIT + 1, '\n'), "file too large " + std::to_string(TEXT_FILE_LIMIT + 1)},
        {"1 H 1\n3 Toolong\n", "1 H 1"},
        {"1 \xA0H 1\n2\xFFHe 4.0\n", "2 H 1 He 4"},  // high bytes are blanks
        {"1 H\xA0" "1.00794\n", "bad line 1"},        // but not before the mass
        {lines120, table120}, {lines120 + "121 X 1\n", "too many 121"}, {lines120 + "121 Xxxx 1\n", "bad symbol 121"},
        {lines120 + "122 X 1\n", table120}, {"1 H 1" + std::string(140, ' ') + "\n2 He 4\n", "2 H 1 He 4"},
        {"1" + std::string(97, ' ') + "H 1.00794\n", "1 H 1.00794"},  // a long line is read whole
    };
    for (const auto &c : cases) {
        CElementTable table;
        EXPECT_EQ(c.second, LoadText(table, c.first)) << c.first.substr(0, 40);
    }
    // Damaged masses on line 9 (a decimal comma made oxygen 15 and a metal, hexadecimal read as 0,
    // negative grams, a massless element, a NUL byte cutting the line, ...) and anything but the mark
    // after the mass (text after the mark, a second number, junk that loaded as a metal, the tail of a
    // long line read as a line); which other spellings are numbers is the number reader's to test.
    const std::pair<std::string, const char *> damaged[] = {
        {"15,999 m", "bad line 9"}, {"0x37", "bad line 9"}, {"-55.845", "bad line 9"}, {"0", "bad line 9"},
        {"65.38e0xyz", "bad line 9"}, {"15.9\0 99 m"s, "bad line 9"}, {"15.999 m 2", "bad mark 9"},
        {"15.999 999", "bad mark 9"}, {"137.327 x", "bad mark 9"}, {"16 nonmetal", "bad mark 9"},
        {"15 " + std::string(200, ' ') + "9 F 19", "bad mark 9"}};
    for (const auto &mass : damaged) {
        CElementTable table;
        EXPECT_EQ(mass.second, LoadText(table, before + "8 O " + mass.first + "\n9 F 19\n")) << mass.first;
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
