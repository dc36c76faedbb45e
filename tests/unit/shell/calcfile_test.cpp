#include <gtest/gtest.h>

#include "tests/support/files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "core/calcfile.h"
#include "core/rowstore.h"

namespace {

// Stand-in for the formula parser: no blanks, and no X or x ("Xx" is an
// unknown element, and so is the X of the series formula Xx).
int TestCheck(const char *formula) { return std::strpbrk(formula, "Xx \t") == nullptr; }

std::string Str(const CString &s) { return std::string(s.GetString(), s.GetLength()); }

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
        {"  -42   my  sample \t\r\n", "0 0 0 0 0 |my  sample|"},
        {"0 123.456 2 H2O", "1 0 0 123.456 2 |H2O|"},
        {"0 5 1", "1 0 0 5 1 ||"},  // an empty product is a valid formula
        {"30 1 0.25 CuO", "2 30 1 0 0.25 |CuO|"},
        {"4 7 2 BaO", "2 4 1 0 2 |BaO|"},  // any nonzero flag is Fixed
        {"3 0 1", "2 3 0 0 1 ||"},         // empties row 3
        {" \t\r\n", "blank"},
        {"H2O 1 1 H2O", "bad"},  // no leading integer
        {"31 1 1.0 H2", "bad"},  // above capacity
        {"0 10 H2O", "bad"},     // the ratio does not convert
        {"0 10 1 Xx", "bad"},    // the formula fails the check
        {"5 1 ? H2", "bad"},
        {"5 1 1.0 H2 O", "bad"},
        // Spellings strtod takes that are not numbers of a chemist's file.
        {"5 1 nan H2", "bad"},       // would make "?" of a ratio
        {"5 1 NAN(123) H2", "bad"},
        {"5 1 inf H2", "bad"},
        {"5 1 1e400 H2", "bad"},     // overflows to inf
        {"0 0x10 1 H2O", "bad"},     // hexadecimal: 16 g
        {"0 10 0X1p4 H2O", "bad"},
        {"0 -inf 1 H2O", "bad"},
        {"5 1 1e-310 H2", "2 5 1 0 1e-310 |H2|"},  // tiny but finite
        {"-1 Probe \xc4 ", "0 0 0 0 0 |Probe \xc4|"},  // a letter above 127 at the end stays
    };
    for (auto &c : cases) EXPECT_EQ(c[1], Parse(c[0])) << c[0];
    EXPECT_EQ("2 3 1 0 1 |H2|", Parse("3 1 1 H2", 3));
    EXPECT_EQ("bad", Parse("4 1 1 H2", 3));
}

// Records keep their line numbers (blank lines count); a bad line stops the read and is named.
TEST(CalcFileReader, FailureKeepsTheEarlierRecordsAndNamesTheLine) {
    CalcReadResult result;
    EXPECT_EQ(CalcReadStatus::BadLine,
              ReadBytes("-1 A\r\n\r\n   \n2 0 1 BaCO3\n0 10 1 H2O\r\n31 1 1 H2\r\n1 0 1 H2\r\n", result));
    EXPECT_EQ(6, result.failingLine);
    ASSERT_EQ(3u, result.records.size());
    EXPECT_EQ(1, result.records[0].line);
    EXPECT_EQ(4, result.records[1].line);
    EXPECT_EQ(5, result.records[2].line);
    EXPECT_EQ(CalcReadStatus::OpenFailed, ReadCalcFile("no/such/dir/file.qsf", ROW_CAPACITY, TestCheck, result));
}

