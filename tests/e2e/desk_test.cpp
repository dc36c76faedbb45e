// The main window at the desk: where dialogs open and the focus after them, a series shown greyed,
// the scaling beside the amount, Clear, the access keys, the window and the sheet display resized.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <map>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;
using qwintest::BoxIcon;
using qwintest::kAlt;
using qwintest::kControl;

namespace {

using Desk = qdriver::Session;

RECT WindowRect(HWND window) { RECT rect = {}; ::GetWindowRect(window, &rect); return rect; }
RECT WorkArea() { RECT work = {}; ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0); return work; }

// The letter after a single '&' of a text, lower case; 0 when there is none.
char AccessKey(const std::string &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return char(std::tolower(static_cast<unsigned char>(text[i + 1])));
        ++i;
    }
    return 0;
}

// Exit (the entry dropped if asked), then the program started again with its settings.
void Restart(Quillon &quillon, const std::string &folder) {
    quillon.Command(ID_FILE_EXIT);
    qdriver::Box box = quillon.WaitBox(1000);
    if (box.hwnd != nullptr) quillon.Answer(box, IDNO);
    ASSERT_EQ(quillon.WaitExit(), 0);
    ASSERT_TRUE(quillon.Start(folder, true));
    box = quillon.WaitBox(1500);  // the report files of the run before, kept
    if (box.hwnd != nullptr) quillon.Answer(box, IDNO);
    ASSERT_NE(quillon.WaitReady(), nullptr);
}

}  // namespace

