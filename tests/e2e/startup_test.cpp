// Start-up of the real program, each case in a folder of its own: missing
// libraries and element data end the process with one message; old report
// files are offered for deletion.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/driver/driver.h"

using qdriver::Box;
using qdriver::Quillon;
using qwintest::BoxIcon;


TEST(StartUp, FailuresEndTheProgramWithOneMessage) {
    const struct {
        const char *name;
        std::vector<std::string> files;
        const char *emptyAtoms;  // non-null: ATOMS.LST written with this text
        const char *message;
    } cases[] = {
        // VEXIL.DLL missing: 126 is "module not found"; LEDRA.DLL (absent
        // too) is never tried, or its own message would follow.
        {"no-vexil", {"Quillon.exe", "ATOMS.LST"}, nullptr, "Could not load VEXIL.DLL(126)."},
        {"no-atoms", {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL"}, nullptr, "Couldn't load data from ATOMS.LST."},
        {"empty-atoms", {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL"}, "", "Couldn't load data from ATOMS.LST."},
        // A damaged line is named (here a decimal comma in hydrogen's mass).
        {"damaged-atoms", {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL"}, "  1 H   1,008  m\n",
         "Couldn't load data from ATOMS.LST.\nLine 1 is not an element line: its number, its symbol and a "
         "positive mass written with a point (1.008)."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = qdriver::MakeFolder(c.name, c.files);
        if (c.emptyAtoms != nullptr) std::ofstream(folder + "\\ATOMS.LST") << c.emptyAtoms;
        Quillon quillon;
        ASSERT_TRUE(quillon.Start(folder));
        std::vector<Box> boxes = quillon.BoxesUntilQuiet();
        EXPECT_EQ(quillon.WaitExit(), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].caption, "Quillon");
        EXPECT_EQ(boxes[0].icon, BoxIcon::Exclamation);
    }
}

// The question says how many files there are; Enter (the default, No) keeps them.
TEST(StartUp, OldReportFilesAreOfferedForDeletion) {
    for (int answer : {IDNO, IDYES, IDOK}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : answer == IDNO ? "No" : "Enter");
        std::string folder = qdriver::MakeFolder("old-reports");
        for (const char *name : {"2002.03.21-14.05.09.QL", "2002.03.21-14.05.10.QL"})
            std::ofstream(folder + "\\" + name) << "old sheet\r\n";
        std::ofstream(folder + "\\keep.txt") << "not a report";
        Quillon quillon;
        ASSERT_TRUE(quillon.Start(folder));
        Box box = quillon.WaitBox();
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_EQ(box.text,
                  "There are 2 old output files ( *.QL ), and they are about to be deleted.\n"
                  "Do you want to go ahead and delete them?");
        EXPECT_EQ(box.icon, BoxIcon::Question);
        if (answer == IDOK) {
            quillon.Key(VK_RETURN);
            for (int tries = 0; tries < 250 && ::IsWindow(box.hwnd); ++tries) ::Sleep(20);
        } else {
            quillon.Answer(box, answer);
        }
        ASSERT_NE(quillon.WaitReady(), nullptr);
        EXPECT_EQ(qdriver::FilesIn(folder, "*.QL").size(), answer == IDYES ? 0u : 2u);
        EXPECT_EQ(qdriver::FilesIn(folder, "keep.txt").size(), 1u);
        quillon.Key(VK_ESCAPE);
        EXPECT_EQ(quillon.WaitExit(), 0);
    }
}
