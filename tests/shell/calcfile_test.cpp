#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "calcfile.h"
#include "rowstore.h"

namespace {

// Stand-in for the formula parser: letters, digits, '.' and parentheses,
// and no 'x' (so that "Xx" is an unknown element).
int TestCheck(const char *formula) {
    for (const char *p = formula; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == 'x' || !(std::isalnum(c) || c == '.' || c == '(' || c == ')')) return 0;
    }
    return 1;
}

// Parses one line; returns the ParseCalcLine result and the record.
int Parse(const char *text, CalcRecord *record, int capacity = ROW_CAPACITY) {
    char buffer[CALC_LINE_SIZE];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    return ParseCalcLine(buffer, capacity, TestCheck, record);
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

std::string Str(const CString &s) { return std::string(s.GetString(), s.GetLength()); }

}  // namespace

TEST(CalcFileWriter, LinesAsWritten) {
    EXPECT_EQ("-1 S-17\r\n", Str(CalcSampleLine("S-17")));
    EXPECT_EQ("-1 \r\n", Str(CalcSampleLine("")));
    EXPECT_EQ("0 123.45600 1.00000 H2O\r\n", Str(CalcProductLine(123.456, 1.0, "H2O")));
    EXPECT_EQ("0 10.00000 1.00000 \r\n", Str(CalcProductLine(10, 1, "")));
    EXPECT_EQ("7 1 0.50000 Y2O3\r\n", Str(CalcRowLine(7, 1, 0.5, "Y2O3")));
    EXPECT_EQ("123.46", Str(FormatFieldNumber(123.456)));  // the dialog's fields: five digits
}

TEST(CalcFileWriter, RowLinesSkipEmptyRows) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    rows.setFormula(1, "BaCO3");
    rows.setFormula(4, "TiO2");
    rows.setFixed(4, 1);
    rows.setRatio(4, 2.0);
    rows.setRatio(7, 3.0);  // unused: no line
    EXPECT_EQ("2 0 1.00000 BaCO3\r\n5 1 2.00000 TiO2\r\n", Str(CalcRowLines(rows)));
}

TEST(CalcFileReader, AcceptedLines) {
    struct Case {
        const char *line;
        CalcRecordKind kind;
        const char *text;
        double amount, ratio;
        int row, fixed;
    } cases[] = {
        {"-1 S-17", CALC_SAMPLE, "S-17", 0, 0, 0, 0},
        {"-1", CALC_SAMPLE, "", 0, 0, 0, 0},
        {"  -42   my  sample \t\r\n", CALC_SAMPLE, "my  sample", 0, 0, 0, 0},
        {"0 10.00000 1.00000 YBa2Cu3O7\r\n", CALC_PRODUCT, "YBa2Cu3O7", 10, 1, 0, 0},
        {"0 123.456 2 H2O", CALC_PRODUCT, "H2O", 123.456, 2, 0, 0},
        {"0 5 1", CALC_PRODUCT, "", 5, 1, 0, 0},  // an empty product is a valid formula
        {"1 0 1.00000 Y2O3", CALC_ROW, "Y2O3", 0, 1, 1, 0},
        {"30 1 0.25 CuO", CALC_ROW, "CuO", 0, 0.25, 30, 1},
        {"4 7 2 BaO", CALC_ROW, "BaO", 0, 2, 4, 1},  // any nonzero flag is Fixed
        {"3 0 1", CALC_ROW, "", 0, 1, 3, 0},          // empties row 3
    };
    for (const Case &c : cases) {
        CalcRecord record;
        ASSERT_EQ(1, Parse(c.line, &record)) << c.line;
        EXPECT_EQ(c.kind, record.kind) << c.line;
        EXPECT_EQ(std::string(c.text), Str(record.text)) << c.line;
        if (c.kind == CALC_PRODUCT) {
            EXPECT_EQ(c.amount, record.amount) << c.line;
        }
        if (c.kind != CALC_SAMPLE) {
            EXPECT_EQ(c.ratio, record.ratio) << c.line;
        }
        if (c.kind == CALC_ROW) {
            EXPECT_EQ(c.row, record.row) << c.line;
            EXPECT_EQ(c.fixed, record.fixed) << c.line;
        }
    }
}

TEST(CalcFileReader, RejectedAndBlankLines) {
    struct Case {
        const char *line;
        int result;
    } cases[] = {
        {"", 0},
        {" \t\r\n", 0},
        {"abc", -1},
        {"H2O 1 1 H2O", -1},
        {"31 1 1.0 H2", -1},  // above capacity
        {"0 x 1 H2O", -1},
        {"0 10 H2O", -1},  // the ratio does not convert
        {"0 10 1 Xx", -1}, // the formula fails the check
        {"5 1", -1},
        {"5 a 1 H2", -1},
        {"5 1 ? H2", -1},
        {"5 1 1.0 H2 O", -1},
    };
    for (const Case &c : cases) {
        CalcRecord record;
        EXPECT_EQ(c.result, Parse(c.line, &record)) << c.line;
    }
    CalcRecord record;
    EXPECT_EQ(1, Parse("3 1 1 H2", &record, 3));
    EXPECT_EQ(-1, Parse("4 1 1 H2", &record, 3));
}