// Each dialog of the main window opens centred over it (or as near as the screen allows) and, once
// closed, leaves the focus in the control that had it: the next key goes on where the typing stopped.
TEST_F(Desk, EachDialogOpensCentredAndGivesTheFocusBack) {
    ::SendMessageA(quillon.Item(IDC_AUTO_RATIO), BM_CLICK, 0, 0);
    Enter("BaTiO3", "5", {{"BaCO3", "1"}, {"TiO2", "1"}});
    // Away from the top-left corner, so that centring shows.
    ::SetWindowPos(quillon.Main(), nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    quillon.Sync();
    const struct {
        const char *caption;
        int field;          // given the focus by typing into it (0: Calculate, pressed)
        const char *typed;  // typed into the field first (the entry's own text: the sheet stays current)
        UINT command;       // 0: Calculate; 'E': Ctrl+E
        int close;
        const char *after;  // the field's text once the key after the dialog went in
    } cases[] = {
        {"Quillon : Purity, Excess and Scaling", IDC_AMOUNT, "5", 'E', IDCANCEL, "57"},
        {"Quillon : Composition Series", IDC_PRODUCT_RATIO, "1", ID_OPTIONS_SERIES, IDCANCEL, "17"},
        {"Quillon : Balance and Operator", IDC_PRODUCT, "BaTiO3", ID_OPTIONS_BALANCE, IDCANCEL, "BaTiO37"},
        {"About Quillon", IDC_SAMPLE_ID, "S-17", ID_HELP_ABOUT, IDOK, "S-177"},
        {qdriver::DISPLAY_CAPTION, 0, "", 0, IDOK, nullptr},
        {"Quillon : Weighed Masses", IDC_PRODUCT_RATIO, "1", ID_OPTIONS_WEIGHED, IDCANCEL, "17"},
        {"Quillon : Stock Solution", IDC_AMOUNT, "5", ID_OPTIONS_STOCK, IDCANCEL, "57"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.caption);
        const HWND field = quillon.Item(c.field != 0 ? c.field : IDC_CALCULATE);
        if (c.field != 0) quillon.Fill(field, c.typed, false);
        c.command == 'E' ? quillon.Key('E', kControl) : c.command == 0 ? Press(IDC_CALCULATE) : quillon.Command(c.command);
        HWND dialog = OpenDialog(0, c.caption);
        const RECT over = WindowRect(quillon.Main()), own = WindowRect(dialog), work = WorkArea();
        // Centred on each axis, unless held inside the work area at that axis's edge.
        auto centred = [](LONG over0, LONG over1, LONG own0, LONG own1, LONG work0, LONG work1) {
            return std::abs((over0 + over1) - (own0 + own1)) <= 2 || own0 == work0 || own1 == work1;
        };
        EXPECT_TRUE(centred(over.left, over.right, own.left, own.right, work.left, work.right) &&
                    centred(over.top, over.bottom, own.top, own.bottom, work.top, work.bottom))
            << own.left << "," << own.top << " over " << over.left << "," << over.top;
        qdriver::PressAndWait(quillon, dialog, c.close);
        EXPECT_EQ(quillon.Focus(), field) << qwintest::ClassOf(quillon.Focus()) << " " << ::GetDlgCtrlID(quillon.Focus());
        if (c.after == nullptr) continue;
        quillon.Type("7");
        EXPECT_EQ(quillon.Settled(c.after, field), c.after);
        quillon.Fill(field, c.typed, false);  // as the entry was
        Press(IDC_SAMPLE_ID);
    }
}

// A series entry shows its formula where the product goes, greyed as a disabled field, under the label
// "Series"; nothing of it is read back as the product; a new entry has the product field again.
TEST_F(Desk, SeriesFormulaShownGreyedInTheProductField) {
    HWND series = OpenDialog(ID_OPTIONS_SERIES, "Quillon : Composition Series");
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_FORMULA), "Sr1-xBaxTiO3");
    qdriver::SetText(::GetDlgItem(series, IDC_SERIES_VALUES), "0,0.5");
    qdriver::PressAndWait(quillon, series, IDOK);
    const HWND shown = quillon.Item(IDC_SERIES_SHOWN), product = quillon.Item(IDC_PRODUCT);
    EXPECT_EQ(quillon.Text(IDC_PRODUCT_LABEL), "Series");
    EXPECT_EQ(quillon.Text(IDC_SERIES_SHOWN), "Sr1-xBaxTiO3");
    EXPECT_TRUE(::IsWindowVisible(shown) && !::IsWindowEnabled(shown) && !::IsWindowVisible(product));
    EXPECT_EQ(quillon.Text(IDC_PRODUCT), "");
    EXPECT_TRUE(WindowRect(shown).left == WindowRect(product).left && WindowRect(shown).right == WindowRect(product).right);
    // Grey ink on the face colour inside the frame, no white ground.
    qwintest::Bitmap32 field = quillon.Capture(shown);
    int grey = 0, white = 0;
    for (int y = 3; y < field.Height() - 3; ++y)
        for (int x = 3; x < field.Width() - 3; ++x) {
            grey += field.At(x, y) == ::GetSysColor(COLOR_GRAYTEXT);
            white += field.At(x, y) == RGB(255, 255, 255);
        }
    EXPECT_GT(grey, 20);
    EXPECT_EQ(white, 0);
    EXPECT_EQ(field.At(field.Width() - 4, field.Height() / 2), ::GetSysColor(COLOR_3DFACE));
    // Clicked and typed into, it takes nothing, and nor does the sample ID.
    quillon.Fill(IDC_SAMPLE_ID, "S-17", false);
    quillon.ClickCenter(shown);
    quillon.Type("Ba");
    EXPECT_EQ(quillon.Text(IDC_SERIES_SHOWN), "Sr1-xBaxTiO3");

    quillon.Command(ID_FILE_NEW);
    ExpectSaveQuestion(IDNO);
    EXPECT_EQ(quillon.Text(IDC_PRODUCT_LABEL), "&Product");
    EXPECT_FALSE(::IsWindowVisible(shown));
    EXPECT_TRUE(::IsWindowVisible(product) && ::IsWindowEnabled(product));
}

