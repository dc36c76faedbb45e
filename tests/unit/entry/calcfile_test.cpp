#include <gtest/gtest.h>

#include "tests/support/entry.h"
#include "tests/support/files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "core/calcfile.h"

namespace {

// Stand-in for the formula parser: no blanks, and no X or x ("Xx" is an
// unknown element, and so is the X of the series formula Xx).
int TestCheck(const char *formula) { return std::strpbrk(formula, "Xx \t") == nullptr; }

// One line parsed: "blank", "bad", or the record as "kind row fixed amount ratio |text|".
std::string Parse(const char *text, int capacity = ROW_CAPACITY) {
    std::string buffer = text;
    CalcRecord r;
    int result = ParseCalcLine(&buffer[0], capacity, TestCheck, &r);
    if (result <= 0) return result == 0 ? "blank" : "bad";
    char out[256];
    std::snprintf(out, sizeof out, "%d %d %d %g %g |%s|", r.kind, r.row, r.fixed, r.amount, r.ratio,
                  r.text.GetString());
    return out;
}

// Reads bytes as a calculation file, through a temporary stream.
CalcReadStatus ReadBytes(const std::string &bytes, CalcReadResult &result) {
    FILE *file = std::tmpfile();
    EXPECT_NE(nullptr, file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    CalcReadStatus status = ReadCalcStream(file, ROW_CAPACITY, TestCheck, result);
    std::fclose(file);
    return status;
}

}  // namespace

// Which lines read, to what (kind 0 sample, 1 product, 2 row), and which fail.
TEST(CalcFileReader, ParsesOneLine) {
    const char *cases[][2] = {
        {"  -42   my  sample \t\r\n", "0 0 0 0 0 |my  sample|"}, {"0 123.456 2 H2O", "1 0 0 123.456 2 |H2O|"},
        {"0 5 1", "1 0 0 5 1 ||"},  // an empty product is a valid formula
        {"30 1 0.25 CuO", "2 30 1 0 0.25 |CuO|"}, {"4 7 2 BaO", "2 4 1 0 2 |BaO|"},  // any nonzero flag is Fixed
        {"3 0 1", "2 3 0 0 1 ||"},  // empties row 3
        {" \t\r\n", "blank"}, {"H2O 1 1 H2O", "bad"}, {"31 1 1.0 H2", "bad"}, {"0 10 H2O", "bad"}, {"0 10 1 Xx", "bad"},
        {"5 1 ? H2", "bad"}, {"5 1 1.0 H2 O", "bad"},
        // Spellings strtod takes that are not numbers of a chemist's file: nan would make "?" of a
        // ratio, 0x10 g of product 16 g.
        {"5 1 nan H2", "bad"}, {"5 1 1e400 H2", "bad"}, {"0 0x10 1 H2O", "bad"},
        {"5 1 1e-310 H2", "2 5 1 0 1e-310 |H2|"},  // tiny but finite
        {"-1 Probe \xc4 ", "0 0 0 0 0 |Probe \xc4|"},  // a letter above 127 at the end stays
        // The series and batch lines, which no line of an older file can be: whether they read.
        {"series 0:1:0.1", "read"}, {"series  0,0.25 ", "read"}, {"series 0:1:0.3", "bad"}, {"series", "bad"},
        {"seriesx 0:1:0.1", "bad"}, {"0 5 1 Sr1-xBaxTiO3", "read"}, {"0 5 1 Sr1-BaxO", "bad"},
        {"1 0 1 Sr1-xBaxTiO3", "bad"},  // only the product may be a series formula
        {"purity 2 99.5 BaCO3", "read"}, {"excess 30 999.99999 Li2CO3", "read"}, {"scale row 1 0.25 Y2(CO3)3", "read"},
        {"scale total 1e3", "read"}, {"show mmol", "read"}, {"show gases", "read"}, {"purity 2 0 BaCO3", "bad"},
        {"purity 2 100.00001 BaCO3", "bad"}, {"excess 2 1000 BaCO3", "bad"}, {"excess 2 -1 BaCO3", "bad"},
        {"purity 31 90 BaCO3", "bad"}, {"purity 0 90 BaCO3", "bad"}, {"purity 2.5 90 BaCO3", "bad"},
        {"purity 2 nan BaCO3", "bad"}, {"purity 2 0x10 BaCO3", "bad"}, {"purity 2 90", "bad"}, {"purity2 90 BaCO3", "bad"},
        {"scale row 2 0 BaCO3", "bad"}, {"scale total 5 g", "bad"}, {"show grams", "bad"}, {"Purity 2 90 BaCO3", "bad"},
        // The weighed masses and their tolerance: 0 is a mass and a tolerance, nothing below it is.
        {"weighed 2 1.48005 Li2CO3", "10 2 0 1.48005 0 |Li2CO3|"}, {"weighed 30 0 CuO", "read"},
        {"tolerance 1", "11 0 0 1 0 ||"}, {"tolerance 0", "read"}, {"weighed 31 1 CuO", "bad"},
        {"weighed 2 -0.1 CuO", "bad"}, {"weighed 2 inf CuO", "bad"}, {"weighed 2 1.5", "bad"}, {"tolerance -1", "bad"},
        {"tolerance 1 %", "bad"}, {"tolerance", "bad"}, {"dispensed 2 -0.1 CuO", "bad"},
        {"dispensed 2 12.5 Si(OC2H5)4", "15 2 0 12.5 0 |Si(OC2H5)4|"},
        // A row's form: each value alone as CheckForm takes it, never 0 (which would be no value).
        {"density 1 0.933 Si(OC2H5)4", "12 1 0 0.933 0 |Si(OC2H5)4|"}, {"molarity 30 0.5 Y(NO3)3", "13 30 0 0.5 0 |Y(NO3)3|"},
        {"mass-fraction 2 40 SiO2", "14 2 0 40 0 |SiO2|"}, {"mass-fraction 2 100 SiO2", "read"}, {"density 1 0 H2O", "bad"},
        {"molarity 1 -0.5 LiOH", "bad"}, {"molarity 1 0.000001 LiOH", "bad"}, {"mass-fraction 2 100.5 SiO2", "bad"},
        {"density 1 inf H2O", "bad"}, {"density 31 1 H2O", "bad"}, {"density 1 1", "bad"}, {"mass- 2 40 SiO2", "bad"},
        {"massfraction 2 40 SiO2", "bad"},
        // The bottle a row's values came from: three quoted texts, then the formula.
        {"bottle 2 \"Barium carbonate\" \"\" \"NC \"\"7\"\"\" BaCO3", "16 2 0 0 0 |BaCO3|"},
        {"bottle 2 \"a\" \"b\" BaCO3", "bad"}, {"bottle 2 \"a\" \"b\" \"c\"", "bad"}, {"bottle 2 \"a\" \"b\" \"c\"BaCO3", "bad"},
        {"bottle 31 \"a\" \"b\" \"c\" BaCO3", "bad"}, {"bottle 2 \"a\" \"b\" \"c BaCO3", "bad"},
    };
    for (auto &c : cases) {
        const std::string got = Parse(c[0]);
        EXPECT_EQ(c[1], std::string(c[1]) == "read" && got != "bad" && got != "blank" ? "read" : got) << c[0];
    }
    EXPECT_EQ("2 3 1 0 1 |H2|", Parse("3 1 1 H2", 3));
    EXPECT_EQ("bad", Parse("4 1 1 H2", 3));
}

// Lines of any length up to 1 MiB read whole; records keep their line numbers (blank lines count; LF,
// CR LF and a CR alone end a line); a bad line or a NUL byte stops the read at its line, keeping the
// records before it; a last line may lack its end. The whole file: one line of each kind, batch lines
// naming their row's formula, a product and a used row. Every refusal says why.
TEST(CalcFileReader, LinesReadWholeAndDamageIsRefused) {
    using namespace std::string_literals;
    const std::string entry = "0 1 1 H2O\r\n2 1 1 H2\r\n";  // lines 2 and 3 after a sample line
    using S = CalcReadStatus;
    const struct {
        std::string bytes;
        CalcReadStatus status;
        int failingLine;
        const char *lines;  // of the records read
        const char *reason;
        const char *fault;
    } cases[] = {
        {"-1 " + std::string(1020, 'A') + "9 1 2 PbO\r\n" + entry, S::Ok, 0, "1 2 3", "", "a cut ID became row 9"},
        {"-1 " + std::string(TEXT_LINE_LIMIT - 3, 'A') + "\r\n" + entry, S::Ok, 0, "1 2 3", "", "a long ID failed to open"},
        {"2 1 2 " + std::string(5000, 'H') + "\r\n0 1 1 H2O", S::Ok, 0, "1 2", "", "a long formula came in pieces"},
        {"-1 " + std::string(TEXT_LINE_LIMIT - 2, 'A') + "\r\n" + entry, S::TooLarge, 1, "",
         "the line is longer than 1 MiB", "a line without end was read into memory"},
        {std::string(TEXT_FILE_LIMIT + 1, '\n'), S::TooLarge, int(TEXT_FILE_LIMIT + 1), "",
         "the file is larger than 16 MiB", "a file without end was read into memory"},
        {"-1 A\r\n\r\n   \r2 0 1 BaCO3\n0 10 1 H2O\r\n31 1 1 H2\r\n1 0 1 H2\r\n", S::BadLine, 6,
         "1 4 5", "row 31 is beyond the 30 rows", "a bad line skipped, or lines miscounted"},
        {"-1 A\r\n\xEF\xBB\xBF" + entry, S::BadLine, 2, "1", "a UTF-8 byte-order mark", "a mark inside the file"},
        {"\xEF\xBB\xBF" + entry, S::Ok, 0, "1 2", "", "an editor's mark at the start refused"},
        {"1 1 1 Ba\0CO3\r\n"s, S::BadLine, 1, "", "a NUL byte", "the NUL made it Ba metal"},
        {"-1 A\r\n1 1 1 BaCO3\0 2 1 1 TiO2\r\n"s, S::BadLine, 2, "1", "a NUL byte", "the NUL hid row 2"},
        {"-1 A\r\n\0\r\n"s, S::BadLine, 2, "1", "a NUL byte", "a NUL alone passed as a blank line"},
        {"-1 A\r\n0 1 1 H2O\r\n1 1 1 H2", S::Ok, 0, "1 2 3", "", "a last line without its end"},
        {"\r\n \r\n", S::NoEntry, 0, "", "the file is empty", "blank lines opened as an entry"},
        {"0 1 1 H2O\r\n3 0 1\r\n", S::Ok, 0, "1 2", "", "an entry the program saves without rows refused"},
        // Two lines saying one thing: the first would be lost on Save.
        {"-1 A\r\n" + entry + "purity 2 99 H2\r\npurity 2 98 H2\r\n", S::Conflict, 5, "1 2 3 4",
         "a second purity line for row 2 (the first is line 4)", "the last purity line won"},
        {"-1 A\r\n" + entry + "scale row 2 1 H2\r\nscale total 5\r\n", S::Conflict, 5, "1 2 3 4",
         "a second scale line (the first is line 4)", "the last scale line won"},
        {entry + "-1 A\r\n-1 B\r\n", S::Conflict, 4, "1 2 3", "a second sample line (the first is line 3)",
         "the last sample line won"},
        {"-1 A\r\n" + entry + "0 2 1 CuO\r\n", S::Conflict, 4, "1 2 3",
         "a second product line (the first is line 2)", "the last product line won"},
        {"-1 A\r\n" + entry + "series 0,1\r\nseries 0:1:0.5\r\n", S::Conflict, 5, "1 2 3 4",
         "a second series line (the first is line 4)", "the last series line won"},
        // A batch line for a row without a formula. The tests of quillon-cli show the same reasons
        // and lines for one naming another formula, a file without a product line, a second line for
        // a row and a purity out of range.
        {"scale row 5 1 SrCO3\r\n-1 A\r\n" + entry, S::Conflict, 1, "",
         "scale row names SrCO3, but row 5 holds no starting material", "a scale line for an empty row"},
        // The weighed masses: each refusal names its line, and what reads before it is kept.
        {entry + "weighed 2 1.5 H2\r\nweighed 2 1.6 H2\r\n", S::Conflict, 4, "1 2 3",
         "a second weighed line for row 2 (the first is line 3)", "the last mass of a row won"},
        {entry + "weighed 2 1.5 CuO\r\n", S::Conflict, 3, "1 2", "weighed names CuO, but row 2 holds H2",
         "a mass went to another material"},
        {entry + "weighed 1 1.5 H2\r\n", S::Conflict, 3, "1 2", "weighed names H2, but row 1 holds no starting material",
         "a mass for an empty row"},
        {entry + "weighed 31 1.5 H2\r\n", S::BadLine, 3, "1 2", "weighed needs a row number from 1 to 30",
         "a mass beyond the rows"},
        {entry + "weighed 2 -1.5 H2\r\n", S::BadLine, 3, "1 2", "the grams weighed must be 0 or more", "a negative mass"},
        {entry + "weighed 2 1.5 H2\r\ndispensed 2 1.6 H2\r\n", S::Conflict, 4, "1 2 3",
         "a second dispensed line for row 2 (the first is line 3)", "a row both weighed and dispensed"},
        {entry + "dispensed 2 1.5 CuO\r\n", S::Conflict, 3, "1 2", "dispensed names CuO, but row 2 holds H2",
         "a volume went to another material"},
        {entry + "tolerance 1\r\ntolerance 2\r\n", S::Conflict, 4, "1 2 3",
         "a second tolerance line (the first is line 3)", "the last tolerance won"},
        // A row's form: a value refused by the line, and the row's lines that refuse each other at the
        // later of them, with FormProblem's words.
        {entry + "density 2 -1 H2\r\n", S::BadLine, 3, "1 2",
         "density of H2 (row 2) must be a number of at least 0.00001 g/mL (the sheet shows 5 decimals), not -1",
         "a negative density"},
        {entry + "mass-fraction 2 140 H2\r\n", S::BadLine, 3, "1 2",
         "mass fraction of H2 (row 2) must be a number from 0.00001 to 100 % (the sheet shows 5 decimals), not 140",
         "a fraction above 100 %"},
        {entry + "molarity 2 0.5 H2\r\ndensity 2 1.1 H2\r\nmass-fraction 2 40 H2\r\n", S::Conflict, 5, "1 2 3 4",
         "H2 (row 2) has both a molarity and a mass fraction: give one of them", "two concentrations of one row"},
        {entry + "purity 2 98 H2\r\nmolarity 2 0.5 H2\r\n", S::Conflict, 4, "1 2 3",
         "purity of H2 (row 2) must be 100 % for a solution: its molarity or mass fraction says how much of it is "
         "the compound", "a solution below 100 %"},
        {entry + "density 2 1 CuO\r\n", S::Conflict, 3, "1 2", "density names CuO, but row 2 holds H2",
         "a density went to another material"},
        {entry + "mass-fraction 2 40 H2\r\nmass-fraction 2 50 H2\r\n", S::Conflict, 4, "1 2 3",
         "a second mass-fraction line for row 2 (the first is line 3)", "the last fraction won"},
        {entry + "bottle 2 \"a\" \"\" \"\" CuO\r\n", S::Conflict, 3, "1 2", "bottle names CuO, but row 2 holds H2",
         "a bottle went to another material"},
        {entry + "bottle 2 \"a\" \"\" \"1\" H2\r\nbottle 2 \"a\" \"\" \"2\" H2\r\n", S::Conflict, 4, "1 2 3",
         "a second bottle line for row 2 (the first is line 3)", "the last bottle won"},
        {entry + "bottle 2 \"a\" \"b\"\r\n", S::BadLine, 3, "1 2",
         "bottle needs its name, supplier and lot, each in double quotes", "a bottle without its lot"},
    };
    for (const auto &c : cases) {
        CalcReadResult result;
        EXPECT_EQ(c.status, ReadBytes(c.bytes, result)) << c.fault;
        EXPECT_EQ(c.failingLine, result.failingLine) << c.fault;
        EXPECT_EQ(c.reason, Str(result.reason)) << c.fault;
        std::string lines;
        for (const CalcRecord &r : result.records) lines += (lines.empty() ? "" : " ") + std::to_string(r.line);
        EXPECT_EQ(c.lines, lines) << c.fault;
    }
    CalcReadResult result;
    ASSERT_EQ(S::Ok, ReadBytes(cases[0].bytes, result));
    EXPECT_EQ(std::string(1020, 'A') + "9 1 2 PbO", Str(result.records[0].text));
    EXPECT_EQ(S::OpenFailed, ReadCalcFile("no/such/dir/file.qsf", ROW_CAPACITY, TestCheck, result));
}

// Save's text: amount and ratio go to their own places on the product line; a field that is not one
// number makes no text at all.
TEST(CalcFileEntry, SaveTextTakesBothNumbersOrNothing) {
    LedraRowStore rows;
    FillRows(rows, {{"", 0, 1}, {"CuO", 0, 1}});
    CalcFields fields;
    fields.sampleId = "S";
    fields.productFormula = "BaTiO3";
    const struct { const char *amount, *ratio, *expected; } cases[] = {
        {"2.5", " 0.5 ", "-1 S\r\n0 2.50000 0.50000 BaTiO3\r\n2 0 1.00000 CuO\r\n"},
        {"", "1", "-1 S\r\n0 0.00000 1.00000 BaTiO3\r\n2 0 1.00000 CuO\r\n"},  // blank reads as 0
        {"2", "?", nullptr}, {"1,5", "1", nullptr}, {"2 3", "1", nullptr}, {"2", "x", nullptr},
    };
    for (const auto &c : cases) {
        fields.amountText = c.amount;
        fields.ratioText = c.ratio;
        CString text = "untouched";
        EXPECT_EQ(c.expected != nullptr, CalcEntryText(fields, rows, BatchSettings(), &text)) << c.amount << "|" << c.ratio;
        EXPECT_EQ(c.expected != nullptr ? c.expected : "untouched", Str(text)) << c.amount << "|" << c.ratio;
    }
}

// Files keep their bytes: one with hydrates written with the stored middle dot (0xB7) or "*", one with
// a series line and batch lines (saved in Save's order), one with weighed masses, and one of ratios, open
// and save byte for byte;
// a hydrate written on Linux with the UTF-8 dot opens with the stored dot; a batch line naming its row's
// formula in another spelling keeps its values in the row's; rows not named or without a formula are not
// written. What was saved opens and saves again to the same bytes. Every ratio is kept: "%.5f" where it
// reads back (old files keep their bytes, the undetermined ratio too), else the fewest digits; fields
// after a load show exactly the file's value, in the fewest digits (any value reads back exactly: the
// number fuzz target).
TEST(CalcFileEntry, SavedFilesOpenAndSaveByteForByte) {
    const struct {
        double value;
        const char *line, *field;  // as a row's ratio, as a field
    } numbers[] = {{1.0, "1.00000", "1"}, {123.456, "123.45600", "123.456"}, {-2.5, "-2.50000", "-2.5"},
                   {0.000004, "4e-06", "4e-06"}, {0.000015, "1.5e-05", "1.5e-05"},
                   {10.123456, "10.123456", "10.123456"}, {1.0 / 3.0, "0.3333333333333333", "0.3333333333333333"},
                   {0.33333, "0.33333", "0.33333"}, {-0.0, "-0.00000", "0"}, {1e-7, "1e-07", "1e-07"},
                   {1e20, "100000000000000000000.00000", "1e+20"}, {12345678.9, "12345678.90000", "12345678.9"},
                   {0.1 + 0.2, "0.30000000000000004", "0.30000000000000004"}, {UNDETERMINED_RATIO, "-100000000000000001097906362944045541740492309677311846336810682903157585404911491537163328978494688899061249669721172515611590283743140088328307009198146046031271664502933027185697489699588559043338384466165001178426897626212945177628091195786707458122783970171784415105291802893207873272974885715430223118336.00000", "-1e+308"}};
    std::string ratios = "-1 S\r\n0 1.00000 1.00000 H2O\r\n";
    for (const auto &n : numbers) {
        EXPECT_EQ(n.field, Str(FormatFieldNumber(n.value))) << n.value;
        ratios += std::to_string(&n - numbers + 1) + " 1 " + n.line + " H2\r\n";
    }
    const std::string hydrates = "-1 S\r\n0 2.00000 1.00000 CuSO4\xB7" "5H2O\r\n2 0 5.00000 Na2CO3*1.5H2O2\xB7H2O\r\n",
                      series = "-1 SBT\r\n0 5.00000 1.00000 Sr1-xBaxTiO3\r\n1 0 1.00000 SrCO3\r\nseries 0:1:0.1\r\n",
                      ybco = "0 123.45600 0.50000 YBa2Cu3O7\r\n" + Str(CalcRowLine(1, 0, UNDETERMINED_RATIO, "Y2O3")) +
                             "3 1 0.3333333333333333 BaCO3\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {hydrates, hydrates}, {std::string(hydrates).replace(hydrates.find('\xB7'), 1, "\xC2\xB7"), hydrates},
        {series + "show gases\r\nexcess 1 2.5 SrCO3\r\nscale total 5\r\nshow mmol\r\n",
         series + "excess 1 2.50000 SrCO3\r\nscale total 5.00000\r\nshow mmol\r\nshow gases\r\n"},
        {hydrates + "purity 2 98 Na2CO3 \xB7 1.5H2O2 * H2O\r\nscale row 2 1 Na2CO3\xC2\xB7" "1.5H2O2*H2O\r\n",
         hydrates + "purity 2 98.00000 Na2CO3*1.5H2O2\xB7H2O\r\nscale row 2 1.00000 Na2CO3*1.5H2O2\xB7H2O\r\n"},
        {"-1 run 7\r\n" + ybco + "8 0 3.00000\r\n30 0 1.00000 CuO\r\n5 0 1 H2\r\n",
         "-1 run 7\r\n" + ybco + "5 0 1.00000 H2\r\n30 0 1.00000 CuO\r\n"}, {ratios, ratios},
        // Weighed masses after the batch lines, in row order, in the row's spelling, at full precision;
        // a mass of 0 g is one; the default tolerance is no line.
        {hydrates + "tolerance 1\r\nweighed 2 0.1 Na2CO3 * 1.5H2O2\xB7H2O\r\nexcess 2 5 Na2CO3*1.5H2O2*H2O\r\n",
         hydrates + "excess 2 5.00000 Na2CO3*1.5H2O2\xB7H2O\r\nweighed 2 0.10000 Na2CO3*1.5H2O2\xB7H2O\r\n"
                    "tolerance 1.00000\r\n"},
        {"-1 run 7\r\n" + ybco + "weighed 3 11.290000000000001 BaCO3\r\nweighed 1 0 Y2O3\r\ntolerance 0.5\r\n",
         "-1 run 7\r\n" + ybco + "weighed 1 0.00000 Y2O3\r\nweighed 3 11.290000000000001 BaCO3\r\n"},
        // A row's form after its purity and excess, in the row's spelling: a neat liquid with its assay,
        // a solution by mass fraction with its density, a molarity alone.
        {hydrates + "mass-fraction 2 40 Na2CO3*1.5H2O2*H2O\r\ndensity 2 1.3 Na2CO3 * 1.5H2O2\xB7H2O\r\n"
                    "excess 2 5 Na2CO3*1.5H2O2*H2O\r\n",
         hydrates + "excess 2 5.00000 Na2CO3*1.5H2O2\xB7H2O\r\ndensity 2 1.30000 Na2CO3*1.5H2O2\xB7H2O\r\n"
                    "mass-fraction 2 40.00000 Na2CO3*1.5H2O2\xB7H2O\r\n"},
        {"-1 run 7\r\n" + ybco + "molarity 3 0.1234567 BaCO3\r\ndensity 1 0.933 Y2O3\r\npurity 1 98 Y2O3\r\n",
         "-1 run 7\r\n" + ybco + "purity 1 98.00000 Y2O3\r\ndensity 1 0.93300 Y2O3\r\nmolarity 3 0.1234567 BaCO3\r\n"},
        // A row's bottle after its values, in the row's spelling, quotes doubled; a bottle of default
        // values keeps its row's formula.
        {hydrates + "bottle 2 \"Sodium \"\"perc\"\"\" \"\"  \" L 1 \" Na2CO3*1.5H2O2*H2O\r\npurity 2 98 Na2CO3*1.5H2O2*H2O\r\n",
         hydrates + "purity 2 98.00000 Na2CO3*1.5H2O2\xB7H2O\r\n"
                    "bottle 2 \"Sodium \"\"perc\"\"\" \"\" \" L 1 \" Na2CO3*1.5H2O2\xB7H2O\r\n"},
        {"-1 run 7\r\n" + ybco + "bottle 1 \"Yttria\" \"Northfield\" \"Y-1\" Y2O3\r\n",
         "-1 run 7\r\n" + ybco + "bottle 1 \"Yttria\" \"Northfield\" \"Y-1\" Y2O3\r\n"},
        // A volume dispensed takes a row's place among the weighed lines.
        {"-1 run 7\r\n" + ybco + "dispensed 3 2.5 BaCO3\r\nweighed 1 0 Y2O3\r\n",
         "-1 run 7\r\n" + ybco + "weighed 1 0.00000 Y2O3\r\ndispensed 3 2.50000 BaCO3\r\n"}};
    for (const auto &c : cases) {
        std::string text = c.first;
        for (int save = 0; save < 2; ++save) {  // the file, then what Save wrote
            CalcReadResult result;
            Entry entry;
            ASSERT_EQ(CalcReadStatus::Ok, ReadBytes(text, result)) << text << Str(result.reason);
            ApplyCalcRecords(result.records, &entry);
            CString saved;
            EXPECT_TRUE(CalcEntryText(entry, &saved) && Str(saved) == c.second) << Str(saved);
            text = Str(saved);
        }
    }
    // A line end inside a bottle's text (a quoted shelf cell) would split the line: a blank instead.
    Entry entry = MakeEntry("CuO", {{"CuO", 0, 1}});
    entry.batch.SetRow(1, "CuO", 100, 0, MaterialForm(), BottleRef{true, "Copper\r\noxide", "", ""});
    CString saved;
    ASSERT_TRUE(CalcEntryText(entry, &saved));
    EXPECT_NE(std::string::npos, Str(saved).find("bottle 1 \"Copper  oxide\" \"\" \"\" CuO\r\n")) << Str(saved);
}

