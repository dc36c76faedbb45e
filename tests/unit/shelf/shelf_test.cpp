// The shelf file: reading every spelling a spreadsheet or an editor gives,
// the bad lines named by number, the one message of a read.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "core/datatext.h"
#include "core/shelf.h"
#include "tests/support/chemistry.h"
#include "tests/support/files.h"

namespace {

const ShelfFormulaCheck Check = [](const char *formula) { return Atoms().parser.Check(formula) == 0; };

std::string Number(double value) { return value == 0.0 ? "" : ExactNumber(value); }

// Each bottle as "line formula|name|purity|density|molarity|fraction|supplier|lot|location|note|unknown..."
// (trailing empty cells left out), each problem as "line ! reason", in line order.
std::string Summary(const Shelf &shelf) {
    std::string text;
    size_t p = 0;
    const auto problemsBefore = [&](int line) {
        for (; p < shelf.problems.size() && shelf.problems[p].line < line; ++p)
            text += std::to_string(shelf.problems[p].line) + " ! " + shelf.problems[p].reason.GetString() + "\n";
    };
    for (const Bottle &b : shelf.bottles) {
        problemsBefore(b.line);
        std::string cells = std::string(b.formula) + "|" + b.name.GetString() + "|" + Number(b.purity) + "|" +
                            Number(b.form.density) + "|" + Number(b.form.molarity) + "|" + Number(b.form.massFraction) +
                            "|" + b.supplier.GetString() + "|" + b.lot.GetString() + "|" + b.location.GetString() + "|" +
                            b.note.GetString();
        for (const CString &cell : b.unknown) cells += std::string("|") + cell.GetString();
        while (!cells.empty() && cells.back() == '|') cells.pop_back();
        text += std::to_string(b.line) + " " + cells + "\n";
    }
    problemsBefore(1 << 30);
    return text;
}

struct ReadCase {
    const char *what;
    std::string bytes;
    ShelfReadStatus status;
    std::string summary;
};

const std::string FULL = "Formula,Name,Purity (%),Density (g/mL),Molarity (mol/L),Mass fraction (%),Supplier,Lot,Location,Note";

TEST(ShelfRead, EverySpellingOfTheFile) {
    const ReadCase cases[] = {
        {"UTF-8 with a byte-order mark, CR LF, two lots of one formula, a neat liquid and a solution",
         "\xEF\xBB\xBF" + FULL + "\r\nBaCO3,Barium carbonate,99.98,,,,Northfield Chemicals,NC-1,A1,dry\r\n"
                                 "BaCO3,Barium carbonate,99.9,,,,Eastbrook,EB-7\r\n"
                                 "Si(OC2H5)4,TEOS,98,0.933\r\nY(NO3)3,,,1.1,0.5\r\n",
         ShelfReadStatus::Read,
         "2 BaCO3|Barium carbonate|99.98||||Northfield Chemicals|NC-1|A1|dry\n3 BaCO3|Barium carbonate|99.9||||Eastbrook|EB-7\n"
         "4 Si(OC2H5)4|TEOS|98|0.933\n5 Y(NO3)3||100|1.1|0.5\n"},
        {"header names in any case, order and spacing, with or without units; unknown columns kept in order",
         " lot ,Shelf no.,FORMULA, purity(%) ,mass fraction,Extra\nL1,7,TiO2,99.9,,x\nL2,8, ZnO ,,25,\n",
         ShelfReadStatus::Read, "2 TiO2||99.9|||||L1|||7|x\n3 ZnO||100|||25||L2|||8\n"},
        {"Windows-1252: the middle dot 0xB7 and accented letters as they are; LF",
         "Formula,Name\nCuSO4\xB7" "5H2O,Sulfate bleu \xE9\x80\n", ShelfReadStatus::Read,
         "2 CuSO4\xB7" "5H2O|Sulfate bleu \xE9\x80|100\n"},
        {"UTF-8 without a mark: the middle dot and the euro sign become their Windows-1252 bytes",
         "Formula,Name\nCuSO4\xC2\xB7" "5H2O,\xE2\x82\xAC\n", ShelfReadStatus::Read, "2 CuSO4\xB7" "5H2O|\x80|100\n"},
        {"a character Windows-1252 lacks makes its line bad, and only it",
         "Formula,Name\nAl2O3,\xCE\xB1-alumina\nMgO\n", ShelfReadStatus::Read,
         "2 ! it holds the character U+03B1, which Windows-1252 has no byte for\n3 MgO||100\n"},
        {"quoted cells: commas, doubled quotes, a line end inside; line numbers count the lines a cell spans",
         "Formula,Supplier,Note\r\n\"CaCO3\",\"Smith, Jones & Co\",\"a \"\"fine\"\" powder\r\nsieved\"\r\nMgO,\" two blanks \"\r\n",
         ShelfReadStatus::Read,
         "2 CaCO3||100||||Smith, Jones & Co|||a \"fine\" powder\r\nsieved\n4 MgO||100|||| two blanks \n"},
        {"fewer fields: the rest blank; more: bad unless the extra ones are empty; blank lines skipped but counted",
         "Formula,Name,Purity\n\nZrO2\n  \nTa2O5,Tantalum oxide,99.99,,\nNb2O5,x,99.9,oops\n,,\n", ShelfReadStatus::Read,
         "3 ZrO2||100\n5 Ta2O5|Tantalum oxide|99.99\n6 ! it has a field the header does not name\n"},
        {"every value's refusal, each line by its number",
         "Formula,Purity,Density,Molarity,Mass fraction\n"
         "BaCO3,120\nTiO2,0\nSrCO3,0.000001\n,99\nXq2O3\nC2H6O2,,-1\nLiNO3,,,\"1,5\"\nLiOH,,1.1,1,5\nLiCl,99,1.1,1\nNaCl,99 %\nKCl,,1e999\n"
         "NH3,,\xBF\nHCl,,1.18\xB5\nHNO3,,\"1.4\r\"\nH2SO4,,1.84\xA0\n",
         ShelfReadStatus::Read,
         "2 ! purity must be above 0 and at most 100 %, not 120\n3 ! purity must be above 0 and at most 100 %, not 0\n"
         "4 ! purity must be at least 0.00001 % (the sheet shows 5 decimals), not 1e-06\n5 ! the formula is missing\n"
         "6 ! the formula Xq2O3 does not parse\n"
         "7 ! density of C2H6O2 must be a number of at least 0.00001 g/mL (the sheet shows 5 decimals), not -1\n"
         "8 ! molarity must be a plain decimal number, not \"1,5\" (use a point for decimals: 1.5)\n"
         "9 ! LiOH has both a molarity and a mass fraction: give one of them\n"
         "10 ! purity of LiCl must be 100 % for a solution: its molarity or mass fraction says how much of it is the compound\n"
         "11 ! purity must be a plain decimal number, not \"99 %\"\n12 ! density must be a plain decimal number, not \"1e999\"\n"
         "13 ! density must be a plain decimal number, not \"\xBF\"\n"
         "14 ! density must be a plain decimal number, not \"1.18\xB5\"\n"
         "15 ! density must be a plain decimal number, not \"1.4\r\"\n17 H2SO4||100|1.84\n"},
        {"a quoted cell that never ends: that line alone is bad", "Formula,Note\nZnO,\"open\nMgO\n", ShelfReadStatus::Read,
         "2 ! a quoted cell does not end\n3 MgO||100\n"},
        {"UTF-8 marked, but a line is not UTF-8", "\xEF\xBB\xBF" "Formula,Name\nZnO,\xE9t\xE9\nMgO\n", ShelfReadStatus::Read,
         "2 ! it is not UTF-8\n3 MgO||100\n"},
        {"no Formula column", "Name,Purity\nx,99\n", ShelfReadStatus::NotAShelf, ""},
        {"nothing but a mark and blank lines", "\xEF\xBB\xBF\r\n\r\n", ShelfReadStatus::NotAShelf, ""},
    };
    for (const ReadCase &c : cases) {
        Shelf shelf;
        EXPECT_EQ(c.status, ReadShelfText(c.bytes, Check, &shelf)) << c.what;
        EXPECT_EQ(c.summary, Summary(shelf)) << c.what;
    }
}

TEST(ShelfRead, FindsBottlesByTheFormulasMeaning) {
    Shelf shelf;
    ReadShelfText("Formula,Lot\nCuSO4*5H2O,a\nCuSO4\xC2\xB7" "5H2O,b\nZnO,c\n", Check, &shelf);
    EXPECT_EQ((std::vector<int>{0, 1}), shelf.Find(" CuSO4\xB7" "5H2O "));
    EXPECT_EQ((std::vector<int>{2}), shelf.Find("ZnO"));
    EXPECT_TRUE(shelf.Find("zno").empty());
    BottleRef lot;
    lot.lot = "b";
    EXPECT_EQ(1, shelf.FindBottle("CuSO4*5H2O", lot));
}

TEST(ShelfRead, TheOneMessage) {
    std::string bytes = "Formula,Purity\nZnO\n";
    for (int i = 0; i < 22; ++i) bytes += "MgO,200\n";
    Shelf shelf;
    ASSERT_EQ(ShelfReadStatus::Read, ReadShelfText(bytes, Check, &shelf));
    const std::string message = ShelfReadMessage(ShelfReadStatus::Read, "lab.csv", shelf).GetString();
    EXPECT_EQ(0u, message.find("The shelf file lab.csv has lines that give no bottle:\n"
                               "line 3: purity must be above 0 and at most 100 %, not 200\nline 4: "));
    EXPECT_NE(std::string::npos, message.find("\nline 22: purity"));
    EXPECT_EQ(std::string::npos, message.find("line 23"));
    EXPECT_NE(std::string::npos, message.find("\nand 2 more\n1 bottle is usable."));

    ReadShelfText("Formula\nZnO\n", Check, &shelf);
    EXPECT_EQ("", std::string(ShelfReadMessage(ShelfReadStatus::Read, "lab.csv", shelf)));
    EXPECT_EQ(ShelfReadStatus::Missing, ReadShelfFile("no/such/shelf.csv", Check, &shelf));
    EXPECT_TRUE(shelf.bottles.empty());
    EXPECT_EQ("The shelf file no/such/shelf.csv does not exist. No bottle is taken from a shelf.",
              std::string(ShelfReadMessage(ShelfReadStatus::Missing, "no/such/shelf.csv", shelf)));
}

TEST(ShelfWrite, KeepsWhatItReadAndWritesWhatChanged) {
    // Read and written unchanged: the same bytes, whatever the encoding, line end, quoting or bad line.
    const std::string files[] = {
        "\xEF\xBB\xBF" "Formula,Shelf no.,Purity,Note\r\nBaCO3,7,99.98,\"a \"\"fine\"\"\r\npowder\"\r\nBaCO3,8,200\r\n"
        "CuSO4\xC2\xB7" "5H2O,9,  99.0 ,\r\n",
        "formula,name\nZnO,Zinc oxide \xE9\nZnO,x,y\n"};
    for (const std::string &bytes : files) {
        Shelf shelf;
        ReadShelfText(bytes, Check, &shelf);
        EXPECT_EQ(bytes, Str(ShelfText(shelf)));
    }
    // Changed and added bottles in the header's columns (one added for the lot), in the file's
    // encoding; the bad line and the unchanged bottle as they were.
    Shelf shelf;
    ReadShelfText("Formula,Shelf no.,Purity\r\nBaCO3,7,99.98\r\nTiO2,8,,\r\nMgO,9,0\r\n", Check, &shelf);
    shelf.bottles[1].purity = 99.9;
    shelf.bottles[1].form.density = 4.23;
    Bottle added;
    added.formula = "CuSO4\xB7" "5H2O";
    added.lot = " Smith, \"A\"";
    added.unknown.push_back("10 ");
    shelf.bottles.push_back(added);
    const std::string text = Str(ShelfText(shelf));
    EXPECT_EQ("Formula,Shelf no.,Purity,Density (g/mL),Lot\r\nBaCO3,7,99.98\r\nTiO2,8,99.9,4.23,\r\nMgO,9,0\r\n"
              "CuSO4\xC2\xB7" "5H2O,\"10 \",100,,\" Smith, \"\"A\"\"\"\r\n", text);
    Shelf again;
    ReadShelfText(text, Check, &again);
    EXPECT_EQ("2 BaCO3||99.98||||||||7\n3 TiO2||99.9|4.23|||||||8\n4 ! purity must be above 0 and at most 100 %, not 0\n"
              "5 CuSO4\xB7" "5H2O||100||||| Smith, \"A\"|||10 \n",
              Summary(again));
    // A column added goes past a bad line's extra field, which never falls into it.
    ReadShelfText("Formula,Lot\nZnO,a,extra\n", Check, &again);
    again.bottles.push_back(added);
    again.bottles.back().note = "n";
    EXPECT_EQ(0u, Str(ShelfText(again)).find("Formula,Lot,,Note\nZnO,a,extra\n"));
    // A shelf never read: UTF-8 with a mark, CR LF, the ten columns.
    Shelf fresh;
    fresh.bottles = {added};
    fresh.bottles.back().unknown.clear();
    EXPECT_EQ("\xEF\xBB\xBF" + FULL + "\r\nCuSO4\xC2\xB7" "5H2O,,100,,,,,\" Smith, \"\"A\"\"\",,\r\n",
              Str(ShelfText(fresh)));
}

void WriteFile(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

TEST(ShelfWrite, NeverOverwritesAChangeMadeElsewhereUnasked) {
    const std::string path = testing::TempDir() + "quillon-shelf-save.csv";
    std::remove(path.c_str());
    Shelf shelf;
    ASSERT_EQ(ShelfReadStatus::Missing, ReadShelfFile(path.c_str(), Check, &shelf));
    shelf.bottles.emplace_back();
    shelf.bottles[0].formula = "ZnO";
    ASSERT_EQ(ShelfSaveStatus::Saved, SaveShelfFile(path.c_str(), &shelf));  // absent as read: made
    EXPECT_EQ(Str(ShelfText(shelf)), ReadBytes(path));
    EXPECT_EQ(2, shelf.bottles[0].line);
    shelf.bottles[0].purity = 99.5;
    ASSERT_EQ(ShelfSaveStatus::Saved, SaveShelfFile(path.c_str(), &shelf));  // as last saved: replaced

    const std::string theirs = ReadBytes(path) + "MgO\r\n";
    WriteFile(path, theirs);
    EXPECT_EQ(ShelfSaveStatus::ChangedOnDisk, SaveShelfFile(path.c_str(), &shelf));
    EXPECT_EQ(theirs, ReadBytes(path));
    std::remove(path.c_str());
    EXPECT_EQ(ShelfSaveStatus::ChangedOnDisk, SaveShelfFile(path.c_str(), &shelf));  // vanished
    WriteFile(path, theirs);
    ASSERT_EQ(ShelfSaveStatus::Saved, SaveShelfFile(path.c_str(), &shelf, true));

    WriteFile(path, "Formula,Purity\r\nZnO\r\nMgO,0\r\nCaO\r\n");  // a bottle removed: the lines renumbered
    ASSERT_EQ(ShelfReadStatus::Read, ReadShelfFile(path.c_str(), Check, &shelf));
    shelf.bottles.erase(shelf.bottles.begin());
    ASSERT_EQ(ShelfSaveStatus::Saved, SaveShelfFile(path.c_str(), &shelf));
    EXPECT_EQ("Formula,Purity\r\nMgO,0\r\nCaO\r\n", ReadBytes(path));
    EXPECT_EQ(2, shelf.problems[0].line);
    EXPECT_EQ(3, shelf.bottles[0].line);

    Shelf fresh;  // never read: a file that is there is not its own
    EXPECT_EQ(ShelfSaveStatus::ChangedOnDisk, SaveShelfFile(path.c_str(), &fresh));
    WriteFile(path, "Sample,Mass\nA,1\n");  // not a shelf: never replaced unasked
    ASSERT_EQ(ShelfReadStatus::NotAShelf, ReadShelfFile(path.c_str(), Check, &shelf));
    EXPECT_EQ(ShelfSaveStatus::ChangedOnDisk, SaveShelfFile(path.c_str(), &shelf));
    std::remove(path.c_str());
}

}  // namespace