// Scaled to the total or to one starting material, the weighing says so beside the amount, then
// disabled; scaled to the product again, the amount counts again. Clear drops it all.
TEST_F(Desk, ScalingIsShownBesideTheAmount) {
    Enter("BaTiO3", "5", {{"BaCO3", ""}, {"TiO2", ""}});
    const struct {
        int scale;  // the radio button chosen
        const char *grams;
        const char *shown;
    } cases[] = {
        {IDC_SCALE_TOTAL, "20", "scaled to 20 g in total"},
        {IDC_SCALE_PRODUCT, "", ""},
        {IDC_SCALE_MATERIAL, "2.5", "scaled to 2.5 g of TiO2 (row 2)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        HWND weighing = OpenDialog(ID_OPTIONS_WEIGHING, "Quillon : Purity, Excess and Scaling");
        for (int id : {IDC_SCALE_PRODUCT, IDC_SCALE_MATERIAL, IDC_SCALE_TOTAL})
            qdriver::SetCheck(::GetDlgItem(weighing, id), id == c.scale);
        ::SendMessageA(weighing, WM_COMMAND, MAKEWPARAM(c.scale, BN_CLICKED), LPARAM(::GetDlgItem(weighing, c.scale)));
        if (c.scale == IDC_SCALE_MATERIAL) ::SendDlgItemMessageA(weighing, IDC_SCALE_ROW, CB_SETCURSEL, 1, 0);
        const int grams = c.scale == IDC_SCALE_TOTAL ? IDC_SCALE_TOTAL_GRAMS : IDC_SCALE_MATERIAL_GRAMS;
        if (*c.grams) qdriver::SetText(::GetDlgItem(weighing, grams), c.grams);
        qdriver::PressAndWait(quillon, weighing, IDOK);
        EXPECT_EQ(quillon.WaitDialog("Quillon : Purity, Excess and Scaling", 0), nullptr) << "refused";
        EXPECT_EQ(quillon.Text(IDC_SCALED_TO), c.shown);
        EXPECT_EQ(::IsWindowEnabled(quillon.Item(IDC_AMOUNT)) != 0, *c.shown == '\0');
        EXPECT_TRUE(::IsWindowVisible(quillon.Item(IDC_SCALED_TO)));
    }
    // Clear (after asking) empties the entry, its scaling too; the ratio shows 1, Auto-Ratio stays as it was.
    quillon.Fill(IDC_PRODUCT_RATIO, "2");
    Clear();
    const std::pair<int, const char *> fields[] = {{IDC_SAMPLE_ID, ""}, {IDC_PRODUCT, ""}, {IDC_PRODUCT_RATIO, "1"},
                                                   {IDC_AMOUNT, ""},    {IDC_SCALED_TO, ""}};
    for (const auto &field : fields) EXPECT_EQ(quillon.Text(field.first), field.second) << field.first;
    for (int row = 0; row < 2; ++row) EXPECT_EQ(quillon.ReadRow(row).formula, "");
    EXPECT_TRUE(::IsWindowEnabled(quillon.Item(IDC_AMOUNT)) && qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)));
}