// A weighed mass belongs to the formula it was weighed for: a row retyped loses it (in the entry the
// dialog reads and in the file), and the entry is another one as soon as a mass, a volume, the tolerance,
// a bottle or a form differs.
TEST(CalcFileEntry, WeighedMassesFollowTheirFormula) {
    Entry weighed;
    weighed.rows.setFormula(0, "Li2CO3");
    weighed.rows.setFormula(2, "Co3O4");
    EXPECT_TRUE(weighed.weighed.SetRow(1, "Li2CO3", 1.48005));
    EXPECT_TRUE(weighed.weighed.SetRow(3, "Co3O4", 6.43118));
    EXPECT_FALSE(weighed.weighed.SetRow(31, "CuO", 1));
    EXPECT_EQ("weighed 1 1.48005 Li2CO3\r\nweighed 3 6.43118 Co3O4\r\n", Str(CalcWeighedLines(weighed.weighed, weighed.rows)));
    EXPECT_TRUE(SameEntry(weighed, Entry(weighed)));
    Entry volume = weighed;
    volume.weighed.SetDispensed(3, "Co3O4", 6.43118);
    const struct { const char *fault; const Entry &base; void (*alter)(Entry &); } changes[] = {
        {"a mass changed", weighed, [](Entry &e) { e.weighed.SetRow(3, "Co3O4", 6.43119); }},
        {"the tolerance changed", weighed, [](Entry &e) { e.weighed.tolerance = 1; }},
        {"a mass emptied", weighed, [](Entry &e) { e.weighed.SetRow(1, "", 0); }},
        {"a volume changed", volume, [](Entry &e) { e.weighed.SetDispensed(3, "Co3O4", 6.43119); }},
        {"a bottle's lot changed", weighed, [](Entry &e) { e.batch.rows[0].bottle.lot = "NC-3004"; }},
        {"a form changed", weighed, [](Entry &e) { e.batch.rows[0].form.density = 1.2; }},
    };
    for (const auto &c : changes) {
        Entry other = c.base;
        c.alter(other);
        EXPECT_FALSE(SameEntry(c.base, other)) << c.fault << " unnoticed";
    }

    weighed.rows.setFormula(0, "Li2O");  // retyped: its mass is Li2CO3's
    EXPECT_EQ("weighed 3 6.43118 Co3O4\r\n", Str(CalcWeighedLines(weighed.weighed, weighed.rows)));
    const WeighedMasses kept = weighed.weighed.ForRows(weighed.rows);
    EXPECT_EQ(nullptr, kept.Grams(1, "Li2O"));
    EXPECT_EQ(nullptr, kept.Grams(1, "Li2CO3"));
    ASSERT_NE(nullptr, kept.Grams(3, "Co3O4"));
    EXPECT_EQ(6.43118, *kept.Grams(3, "Co3O4"));
}

