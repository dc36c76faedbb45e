// The main window end to end: start-up (a missing library or element data ends it with one message,
// old report files offered for deletion), the layout, the checks of Calculate and of the fields, Enter
// and Escape, the keyboard layouts, and Help in the desktop's browser.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Box;
using qdriver::Quillon;
using qdriver::SELECTION_CAPTION;
using qwintest::BoxIcon;
using qwintest::kShift;

using MainDialog = qdriver::Session;

namespace {

// The focus in field id, its whole text selected (VEXIL's end is inclusive, 0 answers "no selection").
void ExpectSentBackTo(const Quillon &quillon, int id) {
    EXPECT_EQ(quillon.Focus(), quillon.Item(id));
    DWORD start = 0, end = 0;
    LRESULT selected = ::SendMessageA(quillon.Item(id), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    size_t length = quillon.Text(id).size();
    if (qwintest::ClassOf(quillon.Item(id)) == "VEXIL")
        EXPECT_TRUE(length == 0 || (selected != 0 && start == 0 && end + 1 == length)) << start << "-" << end;
    else
        EXPECT_TRUE(start == 0 && end == length) << start << "-" << end;
}

}  // namespace

TEST(StartUp, FailuresEndTheProgramWithOneMessage) {
    const struct {
        const char *name;
        std::vector<std::string> files;
        const char *atoms, *message;  // atoms non-null: ATOMS.LST written with this text
    } cases[] = {
        // VEXIL.DLL missing (126: module not found); LEDRA.DLL, absent too, is never tried.
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
        if (c.atoms != nullptr) std::ofstream(folder + "\\ATOMS.LST") << c.atoms;
        Quillon quillon;
        ASSERT_TRUE(quillon.Start(folder));
        std::vector<Box> boxes;  // every box answered until none comes for 8 s
        for (Box box; (box = quillon.WaitBox(8000)).hwnd != nullptr; quillon.Answer(box)) boxes.push_back(box);
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
        answer == IDOK ? quillon.Key(VK_RETURN) : quillon.Answer(box, answer);
        ASSERT_NE(quillon.WaitReady(), nullptr);
        EXPECT_EQ(qdriver::FilesIn(folder, "*.QL").size(), answer == IDYES ? 0u : 2u);
        EXPECT_EQ(qdriver::FilesIn(folder, "keep.txt").size(), 1u);
    }
}

// At start the fields and headers lie over the list's columns, the product is empty, ratio and amount
// show 1. Enter never closes the dialog; Ctrl+Shift+J in a formula editor asks it what it runs on;
// Escape closes it, without a question for an unchanged entry.
TEST_F(MainDialog, AtStartEnterStaysEscapeCloses) {
    auto Rect = [&](int id) { RECT r; ::GetWindowRect(quillon.Item(id), &r); return r; };
    RECT list = Rect(IDC_LIST), sample = Rect(IDC_SAMPLE_ID), product = Rect(IDC_PRODUCT),
         ratio = Rect(IDC_PRODUCT_RATIO), number = Rect(IDC_HEADER_NUMBER), formula = Rect(IDC_HEADER_FORMULA),
         ratioHeader = Rect(IDC_HEADER_RATIO);
    // Edges that meet: the product field ends where the ratio column begins, its ratio stands above it.
    const LONG meet[][2] = {{sample.left, list.left},        {sample.right, list.right},
                            {product.left, list.left},       {product.right, ratioHeader.left},
                            {ratio.left, ratioHeader.left},  {ratio.right, list.right},
                            {number.left, list.left},        {number.right, formula.left},
                            {formula.right, ratioHeader.left}};
    for (const auto &edges : meet) EXPECT_EQ(edges[0], edges[1]) << &edges - meet;
    EXPECT_GT(ratioHeader.left, formula.left);
    EXPECT_LT(ratioHeader.left, list.right);
    const std::pair<int, const char *> fields[] = {{IDC_PRODUCT, ""}, {IDC_PRODUCT_RATIO, "1"}, {IDC_AMOUNT, "1"}};
    for (const auto &field : fields) EXPECT_EQ(quillon.Text(field.first), field.second) << field.first;
    EXPECT_TRUE(qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)));

    for (int id : {IDC_SAMPLE_ID, IDC_PRODUCT, IDC_PRODUCT_RATIO, IDC_AMOUNT}) {
        Press(id);
        quillon.Key(VK_RETURN);
        EXPECT_TRUE(::IsWindowVisible(quillon.Main())) << id;
    }
    EXPECT_EQ(quillon.WaitBox(200).hwnd, nullptr);
    Press(IDC_PRODUCT);
    quillon.Key('J', qwintest::kControl | kShift);
    Box box = quillon.WaitBox();
    EXPECT_TRUE(box.caption == "Quillon" && box.icon == BoxIcon::Asterisk) << box.caption;
    EXPECT_NE(box.text.find("ATOMS.LST, 118 elements."), std::string::npos) << box.text;
    quillon.Answer(box);
    Press(IDC_SAMPLE_ID);
    quillon.Key(VK_ESCAPE);
    EXPECT_EQ(quillon.WaitExit(), 0);
}