// Lines of any length read whole; a NUL byte refuses the file at its line; a last line may lack its end.
TEST(CalcFileReader, LinesReadWholeAndDamageIsRefused) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        CalcReadStatus status;
        int failingLine;
        size_t records;
        const char *fault;
    } cases[] = {
        {"-1 " + std::string(1020, 'A') + "9 1 2 PbO\r\n", CalcReadStatus::Ok, 0, 1, "a cut ID became row 9"},
        {"-1 " + std::string(1100, 'A') + "\r\n0 1 1 H2O\r\n", CalcReadStatus::Ok, 0, 2, "a long ID failed to open"},
        {"1 1 2 " + std::string(5000, 'H') + "\r\n", CalcReadStatus::Ok, 0, 1, "a long formula came in pieces"},
        {"1 1 1 Ba\0CO3\r\n"s, CalcReadStatus::BadLine, 1, 0, "the NUL made it Ba metal"},
        {"-1 A\r\n1 1 1 BaCO3\0 2 1 1 TiO2\r\n"s, CalcReadStatus::BadLine, 2, 1, "the NUL hid row 2"},
        {"-1 A\r\n\0\r\n"s, CalcReadStatus::BadLine, 2, 1, "a NUL alone passed as a blank line"},
        {"-1 A\r\n1 1 1 H2", CalcReadStatus::Ok, 0, 2, "a last line without its end"},
    };
    for (const auto &c : cases) {
        CalcReadResult result;
        EXPECT_EQ(c.status, ReadBytes(c.bytes, result)) << c.fault;
        EXPECT_EQ(c.failingLine, result.failingLine) << c.fault;
        EXPECT_EQ(c.records, result.records.size()) << c.fault;
    }
    CalcReadResult result;
    ASSERT_EQ(CalcReadStatus::Ok, ReadBytes("-1 " + std::string(1020, 'A') + "9 1 2 PbO\r\n", result));
    EXPECT_EQ(std::string(1020, 'A') + "9 1 2 PbO", Str(result.records[0].text));
}

// The writer keeps every value: "%.5f" where it reads back (old files keep their bytes), else the fewest digits.
TEST(CalcFileWriter, NumbersReadBackExactly) {
    const struct {
        double value;
        const char *text;
    } cases[] = {{1.0, "1.00000"},       {123.456, "123.45600"},      {-2.5, "-2.50000"},
                 {0.000004, "4e-06"},    {0.000015, "1.5e-05"},       {10.123456, "10.123456"},
                 {1.0 / 3.0, "0.3333333333333333"},                   {UNDETERMINED_RATIO, nullptr}};
    for (const auto &c : cases) {
        std::string line = Str(CalcRowLine(1, 1, c.value, "H2"));
        if (c.text != nullptr) {
            EXPECT_EQ(std::string("1 1 ") + c.text + " H2\r\n", line);
        }
        CalcRecord r;
        ASSERT_EQ(1, ParseCalcLine(&line[0], ROW_CAPACITY, TestCheck, &r)) << line;
        EXPECT_EQ(c.value, r.ratio) << line;
    }
    std::mt19937_64 random(14);
    for (int i = 0; i < 5000; ++i) {
        double amount = std::ldexp(std::uniform_real_distribution<double>(0, 1)(random), int(random() % 80) - 40);
        double ratio = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), int(random() % 80) - 60);
        std::string line = Str(CalcProductLine(amount, ratio, "H2O"));
        CalcRecord r;
        ASSERT_EQ(1, ParseCalcLine(&line[0], ROW_CAPACITY, TestCheck, &r)) << line;
        ASSERT_EQ(amount, r.amount) << line;
        ASSERT_EQ(ratio, r.ratio) << line;
    }
}

// What could not come back is refused on save: a line end inside the ID, a number that is not finite.
TEST(CalcFileWriter, RefusesWhatWouldNotOpen) {
    EXPECT_TRUE(CalcSampleIdSavable(std::string(5000, 'A').c_str()));
    EXPECT_TRUE(CalcSampleIdSavable("Probe\t7 \xc4"));
    EXPECT_FALSE(CalcSampleIdSavable("AAA\n9 1 2 PbO"));
    EXPECT_FALSE(CalcSampleIdSavable("AAA\r"));
}