// Save writes the whole file, new or replacing the old (also with a long ID), and leaves no temporary
// file behind; a failure keeps the old file and leaves nothing behind either.
TEST(CalcSave, WritesWholeOrKeepsTheOldFile) {
    namespace fs = std::filesystem;
    struct Folder {
        fs::path path = fs::temp_directory_path() / ("quillon-save-" + std::to_string(std::random_device()()));
        ~Folder() { fs::remove_all(path, ignored); }
        std::error_code ignored;
    } scratch;
    const fs::path folder = scratch.path, target = folder / "entry.QSF";
    fs::create_directories(folder / "blocked.QSF" / "inside");  // a target that cannot be replaced
    auto Names = [&folder] {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return std::sort(names.begin(), names.end()), names;
    };
    auto Save = [](const fs::path &to, const std::string &text) { return SaveCalcFile(to.string().c_str(), text.c_str()); };
    const std::string kOld = "-1 old\r\n0 1.00000 1.00000 H2O\r\n";
    ASSERT_TRUE(CalcSampleIdSavable(std::string(100000, 'H').c_str()));
    for (const std::string &text : {kOld + Str(CalcSampleLine(std::string(100000, 'H').c_str())), kOld}) {
        ASSERT_EQ(CalcSaveStatus::Saved, Save(target, text));
        EXPECT_EQ(text, ::ReadBytes(target));
    }
    EXPECT_EQ(CalcSaveStatus::NotReplaced, Save(folder / "blocked.QSF", "-1 new\r\n"));
    EXPECT_TRUE(fs::is_directory(folder / "blocked.QSF" / "inside"));
    EXPECT_EQ(CalcSaveStatus::NoTemporary, Save(folder / "no such folder" / "entry.QSF", "-1 new\r\n"));
    // Lines that would not open again (an ID with any line end would come back as two lines):
    // nothing is written.
    EXPECT_TRUE(CalcSampleIdSavable("Probe\t7 \xc4"));
    for (const char *id : {"AAA\r\n9 1 2 PbO", "AAA\n9 1 2 PbO", "AAA\r9 1 2 PbO", "AAA\r"}) {
        EXPECT_FALSE(CalcSampleIdSavable(id)) << id;
        EXPECT_EQ(CalcSaveStatus::Unreadable, Save(target, Str(CalcSampleLine(id) + CalcProductLine(1, 1, "H2O")))) << id;
    }
    for (const char *text : {"0 inf 1.00000 H2O\r\n", "1 1 nan H2\r\n"})
        EXPECT_EQ(CalcSaveStatus::Unreadable, Save(target, kOld + text)) << text;
    EXPECT_EQ((std::vector<std::string>{"blocked.QSF", "entry.QSF"}), Names());
    EXPECT_EQ(kOld, ::ReadBytes(target));
#ifndef _WIN32
    // A full disk: files may not grow past 4 KiB while this runs.
    struct rlimit before;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
    struct rlimit tiny = before;
    tiny.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tiny));
    CalcSaveStatus status = Save(target, kOld + "-1 " + std::string(20000, 'O') + "\r\n");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(CalcSaveStatus::WriteFailed, status);
    EXPECT_EQ(kOld, ::ReadBytes(target));
    EXPECT_EQ((std::vector<std::string>{"blocked.QSF", "entry.QSF"}), Names());
#endif
}
