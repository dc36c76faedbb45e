#include <gtest/gtest.h>

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

#include "calcfile.h"
#include "rowstore.h"

namespace {

// Stand-in for the formula parser: no blanks, and no 'x' ("Xx" is an unknown element).
int TestCheck(const char *formula) { return std::strpbrk(formula, "x \t") == nullptr; }

std::string Str(const CString &s) { return std::string(s.GetString(), s.GetLength()); }

// One line parsed: "blank", "bad", or the record as "kind row fixed amount ratio |text|".
std::string Parse(const char *text, int capacity = ROW_CAPACITY) {
    char buffer[CALC_LINE_SIZE];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    CalcRecord r;
    int result = ParseCalcLine(buffer, capacity, TestCheck, &r);
    if (result <= 0) return result == 0 ? "blank" : "bad";
    char out[CALC_LINE_SIZE + 64];
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
    };
    for (auto &c : cases) EXPECT_EQ(c[1], Parse(c[0])) << c[0];
    EXPECT_EQ("2 3 1 0 1 |H2|", Parse("3 1 1 H2", 3));
    EXPECT_EQ("bad", Parse("4 1 1 H2", 3));
}

// Records keep their line numbers (blank lines count); a bad line stops the read and is named.
TEST(CalcFileReader, FailureKeepsTheEarlierRecordsAndNamesTheLine) {
    CalcReadResult result;
    EXPECT_EQ(CALC_BAD_LINE,
              ReadBytes("-1 A\r\n\r\n   \n2 0 1 BaCO3\n0 10 1 H2O\r\n31 1 1 H2\r\n1 0 1 H2\r\n", result));
    EXPECT_EQ(6, result.failingLine);
    ASSERT_EQ(3u, result.records.size());
    EXPECT_EQ(1, result.records[0].line);
    EXPECT_EQ(4, result.records[1].line);
    EXPECT_EQ(5, result.records[2].line);
    EXPECT_EQ(CALC_OPEN_FAILED, ReadCalcFile("no/such/dir/file.qsf", ROW_CAPACITY, TestCheck, result));
}

// Lines longer than 1023 characters are read in pieces, each piece a line of its own.
TEST(CalcFileReader, LongLinesComeInPieces) {
    CalcReadResult result;  // the rest of a long sample line has no leading integer
    EXPECT_EQ(CALC_BAD_LINE, ReadBytes("0 1 1 H2\r\n-1 " + std::string(1500, 'a') + "\r\n", result));
    EXPECT_EQ(2, result.failingLine);
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(1020, result.records[1].text.GetLength());

    // Exactly 1023 characters: the CR LF is a blank piece and the next line is line 2.
    ASSERT_EQ(CALC_READ_OK, ReadBytes("-1 " + std::string(1020, 'b') + "\r\n1 1 2 H2\r\n", result));
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(1020, result.records[0].text.GetLength());
    EXPECT_EQ(2, result.records[1].line);

    // The piece after a cut row line starts with a number and reads as a row line of its own.
    ASSERT_EQ(CALC_READ_OK, ReadBytes("1 1 2 " + std::string(1017, 'H') + "5 1 3 O2\r\n", result));
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(5, result.records[1].row);
}

// The writer's exact lines (empty rows skipped) load back: fields shown as the file holds them, ratios rounded
// to five places, the undetermined ratio -1e308 exactly; later lines win, rows not named stay empty.
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
    const std::string tail = ".00000 Y2O3\r\n3 1 0.33333 BaCO3\r\n30 0 1.00000 CuO\r\n";
    EXPECT_EQ(tail, bytes.substr(bytes.size() - tail.size()));
    CalcReadResult result;
    ASSERT_EQ(CALC_READ_OK, ReadBytes(bytes + "-1 second\r\n5 1 2 O2\r\n5 0 1 H2\r\n", result));
    CalcFields fields;
    LedraRowStore loaded;
    loaded.create(ROW_CAPACITY);
    ApplyCalcRecords(result.records, fields, loaded);
    EXPECT_EQ("second|YBa2Cu3O7|0.5|123.456", Str(fields.sampleId + "|" + fields.productFormula + "|" +
                                                  fields.ratioText + "|" + fields.amountText));
    EXPECT_EQ(UNDETERMINED_RATIO, *loaded.ratio(0));
    EXPECT_EQ(0.33333, *loaded.ratio(2));
    EXPECT_EQ(1, loaded.row(2)->fixed);
    EXPECT_EQ("H2", Str(*loaded.formula(4)));
    EXPECT_EQ(0, loaded.row(4)->fixed);
    EXPECT_EQ("CuO", Str(*loaded.formula(29)));
    for (int i : {1, 3, 5, 7, 28}) EXPECT_TRUE(loaded.formula(i)->IsEmpty()) << i;
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

std::string Slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

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
    ASSERT_EQ(CALC_SAVED, Save(kOld));
    EXPECT_EQ(kOld, Slurp(target));
    std::string bigger = std::string(kOld) + std::string(100000, 'H') + "\r\n";
    ASSERT_EQ(CALC_SAVED, Save(bigger));
    EXPECT_EQ(bigger, Slurp(target));
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
    EXPECT_EQ(CALC_SAVE_NOT_REPLACED, SaveCalcFile(blocked.string().c_str(), "-1 new\r\n"));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    // No folder to write into.
    fs::path missing = folder / "no such folder" / "entry.QSF";
    EXPECT_EQ(CALC_SAVE_NO_TEMPORARY, SaveCalcFile(missing.string().c_str(), "-1 new\r\n"));
    EXPECT_EQ((std::vector<std::string>{"blocked.QSF", "entry.QSF"}), Names());
    EXPECT_EQ(kOld, Slurp(target));
#ifndef _WIN32
    // A full disk: files may not grow past 4 KiB while this runs.
    struct rlimit before;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
    struct rlimit tiny = before;
    tiny.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tiny));
    CalcSaveStatus status = Save(std::string(kOld) + std::string(20000, 'O'));
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(CALC_SAVE_WRITE_FAILED, status);
    EXPECT_EQ(kOld, Slurp(target));
    EXPECT_EQ((std::vector<std::string>{"blocked.QSF", "entry.QSF"}), Names());
#endif
}

}  // namespace