// The writer's exact lines (empty rows skipped) load back: fields shown as the file holds them, ratios
// exactly, the undetermined ratio -1e308 too; later lines win, rows not named stay empty.
TEST(CalcFileApply, SavedEntryLoadsBack) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    rows.setFormula(0, "Y2O3");
    rows.setRatio(0, UNDETERMINED_RATIO);
    rows.setFormula(2, "BaCO3");
    rows.setFixed(2, 1);
    rows.setRatio(2, 1.0 / 3.0);
    rows.setFormula(29, "CuO");
    rows.setRatio(7, 3.0);  // unused: no line
    std::string bytes =
        Str(CalcSampleLine("run 7") + CalcProductLine(123.456, 0.5, "YBa2Cu3O7") + CalcRowLines(rows));
    EXPECT_EQ(0u, bytes.find("-1 run 7\r\n0 123.45600 0.50000 YBa2Cu3O7\r\n1 0 -1000"));
    const std::string tail = ".00000 Y2O3\r\n3 1 0.3333333333333333 BaCO3\r\n30 0 1.00000 CuO\r\n";
    EXPECT_EQ(tail, bytes.substr(bytes.size() - tail.size()));
    CalcReadResult result;
    ASSERT_EQ(CalcReadStatus::Ok, ReadBytes(bytes + "-1 second\r\n5 1 2 O2\r\n5 0 1 H2\r\n", result));
    CalcFields fields;
    LedraRowStore loaded;
    loaded.create(ROW_CAPACITY);
    ApplyCalcRecords(result.records, fields, loaded);
    EXPECT_EQ("second|YBa2Cu3O7|0.5|123.456", Str(fields.sampleId + "|" + fields.productFormula + "|" +
                                                  fields.ratioText + "|" + fields.amountText));
    EXPECT_EQ(UNDETERMINED_RATIO, *loaded.ratio(0));
    EXPECT_EQ(1.0 / 3.0, *loaded.ratio(2));
    EXPECT_EQ(1, loaded.row(2)->fixed);
    EXPECT_EQ("H2", Str(*loaded.formula(4)));
    EXPECT_EQ(0, loaded.row(4)->fixed);
    EXPECT_EQ("CuO", Str(*loaded.formula(29)));
    for (int i : {1, 3, 5, 7, 28}) EXPECT_TRUE(loaded.formula(i)->IsEmpty()) << i;
}

// Save's text: amount and ratio go to their own places on the product line; a field that is not one
// number makes no text at all.
TEST(CalcFileEntry, SaveTextTakesBothNumbersOrNothing) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    rows.setFormula(1, "CuO");
    const struct {
        const char *amount, *ratio, *expected;
    } cases[] = {
        {"2.5", " 0.5 ", "-1 S\r\n0 2.50000 0.50000 BaTiO3\r\n2 0 1.00000 CuO\r\n"},
        {"", "1", "-1 S\r\n0 0.00000 1.00000 BaTiO3\r\n2 0 1.00000 CuO\r\n"},  // blank reads as 0
        {"2", "?", nullptr},
        {"1,5", "1", nullptr},
        {"2 3", "1", nullptr},
        {"2", "x", nullptr},
    };
    for (const auto &c : cases) {
        CalcFields fields;
        fields.sampleId = "S";
        fields.productFormula = "BaTiO3";
        fields.amountText = c.amount;
        fields.ratioText = c.ratio;
        CString text = "untouched";
        EXPECT_EQ(c.expected != nullptr, CalcEntryText(fields, rows, &text)) << c.amount << "|" << c.ratio;
        EXPECT_EQ(c.expected != nullptr ? c.expected : "untouched", Str(text)) << c.amount << "|" << c.ratio;
    }
}

namespace {

// Fields after a load read back to exactly the file's value, in few digits.
TEST(CalcFileFields, ShowTheFilesValueInTheFewestDigits) {
    const struct {
        double value;
        const char *text;
    } cases[] = {{123.456, "123.456"}, {10.0, "10"},  {0.5, "0.5"},       {0.33333, "0.33333"},
                 {-2.25, "-2.25"},     {-0.0, "0"},   {1e-7, "1e-07"},    {UNDETERMINED_RATIO, "-1e+308"},
                 {1e20, "1e+20"},      {12345678.9, "12345678.9"},         {0.1 + 0.2, "0.30000000000000004"}};
    for (const auto &c : cases) EXPECT_EQ(c.text, Str(FormatFieldNumber(c.value))) << c.value;
    std::mt19937_64 random(9);
    for (int i = 0; i < 20000; ++i) {
        double value = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), int(random() % 120) - 60);
        EXPECT_EQ(value, std::strtod(FormatFieldNumber(value), nullptr)) << value;
    }
}