TEST(CalcFileReader, RecordsInFileOrderWithLineNumbers) {
    CalcReadResult result;
    ASSERT_EQ(CALC_READ_OK, ReadBytes("-1 A\r\n\r\n   \n2 0 1 BaCO3\n0 10 1 BaTiO3\r\n-1 B", result));
    ASSERT_EQ(4u, result.records.size());
    EXPECT_EQ(1, result.records[0].line);
    EXPECT_EQ(4, result.records[1].line);
    EXPECT_EQ(5, result.records[2].line);
    EXPECT_EQ(6, result.records[3].line);
    EXPECT_EQ("B", Str(result.records[3].text));
}

TEST(CalcFileReader, FailureKeepsTheEarlierRecordsAndNamesTheLine) {
    CalcReadResult result;
    EXPECT_EQ(CALC_BAD_LINE, ReadBytes("-1 A\r\n0 10 1 H2O\r\n\r\n31 1 1 H2\r\n1 0 1 H2\r\n", result));
    EXPECT_EQ(4, result.failingLine);
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(CALC_PRODUCT, result.records[1].kind);
}

TEST(CalcFileReader, LongLinesComeInPieces) {
    // "-1 " and 1500 letters: the first 1023 characters are a sample line,
    // the rest is a piece of its own without a leading integer.
    CalcReadResult result;
    std::string longSample = "-1 " + std::string(1500, 'a') + "\r\n";
    EXPECT_EQ(CALC_BAD_LINE, ReadBytes("0 1 1 H2\r\n" + longSample, result));
    EXPECT_EQ(2, result.failingLine);
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(1020, result.records[1].text.GetLength());

    // Exactly 1023 characters before CR LF: the CR LF is a blank piece, and
    // the next line is line 2.
    std::string exact = "-1 " + std::string(1020, 'b') + "\r\n" + "1 1 2 H2\r\n";
    ASSERT_EQ(CALC_READ_OK, ReadBytes(exact, result));
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(1020, result.records[0].text.GetLength());
    EXPECT_EQ(2, result.records[1].line);

    // A row line whose formula is cut: the piece after it starts with a
    // number and is read as a row line of its own.
    std::string cut = "1 1 2 " + std::string(1017, 'H') + "5 1 3 O2\r\n";
    ASSERT_EQ(CALC_READ_OK, ReadBytes(cut, result));
    ASSERT_EQ(2u, result.records.size());
    EXPECT_EQ(5, result.records[1].row);
}

TEST(CalcFileReader, MissingFileFailsToOpen) {
    CalcReadResult result;
    EXPECT_EQ(CALC_OPEN_FAILED, ReadCalcFile("no/such/dir/file.qsf", ROW_CAPACITY, TestCheck, result));
    EXPECT_TRUE(result.records.empty());
}

TEST(CalcFileApply, LaterLinesWinAndGapsStayEmpty) {
    CalcReadResult result;
    ASSERT_EQ(CALC_READ_OK, ReadBytes("2 1 0.5 Y2O3\r\n-1 first\r\n5 0 1 CuO\r\n"
                                      "-1 second\r\n2 0 1 BaCO3\r\n",
                                      result));
    CalcFields fields;
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    ApplyCalcRecords(result.records, fields, rows);
    EXPECT_EQ("second", Str(fields.sampleId));
    EXPECT_EQ("BaCO3", Str(*rows.formula(1)));
    EXPECT_EQ(0, rows.row(1)->fixed);
    EXPECT_EQ("CuO", Str(*rows.formula(4)));
    for (int i : {0, 2, 3}) EXPECT_TRUE(rows.formula(i)->IsEmpty()) << i;
    // No product line: the product fields keep their start-up texts.
    EXPECT_EQ("", Str(fields.productFormula));
    EXPECT_EQ("1", Str(fields.ratioText));
    EXPECT_EQ("1", Str(fields.amountText));
}

TEST(CalcFileApply, SavedEntryLoadsBack) {
    LedraRowStore rows;
    rows.create(ROW_CAPACITY);
    rows.setFormula(0, "Y2O3");
    rows.setRatio(0, UNDETERMINED_RATIO);
    rows.setFormula(2, "BaCO3");
    rows.setFixed(2, 1);
    rows.setRatio(2, 1.0 / 3.0);
    rows.setFormula(29, "CuO");
    std::string bytes = Str(CalcSampleLine("run 7") + CalcProductLine(123.456, 0.5, "YBa2Cu3O7") +
                            CalcRowLines(rows));
    CalcReadResult result;
    ASSERT_EQ(CALC_READ_OK, ReadBytes(bytes, result));

    CalcFields fields;
    LedraRowStore loaded;
    loaded.create(ROW_CAPACITY);
    ApplyCalcRecords(result.records, fields, loaded);
    EXPECT_EQ("run 7", Str(fields.sampleId));
    EXPECT_EQ("YBa2Cu3O7", Str(fields.productFormula));
    EXPECT_EQ("0.5", Str(fields.ratioText));
    EXPECT_EQ("123.46", Str(fields.amountText));
    EXPECT_EQ(UNDETERMINED_RATIO, *loaded.ratio(0));  // "%.5f" of -1e308 reads back exactly
    EXPECT_EQ(0.33333, *loaded.ratio(2));
    EXPECT_EQ(1, loaded.row(2)->fixed);
    EXPECT_EQ("CuO", Str(*loaded.formula(29)));
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        if (i != 0 && i != 2 && i != 29) {
            EXPECT_TRUE(loaded.formula(i)->IsEmpty()) << i;
        }
    }
}