// Calculate checks the amount first, then the product ratio, then the rest, each message with its
// icon and the field it sends the user back to.
TEST_F(MainDialog, CalculateChecksTheAmountFirst) {
    const struct {
        const char *amount, *product, *ratio;
        bool autoRatio;
        const char *message;
        BoxIcon icon;
        int focus;  // the field the message sends the user back to, or 0
    } cases[] = {
        {"", "", "1", true, "Enter positive value for product amount in grams.", BoxIcon::Exclamation, 0},
        {"5", "", "1", true, "Product entry is empty.", BoxIcon::Hand, 0},
        // No grams follow from a product ratio of 0 (or below) or "?".
        {"5", "BaTiO3", "0", false, "Enter positive value for product ratio.", BoxIcon::Exclamation,
         IDC_PRODUCT_RATIO},
        // Last: leaving "?" in the ratio field would be refused by its own check.
        {"5", "BaTiO3", "?", true, "Enter positive value for product ratio.", BoxIcon::Exclamation,
         IDC_PRODUCT_RATIO},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("amount '") + c.amount + "' product '" + c.product + "' ratio '" + c.ratio + "'");
        Press(IDC_SAMPLE_ID);  // away from the fields set below
        qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), c.autoRatio);
        qdriver::SetText(quillon.Item(IDC_PRODUCT), c.product);
        qdriver::SetText(quillon.Item(IDC_PRODUCT_RATIO), c.ratio);
        qdriver::SetText(quillon.Item(IDC_AMOUNT), c.amount);
        Press(IDC_CALCULATE);
        ExpectBox(c.message, c.icon);
        if (c.focus != 0) ExpectSentBackTo(quillon, c.focus);
        EXPECT_EQ(quillon.WaitDialog(SELECTION_CAPTION, 0), nullptr);
        EXPECT_TRUE(Reports().empty());
    }
}