namespace fs = std::filesystem;


// A fresh folder per test, removed afterwards.
class CalcSave : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("quillon-save-" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        target = folder / "entry.QSF";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    CalcSaveStatus Save(const std::string &text) { return SaveCalcFile(target.string().c_str(), CString(text.c_str())); }

    fs::path folder, target;
};

const char kOld[] = "-1 old\r\n0 1.00000 1.00000 H2O\r\n";

// The file written whole (new or replacing), and no temporary file left behind.
TEST_F(CalcSave, WritesANewFileOrReplacesTheOld) {
    ASSERT_EQ(CalcSaveStatus::Saved, Save(kOld));
    EXPECT_EQ(kOld, ::ReadBytes(target));
    std::string bigger = std::string(kOld) + "-1 " + std::string(100000, 'H') + "\r\n";
    ASSERT_EQ(CalcSaveStatus::Saved, Save(bigger));
    EXPECT_EQ(bigger, ::ReadBytes(target));
    EXPECT_EQ(std::vector<std::string>{"entry.QSF"}, Names());
}

// Failures that used to destroy the chemist's file: the old one stays, the temporary goes.
TEST_F(CalcSave, AFailureKeepsTheOldFileAndLeavesNothingBehind) {
    {
        std::ofstream(target, std::ios::binary) << kOld;
    }
    // The target cannot be replaced: a folder of that name stands there.
    fs::path blocked = folder / "blocked.QSF";
    fs::create_directories(blocked / "inside");
    EXPECT_EQ(CalcSaveStatus::NotReplaced, SaveCalcFile(blocked.string().c_str(), "-1 new\r\n"));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    // No folder to write into.
    fs::path missing = folder / "no such folder" / "entry.QSF";
    EXPECT_EQ(CalcSaveStatus::NoTemporary, SaveCalcFile(missing.string().c_str(), "-1 new\r\n"));
    // Lines that would not open again: nothing is written.
    for (const char *text : {"0 inf 1.00000 H2O\r\n", "1 1 nan H2\r\n", "-1 A\nB\r\n", "-1 A\r"})
        EXPECT_EQ(CalcSaveStatus::Unreadable, Save(std::string(kOld) + text)) << text;
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
    CalcSaveStatus status = Save(std::string(kOld) + "-1 " + std::string(20000, 'O') + "\r\n");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(CalcSaveStatus::WriteFailed, status);
    EXPECT_EQ(kOld, ::ReadBytes(target));
    EXPECT_EQ((std::vector<std::string>{"blocked.QSF", "entry.QSF"}), Names());
#endif
}

// Saving refuses an ID that would come back as two lines, whatever line end it holds.
TEST_F(CalcSave, RefusesAnIdWithALineEnd) {
    for (const char *id : {"AAA\r\n9 1 2 PbO", "AAA\n9 1 2 PbO", "AAA\r9 1 2 PbO"}) {
        EXPECT_EQ(CalcSaveStatus::Unreadable, Save(Str(CalcSampleLine(id) + CalcProductLine(1, 1, "H2O")))) << id;
        EXPECT_FALSE(fs::exists(target)) << id;
    }
    ASSERT_EQ(CalcSaveStatus::Saved, Save(Str(CalcSampleLine(std::string(1100, 'A').c_str()))));
    CalcReadResult result;
    ASSERT_EQ(CalcReadStatus::Ok, ReadCalcFile(target.string().c_str(), ROW_CAPACITY, TestCheck, result));
    EXPECT_EQ(std::string(1100, 'A'), Str(result.records[0].text));
}

}  // namespace
