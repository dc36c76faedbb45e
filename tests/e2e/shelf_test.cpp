// The lab's shelf end to end: the example shelf in the Shelf window; rows taking their bottles as their
// formulas are typed (one bottle, a choice among two, a question before values typed for the row are
// replaced), the sheet naming them, a reopened file told what the shelf changed since, and a shelf
// file gone between runs said once at start.
#include <gtest/gtest.h>

#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Box;
using qdriver::Quillon;
using qwintest::BoxIcon;

namespace {

using ShelfEndToEnd = qdriver::Session;

void WriteShelf(const std::string &path, const std::string &rutilePurity, const std::string &rutileLot = "HR-77") {
    std::ofstream(path, std::ios::binary) << "Formula,Name,Purity (%),Supplier,Lot\r\n"
                                             "BaCO3,Barium carbonate,99.98,Northfield Chemicals,NC-2291\r\n"
                                             "TiO2,Titanium dioxide,99.9,Northfield Chemicals,NC-1043\r\n"
                                             "TiO2,\"Titanium dioxide, rutile\","
                                          << rutilePurity << ",Harlow Reagents," << rutileLot << "\r\n";
}

TEST_F(ShelfEndToEnd, RowsTakeTheirBottlesAndAReopenedFileSaysWhatChanged) {
    // The example shelf reads whole, and the Shelf window lists every bottle of it.
    const std::string shelf = folder + "\\shelf.csv";
    ASSERT_TRUE(::CopyFileA(QUILLON_GOLDEN "/../../examples/shelf.csv", shelf.c_str(), FALSE));
    quillon.FileCommand(ID_OPTIONS_SHELF_FILE, shelf);
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr) << "the example has no bad line";
    HWND window = OpenDialog(ID_OPTIONS_SHELF, "Quillon : Shelf");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(window, IDC_SHELF_COUNT)), "26 bottles");
    quillon.Capture(window).SaveBmp(qwintest::ArtifactPath("quillon-shelf.bmp"));
    qdriver::PressAndWait(quillon, window, IDCANCEL);

    WriteShelf(shelf, "99.5");
    quillon.FileCommand(ID_OPTIONS_SHELF_FILE, shelf);
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr) << "a shelf that reads whole says nothing";

    Enter("BaTiO3", "2", {{"BaCO3", ""}}, "BT-1");  // one bottle: taken at once
    quillon.EnterRow(1, "TiO2");                    // two: the chemist chooses
    HWND choice = OpenDialog(0, "Quillon : Choose a Bottle");
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(choice, IDC_BOTTLE_HEADING)), "The shelf has 2 bottles of TiO2 for row 2:");
    HWND list = ::GetDlgItem(choice, IDC_BOTTLE_LIST);
    ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    const int line = int(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    quillon.Click(list, 30, line + line / 2);
    quillon.Capture(choice).SaveBmp(qwintest::ArtifactPath("quillon-bottle-choice.bmp"));
    qdriver::PressAndWait(quillon, choice, IDOK);
    Press(IDC_SAMPLE_ID);

    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);
    HWND display = Calculate(false);
    ASSERT_NE(display, nullptr);
    const std::string sheet = qdriver::WithoutCR(Report());
    for (const char *named : {"BaCO3: bottle Barium carbonate, Northfield Chemicals, lot NC-2291.",
                              "TiO2: bottle Titanium dioxide, rutile, Harlow Reagents, lot HR-77."})
        EXPECT_NE(sheet.find(named), std::string::npos) << named << " not in\n" << sheet;
    quillon.Capture(display).SaveBmp(qwintest::ArtifactPath("quillon-shelf-sheet.bmp"));
    qdriver::PressAndWait(quillon, display, IDOK);

    // Saved, the rutile's purity changed on the shelf, reopened: the file's values are kept unless taken.
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\bt");
    WriteShelf(shelf, "99.5", "HR-78");  // the file's bottle gone: only said, nothing to take
    quillon.Command(ID_FILE_NEW);
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\bt.QSF");
    ExpectBox("The shelf's values differ from this file's:\nTiO2 (row 2), bottle Titanium dioxide, rutile, Harlow "
              "Reagents, lot HR-77: no longer on the shelf.\n\nThe file's values are kept.",
              BoxIcon::Asterisk, IDOK);
    EXPECT_EQ(quillon.Settled("bt.QSF - Quillon"), "bt.QSF - Quillon");
    WriteShelf(shelf, "99.7");
    for (int answer : {IDNO, IDYES}) {
        quillon.Command(ID_FILE_NEW);
        quillon.FileCommand(ID_FILE_OPEN, folder + "\\bt.QSF");
        Box box = quillon.WaitBox();
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_NE(box.text.find("HR-77: purity 99.7 % on the shelf, 99.5 % in the file."), std::string::npos) << box.text;
        EXPECT_EQ(box.text.substr(box.text.size() - 26), "\n\nTake the shelf's values?");
        EXPECT_EQ(box.icon, BoxIcon::Question);
        quillon.Answer(box, answer);
        const std::string title = answer == IDYES ? "bt.QSF* - Quillon" : "bt.QSF - Quillon";
        EXPECT_EQ(quillon.Settled(title), title);
    }

    // Values typed for a row are not replaced unasked: BaCO3 at 99 % (shown at the bottle's 99.98 % as if
    // typed), its formula typed again.
    HWND weighing = OpenDialog(ID_OPTIONS_WEIGHING, "Quillon : Purity, Excess and Scaling");
    EXPECT_EQ(Quillon::TextOf(::GetDlgItem(weighing, IDC_PURITY)), "99.98");
    quillon.Fill(::GetDlgItem(weighing, IDC_PURITY), "99");
    qdriver::PressAndWait(quillon, weighing, IDOK);
    quillon.EnterRow(0, "BaO");
    quillon.EnterRow(0, "BaCO3");
    ExpectBox("BaCO3 (row 1) has values of its own.\nTake those of the shelf's bottle Barium carbonate, Northfield "
              "Chemicals, lot NC-2291 instead?",
              BoxIcon::Question, IDNO);
    Press(IDC_SAMPLE_ID);
    quillon.FileCommand(ID_FILE_SAVE, folder + "\\typed");
    const std::string typed = ReadBytes(folder + "\\typed.QSF");
    EXPECT_NE(typed.find("\r\npurity 1 99.00000 BaCO3\r\n"), std::string::npos) << typed;
    EXPECT_EQ(typed.find("NC-2291"), std::string::npos) << typed;

    // The shelf file gone before the next start: said once, and the entry works without it.
    EXPECT_EQ(quillon.Exit(ID_FILE_EXIT), 0);
    ::DeleteFileA(shelf.c_str());
    for (const std::string &report : Reports()) ::DeleteFileA((folder + "\\" + report).c_str());  // asked about at start
    ASSERT_TRUE(quillon.Start(folder, true));
    Box missing = quillon.WaitBox();
    EXPECT_NE(missing.text.find("shelf.csv does not exist."), std::string::npos) << missing.text;
    quillon.Answer(missing);
    ASSERT_NE(quillon.WaitReady(), nullptr);
    quillon.EnterRow(0, "BaCO3");
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
    EXPECT_EQ(quillon.WaitDialog("Quillon : Choose a Bottle", 300), nullptr);
    quillon.Command(ID_OPTIONS_NO_SHELF);  // no shelf from the next start on
    Press(IDC_SAMPLE_ID);
    quillon.Command(ID_FILE_EXIT);
    ExpectSaveQuestion(IDNO);
    EXPECT_EQ(quillon.WaitExit(), 0);
    ASSERT_TRUE(quillon.Start(folder, true));
    ASSERT_NE(quillon.WaitReady(), nullptr);
    EXPECT_EQ(quillon.WaitBox(500).hwnd, nullptr);
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\bt.QSF");  // its bottles, with no shelf to compare with
    EXPECT_EQ(quillon.Settled("bt.QSF - Quillon"), "bt.QSF - Quillon");
    EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr) << "no shelf: nothing to say of the file's bottles";
    EXPECT_EQ(quillon.Exit(ID_FILE_EXIT), 0);
}

}  // namespace