// Every control of the window with a text has an access key of its own, none the menu bar's; every
// menu item has one, none twice in its menu. Each key of the window goes where its word says.
TEST_F(Desk, AccessKeysOfTheWindowAndItsMenus) {
    std::map<char, std::string> taken;  // the window's keys and the menu bar's
    auto take = [&](const std::string &text, std::map<char, std::string> &keys) {
        char key = AccessKey(text);
        EXPECT_NE(key, 0) << "no access key: " << text;
        if (key == 0) return;
        EXPECT_TRUE(keys.emplace(key, text).second) << text << " and " << keys[key] << " share " << key;
    };
    // The menus from the program's file, where the other process's menu cannot be read.
    HMODULE program = ::LoadLibraryExA((folder + "\\Quillon.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HMENU bar = ::LoadMenuA(program, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(bar, nullptr);
    std::function<void(HMENU, std::map<char, std::string> &)> items = [&](HMENU menu, std::map<char, std::string> &keys) {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[128] = "";
            if (::GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION) <= 0) continue;  // a separator
            take(std::string(text).substr(0, std::string(text).find('\t')), keys);
            std::map<char, std::string> inner;
            if (HMENU sub = ::GetSubMenu(menu, i)) items(sub, inner);
        }
    };
    items(bar, taken);
    EXPECT_EQ(taken.size(), 3u);
    ::DestroyMenu(bar);
    ::FreeLibrary(program);
    const int labelled[] = {IDC_SAMPLE_ID_LABEL, IDC_PRODUCT_LABEL, IDC_RATIO_LABEL,  IDC_HEADER_FORMULA,
                            IDC_AUTO_RATIO,      IDC_CALCULATE,     IDC_CLEAR,        IDC_WEIGHING};
    for (int id : labelled) take(quillon.Text(id), taken);
    for (HWND child = ::GetWindow(quillon.Main(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (Quillon::TextOf(child) == "A&mount of Product") take("A&mount of Product", taken);

    // A label's key goes to its field; a button's presses it.
    const struct {
        char key;
        int focus;            // the control that has the focus afterwards
        const char *caption;  // a dialog the key opens, closed again
    } keys[] = {
        {'R', IDC_PRODUCT_RATIO, nullptr}, {'I', IDC_SAMPLE_ID, nullptr}, {'M', IDC_AMOUNT, nullptr},
        {'P', IDC_PRODUCT, nullptr},       {'S', IDC_LIST, nullptr},      {'A', IDC_AUTO_RATIO, nullptr},
        {'W', IDC_WEIGHING, "Quillon : Purity, Excess and Scaling"},
    };
    const bool autoRatio = qdriver::Checked(quillon.Item(IDC_AUTO_RATIO));
    for (const auto &k : keys) {
        SCOPED_TRACE(std::string("Alt+") + k.key);
        quillon.Key(k.key, kAlt);
        if (k.caption != nullptr) {
            HWND dialog = OpenDialog(0, k.caption);
            qdriver::PressAndWait(quillon, dialog, IDCANCEL);
        }
        quillon.Sync();
        const HWND focus = quillon.Focus(), wanted = quillon.Item(k.focus);
        EXPECT_TRUE(focus == wanted || ::IsChild(wanted, focus)) << Quillon::TextOf(focus);
    }
    EXPECT_NE(qdriver::Checked(quillon.Item(IDC_AUTO_RATIO)), autoRatio);
    quillon.Key('C', kAlt);  // Calculate, which checks the entry
    ExpectBox("Failed to generate output.\nProduct entry is empty.", BoxIcon::Hand);
    qdriver::SetText(quillon.Item(IDC_SAMPLE_ID), "S-17");
    quillon.Key('L', kAlt);  // Clear, which asks first
    ExpectSaveQuestion(IDNO);
    EXPECT_EQ(quillon.Text(IDC_SAMPLE_ID), "");
}

// Wider, the window gives the room to the formula column: the list, the product field and the formula
// header grow, the ratio column and the buttons keep to the right edge; taller, the list grows by whole
// rows and the buttons keep to the bottom. The sheet display of a 30-row sheet opens showing every line,
// at a size a 1600x1200 screen holds; resized, its text fills it and the buttons keep to its bottom
// corners. Both open at their sizes again, the display in the same run too.
TEST_F(Desk, TheWindowAndTheSheetDisplayGrowAndKeepTheirSizes) {
    auto rect = [&](int id) {
        RECT r = WindowRect(quillon.Item(id));
        ::MapWindowPoints(nullptr, quillon.Main(), reinterpret_cast<POINT *>(&r), 2);
        return r;
    };
    const int ids[] = {IDC_LIST, IDC_PRODUCT, IDC_HEADER_FORMULA, IDC_PRODUCT_RATIO, IDC_CALCULATE, IDC_AMOUNT};
    std::map<int, RECT> before;
    for (int id : ids) before[id] = rect(id);
    const RECT window = WindowRect(quillon.Main());
    const int width = window.right - window.left, height = window.bottom - window.top, wider = 200, taller = 200;
    const int rowHeight = qdriver::ColumnsOf(quillon).rowHeight, listGrows = taller / rowHeight * rowHeight;
    auto resize = [&](int w, int h) {  // the window made w by h, the width it took
        ::SetWindowPos(quillon.Main(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        quillon.Sync();
        return WindowRect(quillon.Main()).right - WindowRect(quillon.Main()).left;
    };
    resize(width + wider, height + taller);
    const struct {
        int id, left, right;  // how far each edge moved
    } moved[] = {
        {IDC_LIST, 0, wider},          {IDC_PRODUCT, 0, wider},         {IDC_HEADER_FORMULA, 0, wider},
        {IDC_PRODUCT_RATIO, wider, wider}, {IDC_CALCULATE, wider, wider}, {IDC_AMOUNT, 0, 0},
    };
    for (const auto &m : moved) {
        EXPECT_EQ(rect(m.id).left - before[m.id].left, m.left) << m.id;
        EXPECT_EQ(rect(m.id).right - before[m.id].right, m.right) << m.id;
    }
    EXPECT_GE(listGrows / rowHeight, 5);
    EXPECT_EQ(rect(IDC_LIST).top, before[IDC_LIST].top);
    EXPECT_EQ(rect(IDC_LIST).bottom - before[IDC_LIST].bottom, listGrows);
    EXPECT_EQ(rect(IDC_CALCULATE).top - before[IDC_CALCULATE].top, taller);
    // The list's ratio column went with its edge: a click just right of the ratio header's left edge
    // opens the ratio editor, just left of it the formula editor.
    const RECT header = rect(IDC_HEADER_RATIO);
    for (int side : {-6, 6}) {
        POINT at = {header.left + side, rect(IDC_LIST).top + rowHeight / 2 + 2};
        ::MapWindowPoints(quillon.Main(), quillon.Item(IDC_LIST), &at, 1);
        quillon.Click(quillon.Item(IDC_LIST), at.x, at.y);
        quillon.Sync();
        EXPECT_EQ(qwintest::ClassOf(quillon.Focus()), side < 0 ? "VEXIL" : "Edit") << side;
        Press(IDC_SAMPLE_ID);
    }
    EXPECT_EQ(resize(100, height), width) << "narrower than the template";
    resize(width + wider, height + taller);

    // Ba10Sr10Ti10O40 from ten rows each of BaO, SrO and TiO2, all Fixed at 1.
    std::string file = "-1 S-30\r\n0 5 1 Ba10Sr10Ti10O40\r\n";
    for (int row = 1; row <= 30; ++row)
        file += std::to_string(row) + " 1 1 " + (row <= 10 ? "BaO" : row <= 20 ? "SrO" : "TiO2") + "\r\n";
    std::ofstream(folder + "\\thirty.QSF", std::ios::binary) << file;
    quillon.FileCommand(ID_FILE_OPEN, folder + "\\thirty.QSF");
    ASSERT_EQ(quillon.ReadRow(29).formula, "TiO2");
    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), false);
    HWND display = Calculate(false);
    HWND text = ::GetDlgItem(display, IDC_REPORT_TEXT);
    const RECT first = WindowRect(display);
    EXPECT_LE(first.bottom - first.top, 1200 - 40);  // under a 1600x1200 screen's task bar
    const LRESULT lines = ::SendMessageA(text, EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(lines, 30);
    if (first.bottom - first.top < WorkArea().bottom - WorkArea().top) {
        // The last line's top inside the text's client area.
        RECT client;
        ::GetClientRect(text, &client);
        POINTL last = {};
        ::SendMessageA(text, EM_POSFROMCHAR, WPARAM(&last), ::SendMessageA(text, EM_LINEINDEX, lines - 1, 0));
        EXPECT_LT(last.y, client.bottom) << "line " << lines << " of the sheet is cut";
        EXPECT_EQ(::SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    }

    auto gaps = [&](HWND dialog) {  // the text's and buttons' distances from the client's right and bottom
        RECT client;
        ::GetClientRect(dialog, &client);
        std::vector<LONG> distances;
        for (int id : {IDC_REPORT_TEXT, IDC_COPY_ALL, IDOK}) {
            RECT r = WindowRect(::GetDlgItem(dialog, id));
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
            distances.push_back(id == IDOK ? 0 : client.right - r.right);  // Close keeps to the left
            distances.push_back(client.bottom - r.bottom);
        }
        return distances;
    };
    const std::vector<LONG> kept = gaps(display);
    const SIZE resized = {700, 500};
    ::SetWindowPos(display, nullptr, 0, 0, resized.cx, resized.cy, SWP_NOMOVE | SWP_NOZORDER);
    quillon.Sync();
    EXPECT_EQ(gaps(display), kept);
    qdriver::PressAndWait(quillon, display, IDOK);

    for (bool restarted : {false, true}) {
        SCOPED_TRACE(restarted ? "after a restart" : "the same run");
        if (restarted) {
            Restart(quillon, folder);
            const RECT main = WindowRect(quillon.Main());
            EXPECT_TRUE(main.right - main.left == width + wider && main.bottom - main.top == height + taller);
            EXPECT_EQ(rect(IDC_PRODUCT).right - before[IDC_PRODUCT].right, wider);
            EXPECT_EQ(rect(IDC_LIST).bottom - before[IDC_LIST].bottom, listGrows);
            quillon.FileCommand(ID_FILE_OPEN, folder + "\\thirty.QSF");
        }
        display = Calculate(false);
        const RECT again = WindowRect(display);
        EXPECT_TRUE(again.right - again.left == resized.cx && again.bottom - again.top == resized.cy);
        EXPECT_EQ(gaps(display), kept);
        qdriver::PressAndWait(quillon, display, IDOK);
    }
}