// Leaving a field checks it: a wrong entry keeps its text, gets the focus back selected and says why,
// once, also when the click that left it was on Calculate (not left pressed); a number is normalised.
TEST_F(MainDialog, LeavingAFieldChecksIt) {
    const struct {
        int id;
        const char *typed, *message, *shown;  // message nullptr: accepted; shown: the text afterwards
        int clicked = IDC_SAMPLE_ID;  // what the field is left for; 0: Tab
    } cases[] = {
        {IDC_AMOUNT, "1,5", "Wrong value for amount!\nUse a point for decimals: 1.5.", "1,5"},
        {IDC_AMOUNT, "1e3", nullptr, "1000"},
        {IDC_AMOUNT, "", nullptr, "0"},
        {IDC_PRODUCT_RATIO, "?", "Wrong ratio value for the product!", "?"},
        // Tab goes into the list, whose reopening of its last cell must not take the focus.
        {IDC_PRODUCT_RATIO, "?", "Wrong ratio value for the product!", "?", 0},
        {IDC_PRODUCT_RATIO, "2.50", nullptr, "2.5"},
        {IDC_PRODUCT, "Y2O3Xx", "Wrong Format for Product.\nXx is not in ATOMS.LST.", "Y2O3Xx"},
        {IDC_PRODUCT, "Xq2", "Wrong Format for Product.\nXq is not in ATOMS.LST.", "Xq2", IDC_AMOUNT},
        {IDC_PRODUCT, "Xq2", "Wrong Format for Product.\nXq is not in ATOMS.LST.", "Xq2", IDC_CALCULATE},
        {IDC_PRODUCT, "Ba(NO3)2", nullptr, "Ba(NO3)2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "', then a click on " + std::to_string(c.clicked));
        quillon.Fill(c.id, c.typed, c.clicked == 0);
        if (c.clicked != 0) Press(c.clicked);
        if (c.message != nullptr) ExpectBox(c.message, BoxIcon::Hand), ExpectSentBackTo(quillon, c.id);
        EXPECT_TRUE(c.message != nullptr || quillon.Focus() != quillon.Item(c.id)) << "accepted, yet the focus stayed";
        EXPECT_EQ(quillon.WaitBox(300).hwnd, nullptr);
        EXPECT_EQ(::SendMessageA(quillon.Item(IDC_CALCULATE), BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
        EXPECT_EQ(quillon.Text(c.id), c.shown);
        quillon.Fill(c.id, c.id == IDC_PRODUCT ? "" : "1", false);  // a valid text again
        Press(IDC_SAMPLE_ID);
    }
}

using KeyboardLayouts = qdriver::Session;

// The product field takes the characters the layout in use gives the keys: the parentheses of a German
// or French keyboard, digits that need Shift on a French one, and letters as Caps Lock makes them.
TEST_F(KeyboardLayouts, ParenthesesDigitsAndCapsLockFollowTheLayout) {
    const unsigned S = 0x100;  // with Shift
    const struct {
        char shift8;         // what Shift+8 types tells the layout
        const char *layout;  // the name scripts/with-display takes in QUILLON_KEYBOARD
        std::vector<unsigned> formula;  // the keys of "Ba(NO3)2"
    } cases[] = {{'*', "us", {'B' | S, 'A', '9' | S, 'N' | S, 'O' | S, '3', '0' | S, '2'}},
                 {'(', "de", {'B' | S, 'A', '8' | S, 'N' | S, 'O' | S, '3', '9' | S, '2'}},
                 {'8', "fr", {'B' | S, 'A', '5', 'N' | S, 'O' | S, '3' | S, VK_OEM_4, '2' | S}}};
    // Wine keeps reporting the US layout id; its key mapping follows the display.
    BYTE state[256] = {};
    state[VK_SHIFT] = 0x80;
    WORD typed = 0;
    ::ToAscii('8', ::MapVirtualKeyA('8', MAPVK_VK_TO_VSC), state, &typed, 0);
    const char shift8 = char(typed & 0xFF), *wanted = std::getenv("QUILLON_KEYBOARD");
    const auto *layout =
        std::find_if(std::begin(cases), std::end(cases), [&](const auto &c) { return c.shift8 == shift8; });
    if (wanted != nullptr && *wanted != '\0') {
        ASSERT_NE(layout, std::end(cases)) << "the display was to have layout " << wanted;
        ASSERT_STREQ(layout->layout, wanted) << "Wine did not take the display's layout";
    }
    if (layout == std::end(cases)) GTEST_SKIP() << "no keys known for a layout whose Shift+8 types " << shift8;

    auto type = [&](const std::vector<unsigned> &keys) {
        for (unsigned key : keys) quillon.Key(key & 0xFF, (key & S) ? kShift : 0u);
    };
    Press(IDC_PRODUCT);
    type(layout->formula);
    EXPECT_EQ(quillon.Settled("Ba(NO3)2", quillon.Item(IDC_PRODUCT)), "Ba(NO3)2") << layout->layout;
    ::SendMessageA(quillon.Item(IDC_PRODUCT), EM_SETSEL, 0, -1);
    type({VK_DELETE, VK_CAPITAL, 'B', 'A', 'C' | S, 'U', VK_CAPITAL});
    EXPECT_EQ(quillon.Settled("BAcU", quillon.Item(IDC_PRODUCT)), "BAcU") << layout->layout << " with Caps Lock";
}

// Wine's browser launcher pointed (in the registry, from before the start) at a stand-in that appends
// what it is asked to open to a log (tests/e2e/CMakeLists.txt).
struct HelpEndToEnd : qdriver::Session {
    HelpEndToEnd() {
        ::SHSetValueA(HKEY_CURRENT_USER, KEY, "Browsers", REG_SZ, QUILLON_STANDIN_BROWSER,
                      DWORD(sizeof QUILLON_STANDIN_BROWSER));
    }
    ~HelpEndToEnd() override { ::SHDeleteValueA(HKEY_CURRENT_USER, KEY, "Browsers"); }
    // The Windows path of the file URL or Unix path the browser was asked to open, once it was asked.
    static std::string Opened() {
        std::string log, path = "Z:";
        for (int tries = 0; tries < 250 && (log.empty() || log.back() != '\n'); ++tries, ::Sleep(40))
            log = ReadBytes(QUILLON_BROWSER_LOG);
        for (size_t i = log.compare(0, 7, "file://") == 0 ? 7 : 0; i + 1 < log.size(); ++i)
            if (log[i] == '%' && i + 3 < log.size())
                path += char(std::stoi(log.substr(i + 1, 2), nullptr, 16)), i += 2;
            else
                path += log[i] == '/' ? '\\' : log[i];
        return path;
    }
    static constexpr const char *KEY = "Software\\Wine\\WineBrowser";
};

// Each way of asking for help opens the first page, a real file, and no HTML Help window; without a
// browser a message says where the pages are.
TEST_F(HelpEndToEnd, HelpOpensTheFirstPageInTheBrowserOrSaysWhereItIs) {
    for (const char *how : {"Help menu", "F1"}) {
        ::DeleteFileA(QUILLON_BROWSER_LOG);
        how[0] == 'F' ? quillon.Key(VK_F1) : quillon.Command(ID_HELP_HELP);
        std::string opened = Opened();
        ASSERT_NE(opened, "Z:") << how << ": the browser was not started";
        EXPECT_NE(ReadBytes(opened).find("<title>Quillon at the bench</title>"), std::string::npos)
            << how << ": " << opened << " holds no first page";
        EXPECT_EQ(quillon.WaitWindow([](HWND window) { return Quillon::TextOf(window) == "Quillon Help"; }, 300),
                  nullptr)
            << how << ": an HTML Help window opened";
    }
    // A browser that cannot be started: a message names the folder the pages were put in, and they are there.
    const char missing[] = "/nonexistent/quillon-browser";
    ::SHSetValueA(HKEY_CURRENT_USER, KEY, "Browsers", REG_SZ, missing, DWORD(sizeof missing));
    ::DeleteFileA(QUILLON_BROWSER_LOG);
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    const std::string pages = std::string(temp) + "Quillon Help\\";
    ::DeleteFileA((pages + "index.htm").c_str());
    quillon.Command(ID_HELP_HELP);
    ExpectBox("No web browser could be started to show the help pages. They are in\n" + pages, BoxIcon::Hand);
    EXPECT_NE(ReadBytes(pages + "index.htm").find("<title>Quillon at the bench</title>"), std::string::npos);
    EXPECT_EQ(ReadBytes(QUILLON_BROWSER_LOG), "");
}
